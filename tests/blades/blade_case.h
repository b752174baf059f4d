// A live case in a fresh working directory (no model files unless a test
// writes them), with helpers that set up one blade row.
#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "halvorine2/halvorine2.h"
#include "tests/support/case_fixture.h"
#include "tests/support/temp_dir.h"

namespace h2::test {

class BladeCaseTest : public LiveCaseTest {
protected:
    bdLocals& c() { return *block(); }

    // Element 1 of an ns = 1 path as a rotor (omega rad/s, z blades) or a
    // stator (omega 0), nr sections.
    void make_row(int nr, double omega, double z) {
        allocate(1, nr);
        c().elem_stagType[1] = 1.0;
        c().elem_sectType[0] = c().elem_sectType[1] = 0.0;
        c().bld_wp[1] = omega;
        c().bld_z[1] = z;
    }

    // The uniform rotor blade: steel-like, hub radius 0.4, tip 0.6, sections
    // equally spaced, no shroud and no gas load.
    void make_uniform_rotor(int nr = 5) {
        make_row(nr, 314.159265, 60.0);
        bdLocals& b = c();
        b.strs_g_b[1] = 7850.0;
        b.strs_mu[1] = 2e11;
        b.strs_dstr[1] = 3e8;
        b.bld_d2[1] = 1.0;
        b.bld_l1[1] = b.bld_l2[1] = 0.2;
        b.elem_Pa[1] = 1.0;
        for (int j = 0; j < nr; ++j) {
            b.flow_r2[1][j] = b.flow_r1[1][j] = nr > 1 ? 0.4 + 0.2 * j / (nr - 1) : 0.5;
            b.prof_F[1][j] = 2e-4;
            b.prof_Ie[1][j] = b.prof_In[1][j] = 4e-11;
            b.prof_Wxbx[1][j] = b.prof_Wxbxx[1][j] = b.prof_Wcn[1][j] = 1e-6;
            b.prof_Wybx[1][j] = b.prof_Wybxx[1][j] = 1e-6;
            b.cas_B1[1][j] = b.cas_B2[1][j] = 90.0;
        }
    }

private:
    TempDir dir_;
};

inline ::testing::AssertionResult near_rel(double actual, double expected, double rel = 1e-9) {
    if (std::fabs(actual - expected) <= rel * std::fabs(expected)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << actual << " is not within " << rel << " (relative) of " << expected;
}

}  // namespace h2::test
