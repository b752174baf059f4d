#include "halvorine2/walkers.h"

#include <gtest/gtest.h>

#include "halvorine2/profiles.h"

#include <initializer_list>
#include <vector>

#include "case/walkers_internal.h"
#include "halvorine2/case_data.h"
#include "tests/support/case_fixture.h"

namespace {

// One element of a test flow path.
struct Elem {
    double stagType;
    double sectType = 0.0;
    double wp = 0.0;
    double z = 0.0;
};

constexpr Elem kInlet{0.0};
constexpr Elem kStator{1.0, 0.0, 0.0, 40.0};
constexpr Elem kRotor{1.0, 0.0, 3000.0, 60.0};
constexpr Elem kDuct{0.0};

// A case whose flow path is the given row of elements (element 0 first).
class PathTest : public h2::test::PathCaseTest {
protected:
    void make_path(std::initializer_list<Elem> elems) {
        bdLocals* b = block();
        b->cyld_ns = static_cast<int>(elems.size()) - 1;
        b->cyld_nr = 1;
        ASSERT_EQ(alloc_probdata(b->cyld_ns + 1, b->cyld_nr), 0);
        int k = 0;
        for (const Elem& e : elems) {
            b->elem_stagType[k] = e.stagType;
            b->elem_sectType[k] = e.sectType;
            b->bld_wp[k] = e.wp;
            b->bld_z[k] = e.z;
            ++k;
        }
    }
};

// ---- walkers on [inlet, stator, rotor, stator, rotor] ----------------------

using Walker = int (*)(int);

struct WalkCase {
    const char* name;
    Walker walker;
    int from;
    int expected;
};

class StageWalk : public PathTest, public ::testing::WithParamInterface<WalkCase> {};

TEST_P(StageWalk, FindsTheRowOrStopsAtTheOppositeKind) {
    make_path({kInlet, kStator, kRotor, kStator, kRotor});
    EXPECT_EQ(GetParam().walker(GetParam().from), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    TwoStages, StageWalk,
    ::testing::Values(WalkCase{"next_rotor_of_inlet_stops_at_stator", next_rotor, 0, 0},
                      WalkCase{"next_rotor_of_stator", next_rotor, 1, 2},
                      WalkCase{"next_rotor_of_last", next_rotor, 4, 0},
                      WalkCase{"next_stator_of_inlet", next_stator, 0, 1},
                      WalkCase{"next_stator_of_rotor", next_stator, 2, 3},
                      WalkCase{"next_stator_of_stator_stops_at_rotor", next_stator, 1, 0},
                      WalkCase{"prev_rotor_of_stator", prev_rotor, 3, 2},
                      WalkCase{"prev_rotor_of_rotor_stops_at_stator", prev_rotor, 2, 0},
                      WalkCase{"prev_rotor_of_first_row", prev_rotor, 1, 0},
                      WalkCase{"prev_stator_of_rotor", prev_stator, 2, 1},
                      WalkCase{"prev_stator_of_stator_stops_at_rotor", prev_stator, 3, 0},
                      WalkCase{"prev_stator_of_last", prev_stator, 4, 3},
                      WalkCase{"next_blade_of_inlet", next_blade, 0, 1},
                      WalkCase{"next_blade_of_last", next_blade, 4, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PathTest, BladeRowWithoutBladesIsNeitherRotorNorStator) {
    constexpr Elem kBladelessRotor{1.0, 0.0, 3000.0, 0.0};
    constexpr Elem kBladelessStator{1.0, 0.0, 0.0, 0.0};
    make_path({kInlet, kStator, kBladelessRotor, kBladelessStator, kRotor, kBladelessStator, kStator});
    EXPECT_EQ(next_rotor(1), 4);   // past both bladeless rows
    EXPECT_EQ(next_stator(4), 6);  // past the bladeless stator at 5
    EXPECT_EQ(prev_rotor(6), 4);   // past 5
    EXPECT_EQ(prev_stator(4), 1);  // past 3 and 2
    EXPECT_EQ(next_stator(1), 0);  // the real rotor at 4 stops it
    EXPECT_EQ(next_blade(1), 2);   // still a blade row
}

TEST_F(PathTest, InletVoluteCountsAsStatorButNotAsStop) {
    constexpr Elem kInletVolute{5.0};
    make_path({kInlet, kStator, kInletVolute, kRotor});
    EXPECT_EQ(prev_stator(3), 2);
    EXPECT_EQ(prev_rotor(3), 0);  // walks past the volute and stops at the stator at 1
    EXPECT_EQ(next_rotor(1), 3);  // nor does it stop a forward walk
    EXPECT_EQ(next_blade(2), 3);  // and it is not blade-like
}

TEST_F(PathTest, DeswirlerStopsTheAngularWalk) {
    constexpr Elem kAngularDuct{0.0, 2.0};
    constexpr Elem kDeswirler{6.0};
    make_path({kInlet, kDuct, kAngularDuct, kDeswirler, kAngularDuct});
    EXPECT_EQ(next_angular(0), 2);
    EXPECT_EQ(next_angular(2), 0);  // the deswirler at 3 comes before the angular duct at 4
    EXPECT_EQ(next_angular(3), 4);  // the start itself is never tested
    EXPECT_EQ(next_blade(0), 3);    // a deswirler is blade-like
}

TEST_F(PathTest, BladeRowWithAngularSectionsStopsBeforeItIsFound) {
    constexpr Elem kAngularRotor{1.0, 2.0, 3000.0, 60.0};
    make_path({kInlet, kAngularRotor, kDuct});
    EXPECT_EQ(next_angular(0), 0);
}

// ---- section tests and dispositions -----------------------------------------

TEST_F(PathTest, SectionTypeTestsCompareExactly) {
    make_path({Elem{0.0, 0.0}, Elem{0.0, 1.0}, Elem{0.0, 2.0}, Elem{0.0, 3.0}, Elem{0.0, 2.5}});
    using Test = int (*)(int);
    const Test tests[] = {is_sect_type0, is_sect_type1, is_angular, is_sect_type3};
    for (int t = 0; t < 4; ++t)
        for (int k = 0; k <= 4; ++k)
            EXPECT_EQ(tests[t](k), t == k ? 1 : 0) << "test " << t << " element " << k;
}

struct DispCase {
    int disp;         // cyld__Disp
    double sectType;  // of element 1
    int (*setter)(int);
    int result;
    double stored;
};

class SectDisp : public PathTest, public ::testing::WithParamInterface<DispCase> {};

TEST_P(SectDisp, StoresTheDispositionOnlyForAxialSectionsOfThatDisposition) {
    const DispCase& c = GetParam();
    make_path({kInlet, Elem{0.0, c.sectType}});
    block()->cyld_Disp = c.disp;
    block()->elem_sectDisp[1] = 99.0;  // always overwritten
    EXPECT_EQ(c.setter(1), c.result);
    EXPECT_EQ(block()->elem_sectDisp[1], c.stored);
    EXPECT_EQ(block()->elem_sectDisp[0], 0.0);
}

INSTANTIATE_TEST_SUITE_P(Table, SectDisp,
                         ::testing::Values(DispCase{0, 0.0, set_sect_disp0, 1, 0.0},
                                           DispCase{1, 0.0, set_sect_disp1, 1, 1.0},
                                           DispCase{2, 0.0, set_sect_disp2, 1, 2.0},
                                           DispCase{1, 1.0, set_sect_disp1, 0, -1.0},  // radial
                                           DispCase{2, 0.0, set_sect_disp1, 0, -1.0},  // other disposition
                                           DispCase{0, 2.0, set_sect_disp0, 0, -1.0}));

TEST_F(PathTest, AnyCooledLooksAtEveryElementIncludingTheLast) {
    make_path({kInlet, kStator, kRotor});
    EXPECT_EQ(any_cooled(), 0);
    block()->stgtd_cooled[2] = 1.0;
    EXPECT_EQ(any_cooled(), 1);
    block()->stgtd_cooled[2] = 0.0;
    block()->stgtd_cooled[0] = -1.0;
    EXPECT_EQ(any_cooled(), 1);
}

// ---- guards ------------------------------------------------------------------

TEST_F(PathTest, IndicesOutsideThePathAnswerZeroAndStoreNothing) {
    make_path({kInlet, kStator, kRotor});
    for (int j : {-1, 3, 1000}) {
        EXPECT_EQ(next_rotor(j), 0) << j;
        EXPECT_EQ(next_stator(j), 0) << j;
        EXPECT_EQ(prev_rotor(j), 0) << j;
        EXPECT_EQ(prev_stator(j), 0) << j;
        EXPECT_EQ(next_blade(j), 0) << j;
        EXPECT_EQ(next_angular(j), 0) << j;
        EXPECT_EQ(is_sect_type0(j), 0) << j;
        EXPECT_EQ(set_sect_disp0(j), 0) << j;
    }
    // Walks that start at the ends of the row.
    EXPECT_EQ(prev_rotor(0), 0);
    EXPECT_EQ(prev_stator(1), 0);
    EXPECT_EQ(next_rotor(2), 0);
}

TEST_F(PathTest, CountsRaisedPastTheArraysAreRefused) {
    make_path({kInlet, kStator, kRotor});
    block()->cyld_ns = 50;  // a host changed the count after the arrays were made
    EXPECT_EQ(next_rotor(1), 0);
    EXPECT_EQ(any_cooled(), 0);
    EXPECT_EQ(is_turb_prof(1, 0), 0);
    EXPECT_EQ(is_comp_prof(1, 0), 0);
    block()->cyld_ns = 2;
    EXPECT_EQ(next_rotor(1), 2);
}

TEST_F(PathTest, CaseWithoutArraysAnswersZero) {
    block()->cyld_ns = 4;
    block()->cyld_Disp = 0;
    for (Walker w :
         {next_rotor, next_stator, prev_rotor, prev_stator, next_blade, next_angular, is_sect_type0,
          is_sect_type1, is_angular, is_sect_type3, set_sect_disp0, set_sect_disp1, set_sect_disp2})
        EXPECT_EQ(w(2), 0);
    EXPECT_EQ(any_cooled(), 0);
}

void expect_all_zero() {
    EXPECT_EQ(next_rotor(0), 0);
    EXPECT_EQ(prev_stator(2), 0);
    EXPECT_EQ(next_angular(0), 0);
    EXPECT_EQ(is_sect_type0(0), 0);
    EXPECT_EQ(set_sect_disp0(0), 0);
    EXPECT_EQ(any_cooled(), 0);
}

TEST(WalkersWithoutCase, AnswerZeroBeforeThreadingAndWithoutACurrentCase) {
    ASSERT_EQ(get_bdLocals(), nullptr);
    expect_all_zero();
    ASSERT_EQ(binit_threading(), 0);
    ASSERT_EQ(get_bdLocals(), nullptr);
    expect_all_zero();
    bend_threading();
}

}  // namespace
