// Completion of an element's outlet state after its flow solve: the velocity
// triangle and thermodynamic state on every streamline, the work and loss
// terms of rows, the mass flows carried to the following elements, and the
// inlet state of the next element.
#include <algorithm>
#include <cmath>
#include <vector>

#include "case/current_case.h"
#include "halvorine2/threading.h"
#include "halvorine2/walkers.h"
#include "numerics/cg_search.h"
#include "physics/moisture_sep.h"
#include "physics/side_flows.h"
#include "solver/elem_select.h"
#include "solver/outlet_state.h"
#include "solver/solver_conventions.h"
#include "solver/solver_internal.h"

namespace {

using h2::fluid;
using h2::fluid_known;
using h2::kDegree;

// Relative tolerance of the separation search over its enthalpy interval.
constexpr double kSepTol = 1e-8;
// elem__VI at or below this switches the separation of a stage off.
constexpr double kNoSeparation = -1.0;

double cooling_flows(const bdLocals& b, int i, bool with_film) {
    if (b.stgtd_cooled[i] == 0.0) return 0.0;
    return b.cool_tGoxl[i] + b.cool_hGoxl[i] + (with_film ? b.cool_fGoxl[i] : 0.0) + b.cool_oGoxl[i];
}

double injected(const bdLocals& b, int r) { return b.stgtd_cooled[r] != 0.0 ? b.cool_iGoxl[r] : 0.0; }

bool has_blades(const bdLocals& b, int k) {
    return b.elem_stagType[k] == h2::kKindBlade || b.elem_stagType[k] == h2::kKindDeswirler;
}

// Row terms of turbine rotor i added to its outlet enthalpy before the tip
// leakage mixes in: disk friction and, behind a stator, the stage's leakage
// losses, and the seal flows mixed in at the hub.
double rotor_row_terms(const bdLocals& b, int i) {
    double dh = b.GElos_DHD[i];
    if (prev_stator(i) != 0) dh += b.GElos_DH[i] + b.enrg_dhDA[i];
    return dh + b.elem_dIdu[i];
}

// Tip leakage rise of rotor i on the blade flow this march left at its
// outlet, the row terms added.
double march_tip_leak_rise(const bdLocals& b, int i) {
    const double dh = rotor_row_terms(b, i);
    std::vector<double> h0(static_cast<std::size_t>(b.cyld_nr));
    for (int j = 0; j < b.cyld_nr; ++j) {
        const double c2u = b.flow_c2u[i][j], c2s = b.flow_c2s[i][j];
        h0[static_cast<std::size_t>(j)] = b.isd_i2[i][j] + dh + (c2u * c2u + c2s * c2s) / 2;
    }
    return h2::tip_leak_rise(b, i, h2::row_span_mean(b, h0.data()));
}

// Per streamline, what the outlet state's completion asked the fluid, for
// the next element's inlet: the density at (p2, i2) and the total pressure
// at (i2x, s2), where the next inlet takes the same state.
struct OutletAnswers {
    h2::AnswerSite site;
    std::vector<h2::KnownAnswer> Ro2, p2x;
};

OutletAnswers& outlet_answers() {
    thread_local OutletAnswers answers;
    return answers;
}

// A: velocity triangle, row terms and thermodynamic state at the outlet of i.
void outlet_state(bdLocals& b, int i, bool turbine, bool compressor) {
    const bool rotor = h2::is_rotor(b, i);
    const bool cooled = b.stgtd_cooled[i] != 0.0;
    // The loss step decides whether the tip leakage mixes back (a rise of 0
    // keeps it apart) and to which pressure; its enthalpy rise follows from
    // this march's blade flow, so that the mix conserves energy.
    if (turbine && rotor && b.elem_dIr[i] != 0.0) b.elem_dIr[i] = march_tip_leak_rise(b, i);
    const h2::ResidualAnswers& residual = h2::last_residual_answers();
    OutletAnswers& kept = outlet_answers();
    kept.site = h2::AnswerSite::at(b, i);
    kept.Ro2.assign(static_cast<std::size_t>(b.cyld_nr), {});
    kept.p2x.assign(static_cast<std::size_t>(b.cyld_nr), {});
    for (int j = 0; j < b.cyld_nr; ++j) {
        // The residual at the speed found asked at this streamline's outlet.
        const bool searched = residual.site.is(b, i, j);
        const h2::KnownAnswer none{};
        const h2::KnownAnswer& s_known = searched ? residual.s2 : none;
        // The entropy of (p2, i2r) asked below, which i2 may equal.
        h2::KnownAnswer s2r{};
        const double c2s = b.flow_c2s[i][j];
        const double c2u = b.flow_c2u[i][j];
        const double u2 = std::fabs(b.flow_u2[i][j]);
        b.flow_c2z[i][j] = c2s * b.cas_cosT2[i][j];
        b.flow_c2r[i][j] = c2s * b.cas_sinT2[i][j];
        b.flow_c2[i][j] = std::sqrt(c2u * c2u + c2s * c2s);
        b.flow_ucu2[i][j] = u2 * c2u;
        b.flow_w2u[i][j] = c2u - u2;
        double& i2 = b.isd_i2[i][j];
        double& p2 = b.isd_p2[i][j];
        auto entropy_r = [&] {
            const double s = fluid_known(b, H2_FLUID_S_PI, p2, b.isd_i2r[i][j], i, s_known);
            s2r = {p2, b.isd_i2r[i][j], s, true};
            return s;
        };
        if (turbine) {
            b.isd_i2r[i][j] = i2;
            if (rotor) {
                i2 += rotor_row_terms(b, i) + b.elem_dIr[i];
                p2 += b.elem_dPr[i] + b.elem_dPdu[i];
            }
            b.isd_s2r[i][j] = entropy_r();
        } else if (compressor && !h2::solved_per_streamline(b, i)) {
            // The mean-line solve heated the outlet by the parasitic work: the
            // work path's state lies that much below it at the same pressure.
            // Heat added here instead would leave the outlet's density, and
            // with it continuity, at the state before.
            b.isd_i2r[i][j] = i2 - h2::compressor_parasitic_work(b, i, b.flow_ucu2[i][j] - b.flow_ucu1[i][j]);
            b.isd_s2r[i][j] = entropy_r();
        } else if (compressor) {
            b.isd_i2r[i][j] = i2;
            b.isd_s2r[i][j] = entropy_r();
            i2 += b.enrg_dhd[i];
        }
        if (cooled) {
            const double dI = b.cool_DIOXL[i] + b.cool_DHOXL[i];
            b.isd_i2r[i][j] += dI;
            b.isd_s2r[i][j] = entropy_r();
            i2 += dI;
        }
        const double s2 = b.isd_s2[i][j] =
            s2r.holds(p2, i2) ? s2r.value : fluid_known(b, H2_FLUID_S_PI, p2, i2, i, s_known);
        const double w2 = b.flow_w2[i][j];
        const double c2 = b.flow_c2[i][j];
        if (s2 == 0.0) {
            // No entropy: the static state follows from the relative total.
            i2 = b.isd_i2wx[i][j] - w2 * w2 / 2;
            p2 = fluid(b, H2_FLUID_P_IS, i2, s2, i);
            b.isd_i2x[i][j] = i2 + c2 * c2 / 2;
            b.isd_p2x[i][j] = fluid(b, H2_FLUID_P_IS, b.isd_i2x[i][j], s2, i);
        } else {
            b.isd_i2wx[i][j] = i2 + w2 * w2 / 2;
            b.isd_i2x[i][j] = i2 + c2 * c2 / 2;
            b.isd_p2wx[i][j] = fluid(b, H2_FLUID_P_IS, b.isd_i2wx[i][j], s2, i);
            // A row without blade speed has its relative total for its total.
            const h2::KnownAnswer p2wx{b.isd_i2wx[i][j], s2, b.isd_p2wx[i][j], true};
            b.isd_p2x[i][j] = fluid_known(b, H2_FLUID_P_IS, b.isd_i2x[i][j], s2, i, p2wx);
        }
        b.isd_Ro2[i][j] = fluid_known(b, H2_FLUID_RHO_PI, p2, i2, i, searched ? residual.Ro2 : none);
        b.isd_a2[i][j] = fluid_known(b, H2_FLUID_SOUND_PI, p2, i2, i, searched ? residual.a2 : none);
        b.isd_i2t[i][j] = fluid(b, H2_FLUID_I_PS, p2, b.isd_s1[i][j], i);
        const auto k = static_cast<std::size_t>(j);
        kept.Ro2[k] = {p2, i2, b.isd_Ro2[i][j], true};
        kept.p2x[k] = {b.isd_i2x[i][j], s2, b.isd_p2x[i][j], true};
    }
}

// B: flows of the elements up to the next stator.
void flows_to_next_stator(bdLocals& b, int i) {
    side_flow_calc(i);
    const int stator = next_stator(i);
    const int k = stator != 0 ? stator : i + 1;
    for (int m = i + 1; m < k; ++m) {
        b.elem_G1[m] = b.elem_G2[m - 1] + b.elem_Gotb2[m - 1];
        b.elem_G2[m] = b.elem_G1[m];
    }
    if (i == 0 && b.cyld_VART < 10 && h2::is_expanding(b))
        b.elem_G1[k] = b.elem_G2[0] - b.lkgn_GDY[k];
    else
        b.elem_G1[k] = b.elem_G2[i] + b.elem_Gotb2[i];
}

// Separation of moisture in the stator at i + 1 whose rotor r follows; y is
// the running dryness of the pass.
void separation(bdLocals& b, int i, double* y) {
    const int m = h2::mid_stream(b);
    const int s = (i + 1) / 2;  // stage number of element i + 1
    if (s <= 0 || b.isd_p2x[i + 1][m] == 0.0) return;
    b.sep_pressure = b.isd_p2x[i + 1][m];
    const double y1 = fluid(b, H2_FLUID_DRYNESS, b.sep_pressure, b.isd_i2[i + 1][m], i);
    const int stages_left = b.cyld_ns / 2 - s + 1;
    if (*y < 0.0 && y1 > 0.0) b.wet_stage_count = stages_left;
    b.Ksep[i + 1] = 0.0;
    b.Ksep[i] = 0.0;
    if (*y > 0.0 && y1 > 0.0 && b.elem_VI[i + 1] > kNoSeparation) {
        b.Ksep[i + 1] = stage_moisture_sep(stages_left);
        b.Ksep[i] = b.Ksep[i + 1];
        b.sep_target = (1 - *y) * b.Ksep[i] + y1;
        b.sep_enthalpy = b.isd_i2x[i + 1][m];
        const double h11 = fluid(b, H2_FLUID_I_SAT_VAPOUR, b.sep_pressure, 0.0, i);
        const double span = h11 - b.sep_enthalpy;
        b.sep_enthalpy = h2::golden_max(&state_residual, 1, b.sep_enthalpy, span, kSepTol * span, 1.0);
        b.elem_Gsep[i + 1] = -(b.sep_target - y1) * b.elem_G2[i + 1];
    }
    *y = y1;
}

// C: flows of the next blade row.
void flows_of_next_row(bdLocals& b, int i, bool turbine, bool compressor, double* y) {
    const bool expanding = h2::is_expanding(b);
    const int stator = next_stator(i);
    const int rotor = next_rotor(i);
    if (turbine || b.elem_stagType[i] == h2::kKindHeatExchanger || (expanding && i == 0)) {
        if (stator != 0) {
            const int r = stator;
            if (i == 0 || h2::is_rotor(b, i))
                b.elem_G1[r] =
                    b.elem_G2[i] + b.elem_Gotb2[i] + b.elem_Gr[i] + b.lkgn_GPY[i] + cooling_flows(b, i, true);
            b.elem_G2[r] = b.elem_G1[r] + injected(b, r);
            for (int m = i + 1; m < r; ++m) {
                b.elem_G1[m] = b.elem_G1[r];
                b.elem_G2[m] = b.elem_G1[m];
            }
        } else if (rotor != 0) {
            const int r = rotor;
            b.elem_Gsep[r] = 0.0;
            separation(b, i, y);
            if (b.lkgn_GP[r] == 0.0) b.lkgn_GP[r] = b.elem_Gdu[i];
            b.elem_G1[r] = b.elem_G2[i] + b.elem_Gotb2[i] + b.lkgn_GP[r] - std::max(b.elem_Gr[r], 0.0) +
                           cooling_flows(b, i, false);
            if (h2::is_stator(b, i))
                b.elem_G2[r] = b.elem_G1[r] + b.elem_Gsep[r] + injected(b, r);
            else if (h2::is_rotor(b, i))
                b.elem_G2[r] = b.elem_G1[r] + b.elem_Gr[i];
            else
                b.elem_G2[r] = b.elem_G1[r];
            for (int m = i + 1; m < r; ++m) {
                b.elem_G1[m] = b.elem_G2[i];
                b.elem_G2[m] = b.elem_G1[m];
            }
        }
    } else if (compressor || !expanding) {
        b.elem_G2[i + 1] = b.elem_G1[i + 1];
    }
    // An element without blades behind the last row passes its inlet flow; on
    // an expanding path nothing else would set its outlet flow, and it would
    // be solved for no flow.
    if (stator == 0 && rotor == 0 && !has_blades(b, i + 1)) b.elem_G2[i + 1] = b.elem_G1[i + 1];
}

// D: inlet state and velocity triangle of element i + 1 on every streamline.
void next_inlet(bdLocals& b, int i, bool turbine) {
    const int n = i + 1;
    const int mid = h2::mid_stream(b);
    const bool dump = i > 0 && h2::velocity_dump(b, i);  // the inlet never dumps its velocity
    const int q = static_cast<int>(std::trunc(b.elem_Qotb2[i]));
    const double Gotb2 = b.elem_Gotb2[i];
    const bool angular_next = next_angular(i) != 0;
    const double sect = b.elem_sectType[i];
    const double kind = b.elem_stagType[i];
    const bool plain_scaling = b.cyld_VART < 10 || b.elem_stagType[n] == h2::kKindHeatExchanger;
    const double area_ratio = b.bld_l2[i] * b.bld_d2[i] / (b.bld_l1[n] * b.bld_d1[n]);
    const bool shift = turbine && next_stator(i) != 0 && b.Ksep[i] != 0.0;
    // What the completion of this outlet asked, where the inlet is the same state.
    const OutletAnswers& kept = outlet_answers();
    const bool completed = kept.site.is(b, i) && kept.Ro2.size() >= static_cast<std::size_t>(b.cyld_nr);
    const h2::KnownAnswer unknown{};
    for (int j = 0; j < b.cyld_nr; ++j) {
        const auto k = static_cast<std::size_t>(j);
        const h2::KnownAnswer& Ro2_known = completed ? kept.Ro2[k] : unknown;
        const h2::KnownAnswer& p2x_known = completed ? kept.p2x[k] : unknown;
        double& p1 = b.isd_p1[n][j];
        double& i1 = b.isd_i1[n][j];
        double& i1x = b.isd_i1x[n][j];
        double& s1 = b.isd_s1[n][j];
        if (q == 1 && b.elem_Iotb2[i] != 0.0) {
            // Given state of the extraction.
            const double dI = b.elem_Iotb2[i] - b.isd_i2x[i][mid];
            const double dP = b.elem_Potb2[i] - b.isd_p2x[i][mid];
            p1 = b.isd_p2[i][j] + dP;
            i1 = b.isd_i2[i][j] + dI;
            i1x = b.isd_i2x[i][j] + dI;
            s1 = fluid(b, H2_FLUID_S_PI, p1, i1, i);
        } else if ((q == 0 || q == -1) && Gotb2 < 0.0) {
            p1 = b.isd_p2[i][j];
            i1 = b.isd_i2[i][j];
            i1x = b.isd_i2x[i][j];
            if (!dump) {
                s1 = b.isd_s2[i][j];
            } else {
                i1 = i1x;
                s1 = fluid(b, H2_FLUID_S_PI, b.isd_p2[i][j], i1, i);
            }
        } else if ((q == 0 || q == -1) && Gotb2 > 0.0) {
            // Admission: totals raised by the mix, the velocity of the last pass kept.
            const double c1 = b.flow_c1[n][j];
            b.isd_p1x[n][j] = b.isd_p2x[i][j] + b.elem_dPotb2[i];
            i1x = b.isd_i2x[i][j] + b.elem_dIotb2[i];
            i1 = i1x - c1 * c1 / 2;
            s1 = fluid(b, H2_FLUID_S_PI, b.isd_p1x[n][j], i1x, i);
            p1 = fluid(b, H2_FLUID_P_IS, i1, s1, i);
        } else {
            p1 = b.isd_p2[i][j];
            i1 = b.isd_i2[i][j];
            i1x = b.isd_i2x[i][j];
            s1 = b.isd_s2[i][j];
        }
        b.isd_Ro1[n][j] = fluid_known(b, H2_FLUID_RHO_PI, p1, i1, i, Ro2_known);
        if (sect == h2::kSectAxial) {
            if (b.cyld_VART < 10)
                b.flow_r1[n][j] = b.flow_r2[i][j];
            else
                b.flow_r1[n][j] =
                    (b.flow_r2[i][j] - b.flow_r2[i][0]) / b.bld_l2[i] * b.bld_l1[n] + b.flow_r1[n][0];
        }
        b.flow_u1[n][j] = b.bld_wp[n] * b.flow_r1[n][j];
        double cu;
        double cs;
        if (!angular_next) {
            const double r1 = b.flow_r1[n][j];
            cu = dump ? 0.0 : (r1 == 0.0 ? b.flow_c2u[i][j] : b.flow_c2u[i][j] * b.flow_r2[i][j] / r1);
            b.flow_c1u[n][j] = cu;
            // Continuity across a change of annulus, unless the next element takes the flow as it is.
            auto scaled = [&](double c) { return plain_scaling ? c : c * area_ratio; };
            if (sect == h2::kSectRadial) {
                b.flow_c1z[n][j] = b.flow_c2z[i][j];
                b.flow_c1r[n][j] = scaled(b.flow_c2r[i][j]);
            } else if (sect == h2::kSectAxial) {
                b.flow_c1z[n][j] = scaled(b.flow_c2z[i][j]);
                b.flow_c1r[n][j] = b.flow_c2r[i][j];
            }
            cs = std::hypot(b.flow_c1r[n][j], b.flow_c1z[n][j]);
        } else {
            cu = b.flow_c2u[i][j];
            b.flow_c1u[n][j] = cu;
            b.flow_c1z[n][j] = b.flow_c2z[i][j];
            b.flow_c1r[n][j] = b.flow_c2r[i][j];
            cs = b.flow_c1r[n][j];
        }
        b.flow_c1s[n][j] = cs;
        b.flow_c1[n][j] = std::sqrt(cu * cu + cs * cs);
        const double u = std::fabs(b.flow_u1[n][j]);
        if (b.is_contr[i] != 0.0) cu = -cu;
        b.flow_ucu1[n][j] = u * cu;
        const double w1u = cu - u;
        const double W = cs * cs + w1u * w1u;
        if (kind == h2::kKindHeatExchanger || kind == h2::kKindOutletVolute) {
            // The flow leaves a heat exchanger or volute without swirl: w_u = -|u|.
            b.cas_B1[n][j] = std::atan2(b.flow_c2[i][j], -u) / kDegree;
            b.cas_A1[n][j] = std::atan2(b.flow_c2[i][j], 0.0) / kDegree;
            b.cas_iR[n][j] = 0.0;
        } else {
            b.cas_B1[n][j] = std::atan2(cs, w1u) / kDegree;
            b.cas_A1[n][j] = std::atan2(cs, cu) / kDegree;
        }
        b.flow_w1u[n][j] = w1u;
        b.flow_w1[n][j] = std::sqrt(W);
        b.flow_c1u[n][j] = cu;
        double& i1wx = b.isd_i1wx[n][j];
        i1wx = dump ? i1 : i1 + W / 2;
        b.isd_p1x[n][j] = fluid_known(b, H2_FLUID_P_IS, i1x, s1, i, p2x_known);
        const h2::KnownAnswer p1x{i1x, s1, b.isd_p1x[n][j], true};
        b.isd_p1wx[n][j] = fluid_known(b, H2_FLUID_P_IS, i1wx, s1, i, p1x);
        if (b.isd_s2[i][j] == 0.0) i1wx = fluid(b, H2_FLUID_I_PS, b.isd_p1wx[n][j], s1, i);
        if (shift) {
            // Separated moisture leaves with its enthalpy: the stream's enthalpy moves to the search result.
            const double d = b.sep_enthalpy - b.isd_i2x[i][mid];
            i1x += d;
            i1 += d;
            i1wx = i1 + W / 2;
            s1 = fluid(b, H2_FLUID_S_PI, b.isd_p1wx[n][j], i1wx, i);
            p1 = fluid(b, H2_FLUID_P_IS, i1, s1, i);
        }
    }
}

}  // namespace

namespace h2 {

double tip_leak_rise(const bdLocals& b, int i, double h0_blade) {
    const double G = b.elem_G1[i] + b.elem_Gr[i];
    if (G == 0.0) return 0.0;
    const double h0_leak = b.isd_i1x[i][b.cyld_nr - 1];
    return b.elem_Gr[i] * (h0_leak - h0_blade) / G;
}

double compressor_parasitic_work(const bdLocals& b, int i, double Lu) {
    const double leakage = b.enrg_zrz[i] > 0.0 ? std::fabs(Lu) * b.enrg_zrz[i] : 0.0;
    const double dhd = std::isfinite(b.enrg_dhd[i]) ? b.enrg_dhd[i] : 0.0;
    return leakage + dhd;
}

}  // namespace h2

extern "C" {

double state_residual(double x) {
    bdLocals& b = *h2::current_case();
    return -std::fabs(b.sep_target - b.fluid_func(H2_FLUID_DRYNESS, b.sep_pressure, x, 0.0, H2_FLUID_MAIN));
}

void complete_elem_state(int i, double* y) {
    bdLocals& b = *h2::current_case();
    const int mid = h2::mid_stream(b);
    const bool turbine = h2::turbine_row(b, i, mid);
    const bool compressor = !turbine && h2::compressor_row(b, i, mid);
    if (b.elem_stagType[i] != h2::kKindHeatExchanger) outlet_state(b, i, turbine, compressor);
    if (i >= b.cyld_ns) return;
    flows_to_next_stator(b, i);
    flows_of_next_row(b, i, turbine, h2::compressor_row(b, i, mid), y);
    next_inlet(b, i, turbine);
}
}
