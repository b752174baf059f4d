// The choke search of a duct carrying steam (IF97 plug-in): the largest flow
// per unit area along the isentrope from the stagnation state, and the speed
// at which it is reached, which is the equilibrium speed of sound there.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "halvorine2/halvorine2.h"
#include "solver/solver_internal.h"
#include "tests/support/case_fixture.h"
#include "tests/support/mean_line_path.h"

namespace {

constexpr double kNo = 1e20;  // the plug-ins' answer for a state outside their range

class SteamChoke : public h2::test::LiveCaseTest {
protected:
    // Element 1, a duct of unit outlet area without swirl, its outlet fed at
    // rest from the stagnation state (h0, s0) of flxs, the main fluid.
    void make(double p0, double T0, double x) {
        ASSERT_TRUE(h2::test::make_mean_line_path({{0.2, 0.1}, {0.2, 0.1}}, {p0, 300.0, 1.0, 0.5 * p0}));
        bdLocals* b = block();
        std::snprintf(b->ModelBase, sizeof b->ModelBase, "%s", H2_PLUGIN_DIR);
        std::snprintf(b->fluidName, sizeof b->fluidName, "%s", "flxs.dll");
        ASSERT_EQ(InitFluid(0.0), 0);
        if (x >= 0.0) {
            const double h_liq = F(12, p0, p0), h_vap = F(11, p0, p0);
            h0_ = h_liq + x * (h_vap - h_liq);
        } else {
            h0_ = F(30, p0, T0);
        }
        s0_ = F(3, p0, h0_);
        ASSERT_LT(h0_, kNo);
        ASSERT_LT(s0_, kNo);
        b->isd_i1x[1][0] = b->isd_i1wx[1][0] = h0_;
        b->isd_s1[1][0] = s0_;
        b->flow_r1[1][0] = b->flow_r2[1][0] = 0.1;
        b->bld_F2[1] = 1.0;
        b->los_Fp[1][0] = 1.0;
        b->cas_cosT2[1][0] = 1.0;
        b->elem_G2[1] = 0.0;
    }
    double F(int code, double a, double b) { return block()->fluid_func(code, a, b, 0.0, 0); }
    double h0_ = 0.0;
    double s0_ = 0.0;
};

// Reference maxima of rho sqrt(2 (h0 - h)) along the IF97 isentrope: a wet
// stagnation state at 0.01 MPa (throat near 5.8 kPa, still wet) and a
// superheated one at 10 MPa, 773.15 K (throat near 5.5 MPa). At the maximum
// the speed equals the equilibrium speed of sound of the throat state.
TEST_F(SteamChoke, FindGmaxReachesTheIsentropicMaximum) {
    struct Row {
        double p0, T0, x;  // x < 0: superheated at T0
        double cmax, g;    // m/s, kg/(m^2 s)
    };
    for (const Row& r :
         {Row{1e4, 0.0, 0.95, 382.8388, 16.90666}, Row{10e6, 773.15, -1.0, 607.7323, 11590.97}}) {
        SCOPED_TRACE(r.p0);
        bterm();
        ASSERT_NE(binit(), nullptr);
        make(r.p0, r.T0, r.x);
        bdLocals* b = block();
        const double cmax = findGmax(1);
        EXPECT_NEAR(cmax, r.cmax, 1e-5 * r.cmax);
        EXPECT_NEAR(b->choke_Gmax, r.g, 1e-6 * r.g);
        // The throat: the speed of the maximum is the local speed of sound.
        const double h = h0_ - cmax * cmax / 2;
        const double p = F(8, h, s0_);
        EXPECT_NEAR(F(2, p, h) * cmax, b->choke_Gmax, 1e-9 * b->choke_Gmax);
        EXPECT_NEAR(F(4, p, h), cmax, 1e-4 * cmax);
    }
}

// From 0.01 MPa the search bound 0.9 sqrt(2 h0) lies far beyond the speeds the
// isentrope can reach above the triple-point pressure: the first golden-section
// probe already finds the fluid failing (1e20). That probe must count as no flow,
// or it would be taken for the largest flow.
TEST_F(SteamChoke, FailedPropertyCallsCountAsNoFlow) {
    make(1e4, 0.0, 0.95);
    bdLocals* b = block();
    const double wup = 0.9 * std::sqrt(2 * h0_);
    const double probe = 0.6180339887 * wup;
    ASSERT_EQ(F(8, h0_ - probe * probe / 2, s0_), kNo);
    const double cmax = findGmax(1);
    EXPECT_TRUE(std::isfinite(b->choke_Gmax));
    EXPECT_NEAR(b->choke_Gmax, 16.90666, 1e-6 * 16.90666);
    EXPECT_LT(cmax, probe);
    EXPECT_EQ(choke_flow(probe), -probe);  // below every real flow, and falling
    EXPECT_EQ(choke_flow(wup), -wup);
}

}  // namespace
