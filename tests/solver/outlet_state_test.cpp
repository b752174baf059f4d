// The outlet-state completion of an element with a side flow at its outlet,
// on the perfect test gas: an admission mixes its enthalpy into the next
// element's inlet by mass (energy balance) at the outlet's total pressure, an
// extraction leaves the stream's state as it was; either way the next
// element's inlet flow is the outlet flow with the side flow added (mass
// balance). Inlet, duct, duct on one streamline.
#include <gtest/gtest.h>

#include <cmath>

#include "halvorine2/halvorine2.h"
#include "solver/solver_internal.h"
#include "tests/support/flow_path.h"

namespace {

using h2::test::Elem;

const double kCp = h2::test::TestFluid{}.cp();
const double kK = h2::test::TestFluid{}.k;

class SideFlowOutlet : public h2::test::PathCaseTest {
protected:
    static constexpr int kOut = 1, kNext = 2;
    void SetUp() override {
        CaseTest::SetUp();
        h2::test::make_flow_path({Elem::Inlet, Elem::Duct, Elem::Duct}, 1);
        bdLocals* b = block();
        ASSERT_NE(b->elem_af, nullptr);
        for (int i = 0; i <= 2; ++i) b->elem_af[i] = 1.0;
        // The solved duct outlet: 2 bar and 500 K static, 100 m/s axial, 3 kg/s.
        b->flow_c2s[kOut][0] = 100.0;
        b->flow_c2u[kOut][0] = 0.0;
        b->cas_cosT2[kOut][0] = 1.0;
        b->cas_sinT2[kOut][0] = 0.0;
        b->flow_w2[kOut][0] = 100.0;
        b->isd_p2[kOut][0] = 2e5;
        b->isd_i2[kOut][0] = kCp * 500.0;
        b->elem_G2[kOut] = 3.0;
        b->flow_c1[kNext][0] = 80.0;  // the next inlet's speed of the last pass
        b->elem_Qotb2[kOut] = 0.0;    // a given side flow
    }
    void complete() {
        double y = -1.0;
        complete_elem_state(kOut, &y);
    }
};

TEST_F(SideFlowOutlet, AdmissionMixesItsEnthalpyByMassAtTheOutletTotalPressure) {
    bdLocals* b = block();
    b->elem_Gotb2[kOut] = 0.3;
    b->elem_Iotb2[kOut] = kCp * 800.0;  // hot air let in
    complete();
    const double i2x = kCp * 500.0 + 100.0 * 100.0 / 2.0;
    EXPECT_NEAR(b->isd_i2x[kOut][0], i2x, 1e-9 * i2x);
    // Mass, then energy: what enters the next element is the outlet flow and the admission.
    EXPECT_NEAR(b->elem_G1[kNext], 3.3, 1e-12);
    EXPECT_NEAR(b->elem_G1[kNext] * b->isd_i1x[kNext][0], 3.0 * i2x + 0.3 * kCp * 800.0, 1e-9 * 3.3 * i2x);
    // The totals mix at the outlet's total pressure, the static state on the last pass's speed.
    EXPECT_NEAR(b->isd_p1x[kNext][0], b->isd_p2x[kOut][0], 1e-6 * b->isd_p2x[kOut][0]);
    const double i1x = b->isd_i1x[kNext][0];
    EXPECT_NEAR(b->isd_i1[kNext][0], i1x - 80.0 * 80.0 / 2.0, 1e-9 * i1x);
    // Isentropic from the mixed totals to the static enthalpy: p/p* = (T/T*)^(k/(k-1)).
    const double p1 = b->isd_p1x[kNext][0] * std::pow(b->isd_i1[kNext][0] / i1x, kK / (kK - 1.0));
    EXPECT_NEAR(b->isd_p1[kNext][0], p1, 1e-6 * p1);
}

TEST_F(SideFlowOutlet, ExtractionLeavesTheStreamsStateAndTakesItsFlow) {
    bdLocals* b = block();
    b->elem_Gotb2[kOut] = -0.4;
    b->elem_Iotb2[kOut] = kCp * 800.0;  // an extraction's own state is not the stream's
    complete();
    EXPECT_NEAR(b->elem_G1[kNext], 2.6, 1e-12);
    EXPECT_EQ(b->isd_i1x[kNext][0], b->isd_i2x[kOut][0]);
    EXPECT_EQ(b->isd_i1[kNext][0], b->isd_i2[kOut][0]);
    EXPECT_EQ(b->isd_p1[kNext][0], b->isd_p2[kOut][0]);
    EXPECT_NEAR(b->isd_p1x[kNext][0], b->isd_p2x[kOut][0], 1e-9 * b->isd_p2x[kOut][0]);
}

}  // namespace
