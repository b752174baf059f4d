// The loss step at the end of every solver iteration: loss coefficients,
// rotor tip leakage, the stators' diaphragm flows, and the carry-over of each
// outlet flow into the next inlet, on small paths of the perfect test gas
// (R 287.5, k 1.4), and the shipped example with its stand-in loss models.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "halvorine2/halvorine2.h"
#include "halvorine2/loss_plugin.h"
#include "reports/report_api.h"
#include "solver/loss_step.h"
#include "solver/solver_api.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"
#include "tests/support/example_stage.h"
#include "tests/support/flow_path.h"
#include "tests/support/march_only.h"

namespace {

using h2::test::Elem;

constexpr double kR = 287.5;
constexpr double kK = 1.4;
constexpr double kCp = kK * kR / (kK - 1.0);
constexpr double kPi = 3.14159265;
constexpr double kDeg = 0.01745329;

class LossStep : public h2::test::LiveCaseTest {
protected:
    // A new path in the current case, the arrays of an earlier one freed.
    void fresh_path(std::initializer_list<Elem> elems, int nr) {
        if (block()->elem_stagType != nullptr) {
            ASSERT_EQ(free_probdata(), 0);
        }
        h2::test::make_flow_path(elems, nr);
    }
    // Inlet, stator, turbine rotor on one streamline, all states set: 4 bar and
    // 1000 K total at the rotor inlet, 2 bar static behind it, 3 kg/s; the rotor
    // has a 0.4 mm tip gap over a 0.24 m seal diameter.
    bdLocals* turbine_stage() {
        fresh_path({Elem::Inlet, Elem::Stator, Elem::Rotor}, 1);
        bdLocals* b = block();
        const int r = 2;
        b->cas_B1g[r][0] = 60.0;
        b->cas_B2a[r][0] = 155.0;  // turns through the axial direction: a turbine rotor
        b->clrn_drr[r] = 0.0004;
        b->bld_dub[r] = 0.24;
        b->bld_F2[r] = kPi * 0.2 * 0.03;
        for (int i = 0; i <= 2; ++i) {
            b->isd_p1x[i][0] = 4e5;
            b->isd_i1x[i][0] = kCp * 1000.0;
            b->isd_p2x[i][0] = 2.2e5;
            b->isd_i2x[i][0] = kCp * 880.0;
            b->isd_p2[i][0] = 2e5;
            b->isd_i2[i][0] = kCp * 860.0;
            b->flow_c2z[i][0] = 150.0;
            b->flow_c2u[i][0] = -30.0;
            b->flow_c1u[i][0] = 350.0;
        }
        return b;
    }
    void run_tip_leakage() { h2::tip_leakage(*block()); }
};

// The rotor's clearance model gives a new leakage flow of 0.04 kg/s.
void new_leak_flow(bdLocals* b, int i) { b->elem_Gr[i] = 0.04; }

struct RelaxCase {
    double los_relax;
    double relax;
    double expected;
};

TEST_F(LossStep, RotorLeakFlowMovesByTheRelaxationFactor) {
    for (const RelaxCase& c :
         {RelaxCase{0.0, 0.3, 0.04}, RelaxCase{0.0, 0.1, 0.03}, RelaxCase{0.4, 0.3, 0.028}}) {
        bdLocals* b = turbine_stage();
        b->LossSlots[H2_LOSS_R][2] = reinterpret_cast<LossEntry>(&new_leak_flow);
        b->elem_Gr[2] = 0.02;
        b->LosRELAX = c.los_relax;
        b->RELAX = c.relax;
        run_tip_leakage();
        EXPECT_NEAR(b->elem_Gr[2], c.expected, 1e-15) << c.los_relax << " " << c.relax;
    }
}

TEST_F(LossStep, FirstLeakFlowIsTakenWhole) {
    bdLocals* b = turbine_stage();
    b->LossSlots[H2_LOSS_R][2] = reinterpret_cast<LossEntry>(&new_leak_flow);
    b->RELAX = 0.1;
    run_tip_leakage();
    EXPECT_EQ(b->elem_Gr[2], 0.04);
}

// The leakage carries the rotor's inlet total enthalpy into an outlet of
// lower total enthalpy: mixed back it raises it, unless the leakage is more
// than a fifth of the inlet flow, or none (below 1e-12 of it).
TEST_F(LossStep, LeakageAboveAFifthOfTheFlowIsNotMixed) {
    for (const double share : {0.1, 0.25, 0.0, 1e-13}) {
        SCOPED_TRACE(share);
        bdLocals* b = turbine_stage();
        const double area = 0.0004 * kPi * 0.24;
        b->elem_Fr[2] = area;
        b->elem_Cr[2] = 200.0;
        b->elem_Gr[2] = share * b->elem_G1[2];
        b->elem_dIr[2] = 5.0;
        b->elem_dPr[2] = 5.0;
        run_tip_leakage();
        if (share > 0.2 || share < 1e-12) {
            EXPECT_EQ(b->elem_dIr[2], 0.0);
            EXPECT_EQ(b->elem_dPr[2], 0.0);
        } else {
            EXPECT_GT(b->elem_dIr[2], 0.0);
            // A mass average cannot pass the leakage's own total enthalpy.
            EXPECT_LT(b->elem_dIr[2], kCp * 120.0);
            EXPECT_GE(b->elem_dPr[2], 0.0);
        }
    }
}

// The leakage speed is rescaled from the last leakage area to the new one and
// never exceeds the speed of sound at the tip inlet state, sqrt(k R T).
TEST_F(LossStep, LeakageSpeedIsRescaledAndCappedAtTheSpeedOfSound) {
    struct Case {
        double area_ratio;  // last area over the new one
        double Cr;
        double expected;
    };
    const double sound = std::sqrt(kK * kR * 500.0);
    ASSERT_NEAR(sound, 448.609, 1e-3);
    for (const Case& c : {Case{1.0, 1000.0, sound}, Case{2.0, 100.0, 200.0}, Case{0.5, 300.0, 150.0}}) {
        bdLocals* b = turbine_stage();
        const double area = 0.0004 * kPi * 0.24;
        b->isd_i1x[2][0] = kCp * 500.0;
        b->elem_Fr[2] = c.area_ratio * area;
        b->elem_Cr[2] = c.Cr;
        run_tip_leakage();
        EXPECT_NEAR(b->elem_Cr[2], c.expected, 1e-9 * c.expected);
        EXPECT_NEAR(b->elem_Fr[2], area, 1e-15);
    }
}

// A rotor without a seal diameter (design tasks load none) has no leakage
// area: no leakage speed and no mixing, rather than a speed of 0/0.
TEST_F(LossStep, NoLeakageAreaMeansNoLeakageMixing) {
    for (const int vart : {0, 10}) {
        bdLocals* b = turbine_stage();
        b->cyld_VART = vart;
        b->bld_dub[2] = 0.0;
        b->elem_Fr[2] = 0.001;
        b->elem_Cr[2] = 50.0;
        b->elem_dIr[2] = 7.0;
        b->elem_dPr[2] = 7.0;
        run_tip_leakage();
        EXPECT_EQ(b->elem_Cr[2], 0.0) << vart;
        EXPECT_EQ(b->elem_Fr[2], 0.0);
        EXPECT_EQ(b->elem_dIr[2], 0.0);
        EXPECT_EQ(b->elem_dPr[2], 0.0);
    }
}

// Perfect-gas stream of total enthalpy i and total pressure pt moving at c
// (meridional part cm) through area F: its mass flow from its static state on
// the isentrope, h = i - c^2/2, p = pt (h/i)^(k/(k-1)), rho = p cp/(R h).
double stream_flow(double i, double pt, double c2, double cm, double F) {
    const double h = i - c2 / 2.0;
    const double p = pt * std::pow(h / i, kK / (kK - 1.0));
    return p * kCp / (kR * h) * cm * F;
}

// A turbine stage at stator s and rotor r on one streamline for the seal
// leakage mixes, set on an existing path: outlets at 2 bar static, 2.2 bar
// and 880 K total, 150 m/s axial and -30 m/s of swirl; the diaphragm leaks
// through 10 cm^2 at 80 m/s, 950 K and 2.3 + 0.1 bar, the disk through 5 cm^2
// at 60 m/s, 900 K and 2.1 + 0.2 bar.
void seal_stage(bdLocals* b, int s, int r) {
    b->ITML = 1;
    b->elem_stagType[s] = b->elem_stagType[r] = 1.0;
    b->bld_z[s] = 48.0;
    b->bld_z[r] = 60.0;
    b->bld_wp[r] = 3000.0;
    b->cas_B1g[s][0] = 90.0;
    b->cas_B2a[s][0] = 25.0;
    b->cas_B1g[r][0] = 60.0;
    b->cas_B2a[r][0] = 155.0;
    b->elem_p0[0] = 4e5;
    b->elem_p2[b->cyld_ns] = 2e5;
    b->elem_G1[r] = 3.0;
    for (int k : {s, r}) {
        b->bld_F2[k] = kPi * 0.2 * 0.03;
        b->isd_p2x[k][0] = 2.2e5;
        b->isd_i2x[k][0] = kCp * 880.0;
        b->isd_p2[k][0] = 2e5;
        b->flow_c2z[k][0] = 150.0;
        b->flow_c2u[k][0] = -30.0;
    }
    b->bld_d2[s] = 0.2;
    b->bld_l2[s] = 0.03;
    b->bld_d2[r] = 0.24;
    b->bld_l2[r] = 0.04;
    b->clrn_GAMPX[s] = 30.0;
    b->clrn_GAMPX[r] = 60.0;
    b->lkgn_FP[r] = 0.001;
    b->lkgn_CP[r] = 80.0;
    b->lkgn_IX[r] = kCp * 950.0;
    b->lkgn_PX[r] = 2.3e5;
    b->lkgn_DPB[r] = 0.1e5;
    b->lkgn_FPY[r] = 0.0005;
    b->lkgn_CPY[r] = 60.0;
    b->lkgn_IY[r] = kCp * 900.0;
    b->lkgn_PY[r] = 2.1e5;
    b->lkgn_DPBY[r] = 0.2e5;
}

// Mass and energy are conserved: the mixed total enthalpy is the mass average
// of the outlet flow and the leakage turning with the cavity swirl ratio w.
void expect_seal_mixes(const bdLocals* b, int s, int r, double w_front, double w_rear) {
    const double main_c2 = 150.0 * 150.0 + 30.0 * 30.0;
    const double G_main = stream_flow(kCp * 880.0, 2.2e5, main_c2, 150.0, kPi * 0.2 * 0.03);
    struct Side {
        int k;       // element whose outlet takes the leakage
        double w;    // cavity swirl ratio at the root
        double d_l;  // d2 - l2 of that element
        double F, C, I, P;
    };
    for (const Side& x : {Side{s, w_front, 0.17, 0.001, 80.0, kCp * 950.0, 2.4e5},
                          Side{r, w_rear, 0.20, 0.0005, 60.0, kCp * 900.0, 2.3e5}}) {
        const double swirl = x.d_l * 3000.0 * x.w / 2.0;
        const double G_leak = stream_flow(x.I, x.P, x.C * x.C + swirl * swirl, x.C, x.F);
        const double I = (G_main * kCp * 880.0 + G_leak * x.I) / (G_main + G_leak);
        EXPECT_NEAR(b->elem_dIdu[x.k], I - kCp * 880.0, 1e-9 * kCp * 880.0) << x.k;
        EXPECT_TRUE(std::isfinite(b->elem_dPdu[x.k]));
    }
}

// Seal leakage of the stage at the hub: the diaphragm's flow joins the stator
// outlet in front of the disk, the disk's flow the rotor outlet behind it,
// each turning with the core swirl of its cavity at the root: station 10 of
// the rotor's row in the front and rear swirl tables, the first value of the
// next row.
TEST_F(LossStep, SealLeakageMixesWithTheCavitySwirlAtTheRoot) {
    bdLocals* b = turbine_stage();
    seal_stage(b, 1, 2);
    b->ZD1[3][0] = 0.4;
    b->ZD2[3][0] = 0.3;
    b->ZD1[2][9] = b->ZD2[2][9] = b->ZD1[3][1] = b->ZD2[3][1] = 0.9;
    run_tip_leakage();
    expect_seal_mixes(b, 1, 2, 0.4, 0.3);
}

// The swirl tables hold rows for rotors up to element 98: a rotor further on
// has no cavity stations and its seal leakage enters without swirl, rather
// than with a value read past the table.
TEST_F(LossStep, SealLeakageOfARotorPastTheSwirlTablesHasNoSwirl) {
    allocate(99, 1);
    bdLocals* b = block();
    h2::test::install_test_fluid(b);
    b->cyld_VART = 10;
    seal_stage(b, 98, 99);
    b->ZD1[99][9] = b->ZD2[99][9] = 0.9;
    b->ZD2[0][0] = 0.9;  // what lies just past the end of the front table
    run_tip_leakage();
    expect_seal_mixes(b, 98, 99, 0.0, 0.0);
}

// Stators without a rotor around them: the diaphragm flows are kept, and no
// rotor field of element 0 (the inlet) is written.
TEST_F(LossStep, DiaphragmFlowsWithoutRotorsTouchNoRotor) {
    fresh_path({Elem::Inlet, Elem::Stator, Elem::Stator, Elem::Stator, Elem::Stator}, 1);
    bdLocals* b = block();
    for (int i = 1; i <= 4; ++i) b->elem_Gdu[i] = 0.01 * i;
    b->lkgn_GRO[0] = b->lkgn_GROX[0] = b->lkgn_GROY[0] = 9.0;
    b->lkgn_GDYY[0] = 9.0;
    run_tip_leakage();
    EXPECT_EQ(b->lkgn_GPY[0], 0.0);
    EXPECT_EQ(b->lkgn_GDYY[0], 9.0);
    EXPECT_EQ(b->lkgn_GRO[0], 9.0);
    EXPECT_EQ(b->lkgn_GROX[0], 9.0);
    EXPECT_EQ(b->lkgn_GROY[0], 9.0);
    // Each diaphragm's flow feeds the element behind it; the last one's is its own.
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(b->lkgn_GP[i + 1], 0.01 * i);
        EXPECT_EQ(b->lkgn_GDY[i], 0.01 * i);
    }
    EXPECT_EQ(b->lkgn_GDY[4], 0.04);
}

// Design tasks convert the velocity coefficient: phi 1 is no loss at all.
// Analysis tasks convert every element but a heat exchanger, whose loss
// coefficient is its own datum.
TEST_F(LossStep, VelocityCoefficientsBecomeLossCoefficients) {
    for (const int vart : {0, 10}) {
        fresh_path({Elem::Inlet, Elem::Duct, Elem::Duct}, 1);
        bdLocals* b = block();
        b->cyld_VART = vart;
        b->ICLos = 1;
        b->elem_stagType[2] = 8.0;
        for (int i = 0; i <= 2; ++i) {
            b->isd_p1wx[i][0] = 4e5;
            b->isd_i1wx[i][0] = kCp * 1000.0;
            b->isd_p1[i][0] = 3e5;
            b->los_Los[i][0] = 1.0;
            b->los_om[i][0] = 0.05;
        }
        ASSERT_EQ(h2::loss_coefficients(*b), 0);
        EXPECT_NEAR(b->los_om[1][0], 0.0, 1e-12) << vart;
        EXPECT_EQ(b->los_om[2][0], 0.05) << vart;
        // The inlet, no blade row, is converted by design tasks only.
        EXPECT_NEAR(b->los_om[0][0], vart == 0 ? 0.0 : 0.05, 1e-12);
    }
}

// Section models that count their calls: a profile loss and a blockage.
int profile_calls = 0;
int blockage_calls = 0;
void counting_profile(bdLocals*, int, int) { ++profile_calls; }
void counting_blockage(bdLocals*, int, int) { ++blockage_calls; }

// The loss wrappers run here only when the element solvers do not evaluate
// the losses themselves (ICLos 0); blockage also for per-streamline solves.
TEST_F(LossStep, LossAndBlockageModelsRunByTheLossMode) {
    struct Case {
        int iclos;
        int nr;
        int force1D;
        int profile;   // calls per section
        int blockage;  // calls per section
    };
    for (const Case& c :
         {Case{0, 1, 1, 1, 1}, Case{1, 1, 1, 0, 0}, Case{1, 3, 0, 0, 1}, Case{1, 3, 1, 0, 0}}) {
        fresh_path({Elem::Inlet, Elem::Stator, Elem::Duct}, c.nr);
        bdLocals* b = block();
        b->ICLos = c.iclos;
        b->cyld_force1D = c.force1D;
        b->elem_MethodP[1] = b->elem_MethodB[1] = 1.0;
        b->LossSlots[H2_LOSS_P][1] = reinterpret_cast<LossEntry>(&counting_profile);
        b->LossSlots[H2_LOSS_B][1] = reinterpret_cast<LossEntry>(&counting_blockage);
        for (int j = 0; j < c.nr; ++j) b->los_Los[1][j] = 0.95;
        profile_calls = blockage_calls = 0;
        ASSERT_EQ(h2::loss_coefficients(*b), 0);
        EXPECT_EQ(profile_calls, c.profile * c.nr) << c.iclos << " " << c.nr << " " << c.force1D;
        EXPECT_EQ(blockage_calls, c.blockage * c.nr) << c.iclos << " " << c.nr << " " << c.force1D;
    }
}

TEST_F(LossStep, BladeRowOfNeitherFamilyEndsTheSolveWith3) {
    fresh_path({Elem::Inlet, Elem::Stator, Elem::Duct}, 1);
    bdLocals* b = block();
    b->bld_z[1] = 0.0;  // a blade row without blades has no profile family
    h2::test::CapturedConsole console;
    EXPECT_EQ(h2::loss_step(), 3);
    EXPECT_STREQ(b->err_text, "ERRCODE_CORRUPTED_DATA: in solver/bestXN line 672");
    EXPECT_NE(console.text().find("Unknown element for loss estimation."), std::string::npos);
}

TEST_F(LossStep, CompressorRowWithoutLossEndsTheSolveWithMinus1) {
    fresh_path({Elem::Inlet, Elem::Rotor, Elem::Duct}, 1);
    bdLocals* b = block();
    b->ICLos = 1;  // the losses come from the element solvers
    b->los_Los[1][0] = 0.0;
    h2::test::CapturedConsole console;
    EXPECT_EQ(h2::loss_step(), -1);
    EXPECT_NE(console.text().find("bestXN: Fatal error - BAD loses data!"), std::string::npos);
}

// ---- Carry-over into the next inlet ----

class CarryOver : public LossStep {
protected:
    // Element 0 and element 1 of the given kinds and section types on one
    // streamline: 100 m/s of swirl leave element 0 at radius 0.3 m, element 1
    // starts at 0.25 m.
    bdLocals* pair(Elem first, double first_sect, Elem second) {
        fresh_path({Elem::Inlet, first, second}, 1);
        bdLocals* b = block();
        b->elem_sectType[1] = first_sect;
        b->flow_r2[1][0] = 0.3;
        b->flow_r1[2][0] = 0.25;
        b->flow_c2u[1][0] = 100.0;
        b->flow_c2z[1][0] = 150.0;
        b->flow_c2[1][0] = std::hypot(100.0, 150.0);
        return b;
    }
};

TEST_F(CarryOver, AngularMomentumIsKeptAndCounterRotationTurnsItsSign) {
    for (const bool contra : {false, true}) {
        bdLocals* b = pair(Elem::Duct, 0.0, Elem::Duct);
        b->is_contr[1] = contra ? 1.0 : 0.0;
        h2::carry_over(*b);
        EXPECT_NEAR(b->flow_c1u[2][0], contra ? -120.0 : 120.0, 1e-12);
        // Continuity over the equal annuli keeps the axial speed.
        EXPECT_NEAR(b->flow_c1z[2][0], 150.0, 1e-12);
        EXPECT_NEAR(b->flow_c1[2][0], std::hypot(120.0, 150.0), 1e-9);
        EXPECT_NEAR(b->cas_A1[2][0], std::atan2(150.0, contra ? -120.0 : 120.0) / kDeg, 1e-9);
    }
}

// Behind a heat exchanger or an outlet volute the flow enters the next rotor
// without swirl: its relative angle is that of w_u = -|u|, 45 degrees past
// the axial direction when the blade speed equals the velocity.
TEST_F(CarryOver, BehindAVoluteTheRelativeAngleSeesNoSwirl) {
    for (const double kind : {4.0, 8.0}) {
        bdLocals* b = pair(Elem::Duct, 0.0, Elem::Rotor);
        b->elem_stagType[1] = kind;
        b->flow_r1[2][0] = 0.1;
        b->bld_wp[2] = b->flow_c2[1][0] / 0.1;
        h2::carry_over(*b);
        // Degrees of the system's own factor 0.01745329: 135 and 90 to 2e-5.
        EXPECT_NEAR(b->cas_B1[2][0], std::atan2(1.0, -1.0) / kDeg, 1e-9) << kind;
        EXPECT_NEAR(b->cas_A1[2][0], std::atan2(1.0, 0.0) / kDeg, 1e-9);
    }
}

TEST_F(CarryOver, AHeatExchangerFormsItsOwnInlet) {
    bdLocals* b = pair(Elem::Duct, 0.0, Elem::Duct);
    b->elem_stagType[2] = 8.0;
    b->flow_c1z[2][0] = 7.0;
    b->flow_w1[2][0] = 7.0;
    b->flow_c1[2][0] = 7.0;
    b->cas_B1[2][0] = 7.0;
    b->cas_A1[2][0] = 7.0;
    h2::carry_over(*b);
    EXPECT_EQ(b->flow_c1z[2][0], 7.0);
    EXPECT_EQ(b->flow_w1[2][0], 7.0);
    EXPECT_EQ(b->flow_c1[2][0], 7.0);
    EXPECT_EQ(b->cas_B1[2][0], 7.0);
    EXPECT_EQ(b->cas_A1[2][0], 7.0);
}

// The rotor's inlet angle behind a stator: design tasks without a rotor atlas
// and elements marked by elem__VARTB take it as the metal angle; a cooled row
// turns it by its coolant ratio, unless it never formed one.
TEST_F(CarryOver, InletAnglesOfDesignTasksMarkedAndCooledRows) {
    struct Case {
        int vart;
        bool atlas;
        double vartb;
        double cooled_ratio;  // -1: not cooled
        bool metal_follows;
        double angle_factor;
    };
    static int atlas_word = 1;
    for (const Case& c : {Case{0, false, 0.0, -1.0, true, 1.0}, Case{0, true, 0.0, -1.0, false, 1.0},
                          Case{10, false, 1.0, -1.0, true, 1.0}, Case{10, false, 0.0, -1.0, false, 1.0},
                          Case{10, false, 0.0, 0.9, false, 0.9}, Case{10, false, 0.0, 0.0, false, 1.0}}) {
        bdLocals* b = pair(Elem::Stator, 0.0, Elem::Rotor);
        b->cyld_VART = c.vart;
        b->flow_c1z[2][0] = 150.0;
        b->atlas_r = c.atlas ? &atlas_word : nullptr;
        b->elem_VARTB[2] = c.vartb;
        b->stgtd_cooled[1] = c.cooled_ratio >= 0.0 ? 1.0 : 0.0;
        b->cool_b1_ratio[1] = c.cooled_ratio >= 0.0 ? c.cooled_ratio : 0.0;
        b->cas_B1g[2][0] = 7.0;
        h2::carry_over(*b);
        const double u = 3000.0 * 0.25;
        const double B1 = std::atan2(150.0, 120.0 - u) / kDeg * c.angle_factor;
        EXPECT_NEAR(b->cas_B1[2][0], B1, 1e-9) << c.vart << c.atlas << c.vartb << c.cooled_ratio;
        EXPECT_EQ(b->cas_B1g[2][0], c.metal_follows ? b->cas_B1[2][0] : 7.0);
    }
}

// A stator that is itself a plenum, with no rotor behind it, on an expanding
// path: the swirl is lost only behind sections of the remaining kind (3);
// axial and radial sections carry it by their own rules, and the inlet never
// counts as a plenum.
TEST_F(CarryOver, PlenumCancelsSwirlOnlyBehindSectionsOfKind3) {
    struct Case {
        double sect;
        double expected;
    };
    for (const Case& c : {Case{3.0, 0.0}, Case{0.0, 120.0}, Case{1.0, 100.0}}) {
        bdLocals* b = pair(Elem::Stator, c.sect, Elem::Duct);
        b->elem_NSEGM[1] = -1.0;
        b->bld_d2[1] = b->bld_d1[2] = 0.2;
        h2::carry_over(*b);
        EXPECT_NEAR(b->flow_c1u[2][0], c.expected, 1e-12) << c.sect;
    }
}

// ---- The whole step on solved stages ----

// A loss-free solved stage: the step writes no leakage loss (no clearance
// model gives a leakage flow) and changes no thermodynamic state, so the
// rotor keeps its rothalpy.
TEST_F(LossStep, LossFreeStageStaysLossFree) {
    {
        const h2::test::MarchOnly march_only;
        ASSERT_TRUE(h2::test::load_loss_free_example_stage());
        ASSERT_EQ(bestXN(), 0);
    }
    bdLocals* b = block();
    ASSERT_EQ(h2::loss_step(), 0);
    const int m = b->cyld_nr / 2;
    const double rothalpy_in = b->isd_i1x[2][m] - b->flow_ucu1[2][m];
    const double rothalpy_out = b->isd_i2x[2][m] - b->flow_ucu2[2][m];
    EXPECT_NEAR(rothalpy_out, rothalpy_in, 1e-9 * rothalpy_in);
    EXPECT_EQ(b->elem_dIr[2], 0.0);
    EXPECT_GE(b->elem_dPr[2], 0.0);
    EXPECT_LT(b->elem_dPr[2], 1.0);
}

// The shipped example with its stand-in loss models converges, loses
// efficiency, and the stage's loss fields are filled.
TEST_F(LossStep, ShippedExampleConvergesWithItsLossModels) {
    ASSERT_TRUE(h2::test::load_example_stage());
    bdLocals* b = block();
    h2::test::CapturedConsole console;
    ASSERT_EQ(bestXN(), 0);
    calc_integral(1);
    EXPECT_GT(b->cyld_effx, 0.5);
    EXPECT_LT(b->cyld_effx, 1.0);
    const int m = b->cyld_nr / 2;
    EXPECT_GT(b->GElos_DHD[1], 0.0);  // disk friction of the stage
    // The rotor carries its stage's leakage losses (the whole-path results
    // clear the stator's copy of enrg__dhd).
    EXPECT_EQ(b->enrg_dhd[2], b->GElos_DHD[1]);
    EXPECT_EQ(b->GElos_DHD[2], b->GElos_DHD[1]);
    EXPECT_GT(b->elem_Fr[2], 0.0);  // the rotor's leakage area
    EXPECT_GT(b->los_om[1][m], 0.0);
    EXPECT_LT(b->los_Los[1][m], 1.0);
}

}  // namespace
