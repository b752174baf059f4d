// A centrifugal compressor flow path for the stage-design tests: a case with
// its arrays and the perfect-gas test fluid, a private predesign table whose
// records the test fills, and a prerequisite block holding the default slots.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "solver/predesign/predesign_tables.h"
#include "tests/support/case_fixture.h"
#include "tests/support/predesign_defaults.h"
#include "tests/support/test_fluid.h"

namespace h2::test {

// The gas of the tests: R 287.5, k 1.4, h = cp T.
inline constexpr double kCp = 287.5 * 1.4 / 0.4;
inline constexpr double kIsentropicPower = 1.4 / 0.4;  // p ~ h^(k/(k-1)) on an isentrope

// A case with elements 0..ns on one streamline, the machine inlet of the
// tests (i0 290000 J/kg, p0 1e5 Pa, 2 kg/s, no swirl) and module record 0
// (3000 rad/s, D 0.15, CZ 0.5, HT 0.6, KZ 1, M 1.8), with IM 200, RELAX 0.5
// and acc_limit 1e-6. Every element carries module 0 and module type 5.0.
class CentrifugalCaseTest : public PathCaseTest {
protected:
    static constexpr double kP0 = 1e5, kI0 = 290000.0, kG = 2.0, kOm = 3000.0;

    void SetUp() override {
        PathCaseTest::SetUp();
        tables_ = std::make_unique<predesign::PredesignTables>();
        scope_ = std::make_unique<predesign::ScopedPredesignTables>(tables_.get());
        fill_default_prereq(tables_->prereq[0]);
        fill_default_prereq(tables_->prereq[1]);
        tables_->count = 1;
        PD_module& r = record(0);
        r.type = COMP_RADIAL;
        r.PD_VAL[PD_VAR_OM] = kOm;
        r.PD_VAL[PD_VAR_D] = 0.15;
        r.PD_VAL[PD_VAR_CZ] = 0.5;
        r.PD_VAL[PD_VAR_HT] = 0.6;
        r.PD_VAL[PD_VAR_KZ] = 1.0;
        r.PD_VAL[PD_VAR_M] = 1.8;
    }
    void TearDown() override {
        scope_.reset();
        PathCaseTest::TearDown();
    }

    PD_module& record(int m) { return tables_->modules[m]; }
    void set_module_count(int n) { tables_->count = n; }
    double* prereq() { return tables_->prereq[0]; }

    // Allocates the path and fills the inlet; impellers are the elements
    // marked as rotors (the way a composed path carries them).
    void make_path(int ns, std::initializer_list<int> impellers) {
        bdLocals* b = block();
        b->cyld_ns = ns;
        b->cyld_nr = 1;
        ASSERT_EQ(alloc_probdata(ns + 1, 1), 0);
        install_test_fluid(b);
        b->ranges_ref = tables_->modules;
        b->prereq_ref = tables_->prereq[0];
        b->IM = 200;
        b->RELAX = 0.5;
        b->acc_limit = 1e-6;
        b->elem_p0[0] = kP0;
        b->elem_i0[0] = kI0;
        b->elem_G1[0] = kG;
        b->cas_B1[0][0] = 90.0;
        for (int i = 0; i <= ns; ++i) {
            b->elem_moduleNum[i] = 0.0;
            b->elem_moduleType[i] = 5.0;
        }
        for (int i : impellers) {
            b->elem_stagType[i] = 1.0;
            b->bld_wp[i] = kOm;
            b->bld_z[i] = 12.0;
        }
    }
    // The target outlet pressure of the stage ending at element `last`.
    void target(int last, double p) {
        block()->isd_p2[last][0] = p;
        block()->isd_p2x[last][0] = p;
    }

    // Closed forms of the test gas.
    static double isentropic_p(double p_ref, double i_ref, double i) {
        return p_ref * std::pow(i / i_ref, kIsentropicPower);
    }
    static double density(double p, double i) { return p / (287.5 * i / kCp); }

private:
    std::unique_ptr<predesign::PredesignTables> tables_;
    std::unique_ptr<predesign::ScopedPredesignTables> scope_;
};

}  // namespace h2::test
