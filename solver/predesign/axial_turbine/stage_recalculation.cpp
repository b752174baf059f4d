// Redesign of turbine rows of a solved case in the loss-versus-strength mode:
// one element, one stage or a stator-rotor pair through stgR, or the whole
// path through a solve followed by the regeneration pass, the length and mass
// limits and the predesign reports.
#include <cstdio>
#include <initializer_list>

#include "case/output_internal.h"
#include "halvorine2/output.h"
#include "halvorine2/predesign.h"
#include "halvorine2/stage_design.h"
#include "platform/fpenv.h"
#include "reports/report_api.h"
#include "solver/predesign/axial_turbine/turbine_design.h"
#include "solver/solver_api.h"
#include "solver/solver_conventions.h"

namespace {

// Result of a path beyond its length or rotor mass limit.
constexpr int kLimitExceeded = 101;
// What the solver answers for a case without its arrays.
constexpr int kNoCase = -1;

// S1mode is 1 for the life of the object and 0 afterwards, on every path: a
// mode left at 1 would turn the next plain solve into a search.
class LossStrengthMode {
public:
    explicit LossStrengthMode(bdLocals& b) : b_(b) { b_.S1mode = 1; }
    ~LossStrengthMode() { b_.S1mode = 0; }
    LossStrengthMode(const LossStrengthMode&) = delete;
    LossStrengthMode& operator=(const LossStrengthMode&) = delete;

private:
    bdLocals& b_;
};

// stgR on each element of the list that the case holds.
void redesign_rows(std::initializer_list<long long> elements) {
    bdLocals* b = h2::turbine::design_case();
    if (b == nullptr) return;
    LossStrengthMode mode(*b);
    for (long long e : elements)
        if (e >= 1 && e <= b->cyld_ns) stgR(static_cast<int>(e));
}

// The predesign data and result reports to the console (unless the output
// goes to the dump only) and to the dump file.
void report_block(const bdLocals& b) {
    start_dump();
    std::FILE* console = h2::console_stream();
    if (b.outDst != 1) PD_report_data(console, 1);
    if (b.dump_stream != nullptr) PD_report_data(b.dump_stream, 1);
    if (b.outDst != 1) PD_report_result(console);
    if (b.dump_stream != nullptr) PD_report_result(b.dump_stream);
    stop_dump();
}

// Exit axial coordinate within LengthLimit and rotor blade mass within
// MassLimit; a limit of 0 is none.
bool within_limits(const bdLocals& b) {
    const double length = b.cas_x2[b.cyld_ns][h2::mid_stream(b)];
    if (b.LengthLimit != 0.0 && length > b.LengthLimit) return false;
    if (b.MassLimit != 0.0 && b.cyld_mass > b.MassLimit) return false;
    return true;
}

int recalculate_path(bdLocals& b) {
    int solved;
    {
        LossStrengthMode mode(b);
        solved = bestXN();
    }
    if (solved != 0) return solved;
    report_block(b);
    stgRN();  // a failed regeneration leaves the solved path; the limits judge it
    const int result = within_limits(b) ? 0 : kLimitExceeded;
    calc_integral(1);
    report_block(b);
    return result;
}

}  // namespace

extern "C" {

int StgrS1e(int e) {
    try {
        redesign_rows({e});
    } catch (...) {
    }
    return 0;
}

int StgrS1(int s) {
    try {
        redesign_rows({2LL * s + 1, 2LL * s + 2});
    } catch (...) {
    }
    return 0;
}

int StgrS1sr(int stator, int rotor) {
    try {
        redesign_rows({stator, rotor});
    } catch (...) {
    }
    return 0;
}

int StgrS1N(void) {
    bdLocals* b = h2::turbine::design_case();
    if (b == nullptr) return kNoCase;
    h2::platform::FpEnvironmentGuard fp_environment;
    try {
        return recalculate_path(*b);
    } catch (...) {
        b->S1mode = 0;
        return kNoCase;
    }
}
}
