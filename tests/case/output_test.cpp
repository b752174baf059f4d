#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "case/output_internal.h"
#include "numerics/fr_locals.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using h2::test::read_file;

class Output : public h2::test::CaseTest {
protected:
    void SetUp() override {
        CaseTest::SetUp();
        ASSERT_NE(fr_alloc(), nullptr);
        set_dump_name("run.dump");
    }
    h2::test::TempDir dir_;
    h2::test::CapturedConsole console_;
};

TEST_F(Output, DestinationsFollowOutDst) {
    struct Case {
        int outDst;
        bool console;
        bool dump;
    };
    for (const Case c :
         {Case{0, true, false}, Case{1, false, true}, Case{2, true, true}, Case{-7, true, true}}) {
        SCOPED_TRACE(c.outDst);
        std::filesystem::remove("run.dump");
        h2::test::CapturedConsole console;
        set_outDst(c.outDst);
        start_dump();
        EXPECT_EQ(block()->dump_stream != nullptr, c.dump);
        EXPECT_EQ(get_frLocals()->outDst, c.outDst);
        EXPECT_EQ(get_frLocals()->dump, block()->dump_stream);

        put_dump("G=%d %s", 12, "kg/s");
        put_err("abc");
        stop_dump();
        EXPECT_EQ(block()->dump_stream, nullptr);
        EXPECT_EQ(get_frLocals()->dump, nullptr);

        const std::string expected = "G=12 kg/s\nabc\n";
        EXPECT_EQ(console.text(), c.console ? expected : "");
        EXPECT_EQ(read_file("run.dump"), c.dump ? expected : "");
        EXPECT_EQ(std::filesystem::exists("run.dump"), c.dump);
    }
}

TEST_F(Output, DumpOnlyWithoutOpenDumpWritesNothing) {
    set_outDst(1);
    put_err("lost");
    put_dump("%s", "lost");
    EXPECT_EQ(console_.text(), "");
}

TEST_F(Output, RunsAppendToTheDump) {
    set_outDst(1);
    for (int run = 0; run < 2; ++run) {
        start_dump();
        put_dump("run %d\n", run);
        stop_dump();
    }
    EXPECT_EQ(read_file("run.dump"), "run 0\nrun 1\n");
}

TEST_F(Output, ErrorTextIsNeverAFormat) {
    put_err("%s%n%d 100%");
    put_err(nullptr);
    EXPECT_EQ(console_.text(), "\n%s%n%d 100%\n\n\n");
}

TEST_F(Output, DumpNameKeeps199Characters) {
    const std::string name(250, 'd');
    set_dump_name(name.c_str());
    EXPECT_EQ(std::string(block()->dump_name), name.substr(0, 199));
}

TEST_F(Output, ClearDumpDeletesTheFileOnce) {
    set_outDst(2);
    start_dump();
    put_dump("x");
    stop_dump();
    ASSERT_TRUE(std::filesystem::exists("run.dump"));
    EXPECT_EQ(clear_dump(), 0);
    EXPECT_FALSE(std::filesystem::exists("run.dump"));
    EXPECT_EQ(clear_dump(), -1);
}

TEST_F(Output, StopDumpClosesAFileEvenAfterOutDstWasSwitchedOff) {
    set_outDst(2);
    start_dump();
    set_outDst(0);
    stop_dump();
    EXPECT_EQ(block()->dump_stream, nullptr);
}

TEST(OutputWithoutCase, WritersGoToConsoleAndSettingsDoNothing) {
    h2::test::CapturedConsole console;
    ASSERT_EQ(get_bdLocals(), nullptr);
    set_outDst(1);
    set_dump_name("x.dump");
    EXPECT_EQ(clear_dump(), 0);
    start_dump();
    stop_dump();
    put_dump("%d", 5);
    put_err("e");
    EXPECT_EQ(console.text(), "5\ne\n");
}

}  // namespace
