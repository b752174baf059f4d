// The module count the table holds: setRanges and getRanges refuse a count
// outside 0..6 and change nothing.
#include <gtest/gtest.h>

#include <string>

#include "tests/solver/predesign/search/predesign_fixture.h"
#include "tests/support/captured_console.h"

namespace {

using h2::predesign::module_count;

class ModuleTable : public h2::test::PredesignTest {};

TEST_F(ModuleTable, CountsOutsideTheTableAreRefused) {
    h2::test::CapturedConsole console;
    PD_module* t = nullptr;
    ASSERT_EQ(getRanges(6, &t), 0);
    ASSERT_EQ(setRanges(6), 0);
    for (const int n : {7, -1, 1000}) {
        master()->ranges_ref = nullptr;
        master()->prereq_ref = nullptr;
        PD_module* address = nullptr;
        EXPECT_EQ(getRanges(n, &address), 2) << n;
        EXPECT_EQ(address, t) << "the address is still stored";
        EXPECT_EQ(setRanges(n), 2) << n;
        EXPECT_EQ(master()->ranges_ref, nullptr);
        EXPECT_EQ(master()->prereq_ref, nullptr);
        EXPECT_EQ(module_count(), 6) << n;
        const std::string text = console.text();
        EXPECT_NE(text.find("getRanges: number of modules " + std::to_string(n) + " outside 0..6"),
                  std::string::npos);
        EXPECT_NE(text.find("setRanges: number of modules " + std::to_string(n) + " outside 0..6"),
                  std::string::npos);
    }
    for (const int n : {0, 6}) {
        EXPECT_EQ(getRanges(n, nullptr), 0);
        EXPECT_EQ(module_count(), n);
        EXPECT_EQ(setRanges(n), 0);
        EXPECT_EQ(master()->ranges_ref, t);
        EXPECT_EQ(master()->prereq_ref, h2::predesign::prereq_block(0));
    }
}

}  // namespace
