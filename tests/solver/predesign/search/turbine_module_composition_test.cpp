// Axial and Curtis turbine modules composed as a host composes a design
// point: the table attached, the models built, PredC on the master. Air as
// the stand-in perfect gas (R 287, k 1.4) from 4 bar and 1000 K to 1.2 bar,
// 3 kg/s at 3000 rad/s.
#include <gtest/gtest.h>

#include <cmath>

#include <string>

#include "halvorine2/fluid_plugin.h"
#include "physics/section_losses.h"
#include "solver/predesign/point_reason.h"
#include "solver/predesign/search/design_point_search.h"
#include "solver/solver_api.h"
#include "tests/solver/predesign/search/search_fixture.h"

namespace {

using h2::test::kAirCp;

constexpr double kP0 = 4e5, kT0 = 1000.0, kP2 = 1.2e5, kFlow = 3.0, kSpeed = 3000.0;

class TurbineComposition : public h2::test::SearchTest {
protected:
    // Record 0: Gflag 2 (alpha1 14 degrees), hub diameter 0.2 m, HT 0.6,
    // R 0.15, stage limits 1..10.
    PD_module& turbine(int type) {
        PD_module* t = table(1);
        PD_module& r = t[0];
        r.type = type;
        r.Gflag = 2;
        r.Dflag = 0;
        r.PD_VAL[PD_VAR_OM] = kSpeed;
        r.PD_VAL[PD_VAR_D] = 0.2;
        r.PD_VAL[PD_VAR_CZ] = 14.0;
        r.PD_VAL[PD_VAR_HT] = 0.6;
        r.PD_VAL[PD_VAR_R] = 0.15;
        r.PD_VAL[PD_VAR_PA] = 1.0;
        r.PD_VAL[PD_VAR_KZ] = 1.0;
        r.PD_VAL[PD_VAR_KH] = 1.0;
        r.PD_LIM_lower[PD_LIM_STG] = 1.0;
        r.PD_LIM_upper[PD_LIM_STG] = type == TURB_CURTIS ? 2.0 : 10.0;
        r.PD_LIM_upper[PD_LIM_DH] = r.PD_LIM_upper[PD_LIM_DS] = 10.0;
        r.bladeDensity = 7800.0;
        r.PD_SRC_OM = kSpeed;
        r.PD_SRC_G = kFlow;
        r.PD_SRC_P2N = kP2;
        r.PD_SRC_P0 = kP0;
        r.PD_SRC_I0 = kAirCp * kT0;
        r.PD_SRC_A0 = 90.0;
        attach(1);
        return r;
    }
};

// The stage count by hand: q = (tan 14 omega D (1 - R) / 0.98)^2, H0 = i0
// (1 - 0.3^(1/3.5)), n = floor(H0 / (0.125 (omega D / HT)^2 - q/2) + 0.5) = 3.
TEST_F(TurbineComposition, AnAxialModuleOfThreeStagesSolvedIntoTheMaster) {
    PD_module& r = turbine(TURB_AXIAL);
    build();
    ASSERT_EQ(PredC(0), 0) << master()->err_text;
    EXPECT_EQ(get_bdLocals(), master());
    const double q = std::pow(std::tan(14.0 * 0.01745329) * kSpeed * 0.2 * 0.85 / 0.98, 2.0);
    const double H0 = kAirCp * kT0 * (1.0 - std::pow(kP2 / kP0, 0.4 / 1.4));
    ASSERT_EQ(std::floor(H0 / (0.125 * 1e6 - q / 2.0) + 0.5), 3.0);
    EXPECT_EQ(r.elemsPerStage, 2);
    EXPECT_EQ(r.PD_ACH[PD_LIM_STG], 3.0);
    const bdLocals& b = *master();
    ASSERT_EQ(b.cyld_ns, 6);
    EXPECT_NEAR(b.isd_p2[6][0], kP2, 1e-5 * kP2);
    // The stand-in loss models leak past the seals: no row passes more than
    // the module flow, and every rotor works.
    for (int e = 1; e <= 6; ++e) {
        SCOPED_TRACE(e);
        EXPECT_LE(b.elem_G1[e], kFlow);
        EXPECT_GT(b.elem_G1[e], 0.95 * kFlow);
        if (e % 2 == 0) {
            EXPECT_GT(b.flow_u1[e][0] * b.flow_c1u[e][0] - b.flow_u2[e][0] * b.flow_c2u[e][0], 0.0);
        }
    }
    EXPECT_EQ(b.elem_moduleNum[6], 0.0);
    EXPECT_EQ(b.elem_stageNum[6], 2.0);
}

// An upper stage limit of 1 leaves no velocity-compounded wheel: the module
// is refused, not counted as generated.
TEST_F(TurbineComposition, ACurtisModuleWithoutItsSecondStageIsRefused) {
    PD_module& r = turbine(TURB_CURTIS);
    r.PD_LIM_upper[PD_LIM_STG] = 1.0;
    build();
    EXPECT_EQ(PredC(0), 101);
    EXPECT_EQ(get_bdLocals(), master());
}

}  // namespace
namespace {

struct CurtisPoint {
    double D, alpha, R;
};

// A velocity-compounded wheel of air, 1 kg/s from 4 bar and 1000 K into
// 1.2 bar at 1500 rad/s: u/c1 near 0.25 on a 0.2 m hub.
class CurtisComposition : public TurbineComposition {
public:
    PD_module& curtis(const CurtisPoint& p) {
        PD_module& r = turbine(TURB_CURTIS);
        r.PD_VAL[PD_VAR_OM] = r.PD_SRC_OM = steam_ ? 500.0 : 1500.0;
        r.PD_SRC_G = steam_ ? 20.0 : 1.0;
        if (steam_) {
            r.PD_SRC_P0 = 20e5;
            r.PD_SRC_I0 = 3024e3;
        }
        r.PD_VAL[PD_VAR_D] = steam_ ? 0.5 + p.D : p.D;
        r.PD_VAL[PD_VAR_CZ] = p.alpha;
        r.PD_VAL[PD_VAR_R] = p.R;
        return r;
    }
    // The point's record on models built afresh, as the search gives each point.
    PD_module& curtis_point(const CurtisPoint& p, double p2) {
        PD_free_models();
        set_bdLocals(master());
        PD_module& r = curtis(p);
        r.PD_SRC_P2N = p2;
        build();
        return r;
    }

protected:
    bool steam_ = false;
};

constexpr double kPi = 3.14159265;
using h2::test::kAirR;

// Zweifel's coefficient of row e at the middle stream from its solved
// velocities, Z = 2 (s / b_x) cos^2 a2 (tan a1 + tan a2) with the angles from
// axial: tan a = (relative) swirl over meridional velocity, and the two
// tangents add as the swirl changes sign through a turning row.
double zweifel_of(const bdLocals& b, int e) {
    const int j = b.cyld_nr / 2;
    const double cs1 = std::fabs(b.flow_c1s[e][j]), cs2 = std::fabs(b.flow_c2s[e][j]);
    const double wu1 = b.flow_c1u[e][j] - b.flow_u1[e][j], wu2 = b.flow_c2u[e][j] - b.flow_u2[e][j];
    const double pitch = kPi * b.bld_d2[e] / b.bld_z[e];
    const double cos2 = cs2 * cs2 / (cs2 * cs2 + wu2 * wu2);
    return 2.0 * pitch / b.cas_bx[e][j] * cos2 * std::fabs(wu2 / cs2 - wu1 / cs1);
}
// Zweifel's coefficient designers pitch turbine rows to (0.8 to 1.0), and the
// band the layout's relative pitch (stators 0.75, rotors 0.7 of the chord)
// gives the generated rows: mostly over-bladed by that measure (down to
// about 0.12 in the stators of high-reaction stages, which turn little), and
// no row loaded past 1.1, beyond which a turbine cascade's suction side
// separates.
constexpr double kZweifelTarget = 0.85;
constexpr double kLayoutZweifelLow = 0.1, kLayoutZweifelHigh = 1.1;

double gas_density(double p, double h) { return p / (kAirR * h / kAirCp); }

// The composed wheel meets its outlet, every row carries its flow by
// continuity, no rotor lets more than a tenth of its flow around its blades,
// the counts follow the chord chart and pitch, and the machine's power is
// its inlet flow (the first nozzle's seal flow included) times its drop in
// total enthalpy.
TEST_F(CurtisComposition, WheelsSolveAndConserve) {
    for (const CurtisPoint p : {CurtisPoint{0.1, 10.0, 0.0}, CurtisPoint{0.15, 14.0, 0.05},
                                CurtisPoint{0.2, 14.0, 0.05}, CurtisPoint{0.2, 20.0, 0.1}}) {
        SCOPED_TRACE(p.D);
        SCOPED_TRACE(p.alpha);
        PD_module& r = curtis(p);
        build();
        ASSERT_EQ(PredC(0), 0);
        const bdLocals& b = *r.PD_model;
        const int ns = b.cyld_ns;
        ASSERT_EQ(ns, 4);
        EXPECT_NEAR(b.isd_p2[ns][0], kP2, 1e-6 * kP2);
        for (int e = 1; e <= ns; ++e) {
            SCOPED_TRACE(e);
            // A stator's outlet carries its flow; a rotor's blade flow leaves
            // at the row's own state, to which the solve then adds the
            // parasitic work the sizing did not see (within two percent).
            const bool rotor = e % 2 == 0;
            const double h2 = rotor ? b.isd_i2r[e][0] : b.isd_i2[e][0];
            const double rho = gas_density(b.isd_p2[e][0], h2);
            const double area = kPi * b.bld_d2[e] * b.bld_l2[e] * b.elem_Pa[e];
            EXPECT_NEAR(rho * b.flow_c2z[e][0] * area / b.elem_G2[e], 1.0, rotor ? 2e-2 : 1e-6);
            // Later rows start and end at the module outlet: no stator compresses.
            if (e > 2) {
                EXPECT_NEAR(b.isd_p2[e][0], kP2, 1e-6 * kP2);
            }
            const double pitch = b.cas_tb[e][0] * b.cas_b[e][0];
            EXPECT_NEAR(b.cas_t[e][0], pitch, 1e-12);
            EXPECT_EQ(b.bld_z[e], std::trunc(b.bld_d2[e] * kPi / pitch));
            if (e % 2 == 0) {
                // A Curtis wheel is shrouded: its rotor seals with teeth of its own.
                EXPECT_GE(std::trunc(b.clrn_Zrr[e]), 1.0);
                EXPECT_GE(b.elem_G1[e], 0.9 * (b.elem_G1[e] + b.elem_Gr[e]));
                EXPECT_GT(b.enrg_Lu[e][0], 0.0);
            }
        }
        const double Go = b.elem_G1[0] + b.elem_Gdu[1];
        EXPECT_GT(b.elem_Gdu[1], 0.0);
        EXPECT_NEAR(b.cyld_G, Go, 1e-12);
        EXPECT_NEAR(b.cyld_Nc / (Go * (b.isd_i1x[0][0] - b.isd_i2x[ns][0])), 1.0, 1e-6);
        EXPECT_GT(b.cyld_effx, 0.6);
        EXPECT_LT(b.cyld_effx, 0.9);
    }
}

// A wheel whose blade speed outruns the second stage's flow cannot be laid
// out: the point fails and says which row and why.
TEST_F(CurtisComposition, AWheelTooFastSaysWhichRowFails) {
    curtis({0.5, 14.0, 0.05});
    build();
    h2::predesign::clear_point_reason();
    EXPECT_NE(PredC(0), 0);
    EXPECT_NE(std::string(h2::predesign::point_reason_text()).find("relative exit speed"), std::string::npos)
        << h2::predesign::point_reason_text();
}

// A population of 64 wheels (hub 0.1 to 0.25 m, nozzle angle 10 to 22
// degrees, hub reaction 0 to 0.15): at least half solve to their outlet, no
// solved rotor lets a tenth of its flow around its blades, the rotors do the
// blade work of the velocity coefficients their rows are charged, and a point
// that fails says why.
struct Population {
    int solved = 0;
    double best_effx = 0.0;
};

// The blade work of a two-row velocity-compounded wheel by hand, row after
// row: every row turns out phi times the speed of its isentropic expansion
// from its inlet state to its outlet pressure (in a rotor the relative speed,
// with the rothalpy: w2^2 = phi^2 (w1^2 + 2 dh_s + u2^2 - u1^2)), every row
// leaves with the nozzle's axial speed c1 sin(alpha1), and the Euler work
// u1 c1u - u2 c2u sums over the rotors. Only the wheel's pressures, nozzle
// angle, blade speeds and velocity coefficients enter; no solved speed.
// H0 is the wheel's isentropic drop from its inlet totals to its outlet pressure.
struct Diagram {
    double work = 0.0, H0 = 0.0, u_c1 = 0.0;
};

Diagram curtis_diagram(const bdLocals& b) {
    const auto f = [&](int code, double x, double y) {
        return b.fluid_func(code, x, y, b.cyld_af, H2_FLUID_MAIN);
    };
    const int ns = b.cyld_ns;
    const double i0 = b.isd_i1x[0][0];
    const double s0 = f(H2_FLUID_S_PI, b.isd_p1x[0][0], i0);
    const double alpha1 = b.cas_A2[1][0] * kPi / 180.0;
    // The nozzle from the inlet totals.
    double p = b.isd_p2[1][0];
    double c = b.los_Los[1][0] * std::sqrt(2.0 * (i0 - f(H2_FLUID_I_PS, p, s0)));
    const double cz = c * std::sin(alpha1);
    double cu = c * std::cos(alpha1);
    double h = i0 - c * c / 2.0;
    Diagram d;
    d.u_c1 = b.flow_u1[2][0] / c;
    for (int e = 2; e <= ns; ++e) {
        const double phi = b.los_Los[e][0];
        const double p2 = b.isd_p2[e][0];
        const double dhs = h - f(H2_FLUID_I_PS, p2, f(H2_FLUID_S_PI, p, h));
        if (e % 2 == 0) {
            const double u1 = b.flow_u1[e][0], u2 = b.flow_u2[e][0];
            const double w1 = std::hypot(cu - u1, cz);
            const double w2 = phi * std::sqrt(w1 * w1 + 2.0 * dhs + u2 * u2 - u1 * u1);
            const double c2u = u2 - std::sqrt(w2 * w2 - cz * cz);
            d.work += u1 * cu - u2 * c2u;
            h += (w1 * w1 - u1 * u1 - w2 * w2 + u2 * u2) / 2.0;
            cu = c2u;
        } else {
            const double c2 = phi * std::sqrt(cu * cu + cz * cz + 2.0 * dhs);
            h += (cu * cu - c2 * c2) / 2.0;
            cu = std::sqrt(c2 * c2 - cz * cz);  // turned back into the sense of rotation
        }
        p = p2;
    }
    d.H0 = i0 - f(H2_FLUID_I_PS, p, s0);
    return d;
}

Population curtis_population(CurtisComposition& t, bdLocals& master, double p2) {
    Population pop;
    for (const double D : {0.1, 0.15, 0.2, 0.25})
        for (const double alpha : {10.0, 14.0, 18.0, 22.0})
            for (const double R : {0.0, 0.05, 0.1, 0.15}) {
                SCOPED_TRACE(D);
                SCOPED_TRACE(alpha);
                SCOPED_TRACE(R);
                PD_module& r = t.curtis_point({D, alpha, R}, p2);
                h2::predesign::clear_point_reason();
                const int code = PredC(0);
                if (code != 0) {
                    EXPECT_STRNE(h2::predesign::point_reason_text(), "");
                    continue;
                }
                ++pop.solved;
                const bdLocals& b = *r.PD_model;
                EXPECT_NEAR(b.isd_p2[b.cyld_ns][0], p2, 1e-6 * p2);
                const int ns = b.cyld_ns;
                for (int e = 2; e <= ns; e += 2) EXPECT_GE(b.elem_G1[e], 0.9 * (b.elem_G1[e] + b.elem_Gr[e]));
                // The first law over the machine, the nozzle's seal flow in the inlet flow.
                EXPECT_NEAR(b.cyld_Nc / (b.cyld_G * (b.isd_i1x[0][0] - b.isd_i2x[ns][0])), 1.0, 1e-6);
                // The diagram efficiency of the solved rotors, their Euler
                // work over H0, is the hand chain's to within a percent: the
                // tip-leak and seal flows mixed into the row outlets, and the
                // small changes of diameter and axial speed from row to row,
                // which the chain leaves out, stay well inside it.
                const Diagram d = curtis_diagram(b);
                double work = 0.0;
                for (int e = 2; e <= ns; e += 2) work += b.enrg_Lu[e][0];
                EXPECT_NEAR(work / d.work, 1.0, 1e-2) << "u/c1 " << d.u_c1 << ", by hand " << d.work / d.H0;
                // No kilogram entering gets more than the blade work to the
                // shaft: the leaks past the blades and the disk friction only
                // take from it.
                EXPECT_LT(b.cyld_Nc, b.cyld_G * d.work);
                pop.best_effx = std::max(pop.best_effx, b.cyld_effx);
                set_bdLocals(&master);
            }
    return pop;
}

TEST_F(CurtisComposition, HalfOfSixtyFourAirWheelsSolve) {
    const Population pop = curtis_population(*this, *master(), kP2);
    EXPECT_GE(pop.solved, 32);
    EXPECT_LT(pop.best_effx, 0.9);
}

// Steam from 20 bar and 3024 kJ/kg (about 300 C) into 6 bar, 20 kg/s at
// 500 rad/s on hubs of 0.5 to 0.65 m.
TEST_F(CurtisComposition, HalfOfSixtyFourSteamWheelsSolve) {
    master()->cyld_fluid = 2;
    ASSERT_EQ(InitFluid(0.0), 0);
    steam_ = true;
    const Population pop = curtis_population(*this, *master(), 6e5);
    EXPECT_GE(pop.solved, 32);
    // Every solved wheel is judged above against the blade work of its own
    // velocity coefficients. The published 0.65 to 0.75 of two-row
    // velocity-compounded stages near u/c1 0.2 is no check here: a design
    // solve without ICLos charges each Curtis row the generator's velocity
    // coefficient (0.95 on the nozzle, both rotors and the guide row alike;
    // the profile and secondary loss models do not run), where the measured
    // stages owe their band to rotor blades that turn the flow through 165 to
    // 175 degrees at coefficients well below that. Set against the band, the
    // test would judge the seed, not the machine.
}

// An outlet above the inlet is no turbine: the generator says so.
TEST_F(TurbineComposition, AnOutletAboveTheInletIsRefusedWithItsReason) {
    for (const int type : {static_cast<int>(TURB_AXIAL), static_cast<int>(TURB_CURTIS)}) {
        SCOPED_TRACE(type);
        PD_module& r = turbine(type);
        r.PD_SRC_P2N = 1.5 * kP0;
        build();
        h2::predesign::clear_point_reason();
        EXPECT_EQ(PredC(0), 101);
        const std::string reason = h2::predesign::point_reason_text();
        EXPECT_NE(
            reason.find("module 0: outlet pressure 600000 Pa not below the inlet total pressure 400000 Pa"),
            std::string::npos)
            << reason;
        PD_free_models();
        set_bdLocals(master());
    }
}

}  // namespace
namespace {

// An axial compressor (hub 0.45 m, first row 0.1 m, HT 0.3, KZ 0.95, 1200
// rad/s, 20 kg/s to 1.7 bar) and a fan (hub 0.5 m, 0.2 m, 600 rad/s, 40 kg/s
// to 1.08 bar) composed and solved as a search point is: the rows are charged
// their losses (a compressing machine's models and path run with ICLos, as a
// compressing case file does), so the diagram efficiency passes the
// screening, and the shaft power is the flow's gain in total enthalpy.
// Before, every row came out lossless (effDx 0.98 and 0.99).
TEST_F(TurbineComposition, CompressorsAndFansAreChargedTheirLosses) {
    struct Machine {
        int type;
        double om, D, CZ, G, p2, effx_low;
    };
    for (const Machine c : {Machine{COMP_AXIAL, 1200.0, 0.45, 0.1, 20.0, 170000.0, 0.8},
                            Machine{COMP_FAN, 600.0, 0.5, 0.2, 40.0, 108000.0, 0.8}}) {
        SCOPED_TRACE(c.type);
        PD_module& r = table(1)[0];
        r = PD_module{};
        r.type = c.type;
        r.Gflag = 1;
        r.PD_VAL[PD_VAR_OM] = r.PD_SRC_OM = c.om;
        r.PD_VAL[PD_VAR_D] = c.D;
        r.PD_VAL[PD_VAR_CZ] = c.CZ;
        r.PD_VAL[PD_VAR_HT] = 0.3;
        r.PD_VAL[PD_VAR_KU] = 1.0;
        r.PD_VAL[PD_VAR_KZ] = 0.95;
        r.PD_LIM_lower[PD_LIM_STG] = 1.0;
        r.PD_LIM_upper[PD_LIM_STG] = 5.0;
        r.PD_LIM_upper[PD_LIM_DS] = 10.0;
        r.bladeDensity = 7800.0;
        r.PD_SRC_G = c.G;
        r.PD_SRC_P2N = c.p2;
        r.PD_SRC_P0 = 101325.0;
        r.PD_SRC_I0 = kAirCp * 288.15;
        r.PD_SRC_A0 = 90.0;
        attach(1);
        bdLocals& b = *master();
        b.ICLos = 0;                          // a predesign master as its file leaves it
        b.cyld_MethodP = b.cyld_MethodS = 1;  // the case asks for profile and secondary losses
        build();
        ASSERT_EQ(PredC(0), 0);
        set_bdLocals(&b);
        ASSERT_EQ(bestXN(), 0);
        set_bdLocals(&b);
        const int ns = b.cyld_ns;
        EXPECT_NEAR(b.isd_p2[ns][0], c.p2, 1e-5 * c.p2);
        EXPECT_EQ(b.elem_G2[0], c.G);  // the inlet element carries the flow
        for (int e = 1; e <= ns; ++e) {
            SCOPED_TRACE(e);
            EXPECT_GT(b.los_om[e][0], 0.0);
            EXPECT_GT(b.isd_s2[e][0], b.isd_s1[e][0]);
        }
        EXPECT_GT(b.cyld_effx, c.effx_low);
        EXPECT_LT(b.cyld_effx, 0.95);
        h2::predesign::clear_point_reason();
        EXPECT_TRUE(h2::predesign::passes_screening(b)) << h2::predesign::point_reason_text();
        const double dh0 = b.isd_i2x[ns][0] - b.isd_i1x[0][0];
        EXPECT_NEAR(b.cyld_Nc / (c.G * dh0), 1.0, 1e-5);
        PD_free_models();
        set_bdLocals(&b);
    }
}

}  // namespace
namespace {

// Populations of 64 points per module type, composed and solved as the
// search does (the case asks for profile and secondary losses):
// - axial turbines of air from 4 bar and 1000 K into 1.2 bar, 3 kg/s at
//   3000 rad/s, hub 0.15 to 0.3 m, nozzle angle 12 to 21 degrees, hub
//   reaction 0.05 to 0.35 (from 0.35 the tall last stages would reach a mean
//   reaction above 0.7, where the generator holds them);
// - axial compressors, 20 kg/s to 1.7 bar, 1000 to 1300 rad/s, hub 0.4 to
//   0.55 m, first row 0.08 to 0.14 m;
// - fans, 40 kg/s to 1.08 bar, 500 to 650 rad/s, hub 0.45 to 0.6 m, row 0.15
//   to 0.3 m.
// Each keeps the first law over the machine; turbine stages do equal work
// (KH 1) to a percent, keep their reaction in 0 to 0.7 and their rows'
// Zweifel coefficients at most 1.1, and no rotor lets a tenth of its flow
// around its blades; a point that fails says why.
struct PopulationCase {
    int type;
    int at_least;
    double first_law;
};

class ModulePopulation : public TurbineComposition {
public:
    int run(const PopulationCase& c) {
        int solved = 0;
        for (const double a : {0.0, 1.0, 2.0, 3.0})
            for (const double q : {0.0, 1.0, 2.0, 3.0})
                for (const double k : {0.0, 1.0, 2.0, 3.0}) {
                    SCOPED_TRACE(a);
                    SCOPED_TRACE(q);
                    SCOPED_TRACE(k);
                    PD_free_models();
                    set_bdLocals(master());
                    const double G = point(c.type, a, q, k);
                    bdLocals& b = *master();
                    b.ICLos = 0;
                    b.cyld_MethodP = b.cyld_MethodS = 1;
                    build();
                    h2::predesign::clear_point_reason();
                    int code = PredC(0);
                    set_bdLocals(&b);
                    if (code == 0) code = bestXN();
                    set_bdLocals(&b);
                    if (code == 0 && !h2::predesign::passes_screening(b)) code = -2;
                    if (code != 0) {
                        EXPECT_STRNE(h2::predesign::point_reason_text(), "") << code;
                        continue;
                    }
                    ++solved;
                    expect_machine(c, b, G);
                }
        return solved;
    }

private:
    double point(int type, double a, double q, double k) {
        PD_module& r = table(1)[0];
        r = PD_module{};
        r.type = type;
        double G = 0.0;
        if (type == TURB_AXIAL) {
            r.Gflag = 2;
            r.PD_VAL[PD_VAR_OM] = r.PD_SRC_OM = 3000.0;
            r.PD_VAL[PD_VAR_D] = 0.15 + 0.05 * a;
            r.PD_VAL[PD_VAR_CZ] = 12.0 + 3.0 * q;
            r.PD_VAL[PD_VAR_HT] = 0.6;
            r.PD_VAL[PD_VAR_R] = 0.05 + 0.1 * k;
            r.PD_VAL[PD_VAR_PA] = r.PD_VAL[PD_VAR_KZ] = r.PD_VAL[PD_VAR_KH] = 1.0;
            r.PD_LIM_upper[PD_LIM_STG] = 10.0;
            G = 3.0;
            r.PD_SRC_P2N = 1.2e5;
            r.PD_SRC_P0 = 4e5;
            r.PD_SRC_I0 = kAirCp * 1000.0;
        } else {
            const bool fan = type == COMP_FAN;
            r.Gflag = 1;
            r.PD_VAL[PD_VAR_OM] = r.PD_SRC_OM = fan ? 500.0 + 50.0 * a : 1000.0 + 100.0 * a;
            r.PD_VAL[PD_VAR_D] = fan ? 0.45 + 0.05 * q : 0.4 + 0.05 * q;
            r.PD_VAL[PD_VAR_CZ] = fan ? 0.15 + 0.05 * k : 0.08 + 0.02 * k;
            r.PD_VAL[PD_VAR_HT] = 0.3;
            r.PD_VAL[PD_VAR_KU] = 1.0;
            r.PD_VAL[PD_VAR_KZ] = 0.95;
            r.PD_LIM_upper[PD_LIM_STG] = 6.0;
            G = fan ? 40.0 : 20.0;
            r.PD_SRC_P2N = fan ? 108000.0 : 170000.0;
            r.PD_SRC_P0 = 101325.0;
            r.PD_SRC_I0 = kAirCp * 288.15;
        }
        r.PD_LIM_lower[PD_LIM_STG] = 1.0;
        r.PD_LIM_upper[PD_LIM_DS] = r.PD_LIM_upper[PD_LIM_DH] = 10.0;
        r.bladeDensity = 7800.0;
        r.PD_SRC_G = G;
        r.PD_SRC_A0 = 90.0;
        attach(1);
        return G;
    }

    static void expect_machine(const PopulationCase& c, const bdLocals& b, double G) {
        const int ns = b.cyld_ns;
        const double dh0 = b.isd_i2x[ns][0] - b.isd_i1x[0][0];
        if (c.type == TURB_AXIAL) {
            EXPECT_NEAR(b.cyld_Nc / (-b.cyld_G * dh0), 1.0, c.first_law);
            for (int e = 1; e <= ns; ++e) {
                const double z = zweifel_of(b, e);
                EXPECT_GE(z, kLayoutZweifelLow) << e;
                EXPECT_LE(z, kLayoutZweifelHigh) << e;
            }
            // Every stage does its equal share of the rotors' work (KH 1).
            double work = 0.0;
            for (int e = 2; e <= ns; e += 2) work += b.enrg_Lu[e][0];
            for (int e = 2; e <= ns; e += 2) EXPECT_NEAR(b.enrg_Lu[e][0] / (2.0 * work / ns), 1.0, 1e-2) << e;
            for (int e = 2; e <= ns; e += 2) {
                EXPECT_GE(b.elem_R[e], 0.0) << e;
                EXPECT_LE(b.elem_R[e], 0.7) << e;
                EXPECT_GE(b.elem_G1[e], 0.9 * (b.elem_G1[e] + b.elem_Gr[e])) << e;
            }
        } else {
            EXPECT_NEAR(b.cyld_Nc / (G * dh0), 1.0, c.first_law);
        }
    }
};

TEST_F(ModulePopulation, SixtyFourPointsPerModuleType) {
    for (const PopulationCase c : {PopulationCase{TURB_AXIAL, 60, 1e-6}, PopulationCase{COMP_AXIAL, 60, 1e-5},
                                   PopulationCase{COMP_FAN, 56, 1e-5}}) {
        SCOPED_TRACE(c.type);
        EXPECT_GE(run(c), c.at_least);
    }
}

}  // namespace
namespace {

// The loss the pitch costs. A three-stage air turbine is solved as generated
// (the layout's relative pitch, 0.75 of the chord in the stators and 0.7 in
// the rotors), then its rows are re-pitched to Zweifel's 0.85 on the same
// axial chords (whole blade counts) and solved again; at each pitch the
// profile and secondary loss models charge every row on its solved
// triangles. The models put their profile-loss optimum near the layout's
// pitch: at Zweifel's pitch every row is charged more (its profile loss about
// doubles), so the generator keeps the layout's pitch and its rows stay
// over-bladed by Zweifel's measure (0.4 to 0.5 here).
struct RowLosses {
    double loss[7] = {};  // profile plus secondary (and trailing-edge) loss, percent
    double zweifel[7] = {};
};

RowLosses row_losses(bdLocals& b) {
    RowLosses l;
    const int j = b.cyld_nr / 2;
    for (int e = 1; e <= 6; ++e) {
        section_losses(e, j);
        l.loss[e] = b.los_XP[e][j] + b.los_XS[e][j] + b.los_XA[e][j];
        l.zweifel[e] = zweifel_of(b, e);
    }
    return l;
}

TEST_F(TurbineComposition, ZweifelsPitchCostsLossThatTheLayoutsPitchDoesNot) {
    turbine(TURB_AXIAL);
    bdLocals& b = *master();
    b.cyld_MethodP = b.cyld_MethodS = 1;
    build();
    ASSERT_EQ(PredC(0), 0);
    set_bdLocals(&b);
    ASSERT_EQ(bestXN(), 0);
    set_bdLocals(&b);
    ASSERT_EQ(b.cyld_ns, 6);
    const RowLosses layout = row_losses(b);
    const int j = b.cyld_nr / 2;
    for (int e = 1; e <= 6; ++e) {
        const double pitch = kPi * b.bld_d2[e] / b.bld_z[e] * kZweifelTarget / layout.zweifel[e];
        b.bld_z[e] = std::round(kPi * b.bld_d2[e] / pitch);
        b.cas_t[e][j] = kPi * b.bld_d2[e] / b.bld_z[e];
        b.cas_tb[e][j] = b.cas_t[e][j] / b.cas_b[e][j];
    }
    ASSERT_EQ(bestXN(), 0);
    set_bdLocals(&b);
    const RowLosses zweifel = row_losses(b);
    for (int e = 1; e <= 6; ++e) {
        SCOPED_TRACE(e);
        EXPECT_GE(layout.zweifel[e], kLayoutZweifelLow);
        EXPECT_LE(layout.zweifel[e], kLayoutZweifelHigh);
        // Within the designers' band once the re-solve has moved the angles.
        EXPECT_GE(zweifel.zweifel[e], 0.8);
        EXPECT_LE(zweifel.zweifel[e], 0.9);
        EXPECT_GT(zweifel.loss[e], layout.loss[e] + 0.5);
    }
}

}  // namespace
namespace {

// The work split: the three-stage air turbine with KH 0.8, 1 and 1.2 gives
// stage k of n (middle stage kmid = 1) the share (k - kmid)(KH - 1)/n + 1 of
// the mean stage work, to a percent, its shares summing to the shaft's
// blade work, and the module still meets its outlet.
TEST_F(TurbineComposition, StagesDoTheWorkTheSplitAsks) {
    for (const double KH : {0.8, 1.0, 1.2}) {
        SCOPED_TRACE(KH);
        PD_module& r = turbine(TURB_AXIAL);
        r.PD_VAL[PD_VAR_KH] = KH;
        build();
        ASSERT_EQ(PredC(0), 0) << master()->err_text;
        const bdLocals& b = *master();
        ASSERT_EQ(b.cyld_ns, 6);
        EXPECT_NEAR(b.isd_p2[6][0], kP2, 1e-5 * kP2);
        const double mean = (b.enrg_Lu[2][0] + b.enrg_Lu[4][0] + b.enrg_Lu[6][0]) / 3.0;
        for (int k = 0; k < 3; ++k) {
            SCOPED_TRACE(k);
            EXPECT_NEAR(b.enrg_Lu[2 * k + 2][0] / mean, (k - 1) * (KH - 1.0) / 3.0 + 1.0, 1e-2);
            EXPECT_GE(b.elem_R[2 * k + 2], 0.0);
            EXPECT_LE(b.elem_R[2 * k + 2], 0.7);
        }
        PD_free_models();
        set_bdLocals(master());
    }
}

}  // namespace
