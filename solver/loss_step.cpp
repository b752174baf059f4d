// The loss step: loss coefficients and blockage, seal data and disk loads,
// cooling air, rotor tip leakage and its mixing, the leakage enthalpy losses
// of the stages, and the carry-over of every outlet flow into the next inlet.
#include "solver/loss_step.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "case/walkers_internal.h"
#include "halvorine2/console.h"
#include "halvorine2/loss_plugin.h"
#include "halvorine2/output.h"
#include "halvorine2/walkers.h"
#include "physics/cooling_injection.h"
#include "physics/disk_load.h"
#include "physics/loss_breakdown.h"
#include "physics/loss_conversions.h"
#include "physics/loss_host.h"
#include "physics/loss_wrappers.h"
#include "physics/mix_streams.h"
#include "physics/seal_leakage.h"
#include "physics/section_losses.h"
#include "solver/solver_conventions.h"
#include "solver/solver_internal.h"

namespace h2 {

namespace {

constexpr int kFirstAnalysisTask = 10;
constexpr const char* kDriverSource = "solver/bestXN";
constexpr std::uint16_t kRed = 12;
constexpr std::uint16_t kMask = 240;

// A rotor leakage flow above this share of the row's inlet flow is not mixed
// back into the main flow.
constexpr double kMaxLeakShare = 0.2;
// A rotor's leak flow below this share of its inlet flow is none.
constexpr double kNoLeakShare = 1e-12;
// Reaction terms of the compressor rotor clearance loss.
constexpr double kClearanceSlope = 1.6;
constexpr double kClearanceBase = 1.44;
// Clearance loss of a radial compressor rotor from its gap over the exit height.
constexpr double kRadialClearanceFactor = 0.17;
// The seal leakage swirl is read at the root station of a rotor's row.
constexpr int kRootStation = kSwirlStations - 1;

bool design_task(const bdLocals& b) { return b.cyld_VART < kFirstAnalysisTask; }
bool direct_task(const bdLocals& b) { return b.cyld_VART == 10 || b.cyld_VART == 100; }

void fatal(const char* text) {
    SetConColor(kRed, kMask);
    put_err(text);
    SetConDefColor();
}

// The last streamline: NI - 1, or 0 for one streamline.
int last_stream(const bdLocals& b) { return b.cyld_nr > 1 ? b.cyld_nr - 1 : 0; }

// Relaxation factor of the rotor leakage flow.
double leak_relaxation(const bdLocals& b) {
    return b.LosRELAX > 0.0 ? b.LosRELAX : std::min(5.0 * b.RELAX, 1.0);
}

// A turbine row, or the element behind a radial element on an expanding path,
// whose losses the turbine section model gives.
bool turbine_losses(const bdLocals& b, int i, bool turbine) {
    return turbine || (i > 0 && is_expanding(b) && b.elem_sectType[i - 1] == kSectRadial);
}

// Total-pressure loss coefficient of section j from its velocity coefficient.
void loss_coefficient_from_phi(bdLocals& b, int i, int j) {
    const double phi = b.los_Los[i][j];
    const double k = inlet_isentropic_exponent(b, i, j);
    b.los_om[i][j] = k_loss_conv_b(phi * phi, b.isd_p1wx[i][j], b.isd_p1[i][j], b.isd_i1wx[i][j], k, nullptr);
}

// Slots D, R and Z run whenever their model is installed.
void call_element_model(bdLocals& b, int slot, int i) {
    if (const LossElemFunc model = installed_element_model(&b, slot, i)) model(&b, i);
}

// Mixes a leakage stream into the outlet flow of element k at section j and
// returns the mixed total enthalpy and static pressure; both NaN when the mix
// could not run.
struct Mixed {
    double I;
    double P;
};
Mixed mix_into_outlet(const bdLocals& b, int k, int j, double F, const double (&c)[3], double i_leak,
                      double p_leak) {
    const double main[3] = {b.flow_c2z[k][j], b.flow_c2u[k][j], b.flow_c2r[k][j]};
    double cout[3] = {0.0, 0.0, 0.0};
    Mixed m{std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN()};
    double pt = 0.0, G = 0.0, dE = 0.0, h = 0.0, s = 0.0;
    mix_streams(b.bld_F2[k], main, b.isd_i2x[k][j], b.isd_p2x[k][j], F, c, i_leak, p_leak, b.bld_F2[k], cout,
                &m.I, &pt, &G, &dE, &h, &m.P, &s);
    return m;
}

// The enthalpy and pressure rises dI, dP of a mix at element k's outlet,
// section j: a mix that did not run (NaN) keeps them, a failed one (a value
// above the fluid's failure limit) sets both to 0. The pressure rise is an
// analysis-task result and never negative.
void store_mix(const bdLocals& b, int k, int j, const Mixed& m, double& dI, double& dP) {
    if (std::isnan(m.I) || std::isnan(m.P)) return;
    if (m.I > kPropertyFailureLimit || m.P > kPropertyFailureLimit) {
        dI = 0.0;
        dP = 0.0;
        return;
    }
    dI = m.I - b.isd_i2x[k][j];
    if (!design_task(b)) dP = m.P - b.isd_p2[k][j];
}

// The seal leakage swirl w of rotor i at its root: station 10 of the rotor's
// row in a station table; 0 for a rotor past the rows the tables hold.
double root_swirl(double (&table)[kSwirlRows][kSwirlRowStride], int i) {
    if (i < 0 || i > kLastSwirlRotor) return 0.0;
    return swirl_row(table, i)[kRootStation];
}

// ---- Tip clearance of compressor rotors ----

void compressor_clearance(bdLocals& b, int i) {
    const int m = mid_stream(b);
    const int NS = b.cyld_ns;
    const double G1 = b.elem_G1[i];
    // Share of the inlet flow that leaks over the tips; none without flow.
    const auto share = [&] { return G1 != 0.0 ? std::fabs(b.elem_Gr[i]) / G1 : 0.0; };
    if (b.elem_sectType[i] != kSectRadial) {
        if (b.enrg_zrz[i] < 1.0) b.enrg_zrz[i] = 0.0;
        call_element_model(b, H2_LOSS_R, i);
        if (i < NS) {
            const double d = b.isd_i2[i + 1][m] - b.isd_i1[i][m];
            b.elem_R[i] = d != 0.0 ? (b.isd_i2[i][m] - b.isd_i1[i][m]) / d : 1.0;
        } else {
            b.elem_R[i] = 1.0;
        }
        b.enrg_zrz[i] = (kClearanceSlope * b.elem_R[i] + kClearanceBase) * share();
        return;
    }
    call_element_model(b, H2_LOSS_R, i);
    if (std::trunc(b.clrn_Zrr[i]) == 0.0) {
        b.elem_Gr[i] = 0.0;
        double& z = b.enrg_zrz[i];
        if (z >= 0.0) {
            const double head = b.enrg_Co[i][m] * b.enrg_Co[i][m] / 2.0;
            if (!design_task(b) && z > 1.0 && head != 0.0) z /= head;
        } else if (b.bld_l2[i] != 0.0) {
            z = kRadialClearanceFactor * b.clrn_drr[i] / b.bld_l2[i];
        }
    } else {
        b.enrg_zrz[i] = share();
    }
}

// ---- Diaphragm leakage of turbine stators ----

void stator_leakage(bdLocals& b, int i) {
    const int NS = b.cyld_ns;
    const int nr = next_rotor(i);
    const int pr = prev_rotor(i);
    if (i == NS) {
        b.lkgn_GDY[i] = b.elem_Gdu[i];
    } else {
        b.lkgn_GP[i + 1] = b.elem_Gdu[i];
        b.lkgn_GDY[i] = b.lkgn_GP[i + 1];
        // Without a rotor behind the stator there is no disk whose holes carry flow.
        if (nr != 0) b.lkgn_GRO[nr] = b.lkgn_GROY[nr] = b.lkgn_GROX[nr] = 0.0;
    }
    if (i <= NS - 2 && nr != 0) b.lkgn_GDYY[nr] = b.lkgn_GDY[i + 2];
    if (i > 2 && pr != 0) b.lkgn_GPY[pr] = -b.lkgn_GDY[i];
}

// ---- Tip leakage of turbine rotors ----

void rotor_leakage(bdLocals& b, int i) {
    const int t = last_stream(b);
    const double g0 = b.elem_Gr[i];
    call_element_model(b, H2_LOSS_R, i);
    if (g0 != 0.0) b.elem_Gr[i] = g0 + (b.elem_Gr[i] - g0) * leak_relaxation(b);

    const double area = std::fabs(b.clrn_drr[i]) * kPi * b.bld_dub[i];
    if (area == 0.0) {
        // No clearance area (design tasks have no tip seal diameter): no leakage to mix.
        b.elem_Cr[i] = 0.0;
        b.elem_Fr[i] = 0.0;
        b.elem_dIr[i] = 0.0;
        b.elem_dPr[i] = 0.0;
    } else {
        // The leakage speed is rescaled from the last leakage area to the new one.
        const double sound = fluid(b, H2_FLUID_SOUND_PI, b.isd_p1x[i][t], b.isd_i1x[i][t], i);
        b.elem_Cr[i] = std::min(b.elem_Fr[i] / area * b.elem_Cr[i], sound);
        b.elem_Fr[i] = area;
    }
    if (area != 0.0 && !(std::fabs(b.elem_Gr[i]) >= kNoLeakShare * std::fabs(b.elem_G1[i]))) {
        // A leak flow lost in the rounding of the main flow mixes nothing
        // into it (the mix of its area alone would still raise the pressure).
        b.elem_dIr[i] = 0.0;
        b.elem_dPr[i] = 0.0;
    } else if (area != 0.0) {
        const double Cr = b.elem_Cr[i];
        const double i_leak = b.isd_i1x[i][t];
        const double s = fluid(b, H2_FLUID_S_PI, b.isd_p2[i][t], i_leak - Cr * Cr / 2.0, i);
        const double p = fluid(b, H2_FLUID_P_IS, i_leak, s, i);
        const double d2 = b.bld_d2[i];
        const double c[3] = {Cr, d2 != 0.0 ? b.flow_c1u[i][t] * b.bld_d1[i] / d2 : 0.0, b.flow_c2r[i][t]};
        const Mixed mixed = mix_into_outlet(b, i, t, b.elem_Fr[i], c, i_leak, p);
        if (!std::isnan(mixed.I) && !std::isnan(mixed.P)) {
            if (b.elem_Gr[i] / b.elem_G1[i] <= kMaxLeakShare) {
                const double dIr = b.elem_dIr[i];
                store_mix(b, i, t, mixed, b.elem_dIr[i], b.elem_dPr[i]);
                if (b.elem_dPr[i] < 0.0) b.elem_dPr[i] = 0.0;
                // The mix's streams are those of its areas, not the split of
                // the row's flow: the enthalpy rise comes from the energy of
                // the leakage flow itself, on the blade flow's outlet (the
                // outlet less the rise the march mixed in).
                if (b.elem_dIr[i] != 0.0)
                    b.elem_dIr[i] = tip_leak_rise(b, i, row_span_mean(b, b.isd_i2x[i]) - dIr);
            } else {
                b.elem_dIr[i] = 0.0;
                b.elem_dPr[i] = 0.0;
            }
        }
    }

    if (b.ITML == 0) return;
    // Seal leakage of the stage, at the hub: the diaphragm's flow into the
    // stator outlet in front of the disk, the disk's flow into the rotor outlet.
    const double deg = kDegree;
    const double wp = std::fabs(b.bld_wp[i]);
    if (i >= 1) {
        const int k = i - 1;
        const double a = b.clrn_GAMPX[k] * deg;
        const double s0 = (b.bld_d2[k] - b.bld_l2[k]) * wp * root_swirl(b.ZD1, i) / 2.0;
        const double c[3] = {b.lkgn_CP[i] * std::cos(a), s0, b.lkgn_CP[i] * std::sin(a)};
        const Mixed mixed =
            mix_into_outlet(b, k, 0, b.lkgn_FP[i], c, b.lkgn_IX[i], b.lkgn_PX[i] + b.lkgn_DPB[i]);
        store_mix(b, k, 0, mixed, b.elem_dIdu[k], b.elem_dPdu[k]);
    }
    const double a = b.clrn_GAMPX[i] * deg;
    const double s0 = (b.bld_d2[i] - b.bld_l2[i]) * wp * root_swirl(b.ZD2, i) / 2.0;
    const double c[3] = {b.lkgn_CPY[i] * std::cos(a), s0, b.lkgn_CPY[i] * std::sin(a)};
    const Mixed mixed =
        mix_into_outlet(b, i, 0, b.lkgn_FPY[i], c, b.lkgn_IY[i], b.lkgn_PY[i] + b.lkgn_DPBY[i]);
    store_mix(b, i, 0, mixed, b.elem_dIdu[i], b.elem_dPdu[i]);
}

// ---- Leakage enthalpy losses ----

void zero_leak_losses(bdLocals& b, int k) {
    b.enrg_dhd[k] = 0.0;
    b.GElos_DH[k] = 0.0;
    b.enrg_dhDA[k] = 0.0;
}

void compressor_leak_losses(bdLocals& b, int i) {
    if (b.elem_sectType[i] == kSectRadial) {
        b.enrg_dhd[i] = disk_friction_dhd(i);
        b.GElos_DH[i] = 0.0;
        b.enrg_dhDA[i] = 0.0;
    } else if (b.elem_sectType[i] == kSectAxial) {
        zero_leak_losses(b, i);
        if (i < b.cyld_ns) zero_leak_losses(b, i + 1);
    }
}

void turbine_leak_losses(bdLocals& b, int i) {
    const int ps = prev_stator(i);
    const int k = i - 1;
    if (ps == 0) {
        b.enrg_dhd[i] = disk_friction_dhd(i);
        b.GElos_DH[k] = 0.0;
        b.enrg_dhDA[k] = 0.0;
        return;
    }
    if (b.elem_sectType[ps - 1] != kSectAngular) {
        if (b.elem_sectType[i] != kSectRadial) {
            call_element_model(b, H2_LOSS_Z, k);
            stage_loss_breakdown(ps);
            b.enrg_zd[i] = b.GElos_PR[i];
        } else {
            b.GElos_DHD[k] = disk_friction_dhd(i);
            b.GElos_DH[k] = 0.0;
            b.enrg_dhDA[k] = 0.0;
        }
    } else {
        b.enrg_dhDA[k] = 0.0;
        b.GElos_DH[k] = 0.0;
        b.GElos_DHD[k] = 0.0;
    }
    // The stator and the rotor of a stage carry the same values.
    b.GElos_DHD[i] = b.GElos_DHD[k];
    b.enrg_dhd[k] = b.GElos_DHD[i];
    b.enrg_dhd[i] = b.enrg_dhd[k];
    b.GElos_DH[i] = b.GElos_DH[k];
    b.enrg_dhDA[i] = b.enrg_dhDA[k];
}

// ---- Carry-over into the next inlet ----

void carry_section(bdLocals& b, int i, int j) {
    const int n = i + 1;
    const double sect = b.elem_sectType[i];
    const bool angular = sect == kSectAngular;
    const bool analysis = !design_task(b);
    const bool next_exchanger = b.elem_stagType[n] == kKindHeatExchanger;
    const bool exchanger = b.elem_stagType[i] == kKindHeatExchanger;

    double u = 0.0;
    if (!angular) {
        // Streamlines keep their share of the height.
        const double l2 = b.bld_l2[i];
        const double offset = l2 != 0.0 ? (b.flow_r2[i][j] - b.flow_r2[i][0]) / l2 * b.bld_l1[n] : 0.0;
        b.flow_r1[n][j] = offset + b.flow_r1[n][0];
        u = b.flow_u1[n][j] = b.bld_wp[n] * b.flow_r1[n][j];
    } else {
        b.flow_u1[n][j] = 0.0;
        b.flow_r1[n][j] = 0.0;
    }
    const double r1 = b.flow_r1[n][j];
    const double c2u = b.flow_c2u[i][j];

    double cu = 0.0;
    double cm = 0.0;
    if (next_angular(i) != 0) {
        b.flow_c1u[n][j] = cu = c2u;
        b.flow_c1z[n][j] = b.flow_c2z[i][j];
        b.flow_c1r[n][j] = b.flow_c2r[i][j];
        cm = b.flow_c1s[n][j] = b.flow_c1r[n][j];
    } else {
        // Angular momentum is kept unless the velocity head is dumped into a plenum.
        const bool dump = velocity_dump(b, i);
        cu = dump ? 0.0 : (r1 == 0.0 ? c2u : c2u * b.flow_r2[i][j] / r1);
        const double d1 = b.bld_d1[n];
        const double annulus = b.bld_l1[n] * d1;
        const double area_ratio = annulus != 0.0 ? b.bld_l2[i] * b.bld_d2[i] / annulus : 1.0;
        if (sect == kSectRadial) {
            if (analysis && !next_exchanger) {
                b.flow_c1z[n][j] = b.flow_c2z[i][j];
                b.flow_c1r[n][j] = b.flow_c2r[i][j] * area_ratio;
            }
            cu = d1 == 0.0 ? c2u : c2u * b.bld_d2[i] / d1;
        } else if (sect == kSectAxial || exchanger) {
            if (analysis && !next_exchanger) {
                b.flow_c1z[n][j] = b.flow_c2z[i][j] * area_ratio;
                b.flow_c1r[n][j] = b.flow_c2r[i][j];
            }
            cu = r1 == 0.0 ? c2u : c2u * b.flow_r2[i][j] / r1;
        } else if (angular) {
            if (analysis) {
                b.flow_c1z[n][j] = b.flow_c2z[i][j];
                b.flow_c1r[n][j] = b.flow_c2r[i][j];
            }
            cu = c2u;
        }
        b.flow_c1u[n][j] = cu;
        if (!angular)
            cm = b.flow_c1s[n][j] = std::hypot(b.flow_c1r[n][j], b.flow_c1z[n][j]);
        else
            cm = cu;
    }
    // A heat exchanger forms its own inlet.
    if (next_exchanger) return;

    u = std::fabs(u);
    // The next element turns the other way: its swirl changes sign.
    const double c = b.is_contr[i] != 0.0 ? -cu : cu;
    const double w1u = c - u;
    b.flow_w1u[n][j] = w1u;
    b.flow_c1u[n][j] = c;
    b.flow_c1[n][j] = std::sqrt(cu * cu + cm * cm);
    b.flow_w1[n][j] = std::sqrt(w1u * w1u + cm * cm);

    const double kind = b.elem_stagType[i];
    if (kind == kKindHeatExchanger || kind == kKindOutletVolute) {
        // The flow leaves a heat exchanger or volute without swirl: w_u = -|u|.
        b.cas_B1[n][j] = std::atan2(b.flow_c2[i][j], -u) / kDegree;
        b.cas_A1[n][j] = std::atan2(b.flow_c2[i][j], 0.0) / kDegree;
    } else {
        b.cas_B1[n][j] = std::atan2(cm, w1u) / kDegree;
        b.cas_A1[n][j] = std::atan2(cm, c) / kDegree;
    }
    if (design_task(b)) {
        // Without a profile atlas for the row that follows, its inlet metal angle follows the flow.
        const bool rotor_next = is_stator(b, i) && next_rotor(i) != 0;
        const void* atlas = rotor_next ? b.atlas_r : b.atlas_s;
        if (atlas == nullptr) b.cas_B1g[n][j] = b.cas_B1[n][j];
    }
    // A cooled row turns the flow by its coolant; a row whose ratio was never
    // formed (no row behind it to turn into) keeps the angle.
    if (b.stgtd_cooled[i] != 0.0 && b.cool_b1_ratio[i] != 0.0) b.cas_B1[n][j] *= b.cool_b1_ratio[i];
    if (b.elem_VARTB[n] != 0.0) b.cas_B1g[n][j] = b.cas_B1[n][j];
}

}  // namespace

// ---- The parts ----

int loss_coefficients(bdLocals& b) {
    const int NS = b.cyld_ns;
    const int NI = b.cyld_nr;
    const int m = mid_stream(b);
    if (design_task(b)) {
        // Design tasks convert the velocity coefficients only. A heat
        // exchanger's loss coefficient is its own datum and stays.
        for (int i = 0; i <= NS; ++i) {
            if (b.elem_stagType[i] == kKindHeatExchanger) continue;
            for (int j = 0; j < NI; ++j) loss_coefficient_from_phi(b, i, j);
        }
        return 0;
    }
    const bool wrappers = b.ICLos == 0;
    const bool blockage = wrappers || (NI > 1 && b.cyld_force1D == 0);
    for (int i = 0; i <= NS; ++i) {
        const double kind = b.elem_stagType[i];
        const bool blade = kind == kKindBlade;
        const bool turbine = turbine_losses(b, i, turbine_row(b, i, m));
        if (!blade && i == 0) continue;
        for (int j = 0; j < NI; ++j) {
            if (blade) {
                if (turbine) {
                    if (wrappers) section_losses(i, j);
                } else if (!compressor_row(b, i, m)) {
                    fatal("Unknown element for loss estimation.");
                    std::snprintf(b.err_text, sizeof b.err_text, "ERRCODE_CORRUPTED_DATA: in %s line %d",
                                  kDriverSource, kLossUnknownElementLine);
                    return kLossUnknownElement;
                } else {
                    const auto speed_ratio = [&] {
                        if (b.flow_c1s[i][j] != 0.0) b.flow_w12m[i][j] = b.flow_c2s[i][j] / b.flow_c1s[i][j];
                    };
                    if (direct_task(b)) speed_ratio();
                    if (wrappers) {
                        if (b.elem_sectType[i] == kSectAxial) {
                            elem_loss_axcomp(i, j);
                            speed_ratio();
                        } else if (b.elem_sectType[i] == kSectRadial) {
                            elem_loss_cent(i, j);
                        }
                    }
                    if (b.los_Los[i][j] == 0.0) {
                        fatal("bestXN: Fatal error - BAD loses data!");
                        return kLossBadData;
                    }
                }
            } else {
                if (wrappers) {
                    if (kind == kKindUBend)
                        elem_loss_uband(i, j);
                    else if (kind == kKindInletVolute)
                        elem_loss_volin(i, j);
                    else if (kind == kKindDiffuser)
                        elem_loss_diff(i, j);
                    else if (kind == kKindOutletVolute)
                        elem_loss_volout(i, j);
                }
                if (kind != kKindHeatExchanger) loss_coefficient_from_phi(b, i, j);
            }
            if (blade && blockage) row_blockage(i, j);
        }
        if (turbine) section_losses2(i);
    }
    return 0;
}

void seals_and_cooling(bdLocals& b) {
    const int NS = b.cyld_ns;
    const int m = mid_stream(b);
    if (is_expanding(b)) {
        for (int i = 0; i <= NS; ++i)
            if (turbine_row(b, i, m) && is_stator(b, i)) call_element_model(b, H2_LOSS_D, i);
        if (b.ITML != 0) calc_disks_axial_load();
    }
    b.cyld_sumHoxl = 0.0;
    for (int i = 0; i <= NS; ++i) {
        if (design_task(b)) clear_cooling(i);
        if (b.stgtd_cooled[i] == 0.0 || !turbine_row(b, i, m)) continue;
        if (is_stator(b, i))
            cool_stator_row(i);
        else if (is_rotor(b, i))
            cool_rotor_row(i);
    }
}

void tip_leakage(bdLocals& b) {
    const int NS = b.cyld_ns;
    const int m = mid_stream(b);
    for (int i = 0; i <= NS; ++i) {
        if (b.bld_z[i] == 0.0) continue;
        const bool turbine = turbine_row(b, i, m);
        if (!turbine && compressor_row(b, i, m) && is_rotor(b, i))
            compressor_clearance(b, i);
        else if (turbine && is_stator(b, i) && b.ITML == 0)
            stator_leakage(b, i);
        else if (turbine && is_rotor(b, i))
            rotor_leakage(b, i);
    }
    if (b.cyld_nr < 2 || b.cyld_force1D != 0) return;
    // Per-streamline solves: a turbine element's flow share of the inlet flow.
    for (int i = 0; i <= NS; ++i) {
        if (!turbine_row(b, i, m) || b.elem_G2[i] == 0.0) continue;
        for (int j = 0; j < b.cyld_nr; ++j) b.los_Fp[i][j] = b.elem_G2[0] / b.elem_G2[i];
    }
}

void leakage_losses(bdLocals& b) {
    const int m = mid_stream(b);
    for (int i = 1; i <= b.cyld_ns; ++i) {
        const bool turbine = turbine_row(b, i, m);
        if (!turbine && compressor_row(b, i, m) && is_rotor(b, i))
            compressor_leak_losses(b, i);
        else if (turbine && is_rotor(b, i))
            turbine_leak_losses(b, i);
    }
}

void carry_over(bdLocals& b) {
    for (int i = 0; i < b.cyld_ns; ++i)
        for (int j = 0; j < b.cyld_nr; ++j) carry_section(b, i, j);
}

int loss_step() {
    bdLocals* c = solvable_case();
    if (c == nullptr) return 0;
    bdLocals& b = *c;
    const int result = loss_coefficients(b);
    if (result != 0) return result;
    seals_and_cooling(b);
    tip_leakage(b);
    leakage_losses(b);
    carry_over(b);
    return 0;
}

}  // namespace h2
