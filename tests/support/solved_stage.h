// A solved one-stage air turbine without the solver: the shipped example
// (inlet, stator, rotor; three streamlines) loaded with its plug-ins, then a
// flow field written through the parameter keys, equal on every streamline.
// Air as a perfect gas (R 287.5, k 1.4, cp 1006.25): 4 bar and 1000 K at the
// inlet, 3 bar after the stator (3.9 bar total), 2 bar after the rotor (2.1
// bar total, 850 K total); 3 kg/s, blade speed 300 m/s, swirl 400 m/s in and
// -100 m/s out of the rotor, axial velocity 150 m/s.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/halvorine2.h"
#include "tests/support/case_fixture.h"
#include "tests/support/example_stage.h"

namespace h2::test {

// Writes one value into every streamline of element i.
inline void set_rows(const char* key, int i, double value) {
    const int nr = get_bdLocals()->cyld_nr;
    for (int j = 0; j < nr; ++j) ASSERT_EQ(set_double_par2(key, i, j, value), 0) << key;
}

// Loads the example into the current case and writes the solved stage into it.
inline void load_solved_stage() {
    bdLocals* b = get_bdLocals();
    ASSERT_NE(b, nullptr);
    std::snprintf(b->ModelBase, sizeof b->ModelBase, "%s", H2_PLUGIN_DIR);
    ASSERT_EQ(load_data((examples_dir() / "air_turbine_stage.dat").c_str()), 0);
    ASSERT_EQ(b->cyld_ns, 2);
    ASSERT_NE(b->fluid_func, nullptr);

    constexpr double i_in = 1006250.0;  // cp * 1000 K
    for (int i : {0, 1}) {
        set_rows("isd__p1x", i, 4e5);
        set_rows("isd__p1", i, 4e5);
        set_rows("isd__i1x", i, i_in);
        set_rows("isd__i1", i, i_in);
    }
    set_rows("isd__p2", 0, 4e5);
    set_rows("isd__p2x", 0, 4e5);
    set_rows("isd__i2x", 0, i_in);

    set_rows("isd__p2", 1, 3e5);
    set_rows("isd__p2x", 1, 3.9e5);
    set_rows("isd__i2x", 1, i_in);

    set_rows("isd__p1x", 2, 3.9e5);
    set_rows("isd__i1x", 2, i_in);
    set_rows("isd__p1", 2, 3e5);
    set_rows("isd__i1", 2, 950000.0);
    set_rows("isd__p2", 2, 2e5);
    set_rows("isd__p2x", 2, 2.1e5);
    set_rows("isd__i2x", 2, 856250.0);
    set_rows("flow__u1", 2, 300.0);
    set_rows("flow__u2", 2, 300.0);
    set_rows("flow__c1u", 2, 400.0);
    set_rows("flow__c2u", 2, -100.0);
    set_rows("flow__c2s", 2, 150.0);
    set_rows("flow__c2", 2, 180.27756);
    for (int i : {1, 2}) {
        set_rows("flow__c1z", i, 150.0);
        set_rows("flow__c2z", i, 150.0);
        set_rows("isd__Ro1", i, 1.0);
        set_rows("isd__Ro2", i, 1.0);
    }
    for (int i = 0; i <= 2; ++i) {
        for (int j = 0; j < b->cyld_nr; ++j) {
            const double s = b->fluid_func(H2_FLUID_S_PI, get_double_par2("isd__p1", i, j),
                                           get_double_par2("isd__i1", i, j), b->elem_af[i], H2_FLUID_MAIN);
            ASSERT_EQ(set_double_par2("isd__s1", i, j, s), 0);
        }
        ASSERT_EQ(set_double_par1("elem__G1", i, 3.0), 0);
        ASSERT_EQ(set_double_par1("elem__G2", i, 3.0), 0);
    }
}

// A current case made with binit holding the solved stage.
class SolvedStageTest : public LiveCaseTest {
protected:
    void SetUp() override {
        LiveCaseTest::SetUp();
        load_solved_stage();
    }
};

}  // namespace h2::test
