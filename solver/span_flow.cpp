// Spanwise fields of an element, spread from its mean-line values: radii by a
// linear law along the blade height, swirl by the free-vortex law, states
// copied or recomputed on every streamline.
#include <bit>
#include <cmath>
#include <cstdint>

#include "case/case_arrays.h"
#include "case/current_case.h"
#include "halvorine2/profiles.h"
#include "halvorine2/threading.h"
#include "physics/known_answers.h"
#include "solver/solver_api.h"
#include "solver/solver_conventions.h"

namespace {

using h2::fluid;
using h2::kDegree;

// Full turn of the blade-angle measure, degrees.
constexpr double kHalfTurn = 180.0;
constexpr double kNoSwirlAngle = 90.0;

bdLocals* case_with_element(int i, bool needs_fluid) {
    bdLocals* b = h2::current_case();
    if (b == nullptr || b->alloc_elems <= 0 || !h2::path_fits_arrays(b) || b->cyld_nr < 1) return nullptr;
    if (b->flow_r1 == nullptr || b->elem_sectType == nullptr) return nullptr;
    if (i < 0 || i > b->cyld_ns) return nullptr;
    if (needs_fluid && b->fluid_func == nullptr) return nullptr;
    return b;
}

// Streamline order of the spread: the middle streamline last, so that every
// other streamline reads the middle values before they are rewritten.
template <class F>
void for_each_stream(const bdLocals& b, F f) {
    const int m = h2::mid_stream(b);
    for (int j = 0; j < b.cyld_nr; ++j)
        if (j != m) f(j, m);
    f(m, m);
}

// Radius of streamline j in a section of mean diameter d and height l: equal
// steps hub to tip, or d/2 everywhere for a radial section or one streamline.
double linear_radius(const bdLocals& b, double d, double l, bool radial, int j) {
    const int NR1 = b.cyld_nr - 1;
    if (!radial && NR1 != 0) return (d - l) / 2 + j * l / NR1;
    return d / 2;
}

// Free vortex: c_u r constant, with the middle streamline at d/2.
double free_vortex(double cu_m, double d, double r) { return cu_m * d / (2 * r); }

bool design_task(const bdLocals& b) { return b.cyld_VART < 10; }

bool turbine_like(const bdLocals& b, int i, int m) {
    return design_task(b) ? h2::is_expanding(b) : is_turb_prof(i, m) != 0;
}

bool atlas_blade(const bdLocals& b, int i, int m) { return turbine_like(b, i, m) && b.atlas_index[i] >= 0.0; }

// Inlet angles behind a heat exchanger or an outlet volute: the flow leaves it
// without swirl, so w_u = -|u|.
bool behind_unswirled(const bdLocals& b, int i) {
    return i >= 1 && (b.elem_stagType[i - 1] == h2::kKindHeatExchanger ||
                      b.elem_stagType[i - 1] == h2::kKindOutletVolute);
}

// Inlet triangle relations of streamline j from c1u, c1z, c1r and u1.
void inlet_triangle(bdLocals& b, int i, int j, bool keep_w1) {
    const double u = std::fabs(b.flow_u1[i][j]);
    const double cu = b.flow_c1u[i][j];
    const double cs = std::hypot(b.flow_c1r[i][j], b.flow_c1z[i][j]);
    b.flow_c1s[i][j] = cs;
    b.flow_c1[i][j] = std::hypot(cu, cs);
    b.flow_w1u[i][j] = cu - u;
    if (!keep_w1) b.flow_w1[i][j] = std::hypot(b.flow_w1u[i][j], cs);
    b.flow_ucu1[i][j] = u * cu;
}

void inlet_angles(bdLocals& b, int i, int j) {
    if (behind_unswirled(b, i)) {
        const double c = b.flow_c2[i - 1][j];
        b.cas_B1[i][j] = std::atan2(c, -std::fabs(b.flow_u1[i][j])) / kDegree;
        b.cas_A1[i][j] = std::atan2(c, 0.0) / kDegree;
        b.cas_iR[i][j] = 0.0;
    } else {
        b.cas_B1[i][j] = std::atan2(b.flow_c1s[i][j], b.flow_w1u[i][j]) / kDegree;
        b.cas_A1[i][j] = std::atan2(b.flow_c1s[i][j], b.flow_c1u[i][j]) / kDegree;
    }
}

double blade_loss_energy(const bdLocals& b, int i, int j) {
    const double phi = b.los_Los[i][j];
    const double w1 = b.flow_w1[i][j];
    const double w2 = b.flow_w2[i][j];
    return (1 - phi * phi) * std::fmax(w1 * w1, w2 * w2) / 2;
}

// Pitch, stagger and chord projection of a design cascade.
void design_cascade(bdLocals& b, int i, int j, int m, bool abs_stagger) {
    b.cas_b[i][j] = b.cas_b[i][m];
    b.cas_bx[i][j] = b.cas_bx[i][m];
    const double r1m = b.flow_r1[i][m] != 0.0 ? b.flow_r1[i][m] : b.flow_r2[i][m];
    b.cas_t[i][j] = b.cas_t[i][m] * b.flow_r1[i][j] / r1m;
    b.cas_tb[i][j] = b.cas_t[i][j] / b.cas_b[i][j];
    if (!turbine_like(b, i, m)) {
        const double st = BetaUst(kHalfTurn - b.cas_B1g[i][j], kHalfTurn - b.cas_B2a[i][j], 1);
        b.cas_Byct[i][j] = abs_stagger ? std::fabs(st) : st;
    } else if (!abs_stagger) {
        b.cas_Byct[i][j] = b.cas_Byct[i][m];
    } else {
        const double B2g = b.cas_B2g[i][j];
        const double a2 = B2g <= kNoSwirlAngle ? B2g : kHalfTurn - B2g;
        const double a1 = h2::is_stator(b, i) ? kHalfTurn - b.cas_B1g[i][j] : b.cas_B1g[i][j];
        b.cas_Byct[i][j] = BetaUst(a1, a2, 0);
    }
    b.prof_B[i][j] = std::cos(b.cas_Byct[i][j] * kDegree) * b.cas_b[i][j];
}

// The outlet state of the last streamline this thread spread with
// span_flow_axial, as the fluid answered it: when the next element's inlet
// takes that state unchanged (the same enthalpy and entropy, bit for bit),
// its pressure, density, speed of sound and temperature are these answers.
struct SpreadOutlet {
    h2::AnswerSite site;
    double af = 0.0, i2 = 0.0, s2 = 0.0;
    double p2 = 0.0, Ro2 = 0.0, a2 = 0.0, T2 = 0.0;
    bool has_T2 = false;

    bool is_inlet_of(const bdLocals& c, int e, int k, double h, double s) const {
        return site.is(c, e - 1, k) &&
               std::bit_cast<std::uint64_t>(af) == std::bit_cast<std::uint64_t>(c.elem_af[e]) &&
               std::bit_cast<std::uint64_t>(i2) == std::bit_cast<std::uint64_t>(h) &&
               std::bit_cast<std::uint64_t>(s2) == std::bit_cast<std::uint64_t>(s);
    }
};

SpreadOutlet& spread_outlet() {
    thread_local SpreadOutlet last;
    return last;
}

bool axial_pair(const bdLocals& b, int i) {
    return i >= 1 && b.elem_sectType[i] == h2::kSectAxial && b.elem_sectType[i - 1] == h2::kSectAxial;
}

}  // namespace

extern "C" {

void span_flow(int i, int flag) {
    bdLocals* bp = case_with_element(i, false);
    if (bp == nullptr) return;
    bdLocals& b = *bp;
    const double* sect = b.elem_sectType;
    const bool radial_before = i >= 1 && sect[i - 1] == h2::kSectRadial;
    const bool prev_angular = i >= 1 && sect[i - 1] == h2::kSectAngular;
    const bool inlet_radial = i == 0 ? sect[0] == h2::kSectRadial : radial_before;
    const bool copy_state =
        (i == 0 && sect[0] == h2::kSectRadial) || (i == 1 && sect[1] == h2::kSectRadial) || radial_before;
    const bool state_from_prev = !copy_state && i >= 1 && sect[i - 1] == h2::kSectAxial;
    const bool design = design_task(b);
    const double wp = b.bld_wp[i];
    for_each_stream(b, [&](int j, int m) {
        b.flow_r1[i][j] = linear_radius(b, b.bld_d1[i], b.bld_l1[i], inlet_radial, j);
        b.flow_u1[i][j] = wp * b.flow_r1[i][j];
        if (copy_state) {
            b.isd_i1x[i][j] = b.isd_i1x[i][m];
            b.isd_p1x[i][j] = b.isd_p1x[i][m];
            b.isd_s1[i][j] = b.isd_s1[i][m];
            b.isd_p1[i][j] = b.isd_p1[i][m];
            b.isd_i1[i][j] = b.isd_i1[i][m];
            b.isd_Ro1[i][j] = b.isd_Ro1[i][m];
            b.isd_a1[i][j] = b.isd_a1[i][m];
        } else if (state_from_prev) {
            b.isd_i1x[i][j] = b.isd_i2x[i - 1][j];
            b.isd_p1x[i][j] = b.isd_p2x[i - 1][j];
            b.isd_s1[i][j] = b.isd_s2[i - 1][j];
            b.isd_p1[i][j] = b.isd_p2[i - 1][j];
            b.isd_i1[i][j] = b.isd_i2[i - 1][j];
            b.isd_Ro1[i][j] = b.isd_Ro2[i - 1][j];
            b.isd_a1[i][j] = b.isd_a2[i - 1][j];
        }
        if (prev_angular) {
            b.flow_u1[i][j] = 0.0;
            b.flow_c1z[i][j] = b.flow_c1z[i][m];
            b.flow_c1u[i][j] = b.flow_c1u[i][m];
            b.flow_c1r[i][j] = b.flow_c1r[i][m];
            b.flow_w1[i][j] = b.flow_w1[i][m];
            inlet_triangle(b, i, j, true);
            b.flow_ucu1[i][j] = 0.0;
            b.cas_B1[i][j] = std::atan2(b.flow_c1s[i][j], b.flow_w1u[i][j]) / kDegree;
            b.cas_A1[i][j] = std::atan2(b.flow_c1s[i][j], b.flow_c1u[i][j]) / kDegree;
        } else if (radial_before || flag != 0) {
            b.flow_c1[i][j] = b.flow_c1[i][m];
            b.flow_c1u[i][j] = b.flow_c1u[i][m];
            b.flow_c1z[i][j] = b.flow_c1z[i][m];
            b.flow_c1r[i][j] = b.flow_c1r[i][m];
            b.flow_c1s[i][j] = b.flow_c1s[i][m];
            b.flow_w1[i][j] = b.flow_w1[i][m];
            b.cas_B1[i][j] = b.cas_B1[i][m];
            b.flow_w1u[i][j] = b.flow_c1u[i][j] - std::fabs(b.flow_u1[i][j]);
            b.cas_A1[i][j] = std::atan2(b.flow_c1s[i][m], b.flow_c1u[i][m]) / kDegree;
        } else {
            b.flow_c1z[i][j] = b.flow_c1z[i][m];
            b.flow_c1r[i][j] = b.flow_c1r[i][m];
            const double r1 = b.flow_r1[i][j];
            b.flow_c1u[i][j] = r1 != 0.0 ? free_vortex(b.flow_c1u[i][m], b.bld_d1[i], r1) : b.flow_c1u[i][m];
            b.flow_w1[i][j] = b.flow_w1[i][m];
            inlet_triangle(b, i, j, true);
            inlet_angles(b, i, j);
        }
        if (design && !atlas_blade(b, i, m)) b.cas_B1g[i][j] = b.cas_B1[i][j];
        b.flow_r2[i][j] = linear_radius(b, b.bld_d2[i], b.bld_l2[i], sect[i] == h2::kSectRadial, j);
        b.flow_u2[i][j] = wp * b.flow_r2[i][j];
        // The middle streamline keeps its own values (it is spread last).
        if (j != m)
            for (double** f : {b.isd_i2wx, b.isd_p2wx, b.isd_i2x,  b.isd_p2,   b.isd_i2,  b.isd_s2,  b.isd_Ro2,
                               b.isd_a2,   b.isd_T2,   b.isd_T2x,  b.isd_i2t,  b.isd_i2r, b.isd_s2r, b.flow_c2,
                               b.flow_c2u, b.flow_c2z, b.flow_c2r, b.flow_c2s, b.flow_w2, b.cas_B2})
                f[i][j] = f[i][m];
        const double u2 = std::fabs(b.flow_u2[i][j]);
        b.flow_w2u[i][j] = b.flow_c2u[i][j] - u2;
        b.flow_ucu2[i][j] = u2 * b.flow_c2u[i][j];
        if (design && sect[i] == h2::kSectRadial) {
            b.cas_B2a[i][j] = b.cas_B2a[i][m];
            b.cas_B2g[i][j] = b.cas_B2g[i][m];
        }
        if (j != m)
            for (double** f : {b.cas_iR, b.cas_dR, b.los_Los, b.los_om, b.los_Fp}) f[i][j] = f[i][m];
        b.enrg_dhb[i][j] = blade_loss_energy(b, i, j);
        if (design && axial_pair(b, i)) design_cascade(b, i, j, m, false);
    });
}

void span_flow_axial(int i) {
    bdLocals* bp = case_with_element(i, true);
    if (bp == nullptr) return;
    bdLocals& b = *bp;
    const double* sect = b.elem_sectType;
    const bool radial_before = i >= 1 && sect[i - 1] == h2::kSectRadial;
    const bool angular = sect[i] == h2::kSectAngular;
    const bool radial = sect[i] == h2::kSectRadial;
    const bool heat_exchanger = b.elem_stagType[i] == h2::kKindHeatExchanger;
    const bool design = design_task(b);
    const bool expanding = h2::is_expanding(b);
    // Counter-rotation turns the stored swirl of every streamline by one rule,
    // the middle's included, after the triangle is formed from the middle value.
    const double swirl_sign = b.is_contr[i] != 0.0 ? -1.0 : 1.0;
    const double wp = b.bld_wp[i];
    auto F = [&](int code, double x, double y) { return fluid(b, code, x, y, i); };
    for_each_stream(b, [&](int j, int m) {
        if (!angular) {
            b.flow_r1[i][j] = linear_radius(b, b.bld_d1[i], b.bld_l1[i], radial_before, j);
            b.flow_u1[i][j] = wp * b.flow_r1[i][j];
        } else {
            b.flow_r1[i][j] = 0.0;
            b.flow_u1[i][j] = 0.0;
        }
        if (!radial_before) {
            b.flow_c1z[i][j] = b.flow_c1z[i][m];
            b.flow_c1r[i][j] = b.flow_c1r[i][m];
            if (!angular) {
                const double r = b.flow_r1[i][j] != 0.0 ? b.flow_r1[i][j] : b.flow_r2[i][j];
                b.flow_c1u[i][j] = free_vortex(b.flow_c1u[i][m], b.bld_d1[i], r);
            } else {
                b.flow_c1u[i][j] = b.flow_c1u[i][m];
            }
            inlet_triangle(b, i, j, false);
            if (!angular) {
                inlet_angles(b, i, j);
            } else {
                b.cas_A1[i][j] = 0.0;
                b.cas_B1[i][j] = 0.0;
            }
        } else {
            b.flow_c1[i][j] = b.flow_c1[i][m];
            b.flow_c1u[i][j] = b.flow_c1u[i][m];
            b.flow_c1z[i][j] = b.flow_c1z[i][m];
            b.flow_c1r[i][j] = b.flow_c1r[i][m];
            b.flow_c1s[i][j] = b.flow_c1s[i][m];
            b.flow_w1[i][j] = b.flow_w1[i][m];
            b.cas_B1[i][j] = b.cas_B1[i][m] != 0.0 ? b.cas_B1[i][m] : kNoSwirlAngle;
            b.flow_w1u[i][j] = b.flow_c1u[i][j] - std::fabs(b.flow_u1[i][j]);
            b.cas_A1[i][j] = std::atan2(b.flow_c1s[i][m], b.flow_c1u[i][m]) / kDegree;
        }
        b.flow_c1u[i][j] *= swirl_sign;
        if (design && !atlas_blade(b, i, m)) b.cas_B1g[i][j] = b.cas_B1[i][j];
        // Inlet state from the middle totals and this streamline's velocities.
        b.isd_i1x[i][j] = b.isd_i1x[i][m];
        b.isd_p1x[i][j] = b.isd_p1x[i][m];
        const double c1 = b.flow_c1[i][j];
        const double w1 = b.flow_w1[i][j];
        b.isd_i1[i][j] = b.isd_i1x[i][j] - c1 * c1 / 2;
        b.isd_i1wx[i][j] = w1 * w1 / 2 + b.isd_i1[i][j];
        b.isd_s1[i][j] = b.isd_s1[i][m];
        SpreadOutlet& before = spread_outlet();
        const bool same_state = before.is_inlet_of(b, i, j, b.isd_i1[i][j], b.isd_s1[i][j]);
        b.isd_p1[i][j] = same_state ? before.p2 : F(H2_FLUID_P_IS, b.isd_i1[i][j], b.isd_s1[i][j]);
        b.isd_p1wx[i][j] = F(H2_FLUID_P_IS, b.isd_i1wx[i][j], b.isd_s1[i][j]);
        if (same_state) {
            b.isd_Ro1[i][j] = before.Ro2;
            b.isd_a1[i][j] = before.a2;
        } else {
            b.isd_Ro1[i][j] = F(H2_FLUID_RHO_PI, b.isd_p1[i][j], b.isd_i1[i][j]);
            b.isd_a1[i][j] = F(H2_FLUID_SOUND_PI, b.isd_p1[i][j], b.isd_i1[i][j]);
        }
        b.isd_T1[i][j] = same_state && before.has_T2 ? before.T2
                                                      : F(H2_FLUID_T_PI, b.isd_p1[i][j], b.isd_i1[i][j]);
        h2::SpreadAnswer* asked = h2::spread_answers().at(b, i, j);
        if (asked != nullptr) {
            asked->T1 = {b.isd_p1[i][j], b.isd_i1[i][j], b.isd_T1[i][j], true};
            asked->a1 = {b.isd_p1[i][j], b.isd_i1[i][j], b.isd_a1[i][j], true};
        }
        // Outlet triangle: meridional speed from the middle, split by the streamline slope.
        b.flow_r2[i][j] = linear_radius(b, b.bld_d2[i], b.bld_l2[i], false, j);
        b.flow_u2[i][j] = wp * b.flow_r2[i][j];
        const double c2s = b.flow_c2s[i][j] = b.flow_c2s[i][m];
        const double c2r = b.flow_c2r[i][j] = c2s * (radial ? b.cas_cosT2[i][j] : b.cas_sinT2[i][j]);
        b.flow_c2z[i][j] = std::sqrt(c2s * c2s - c2r * c2r);
        const double r2 = b.flow_r2[i][j];
        b.flow_c2u[i][j] =
            heat_exchanger || r2 == 0.0 ? b.flow_c2u[i][m] : free_vortex(b.flow_c2u[i][m], b.bld_d2[i], r2);
        const double c2u = b.flow_c2u[i][j];
        const double u2 = std::fabs(b.flow_u2[i][j]);
        b.flow_c2[i][j] = std::hypot(c2u, c2s);
        b.flow_w2u[i][j] = c2u - u2;
        b.flow_w2[i][j] = std::hypot(b.flow_w2u[i][j], c2s);
        b.flow_ucu2[i][j] = u2 * c2u;
        b.cas_B2[i][j] = std::atan2(c2s, b.flow_w2u[i][j]) / kDegree;
        b.cas_A2[i][j] = std::atan2(c2s, c2u) / kDegree;
        // Incidence and deviation.
        if (design && expanding) {
            b.los_dx[i][j] = b.cas_dR[i][m];
            b.cas_dR[i][j] = b.los_dx[i][j];
            b.cas_B2a[i][j] = b.cas_B2[i][j] - b.cas_dR[i][j];
            b.cas_B2eff[i][j] = b.cas_B2a[i][j];
            b.cas_B2g[i][j] = b.cas_B2g[i][m];
            b.los_ix[i][j] = b.cas_B1g[i][j] - b.cas_B1[i][j];
            b.cas_iR[i][j] = b.los_ix[i][j];
        }
        if (h2::compressor_row(b, i, m)) {
            if (design) {
                b.cas_B2g[i][j] = b.cas_B2g[i][m];
                b.los_ix[i][j] = b.los_ix[i][m];
                b.los_dx[i][j] = b.los_dx[i][m];
                b.cas_B2a[i][j] = b.cas_B2g[i][j];
                b.cas_iR[i][j] = b.los_ix[i][j];
                b.cas_dR[i][j] = b.los_dx[i][j];
            } else {
                b.los_ix[i][j] = b.cas_B1g[i][j] - b.cas_B1[i][j];
                b.cas_iR[i][j] = b.los_ix[i][j];
            }
        }
        // Outlet state from the middle totals and this streamline's velocities.
        b.isd_i2x[i][j] = b.isd_i2x[i][m];
        b.isd_p2x[i][j] = b.isd_p2x[i][m];
        const double c2 = b.flow_c2[i][j];
        const double w2 = b.flow_w2[i][j];
        b.isd_i2[i][j] = b.isd_i2x[i][j] - c2 * c2 / 2;
        b.isd_i2wx[i][j] = w2 * w2 / 2 + b.isd_i2[i][j];
        b.isd_s2[i][j] = F(H2_FLUID_S_PI, b.isd_p2x[i][j], b.isd_i2x[i][j]);
        b.isd_p2[i][j] = F(H2_FLUID_P_IS, b.isd_i2[i][j], b.isd_s2[i][j]);
        b.isd_p2wx[i][j] = F(H2_FLUID_P_IS, b.isd_i2wx[i][j], b.isd_s2[i][j]);
        b.isd_Ro2[i][j] = F(H2_FLUID_RHO_PI, b.isd_p2[i][j], b.isd_i2[i][j]);
        b.isd_a2[i][j] = F(H2_FLUID_SOUND_PI, b.isd_p2[i][j], b.isd_i2[i][j]);
        if (heat_exchanger) {
            b.isd_T2[i][j] = b.isd_T2[i][m];
            b.isd_T2x[i][j] = b.isd_T2x[i][m];
        } else {
            b.isd_T2[i][j] = F(H2_FLUID_T_PI, b.isd_p2[i][j], b.isd_i2[i][j]);
            b.isd_T2x[i][j] = F(H2_FLUID_T_PI, b.isd_p2x[i][j], b.isd_i2x[i][j]);
            if (asked != nullptr) {
                asked->T2 = {b.isd_p2[i][j], b.isd_i2[i][j], b.isd_T2[i][j], true};
                asked->T2x = {b.isd_p2x[i][j], b.isd_i2x[i][j], b.isd_T2x[i][j], true};
            }
        }
        // Kept for the next element, once per streamline, the middle one last.
        before = SpreadOutlet{h2::AnswerSite::at(b, i, j),
                              b.elem_af[i],
                              b.isd_i2[i][j],
                              b.isd_s2[i][j],
                              b.isd_p2[i][j],
                              b.isd_Ro2[i][j],
                              b.isd_a2[i][j],
                              b.isd_T2[i][j],
                              !heat_exchanger};
        b.isd_i2t[i][j] = F(H2_FLUID_I_PS, b.isd_p2[i][j], b.isd_s1[i][j]);
        b.isd_i2r[i][j] = b.isd_i2[i][j] - (b.enrg_dhd[i] + b.GElos_DH[i] + b.enrg_dhDA[i]);
        b.isd_s2r[i][j] = F(H2_FLUID_S_PI, b.isd_p2[i][j], b.isd_i2r[i][j]);
        b.flow_Mw2[i][j] = w2 / b.isd_a2[i][j];
        if (j != m)
            for (double** f : {b.los_Los, b.los_om, b.los_Fp}) f[i][j] = f[i][m];
        b.enrg_dhb[i][j] = blade_loss_energy(b, i, j);
        if (design && axial_pair(b, i)) design_cascade(b, i, j, m, true);
    });
}
}
