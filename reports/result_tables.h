// Pieces of the full result report shared between its station tables and its
// stage and element tables.
#pragma once

#include <cstdio>

#include "halvorine2/case_block.h"

namespace h2 {

// How one call of the result report reads the case.
struct ResultLayout {
    int ns;          // last element
    int NI;          // streamlines
    int jm;          // streamline marked in the station tables, (NI - 1) / 2
    int m;           // streamline of the stage, choke and profile values, NI / 2
    bool design;     // a design task (cyld__VART below 10)
    bool expanding;  // inlet pressure above the outlet pressure
};

ResultLayout result_layout(const bdLocals& c);

// A turbine element of the stage tables: turbine-profiled, or an inlet volute.
bool stage_turbine_element(const bdLocals& c, int i);

// A rule of "-" in the grey of the dash rules.
void put_dash_rule(std::FILE* f);

// The tables by stages and by elements; writes elem__Ht of analysis tasks and
// cyld__effGE.
void print_stage_tables(std::FILE* f, bdLocals& c, const ResultLayout& L);

}  // namespace h2
