// Axial and Curtis turbine modules composed as a host composes a design
// point: the table attached, the models built, PredC on the master. Air as
// the stand-in perfect gas (R 287, k 1.4) from 4 bar and 1000 K to 1.2 bar,
// 3 kg/s at 3000 rad/s.
#include <gtest/gtest.h>

#include <cmath>

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
