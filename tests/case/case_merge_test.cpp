#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "case/case_fields.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"
#include "tests/support/case_set.h"
#include "tests/support/case_snapshot.h"
#include "tests/support/field_marks.h"

namespace {

using h2::FieldInfo;
using h2::kFields;

using h2::test::element_array;
using h2::test::mark;
using h2::test::row_table;
using h2::test::Snapshot;
using h2::test::snapshot;

// A loss slot entry that is never called, only compared.
LossEntry fake_entry(int seed, int slot, int i) {
    return reinterpret_cast<LossEntry>(static_cast<std::uintptr_t>(seed * 10000 + slot * 100 + i) * 16 +
                                       0x1000);
}

void fill(bdLocals* b, int seed) {
    for (int f = 0; f < static_cast<int>(h2::kFieldCount); ++f) {
        const FieldInfo& fi = kFields[f];
        for (int i = 0; i < b->alloc_elems; ++i) {
            if (h2::is_element_array(fi.kind)) element_array(b, fi)[i] = mark(seed, f, i);
            if (h2::is_row_array(fi.kind))
                for (int j = 0; j < b->alloc_streams; ++j) row_table(b, fi)[i][j] = mark(seed, f, i, j);
        }
    }
    for (int s = 0; s < 16; ++s)
        for (int i = 0; i < b->alloc_elems; ++i) b->LossSlots[s][i] = fake_entry(seed, s, i);
    b->cyld_MethodP = b->cyld_MethodS = b->cyld_MethodN = b->cyld_MethodV = seed;
    b->cyld_MethodR = b->cyld_MethodD = b->cyld_MethodB = b->cyld_MethodZ = seed;
}

class CaseMerge : public h2::test::CaseSetTest {
protected:
    bdLocals* make_case(int ns, int nr, int seed) {
        bdLocals* b = make_case_with_arrays(ns, nr);
        fill(b, seed);
        return b;
    }
};

// The predesign join: three modules of 4, 2 and 3 elements after their inlets
// become elements 0..4, 5..6 and 7..9 of one flow path.
TEST_F(CaseMerge, ThreeModulesBecomeOneFlowPath) {
    bdLocals* m1 = make_case(4, 2, 1);
    bdLocals* m2 = make_case(2, 2, 2);
    bdLocals* m3 = make_case(3, 2, 3);
    bdLocals* joined = make_case(9, 2, 9);
    ASSERT_EQ(copy_probdata(m1, joined), joined);
    ASSERT_EQ(add_probdata(m2, joined, 5), joined);
    ASSERT_EQ(add_probdata(m3, joined, 7), joined);
    EXPECT_EQ(get_bdLocals(), joined);  // made current by the copy, not changed by the merges
    EXPECT_EQ(console_.text(), "");

    // Element e of the joined path comes from (module seed, module element).
    struct Origin {
        int seed, element;
    };
    const Origin origin[10] = {{1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4},
                               {2, 1}, {2, 2}, {3, 1}, {3, 2}, {3, 3}};
    for (int f = 0; f < static_cast<int>(h2::kFieldCount); ++f) {
        const FieldInfo& fi = kFields[f];
        for (int e = 0; e < 10; ++e) {
            const auto [seed, i] = origin[e];
            if (h2::is_element_array(fi.kind)) {
                ASSERT_EQ(element_array(joined, fi)[e], mark(seed, f, i)) << fi.member;
            }
            if (h2::is_row_array(fi.kind)) {
                for (int j = 0; j < 2; ++j)
                    ASSERT_EQ(row_table(joined, fi)[e][j], mark(seed, f, i, j)) << fi.member;
            }
        }
    }
    for (int s = 0; s < 16; ++s)
        for (int e = 0; e < 10; ++e)
            EXPECT_EQ(joined->LossSlots[s][e], fake_entry(origin[e].seed, s, origin[e].element));
    EXPECT_EQ(joined->cyld_MethodP, 3);
    EXPECT_EQ(joined->cyld_MethodB, 3);
    EXPECT_EQ(joined->cyld_MethodZ, 9);  // never copied with the others
    EXPECT_EQ(joined->cyld_ns, 9);
    EXPECT_EQ(joined->elem_count, 5);
}

TEST_F(CaseMerge, SourceWithoutElementsChangesOnlyTheLossSwitches) {
    bdLocals* src = make_case(0, 2, 1);
    bdLocals* dst = make_case(5, 2, 2);
    Snapshot before = snapshot(dst);
    ASSERT_EQ(add_probdata(src, dst, 3), dst);
    for (int32_t* sw : {&dst->cyld_MethodP, &dst->cyld_MethodS, &dst->cyld_MethodN, &dst->cyld_MethodV,
                        &dst->cyld_MethodR, &dst->cyld_MethodD, &dst->cyld_MethodB})
        EXPECT_EQ(std::exchange(*sw, 2), 1);
    EXPECT_EQ(dst->cyld_MethodZ, 2);
    EXPECT_TRUE(snapshot(dst) == before);
}

TEST_F(CaseMerge, MergeOutsideTheDestinationIsRefused) {
    struct Case {
        const char* name;
        int src_ns, src_nr, pos;
    };
    const Case cases[] = {
        {"past the last element", 3, 2, 6},
        {"more streamlines", 2, 3, 2},
        {"negative position", 2, 2, -1},
    };
    bdLocals* dst = make_case(7, 2, 9);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        h2::test::CapturedConsole console;
        bdLocals* src = make_case(c.src_ns, c.src_nr, 1);
        set_bdLocals(src);
        const Snapshot before = snapshot(dst);
        EXPECT_EQ(add_probdata(src, dst, c.pos), nullptr);
        EXPECT_TRUE(snapshot(dst) == before);
        EXPECT_EQ(get_bdLocals(), src);
        EXPECT_EQ(console.text(), "\nadd_probdata: source does not fit the destination\n\n");
    }
    h2::test::CapturedConsole console;
    const Snapshot before = snapshot(dst);
    EXPECT_EQ(add_probdata(nullptr, dst, 1), nullptr);
    EXPECT_EQ(add_probdata(dst, nullptr, 1), nullptr);
    EXPECT_TRUE(snapshot(dst) == before);
    EXPECT_EQ(console.text(), "\nadd_probdata: source does not fit the destination\n\n");
}

TEST_F(CaseMerge, DestinationStreamlinesBeyondTheSourceKeepTheirValues) {
    bdLocals* src = make_case(2, 2, 1);
    bdLocals* dst = make_case(4, 4, 2);
    ASSERT_EQ(add_probdata(src, dst, 3), dst);
    for (const auto& fi : kFields) {
        if (!h2::is_row_array(fi.kind)) continue;
        const int field = static_cast<int>(&fi - kFields);
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(row_table(dst, fi)[3 + k][0], mark(1, field, 1 + k, 0));
            EXPECT_EQ(row_table(dst, fi)[3 + k][1], mark(1, field, 1 + k, 1));
            EXPECT_EQ(row_table(dst, fi)[3 + k][2], mark(2, field, 3 + k, 2));
            EXPECT_EQ(row_table(dst, fi)[3 + k][3], mark(2, field, 3 + k, 3));
        }
        EXPECT_EQ(row_table(dst, fi)[2][0], mark(2, field, 2, 0));
    }
}

// --- Expansion to more streamlines.

TEST_F(CaseMerge, ExpansionSpreadsTheMiddleStreamlineThenRecomputesTheSpan) {
    bdLocals* src = make_case(3, 1, 1);
    // Element kinds by section type: 2.0 angular, 1.0 radial, 0.0 axial, 3.0.
    const double sect[4] = {2.0, 1.0, 0.0, 3.0};
    for (int i = 0; i < 4; ++i) src->elem_sectType[i] = sect[i];
    src->bld_d1[1] = 0.6;
    src->bld_l1[1] = 0.1;
    src->bld_wp[1] = 100.0;
    src->cyld_VART = 20;
    bdLocals* other = make_case(1, 1, 7);
    ASSERT_EQ(get_bdLocals(), other);

    bdLocals* wide = keep(expand_probdata(src, 5));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(get_bdLocals(), src);
    EXPECT_EQ(wide->cyld_ns, 3);
    EXPECT_EQ(wide->cyld_nr, 5);
    EXPECT_EQ(wide->cyld_VART, 0);
    EXPECT_EQ(wide->allocated1, 307);
    EXPECT_EQ(wide->allocated2, 180);
    EXPECT_EQ(wide->elem_count, 4);
    // The radial element's span is recomputed from its middle streamline; the
    // others keep the spread middle values.
    for (int f = 0; f < static_cast<int>(h2::kFieldCount); ++f) {
        const FieldInfo& fi = kFields[f];
        if (!h2::is_row_array(fi.kind)) continue;
        for (int i = 0; i < 4; ++i) {
            if (i == 1) continue;
            for (int j = 0; j < 5; ++j)
                ASSERT_EQ(row_table(wide, fi)[i][j], mark(1, f, i, 0)) << fi.member << i;
        }
    }
    // Behind the angular inlet the radial element's inlet radii follow the
    // blade height hub to tip, and its inlet has no blade speed.
    const double radii[5] = {0.25, 0.275, 0.3, 0.325, 0.35};
    for (int j = 0; j < 5; ++j) {
        EXPECT_DOUBLE_EQ(wide->flow_r1[1][j], radii[j]);
        EXPECT_EQ(wide->flow_u1[1][j], 0.0);
    }
}

TEST_F(CaseMerge, ExpansionWithTheSameStreamlinesReproducesTheArrays) {
    bdLocals* src = make_case(2, 3, 1);
    for (int i = 0; i < 3; ++i) src->elem_sectType[i] = 2.0;  // nothing is recomputed
    bdLocals* same = keep(expand_probdata(src, 3));
    ASSERT_NE(same, nullptr);
    for (int f = 0; f < static_cast<int>(h2::kFieldCount); ++f) {
        const FieldInfo& fi = kFields[f];
        for (int i = 0; i < 3; ++i) {
            if (h2::is_element_array(fi.kind)) {
                ASSERT_EQ(element_array(same, fi)[i], element_array(src, fi)[i]) << fi.member;
            }
            if (h2::is_row_array(fi.kind)) {
                for (int j = 0; j < 3; ++j)
                    ASSERT_EQ(row_table(same, fi)[i][j], mark(1, f, i, j)) << fi.member;
            }
        }
    }
}

TEST_F(CaseMerge, ExpansionRefusesWhatItCannotBuild) {
    bdLocals* src = make_case(2, 1, 1);
    EXPECT_EQ(expand_probdata(nullptr, 3), nullptr);
    EXPECT_EQ(expand_probdata(src, 0), nullptr);
    EXPECT_EQ(expand_probdata(src, -2), nullptr);
    EXPECT_EQ(get_bdLocals(), src);
    src->cyld_ns = 6;  // more than its arrays hold
    EXPECT_EQ(expand_probdata(src, 3), nullptr);
    EXPECT_EQ(console_.text(), "\nexpand_probdata: counts exceed the arrays\n\n");
    src->cyld_ns = 2;
}

}  // namespace
