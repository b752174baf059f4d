// Redesign of one element of a solved path at its middle section: height and
// diameters from continuity, inlet sizes and gaps, dependent blade sizes, the
// exit velocity triangle, flow and blade angles, stagger, deviation and loss,
// an atlas profile or the loss-versus-strength search, strength, and the exit
// state and coordinates, repeated until the exit enthalpy settles.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "blades/atlas.h"
#include "blades/material.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/profiles.h"
#include "halvorine2/stage_design.h"
#include "halvorine2/strength.h"
#include "physics/loss_wrappers.h"
#include "physics/section_losses.h"
#include "solver/gravity_head.h"
#include "solver/predesign/axial_turbine/turbine_design.h"
#include "solver/predesign/predesign_tables.h"
#include "solver/solver_conventions.h"

namespace {

using h2::fluid;
using h2::turbine::kDeg;
using h2::turbine::kPi;

constexpr int kPasses = 50;
// The exit enthalpy counts as settled from this pass on.
constexpr int kFirstSettledPass = 6;
constexpr double kSettledTol = 1e-8;
// Relative exit Mach number an expansion row may reach.
constexpr double kMaxExitMach = 2.0;
// Gap estimation takes over from the fiftieth-of-height rule at this height, m.
constexpr double kGapEstimateFrom = 0.052;
constexpr double kGapFraction = 50.0;
// A radial element before an axial one: the axial gap is 1.5 blade heights.
constexpr double kRadialGapFactor = 1.5;
// A row whose chord exceeds its axial chord by more than this takes the stator model.
constexpr double kStatorModelChordRatio = 1.01;

bool axial(const bdLocals& b, int e) { return b.elem_sectType[e] == h2::kSectAxial; }
bool radial(const bdLocals& b, int e) { return b.elem_sectType[e] == h2::kSectRadial; }

// Energy lost in a row of velocity coefficient phi whose exit speed is w:
// the isentropic exit speed is w / phi, so the loss is (1 - phi^2)/phi^2 w^2/2.
double design_row_loss(double phi, double w) { return (1.0 - phi * phi) / (phi * phi) * w * w / 2.0; }

// Profile from the row's atlas: stagger, inlet metal angle, chord, edge radius.
void atlas_profile(bdLocals& b, int e, int m) {
    const bool rotor = h2::is_rotor(b, e);
    const auto* atlas = static_cast<const Atlas*>(rotor ? b.atlas_r : b.atlas_s);
    const char* name = rotor ? b.atlas_r_profile : b.atlas_s_profile;
    b.atlas_index[e] = -1.0;
    if (atlas == nullptr) return;
    b.atlas_index[e] = atlas_find(atlas, name);
    if (b.atlas_index[e] < 0.0) return;
    const int k = static_cast<int>(b.atlas_index[e]);
    b.cas_Byct[e][m] = atlas_stagger(atlas, b.cas_t[e][m] / b.cas_bx[e][m], b.cas_B2eff[e][m], k);
    b.cas_B1g[e][m] = atlas_shift(atlas, b.cas_Byct[e][m], k);
    if (!rotor) b.cas_B1g[e][m] = 180.0 - b.cas_B1g[e][m];
    const double chord = atlas->chord[k];
    if (rotor && h2::predesign::prereq_slot(&b, h2::turbine::kSlotRotorRowHold, 1.0) != 0.0) {
        b.cas_b[e][m] = chord;
    } else if (!rotor && h2::predesign::prereq_slot(&b, h2::turbine::kSlotStatorRowHold, 1.0) != 0.0) {
        b.cas_bx[e][m] = chord;
        b.cas_b[e][m] = chord;
    }
    b.cas_r2[e][m] = atlas->r2_[k] * b.cas_b[e][m];
}

// Section properties, stresses and frequencies of the row at its metal
// temperature, with the section models at hand. The section routines count
// the blades afresh from the pitch; a pitch of pi d2 / z can lose a blade to
// rounding that way, so the row keeps the count its sizing gave it.
void strength_pass(bdLocals& b, int e, int m) {
    const double T =
        b.fluid_func(H2_FLUID_T_PI, b.isd_p1wx[e][m], b.isd_i1wx[e][m], b.elem_af[0], H2_FLUID_MAIN);
    strs_material(e, T);
    const double z = b.bld_z[e];
    h2::turbine::SectionModels models(b);
    const bool spanwise = b.cyld_nr - 1 > 1;
    if (h2::is_rotor(b, e)) {
        WorkGeom(e, m, 1);
        b.bld_z[e] = z;
        rlpc(e);
        if (spanwise) rlzc(e);
        vibration(e);
        if (spanwise) vibrzz(e);
        diskr(e);
    } else {
        if (b.cas_b[e][m] <= kStatorModelChordRatio * b.cas_bx[e][m])
            WorkGeom(e, m, 1);
        else
            GuideGeom(e, m, 1);
        b.bld_z[e] = z;
        diafr(e);
    }
}

// Step 3.2: height and mean diameter for the task; 1 when no height exists.
int size_height(bdLocals& b, int e, int m, double omega, int mode) {
    const double d = b.bld_d2s[e];
    double& l2 = b.bld_l2[e];
    double& d2 = b.bld_d2[e];
    if (b.cyld_VART == 1) {
        // Continuity with c2z = cz_ omega d2 / 2: d2^2 l2 = K.
        const double K = 2.0 * b.elem_G2[e] / (b.isd_Ro2[e][m] * kPi * b.elem_cz_[e] * omega * b.elem_Pa[e]);
        if (radial(b, e)) {
            l2 = stgHeightFromMean(d, K);
            d2 = d;
        } else if (mode == 0) {
            l2 = stgHeightFromHub(d, K);
            if (l2 < 0.0) return 1;
            d2 = d + l2;
        } else if (mode == 2) {
            l2 = stgHeightFromTip(d, K);
            if (l2 < 0.0) return 1;
            d2 = d - l2;
        } else {
            l2 = stgHeightFromMean(d, K);
            d2 = d;
        }
    } else if (b.cyld_VART == 2) {
        if (axial(b, e))
            d2 = mode == 0 ? d + l2 : (mode == 2 ? d - l2 : d);
        else
            d2 = d;
        const double cm = b.elem_G2[e] / (b.isd_Ro2[e][m] * kPi * d2 * l2 * b.elem_Pa[e]);
        if (axial(b, e))
            b.flow_c2z[e][m] = cm;
        else
            b.flow_c2r[e][m] = -cm;
    }
    return 0;
}

// Steps 3.4 to 3.6: the inlet sizes from the element before.
void size_inlet(bdLocals& b, int e, bool expanding) {
    const int ns = b.cyld_ns;
    const bool same_module = b.elem_moduleNum[e] == b.elem_moduleNum[e - 1];
    if (axial(b, e) && axial(b, e - 1)) {
        if (e > 1 && expanding) {
            double g1 = 0.0, g2 = 0.0, g3 = 0.0;
            if (h2::predesign::prereq_slot(&b, h2::turbine::kSlotGapThreshold, 0.0) > 0.0) {
                if (b.bld_l2[e] >= kGapEstimateFrom)
                    estimate_gaps(b.bld_l2[e], &g1, &g2, &g3);
                else
                    g2 = g3 = b.bld_l2[e] / kGapFraction;
            }
            if (same_module) {
                b.bld_l1[e] = g2 + b.bld_l2[e - 1] + g3;
                b.bld_d1[e] = g2 + b.bld_d2[e - 1] - g3;
            } else {
                b.bld_l1[e] = b.bld_l2[e];
                b.bld_d1[e] = b.bld_d2[e];
            }
        } else if (same_module) {
            b.bld_l1[e] = b.bld_l2[e - 1];
            b.bld_d1[e] = b.bld_d2[e - 1];
        } else {
            b.bld_l1[e] = b.bld_l2[e];
            b.bld_d1[e] = b.bld_d2[e];
        }
    }
    if (!expanding) return;
    const int m = h2::mid_stream(b);
    if (e > 1 && axial(b, e) && radial(b, e - 1)) {
        b.bld_l1[e] = b.bld_l2[e - 1];
        b.cas_B[e][m] = kRadialGapFactor * b.bld_l2[e];
    }
    if (radial(b, e) && radial(b, e - 1)) {
        b.bld_l1[e] = b.bld_l2[e];
        // The last element has no element behind it to size.
        if (e < ns) {
            b.bld_l1[e + 1] = b.bld_l1[e];
            b.bld_d1[e + 1] = b.bld_d2[e] - 2.0 * b.clrn_d1[e];
        }
    }
}

// Step 3.8: the exit meridional velocity.
void exit_meridional(bdLocals& b, int e, int m, double omega) {
    const double u = omega * b.bld_d2[e] / 2.0;
    // The flow coefficient of the element after, or the element's own at the end of the path.
    const double cz_next = e < b.cyld_ns ? b.elem_cz_[e + 1] : b.elem_cz_[e];
    if (b.cyld_VART == 2) {
        b.elem_cz_[e] = axial(b, e) ? b.flow_c2z[e][m] / u : std::fabs(b.flow_c2r[e][m]) / u;
    } else if (!axial(b, e)) {
        double c2r = u * b.elem_cz_[e];
        if (b.cas_t2[e][m] < 0.0) c2r = -c2r;
        if (c2r == 0.0) c2r = -u * cz_next;
        b.flow_c2r[e][m] = c2r;
    } else {
        double c2z = u * b.elem_cz_[e];
        if (c2z == 0.0) c2z = u * cz_next;
        b.flow_c2z[e][m] = c2z;
    }
    if (!axial(b, e)) {
        b.flow_c2s[e][m] = std::fabs(b.flow_c2r[e][m] / b.cas_sinT2[e][m]);
        b.flow_c2z[e][m] = std::fabs(b.flow_c2s[e][m] * b.cas_cosT2[e][m]);
    } else {
        b.flow_c2s[e][m] = b.flow_c2z[e][m] / b.cas_cosT2[e][m];
        b.flow_c2r[e][m] = b.flow_c2s[e][m] * b.cas_sinT2[e][m];
    }
}

// Step 3.9: the relative exit speed from rothalpy and the exit triangle; 1
// when the relative speed falls below the meridional speed.
int exit_triangle(bdLocals& b, int e, int m) {
    const bool rotor = h2::is_rotor(b, e);
    const double u1 = b.flow_u1[e][m];
    const double u2 = b.flow_u2[e][m] = b.bld_wp[e] * b.bld_d2[e] / 2.0;
    // Rothalpy i + w^2/2 - u^2/2 is kept through the row, plus the gravity head.
    double i2wx = u2 * u2 / 2.0 + b.isd_i1wx[e][m] - u1 * u1 / 2.0 + grav_head_out(e, m);
    if (b.isd_s1[e][m] == 0.0) i2wx -= b.enrg_dhb[e][m];
    b.isd_i2wx[e][m] = i2wx;
    const double c2s = b.flow_c2s[e][m];
    const double w2 = std::sqrt(2.0 * std::fabs(i2wx - b.isd_i2[e][m]));
    b.flow_w2[e][m] = w2;
    if (w2 < c2s) return 1;
    double w2u = std::sqrt(std::fabs(w2 * w2 - c2s * c2s));
    if (rotor) w2u = -w2u;
    b.flow_w2u[e][m] = w2u;
    const double c2u = b.flow_c2u[e][m] = w2u + u2;
    b.flow_c2[e][m] = std::sqrt(c2s * c2s + c2u * c2u);
    b.flow_w2[e][m] = std::sqrt(c2s * c2s + w2u * w2u);
    // Euler work of the row.
    b.enrg_Lu[e][m] = u1 * b.flow_c1u[e][m] - u2 * c2u;
    return 0;
}

// Steps 3.10 to 3.12: flow angles, effective exit angle and stagger.
double angles_and_stagger(bdLocals& b, int e, int m, bool expanding) {
    const bool rotor = h2::is_rotor(b, e);
    const bool stator = h2::is_stator(b, e);
    const double c2s = std::fabs(b.flow_c2s[e][m]);
    b.cas_B1[e][m] = std::atan2(std::fabs(b.flow_c1s[e][m]), b.flow_c1u[e][m] - b.flow_u1[e][m]) / kDeg;
    b.cas_B1g[e][m] = b.cas_B1[e][m];
    b.cas_A2[e][m] = std::atan2(c2s, b.flow_c2u[e][m]) / kDeg;
    b.cas_B2[e][m] = std::atan2(c2s, b.flow_w2u[e][m]) / kDeg;
    b.cas_B2eff[e][m] = b.cas_B2[e][m] - b.cas_dR[e][m];
    b.cas_B2a[e][m] = b.cas_B2g[e][m] = b.cas_B2eff[e][m];
    const double s = rescale_phi(std::sin(b.cas_B2a[e][m] * kDeg), b.cas_cosT2[e][m],
                                 static_cast<int>(std::trunc(b.elem_sectType[e])));
    const double c = sin_from_cos(rotor ? 1 : 0, s);
    const double beta_e = std::atan2(s, c) / kDeg;
    const double a1 = stator ? 180.0 - b.cas_B1g[e][m] : b.cas_B1g[e][m];
    const double B2g = b.cas_B2g[e][m];
    const double a2 = B2g <= 90.0 ? B2g : 180.0 - B2g;
    b.cas_Byct[e][m] = BetaUst(a1, a2, expanding ? 0 : 1);
    return beta_e;
}

// Deviation of the row: a deviation that is not a number counts as none.
void apply_deviation(bdLocals& b, int e, int m, double angle) {
    row_dev_angle(e, m, angle);
    if (std::isnan(b.cas_dR[e][m])) b.cas_dR[e][m] = 0.0;
    b.cas_B2eff[e][m] = b.cas_B2[e][m] - b.cas_dR[e][m];
    b.cas_B2a[e][m] = b.cas_B2g[e][m] = b.cas_B2eff[e][m];
}

// Step 3.13: deviation, profile or search, strength and loss of an
// expansion row; a non-zero search result.
int expansion_losses(bdLocals& b, int e, int m, double beta_e, double i2s) {
    const bool both_axial = axial(b, e) && axial(b, e - 1);
    if (b.ICLos != 0) {
        apply_deviation(b, e, m, beta_e);
        int found = 0;
        if (b.S1mode == 0) {
            atlas_profile(b, e, m);
            section_losses(e, m);
        } else {
            if (b.S1mode > 1) {
                if (e < h2::turbine::kSearchTable) b.strs_mode[e] = 3;
                b.S1range_begin = 0;
                b.S1range_end = 100;
                b.S1strignore = 1;
                b.S1vibrignore = 1;
            }
            found = LosStrs(e);
            if (e < h2::turbine::kSearchTable) b.S1result_elem[e] = found;
            if (found != 0) return found;
        }
    }
    if (b.S1mode == 0 && both_axial) strength_pass(b, e, m);
    const double phi = b.los_Los[e][m];
    const double dhb = b.enrg_dhb[e][m] = design_row_loss(phi, b.flow_w2[e][m]);
    if (b.isd_s1[e][m] == 0.0) {
        b.isd_p2wx[e][m] =
            fluid(b, H2_FLUID_P_IS, b.isd_i1wx[e][m], b.isd_s2[e][m], e) - dhb * b.isd_Ro1[e][m];
        b.isd_s2[e][m] = b.isd_s1[e][m];
    } else {
        b.isd_i2[e][m] = i2s + dhb;
        b.isd_s2[e][m] = fluid(b, H2_FLUID_S_PI, b.isd_p2[e][m], b.isd_i2[e][m], e);
        b.isd_p2wx[e][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2wx[e][m], b.isd_s2[e][m], e);
    }
    return 0;
}

// Step 3.14: loss and exit state of a compression row.
void compression_losses(bdLocals& b, int e, int m, double i2s) {
    const bool deswirler = b.elem_stagType[e] == h2::kKindDeswirler;
    if (!axial(b, e)) {
        if (b.ICLos != 0) {
            if (deswirler)
                elem_loss_other(e, m);
            else
                elem_loss_cent(e, m);
        }
        b.isd_i2[e][m] = i2s + b.enrg_dhb[e][m];
        b.isd_s2[e][m] = fluid(b, H2_FLUID_S_PI, b.isd_p2[e][m], b.isd_i2[e][m], e);
        b.isd_p2wx[e][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2wx[e][m], b.isd_s2[e][m], e);
        if (b.isd_s2[e][m] == 0.0) b.isd_p2wx[e][m] -= b.enrg_dhb[e][m] * b.isd_Ro1[e][m];
    } else {
        if (b.ICLos != 0) {
            row_dev_angle(e, m, b.cas_B2[e][m]);
            if (deswirler)
                elem_loss_other(e, m);
            else
                elem_loss_axcomp(e, m);
            b.cas_B1g[e][m] = b.cas_B1[e][m] + b.cas_iR[e][m];
            b.cas_B2a[e][m] = b.cas_B2g[e][m];
            b.flow_w12m[e][m] = b.flow_c1s[e][m] == 0.0 ? 1.0 : b.flow_c2s[e][m] / b.flow_c1s[e][m];
        }
        b.isd_p2wx[e][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2wx[e][m], b.isd_s1[e][m], e) -
                           (b.isd_p1wx[e][m] - b.isd_p1[e][m]) * b.los_om[e][m];
        b.isd_s2[e][m] = fluid(b, H2_FLUID_S_PI, b.isd_p2wx[e][m], b.isd_i2wx[e][m], e);
        b.isd_i2[e][m] = fluid(b, H2_FLUID_I_PS, b.isd_p2[e][m], b.isd_s2[e][m], e);
    }
    b.isd_i2wx[e][m] = fluid(b, H2_FLUID_I_PS, b.isd_p2wx[e][m], b.isd_s2[e][m], e);
}

// Step 3.16: exit totals and coordinates.
void exit_totals(bdLocals& b, int e, int m) {
    const double c2 = b.flow_c2[e][m];
    b.isd_i2x[e][m] = c2 * c2 / 2.0 + b.isd_i2[e][m];
    b.isd_p2x[e][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2x[e][m], b.isd_s2[e][m], e);
    const double x_prev = b.cas_x2[e - 1][m];
    if (axial(b, e - 1))
        b.cas_x2[e][m] = x_prev + b.clrn_d1[e - 1] + b.cas_b[e][m] * std::cos(b.cas_Byct[e][m] * kDeg);
    else if (axial(b, e))
        b.cas_x2[e][m] = x_prev + b.cas_b[e][m] / kRadialGapFactor;
    else
        b.cas_x2[e][m] = x_prev;
    b.cas_y2[e][m] = b.bld_d2[e] / 2.0;
}

}  // namespace

namespace h2::turbine {

SectionModels::SectionModels(bdLocals& b) : b_(b) {
    if (b.model_rotor != nullptr && b.model_stator != nullptr) return;
    loaded_here_ = true;
    saved_rotor_ = b.model_rotor;
    saved_stator_ = b.model_stator;
    saved_owned_ = b.model_owned;
    // Loading releases what the fields hold when the case owns it: a model
    // kept in the other field must survive, so the fields are handed over empty.
    b.model_rotor = nullptr;
    b.model_stator = nullptr;
    b.model_owned = 0;
    init_model();
}

SectionModels::~SectionModels() {
    if (!loaded_here_) return;
    term_model();
    b_.model_rotor = saved_rotor_;
    b_.model_stator = saved_stator_;
    b_.model_owned = saved_owned_;
}

}  // namespace h2::turbine

extern "C" {

int stgDesignElem(int e) {
    bdLocals* bp = h2::turbine::design_element_case(e);
    if (bp == nullptr) return 1;
    bdLocals& b = *bp;
    const int ns = b.cyld_ns;
    const int m = h2::mid_stream(b);
    const bool expanding = h2::is_expanding(b);

    // Shaft speed: a stator takes the speed of the rotor beside it.
    double omega;
    if (e <= 1)
        omega = e < ns ? std::max(b.bld_wp[e], b.bld_wp[e + 1]) : b.bld_wp[e];
    else
        omega = std::max(b.bld_wp[e], b.bld_wp[e - 1]);
    const int mode = static_cast<int>(std::trunc(b.elem_VARTD[e]));

    // Inlet triangle and relative inlet total enthalpy (rothalpy + u^2/2).
    b.flow_c1u[e][m] = b.flow_c2u[e - 1][m];
    b.flow_u1[e][m] = b.bld_wp[e] * b.bld_d1[e] / 2.0;
    b.flow_ucu1[e][m] = b.flow_c1u[e][m] * b.flow_u1[e][m];
    b.isd_i1wx[e][m] = b.flow_u1[e][m] * b.flow_u1[e][m] / 2.0 + b.isd_i1x[e][m] - b.flow_ucu1[e][m];
    // Isentropic exit enthalpy.
    const double i2s = fluid(b, H2_FLUID_I_PS, b.isd_p2[e][m], b.isd_s1[e][m], e);
    // A row that has no outlet state yet (or one short of its isentropic
    // state) starts from the isentropic one: from enthalpy 0 the first pass
    // would take the whole rothalpy as relative speed and charge a loss larger
    // than the row's drop, and the next pass would fail.
    if (!(b.isd_i2[e][m] >= i2s)) b.isd_i2[e][m] = i2s;

    for (int pass = 0; pass < kPasses; ++pass) {
        b.isd_Ro2[e][m] = fluid(b, H2_FLUID_RHO_PI, b.isd_p2[e][m], b.isd_i2[e][m], e);
        b.isd_a2[e][m] = fluid(b, H2_FLUID_SOUND_PI, b.isd_p2[e][m], b.isd_i2[e][m], e);
        if (size_height(b, e, m, omega, mode) != 0) return 1;
        b.bld_F2[e] = kPi * b.bld_d2[e] * b.bld_l2[e];
        size_inlet(b, e, expanding);
        if (stgBladeSizes(e) != 0) return 1;
        exit_meridional(b, e, m, omega);
        if (exit_triangle(b, e, m) != 0) return 1;
        const double beta_e = angles_and_stagger(b, e, m, expanding);
        const double i2p = b.isd_i2[e][m];
        if (expanding) {
            const int found = expansion_losses(b, e, m, beta_e, i2s);
            if (found != 0) return found;
        } else {
            compression_losses(b, e, m, i2s);
        }
        if (pass >= kFirstSettledPass && std::fabs((i2p - b.isd_i2[e][m]) / b.isd_i2[e][m]) < kSettledTol)
            break;
        exit_totals(b, e, m);
    }
    return expanding && b.flow_w2[e][m] / b.isd_a2[e][m] > kMaxExitMach ? 2 : 0;
}

int stgR(int e) {
    bdLocals* bp = h2::turbine::design_element_case(e);
    if (bp == nullptr) return -1;
    bdLocals& b = *bp;
    const int m = h2::mid_stream(b);
    const double chord = b.cas_b[e][m], bx = b.cas_bx[e][m], t = b.cas_t[e][m], z = b.bld_z[e];
    int result;
    {
        h2::turbine::SectionModels models(b);
        result = stgDesignElem(e);
    }
    if (result != 0) return e + 1;
    if (axial(b, e) && axial(b, e - 1) && b.S1mode == 0) {
        b.cas_b[e][m] = chord;
        b.cas_bx[e][m] = bx;
        b.cas_t[e][m] = t;
        b.bld_z[e] = z;
    }
    return 0;
}
}
