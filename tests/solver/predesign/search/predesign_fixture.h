// Shared fixture of the predesign data tests: threading prepared, a case made
// by binit as a host makes it, and the process-wide module table and
// prerequisite blocks emptied before and after each test.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "case/text_field.h"
#include "halvorine2/halvorine2.h"
#include "solver/predesign/predesign_data.h"
#include "solver/predesign/predesign_tables.h"

namespace h2::test {

inline void clear_predesign_tables() {
    auto& t = h2::predesign::process_tables();
    for (auto& rec : t.modules) std::memset(&rec, 0, sizeof rec);
    std::memset(t.prereq, 0, sizeof t.prereq);
    t.count = 0;
}

// Air as the stand-in perfect gas: R 287 J/(kg K), k 1.4, so cp = 1004.5 J/(kg K).
inline constexpr double kAirR = 287.0;
inline constexpr double kAirK = 1.4;
inline constexpr double kAirCp = kAirK * kAirR / (kAirK - 1.0);

class PredesignTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(binit_threading(), 0);
        clear_predesign_tables();
        master_ = binit();
        ASSERT_NE(master_, nullptr);
        h2::copy_text(master_->ModelBase, H2_PLUGIN_DIR);
        master_->cyld_R = kAirR;
        master_->cyld_k = kAirK;
    }
    void TearDown() override {
        PD_free_models();
        if (get_bdLocals() != master_) set_bdLocals(master_);
        bterm();
        clear_predesign_tables();
        bend_threading();
    }
    bdLocals* master() { return master_; }
    // The master's flow path arrays for elements 0..ns, one streamline.
    void allocate(int ns) {
        master_->cyld_ns = ns;
        master_->cyld_nr = 1;
        ASSERT_EQ(alloc_probdata(ns + 1, 1), 0);
    }
    // The perfect gas loaded into the master as a host does it.
    void load_air() {
        master_->cyld_fluid = 0;
        ASSERT_EQ(InitFluid(0.0), 0);
        ASSERT_NE(master_->fluid_func, nullptr);
    }
    // n records through the address a host writes them through.
    PD_module* table(int n) {
        PD_module* t = nullptr;
        EXPECT_EQ(getRanges(n, &t), 0);
        return t;
    }

private:
    bdLocals* master_ = nullptr;
};

}  // namespace h2::test
