// Whether a blade section is a turbine or a compressor profile, the empirical
// stagger angle of a blade, and the cooling charts of the turbine design.
#include "physics/profile_class.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "case/case_arrays.h"
#include "case/current_case.h"
#include "case/walkers_internal.h"
#include "halvorine2/profiles.h"
#include "halvorine2/threading.h"
#include "numerics/one_dim.h"

namespace {

using h2::kRadialSections;

using h2::is_expanding;

using h2::is_rotor;
using h2::is_stator;

constexpr int kFirstAnalysisTask = 10;  // cyld__VART below this selects a design task

bool has_row(double* const* table, int i) { return table != nullptr && table[i] != nullptr; }

// Whether case c has the element arrays read here and i is one of its elements.
bool element_readable(const bdLocals* c, int i) {
    // Without a case, or before its arrays exist, every read below would go through NULL.
    if (c == nullptr || c->elem_stagType == nullptr || c->elem_sectType == nullptr || c->elem_p0 == nullptr ||
        c->elem_p2 == nullptr || c->bld_z == nullptr || c->bld_wp == nullptr || c->bld_d1 == nullptr ||
        c->bld_d2 == nullptr)
        return false;
    // An element index outside 0..cyld__ns, or counts that no longer fit the
    // arrays, would read or write past the element arrays.
    return h2::path_fits_arrays(c) && i >= 0 && i <= c->cyld_ns;
}

// The current case when it has the element arrays read here and i is one of
// its elements, else nullptr.
bdLocals* case_at_element(int i) {
    bdLocals* c = h2::current_case();
    return element_readable(c, i) ? c : nullptr;
}

// Whether section j of element i exists in case c, with the angle and radius
// rows of that element.
bool section_readable(const bdLocals* c, int i, int j) {
    if (!element_readable(c, i)) return false;
    // A section outside 0..cyld__nr-1 would read past the rows; a missing row table or row would go through
    // NULL.
    return j >= 0 && j < c->cyld_nr && has_row(c->cas_B1g, i) && has_row(c->cas_B2a, i) &&
           has_row(c->cas_ra1, i) && has_row(c->cas_ra2, i) && has_row(c->flow_r1, i) &&
           has_row(c->flow_r2, i);
}

bool is_radial(const bdLocals& c, int i) { return c.elem_sectType[i] == kRadialSections; }

// Flow outward through a radial element: a centrifugal impeller or diffuser.
bool flows_outward(const bdLocals& c, int i) { return is_radial(c, i) && c.bld_d1[i] < c.bld_d2[i]; }

// A metal angle of section j. A radial element has one angle over its span,
// kept at the middle section; otherwise the angle lies at the section radii
// and is read at the streamline's radius.
double metal_angle(const bdLocals& c, int i, int j, double* const* angle, double* const* section_r,
                   double* const* stream_r) {
    const int NI = c.cyld_nr;
    if (is_radial(c, i)) return angle[i][NI / 2];
    if (NI > 1) return h2::interp1(NI, section_r[i], angle[i], stream_r[i][j]);
    return angle[i][j];
}

int turbine_profile(const bdLocals& c, int i, int j) {
    // In a design task the blade angles are still unknowns; the path's pressure fall decides.
    if (c.cyld_VART < kFirstAnalysisTask) return is_expanding(c) ? 1 : 0;
    if (c.bld_z[i] == 0.0) return 0;
    if (flows_outward(c, i)) return 0;

    const double B1g = metal_angle(c, i, j, c.cas_B1g, c.cas_ra1, c.flow_r1);
    const double B2 = metal_angle(c, i, j, c.cas_B2a, c.cas_ra2, c.flow_r2);
    if (is_rotor(c, i)) {
        // A turbine rotor turns the flow through the axial direction: its exit
        // angle lies above 90 and, folded back (180 - B2), below the inlet
        // angle, or the turning beyond B1g exceeds 90 outright.
        if (B2 <= 90.0) return 0;
        if (B2 < B1g) return 0;
        if (B2 - B1g > 90.0) return 1;
        if (180.0 - B2 < B1g) return 1;
        return 0;
    }
    // Elsewhere an accelerating passage narrows towards its exit.
    return B2 < 90.0 && B2 < B1g ? 1 : 0;
}

// A cooling chart: coolant flow in percent of the gas flow against the cooling
// effectiveness theta, valid strictly between its first and last theta.
struct CoolingChart {
    int number;  // cool__tox
    int n;
    std::array<double, 5> theta;
    std::array<double, 5> flow_pct;

    constexpr bool covers(double th) const { return theta[0] < th && th < theta[n - 1]; }
    double flow_at(double th) const { return h2::interp1(n, theta.data(), flow_pct.data(), th); }
};

constexpr CoolingChart kChart1{1, 4, {0.08, 0.2, 0.3, 0.33}, {0.25, 0.75, 1.7, 2.5}};
constexpr CoolingChart kChart2{2, 5, {0.1, 0.2, 0.3, 0.4, 0.46}, {0.2, 0.5, 1.1, 2.15, 3.0}};
constexpr CoolingChart kChart3{3, 5, {0.1, 0.2, 0.3, 0.4, 0.46}, {0.2, 0.45, 1.0, 1.9, 2.5}};
constexpr CoolingChart kChart4Stator{4, 3, {0.4, 0.5, 0.6}, {2.0, 2.6, 5.5}};
constexpr CoolingChart kChart4Other{4, 3, {0.4, 0.5, 0.6}, {1.8, 3.0, 4.7}};

constexpr double kThetaChartMax = 0.6;      // no chart reaches beyond it
constexpr double kThetaChartMin = 0.08;     // below it the charts are read at kThetaRaised
constexpr double kThetaRaised = 0.081;      // just inside chart 1
constexpr double kNoChartFlowPct = 1000.0;  // coolant flow (%) when no chart covers theta

// The memo of the innermost open scope of this thread, nullptr without one.
thread_local h2::ProfileClassScope::Memo* t_class_memo = nullptr;

// The scope's slot for section j of element i of c, or nullptr when no scope
// holds that section.
signed char* held_class(std::vector<signed char> h2::ProfileClassScope::Memo::*table, const bdLocals* c, int i,
                        int j) {
    h2::ProfileClassScope::Memo* memo = t_class_memo;
    if (memo == nullptr || memo->c != c || i < memo->first || i > memo->last || j < 0 || j >= memo->sections)
        return nullptr;
    return &(memo->*table)[static_cast<std::size_t>(i - memo->first) * memo->sections + j];
}

int turbine_class(const bdLocals* c, int i, int j) {
    if (!section_readable(c, i, j)) return 0;
    return turbine_profile(*c, i, j);
}

int compressor_class(const bdLocals* c, int i, int j) {
    if (!section_readable(c, i, j)) return 0;
    if (c->bld_z[i] == 0.0) return 0;
    if (flows_outward(*c, i)) return 1;
    if (c->cyld_VART < kFirstAnalysisTask && !is_expanding(*c)) return 1;
    return turbine_profile(*c, i, j) ? 0 : 1;
}

}  // namespace

extern "C" {

int is_turb_prof(int i, int j) { return h2::turb_prof_in(h2::current_case(), i, j); }

int is_comp_prof(int i, int j) { return h2::comp_prof_in(h2::current_case(), i, j); }

double BetaUst(double a1, double a2, int flag) {
    // The fit has no meaning for angles that are not set (and a2^-0.25 no value at 0).
    if (a1 <= 0.0 || a2 <= 0.0) return 0.0;
    return h2::BetaUstFit(a1, a2, flag);
}

}  // extern "C"

namespace h2 {

ProfileClassScope::ProfileClassScope(const bdLocals* c, int first, int last) {
    if (c == nullptr || first > last || c->cyld_nr < 1) return;
    const Memo* open = t_class_memo;
    if (open != nullptr && open->c == c && open->first <= first && last <= open->last &&
        open->sections == c->cyld_nr)
        return;
    memo_.c = c;
    memo_.first = first;
    memo_.last = last;
    memo_.sections = c->cyld_nr;
    const std::size_t n = static_cast<std::size_t>(last - first + 1) * c->cyld_nr;
    memo_.turbine.assign(n, -1);
    memo_.compressor.assign(n, -1);
    outer_ = t_class_memo;
    t_class_memo = &memo_;
    active_ = true;
}

ProfileClassScope::~ProfileClassScope() {
    if (active_) t_class_memo = outer_;
}

int turb_prof_in(const bdLocals* c, int i, int j) {
    signed char* held = held_class(&ProfileClassScope::Memo::turbine, c, i, j);
    if (held == nullptr) return turbine_class(c, i, j);
    if (*held < 0) *held = static_cast<signed char>(turbine_class(c, i, j));
    return *held;
}

int comp_prof_in(const bdLocals* c, int i, int j) {
    signed char* held = held_class(&ProfileClassScope::Memo::compressor, c, i, j);
    if (held == nullptr) return compressor_class(c, i, j);
    if (*held < 0) *held = static_cast<signed char>(compressor_class(c, i, j));
    return *held;
}

double BetaUstFit(double a1, double a2, int flag) {
    // Stagger of a symmetric blade: halfway between the two angles' directions.
    if (flag != 0) return (180.0 - a1 - a2) / 2.0;
    // Empirical stagger of turbine cascades, never past the exit direction.
    const double fit = 60.2 * std::pow(a1, 0.233) + 156.6 * std::pow(a2, -0.25) - 195.0;
    return std::min(fit, 90.0 - a2);
}

int design_chart_lookup(int i, double a, double b, double c, double d, double& ratio, double& flow,
                        int& chart) {
    bdLocals* bd = case_at_element(i);
    // The element's kind picks chart 4 and the result is stored in its arrays;
    // without a valid element there is nowhere to read or write.
    if (bd == nullptr || bd->cool_Ocp == nullptr || bd->cool_Goxl_ == nullptr || bd->cool_tox == nullptr) {
        ratio = 0.0;
        flow = 0.0;
        chart = -1;
        return -1;
    }

    chart = -1;
    const double X = (1.0 + b) * a;  // gas temperature with its margin
    if (X < d) {
        // The blade stands the gas uncooled.
        ratio = 0.0;
        flow = 0.0;
        chart = 0;
        return 1;
    }

    // Cooling effectiveness the blade needs: (T_gas - T_blade) / (T_gas - T_coolant).
    double theta = (X - d) / (X - c);
    ratio = theta;
    if (theta > kThetaChartMax) return 2;
    if (theta < kThetaChartMin) theta = kThetaRaised;

    const CoolingChart& chart4 = is_stator(*bd, i) ? kChart4Stator : kChart4Other;
    const CoolingChart* charts[] = {&kChart1, &kChart2, &kChart3, &chart4};
    // The cheapest cooling type that reaches theta; chart 1, first in order, always beats the start value.
    double best_pct = kNoChartFlowPct;
    for (const CoolingChart* ch : charts) {
        if (!ch->covers(theta)) continue;
        const double pct = ch->flow_at(theta);
        if (ch->number == 1 || pct < best_pct) {
            best_pct = pct;
            chart = ch->number;
        }
    }
    flow = best_pct / 100.0;

    bd->cool_Ocp[i] = theta;
    bd->cool_Goxl_[i] = flow;
    bd->cool_tox[i] = static_cast<double>(chart);
    return 0;
}

}  // namespace h2
