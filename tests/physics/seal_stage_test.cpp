// The cavity balance of a stage whose two sides differ, against values
// worked by hand: a stage without balance holes, the hole flow as an
// isentropic nozzle, the root-gap jets, and the swirl of cavities that the
// main stream enters.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "halvorine2/halvorine2.h"
#include "physics/disk_load.h"
#include "physics/seal_leakage.h"
#include "tests/support/asymmetric_stage.h"
#include "tests/support/captured_console.h"

namespace {

using namespace h2::test;

constexpr int ps = kAsymStator, i = kAsymRotor;
constexpr double kWp = 3000.0;
constexpr double kRX = 0.09, kRY = 0.10;        // root radii in front of and behind the disk
constexpr double kRhoX = 2.90, kRhoY = 2.40;    // hub densities in front of and behind the disk
constexpr double kP11 = 3.00e5, kP21 = 2.50e5;  // hub pressures in front of and behind the disk
constexpr double kI0DY = 3.12e5;                // inlet, middle streamline
// Exponent at (P11, i2 of the stator's hub) = (3.00 bar, 300 kJ/kg):
// k = 1.3 + 0.03 + 0.015 = 1.345, (k - 1)/k = 0.2565056.
constexpr double kKK1 = 0.345 / 1.345;

constexpr double kSealFlow = 0.04;  // kg/s through the diaphragm of a stage without holes
void constant_seal(bdLocals* b, int element) { b->elem_Gdu[element] = kSealFlow; }

// Seal flow proportional to the drop from the seal's upstream pressure to
// the trial cavity pressure.
double g_conductance = 1e-6;  // kg/s per Pa
void linear_seal(bdLocals* b, int element) {
    const int r = static_cast<int>(b->lkg_elem);
    b->elem_Gdu[element] = g_conductance * (b->lkgn_P0DY[r] - b->lkgn_PX[r]);
}

// Closed-form pieces of a hand calculation.
double friction_cf(double r) { return 0.0325 * std::pow(r * kWp * r / 1.7e-5, -0.2); }
double swirl_step(double z0, double beta, double r0, double r1, double dr) {
    const double s = r1 / r0, d = dr / r0;
    return (z0 + beta * d * s * s) / (1.0 + 2.0 * d * (beta * s * s + 1.0 / s));
}

class AsymmetricStage : public PathCaseTest {
protected:
    void SetUp() override {
        CaseTest::SetUp();
        unitsSetSI();
        g_conductance = 1e-6;
    }
    std::string run() {
        CapturedConsole console;
        EXPECT_EQ(calc_stage_leakage(i, 0), 0);
        return console.text();
    }
};

TEST_F(AsymmetricStage, WithoutHolesMatchesTheBalanceWorkedByHand) {
    make_asymmetric_stage(&constant_seal);
    bdLocals* b = block();
    b->clrn_Zr8[i] = 0.0;
    b->lkgn_GDYY[ps] = 0.015;  // what the next stage's seal took from cavity Y
    b->IPL = 3;
    const std::string text = run();

    // The hole circle between seal and roots: (2 min(0.09, 0.10) + max(0.12, 0.10))/2.
    EXPECT_DOUBLE_EQ(b->clrn_ORO[i], 0.15);
    // Rotational pressure rises, w = 3000^2/32 = 281250:
    // DPD = (0.15^2 - 0.12^2) w 2.90, DPB = (4 0.09^2 - 0.15^2) w 2.90,
    // DPDY = (0.15^2 - 0.10^2) w 2.40, DPBY = (4 0.10^2 - 0.15^2) w 2.40.
    EXPECT_NEAR(b->lkgn_DPD[i], 6606.5625, 1e-8);
    EXPECT_NEAR(b->lkgn_DPB[i], 8074.6875, 1e-8);
    EXPECT_NEAR(b->lkgn_DPDY[i], 8437.5, 1e-8);
    EXPECT_NEAR(b->lkgn_DPBY[i], 11812.5, 1e-8);
    // The cavities sit one rise below the main stream at the roots.
    EXPECT_NEAR(b->lkgn_PX[i], kP11 - 8074.6875, 1e-8);
    EXPECT_NEAR(b->lkgn_PY[i], kP21 - 11812.5, 1e-8);
    EXPECT_NEAR(b->lkgn_KK1[i], kKK1, 1e-14);
    EXPECT_EQ(b->lkgn_P0DY[i], 3.40e5);
    EXPECT_EQ(b->lkgn_I0DY[i], kI0DY);
    EXPECT_EQ(b->lkgn_IX[i], kI0DY);
    EXPECT_EQ(b->lkgn_IY[i], 2.90e5);
    EXPECT_EQ(b->lkgn_RD[i], kRhoX);
    EXPECT_EQ(b->lkgn_RP[i], kRhoX);
    EXPECT_EQ(b->lkgn_RR[i], kRhoY);
    EXPECT_EQ(b->lkgn_RPY[i], kRhoY);
    // The seal flow leaves X through the root gap; Y takes from the main
    // stream what the next seal takes from it.
    EXPECT_EQ(b->lkgn_GDY[ps], kSealFlow);
    EXPECT_EQ(b->lkgn_GP[i], kSealFlow);
    EXPECT_EQ(b->lkgn_GPY[i], -0.015);
    const double FP = kRX * 6.2831853 * 0.002, FPY = kRY * 6.2831853 * 0.0015;
    EXPECT_NEAR(b->lkgn_FP[i], FP, 1e-15);
    EXPECT_NEAR(b->lkgn_FPY[i], FPY, 1e-15);
    EXPECT_NEAR(b->lkgn_CP[i], 0.04 / (kRhoX * FP), 1e-10);      // 12.1958 m/s
    EXPECT_NEAR(b->lkgn_CPY[i], -0.015 / (kRhoY * FPY), 1e-10);  // -6.6315 m/s
    EXPECT_EQ(b->lkgn_GRO[i], 0.0);
    // Friction of the four annuli, cf = 0.0325 X^-0.2: at the hole circle
    // (r 0.075) 2.0536e-3, at the roots 1.9092e-3 (0.09) and 1.8304e-3 (0.10).
    EXPECT_NEAR(b->lkgn_CF1[i], 2.0536404e-3, 1e-10);
    EXPECT_NEAR(b->lkgn_CF2[i], 1.9092020e-3, 1e-10);
    EXPECT_NEAR(b->lkgn_CF3[i], 2.0536404e-3, 1e-10);
    EXPECT_NEAR(b->lkgn_CF4[i], 1.8304122e-3, 1e-10);
    EXPECT_NEAR(b->lkgn_KSI1[i], 3.215 * 2.0536404e-3, 1e-9);
    EXPECT_NEAR(b->lkgn_KSI2[i], 3.215 * 1.9092020e-3, 1e-9);
    EXPECT_NEAR(b->lkgn_KSI4[i], 3.215 * 1.8304122e-3, 1e-9);
    // Stations: (0.14 - 0.12)/8, (0.09 - 0.08)/5, (0.14 - 0.10)/8, (0.10 - 0.08)/5.
    EXPECT_NEAR(b->lkgn_ZAG1[i], 0.0025, 1e-15);
    EXPECT_NEAR(b->lkgn_ZAG2[i], 0.002, 1e-15);
    EXPECT_NEAR(b->lkgn_ZAG3[i], 0.005, 1e-15);
    EXPECT_NEAR(b->lkgn_ZAG4[i], 0.004, 1e-15);
    const double rd1[] = {0.06, 0.0625, 0.065, 0.0675, 0.07, 0.08, 0.082, 0.084, 0.086, 0.088, 0.09};
    const double rd2[] = {0.05, 0.055, 0.06, 0.065, 0.07, 0.08, 0.084, 0.088, 0.092, 0.096, 0.10};
    for (int k = 0; k < h2::kSwirlStations; ++k) {
        EXPECT_NEAR(h2::swirl_row(b->RD1, i)[k], rd1[k], 1e-15) << k;
        EXPECT_NEAR(h2::swirl_row(b->RD2, i)[k], rd2[k], 1e-15) << k;
    }
    // Disk friction term 0.003 3000^3 0.09^5 2.40.
    EXPECT_NEAR(b->lkgn_DHD[i], 1147.91256, 1e-8);
    // Axial force: pi/4 [0.0081 (PX - DPD/2) + 0.0099 (PX + DPB/2)
    //                    - 0.0125 (PY - DPDY/2) - 0.0175 (PY + DPBY/2)].
    EXPECT_NEAR(b->elem_RAD[i], -1514.5470903, 1e-6);
    EXPECT_EQ(b->lkgn_RAD[i], b->elem_RAD[i]);

    // The iteration lines, printed once, with the hand values.
    char x_line[200], y_line[200];
    std::snprintf(x_line, sizeof x_line, "X02: P11=%g Pa GDY=%g kg/s GROX=%g kg/s GPX=%g kg/s delta=%g\n",
                  kP11, 0.04, 0.0, 0.04, 0.0);
    std::snprintf(y_line, sizeof y_line,
                  "Y02: P21=%g Pa PX=%g Pa PY=%g Pa GPY=%g kg/s GROY=%g kg/s GDYY=%g kg/s delta=%g\n", kP21,
                  kP11 - 8074.6875, kP21 - 11812.5, -0.015, 0.0, 0.015, 0.0);
    EXPECT_NE(text.find(x_line), std::string::npos) << x_line << text;
    EXPECT_NE(text.find(y_line), std::string::npos) << y_line << text;

    // The stage's row of the disk-load table and the load line, with the hand values.
    char row[300];
    std::snprintf(row, sizeof row,
                  "%-3d %-3d %11.3e %11.3e %11.3e %11.3e %11.3e %11.3e %11.3e %11.3e %11.3e %11.3e %11.3e "
                  "%11.3e %11.3e\n",
                  1, 2, 0.04, 0.04, 0.0, 0.0, -0.015, 0.015, 3.2, 3.40e5, kP11, kP21, kP11, kP21,
                  -1514.5470903);
    b->IPL = 1;
    EXPECT_EQ(run(), row);
    // Level 2: the flow and pressure tables, then the load.
    char flows[200], pressures[200];
    std::snprintf(flows, sizeof flows, "%11.3e%11.3e%11.3e%11.3e%11.3e%11.3e%11.3e%11.3e\n", 0.04, 0.04, 0.0,
                  0.0, -0.015, 0.015, 0.01, 3.0);
    std::snprintf(pressures, sizeof pressures,
                  " %9.2e %9.2e %9.2e %9.2e %9.2e %9.2e %9.2e %9.2e %6.2f %6.2f %6.2f \n", kP11 - 8074.6875,
                  kI0DY, kP21 - 11812.5, 2.90e5, 6606.5625, 8074.6875, 8437.5, 11812.5, 12.1957811,
                  -6.6314560, 0.0);
    b->IPL = 2;
    const std::string level2 = run();
    EXPECT_NE(level2.find(flows), std::string::npos) << flows << level2;
    EXPECT_NE(level2.find(pressures), std::string::npos) << pressures << level2;
    const std::string load = "\nDisk axial load: -1514.55 N\n";
    EXPECT_EQ(level2.substr(level2.size() - load.size()), load);
}

// With the holes of the fixture: hole circle 0.14 m, its middle 0.075 m.
constexpr double kDPB = 10440.0;   // (4 0.09^2 - 0.14^2) w 2.90
constexpr double kDPBY = 13770.0;  // (4 0.10^2 - 0.14^2) w 2.40
constexpr double kFRO = 6.0 * 0.7853981625 * 0.01 * 0.01;
constexpr double kFP = kRX * 6.2831853 * 0.002, kFPY = kRY * 6.2831853 * 0.0015;

// Speed of the isentropic jet from total enthalpy h across the pressure ratio p_down/p_up.
double nozzle_speed(double h, double p_down, double p_up) {
    return std::sqrt(2.0 * h * (1.0 - std::pow(p_down / p_up, kKK1)));
}
// Root-gap discharge at jet speed c through a gap of width gap (nu 1.7e-5).
double gap_discharge(double c, double gap) { return root_gap_discharge(gap * c / (1.7e-5 * 500.0), gap); }

// Both cavities drain into the main stream (no next stage takes from Y).
TEST_F(AsymmetricStage, HoleAndRootGapJetsAreIsentropicNozzles) {
    make_asymmetric_stage(&linear_seal);
    bdLocals* b = block();
    run();
    const double PX = b->lkgn_PX[i], PY = b->lkgn_PY[i];
    ASSERT_GT(PX, PY);
    ASSERT_GT(b->lkgn_GP[i], 0.0);
    ASSERT_GT(b->lkgn_GPY[i], 0.0);

    // Holes: X at the seal enthalpy expands to PY; the jet's speed ratio is
    // the hole circle's speed 3000 0.07 over the ideal speed, and the holes
    // are as long as they are wide (length ratio 1).
    const double c_hole = nozzle_speed(kI0DY, PY, PX);
    const double M_hole = hole_discharge(kWp * 0.07 / c_hole, 1.0, 1.0);
    EXPECT_NEAR(b->lkgn_MRO[i], M_hole, 1e-6);
    EXPECT_NEAR(b->lkgn_CRO[i], M_hole * c_hole, 1e-5 * c_hole);
    // The hole flow at the density behind the disk, as the Y balance sees it.
    EXPECT_NEAR(b->lkgn_GROY[i], kFRO * kRhoY * M_hole * c_hole, 1e-5 * b->lkgn_GROY[i]);

    // Root gap X: from PX + DPB out to the main stream's hub pressure.
    const double c_x = nozzle_speed(kI0DY, kP11, PX + kDPB);
    const double M_x = gap_discharge(c_x, 0.002);
    EXPECT_NEAR(b->lkgn_MP[i], M_x, 1e-6);
    EXPECT_NEAR(b->lkgn_CP[i], M_x * c_x, 1e-6 * c_x);
    EXPECT_NEAR(b->lkgn_GP[i], kFP * kRhoX * M_x * c_x, 1e-6 * b->lkgn_GP[i]);
    // Root gap Y: cavity Y holds the hole flow's enthalpy, which is X's.
    EXPECT_EQ(b->lkgn_IY[i], kI0DY);
    const double c_y = nozzle_speed(kI0DY, kP21, PY + kDPBY);
    const double M_y = gap_discharge(c_y, 0.0015);
    EXPECT_NEAR(b->lkgn_CPY[i], M_y * c_y, 1e-5 * c_y);
    EXPECT_NEAR(b->lkgn_GPY[i], kFPY * kRhoY * M_y * c_y, 1e-5 * b->lkgn_GPY[i]);

    // Swirl: X from the holes outward, mixed with nothing coming back (GRO >= 0).
    const double* ZD1 = h2::swirl_row(b->ZD1, i);
    const double* ZD2 = h2::swirl_row(b->ZD2, i);
    const double GP = b->lkgn_GP[i], GPY = b->lkgn_GPY[i];
    const double beta2 = 3.14159265 * kWp * std::pow(0.07, 3) * 3.215 * friction_cf(kRX) / (GP / kRhoY);
    EXPECT_NEAR(b->lkgn_BETA2[i], beta2, 1e-9 * std::abs(beta2));
    EXPECT_EQ(ZD1[5], ZD1[4]);
    EXPECT_NEAR(ZD1[6], swirl_step(ZD1[5], beta2, 0.075, 0.078, 0.003), 1e-12);
    // Y: the hole jets carry the disk's speed; outward from the holes.
    const double beta5 = 3.14159265 * kWp * std::pow(0.07, 3) * 3.215 * friction_cf(kRY) / (GPY / kRhoY);
    EXPECT_EQ(ZD2[4], 1.0);
    EXPECT_EQ(ZD2[5], 1.0);
    EXPECT_NEAR(ZD2[6], swirl_step(1.0, beta5, 0.075, 0.08, 0.005), 1e-12);
}

// The next stage's seal takes more from Y than the holes bring: the main
// stream enters both cavities through the root gaps (GP < 0, GPY < 0).
TEST_F(AsymmetricStage, MainStreamEnteringBothCavities) {
    make_asymmetric_stage(&linear_seal);
    bdLocals* b = block();
    g_conductance = 1e-7;
    b->lkgn_GDYY[ps] = 0.05;
    run();
    const double PX = b->lkgn_PX[i], PY = b->lkgn_PY[i];
    const double GP = b->lkgn_GP[i], GPY = b->lkgn_GPY[i], GRO = b->lkgn_GRO[i];
    ASSERT_GT(PX, PY);
    ASSERT_LT(GP, 0.0);
    ASSERT_LT(GPY, 0.0);
    ASSERT_GT(GRO, 0.0);

    // Root gap X: the main stream at the stator's hub (3.00 bar, 300 kJ/kg)
    // expands into X at PX + DPB; the jet runs into the cavity (negative).
    const double c_x = nozzle_speed(3.00e5, PX + kDPB, kP11);
    const double M_x = gap_discharge(-c_x, 0.002);
    EXPECT_NEAR(b->lkgn_CP[i], -M_x * c_x, 1e-6 * c_x);
    EXPECT_NEAR(GP, -kFP * kRhoX * M_x * c_x, 1e-6 * std::abs(GP));
    // Root gap Y: the rotor's hub (2.50 bar, 290 kJ/kg) into Y at PY + DPBY.
    const double c_y = nozzle_speed(2.90e5, PY + kDPBY, kP21);
    const double M_y = gap_discharge(-c_y, 0.0015);
    EXPECT_NEAR(b->lkgn_CPY[i], -M_y * c_y, 1e-5 * c_y);
    // Y mixes the hole flow (at X's enthalpy) with the main stream coming in.
    const double GROY = b->lkgn_GROY[i], GPY_last = b->lkgn_GPY[i];
    EXPECT_NEAR(b->lkgn_IY[i], (GROY * kI0DY - GPY_last * 2.90e5) / ((GROY - GPY_last) + 1e-6), 1e-6);

    // Swirl of X: from the seal outward, and from the root inward starting
    // at the rotor's inlet swirl c1u/(rX wp) = 150/270.
    const double* ZD1 = h2::swirl_row(b->ZD1, i);
    const double* ZD2 = h2::swirl_row(b->ZD2, i);
    const double GDY = b->lkgn_GDY[ps];
    const double ksi2 = 3.215 * friction_cf(kRX), ksi4 = 3.215 * friction_cf(kRY);
    const double beta1 = 3.14159265 * kWp * std::pow(0.06, 3) * 3.215 * friction_cf(0.07) / (GDY / kRhoX);
    const double beta3 = 3.14159265 * kWp * std::pow(kRX, 3) * ksi2 / (GP / kRhoX);
    EXPECT_NEAR(b->lkgn_BETA3[i], beta3, 1e-9 * std::abs(beta3));
    EXPECT_NEAR(ZD1[1], swirl_step(0.5, beta1, 0.06, 0.06125, 0.00125), 1e-12);
    EXPECT_NEAR(ZD1[10], 150.0 / 270.0, 1e-15);
    EXPECT_NEAR(ZD1[9], swirl_step(150.0 / 270.0, beta3, kRX, 0.087, -0.003), 1e-12);
    EXPECT_EQ(ZD1[5], 0.5);  // no step reaches it
    // Swirl of Y: from the root inward at the rotor's outlet swirl
    // c2u/(rY wp) = -20/300, and inward from the holes, where the hole flow
    // (at the disk's half speed, 0.5) mixes with the main stream's.
    const double beta6 = 3.14159265 * kWp * std::pow(kRY, 3) * ksi4 / (GPY / kRhoY);
    EXPECT_NEAR(b->lkgn_BETA6[i], beta6, 1e-9 * std::abs(beta6));
    EXPECT_NEAR(ZD2[10], -20.0 / 300.0, 1e-15);
    EXPECT_NEAR(ZD2[9], swirl_step(-20.0 / 300.0, beta6, kRY, 0.095, -0.005), 1e-12);
    EXPECT_NEAR(ZD2[4], (GRO - GPY * 0.5) / (GRO - GPY), 1e-12);
    const double beta4 = 3.14159265 * kWp * std::pow(0.07, 3) * 3.215 * friction_cf(0.07) / (-0.05 / kRhoY);
    EXPECT_NEAR(ZD2[3], swirl_step(ZD2[4], beta4, 0.065, 0.06125, -0.00375), 1e-12);
}

// Two stages without holes, each worked by hand as above; the second
// (rotor 4 behind diaphragm 3: root radii 0.085 m, seal 0.10 m on both
// sides, hole circle (2 0.085 + 0.10)/2 = 0.135 m, densities 2.2 and 2.0,
// main stream 2.0 and 1.5 bar) carries the load
// pi/4 [0.008225 (PX - DPD/2) + 0.010675 (PX + DPB/2) - 0.008225 (PY - DPDY/2)
//       - 0.010675 (PY + DPBY/2)] = 734.31074 N
// with DPD 5089.21875, DPB 6605.15625, DPDY 4626.5625, DPBY 6004.6875,
// PX = 2e5 - DPB, PY = 1.5e5 - DPBY. No next stage has taken from either
// cavity Y yet (GPY 0).
TEST_F(AsymmetricStage, DiskLoadTablesOfTwoStagesWithoutHoles) {
    make_asymmetric_stage(&constant_seal);
    bdLocals* b = block();
    b->clrn_Zr8[kAsymRotor] = b->clrn_Zr8[kAsymNextRotor] = 0.0;
    b->isd_Ro2[kAsymNextStator][0] = 2.2;
    b->isd_Ro2[kAsymNextRotor][0] = 2.0;
    b->isd_p1x[kAsymNextStator][0] = 2.3e5;
    constexpr double kRAD1 = -1514.5470903, kRAD2 = 734.3107364;

    b->IPL = 1;
    std::string text;
    {
        CapturedConsole console;
        EXPECT_EQ(calc_disks_axial_load(), 0);
        text = console.text();
    }
    const char* row_format =
        "%-3d %-3d %11.3e %11.3e %11.3e %11.3e %11.3e %11.3e %11.3e %11.3e %11.3e %11.3e %11.3e %11.3e "
        "%11.3e\n";
    char row1[300], row2[300];
    std::snprintf(row1, sizeof row1, row_format, 1, 2, 0.04, 0.04, 0.0, 0.0, 0.0, 0.0, 3.2, 3.40e5, 3.0e5,
                  2.5e5, 3.0e5, 2.5e5, kRAD1);
    std::snprintf(row2, sizeof row2, row_format, 2, 4, 0.04, 0.04, 0.0, 0.0, 0.0, 0.0, 3.4, 2.30e5, 2.0e5,
                  1.5e5, 2.0e5, 1.5e5, kRAD2);
    const std::string heading =
        "\nis  i      Gdu         Gp          GbhX        GbhY        GpY          GduY        Gin         "
        "Poh         P1h         P2h         P11         P21         RAD\n"
        "           kg/s        kg/s        kg/s        kg/s        kg/s         kg/s        kg/s        Pa  "
        " "
        "       Pa          Pa          Pa          Pa          N          \n";
    EXPECT_EQ(text, heading + row1 + row2 + "\n");
    EXPECT_NEAR(b->cyld_RAD, kRAD1 + kRAD2, 1e-6);
    // Stage 2 handed its seal flow to stage 1's cavity Y.
    EXPECT_EQ(b->lkgn_GDYY[kAsymStator], 0.04);

    b->IPL = 2;
    CapturedConsole console;
    EXPECT_EQ(calc_disks_axial_load(), 0);
    char total[200];
    std::snprintf(total, sizeof total, "Total disks axial load:  (RADtot = RAD + RAB)  %g  = %g - %g  N\n\n",
                  kRAD1 + kRAD2, kRAD1 + kRAD2, -0.0);
    const std::string level2 = console.text();
    EXPECT_NE(level2.find("\nStage 1\n"), std::string::npos);
    EXPECT_NE(level2.find("\nStage 2\n"), std::string::npos);
    EXPECT_EQ(level2.substr(level2.size() - std::string(total).size()), total) << level2;
}

}  // namespace

// A duct between the diaphragm and its rotor (inlet, stator, duct, rotor): the main stream at the
// disk's front root is the duct's outlet (element i - 1), while the root radius and the seal are the
// diaphragm's (element ps). Each value differs between the two, so one read from the other element
// changes the balance.
class DuctBeforeRotor : public PathCaseTest {
protected:
    static constexpr int kPs = 1, kDuct = 2, kRotor = 3;
    void SetUp() override {
        CaseTest::SetUp();
        unitsSetSI();
        make_flow_path({Elem::Inlet, Elem::Stator, Elem::Duct, Elem::Rotor}, 1);
        bdLocals* b = block();
        ASSERT_NE(b->elem_af, nullptr);
        b->fluid_func = b->cfluid_func = &state_fluid_func;
        for (int k = 0; k <= 3; ++k) b->elem_af[k] = 1.0;
        make_sealed_stator(b, kPs, &constant_seal);
        make_holed_rotor(b, kRotor);
        b->bld_d2[kPs] = 0.21;  // root radius in front of the disk 0.09 m (the duct's is 0.085 m)
        b->bld_l2[kPs] = 0.03;
        b->bld_d2[kRotor] = 0.24;  // 0.10 m behind it
        b->bld_l2[kRotor] = 0.04;
        // Diaphragm outlet, duct outlet (the disk's front root) and rotor outlet.
        const double p2[] = {4e5, 3.00e5, 2.90e5, 2.50e5}, i2[] = {3.1e5, 3.00e5, 2.95e5, 2.90e5};
        const double rho2[] = {3.5, 2.90, 2.70, 2.40}, p1x[] = {4e5, 3.40e5, 3.30e5, 3.0e5};
        for (int k = 0; k <= 3; ++k) {
            b->isd_p2[k][0] = p2[k];
            b->isd_i2[k][0] = i2[k];
            b->isd_Ro2[k][0] = rho2[k];
            b->isd_p1x[k][0] = p1x[k];
        }
        b->isd_i1x[0][0] = 3.12e5;
        b->elem_Gr[kRotor] = 0.01;
        b->ITML = 100;
        b->IPL = 0;
    }
};

TEST_F(DuctBeforeRotor, CavityXSeesTheMainStreamOfTheDuctOutlet) {
    bdLocals* b = block();
    b->clrn_Zr8[kRotor] = 0.0;
    ASSERT_EQ(calc_stage_leakage(kRotor, 0), 0);
    constexpr double rhoX = 2.70, P11 = 2.90e5, rX = 0.09;
    // Hole circle (2 min(0.09, 0.10) + 0.12)/2 = 0.15; w = 3000^2/32.
    const double w = 281250.0;
    EXPECT_DOUBLE_EQ(b->clrn_ORO[kRotor], 0.15);
    EXPECT_EQ(b->lkgn_RD[kRotor], rhoX);
    EXPECT_EQ(b->lkgn_RP[kRotor], rhoX);
    EXPECT_NEAR(b->lkgn_DPD[kRotor], (0.15 * 0.15 - 0.12 * 0.12) * w * rhoX, 1e-8);  // 6150.9375
    EXPECT_NEAR(b->lkgn_DPB[kRotor], (4 * rX * rX - 0.15 * 0.15) * w * rhoX, 1e-8);  // 7517.8125
    EXPECT_NEAR(b->lkgn_PX[kRotor], P11 - (4 * rX * rX - 0.15 * 0.15) * w * rhoX, 1e-8);
    EXPECT_EQ(b->lkgn_P0DY[kRotor], 3.30e5);
    // Exponent at the duct outlet (2.90 bar, 295 kJ/kg): 1.3 + 0.029 + 0.01475.
    EXPECT_NEAR(b->lkgn_KK1[kRotor], 0.34375 / 1.34375, 1e-14);
    const double FP = rX * 6.2831853 * 0.002;
    EXPECT_NEAR(b->lkgn_FP[kRotor], FP, 1e-15);
    EXPECT_NEAR(b->lkgn_CP[kRotor], kSealFlow / (rhoX * FP), 1e-10);
}

TEST_F(DuctBeforeRotor, MainStreamEnteringCavityXComesFromTheDuctOutlet) {
    bdLocals* b = block();
    ASSERT_EQ(calc_stage_leakage(kRotor, 0), 0);
    // A trial cavity pressure well below the root's: the main stream enters X through the root gap,
    // expanding isentropically from the duct outlet (2.90 bar, 295 kJ/kg) to PX + DPB.
    const double PX = 2.6e5, DPB = b->lkgn_DPB[kRotor];
    b->lkgn_PY[kRotor] = 2.0e5;  // holes pass X to Y
    leak_residual_x(PX);
    const double kk1 = 0.34375 / 1.34375;
    const double IP = std::pow((PX + DPB) / 2.90e5, kk1) * 2.95e5;
    const double c = -std::sqrt(2.0 * (2.95e5 - IP));
    const double M = gap_discharge(c, 0.002);
    EXPECT_NEAR(b->lkgn_MP[kRotor], M, 1e-9);
    EXPECT_NEAR(b->lkgn_CP[kRotor], M * c, 1e-9 * std::fabs(c));
    EXPECT_NEAR(b->lkgn_GP[kRotor], 0.09 * 6.2831853 * 0.002 * 2.70 * M * c, 1e-9 * std::fabs(M * c));
    EXPECT_EQ(b->lkgn_IP[kRotor], 2.95e5);
}
