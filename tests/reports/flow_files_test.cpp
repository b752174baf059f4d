// The DIRECT and INVERSE flow files: their text pinned by goldens, the
// element-0 and seal rules, the reload through the case-file reader, and the
// failures every writer reports; the element kind classification.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "halvorine2/halvorine2.h"
#include "reports/flow_files.h"
#include "solver/predesign/predesign_tables.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"
#include "tests/support/golden.h"
#include "tests/support/solved_stage.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

using h2::test::expect_golden;

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> words_of(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// The line after the one starting with head.
std::string line_after(const std::vector<std::string>& lines, const std::string& head, int skip = 1) {
    for (std::size_t k = 0; k + skip < lines.size(); ++k)
        if (lines[k].rfind(head, 0) == 0) return lines[k + skip];
    return "";
}

using Writer = int (*)(const char*);

TEST(ElemKind, ClassifiesBySlopeRotationAndExpansion) {
    struct Case {
        int kind, sect;
        double in, out;
        int rotating, expanding, index, expected;
    };
    const Case cases[] = {
        {1, 0, 0, 0, 1, 0, 1, 10},   {1, 0, 0, 0, 0, 1, 1, 4},       {1, 1, 0, 90, 1, 0, 1, 8},
        {1, 1, 90, 90, 0, 0, 1, 15}, {1, 1, 90, 90, 1, 0, 1, 5},     {0, 1, -90, -90, 0, 0, 1, 3},
        {6, 0, -90, 0, 0, 0, 1, 23}, {0, 0, 69.9, 69.9, 0, 0, 1, 1}, {0, 1, 70.1, 109.9, 0, 0, 1, 2},
        {0, 0, 70, 70, 0, 0, 1, 0},  {4, 7, 33, 44, 0, 0, 1, 13},    {7, 0, 0, 0, 0, 0, 1, 22},
        {9, 9, 12, 13, 1, 1, 0, 17}, {1, 0, 0, 0, 1, 0, 0, 17},
    };
    for (const Case& c : cases)
        EXPECT_EQ(h2::match_elem_kind(c.kind, c.sect, c.in, c.out, c.rotating, c.expanding, c.index),
                  c.expected)
            << c.kind << " " << c.sect << " " << c.in << " " << c.out << " " << c.rotating << " "
            << c.expanding << " " << c.index;
    // The numbers are the records' places in the table.
    for (int k = 0; k < h2::kElemKinds; ++k) EXPECT_EQ(h2::elem_kind_table[k].number, k + 1);
}

TEST(FputFmt, AppendsToItsOwnArgumentAndCutsLongText) {
    char line[h2::kLineSize] = "ab";
    EXPECT_EQ(h2::fput_fmt(line, "%s%d", line, 12), 4);
    EXPECT_STREQ(line, "ab12");
    const std::string long_text(3000, 'x');
    EXPECT_EQ(h2::fput_fmt(line, "%s", long_text.c_str()), 1999);
    EXPECT_EQ(std::string(line), std::string(1999, 'x'));
}

class FlowFiles : public h2::test::SolvedStageTest {
protected:
    void SetUp() override {
        SolvedStageTest::SetUp();
        std::snprintf(block()->name, sizeof block()->name, "%s", "air_turbine_stage");
    }
    std::string write(Writer writer, const char* name = "flow.pbd") {
        EXPECT_EQ(writer(name), 0);
        return h2::test::read_file(name);
    }
    h2::test::TempDir dir_;
    h2::test::CapturedConsole console_;
};

TEST_F(FlowFiles, DirectFileOfTheSolvedStage) { expect_golden(write(ExpDirectData), "direct_flow_file.pbd"); }

TEST_F(FlowFiles, InverseFileHoldsTitleAndElementListOnly) {
    const std::string text = write(ExpInverseData);
    expect_golden(text, "inverse_flow_file.pbd");
    EXPECT_EQ(lines_of(text).size(), 4u);  // title and three elements
}

TEST_F(FlowFiles, SingleElementWritesElementZeroValues) {
    block()->cyld_ns = 0;
    const auto lines = lines_of(write(ExpDirectData));
    EXPECT_EQ(lines[0], "# Vemo generated flow DIRECT file flow.pbd - 0 elements");
    EXPECT_EQ(lines[2], "");  // one element line
    const auto row = words_of(line_after(lines, "#             OM"));
    ASSERT_EQ(row.size(), 20u);
    EXPECT_EQ(row[4], "1");  // PSI
    EXPECT_EQ(row[9], "1");  // Eparc
    EXPECT_EQ(row[1], "0");  // OM
    EXPECT_EQ(line_after(lines, "#             OM", 2), "");
    EXPECT_EQ(words_of(line_after(lines, "# CC: m/s")).size(), 1u);
    const auto seal = words_of(line_after(lines, "#              Ts"));
    EXPECT_EQ(seal, std::vector<std::string>(11, "0"));
    EXPECT_EQ(lines.back(), line_after(lines, "#              Ts"));
}

TEST_F(FlowFiles, ModelNamesOnlyForNegativeSwitchesPaddedToForty) {
    block()->cyld_MethodP = -1;
    std::snprintf(block()->losPName, sizeof block()->losPName, "%s", "profile_model");
    block()->cyld_MethodS = 0;
    block()->cyld_MethodN = 3;
    const auto lines = lines_of(write(ExpDirectData));
    EXPECT_EQ(line_after(lines, "#\tProfModel   ", 0),
              "#\tProfModel   " + std::string("profile_model") + std::string(27, ' '));
    EXPECT_EQ(line_after(lines, "#\tScndModel   ", 0), "#\tScndModel   -" + std::string(39, ' '));
    EXPECT_EQ(line_after(lines, "#\tTransModel  ", 0), "#\tTransModel  -" + std::string(39, ' '));
    // A name filling its field is written to the field's end, never past it.
    block()->cyld_fluid = -1;
    std::memset(block()->fluidName, 'F', sizeof block()->fluidName);
    const auto full = lines_of(write(ExpDirectData));
    EXPECT_EQ(line_after(full, "#\tFluidModel  ", 0),
              "#\tFluidModel  " + std::string(20, 'F') + std::string(20, ' '));
}

TEST_F(FlowFiles, NoSealWrittenAsZeroAndUnknownCodes) {
    block()->clrn_drr[2] = 1e20;
    block()->elem_stagType[2] = 13;
    block()->elem_sectType[2] = 5;
    const auto lines = lines_of(write(ExpDirectData));
    EXPECT_EQ(lines[3], "#\t   2    0    0: UNKNOWN UNKNOWN");
    const auto seal = words_of(line_after(lines, "#              Ts", 3));
    ASSERT_EQ(seal.size(), 11u);
    EXPECT_EQ(seal[3], "0");
}

TEST_F(FlowFiles, DirectFileLoadsBackAndWritesTheSameFile) {
    const std::string first = write(ExpDirectData, "first.pbd");
    ASSERT_EQ(load_data("first.pbd"), 0);
    const std::string second = write(ExpDirectData, "first.pbd");
    const auto a = lines_of(first);
    const auto b = lines_of(second);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t k = 1; k < a.size(); ++k) {
        if (a[k] == b[k]) continue;
        // Only the stator's seal diameter is not read back.
        auto wa = words_of(a[k]);
        auto wb = words_of(b[k]);
        ASSERT_EQ(wa.size(), 11u) << a[k];
        EXPECT_EQ(wa[0], "1");
        wa[6] = wb[6] = "";
        EXPECT_EQ(wa, wb);
    }
}

TEST_F(FlowFiles, NoNameWritesToStandardOutputWithEmptyTitleName) {
    for (Writer writer : {ExpDirectData, ExpInverseData}) {
        testing::internal::CaptureStdout();
        const int r = writer(nullptr);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(r, 0);
        EXPECT_EQ(out.find(" file  - 2 elements\n"), out.find('\n') - 19) << out;
    }
}

TEST_F(FlowFiles, WriteAndOpenFailuresGiveMinusOne) {
    for (Writer writer : {ExpDirectData, ExpInverseData, ExpData2Sch, ExpData2Sch_Ax}) {
        h2::test::CapturedConsole console;
        EXPECT_EQ(writer("/dev/full"), -1);
        EXPECT_NE(console.text().find("Can't write file \"/dev/full\""), std::string::npos);
        EXPECT_EQ(writer("missing/flow.pbd"), -1);
        EXPECT_NE(console.text().find("Can't open file \"missing/flow.pbd\""), std::string::npos);
    }
}

TEST_F(FlowFiles, CaseWithoutArraysTouchesNoFile) {
    std::ofstream("kept.pbd") << "kept";
    block()->cyld_nr = 0;
    for (Writer writer : {ExpDirectData, ExpInverseData, ExpData2Sch, ExpData2Sch_Ax})
        EXPECT_EQ(writer("kept.pbd"), -1);
    EXPECT_NE(console_.text().find("ExpDirectData: no case data"), std::string::npos);
    EXPECT_NE(console_.text().find("ExpInverseData: no case data"), std::string::npos);
    EXPECT_EQ(h2::test::read_file("kept.pbd"), "kept");
    EXPECT_FALSE(fs::exists("new.pbd") || ExpDirectData("new.pbd") != -1 || fs::exists("new.pbd"));
}

TEST(FlowFilesWithoutCase, GiveMinusOneAndTouchNoFile) {
    h2::test::TempDir dir;
    h2::test::CapturedConsole console;
    std::ofstream("kept.pbd") << "kept";
    ASSERT_EQ(binit_threading(), 0);
    EXPECT_EQ(ExpDirectData("kept.pbd"), -1);
    EXPECT_EQ(ExpInverseData("kept.pbd"), -1);
    EXPECT_EQ(ExpData2Sch("kept.pbd"), -1);
    EXPECT_EQ(ExpData2Sch_Ax("kept.pbd"), -1);
    bend_threading();
    EXPECT_NE(console.text().find("ExpDirectData: Can't get bdLocals"), std::string::npos);
    EXPECT_EQ(h2::test::read_file("kept.pbd"), "kept");
}

TEST_F(FlowFiles, SchemaFilesOfTheSolvedStage) {
    expect_golden(write(ExpData2Sch, "flow.sch"), "schema_file.sch");
    expect_golden(write(ExpData2Sch_Ax, "flow_Ax.sch"), "schema_file_axial.sch");
}

TEST_F(FlowFiles, SchemaExportAbortsOnAnUnsnappedSlope) {
    const int mid = block()->cyld_nr / 2;
    block()->elem_stagType[1] = 0;  // a duct
    block()->cas_t2[1][mid] = 70.0;
    block()->cas_t2[0][mid] = 70.0;
    EXPECT_EQ(ExpData2Sch("flow.sch"), 1);
    const std::string text = h2::test::read_file("flow.sch");
    EXPECT_NE(text.find("0-DUCT          0-AXIAL                   70         70    0 unknown\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.substr(text.size() - 19), "\n# Export aborted.\n");
}

TEST_F(FlowFiles, SchemaListsAndLinksElementsWithoutBlocks) {
    // On a compressing path: a hollow after the inlet, then a heat exchanger
    // turning the flow back (slope 180).
    block()->elem_p2[2] = 5e5;
    block()->elem_stagType[1] = 7;
    block()->elem_stagType[2] = 8;
    block()->elem_sectType[2] = 2;
    block()->bld_wp[2] = 0.0;
    block()->cas_t2[2][block()->cyld_nr / 2] = 180.0;
    const std::string text = write(ExpData2Sch, "flow.sch");
    EXPECT_NE(text.find(" 21 Hexch\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" 22 Hollow\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("#\telement 1"), std::string::npos);
    EXPECT_EQ(text.find("#\telement 2"), std::string::npos);
    EXPECT_NE(text.find("# link    1\n"), std::string::npos);
}

TEST_F(FlowFiles, CompressingPathLinksWithCodeNineAndCompressorBlocks) {
    block()->elem_p2[2] = 5e5;
    const std::string sch = write(ExpData2Sch, "flow.sch");
    EXPECT_NE(sch.find("2   9   9   2   3   1   0   1    # (num"), std::string::npos) << sch;
    const std::string ax = write(ExpData2Sch_Ax, "flow.sch");
    const auto lines = lines_of(ax);
    int blocks = 0;
    for (std::size_t k = 0; k + 1 < lines.size(); ++k)
        if (lines[k] == "27     # data num") {
            EXPECT_EQ(words_of(lines[k + 1]).size(), 27u);
            ++blocks;
        }
    EXPECT_EQ(blocks, 2);
}

// The process-wide module table filled the way a host does it, through getRanges.
class DesignFile : public ::testing::Test {
protected:
    void SetUp() override { fill(0); }
    void TearDown() override { fill(0); }
    static PD_module* fill(int n) {
        PD_module* table = nullptr;
        EXPECT_EQ(getRanges(n, &table), 0);
        for (int m = 0; m < PD_MODULE_MAX; ++m) table[m] = PD_module{};
        return table;
    }
    static std::string write(int kind, const char* name = "design.pbd") {
        EXPECT_EQ(ExpDesignData(name, 7, 1, kind), 0);
        return h2::test::read_file(name);
    }
    static std::size_t count(const std::string& text, const std::string& what) {
        std::size_t n = 0;
        for (auto k = text.find(what); k != std::string::npos; k = text.find(what, k + 1)) ++n;
        return n;
    }
    h2::test::TempDir dir_;
    h2::test::CapturedConsole console_;
};

TEST_F(DesignFile, TwoModulesPinnedByGolden) {
    PD_module* t = fill(2);
    t[0].type = TURB_AXIAL;
    t[0].PD_SRC_P0 = 1.2e6;
    t[0].PD_SRC_I0 = 3.3e6;
    t[0].PD_SRC_A0 = 90;
    t[0].PD_SRC_AF = 1;
    t[0].PD_LIM_lower[PD_LIM_LENGTH] = 0.5;
    t[0].PD_LIM_upper[PD_LIM_LENGTH] = 2.5;
    for (int m = 0; m < 2; ++m) {
        t[m].Dflag = 1;
        t[m].Gflag = m;
        t[m].Vflag = 3;
        for (int v = 0; v < PD_VAR_COUNT; ++v) {
            t[m].PD_VAR_lower[v] = v + 0.25;
            t[m].PD_VAR_upper[v] = 10 * v + 1.5;
        }
        for (int l = 0; l < PD_LIM_COUNT; ++l) {
            t[m].PD_LIM_lower[l] = -l;
            t[m].PD_LIM_upper[l] = 100.0 * l;
        }
        t[m].PD_SRC_OM = 314.159;
        t[m].PD_SRC_G = 12.5;
        t[m].PD_SRC_P2N = 1e5 * (m + 1);
    }
    t[1].type = COMP_RADIAL;
    expect_golden(write(0), "design_flow_file.pbd");
}

TEST_F(DesignFile, NoModulesWritesTheHeadAndTheClosingRule) {
    fill(0)[0].type = COMP_AXIAL;
    const auto lines = lines_of(write(0));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "  0");
    EXPECT_EQ(lines[lines.size() - 2], "");
    EXPECT_EQ(lines.back(), "# ==================================================================");
    // Record 0 still gives the method row and the source and length lines.
    const auto methods = words_of(line_after(lines, "# MethodP"));
    ASSERT_EQ(methods.size(), 10u);
    EXPECT_EQ(methods[3], "2");
    EXPECT_EQ(methods[4], "1");
    EXPECT_NE(line_after(lines, "# cylinder source data"), "");
    EXPECT_NE(line_after(lines, "# cylinder constraints"), "");
}

TEST_F(DesignFile, KindSelectsFormLinesAndMethodL) {
    fill(2);
    struct Case {
        int kind;
        std::size_t form_lines;
        const char* methodL;
    };
    for (const Case& c : {Case{0, 0, "1"}, Case{3, 2, "0"}, Case{4, 10, "0"}, Case{5, 0, "1"}}) {
        const std::string text = write(c.kind);
        EXPECT_EQ(count(text, "_form\n"), c.form_lines) << c.kind;
        EXPECT_EQ(count(text, "# volin_form\n"), c.kind == 3 || c.kind == 4 ? 2u : 0u) << c.kind;
        EXPECT_EQ(words_of(line_after(lines_of(text), "# MethodP"))[4], c.methodL) << c.kind;
        EXPECT_EQ(words_of(line_after(lines_of(text), "# MethodP"))[3], "1") << c.kind;
    }
}

TEST_F(DesignFile, UnknownTypeAndStandardOutput) {
    fill(1)[0].type = 9;
    testing::internal::CaptureStdout();
    const int r = ExpDesignData(nullptr, 0, 0, 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(r, 0);
    EXPECT_NE(out.find("DESIGN file  ====="), std::string::npos);
    EXPECT_NE(out.find("\n9 \t\t# unknown type\n"), std::string::npos);
}

TEST_F(DesignFile, FailuresGiveMinusOne) {
    PD_module* table = nullptr;
    // The exports refuse such counts; a table of the thread's own still may hold one.
    {
        auto own = std::make_unique<h2::predesign::PredesignTables>();
        h2::predesign::ScopedPredesignTables scoped(own.get());
        own->count = 7;
        EXPECT_EQ(ExpDesignData("seven.pbd", 0, 0, 0), -1);
        EXPECT_FALSE(fs::exists("seven.pbd"));
        EXPECT_NE(console_.text().find("ExpDesignData: number of modules 7 outside 0..6"), std::string::npos);
        own->count = -1;
        EXPECT_EQ(ExpDesignData("minus.pbd", 0, 0, 0), -1);
    }
    EXPECT_EQ(getRanges(7, &table), 2);
    getRanges(6, &table);
    EXPECT_EQ(ExpDesignData("/dev/full", 0, 0, 0), -1);
    EXPECT_NE(console_.text().find("Can't write file \"/dev/full\""), std::string::npos);
    EXPECT_EQ(ExpDesignData("missing/design.pbd", 0, 0, 0), -1);
    EXPECT_NE(console_.text().find("Can't open file \"missing/design.pbd\""), std::string::npos);
}

TEST_F(DesignFile, SetRangesAttachesTheTableToTheCurrentCase) {
    EXPECT_EQ(setRanges(2), -1);  // no current case on this thread
    ASSERT_EQ(binit_threading(), 0);
    auto block = h2::test::make_block();
    ASSERT_EQ(set_bdLocals(block.get()), 1);
    PD_module* table = nullptr;
    getRanges(1, &table);
    EXPECT_EQ(setRanges(3), 0);
    EXPECT_EQ(block->ranges_ref, table);
    ASSERT_NE(block->prereq_ref, nullptr);
    EXPECT_EQ(static_cast<const double*>(block->prereq_ref)[124], 0.0);
    bend_threading();
}

}  // namespace
