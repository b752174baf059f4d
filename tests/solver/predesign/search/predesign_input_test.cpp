// The predesign input file: every field of the layout, the line syntax, the
// temperature inlet, the design file written by the export read back, the
// arrays the case gets, and bad files that change nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "halvorine2/fluid_plugin.h"
#include "tests/solver/predesign/search/predesign_fixture.h"
#include "tests/support/captured_console.h"
#include "tests/support/example_stage.h"
#include "tests/support/temp_dir.h"

namespace {

using h2::predesign::module_count;

// Taken before any test moves to its temporary directory.
const std::filesystem::path kExamples = std::filesystem::absolute(h2::test::examples_dir());

// A line 2 for files that do not test it (blank lines are skipped, not taken as missing lines).
const std::string L2 = "2 2 0 2 1 50 1 0.5 1e-06 0\n";
using h2::predesign::module_records;

void write_file(const char* name, const std::string& text) {
    std::ofstream f(name, std::ios::binary);
    f << text;
}

// Values of one module as its 23 lines give them.
struct ModuleValues {
    int type, Dflag, Gflag;
    double var_lower[PD_VAR_COUNT], var_upper[PD_VAR_COUNT];
    double lim_lower[PD_LIM_COUNT], lim_upper[PD_LIM_COUNT];
    double OM, G, P2N;
};

ModuleValues module_values(int type, int seed, double stages) {
    ModuleValues v{type, seed % 3, seed % 2, {}, {}, {}, {}, 300.0 + seed, 10.0 + seed, 1e5 * (seed + 1)};
    for (int k = 0; k < PD_VAR_COUNT; ++k) {
        v.var_lower[k] = seed + 0.25 * k;
        v.var_upper[k] = 10.0 * k + 1.5 + seed;
    }
    for (int k = 0; k < PD_LIM_COUNT; ++k) {
        v.lim_lower[k] = 0.5 + k + seed;
        v.lim_upper[k] = 100.0 * k + 2.0 + seed;
    }
    v.lim_upper[PD_LIM_STG] = stages;
    return v;
}

std::string module_lines(const ModuleValues& v) {
    std::ostringstream s;
    s.precision(17);
    s << v.type << "\n" << v.Dflag << "\n" << v.Gflag << "\n";
    for (int k = 0; k < PD_VAR_COUNT; ++k) s << v.var_lower[k] << " " << v.var_upper[k] << "\n";
    for (int k = 0; k < PD_LIM_COUNT; ++k) s << v.lim_lower[k] << ", " << v.lim_upper[k] << "\n";
    s << v.OM << "\n" << v.G << "\n" << v.P2N << "\n";
    return s.str();
}

void expect_module(const PD_module& r, const ModuleValues& v, int m) {
    EXPECT_EQ(r.type, v.type) << m;
    EXPECT_EQ(r.Dflag, v.Dflag) << m;
    EXPECT_EQ(r.Gflag, v.Gflag) << m;
    for (int k = 0; k < PD_VAR_COUNT; ++k) {
        EXPECT_EQ(r.PD_VAR_lower[k], v.var_lower[k]) << m << " var " << k;
        EXPECT_EQ(r.PD_VAR_upper[k], v.var_upper[k]) << m << " var " << k;
    }
    // No module type searches the work split: it stands at the middle of its range.
    EXPECT_EQ(r.PD_VAL[PD_VAR_KH], 0.5 * (v.var_lower[PD_VAR_KH] + v.var_upper[PD_VAR_KH])) << m;
    for (int k = 0; k < PD_LIM_COUNT; ++k) {
        EXPECT_EQ(r.PD_LIM_lower[k], v.lim_lower[k]) << m << " lim " << k;
        EXPECT_EQ(r.PD_LIM_upper[k], v.lim_upper[k]) << m << " lim " << k;
    }
    EXPECT_EQ(r.PD_SRC_OM, v.OM) << m;
    EXPECT_EQ(r.PD_SRC_G, v.G) << m;
    EXPECT_EQ(r.PD_SRC_P2N, v.P2N) << m;
}

class PredesignInput : public h2::test::PredesignTest {
protected:
    h2::test::TempDir dir_;
    h2::test::CapturedConsole console_;
};

TEST_F(PredesignInput, EveryFieldOfTheLayout) {
    const ModuleValues m0 = module_values(TURB_AXIAL, 1, 2.0);
    const ModuleValues m1 = module_values(COMP_AXIAL, 2, 3.0);
    const std::string text =
        "# predesign task\n"
        "10 1 40 1 3 2 0 7 0 60 1 2\n"
        "2 3 4 5 6 70 1 0.4 1e-05 1\n"
        "\n"
        "3.3e6 1.2e6 88.5\n"
        "0.125 9.875\n"
        "2\n" +
        module_lines(m0) + module_lines(m1);
    write_file("two.pd", text);
    module_records()[0].PD_SRC_AF = 0.75;  // the file has no place for it
    module_records()[1].Vflag = 3;
    ASSERT_EQ(PD_load_data("two.pd"), 0) << console_.text();
    const bdLocals* b = master();
    EXPECT_STREQ(b->name, "two.pd");
    const int line1[] = {b->cyld_ns,   b->cyld_nr,    b->IM,  b->IP,         b->IPP,
                         b->cyld_VART, b->cyld_fluid, b->IGM, b->cyld_VARTP, b->cyld_VARTD};
    const int expected1[] = {10, 1, 40, 1, 3, 2, 0, 60, 1, 2};
    for (int k = 0; k < 10; ++k) EXPECT_EQ(line1[k], expected1[k]) << k;
    const int line2[] = {b->cyld_MethodP, b->cyld_MethodS, b->cyld_MethodN, b->cyld_MethodV,
                         b->cyld_MethodL, b->ISM,          b->ICLos,        b->cyld_force1D};
    const int expected2[] = {2, 3, 4, 5, 6, 70, 1, 1};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(line2[k], expected2[k]) << k;
    EXPECT_EQ(b->RELAX, 0.4);
    EXPECT_EQ(b->acc_limit, 1e-5);
    // The defaults after reading: VARTB 1 whatever line 1 says, print levels.
    EXPECT_EQ(b->cyld_VARTB, 1);
    EXPECT_EQ(b->ITML, 0);
    EXPECT_EQ(b->IPO, 3);
    EXPECT_EQ(b->IPI, 3);

    ASSERT_EQ(module_count(), 2);
    const PD_module& r0 = module_records()[0];
    EXPECT_EQ(r0.PD_SRC_I0, 3.3e6);
    EXPECT_EQ(r0.PD_SRC_P0, 1.2e6);
    EXPECT_EQ(r0.PD_SRC_A0, 88.5);
    EXPECT_EQ(r0.PD_SRC_AF, 0.75);
    expect_module(r0, m0, 0);  // its LENGTH line replaced line 4's values
    expect_module(module_records()[1], m1, 1);
    EXPECT_EQ(module_records()[1].Vflag, 3);
    // The table is attached to the case.
    EXPECT_EQ(b->ranges_ref, module_records());
    EXPECT_EQ(b->prereq_ref, h2::predesign::prereq_block(0));

    // Stages 2 + 3: n = 10, so elements 0..10 take the defaults; the arrays
    // hold 1 + (2*2 + 2) + (3*2 + 2) = 15 elements.
    ASSERT_EQ(b->alloc_elems, 15);
    for (int e = 0; e <= 10; ++e) {
        EXPECT_EQ(b->los_limit[e], 0.85) << e;
        EXPECT_EQ(b->dev_limit[e], 0.0) << e;
        EXPECT_EQ(b->block_limit[e], 0.0) << e;
        EXPECT_EQ(b->ublos_limit[e], 0.4) << e;
        EXPECT_EQ(b->volos_limit[e], 0.5) << e;
        EXPECT_EQ(b->los_scale[e], 1.0) << e;
        EXPECT_EQ(b->dev_scale[e], 1.0) << e;
        EXPECT_EQ(b->elem_VARTB[e], 1.0) << e;
    }
    EXPECT_EQ(b->los_limit[11], 0.0);
    EXPECT_EQ(b->elem_VARTB[11], 0.0);
}

TEST_F(PredesignInput, LineSyntax) {
    struct Case {
        const char* name;
        std::string text;
    };
    const std::string comment(3000, 'c');
    const Case cases[] = {
        {"separators", "  5, 3 ;2\t# x\n"},
        {"crlf", "# head\r\n\r\n  5, 3 ;2\r\n"},
        // A long comment is one line: its tail never becomes a data line.
        {"long comment", "#" + comment + " 7 7 7\n5 3 2\n"},
        {"no final line end", "5 3 2"},
        {"a CR ends the line", "5 3 2\r 8\n"},
    };
    for (const Case& c : cases) {
        h2::test::clear_predesign_tables();
        write_file("syntax.pd", c.text);
        master()->cyld_ns = 1;
        master()->IP = 0;
        EXPECT_EQ(PD_load_data("syntax.pd"), 0) << c.name << console_.text();
        EXPECT_EQ(master()->IP, 0) << c.name;
        EXPECT_EQ(master()->cyld_ns, 5) << c.name;
        EXPECT_EQ(master()->cyld_nr, 3) << c.name;
        EXPECT_EQ(master()->IM, 2) << c.name;
    }

    // A leading number is read: 2.7 as the integer 2; a short line keeps the rest.
    module_records()[0].PD_SRC_A0 = 45.0;
    write_file("lead.pd", "1 1\n" + L2 + "3.3e6 2e5\n0 0\n1\n2.7 trailing\n1x\n");
    ASSERT_EQ(PD_load_data("lead.pd"), 0) << console_.text();
    EXPECT_EQ(module_records()[0].type, 2);
    EXPECT_EQ(module_records()[0].Dflag, 1);
    EXPECT_EQ(module_records()[0].PD_SRC_P0, 2e5);
    EXPECT_EQ(module_records()[0].PD_SRC_A0, 45.0);

    // Line 4 gives module 0's length limits when no module line follows.
    write_file("length.pd", "1 1\n" + L2 + "3.3e6 1e5\n0.25 7.5\n0\n");
    ASSERT_EQ(PD_load_data("length.pd"), 0);
    EXPECT_EQ(module_records()[0].PD_LIM_lower[PD_LIM_LENGTH], 0.25);
    EXPECT_EQ(module_records()[0].PD_LIM_upper[PD_LIM_LENGTH], 7.5);
    EXPECT_EQ(module_records()[0].PD_LIM_lower[PD_LIM_MASS], 0.0);
}

TEST_F(PredesignInput, ReadLineAndLineKind) {
    EXPECT_EQ(PD_line_kind(""), 1);
    EXPECT_EQ(PD_line_kind(" \t\r\n"), 1);
    EXPECT_EQ(PD_line_kind("  # note"), 2);
    EXPECT_EQ(PD_line_kind(" 1 # note"), 0);
    write_file("lines.txt", "#c\n\n 1 2 # three\r\n" + std::string(2500, '9') + "\nlast");
    std::FILE* f = std::fopen("lines.txt", "r");
    ASSERT_NE(f, nullptr);
    std::vector<char> buffer(2000);
    ASSERT_EQ(PD_read_line(f, buffer.data()), 0);
    EXPECT_STREQ(buffer.data(), " 1 2 ");
    ASSERT_EQ(PD_read_line(f, buffer.data()), 0);
    EXPECT_EQ(std::strlen(buffer.data()), 1999u);  // cut to the buffer, the rest dropped
    ASSERT_EQ(PD_read_line(f, buffer.data()), 0);
    EXPECT_STREQ(buffer.data(), "last");
    EXPECT_EQ(PD_read_line(f, buffer.data()), -1);
    std::fclose(f);
    EXPECT_EQ(PD_read_line(nullptr, buffer.data()), -1);
}

TEST_F(PredesignInput, InletTemperatureBecomesTotalEnthalpy) {
    // Air as a perfect gas: h = cp T with cp = k R / (k - 1) = 1004.5 J/(kg K).
    struct Case {
        double inlet, pressure, enthalpy;
    };
    const Case cases[] = {
        {293.15, 101325.0, 294469.175},
        {9999.0, 101325.0, 10043995.5},
        {10000.0, 101325.0, 10000.0},  // taken as an enthalpy
        {293.15, 0.0, 293.15},         // no pressure: no conversion
    };
    for (const Case& c : cases) {
        char text[200];
        std::snprintf(text, sizeof text, "%.17g %.17g 90\n", c.inlet, c.pressure);
        write_file("inlet.pd", "1 1 50 0 2 2 0\n" + L2 + text);
        ASSERT_EQ(PD_load_data("inlet.pd"), 0) << console_.text();
        EXPECT_NEAR(module_records()[0].PD_SRC_I0, c.enthalpy, 1e-9 * c.enthalpy) << c.inlet;
    }
    EXPECT_NE(master()->fluid_func, nullptr);
}

TEST_F(PredesignInput, DesignFilesOfTheExportReadBack) {
    struct Kind {
        int kind;
        int methodL;
    };
    for (const Kind k : {Kind{0, 1}, Kind{3, 0}, Kind{4, 0}}) {
        h2::test::clear_predesign_tables();
        PD_module* t = table(2);
        t[0].type = COMP_RADIAL;
        t[1].type = TURB_RADIAL;
        t[0].PD_SRC_I0 = 3.3e6;
        t[0].PD_SRC_P0 = 1.2e6;
        t[0].PD_SRC_A0 = 90;
        for (int m = 0; m < 2; ++m) {
            t[m].Dflag = m + 1;
            t[m].Gflag = 1;
            t[m].diff_form = 1;
            t[m].uband_form = 2;
            t[m].desw_form = 3;
            t[m].volin_form = 4 + m;
            t[m].volout_form = 6;
            for (int v = 0; v < PD_VAR_COUNT; ++v) {
                t[m].PD_VAR_lower[v] = v + 0.25;
                t[m].PD_VAR_upper[v] = 10 * v + 1.5 + m;
            }
            for (int l = 0; l < PD_LIM_COUNT; ++l) {
                t[m].PD_LIM_lower[l] = l + 0.5;
                t[m].PD_LIM_upper[l] = 100.0 * l + 2 + m;
            }
            t[m].PD_SRC_OM = 314.5;
            t[m].PD_SRC_G = 12.5;
            t[m].PD_SRC_P2N = 1e5 * (m + 1);
        }
        PD_module written[2];
        std::memcpy(written, t, sizeof written);
        ASSERT_EQ(ExpDesignData("design.pbd", 0, 1, k.kind), 0);
        h2::test::clear_predesign_tables();
        ASSERT_EQ(PD_load_data("design.pbd"), 0) << k.kind << console_.text();
        ASSERT_EQ(module_count(), 2);
        for (int m = 0; m < 2; ++m) {
            const PD_module& r = module_records()[m];
            const PD_module& w = written[m];
            EXPECT_EQ(r.type, w.type);
            EXPECT_EQ(r.Dflag, w.Dflag);
            EXPECT_EQ(r.Gflag, w.Gflag);
            EXPECT_EQ(r.Vflag, 0) << "written as a comment";
            EXPECT_EQ(0, std::memcmp(r.PD_VAR_lower, w.PD_VAR_lower, sizeof r.PD_VAR_lower)) << k.kind;
            EXPECT_EQ(0, std::memcmp(r.PD_VAR_upper, w.PD_VAR_upper, sizeof r.PD_VAR_upper)) << k.kind;
            EXPECT_EQ(0, std::memcmp(r.PD_LIM_lower, w.PD_LIM_lower, sizeof r.PD_LIM_lower)) << k.kind;
            EXPECT_EQ(0, std::memcmp(r.PD_LIM_upper, w.PD_LIM_upper, sizeof r.PD_LIM_upper)) << k.kind;
            EXPECT_EQ(r.PD_SRC_OM, w.PD_SRC_OM);
            EXPECT_EQ(r.PD_SRC_G, w.PD_SRC_G);
            EXPECT_EQ(r.PD_SRC_P2N, w.PD_SRC_P2N);
            const bool five = k.kind == 4;
            EXPECT_EQ(r.diff_form, five ? w.diff_form : 0) << k.kind;
            EXPECT_EQ(r.uband_form, five ? w.uband_form : 0) << k.kind;
            EXPECT_EQ(r.desw_form, five ? w.desw_form : 0) << k.kind;
            EXPECT_EQ(r.volin_form, k.kind != 0 ? w.volin_form : 0) << k.kind;
            EXPECT_EQ(r.volout_form, five ? w.volout_form : 0) << k.kind;
        }
        const PD_module& r0 = module_records()[0];
        EXPECT_EQ(r0.PD_SRC_I0, 3.3e6);
        EXPECT_EQ(r0.PD_SRC_P0, 1.2e6);
        EXPECT_EQ(r0.PD_SRC_A0, 90.0);
        // The control rows of a design run.
        const bdLocals* b = master();
        EXPECT_EQ(b->cyld_ns, 1);
        EXPECT_EQ(b->cyld_nr, 1);
        EXPECT_EQ(b->IM, 50);
        EXPECT_EQ(b->IPP, 2);
        EXPECT_EQ(b->cyld_VART, 2);
        EXPECT_EQ(b->IGM, 50);
        EXPECT_EQ(b->cyld_VARTP, 1);
        EXPECT_EQ(b->cyld_MethodP, 2);
        EXPECT_EQ(b->cyld_MethodV, 2);
        EXPECT_EQ(b->cyld_MethodL, k.methodL) << k.kind;
        EXPECT_EQ(b->ISM, 50);
        EXPECT_EQ(b->ICLos, 1);
        EXPECT_EQ(b->RELAX, 0.5);
        EXPECT_EQ(b->acc_limit, 1e-6);
    }
}

TEST_F(PredesignInput, ArraysAreMadeForTheLargestPath) {
    // Two centrifugal stages of eight elements and an axial pair of stages:
    // 1 + (2*8 + 2) + (2*2 + 2) = 25 elements, three streamlines.
    std::string file = "4 3\n" + L2 + "3.3e6 1e5\n0 0\n2\n" +
                       module_lines(module_values(COMP_RADIAL, 0, 2.0)) +
                       module_lines(module_values(TURB_AXIAL, 1, 2.0));
    write_file("size.pd", file);
    // No arrays yet: made.
    ASSERT_EQ(PD_load_data("size.pd"), 0) << console_.text();
    EXPECT_EQ(master()->alloc_elems, 25);
    EXPECT_EQ(master()->alloc_streams, 3);
    // Larger arrays stay as they are.
    const double* kept = master()->los_limit;
    write_file("small.pd", "2 1\n");
    h2::test::clear_predesign_tables();
    ASSERT_EQ(PD_load_data("small.pd"), 0);
    EXPECT_EQ(master()->los_limit, kept);
    EXPECT_EQ(master()->alloc_elems, 25);
    // Smaller arrays are made anew; the count is held at 101 elements; the
    // host's dump file name stays.
    h2::copy_text(master()->dump_name, "host.dump");
    write_file("big.pd", "100 4\n");
    ASSERT_EQ(PD_load_data("big.pd"), 0);
    EXPECT_EQ(master()->alloc_elems, 101);
    EXPECT_EQ(master()->alloc_streams, 4);
    EXPECT_STREQ(master()->dump_name, "host.dump");

    // Stage limits of 20, 20 and 15 give n = 2 x 55, held at 100: elements 0..100 get defaults.
    h2::test::clear_predesign_tables();
    std::string three = "1 1\n" + L2 + "3.3e6 1e5\n0 0\n3\n";
    for (const double stages : {20.0, 20.0, 15.0})
        three += module_lines(module_values(TURB_AXIAL, 0, stages));
    write_file("three.pd", three);
    ASSERT_EQ(PD_load_data("three.pd"), 0) << console_.text();
    EXPECT_EQ(master()->los_limit[100], 0.85);
    EXPECT_EQ(master()->elem_VARTB[100], 1.0);
    EXPECT_EQ(master()->alloc_elems, 101) << "1 + 42 + 42 + 32 elements, held at 101";
    // More streamlines than the arrays have: made anew.
    write_file("wide.pd", "2 6\n");
    ASSERT_EQ(PD_load_data("wide.pd"), 0);
    EXPECT_EQ(master()->alloc_streams, 6);
    EXPECT_EQ(master()->alloc_elems, 101);

    // A file of comments only changes no field but the name; the defaults still run.
    master()->los_limit[0] = 0.3;
    master()->IPP = 4;
    const int ns = master()->cyld_ns;
    write_file("comments.pd", "# nothing\n   \n# else\n");
    ASSERT_EQ(PD_load_data("comments.pd"), 0);
    EXPECT_STREQ(master()->name, "comments.pd");
    EXPECT_EQ(master()->cyld_ns, ns);
    EXPECT_EQ(module_count(), 3);
    EXPECT_EQ(master()->los_limit[0], 0.85);
    EXPECT_EQ(master()->IPO, 4);
}

TEST_F(PredesignInput, BadFilesChangeNothing) {
    // A good one-module file up to its module lines, and those lines with line k (0-based) replaced.
    const std::string head = "1 1\n" + L2 + "3.3e6 1e5\n0 0\n1\n";
    const std::string good = module_lines(module_values(COMP_FAN, 1, 2.0));
    const auto lines_with = [&](int k, const std::string& line) {
        std::istringstream in(good);
        std::string out, l;
        for (int n = 0; std::getline(in, l); ++n) out += (n == k ? line : l) + "\n";
        return out;
    };
    ASSERT_EQ(setRanges(1), 0);
    PD_module* t = table(1);
    t[0].type = COMP_FAN;
    t[0].PD_SRC_I0 = 123.0;
    struct Case {
        const char* label;
        std::string text;
        int code;
        const char* message;  // in the console text
    };
    const Case cases[] = {
        {"ns 101", "101 1\n", 2, "bad.pd line 1: dimension exceeds maximum"},
        {"nr 51", "#\n1 51\n", 2, "bad.pd line 2: dimension exceeds maximum"},
        {"count 7", "1 1\n" + L2 + "3.3e6 1e5\n0 0\n\n7\n", 2,
         "bad.pd line 6: number of modules 7 outside 0..6"},
        {"count -1", "1 1\n" + L2 + "3.3e6 1e5\n0 0\n-1\n", 2,
         "PD_load_data: number of modules -1 outside 0..6"},
        {"type 9", "1 1\n" + L2 + "3.3e6 1e5\n0 0\n1\n9\n", 3, "bad.pd line 6: module type 9 outside 0..5"},
        {"abc", "1 1\n" + L2 + "3.3e6 abc\n", 3, "bad.pd line 3: value 2 is not a number"},
        {"infinite", "1 1\n1 1 1 1 1 1 1 1e999\n", 3, "bad.pd line 2: value 8 is not finite"},
        {"options", "1 1\n" + L2 + "3.3e6 1e5\n0 0\n1\n5\n0\n0\n1\n2\n3\n0 0\n", 3,
         "bad.pd line 9: 3 option lines"},
        {"type 6", "1 1\n" + L2 + "3.3e6 1e5\n0 0\n1\n6\n", 3, "bad.pd line 6: module type 6 outside 0..5"},
        {"type -1", "1 1\n" + L2 + "3.3e6 1e5\n0 0\n1\n-1\n", 3,
         "bad.pd line 6: module type -1 outside 0..5"},
        {"fluid 9", "1 1 50 0 2 2 9\n" + L2 + "293.15 1e5\n", 1, "bad.pd line 3: the fluid cannot be set up"},
        {"late failure", "1 1 50 0 2 2 0\n" + L2 + "293.15 1e5\n0 0\n1\n8\n", 3, "line 6: module type 8"},
        {"reversed range", "1 1\n" + L2 + "3.3e6 1e5\n0 0\n1\n5\n0\n0\n0.6 0.4\n", 3,
         "bad.pd line 9: PD_VAR_OM range 0.6 above its upper end 0.4"},
        {"reversed limit", head + lines_with(13, "5 1"), 3,
         "line 19: PD_LIM_STG range 5 above its upper end 1"},
        {"0 K", "1 1 50 0 2 2 0\n" + L2 + "0 1e5\n", 3,
         "bad.pd line 3: PD_SRC_I0 (inlet temperature or enthalpy) 0 is not above 0"},
        {"negative pressure", "1 1\n" + L2 + "3.3e6 -1e5\n", 3,
         "bad.pd line 3: PD_SRC_P0 (inlet pressure) -100000 is negative"},
        {"inlet angle", "1 1\n" + L2 + "3.3e6 1e5 270\n", 3,
         "bad.pd line 3: PD_SRC_A0 (inlet flow angle) 270 outside 0..180 degrees"},
        {"negative diameter", head + lines_with(4, "-0.1 0.2"), 3,
         "line 10: PD_VAR_D lower end -0.1 is negative"},
        {"speed 0", head + lines_with(20, "0"), 3, "line 26: PD_SRC_OM (speed) 0 is not above 0"},
        {"no flow", head + lines_with(21, "-2"), 3, "line 27: PD_SRC_G (mass flow) -2 is not above 0"},
        {"outlet pressure 0", head + lines_with(22, "0"), 3,
         "bad.pd line 28: PD_SRC_P2N (outlet pressure) 0 is not above 0"},
        {"endless line", "1 1\n" + std::string((1 << 20) + 10, '1') + "\n", 2,
         "bad.pd line 2: the line is longer than 1048576 bytes"},
    };
    const auto before_case = std::make_unique<bdLocals>(*master());
    std::vector<char> before_table(sizeof(PD_module) * PD_MODULE_MAX);
    std::memcpy(before_table.data(), module_records(), before_table.size());
    for (const Case& c : cases) {
        write_file("bad.pd", c.text);
        EXPECT_EQ(PD_load_data("bad.pd"), c.code) << c.label;
        EXPECT_NE(console_.text().find(c.message), std::string::npos) << c.label << "\n" << console_.text();
        EXPECT_EQ(0, std::memcmp(before_case.get(), master(), sizeof(bdLocals))) << c.label;
        EXPECT_EQ(0, std::memcmp(before_table.data(), module_records(), before_table.size())) << c.label;
        EXPECT_EQ(module_count(), 1) << c.label;
    }
    EXPECT_NE(console_.text().find("Fatal error: dimension exceeds maximum"), std::string::npos);
    EXPECT_NE(console_.text().find("InitFluid failed!"), std::string::npos);

    // A plug-in that cannot be loaded leaves the fluid the case had (a name
    // the host gave: no mark of a numbered set-up).
    load_air();
    h2::copy_text(master()->fluidName, "nosuchfluid.dll");
    master()->fluid_loaded = 0;
    const auto with_air = std::make_unique<bdLocals>(*master());
    write_file("bad.pd", "1 1 50 0 2 2 0\n" + L2 + "293.15 1e5\n");
    EXPECT_EQ(PD_load_data("bad.pd"), 1);
    EXPECT_EQ(0, std::memcmp(with_air.get(), master(), sizeof(bdLocals)));
    EXPECT_DOUBLE_EQ(master()->fluid_func(H2_FLUID_I_PT, 1e5, 300.0, 0.0, 0), 300.0 * h2::test::kAirCp);

    const auto with_bad_name = std::make_unique<bdLocals>(*master());
    EXPECT_EQ(PD_load_data("missing.pd"), 1);
    EXPECT_EQ(PD_load_data(nullptr), -1);
    EXPECT_NE(console_.text().find("Nothing to load"), std::string::npos);
    EXPECT_EQ(0, std::memcmp(with_bad_name.get(), master(), sizeof(bdLocals)));
    EXPECT_EQ(0, std::memcmp(before_table.data(), module_records(), before_table.size()));
}

// A file that ends before its module count or inside a declared module
// still reads, with a warning that names where it ended.
TEST_F(PredesignInput, FilesThatEndEarlySayWhere) {
    const std::string one = module_lines(module_values(COMP_FAN, 1, 2.0));
    struct Case {
        const char* label;
        std::string text;
        const char* warning;  // nullptr: none
    };
    const Case cases[] = {
        {"empty", "", "empty.pd ends at line 0, before its number of modules"},
        {"no count", "1 1\n" + L2 + "3.3e6 1e5\n", "empty.pd ends at line 3, before its number of modules"},
        {"cut in a module", "1 1\n" + L2 + "3.3e6 1e5\n0 0\n1\n5\n0\n",
         "empty.pd ends at line 7, before the end of module 1 of the 1 declared"},
        {"fewer modules than declared", "1 1\n" + L2 + "3.3e6 1e5\n0 0\n2\n" + one,
         "empty.pd ends at line 28, before the end of module 2 of the 2 declared"},
        {"whole", "1 1\n" + L2 + "3.3e6 1e5\n0 0\n1\n" + one, nullptr},
    };
    for (const Case& c : cases) {
        const std::size_t before = console_.text().size();
        write_file("empty.pd", c.text);
        EXPECT_EQ(PD_load_data("empty.pd"), 0) << c.label;
        const std::string added = console_.text().substr(before);
        if (c.warning != nullptr)
            EXPECT_NE(added.find(c.warning), std::string::npos) << c.label << "\n" << added;
        else
            EXPECT_EQ(added, "") << c.label;
    }
}

// A file read into a used case sets its own fluid up: the steam inlet after
// the air example is steam (superheated steam at 3 MPa and 300 degC has
// h = 2993.5 kJ/kg, IAPWS-IF97 steam tables), as in a fresh case.
TEST_F(PredesignInput, SteamAfterAirIsSteam) {
    std::ifstream in(kExamples / "predesign_centrifugal.dat");
    std::stringstream air;
    air << in.rdbuf();
    write_file("air.pd", air.str());
    std::string steam = air.str();
    const auto replace = [&](const std::string& from, const std::string& to) {
        const std::size_t at = steam.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        steam.replace(at, from.size(), to);
    };
    replace("  4  1 200  0   0    1  0 ", "  4  1 200  0   0    1  2 ");
    replace("  293.15 101325 90", "  573.15 3000000 90");
    write_file("steam.pd", steam);

    ASSERT_EQ(PD_load_data("air.pd"), 0) << console_.text();
    EXPECT_NEAR(module_records()[0].PD_SRC_I0, h2::test::kAirCp * 293.15, 1e-6);
    ASSERT_EQ(PD_load_data("steam.pd"), 0) << console_.text();
    const double after_air = module_records()[0].PD_SRC_I0;
    EXPECT_NEAR(after_air, 2993.5e3, 2e3);
    EXPECT_STREQ(master()->fluidName, "flxs.dll");
    EXPECT_EQ(master()->fluid_loaded, 3);

    // The same file into a fresh case: the same enthalpy, bit for bit.
    bdLocals* fresh = binit();
    ASSERT_NE(fresh, nullptr);
    h2::copy_text(fresh->ModelBase, H2_PLUGIN_DIR);
    h2::test::clear_predesign_tables();
    ASSERT_EQ(PD_load_data("steam.pd"), 0);
    EXPECT_EQ(module_records()[0].PD_SRC_I0, after_air);
    // An enthalpy inlet after a steam file: the fluid of the new file all the same.
    write_file("air_h.pd",
               air.str().replace(air.str().find("  293.15 101325 90"), 18, "  294469.175 101325 90"));
    ASSERT_EQ(PD_load_data("air_h.pd"), 0);
    EXPECT_STREQ(fresh->fluidName, "flxb.dll");
    EXPECT_EQ(fresh->fluid_loaded, 1);
    // A fluid that does not exist, after a good file, is refused and leaves the air.
    std::string unknown = air.str();
    unknown.replace(unknown.find("  4  1 200  0   0    1  0 "), 26, "  4  1 200  0   0    1 99 ");
    unknown.replace(unknown.find("  293.15 101325 90"), 18, "  294469.175 101325 90");
    write_file("fluid99.pd", unknown);
    EXPECT_EQ(PD_load_data("fluid99.pd"), 1);
    EXPECT_EQ(fresh->cyld_fluid, 0);
    EXPECT_STREQ(fresh->fluidName, "flxb.dll");
    bterm();
    set_bdLocals(master());
}

}  // namespace
