// The stage layout of an axial turbine module on hand-made stages: the chord
// chart, blade counts and pitches, the gaps and the rotor overlaps, the seal
// slots, the hub and tip limits, and the cooling of a cooled module.
#include <gtest/gtest.h>

#include <cmath>

#include "solver/predesign/axial_turbine/axial_turbine_rows.h"
#include "solver/predesign/axial_turbine/turbine_design.h"
#include "tests/support/centrifugal_case.h"

namespace {

using h2::predesign::AxTurbDesignStages;
using h2::test::kCp;

constexpr double kPi = 3.14159265;
constexpr double kStatorL = 0.05, kStatorD = 0.25, kSpeed = 3000.0, kFlow = 3.0, kCz = 100.0;
constexpr double kGasT = 1000.0;

class StageLayout : public h2::test::CentrifugalCaseTest {
protected:
    // `stages` stages, every stator 0.05 m tall on a 0.25 m mean diameter,
    // gas at 1000 K and 4 bar; record m a TURB_AXIAL on its mean diameter
    // with limits that pass; no gaps (slot 21 is 0) and chords from the chart.
    void layout(int stages, int m = 0) {
        if (block()->elem_stagType != nullptr) {
            ASSERT_EQ(free_probdata(), 0);
        }
        make_path(2 * stages, {});
        bdLocals& b = *block();
        b.bld_wp[2] = kSpeed;
        b.elem_G1[0] = kFlow;
        for (int i = 0; i <= 2 * stages; ++i) {
            b.elem_p0[i] = 4e5;
            b.elem_i0[i] = kCp * kGasT;
            b.flow_c2z[i][0] = kCz;
        }
        for (int e = 1; e < 2 * stages; e += 2) {
            b.bld_l2[e] = kStatorL;
            b.bld_d2[e] = kStatorD;
        }
        b.bld_d1[0] = 0.2;
        b.bld_d2[0] = 0.22;
        m_ = m;
        set_module_count(m + 1);
        PD_module& r = record(m);
        r = PD_module{};
        r.type = TURB_AXIAL;
        r.Dflag = 1;
        r.PD_VAL[PD_VAR_PA] = 1.0;
        r.PD_LIM_upper[PD_LIM_DH] = r.PD_LIM_upper[PD_LIM_DS] = 10.0;
        r.bladeDensity = 7800.0;
        // Module m reads its own block (the fixture gives it block 0).
        double* s = prereq();
        s[4] = 0.9;
        s[5] = 0.8;
        s[6] = 0.7;
        s[17] = 0.1;
        s[18] = 1.2;
        s[20] = 0.05;
        s[21] = 0.0;
        s[28] = s[29] = 0.0;
    }
    int run(int stages) { return AxTurbDesignStages(m_, stages); }
    int m_ = 0;
};

TEST_F(StageLayout, TheChordChartsExtendTheirEndIntervals) {
    struct Case {
        double theta, stator, rotor;
    };
    for (const Case c : {Case{24.0, 1.5, 0.7}, Case{10.0, 1.05, 0.51}, Case{7.0, 0.75, 0.375},
                         Case{2.0, 0.25, 0.15}, Case{1.0, 0.15, 0.105}}) {
        SCOPED_TRACE(c.theta);
        EXPECT_NEAR(h2::predesign::stator_chord_ratio(c.theta), c.stator, 1e-15);
        EXPECT_NEAR(h2::predesign::rotor_chord_ratio(c.theta), c.rotor, 1e-15);
    }
}

// theta = 5: chord 0.55 h (stator) and 0.285 h (rotor); the count rounds
// pi d / (tb b) up and the pitch is pi d / z.
TEST_F(StageLayout, CountsRoundUpAndTheChordModesKeepOrFollowThePitch) {
    struct Case {
        double hold;
        bool chord_from_count;
    };
    for (const Case c : {Case{0.0, true}, Case{1.0, false}}) {
        SCOPED_TRACE(c.hold);
        layout(1);
        prereq()[28] = prereq()[29] = c.hold;
        ASSERT_EQ(run(1), 0);
        const bdLocals& b = *block();
        struct Row {
            int e;
            double ratio, tb;
        };
        for (const Row row : {Row{1, 0.55, 0.8}, Row{2, 0.285, 0.7}}) {
            SCOPED_TRACE(row.e);
            const double chart = row.ratio * kStatorL;
            const double z = std::ceil(kStatorD * kPi / (row.tb * chart));
            EXPECT_EQ(b.bld_z[row.e], z);
            const double t = kStatorD * kPi / z;
            EXPECT_NEAR(b.cas_t[row.e][0], t, 1e-15);
            EXPECT_NEAR(b.cas_b[row.e][0], c.chord_from_count ? t / row.tb : chart, 1e-15);
            EXPECT_EQ(b.cas_bx[row.e][0], b.cas_b[row.e][0]);
            EXPECT_EQ(b.cas_tb[row.e][0], row.tb);
        }
        EXPECT_EQ(b.clrn_to[1], prereq()[10] * b.cas_b[1][0]);
        EXPECT_EQ(b.elem_cz_[1], kCz / (kStatorD * 0.5 * kSpeed));
        EXPECT_EQ(b.strs_g_b[1], 7800.0);
        EXPECT_EQ(b.strs_g_b[2], 7800.0);
        EXPECT_EQ(b.bld_wp[2], kSpeed);
    }
}

TEST_F(StageLayout, AGivenChordStaysAndMode2CopiesTheFirstCount) {
    layout(2);
    bdLocals& b = *block();
    prereq()[28] = 2.0;
    prereq()[29] = 2.0;
    b.cas_b[1][0] = 0.04;
    b.bld_d2[3] = 0.5;  // the second stator would want twice the blades
    ASSERT_EQ(run(2), 0);
    EXPECT_EQ(b.cas_b[1][0], 0.04);
    EXPECT_EQ(b.bld_z[1], std::ceil(kStatorD * kPi / (0.8 * 0.04)));
    EXPECT_EQ(b.bld_z[3], b.bld_z[1]);
    EXPECT_EQ(b.bld_z[4], b.bld_z[2]);
    EXPECT_NEAR(b.cas_t[3][0], 0.5 * kPi / b.bld_z[1], 1e-15);
}

// Gaps: estimate_gaps at or above the slot-21 height (at 0.05 m: 0.00125,
// 0.002625, 0.001625), h/50 each below it, none at 0 or below.
TEST_F(StageLayout, GapsByTheThresholdHeight) {
    struct Case {
        double threshold, g1, g2, g3;
    };
    const double g1 = 0.001 + 0.002 * 0.05 / 0.4, g2 = 0.002 + 0.005 * 0.05 / 0.4,
                 g3 = 0.001 + 0.005 * 0.05 / 0.4;
    for (const Case c : {Case{0.05, g1, g2, g3}, Case{0.02, g1, g2, g3}, Case{0.06, 0.001, 0.001, 0.001},
                         Case{0.0, 0.0, 0.0, 0.0}, Case{-1.0, 0.0, 0.0, 0.0}}) {
        SCOPED_TRACE(c.threshold);
        layout(1);
        prereq()[21] = c.threshold;
        ASSERT_EQ(run(1), 0);
        const bdLocals& b = *block();
        EXPECT_NEAR(b.clrn_b1n[2], c.g1, 1e-15);
        EXPECT_NEAR(b.bld_l2[2], kStatorL + c.g2 + c.g3, 1e-15);
        EXPECT_NEAR(b.bld_d2[2], kStatorD + (c.g2 - c.g3) / 2.0, 1e-15);
        EXPECT_EQ(b.bld_l1[2], b.bld_l2[2]);
        EXPECT_EQ(b.bld_d1[2], b.bld_d2[2]);
        EXPECT_EQ(b.bld_l2[1], kStatorL);
    }
}

// Diaphragm seal bld__du = slot 4 x hub (0.2 m); a tenth of slot 20 on the
// first stage of module 0; the tenfold rotor seal of the last stage ahead of
// another module.
TEST_F(StageLayout, SealsOfTheFirstAndTheLastStage) {
    struct Case {
        int m, modules;
        double drd0, d1_factor;
    };
    for (const Case c : {Case{0, 1, 0.005, 1.0}, Case{0, 2, 0.005, 10.0}, Case{1, 2, 0.05, 1.0}}) {
        SCOPED_TRACE(c.m * 10 + c.modules);
        layout(2, c.m);
        set_module_count(c.modules);
        ASSERT_EQ(run(2), 0);
        const bdLocals& b = *block();
        const double du = 0.9 * (kStatorD - kStatorL);
        EXPECT_NEAR(b.bld_du[1], du, 1e-15);
        EXPECT_NEAR(b.clrn_drd[1], c.drd0 * du, 1e-15);
        EXPECT_NEAR(b.clrn_drd[3], 0.05 * du, 1e-15);
        for (int w : {2, 4}) {
            SCOPED_TRACE(w);
            const double d1 = 0.1 * b.cas_b[w][0];
            EXPECT_NEAR(b.clrn_d1[w - 1], d1, 1e-15);
            EXPECT_NEAR(b.clrn_SRO[w], 1.2 * d1, 1e-15);
            EXPECT_EQ(b.clrn_SROY[w], b.clrn_SRO[w]);
            EXPECT_NEAR(b.clrn_d1[w], 1.2 * d1 * (w == 4 ? c.d1_factor : 1.0), 1e-15);
            EXPECT_EQ(b.elem_moduleNum[w], c.m);
            EXPECT_EQ(b.clrn_Zrr_set[w], b.clrn_Zrr[w] != 0.0 ? 1.0 : 0.0);
        }
        EXPECT_EQ(b.clrn_Zrd[1], prereq()[14]);
        EXPECT_EQ(b.clrn_Zrd[3], prereq()[13]);
    }
}

TEST_F(StageLayout, RotorTeethMarkTheirSetFlag) {
    for (double teeth : {0.0, 3.0}) {
        layout(1);
        prereq()[12] = teeth;
        ASSERT_EQ(run(1), 0);
        EXPECT_EQ(block()->clrn_Zrr[2], teeth);
        EXPECT_EQ(block()->clrn_Zrr_set[2], teeth != 0.0 ? 1.0 : 0.0);
    }
}

TEST_F(StageLayout, ANegativeSealDiameterStopsBeforeTheRestOfTheStage) {
    layout(2);
    bdLocals& b = *block();
    b.bld_d2[3] = 0.04;  // hub below 0 on the second stage
    b.cyld_Nc = b.cyld_eff = 5.0;
    EXPECT_EQ(run(2), 101);
    EXPECT_LT(b.bld_du[3], 0.0);
    EXPECT_EQ(b.bld_Tu[4], 0.0);
    EXPECT_EQ(b.cas_b[4][0], 0.0);
    EXPECT_EQ(b.clrn_d1[3], 0.0);
    EXPECT_EQ(b.clrn_drd[3], 0.0);
    EXPECT_NE(b.cas_b[2][0], 0.0);  // the first stage is complete
    EXPECT_EQ(b.strs_g_b[2], 7800.0);
    EXPECT_EQ(b.cyld_Nc, 5.0);
}

// No gaps: hub 0.2 m and tip 0.3 m; bounds are inclusive; Dflag 0 tests the
// tip only, 2 the hub only, 1 both.
TEST_F(StageLayout, HubAndTipLimits) {
    const double hub = kStatorD - kStatorL, tip = kStatorD + kStatorL;
    struct Case {
        int Dflag;
        double hlo, hhi, tlo, thi;
        int restore, result;
    };
    for (const Case c : {Case{1, hub, hub, tip, tip, 0, 0}, Case{1, hub + 1e-9, 1, 0, 1, 0, 101},
                         Case{1, 0, 1, 0, tip - 1e-9, 0, 101}, Case{0, 1, 2, 0, 1, 0, 0},
                         Case{0, 0, 1, tip + 1e-9, 1, 0, 101}, Case{2, 0, 1, 1, 2, 0, 0},
                         Case{2, 0, hub - 1e-9, 0, 1, 0, 101}, Case{2, 0, hub - 1e-9, 0, 1, 1, 0}}) {
        SCOPED_TRACE(testing::Message() << c.Dflag << " " << c.result << " " << c.hlo);
        layout(1);
        PD_module& r = record(0);
        r.Dflag = c.Dflag;
        r.PD_LIM_lower[PD_LIM_DH] = c.hlo;
        r.PD_LIM_upper[PD_LIM_DH] = c.hhi;
        r.PD_LIM_lower[PD_LIM_DS] = c.tlo;
        r.PD_LIM_upper[PD_LIM_DS] = c.thi;
        r.restoreFlag = c.restore;
        bdLocals& b = *block();
        b.cyld_Nc = b.cyld_eff = 5.0;
        EXPECT_EQ(run(1), c.result);
        EXPECT_EQ(b.cyld_Nc, c.result == 0 ? 5.0 : 0.0);
        EXPECT_EQ(b.cyld_eff, c.result == 0 ? 5.0 : 0.0);
        EXPECT_EQ(b.elem_VARTD[2], c.Dflag);
    }
}

class StageCooling : public StageLayout {
protected:
    void cooled(double tmetal) {
        layout(1);
        record(0).cooled = 1;
        record(0).dtm = tmetal;
    }
};

TEST_F(StageCooling, AMetalAtOrAboveTheGasNeedsNoCooling) {
    for (double tmetal : {kGasT, 1200.0, 0.0}) {
        SCOPED_TRACE(tmetal);
        cooled(tmetal);
        bdLocals& b = *block();
        b.cool_iGoxl[1] = b.cool_iPoxl[1] = b.cool_iCoxl[1] = 9.0;
        ASSERT_EQ(run(1), 0);
        for (int j : {1, 2}) {
            EXPECT_NEAR(b.elem_T0[j], kGasT, 1e-9);
            EXPECT_EQ(b.strs_tm[j], b.elem_T0[j]);
            EXPECT_EQ(b.cool_tox[j], 0.0);
            EXPECT_EQ(b.cool_iToxl[j], 0.0);
            EXPECT_EQ(b.cool_Ocp[j], 0.0);
            EXPECT_EQ(b.strs_dtm[j], tmetal);
            EXPECT_EQ(b.stgtd_cooled[j], 1.0);
        }
        EXPECT_EQ(b.cool_iGoxl[1], 0.0);
        EXPECT_EQ(b.cool_iPoxl[1], 0.0);
        EXPECT_EQ(b.cool_iCoxl[1], 0.0);
    }
}

// A metal at 100 K wants a depth (1000 - 100)/(1000 - Tc) of at least 0.9:
// the coolant is lowered from 500 K to 250 K and none is found.
TEST_F(StageCooling, NoCoolantWarmEnoughGivesMinus1) {
    cooled(100.0);
    ASSERT_EQ(run(1), 0);
    const bdLocals& b = *block();
    for (int j : {1, 2}) {
        EXPECT_EQ(b.cool_tox[j], -1.0);
        EXPECT_EQ(b.cool_iToxl[j], 0.0);
        EXPECT_EQ(b.strs_tm[j], b.elem_T0[j]);
    }
}

// Depth (1000 - tmetal)/(1000 - 500) from the first coolant temperature
// (T0 - 500): 0.09 takes a chart of kinds 1 to 3, 0.5 only kind 4.
TEST_F(StageCooling, KindsFillTheRowsOwnSetOrTheInnerOne) {
    struct Case {
        double tmetal;
        bool kind4;
    };
    for (const Case c : {Case{955.0, false}, Case{750.0, true}}) {
        SCOPED_TRACE(c.tmetal);
        cooled(c.tmetal);
        bdLocals& b = *block();
        b.cyld_kToxl = 0.0;
        for (int j : {1, 2})
            b.cool_iGoxl[j] = b.cool_iPoxl[j] = b.cool_iCoxl[j] = b.cool_oGoxl[j] = b.cool_oPoxl[j] =
                b.cool_oCoxl[j] = b.cool_fGoxl[j] = b.cool_fPoxl[j] = b.cool_fCoxl[j] = 0.0;
        ASSERT_EQ(run(1), 0);
        for (int j : {1, 2}) {
            SCOPED_TRACE(j);
            EXPECT_EQ(b.cool_tox[j] == 4.0, c.kind4);
            EXPECT_GE(b.cool_tox[j], 1.0);
            EXPECT_NEAR(b.cool_Ocp[j], (kGasT - c.tmetal) / 500.0, 1e-9);
            EXPECT_EQ(b.strs_tm[j], c.tmetal);
            double* ownG = j == 1 ? b.cool_oGoxl : b.cool_fGoxl;
            double* ownP = j == 1 ? b.cool_oPoxl : b.cool_fPoxl;
            double* ownC = j == 1 ? b.cool_oCoxl : b.cool_fCoxl;
            double* ownT = j == 1 ? b.cool_oToxl : b.cool_fToxl;
            double* usedG = c.kind4 ? b.cool_iGoxl : ownG;
            double* usedP = c.kind4 ? b.cool_iPoxl : ownP;
            double* usedC = c.kind4 ? b.cool_iCoxl : ownC;
            double* idleG = c.kind4 ? ownG : b.cool_iGoxl;
            EXPECT_GT(usedG[j], 0.0);
            EXPECT_NEAR(usedG[j], b.cool_Goxl_[j] * kFlow, 1e-15);
            EXPECT_EQ(usedP[j], 4e5);
            EXPECT_EQ(usedC[j], kCz);
            EXPECT_EQ(idleG[j], 0.0);
            EXPECT_NEAR(b.cool_iToxl[j], 500.0, 1e-9);
            if (!c.kind4) {
                EXPECT_NEAR(ownT[j], 500.0, 1e-9);
            }
            // The other row's own set is not touched.
            EXPECT_EQ((j == 1 ? b.cool_fGoxl : b.cool_oGoxl)[j], 0.0);
        }
    }
}

}  // namespace
