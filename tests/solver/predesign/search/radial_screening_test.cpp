// The radial design rules a kept search point must meet: a radial turbine
// wheel's exit tip radius at most 0.78 of its inlet radius and its exit
// hub/tip at least 0.3; an impeller's W2 / W1t at least 0.6.
#include "solver/predesign/search/radial_screening.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/solver/predesign/search/predesign_fixture.h"

namespace {

using h2::predesign::radial_design_rule_broken;

class RadialScreening : public h2::test::PredesignTest {
protected:
    void SetUp() override {
        PredesignTest::SetUp();
        allocate(2);
        PD_module* t = table(1);
        t[0].type = type_;
        ASSERT_EQ(setRanges(1), 0);
        bdLocals& b = *master();
        for (int i = 0; i <= 2; ++i) b.elem_moduleNum[i] = 0.0;
    }
    int type_ = TURB_RADIAL;
};

TEST_F(RadialScreening, RadialTurbineWheelExits) {
    bdLocals& b = *master();
    b.elem_stagType[1] = b.elem_stagType[2] = 1.0;
    b.bld_wp[2] = 3000.0;
    b.bld_d2[1] = 0.3;  // the wheel's inlet diameter
    struct Case {
        double d2, l2;
        const char* why;
    };
    for (const Case c : {Case{0.15, 0.05, ""},   // tip 0.667, hub/tip 0.5
                         Case{0.17, 0.064, ""},  // tip 0.78, hub/tip 0.45
                         Case{0.15, 0.09, "module 0 TURB_RADIAL: wheel exit r2t/r1 = 0.800 above 0.78"},
                         Case{0.10, 0.06, "module 0 TURB_RADIAL: wheel exit hub/tip = 0.250 below 0.3"}}) {
        SCOPED_TRACE(c.l2);
        b.bld_d2[2] = c.d2;
        b.bld_l2[2] = c.l2;
        EXPECT_EQ(radial_design_rule_broken(b), c.why);
    }
    // A path without the module's record is not judged.
    b.elem_moduleNum[2] = 3.0;
    EXPECT_EQ(radial_design_rule_broken(b), "");
}

TEST_F(RadialScreening, ImpellerDiffusion) {
    PD_module* t = table(1);
    t[0].type = COMP_RADIAL;
    bdLocals& b = *master();
    b.elem_stagType[1] = 1.0;
    b.elem_sectType[1] = 1.0;
    b.bld_wp[1] = 3000.0;
    b.bld_d1[1] = 0.15;
    b.cas_t1[1][0] = 90.0;  // radial inflow: the tip is the inlet diameter
    b.flow_c1s[1][0] = 100.0;
    b.flow_c1u[1][0] = 0.0;
    const double w1t = std::hypot(100.0, 225.0);
    for (const double ratio : {0.65, 0.55}) {
        SCOPED_TRACE(ratio);
        b.flow_w2[1][0] = ratio * w1t;
        EXPECT_EQ(
            radial_design_rule_broken(b),
            ratio >= 0.6 ? "" : "module 0 COMP_RADIAL: impeller 1 diffuses to W2/W1t = 0.550, below 0.6");
    }
}

}  // namespace
