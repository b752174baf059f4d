// Element steps of the turbine regeneration pass that do not go through the
// blade-row redesign: the flow-path inlet sized from continuity, and an inlet
// volute fixed by its outlet geometry with its outlet state iterated.
#include <algorithm>
#include <cmath>

#include "halvorine2/fluid_plugin.h"
#include "physics/loss_wrappers.h"
#include "solver/gravity_head.h"
#include "solver/predesign/axial_turbine/turbine_design.h"
#include "solver/solver_conventions.h"

namespace {

using h2::fluid;
using h2::turbine::kDeg;
using h2::turbine::kPi;

// Inlet flow angle this close to 90 degrees counts as axial: no swirl.
constexpr double kAxialInflowTol = 0.0001;
constexpr int kMinPasses = 150;
constexpr double kMinTol = 1e-6;

bool finite_positive(double x) { return std::isfinite(x) && x > 0.0; }

}  // namespace

extern "C" {

int stgInletSize(void) {
    bdLocals* bp = h2::turbine::design_case();
    if (bp == nullptr) return 1;
    bdLocals& b = *bp;
    const int m = h2::mid_stream(b);
    const int e = 0;
    const int mode = static_cast<int>(std::trunc(b.elem_VARTD[e]));
    const bool axial = b.elem_sectType[e] == h2::kSectAxial;
    const bool radial = b.elem_sectType[e] == h2::kSectRadial;
    const int vart = b.cyld_VART;
    // The geometry stays as it was when the inlet cannot be sized.
    const double d2_old = b.bld_d2[e], l2_old = b.bld_l2[e];
    auto fail = [&] {
        b.bld_d2[e] = d2_old;
        b.bld_l2[e] = l2_old;
        return 1;
    };
    b.elem_G2[e] = b.elem_G1[e];
    const double G = b.elem_G2[e];
    const double D = b.bld_d2s[e];
    double& d2 = b.bld_d2[e];
    double& l2 = b.bld_l2[e];
    if (mode == 0 && axial)
        d2 = D + l2;
    else if (mode == 2 && axial)
        d2 = D - l2;
    else
        d2 = D;
    double wp = b.cyld_ns >= 1 ? b.bld_wp[1] : 0.0;
    if (b.cyld_ns >= 2) wp = std::max(wp, b.bld_wp[2]);
    const double u = wp * d2 / 2.0;

    b.flow_u1[e][m] = b.flow_u2[e][m] = 0.0;
    const double Ro = fluid(b, H2_FLUID_RHO_PI, b.elem_p0[e], b.elem_i0[e], e);
    b.isd_Ro1[e][m] = b.isd_Ro2[e][m] = Ro;
    if (!finite_positive(Ro)) return fail();

    double& c1z = b.flow_c1z[e][m];
    double& c1r = b.flow_c1r[e][m];
    double& c2z = b.flow_c2z[e][m];
    double& c2r = b.flow_c2r[e][m];
    double& c2s = b.flow_c2s[e][m];
    double& c2u = b.flow_c2u[e][m];
    if (axial || radial) {
        if (axial) {
            if (c1z == 0.0) c1z = u * b.elem_cz_[e];
            if (vart == 2) {
                c2z = G / (Ro * kPi * d2 * l2);
                c1z = c2z;
            } else {
                c2z = c1z;
            }
            c2s = c2z / b.cas_cosT2[e][m];
            c2r = c2s * b.cas_sinT2[e][m];
        } else {
            if (c1r == 0.0) c1r = -u * b.elem_cz_[e];
            if (vart == 2) {
                c2r = -G / (Ro * kPi * d2 * l2);
                c1r = c2r;
            } else {
                c2r = c1r;
            }
            c2s = c2r / b.cas_sinT2[e][m];
            c2z = c2s * b.cas_cosT2[e][m];
        }
        const double B1 = b.cas_B1[e][m];
        c2u = std::fabs(B1 - 90.0) >= kAxialInflowTol ? c2z / std::tan(B1 * kDeg) : 0.0;
        b.flow_c1s[e][m] = c2s;
        c1r = c2r;
        c1z = c2z;
        b.flow_c1u[e][m] = c2u;
    } else {
        b.flow_c1s[e][m] = c2s = 0.0;
        c1r = c2r = 0.0;
        c1z = c2z = 0.0;
        // The flow through the cross-section of the volute that follows.
        const double area = b.cyld_ns >= 1 ? b.vol_bk[1] * b.vol_hk[1] : 0.0;
        c2u = b.flow_c1u[e][m] = G / (Ro * area);
    }
    const double c2 = b.flow_c2[e][m] = std::sqrt(c2s * c2s + c2u * c2u);
    b.flow_c1[e][m] = c2;
    b.flow_u1[e][m] = b.flow_u2[e][m] = 0.0;
    b.flow_w2u[e][m] = b.flow_w1u[e][m] = c2u;
    b.flow_w2[e][m] = b.flow_w1[e][m] = c2;

    // Totals carried through; statics from the speed.
    b.isd_i2x[e][m] = b.isd_i2wx[e][m] = b.isd_i1wx[e][m] = b.isd_i1x[e][m];
    b.isd_p2x[e][m] = b.isd_p2wx[e][m] = b.isd_p1wx[e][m] = b.isd_p1x[e][m];
    b.isd_s2[e][m] = b.isd_s1[e][m] = fluid(b, H2_FLUID_S_PI, b.isd_p1x[e][m], b.isd_i1x[e][m], e);
    b.isd_i2[e][m] = b.isd_i1[e][m] = b.isd_i2x[e][m] - c2 * c2 / 2.0;
    b.isd_p2[e][m] = b.isd_p1[e][m] = fluid(b, H2_FLUID_P_IS, b.isd_i1[e][m], b.isd_s1[e][m], e);
    b.isd_Ro2[e][m] = b.isd_Ro1[e][m] = fluid(b, H2_FLUID_RHO_PI, b.isd_p2[e][m], b.isd_i2[e][m], e);
    b.isd_a2[e][m] = b.isd_a1[e][m] = fluid(b, H2_FLUID_SOUND_PI, b.isd_p2[e][m], b.isd_i2[e][m], e);

    // Annulus product A = mean diameter x height from continuity.
    const double rho2 = b.isd_Ro2[e][m];
    double A;
    if (axial)
        A = G / (rho2 * kPi * c2z);
    else if (radial)
        A = G / (std::fabs(c2r) * rho2 * kPi);
    else
        return 0;
    // A zero speed or density would carry infinite sizes into the path.
    if (vart == 1 && !std::isfinite(A)) return fail();
    if (radial && vart == 2 && b.cyld_ns >= 1 && b.bld_l1[1] != 0.0) l2 = b.bld_l1[1];
    if (mode == 0 && axial) {
        if (vart == 1) l2 = (std::sqrt(4.0 * A + D * D) - D) / 2.0;
        d2 = D + l2;
    } else if (mode == 2 && axial) {
        if (vart == 1) {
            const double disc = D * D - 4.0 * A;
            if (disc < 0.0) return fail();
            l2 = (D - std::sqrt(disc)) / 2.0;
        }
        d2 = D - l2;
    } else {
        d2 = D;
        if (vart == 1) l2 = A / d2;
    }
    if (vart == 2) {
        const double cm = G / (rho2 * kPi * d2 * l2);
        if (!std::isfinite(cm)) return fail();
        if (axial)
            c2z = cm;
        else
            c2r = -cm;
    }
    if (!std::isfinite(d2) || !std::isfinite(l2)) return fail();
    if (b.cyld_ns >= 1) {
        b.bld_d1[1] = d2;
        b.bld_d1[e] = b.bld_d1[1];
    } else {
        b.bld_d1[e] = d2;
    }
    b.bld_l1[e] = l2;
    return stgBladeSizes(e) != 0 ? 1 : 0;
}

int stgVolinSize(int e) {
    bdLocals* bp = h2::turbine::design_element_case(e);
    if (bp == nullptr) return 1;
    bdLocals& b = *bp;
    const int m = h2::mid_stream(b);
    b.cas_B1[e][m] = b.cas_B1g[e][m] = b.cas_A1[e][m] = b.cas_Byct[e][m] = 0.0;
    b.flow_u2[e][m] = b.flow_u1[e][m] = 0.0;
    b.flow_c1[e][m] = b.flow_c2[e - 1][m];
    b.flow_w1[e][m] = b.flow_c1[e][m];
    b.flow_c1u[e][m] = b.flow_c2u[e - 1][m];
    b.flow_c1r[e][m] = b.flow_c2r[e - 1][m];
    b.flow_c1z[e][m] = b.flow_c2z[e - 1][m];

    // Inlet totals from the element before, with the gravity head between them.
    const double i0 = b.elem_i0[e - 1] + grav_head_in(e, m);
    b.isd_i1wx[e][m] = b.isd_i1x[e][m] = b.isd_i2wx[e][m] = b.isd_i2x[e][m] = i0;
    b.isd_p1wx[e][m] = b.isd_p1x[e][m] = b.elem_p0[e - 1];
    b.isd_s1[e][m] = fluid(b, H2_FLUID_S_PI, b.elem_p0[e - 1], b.elem_i0[e - 1], e);
    const double c1 = b.flow_c1[e][m];
    b.isd_i1[e][m] = b.isd_i1x[e][m] - c1 * c1 / 2.0;
    b.isd_p1[e][m] = fluid(b, H2_FLUID_P_IS, b.isd_i1[e][m], b.isd_s1[e][m], e);

    b.bld_l2[e] = b.vol_b7[e];
    b.bld_d2[e] = b.vol_D7[e];
    b.bld_F2[e] = b.bld_d2[e] * kPi * b.bld_l2[e];
    b.flow_r1[e][m] = 0.0;
    b.flow_r2[e][m] = b.bld_d2[e] / 2.0;
    // The last element has no element behind it to size.
    if (e < b.cyld_ns) {
        b.bld_l1[e + 1] = b.bld_l2[e];
        b.bld_d1[e + 1] = b.bld_d2[e];
    }

    b.isd_Ro1[e][m] = fluid(b, H2_FLUID_RHO_PI, b.isd_p1[e][m], b.isd_i1[e][m], e);
    b.isd_Ro2[e][m] = b.isd_Ro1[e][m];
    double Rp = b.isd_Ro2[e][m];
    b.isd_a2[e][m] = b.isd_a1[e][m] = fluid(b, H2_FLUID_SOUND_PI, b.isd_p1[e][m], b.isd_i1[e][m], e);
    b.flow_c2z[e][m] = 0.0;
    b.flow_c2s[e][m] = b.flow_c2r[e][m];
    b.enrg_dhb[e][m] = 0.0;

    const int L = b.IM > kMinPasses ? b.IM : kMinPasses;
    const double tol = b.acc_limit <= kMinTol ? kMinTol : b.acc_limit;
    const double sinA = std::sin(b.vol_A2[e] * kDeg);
    const double cosA = std::cos(b.vol_A2[e] * kDeg);
    for (int it = 0;; ++it) {
        b.flow_c2r[e][m] = -b.elem_G2[e] / (b.isd_Ro2[e][m] * b.bld_F2[e]);
        b.flow_c2s[e][m] = b.flow_c2r[e][m];
        const double c = -b.flow_c2r[e][m] / sinA;
        b.flow_w2[e][m] = b.flow_c2[e][m] = c;
        // Only the relative speed is held at the speed of sound; the enthalpy drop uses c.
        if (b.flow_w2[e][m] > b.isd_a2[e][m]) b.flow_w2[e][m] = b.isd_a2[e][m];
        b.flow_w2u[e][m] = b.flow_c2u[e][m] = cosA * c;
        b.isd_i2[e][m] = b.isd_i2x[e][m] - c * c / 2.0;
        b.isd_p2[e][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2[e][m] - b.enrg_dhb[e][m], b.isd_s1[e][m], e);
        b.isd_a2[e][m] = fluid(b, H2_FLUID_SOUND_PI, b.isd_p2[e][m], b.isd_i2[e][m], e);
        elem_loss_volin(e, m);
        const double phi = b.los_Los[e][m];
        b.enrg_dhb[e][m] = (1.0 - phi * phi) / (phi * phi) * c * c / 2.0;
        b.isd_Ro2[e][m] = fluid(b, H2_FLUID_RHO_PI, b.isd_p2[e][m], b.isd_i2[e][m], e);
        const bool settled = std::fabs(Rp - b.isd_Ro2[e][m]) / b.isd_Ro2[e][m] < tol;
        if (it >= L) return 1;
        if (settled) break;
        Rp = b.isd_Ro2[e][m];
    }
    b.isd_s2[e][m] = fluid(b, H2_FLUID_S_PI, b.isd_p2[e][m], b.isd_i2[e][m], e);
    b.isd_p2wx[e][m] = fluid(b, H2_FLUID_P_IS, b.isd_i2wx[e][m], b.isd_s2[e][m], e);
    b.isd_p2x[e][m] = b.isd_p2wx[e][m];
    if (b.isd_s2[e][m] == 0.0)
        b.isd_i2wx[e][m] = fluid(b, H2_FLUID_I_PS, b.isd_p2wx[e][m], b.isd_s2[e][m], e);
    const double B2 = std::atan2(std::fabs(b.flow_c2s[e][m]), b.flow_w2u[e][m]) / kDeg;
    b.cas_B2[e][m] = b.cas_B2g[e][m] = b.cas_B2eff[e][m] = b.cas_B2a[e][m] = B2;
    return 0;
}
}
