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

// Computes the whole-flow-path results into the case's cyld__ doubles, with
// the stage, element and per-streamline results on the way; flag 1 after an
// analysis task (cyld__VART 10 or more) also sets the inlet, outlet and volume
// flows and the specific stage loadings. Nothing is written for a case
// without its arrays, its main fluid or an element after the inlet.
void calc_integral(int flag);

// Writes the integral summary report to stream, then flushes it.
void report_integral(std::FILE* stream);

// Writes the mass-flow balance of every blade row with its leakage, bleed and
// cooling flows to stream.
void report_flow_balances(std::FILE* stream);

// Writes the strength and mass tables of the blade rows and rotor disks to stream.
void report_stress(std::FILE* stream);

// Writes the full result report to stream (NULL: standard output), after
// rewriting "expdata.pbd", "expdata.sch" and "expdata_Ax.sch" in the working
// directory. Nothing happens without a current case with its arrays.
void report_result(std::FILE* stream);

// 1 when some element before the last starts a turbine or compressor stage, else 0.
int has_stages(void);
}
