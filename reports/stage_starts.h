// Which elements start a stage, and the seal leakage that completes the inlet
// and outlet flows of a turbine. All work on the calling thread's current case.
#pragma once

#include "halvorine2/case_block.h"

extern "C" {

// 1 when element i is a stator (or inlet volute) that a turbine-profiled rotor
// follows, further stators and ducts between them passed over; else 0.
int is_turb_stage_start(int i);

// 1 when element i is a rotor of a compressing path that a stator follows
// (axial sections: past further rotors and ducts; radial sections: the very
// next element); else 0.
int is_comp_stage_start(int i);

// On an expanding path adds the seal leakage of the first stator (or stators
// before the first rotor) to cyld__G and that of a last rotor to cyld__Gout;
// 0. A compressing path: 1, nothing changed.
int add_leak_flows(void);
}

namespace h2 {

// The case is one the results can be formed for: its arrays exist and hold
// its counts, it has a main fluid and at least one element after the inlet.
bool results_case_ready(const bdLocals* c);

// The case can be printed: its arrays exist and hold its counts, with at least
// one streamline (a main fluid is not needed).
bool report_case_ready(const bdLocals* c);

// Element e of case c is turbine- or compressor-profiled: by its section
// profile on the middle streamline in an analysis task, by the pressure
// fall of the path in a design task.
bool turbine_profiled(const bdLocals& c, int e);
bool compressor_profiled(const bdLocals& c, int e);

}  // namespace h2
