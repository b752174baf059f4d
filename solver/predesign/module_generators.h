// The module generators of the radial machine types: the centrifugal
// compressor (stage count, stage targets, stages generated element by
// element, impeller limits) and the radial inflow turbine (nozzle row or
// inlet volute, and wheel). Module composition calls them by module type
// through the PD_generator form.
//
// A generator is called with module m's model as the calling thread's
// current case: its record and prerequisite block attached, the module inlet
// state in element 0 and the module outlet pressure in cyld__p2n. It sets
// elemsPerStage of record m, lays the module's elements 0..cyld__ns into the
// case and leaves them solved when it returns 0.
#pragma once

#include "case/case_arrays.h"
#include "halvorine2/case_block.h"

namespace h2::predesign {

// A model case fit to hold a module up to element `last`: arrays, a main
// fluid and streamlines inside its arrays.
inline bool generator_case_ready(const bdLocals* b, int last) {
    return b != nullptr && b->elem_stagType != nullptr && b->fluid_func != nullptr && b->cyld_nr >= 1 &&
           b->cyld_nr <= b->alloc_streams && allocated_element(b, last);
}

// Builds module m into the current case; 0 done, a non-zero code otherwise
// (101 a limit of the module or the machine, 1 or 3 a failed computation, or
// the solver's result).
typedef int (*PD_generator)(int m);

// Generator of COMP_RADIAL modules: 0; 1 a stage that could not be generated
// (or a case or record unfit to hold the module); 101 a stage count outside
// PD_LIM_STG (a head estimate that is not a finite number included) or an
// impeller outside PD_LIM_DH, PD_LIM_DS or PD_LIM_A1 after the solve (then
// cyld__Nc and cyld__eff are 0 and the solved path stays); otherwise the
// solver's result.
int RadCompDesign(int m);

// Numbers the elements of stage k (of n stages with per elements each) with
// module m and stage k and generates the stage; 0 when it was generated, else 1.
int rc_stage_number(int m, int k, int per, int n);

// Generator of TURB_RADIAL modules: 0; 101 (with cyld__Nc and cyld__eff 0) a
// design value that sizes nothing, a limit of the module, or a nozzle wider
// than its diameter; 1 a case or record unfit to hold the module; otherwise
// the solver's result. elemsPerStage is 2 on every return with a record.
int RadTurbDesign(int m);

// Generator of TURB_AXIAL modules: 0; 1 a stage count below 1 or outside
// PD_LIM_STG (unless restored), more stages than the case holds, a Dflag
// outside 0..2, or a case or record unfit to hold the module; 101 a negative
// diaphragm seal diameter or a rotor hub or tip outside PD_LIM_DH/PD_LIM_DS
// (then cyld__Nc and cyld__eff are 0); otherwise the solver's result.
int AxTurbDesign(int m);

// Generator of TURB_CURTIS modules (a nozzle row taking the whole drop and
// velocity-compounded rows after it): 0; 1 a Dflag outside 0..2, or a case or
// record unfit to hold the module; 101 an upper stage limit below 2 or a
// negative diaphragm seal diameter (nothing is solved); otherwise the
// solver's result.
int CurtisDesign(int m);

}  // namespace h2::predesign
