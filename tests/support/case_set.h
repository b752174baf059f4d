// A test that makes several cases with binit and releases each at the end,
// including blocks that copies and expansions hand back.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "halvorine2/halvorine2.h"
#include "tests/support/captured_console.h"

namespace h2::test {

class CaseSetTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(binit_threading(), 0); }
    void TearDown() override {
        for (bdLocals* b : made_) release(b);
        bend_threading();
    }

    // A current case with arrays for ns elements after the inlet and nr streamlines.
    bdLocals* make_case_with_arrays(int ns, int nr) {
        bdLocals* b = binit();
        EXPECT_NE(b, nullptr);
        made_.push_back(b);
        b->cyld_ns = ns;
        b->cyld_nr = nr;
        EXPECT_EQ(alloc_probdata(ns + 1, nr), 0);
        return b;
    }
    // Takes over a block made by a copy or an expansion, to be released at the end.
    bdLocals* keep(bdLocals* b) {
        if (b) made_.push_back(b);
        return b;
    }
    void release(bdLocals*& b) {
        if (b == nullptr) return;
        set_bdLocals(b);
        bterm();
        b = nullptr;
    }

    std::vector<bdLocals*> made_;
    CapturedConsole console_;
};

}  // namespace h2::test
