// Cooling air injection at the cooled blade rows of a turbine: each site's
// coolant is mixed into the row's running main-flow state at the middle
// streamline, the row's coolant sums and enthalpy corrections are stored for
// the solver, and the blade wall gets its heat balance.
#include "physics/cooling_injection.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "case/case_arrays.h"
#include "case/truncated_pi.h"
#include "case/walkers_internal.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/output.h"
#include "halvorine2/threading.h"
#include "halvorine2/walkers.h"
#include "physics/blade_heat_transfer.h"
#include "physics/cooling_mix.h"

namespace {

using h2::kDegree;

using h2::all_present;

// A site takes part when its flow, temperature and pressure all exceed this.
constexpr double kSiteThreshold = 1e-8;
// Below this the running main flow is no flow, and a fallback state stands in.
constexpr double kNoFlow = 1e-8;
// The wall balance runs when the row's inlet and outlet coolant exceed this.
constexpr double kWallFlow = 1e-6;

constexpr int kStatorMode = 1;  // heat transfer of a stationary row
constexpr int kRotorMode = 2;   // of a rotating row

// Geometry of the wall balance, from the chord b: coolant channel length
// 0.05 b, wall thickness 0.025 b, wall area 2.5 b^2.
constexpr double kChannelShare = 0.05;
constexpr double kWallShare = 0.025;
constexpr double kWallAreaShare = 2.5;

// Clearance correction of site f: when it exceeds the clearance itself, this
// share of the clearance is taken instead.
constexpr double kClearanceShare = 0.9;

enum Axis { kZ = 0, kU = 1, kR = 2 };  // axial, circumferential, radial
using Vec3 = std::array<double, 3>;

// A main-flow state: mass flow, total pressure, total enthalpy and velocity.
struct Stream {
    double G = 0.0;
    double p = 0.0;
    double i = 0.0;
    Vec3 V{0.0, 0.0, 0.0};
};

// One injection site of a row: coolant flow, total temperature, total
// pressure, speed and angle (degrees; sites t and h).
struct Site {
    double G = 0.0;
    double T = 0.0;
    double P = 0.0;
    double C = 0.0;
    double A = 0.0;

    bool takes_part() const {
        return std::fabs(G) > kSiteThreshold && std::fabs(T) > kSiteThreshold &&
               std::fabs(P) > kSiteThreshold;
    }
    // The coolant state that the wall's coolant side needs.
    bool gives_wall_state() const { return T != 0.0 && P != 0.0; }
};

Site site_of(double* const G, double* const T, double* const P, double* const C, double* const A, int i) {
    return {G[i], T[i], P[i], C[i], A[i]};
}

// What one mixing call gives: the mixed main flow, the coolant's total
// enthalpy and entropy, the mixing loss (J/kg) and the coolant's isentropic
// drop to the reference pressure.
struct Mixed {
    Stream flow;
    double ic = 0.0;
    double sc = 0.0;
    double dh = 0.0;
    double dic = 0.0;
};

double rad(double deg) { return deg * kDegree; }

// The current case when row i can be computed in it, else nullptr.
bdLocals* case_for_row(int i) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr) return nullptr;
    // Without its arrays every read below would go through NULL.
    if (!all_present(b->cool_iGoxl, b->cool_iToxl, b->cool_iPoxl, b->cool_iCoxl, b->cool_iAoxl, b->cool_oGoxl,
                     b->cool_oToxl, b->cool_oPoxl, b->cool_oCoxl, b->cool_oAoxl, b->cool_tGoxl, b->cool_tToxl,
                     b->cool_tPoxl, b->cool_tCoxl, b->cool_tAoxl, b->cool_hGoxl, b->cool_hToxl, b->cool_hPoxl,
                     b->cool_hCoxl, b->cool_hAoxl, b->cool_fGoxl, b->cool_fToxl, b->cool_fPoxl, b->cool_fCoxl,
                     b->cool_fAoxl))
        return nullptr;
    if (!all_present(b->cool_DGOXL1, b->cool_DGOXL2, b->cool_HOXL1, b->cool_HOXL2, b->cool_DHOXL,
                     b->cool_DIOXL, b->cool_TOXL, b->cool_dDRZ, b->cool_Tw_oxl, b->cool_Tw_osn, b->cool_Ocp,
                     b->strs_tm, b->cool_b1_ratio, b->elem_af, b->elem_G1, b->elem_G2, b->elem_stagType,
                     b->elem_sectType, b->bld_wp, b->bld_z, b->bld_d1, b->bld_l1, b->bld_d2, b->bld_l2,
                     b->clrn_drr, b->clrn_Zrr))
        return nullptr;
    if (!all_present(b->isd_p1x, b->isd_i1x, b->isd_p2x, b->isd_i2x, b->isd_p1wx, b->isd_i1wx, b->isd_p1,
                     b->isd_p2, b->flow_c1z, b->flow_c1u, b->flow_c1r, b->flow_c2z, b->flow_c2u, b->flow_c2r,
                     b->flow_c1, b->flow_c2, b->flow_w1, b->flow_w2, b->flow_u1, b->flow_u2, b->cas_B1,
                     b->cas_B1g, b->cas_B2, b->cas_b, b->cas_t))
        return nullptr;
    // Every site's work potential asks the cooling fluid, the row's state the
    // main one; either missing would be called through NULL.
    if (b->fluid_func == nullptr || b->cfluid_func == nullptr) return nullptr;
    // Counts beyond the arrays would index past them; the rotor reads element
    // i - 1, so the inlet (element 0) is never a cooled row.
    if (!h2::path_fits_arrays(b) || b->cyld_nr < 1 || i < 1 || i > b->cyld_ns) return nullptr;
    return b;
}

// One cooled row while its coolant is injected: the running main-flow state
// and what every site's mix needs.
struct Row {
    Row(bdLocals& bd, int row)
        : b(bd),
          i(row),
          m(bd.cyld_nr / 2),
          tip(bd.cyld_nr > 1 ? bd.cyld_nr - 1 : 0),
          af_entry(bd.elem_af[row]) {}

    bdLocals& b;
    const int i;
    const int m;            // middle streamline
    const int tip;          // tip streamline (the hub is 0)
    const double af_entry;  // elem__af[i] on entry
    Stream run;             // running main-flow state
    double pref = 0.0;      // reference pressure of the coolant's isentropic drop

    // Mixes coolant of site s moving with cc into the main flow; the mixed
    // state is not yet the running state. A mix that fails (a fluid's failure
    // value) writes none of the flow outputs, which then keep the main flow.
    Mixed mix(const Site& s, const Vec3& cc, const Stream& main) const {
        Mixed r;
        r.flow = main;
        double hout = 0.0, pout = 0.0, sout = 0.0;
        cool_mix(s.G, cc.data(), s.T, s.P, main.G, main.V.data(), main.i, main.p, pref, r.flow.V.data(),
                 &r.flow.i, &r.flow.p, &r.ic, &r.sc, &r.flow.G, &r.dh, &hout, &pout, &sout, &r.dic);
        return r;
    }

    // The coolant's work potential down to the path's exit pressure, summed
    // over the pass: G (ic - i(p2n, sc)).
    void add_work_potential(const Site& s, const Mixed& r) const {
        const double i_exit = b.cfluid_func(H2_FLUID_I_PS, b.cyld_p2n, r.sc, b.cyld_caf, H2_FLUID_COOLING);
        b.cyld_sumHoxl += s.G * (r.ic - i_exit);
    }

    // The main state a side site mixes into: the running state while it has
    // flow, else the row's fallback state.
    Stream side_main(const Stream& fallback) const { return std::fabs(run.G) >= kNoFlow ? run : fallback; }
};

// What the wall balance of a row needs beside the case: the heat-transfer
// mode, the gas state (total pressure and enthalpy) at the inlet, the inlet
// speed and blade speed of the gas-side correlation, and the row's second
// coolant site (o for a stator, f for a rotor) with whether it also counts
// among the row's flows and speeds (the rotor's f site does).
struct WallInputs {
    int mode;
    double gas_p;
    double gas_i;
    double c_in;
    double u;
    Site other;
    bool other_counts;
};

// Stores the row's mixed state and its dump line (label: the name of the
// reference enthalpy i0), the inlet-angle factor of the next blade row k (flow
// angle in radians), the composition, and runs the wall balance.
void finish(Row& row, double i0, const char* label, int k, double angle, const WallInputs& wall) {
    bdLocals& b = row.b;
    const int i = row.i, m = row.m;
    const FluidFunc Fm = b.fluid_func;

    b.cool_DIOXL[i] = row.run.i - i0;
    b.cool_TOXL[i] = Fm(H2_FLUID_T_PI, row.run.p, row.run.i, row.af_entry, H2_FLUID_MAIN);
    if (b.IPP > 2)
        put_dump("i=%4d Icm=%16g %s=%16g DIOXL=%16g DHOXL=%16g af=%16g\n", i, row.run.i, label, i0,
                 b.cool_DIOXL[i], b.cool_DHOXL[i], row.af_entry);

    // The next row sees the mixed-out flow angle instead of its own inlet
    // angle; a next row without an inlet angle keeps the factor it had.
    if (k != 0 && b.cas_B1[k][m] != 0.0) b.cool_b1_ratio[i] = (angle / kDegree) / b.cas_B1[k][m];

    b.elem_af[i] = af_add_air(b.elem_G1[i], b.elem_af[i - 1], row.run.G - b.elem_G1[i]);

    // Blade-wall heat balance of a row with inlet or outlet coolant.
    const double extra_flow = wall.other_counts ? std::fabs(wall.other.G) : 0.0;
    if (!(std::fabs(b.cool_iGoxl[i]) + std::fabs(b.cool_oGoxl[i]) + extra_flow > kWallFlow)) return;
    double Cmax = std::max(b.cool_iCoxl[i], b.cool_oCoxl[i]);
    if (wall.other_counts) Cmax = std::max(Cmax, wall.other.C);

    const double af = b.elem_af[i];
    const double Tg = Fm(H2_FLUID_T_PI, wall.gas_p, wall.gas_i, af, H2_FLUID_MAIN);
    const double nu = Fm(H2_FLUID_NU_PI, wall.gas_p, wall.gas_i, af, H2_FLUID_MAIN);
    const double lambda = Fm(H2_FLUID_LAMBDA_PI, wall.gas_p, wall.gas_i, af, H2_FLUID_MAIN);

    const double chord = b.cas_b[i][m];
    const double c_out = wall.mode == kStatorMode ? b.flow_c2[i][m] : b.flow_w2[i][m];
    // A gas without viscosity data gives no Reynolds number.
    const double Re = nu != 0.0 ? c_out * chord / nu : 0.0;
    const double alpha_g = gas_side_htc(wall.mode, Re, b.cas_B1g[i][m], b.cas_B1[i][m], b.cas_B2[i][m],
                                        b.cas_t[i][m], chord, wall.c_in, chord, b.bld_d2[i], wall.u, lambda);

    // The coolant side takes the inlet coolant's state, else the other site's.
    const Site inlet = site_of(b.cool_iGoxl, b.cool_iToxl, b.cool_iPoxl, b.cool_iCoxl, b.cool_iAoxl, i);
    const Site* coolant = inlet.gives_wall_state()        ? &inlet
                          : wall.other.gives_wall_state() ? &wall.other
                                                          : nullptr;
    const double alpha_c =
        coolant != nullptr ? coolant_htc(Cmax, coolant->T, coolant->P, kChannelShare * chord, lambda) : 0.0;

    double Q = 0.0, Tw_c = 0.0, Tw_g = 0.0, eff = 0.0;
    if (alpha_c != 0.0)
        Q = wall_heat_balance(coolant->T, kWallShare * chord, alpha_c, Tg, kWallAreaShare * chord * chord,
                              alpha_g, &Tw_c, &Tw_g, &eff);
    b.cool_Tw_oxl[i] = Tw_c;
    b.cool_Tw_osn[i] = Tw_g;
    b.strs_tm[i] = Tw_c > Tw_g ? Tw_c : Tw_g;
    b.cool_Ocp[i] = eff;
    // The heat the wall passes to the coolant leaves the gas; a row without
    // outlet flow has nothing to spread it over.
    if (b.elem_G2[i] != 0.0) b.cool_DIOXL[i] -= Q / b.elem_G2[i];
}

// k = d/(d + l) or d/(d - l): the circumferential speed at the tip or hub
// radius against the mean one. A zero divisor (hub on the axis) leaves the
// speed unscaled.
double radius_ratio(double d, double d_site) { return d_site != 0.0 ? d / d_site : 1.0; }

// Side site t or h of a stator: the circumferential speed is read at the
// site's diameter d_site for the first mix, whose swirl change against the
// blade speed of the element behind (angular speed wp_next) is work; the
// second, unscaled mix carries the running state on.
void stator_side_site(Row& row, const Site& s, const Stream& fallback, double d_site, double wp_next) {
    bdLocals& b = row.b;
    const int i = row.i;
    const double a = rad(s.A);
    const Vec3 cc = is_sect_type0(i) ? Vec3{0.0, s.C * std::sin(a), s.C * std::cos(a)}
                                     : Vec3{s.C * std::cos(a), s.C * std::sin(a), 0.0};
    const Stream main = row.side_main(fallback);

    Stream scaled = main;
    scaled.V[kU] *= radius_ratio(b.bld_d2[i], d_site);
    const Mixed first = row.mix(s, cc, scaled);
    b.cool_DGOXL2[i] += s.G;
    b.cool_HOXL2[i] += s.G * first.dic;
    // Euler work of the swirl the coolant takes from the flow.
    b.cool_DHOXL[i] += first.dh + (scaled.V[kU] - first.flow.V[kU]) * wp_next * b.bld_d2[i] / 2.0;

    const Mixed second = row.mix(s, cc, main);
    row.run = second.flow;
    row.add_work_potential(s, second);
}

// Injection at an inlet or outlet site: mixes, makes the result the running
// state and adds the site to the row's inlet (DGOXL1, HOXL1) or outlet
// (DGOXL2, HOXL2) sums.
void end_site(Row& row, const Site& s, const Vec3& cc, const Stream& main, double* row_flow,
              double* row_work) {
    const Mixed r = row.mix(s, cc, main);
    row.run = r.flow;
    row_flow[row.i] += s.G;
    row_work[row.i] += s.G * r.dic;
    row.b.cool_DHOXL[row.i] += r.dh;
    row.add_work_potential(s, r);
}

// Clearance correction of coolant G through the tip of rotor i, which
// narrows the tip leakage like a smaller clearance:
//   dDRZ = (G/G2) (rho w2 sin B2 / (l1/d1 + 1)) / sqrt(rho |p1 - p2|_tip) l1,
// rho at the main state that entered the mix; when it exceeds the clearance
// itself, 0.9 of the clearance.
double tip_clearance_correction(const bdLocals& b, int i, double G, const Stream& main, int tip) {
    const int m = b.cyld_nr / 2;
    const double rho = b.fluid_func(H2_FLUID_RHO_PI, main.p, main.i, b.elem_af[i], H2_FLUID_MAIN);
    const double G2 = b.elem_G2[i];
    const double l1 = b.bld_l1[i], d1 = b.bld_d1[i];
    const double drr = b.clrn_drr[i];
    const double tip_drop = std::sqrt(rho * std::fabs(b.isd_p1[i][tip] - b.isd_p2[i][tip]));
    // Without a diameter the span term l1/d1 grows without bound and the correction vanishes.
    if (d1 == 0.0) return 0.0;
    // Without outlet flow or a pressure drop over the tip the correction is
    // unbounded: the clearance share stands in for it, as for any correction beyond the clearance.
    if (G2 == 0.0 || tip_drop == 0.0) return kClearanceShare * drr;
    const double dDRZ =
        (G / G2) * (rho * b.flow_w2[i][m] * std::sin(rad(b.cas_B2[i][m])) / (l1 / d1 + 1.0)) / tip_drop * l1;
    return std::fabs(drr) < dDRZ ? kClearanceShare * drr : dDRZ;
}

}  // namespace

extern "C" {

int clear_cooling(int i) {
    bdLocals* b = get_bdLocals();
    // An element outside the case would be read and written past its arrays.
    if (b == nullptr || b->cool_tox == nullptr || !h2::path_fits_arrays(b) || i < 0 || i > b->cyld_ns)
        return 1;
    if (b->cool_tox[i] != 0.0) return 1;
    double* const arrays[] = {
        b->cool_iGoxl,  b->cool_iToxl,  b->cool_iPoxl, b->cool_iCoxl, b->cool_iAoxl,  //
        b->cool_oGoxl,  b->cool_oToxl,  b->cool_oPoxl, b->cool_oCoxl, b->cool_oAoxl,  //
        b->cool_hGoxl,  b->cool_hToxl,  b->cool_hPoxl, b->cool_hCoxl, b->cool_hAoxl,  //
        b->cool_tGoxl,  b->cool_tToxl,  b->cool_tPoxl, b->cool_tCoxl, b->cool_tAoxl,  //
        b->cool_fGoxl,  b->cool_fToxl,  b->cool_fPoxl, b->cool_fCoxl, b->cool_fAoxl,  //
        b->cool_Tw_oxl, b->cool_Tw_osn,
    };
    for (double* a : arrays)
        if (a == nullptr) return 1;
    for (double* a : arrays) a[i] = 0.0;
    return 0;
}

double af_add_air(double G, double af, double dG) {
    if (af == 0.0) return 0.0;  // air stays air
    // Mass ratio of the non-air part to the air part (stoichiometric air 14.7 per unit of fuel).
    const double X = 1.0 / (af * 14.7);
    // A gas without any flow, or one whose parts cancel, has no composition to change.
    if (1.0 + X == 0.0) return af;
    const double Ga = G / (1.0 + X);  // air part
    if (Ga + dG == 0.0) return af;
    const double Xn = X * Ga / (Ga + dG);
    // No non-air part left: the gas is air.
    if (Xn == 0.0) return 0.0;
    return 1.0 / (Xn * 14.7);
}

int cool_stator_row(int i) {
    bdLocals* bp = case_for_row(i);
    if (bp == nullptr) return 0;
    bdLocals& b = *bp;
    Row row(b, i);
    const int m = row.m, tip = row.tip, hub = 0;
    const int ns = b.cyld_ns;

    for (double* a :
         {b.cool_DGOXL1, b.cool_DGOXL2, b.cool_HOXL1, b.cool_HOXL2, b.cool_DHOXL, b.cool_DIOXL, b.cool_TOXL})
        a[i] = 0.0;
    row.run = {.G = b.elem_G1[i], .p = b.isd_p1x[i][m], .i = b.isd_i1x[i][m], .V = {0.0, 0.0, 0.0}};
    row.pref = i < ns - 1 && next_rotor(i) != 0 ? b.isd_p2[i + 1][m] : b.isd_p2[i][m];
    // A stator that ends the path has no element behind it, whose speeds
    // would be read past the arrays: they count as 0.
    const double wp_next = i + 1 <= ns ? b.bld_wp[i + 1] : 0.0;
    const double u_next = i + 1 <= ns ? b.flow_u1[i + 1][m] : 0.0;
    const bool axial = is_sect_type0(i) != 0;
    const Vec3 c2_mean{b.flow_c2z[i][m], b.flow_c2u[i][m], b.flow_c2r[i][m]};

    // Site i: against the inlet flow, along the inlet blade angle.
    const Site si = site_of(b.cool_iGoxl, b.cool_iToxl, b.cool_iPoxl, b.cool_iCoxl, b.cool_iAoxl, i);
    if (si.takes_part()) {
        const double b1g = rad(b.cas_B1g[i][m]);
        const Vec3 cc = axial ? Vec3{-si.C * std::sin(b1g), -si.C * std::cos(b1g), 0.0}
                              : Vec3{0.0, -si.C * std::cos(b1g), si.C * std::sin(b1g)};
        const Stream main{.G = b.elem_G1[i],
                          .p = row.run.p,
                          .i = row.run.i,
                          .V = {b.flow_c1z[i][m], b.flow_c1u[i][m], b.flow_c1r[i][m]}};
        end_site(row, si, cc, main, b.cool_DGOXL1, b.cool_HOXL1);
    }

    // Site o: along the outlet angle into the outlet flow.
    const Site so = site_of(b.cool_oGoxl, b.cool_oToxl, b.cool_oPoxl, b.cool_oCoxl, b.cool_oAoxl, i);
    if (so.takes_part()) {
        const double b2 = rad(b.cas_B2[i][m]);
        const Vec3 cc = axial ? Vec3{so.C * std::sin(b2), so.C * std::cos(b2), b.flow_c2r[i][m]}
                              : Vec3{b.flow_c2z[i][m], so.C * std::cos(b2), so.C * std::sin(b2)};
        Stream main = row.side_main({.G = b.elem_G1[i], .p = b.isd_p1x[i][m], .i = b.isd_i1x[i][m]});
        main.V = c2_mean;
        end_site(row, so, cc, main, b.cool_DGOXL2, b.cool_HOXL2);
    } else {
        row.run.V = c2_mean;
    }

    // Sites t and h: through the end walls, at the tip and hub diameters.
    const Site st = site_of(b.cool_tGoxl, b.cool_tToxl, b.cool_tPoxl, b.cool_tCoxl, b.cool_tAoxl, i);
    if (st.takes_part())
        stator_side_site(row, st,
                         {.G = b.elem_G1[i],
                          .p = b.isd_p2x[i][m],
                          .i = b.isd_i1x[i][m],
                          .V = {b.flow_c2z[i][tip], b.flow_c2u[i][tip], b.flow_c2r[i][tip]}},
                         b.bld_d2[i] + b.bld_l2[i], wp_next);
    const Site sh = site_of(b.cool_hGoxl, b.cool_hToxl, b.cool_hPoxl, b.cool_hCoxl, b.cool_hAoxl, i);
    if (sh.takes_part())
        stator_side_site(row, sh,
                         {.G = b.elem_G1[i],
                          .p = b.isd_p1x[i][m],
                          .i = b.isd_i1x[i][m],
                          .V = {b.flow_c2z[i][hub], b.flow_c2u[i][hub], b.flow_c2r[i][hub]}},
                         b.bld_d2[i] - b.bld_l2[i], wp_next);

    // The rotor behind sees the mixed-out flow in its own frame.
    const int k = next_rotor(i);
    const double angle = k != 0 ? std::atan2(row.run.V[kZ], row.run.V[kU] - b.flow_u1[k][m]) : 0.0;
    finish(row, b.isd_i1x[i][m], "i1x", k, angle,
           {.mode = kStatorMode,
            .gas_p = b.isd_p1x[i][m],
            .gas_i = b.isd_i1x[i][m],
            .c_in = b.flow_c1[i][m],
            .u = u_next,
            .other = so,
            .other_counts = false});
    return 0;
}

int cool_rotor_row(int i) {
    bdLocals* bp = case_for_row(i);
    if (bp == nullptr) return 0;
    bdLocals& b = *bp;
    Row row(b, i);
    const int m = row.m, tip = row.tip, hub = 0;

    b.cool_DGOXL1[i] = b.cool_DGOXL2[i - 1];  // the outlet coolant of the row in front enters here
    for (double* a :
         {b.cool_DGOXL2, b.cool_HOXL1, b.cool_HOXL2, b.cool_DHOXL, b.cool_DIOXL, b.cool_TOXL, b.cool_dDRZ})
        a[i] = 0.0;
    row.run = {.G = b.elem_G1[i], .p = b.isd_p2x[i][m], .i = b.isd_i2x[i][m], .V = {0.0, 0.0, 0.0}};
    row.pref = b.isd_p2[i][m];
    const Stream fallback{.G = b.elem_G1[i], .p = b.isd_p2x[i][m], .i = b.isd_i2x[i][m]};
    const double b2 = rad(b.cas_B2[i][m]);
    const double w2 = b.flow_w2[i][m];
    // The fallback of a side site, with the relative outlet velocity at streamline j.
    const auto fallback_at = [&](int j) {
        const double w = b.flow_w2[i][j], beta = rad(b.cas_B2[i][j]);
        Stream s = fallback;
        s.V = {w * std::sin(beta), w * std::cos(beta), b.flow_c1r[i][j]};
        return s;
    };

    // Site i: as in a stator, into the relative inlet flow.
    const Site si = site_of(b.cool_iGoxl, b.cool_iToxl, b.cool_iPoxl, b.cool_iCoxl, b.cool_iAoxl, i);
    if (si.takes_part()) {
        const double b1g = rad(b.cas_B1g[i][m]);
        const Vec3 cc = is_sect_type0(i) ? Vec3{-si.C * std::sin(b1g), -si.C * std::cos(b1g), 0.0}
                                         : Vec3{0.0, -si.C * std::cos(b1g), si.C * std::sin(b1g)};
        const Stream main{
            .G = b.elem_G1[i],
            .p = row.run.p,
            .i = row.run.i,
            .V = {b.flow_c1z[i][m], b.flow_w1[i][m] * std::cos(rad(b.cas_B1[i][m])), b.flow_c1r[i][m]}};
        end_site(row, si, cc, main, b.cool_DGOXL1, b.cool_HOXL1);
    }

    // Site o: along the outlet angle into the relative outlet flow.
    const Site so = site_of(b.cool_oGoxl, b.cool_oToxl, b.cool_oPoxl, b.cool_oCoxl, b.cool_oAoxl, i);
    if (so.takes_part()) {
        const Vec3 cc{so.C * std::sin(b2), so.C * std::cos(b2), b.flow_c2r[i][m]};
        Stream main = row.side_main(fallback);
        main.V = {w2 * std::sin(b2), w2 * std::cos(b2), b.flow_c2r[i][m]};
        end_site(row, so, cc, main, b.cool_DGOXL2, b.cool_HOXL2);
    } else {
        row.run.V = {b.flow_c2z[i][m], w2 * std::cos(b2), b.flow_c2r[i][m]};
    }

    // Sites t and h: through the end walls, against the blade speed there.
    const auto side_site = [&](const Site& s, int j) {
        if (!s.takes_part()) return;
        const double a = rad(s.A);
        const Vec3 cc{0.0, s.C * std::sin(a) - b.flow_u2[i][j], s.C * std::cos(a)};
        end_site(row, s, cc, row.side_main(fallback_at(j)), b.cool_DGOXL2, b.cool_HOXL2);
    };
    side_site(site_of(b.cool_tGoxl, b.cool_tToxl, b.cool_tPoxl, b.cool_tCoxl, b.cool_tAoxl, i), tip);
    side_site(site_of(b.cool_hGoxl, b.cool_hToxl, b.cool_hPoxl, b.cool_hCoxl, b.cool_hAoxl, i), hub);

    // Site f: radially in through the rotor tip.
    const Site sf = site_of(b.cool_fGoxl, b.cool_fToxl, b.cool_fPoxl, b.cool_fCoxl, b.cool_fAoxl, i);
    if (sf.takes_part()) {
        const Vec3 cc{0.0, 0.0, sf.C};
        const Stream main = row.side_main(fallback_at(tip));
        const Mixed r = row.mix(sf, cc, main);
        row.run = r.flow;
        const double G2 = b.elem_G2[i];
        b.cool_DGOXL2[i] += sf.G;
        // The coolant is brought up to the blade speed at the tip: pumping work
        // per unit outlet flow (none without outlet flow to carry it).
        const double u_tip = b.bld_wp[i] * (b.bld_d1[i] + b.bld_l1[i]) / 2.0;
        if (G2 != 0.0) b.cool_DHOXL[i] += sf.G * u_tip * u_tip / G2;
        b.cool_HOXL2[i] += sf.G * r.dic;
        if (std::trunc(b.clrn_Zrr[i]) == 0.0)
            b.cool_dDRZ[i] = tip_clearance_correction(b, i, sf.G, main, tip);
        row.add_work_potential(sf, r);
    }

    // The stator behind sees the mixed-out flow in the absolute frame.
    const int k = next_stator(i);
    const double angle = k != 0 ? std::atan2(row.run.V[kZ], row.run.V[kU] + b.flow_u2[i][m]) : 0.0;
    finish(row, b.isd_i2x[i][m], "i2x", k, angle,
           {.mode = kRotorMode,
            .gas_p = b.isd_p1wx[i][m],
            .gas_i = b.isd_i1wx[i][m],
            .c_in = b.flow_w1[i][m],
            .u = b.flow_u1[i][m],
            .other = sf,
            .other_counts = true});
    return 0;
}

}  // extern "C"
