// Mean-line element without blades, against the perfect gas and an
// incompressible liquid: continuity, the isentropic pressure with the
// enthalpy loss of the velocity coefficient, angular momentum, and which loss
// models run.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "solver/solver_internal.h"
#include "tests/support/meanline_case.h"

namespace {

using h2::test::Elem;

constexpr double kP0 = 2e5;     // Pa
constexpr double kT0 = 350.0;   // K
constexpr double kFlow = 12.0;  // kg/s
// Outlet area of the duct: a circle of 0.016 m^2 / pi radius squared.
const double kArea = 0.016 * std::numbers::pi;

class ChannelTest : public h2::test::MeanlineTest {
protected:
    // Inlet and element 1 of the given kind on one streamline, element 1's
    // inlet at rest relative to its totals kP0, kT0.
    void make_channel(double kind, int nr = 1) {
        ASSERT_NO_FATAL_FAILURE(make({Elem::Inlet, Elem::Duct}, nr));
        m = nr / 2;
        b->elem_stagType[1] = kind;
        b->bld_F2[1] = kArea;
        b->elem_G1[1] = kFlow;
        b->elem_G2[1] = 2.0 * kFlow;  // an element without blades balances its inlet flow
        b->elem_G2[0] = kFlow;
        inlet_totals(1, m, kP0, kT0);
        b->isd_Ro1[1][m] = gas.density(kP0, h0());
        b->flow_w1[1][m] = 0.0;
        b->flow_c1u[1][m] = 0.0;
    }
    double h0() const { return gas.cp() * kT0; }
    int m = 0;
};

// A loss-free duct at the speed that carries its flow: no defect, and the
// static pressure of the isentropic acceleration.
TEST_F(ChannelTest, LossFreeDuctCarriesItsFlow) {
    ASSERT_NO_FATAL_FAILURE(make_channel(0.0));
    const double w = 127.3099131;
    const double r = elem_channel_1d(1, w);
    EXPECT_LE(r, 0.0);
    EXPECT_LT(std::sqrt(-r), 1e-8);

    const double h = h0() - w * w / 2.0;
    const double p = gas.isentropic_p(kP0, h0(), h);
    EXPECT_NEAR(p, 184350.83, 1e-2);  // by hand
    EXPECT_NEAR(b->isd_p2[1][0], p, 1e-9 * p);
    EXPECT_NEAR(b->isd_Ro2[1][0], gas.density(p, h), 1e-9);
    EXPECT_EQ(b->enrg_dhb[1][0], 0.0);
    // Loss-free: the outlet total pressure is the inlet's.
    EXPECT_NEAR(b->isd_p2x[1][0], kP0, 1e-9 * kP0);
    EXPECT_EQ(b->isd_p2wx[1][0], b->isd_p2x[1][0]);

    // Slower than the flow needs: the defect is the missing share of the flow.
    const double w_slow = 100.0;
    const double h_slow = h0() - w_slow * w_slow / 2.0;
    const double G = w_slow * gas.density(gas.isentropic_p(kP0, h0(), h_slow), h_slow) * kArea;
    const double d = (kFlow - G) / kFlow;
    EXPECT_NEAR(elem_channel_1d(1, w_slow), -d * d, 1e-12);
}

// The enthalpy loss takes the larger of the inlet and outlet speeds, and the
// static pressure is that of the isentropic expansion to the enthalpy less it.
TEST_F(ChannelTest, EnthalpyLossOnTheFasterEnd) {
    struct Case {
        double kind;
        double phi;
        double w1;
        double w;
        double dhb;  // by hand
    };
    const Case cases[] = {
        {2.0, 0.9, 200.0, 100.0, 3800.0},  // diffuser: the inlet is faster
        {0.0, 0.9, 50.0, 100.0, 950.0},    // duct: the outlet is faster
        {3.0, 0.8, 0.0, 100.0, 1800.0},    // U-bend
        {12.0, 0.8, 0.0, 100.0, 1800.0},   // L-bend
        {4.0, 1.0, 300.0, 100.0, 0.0},     // outlet volute, loss-free
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind);
        ASSERT_NO_FATAL_FAILURE(make_channel(c.kind));
        b->los_Los[1][0] = c.phi;
        b->flow_w1[1][0] = c.w1;
        elem_channel_1d(1, c.w);
        EXPECT_NEAR(b->enrg_dhb[1][0], c.dhb, 1e-9);
        const double h = h0() - c.w * c.w / 2.0;
        const double p = gas.isentropic_p(kP0, h0(), h - c.dhb);
        EXPECT_NEAR(b->isd_p2[1][0], p, 1e-9 * p);
        // The loss shows as a fall of total pressure: the outlet total state
        // lies on the isentrope through the outlet static state.
        const double p2x = p * std::pow(h0() / h, 3.5);
        EXPECT_NEAR(b->isd_p2x[1][0], p2x, 1e-9 * p2x);
    }
}

// A hollow keeps the loss it has.
TEST_F(ChannelTest, HollowKeepsItsLoss) {
    ASSERT_NO_FATAL_FAILURE(make_channel(7.0));
    b->los_Los[1][0] = 0.5;
    b->enrg_dhb[1][0] = 500.0;
    b->flow_w1[1][0] = 300.0;
    const double w = 100.0;
    elem_channel_1d(1, w);
    EXPECT_EQ(b->enrg_dhb[1][0], 500.0);
    const double h = h0() - w * w / 2.0;
    const double p = gas.isentropic_p(kP0, h0(), h - 500.0);
    EXPECT_NEAR(b->isd_p2[1][0], p, 1e-9 * p);
}

// Angular momentum: a free vortex within the element, or in an inlet volute
// the swirl of the element before carried inwards.
TEST_F(ChannelTest, SwirlKeepsItsAngularMomentum) {
    ASSERT_NO_FATAL_FAILURE(make_channel(0.0));
    b->flow_c1u[1][0] = 80.0;
    b->flow_r1[1][0] = 0.1;
    b->flow_r2[1][0] = 0.2;
    elem_channel_1d(1, 100.0);
    EXPECT_DOUBLE_EQ(b->flow_c2u[1][0], 40.0);
    EXPECT_DOUBLE_EQ(b->flow_c2s[1][0], std::sqrt(100.0 * 100.0 - 40.0 * 40.0));
    EXPECT_NEAR(b->cas_B2[1][0], std::atan2(b->flow_c2s[1][0], 40.0) / 0.01745329, 1e-12);

    ASSERT_NO_FATAL_FAILURE(make_channel(5.0));
    b->flow_c2u[0][0] = 50.0;
    b->flow_r2[0][0] = 0.2;
    b->flow_r2[1][0] = 0.1;
    b->flow_c1u[1][0] = 999.0;  // not the volute's source of swirl
    elem_channel_1d(1, 120.0);
    EXPECT_DOUBLE_EQ(b->flow_c2u[1][0], 100.0);
    const double cs = std::sqrt(120.0 * 120.0 - 100.0 * 100.0);
    EXPECT_DOUBLE_EQ(b->flow_c2s[1][0], cs);
    EXPECT_EQ(b->flow_c2r[1][0], -cs);
    EXPECT_EQ(b->flow_c2z[1][0], 0.0);
    const double B2 = std::atan2(cs, 100.0) / 0.01745329;
    EXPECT_DOUBLE_EQ(b->cas_B2[1][0], B2);
    EXPECT_EQ(b->cas_B2eff[1][0], b->cas_B2[1][0]);
    EXPECT_EQ(b->cas_B2a[1][0], b->cas_B2[1][0]);

    // A trial speed under the swirl still passes flow at the meridional floor.
    elem_channel_1d(1, 90.0);
    EXPECT_DOUBLE_EQ(b->flow_c2s[1][0], std::sqrt(10.0));
}

// An angular section passes the whole speed circumferentially; a radial one
// its meridional speed times the sine of the slope.
TEST_F(ChannelTest, NormalSpeedOfAngularAndRadialSections) {
    struct Case {
        double sect;
        double cn_over_w;
        double B2;
    };
    // No swirl: atan2(cs, 0) in the library's degrees, a little above 90.
    const double no_swirl = std::atan2(1.0, 0.0) / 0.01745329;
    for (Case c : {Case{2.0, 1.0, 0.0}, Case{1.0, 0.8, no_swirl}}) {
        SCOPED_TRACE(c.sect);
        ASSERT_NO_FATAL_FAILURE(make_channel(4.0));
        b->elem_sectType[1] = c.sect;
        b->cas_sinT2[1][0] = 0.8;
        b->cas_cosT2[1][0] = 0.6;
        b->los_Fp[1][0] = 0.9;
        const double w = 100.0;
        const double r = elem_channel_1d(1, w);
        const double h = h0() - w * w / 2.0;
        const double G = c.cn_over_w * w * gas.density(gas.isentropic_p(kP0, h0(), h), h) * kArea * 0.9;
        const double d = (kFlow - G) / kFlow;
        EXPECT_NEAR(r, -d * d, 1e-12);
        EXPECT_NEAR(b->cas_B2[1][0], c.B2, 1e-12);
        if (c.sect == 2.0) {
            EXPECT_EQ(b->flow_c2u[1][0], w);
            EXPECT_EQ(b->flow_c2s[1][0], 0.0);
            EXPECT_EQ(b->elem_cz_[1], 0.0);
        }
    }
}

// A liquid loses total pressure: p2 = p0 - rho w^2/2 - rho (1 - phi^2) W/2.
TEST_F(ChannelTest, LiquidLosesTotalPressure) {
    ASSERT_NO_FATAL_FAILURE(make_channel(2.0));
    const double rho = h2::test::kLiquidDensity;
    const double p0 = 3e5;
    liquid_inlet(1, 0, p0);
    b->los_Los[1][0] = 0.9;
    b->flow_w1[1][0] = 12.0;
    const double w = 10.0;
    elem_channel_1d(1, w);
    const double loss = (1.0 - 0.81) * 144.0 / 2.0;
    EXPECT_NEAR(b->isd_p2x[1][0], p0 - rho * loss, 1e-6);
    EXPECT_NEAR(b->isd_p2[1][0], p0 - rho * loss - rho * w * w / 2.0, 1e-6);
    EXPECT_NEAR(b->isd_i2x[1][0], (p0 - rho * loss) / rho, 1e-9);
    EXPECT_EQ(b->isd_i2x[1][0], b->isd_i2wx[1][0]);
}

// The element's loss, deviation and blockage models run inside the solve only
// when the case asks for it, and only the kind's own.
TEST_F(ChannelTest, LossModelsOfTheKindRunOnlyWhenAsked) {
    struct Case {
        double kind;
        double sect;
        const char* calls;  // with the models evaluated inside
    };
    const Case cases[] = {
        {0.0, 0.0, ""},     // duct
        {2.0, 0.0, "PSV"},  // vaneless diffuser
        {3.0, 0.0, "PSV"},  // U-bend
        {9.0, 0.0, "PSV"},  // L-bend
        {5.0, 0.0, "PSV"},  // inlet volute
        {4.0, 2.0, "PSV"},  // outlet volute on its angular section
        {4.0, 0.0, ""},     // outlet volute elsewhere
        {7.0, 0.0, ""},     // hollow
    };
    for (const Case& c : cases) {
        for (int iclos : {0, 1}) {
            SCOPED_TRACE(testing::Message()
                         << "kind " << c.kind << ", section " << c.sect << ", ICLos " << iclos);
            ASSERT_NO_FATAL_FAILURE(make_channel(c.kind));
            b->elem_sectType[1] = c.sect;
            b->flow_r2[0][0] = 0.1;
            b->ICLos = iclos;
            record_models(1);
            elem_channel_1d(1, 100.0);
            EXPECT_EQ(h2::test::model_calls(), iclos != 0 ? c.calls : "");
        }
    }
}

// The gravity head across the element adds to its total enthalpy: a
// streamline that falls by 0.1 m (disposition 0) gains 0.981 J/kg.
TEST_F(ChannelTest, GravityHeadAddsToTheTotalEnthalpy) {
    ASSERT_NO_FATAL_FAILURE(make_channel(0.0));
    b->flow_r1[1][0] = 0.3;
    b->flow_r2[1][0] = 0.2;
    elem_channel_1d(1, 100.0);
    EXPECT_NEAR(b->isd_i2wx[1][0], h0() + 9.81 * 0.1, 1e-9);
}

}  // namespace
