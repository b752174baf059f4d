// Entry points of the results and reports that the case layer calls. All work
// on the calling thread's current case.
#pragma once

#include <cstdint>
#include <cstdio>

#include "halvorine2/reports.h"

extern "C" {

// Multiplies every streamline value of enrg__dhb by its element's mass flow
// elem__G1, turning specific energy losses into loss powers. The word is not used.
void scale_enrg_dhb(std::uintptr_t unused);

// Computes the whole-flow-path results into the case's cyld__ doubles; flag 1
// after an analysis task (cyld__VART 10 or more), 0 otherwise.
void calc_integral(int flag);

// Writes the integral summary report to stream.
void report_integral(std::FILE* stream);

// Writes the full result report to stream, with the export files it writes first.
void report_result(std::FILE* stream);
}
