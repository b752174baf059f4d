// The choke search of one element (the largest flow its outlet can pass and
// the outlet velocity of it) and the outlet state at which the element passes
// its own flow, on the mean line and per streamline.
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <vector>

#include "case/current_case.h"
#include "halvorine2/console.h"
#include "halvorine2/output.h"
#include "halvorine2/solver.h"
#include "halvorine2/threading.h"
#include "numerics/cg_search.h"
#include "numerics/one_dim.h"
#include "physics/loss_conversions.h"
#include "physics/loss_wrappers.h"
#include "physics/profile_class.h"
#include "physics/section_losses.h"
#include "solver/gravity_head.h"
#include "solver/solver_conventions.h"
#include "solver/solver_internal.h"
#include "solver/solver_state.h"

namespace {

using h2::fluid;
using h2::kDegree;

// Fraction of the full-expansion speed sqrt(2 i1wx) that bounds the search:
// fluids that answer the choke query with 0.0 take 0.9, the others 0.2.
constexpr double kWideBound = 0.9;
constexpr double kNarrowBound = 0.2;
// Golden-section tolerance of the choke search, m/s.
constexpr double kChokeTol = 1e-8;
constexpr double kFailedProperty = 1e19;  // fluids answer 1e20 for a state outside their range
// A charged flow at the loss-free choke speed within this share of the
// loss-free choke flow: an element without loss, no second search.
constexpr double kLossFreeShare = 1e-12;
// Relative tolerance of the outlet-speed root, and its bound as a share of
// the relative flow defect sqrt(acc_limit) that the march's accuracy allows.
constexpr double kRootTol = 1e-4;
constexpr double kRootShare = 0.1;
// The outlet-speed root from the previous speed: the first step as a share
// of that speed, the steps that may look for the
// sign change (each at least twice the last, on along the secant), and the
// Illinois steps that may close it.
constexpr double kWarmStep = 1e-3;
constexpr int kWarmSteps = 8;
constexpr double kWarmGrowth = 2.0;
constexpr double kSecantReach = 1.5;
constexpr int kIllinoisSteps = 60;
// Steps of the sign-change scan of an outlet state not yet computed.
constexpr int kScanSteps = 100;
// Defect left after a successful scan (squared afterwards: 1e-10).
constexpr double kScanDefect = 1e-5;
// Start, step and tolerance of the per-streamline line search.
constexpr double kLineStep = 5.0;
constexpr double kLineTol = 1e-6;
constexpr double kWarmLineStep = 0.5;
// A squared casing miss above this after the walk sends the hub speed search
// over the whole range, in this many steps.
constexpr double kClosedMarch = 1e-8;
constexpr int kHubScanSteps = 64;
// A root from the previous outlet speed needs no new choke search when the
// flow asked stays this share below the last choke flow and the root this
// share below the last choke speed, once the flow still rises over the
// second share past the root.
constexpr double kWarmChokeMargin = 0.01;
constexpr double kWarmChokeRise = 0.005;

constexpr std::uint16_t kMask = 240;
constexpr std::uint16_t kRed = 12;

bdLocals& cur() { return *h2::current_case(); }
int cur_index(const bdLocals& b) { return static_cast<int>(std::trunc(b.lkg_elem)); }

// Cosine and sine of the last outlet angle (radians) this thread turned an
// outlet at. The choke search and the outlet-speed root turn one outlet at
// one angle through all their trial speeds; the angle is matched bit for bit,
// so a hit returns exactly what the functions would.
struct OutletTrig {
    std::uint64_t bits = std::bit_cast<std::uint64_t>(0.0);
    double cos = 1.0;
    double sin = 0.0;
};

const OutletTrig& outlet_trig(double angle) {
    thread_local OutletTrig last;
    const auto bits = std::bit_cast<std::uint64_t>(angle);
    if (bits != last.bits) {
        last.cos = std::cos(angle);
        last.sin = std::sin(angle);
        last.bits = bits;
    }
    return last;
}

// The choke speed and flow of each element of the case this thread last
// searched, and the iteration (b.iter) in which its outlet was last solved.
// Read only as a bound for the root from the previous speed; an iteration
// whose root comes near that bound, or that cannot prove the flow still
// rising past its root, searches afresh.
struct ChokeMemo {
    const bdLocals* owner = nullptr;
    int elements = 0;
    std::vector<double> Cmax, Gmax;
    std::vector<int> solved_in;
};

ChokeMemo& choke_memo(const bdLocals& b) {
    thread_local ChokeMemo memo;
    const int n = b.cyld_ns + 1;
    if (memo.owner != &b || memo.elements != n) {
        memo.owner = &b;
        memo.elements = n;
        memo.Cmax.assign(n, 0.0);
        memo.Gmax.assign(n, 0.0);
        memo.solved_in.assign(n, -1);
    }
    return memo;
}

// Set by the outlet-state residual when a trial speed passes the speed of
// sound, where the residual takes the choke flow as the flow passed.
thread_local bool sonic_trial = false;

// While the choke search asks the flow the element passes with its loss
// charged, the residual reports that flow at every trial speed, sonic or not:
// the search itself finds where it is largest.
thread_local bool charged_flow_trials = false;

// While the outlet speed is sought from the previous one, the trials need
// the flow passed, not the outlet entropy and relative total pressure of a
// turbine row or duct (no loss model reads them): the residual leaves those
// two out, and the evaluation at the speed found, which always follows the
// search, writes the whole state.
thread_local bool flow_only_trials = false;

struct FlowOnlyTrials {
    bool outer = flow_only_trials;
    FlowOnlyTrials() { flow_only_trials = true; }
    ~FlowOnlyTrials() { flow_only_trials = outer; }
    FlowOnlyTrials(const FlowOnlyTrials&) = delete;
    FlowOnlyTrials& operator=(const FlowOnlyTrials&) = delete;
};

// Swirl and meridional speed of a turned outlet at angle B2 for the trial
// speed w in the element's frame.
void turned_outlet(bdLocals& b, int i, int m, double w) {
    const OutletTrig& t = outlet_trig(kDegree * b.cas_B2[i][m]);
    b.flow_c2u[i][m] = t.cos * w + std::fabs(b.flow_u2[i][m]);
    b.flow_c2s[i][m] = t.sin * w;
}

bool passes_losses_as_turbine(const bdLocals& b, int i, int m) {
    return h2::turbine_row(b, i, m) || (h2::is_expanding(b) && b.elem_sectType[i - 1] == h2::kSectRadial);
}

// Loss wrapper of an unbladed element by its kind; none for the other kinds.
void unbladed_losses(int i, int m, double kind) {
    if (kind == h2::kKindUBend)
        elem_loss_uband(i, m);
    else if (kind == h2::kKindInletVolute)
        elem_loss_volin(i, m);
    else if (kind == h2::kKindDiffuser)
        elem_loss_diff(i, m);
    else if (kind == h2::kKindOutletVolute)
        elem_loss_volout(i, m);
}

// Enthalpy loss of the velocity coefficient phi at the outlet speed w. A
// blade row reaches w where the ideal expansion would reach w / phi, so it
// loses (1/phi^2 - 1) w^2/2, as the per-streamline rows charge it; an
// unbladed element loses the kinetic energy (1 - phi^2) of the faster of its
// inlet and outlet speeds. A row without a coefficient (phi 0) takes the
// channel form rather than an infinite loss.
double velocity_coefficient_loss(const bdLocals& b, int i, int m, double w) {
    const double phi = b.los_Los[i][m];
    if (b.elem_stagType[i] == h2::kKindBlade && phi != 0.0) return (1 / (phi * phi) - 1) * w * w / 2;
    const double w1 = b.flow_w1[i][m];
    return (1 - phi * phi) * std::fmax(w1 * w1, w * w) / 2;
}

// Outlet triangle of element i of the current case b, as outlet_triangle.
double outlet_triangle_of(bdLocals& b, int i) {
    const int m = h2::mid_stream(b);
    const double w = b.flow_w2[i][m];
    const bool angular = b.elem_sectType[i] == h2::kSectAngular;
    if (i == 0) {
        if (angular) {
            b.cas_B2[i][m] = 0.0;
            b.flow_c2u[i][m] = w;
            b.flow_c2s[i][m] = 0.0;
        } else {
            b.cas_B2[i][m] = b.cas_B1[i][m];
            turned_outlet(b, i, m, w);
        }
    } else if (b.elem_stagType[i] == h2::kKindBlade) {
        b.cas_B2[i][m] = h2::row_dev_angle_in(&b, i, m, b.cas_B2a[i][m]);
        turned_outlet(b, i, m, w);
    } else if (angular) {
        b.flow_c2u[i][m] = w;
        b.flow_c2s[i][m] = 0.0;
        b.cas_B2[i][m] = 0.0;
        if (b.ICLos != 0 && b.elem_stagType[i] == h2::kKindOutletVolute)
            b.los_Los[i][m] = elem_loss_volout(i, 0);
    } else {
        // Unbladed: the swirl keeps its angular momentum, w is the absolute speed.
        const double cu = b.flow_c1u[i][m] * b.flow_r1[i][m] / b.flow_r2[i][m];
        const double r = w * w - cu * cu;
        b.flow_c2u[i][m] = cu;
        b.flow_c2s[i][m] = r > 0.0 ? std::sqrt(r) : 0.0;
        b.cas_B2[i][m] = h2::flow_angle_deg(b.flow_c2s[i][m], cu);
    }
    return std::fabs(h2::normal_velocity(b, i, m, b.flow_c2s[i][m], b.flow_c2u[i][m]));
}

// The outlet's relative total enthalpy (rothalpy kept, with the outlet
// gravity head), where every outlet trial of element i starts.
void outlet_relative_total(bdLocals& b, int i, int m) {
    b.isd_i2wx[i][m] =
        b.isd_i1x[i][m] - b.flow_ucu1[i][m] + 0.5 * b.flow_u2[i][m] * b.flow_u2[i][m] + grav_head_out(i, m);
}

// A march whose speeds stay positive and whose streamlines stay in order from
// hub to casing: the state of a flow, not of an overshoot of the steps.
bool march_admissible(const bdLocals& b, int i) {
    for (int j = 0; j < b.cyld_nr; ++j) {
        if (!(b.flow_w2[i][j] > 0.0)) return false;
        if (j > 0 && !(b.flow_r2[i][j] > b.flow_r2[i][j - 1])) return false;
    }
    return true;
}

// Few streamlines over a long blade let the march overshoot to speeds that no
// stream tube can carry: the casing miss then has false maxima, and closures
// through streamlines of negative speed or crossed radii. When the walk from
// Cmax/2 ends on one of those, the best admissible march of a scan over the
// whole speed range starts a second walk; the walk's own speed w (with its
// defect) stays when no admissible march does better.
double hub_speed_scan(bdLocals& b, int i, double Cmax, double w, double defect) {
    const bool admissible = march_admissible(b, i);
    double best = 0.0, best_defect = -std::numeric_limits<double>::infinity();
    for (int k = 1; k < kHubScanSteps; ++k) {
        const double x = Cmax * k / kHubScanSteps;
        const double d = chavel2d_residual(x);
        if (d > best_defect && march_admissible(b, i)) {
            best = x;
            best_defect = d;
        }
    }
    if (best_defect == -std::numeric_limits<double>::infinity()) return w;
    const double again = h2::line_max(&chavel2d_residual, best, Cmax / kHubScanSteps / 4, kLineTol);
    double d = chavel2d_residual(again);
    double pick = again;
    if (!march_admissible(b, i)) {
        pick = best;
        d = best_defect;
    }
    return (!admissible || d > defect) ? pick : w;
}

// The flow element cur_elem passes at the outlet speed w with its loss
// charged: the flow the outlet-state residual finds there. A failed property
// call is no flow at all, as in choke_flow.
double charged_flow(double w) {
    bdLocals& b = cur();
    const int i = cur_index(b);
    const int m = h2::mid_stream(b);
    const double defect = chavel_residual(w);
    if (!(b.isd_p2[i][m] <= kFailedProperty) || !(b.isd_Ro2[i][m] <= kFailedProperty)) return -w;
    return b.elem_G2[i] - defect;
}

struct ChargedFlowTrials {
    FlowOnlyTrials flow_only;
    bool outer = charged_flow_trials;
    ChargedFlowTrials() { charged_flow_trials = true; }
    ~ChargedFlowTrials() { charged_flow_trials = outer; }
    ChargedFlowTrials(const ChargedFlowTrials&) = delete;
    ChargedFlowTrials& operator=(const ChargedFlowTrials&) = delete;
};

// The choke flow of element i with its loss charged. A row that loses total
// pressure passes less than its loss-free outlet at every speed: taking the
// loss-free maximum as the limit let a flow between the two pass the choke
// test and then find no outlet speed (a march that diverges with no word on
// the cause). The loss-free speed Cmax bounds the search from the side of an
// element without loss, whose flow is the same either way.
void charged_choke(bdLocals& b, int i, int m, double Wup, double& Cmax) {
    const ChargedFlowTrials trials;
    const double at_free = charged_flow(Cmax);
    if (!(at_free < b.choke_Gmax * (1 - kLossFreeShare))) return;
    const double Wc = h2::brent_max(&charged_flow, 0.0, Wup, kChokeTol);
    const double Gc = charged_flow(Wc);
    if (Gc >= at_free) {
        Cmax = Wc;
        b.choke_Gmax = Gc;
    } else {
        b.choke_Gmax = at_free;
    }
    // The arrays hold the outlet triangle of the choke speed, as after the
    // loss-free search.
    b.flow_w2[i][m] = Cmax;
    outlet_triangle_of(b, i);
}

// The outlet fields of one element's middle streamline that the choke
// search's trials write. A refused flow leaves them as they were before the
// search: its trials end far past the choke speed, where the fluid answers
// 1e20 for the pressure, and a host reading the outlet afterwards would take
// that failure value for a state.
class OutletTrialFields {
public:
    OutletTrialFields(bdLocals& b, int i, int m) : b_(b), i_(i), m_(m) {
        for (std::size_t k = 0; k < fields().size(); ++k) saved_[k] = (b.*fields()[k])[i][m];
    }
    void restore() {
        for (std::size_t k = 0; k < fields().size(); ++k) (b_.*fields()[k])[i_][m_] = saved_[k];
    }

private:
    using Field = double** bdLocals::*;
    static const std::array<Field, 16>& fields() {
        static const std::array<Field, 16> f = {
            &bdLocals::flow_w2,  &bdLocals::flow_c2u, &bdLocals::flow_c2s, &bdLocals::cas_B2,
            &bdLocals::isd_i2wx, &bdLocals::isd_i2,   &bdLocals::isd_p2,   &bdLocals::isd_p2wx,
            &bdLocals::isd_s2,   &bdLocals::isd_a2,   &bdLocals::isd_Ro2,  &bdLocals::enrg_dhb,
            &bdLocals::los_om,   &bdLocals::los_Los,  &bdLocals::los_Fp,   &bdLocals::flow_w1};
        return f;
    }
    bdLocals& b_;
    int i_, m_;
    std::array<double, 16> saved_{};
};

// The red lines of a flow the element cannot pass: the fixed line, then the
// element with its choke flow against the flow asked.
void refuse_flow(const bdLocals& b, int i) {
    if (h2::quiet_choke()) return;
    SetConColor(kRed, kMask);
    char text[224];
    std::snprintf(text, sizeof text,
                  "ChaVel severe error: G2 > Gmax calculation failed!\n"
                  "ChaVel: element %d cannot pass its flow: G2 = %.7g kg/s > Gmax = %.7g kg/s\n",
                  i, b.elem_G2[i], b.choke_Gmax);
    put_err(text);
    SetConDefColor();
}

// The choke speed of element i (its middle streamline) and, in choke_Gmax,
// its choke flow: with the loss charged, or (for the speed bound of the
// per-streamline march) on the isentropic outlet alone.
double choke_speed(bdLocals& b, int i, int m, bool charged) {
    const double f =
        b.fluid_func(H2_FLUID_CHOKE_FLAG, 0.0, 0.0, 0.0, H2_FLUID_MAIN) == 0.0 ? kWideBound : kNarrowBound;
    const double Wup = f * std::sqrt(2 * b.isd_i1wx[i][m]);
    b.lkg_elem = i;
    outlet_relative_total(b, i, m);
    if (b.IP > 1)
        put_dump("\ni=%2d G0 =%14g i0=%14g p0=%14g \n", i, b.elem_G2[i], b.isd_i1wx[i][m], b.isd_s1[i][m]);
    double Cmax = b.isd_s1[i][m] == 0.0 ? Wup : h2::brent_max(&choke_flow, 0.0, Wup, kChokeTol);
    b.choke_Gmax = choke_flow(Cmax);
    if (charged && b.isd_s1[i][m] != 0.0 && i > 0) charged_choke(b, i, m, Wup, Cmax);
    if (b.IP > 1)
        put_dump("i=%2d c2s=%14g B2=%14g Cmax=%14g Gmax=%14g\n", i, b.flow_c2s[i][m], b.cas_B2[i][m], Cmax,
                 b.choke_Gmax);
    return Cmax;
}

// findGmax on a case known to hold element i.
double choke_search(bdLocals& b, int i, bool charged) {
    const int m = h2::mid_stream(b);
    OutletTrialFields before(b, i, m);
    const double Cmax = choke_speed(b, i, m, charged);
    if (b.elem_G2[i] > b.choke_Gmax) {
        refuse_flow(b, i);
        before.restore();
        return -1.0;
    }
    return Cmax;
}

// A span march that does not close, for a flow above the one the middle
// streamline's row passes with its loss charged: the row is choked, and
// says so, rather than leave the user to add streamlines that cannot help.
bool choked_span(bdLocals& b, int i, int m) {
    if (i == 0) return false;
    OutletTrialFields before(b, i, m);
    (void)choke_speed(b, i, m, true);
    before.restore();
    if (!(b.elem_G2[i] > b.choke_Gmax)) return false;
    refuse_flow(b, i);
    return true;
}

}  // namespace

namespace h2 {

bool& quiet_choke() {
    thread_local bool quiet = false;
    return quiet;
}

ResidualAnswers& last_residual_answers() {
    thread_local ResidualAnswers last;
    return last;
}

}  // namespace h2

extern "C" {

double outlet_triangle(int i) { return outlet_triangle_of(cur(), i); }

double choke_flow(double w) {
    bdLocals& b = cur();
    const int i = cur_index(b);
    const int m = h2::mid_stream(b);
    b.flow_w2[i][m] = w;
    const double cn = outlet_triangle_of(b, i);
    const double h = b.isd_i2wx[i][m] - w * w / 2;
    const double p = fluid(b, H2_FLUID_P_IS, h, b.isd_s1[i][m], i);
    const double rho = fluid(b, H2_FLUID_RHO_PI, p, h, i);
    // A failed property call (1e20 or NaN) is no flow at all: steam's bound
    // reaches below the triple pressure from low-pressure stagnation states,
    // and 1e20 there would look like the largest flow to the search.
    if (!(p <= kFailedProperty) || !(rho <= kFailedProperty)) return -w;
    // Partial admission and the area factor narrow the outlet, as in the
    // outlet-state residual, so the choke flow is that of the real opening.
    return rho * b.bld_F2[i] * b.elem_Pa[i] * b.los_Fp[i][m] * cn;
}

double findGmax(int i) {
    bdLocals* bp = h2::solvable_case();
    if (bp == nullptr || i < 0 || i > bp->cyld_ns) return -1.0;
    return choke_search(*bp, i, true);
}

double chavel_residual(double w) {
    bdLocals& b = cur();
    const int i = cur_index(b);
    const int m = h2::mid_stream(b);
    b.flow_w2[i][m] = w;
    if (i == 0) {
        b.flow_w1[i][m] = w;
        b.cas_B2[i][m] = b.cas_B1[i][m];
    }
    const double cn = outlet_triangle_of(b, i);
    double h = b.isd_i2wx[i][m] - 0.5 * w * w;
    b.isd_i2[i][m] = h;
    // The outlet state's answers of this trial, kept for the completion of
    // the outlet once the speed is found (the losses above may ask the fluid
    // of other states: nothing of theirs is kept).
    h2::ResidualAnswers& answers = h2::last_residual_answers();
    answers.site = h2::AnswerSite::at(b, i, m);
    answers.s2.set = answers.a2.set = answers.Ro2.set = false;
    if (b.isd_p2[i][m] == 0.0) b.isd_p2[i][m] = b.isd_p1[i][m];
    if (b.isd_p2wx[i][m] == 0.0) b.isd_p2wx[i][m] = b.isd_p1x[i][m];
    const double kind = b.elem_stagType[i];
    if (h2::compressor_row(b, i, m)) {
        if (b.ICLos != 0) {
            if (b.elem_sectType[i] == h2::kSectRadial)
                kind == h2::kKindDeswirler ? elem_loss_other(i, m) : elem_loss_cent(i, m);
            else if (b.elem_sectType[i] == h2::kSectAxial)
                kind == h2::kKindDeswirler ? elem_loss_other(i, m) : elem_loss_axcomp(i, m);
        }
        // Total-pressure loss of a compressor row. The shaft's parasitic
        // work heats the gas at the pressure the blades reach: the density
        // continuity weighs is that of the heated outlet.
        const double euler = std::fabs(b.flow_u2[i][m]) * b.flow_c2u[i][m] - b.flow_ucu1[i][m];
        const double heated = b.isd_i2wx[i][m] + h2::compressor_parasitic_work(b, i, euler);
        h += heated - b.isd_i2wx[i][m];
        b.isd_i2[i][m] = h;
        b.isd_p2wx[i][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2wx[i][m], b.isd_s1[i][m], i) -
                           (b.isd_p1wx[i][m] - b.isd_p1[i][m]) * b.los_om[i][m];
        b.isd_s2[i][m] = fluid(b, H2_FLUID_S_PI, b.isd_p2wx[i][m], heated, i);
        answers.s2 = {b.isd_p2wx[i][m], heated, b.isd_s2[i][m], true};
        b.isd_p2[i][m] = fluid(b, H2_FLUID_P_IS, h, b.isd_s2[i][m], i);
    } else {
        if (i == 0) {
            b.enrg_dhb[i][m] = 0.0;
        } else {
            if (b.ICLos != 0) {
                if (kind == h2::kKindBlade) {
                    if (passes_losses_as_turbine(b, i, m)) section_losses(i, m);
                } else {
                    unbladed_losses(i, m, kind);
                    if (kind != h2::kKindHeatExchanger) {
                        const double k = fluid(b, H2_FLUID_KAPPA_PI, b.isd_p1wx[i][m], b.isd_i1wx[i][m], i);
                        const double phi = b.los_Los[i][m];
                        b.los_om[i][m] = k_loss_conv_b(phi * phi, b.isd_p1wx[i][m], b.isd_p1[i][m],
                                                       b.isd_i1wx[i][m], k, nullptr);
                    }
                }
            }
            b.enrg_dhb[i][m] = velocity_coefficient_loss(b, i, m, w);
        }
        const double dhb = b.enrg_dhb[i][m];
        b.isd_p2[i][m] = fluid(b, H2_FLUID_P_IS, h - dhb, b.isd_s1[i][m], i);
        if (!flow_only_trials) {
            b.isd_s2[i][m] = fluid(b, H2_FLUID_S_PI, b.isd_p2[i][m], h, i);
            answers.s2 = {b.isd_p2[i][m], h, b.isd_s2[i][m], true};
            b.isd_p2wx[i][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2wx[i][m], b.isd_s2[i][m], i);
            if (b.isd_s2[i][m] == 0.0) b.isd_p2wx[i][m] -= dhb * b.isd_Ro1[i][m];
        }
    }
    b.isd_a2[i][m] = fluid(b, H2_FLUID_SOUND_PI, b.isd_p2[i][m], h, i);
    answers.a2 = {b.isd_p2[i][m], h, b.isd_a2[i][m], true};
    double G;
    if (w > b.isd_a2[i][m] && !charged_flow_trials) {
        G = b.choke_Gmax;  // beyond the speed of sound the outlet passes its choke flow
        sonic_trial = true;
    } else {
        if (b.ICLos != 0) row_blockage(i, m);
        b.isd_Ro2[i][m] = fluid(b, H2_FLUID_RHO_PI, b.isd_p2[i][m], h, i);
        answers.Ro2 = {b.isd_p2[i][m], h, b.isd_Ro2[i][m], true};
        G = b.isd_Ro2[i][m] * b.bld_F2[i] * b.elem_Pa[i] * b.los_Fp[i][m] * cn;
    }
    return b.elem_G2[i] - G;
}

// The flow defect of chavel_residual relative to the flow asked, so that the
// root and the element's defect do not grow with the size of the machine.
static double chavel_relative_residual(double w) {
    const double G = cur().elem_G2[cur_index(cur())];
    const double r = chavel_residual(w);
    return G != 0.0 ? r / G : r;
}

// Root of f between a and b, whose values fa and fb differ in sign: false
// position with the Illinois rule (the value of an end kept twice is
// halved, so that end moves too), until a new point lies within eps of the
// last one.
static double illinois_root(h2::ScalarFunc f, double a, double fa, double b, double fb, double eps) {
    double last = b;
    int kept = 0;  // +1: a was kept last time, -1: b was
    for (int step = 0; step < kIllinoisSteps; ++step) {
        if (fb == fa) break;
        const double c = (a * fb - b * fa) / (fb - fa);
        if (std::fabs(c - last) < eps) return c;
        const double fc = f(c);
        last = c;
        if (fc == 0.0) return c;
        if (fc * fb > 0.0) {
            b = c;
            fb = fc;
            if (kept == 1) fa /= 2;
            kept = 1;
        } else {
            a = c;
            fa = fc;
            if (kept == -1) fb /= 2;
            kept = -1;
        }
    }
    return last;
}

// The outlet speed at which the element passes its flow, to the same step
// Cmax * tol as a false position over [0, Cmax]. The previous iteration's
// speed w0 is close: a step on from it finds the sign change, which the
// Illinois steps close in a few evaluations; without a bracket there (w0
// outside the range, or the residual of one sign up to the ends) the search
// covers [0, Cmax] as it stands.
// NaN when the steps find no sign change.
static double warm_speed_root(double w0, double Cmax, double tol) {
    const double eps = Cmax * tol;
    if (!(w0 > 0.0 && w0 < Cmax)) return std::numeric_limits<double>::quiet_NaN();
    double a = w0;
    double fa = chavel_relative_residual(a);
    if (fa == 0.0) return a;
    // Below the choke speed the flow grows with the speed: a positive defect
    // (flow asked above the flow passed) lies below the root.
    double h = std::fmax(2.0 * eps, kWarmStep * w0) * (fa > 0.0 ? 1.0 : -1.0);
    for (int k = 0; k < kWarmSteps; ++k) {
        const double b = std::clamp(a + h, 0.0, Cmax);
        const double fb = chavel_relative_residual(b);
        if (fb == 0.0) return b;
        if (fa * fb < 0.0) return illinois_root(&chavel_relative_residual, a, fa, b, fb, eps);
        if (b == 0.0 || b == Cmax) break;
        // On along the secant through the two points, half as far again, and
        // at least twice the last step.
        const double secant = fb != fa ? -fb * (b - a) / (fb - fa) : 0.0;
        const double grow = kWarmGrowth * std::fabs(h);
        h = (h > 0.0 ? 1.0 : -1.0) *
            (secant * h > 0.0 ? std::fmax(grow, kSecantReach * std::fabs(secant)) : grow);
        a = b;
        fa = fb;
    }
    return std::numeric_limits<double>::quiet_NaN();
}

static double outlet_speed_root(double w0, double Cmax, double tol) {
    const FlowOnlyTrials trials;
    const double w = warm_speed_root(w0, Cmax, tol);
    return std::isnan(w) ? h2::root_falsi(&chavel_relative_residual, 0.0, Cmax, tol) : w;
}

// The outlet speed from the previous one without a new choke search: the
// root's steps bounded by the last choke speed Cmax of the element. Kept
// when the root stays clear of that bound, no trial was sonic, and the flow
// at the isentropic outlet still rises past the root, so that the choke speed
// lies above it and a full search would bound the same root. The choke flow
// left for the element is then its last one. NaN otherwise.
static double root_below_last_choke(bdLocals& b, int i, int m, double w_prev, double Cmax, double tol) {
    const double Gmax = choke_memo(b).Gmax[i];
    // A flow raised toward the last choke flow asks for the choke flow itself.
    if (!(b.elem_G2[i] <= (1 - kWarmChokeMargin) * Gmax)) return std::numeric_limits<double>::quiet_NaN();
    b.lkg_elem = i;
    outlet_relative_total(b, i, m);
    b.choke_Gmax = Gmax;
    sonic_trial = false;
    const double w = [&] {
        const FlowOnlyTrials trials;
        return warm_speed_root(w_prev, Cmax, tol);
    }();
    if (!(w <= (1 - kWarmChokeMargin) * Cmax) || sonic_trial) return std::numeric_limits<double>::quiet_NaN();
    if (!(choke_flow(w) < choke_flow(w + kWarmChokeRise * Cmax)))
        return std::numeric_limits<double>::quiet_NaN();
    return w;
}

// The outlet speed below the choke speed Cmax just searched: a scan for the
// sign change when the outlet has no state yet (or no entropy), else the
// root from the previous speed w_prev.
static void chavel_cold(bdLocals& b, int i, int m, double w_prev, double Cmax, double tol) {
    if (b.isd_s2[i][m] == 0.0) {
        // No outlet state yet (or no entropy): scan up to Cmax for a sign change.
        // The scan starts at the speed that carries the inlet flow through the
        // outlet at the inlet's density (continuity, G1 / (rho1 F2 Pa Fp)):
        // below the root, as the outlet's density and normal speed are
        // lower. The inverse product, 1/velocity, would start near rest and
        // walk tens of steps to the sign change. Without an opening, or with
        // an estimate past Cmax, the scan starts at rest.
        const double opening = b.isd_Ro1[i][m] * b.bld_F2[i] * b.elem_Pa[i] * b.los_Fp[i][m];
        const double cn = opening > 0.0 ? b.elem_G1[i] / opening : 0.0;
        double w = cn;
        if (!(w >= 0.0 && w < Cmax)) w = 0.0;
        // That speed is the outlet's normal speed: a turned outlet reaches it
        // at a larger speed along its angle, the triangle's normal share at
        // that speed tells how much larger.
        double r_prev = 0.0;
        bool started = false;
        if (w > 0.0) {
            b.flow_w2[i][m] = w;
            const double share = outlet_triangle_of(b, i) / w;
            const double along = share > 0.0 ? cn / share : 0.0;
            if (along > w && along < Cmax) {
                r_prev = chavel_relative_residual(along);
                // Past the root (an outlet denser than the inlet): the plain estimate.
                if (r_prev > 0.0) {
                    w = along;
                    started = true;
                }
            }
        }
        const double s = (Cmax - w) / kScanSteps;
        if (!started) r_prev = chavel_relative_residual(w);
        double r = r_prev;
        double lower = w - s;
        double upper = w;
        for (int k = 1; k < kScanSteps; ++k) {
            r = chavel_relative_residual(w + s);
            lower = w;
            upper = w + s;
            w = upper;
            if (r * r_prev < 0.0) break;
            r_prev = r;
        }
        const bool crossed = r * r_prev < 0.0;
        b.flow_w2[i][m] = h2::root_falsi(&chavel_relative_residual, lower, upper - lower, tol);
        b.delta[i] = crossed ? kScanDefect : r;
    } else {
        b.flow_w2[i][m] = outlet_speed_root(w_prev, Cmax, tol);
        b.delta[i] = chavel_relative_residual(b.flow_w2[i][m]);
    }
}

// The squared defect of the speed found, and the state of a fluid without
// entropy from the relative total pressure.
static void finish_chavel(bdLocals& b, int i, int m) {
    b.delta[i] = b.delta[i] * b.delta[i];
    if (b.isd_s2[i][m] == 0.0) {
        // A fluid without entropy: the state follows from the relative total pressure.
        const double s2 = b.isd_s2[i][m];
        const double w2 = b.flow_w2[i][m];
        const double c2 = b.flow_c2[i][m];
        b.isd_i2wx[i][m] = fluid(b, H2_FLUID_I_PS, b.isd_p2wx[i][m], s2, i);
        b.isd_i2[i][m] = b.isd_i2wx[i][m] - w2 * w2 / 2;
        b.isd_p2[i][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2[i][m], s2, i);
        b.isd_i2x[i][m] = b.isd_i2[i][m] + c2 * c2 / 2;
        b.isd_p2x[i][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2x[i][m], s2, i);
    }
    if (b.IP > 0)
        put_dump("i=%2d dG =%14g w2=%14g i2=%14g p2=%14g Ro2=%14g s0=%14g\n", i, b.delta[i], b.flow_w2[i][m],
                 b.isd_i2[i][m], b.isd_p2[i][m], b.isd_Ro2[i][m], b.isd_s2[i][m]);
}

int ChaVel(int i) {
    // The outlet speed of the previous iteration, before the choke search's
    // trials overwrite it.
    const bdLocals* prev = h2::current_case();
    const int mid = prev != nullptr ? h2::mid_stream(*prev) : 0;
    const double w_prev = prev != nullptr && prev->flow_w2 != nullptr && i >= 0 && i <= prev->cyld_ns
                              ? prev->flow_w2[i][mid]
                              : 0.0;
    bdLocals* bp = h2::solvable_case();
    if (bp == nullptr || i < 0 || i > bp->cyld_ns) return 1;
    bdLocals& b = *bp;
    // Every trial speed below asks the same element the same profile tests.
    const h2::ProfileClassScope classes(&b, i, i);
    const h2::DeviationRouteScope deviation(&b, i);
    const int m = h2::mid_stream(b);
    // The speed root is found well inside the accuracy asked of the march: a
    // relative defect e counts as e^2 against acc_limit.
    const double tol =
        b.acc_limit > 0.0 ? std::fmin(kRootTol, kRootShare * std::sqrt(b.acc_limit)) : kRootTol;
    // From the second iteration of a solve on, an element solved in the last
    // iteration tries its root below its last choke speed first.
    ChokeMemo& memo = choke_memo(b);
    const bool warm = b.IP <= 1 && b.iter >= 1 && memo.solved_in[i] == b.iter - 1 && b.isd_s2[i][m] != 0.0 &&
                      memo.Cmax[i] > 0.0;
    memo.solved_in[i] = b.iter;
    const double w_warm = warm ? root_below_last_choke(b, i, m, w_prev, memo.Cmax[i], tol)
                               : std::numeric_limits<double>::quiet_NaN();
    if (!std::isnan(w_warm)) {
        b.flow_w2[i][m] = w_warm;
        b.delta[i] = chavel_relative_residual(w_warm);
    } else {
        const double Cmax = findGmax(i);
        if (Cmax < 0.0) {
            memo.solved_in[i] = -1;
            return 1;
        }
        memo.Cmax[i] = Cmax;
        memo.Gmax[i] = b.choke_Gmax;
        chavel_cold(b, i, m, w_prev, Cmax, tol);
    }
    finish_chavel(b, i, m);
    return 0;
}

double chavel2d_residual(double w) {
    bdLocals& b = cur();
    const int i = cur_index(b);
    b.flow_w2[i][h2::mid_stream(b)] = w;
    return b.elem_stagType[i] == h2::kKindBlade ? elem_blade_2d(i, w) : elem_channel_2d(i, w);
}

int ChaVel2D(int i) {
    // The hub speed of the previous iteration (the hub streamline's outlet
    // speed, which the choke search leaves alone), before anything else.
    const bdLocals* prev = h2::current_case();
    const double hub_prev = prev != nullptr && prev->flow_w2 != nullptr && i > 0 && i <= prev->cyld_ns &&
                                    prev->isd_s2 != nullptr && prev->isd_s2[i][0] != 0.0
                                ? prev->flow_w2[i][0]
                                : 0.0;
    const h2::ProfileClassScope classes(prev, i, i);
    const h2::DeviationRouteScope deviation(prev, i);
    bdLocals* bp = h2::solvable_case();
    if (bp == nullptr || i < 0 || i > bp->cyld_ns) return 1;
    bdLocals& b = *bp;
    // The streamlines' own rows, not the middle one's, decide whether the
    // span passes its flow: the speed bound is the isentropic outlet's.
    const double Cmax = choke_search(b, i, false);
    if (Cmax < 0.0) return 1;
    const int m = h2::mid_stream(b);
    if (i == 0) {
        b.delta[0] = ChaVel(0);
        elem_inlet_2d(0, b.flow_w2[0][m]);
    } else {
        // The walk starts at the previous hub speed, a short step on, once
        // the element has an outlet state; at Cmax/2 before.
        const bool warm = hub_prev > 0.0 && hub_prev < Cmax;
        const double walk = warm ? h2::line_max(&chavel2d_residual, hub_prev, kWarmLineStep, kLineTol)
                                 : h2::line_max(&chavel2d_residual, Cmax / 2, kLineStep, kLineTol);
        b.flow_w2[i][0] = walk;
        const double defect = chavel2d_residual(walk);
        b.delta[i] = std::fabs(defect);
        if (!(-defect <= kClosedMarch && march_admissible(b, i))) {
            const double w = hub_speed_scan(b, i, Cmax, walk, defect);
            if (choked_span(b, i, m)) return 1;
            b.flow_w2[i][0] = w;
            b.delta[i] = std::fabs(chavel2d_residual(w));  // the state of the speed kept
        }
    }
    if (b.IP > 0)
        put_dump("i=%2d dG=%14g w2=%14g i2=%14g p2=%14g Ro2=%14g s0=%14g\n", i, b.delta[i], b.flow_w2[i][m],
                 b.isd_i2[i][m], b.isd_p2[i][m], b.isd_Ro2[i][m], b.isd_s2[i][m]);
    return 0;
}
}
