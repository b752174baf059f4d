#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "case/case_fields.h"
#include "halvorine2/case_file.h"
#include "halvorine2/fluids.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"
#include "tests/support/case_set.h"
#include "tests/support/field_marks.h"

namespace {

using h2::FieldInfo;
using h2::kFields;

using h2::test::element_array;
using h2::test::mark;
using h2::test::row_table;

// Writes mark() into every element of every array the case has.
void fill_arrays(bdLocals* b, int seed) {
    for (int f = 0; f < static_cast<int>(h2::kFieldCount); ++f) {
        const FieldInfo& fi = kFields[f];
        if (h2::is_element_array(fi.kind))
            for (int i = 0; i < b->alloc_elems; ++i) element_array(b, fi)[i] = mark(seed, f, i);
        if (h2::is_row_array(fi.kind))
            for (int i = 0; i < b->alloc_elems; ++i)
                for (int j = 0; j < b->alloc_streams; ++j) row_table(b, fi)[i][j] = mark(seed, f, i, j);
    }
}

// Place of a field in the field table, the field part of its marks.
int ordinal_of(const char* member) {
    for (int f = 0; f < static_cast<int>(h2::kFieldCount); ++f)
        if (std::strcmp(kFields[f].member, member) == 0) return f;
    return -1;
}

// A loss slot entry that is never called, only compared.
LossEntry fake_entry(std::uintptr_t n) { return reinterpret_cast<LossEntry>(n * 16 + 0x1000); }

void fill_slots(bdLocals* b, int seed) {
    for (int s = 0; s < 16; ++s)
        for (int i = 0; i < b->alloc_elems; ++i) b->LossSlots[s][i] = fake_entry(seed * 10000 + s * 100 + i);
}

// A whole-block copy holds every field of its source: the same values in
// arrays, loss slot arrays and a volute record of its own, a fresh grid.
void expect_equal_copy(bdLocals* src, bdLocals* copy) {
    const int N = src->cyld_ns + 1, NI = src->cyld_nr;
    for (const auto& f : kFields) {
        SCOPED_TRACE(f.member);
        if (h2::is_element_array(f.kind)) {
            ASSERT_NE(element_array(copy, f), element_array(src, f));
            for (int i = 0; i < N; ++i) EXPECT_EQ(element_array(copy, f)[i], element_array(src, f)[i]);
        } else if (h2::is_row_array(f.kind)) {
            ASSERT_NE(row_table(copy, f), row_table(src, f));
            for (int i = 0; i < N; ++i) {
                ASSERT_NE(row_table(copy, f)[i], row_table(src, f)[i]);
                for (int j = 0; j < NI; ++j) EXPECT_EQ(row_table(copy, f)[i][j], row_table(src, f)[i][j]);
            }
        } else if (f.kind == h2::FieldKind::LOSSSLOTS) {
            for (int s = 0; s < 16; ++s) {
                ASSERT_NE(copy->LossSlots[s], src->LossSlots[s]);
                for (int i = 0; i < N; ++i) EXPECT_EQ(copy->LossSlots[s][i], src->LossSlots[s][i]);
            }
        } else if (f.kind == h2::FieldKind::GRID) {
            // A fresh grid for NI rows of N*10+1 points, none of the source's streamlines.
            ASSERT_NE(copy->stream_grid, nullptr);
            ASSERT_NE(copy->stream_grid, src->stream_grid);
            for (int r = 0; r < NI * (N * 10 + 1); ++r)
                EXPECT_EQ(copy->stream_grid[r].x + copy->stream_grid[r].y, 0.0);
        } else if (std::strcmp(f.member, "volout") == 0) {
            EXPECT_EQ(copy->volout == nullptr, src->volout == nullptr);
            if (src->volout) {
                EXPECT_NE(copy->volout, src->volout);
            }
        } else {
            EXPECT_EQ(std::memcmp(h2::field_at<unsigned char>(copy, f.offset),
                                  h2::field_at<unsigned char>(src, f.offset), f.size),
                      0);
        }
    }
}

// Threading prepared; cases made with binit and released with bterm.
class CaseCopy : public h2::test::CaseSetTest {
protected:
    // A current case with arrays for ns elements after the inlet and nr
    // streamlines, filled with the seed's marks.
    bdLocals* make_case(int ns, int nr, int seed) {
        bdLocals* b = make_case_with_arrays(ns, nr);
        fill_arrays(b, seed);
        fill_slots(b, seed);
        return b;
    }
};

TEST_F(CaseCopy, WholeCopyOfACaseEqualsItFieldByField) {
    bdLocals* src = make_case(3, 2, 1);
    // Every plain field carries something of its own.
    int n = 0;
    for (const auto& f : kFields) {
        ++n;
        if (f.kind == h2::FieldKind::F64 || f.kind == h2::FieldKind::F64N)
            *h2::field_at<double>(src, f.offset) = n + 0.25;
        // The cyld__ integers hold counts and selectors that the copy acts on.
        if (f.kind == h2::FieldKind::I32 && std::strncmp(f.key, "cyld__", 6) != 0)
            *h2::field_at<std::int32_t>(src, f.offset) = n;
    }
    std::snprintf(src->name, sizeof src->name, "first stage");
    std::snprintf(src->ModelBase, sizeof src->ModelBase, "%s", H2_PLUGIN_DIR);
    std::snprintf(src->fluidName, sizeof src->fluidName, "flxb.dll");
    src->cyld_R = 287.0;
    src->cyld_k = 1.4;
    src->cyld_af = 0.0;
    src->outDst = 0;
    src->cyld_MethodZ = 3;
    src->stream_grid[5] = Point2{1.0, 2.0};
    src->volout = VoloutInit(10, 4, 3);
    auto* vol = static_cast<Volout*>(src->volout);
    vol->cs = 12.5;
    vol->nA = 2;
    vol->mA = 1;
    vol->A[2][1] = Point3{1, 2, 3};
    set_bdLocals(src);
    InitFluid(src->cyld_af);
    InitcFluid(src->cyld_caf);
    ASSERT_NE(src->fluid_func, nullptr);  // the copy initialises its own from the same plug-in

    bdLocals* copy = keep(copy_probdata(src, nullptr));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(get_bdLocals(), copy);
    EXPECT_EQ(console_.text(), "");
    expect_equal_copy(src, copy);
    auto* copied = static_cast<Volout*>(copy->volout);
    EXPECT_EQ(copied->form, 10);
    EXPECT_EQ(copied->cs, 12.5);
    EXPECT_EQ(copied->A[2][1].z, 3.0);
}

TEST_F(CaseCopy, WholeCopyOfALoadedExampleEqualsIt) {
    const auto example = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() /
                         "examples" / "air_turbine_stage.dat";
    bdLocals* src = binit();
    made_.push_back(src);
    std::snprintf(src->ModelBase, sizeof src->ModelBase, "%s", H2_PLUGIN_DIR);
    ASSERT_EQ(load_data(example.c_str()), 0);
    bdLocals* copy = keep(copy_probdata(src, nullptr));
    ASSERT_NE(copy, nullptr);
    expect_equal_copy(src, copy);
}

TEST_F(CaseCopy, WholeCopyOfACaseWithoutArraysIsRefused) {
    bdLocals* src = binit();
    made_.push_back(src);
    src->cyld_ns = 2;
    EXPECT_EQ(copy_probdata(src, nullptr), nullptr);
    EXPECT_EQ(console_.text(), "\ncopy_probdata: empty data\n\n");
    EXPECT_EQ(get_bdLocals(), src);
}

// The copy fails after the byte copy of a source that has arrays: the source
// keeps all of them, and the case that was current is current again.
TEST_F(CaseCopy, FailedWholeCopyLeavesTheSourceIntact) {
    struct Case {
        const char* name;
        void (*spoil)(bdLocals*);
        void (*mend)(bdLocals*);
        const char* message;
    };
    static double* kept_types = nullptr;
    const Case cases[] = {
        {"no element types", [](bdLocals* b) { kept_types = std::exchange(b->elem_stagType, nullptr); },
         [](bdLocals* b) { b->elem_stagType = kept_types; }, "\ncopy_probdata: empty data\n\n"},
        {"counts past the arrays", [](bdLocals* b) { b->cyld_ns = 9; }, [](bdLocals* b) { b->cyld_ns = 3; },
         "\ncopy_probdata: counts exceed the arrays\n\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bdLocals* src = make_case(3, 2, 4);
        src->volout = VoloutInit(0, 2, 2);
        src->dump_stream = std::tmpfile();
        bdLocals* other = make_case(1, 1, 5);
        ASSERT_EQ(get_bdLocals(), other);
        h2::test::CapturedConsole console;
        c.spoil(src);
        EXPECT_EQ(copy_probdata(src, nullptr), nullptr);
        EXPECT_EQ(console.text(), c.message);
        EXPECT_EQ(get_bdLocals(), other);
        c.mend(src);
        // Every array, the volute record and the dump are still the source's.
        for (int f = 0; f < static_cast<int>(h2::kFieldCount); ++f) {
            if (h2::is_row_array(kFields[f].kind)) {
                ASSERT_EQ(row_table(src, kFields[f])[3][1], mark(4, f, 3, 1));
            }
            if (h2::is_element_array(kFields[f].kind)) {
                ASSERT_EQ(element_array(src, kFields[f])[3], mark(4, f, 3));
            }
        }
        EXPECT_EQ(src->LossSlots[15][3], fake_entry(4 * 10000 + 15 * 100 + 3));
        EXPECT_GT(std::fprintf(src->dump_stream, "still open\n"), 0);
        EXPECT_EQ(static_cast<Volout*>(src->volout)->n, 2);
    }
}

TEST_F(CaseCopy, WholeCopyThatCannotBeMadeCurrentIsRefused) {
    // A source built by hand: threading is ended, as when a host never prepared it.
    double types[1] = {1.0};
    h2::test::BlockPtr src = h2::test::make_block();
    src->elem_stagType = types;
    src->alloc_elems = 1;
    bend_threading();
    EXPECT_EQ(copy_probdata(src.get(), nullptr), nullptr);
    EXPECT_EQ(console_.text(), "\ncopy_probdata: can't set locals!\n\n");
    ASSERT_EQ(binit_threading(), 0);
}

TEST_F(CaseCopy, WholeCopyOwnsItsDumpVoluteAndArrays) {
    bdLocals* src = make_case(2, 1, 2);
    src->dump_stream = std::tmpfile();
    src->volout = VoloutInit(0, 3, 3);
    bdLocals* copy = copy_probdata(src, nullptr);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->dump_stream, nullptr);
    EXPECT_EQ(copy->allocated1, 307);
    EXPECT_EQ(copy->allocated2, 180);
    EXPECT_EQ(copy->elem_count, 3);
    release(copy);  // must close nothing and free nothing of the source's
    EXPECT_GT(std::fprintf(src->dump_stream, "after the copy is gone\n"), 0);
    EXPECT_EQ(src->los_Los[2][0], mark(2, ordinal_of("los_Los"), 2, 0));
    EXPECT_EQ(static_cast<Volout*>(src->volout)->n, 3);
}

TEST_F(CaseCopy, CopyWithTheSameCountsReproducesEveryArray) {
    bdLocals* src = make_case(3, 2, 1);
    bdLocals* dst = make_case(3, 2, 2);
    ASSERT_EQ(copy_probdata(src, dst), dst);
    EXPECT_EQ(get_bdLocals(), dst);
    for (int f = 0; f < static_cast<int>(h2::kFieldCount); ++f) {
        const FieldInfo& fi = kFields[f];
        for (int i = 0; i < 4; ++i) {
            if (h2::is_element_array(fi.kind)) {
                ASSERT_EQ(element_array(dst, fi)[i], mark(1, f, i)) << fi.member;
            }
            if (h2::is_row_array(fi.kind)) {
                for (int j = 0; j < 2; ++j)
                    ASSERT_EQ(row_table(dst, fi)[i][j], mark(1, f, i, j)) << fi.member;
            }
        }
    }
    EXPECT_EQ(dst->allocated1, 307);
    EXPECT_EQ(dst->allocated2, 180);
    EXPECT_EQ(console_.text(), "");
}

TEST_F(CaseCopy, MoreStreamlinesTakeTheSourceMiddleStreamline) {
    struct Case {
        int from_streams, middle;
    };
    for (const Case c : {Case{1, 0}, Case{3, 1}, Case{4, 2}, Case{5, 2}}) {
        SCOPED_TRACE(c.from_streams);
        bdLocals* src = make_case(2, c.from_streams, 1);
        bdLocals* dst = make_case(2, 6, 2);
        ASSERT_EQ(copy_probdata(src, dst), dst);
        for (int f = 0; f < static_cast<int>(h2::kFieldCount); ++f) {
            if (!h2::is_row_array(kFields[f].kind)) continue;
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 6; ++j)
                    ASSERT_EQ(row_table(dst, kFields[f])[i][j], mark(1, f, i, c.middle)) << kFields[f].member;
        }
        release(made_[made_.size() - 1]);
        release(made_[made_.size() - 2]);
        made_.resize(made_.size() - 2);
    }
}

TEST_F(CaseCopy, MoreElementsKeepTheirValuesAndAreStillReleased) {
    bdLocals* src = make_case(2, 2, 1);
    bdLocals* dst = make_case(6, 2, 2);
    ASSERT_EQ(copy_probdata(src, dst), dst);
    EXPECT_EQ(dst->elem_count, 3);
    for (int f = 0; f < static_cast<int>(h2::kFieldCount); ++f) {
        const FieldInfo& fi = kFields[f];
        for (int i = 0; i < 7; ++i) {
            const int seed = i < 3 ? 1 : 2;
            if (h2::is_element_array(fi.kind)) {
                ASSERT_EQ(element_array(dst, fi)[i], mark(seed, f, i)) << fi.member;
            }
            if (h2::is_row_array(fi.kind)) {
                ASSERT_EQ(row_table(dst, fi)[i][1], mark(seed, f, i, 1)) << fi.member;
            }
        }
    }
    // The rows past elem_count are released with the rest when the fixture
    // ends the case (the sanitizer run reports a leak otherwise).
}

TEST_F(CaseCopy, ResultsAndCafTravelWhileTaskAndPrintLevelsStay) {
    bdLocals* src = make_case(2, 1, 1);
    bdLocals* dst = make_case(2, 1, 2);
    src->cyld_caf = 0.75;
    src->cyld_G = 31.0;
    src->run_result = 4;
    src->search_point = 17;
    src->cyld_VART = 30;
    src->IP = src->IPI = src->IPO = src->IPP = src->IPL = 5;
    src->cyld_T0 = 900.0;
    dst->cyld_VART = 10;
    dst->IP = dst->IPI = dst->IPO = dst->IPP = dst->IPL = 1;
    dst->cyld_T0 = 300.0;
    ASSERT_EQ(copy_probdata(src, dst), dst);
    EXPECT_EQ(dst->cyld_caf, 0.75);
    EXPECT_EQ(dst->cyld_G, 31.0);
    EXPECT_EQ(dst->run_result, 4);
    EXPECT_EQ(dst->search_point, 17);
    EXPECT_EQ(dst->cyld_VART, 10);
    for (int level : {dst->IP, dst->IPI, dst->IPO, dst->IPP, dst->IPL}) EXPECT_EQ(level, 1);
    EXPECT_EQ(dst->cyld_T0, 300.0);
}

TEST_F(CaseCopy, CopyIntoABlockWithoutArraysFailsWithTheBlockCurrent) {
    bdLocals* src = make_case(2, 1, 1);
    src->cyld_G = 8.0;
    bdLocals* dst = binit();
    made_.push_back(dst);
    set_bdLocals(src);
    EXPECT_EQ(copy_probdata(src, dst), nullptr);
    EXPECT_EQ(console_.text(), "\ncopy_probdata: empty data\n\n");
    EXPECT_EQ(get_bdLocals(), dst);
    EXPECT_EQ(dst->cyld_G, 8.0);  // the results come before the test
}

TEST_F(CaseCopy, CopyIntoASmallerBlockIsRefused) {
    struct Case {
        const char* name;
        int dst_ns, dst_nr, dst_nr_after;
    };
    const Case cases[] = {
        {"fewer elements", 1, 2, 2},
        {"streamline count past its rows", 3, 2, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        h2::test::CapturedConsole console;
        bdLocals* src = make_case(3, 2, 1);
        bdLocals* dst = make_case(c.dst_ns, c.dst_nr, 2);
        dst->cyld_nr = c.dst_nr_after;
        src->cyld_G = 5.0;
        set_bdLocals(src);
        EXPECT_EQ(copy_probdata(src, dst), nullptr);
        EXPECT_EQ(console.text(), "\ncopy_probdata: destination too small\n\n");
        EXPECT_EQ(get_bdLocals(), dst);
        EXPECT_EQ(dst->cyld_G, 0.0);
        EXPECT_EQ(dst->elem_count, c.dst_ns + 1);
        for (int i = 0; i <= c.dst_ns; ++i)
            EXPECT_EQ(dst->los_Los[i][1], mark(2, ordinal_of("los_Los"), i, 1));
        dst->cyld_nr = c.dst_nr;
    }
}

TEST_F(CaseCopy, GridIsCopiedIntoAGivenBlockOnly) {
    bdLocals* src = make_case(2, 2, 1);
    const int used = 2 * (3 * 10 + 1);
    for (int r = 0; r < used; ++r) src->stream_grid[r] = Point2{r + 0.5, -r - 0.5};
    bdLocals* dst = make_case(2, 2, 2);
    ASSERT_EQ(copy_probdata(src, dst), dst);
    for (int r = 0; r < used; ++r) ASSERT_EQ(dst->stream_grid[r].x, r + 0.5);
    EXPECT_EQ(dst->stream_grid[used].x, 0.0);
    bdLocals* whole = keep(copy_probdata(src, nullptr));
    ASSERT_NE(whole, nullptr);
    for (int r = 0; r < used; ++r) ASSERT_EQ(whole->stream_grid[r].x, 0.0);
}

TEST_F(CaseCopy, LossSlotsAndSwitchesTravelWithTheCopy) {
    bdLocals* src = make_case(2, 1, 1);
    bdLocals* dst = make_case(4, 1, 2);
    src->cyld_MethodP = 2;
    src->cyld_MethodB = 3;
    src->cyld_MethodZ = 4;
    dst->cyld_MethodZ = 9;
    ASSERT_EQ(copy_probdata(src, dst), dst);
    for (int s = 0; s < 16; ++s)
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(dst->LossSlots[s][i], fake_entry((i < 3 ? 10000 : 20000) + s * 100 + i))
                << s << ',' << i;
    EXPECT_EQ(dst->cyld_MethodP, 2);
    EXPECT_EQ(dst->cyld_MethodB, 3);
    EXPECT_EQ(dst->cyld_MethodZ, 9);
}

TEST_F(CaseCopy, CopyIntoAGivenBlockReplacesItsVoluteRecord) {
    bdLocals* src = make_case(1, 1, 1);
    bdLocals* dst = make_case(1, 1, 2);
    dst->volout = VoloutInit(0, 5, 5);  // released by the copy; the sanitizer run sees a leak otherwise
    ASSERT_EQ(copy_probdata(src, dst), dst);
    EXPECT_NE(dst->volout, nullptr);  // src has no record: dst keeps its own
    src->volout = VoloutInit(21, 7, 7);
    static_cast<Volout*>(src->volout)->gap = 0.002;
    ASSERT_EQ(copy_probdata(src, dst), dst);
    ASSERT_NE(dst->volout, src->volout);
    EXPECT_EQ(static_cast<Volout*>(dst->volout)->form, 21);
    EXPECT_EQ(static_cast<Volout*>(dst->volout)->gap, 0.002);
    ASSERT_EQ(copy_probdata(dst, dst), dst);  // a block onto itself keeps its record
    EXPECT_EQ(static_cast<Volout*>(dst->volout)->form, 21);
}

TEST_F(CaseCopy, NullSourceGivesNull) {
    bdLocals* dst = make_case(1, 1, 1);
    EXPECT_EQ(copy_probdata(nullptr, dst), nullptr);
    EXPECT_EQ(copy_probdata(nullptr, nullptr), nullptr);
    EXPECT_EQ(get_bdLocals(), dst);
}

}  // namespace
