// The full result report on a solved stage: its tables, the stage values it
// works out, the export files it writes, and the case it leaves behind.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "halvorine2/halvorine2.h"
#include "reports/report_api.h"
#include "tests/support/captured_console.h"
#include "tests/support/flow_path.h"
#include "tests/support/golden.h"
#include "tests/support/solved_stage.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using h2::test::Elem;

std::string print_result_report() { return h2::test::printed(report_result); }

// The text from heading up to the next end after it (or to the end of text).
std::string section(const std::string& text, const char* heading, const char* end) {
    const auto from = text.find(heading);
    if (from == std::string::npos) return {};
    const auto to = text.find(end, from + std::strlen(heading));
    return text.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The stage efficiency table, heading to the dash rule after it.
std::string efficiency_table(const std::string& text) { return section(text, "u/Co", "-----"); }

std::string fixed(double x) {
    char s[32];
    std::snprintf(s, sizeof s, "%11f", x);
    return s;
}

// Isentropic enthalpy drop of the fixture's perfect gas (cp 1006.25, k 1.4)
// from 4 bar, 1000 K total to 2 bar static.
const double kStageDrop = 1006.25 * 1000.0 * (1.0 - std::pow(0.5, 0.4 / 1.4));

constexpr const char* kExports[] = {"expdata.pbd", "expdata.sch", "expdata_Ax.sch"};

// The loaded example holds the cascade geometry of the middle streamline only;
// the solver would spread it over the span. The section models read it on
// every streamline (and set the blade count from the last one).
void spread_cascade_geometry() {
    bdLocals* b = get_bdLocals();
    const int m = b->cyld_nr / 2;
    for (double** X : {b->cas_b, b->cas_bx, b->cas_B1g, b->cas_B2a, b->cas_B2g, b->cas_t, b->cas_tb,
                       b->cas_a2, b->cas_a_, b->cas_b_, b->cas_r1, b->cas_w1})
        for (int i = 1; i <= b->cyld_ns; ++i)
            for (int j = 0; j < b->cyld_nr; ++j) X[i][j] = X[i][m];
}

// Reports print into a fresh temporary directory, where they write their files.
class ResultReport : public h2::test::SolvedStageTest {
protected:
    void SetUp() override {
        SolvedStageTest::SetUp();
        spread_cascade_geometry();
        // The loaded case is named by its file's path, which differs between checkouts.
        std::snprintf(block()->name, sizeof block()->name, "%s", "air_turbine_stage");
    }
    h2::test::TempDir dir_;
    h2::test::CapturedConsole console_;
};

TEST_F(ResultReport, SolvedStage) {
    calc_integral(1);
    const std::string text = print_result_report();
    // The stage row worked by hand: blade speed 300 m/s, rotor outlet 180.27756 m/s,
    // work 300 * (400 + 100) J/kg on 3 kg/s.
    const std::string stage = efficiency_table(text);
    for (const char* value : {"0.498910", "2.008751", "0.560806", "0.829703", "0.886525", "0.089885",
                              "180787.55", "169199.98", "150000.00", "450000.00"})
        EXPECT_TRUE(has(stage, value)) << value;
    EXPECT_TRUE(has(stage, fixed(300.0 / std::sqrt(2 * kStageDrop))));
    EXPECT_TRUE(has(stage, fixed(180.27756 * 180.27756 / (2 * kStageDrop))));
    EXPECT_NEAR(block()->elem_Ht[1], kStageDrop / (300.0 * 300.0), 1e-6);

    EXPECT_TRUE(has(text, "End calculating air_turbine_stage."));
    EXPECT_STREQ(block()->name, "air_turbine_stage");
    for (const char* name : kExports) EXPECT_GT(fs::file_size(dir_.path() / name), 0u) << name;
    h2::test::expect_golden(text, "result_report.txt");
}

// The report names the section models it used: a sound file in the working
// directory, the built-in tables where there is none.
TEST_F(ResultReport, NamesTheSectionModelsItUsed) {
    const fs::path data = fs::path(H2_PLUGIN_DIR).parent_path() / "data";
    fs::copy_file(data / "model_g.bin", dir_.path() / "model_g.bin");
    calc_integral(1);
    const std::string text = print_result_report();
    EXPECT_TRUE(has(text, "\nSection models: rotor built-in tables, stator model_g.bin\n")) << text;
}

// No stream: the report goes to standard output, the same text as into a stream.
TEST_F(ResultReport, NullStreamIsStandardOutput) {
    calc_integral(1);
    std::fflush(stdout);
    std::FILE* capture = std::tmpfile();
    ASSERT_NE(capture, nullptr);
    const int saved = dup(fileno(stdout));
    ASSERT_GE(dup2(fileno(capture), fileno(stdout)), 0);
    report_result(nullptr);
    std::fflush(stdout);
    dup2(saved, fileno(stdout));
    close(saved);
    std::string text;
    std::rewind(capture);
    for (int ch; (ch = std::fgetc(capture)) != EOF;) text += static_cast<char>(ch);
    std::fclose(capture);
    EXPECT_TRUE(has(text, "R E S U L T S"));
    EXPECT_EQ(text, print_result_report());
}

TEST_F(ResultReport, NothingWithoutArraysOrWithCountsPastThem) {
    block()->cyld_ns = 40;
    EXPECT_EQ(print_result_report(), "");
    EXPECT_EQ(has_stages(), 0);
    block()->cyld_ns = 2;
    block()->cyld_nr = 4;
    EXPECT_EQ(print_result_report(), "");
    for (const char* name : kExports) EXPECT_FALSE(fs::exists(dir_.path() / name)) << name;
}

TEST_F(ResultReport, TwoStreamlinesMarkTheFirstAndTakeStageValuesFromTheSecond) {
    block()->cyld_nr = 2;
    h2::test::set_rows("flow__u2", 2, 150.0);
    block()->flow_u2[2][1] = 300.0;
    calc_integral(1);
    const std::string text = print_result_report();
    EXPECT_TRUE(has(text, "\nr2  0       "));
    EXPECT_TRUE(has(text, "\n    1       "));
    EXPECT_FALSE(has(text, "\nr2  1 "));
    EXPECT_TRUE(has(efficiency_table(text), fixed(300.0 / std::sqrt(2 * block()->elem_H[1]))));
}

TEST_F(ResultReport, OneStreamlineHasNoStreamlineColumn) {
    block()->cyld_nr = 1;
    calc_integral(1);
    const std::string text = print_result_report();
    EXPECT_TRUE(has(text, "\n i            u1"));
    EXPECT_TRUE(has(text, "\nr2            300"));
    EXPECT_FALSE(has(text, " j "));
}

TEST_F(ResultReport, CompressingPath) {
    block()->elem_p2[2] = 4e5;  // equal pressures count as compressing
    block()->strs_policy = 1;
    block()->ITML = 1;
    calc_integral(1);
    const std::string text = print_result_report();
    EXPECT_TRUE(has(text, "i2w*"));
    EXPECT_FALSE(has(text, "x2           r2"));
    EXPECT_TRUE(has(text, "\nCompressor profile areas estimation:\n\n"));
    EXPECT_TRUE(has(text, "Vb_02 = "));
    EXPECT_FALSE(has(text, "Turbine profile areas"));
    EXPECT_FALSE(has(text, "Stress and mass report"));
    EXPECT_FALSE(has(text, "Detailed flow rate balances"));
    EXPECT_FALSE(has(text, "GE loses"));
}

TEST_F(ResultReport, ExpandingPathWithLeakageShowsBalancesAndStress) {
    block()->strs_policy = 1;
    block()->ITML = 1;
    calc_integral(1);
    const std::string text = print_result_report();
    EXPECT_TRUE(has(text, "Detailed flow rate balances"));
    EXPECT_TRUE(has(text, "Stress and mass report"));
    EXPECT_TRUE(has(text, "Zg          Zb        Zout"));
    EXPECT_TRUE(has(text, "\nF_2_1 = "));
    // The relative total pressure stands in for the relative Mach number only
    // when the inlet has no entropy.
    EXPECT_TRUE(has(text, "p2w*"));
    block()->isd_s2[0][0] = 1.0;
    EXPECT_TRUE(has(print_result_report(), "Mw2"));
}

TEST_F(ResultReport, PathWithoutStagesPrintsNoStageBlock) {
    calc_integral(1);
    block()->bld_z[2] = 0.0;  // the rotor row loses its blades: no rotor, no stage
    block()->elem_Ht[1] = 7.5;
    block()->cyld_effGE = 0.25;
    EXPECT_EQ(has_stages(), 0);
    const std::string text = print_result_report();
    EXPECT_FALSE(has(text, "Parameters by stages"));
    EXPECT_FALSE(has(text, "Parameters by elements"));
    EXPECT_EQ(block()->elem_Ht[1], 7.5);
    EXPECT_EQ(block()->cyld_effGE, 0.25);
}

TEST_F(ResultReport, LossModelEfficiencyNeedsAnIsentropicDrop) {
    calc_integral(1);
    bdLocals* b = block();
    b->GElos_LU[1] = 1000.0;  // J/kg on the stator's 3 kg/s: 3000 W
    b->cyld_effGE = 0.25;
    b->cyld_H0 = 0.0;
    std::string text = print_result_report();
    EXPECT_TRUE(has(text, "\nNGE = 3000 W\t\tEffGE=0 -\n"));
    EXPECT_EQ(b->cyld_effGE, 0.25);
    b->cyld_H0 = 6000.0;
    text = print_result_report();
    EXPECT_DOUBLE_EQ(b->cyld_effGE, 3000.0 / 6000.0 / 3.0);
}

TEST_F(ResultReport, AngleTableOnlyForGaugingTasks) {
    calc_integral(1);
    bdLocals* b = block();
    b->AngMask[1] = 1.0;
    b->ang_mask_factor = 0.5;
    b->cas_B2a[1][1] = 30.0;
    b->cas_B2a[2][1] = 155.0;
    for (int task : {40, 400, 4, 10, 30}) {
        b->cyld_VART = task;
        const std::string table = section(print_result_report(), "Angle`s adjustments results:", "=====");
        EXPECT_EQ(!table.empty(), task == 40 || task == 400) << task;
        if (table.empty()) continue;
        // Stator: 30 degrees scaled by 0.5 * 1 + 1; rotor: 180 - 155, unscaled.
        EXPECT_TRUE(has(table, "\ns1           20         30")) << table;
        EXPECT_TRUE(has(table, "        1.5         yes\n"));
        EXPECT_TRUE(has(table, "\nr2           25         25"));
        EXPECT_TRUE(has(table, "          1          no\n"));
    }
}

TEST_F(ResultReport, DesignTaskTurbineRowsLeaveTheLoading) {
    calc_integral(1);
    bdLocals* b = block();
    b->cyld_VART = 4;
    b->elem_Ht[1] = 7.5;
    b->cyld_mass = 12.5;
    b->bld_Rh1[1] = 0.08;  // hub radius: hub diameter 0.16 m
    b->bld_Rt2[2] = 0.125;
    const std::string text = print_result_report();
    EXPECT_TRUE(has(efficiency_table(text), " 1      0.498910    0.000000 "));
    EXPECT_EQ(b->elem_Ht[1], 7.5);
    // The stator and rotor as one stage of the diameter table: hub diameter at
    // the stator inlet first, tip diameter at the rotor outlet last but for cz_ and Ht_ as stored.
    const std::string diameters = section(text, "  is        Dh0", "=====");
    EXPECT_TRUE(has(diameters, "\n   1       0.16 ")) << diameters;
    EXPECT_TRUE(has(diameters, "       0.25        0.5        7.5\n")) << diameters;
    EXPECT_TRUE(has(text, "\ncyld__mass = 12.5\n"));
    b->cyld_VART = 10;
    EXPECT_FALSE(has(print_result_report(), "Dh0"));
}

TEST_F(ResultReport, WithoutAFluidTheDrynessIsNotANumber) {
    calc_integral(1);
    block()->fluid_func = nullptr;
    const std::string text = print_result_report();
    EXPECT_TRUE(has(text, "           x2           r2\n"));
    EXPECT_TRUE(has(section(text, "x2", "-----"), "          nan     0.101"));
    EXPECT_FALSE(has(text, "Integral parameters"));
}

// A turbine path of the elements given on one streamline: the stator in
// element 1 with an isentropic drop of 40000 J/kg, a rotor at the end with
// blade speed 200 m/s and outlet speed 100 m/s.
class StagePairing : public h2::test::LiveCaseTest {
protected:
    void make(std::initializer_list<Elem> elems) {
        h2::test::make_flow_path(elems, 1);
        bdLocals* b = block();
        const int r = b->cyld_ns;
        b->cas_B1g[r][0] = 60.0;
        b->cas_B2a[r][0] = 155.0;
        for (int i = 1; i < r; ++i) b->elem_H[i] = 40000.0;
        b->flow_u2[r][0] = 200.0;
        b->flow_c2[r][0] = 100.0;
        b->elem_G2[r] = 2.5;
        b->elem_Ht[1] = 7.5;
    }
    h2::test::TempDir dir_;
    h2::test::CapturedConsole console_;
};

TEST_F(StagePairing, DuctBetweenStatorAndRotor) {
    make({Elem::Inlet, Elem::Stator, Elem::Duct, Elem::Rotor});
    const std::string text = print_result_report();
    // u/Co = 200 / sqrt(2 * 40000), Ht_ = 40000 / 200^2, Zout = 100^2 / (2 * 40000).
    const std::string stage = efficiency_table(text);
    EXPECT_TRUE(has(stage, " 1      0.707107    1.000000")) << stage;
    EXPECT_TRUE(has(stage, "    0.125000 "));
    EXPECT_DOUBLE_EQ(block()->elem_Ht[1], 1.0);
    EXPECT_TRUE(has(section(text, "Parameters by stages", "u/Co"), " 1      3.000000    2.500000"));
}

TEST_F(StagePairing, TwoStatorsBeforeTheRotor) {
    make({Elem::Inlet, Elem::Stator, Elem::Stator, Elem::Rotor});
    const std::string stage = efficiency_table(print_result_report());
    EXPECT_TRUE(has(stage, " 1      0.707107    1.000000")) << stage;
    EXPECT_FALSE(has(stage, "\n 2 "));
    EXPECT_EQ(block()->elem_Ht[1], 7.5);  // the first stator starts no stage of its own
    EXPECT_DOUBLE_EQ(block()->elem_Ht[2], 1.0);
}

TEST_F(StagePairing, CoolingRowsTakeTheRotorOfTheStage) {
    make({Elem::Inlet, Elem::Stator, Elem::Stator, Elem::Rotor});
    bdLocals* b = block();
    b->stgtd_cooled[3] = 1.0;
    b->cyld_sumHoxl = 1.0;
    b->cool_DGOXL1[2] = 0.02;  // the second stator's own cooling flow
    b->cool_DGOXL1[3] = 0.05;
    b->cool_DGOXL2[3] = 0.01;
    b->cool_tox[3] = 500.0;
    const std::string table = section(print_result_report(), "Cooling rates and loses:", "Effcool=");
    // The first stator has no rotor of its own: its rotor columns stay empty.
    EXPECT_TRUE(has(table, "\n  1    0.000    0.000    0.000 ")) << table;
    EXPECT_TRUE(has(table, "      0       0\n  2    0.020    0.000    0.060 "));
    EXPECT_TRUE(has(table, "      0     500\n"));
}

// A first rotor without a stator in front is a stage of its own; its row keeps
// every value under its heading (the isentropic drop to total under "Hox").
TEST_F(StagePairing, LoneRotorRow) {
    make({Elem::Inlet, Elem::Rotor, Elem::Stator, Elem::Rotor});
    bdLocals* b = block();
    b->cas_B1g[1][0] = 60.0;
    b->cas_B2a[1][0] = 155.0;
    b->flow_u2[1][0] = 200.0;
    b->flow_c2[1][0] = 100.0;
    b->elem_Hx[1] = 30000.0;
    b->enrg_Lu[1][0] = 25000.0;
    b->elem_Ns[1] = 75000.0;
    const std::string text = print_result_report();
    const std::string stage = efficiency_table(text);
    EXPECT_TRUE(has(stage, "\nr1      0.707107    1.000000    0.000000 ")) << stage;
    EXPECT_TRUE(has(stage, "0.000000" + std::string(16, ' ') +
                               "0.000000    0.125000    40000.00    30000.00    25000.00    75000.00\n"));
    EXPECT_TRUE(has(stage, "\n 2      0.707107    1.000000"));
    EXPECT_DOUBLE_EQ(b->elem_Ht[1], 1.0);
    const std::string flows = section(text, "Parameters by stages", "u/Co");
    EXPECT_TRUE(has(flows, "\nr1      3.000000    3.000000" + std::string(16, ' ') + "0.000000")) << flows;
    EXPECT_TRUE(has(flows, " 0.0000e+00      0.0000\n 2  "));
}

// A compressor stage: rotor 1 (blade speed 200 m/s, work 40000 J/kg, drop
// -30000 J/kg, meridional outlet speed 50 m/s) and stator 2, pressure rising.
TEST_F(StagePairing, CompressorStageRow) {
    h2::test::make_flow_path({Elem::Inlet, Elem::Rotor, Elem::Stator}, 1);
    bdLocals* b = block();
    b->elem_p2[2] = 5e5;
    b->flow_u2[1][0] = 200.0;
    b->enrg_Lu[1][0] = -40000.0;
    b->elem_H[1] = -30000.0;
    b->flow_c2s[1][0] = 50.0;
    b->elem_Gmax[1] = 5.0;
    const std::string text = print_result_report();
    const std::string stage = efficiency_table(text);
    EXPECT_TRUE(has(stage, "Zb          Zg         Zrz"));
    // u / sqrt(2 |H|), -Lu / u^2, c2s / u
    EXPECT_TRUE(has(stage, "\n  1    0.816497    1.000000    0.250000 ")) << stage;
    EXPECT_DOUBLE_EQ(b->elem_Ht[1], 1.0);
    EXPECT_TRUE(has(section(text, "Parameters by stages", "u/Co"), "\n  1    3.000000    3.000000 "));
    EXPECT_TRUE(has(text, "\nChock parameters:\tGmax=5 kg/s\n"));
    EXPECT_FALSE(has(text, "GE loses"));
}

TEST_F(StagePairing, RotorFollowingDirectly) {
    make({Elem::Inlet, Elem::Stator, Elem::Rotor});
    const std::string stage = efficiency_table(print_result_report());
    EXPECT_TRUE(has(stage, " 1      0.707107    1.000000")) << stage;
    EXPECT_DOUBLE_EQ(block()->elem_Ht[1], 1.0);
}

}  // namespace
