#include <gtest/gtest.h>

#include <cfenv>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "case/run_driver.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"
#include "tests/support/example_stage.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kRule = std::string(131, '=') + "\n";

int g_stub_result = 0;
int g_stub_calls = 0;
int stub_solver() {
    ++g_stub_calls;
    return g_stub_result;
}
int throwing_solver() { throw std::runtime_error("solver failed"); }
int faulting_solver() {
    volatile std::uintptr_t address = 16;  // never mapped
    return *reinterpret_cast<volatile int*>(address);
}
// Stands in for the solver's per-iteration exchange with the host's block.
int aborting_solver() {
    bdLocals* b = get_bdLocals();
    if (b->peer_block) {
        b->peer_block->iter = 7;
        b->need_abort = b->peer_block->need_abort;
    }
    b->iter = 7;
    return b->need_abort ? 4 : 0;
}

int g_hook_calls = 0;
void hook(bdLocals*, std::uintptr_t arg) { g_hook_calls += static_cast<int>(arg); }

class RunDriver : public h2::test::LiveCaseTest {
protected:
    void SetUp() override {
        LiveCaseTest::SetUp();
        allocate(2, 1);
        g_stub_calls = 0;
        g_hook_calls = 0;
        previous_ = h2::set_solver_entry(stub_solver);
        block()->result_hook = hook;
        block()->result_hook_arg = 1;
    }
    void TearDown() override {
        h2::set_solver_entry(previous_);
        LiveCaseTest::TearDown();
    }
    h2::SolverEntry previous_ = nullptr;
    h2::test::TempDir dir_;
};

TEST_F(RunDriver, ResultsDecideWhatFollowsTheSolve) {
    struct Case {
        int result;
        bool reported;
    };
    for (const Case c : {Case{0, true}, Case{4, true}, Case{1, false}, Case{2, false}, Case{3, false},
                         Case{5, false}, Case{13, false}, Case{-1, false}}) {
        SCOPED_TRACE(c.result);
        h2::test::CapturedConsole console;
        g_stub_result = c.result;
        g_hook_calls = 0;
        block()->IP = 1;  // a rule line before the solve, and after it when no report is printed there
        EXPECT_EQ(run_case(), c.result);
        EXPECT_EQ(block()->run_result, c.result);
        EXPECT_EQ(g_hook_calls, c.reported ? 1 : 0);
        EXPECT_EQ(console.text(), c.reported ? kRule + kRule : kRule);
    }
}

TEST_F(RunDriver, NegativeResultPrintLevelStopsBeforeTheSolve) {
    h2::test::CapturedConsole console;
    block()->IPO = -1;
    block()->IP = 1;
    EXPECT_EQ(run_case(), 13);
    EXPECT_EQ(block()->run_result, 13);
    EXPECT_EQ(g_stub_calls, 0);
    EXPECT_EQ(console.text(), kRule);  // the source-data stage still ran
}

TEST_F(RunDriver, ElapsedTimeLineAndDumpOnly) {
    h2::test::CapturedConsole console;
    block()->IPO = 1;
    set_dump_name("run.dump");
    set_outDst(1);
    block()->IP = 1;
    g_stub_result = 0;
    EXPECT_EQ(run_case(), 0);
    const std::string dump = h2::test::read_file("run.dump");
    EXPECT_NE(dump.find("\ndone "), std::string::npos);
    EXPECT_NE(dump.find(" sec\n\n"), std::string::npos);
    EXPECT_EQ(console.text(), kRule);  // rule lines reach the console whatever outDst says; reports do not
    EXPECT_EQ(block()->dump_stream, nullptr);
}

TEST_F(RunDriver, ElapsedTimeFormat) {
    char line[64];
    std::snprintf(line, sizeof line, "\ndone %8.2f sec\n", 1250 / 1000.0);
    EXPECT_STREQ(line, "\ndone     1.25 sec\n");
}

TEST_F(RunDriver, FaultsAndExceptionsInTheSolveEndTheRunWith3) {
    for (h2::SolverEntry solver : {throwing_solver, faulting_solver}) {
        h2::set_solver_entry(solver);
        block()->run_result = 0;
        std::fesetround(FE_DOWNWARD);
        EXPECT_EQ(run_case(), 3);
        EXPECT_EQ(std::fegetround(), FE_DOWNWARD);  // the caller's environment is back
        std::fesetround(FE_TONEAREST);
        EXPECT_EQ(block()->run_result, 3);
        EXPECT_EQ(g_hook_calls, 0);
        EXPECT_EQ(block()->dump_stream, nullptr);
        // the lock is free again: another thread can take it
        bool taken = false;
        std::thread t([&] {
            EnterCritSec(get_bdCritSec());
            taken = true;
            LeaveCritSec(get_bdCritSec());
        });
        t.join();
        EXPECT_TRUE(taken);
    }
}

TEST_F(RunDriver, DbrunWorksOnACopyAndBringsTheResultsBack) {
    h2::set_solver_entry(aborting_solver);
    bdLocals* host = block();
    host->need_abort = 1;
    EXPECT_EQ(dbrun(host, 0), 4);
    EXPECT_EQ(get_bdLocals(), host);
    EXPECT_EQ(host->peer_block, nullptr);
    EXPECT_EQ(host->run_result, 4);
    EXPECT_EQ(host->iter, 7);
    EXPECT_EQ(g_hook_calls, 1);
}

TEST_F(RunDriver, DbrunOfABlockWithoutArraysReportsAndReturns1) {
    h2::test::CapturedConsole console;
    bdLocals* host = block();
    ASSERT_EQ(free_probdata(), 0);
    EXPECT_EQ(dbrun(host, 0), 1);
    EXPECT_NE(console.text().find("Can't copy data!\n"), std::string::npos);
    EXPECT_EQ(get_bdLocals(), host);
}

TEST_F(RunDriver, RunThreadsAreCountedUntilTheyFinish) {
    h2::test::CapturedConsole console;
    g_stub_result = 0;
    EXPECT_EQ(fbrunt("no_such_case.dat", 1), 0);
    EXPECT_EQ(dbrunt(block(), 2), 0);
    wait_threads();
    EXPECT_EQ(running_threads(), 0);
    const std::string text = console.text();
    EXPECT_NE(text.find("Started thread 1 (no_such_case.dat)...\n"), std::string::npos);
    EXPECT_NE(text.find("Finished thread 1 (no_such_case.dat)- "), std::string::npos);
    EXPECT_NE(text.find("Started thread 2 (local data)...\n"), std::string::npos);
    EXPECT_NE(text.find("Finished thread 2 - "), std::string::npos);
    EXPECT_EQ(block()->run_result, 0);
    EXPECT_EQ(dbrunt(nullptr, 3), 1);
    EXPECT_EQ(fbrunt(nullptr, 3), 1);
}

TEST(RunDriverFiles, FbrunOfAFileThatDoesNotLoad) {
    h2::test::CapturedConsole console;
    h2::test::TempDir dir;
    EXPECT_NE(fbrun("no_such_case.dat", 1), 0);
    EXPECT_NE(console.text().find("Can't load data file!\n"), std::string::npos);
    EXPECT_EQ(get_bdLocals(), nullptr);
}

// Eight run threads load and solve the shipped example side by side (the
// solves take turns under the run lock); each prints its lines and solves to
// the same result. Under ThreadSanitizer (tools/tsan.sh) this is the test of
// the run threads' shared state.
TEST(RunDriverFiles, EightRunThreadsSolveTheExample) {
    ASSERT_EQ(binit_threading(), 0);
    h2::test::TempDir dir;
    // A case file's plug-ins are looked for in the working directory.
    for (const auto& entry : std::filesystem::directory_iterator(H2_PLUGIN_DIR))
        if (entry.path().extension() == ".so")
            std::filesystem::create_symlink(entry.path(), dir.path() / entry.path().filename());
    std::filesystem::copy_file(h2::test::examples_dir() / "air_turbine_stage.dat", "stage.dat");
    std::string text;
    {
        h2::test::CapturedConsole console;
        for (int n = 1; n <= 8; ++n) ASSERT_EQ(fbrunt("stage.dat", n), 0);
        wait_threads();
        text = console.text();
    }
    EXPECT_EQ(running_threads(), 0);
    for (int n = 1; n <= 8; ++n)
        EXPECT_NE(text.find("Finished thread " + std::to_string(n) + " (stage.dat)- "), std::string::npos)
            << n;
    std::size_t results = 0;
    for (std::size_t at = 0; (at = text.find("R E S U L T S", at)) != std::string::npos; ++at) ++results;
    EXPECT_EQ(results, 8u);
    EXPECT_EQ(text.find("Fatal"), std::string::npos);
    bend_threading();
}

// Without threading there is no current case to run: the host is told what to call.
TEST(RunDriverFiles, RunsBeforeThreadingSayWhatToCallFirst) {
    h2::test::CapturedConsole console;
    EXPECT_EQ(fbrun("case.dat", 0), -1);
    EXPECT_EQ(console.text(), "\nfbrun: the host must call binit_threading first (or pass prepare = 1)\n");
    bdLocals block{};
    EXPECT_EQ(dbrun(&block, 0), -1);
    EXPECT_NE(console.text().find("\ndbrun: the host must call binit_threading first"), std::string::npos);
}

// The fluid is set up when the case loads: a number changed by key afterwards
// is refused at the run's start instead of being reported but not solved.
TEST_F(RunDriver, AFluidNumberChangedAfterLoadingIsRefused) {
    h2::test::CapturedConsole console;
    block()->fluid_loaded = 1;  // loaded as fluid 0
    ASSERT_EQ(set_int_par("cyld__fluid", 0), 0);
    EXPECT_EQ(run_case(), 0);
    EXPECT_EQ(g_stub_calls, 1);
    ASSERT_EQ(set_int_par("cyld__fluid", 2), 0);
    EXPECT_EQ(run_case(), -1);
    EXPECT_EQ(g_stub_calls, 1);
    EXPECT_EQ(block()->run_result, -1);
    EXPECT_NE(
        console.text().find("\nrun: the fluid number cyld__fluid is 2, but the case was loaded with fluid "
                            "0; load the case again to change its fluid\n"),
        std::string::npos)
        << console.text();
}

}  // namespace
