// The outlet-state completion of an element with a side flow at its outlet,
// on the perfect test gas: an admission mixes its enthalpy into the next
// element's inlet by mass (energy balance) at the outlet's total pressure, an
// extraction leaves the stream's state as it was; either way the next
// element's inlet flow is the outlet flow with the side flow added (mass
// balance). Inlet, duct, duct on one streamline.
#include <gtest/gtest.h>

#include <cmath>

#include "halvorine2/halvorine2.h"
#include "solver/solver_api.h"
#include "solver/solver_conventions.h"
#include "solver/solver_internal.h"
#include "tests/support/example_stage.h"
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

// Moisture separation behind the second stator of a two-stage turbine (inlet, stator, rotor, stator,
// rotor) on the toy wet gas, whose dryness is (i - 200 kJ/kg) / (400 kJ/kg): the stage in front
// left the steam at a dryness of 0.95, the rotor behind reaches 0.90. Separation takes the share
// Ksep of the moisture the stage brought in, (1 - 0.95) Ksep, out of the stream: the dryness it
// aims at is y1 + (1 - y) Ksep, the flow that leaves is that rise in dryness times the rotor's
// outlet flow of the pass before (mass balance), and the enthalpy at which the remaining mixture has
// that dryness is the toy gas's own inverse.
TEST(MoistureSeparation, TakesTheStagesShareOfTheMoistureOutOfTheStream) {
    ASSERT_EQ(binit_threading(), 0);
    h2::test::BlockPtr block = h2::test::make_block();
    ASSERT_EQ(set_bdLocals(block.get()), 1);
    h2::test::TestFluid wet;
    wet.wet = true;
    wet.h_liquid = 2e5;
    wet.h_vapour = 6e5;
    h2::test::make_flow_path({Elem::Inlet, Elem::Stator, Elem::Rotor, Elem::Stator, Elem::Rotor}, 1, wet);
    bdLocals* b = block.get();
    ASSERT_NE(b->elem_af, nullptr);
    constexpr int stator = 3, rotor = 4;
    for (int i = 0; i <= 4; ++i) b->elem_af[i] = 1.0;
    b->elem_VI[rotor] = 1.0;  // separation on
    b->wet_stage_count = 2;   // the expansion went wet a stage earlier
    b->cas_b[rotor][0] = 0.03;
    b->clrn_DB2[rotor] = 0.004;
    b->elem_G2[stator] = 3.0;
    // The rotor's outlet: dryness 0.90, at 1.5 bar total.
    b->isd_i2[rotor][0] = 2e5 + 0.90 * 4e5;
    b->isd_i2x[rotor][0] = b->isd_i2[rotor][0] + 1000.0;
    b->isd_p2x[rotor][0] = 1.5e5;
    // The stator's own outlet, solved.
    b->flow_c2s[stator][0] = 150.0;
    b->flow_c2u[stator][0] = 300.0;
    b->cas_cosT2[stator][0] = 1.0;
    b->isd_p2[stator][0] = 2e5;
    b->isd_i2[stator][0] = 2e5 + 0.93 * 4e5;
    // The separated flow is figured on the rotor's outlet flow of the pass before.
    b->elem_G2[rotor] = 3.2;  // unlike its inlet flow, 3.0
    const double G2_before = b->elem_G2[rotor];
    double y = 0.95;
    complete_elem_state(stator, &y);
    EXPECT_EQ(y, 0.90);  // the running dryness moves on to the rotor's
    const double K = b->Ksep[rotor];
    ASSERT_GT(K, 0.0);
    EXPECT_EQ(b->Ksep[stator], K);
    const double target = 0.90 + (1.0 - 0.95) * K;
    EXPECT_NEAR(b->sep_target, target, 1e-15);
    // Searched from the outlet's total enthalpy up to the saturated vapour's.
    EXPECT_NEAR(b->sep_enthalpy, 2e5 + target * 4e5, 1e-6 * 4e5);
    // The separated water leaves the rotor's outlet flow.
    EXPECT_NEAR(b->elem_Gsep[rotor], -(target - 0.90) * G2_before, 1e-15);
    EXPECT_NEAR(b->elem_G2[rotor], b->elem_G1[rotor] + b->elem_Gsep[rotor], 1e-12);
    EXPECT_LT(b->elem_Gsep[rotor], 0.0);
    EXPECT_EQ(free_probdata(), 0);
    bend_threading();
}

}  // namespace

namespace {

// Compressor rows of the shipped examples, solved with their losses on the
// mean line: the parasitic work (disk friction, tip leakage) heats the
// outlet, and the outlet so heated is the one whose flow the row's speed
// search weighed: rho c_n A, the density taken afresh from the stored static
// state, is the row's flow G up to the flow defect the march reported for
// the row (none where its root was found). The outlet total enthalpy is the
// inlet's plus Euler's work and the parasitic work the shaft is charged with.
class CompressorOutletConserves : public h2::test::LiveCaseTest,
                                  public ::testing::WithParamInterface<const char*> {};

TEST_P(CompressorOutletConserves, MassAndEnergyAtEveryRotorOutlet) {
    ASSERT_TRUE(h2::test::load_example(GetParam()));
    bdLocals* b = get_bdLocals();
    b->cyld_force1D = 1;
    ASSERT_EQ(bestXN(), 0) << b->err_text;
    const int m = h2::mid_stream(*b);
    int rotors = 0;
    for (int i = 1; i <= b->cyld_ns; ++i) {
        if (b->bld_wp[i] == 0.0 || b->elem_stagType[i] != h2::kKindBlade) continue;
        SCOPED_TRACE(i);
        ++rotors;
        const bool radial = b->elem_sectType[i] == h2::kSectRadial;
        const double normal = b->flow_c2s[i][m] * (radial ? b->cas_sinT2[i][m] : b->cas_cosT2[i][m]);
        const double rho = h2::fluid(*b, H2_FLUID_RHO_PI, b->isd_p2[i][m], b->isd_i2[i][m], i);
        const double opening = b->bld_F2[i] * b->elem_Pa[i] * b->los_Fp[i][m];
        const double G = b->elem_G2[i];
        EXPECT_NEAR(std::fabs(rho * std::fabs(normal) * opening - G) / G, std::sqrt(b->delta[i]), 1e-6);
        const double c2 = std::hypot(b->flow_c2u[i][m], b->flow_c2s[i][m]);
        EXPECT_NEAR(b->isd_i2x[i][m], b->isd_i2[i][m] + c2 * c2 / 2.0, 1e-9 * b->isd_i2x[i][m]);
        const double euler =
            std::fabs(b->flow_u2[i][m]) * b->flow_c2u[i][m] - std::fabs(b->flow_u1[i][m]) * b->flow_c1u[i][m];
        const double zrz = b->enrg_zrz[i] > 0.0 ? b->enrg_zrz[i] : 0.0;
        const double parasitic = euler * zrz + b->enrg_dhd[i];
        EXPECT_GT(parasitic, 0.0);
        EXPECT_NEAR(b->isd_i2x[i][m] - b->isd_i1x[i][m], euler + parasitic, 1e-6 * euler);
    }
    EXPECT_GT(rotors, 0);
}

INSTANTIATE_TEST_SUITE_P(Examples, CompressorOutletConserves,
                         ::testing::Values("centrifugal_impeller.dat", "axial_compressor_stage.dat"));

}  // namespace
