// The command-line host running the shipped example: source data, solve and
// the full results report, as a user sees them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "tests/support/golden.h"
#include "tests/support/solved_stage.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Runs command through the shell; its standard output and error, and its exit status.
std::string run(const std::string& command, int& status) {
    std::string out;
    std::FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (p == nullptr) {
        status = -1;
        return out;
    }
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
    status = pclose(p);
    return out;
}

// The numbers of the solved example change with the solver: regenerate this
// golden with H2_UPDATE_GOLDENS=1 after a solver change, and read the diff.
TEST(ExampleRun, AirTurbineStageFullReport) {
    h2::test::TempDir dir;
    fs::copy_file(h2::test::examples_dir() / "air_turbine_stage.dat", dir.path() / "air_turbine_stage.dat");
    int status = 0;
    std::string text = run(std::string("\"") + H2_CLI_PATH + "\" run air_turbine_stage.dat", status);
    EXPECT_EQ(status, 0) << text;
    EXPECT_NE(text.find("R E S U L T S"), std::string::npos);
    for (const char* name : {"expdata.pbd", "expdata.sch", "expdata_Ax.sch"})
        EXPECT_TRUE(fs::exists(dir.path() / name)) << name;
    // Every section of the example has its geometry: a finite, positive area.
    const std::regex area("\nF_([0-9]+)_([0-9]+) = ([^ ]+) ");
    int sections = 0;
    for (auto m = std::sregex_iterator(text.begin(), text.end(), area); m != std::sregex_iterator(); ++m) {
        ++sections;
        const double F = std::strtod((*m)[3].str().c_str(), nullptr);
        EXPECT_TRUE(std::isfinite(F) && F > 0.0) << (*m)[0];
    }
    EXPECT_EQ(sections, 6);
    // Each row's blade volume is its mean height times the middle section's
    // area times the case's blade count (30 nozzles, 41 rotor blades), however
    // closely the solved tip radius meets the casing.
    struct Row {
        int i;
        double mean_height, blades;
    };
    for (const Row& r : {Row{1, 0.035, 30.0}, Row{2, (0.035 + 0.04) / 2, 41.0}}) {
        const std::string n = std::to_string(r.i);
        std::smatch F, V;
        ASSERT_TRUE(std::regex_search(text, F, std::regex("\nF_" + n + "_1 = ([^ ]+) "))) << n;
        ASSERT_TRUE(std::regex_search(text, V, std::regex("\nVb_" + n + " = ([^ ]+) "))) << n;
        const double volume = r.mean_height * std::strtod(F[1].str().c_str(), nullptr) * r.blades;
        EXPECT_NEAR(std::strtod(V[1].str().c_str(), nullptr), volume, 2e-5 * volume) << n;
    }
    // The elapsed time differs from run to run.
    text = std::regex_replace(text, std::regex("\ndone +[0-9.]+ sec\n"), "\ndone (time masked) sec\n");
    h2::test::expect_golden(text, "example_run.txt");
}

// Several case files run side by side, each in the folder named after its
// file, so that no case's flow files overwrite another's; the output comes
// case after case, whole.
TEST(ExampleRun, SeveralCasesRunEachInItsOwnFolder) {
    h2::test::TempDir dir;
    for (const char* name : {"first.dat", "second.dat"})
        fs::copy_file(h2::test::examples_dir() / "air_turbine_stage.dat", dir.path() / name);
    int status = 0;
    const std::string text = run(std::string("\"") + H2_CLI_PATH + "\" run first.dat second.dat", status);
    EXPECT_EQ(status, 0) << text;
    for (const char* folder : {"first", "second"})
        for (const char* name : {"expdata.pbd", "expdata.sch", "expdata_Ax.sch"})
            EXPECT_TRUE(fs::exists(dir.path() / folder / name)) << folder << "/" << name;
    EXPECT_FALSE(fs::exists(dir.path() / "expdata.pbd"));
    const std::size_t first_end = text.find("End calculating first.dat.");
    const std::size_t second_start = text.find("Calculating second.dat...");
    ASSERT_NE(first_end, std::string::npos) << text;
    ASSERT_NE(second_start, std::string::npos) << text;
    EXPECT_LT(first_end, second_start);
    int help_status = 0;
    const std::string help = run(std::string("\"") + H2_CLI_PATH + "\" --help", help_status);
    EXPECT_NE(help.find("each in a\n        folder of the working directory named after its case file"),
              std::string::npos)
        << help;
}

}  // namespace
