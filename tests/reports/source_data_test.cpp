// The code-to-text tables, the note cut out of a loss model's description, and
// the source-data report with its element tables.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "halvorine2/halvorine2.h"
#include "halvorine2/loss_plugin.h"
#include "reports/code_names.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"
#include "tests/support/example_stage.h"
#include "tests/support/golden.h"
#include "tests/support/solved_stage.h"

namespace {

namespace fs = std::filesystem;

std::string print_report() { return h2::test::printed(report_data); }

using h2::test::expect_golden;

class CodeNames : public h2::test::LiveCaseTest {};

TEST_F(CodeNames, TablesAndFallbacks) {
    std::snprintf(block()->fluidName, sizeof block()->fluidName, "%s", "helium");
    std::snprintf(block()->cfluidName, sizeof block()->cfluidName, "%s", "argon");
    block()->cyld_VART = 2;
    const std::string design_diameter = spec_diameter_name(1);
    block()->cyld_VART = 10;
    struct Row {
        std::string got, want;
    } rows[] = {
        {task_name(3), "unknown"},
        {task_name(0), "unknown"},
        {task_name(10), "Find outlet PRESSURE for given MFR, twist fixed"},
        {task_name(100), "Find outlet PRESSURE for given MFR, twist parameterized"},
        {task_name(20), "Find of MFR for given outlet PRESSURE, twist fixed"},
        {fluid_name(2), "STEAM"},
        {cfluid_name(5), "METHANE"},
        {fluid_name(-1), "helium"},
        {cfluid_name(-1), "argon"},
        {exit_pressure_name(1), "Total exit pressure"},
        {exit_pressure_name(2), "unknown"},
        {design_diameter, "Specific middle diameter"},
        {spec_diameter_name(1), "unknown"},
        {elem_kind_name(13), "unkn"},
        {elem_kind_name(12), "lbda"},
        {elem_kind_name(-1), "unkn"},
        {sect_type_name(4), "unkn"},
        {sect_type_name(3), "out"},
        {streamline_adj_name(), "Fixed"},
    };
    for (const Row& r : rows) EXPECT_EQ(r.got, r.want);
}

TEST_F(CodeNames, FluidNameIsReadWithinItsField) {
    std::memset(block()->fluidName, 'x', sizeof block()->fluidName);
    EXPECT_EQ(std::string(fluid_name(-1)), std::string(sizeof block()->fluidName, 'x'));
}

TEST(CutNote, Table) {
    struct Case {
        std::string text, note;
    } cases[] = {
        {"head <note> \t it's a 'model' \t </note> tail", "it`s a `model`"},
        {"  plain text</note> tail", "  plain text"},
        {"<note>   </note>", ""},
        {"</note> x <note> y", ""},
        {"<note>open ended", "open ended"},
    };
    for (const Case& c : cases) {
        char buffer[200] = {};
        std::snprintf(buffer, sizeof buffer, "%s", c.text.c_str());
        EXPECT_EQ(std::string(cut_note(buffer)), c.note) << c.text;
    }
    char full[200];
    std::memset(full, 'a', sizeof full);
    EXPECT_EQ(std::strlen(cut_note(full)), 199u);
}

void profile_note(int size, char* buffer) { std::snprintf(buffer, size, "<note>profile by 'A'</note>"); }
void other_note(int size, char* buffer) { std::snprintf(buffer, size, "<note>other</note>"); }

TEST_F(CodeNames, LossNotes) {
    allocate(1, 1);
    ASSERT_EQ(h2_loss_install(block(), H2_LOSS_P, 1, nullptr, reinterpret_cast<LossEntry>(profile_note)), 1);
    block()->elem_MethodP[1] = 0.0;
    EXPECT_STREQ(loss_note_P(1), "fixed");
    block()->elem_MethodP[1] = -1.0;
    EXPECT_STREQ(loss_note_P(1), "profile by `A`");
    EXPECT_STREQ(loss_note_S(1), "fixed");
    EXPECT_STREQ(loss_note_P(7), "fixed");
}

// Each thread's loss texts live in its own buffers: two threads printing
// different notes never see each other's.
TEST(LossNoteThreads, EachThreadKeepsItsOwnText) {
    ASSERT_EQ(binit_threading(), 0);
    auto worker = [](LossNoteFunc note, const char* want, bool* ok) {
        ASSERT_NE(binit(), nullptr);
        bdLocals* b = get_bdLocals();
        b->cyld_ns = 1;
        b->cyld_nr = 1;
        ASSERT_EQ(alloc_probdata(2, 1), 0);
        h2_loss_install(b, H2_LOSS_P, 1, nullptr, reinterpret_cast<LossEntry>(note));
        b->elem_MethodP[1] = 1.0;
        for (int k = 0; k < 2000; ++k) {
            const char* text = loss_note_P(1);
            std::this_thread::yield();
            if (std::strcmp(text, want) != 0) *ok = false;
        }
        bterm();
    };
    bool ok1 = true, ok2 = true;
    std::thread t1(worker, profile_note, "profile by `A`", &ok1);
    std::thread t2(worker, other_note, "other", &ok2);
    t1.join();
    t2.join();
    EXPECT_TRUE(ok1);
    EXPECT_TRUE(ok2);
    bend_threading();
}

class SourceData : public h2::test::LiveCaseTest {};

TEST_F(SourceData, ExampleGoldens) {
    ASSERT_TRUE(h2::test::load_loss_free_example_stage());
    std::snprintf(block()->name, sizeof block()->name, "%s", "air_turbine_stage");  // not the loaded path
    block()->IPI = 1;
    block()->IP = 1;
    const double tb = block()->cas_tb[1][0];
    block()->cas_tb[1][0] = 0.0;
    const std::string short_report = print_report();
    EXPECT_EQ(block()->cas_tb[1][0], 0.0);  // no fill at IPI 1
    expect_golden(short_report, "source_data_ipi1.txt");
    block()->cas_tb[1][0] = tb;
    block()->IPI = 2;
    const std::string full = print_report();
    expect_golden(full, "source_data_ipi2.txt");
    EXPECT_EQ(print_report(), full);
}

TEST_F(SourceData, PitchToChordFill) {
    ASSERT_TRUE(h2::test::load_loss_free_example_stage());
    bdLocals* b = block();
    b->IPI = 2;
    b->bld_z[1] = 40.0;
    b->cas_b[1][0] = 0.05;
    b->flow_r2[1][0] = 0.5;
    b->cas_tb[1][0] = 0.0;
    b->bld_z[2] = 0.0;
    b->cas_tb[2][0] = 0.0;
    print_report();
    EXPECT_NEAR(b->cas_tb[1][0], M_PI / 2, 1e-15);
    EXPECT_EQ(b->cas_tb[2][0], 0.0);  // no blades: nothing finite to store
}

TEST_F(SourceData, NothingWithoutArraysOrWithCountsPastThem) {
    EXPECT_EQ(print_report(), "");
    allocate(1, 1);
    block()->cyld_ns = 5;
    EXPECT_EQ(print_report(), "");
    block()->cyld_ns = 1;
}

TEST(SourceDataWithoutCase, NothingPrinted) { EXPECT_EQ(print_report(), ""); }

}  // namespace

namespace {

class SourceDataLines : public h2::test::LiveCaseTest {};

TEST_F(SourceDataLines, DesignTaskDispositionAndClosingRule) {
    ASSERT_TRUE(h2::test::load_loss_free_example_stage());
    block()->cyld_VART = 1;
    block()->S1mode = 3;
    block()->cyld_Disp = 7;
    block()->IP = 0;
    block()->IPO = 0;
    const std::string text = print_report();
    EXPECT_NE(text.find("Cascade`s optimization       S1mode = 3\n\n"), std::string::npos);
    EXPECT_NE(text.find("Disp = 7 (Vertical Up)\n\n"), std::string::npos);
    EXPECT_EQ(text.find("Initial velocities"), std::string::npos);
    EXPECT_EQ(text.find(std::string(159, '=') + "\n", 400), std::string::npos);  // only the banner's rules
}

TEST_F(SourceDataLines, VelocityGuessTwelveToALine) {
    allocate(24, 1);
    block()->cyld_VART = 10;
    for (int i = 0; i <= 24; ++i) block()->wb[i] = 1.0;
    const std::string text = print_report();
    std::string twelve;
    for (int k = 0; k < 12; ++k) twelve += "1          ";
    const std::string want = twelve + "\n" + twelve + "\n" + "1          \n\n";
    EXPECT_NE(text.find(want), std::string::npos) << text;
}

}  // namespace

namespace {

class SourceDataGroups : public h2::test::LiveCaseTest {};

// Element 100 lies past the 100 group marks: it prints ".".
TEST_F(SourceDataGroups, MarkPastTheGroupsIsADot) {
    allocate(100, 1);
    block()->cyld_VART = 10;
    block()->IPI = 2;
    std::memset(block()->sl_groups, 'a', sizeof block()->sl_groups);
    const std::string text = print_report();
    EXPECT_NE(text.find(" a\n 100 "), std::string::npos);
    EXPECT_NE(text.find(" .\n\nSeals data:"), std::string::npos);
}

}  // namespace

namespace {

class SourceDataPath : public h2::test::LiveCaseTest {};

// Equal inlet and outlet pressures count as a compressing path.
TEST_F(SourceDataPath, EqualPressuresCountAsCompressing) {
    ASSERT_TRUE(h2::test::load_loss_free_example_stage());
    bdLocals* b = block();
    b->IPI = 2;
    b->ITML = 1;
    b->elem_p2[b->cyld_ns] = b->elem_p0[0];
    const std::string text = print_report();
    EXPECT_NE(text.find(" om_ "), std::string::npos);
    EXPECT_EQ(text.find("Psi2"), std::string::npos);
    EXPECT_NE(text.find("\nSeals data:"), std::string::npos);
    EXPECT_NE(text.find("\nCompressor blade`s meanline detailed data:"), std::string::npos);
    b->elem_p2[b->cyld_ns] = 0.5 * b->elem_p0[0];
    const std::string turbine = print_report();
    EXPECT_NE(turbine.find("\nLeakage detailed data:"), std::string::npos);
    EXPECT_EQ(turbine.find("Compressor blade"), std::string::npos);
}

}  // namespace

namespace {

void radial_gap_note(int size, char* buffer) { std::snprintf(buffer, size, "<note>tip clearance</note>"); }
void axial_gap_note(int size, char* buffer) { std::snprintf(buffer, size, "<note>axial gap model</note>"); }

class SourceDataNotes : public h2::test::LiveCaseTest {};

// A rotating element shows its radial-clearance model and has no axial-gap
// loss; a stator shows its gap model.
TEST_F(SourceDataNotes, RotatingElementTakesTheRadialClearanceNote) {
    ASSERT_TRUE(h2::test::load_loss_free_example_stage());
    bdLocals* b = block();
    b->IPI = 2;
    for (int i : {1, 2}) {
        ASSERT_EQ(h2_loss_install(b, H2_LOSS_R, i, nullptr, reinterpret_cast<LossEntry>(radial_gap_note)), 1);
        ASSERT_EQ(h2_loss_install(b, H2_LOSS_Z, i, nullptr, reinterpret_cast<LossEntry>(axial_gap_note)), 1);
        b->elem_MethodR[i] = 1.0;
        b->elem_MethodZ[i] = 1.0;
    }
    const std::string text = print_report();
    EXPECT_NE(text.find("Element\t1: (blad axl)\n\tradial gap fixed\n\taxial gap  axial gap model\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Element\t2: (blad axl)\n\tradial gap tip clearance\n\taxial gap  is not used\n"),
              std::string::npos);
}

class SourceDataStreamlines : public h2::test::LiveCaseTest {
protected:
    // Inlet, stator, duct on nr streamlines; equal pressures make the path compressing.
    void make(int nr) {
        allocate(2, nr);
        bdLocals* b = block();
        b->cyld_VART = 10;
        b->IPI = 2;
        b->elem_stagType[1] = 1.0;
        b->bld_z[1] = 10.0;
    }
};

// Four streamlines: the station mark stands on streamline 1, (4 - 1) / 2, while
// the compressor meanline values come from streamline 2, 4 / 2.
TEST_F(SourceDataStreamlines, FourStreamlinesMarkTheSecondAndTakeTheThird) {
    make(4);
    bdLocals* b = block();
    b->cas_tb[1][1] = 0.5;
    b->cas_tb[1][2] = 0.75;
    const std::string text = print_report();
    EXPECT_NE(text.find("\n    0    "), std::string::npos);
    EXPECT_NE(text.find("\ns1  1    "), std::string::npos);
    EXPECT_EQ(text.find("\ns1  2 "), std::string::npos);
    const auto meanline = text.find("meanline detailed data:");
    ASSERT_NE(meanline, std::string::npos);
    const std::string row = text.substr(text.find("\ns1 ", meanline), 80);
    EXPECT_NE(row.find("        0.75 "), std::string::npos) << row;
}

TEST_F(SourceDataStreamlines, OneStreamlineHasNoStreamlineColumn) {
    make(1);
    const std::string text = print_report();
    EXPECT_NE(text.find("\n i            om_          B1g"), std::string::npos) << text;
    EXPECT_EQ(text.find(" j "), std::string::npos);
}

// A plenum prints its segment count negative, whatever its stored sign.
TEST_F(SourceDataStreamlines, PlenumSegmentsPrintNegative) {
    make(1);
    bdLocals* b = block();
    for (double stored : {6.0, -6.0}) {
        b->elem_plenum[2] = 1.0;
        b->elem_NSEGM[2] = stored;
        const std::string text = print_report();
        const std::string row = text.substr(text.find("\n 2   ", text.find("nseg")), 70);
        EXPECT_NE(row.find("        -6 "), std::string::npos) << row;
    }
    b->elem_plenum[2] = 0.0;
    b->elem_NSEGM[2] = 6.0;
    const std::string text = print_report();
    EXPECT_NE(text.substr(text.find("\n 2   ", text.find("nseg")), 70).find("         6 "),
              std::string::npos);
}

// Cooling flows of a blade row, block by block; rows without a blade or a flow stay empty.
TEST_F(SourceDataStreamlines, CoolingBlockRows) {
    make(1);
    bdLocals* b = block();
    b->stgtd_cooled[1] = 1.0;
    b->cool_iGoxl[1] = 0.1;
    b->cool_iToxl[1] = 600.0;
    b->cool_iPoxl[1] = 5e5;
    b->cool_iCoxl[1] = 100.0;
    b->cool_iAoxl[1] = 30.0;
    b->cool_oGoxl[2] = 0.2;  // the duct carries no cooling
    const std::string text = print_report();
    const auto at = text.find("\nCooling detailed data:");
    ASSERT_NE(at, std::string::npos);
    const std::string table = text.substr(at);
    const std::string T = std::to_string(static_cast<int>(unitsToView(600.0 - 273.15, H2_UNIT_TEMPERATURE)));
    EXPECT_NE(
        table.find(" 0   \tBlade's LE:\n 1            0.1 " + std::string(12 - T.size(), ' ') + T +
                   "       500000          100           30 \n 2   \n 0   \tBlade's TE:\n 1   \n 2   \n"),
        std::string::npos)
        << table;
    EXPECT_NE(table.find(" 0   \tBlade's tip:\n 1   \n 2   \n"), std::string::npos);
}

}  // namespace
