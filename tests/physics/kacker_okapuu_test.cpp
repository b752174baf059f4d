// The Kacker-Okapuu turbine loss correlations (plugins/losses/kacker_okapuu.h)
// against the equations and charts of their papers, worked by hand, and the
// default turbine plug-ins that read a case's section into them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "case/text_field.h"
#include "halvorine2/halvorine2.h"
#include "halvorine2/loss_plugin.h"
#include "physics/loss_host.h"
#include "plugins/losses/kacker_okapuu.h"
#include "tests/support/case_fixture.h"

namespace {

using namespace h2::losses::ko;
constexpr double kDeg = 0.01745329;

// Ainley-Mathieson's charts in Aungier's fit: at the optimum pitch X = 0 the
// loss is the fit's A; away from it the B and C terms, by hand.
struct ChartCase {
    double (*chart)(double, double);
    double pitch_chord, exit_deg, expected;
};
class AinleyMathiesonChart : public testing::TestWithParam<ChartCase> {};
TEST_P(AinleyMathiesonChart, MatchesTheFit) {
    const ChartCase& c = GetParam();
    EXPECT_NEAR(c.chart(c.pitch_chord, c.exit_deg), c.expected, 1e-12);
}
// phi = 90 - alpha2 from the circumferential direction.
constexpr double kNozzle70Min = 0.46 + 20.0 / 77.0;    // phi 20
constexpr double kNozzle60Min = 0.614 + 30.0 / 130.0;  // phi 30
constexpr double kImpulse60Min = 0.224 + 1.575 / 3.0 - 1.0 / 9.0;
INSTANTIATE_TEST_SUITE_P(
    Aungier, AinleyMathiesonChart,
    testing::Values(
        // Nozzle, 70 deg exit: A = 0.025 + 7/530 = 0.0382075.
        ChartCase{am_nozzle_loss, kNozzle70Min, 70.0, 0.025 + 7.0 / 530.0},
        // 0.1 above the optimum: + B X^2 + C X^3, B = 0.1583 - 20/1640, C = 0.08 (4/9 - 1).
        ChartCase{am_nozzle_loss, kNozzle70Min + 0.1, 70.0,
                  0.025 + 7.0 / 530.0 + (0.1583 - 20.0 / 1640.0) * 0.01 + 0.08 * (4.0 / 9.0 - 1.0) * 0.001},
        // Nozzle, 60 deg exit: A = 0.025 - 3/3085 = 0.0240276; 0.2 off: B |X|^2 with n = 2.
        ChartCase{am_nozzle_loss, kNozzle60Min, 60.0, 0.025 - 3.0 / 3085.0},
        ChartCase{am_nozzle_loss, kNozzle60Min - 0.2, 60.0,
                  0.025 - 3.0 / 3085.0 + (0.1583 - 30.0 / 1640.0) * 0.04},
        // Impulse, 60 deg exit: A = 0.242 - 30/151 + (30/127)^2 = 0.0991246.
        ChartCase{am_impulse_loss, kImpulse60Min, 60.0,
                  0.242 - 30.0 / 151.0 + (30.0 / 127.0) * (30.0 / 127.0)},
        ChartCase{am_impulse_loss, kImpulse60Min + 0.1, 60.0,
                  0.242 - 30.0 / 151.0 + (30.0 / 127.0) * (30.0 / 127.0) + 0.3 * 0.01 -
                      (0.88 - 30.0 / 42.4 + (30.0 / 72.8) * (30.0 / 72.8)) * 0.001},
        // Outside the charts' 40..80 degrees the nearer end holds.
        ChartCase{am_nozzle_loss, kNozzle70Min, 30.0, am_nozzle_loss(kNozzle70Min, 40.0)}));

// Kacker-Okapuu's blend of the two charts by (b1'/a2) |b1'/a2| and their
// thickness correction (t/c / 0.2)^(b1'/a2).
TEST(KackerOkapuu, ProfileBlendAndThickness) {
    const double sc = 0.8, a2 = 65.0;
    const double nozzle = am_nozzle_loss(sc, a2), impulse = am_impulse_loss(sc, a2);
    EXPECT_NEAR(amdc_profile_loss(sc, 0.0, a2, 0.3), nozzle, 1e-15);  // axial inlet: no thickness term
    EXPECT_NEAR(amdc_profile_loss(sc, a2, a2, 0.2), impulse, 1e-15);
    EXPECT_NEAR(amdc_profile_loss(sc, a2, a2, 0.3), impulse * 1.5, 1e-15);
    EXPECT_NEAR(amdc_profile_loss(sc, a2 / 2.0, a2, 0.25),
                (nozzle + 0.25 * (impulse - nozzle)) * std::sqrt(1.25), 1e-15);
    // An inlet on the exit's side lowers the loss, but not below 80 % of the nozzle's.
    EXPECT_NEAR(amdc_profile_loss(sc, -a2, a2, 0.2), 0.8 * nozzle, 1e-15);
}

// The correction factors of Kacker and Okapuu, by hand.
TEST(KackerOkapuu, CorrectionFactors) {
    // M1 0.3, M2 0.8: K1 = 1 - 1.25 x 0.6 = 0.25, K2 = (0.375)^2, Kp = 1 - K2 x 0.75.
    EXPECT_NEAR(channel_acceleration_factor(0.3, 0.8), 1.0 - 0.140625 * 0.75, 1e-15);
    EXPECT_DOUBLE_EQ(channel_acceleration_factor(0.1, 0.15), 1.0);
    // Fig. 8: a rotor at hub-tip 0.65 lies halfway between 1.7 and 1.35; a stator at 0.75 between 1.05
    // and 1.0.
    EXPECT_NEAR(hub_mach_ratio(0.65, true), 1.525, 1e-12);
    EXPECT_NEAR(hub_mach_ratio(0.75, false), 1.025, 1e-12);
    EXPECT_NEAR(hub_mach_ratio(0.3, true), 2.15, 1e-12);
    // Reynolds factor: (1e5/2e5)^-0.4 = 2^0.4, flat in between, (4e6/1e6)^-0.2.
    EXPECT_NEAR(reynolds_factor(1e5), std::pow(2.0, 0.4), 1e-12);
    EXPECT_DOUBLE_EQ(reynolds_factor(5e5), 1.0);
    EXPECT_NEAR(reynolds_factor(4e6), std::pow(4.0, -0.2), 1e-12);
    // Supersonic drag rise at M2 1.2: 1 + 60 x 0.04.
    EXPECT_NEAR(supersonic_drag_factor(1.2), 3.4, 1e-12);
    EXPECT_DOUBLE_EQ(supersonic_drag_factor(0.95), 1.0);
}

// The hub shock: a stator at hub-tip 0.5 with M1 0.5 sees 0.7 at its hub.
TEST(KackerOkapuu, InletShockAtTheHub) {
    const double M1 = 0.5, M2 = 0.9, k = 1.4;
    const double hub = 0.75 * std::pow(0.7 - 0.4, 1.75);
    const double q1 = 1.0 - std::pow(1.0 + 0.2 * M1 * M1, 3.5), q2 = 1.0 - std::pow(1.0 + 0.2 * M2 * M2, 3.5);
    EXPECT_NEAR(inlet_shock_loss(M1, M2, 0.5, false, 1.5, k), hub * 0.5 * 1.5 * q1 / q2, 1e-12);
    // Below M1,hub 0.4 there is none.
    EXPECT_DOUBLE_EQ(inlet_shock_loss(0.3, M2, 0.9, false, 1.5, k), 0.0);
}

// The assembled profile loss: 0.914 (2/3 Y_AMDC K_p + Y_shock) f_M f_Re.
TEST(KackerOkapuu, ProfileLossAssembly) {
    ProfileInputs in{0.8, 0.0, 70.0, 0.2, 0.2, 0.7, 0.8, false, 1.6, 1.4, 1e5};
    const double expected = 0.914 * (2.0 / 3.0) * am_nozzle_loss(0.8, 70.0) *
                            channel_acceleration_factor(0.2, 0.7) * std::pow(2.0, 0.4);
    EXPECT_NEAR(profile_loss(in), expected, 1e-15);
}

// Secondary loss, a nozzle with axial inlet turning to 60 degrees, h/c 1, b_x/h 0.8, K_p 0.9:
// tan a_m = tan 60 / 2, Z = (2 tan 60 cos a_m)^2 cos^2 60 / cos^3 a_m = 3.968626,
// f(AR) = 1 - 0.25, K_s = 1 - 0.64 x 0.1, Y_s = 1.2 K_s 0.0334 f(AR) cos 60 Z = 0.055831.
TEST(KackerOkapuu, SecondaryLoss) {
    EXPECT_NEAR(loading_parameter(0.0, 60.0), 3.968626, 1e-5);
    EXPECT_NEAR(aspect_ratio_factor(1.0), 0.75, 1e-15);
    EXPECT_NEAR(aspect_ratio_factor(4.0), 0.25, 1e-15);
    EXPECT_NEAR(secondary_loss(0.0, 0.0, 60.0, 1.0, 0.8, 0.9), 0.055831, 1e-5);
    // Doubling the height at h/c 2 and beyond halves it.
    EXPECT_NEAR(secondary_loss(0.0, 0.0, 60.0, 4.0, 0.0, 1.0),
                secondary_loss(0.0, 0.0, 60.0, 2.0, 0.0, 1.0) / 2.0, 1e-12);
}

// Trailing edge, Fig. 14: t/o 0.1 on a nozzle blade 0.0225, 0.3 on an impulse blade 0.05.
TEST(KackerOkapuu, TrailingEdge) {
    EXPECT_NEAR(trailing_edge_energy_loss(0.1, 0.0, 70.0), 0.0225, 1e-15);
    EXPECT_NEAR(trailing_edge_energy_loss(0.3, 70.0, 70.0), 0.05, 1e-15);
    EXPECT_NEAR(trailing_edge_energy_loss(0.3, 35.0, 70.0), 0.0975 + 0.25 * (0.05 - 0.0975), 1e-15);
    EXPECT_NEAR(energy_loss_of_dphi2(0.05), 0.05 / 0.95, 1e-15);
}

// Unshrouded tip: 0.93 (k / (h cos a2)) (r_t/r_m), k/h 0.01, exit 60 degrees, r_t/r_m 1.1.
TEST(KackerOkapuu, UnshroudedTip) {
    EXPECT_NEAR(unshrouded_efficiency_loss(0.001, 0.1, 60.0, 1.1), 0.93 * 0.01 / std::cos(60.0 * kDeg) * 1.1,
                1e-12);
    EXPECT_DOUBLE_EQ(unshrouded_efficiency_loss(0.0, 0.1, 60.0, 1.1), 0.0);
}

// Pressure-loss to energy-loss coefficient: Y 0.1 at M2 0.8 in air, by the isentropic relations,
// p02/p2 = 1.128^3.5 = 1.52434, p01/p2 = 1.57677, zeta = 0.075126; the low-speed limit is Y itself.
TEST(KackerOkapuu, EnergyLossOfPressureLoss) {
    EXPECT_NEAR(energy_loss_of_pressure_loss(0.1, 0.8, 1.4), 0.075126, 1e-6);
    EXPECT_NEAR(energy_loss_of_pressure_loss(0.1, 0.01, 1.4), 0.1, 1e-4);
    EXPECT_DOUBLE_EQ(energy_loss_of_pressure_loss(0.0, 0.8, 1.4), 0.0);
}

// ---------------------------------------------------------------------------
// The default turbine plug-ins read a case section into these correlations.

class DefaultTurbineModels : public h2::test::LiveCaseTest {
protected:
    void SetUp() override {
        LiveCaseTest::SetUp();
        allocate(2, 1);
        bdLocals* b = block();
        b->cyld_VART = 10;
        h2::copy_text(b->ModelBase, H2_PLUGIN_DIR);
        b->elem_p0[0] = 2e5;
        b->elem_p2[2] = 1e5;
        for (int i = 1; i <= 2; ++i) {
            b->elem_stagType[i] = 1.0;
            b->elem_G1[i] = 10.0;
            for (double* s :
                 {b->elem_MethodP, b->elem_MethodS, b->elem_MethodN, b->elem_MethodV, b->elem_MethodR})
                s[i] = 1.0;
            b->bld_d1[i] = b->bld_d2[i] = 0.5;
            b->bld_l1[i] = b->bld_l2[i] = 0.05;
            b->cas_b[i][0] = 0.05;
            b->cas_bx[i][0] = 0.04;
            b->cas_t[i][0] = 0.04;
            b->cas_r2[i][0] = 0.0004;
            b->flow_w2[i][0] = 300.0;
            b->flow_Mw2[i][0] = 0.7;
            b->isd_a1[i][0] = 500.0;
            b->flow_w1[i][0] = 100.0;  // inlet Mach 0.2
            b->isd_k[i][0] = 1.4;
        }
        // Nozzle: axial inlet, exit 20 degrees from circumferential (70 from axial).
        b->bld_z[1] = 40;
        b->cas_B1g[1][0] = b->cas_B1[1][0] = 90.0;
        b->cas_B2a[1][0] = b->cas_B2[1][0] = 20.0;
        // Unshrouded rotor: gap 1 mm on a 50 mm blade.
        b->bld_wp[2] = 300.0;
        b->bld_z[2] = 60;
        b->cas_B1g[2][0] = b->cas_B1[2][0] = 90.0;
        b->cas_B2a[2][0] = 150.0;
        b->cas_B2[2][0] = 30.0;
        b->clrn_Zrr[2] = -1.0;
        b->clrn_drr[2] = 0.001;
        ASSERT_EQ(InitLoses(), 0);
    }
    void run(int slot, int i) {
        const LossCalcFunc f = h2::section_model(block(), slot, i, 0);
        ASSERT_NE(f, nullptr);
        f(block(), i, 0);
    }
};

// The nozzle: s/c 0.8, axial inlet, 70 degrees out, t/c 0.2 (no section model), M 0.2 to 0.7,
// and no viscosity in the case (Re taken as 1e6, factor 1).
TEST_F(DefaultTurbineModels, NozzleSectionReadsTheCase) {
    bdLocals* b = block();
    run(H2_LOSS_P, 1);
    run(H2_LOSS_S, 1);
    run(H2_LOSS_N, 1);
    const double Yp = 0.914 * 2.0 / 3.0 * am_nozzle_loss(0.8, 70.0) * channel_acceleration_factor(0.2, 0.7);
    EXPECT_NEAR(b->los_XP[1][0], 100.0 * energy_loss_of_pressure_loss(Yp, 0.7, 1.4), 1e-9);
    // h/c 1, b_x/h 0.8.
    const double Ys = secondary_loss(0.0, 0.0, 70.0, 1.0, 0.8, channel_acceleration_factor(0.2, 0.7));
    EXPECT_NEAR(b->los_XS[1][0], 100.0 * energy_loss_of_pressure_loss(Ys, 0.7, 1.4), 1e-9);
    // t/o = 0.0008 / (0.04 sin 20).
    const double te_o = 0.0008 / (0.04 * std::sin(20.0 * kDeg));
    EXPECT_NEAR(b->los_XA[1][0], 100.0 * energy_loss_of_dphi2(trailing_edge_energy_loss(te_o, 0.0, 70.0)),
                1e-9);
    const double sum = b->los_XP[1][0] + b->los_XS[1][0] + b->los_XA[1][0];
    EXPECT_NEAR(b->los_Los[1][0], std::sqrt(100.0 / (100.0 + sum)), 1e-12);
}

// A rotor whose flow and metal arrive at 40 degrees from circumferential (50 from axial, on the side
// opposite to its exit at 60 from axial) reads as a reaction blade of blade ratio 50/60.
TEST_F(DefaultTurbineModels, RotorInletAngleCarriesTheReactionSign) {
    bdLocals* b = block();
    b->cas_B1g[2][0] = b->cas_B1[2][0] = 40.0;
    run(H2_LOSS_P, 2);
    const double Yp =
        0.914 * 2.0 / 3.0 * amdc_profile_loss(0.8, 50.0, 60.0, 0.2) * channel_acceleration_factor(0.2, 0.7);
    EXPECT_NEAR(b->los_XP[2][0], 100.0 * energy_loss_of_pressure_loss(Yp, 0.7, 1.4), 1e-6);
}

// The unshrouded rotor's tip flow is Kacker-Okapuu's efficiency loss as a share of its 10 kg/s:
// k/h 0.02, exit 60 degrees from axial, r_t/r_m 1.1.
TEST_F(DefaultTurbineModels, UnshroudedRotorBypassesItsEfficiencyLoss) {
    bdLocals* b = block();
    const LossElemFunc f = h2::element_model(b, H2_LOSS_R, 2);
    ASSERT_NE(f, nullptr);
    f(b, 2);
    EXPECT_NEAR(b->elem_Gr[2], 10.0 * 0.93 * 0.02 / std::cos(60.0 * kDeg) * 1.1, 1e-9);
    // Two teeth on a shroud: Martin's labyrinth over the shroud seal instead.
    b->clrn_Zrr[2] = 2.0;
    b->bld_dub[2] = 0.6;
    b->isd_p1[2][0] = 1.4e5;
    b->isd_p2[2][0] = 1.0e5;
    b->isd_Ro1[2][0] = 1.6;
    f(b, 2);
    EXPECT_NEAR(b->elem_Gr[2],
                h2::losses::martin_labyrinth_flow(3.14159265 * 0.6 * 0.001, 1.4e5, 1.6, 1e5, 2), 1e-12);
}

// Every default turbine model names its source.
TEST_F(DefaultTurbineModels, NotesNameTheirSources) {
    for (int slot : {H2_LOSS_P, H2_LOSS_S, H2_LOSS_N, H2_LOSS_R}) {
        const LossNoteFunc f = h2::model_note(block(), slot, 2);
        ASSERT_NE(f, nullptr);
        char buffer[H2_LOSS_NOTE_SIZE] = "fixed";
        f(H2_LOSS_NOTE_SIZE, buffer);
        const std::string note(buffer);
        EXPECT_NE(note.find("Kacker-Okapuu"), std::string::npos) << slot << ": " << note;
        EXPECT_NE(note.find("</note>"), std::string::npos) << slot << ": " << note;
    }
}

}  // namespace

namespace {

// Ainley-Mathieson's exit angle on a throat angle of 60 degrees from axial (o/s = cos 60): at low
// speed -11.15 + 1.154 x 60 = 58.09, 1.91 degrees of deviation; the cosine rule (none) at sonic
// exit; linear in the exit Mach number between 0.5 and 1. A nozzle's gauging angle of 30 from
// circumferential gives +1.91, a rotor's of 150 (folded) -1.91.
struct DeviationCase {
    double mach, expected;
};
class TurbineDeviation : public h2::test::LiveCaseTest, public testing::WithParamInterface<DeviationCase> {};
TEST_P(TurbineDeviation, FollowsAinleyMathiesonToTheCosineRule) {
    allocate(2, 1);
    bdLocals* b = block();
    b->cyld_VART = 10;
    h2::copy_text(b->ModelBase, H2_PLUGIN_DIR);
    b->elem_p0[0] = 2e5;
    b->elem_p2[2] = 1e5;
    for (int i = 1; i <= 2; ++i) {
        b->elem_stagType[i] = 1.0;
        b->elem_MethodV[i] = 1.0;
        b->bld_z[i] = 40;
        b->cas_t[i][0] = 0.04;
        b->flow_Mw2[i][0] = GetParam().mach;
    }
    b->bld_wp[2] = 300.0;
    b->cas_B1g[1][0] = 90.0;
    b->cas_B2a[1][0] = 30.0;
    b->cas_B1g[2][0] = 60.0;
    b->cas_B2a[2][0] = 150.0;
    ASSERT_EQ(InitLoses(), 0);
    for (int i = 1; i <= 2; ++i) {
        const LossCalcFunc f = h2::section_model(b, H2_LOSS_V, i, 0);
        ASSERT_NE(f, nullptr);
        f(b, i, 0);
    }
    EXPECT_NEAR(b->cas_dR[1][0], GetParam().expected, 1e-3);
    EXPECT_NEAR(b->cas_dR[2][0], -GetParam().expected, 1e-3);
}
constexpr double kLowSpeedDeviation = 60.0 - (-11.15 + 1.154 * 60.0);  // 1.91
INSTANTIATE_TEST_SUITE_P(ExitMach, TurbineDeviation,
                         testing::Values(DeviationCase{0.3, kLowSpeedDeviation},
                                         DeviationCase{0.5, kLowSpeedDeviation},
                                         DeviationCase{0.75, kLowSpeedDeviation / 2.0},
                                         DeviationCase{1.0, 0.0}, DeviationCase{1.3, 0.0}));

}  // namespace
