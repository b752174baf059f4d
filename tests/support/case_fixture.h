// Shared test fixture: threading prepared and a zero-filled case block current
// on the test's thread.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "halvorine2/halvorine2.h"

namespace h2::test {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
using BlockPtr = std::unique_ptr<bdLocals, FreeDeleter>;

inline BlockPtr make_block() { return BlockPtr(static_cast<bdLocals*>(std::calloc(1, sizeof(bdLocals)))); }

class CaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(binit_threading(), 0);
        block_ = make_block();
        ASSERT_EQ(set_bdLocals(block_.get()), 1);
    }
    void TearDown() override {
        bend_threading();
        block_.reset();
    }
    bdLocals* block() { return block_.get(); }

private:
    BlockPtr block_;
};

// A CaseTest whose tests may give the case a flow path: its arrays, where
// there are any, are freed at the end.
class PathCaseTest : public CaseTest {
protected:
    void TearDown() override {
        if (block()->elem_stagType != nullptr) {
            EXPECT_EQ(free_probdata(), 0);
        }
        CaseTest::TearDown();
    }
};

// A case made and released the way a host does it: binit and bterm.
class LiveCaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(binit_threading(), 0);
        ASSERT_NE(binit(), nullptr);
    }
    void TearDown() override {
        bterm();
        bend_threading();
    }
    bdLocals* block() { return get_bdLocals(); }
    // Sets the counts and allocates the arrays of an ns/nr case.
    void allocate(int ns, int nr) {
        block()->cyld_ns = ns;
        block()->cyld_nr = nr;
        ASSERT_EQ(alloc_probdata(ns + 1, nr), 0);
    }
};

}  // namespace h2::test
