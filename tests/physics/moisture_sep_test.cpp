#include "physics/moisture_sep.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "halvorine2/case_data.h"
#include "tests/support/case_fixture.h"

namespace {

constexpr int kNS = 6;    // inlet and three stages
constexpr int kNR = 3;    // middle streamline 1
constexpr int kLast = 6;  // second element of the last stage (m = 1)

// Three wet stages. The last stage: outlet pressure 1e4 Pa (L = 4), d2/l2 = 5,
// no corrections switched on, equal flows, clearances 0.125 and 0.2 of the
// channel width (J1 = 1.12, J2 = 1.11).
class MoistureSepTest : public h2::test::CaseTest {
protected:
    void SetUp() override {
        h2::test::CaseTest::SetUp();
        bdLocals* b = block();
        b->cyld_ns = kNS;
        b->cyld_nr = kNR;
        ASSERT_EQ(alloc_probdata(kNS + 1, kNR), 0);
        b->wet_stage_count = 3;
        b->elem_p2[kNS] = 1.0e4;
        for (int k = 0; k <= kNS; ++k) {
            b->bld_d2[k] = 0.5;
            b->bld_l2[k] = 0.1;
            b->elem_G1[k] = 3.0;
            b->clrn_DB1[k] = 0.00125;
            b->clrn_DB2[k] = 0.002;
            for (int j = 0; j < kNR; ++j) b->cas_b[k][j] = 0.01;
        }
    }
    void TearDown() override {
        if (block()->elem_p2 != nullptr) {
            EXPECT_EQ(free_probdata(), 0);
        }
        h2::test::CaseTest::TearDown();
    }
    void set_ratio(double r) { block()->bld_d2[kLast] = r * block()->bld_l2[kLast]; }

    h2::MoistureSepFactors last_stage() {
        h2::MoistureSepFactors f;
        EXPECT_TRUE(h2::moisture_sep_factors(1, f));
        return f;
    }
};

// ---- base coefficient F -----------------------------------------------------

struct BaseCase {
    double p_out;  // Pa
    double r;      // d2/l2
    double F;
};

std::ostream& operator<<(std::ostream& os, const BaseCase& c) {
    return os << "p " << c.p_out << " r " << c.r;
}

class BaseCoefficient : public MoistureSepTest, public ::testing::WithParamInterface<BaseCase> {};

TEST_P(BaseCoefficient, ReadsTheTableOverPressureAndBladeRatio) {
    const BaseCase& c = GetParam();
    block()->elem_p2[kNS] = c.p_out;
    set_ratio(c.r);
    EXPECT_NEAR(last_stage().F, c.F, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Table, BaseCoefficient,
                         ::testing::Values(BaseCase{1.0e4, 5.0, 0.21},     // L = 4
                                           BaseCase{1.0e6, 5.0, 0.1},      // L = 6
                                           BaseCase{1.0e5, 5.0, 0.155},    // halfway
                                           BaseCase{1.0e4, 7.0, 0.279},    // between r 6 and 8
                                           BaseCase{1.0e3, 5.0, 0.265},    // L = 3, along the end cell
                                           BaseCase{1.0e4, 30.0, 0.33}));  // flat beyond r = 20

// ---- corrections switched by integer part -----------------------------------

struct SwitchCase {
    const char* name;
    double VS, VI, r;
    double K, W, J1;
};

std::ostream& operator<<(std::ostream& os, const SwitchCase& c) { return os << c.name; }

class Corrections : public MoistureSepTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(Corrections, FollowTheSwitchesAndBladeRatio) {
    const SwitchCase& c = GetParam();
    block()->bld_VS[kLast] = c.VS;
    block()->elem_VI[kLast] = c.VI;
    set_ratio(c.r);
    const h2::MoistureSepFactors f = last_stage();
    EXPECT_NEAR(f.K, c.K, 1e-9);
    EXPECT_NEAR(f.W, c.W, 1e-9);
    EXPECT_NEAR(f.J1, c.J1, 1e-12);
    EXPECT_NEAR(f.J2, 1.11, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Corrections,
    ::testing::Values(SwitchCase{"Off", 0.0, 0.0, 5.0, 1.0, 1.0, 0.0},
                      SwitchCase{"FractionsCountAsOff", 0.9, -0.9, 5.0, 1.0, 1.0, 0.0},
                      SwitchCase{"JustBelowFive", 1.0, 1.0, 5.0 - 1e-12, 1.2, 0.805, 1.12},
                      SwitchCase{"AtFive", 1.0, 1.0, 5.0, 1.2, 0.778, 1.12},  // the W pieces do not meet
                      SwitchCase{"AtSeven", 1.0, 1.0, 7.0, 1.15, 0.775, 1.12},
                      SwitchCase{"ShortBlades", 2.0, 1.0, 4.0, 1.25, 0.835, 1.12},
                      SwitchCase{"LongBlades", 1.0, 1.0, 10.0, 1.12, 0.751, 1.12}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MoistureSepTest, ClearancesBelowTheirBreaks) {
    bdLocals* b = block();
    b->elem_VI[kLast] = 1.0;
    b->clrn_DB1[kLast] = 0.0005;  // q1 = 0.05
    b->clrn_DB2[kLast] = 0.001;   // q2 = 0.1
    const h2::MoistureSepFactors f = last_stage();
    EXPECT_NEAR(f.J1, 1.02 - 3.067 * 0.025, 1e-12);
    EXPECT_NEAR(f.J2, 1.08 - 1.733 * 0.05, 1e-12);
}

// ---- place among the wet stages and flow balance ----------------------------

struct PlaceCase {
    int n, m;
    double X;
};

std::ostream& operator<<(std::ostream& os, const PlaceCase& c) { return os << "n " << c.n << " m " << c.m; }

class WetPlace : public MoistureSepTest, public ::testing::WithParamInterface<PlaceCase> {};

TEST_P(WetPlace, GrowsWithTheWetStagesBefore) {
    block()->wet_stage_count = GetParam().n;
    h2::MoistureSepFactors f;
    ASSERT_TRUE(h2::moisture_sep_factors(GetParam().m, f));
    EXPECT_NEAR(f.X, GetParam().X, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Table, WetPlace,
                         ::testing::Values(PlaceCase{3, 1, 0.8890725949637087},  // B = 0.24, D = 0.16
                                           PlaceCase{5, 1, 1.1256810403707038},  // B = 0.3234
                                           PlaceCase{3, 3, 0.0}));               // the first wet stage

TEST_F(MoistureSepTest, FlowBalance) {
    EXPECT_DOUBLE_EQ(last_stage().H, 1.0);
    block()->elem_G1[kLast - 1] = 3.15;  // 5 % taken out in the stage
    EXPECT_NEAR(last_stage().H, 1.3335, 1e-12);
}

// ---- the coefficient ----------------------------------------------------------

TEST_F(MoistureSepTest, MultipliesTheFactors) {
    bdLocals* b = block();
    set_ratio(4.0);  // F = 0.16, K = 1.25, W = 0.835
    b->bld_VS[kLast] = 1.0;
    b->elem_VI[kLast] = 1.0;
    b->elem_G1[kLast - 1] = 3.15;  // H = 1.3335
    b->clrn_DB1[kLast] = 0.0005;   // J1 = 0.943325
    b->clrn_DB2[kLast] = 0.001;    // J2 = 0.99335
    EXPECT_NEAR(stage_moisture_sep(1), 0.23358165962467464, 1e-12);
}

TEST_F(MoistureSepTest, WithoutCorrectionsTheLastFactorIsJ2) {
    // F 0.21, K 1, H 1, X 0.88907, J2 1.11.
    EXPECT_NEAR(stage_moisture_sep(1), 0.21 * 0.8890725949637087 * 1.11, 1e-12);
}

TEST_F(MoistureSepTest, FirstWetStageSeparatesNothing) {
    EXPECT_EQ(stage_moisture_sep(3), 0.0);  // m = n
}

// ---- stages and data that give no coefficient -------------------------------

class NoStage : public MoistureSepTest, public ::testing::WithParamInterface<int> {};

TEST_P(NoStage, GivesZero) { EXPECT_EQ(stage_moisture_sep(GetParam()), 0.0); }

// m = 4 puts k on the inlet (0); m = 0 and below would put it past the path.
INSTANTIATE_TEST_SUITE_P(Table, NoStage, ::testing::Values(4, 5, 0, -3));

struct MissingCase {
    const char* name;
    void (*spoil)(bdLocals*);
};

std::ostream& operator<<(std::ostream& os, const MissingCase& c) { return os << c.name; }

class MissingData : public MoistureSepTest, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(MissingData, GivesZero) {
    GetParam().spoil(block());
    EXPECT_EQ(stage_moisture_sep(1), 0.0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MissingData,
    ::testing::Values(MissingCase{"NoWetStages", [](bdLocals* b) { b->wet_stage_count = 0; }},
                      MissingCase{"NoBladeHeight", [](bdLocals* b) { b->bld_l2[kLast] = 0.0; }},
                      MissingCase{"NoStageFlow", [](bdLocals* b) { b->elem_G1[kLast] = 0.0; }},
                      MissingCase{"NoChannelWidth", [](bdLocals* b) { b->cas_b[kLast][kNR / 2] = 0.0; }},
                      MissingCase{"NoOutletPressure", [](bdLocals* b) { b->elem_p2[kNS] = 0.0; }}),
    [](const auto& info) { return std::string(info.param.name); });

class MoistureSepNoArrays : public h2::test::CaseTest {};

TEST_F(MoistureSepNoArrays, CaseWithoutArraysGivesZero) {
    block()->cyld_ns = kNS;
    block()->cyld_nr = kNR;
    block()->wet_stage_count = 3;
    EXPECT_EQ(stage_moisture_sep(1), 0.0);
}

}  // namespace
