// Section loss assembly of blade rows: the loss models around the folded exit
// angle, the bounds and sums that make phi, the relaxed loss step of an
// element with the end-wall form of the secondary loss, and the turbine row's
// deviation and blockage.
#include "physics/section_losses.h"

#include <algorithm>
#include <cmath>

#include "case/case_arrays.h"
#include "case/current_case.h"
#include "case/walkers_internal.h"
#include "halvorine2/loss_plugin.h"
#include "halvorine2/threading.h"
#include "physics/loss_conversions.h"
#include "physics/loss_host.h"
#include "physics/loss_wrappers.h"

namespace {

using h2::kAxialSections;
using h2::kRadialSections;

using h2::switch_on;

using h2::is_expanding;

constexpr double kRightAngle = 90.0;      // degrees; the models know exit angles up to here
constexpr double kStraightAngle = 180.0;  // degrees
constexpr double kPercent = 100.0;        // the models give their losses in percent
constexpr double kDeviationLimit = 50.0;  // degrees; a deviation beyond it is not a model's answer
constexpr double kLossRelaxGain = 5.0;    // the loss step may move five times the streamline step
// Share of the flow next to each end wall over which the end-wall form spreads
// the secondary loss (the extent of the passage vortices), and the rounding
// that keeps a streamline on the zone's edge in it.
constexpr double kEndWallZone = 0.25;
constexpr double kZoneRounding = 1e-9;
constexpr double kLeastSineSquared = 1e-8;  // keeps a sine of a grazing angle away from 0

// elem__sectType codes

// Pressure does not fall from the path's inlet to its outlet.
bool compressing(const bdLocals& c) { return !h2::is_expanding(c); }

// One of the element's loss models P, S, N runs.
bool loss_models_run(const bdLocals& c, int i) {
    return h2::switched_loss_entry(&c, H2_LOSS_P, i) != nullptr ||
           h2::switched_loss_entry(&c, H2_LOSS_S, i) != nullptr ||
           h2::switched_loss_entry(&c, H2_LOSS_N, i) != nullptr;
}

// phi from the loss sum's value q: at least the limit, which also takes over
// from a q that is not a number, and at most 1.0.
double bounded_phi(double q, double limit) {
    const double phi = q >= limit ? q : limit;
    return phi > 1.0 ? 1.0 : phi;
}

double loss_relaxation(const bdLocals& c) {
    if (c.cyld_nr == 1 || c.cyld_force1D != 0) return 1.0;
    if (c.LosRELAX > 0.0) return c.LosRELAX;
    return std::min(kLossRelaxGain * c.RELAX, 1.0);
}

// Moves the secondary-loss energy of the span, E = sum of w2^2/2 XS (trapezoid
// rule), to the end-wall zones in the ratio of the end walls' profile and
// trans losses: evenly over the streamlines within a fixed share of the flow
// from each end wall, hub and casing, and away from the rest. On three
// streamlines each zone is its end streamline alone (weight 1/2), which then
// carries 1/4 (w2[0]^2 XS[0] + w2[L]^2 XS[L]) = E. Put on the end streamlines
// alone whatever their number, the loss grew on them as their share of the
// flow shrank (24 times the span's mean at 25 streamlines), and the stage's
// power drifted with the number of streamlines.
void move_secondary_loss_to_end_walls(bdLocals& c, int i) {
    const int L = c.cyld_nr - 1;
    const double* XP = c.los_XP[i];
    const double* XA = c.los_XA[i];
    const double* w2 = c.flow_w2[i];
    double* XS = c.los_XS[i];

    const double hub = XP[0] + XA[0];
    // Without profile and trans loss at the hub there is nothing to weigh the
    // end walls by (the ratio would divide by 0): they share alike.
    const double ratio = hub != 0.0 ? (XP[L] + XA[L]) / hub : 1.0;
    const auto weight = [L](int j) { return j == 0 || j == L ? 0.5 : 1.0; };
    // The streamlines of each end-wall zone: those within kEndWallZone of the
    // flow from the wall (at least the end streamline itself).
    const int zone = std::max(1, static_cast<int>(std::floor(kEndWallZone * L + kZoneRounding)) + 1);
    const auto in_hub_zone = [&](int j) { return j < zone && j < L; };
    const auto in_tip_zone = [&](int j) { return j > L - zone && j > 0; };
    double E = 0.0;
    double hub_share = 0.0, tip_share = 0.0;
    for (int j = 0; j <= L; ++j) {
        const double e = weight(j) * 0.5 * w2[j] * w2[j];
        E += e * XS[j];
        if (in_hub_zone(j)) hub_share += e;
        if (in_tip_zone(j)) tip_share += e;
    }
    const double ends = hub_share + ratio * tip_share;
    // End zones without exit velocity cannot carry the energy; E/0 would be infinite.
    if (ends == 0.0) return;
    const double XS_hub = E / ends;
    for (int j = 0; j <= L; ++j) XS[j] = in_hub_zone(j) ? XS_hub : in_tip_zone(j) ? ratio * XS_hub : 0.0;
}

// The deviation after the model ran (or the incidence alone, without one):
// discarded when not a number or beyond the limit, then scaled; added to angle.
double kept_deviation(bdLocals& c, int i, int j, double angle) {
    double& dR = c.cas_dR[i][j];
    if (std::isnan(dR) || std::fabs(dR) > kDeviationLimit) dR = 0.0;
    dR *= c.dev_scale[i];
    return angle + dR;
}

// Outlet angle of turbine section j of element i of the checked current case
// c: the deviation model's answer (or the incidence alone) added to angle.
double turbine_deviation(bdLocals& c, int i, int j, double angle) {
    if (!h2::call_section_model(c, H2_LOSS_V, i, j)) c.cas_iR[i][j] = c.cas_B1g[i][j] - c.cas_B1[i][j];
    return kept_deviation(c, i, j, angle);
}

// The ways row_dev_angle_in turns an exit angle.
enum RouteKind : int {
    kNoDeviation = 0,  // the angle handed in (no case, no family, or outside the arrays)
    kTurbineRow,
    kCentrifugalRow,
    kAxialCompressorRow,
    kOtherRow,  // deswirlers
};

int route_kind(const bdLocals& c, int i) {
    if (h2::is_turbine_row(c, i)) return kTurbineRow;
    if (h2::is_compressor_row(c, i)) {
        const bool deswirler = c.elem_stagType[i] == h2::kDeswirler;
        if (c.elem_sectType[i] == kRadialSections) return deswirler ? kOtherRow : kCentrifugalRow;
        if (c.elem_sectType[i] == kAxialSections) return deswirler ? kOtherRow : kAxialCompressorRow;
    }
    return kNoDeviation;
}

double routed_deviation(bdLocals* c, int kind, LossCalcFunc model, int i, int j, double angle) {
    switch (kind) {
        case kTurbineRow:
            if (model != nullptr)
                model(c, i, j);
            else
                c->cas_iR[i][j] = c->cas_B1g[i][j] - c->cas_B1[i][j];
            return kept_deviation(*c, i, j, angle);
        case kCentrifugalRow:
            return elem_dev_cent(i, j, angle);
        case kAxialCompressorRow:
            return elem_dev_axcomp(i, j, angle);
        case kOtherRow:
            return elem_dev_other(i, j, angle);
        default:
            return angle;
    }
}

constinit thread_local h2::DeviationRouteScope::Route* t_route = nullptr;

}  // namespace

extern "C" {

int section_losses(int i, int j) {
    bdLocals* c = h2::loss_section_case(i, j);
    if (c == nullptr) return 0;

    // An exit angle of 0.0 is not set yet; the gauging angle stands in.
    const double a = c->cas_B2[i][j] != 0.0 ? c->cas_B2[i][j] : c->cas_B2a[i][j];
    const bool folded = a > kRightAngle;
    c->cas_B2[i][j] = folded ? kStraightAngle - a : a;

    bool models_ran = h2::call_section_model(*c, H2_LOSS_P, i, j);
    models_ran = h2::call_section_model(*c, H2_LOSS_S, i, j) || models_ran;
    if (h2::call_section_model(*c, H2_LOSS_N, i, j))
        models_ran = true;
    else
        c->los_GM[i][j] = 1.0;  // without the trans model the profile loss counts whole

    if (folded) c->cas_B2[i][j] = kStraightAngle - c->cas_B2[i][j];

    double& phi = c->los_Los[i][j];
    const double limit = c->los_limit[i];
    if (!models_ran) {
        phi = phi < limit || std::isnan(phi) ? limit : std::min(phi, 1.0);
    } else {
        const double XP = c->los_XP[i][j], XS = c->los_XS[i][j], XA = c->los_XA[i][j];
        const double scale = c->los_scale[i];
        if (compressing(*c)) phi = bounded_phi(scale * kPercent / (kPercent + XP + XS + XA), limit);
        if (c->ICLos != 0) {
            const double GM = c->los_GM[i][j];
            phi = std::sqrt(bounded_phi(scale * kPercent / (kPercent + GM * XP + XS + XA), limit));
        }
    }

    // A fluid without entropy has no states to carry the loss: it goes in here.
    if (c->isd_s1[i][j] == 0.0) {
        const double w1 = c->flow_w1[i][j], w2 = c->flow_w2[i][j];
        c->enrg_dhb[i][j] = h2::kinetic_energy_loss(phi, std::max(w1 * w1, w2 * w2));
    }
    return 0;
}

int section_losses2(int i) {
    bdLocals* c = h2::loss_section_case(i, 0);
    if (c == nullptr || !loss_models_run(*c, i)) return 0;
    const int NI = c->cyld_nr;
    const double r = loss_relaxation(*c);

    if (c->los_policy > 0 && NI > 1 && c->cyld_force1D == 0 && c->elem_sectType[i] == kAxialSections)
        move_secondary_loss_to_end_walls(*c, i);

    for (int j = 0; j < NI; ++j) {
        const double q = c->los_scale[i] * kPercent /
                         (c->los_GM[i][j] * c->los_XP[i][j] + kPercent + c->los_XS[i][j] + c->los_XA[i][j]);
        const double target = bounded_phi(q, c->los_limit[i]);
        // The energy coefficient phi^2 is what relaxes. An over-relaxed step
        // (r > 1) could carry it below 0, whose root is not a number.
        const double e = c->los_Los[i][j] * c->los_Los[i][j];
        const double e_new = std::max(e + r * (target - e), 0.0);
        const double k = h2::inlet_isentropic_exponent(*c, i, j);
        c->los_om[i][j] =
            k_loss_conv_c(e_new, c->isd_p1wx[i][j], c->isd_p1[i][j], c->isd_i1wx[i][j], k, nullptr);
        c->los_Los[i][j] = std::sqrt(e_new);
    }
    return 0;
}

double elem_dev_turb(int i, int j, double angle) {
    bdLocals* c = h2::loss_section_case(i, j);
    if (c == nullptr) return angle;
    return turbine_deviation(*c, i, j, angle);
}

double elem_block_turb(int i, int j) {
    bdLocals* c = h2::loss_section_case(i, j);
    if (c == nullptr) return 0.0;
    h2::call_section_model(*c, H2_LOSS_B, i, j);
    return c->cas_blck[i][j];
}

double row_dev_angle(int i, int j, double angle) {
    return h2::row_dev_angle_in(h2::current_case(), i, j, angle);
}

double row_blockage(int i, int j) {
    bdLocals* c = h2::loss_section_case(i, j);
    if (c == nullptr) return 0.0;
    double& blck = c->cas_blck[i][j];
    // A blockage model writes onto a clear section.
    if (h2::section_model(c, H2_LOSS_B, i, j) != nullptr) blck = 0.0;

    if (h2::is_turbine_row(*c, i)) {
        blck = elem_block_turb(i, j);
    } else if (h2::is_compressor_row(*c, i)) {
        if (c->elem_sectType[i] == kRadialSections)
            blck = elem_block_cent(i, j);
        else if (c->elem_sectType[i] == kAxialSections)
            blck = elem_block_axcomp(i, j);
    } else if (i != 0 && switch_on(c->elem_MethodB[i])) {
        // Ducts and their kin have no blockage model of their own: the
        // boundary layers of the element before carry over.
        blck = c->cas_blck[i - 1][j];
    }
    c->los_Fp[i][j] = 1.0 - blck;
    return blck;
}

double rescale_phi(double phi, double s, int flag) {
    if (flag == 1) return phi;
    // A section without loss keeps phi; past 1.0 the root of 1 - phi^2 would be not a number.
    if (phi >= 1.0) return phi;
    // Nothing kept: the loss ratio is infinite (s/0, or 0/0 for s = 0) and the rescaled phi 0.
    if (phi == 0.0) return 0.0;
    const double loss_ratio = s * std::sqrt(1.0 - phi * phi) / phi;
    return 1.0 / std::sqrt(1.0 + loss_ratio * loss_ratio);
}

double sin_from_cos(int flag, double x) {
    double r = 1.0 - x * x;
    if (!(r >= kLeastSineSquared)) r = kLeastSineSquared;
    const double s = std::sqrt(r);
    return flag != 0 ? -s : s;
}

}  // extern "C"

namespace h2 {

DeviationRouteScope::DeviationRouteScope(const bdLocals* c, int i) : outer_(t_route) {
    route_.c = c;
    route_.i = i;
    t_route = &route_;
}

DeviationRouteScope::~DeviationRouteScope() { t_route = outer_; }

double row_dev_angle_in(bdLocals* current, int i, int j, double angle) {
    DeviationRouteScope::Route* route = t_route;
    if (route != nullptr && route->c == current && route->i == i && current != nullptr &&
        allocated_stream(current, j) && j < current->cyld_nr) {
        if (route->kind < 0) {
            bdLocals* c = loss_section_case_in(current, i, j);
            route->kind = c != nullptr ? route_kind(*c, i) : kNoDeviation;
            route->model =
                c != nullptr && route->kind == kTurbineRow ? section_model(c, H2_LOSS_V, i, j) : nullptr;
        }
        return routed_deviation(current, route->kind, route->model, i, j, angle);
    }
    bdLocals* c = loss_section_case_in(current, i, j);
    if (c == nullptr) return angle;
    if (is_turbine_row(*c, i)) return turbine_deviation(*c, i, j, angle);
    if (is_compressor_row(*c, i)) {
        const bool deswirler = c->elem_stagType[i] == kDeswirler;
        if (c->elem_sectType[i] == kRadialSections)
            return deswirler ? elem_dev_other(i, j, angle) : elem_dev_cent(i, j, angle);
        if (c->elem_sectType[i] == kAxialSections)
            return deswirler ? elem_dev_other(i, j, angle) : elem_dev_axcomp(i, j, angle);
    }
    return angle;
}

}  // namespace h2
