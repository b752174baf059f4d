// Mean-line blade row or deswirler: the row turns the flow to its outlet angle
// (gauging angle plus deviation), works on it through the blade speed
// (rothalpy is conserved) and loses energy by a velocity coefficient (turbine
// and radial compressor rows) or a total-pressure loss coefficient (axial
// compressor rows). Beside it the choke cap of a marked row.
#include <cmath>
#include <limits>

#include "case/walkers_internal.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/threading.h"
#include "physics/angle_mask.h"
#include "physics/loss_wrappers.h"
#include "physics/section_losses.h"
#include "solver/gravity_head.h"
#include "solver/post_throat.h"
#include "solver/solver_conventions.h"
#include "solver/solver_internal.h"

namespace {

using h2::fluid;
using h2::kDegree;

// Share of the ideal choking flow that a compressor cascade passes.
constexpr double kCompressorChokeShare = 0.96;
// Share of the speed of full expansion that a turbine row's trial speed may reach.
constexpr double kNearFullExpansion = 0.999;

// rescale_phi's flag: the section type read as an integer, 1 for radial.
int radial_flag(const bdLocals& b, int i) { return std::trunc(b.elem_sectType[i]) == 1.0 ? 1 : 0; }

bool gauging_task(int task) { return task == 40 || task == 400; }

// Sine of the outlet angle seen on the inclined stream surface: the blade
// angle whose cotangent is |cot a| cos(theta) (on radial sections sin a).
double surface_sine(const bdLocals& b, int i, int m, double angle) {
    return rescale_phi(std::sin(angle * kDegree), b.cas_cosT2[i][m], radial_flag(b, i));
}

// Outlet flow angle before deviation, degrees.
double outlet_angle_before_deviation(const bdLocals& b, int i, int m) {
    const double B2a = b.cas_B2a[i][m];
    if (h2::switch_on(b.elem_B2aDirect[i])) return B2a;
    const double x = surface_sine(b, i, m, B2a);
    // A rotating blade row turns the flow beyond the axial direction.
    const bool rotating = b.bld_wp[i] != 0.0 && b.bld_z[i] != 0.0 && b.elem_stagType[i] == h2::kKindBlade;
    const bool beyond_90 = rotating || B2a > 90.0;
    // sin_from_cos floors the squared cosine at 1e-8: an angle of exactly 90
    // degrees comes out a little below it.
    const double c = sin_from_cos(beyond_90 ? 1 : 0, x);
    return std::atan2(x, c) / kDegree;
}

// Relative totals, static state and total pressure of an incompressible
// outlet whose relative total pressure p2wx is known: shared by every row type.
void incompressible_outlet(bdLocals& b, int i, int m) {
    const double s2 = b.isd_s2[i][m];
    b.isd_i2wx[i][m] = fluid(b, H2_FLUID_I_PS, b.isd_p2wx[i][m], s2, i);
    b.isd_i2[i][m] = b.isd_i2wx[i][m] - b.flow_w2[i][m] * b.flow_w2[i][m] / 2.0;
    b.isd_p2[i][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2[i][m], s2, i);
    b.isd_i2x[i][m] = b.flow_c2[i][m] * b.flow_c2[i][m] / 2.0 + b.isd_i2[i][m];
    b.isd_p2x[i][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2x[i][m], s2, i);
}

void turbine_state(bdLocals& b, int i, int m, double W) {
    if (b.ICLos != 0) {
        b.isd_p2[i][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2[i][m], b.isd_s1[i][m], i);
        b.isd_a2[i][m] = fluid(b, H2_FLUID_SOUND_PI, b.isd_p2[i][m], b.isd_i2[i][m], i);
        (void)section_losses(i, m);
    }
    const double phi = b.los_Los[i][m];
    // Ideal expansion to the speed w / phi.
    b.isd_p2[i][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2wx[i][m] - 0.5 * W / (phi * phi), b.isd_s1[i][m], i);
    b.isd_s2[i][m] = fluid(b, H2_FLUID_S_PI, b.isd_p2[i][m], b.isd_i2[i][m], i);
    if (b.isd_s1[i][m] != 0.0) {
        b.isd_p2wx[i][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2wx[i][m], b.isd_s2[i][m], i);
    } else {
        b.isd_p2wx[i][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2wx[i][m], b.isd_s2[i][m], i) -
                           (1.0 - phi * phi) * W / 2.0 * b.isd_Ro1[i][m];
        incompressible_outlet(b, i, m);
    }
}

// parasitic: the heat of the row's parasitic work in its outlet enthalpies,
// which raises the entropy at the pressure the blades reach.
void radial_compressor_state(bdLocals& b, int i, int m, bool deswirler, double parasitic) {
    if (b.ICLos != 0) (void)(deswirler ? elem_loss_other(i, m) : elem_loss_cent(i, m));
    const double dhb = b.enrg_dhb[i][m];
    b.isd_p2[i][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2[i][m] - dhb - parasitic, b.isd_s1[i][m], i);
    b.isd_s2[i][m] = fluid(b, H2_FLUID_S_PI, b.isd_p2[i][m], b.isd_i2[i][m], i);
    if (b.isd_s1[i][m] != 0.0) {
        b.isd_p2wx[i][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2wx[i][m], b.isd_s2[i][m], i);
    } else {
        b.isd_p2wx[i][m] =
            fluid(b, H2_FLUID_P_IS, b.isd_i2wx[i][m], b.isd_s2[i][m], i) - dhb * b.isd_Ro1[i][m];
        incompressible_outlet(b, i, m);
    }
}

// False when the trial speed is impossible (static above relative total pressure).
bool axial_compressor_state(bdLocals& b, int i, int m, bool deswirler, double parasitic) {
    if (b.ICLos != 0) {
        if (deswirler) {
            (void)elem_loss_other(i, m);
        } else {
            (void)elem_loss_axcomp(i, m);
            const double c1s = b.flow_c1s[i][m];
            b.flow_w12m[i][m] = c1s == 0.0 ? 1.0 : b.flow_c2s[i][m] / c1s;
        }
    }
    // Total-pressure loss on the inlet's relative dynamic pressure.
    const double dp = (b.isd_p1wx[i][m] - b.isd_p1[i][m]) * b.los_om[i][m];
    b.isd_p2wx[i][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2wx[i][m] - parasitic, b.isd_s1[i][m], i) - dp;
    if (b.isd_s1[i][m] != 0.0) {
        b.isd_s2[i][m] = fluid(b, H2_FLUID_S_PI, b.isd_p2wx[i][m], b.isd_i2wx[i][m], i);
        b.isd_p2[i][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2[i][m], b.isd_s2[i][m], i);
    } else {
        // Evaluated with the entropy the previous evaluation left.
        b.enrg_dhb[i][m] = fluid(b, H2_FLUID_I_PS, dp, b.isd_s2[i][m], i);
        incompressible_outlet(b, i, m);
    }
    return !(b.isd_p2[i][m] > b.isd_p2wx[i][m]);
}

// The trial speed w of a turbine row, held below the speed of its full
// expansion phi sqrt(2 i2wx), where the ideal static enthalpy reaches 0. Past
// its choke flow a row passes the same flow at every higher speed, so the
// search of the inverse tasks may step beyond that speed; there the fluid
// has no state, and the NaN ended the run. The speed held stands for the
// trial, which pays for the difference in its defect.
double within_full_expansion(const bdLocals& b, int i, int m, double w) {
    if (b.isd_s1[i][m] == 0.0 || !h2::turbine_row(b, i, m)) return w;
    const double phi = b.los_Los[i][m];
    const double full =
        (phi > 0.0 && phi <= 1.0 ? phi : 1.0) * std::sqrt(2.0 * std::fmax(b.isd_i2wx[i][m], 0.0));
    return w < kNearFullExpansion * full ? w : kNearFullExpansion * full;
}

// A row expanded so far past its throat that its exit turned axial passes
// less than its choke flow again: a flow it also passes on its subsonic
// branch. The search of the inverse tasks found such points, with a pressure
// rise through the next row, and took them for an answer. The defect grows
// with the speed past the throat and with the share of the choke flow not
// asked, and vanishes for a choked row.
double supersonic_branch(const bdLocals& b, int i, int m, const h2::PostThroat& throat, double angle,
                         double opening) {
    if (!throat.axial) return 0.0;
    const bool radial = b.elem_sectType[i] == h2::kSectRadial;
    const double normal = radial ? b.cas_sinT2[i][m] : b.cas_cosT2[i][m];
    const double G_choke = std::fabs(throat.flux_throat * std::sin(angle * kDegree) * normal) * opening;
    if (!(G_choke > 0.0)) return 0.0;
    const double unasked = std::fmax(1.0 - b.elem_G2[i] / G_choke, 0.0);
    return (b.flow_w2[i][m] / throat.w_throat - 1.0) * unasked;
}

}  // namespace

extern "C" {

double row_choke_limit(int i) {
    bdLocals* c = get_bdLocals();
    if (c == nullptr) return 0.0;
    bdLocals& b = *c;
    if (b.elem_Laval[i] == 0.0) return 0.0;
    const int m = h2::mid_stream(b);
    // Relative inlet totals.
    const double p0 = b.isd_p1wx[i][m];
    const double h0 = b.isd_i1wx[i][m];

    double Gmax = 0.0;
    if (h2::compressor_row(b, i, m)) {
        // Critical flow through the cascade throats at the inlet totals.
        const double pitch = h2::kPi * b.bld_d1[i] / b.bld_z[i];
        const double throat = std::sin(b.cas_B1g[i][m] * kDegree) * pitch;
        const double T = fluid(b, H2_FLUID_T_PI, p0, h0, i);
        const double cp = fluid(b, H2_FLUID_CP_PI, p0, h0, i);
        const double k = fluid(b, H2_FLUID_KAPPA_PI, p0, h0, i);
        (void)fluid(b, H2_FLUID_SOUND_PI, p0, h0, i);  // the critical Mach number is a*/a, independent of it
        const double R = cp - cp / k;
        b.flow_Mcr[i][m] = std::sqrt(2.0 / (k + 1.0));
        const double critical_flux =
            p0 * std::sqrt((k / R) * std::pow(2.0 / (k + 1.0), (k + 1.0) / (k - 1.0))) / std::sqrt(T);
        Gmax = critical_flux * kCompressorChokeShare * b.bld_z[i] * throat * b.bld_l1[i];
    } else if (h2::turbine_row(b, i, m)) {
        // Critical speed through the outlet section; the density is taken at
        // the outlet static pressure and the critical enthalpy.
        const double k = fluid(b, H2_FLUID_KAPPA_PI, p0, h0, i);
        (void)fluid(b, H2_FLUID_R_PI, p0, h0, i);
        const double a = fluid(b, H2_FLUID_SOUND_PI, p0, h0, i);
        const double a_crit = std::sqrt(2.0 / (k + 1.0)) * a;
        const double rho_crit =
            fluid(b, H2_FLUID_RHO_PI, b.isd_p2[i][m], b.isd_i2wx[i][m] - a_crit * a_crit / 2.0, i);
        const double x = surface_sine(b, i, m, b.cas_B2[i][m]);
        Gmax = std::fabs(a_crit * x) * rho_crit * b.bld_F2[i] * b.elem_Pa[i] * b.los_Fp[i][m];
    } else {
        b.elem_Gmax[i] = 0.0;
        return 0.0;
    }

    b.elem_Gmax[i] = Gmax;
    if (b.elem_G2[i] > Gmax) {
        // The whole path passes no more than the choked row; later elements of
        // this pass see the capped flow.
        b.elem_G1[0] = Gmax;
        b.elem_G2[0] = Gmax;
        b.elem_G1[i] = Gmax;
        b.elem_G2[i] = Gmax;
    }
    return Gmax;
}

double elem_blade_1d(int i, double w_trial) {
    bdLocals* c = get_bdLocals();
    if (c == nullptr) return std::numeric_limits<double>::quiet_NaN();
    bdLocals& b = *c;
    const int m = h2::mid_stream(b);

    // Rothalpy is conserved through the row.
    const double u2 = b.flow_u2[i][m];
    b.isd_i2wx[i][m] = (b.isd_i1x[i][m] - b.flow_ucu1[i][m]) + 0.5 * u2 * u2 + grav_head_out(i, m);
    const double w = within_full_expansion(b, i, m, w_trial);
    const double overshoot = w_trial / w - 1.0;
    const double W = w * w;
    b.flow_w2[i][m] = w;
    b.isd_i2[i][m] = b.isd_i2wx[i][m] - 0.5 * W;

    // First evaluation: the relative total pressure of the isentropic change.
    if (b.isd_p2wx[i][m] == 0.0)
        b.isd_p2wx[i][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2wx[i][m], b.isd_s1[i][m], i);

    const double beta = outlet_angle_before_deviation(b, i, m);
    const bool turbine = h2::turbine_row(b, i, m);
    const bool compressor = !turbine && h2::compressor_row(b, i, m);
    if (gauging_task(b.cyld_VART)) {
        if (turbine) {
            b.cas_B2[i][m] = row_dev_angle(i, m, ang_mask_apply(i, beta));
        } else if (compressor) {
            b.cas_B2g[i][m] = ang_mask_apply(i, beta);
            b.cas_B2[i][m] = row_dev_angle(i, m, b.cas_B2g[i][m]);
        }
    } else {
        b.cas_B2[i][m] = row_dev_angle(i, m, beta);
    }
    b.cas_iR[i][m] = b.cas_B1g[i][m] - b.cas_B1[i][m];

    const bool deswirler = b.elem_stagType[i] == h2::kKindDeswirler;
    if (turbine) {
        turbine_state(b, i, m, W);
    } else if (compressor) {
        // The shaft's parasitic work (tip leakage, disk friction) heats the
        // gas the row passes: it enters the outlet state whose density
        // continuity weighs, on the Euler work of this trial's triangle.
        const double c2u = std::fabs(u2) + w * std::cos(b.cas_B2[i][m] * kDegree);
        const double parasitic = h2::compressor_parasitic_work(b, i, std::fabs(u2) * c2u - b.flow_ucu1[i][m]);
        b.isd_i2wx[i][m] += parasitic;
        b.isd_i2[i][m] += parasitic;
        const double sect = b.elem_sectType[i];
        if (sect == h2::kSectRadial) {
            radial_compressor_state(b, i, m, deswirler, parasitic);
        } else if (sect == h2::kSectAxial) {
            if (!axial_compressor_state(b, i, m, deswirler, parasitic)) return -1.0;
        }
    }

    // A turbine row expanded past its throat turns the flow after it.
    const double below_choke_angle = b.cas_B2[i][m];
    const h2::PostThroat throat =
        turbine ? h2::post_throat(b, i, m, w, below_choke_angle) : h2::PostThroat{below_choke_angle};
    b.cas_B2[i][m] = throat.angle;

    // Outlet velocity triangle.
    b.isd_Ro2[i][m] = fluid(b, H2_FLUID_RHO_PI, b.isd_p2[i][m], b.isd_i2[i][m], i);
    const double B2 = b.cas_B2[i][m] * kDegree;
    b.flow_c2s[i][m] = w * std::sin(B2);
    b.flow_c2u[i][m] = std::fabs(u2) + w * std::cos(B2);
    const bool radial = b.elem_sectType[i] == h2::kSectRadial;
    const double cn = b.flow_c2s[i][m] * (radial ? b.cas_sinT2[i][m] : b.cas_cosT2[i][m]);
    b.flow_c2z[i][m] = cn;
    b.flow_c2r[i][m] = b.flow_c2s[i][m] * (radial ? b.cas_cosT2[i][m] : b.cas_sinT2[i][m]);
    if (b.ICLos != 0) (void)row_blockage(i, m);
    (void)row_choke_limit(i);

    // Continuity against the row's outlet flow.
    const double opening = b.bld_F2[i] * b.elem_Pa[i] * b.los_Fp[i][m];
    const double d = (b.elem_G2[i] - std::fabs(cn) * b.isd_Ro2[i][m] * opening) / b.elem_G2[0];
    const double branch = supersonic_branch(b, i, m, throat, below_choke_angle, opening);
    return -d * d - overshoot * overshoot - branch * branch;
}

}  // extern "C"
