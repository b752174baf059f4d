#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "blades/atlas.h"
#include "halvorine2/atlas.h"
#include "tests/blades/atlas_owner.h"
#include "tests/support/captured_console.h"
#include "tests/support/golden.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

using h2::test::AtlasPtr;
using h2::test::write_text;

// Profile T1 as the golden table file holds it.
void fill_t1(Atlas* a, int k) {
    const double B2[2] = {20, 35.5}, tb[3] = {0.5, 0.75, 1};
    // Byct[i + j * nB2]: outlet angle i, pitch ratio j.
    const double Byct[6] = {40, 1e-5, 41.25, 100000, 42.5, 1234567};
    ASSERT_EQ(atlas_set_table(a, k, 2, 3, B2, tb, Byct, 30.0, 0.125, 0.0), 0);
}

const char* kBlockA =
    "A 2 3 # name nB2 ntb\n"
    "30 12.5\n"
    "20, 35.5\n"
    "0.5\t0.75 1 7 # the 7 is beyond ntb\n"
    "# Byct\n"
    "40 41.25 42.5\n"
    "50 51.25 52.5\n";

class TableFile : public ::testing::Test {
protected:
    h2::test::TempDir dir_;
    AtlasPtr atlas_{atlas_create(10, "atlas R")};
};

TEST_F(TableFile, ReadsHeaderGridsAndTable) {
    write_text("a.att", std::string(kBlockA) + "\nB 1 1\n10,12.5\t0.05 9\n70\n0.8\n33\n");
    ASSERT_EQ(atlas_load_tables(atlas_.get(), "a.att"), 0);
    EXPECT_EQ(atlas_->count, 2);
    EXPECT_EQ(atlas_->type, 1);
    EXPECT_STREQ(atlas_->names[0], "A");
    EXPECT_EQ(atlas_->B1g_org[0], 30.0);
    EXPECT_DOUBLE_EQ(atlas_->r2_[0], 0.125);
    EXPECT_EQ(atlas_->chord[0], 0.0);
    ASSERT_EQ(atlas_->nB2[0], 2);
    ASSERT_EQ(atlas_->ntb[0], 3);
    EXPECT_EQ(atlas_->B2[0][1], 35.5);
    EXPECT_EQ(atlas_->tb[0][2], 1.0);
    // Line i holds outlet angle i; stored at i + j * nB2.
    EXPECT_EQ(atlas_->Byct[0][0 + 2 * 2], 42.5);
    EXPECT_EQ(atlas_->Byct[0][1 + 1 * 2], 51.25);
    EXPECT_EQ(atlas_->chord[1], 0.05);
    EXPECT_EQ(atlas_->Byct[1][0], 33.0);

    // Reading again replaces the grids (the sanitizer run checks they are freed).
    ASSERT_EQ(atlas_load_tables(atlas_.get(), "a.att"), 0);
    EXPECT_EQ(atlas_->count, 2);
}

TEST_F(TableFile, EachTruncationHasItsCode) {
    struct Case {
        const char* tail;
        int load, listed;
    };
    const Case cases[] = {
        {"T 2\n", -1, -1},
        {"T 0 3\n", -1, -1},
        {"T 2 3\n", -2, -1},
        {"T 2 3\n30 12.5\n", -3, -2},
        {"T 2 3\n30 12.5\n20 35.5\n", -4, -3},
        {"T 2 3\n30 12.5\n20 35.5\n0.5 0.75 1\n40 41 42\n", -5, -4},
        {"T 2 3000\n30 12.5\n20 35.5\n0.5 0.75 1\n40 41 42\n", -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tail);
        AtlasPtr a(atlas_create(10, "a"));
        write_text("t.att", std::string(kBlockA) + c.tail);
        EXPECT_EQ(atlas_load_tables(a.get(), "t.att"), c.load);
        // Count and type are only set on a clean end.
        EXPECT_EQ(a->count, 0);
        EXPECT_EQ(a->type, 0);
        char buf[200];
        EXPECT_EQ(EnumAtt("t.att", buf), c.listed);
    }
    AtlasPtr a(atlas_create(10, "a"));
    EXPECT_EQ(atlas_load_tables(a.get(), "missing.att"), 0);
    EXPECT_EQ(a->type, 0);  // how a caller tells a missing table file
    EXPECT_EQ(atlas_load_tables(nullptr, "t.att"), -1);
}

TEST_F(TableFile, WriterFormReadsBackAndListsOnce) {
    ASSERT_EQ(atlas_add(atlas_.get(), 0, nullptr, "T1"), 1);
    fill_t1(atlas_.get(), 0);
    atlas_->chord[0] = 0.04;
    ASSERT_EQ(atlas_save_tables(atlas_.get(), 0, "T1", "t.att", nullptr), 0);
    EXPECT_EQ(h2::test::read_file("t.att"), h2::test::read_file(h2::test::kGoldenFiles / "atlas_tables.att"));

    AtlasPtr back(atlas_create(4, "back"));
    ASSERT_EQ(atlas_load_tables(back.get(), "t.att"), 0);
    ASSERT_EQ(back->count, 1);
    EXPECT_EQ(back->B1g_org[0], 30.0);
    EXPECT_DOUBLE_EQ(back->r2_[0], 0.125);
    EXPECT_EQ(back->chord[0], 0.0);  // the writer does not carry the chord
    for (int i = 0; i < 6; ++i)
        if (i != 5) {
            EXPECT_EQ(back->Byct[0][i], atlas_->Byct[0][i]) << i;
        }
    EXPECT_EQ(back->Byct[0][5], 1.23457e6);  // six significant digits

    // A name the file lists already: nothing is written.
    EXPECT_EQ(atlas_save_tables(atlas_.get(), 0, "T1", "t.att", "at"), 1);
    EXPECT_EQ(h2::test::read_file("t.att"), h2::test::read_file(h2::test::kGoldenFiles / "atlas_tables.att"));
    ASSERT_EQ(atlas_save_tables(atlas_.get(), 0, "T2", "t.att", "at"), 0);
    char buf[2 * 80 + 1];
    EXPECT_EQ(EnumAtt("t.att", buf), 2);
    EXPECT_STREQ(buf, " T1 T2");
    // Without an append mode an existing file is rewritten.
    ASSERT_EQ(atlas_save_tables(atlas_.get(), 0, "T3", "t.att", nullptr), 0);
    EXPECT_EQ(EnumAtt("t.att", buf), 1);

    // A file without profiles is created afresh even when asked to append.
    write_text("comments.att", "# only a comment\n");
    ASSERT_EQ(atlas_save_tables(atlas_.get(), 0, nullptr, "comments.att", "at"), 0);
    EXPECT_EQ(h2::test::read_file("comments.att"),
              h2::test::read_file(h2::test::kGoldenFiles / "atlas_tables.att"));
}

TEST_F(TableFile, WritersRefuseAndReportFailures) {
    ASSERT_EQ(atlas_add(atlas_.get(), 0, nullptr, "NoTable"), 1);
    EXPECT_EQ(atlas_save_tables(atlas_.get(), 0, "x", "x.att", nullptr), -1);
    EXPECT_EQ(atlas_save_tables(atlas_.get(), 1, "x", "x.att", nullptr), -1);
    EXPECT_EQ(atlas_save_chart(atlas_.get(), 0, "x.txt"), 1);
    fill_t1(atlas_.get(), 0);
    EXPECT_EQ(atlas_save_chart(atlas_.get(), 0, nullptr), 1);
    EXPECT_EQ(atlas_save_chart(atlas_.get(), 0, "no_dir/x.txt"), 1);
    EXPECT_FALSE(fs::exists("x.att"));
    EXPECT_FALSE(fs::exists("x.txt"));

    h2::test::CapturedConsole console;
    EXPECT_EQ(atlas_save_tables(atlas_.get(), 0, "T1", "no_dir/x.att", nullptr), -1);
    EXPECT_EQ(console.text(), "Can't open no_dir/x.att\n");
}

TEST_F(TableFile, ChartAndConsoleFormsAreTheGoldenOnes) {
    ASSERT_EQ(atlas_add(atlas_.get(), 0, nullptr, "T1"), 1);
    fill_t1(atlas_.get(), 0);
    ASSERT_EQ(atlas_save_chart(atlas_.get(), 0, "chart.txt"), 0);
    EXPECT_EQ(h2::test::read_file("chart.txt"),
              h2::test::read_file(h2::test::kGoldenFiles / "atlas_chart.txt"));

    h2::test::CapturedConsole console;
    ASSERT_EQ(atlas_save_tables(atlas_.get(), 0, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(console.text(), h2::test::read_file(h2::test::kGoldenFiles / "atlas_tables.att"));
}

TEST_F(TableFile, ReportsOfBothKindsAreTheGoldenOnes) {
    {
        AtlasPtr a(atlas_create(5, "atlas S"));
        const Point3 pa[2] = {{0.5, -0.25, 0}, {1e-7, 12345678, 0}}, pb[1] = {{-3, 0.125, 1.5}};
        ASSERT_EQ(atlas_add(a.get(), 2, pa, "A"), 1);
        ASSERT_EQ(atlas_add(a.get(), 1, pb, "B"), 2);
        h2::test::CapturedConsole console;
        EXPECT_EQ(atlas_report(a.get(), 1), 0);
        EXPECT_EQ(atlas_report(a.get(), 0), 0);
        EXPECT_EQ(console.text(), h2::test::read_file(h2::test::kGoldenFiles / "atlas_report_contour.txt"));
    }
    {
        AtlasPtr a(atlas_create(4, "atlas R"));
        ASSERT_EQ(atlas_load_tables(a.get(), (h2::test::kGoldenFiles / "atlas_tables.att").c_str()), 0);
        h2::test::CapturedConsole console;
        EXPECT_EQ(atlas_report(a.get(), 1), 0);
        EXPECT_EQ(atlas_report(a.get(), 0), 0);
        EXPECT_EQ(console.text(), h2::test::read_file(h2::test::kGoldenFiles / "atlas_report_tables.txt"));
    }
    EXPECT_EQ(atlas_report(nullptr, 1), -1);
}

TEST_F(TableFile, NamesAreListedWithTheirSeparators) {
    write_text("ab.att", std::string(kBlockA) + "\nB 1 1\n10\n70\n0.8\n33\n");
    char buf[2 * 80 + 1];
    EXPECT_EQ(EnumAtt("ab.att", buf), 2);
    EXPECT_STREQ(buf, " A B");
    std::strcpy(buf, "untouched");
    EXPECT_EQ(EnumAtt("missing.att", buf), 0);
    EXPECT_STREQ(buf, "untouched");
    EXPECT_EQ(EnumAtt(nullptr, buf), 0);
    EXPECT_EQ(EnumAtt("ab.att", nullptr), 0);

    ASSERT_EQ(atlas_load_tables(atlas_.get(), "ab.att"), 0);
    EXPECT_EQ(atlas_names(atlas_.get(), buf), 0);
    EXPECT_STREQ(buf, "A B");
    AtlasPtr empty(atlas_create(3, "empty"));
    EXPECT_EQ(atlas_names(empty.get(), buf), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(atlas_names(empty.get(), nullptr), 0);

    const std::string long_name(100, 'L');
    write_text("long.att", long_name + " 1 1\n1\n2\n3\n4\n");
    char one[81];
    EXPECT_EQ(EnumAtt("long.att", one), 1);
    EXPECT_EQ(std::string(one), " " + long_name.substr(0, 79));
    ASSERT_EQ(atlas_load_tables(atlas_.get(), "long.att"), 0);
    EXPECT_EQ(std::string(atlas_->names[0]), long_name.substr(0, 79));
}

}  // namespace
