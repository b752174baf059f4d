// Stored section models: the built-in tables, the model files, the
// generated installation files, evaluation, and who frees a model.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "blades/section_model_tables.h"
#include "tests/blades/blade_case.h"
#include "tests/support/captured_console.h"

namespace {

using h2::test::BladeCaseTest;
namespace sm = h2::section_model;

constexpr double kRotorLo[4] = {20, 10, 20, -0.2}, kRotorHi[4] = {120, 30, 30, 0.2};
constexpr double kStatorLo[4] = {70, 0.05, 0.7, 1.0}, kStatorHi[4] = {120, 0.15, 1.0, 3.5};

GeomModel rotor(bdLocals& b) { return static_cast<GeomModel>(b.model_rotor); }
GeomModel stator(bdLocals& b) { return static_cast<GeomModel>(b.model_stator); }

void write_floats(const char* name, const std::vector<float>& values) {
    std::ofstream out(name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(values.data()), static_cast<std::streamsize>(values.size() * 4));
}

using SectionModelTest = BladeCaseTest;

TEST_F(SectionModelTest, BuiltInModelsAtCentreAndCorners) {
    ASSERT_EQ(init_model(), 1);
    const double centre[4] = {70, 20, 25, 0};
    // At the centre only the constant counts; at a corner every used
    // coefficient enters with the sign of its variables.
    EXPECT_DOUBLE_EQ(model_geom(4, 0, kRotorLo, kRotorHi, rotor(c()), centre), -2.653);
    EXPECT_TRUE(h2::test::near_rel(model_geom(4, 0, kRotorLo, kRotorHi, rotor(c()), kRotorHi), -1.3914989));
    EXPECT_TRUE(h2::test::near_rel(model_geom(4, 0, kRotorLo, kRotorHi, rotor(c()), kRotorLo), -2.2461663));
    EXPECT_TRUE(
        h2::test::near_rel(model_geom(4, 18, kStatorLo, kStatorHi, stator(c()), kStatorHi), -1.460247));
    EXPECT_TRUE(
        h2::test::near_rel(model_geom(4, 18, kStatorLo, kStatorHi, stator(c()), kStatorLo), -5.504551));
}

// The tables as a model file holds them: every set's 5 x 5 matrix row by row.
std::vector<float> table_floats(int kind) {
    std::vector<float> floats(static_cast<std::size_t>(sm::set_count(kind)) * 25, 0.0f);
    for (int k = 0; k < sm::set_count(kind); ++k)
        for (int u = 0; u < sm::kUsed; ++u)
            floats[static_cast<std::size_t>(k * 25 + sm::kUsedCells[u][0] * 5 + sm::kUsedCells[u][1])] =
                static_cast<float>(sm::builtin_table(kind)[k][u]);
    return floats;
}

// A model file is used only when it holds exactly one model of finite
// coefficients; any other is refused with one line, and the built-in table
// answers. The sound file here is the table with set 0's constant changed, so
// that a model taken from it tells itself apart from the built-in one.
TEST_F(SectionModelTest, OnlyAnExactFileOfFiniteCoefficientsIsUsed) {
    h2::test::CapturedConsole console;
    const double centre_w[4] = {70, 20, 25, 0};
    const double centre_g[4] = {95, 0.1, 0.85, 2.25};
    const auto edited = [](int kind, std::size_t size, std::size_t at, float value) {
        std::vector<float> f = table_floats(kind);
        f[0] = 7.0f;
        f.resize(size, 0.5f);
        if (at < size) f[at] = value;
        return f;
    };
    constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
    constexpr float kInf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* name;
        int kind;
        std::vector<float> floats;
        const char* line;  // empty: the file is used
    } cases[] = {
        {"model_w.bin",
         1,
         {},
         "model_w.bin: 0 bytes, where a rotor section model file holds 1800; the built-in rotor section "
         "model is used"},
        {"model_g.bin", 2, edited(2, 10, 99, 0),
         "model_g.bin: 40 bytes, where a stator section model file holds 1900; the built-in stator section "
         "model is used"},
        {"model_w.bin", 1, edited(1, 451, 999, 0),
         "model_w.bin: 1804 bytes, where a rotor section model file holds 1800; the built-in rotor section "
         "model is used"},
        {"model_w.bin", 1, edited(1, 450, 57, kNan),
         "model_w.bin: coefficient 7 of set 2 is not a finite number; the built-in rotor section model is "
         "used"},
        {"model_g.bin", 2, edited(2, 475, 474, kInf),
         "model_g.bin: coefficient 24 of set 18 is not a finite number; the built-in stator section model is "
         "used"},
        {"model_w.bin", 1, edited(1, 450, 999, 0), ""},
        {"model_g.bin", 2, edited(2, 475, 999, 0), ""},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.line);
        bterm();
        ASSERT_NE(binit(), nullptr);
        std::filesystem::remove("model_w.bin");
        std::filesystem::remove("model_g.bin");
        write_floats(t.name, t.floats);
        std::size_t before = console.text().size();
        ASSERT_EQ(init_model(), 1);
        const bool used = *t.line == '\0';
        EXPECT_EQ(console.text().substr(before), used ? std::string() : "\n" + std::string(t.line) + "\n");
        GeomModel m = t.kind == 1 ? rotor(c()) : stator(c());
        const double* lo = t.kind == 1 ? kRotorLo : kStatorLo;
        const double* hi = t.kind == 1 ? kRotorHi : kStatorHi;
        EXPECT_EQ(model_geom(4, 0, lo, hi, m, t.kind == 1 ? centre_w : centre_g),
                  used ? 7.0 : sm::builtin_table(t.kind)[0][0]);
        const int file_bit = t.kind == 1 ? H2_MODEL_ROTOR_FILE : H2_MODEL_STATOR_FILE;
        EXPECT_EQ(c().model_source, H2_MODEL_LOADED | (used ? file_bit : 0) | (used ? 0 : 4 * t.kind));
        // The next load of the same case says nothing more.
        before = console.text().size();
        ASSERT_EQ(init_model(), 1);
        EXPECT_EQ(console.text().substr(before), "");
        term_model();
    }
}

TEST_F(SectionModelTest, GeneratedFilesHoldTheTablesAsFloats) {
    const std::filesystem::path data = std::filesystem::path(H2_PLUGIN_DIR).parent_path() / "data";
    for (const char* name : {"model_w.bin", "model_g.bin"}) {
        ASSERT_TRUE(std::filesystem::exists(data / name)) << data / name;
        std::filesystem::copy_file(data / name, name);
    }
    ASSERT_EQ(init_model(), 1);
    for (int kind = 1; kind <= 2; ++kind) {
        GeomModel m = kind == 1 ? rotor(c()) : stator(c());
        EXPECT_EQ(std::filesystem::file_size(kind == 1 ? "model_w.bin" : "model_g.bin"),
                  static_cast<std::uintmax_t>(sm::set_count(kind) * 25 * 4));
        for (int k = 0; k < sm::set_count(kind); ++k) {
            double expected[5][5] = {};
            for (int u = 0; u < sm::kUsed; ++u)
                expected[sm::kUsedCells[u][0]][sm::kUsedCells[u][1]] = sm::builtin_table(kind)[k][u];
            for (int r = 0; r < 5; ++r)
                for (int col = 0; col < 5; ++col)
                    EXPECT_EQ(m[k][r][col], static_cast<double>(static_cast<float>(expected[r][col])))
                        << "kind " << kind << " set " << k << " (" << r << ", " << col << ")";
        }
    }
}

TEST_F(SectionModelTest, BadArgumentsAnswerNotFound) {
    ASSERT_EQ(init_model(), 1);
    const double x[4] = {70, 20, 25, 0};
    const double flat[4] = {20, 20, 20, -0.2};
    struct Case {
        int n, k;
        const double *lo, *hi, *x;
        bool null_model;
    } cases[] = {
        {4, 0, nullptr, kRotorHi, x, false},        {4, 0, kRotorLo, nullptr, x, false},
        {4, 0, kRotorLo, kRotorHi, nullptr, false}, {4, 0, kRotorLo, kRotorHi, x, true},
        {0, 0, kRotorLo, kRotorHi, x, false},       {5, 0, kRotorLo, kRotorHi, x, false},
        {4, -1, kRotorLo, kRotorHi, x, false},      {4, 18, kRotorLo, kRotorHi, x, false},
        {4, 0, kRotorLo, flat, x, false},
    };
    for (const Case& t : cases)
        EXPECT_EQ(model_geom(t.n, t.k, t.lo, t.hi, t.null_model ? nullptr : rotor(c()), t.x), 1e20)
            << "n " << t.n << " k " << t.k;
    EXPECT_EQ(alloc_model(3), nullptr);
    EXPECT_EQ(alloc_model(0), nullptr);
}

// Ownership: under the sanitizers a leaked or twice-freed model fails.
TEST_F(SectionModelTest, ReloadingReleasesTheCasesOwnModels) {
    ASSERT_EQ(init_model(), 1);
    ASSERT_EQ(init_model(), 1);
    EXPECT_EQ(c().model_owned, 3);
    free_model(1);
    free_model(1);  // the second only clears what is already clear
    EXPECT_EQ(c().model_rotor, nullptr);
    EXPECT_EQ(c().model_owned, 2);
}

TEST_F(SectionModelTest, AWholeBlockCopySharesButNeverFrees) {
    make_row(1, 3000.0, 60.0);
    c().cas_b[1][0] = 0.05;
    c().cas_tb[1][0] = 0.8;
    c().flow_r2[1][0] = 0.5;
    ASSERT_EQ(init_model(), 1);
    bdLocals* src = block();
    bdLocals* copy = copy_probdata(src, nullptr);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->model_rotor, src->model_rotor);
    EXPECT_EQ(copy->model_owned, 0);
    term_model();  // on the copy: clears its fields only
    EXPECT_EQ(copy->model_rotor, nullptr);
    bterm();
    ASSERT_EQ(set_bdLocals(src), 1);
    WorkGeom(1, 0, 1);
    EXPECT_GT(c().prof_F[1][0], 0.0);
    term_model();
    EXPECT_EQ(c().model_owned, 0);
}

TEST_F(SectionModelTest, AHostsModelStaysTheHosts) {
    GeomModel own = alloc_model(2);
    ASSERT_NE(own, nullptr);
    c().model_stator = own;
    ASSERT_EQ(init_model(), 1);  // replaces the field without freeing the host's model
    EXPECT_NE(c().model_stator, own);
    term_model();
    EXPECT_EQ(c().model_stator, nullptr);
    c().model_stator = own;
    term_model();
    EXPECT_EQ(c().model_stator, nullptr);
    EXPECT_EQ(own[18][4][4], sm::kStator[18][14]);  // still the host's, intact
    std::free(own);
}

TEST(SectionModelRelease, ReleasingTheCaseReleasesItsModels) {
    ASSERT_EQ(binit_threading(), 0);
    ASSERT_NE(binit(), nullptr);
    ASSERT_EQ(init_model(), 1);
    bterm();                     // leak-checked under the sanitizers
    EXPECT_EQ(init_model(), 0);  // no case
    term_model();
    bend_threading();
}

}  // namespace
