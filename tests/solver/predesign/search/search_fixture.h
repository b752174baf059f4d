// A predesign master as a host prepares it for composition and the search:
// air as the stand-in perfect gas (R 287, k 1.4) at 293.15 K, 101325 Pa,
// compressed to 202650 Pa, a design task, arrays for 101 elements, and
// centrifugal compressor records (impeller and vaneless diffuser).
#pragma once

#include <cmath>

#include "tests/solver/predesign/search/predesign_fixture.h"

namespace h2::test {

inline constexpr double kSearchT0 = 293.15;
inline constexpr double kSearchP0 = 101325.0;
inline constexpr double kSearchP2 = 202650.0;
inline constexpr double kSearchG = 1.0;

class SearchTest : public PredesignTest {
protected:
    void SetUp() override {
        PredesignTest::SetUp();
        load_air();
        bdLocals& b = *master();
        b.cyld_VART = 1;
        b.IM = 200;
        b.IGM = 5;
        b.RELAX = 0.5;
        b.acc_limit = 1e-6;
        b.IPP = 0;
        b.IPO = 0;
        b.outDst = 0;
        allocate(100);
    }
    // Record m: a one-stage centrifugal compressor (impeller and vaneless
    // diffuser), OM 3300 rad/s, D 0.11 m, CZ 0.5, M 2.
    PD_module& centrifugal(PD_module* t, int m) {
        PD_module& r = t[m];
        r.type = COMP_RADIAL;
        r.diff_form = 1;
        r.PD_VAL[PD_VAR_OM] = 3300.0;
        r.PD_VAL[PD_VAR_D] = 0.11;
        r.PD_VAL[PD_VAR_CZ] = 0.5;
        r.PD_VAL[PD_VAR_HT] = 0.5;
        r.PD_VAL[PD_VAR_KU] = 1.0;
        r.PD_VAL[PD_VAR_KZ] = 1.0;
        r.PD_VAL[PD_VAR_M] = 2.0;
        r.PD_LIM_lower[PD_LIM_STG] = 1.0;
        r.PD_LIM_upper[PD_LIM_STG] = 1.0;
        r.PD_LIM_upper[PD_LIM_DS] = 10.0;
        r.PD_LIM_upper[PD_LIM_A1] = 180.0;
        r.PD_SRC_OM = 3300.0;
        r.PD_SRC_G = kSearchG;
        r.PD_SRC_P2N = kSearchP2;
        r.bladeDensity = 7800.0;
        if (m == 0) {
            r.PD_SRC_P0 = kSearchP0;
            r.PD_SRC_I0 = kAirCp * kSearchT0;
            r.PD_SRC_A0 = 90.0;
        }
        return r;
    }
    // Attaches n records, fills every prerequisite block with its defaults
    // and builds the models.
    void attach(int n) {
        ASSERT_EQ(setRanges(n), 0);
        for (int m = 0; m < n; ++m) {
            master()->prereq_ref = h2::predesign::prereq_block(m);
            PD_default_prereq();
        }
        master()->prereq_ref = h2::predesign::prereq_block(0);
    }
    void build() { ASSERT_EQ(InitModels(), 0); }
};

}  // namespace h2::test
