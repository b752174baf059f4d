// Internal side of the predesign data: the input file's line reader, the
// per-element defaults, the module models and the search's verdict printer.
#pragma once

#include <cstdio>
#include <string>

#include "halvorine2/predesign.h"

namespace h2::predesign {

// Name slots of the loss-model name buffers (20 characters each, 15 a
// buffer) and the element roles they go with; the same index picks the entry
// of the family limit tables.
inline constexpr int kNameSlotSize = 20;
inline constexpr int kNameSlots = 15;

// Stages the upper STG limit of a record allows: trunc(upper), held inside
// 0..kMaxModuleStages so a non-finite or huge limit sizes nothing absurd.
inline constexpr int kMaxModuleStages = 100;

// Loss limits of the bends and volutes of a predesign case's elements.
inline constexpr double kBendLossLimit = 0.4;
inline constexpr double kVoluteLossLimit = 0.5;
int stage_limit(const PD_module& rec);
// Elements a stage of the module type may take at most: 8 for a centrifugal
// compressor stage, 2 for every other type.
int stage_elements(int type);

// The next content line of f, read whole however long it is, cut at its first
// '#', CR or LF; `physical` counts the lines read (from 1). False at the end
// of the file or on a read error.
bool read_content_line(std::FILE* f, std::string& line, int& physical);

// InitModels' steps for every module with `master` as the source: releases
// the models still listed, builds one per module, and makes master current
// again. The codes of InitModels.
int build_models(bdLocals* master);

}  // namespace h2::predesign

extern "C" {

// The next content line of f in buffer (2000 characters, cut to 1999): 0, or
// -1 when no further line can be read.
int PD_read_line(std::FILE* f, char* buffer);
// 0 content line, 1 blank line, 2 comment line.
int PD_line_kind(const char* line);
// Per-element defaults of elements 0..n of the current case and its print
// levels; elements beyond its arrays are not written. Always 0.
int PD_default_elems(int n);

// Releases the models this library built for the calling thread's module
// table, as bterm would, and clears the records' PD_model pointers to them.
// The case current before stays current (unless it was one of them).
void PD_free_models(void);

// The report name of a module type ("TURB_AXIAL" .. "COMP_RADIAL"), NULL for
// a value outside 0..5.
const char* pd_module_type_name(int type);

// The search's verdict on a failed point, printed when the current case's
// IPP is 3 or more.
void PD_report_error(int point, int code);
}
