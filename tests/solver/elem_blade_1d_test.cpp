// Mean-line blade row: outlet angle, the expansion of a turbine row with its
// velocity coefficient, the total-pressure loss of an axial compressor row,
// and the choke cap, against the perfect gas and closed forms.
#include <gtest/gtest.h>

#include <cmath>

#include "halvorine2/fluid_plugin.h"
#include "solver/solver_internal.h"
#include "tests/support/meanline_case.h"

namespace {

using h2::test::Elem;

constexpr double kDeg = 0.01745329;  // the library's degree
constexpr double kSentinel = -7.0;

class BladeTest : public h2::test::MeanlineTest {
protected:
    // Inlet and one blade row (element 1) on one streamline; inlet totals
    // p0, T0 at the row, no swirl into it, blade speed u2 at its outlet.
    void make_row(Elem row, double B1g, double B2a, double p0 = 4e5, double T0 = 1000.0) {
        ASSERT_NO_FATAL_FAILURE(make({Elem::Inlet, row}, 1));
        b->cas_B1g[1][0] = B1g;
        b->cas_B2a[1][0] = B2a;
        b->bld_F2[1] = 0.01;
        inlet_totals(1, 0, p0, T0);
        b->isd_p1[1][0] = p0;
        b->isd_Ro1[1][0] = gas.density(p0, gas.cp() * T0);
        b->elem_G2[0] = b->elem_G2[1] = 3.0;
    }
};

// Outlet angle before deviation on an axial section with no slope: stators
// keep the gauging angle, rotating rows take the negative cosine; the degree
// is 0.01745329, and the floor 1e-8 on the squared cosine keeps a 90 degree
// stator just below 90.
TEST_F(BladeTest, OutletAngleBeforeDeviation) {
    struct Case {
        Elem row;
        double B2a;
        double direct;
        double expected;
    };
    const double floor_angle = std::atan2(1.0, 1e-4) / kDeg;
    const Case cases[] = {
        {Elem::Stator, 30.0, 0.0, 30.0},
        {Elem::Rotor, 30.0, 0.0, 150.00003},
        {Elem::Stator, 90.0, 0.0, 89.994283},
        {Elem::Stator, 120.0, 0.0, 120.0},  // beyond 90 in a stator: negative cosine too
        {Elem::Rotor, 30.0, 1.0, 30.0},     // taken as given
        {Elem::Stator, 37.5, 2.0, 37.5},
    };
    EXPECT_NEAR(floor_angle, 89.994283, 1e-6);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "B2a " << c.B2a << (c.row == Elem::Rotor ? " rotor" : " stator")
                                        << ", direct " << c.direct);
        ASSERT_NO_FATAL_FAILURE(make_row(c.row, 90.0, c.B2a));
        b->elem_B2aDirect[1] = c.direct;
        elem_blade_1d(1, 200.0);
        EXPECT_NEAR(b->cas_B2[1][0], c.expected, 1e-5);
    }
    // Exactly: 180 degrees of the library's degree less the gauging angle.
    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Rotor, 90.0, 30.0));
    elem_blade_1d(1, 200.0);
    EXPECT_NEAR(b->cas_B2[1][0], std::atan2(std::sin(30.0 * kDeg), -std::cos(30.0 * kDeg)) / kDeg, 1e-12);
    EXPECT_EQ(b->cas_iR[1][0], 90.0 - 90.0);
}

// On an inclined stream surface the blade angle's cotangent shrinks by the
// slope's cosine; on radial sections the angle stands.
TEST_F(BladeTest, OutletAngleOnInclinedAndRadialSections) {
    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, 90.0, 30.0));
    b->cas_cosT2[1][0] = 0.5;
    b->cas_sinT2[1][0] = std::sqrt(0.75);
    elem_blade_1d(1, 200.0);
    const double expected = std::atan(1.0 / (0.5 / std::tan(30.0 * kDeg))) / kDeg;
    EXPECT_NEAR(b->cas_B2[1][0], expected, 1e-9);

    b->elem_sectType[1] = 1.0;
    elem_blade_1d(1, 200.0);
    EXPECT_NEAR(b->cas_B2[1][0], 30.0, 1e-9);
}

// A turbine stator expands to the speed w / phi on the inlet isentrope:
// p2 = p0 ((h0 - w^2 / (2 phi^2)) / h0)^3.5; the velocity triangle follows.
TEST_F(BladeTest, TurbineStatorExpansion) {
    struct Case {
        double phi;
        double p2;  // by hand
    };
    for (Case c : {Case{0.95, 299321.66}, Case{1.0, 308237.02}}) {
        SCOPED_TRACE(c.phi);
        ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, 90.0, 20.0));
        b->los_Los[1][0] = c.phi;
        b->elem_Pa[1] = 0.9;
        b->los_Fp[1][0] = 0.8;
        b->elem_G1[1] = 99.0;  // a blade row balances its outlet flow
        const double w = 380.0;
        const double h0 = gas.cp() * 1000.0;
        const double r = elem_blade_1d(1, w);

        const double p2 = 4e5 * std::pow((h0 - w * w / (2.0 * c.phi * c.phi)) / h0, 3.5);
        EXPECT_NEAR(p2, c.p2, 1e-2);
        EXPECT_NEAR(b->isd_p2[1][0], p2, 1e-9 * p2);
        // The relative total pressure at the outlet entropy.
        const double h2 = h0 - w * w / 2.0;
        const double p2wx = p2 * std::pow(h0 / h2, 3.5);
        EXPECT_NEAR(b->isd_p2wx[1][0], p2wx, 1e-9 * p2wx);
        const double rho = gas.density(p2, h2);
        EXPECT_NEAR(b->isd_Ro2[1][0], rho, 1e-9 * rho);
        EXPECT_NEAR(b->flow_c2s[1][0], w * std::sin(20.0 * kDeg), 1e-9);
        EXPECT_NEAR(b->flow_c2u[1][0], w * std::cos(20.0 * kDeg), 1e-9);
        EXPECT_EQ(b->flow_c2z[1][0], b->flow_c2s[1][0]);
        const double G = w * std::sin(20.0 * kDeg) * rho * 0.01 * 0.9 * 0.8;
        const double d = (3.0 - G) / 3.0;
        EXPECT_NEAR(r, -d * d, 1e-12);
    }
}

// A liquid stator loses total pressure: p2 = p0 - rho w^2/2 - rho (1 - phi^2) w^2/2.
TEST_F(BladeTest, IncompressibleTurbineStatorLosesTotalPressure) {
    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, 90.0, 20.0));
    const double rho = h2::test::kLiquidDensity;
    const double p0 = 5e5;
    liquid_inlet(1, 0, p0);
    b->los_Los[1][0] = 0.9;
    b->flow_c2[1][0] = 10.0;
    const double w = 20.0;
    elem_blade_1d(1, w);
    const double loss = (1.0 - 0.81) * w * w / 2.0;
    EXPECT_NEAR(b->isd_p2wx[1][0], p0 - rho * loss, 1e-6);
    EXPECT_NEAR(b->isd_p2[1][0], p0 - rho * loss - rho * w * w / 2.0, 1e-6);
    EXPECT_NEAR(b->isd_p2x[1][0], b->isd_p2[1][0] + rho * 10.0 * 10.0 / 2.0, 1e-6);
}

// A compressor rotor with no loss: rothalpy is conserved and the relative
// total pressure is the isentropic one of the relative total enthalpy.
TEST_F(BladeTest, LossFreeAxialCompressorRotor) {
    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Rotor, 30.0, 60.0, 1e5, 300.0));
    const double u2 = 200.0;
    const double ucu1 = 3000.0;
    b->flow_u2[1][0] = u2;
    b->flow_ucu1[1][0] = ucu1;
    b->los_om[1][0] = 0.0;
    const double h0 = gas.cp() * 300.0;
    const double w = 150.0;
    b->flow_r1[1][0] = 0.3;  // a fall of 0.1 m: gravity adds 0.981 J/kg
    b->flow_r2[1][0] = 0.2;
    elem_blade_1d(1, w);
    const double h2wx = h0 - ucu1 + u2 * u2 / 2.0 + 9.81 * 0.1;
    EXPECT_DOUBLE_EQ(b->isd_i2wx[1][0], h2wx);
    const double p2wx = 1e5 * std::pow(h2wx / h0, 3.5);
    EXPECT_NEAR(b->isd_p2wx[1][0], p2wx, 1e-9 * p2wx);
    const double p2 = 1e5 * std::pow((h2wx - w * w / 2.0) / h0, 3.5);
    EXPECT_NEAR(b->isd_p2[1][0], p2, 1e-9 * p2);
    // Outlet triangle of a rotor: the blade speed adds to the swirl.
    const double B2 = b->cas_B2[1][0] * kDeg;
    EXPECT_NEAR(b->flow_c2u[1][0], u2 + w * std::cos(B2), 1e-9);
}

// The total-pressure loss of an axial compressor row comes off the inlet's
// relative dynamic pressure.
TEST_F(BladeTest, AxialCompressorTotalPressureLoss) {
    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, 30.0, 60.0, 1e5, 300.0));
    b->isd_p1[1][0] = 0.9e5;
    b->los_om[1][0] = 0.1;
    elem_blade_1d(1, 100.0);
    EXPECT_NEAR(b->isd_p2wx[1][0], 1e5 - 0.1 * 0.1e5, 1e-6);
}

// A radial compressor row loses the enthalpy enrg__dhb: the static state lies
// on the inlet isentrope at the enthalpy less the loss, and the flow leaves
// through the radial section (normal speed c2s sin theta).
TEST_F(BladeTest, RadialCompressorRowLosesItsEnthalpyLoss) {
    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Rotor, 30.0, 60.0, 1e5, 300.0));
    b->elem_sectType[1] = 1.0;
    b->bld_d2[1] = 2.0 * b->bld_d1[1];  // outward flow: a compressor row
    b->cas_sinT2[1][0] = 1.0;
    b->cas_cosT2[1][0] = 0.0;
    const double u2 = 250.0, dhb = 1000.0, w = 120.0;
    b->flow_u2[1][0] = u2;
    b->enrg_dhb[1][0] = dhb;
    b->cas_B2g[1][0] = 110.0;  // the centrifugal deviation turns from the blade's exit angle
    const double r = elem_blade_1d(1, w);

    const double h0 = gas.cp() * 300.0;
    const double h2 = h0 + u2 * u2 / 2.0 - w * w / 2.0;
    const double p2 = 1e5 * std::pow((h2 - dhb) / h0, 3.5);
    EXPECT_NEAR(b->isd_p2[1][0], p2, 1e-9 * p2);
    const double B2 = 110.0 * kDeg;
    EXPECT_EQ(b->cas_B2[1][0], 110.0);
    const double cs = w * std::sin(B2);
    EXPECT_NEAR(b->flow_c2r[1][0], 0.0, 1e-12);
    EXPECT_NEAR(b->flow_c2z[1][0], cs, 1e-9);
    const double G = cs * gas.density(p2, h2) * 0.01;
    const double d = (3.0 - G) / 3.0;
    EXPECT_NEAR(r, -d * d, 1e-12);
}

// A trial speed whose static pressure lies above the relative total pressure
// is impossible: the penalty -1 and no outlet triangle. A fluid whose pressure
// ignores the enthalpy makes it happen.
TEST_F(BladeTest, ImpossibleCompressorSpeedIsPenalised) {
    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, 30.0, 60.0, 1e5, 300.0));
    b->fluid_func = [](int code, double, double, double, int) {
        if (code == H2_FLUID_P_IS) return 1e5;
        if (code == H2_FLUID_S_PI) return 1.0;
        return 1.0;
    };
    b->isd_p1[1][0] = 0.9e5;
    b->los_om[1][0] = 0.1;
    b->isd_Ro2[1][0] = kSentinel;
    b->flow_c2s[1][0] = kSentinel;
    EXPECT_EQ(elem_blade_1d(1, 100.0), -1.0);
    EXPECT_EQ(b->isd_Ro2[1][0], kSentinel);
    EXPECT_EQ(b->flow_c2s[1][0], kSentinel);
}

// The first evaluation seeds the relative total pressure isentropically; a
// row that is neither turbine nor compressor keeps it (a deswirler of a
// compressing path in a design task).
TEST_F(BladeTest, FirstEvaluationSeedsTheRelativeTotalPressure) {
    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, 30.0, 60.0, 1e5, 300.0));
    b->cyld_VART = 0;
    b->elem_p0[0] = 1e5;
    b->elem_p2[1] = 2e5;
    b->elem_stagType[1] = 6.0;
    b->isd_p2wx[1][0] = 0.0;
    b->isd_p2[1][0] = 95000.0;
    elem_blade_1d(1, 100.0);
    EXPECT_NEAR(b->isd_p2wx[1][0], 1e5, 1e-6);
    EXPECT_EQ(b->isd_p2[1][0], 95000.0);

    b->isd_p2wx[1][0] = 12345.0;
    elem_blade_1d(1, 100.0);
    EXPECT_EQ(b->isd_p2wx[1][0], 12345.0);
}

// Gauging-angle task: the masked angle of a compressor row is kept in
// cas__B2g; a turbine row turns by the masked angle directly.
TEST_F(BladeTest, GaugingTaskMasksTheOutletAngle) {
    const double factor = 0.2, weight = 0.5;
    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Rotor, 30.0, 30.0, 1e5, 300.0));
    b->cyld_VART = 40;
    b->ang_mask_factor = factor;
    b->AngMask[1] = weight;
    b->cas_B2g[1][0] = kSentinel;
    elem_blade_1d(1, 100.0);
    const double beta = std::atan2(std::sin(30.0 * kDeg), -std::cos(30.0 * kDeg)) / kDeg;
    const double masked = 180.0 - (180.0 - beta) * (1.0 + factor * weight);
    EXPECT_NEAR(b->cas_B2g[1][0], masked, 1e-9);
    EXPECT_NEAR(b->cas_B2[1][0], masked, 1e-9);

    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, 90.0, 20.0));
    b->cyld_VART = 400;
    b->ang_mask_factor = factor;
    b->AngMask[1] = weight;
    b->cas_B2g[1][0] = kSentinel;
    elem_blade_1d(1, 100.0);
    EXPECT_NEAR(b->cas_B2[1][0], 20.0 * (1.0 + factor * weight), 1e-9);
    EXPECT_EQ(b->cas_B2g[1][0], kSentinel);
}

// ---- choke cap ----------------------------------------------------------

class ChokeTest : public BladeTest {};

// A compressor cascade chokes at the critical flux of its inlet totals through
// the throats: 0.96 * p0 sqrt(k/R (2/(k+1))^((k+1)/(k-1))) / sqrt(T) * sin(B1g) pi d1 l1.
TEST_F(ChokeTest, CompressorRowChokesAtTheCriticalFlux) {
    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, 30.0, 60.0, 1e5, 300.0));
    b->elem_Laval[1] = 1.0;
    b->bld_d1[1] = 0.5;
    b->bld_l1[1] = 0.05;
    b->bld_z[1] = 40.0;
    const double k = 1.4, R = 287.5, T = 300.0;
    const double flux = 1e5 * std::sqrt(k / R * std::pow(2.0 / (k + 1.0), 6.0)) / std::sqrt(T);
    EXPECT_NEAR(flux, 233.15285, 1e-5);
    const double Gmax = 0.96 * flux * std::sin(30.0 * kDeg) * 3.14159265 * 0.5 * 0.05;
    EXPECT_NEAR(Gmax, 8.789654, 2e-6);

    struct Case {
        double G;
        bool capped;
    };
    for (Case c : {Case{5.0, false}, Case{10.0, true}}) {
        SCOPED_TRACE(c.G);
        b->elem_G1[0] = b->elem_G2[0] = b->elem_G1[1] = b->elem_G2[1] = c.G;
        EXPECT_NEAR(row_choke_limit(1), Gmax, 1e-12 * Gmax);
        EXPECT_NEAR(b->elem_Gmax[1], Gmax, 1e-12 * Gmax);
        EXPECT_NEAR(b->flow_Mcr[1][0], 0.9128709, 1e-7);
        const double expected = c.capped ? b->elem_Gmax[1] : c.G;
        EXPECT_EQ(b->elem_G1[0], expected);
        EXPECT_EQ(b->elem_G2[0], expected);
        EXPECT_EQ(b->elem_G1[1], expected);
        EXPECT_EQ(b->elem_G2[1], expected);
    }
}

// A turbine row chokes at the critical speed through its outlet section, the
// density taken at the outlet static pressure and the critical enthalpy.
TEST_F(ChokeTest, TurbineRowChokesAtTheCriticalSpeed) {
    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, 90.0, 20.0));
    b->elem_Laval[1] = 1.0;
    b->elem_Pa[1] = 0.9;
    b->cas_B2[1][0] = 20.0;
    b->isd_p2[1][0] = 2.5e5;
    const double h0 = gas.cp() * 1000.0;
    b->isd_i2wx[1][0] = h0;
    const double a_crit = std::sqrt(2.0 / 2.4) * std::sqrt(1.4 * 287.5 * 1000.0);
    const double rho = gas.density(2.5e5, h0 - a_crit * a_crit / 2.0);
    const double Gmax = a_crit * std::sin(20.0 * kDeg) * rho * 0.01 * 0.9;
    EXPECT_NEAR(row_choke_limit(1), Gmax, 1e-12 * Gmax);
    EXPECT_NEAR(b->elem_Gmax[1], Gmax, 1e-12 * Gmax);
}

// The cap off, or a row of neither kind: nothing choked.
TEST_F(ChokeTest, NoCapWhenOffOrNeitherKind) {
    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, 30.0, 60.0, 1e5, 300.0));
    b->elem_Gmax[1] = kSentinel;
    b->elem_G2[1] = 1e6;
    EXPECT_EQ(row_choke_limit(1), 0.0);
    EXPECT_EQ(b->elem_Gmax[1], kSentinel);
    EXPECT_EQ(b->elem_G2[1], 1e6);

    // A deswirler of a compressing path in a design task is neither.
    b->elem_Laval[1] = 1.0;
    b->cyld_VART = 0;
    b->elem_p0[0] = 1e5;
    b->elem_p2[1] = 2e5;
    b->elem_stagType[1] = 6.0;
    EXPECT_EQ(row_choke_limit(1), 0.0);
    EXPECT_EQ(b->elem_Gmax[1], 0.0);
    EXPECT_EQ(b->elem_G2[1], 1e6);
}

// The bladed solver caps within its own evaluation: the defect is measured
// against the capped flow.
TEST_F(ChokeTest, BladedSolverCapsBeforeTheDefect) {
    ASSERT_NO_FATAL_FAILURE(make_row(Elem::Stator, 90.0, 20.0));
    b->elem_Laval[1] = 1.0;
    b->elem_G1[0] = b->elem_G2[0] = b->elem_G1[1] = b->elem_G2[1] = 1e3;
    elem_blade_1d(1, 380.0);
    const double Gmax = b->elem_Gmax[1];
    EXPECT_GT(Gmax, 0.0);
    EXPECT_EQ(b->elem_G2[1], Gmax);
    EXPECT_EQ(b->elem_G1[0], Gmax);
}

// ---- loss models inside the solve ------------------------------------------

TEST_F(BladeTest, LossModelsRunOnlyWhenAsked) {
    struct Case {
        Elem row;
        double B1g, B2a;
        const char* inside;   // ICLos 1
        const char* outside;  // ICLos 0: the deviation model only
    };
    const Case cases[] = {
        {Elem::Stator, 90.0, 20.0, "VPSNB", "V"},  // turbine: section losses, blockage
        {Elem::Stator, 30.0, 60.0, "VPSNB", "V"},  // axial compressor: shock loss too
    };
    for (const Case& c : cases) {
        for (int iclos : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "B2a " << c.B2a << ", ICLos " << iclos);
            ASSERT_NO_FATAL_FAILURE(make_row(c.row, c.B1g, c.B2a, 1e5, 300.0));
            b->ICLos = iclos;
            record_models(1);
            elem_blade_1d(1, 100.0);
            EXPECT_EQ(h2::test::model_calls(), iclos != 0 ? c.inside : c.outside);
        }
    }
}

}  // namespace
