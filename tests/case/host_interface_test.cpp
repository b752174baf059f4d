// The exported interface as a careless host meets it: every call made without
// a current case, with a case that has no arrays, and with NULL pointers and
// indices outside the arrays must answer with its failure value and never
// crash (the sanitizer run turns any stray access into a failure).
#include <gtest/gtest.h>

#include <string>

#include "halvorine2/halvorine2.h"
#include "tests/support/captured_console.h"
#include "tests/support/temp_dir.h"

namespace {

// Calls that read or write the current case, made with bad arguments.
void call_everything_carelessly() {
    // parameter access
    EXPECT_EQ(get_double_par1("elem__p0", -1), 1e20);
    EXPECT_EQ(get_double_par2("los__Los", 0, 1 << 20), 1e20);
    EXPECT_EQ(get_double_par3("prof__xPoints", 0, 0, 0), 1e20);
    EXPECT_EQ(set_double_par1("elem__p0", 1 << 30, 1.0), 1);
    EXPECT_EQ(set_char_par(nullptr, "x"), 1);
    EXPECT_EQ(get_int_ptr(nullptr), nullptr);
    // arrays and copies
    EXPECT_EQ(copy_probdata(nullptr, nullptr), nullptr);
    EXPECT_EQ(expand_probdata(nullptr, 3), nullptr);
    EXPECT_EQ(add_probdata(nullptr, nullptr, 1), nullptr);
    // walkers and classification
    for (int j : {-5, 0, 1, 1000}) {
        EXPECT_EQ(next_rotor(j), 0);
        EXPECT_EQ(prev_stator(j), 0);
        EXPECT_EQ(next_angular(j), 0);
        EXPECT_EQ(is_turb_prof(j, j), 0);
        EXPECT_EQ(is_comp_prof(j, -j), 0);
    }
    // fluids and losses
    EXPECT_EQ(getFluid(3, 1e5, 3e5, 0.0, 0), 1e20);
    EXPECT_EQ(CopyFluid(nullptr, nullptr) == 0, false);
    EXPECT_NE(CopyLoses(nullptr, nullptr), 0);
    EXPECT_NE(FillLoses(nullptr, 0, nullptr, 0, 0), 0);
    for (auto loader :
         {InitURZ, InitUDU, InitZAZlos, InitProfLos, InitScndLos, InitTransLos, InitDevAng, InitBlock}) {
        loader(nullptr, -1);
        loader("no_such_model.dll", 1 << 20);
    }
    InitLoses();
    // units
    EXPECT_EQ(unitsLabel(-1), nullptr);
    EXPECT_EQ(unitsToView(1.0, 39), 0.0);
    unitsSetFlag(1000, 1);
    EXPECT_EQ(nameToGroup(nullptr), 0);
    // case data file and guess
    EXPECT_NE(load_data(nullptr), 0);
    EXPECT_NE(save_data(nullptr, 0), 0);
    EXPECT_NE(save_data("never_written.dat", 0), 0);
    // flow files and the predesign module table
    EXPECT_EQ(ExpDirectData("never_written.pbd"), -1);
    EXPECT_EQ(ExpInverseData("never_written.pbd"), -1);
    EXPECT_EQ(ExpData2Sch("never_written.pbd"), -1);
    EXPECT_EQ(ExpData2Sch_Ax("never_written.pbd"), -1);
    // Counts the six records cannot hold are refused, so no writer walks past them.
    EXPECT_EQ(getRanges(0, nullptr), 0);
    EXPECT_EQ(getRanges(1 << 20, nullptr), 2);
    EXPECT_EQ(getRanges(-3, nullptr), 2);
    EXPECT_EQ(ExpDesignData("no_such_dir/never_written.pbd", 0, 0, 0), -1);
    EXPECT_NE(setRanges(-3), 0);
    double v[2] = {7.0, 7.0};
    EXPECT_EQ(defGuess(0, 0, 0, 0, 2, 4e5, 1e6, 2e5, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, v),
              1);
    EXPECT_EQ(v[0], 7.0);
    // the source-data report: nothing to print, standard output for NULL
    report_data(nullptr);
    // output, console, volutes, runs
    set_dump_name(nullptr);
    put_dump(nullptr);
    put_err(nullptr);
    EGAstr(-3, 500, 99999, 0, 15, nullptr);
    ConSplash(nullptr);
    EXPECT_EQ(VoloutCopy(nullptr, nullptr), 1);
    EXPECT_EQ(VoloutTerm(nullptr), 0);
    EXPECT_EQ(dbrunt(nullptr, 1), 1);
    EXPECT_EQ(fbrunt(nullptr, 1), 1);
    // numerics and host calls
    EXPECT_EQ(NurbsInt2D(5, 3, 10, nullptr, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_NE(LPT40point(nullptr, 3, nullptr), 0);
    LPT20point(1, 21, nullptr);
    EXPECT_EQ(CallFun(1, nullptr, nullptr), 0);
    EXPECT_EQ(CallDLLFun("no_such_library.dll", 0, "f", nullptr), 0);
    EXPECT_EQ(ExecDLL(nullptr, 0, nullptr, nullptr), 0);
    // profile atlas files
    char names[80] = "kept";
    for (auto lister : {EnumAtl, EnumAtt}) {
        EXPECT_EQ(lister(nullptr, names), 0);
        EXPECT_EQ(lister("no_such_atlas", nullptr), 0);
        EXPECT_EQ(lister("no_such_atlas", names), 0);
        EXPECT_EQ(lister(".", names), 0);  // a directory opens but reads as nothing
    }
    EXPECT_STREQ(names, "");
}

TEST(HostInterface, WithoutACurrentCase) {
    h2::test::TempDir dir;
    h2::test::CapturedConsole console;
    ASSERT_EQ(binit_threading(), 0);
    ASSERT_EQ(get_bdLocals(), nullptr);
    call_everything_carelessly();
    EXPECT_EQ(get_int_par("cyld__ns"), -252645136);
    EXPECT_EQ(InitFluid(0.0) == 0, false);
    bterm();
    EXPECT_EQ(free_probdata(), -1);
    bend_threading();
}

TEST(HostInterface, WithACaseThatHasNoArrays) {
    h2::test::TempDir dir;
    h2::test::CapturedConsole console;
    ASSERT_EQ(binit_threading(), 0);
    bdLocals* b = binit();
    ASSERT_NE(b, nullptr);
    call_everything_carelessly();
    b->cyld_ns = 50;  // counts with no arrays behind them
    b->cyld_nr = 10;
    call_everything_carelessly();
    EXPECT_EQ(dbrun(b, 0), 1);  // nothing to copy
    EXPECT_EQ(get_bdLocals(), b);
    bterm();
    bend_threading();
}

TEST(HostInterface, WithCountsRaisedPastTheArrays) {
    h2::test::TempDir dir;
    h2::test::CapturedConsole console;
    ASSERT_EQ(binit_threading(), 0);
    bdLocals* b = binit();
    ASSERT_NE(b, nullptr);
    b->cyld_ns = 2;
    b->cyld_nr = 1;
    ASSERT_EQ(alloc_probdata(3, 1), 0);
    b->cyld_ns = 60;
    b->cyld_nr = 9;
    call_everything_carelessly();
    EXPECT_EQ(dbrun(b, 0), 1);  // a block whose counts exceed its arrays is not copied
    bterm();
    bend_threading();
}

}  // namespace
