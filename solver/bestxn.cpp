// The solver driver: set-up of the case's geometry and inlet state, the outer
// iterations with their task step, strength pass, whole-path results, loss
// step and convergence test, and the solver's result codes.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>

#include <string>
#include <vector>

#include "case/case_arrays.h"
#include "case/output_internal.h"
#include "case/pitch_inputs.h"

#include "halvorine2/console.h"
#include "halvorine2/output.h"
#include "halvorine2/strength.h"
#include "halvorine2/threading.h"
#include "halvorine2/units.h"
#include "numerics/cg_search.h"
#include "numerics/fr_locals.h"
#include "physics/known_answers.h"
#include "physics/profile_class.h"
#include "reports/report_api.h"
#include "solver/compressor_limits.h"
#include "solver/elem_select.h"
#include "solver/solved_state_check.h"
#include "solver/solver_api.h"
#include "solver/solver_conventions.h"
#include "solver/solver_internal.h"
#include "solver/solver_seams.h"
#include "solver/solver_state.h"

extern "C" {
// Metal temperature of a blade row and its material properties at it.
int strs_material(int row, double T);
}

namespace {

using h2::kDegree;
using h2::kPi;

// Solver results.
constexpr int kDone = 0;
constexpr int kTestFailed = 1;
constexpr int kIterationLimit = 2;
constexpr int kCorrupted = 3;
constexpr int kAborted = 4;
constexpr int kDiverged = 5;
constexpr int kNoHandler = 13;
constexpr int kBadData = -1;

constexpr double kAccuracyOffset = 1e-10;  // keeps the direct task's accuracy off zero
constexpr double kFailedAccuracy = 1e6;
// Summed squared defect below which a start march has passed its flow.
constexpr double kStartMarchDefect = 1e-6;
constexpr int kDefaultDivergeLimit = 3;
constexpr int kCorruptedOutputLine = 1168;
constexpr const char* kDriverSource = "solver/bestXN";
// A stator row whose chord exceeds its axial chord by this factor takes the stator section model.
constexpr double kStatorChordRatio = 1.01;
constexpr double kRadialModule = 5.0;
constexpr double kRadialSlope = 90.0;  // streamline slope of a radial outflow, degrees  // elem__moduleType
                                       // of a centrifugal compressor stage
constexpr int kPerLine = 12;
constexpr int kVelocityUnit = 18;
constexpr int kPowerUnit = 21;

constexpr std::uint16_t kMask = 240;
constexpr std::uint16_t kCyan = 3;
constexpr std::uint16_t kBrightCyan = 11;
constexpr std::uint16_t kRed = 12;
constexpr std::uint16_t kYellow = 14;

void fatal(const char* text) {
    SetConColor(kRed, kMask);
    put_err(text);
    SetConDefColor();
}

using h2::design_task;
using h2::direct_task;
using h2::inverse_task;
bool mean_line(const bdLocals& b) { return b.cyld_nr < 2 || b.cyld_force1D != 0; }

void set_up_element(bdLocals& b, int i) {
    const int NI = b.cyld_nr;
    const int m = h2::mid_stream(b);
    if (b.elem_plenum[i] != 0.0) b.elem_NSEGM[i] = -std::fabs(b.elem_NSEGM[i]);
    b.elem_af[i] = b.cyld_af;
    if (b.elem_stagType[i] != h2::kKindUBend) {
        b.bld_Rt1[i] = (b.bld_d1[i] + b.bld_l1[i]) / 2;
        b.bld_Rh1[i] = (b.bld_d1[i] - b.bld_l1[i]) / 2;
        b.bld_Rt2[i] = (b.bld_d2[i] + b.bld_l2[i]) / 2;
        b.bld_Rh2[i] = (b.bld_d2[i] - b.bld_l2[i]) / 2;
    }
    const bool angular = b.elem_sectType[i] == h2::kSectAngular;
    if (!angular)
        b.bld_F2[i] = b.elem_stagType[i] == h2::kKindInletVolute ? b.vol_D7[i] * kPi * b.vol_b7[i]
                                                                 : b.bld_d2[i] * kPi * b.bld_l2[i];
    else
        b.bld_F2[i] = i == 0 ? b.vol_bk[1] * b.vol_hk[1] : b.vol_bk[i] * b.vol_hk[i];
    if (b.elem_stagType[i] == h2::kKindInletVolute)
        for (int j = 0; j < NI; ++j) b.cas_B2a[i][j] = b.cas_B2eff[i][j];
    // Radii and blade speeds of the hub, tip and middle sections.
    const bool axial = b.elem_sectType[i] == h2::kSectAxial;
    auto radii = [&](int j, double r1, double r2) {
        b.flow_r1[i][j] = r1;
        b.flow_r2[i][j] = r2;
        b.flow_u1[i][j] = b.bld_wp[i] * r1;
        b.flow_u2[i][j] = b.bld_wp[i] * r2;
    };
    const double d1 = b.bld_d1[i], l1 = b.bld_l1[i], d2 = b.bld_d2[i], l2 = b.bld_l2[i];
    if (axial) {
        radii(0, (d1 - l1) / 2, (d2 - l2) / 2);
        if (NI > 1) radii(NI - 1, (d1 + l1) / 2, (d2 + l2) / 2);
    } else {
        radii(0, d1 / 2, d2 / 2);
        if (NI > 1) radii(NI - 1, d1 / 2, d2 / 2);
    }
    radii(m, d1 / 2, d2 / 2);
    if (i < b.cyld_ns) b.is_contr[i] = b.bld_wp[i] * b.bld_wp[i + 1] < 0.0 ? 1.0 : 0.0;
}

void set_up_sections(bdLocals& b, int i) {
    const int NI = b.cyld_nr;
    for (int j = 0; j < NI; ++j) {
        if (b.elem_sectType[i] == h2::kSectAxial && NI > 1) {
            const double t = static_cast<double>(j) / (NI - 1);
            b.cas_ra1[i][j] = b.bld_Rh1[i] + (b.bld_Rt1[i] - b.bld_Rh1[i]) * t;
            b.cas_ra2[i][j] = b.bld_Rh2[i] + (b.bld_Rt2[i] - b.bld_Rh2[i]) * t;
            if (b.cyld_force1D != 0) {
                b.flow_r1[i][j] = b.cas_ra1[i][j];
                b.flow_r2[i][j] = b.cas_ra2[i][j];
            } else {
                // Equal-area spacing of the stream tubes.
                auto ring = [&](double rt, double rh) {
                    return std::sqrt((rt * rt - rh * rh) * t + rh * rh);
                };
                b.flow_r1[i][j] = ring(b.bld_Rt1[i], b.bld_Rh1[i]);
                b.flow_r2[i][j] = ring(b.bld_Rt2[i], b.bld_Rh2[i]);
            }
        }
        // A radial section passes its flow through a cylinder: a slope left
        // at 0 there would have no flow normal to it, a choke flow of zero at
        // every speed. Its outlet runs radially unless a slope is given.
        if (b.elem_sectType[i] == h2::kSectRadial && b.cas_t2[i][j] == 0.0) b.cas_t2[i][j] = kRadialSlope;
        b.cas_sinT2[i][j] = std::sin(b.cas_t2[i][j] * kDegree);
        b.cas_cosT2[i][j] = std::cos(b.cas_t2[i][j] * kDegree);
        if (b.los_Fp[i][j] == 0.0) b.los_Fp[i][j] = 1.0;
        if (b.los_Los[i][j] == 0.0) b.los_Los[i][j] = 1.0;
        if (h2::compressor_row(b, i, j)) b.cas_B2g[i][j] = b.cas_B2a[i][j];
    }
}

void print_velocities(const bdLocals& b, const std::vector<double>& x) {
    SetConColor(kBrightCyan, kMask);
    put_dump("\nInitial velocities are (%s):\n", unitsLabel(kVelocityUnit));
    SetConColor(kCyan, kMask);
    for (int i = 0; i <= b.cyld_ns; ++i) {
        put_dump("%-10g ", unitsToView(std::exp(x[i]) * b.wb[i], kVelocityUnit));
        if ((i + 1) % kPerLine == 0) put_dump("\n");
    }
    put_dump("\n");
    SetConDefColor();
}

void set_up(bdLocals& b) {
    b.div_count = 0;
    b.iter = 0;
    b.sl_iter = 0;
    for (int i = 0; i <= b.cyld_ns; ++i) set_up_element(b, i);
    for (int i = 0; i <= b.cyld_ns; ++i) set_up_sections(b, i);
    for (int j = 0; j < b.cyld_nr; ++j) {
        if (b.isd_p1x[0][j] == 0.0) b.isd_p1x[0][j] = b.elem_p0[0];
        if (b.isd_i1x[0][j] == 0.0) b.isd_i1x[0][j] = b.elem_i0[0];
        b.isd_p1wx[0][j] = b.isd_p1x[0][j];
        b.isd_i1wx[0][j] = b.isd_i1x[0][j];
        b.isd_s1[0][j] = h2::fluid(b, H2_FLUID_S_PI, b.isd_p1x[0][j], b.isd_i1x[0][j], 0);
    }
    b.cyld_G = b.elem_G1[0];
    if (b.cyld_VART == 40 || b.cyld_VART == 400) b.cyld_Gdesired = b.cyld_G;
    std::vector<double>& x = h2::solver_unknowns();
    x.assign(static_cast<std::size_t>(b.cyld_ns) + 2, 0.0);
    std::fill_n(b.solve_vector, std::min(b.cyld_ns, 99) + 1, 0.0);
    if (b.cyld_VART >= 10 && b.IPP > 0) print_velocities(b, x);
    b.err_text[0] = '\0';
}

void streamline_pass(bdLocals& b, int sl) {
    const int print = b.IPP > 2;
    if (b.cyld_MethodL != 0) build_streamlines(sl, b.cyld_MethodL, print);
    relax_streamlines(sl, b.cyld_MethodL, print);
}

// Design step of a compressing path: each module regenerated by its own pass.
int compressor_modules(const bdLocals& b) {
    const h2::SolverSteps& steps = h2::solver_steps();
    const int NS = b.cyld_ns;
    const int M = static_cast<int>(std::trunc(b.elem_moduleNum[NS]) - std::trunc(b.elem_moduleNum[0])) + 1;
    int first = 0;
    for (int module = 0; module < M; ++module) {
        // More modules than runs would read past the path.
        if (first >= NS) break;
        int count = 0;
        int result;
        if (b.elem_moduleType[first + 1] == kRadialModule) {
            while (first + 1 + count <= NS && b.elem_moduleType[first + 1 + count] == kRadialModule) ++count;
            result = steps.radial_comp_regen(first);
        } else {
            while (first + 1 + count <= NS && b.elem_moduleType[first + 1 + count] != kRadialModule) ++count;
            // The fan pass works on elements 0 and 1 only: a one-element run
            // behind another module has no pass that could regenerate it.
            if (count == 1 && first != 0) return kBadData;
            // The axial pass takes the run's last element.
            result = count == 1 ? steps.fan_regen() : steps.axial_comp_regen(first, first + count);
        }
        if (result != 0) return kBadData;
        if (count == NS) break;
        first += count;
    }
    return kDone;
}

void strength_pass(bdLocals& b) {
    if (!h2::is_expanding(b) || b.strs_policy == 0 || !(std::fabs(b.accuracy) < b.acc_limit)) return;
    // The strength routines read the section NI/2; the pass prepares the same one.
    const int j = b.cyld_nr / 2;
    // The section calls below rewrite pitch, relative pitch, chord and blade count; the solve
    // goes on with the path the host gave.
    const h2::PitchInputsGuard inputs(b);
    for (int i = 1; i <= b.cyld_ns; ++i) {
        if (b.elem_sectType[i] != h2::kSectAxial || b.elem_sectType[i - 1] != h2::kSectAxial) continue;
        const double T = h2::fluid(b, H2_FLUID_T_PI, b.isd_p1wx[i][j], b.isd_i1wx[i][j], 0);
        strs_material(i, T);
        term_model();
        init_model();
        const bool spanwise = b.cyld_nr - 1 > 1;
        if (h2::is_rotor(b, i)) {
            WorkGeom(i, j, 1);
            rlpc(i);
            if (spanwise) rlzc(i);
            vibration(i);
            if (spanwise) vibrzz(i);
            diskr(i);
        } else {
            if (b.cas_b[i][j] > kStatorChordRatio * b.cas_bx[i][j])
                GuideGeom(i, j, 1);
            else
                WorkGeom(i, j, 1);
            diafr(i);
        }
    }
}

void one_d_refresh(const bdLocals& b) {
    if (!mean_line(b)) return;
    // A direct march stopped at a choked element solved nothing from it on:
    // those elements keep their last state rather than spread one that was
    // never computed (zeros before the first full march, read as 0/0).
    const int failed = h2::march_failure().elem;
    const int last = direct_task(b.cyld_VART) && failed >= 0 ? failed - 1 : b.cyld_ns;
    for (int i = 0; i <= last; ++i) {
        if (b.elem_sectType[i] == h2::kSectAxial)
            span_flow_axial(i);
        else
            span_flow(i, 0);
    }
}

// The element whose last stream tube misses the casing most, when that miss
// is what keeps a direct per-streamline march that reached the outlet from
// its accuracy; 0 otherwise. Such a march has not diverged: its streamlines
// are too few for the span of that element.
int unclosed_element(const bdLocals& b) {
    if (!direct_task(b.cyld_VART) || mean_line(b) || !(b.accuracy < kFailedAccuracy)) return 0;
    int worst = 0;
    for (int i = 1; i <= b.cyld_ns; ++i)
        if (b.elem_sectType[i] == h2::kSectAxial && b.elem_stagType[i] != h2::kKindHeatExchanger &&
            (worst == 0 || b.delta[i] > b.delta[worst]))
            worst = i;
    return worst != 0 && b.delta[worst] > b.acc_limit && 2.0 * b.delta[worst] > b.accuracy ? worst : 0;
}

// A path that expands from its inlet to its given outlet pressure is a
// turbine: one that ends absorbing power, or with an efficiency above 1, has
// solved to a state no turbine reaches, a sign of wrong input (blade angles,
// speeds or heights that make its rows compress).
void warn_absorbing_turbine(const bdLocals& b) {
    if (!h2::is_expanding(b) || !(b.cyld_Nc < 0.0 || b.cyld_eff > 1.0)) return;
    SetConColor(kYellow, kMask);
    put_dump(
        "\nWarning: %.*s: the expanding path ends with power %g %s and efficiency %g; a turbine does not "
        "absorb work, check the input\n\n",
        static_cast<int>(strnlen(b.name, sizeof b.name)), b.name, unitsToView(b.cyld_Nc, kPowerUnit),
        unitsLabel(kPowerUnit), b.cyld_eff);
    SetConDefColor();
}

void mirror_unknowns(bdLocals& b) {
    const std::vector<double>& x = h2::solver_unknowns();
    const int n = std::min(b.cyld_ns, 99);
    for (int i = 0; i <= n; ++i) b.solve_vector[i] = x[i];
}

// True, with the line that names the field and the element, when the flow
// state or the geometry the solve used holds a value that is no finite number.
bool non_finite_state(bdLocals& b) {
    const std::string bad = h2::non_finite_result(b);
    if (bad.empty()) return false;
    fatal(h2::format_text("Fatal error: Corrupted output data! %s", bad.c_str()).c_str());
    b.accuracy = kFailedAccuracy;
    std::snprintf(b.err_text, sizeof b.err_text, "ERRCODE_CORRUPTED_DATA: in %s line %d", kDriverSource,
                  kCorruptedOutputLine);
    return true;
}

// The unknowns of an inverse task from a march at the case's flow: every row
// on the branch a march takes, its subsonic one, whatever first velocities
// the case gives. Started from those alone, the search of a turbine at a
// high pressure ratio could settle on a second answer (a supersonic nozzle
// exit with a pressure rise through the rotor) or none, depending on the
// guess. A march that cannot pass the flow leaves the case's velocities. An
// element solved streamline by streamline takes its hub speed.
void start_from_march(bdLocals& b, std::vector<double>& x) {
    struct Quiet {
        bool outer = h2::quiet_choke();
        Quiet() { h2::quiet_choke() = true; }
        ~Quiet() { h2::quiet_choke() = outer; }
        Quiet(const Quiet&) = delete;
        Quiet& operator=(const Quiet&) = delete;
    } const quiet;
    const double S = solve_given_mfr();
    const bool passed = h2::march_failure().elem < 0 && S < kStartMarchDefect;
    h2::march_failure() = {};
    if (!passed) return;
    const int m = h2::mid_stream(b);
    for (int i = 0; i <= b.cyld_ns; ++i) {
        const double w = b.flow_w2[i][h2::solved_per_streamline(b, i) ? 0 : m];
        if (w > 0.0 && b.wb[i] > 0.0) x[static_cast<std::size_t>(i)] = std::log(w / b.wb[i]);
    }
}

int solve(bdLocals& b) {
    // An analysis keeps the arrays it was given: checked once here, not by
    // every step of every iteration.
    std::optional<h2::ArraysCheckedScope> arrays;
    if (!design_task(b.cyld_VART)) arrays.emplace(&b);
    set_up(b);
    h2::march_failure() = {};
    h2::forget_full_march();
    h2::power_settling() = {};
    double p_ref = 0.0;
    double g_ref = 0.0;
    int sl = 0;
    const int vart = b.cyld_VART;
    const bool design = design_task(vart);
    int it = 1;
    for (; it <= b.IGM; ++it) {
        const h2::frLocals* fr = get_frLocals();
        if (it > 1 && b.ICLos == 2) b.ICLos = 0;
        if (b.IP > 0) {
            SetConColor(kBrightCyan, kMask);
            put_dump("\nIteration %d\n", it);
            SetConDefColor();
        }
        if (sl <= b.ISM && (design || b.cyld_nr > 1 || it == 1) && std::fabs(b.accuracy) < b.sl_acc_limit) {
            if (!(design && it == 1)) streamline_pass(b, sl);
            ++sl;
        }
        // Once the streamlines of the iteration are laid, an analysis leaves
        // the blade angles, counts and radii alone until the next: each
        // section's profile class holds for the whole iteration. A design
        // task resizes its rows in the iteration and asks afresh.
        std::optional<h2::ProfileClassScope> classes;
        if (!design) classes.emplace(&b, 0, b.cyld_ns);
        if (design) {
            if (h2::is_expanding(b)) {
                if (h2::solver_steps().turbine_regen() != 0) return kBadData;
            } else if (compressor_modules(b) != kDone) {
                return kBadData;
            }
            b.accuracy = 0.0;
        } else if (direct_task(vart)) {
            SetConColor(kCyan, kMask);
            b.accuracy = solve_given_mfr() + kAccuracyOffset;
        } else if (inverse_task(vart)) {
            SetConColor(kCyan, kMask);
            std::vector<double>& x = h2::solver_unknowns();
            if (it == 1 && (vart == 20 || vart == 200 || vart == 30 || vart == 300)) start_from_march(b, x);
            const int n = b.cyld_ns + (vart == 40 || vart == 400 ? 2 : 1);
            b.accuracy = h2::cg_maximize(n, b.IM, b.IP, b.FRis, b.acc_E, b.acc_EE, b.acc_D, b.acc_MU0,
                                         b.acc_D0, flow_residual, x.data());
        } else {
            fatal("bestXN: Fatal error - unknown task!");
            return kNoHandler;
        }
        if (!design) {
            if (!std::isfinite(b.accuracy)) {
                fatal("bestXN: Fatal error - BAD accuracy data!");
                return kBadData;
            }
            strength_pass(b);
            // Sections rated from absurd geometry leave the loss models nothing to classify.
            if (non_finite_state(b)) return kCorrupted;
        }
        b.iter = it;
        b.sl_iter = sl;
        b.inner_steps = fr != nullptr ? fr->I : 0;
        mirror_unknowns(b);
        if (b.IPP > 3 && b.S1mode == 0 && b.dump_stream != nullptr) report_result(b.dump_stream);
        // The whole-path results ask for temperatures and speeds of sound the
        // spread has just asked for; between the two the fluid stays as it is.
        {
            struct SpreadPass {
                explicit SpreadPass(const bdLocals& c) { h2::spread_answers().start(c); }
                ~SpreadPass() { h2::spread_answers().stop(); }
                SpreadPass(const SpreadPass&) = delete;
                SpreadPass& operator=(const SpreadPass&) = delete;
            } const pass(b);
            one_d_refresh(b);
            // A direct march that stopped at a choked element left no flow field
            // past it: the whole-path results keep those of the last full march
            // rather than turn failed property values into a power or efficiency.
            if (!(direct_task(vart) && h2::march_failure().elem >= 0)) {
                calc_integral(vart >= 10 ? 1 : 0);
                if (direct_task(vart)) h2::keep_full_march(b);
            }
        }
        const int loss = h2::solver_steps().loss_step();
        if (loss != 0) return loss;
        int verdict = check_convergence(it, sl, &p_ref, &g_ref);
        if (it < 3) verdict = 0;
        const int status = report_iteration(verdict);
        if (status == kAborted) {
            fatal("Fatal error: Equation calculation aborted!");
            return kAborted;
        }
        if (status != 0) {
            if (b.ranges_ref == nullptr) fatal("Fatal error: Corrupted output data!");
            b.accuracy = kFailedAccuracy;
            std::snprintf(b.err_text, sizeof b.err_text, "ERRCODE_CORRUPTED_DATA: in %s line %d",
                          kDriverSource, kCorruptedOutputLine);
            return kCorrupted;
        }
        if (b.div_limit == 0) b.div_limit = kDefaultDivergeLimit;
        if (std::fabs(b.accuracy) <= b.acc_limit) {
            b.div_count = 0;
        } else if (++b.div_count == b.div_limit) {
            if (const int e = unclosed_element(b); e > 0) {
                SetConColor(kYellow, kMask);
                put_dump(
                    "\nWarning: element %d: the streamline march does not close on the casing with %d "
                    "streamlines (squared miss %g of the tip radius); the span needs more streamlines\n\n",
                    e, b.cyld_nr, b.delta[e]);
                SetConDefColor();
                return kIterationLimit;
            }
            return kDiverged;
        }
        if (verdict == 1) break;
        if (verdict == -1) {
            b.accuracy = kFailedAccuracy;
            return kTestFailed;
        }
    }
    if (!design && it > b.IGM) {
        b.iter = b.IGM;
        SetConColor(kYellow, kMask);
        if (!mean_line(b))
            put_dump("\nWarning: Streamline convergence was not reached during first %d iterations\n\n",
                     b.IGM);
        else
            put_dump("\nWarning: Loss convergence was not reached during first %d iterations\n\n", b.IGM);
        SetConDefColor();
        if (std::fabs(b.accuracy) > b.acc_limit) {
            warn_absorbing_turbine(b);
            return kIterationLimit;
        }
        // An outlet that settled under a power that did not is no answer.
        if (const h2::PowerSettling& s = h2::power_settling(); direct_task(vart) && !s.settled) {
            SetConColor(kYellow, kMask);
            put_dump("\nWarning: the power did not settle: %g %s after %g %s in the previous iteration\n\n",
                     unitsToView(s.N, kPowerUnit), unitsLabel(kPowerUnit), unitsToView(s.N_prev, kPowerUnit),
                     unitsLabel(kPowerUnit));
            SetConDefColor();
            return kIterationLimit;
        }
    }
    if (design) streamline_pass(b, sl);
    if (!design) warn_absorbing_turbine(b);
    return kDone;
}

// A converged compressor that passes more than a row's throat or diffuses a
// row past stall has no real operating point there: its own result and one
// line, rather than result 0 for a flow the machine cannot run at.
int past_compressor_limit(bdLocals& b) {
    const h2::CompressorLimit limit = h2::compressor_limit(b);
    if (limit.result == kDone) return kDone;
    SetConColor(kYellow, kMask);
    put_dump("\n%s\n", limit.line.c_str());
    SetConDefColor();
    std::snprintf(b.err_text, sizeof b.err_text, "%s", limit.line.c_str());
    return limit.result;
}

}  // namespace

namespace h2 {

std::vector<double>& solver_unknowns() {
    thread_local std::vector<double> x;
    return x;
}

MarchFailure& march_failure() {
    thread_local MarchFailure failure;
    return failure;
}

namespace {

// The fields of the path that a march writes: every per-element and
// per-streamline array. A march that stops at a choked element has rewritten
// the elements before it and left those after it as the march before solved
// them; a host reading that (or the whole-path results it makes of it) read a
// new nozzle beside an old rotor.
class PathState {
public:
    void take(bdLocals& b) {
        values_.clear();
        walk(b, [this](double& v) { values_.push_back(v); });
        taken_ = true;
    }
    void forget() {
        values_.clear();
        taken_ = false;
    }
    bool taken() const { return taken_; }
    void put_back(bdLocals& b) const {
        std::size_t k = 0;
        walk(b, [this, &k](double& v) {
            if (k < values_.size()) v = values_[k++];
        });
    }

private:
    template <class F>
    static void walk(bdLocals& b, F&& f) {
        if (!path_fits_arrays(&b)) return;
        for (const auto& field : kFields) {
            if (is_element_array(field.kind)) {
                double* a = element_array(&b, field);
                if (a != nullptr)
                    for (int i = 0; i <= b.cyld_ns; ++i) f(a[i]);
            } else if (is_row_array(field.kind)) {
                double** t = row_table(&b, field);
                if (t == nullptr) continue;
                for (int i = 0; i <= b.cyld_ns; ++i)
                    if (t[i] != nullptr)
                        for (int j = 0; j < b.cyld_nr; ++j) f(t[i][j]);
            }
        }
    }
    std::vector<double> values_;
    bool taken_ = false;
};

PathState& full_march() {
    thread_local PathState state;
    return state;
}

}  // namespace

void keep_full_march(bdLocals& b) { full_march().take(b); }

void forget_full_march() { full_march().forget(); }

void settle_stopped_march(bdLocals& b) {
    if (full_march().taken()) {
        full_march().put_back(b);
        return;
    }
    // The elements from the refused one on hold the state the case came with.
    for (int j = 0; j < b.cyld_nr; ++j) b.isd_p2[b.cyld_ns][j] = 0.0;
}

PowerSettling& power_settling() {
    thread_local PowerSettling settling;
    return settling;
}

}  // namespace h2

extern "C" {

int bestXN(void) {
    bdLocals* bp = h2::solvable_case();
    if (bp == nullptr) {
        put_err("bestXN: no case to solve (case, arrays or main fluid missing)");
        return kBadData;
    }
    bdLocals& b = *bp;
    // Set-up reads element 1 and the middle streamline.
    if (b.cyld_ns < 1 || b.cyld_nr < 1) {
        put_err("bestXN: the flow path needs at least two elements and one streamline");
        return kBadData;
    }
    if (const std::string bad = h2::unsolvable_input(b); !bad.empty()) {
        fatal(h2::format_text("bestXN: %s", bad.c_str()).c_str());
        return kBadData;
    }
    try {
        const int result = solve(b);
        if (direct_task(b.cyld_VART) && h2::march_failure().elem >= 0) h2::settle_stopped_march(b);
        // A solve that ends with a value that is no number has not solved the path.
        if ((result == kDone || result == kIterationLimit) && non_finite_state(b)) return kCorrupted;
        if (result == kDone) return past_compressor_limit(b);
        return result;
    } catch (...) {
        return kCorrupted;
    }
}
}
