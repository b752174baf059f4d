#include <gtest/gtest.h>

#include <string>

#include "case/thread_blocks.h"
#include "numerics/fr_locals.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"

namespace {

TEST(CaseLife, BinitNeedsThreading) {
    EXPECT_EQ(binit(), nullptr);
    EXPECT_EQ(get_bdLocals(), nullptr);
    bterm();  // no case: nothing happens
}

TEST(CaseLife, NewCaseHasSiUnitsModelBaseAndFreshWorkBlocks) {
    ASSERT_EQ(binit_threading(), 0);
    h2::frLocals* old_fr = fr_alloc();
    old_fr->I = 7;
    bdLocals* b = binit();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(get_bdLocals(), b);
    EXPECT_EQ(std::string(get_char_par("ModelBase")), ".");
    EXPECT_EQ(std::string(unitsLabel(H2_UNIT_TEMPERATURE)), "K");
    EXPECT_EQ(std::string(unitsLabel(H2_UNIT_PRESSURE)), "Pa");
    EXPECT_EQ(b->volout, nullptr);
    ASSERT_NE(get_frLocals(), nullptr);
    EXPECT_EQ(get_frLocals()->I, 0);
    EXPECT_NE(get_fluidLocals(0), nullptr);
    EXPECT_NE(get_fluidLocals(1), nullptr);
    EXPECT_NE(get_stateLocals(), nullptr);
    EXPECT_EQ(get_int_par("cyld__ns"), 0);
    EXPECT_EQ(get_double_par0("cyld__G"), 0.0);
    EXPECT_EQ(get_double_par1("elem__stagType", 0), 1e20);
    bterm();
    EXPECT_EQ(get_bdLocals(), nullptr);  // the freed case is not reachable
    bend_threading();
}

TEST(CaseLife, BtermReleasesArraysVoluteAndDump) {
    h2::test::CapturedConsole console;
    ASSERT_EQ(binit_threading(), 0);
    bdLocals* b = binit();
    ASSERT_NE(b, nullptr);
    b->cyld_ns = 4;
    b->cyld_nr = 3;
    ASSERT_EQ(alloc_probdata(5, 3), 0);
    b->volout = VoloutInit(0, 36, 36);
    b->dump_stream = std::tmpfile();
    bterm();  // the sanitizer run reports anything left behind
    EXPECT_EQ(console.text(), "");
    bend_threading();
}

TEST(CaseLife, BtermOfACaseWithoutArraysIsQuiet) {
    h2::test::CapturedConsole console;
    ASSERT_EQ(binit_threading(), 0);
    ASSERT_NE(binit(), nullptr);
    bterm();
    EXPECT_EQ(console.text(), "");
    bend_threading();
}

}  // namespace
