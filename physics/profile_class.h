// Design correlations shared by the loss breakdown, the cooling models and the
// axial turbine preliminary design.
#pragma once

#include <vector>

#include "halvorine2/case_block.h"

namespace h2 {

// is_turb_prof and is_comp_prof of the case c rather than the current one
// (0 without c, its arrays, or section j of element i).
int turb_prof_in(const bdLocals* c, int i, int j);
int comp_prof_in(const bdLocals* c, int i, int j);

// Keeps the profile classes of elements first..last of case c while they
// are solved. Between the trial speeds of an element solve, and over one
// iteration of an analysis solve, the blade angles, counts and section radii
// stay as they are, so each section's turbine and compressor tests are
// worked out once, on the first ask, and answered from the scope after it.
// A scope for elements an open scope of the same case already holds adds
// nothing; otherwise scopes nest, the inner one answering for its elements.
// A scope belongs to the thread that opened it.
class ProfileClassScope {
public:
    ProfileClassScope(const bdLocals* c, int first, int last);
    ~ProfileClassScope();
    ProfileClassScope(const ProfileClassScope&) = delete;
    ProfileClassScope& operator=(const ProfileClassScope&) = delete;

    struct Memo {
        const bdLocals* c = nullptr;
        int first = 0, last = -1, sections = 0;
        // Per element and section: -1 not asked yet, else the answer.
        std::vector<signed char> turbine, compressor;
    };

private:
    Memo memo_;
    Memo* outer_ = nullptr;
    bool active_ = false;
};

// BetaUst without its guard on non-positive angles: callers that hold angles
// from a solved cascade use the fit as it stands.
double BetaUstFit(double a1, double a2, int flag);

// Picks the blade cooling chart of element i of the current case and its
// coolant flow for the cooling effectiveness the row needs,
//   theta = (X - d) / (X - c),  X = (1 + b) * a,
// with a the gas temperature, b a relative margin on it, c the coolant
// temperature and d the limit temperature of the blade.
// Results:
//   1  X < d, no cooling needed: ratio 0, flow 0, chart 0; the case unchanged;
//   2  theta > 0.6, beyond the charts: ratio theta, chart -1, flow untouched;
//      the case unchanged;
//   0  ratio theta; flow the coolant flow as a fraction of the gas flow (10.0
//      with chart -1 when no chart covers theta); chart 1..4; cool__Ocp[i],
//      cool__Goxl_[i] and cool__tox[i] store theta (raised to 0.081 when below
//      0.08), flow and chart;
//  -1  no current case, no arrays, or i outside 0..cyld__ns: ratio 0, flow 0,
//      chart -1; the case unchanged.
int design_chart_lookup(int i, double a, double b, double c, double d, double& ratio, double& flow,
                        int& chart);

}  // namespace h2
