#include "case/case_file.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "case/text_field.h"
#include "halvorine2/case_file.h"
#include "halvorine2/fluid_plugin.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const fs::path kTestsDir = fs::path(__FILE__).parent_path().parent_path();
const fs::path kGoldenDir = kTestsDir / "golden";
const fs::path kExamplesDir = kTestsDir.parent_path() / "examples";

constexpr double kRad = 0.01745329;

// Stands in for a fluid plug-in; the loader only needs a function to be there.
double test_fluid(int, double, double, double, int) { return 1.0; }

void write_text(const fs::path& name, const std::string& text) {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    ASSERT_NE(f, nullptr) << name;
    std::fputs(text.c_str(), f);
    std::fclose(f);
}

// A one-stage turbine (inlet, stator, rotor) as a case file, record by record.
struct StageFile {
    int ns = 2, ni = 3, vart = 10;
    std::string header_tail = "0 0 0 100 0 0";  // ITML VARTB IGM VARTP VARTD
    std::string method = "1 1 1 1 0 10 0 0.5 1e-05 0";
    std::string inlet = "1006250 400000 200000 90 3 80 1";
    std::vector<std::string> elements;
    std::string cc = "80 390 250";
    std::vector<std::string> blades = {
        "0 0 0 0      0    0     0     0 0 0.2 0.035",
        "1 0 4 0.0004 0.12 0.005 0     0 0 0.2 0.035",
        "2 0 2 0.0004 0.24 0.005 0.003 0 0 0.2 0.035",
    };

    std::string text() const {
        std::string t = "# stage\n" + std::to_string(ns) + " " + std::to_string(ni) + " 50 0 1 " +
                        std::to_string(vart) + " 0 " + header_tail + "\n" + method + "\n" + inlet + "\n";
        for (const auto& e : elements) t += e + "\n";
        if (vart >= 10) t += cc + "\n";
        for (const auto& b : blades) t += b + "\n";
        return t;
    }
};

// The records after a header line, all zero: NS+1 element lines, the CC
// line of the analysis layout, NS+1 blade lines.
std::string zero_records(int ns, bool b2eff) {
    std::string t = "0\n0\n";
    for (int i = 0; i <= ns; ++i) t += std::to_string(i) + "\n";
    if (b2eff) t += "0\n";
    for (int i = 0; i <= ns; ++i) t += std::to_string(i) + "\n";
    return t;
}

StageFile b2eff_stage() {
    StageFile s;
    s.elements = {
        // i OM   D   L     PSI  B1m B2eff m2 Tm1 Eparc Z  H    E      X     Gex stg sec mask
        "0 0    0.2 0.035 1    90  90    0  0   1     0  0    0      0     0   0   0   0",
        "1 0    0.2 0.035 0.97 90  18    1  0   1     40 0.03 0.0005 0.03  0   1   0   0",
        "2 3000 0.2 0.04  0.95 60  155   1  0   1     55 0.03 0.0005 0.065 0   1   0   0",
    };
    return s;
}

StageFile p2_stage() {
    StageFile s;
    s.vart = 1;
    s.ni = 1;
    s.elements = {
        // i OM   D   L     PSI    B1m cz_  P2     m2 Tm1 Eparc Z  H    E      X     Gex stg sec mask
        "0 0    0.2 0.035 1      90  0    400000 0  0   1     0  0    0      0     0   0   0   0",
        "1 0    0.2 0.035 0.9409 90  0.4  290000 1  0   1     40 0.03 0.0005 0.03  0   1   0   0",
        "2 3000 0.2 0.04  0.9025 60  0.45 200000 1  0   1     55 0.03 0.0005 0.065 0   1   0   0",
    };
    return s;
}

// A case made with binit, working in a fresh directory whose ModelBase holds
// no plug-in: the test fluid installed before loading stays in place.
class CaseFile : public h2::test::LiveCaseTest {
protected:
    void SetUp() override {
        LiveCaseTest::SetUp();
        h2::copy_text(block()->ModelBase, dir_.path().c_str());
    }
    int load(const std::string& text) {
        write_text("case.dat", text);
        block()->fluid_func = test_fluid;
        return load_data("case.dat");
    }
    int load(const StageFile& s) { return load(s.text()); }
    // A fresh case in place of the current one, for the next row of a table.
    void fresh_case() {
        bterm();
        ASSERT_NE(binit(), nullptr);
        h2::copy_text(block()->ModelBase, dir_.path().c_str());
    }
    int mid() { return block()->cyld_nr / 2; }

    h2::test::TempDir dir_;
    h2::test::CapturedConsole console_;
};

// ---------------------------------------------------------------- lines

TEST(DataLine, ClassifiesBlankCommentAndData) {
    struct Case {
        const char* line;
        int kind;
    };
    const Case cases[] = {
        {"", 1},          {" \t\r\n", 1}, {"\n", 1},        {"# remark\n", 2},
        {"  \t# x\n", 2}, {"3 4\n", 0},   {"  x # y\n", 0}, {",\n", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(classify_data_line(c.line), c.kind) << '"' << c.line << '"';
}

TEST(DataLine, SkipsBlankAndCommentLinesAndCutsAtHashCrOrLf) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    std::fputs("\n   \t\r\n# heading\n      # indented remark\n3, 1.5;2\t7 # remark\r\nlast\r\n", f);
    std::rewind(f);
    char line[h2::kDataLineSize];
    ASSERT_EQ(read_data_line(f, line), 0);
    EXPECT_STREQ(line, "3, 1.5;2\t7 ");
    ASSERT_EQ(read_data_line(f, line), 0);
    EXPECT_STREQ(line, "last");
    EXPECT_EQ(read_data_line(f, line), -1);
    std::fclose(f);
}

TEST(DataLine, ALineLongerThanTheBufferIsReadAsSeveral) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    std::fputs((std::string(2500, '7') + "\n").c_str(), f);
    std::rewind(f);
    char line[h2::kDataLineSize];
    ASSERT_EQ(read_data_line(f, line), 0);
    EXPECT_EQ(std::strlen(line), 1999u);
    ASSERT_EQ(read_data_line(f, line), 0);
    EXPECT_EQ(std::strlen(line), 501u);
    EXPECT_EQ(read_data_line(f, line), -1);
    std::fclose(f);
}

// ---------------------------------------------------------------- header

TEST_F(CaseFile, DimensionsAreCheckedBeforeAnythingIsAllocated) {
    struct Case {
        const char* header;
        int ns;  // records that follow the header: -1 none
        int result;
        const char* message;
    };
    const char* kDimension = "\nFatal error: dimension exceeds maximum\n";
    const char* kNoHeader = "\ncase.dat: the case file has no header line\n";
    const Case cases[] = {
        {"100 50", 100, 0, ""},
        {"0 1", 0, 0, ""},
        {"101 50", -1, 2, kDimension},
        {"100 51", -1, 2, kDimension},
        {"-1 3", -1, 2, kDimension},
        {"2 0", -1, 2, kDimension},
        {"2 -1", -1, 2, kDimension},
        {"2", -1, 2, kNoHeader},
        {"# no header line at all", -1, 2, kNoHeader},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header);
        fresh_case();
        h2::test::CapturedConsole console;
        ASSERT_EQ(load(std::string(c.header) + "\n" + (c.ns >= 0 ? zero_records(c.ns, false) : "")),
                  c.result);
        if (c.result == 0) {
            EXPECT_EQ(block()->elem_count, block()->cyld_ns + 1);
            EXPECT_EQ(block()->alloc_streams, block()->cyld_nr);
        } else {
            EXPECT_EQ(block()->elem_stagType, nullptr);
            EXPECT_EQ(block()->stream_grid, nullptr);
        }
        EXPECT_EQ(console.text(), c.message);
    }
}

TEST_F(CaseFile, HeaderFieldsAndTheirResets) {
    ASSERT_EQ(load("2 3 4 5 6 10 -3 7 8 9 11 12\n" + zero_records(2, true)), 0);
    const bdLocals& c = *block();
    EXPECT_EQ(c.cyld_ns, 2);
    EXPECT_EQ(c.cyld_nr, 3);
    EXPECT_EQ(c.IM, 4);
    EXPECT_EQ(c.IP, 5);
    EXPECT_EQ(c.IPP, 6);
    EXPECT_EQ(c.cyld_VART, 10);
    EXPECT_EQ(c.cyld_fluid, 0);  // IS -3
    EXPECT_EQ(c.ITML, 0);        // 7 in the file
    EXPECT_EQ(c.cyld_VARTB, 8);
    EXPECT_EQ(c.IGM, 9);
    EXPECT_EQ(c.cyld_VARTP, 11);
    EXPECT_EQ(c.cyld_VARTD, 12);
    EXPECT_EQ(c.IPO, 6);
    EXPECT_EQ(c.IPI, 6);
    for (int i = 0; i <= 2; ++i) EXPECT_EQ(c.elem_VARTB[i], 1.0);
}

TEST_F(CaseFile, MethodLineAndSolverDefaults) {
    StageFile s = b2eff_stage();
    s.method = "2 3 4 5 1 6 7 0.25 3e-05 1";
    ASSERT_EQ(load(s), 0);
    const bdLocals& c = *block();
    EXPECT_EQ(c.cyld_MethodP, 2);
    EXPECT_EQ(c.cyld_MethodS, 3);
    EXPECT_EQ(c.cyld_MethodN, 4);
    EXPECT_EQ(c.cyld_MethodV, 5);
    EXPECT_EQ(c.cyld_MethodL, 1);
    EXPECT_EQ(c.ISM, 6);
    EXPECT_EQ(c.ICLos, 7);
    EXPECT_EQ(c.RELAX, 0.25);
    EXPECT_EQ(c.acc_limit, 3e-05);
    EXPECT_EQ(c.cyld_force1D, 1);
    EXPECT_EQ(c.cyld_MethodB, 1);
    // The solver's own settings replace whatever the block held.
    EXPECT_EQ(c.acc_Gconv, 1e-6);
    EXPECT_EQ(c.LosRELAX, 0.0);
    EXPECT_EQ(c.LkgRELAX, 0.2);
    EXPECT_EQ(c.los_policy, 1);
    EXPECT_EQ(c.sl_acc_limit, 1e-6);
    EXPECT_EQ(c.acc_E, 1e-8);
    EXPECT_EQ(c.acc_EE, 1e-10);
    EXPECT_EQ(c.acc_D, 1e-7);
    EXPECT_EQ(c.acc_MU0, 0.001);
    EXPECT_EQ(c.acc_D0, 0.001);
    EXPECT_EQ(c.FRis, 1);
}

TEST_F(CaseFile, MixedSeparatorsAndATrailingComment) {
    StageFile s = b2eff_stage();
    s.inlet = "   # a remark on a line of its own\n3, 1.5;2\t7 # remark";
    ASSERT_EQ(load(s), 0);
    const bdLocals& c = *block();
    EXPECT_EQ(c.elem_i0[0], 3.0);
    EXPECT_EQ(c.elem_p0[0], 1.5);
    EXPECT_EQ(c.cyld_P0, 1.5);
    EXPECT_EQ(c.elem_p2[2], 2.0);
    EXPECT_EQ(c.cyld_p2n, 2.0);
    EXPECT_EQ(c.cyld_p2nx, 2.0);
    for (int j = 0; j < 3; ++j) EXPECT_EQ(c.cas_B1[0][j], 7.0);
    EXPECT_EQ(c.elem_G1[0], 0.0);  // no fifth token
    EXPECT_EQ(c.cyld_G, 0.0);
    EXPECT_EQ(c.flow_c2z[0][1], 0.0);
}

TEST_F(CaseFile, InletLineFillsItsFields) {
    ASSERT_EQ(load(b2eff_stage()), 0);
    const bdLocals& c = *block();
    EXPECT_EQ(c.elem_i0[0], 1006250.0);
    EXPECT_EQ(c.elem_G1[0], 3.0);
    EXPECT_EQ(c.cyld_G, 3.0);
    EXPECT_EQ(c.flow_c2z[0][1], 80.0);
    EXPECT_EQ(c.flow_c1z[0][1], 80.0);
    EXPECT_EQ(c.cyld_af, 1.0);
}

TEST_F(CaseFile, IntegerTokens) {
    struct Case {
        const char* token;
        int value;
    };
    const Case cases[] = {
        {"12.7", 12},
        {"+5", 5},
        {"-4x", -4},
        {"abc", 0},
        {"-", 0},
        {"0x1A", 0},
        {"1e3", 1},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.token);
        fresh_case();
        StageFile s = b2eff_stage();
        s.header_tail = std::string("0 0 ") + c.token + " 0 0";  // IGM
        ASSERT_EQ(load(s), 0);
        EXPECT_EQ(block()->IGM, c.value);
    }
}

TEST_F(CaseFile, RealTokens) {
    struct Case {
        const char* token;
        double value;
    };
    const Case cases[] = {
        {"1.5e3", 1500.0}, {"2e", 2.0},   {"7.", 7.0}, {".5", 0.5},     {"-.25e-1", -0.025},
        {"+3E+2", 300.0},  {"0x10", 0.0}, {"x1", 0.0}, {"1e-400", 0.0}, {"12.5kg", 12.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.token);
        fresh_case();
        StageFile s = b2eff_stage();
        s.inlet = std::string(c.token) + " 400000 200000 90 3 80 1";
        ASSERT_EQ(load(s), 0);
        EXPECT_EQ(block()->elem_i0[0], c.value);
    }
}

TEST_F(CaseFile, FluidConstantZeroBecomesOne) {
    struct Case {
        const char* af;
        double value;
    };
    for (const Case c : {Case{"0", 1.0}, Case{"0.5", 0.5}}) {
        SCOPED_TRACE(c.af);
        fresh_case();
        StageFile s = b2eff_stage();
        s.inlet = std::string("1006250 400000 200000 90 3 80 ") + c.af;
        ASSERT_EQ(load(s), 0);
        EXPECT_EQ(block()->cyld_af, c.value);
        EXPECT_EQ(block()->cyld_cfluid, 0);
        EXPECT_EQ(block()->cyld_caf, 0.0);
    }
}

TEST_F(CaseFile, ACompressingPathForcesLossCouplingOne) {
    struct Case {
        const char* p0;
        const char* p2;
        int iclos;
    };
    const Case cases[] = {{"400000", "200000", 3}, {"100000", "200000", 1}, {"200000", "200000", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.p0) + " -> " + c.p2);
        fresh_case();
        StageFile s = b2eff_stage();
        s.method = "1 1 1 1 0 10 3 0.5 1e-05 0";
        s.inlet = std::string("1006250 ") + c.p0 + " " + c.p2 + " 90 3 80 1";
        ASSERT_EQ(load(s), 0);
        EXPECT_EQ(block()->ICLos, c.iclos);
    }
}

// ---------------------------------------------------------------- elements

TEST_F(CaseFile, LossTokenIsTheSquareOfTheCoefficientInTheDesignLayout) {
    struct Case {
        int vart;
        double Los;
    };
    for (const Case c : {Case{10, 0.25}, Case{1, 0.5}, Case{100, 0.25}}) {
        SCOPED_TRACE(c.vart);
        fresh_case();
        StageFile s = c.vart >= 10 ? b2eff_stage() : p2_stage();
        s.vart = c.vart;
        s.ni = 3;
        s.elements[1] = c.vart >= 10 ? "1 0 0.2 0.035 0.25 90 18 1 0 1 40 0.03 0.0005 0.03 0 1 0 0"
                                     : "1 0 0.2 0.035 0.25 90 0.4 290000 1 0 1 40 0.03 0.0005 0.03 0 1 0 0";
        ASSERT_EQ(load(s), 0);
        for (int j = 0; j < 3; ++j) EXPECT_EQ(block()->los_Los[1][j], c.Los) << j;
        EXPECT_EQ(block()->los_om[1][1], 1.0 - c.Los);
    }
}

TEST_F(CaseFile, B2effElementColumns) {
    StageFile s = b2eff_stage();
    s.elements[2] = "2 3000 0.2 0.04 0.95 60 155 1.5 2 0.8 55 0.03 0.0005 0.065 0.1 1 0 0.5 4 5 99";
    ASSERT_EQ(load(s), 0);
    const bdLocals& c = *block();
    const int m = mid();
    EXPECT_EQ(c.bld_wp[2], 3000.0);
    EXPECT_EQ(c.bld_d2[2], 0.2);
    EXPECT_EQ(c.bld_l2[2], 0.04);
    EXPECT_EQ(c.los_Los[2][m], 0.95);
    EXPECT_EQ(c.cas_B1g[2][m], 60.0);
    EXPECT_EQ(c.cas_B2a[2][m], 155.0);
    EXPECT_EQ(c.cas_B2g[2][m], 155.0);
    EXPECT_EQ(c.bld_m2[2], 1.5);
    EXPECT_EQ(c.cas_t2[2][m], 2.0);
    EXPECT_EQ(c.elem_Pa[2], 0.8);
    EXPECT_EQ(c.bld_z[2], 55.0);
    EXPECT_EQ(c.cas_bx[2][m], 0.03);
    EXPECT_EQ(c.cas_b[2][m], 0.03);
    EXPECT_EQ(c.cas_r2[2][m], 0.0005);
    EXPECT_EQ(c.cas_x2[2][m], 0.065);
    EXPECT_EQ(c.elem_Gotb2[2], 0.1);
    EXPECT_EQ(c.elem_stagType[2], 1.0);
    EXPECT_EQ(c.elem_sectType[2], 0.0);
    EXPECT_EQ(c.AngMask[2], 0.5);
    EXPECT_EQ(c.elem_moduleNum[2], 4.0);
    EXPECT_EQ(c.elem_stageNum[2], 5.0);
    // The inlet of element 2 is element 1's outlet, whatever the file said.
    EXPECT_EQ(c.bld_d1[2], 0.2);
    EXPECT_EQ(c.bld_l1[2], 0.035);
}

TEST_F(CaseFile, P2ElementColumns) {
    StageFile s = p2_stage();
    s.elements[2] = "2 3000 0.21 0.04 0.9025 60 0.45 200000 1.5 2 0.8 55 0.03 0.0005 0.065 0.1 1 0 0.5";
    ASSERT_EQ(load(s), 0);
    const bdLocals& c = *block();
    EXPECT_EQ(c.bld_d2s[2], 0.21);
    EXPECT_EQ(c.bld_d2[2], 0.0);  // an expanding path keeps the design diameter apart
    EXPECT_EQ(c.bld_l2[2], 0.04);
    EXPECT_DOUBLE_EQ(c.los_Los[2][0], 0.95);
    EXPECT_EQ(c.cas_B1g[2][0], 60.0);
    EXPECT_EQ(c.elem_cz_[2], 0.45);
    EXPECT_EQ(c.elem_Ht[2], 200000.0);
    EXPECT_EQ(c.isd_p2[2][0], 200000.0);
    EXPECT_EQ(c.bld_m2[2], 1.5);
    EXPECT_EQ(c.cas_t2[2][0], 2.0);
    EXPECT_EQ(c.elem_Pa[2], 0.8);
    EXPECT_EQ(c.bld_z[2], 55.0);
    EXPECT_EQ(c.cas_b[2][0], 0.03);
    EXPECT_EQ(c.cas_x2[2][0], 0.065);
    EXPECT_EQ(c.elem_Gotb2[2], 0.1);
    EXPECT_EQ(c.AngMask[2], 0.5);
    // Design tasks leave the seal diameters to the design passes.
    EXPECT_EQ(c.bld_du[1], 0.0);
    EXPECT_EQ(c.bld_dub[2], 0.0);

    // On a compressing path the design diameter is the blade-row diameter too.
    fresh_case();
    s.inlet = "300000 100000 200000 90 3 80 1";
    ASSERT_EQ(load(s), 0);
    EXPECT_EQ(block()->bld_d2[2], 0.21);
    EXPECT_EQ(block()->bld_d1[2], 0.2);  // element 1's D, as every later element's inlet
}

TEST_F(CaseFile, ADesignCaseSizesEveryRowByTheHeaderDiameterVariant) {
    struct Case {
        int vart;
        int vartd;
        double element;  // elem__VARTD of every element after loading
    };
    const Case cases[] = {{1, 2, 2.0}, {1, 1, 1.0}, {1, 0, 0.0}, {10, 2, 0.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vart);
        SCOPED_TRACE(c.vartd);
        fresh_case();
        StageFile s = c.vart < 10 ? p2_stage() : b2eff_stage();
        s.header_tail = "0 0 100 0 " + std::to_string(c.vartd);  // ITML VARTB IGM VARTP VARTD
        ASSERT_EQ(load(s), 0);
        EXPECT_EQ(block()->cyld_VARTD, c.vartd);
        for (int i = 0; i <= 2; ++i) EXPECT_EQ(block()->elem_VARTD[i], c.element) << i;
    }
}

TEST_F(CaseFile, BladeLines) {
    StageFile s = b2eff_stage();
    s.blades = {
        "0 5   7    0.1    0.2  0.3   0.4   3   4   0.19 0.033",
        "1 1.2 12.7 0.0004 0.12 0.005 0.007 8   9   0.5  0.5",
        "2 0.9 12.7 0.0003 0.24 0.004 0.003 2.9 1.9 0.5  0.5",
    };
    ASSERT_EQ(load(s), 0);
    const bdLocals& c = *block();
    // Element 0 is neither rotor nor stator: only its inlet diameter and height count.
    EXPECT_EQ(c.stgtd_Tdy[0], 0.0);
    EXPECT_EQ(c.stgtd_Tby[0], 0.0);
    EXPECT_EQ(c.clrn_Zrd[0], 0.0);
    EXPECT_EQ(c.clrn_Zrr[0], 0.0);
    EXPECT_EQ(c.clrn_d1[0], 0.0);
    EXPECT_EQ(c.bld_d1[0], 0.19);
    EXPECT_EQ(c.bld_l1[0], 0.033);
    // Stator
    EXPECT_EQ(c.stgtd_Tdy[1], 1.2);
    EXPECT_EQ(c.clrn_Zrd[1], 12.0);
    EXPECT_EQ(c.clrn_drd[1], 0.0004);
    EXPECT_EQ(c.bld_du[1], 0.12);
    EXPECT_EQ(c.clrn_d1[1], 0.01);
    EXPECT_EQ(c.clrn_b1n[1], 0.0);
    EXPECT_EQ(c.elem_VI[1], 0.0);
    EXPECT_EQ(c.stgtd_Tby[1], 0.0);
    // Rotor
    EXPECT_EQ(c.stgtd_Tby[2], 0.9);
    EXPECT_EQ(c.clrn_Zrr[2], 12.0);
    EXPECT_EQ(c.clrn_drr[2], 0.0003);
    EXPECT_EQ(c.bld_dub[2], 0.24);
    EXPECT_EQ(c.clrn_d1[2], 0.008);
    EXPECT_EQ(c.clrn_b1n[2], 0.004);
    EXPECT_EQ(c.elem_VI[2], 2.0);
    EXPECT_EQ(c.bld_VS[2], 1.0);
    EXPECT_DOUBLE_EQ(c.bld_DA[2], 0.003);  // chord / 10, not the file's Da
    EXPECT_EQ(c.bld_d1[2], 0.2);
    EXPECT_EQ(c.bld_l1[2], 0.035);
}

// The rotor's Z column says whether it has a shroud: a count of teeth, 0 for the
// default shroud of two, any negative count an open tip, read as -1.
TEST_F(CaseFile, RotorWithoutShroudIsMinusOneTeeth) {
    StageFile s = b2eff_stage();
    s.blades = {"0", "1", "2 0.9 -3 0.0003"};
    ASSERT_EQ(load(s), 0);
    EXPECT_EQ(block()->clrn_Zrr[2], -1.0);
    EXPECT_EQ(block()->clrn_drr[2], 0.0003);
}

TEST_F(CaseFile, BladeRowDefaultsWhereTheFileSaysZero) {
    StageFile s = b2eff_stage();
    s.blades = {"0", "1", "2"};
    ASSERT_EQ(load(s), 0);
    const bdLocals& c = *block();
    EXPECT_EQ(c.stgtd_Tdy[1], 1.0);
    EXPECT_EQ(c.clrn_Zrd[1], 10.0);
    EXPECT_EQ(c.clrn_drd[1], 0.001);
    EXPECT_DOUBLE_EQ(c.bld_du[1], 0.7 * (0.2 - 0.035));
    EXPECT_EQ(c.clrn_Zrr[2], 2.0);
    EXPECT_EQ(c.clrn_b1n[2], 0.01);
    EXPECT_EQ(c.clrn_drr[2], 0.001);
    EXPECT_DOUBLE_EQ(c.bld_dub[2], 0.2 + 0.04);  // a rotor turning forwards seals at the tip
    // The inlet is neither rotor nor stator and gets no defaults.
    EXPECT_EQ(c.stgtd_Tdy[0], 0.0);
    EXPECT_EQ(c.clrn_Zrr[0], 0.0);

    fresh_case();
    s.elements[2].replace(s.elements[2].find("3000"), 4, "-300");
    ASSERT_EQ(load(s), 0);
    EXPECT_DOUBLE_EQ(block()->bld_dub[2], 0.2 - 0.04);
}

TEST_F(CaseFile, CompletionOfEveryElement) {
    ASSERT_EQ(load(b2eff_stage()), 0);
    const bdLocals& c = *block();
    const int m = mid();
    for (int i = 0; i <= 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(c.los_limit[i], 0.7);
        EXPECT_EQ(c.dev_limit[i], 0.0);
        EXPECT_EQ(c.block_limit[i], 0.0);
        EXPECT_EQ(c.ublos_limit[i], 0.4);
        EXPECT_EQ(c.volos_limit[i], 0.5);
        EXPECT_EQ(c.los_scale[i], 1.0);
        EXPECT_EQ(c.dev_scale[i], 1.0);
        EXPECT_EQ(c.bld_k[i], 6.0);
        EXPECT_EQ(c.elem_profSer[i], 1.0);
        EXPECT_EQ(c.elem_MethodP[i], 1.0);
        EXPECT_EQ(c.elem_MethodV[i], 1.0);
        EXPECT_EQ(c.elem_MethodB[i], 1.0);
        EXPECT_EQ(c.elem_MethodR[i], 0.0);
        EXPECT_EQ(c.elem_VARTB[i], 0.0);
        EXPECT_EQ(c.cas_y2[i][m], 0.1);
        EXPECT_EQ(c.bld_Rh2[i], (0.2 - c.bld_l2[i]) / 2.0);
        EXPECT_EQ(c.bld_Rt2[i], (0.2 + c.bld_l2[i]) / 2.0);
        EXPECT_DOUBLE_EQ(c.bld_DA[i], c.cas_b[i][m] / 10.0);
        for (int j = 0; j < 3; ++j) {
            SCOPED_TRACE(j);
            EXPECT_EQ(c.los_Los[i][j], c.los_Los[i][m]);
            EXPECT_EQ(c.cas_B1g[i][j], c.cas_B1g[i][m]);
            EXPECT_EQ(c.cas_B2a[i][j], c.cas_B2a[i][m]);  // twist fixed
            EXPECT_EQ(c.cas_B2g[i][j], c.cas_B2a[i][j]);
            EXPECT_EQ(c.cas_b[i][j], c.cas_b[i][m]);
            EXPECT_EQ(c.cas_bx[i][j], c.cas_b[i][m]);
            EXPECT_EQ(c.cas_x2[i][j], c.cas_x2[i][m]);
            EXPECT_EQ(c.cas_a_[i][j], 0.5);
            EXPECT_EQ(c.cas_b_[i][j], 0.05);
            // Streamlines divide the annulus into equal areas.
            const double rh = c.bld_Rh2[i], rt = c.bld_Rt2[i];
            EXPECT_DOUBLE_EQ(c.flow_r2[i][j], std::sqrt((rt * rt - rh * rh) * j / 2.0 + rh * rh));
            const double pitch = c.bld_z[i] == 0.0 ? 0.0 : c.flow_r2[i][j] * 6.2831853 / c.bld_z[i];
            EXPECT_DOUBLE_EQ(c.cas_t[i][j], pitch);
            EXPECT_DOUBLE_EQ(c.cas_tb[i][j], c.cas_b[i][m] == 0.0 ? 0.0 : pitch / c.cas_b[i][m]);
        }
    }
    EXPECT_EQ(c.flow_r2[1][0], (0.2 - 0.035) / 2.0);
    EXPECT_DOUBLE_EQ(c.flow_r2[1][2], (0.2 + 0.035) / 2.0);
}

TEST_F(CaseFile, OneStreamlineSitsOnTheMeanDiameter) {
    StageFile s = b2eff_stage();
    s.ni = 1;
    ASSERT_EQ(load(s), 0);
    EXPECT_EQ(block()->flow_r2[2][0], 0.1);
    EXPECT_DOUBLE_EQ(block()->cas_t[2][0], 0.1 * 6.2831853 / 55.0);
}

// ---------------------------------------------------------------- twist law

double turbine_angle(double A, double r_j, double r_m, double e) {
    return std::fabs(std::atan(std::tan(A * kRad) * std::pow(r_j / r_m, e))) / kRad;
}

TEST_F(CaseFile, TwistLawOfAnExpandingPath) {
    StageFile s = b2eff_stage();
    s.vart = 100;
    ASSERT_EQ(load(s), 0);
    const bdLocals& c = *block();
    for (int j = 0; j < 3; ++j) {
        SCOPED_TRACE(j);
        const double r_j = (0.2 - 0.035) / 2.0 + j * 0.035 / 2.0;
        EXPECT_EQ(c.cas_B2a[0][j], 90.0);
        EXPECT_NEAR(c.cas_B2a[1][j], turbine_angle(18.0, r_j, 0.1, 1.0), 1e-9);
        const double r_jr = (0.2 - 0.04) / 2.0 + j * 0.04 / 2.0;
        EXPECT_NEAR(c.cas_B2a[2][j], 180.0 - turbine_angle(180.0 - 155.0, r_jr, 0.1, 1.0), 1e-9);
        EXPECT_EQ(c.cas_B2g[2][j], c.cas_B2a[2][j]);
    }
    // The hub angle of the stator opens less than the tip angle.
    EXPECT_LT(c.cas_B2a[1][0], 18.0);
    EXPECT_GT(c.cas_B2a[1][2], 18.0);
}

TEST_F(CaseFile, TwistLawFoldsAStatorAngleBeyondNinetyDegrees) {
    // tan 110 deg is negative: the law takes the size of the arc tangent, so
    // the stator's angles lie below 90 on every streamline (by hand:
    // |atan(tan 110 deg r_j/0.1)| at r_j = 0.0825, 0.1, 0.1175).
    StageFile s = b2eff_stage();
    s.vart = 100;
    s.elements[1] = "1 0    0.2 0.035 0.97 90  110   1  0   1     40 0.03 0.0005 0.03  0   1   0   0";
    ASSERT_EQ(load(s), 0);
    const double expected[] = {66.194105, 70.000026, 72.789035};
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(block()->cas_B2a[1][j], expected[j], 1e-6) << j;
}

TEST_F(CaseFile, TwistLawOfACompressorRotorScalesTheAngle) {
    StageFile s = b2eff_stage();
    s.vart = 100;
    s.inlet = "300000 100000 200000 90 3 80 1";
    s.elements[2] = "2 3000 0.2 0.04 0.95 60 130 2 0 1 55 0.03 0.0005 0.065 0 1 0 0";
    ASSERT_EQ(load(s), 0);
    for (int j = 0; j < 3; ++j) {
        SCOPED_TRACE(j);
        const double r_j = (0.2 - 0.04) / 2.0 + j * 0.04 / 2.0;
        EXPECT_NEAR(block()->cas_B2a[2][j], 180.0 - 50.0 * std::pow(r_j / 0.1, 2.0), 1e-9);
        // A stator of the same path still follows the tangent law.
        const double r_js = (0.2 - 0.035) / 2.0 + j * 0.035 / 2.0;
        EXPECT_NEAR(block()->cas_B2a[1][j], turbine_angle(18.0, r_js, 0.1, 1.0), 1e-9);
    }
}

TEST_F(CaseFile, TwistLawNeedsMoreThanOneStreamline) {
    StageFile s = b2eff_stage();
    s.vart = 100;
    s.ni = 1;
    ASSERT_EQ(load(s), 0);
    EXPECT_EQ(block()->cas_B2a[2][0], 155.0);
}

TEST_F(CaseFile, TwistLawGivesTheHeldAngleBackBitForBit) {
    // The angle the law leaves on the held streamline, written with 17 digits
    // and loaded again, comes back unchanged: a saved case loads to the same
    // angle however often it is saved and loaded (a rotor angle once came
    // back one ulp off: 25.000025988784547 read as 25.00002598878455).
    const double angles[] = {25.000025988784547, 155.00000000000003, 18.000000000000004, 110.0, 0.37, 89.99};
    for (const double a : angles) {
        SCOPED_TRACE(a);
        double held[3] = {0.0, a, a};
        for (int pass = 0; pass < 3; ++pass) {
            fresh_case();
            StageFile s = b2eff_stage();
            s.vart = 100;
            char line[256];
            std::snprintf(line, sizeof line, "1 0 0.2 0.035 0.97 90 %.17g 3 0 1 40 0.03 0.0005 0.03 0 1 0 0",
                          held[1]);
            s.elements[1] = line;
            std::snprintf(line, sizeof line,
                          "2 3000 0.2 0.04 0.95 60 %.17g 3 0 1 55 0.03 0.0005 0.065 0 1 0 0", held[2]);
            s.elements[2] = line;
            ASSERT_EQ(load(s), 0);
            for (int i = 1; i <= 2; ++i) {
                // The first load may fold the angle into its quadrant; after
                // that it stays as it is.
                if (pass > 0) {
                    EXPECT_EQ(block()->cas_B2a[i][mid()], held[i]) << "element " << i << ", pass " << pass;
                }
                held[i] = block()->cas_B2a[i][mid()];
            }
        }
    }
}

// ---------------------------------------------------------------- volutes and sections

TEST_F(CaseFile, VoluteAndSectionOrientation) {
    StageFile s = b2eff_stage();
    s.ns = 4;
    s.elements.push_back("3 0 0.3 0.05 0.9 40 20 0.25 0 1 0 0.06 0.4 0.1 0 5 1 0");
    s.elements.push_back("4 0 0.5 0.08 0.9 20 30 0.12 0 1 0 0.07 0.6 0.2 0 4 2 0");
    s.cc = "80 390 250 100 50 999";
    s.blades.push_back("3");
    s.blades.push_back("4");
    ASSERT_EQ(load(s), 0);
    const bdLocals& c = *block();
    const int m = mid();
    // Element 3: inlet volute of radial sections, copied after its line was read.
    EXPECT_EQ(c.vol_A2[3], 20.0);
    EXPECT_EQ(c.vol_bk[3], 0.06);
    EXPECT_EQ(c.vol_hk[3], 0.05);
    EXPECT_EQ(c.vol_Dk[3], 0.3);
    EXPECT_EQ(c.vol_b7[3], 0.25);
    EXPECT_EQ(c.vol_D7[3], 0.4);
    EXPECT_EQ(c.bld_Rh2[3], 0.0);  // an inlet volute's radii are not set from its diameter
    // Element 4: outlet volute of angular sections takes its inlet from element 3.
    EXPECT_EQ(c.vol_model[4], 1.0);
    EXPECT_EQ(c.vol_form[4], 1.0);
    EXPECT_EQ(c.vol_D7[4], 0.3);
    EXPECT_EQ(c.vol_b7[4], 0.05);
    EXPECT_EQ(c.cas_B1[4][m], c.cas_B2[3][m]);
    EXPECT_EQ(c.vol_Dk[4], 0.5);
    EXPECT_EQ(c.vol_bk[4], 0.08);
    EXPECT_EQ(c.vol_hk[4], 0.08);
    EXPECT_EQ(c.vol_A2[4], 30.0);
    // A CC line longer than the path: only the first N values count.
    EXPECT_EQ(c.wb[0], 80.0);
    EXPECT_EQ(c.wb[4], 50.0);
}

TEST_F(CaseFile, RadialSectionsOfAnAnalysisTaskSitOnTheirDiameter) {
    StageFile s = b2eff_stage();
    s.elements[2] = "2 3000 0.3 0.02 0.95 60 155 1 0 1 20 0.03 0.0005 0.065 0 1 1 0";
    ASSERT_EQ(load(s), 0);
    EXPECT_EQ(block()->bld_Rt2[2], 0.15);
    EXPECT_EQ(block()->bld_Rh2[2], 0.15);
}

TEST_F(CaseFile, AnOutletVoluteAtTheInletReadsNothingBeforeIt) {
    StageFile s = b2eff_stage();
    s.elements[0] = "0 0 0.2 0.035 1 90 90 0 0 1 0 0 0 0 0 4 2 0";
    ASSERT_EQ(load(s), 0);
    EXPECT_EQ(block()->vol_model[0], 0.0);
    EXPECT_EQ(block()->vol_Dk[0], 0.2);  // from its own line
}

// A file that ends before its declared records, or a token that spells an
// infinity or a NaN, is refused with a line that says where (once such files
// loaded zeros in place of the missing records and failed far from the cause).
TEST_F(CaseFile, FilesThatEndEarlyOrHoldNoNumberAreRefused) {
    const auto cut = [](std::size_t elements, bool cc, std::size_t blades) {
        StageFile s = b2eff_stage();
        s.elements.resize(elements);
        if (!cc) s.cc.clear();
        s.blades.resize(blades);
        std::string t = s.text();
        if (!cc) t.erase(t.find("\n\n"), 1);  // the CC line left empty is a blank line
        return t;
    };
    const auto with_inlet = [](const char* inlet) {
        StageFile s = b2eff_stage();
        s.inlet = inlet;
        return s.text();
    };
    StageFile hundred = b2eff_stage();
    hundred.ns = 100;
    struct Case {
        const char* name;
        std::string text;
        const char* line;
    } cases[] = {
        {"empty", "", "case.dat: the case file has no header line"},
        {"binary",
         std::string("\x7f"
                     "ELF\x02\x01\x01\0\0\0",
                     10) +
             "\n\x03\0>\0",
         "case.dat: the case file has no header line"},
        {"header only", "2 3 50 0 2 10 0 0 0 100 0 0\n", "case.dat: the case file ends in the method line"},
        {"no inlet line", "2 3 50 0 2 10\n1 1 1 1 0 10 0 0.5 1e-05 0\n",
         "case.dat: the case file ends in the inlet line"},
        {"cut after element 0", cut(1, false, 0), "case.dat: the case file ends in element line 2 of 3"},
        {"cut inside a row", b2eff_stage().text().substr(0, b2eff_stage().text().find("0.97") + 4),
         "case.dat: the case file ends in element line 3 of 3"},
        {"no CC line", cut(3, false, 0), "case.dat: the case file ends in the CC line"},
        {"two blade lines of three", cut(3, true, 2), "case.dat: the case file ends in blade line 3 of 3"},
        // The CC and blade lines are read as element lines 4 to 7.
        {"NS 100 with three rows", hundred.text(), "case.dat: the case file ends in element line 8 of 101"},
        {"nan", with_inlet("nan 400000 200000 90 3 80 1"),
         "case.dat: \"nan\" in the inlet line is not a finite number"},
        {"inf", with_inlet("1006250 -inf 200000 90 3 80 1"),
         "case.dat: \"-inf\" in the inlet line is not a finite number"},
        {"nan count", "2 NaN 50\n", "case.dat: \"NaN\" in the header line is not a finite number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fresh_case();
        h2::test::CapturedConsole console;
        EXPECT_EQ(load(c.text), 2);
        EXPECT_EQ(console.text(), "\n" + std::string(c.line) + "\n");
    }
}

TEST_F(CaseFile, ShortElementLinesLeaveTheRestOfTheRecord) {
    StageFile s = b2eff_stage();
    s.elements[1] = "1 0 0.25";
    ASSERT_EQ(load(s), 0);
    EXPECT_EQ(block()->bld_d2[1], 0.25);
    EXPECT_EQ(block()->bld_l2[1], 0.0);
    EXPECT_EQ(block()->elem_stagType[1], 0.0);
}

// ---------------------------------------------------------------- failures

TEST_F(CaseFile, LoadFailures) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(load_data("missing.dat"), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Can't open file missing.dat for reading\n");

    // A directory opens but cannot be read: the load ends instead of repeating a line.
    fs::create_directory("folder.dat");
    testing::internal::CaptureStderr();
    EXPECT_EQ(load_data("folder.dat"), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Can't read file folder.dat\n");

    EXPECT_EQ(load_data(nullptr), -1);
    EXPECT_EQ(console_.text(), "\nNothing to load\n");
}

// A hundred-element path whose CC line, in 17 digits, runs past 2,000
// bytes, and a comment longer still: each line is one record, whole. (Read in
// pieces of 2,000 bytes, the tail of the CC line had become blade line 0 and
// its last values zero.) What loads saves and loads again bit for bit.
TEST_F(CaseFile, LongLinesAreOneRecordEach) {
    StageFile s;
    s.ns = 100;
    s.ni = 1;
    s.method += "   # " + std::string(3000, 'x') + " 7 7 7";
    s.elements = {"0 0 0.2 0.035 1 90 90 0 0 1 0 0 0 0 0 0 0 0"};
    s.blades = {"0 0 0 0 0 0 0 0 0 0.2 0.035"};
    s.cc.clear();
    double wb[101];
    for (int i = 0; i <= 100; ++i) {
        wb[i] = 0.001 * (200.0 + i / 7.0);
        char v[40];
        std::snprintf(v, sizeof v, "%.17g   ", wb[i]);
        s.cc += v;
    }
    ASSERT_GT(s.cc.size(), 2000u);
    for (int i = 1; i <= 100; ++i) {
        const bool rotor = i % 2 == 0;
        s.elements.push_back(std::to_string(i) + (rotor ? " 3000" : " 0") + " 0.2 0.035 0.95 60 " +
                             (rotor ? "155" : "18") + " 1 0 1 40 0.03 0.0005 0.03 0 1 0 0");
        s.blades.push_back(std::to_string(i) + " 0 " + (rotor ? "3" : "7") +
                           " 0.0004 0.12 0.005 0 0 0 0.2 0.035");
    }
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        if (pass == 0) {
            ASSERT_EQ(load(s), 0) << console_.text();
        } else {
            ASSERT_EQ(save_data("saved.dat", 0), 0);
            fresh_case();
            block()->fluid_func = test_fluid;
            ASSERT_EQ(load_data("saved.dat"), 0) << console_.text();
        }
        const bdLocals& c = *block();
        EXPECT_EQ(c.cyld_force1D, 0);  // the comment's digits are no tokens
        for (int i = 0; i <= 100; ++i) EXPECT_EQ(c.wb[i], wb[i]) << i;
        EXPECT_EQ(c.clrn_Zrd[1], 7.0);
        EXPECT_EQ(c.clrn_Zrr[100], 3.0);
    }
}

// A line beyond a megabyte is no record of a case file: refused, named.
TEST_F(CaseFile, ALineBeyondAMegabyteIsRefused) {
    StageFile s = b2eff_stage();
    s.inlet += std::string(std::size_t{1} << 20, ' ') + "1";
    EXPECT_EQ(load(s), 2);
    EXPECT_EQ(console_.text(), "\ncase.dat: the inlet line is longer than 1048576 bytes\n");
}

TEST_F(CaseFile, ACaseLeftWithoutAMainFluidFunctionFails) {
    write_text("case.dat", b2eff_stage().text());
    ASSERT_EQ(block()->fluid_func, nullptr);
    EXPECT_EQ(load_data("case.dat"), 1);
    EXPECT_EQ(console_.text(),
              "\nload_data: no property function for the main fluid: its plug-in flxb.so was not "
              "found in " +
                  dir_.path().string() + "\n");
}

TEST_F(CaseFile, AFluidLibraryThatCannotBeLoadedFailsTheLoad) {
    h2::copy_text(block()->fluidName, "nothere.dll");
    EXPECT_EQ(load(b2eff_stage()), 1);
    EXPECT_NE(block()->elem_stagType, nullptr);  // what was read stays for the caller to discard
}

TEST_F(CaseFile, ALongFileNameIsCutToTheNameField) {
    // Long enough to reach past dump_name into ModelBase, had it been copied whole.
    const std::string folder(170, 'd');
    fs::create_directory(folder);
    const std::string name = folder + "/" + std::string(245, 'f') + ".dat";
    write_text(name, b2eff_stage().text());
    block()->fluid_func = test_fluid;
    ASSERT_EQ(load_data(name.c_str()), 0);
    EXPECT_EQ(std::string(block()->name), name.substr(0, 199));
    EXPECT_EQ(std::string(block()->ModelBase), dir_.path().string());
}

TEST_F(CaseFile, NoCurrentCase) {
    int load_result = 0, save_result = 0;
    std::thread([&] {
        load_result = load_data("case.dat");
        save_result = save_data("case.dat", 0);
    }).join();
    EXPECT_EQ(load_result, -1);
    EXPECT_EQ(save_result, -1);
    EXPECT_FALSE(fs::exists("case.dat"));
}

TEST_F(CaseFile, SaveFailures) {
    EXPECT_EQ(save_data(nullptr, 0), -1);
    EXPECT_EQ(console_.text(), "\nNothing to load\n");

    // Without arrays nothing could be written but a broken file.
    EXPECT_EQ(save_data("empty.dat", 0), -2);
    EXPECT_FALSE(fs::exists("empty.dat"));

    ASSERT_EQ(load(b2eff_stage()), 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(save_data("no/such/folder/case.dat", 0), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Can't open file no/such/folder/case.dat for writing\n");

    // Counts a host changed beyond the arrays are refused as well.
    block()->cyld_ns = 7;
    EXPECT_EQ(save_data("wide.dat", 0), -2);
    EXPECT_FALSE(fs::exists("wide.dat"));
}

// ---------------------------------------------------------------- save and reload

struct Layout {
    const char* example;
    int layout;
    const char* golden;
};
const Layout kLayouts[] = {
    {"air_turbine_stage.dat", 0, "case_file_b2eff.dat"},
    {"air_turbine_stage_design.dat", 1, "case_file_p2.dat"},
};

TEST_F(CaseFile, LoadThenSaveGivesTheGoldenFile) {
    for (const auto& l : kLayouts) {
        SCOPED_TRACE(l.example);
        fresh_case();
        block()->fluid_func = test_fluid;
        ASSERT_EQ(load_data((kExamplesDir / l.example).c_str()), 0);
        ASSERT_EQ(save_data("saved.dat", l.layout), 0);
        EXPECT_EQ(h2::test::read_file("saved.dat"), h2::test::read_file(kGoldenDir / l.golden));
    }
}

TEST_F(CaseFile, ASavedCaseReadsBackAsWritten) {
    for (const auto& l : kLayouts) {
        SCOPED_TRACE(l.golden);
        fresh_case();
        block()->fluid_func = test_fluid;
        ASSERT_EQ(load_data((kGoldenDir / l.golden).c_str()), 0);
        ASSERT_EQ(save_data("saved.dat", l.layout), 0);
        EXPECT_EQ(h2::test::read_file("saved.dat"), h2::test::read_file(kGoldenDir / l.golden));
    }
}

// The smallest files that once did not survive a save and a reload: loaded,
// saved in the layout that reads back as written, loaded into a fresh case
// and saved again, both saves must agree byte for byte, and the loaded value
// that went astray must hold what the file says.
struct RoundTrip {
    const char* name;
    const char* text;
    double (*loaded)(const bdLocals& c);
    double expected;
};
const RoundTrip kRoundTrips[] = {
    // The design layout holds the square of the loss coefficient; it was saved as the coefficient.
    {"DesignLossCoefficient", "0 1 0 0 0 1\n0\n0\n0 0 0 0 0.25\n0\n",
     [](const bdLocals& c) { return c.los_Los[0][0]; }, 0.5},
    // A negative square gave a NaN coefficient, saved as "nan" and read back as 0.
    {"NegativeDesignLossToken", "0 1 0 0 0 1\n0\n0\n0 0 0 0 -0.25\n0\n",
     [](const bdLocals& c) { return c.los_Los[0][0]; }, -0.5},
    // An infinity was saved as "inf", which reads as 0.
    {"NumberBeyondTheDoubleRange", "0 1 0 0 0 10\n0\n1e999\n0\n0\n0\n",
     [](const bdLocals& c) { return c.elem_i0[0]; }, std::numeric_limits<double>::max()},
    // %g writes 2200000 as 2.2e+06, which the integer conversion read as 2.
    {"SevenDigitCountOfARotor",
     "0 1 0 0 0 10\n0\n0\n0 3000 0 0 0 0 0 0 0 0 41 0 0 0 0 1\n0\n0 0 0 0 0 0 0 2200000\n",
     [](const bdLocals& c) { return c.elem_VI[0]; }, 2200000.0},
    // With two streamlines the held angle (streamline 1) sits at the tip, and a
    // law referred to the mean diameter turned it on every load.
    {"TwistLawWithAnEvenStreamlineCount",
     "1 2 0 0 0 100\n0\n0\n0\n1 0 0.2 0.04 0 0 18 1 0 0 40 0 0 0 0 1\n0\n0\n1\n",
     [](const bdLocals& c) { return c.cas_B2a[1][1]; }, 18.0},
    // Six digits wrote inlet and outlet pressure alike: the reload found a compressing path.
    {"NearlyEqualPressures", "0 1 0 0 0 1\n0 0 0 0 0 0 0\n0 1.0000002 1.0000001\n0\n0\n",
     [](const bdLocals& c) { return static_cast<double>(c.ICLos); }, 0.0},
    // Six digits wrote 1.0000001 as 1: the reload found a blade row and gave it seal defaults.
    {"KindCodeOffByAFraction", "0 1 0 0 0 10\n0\n0\n0 3000 0 0 0 0 0 0 0 0 41 0 0 0 0 1.0000001\n0\n0\n",
     [](const bdLocals& c) { return c.clrn_Zrr[0]; }, 0.0},
    // A rotor row of no height (one radius) in a twisted path of ten streamlines:
    // the law's round trip through 180 - B2a moved the held angle by an ulp of
    // 180 degrees on every load.
    {"TwistLawOfARowOfNoHeight",
     "1 10 0 0 0 100\n0\n0 1 2\n0\n1 3000 0.2 0 0 0 0.0028 1 0 0 41 0 0 0 0 1\n0\n0\n1\n",
     [](const bdLocals& c) { return c.cas_B2a[1][5] + c.cas_B2a[1][0] + c.cas_B2a[1][9]; }, 3 * 0.0028},
    {"TwistLawOfACompressorRowOfNoHeight",
     "1 10 0 0 0 100\n0\n0 1 2\n0\n1 3000 0.2 0 0 0 179.9972 1 0 0 41 0 0 0 0 1\n0\n0\n1\n",
     [](const bdLocals& c) { return c.cas_B2a[1][5] + c.cas_B2a[1][0] + c.cas_B2a[1][9]; }, 3 * 179.9972},
    // The inlet took the rotor form 180 - B2a of its angle, and the next load turned it back.
    {"TwistLawOfARotorAtTheInlet", "0 3 0 0 0 100\n0\n0\n0 3000 0 0 0 0 26 0 0 0 41 0 0 0 0 1\n0\n0\n",
     [](const bdLocals& c) { return c.cas_B2a[0][0]; }, 26.0},
};

TEST_F(CaseFile, SavedCasesLoadAndSaveToTheSameFile) {
    for (const auto& r : kRoundTrips) {
        SCOPED_TRACE(r.name);
        fresh_case();
        ASSERT_EQ(load(r.text), 0);
        EXPECT_NEAR(r.loaded(*block()), r.expected, 1e-12 * std::fabs(r.expected));
        const int layout = block()->cyld_VART < 10 ? 1 : 0;
        ASSERT_EQ(save_data("saved.dat", layout), 0);
        const std::string first = h2::test::read_file("saved.dat");

        fresh_case();
        block()->fluid_func = test_fluid;
        ASSERT_EQ(load_data("saved.dat"), 0);
        // The saved file holds at least six digits.
        EXPECT_NEAR(r.loaded(*block()), r.expected, 1e-5 * std::fabs(r.expected));
        ASSERT_EQ(save_data("saved.dat", layout), 0);
        EXPECT_EQ(h2::test::read_file("saved.dat"), first);
    }
}

// Every finite double, written as a file holds it and saved again, reads back
// bit for bit: random bit patterns cover every exponent and the subnormals,
// random 17-digit decimals the values that need all the digits a double has.
// (Sixty-one values of up to 23 characters keep the line within the reader's
// limit of 1999 characters.)
TEST_F(CaseFile, EveryDoubleSurvivesASaveAndALoad) {
    constexpr int kNs = 60;
    constexpr int kFiles = 164;
    std::mt19937_64 random(20261210);
    std::uniform_int_distribution<int> digit(0, 9);
    const auto next_value = [&](int k) {
        if (k % 2 == 0) {
            for (;;) {
                const double v = std::bit_cast<double>(random());
                if (std::isfinite(v)) return v;
            }
        }
        std::string text = "0.";
        text += static_cast<char>('1' + digit(random) % 9);
        for (int d = 1; d < 17; ++d) text += static_cast<char>('0' + digit(random));
        text += "e" + std::to_string(static_cast<int>(random() % 600) - 300);
        return std::strtod(text.c_str(), nullptr);
    };
    for (int file = 0; file < kFiles; ++file) {
        std::vector<double> values;
        std::string text = std::to_string(kNs) + " 1 0 0 0 10\n0\n0\n";
        for (int i = 0; i <= kNs; ++i) text += std::to_string(i) + "\n";
        for (int i = 0; i <= kNs; ++i) {
            values.push_back(next_value(file * (kNs + 1) + i));
            char number[40];
            std::snprintf(number, sizeof number, "%.17g ", values.back());
            text += number;
        }
        text += "\n";
        for (int i = 0; i <= kNs; ++i) text += std::to_string(i) + "\n";
        fresh_case();
        ASSERT_EQ(load(text), 0);
        ASSERT_EQ(save_data("saved.dat", 0), 0);
        fresh_case();
        block()->fluid_func = test_fluid;
        ASSERT_EQ(load_data("saved.dat"), 0);
        for (int i = 0; i <= kNs; ++i)
            ASSERT_EQ(std::bit_cast<std::uint64_t>(block()->wb[i]), std::bit_cast<std::uint64_t>(values[i]))
                << std::setprecision(17) << values[i] << " came back as " << block()->wb[i];
    }
}

// Values that need the sixth digit keep the text of six digits; those that
// need more get the fewest that give them back.
TEST_F(CaseFile, RealsAreSavedWithTheFewestDigitsThatGiveThemBack) {
    ASSERT_EQ(load("3 1 0 0 0 10\n0\n0\n0\n1\n2\n3\n0.25 1.0000002 0.06301020321842965 0.1\n0\n1\n2\n3\n"),
              0);
    ASSERT_EQ(save_data("saved.dat", 0), 0);
    const std::string saved = h2::test::read_file("saved.dat");
    EXPECT_NE(saved.find("0.25    1.0000002    0.06301020321842965    0.1    \n"), std::string::npos)
        << saved;
}

// Fuzz findings kept in the corpus: each either loads, and its saved file
// loads into a new case and saves to the same bytes, or is refused with the
// line that says why.
TEST_F(CaseFile, TheFuzzCorpusSurvivesTheRoundTrip) {
    const fs::path corpus = kTestsDir.parent_path() / "fuzz" / "corpus" / "case_file";
    struct Finding {
        const char* file;
        const char* refusal;  // nullptr: the file loads
    } findings[] = {
        {"case_file_roundtrip_16_digits.dat", nullptr},
        // Its header asks for 91 elements; the torn lines after it hold four.
        {"case_file_roundtrip_fuzz_artifact.dat", "the case file ends in element line 5 of 91"},
    };
    for (const Finding& f : findings) {
        SCOPED_TRACE(f.file);
        fresh_case();
        block()->fluid_func = test_fluid;
        h2::test::CapturedConsole console;
        const fs::path file = corpus / f.file;
        if (f.refusal != nullptr) {
            EXPECT_EQ(load_data(file.c_str()), 2);
            EXPECT_EQ(console.text(), "\n" + file.string() + ": " + f.refusal + "\n");
            continue;
        }
        ASSERT_EQ(load_data(file.c_str()), 0);
        const int layout = block()->cyld_VART < 10 ? 1 : 0;
        ASSERT_EQ(save_data("saved.dat", layout), 0);
        const std::string first = h2::test::read_file("saved.dat");
        fresh_case();
        block()->fluid_func = test_fluid;
        ASSERT_EQ(load_data("saved.dat"), 0);
        ASSERT_EQ(save_data("saved.dat", layout), 0);
        EXPECT_EQ(h2::test::read_file("saved.dat"), first);
    }
}

// ---------------------------------------------------------------- with the plug-ins

class CaseFileWithPlugins : public CaseFile {
protected:
    void SetUp() override {
        CaseFile::SetUp();
        h2::copy_text(block()->ModelBase, H2_PLUGIN_DIR);
    }
};

TEST_F(CaseFileWithPlugins, TheExamplesLoad) {
    for (const auto& l : kLayouts) {
        SCOPED_TRACE(l.example);
        bterm();
        ASSERT_NE(binit(), nullptr);
        h2::copy_text(block()->ModelBase, H2_PLUGIN_DIR);
        ASSERT_EQ(load_data((kExamplesDir / l.example).c_str()), 0);
        EXPECT_NE(block()->fluid_func, nullptr);
        EXPECT_STREQ(block()->fluidName, "flxb.dll");
        EXPECT_EQ(block()->fluid_loaded, 1);  // fluid 0, as a run will check
        // The blade rows got their profile-loss model.
        EXPECT_NE(block()->LossSlots[3][1], nullptr);
        EXPECT_NE(block()->LossSlots[3][2], nullptr);
        EXPECT_EQ(console_.text(), "");
    }
}

// A fluid that cannot be had says which plug-in it needs and where it was looked for.
TEST_F(CaseFileWithPlugins, AFluidWithoutItsPlugInSaysWhichAndWhere) {
    struct Case {
        const char* name;
        int fluid;
        const char* model_base;  // nullptr: the built plug-ins
        const char* line;
    } cases[] = {
        {"missing plug-in directory", 0, "no_such_dir",
         "load_data: no property function for the main fluid: its plug-in flxb.so was not found in "
         "no_such_dir"},
        {"fluid 6", 6, "no_such_dir",
         "load_data: no property function for the main fluid: its plug-in flxv.so was not found in "
         "no_such_dir"},
        {"fluid 7", 7, "no_such_dir",
         "load_data: no property function for the main fluid: its plug-in flxt.so was not found in "
         "no_such_dir"},
        {"fluid 9", 9, nullptr, "Fatal error: Unknown fluid type"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fresh_case();
        h2::copy_text(block()->ModelBase, c.model_base ? c.model_base : H2_PLUGIN_DIR);
        std::string text = b2eff_stage().text();
        const std::string header = " 50 0 1 10 0 ";  // ... VART IS
        text.replace(text.find(header), header.size(), " 50 0 1 10 " + std::to_string(c.fluid) + " ");
        write_text("case.dat", text);
        h2::test::CapturedConsole console;
        EXPECT_EQ(load_data("case.dat"), 1);
        EXPECT_EQ(console.text(), "\n" + std::string(c.line) + "\n");
    }
}

// Sets field `column` of the data line under the heading that starts with `heading`.
std::string set_field(std::string text, const std::string& heading, std::size_t column,
                      const std::string& value) {
    const std::size_t start = text.find('\n', text.find(heading)) + 1;
    const std::size_t end = text.find('\n', start);
    std::istringstream in(text.substr(start, end - start));
    std::vector<std::string> fields{std::istream_iterator<std::string>(in), {}};
    fields.at(column) = value;
    std::string line;
    for (const std::string& f : fields) line += "  " + f;
    return text.replace(start, end - start, line);
}

// Methane with an excess-air ratio below 1 is a rich mixture the gas plug-in
// does not model and refuses: the numbered fluid path (a first load) and the
// named path (the plug-in's name kept in the case, as a host gives it) both
// refuse the file; a lean mixture loads on both.
TEST_F(CaseFileWithPlugins, ARichGasMixtureIsRefusedOnEveryPath) {
    const std::string example = h2::test::read_file(kExamplesDir / "air_turbine_stage.dat");
    const std::string methane = set_field(example, "#  NS  NI  IM  IP  IPP  VART  IS", 6, "5");
    for (const char* af : {"0.45", "1.2"}) {
        SCOPED_TRACE(af);
        {
            std::ofstream out("methane.dat");
            out << set_field(methane, "#       I0      P0      P2n", 6, af);
        }
        const bool rich = std::string(af) == "0.45";
        bterm();
        ASSERT_NE(binit(), nullptr);
        h2::copy_text(block()->ModelBase, H2_PLUGIN_DIR);
        EXPECT_EQ(load_data("methane.dat") != 0, rich);
        EXPECT_STREQ(block()->fluidName, "flxm.dll");
        // The name kept without the mark of a numbered set-up, as a host names its plug-in.
        block()->fluid_loaded = 0;
        EXPECT_EQ(load_data("methane.dat") != 0, rich);
    }
}

TEST_F(CaseFileWithPlugins, ASecondLoadReplacesTheFirstArrays) {
    ASSERT_EQ(load_data((kExamplesDir / "air_turbine_stage.dat").c_str()), 0);
    ASSERT_EQ(block()->alloc_streams, 3);
    ASSERT_EQ(load_data((kExamplesDir / "air_turbine_stage_design.dat").c_str()), 0);
    EXPECT_EQ(block()->elem_count, 3);
    EXPECT_EQ(block()->alloc_streams, 1);
    EXPECT_EQ(block()->cyld_VART, 1);
    EXPECT_EQ(console_.text(), "");
}

// A second file read into a used case sets its own fluid up: steam after air
// is steam (superheated steam at 3 MPa and 300 degC has h = 2993.5 kJ/kg,
// IAPWS-IF97 steam tables), and a file naming a fluid that does not exist is
// refused after a good one.
TEST_F(CaseFileWithPlugins, ASecondFileSetsItsOwnFluidUp) {
    ASSERT_EQ(load_data((kExamplesDir / "air_turbine_stage.dat").c_str()), 0);
    ASSERT_EQ(load_data((kExamplesDir / "steam_turbine_stage.dat").c_str()), 0);
    bdLocals* b = block();
    EXPECT_STREQ(b->fluidName, "flxs.dll");
    EXPECT_EQ(b->fluid_loaded, 3);
    ASSERT_NE(b->fluid_func, nullptr);
    EXPECT_NEAR(b->fluid_func(H2_FLUID_I_PT, 3e6, 573.15, 0.0, H2_FLUID_MAIN), 2993.5e3, 2e3);
    b->IPP = b->IPI = b->IPO = 0;
    EXPECT_EQ(dbrun(nullptr, 0), 0);

    const std::string example = h2::test::read_file(kExamplesDir / "air_turbine_stage.dat");
    std::ofstream("fluid99.dat") << set_field(example, "#  NS  NI  IM  IP  IPP  VART  IS", 6, "99");
    ASSERT_EQ(load_data((kExamplesDir / "air_turbine_stage.dat").c_str()), 0);
    EXPECT_NE(load_data("fluid99.dat"), 0);
}

}  // namespace
