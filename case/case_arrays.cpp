// The case's array set: every per-element array, every per-element-and-
// streamline table, the loss slot arrays and the streamline grid, allocated
// and released together and checked with two counters on the way.
#include <cstdint>
#include <cstdlib>

#include "case/case_arrays.h"
#include "case/case_fields.h"
#include "case/output_internal.h"
#include "case/text_field.h"
#include "halvorine2/case_data.h"
#include "halvorine2/output.h"
#include "halvorine2/threading.h"

namespace {

using h2::alloc_elem_array;
using h2::alloc_elem_matrix;
using h2::element_array;
using h2::FieldInfo;
using h2::kFields;
using h2::row_table;

// Points per streamline row of the grid: ten per element interval plus one.
constexpr long long kGridPointsPerElement = 10;

void free_elem_array(bdLocals* b, double*& a) {
    std::free(a);
    a = nullptr;
    --b->allocated1;
}

void free_elem_matrix(bdLocals* b, double**& table) {
    if (table == nullptr) return;
    b->allocated1 = b->alloc_elems;
    for (int i = 0; i < b->alloc_elems; ++i) free_elem_array(b, table[i]);
    std::free(table);
    table = nullptr;
    --b->allocated2;
}

void report(const char* text) { h2::report_error(text); }

}  // namespace

namespace h2 {

// A zero-filled array of n doubles, counted in allocated1. An empty array still
// gets a block of its own so that it reads as present.
double* alloc_elem_array(bdLocals* b, int n) {
    if (n < 0) return nullptr;
    auto* a = static_cast<double*>(std::calloc(n > 0 ? static_cast<std::size_t>(n) : 1u, sizeof(double)));
    if (a) ++b->allocated1;
    return a;
}

// N rows of NI doubles; allocated2 counts it when every row exists.
double** alloc_elem_matrix(bdLocals* b, int N, int NI) {
    if (N < 0) return nullptr;
    auto** table =
        static_cast<double**>(std::calloc(N > 0 ? static_cast<std::size_t>(N) : 1u, sizeof(double*)));
    if (table == nullptr) return nullptr;
    b->allocated1 = 0;
    for (int i = 0; i < N; ++i) table[i] = alloc_elem_array(b, NI);
    if (b->allocated1 == N) ++b->allocated2;
    return table;
}

// Rows are released by the extent the table was made for: elem_count follows
// the last copy into the block and may be smaller, which would leak the rest.
bool has_any_array(const bdLocals* b) {
    auto* mb = const_cast<bdLocals*>(b);
    for (const auto& f : kFields) {
        if (is_element_array(f.kind) && element_array(mb, f)) return true;
        if (is_row_array(f.kind) && row_table(mb, f)) return true;
    }
    for (const auto* slot : b->LossSlots)
        if (slot) return true;
    return b->stream_grid != nullptr;
}

namespace {
constinit thread_local ArraysCheckedScope::Checked t_checked{};

bool checked_by_scope(const bdLocals* b) {
    return t_checked.b != nullptr && t_checked.b == b && t_checked.ns == b->cyld_ns &&
           t_checked.alloc_elems == b->alloc_elems;
}
}  // namespace

ArraysCheckedScope::ArraysCheckedScope(const bdLocals* b) : outer_(t_checked) {
    if (b != nullptr && has_every_array(b)) t_checked = {b, b->cyld_ns, b->alloc_elems};
}

ArraysCheckedScope::~ArraysCheckedScope() { t_checked = outer_; }

bool has_every_array(const bdLocals* b) {
    if (checked_by_scope(b)) return true;
    auto* mb = const_cast<bdLocals*>(b);
    const int rows = std::min<int>(b->cyld_ns + 1, b->alloc_elems);
    for (const auto& f : kFields) {
        if (is_element_array(f.kind) && element_array(mb, f) == nullptr) return false;
        if (!is_row_array(f.kind)) continue;
        double** table = row_table(mb, f);
        if (table == nullptr) return false;
        for (int i = 0; i < rows; ++i)
            if (table[i] == nullptr) return false;
    }
    return true;
}

void sweep_arrays(bdLocals* b) {
    for (const auto& f : kFields) {
        if (is_element_array(f.kind)) {
            std::free(element_array(b, f));
            element_array(b, f) = nullptr;
        } else if (is_row_array(f.kind)) {
            double**& table = row_table(b, f);
            if (table) {
                for (int i = 0; i < b->alloc_elems; ++i) std::free(table[i]);
                std::free(table);
                table = nullptr;
            }
        }
    }
    for (auto& slot : b->LossSlots) {
        std::free(slot);
        slot = nullptr;
    }
    std::free(b->stream_grid);
    b->stream_grid = nullptr;
    b->allocated1 = 0;
    b->allocated2 = 0;
    set_allocated_extents(b, 0, 0);
}

}  // namespace h2

extern "C" {

int alloc_probdata(int N, int NI) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr) {
        report("alloc_probdata: Can't get bdLocals\n");
        return -1;
    }
    // Allocating over an existing set would lose every array it holds.
    if (h2::has_any_array(b)) {
        report("alloc_probdata: data already allocated, free it first\n");
        return -3;
    }
    set_dump_name("bestxn.dump");
    b->elem_count = N;
    h2::set_allocated_extents(b, N, NI);
    b->allocated1 = 0;

    for (const auto& f : kFields)
        if (h2::is_element_array(f.kind)) element_array(b, f) = alloc_elem_array(b, N);
    bool slots_complete = true;
    for (auto& slot : b->LossSlots) {
        slot = N >= 0 ? static_cast<LossEntry*>(
                            std::calloc(N > 0 ? static_cast<std::size_t>(N) : 1u, sizeof(LossEntry)))
                      : nullptr;
        slots_complete = slots_complete && slot != nullptr;
    }
    if (b->allocated1 != H2_COUNT_PARAM1) {
        report("alloc_probdata: allocated1 != COUNT_PARAM1\n");
        return 1;
    }

    const int kept = b->allocated1;
    b->allocated2 = 0;
    for (const auto& f : kFields)
        if (h2::is_row_array(f.kind)) row_table(b, f) = alloc_elem_matrix(b, N, NI);
    if (b->allocated2 != H2_COUNT_PARAM2) {
        report("alloc_probdata: allocated2 != COUNT_PARAM1\n");
        return 2;
    }
    b->allocated1 = kept;

    // The streamline builder uses NI rows of ns*10+1 points; the block has room
    // for NI*10 rows of N*10+1 points.
    const long long records = static_cast<long long>(NI) * kGridPointsPerElement *
                              (static_cast<long long>(N) * kGridPointsPerElement + 1);
    b->stream_grid = static_cast<Point2*>(
        std::calloc(records > 0 ? static_cast<std::size_t>(records) : 1u, sizeof(Point2)));
    if (!slots_complete || b->stream_grid == nullptr) {
        report("alloc_probdata: can't allocate loss slots or streamline grid\n");
        return 3;
    }
    return 0;
}

int free_probdata(void) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr) {
        report("free_probdata: Can't get bdLocals\n");
        return -1;
    }
    if (b->elem_stagType == nullptr) {
        report("free_probdata: empty data\n");
        return -2;
    }
    for (const auto& f : kFields)
        if (h2::is_element_array(f.kind)) free_elem_array(b, element_array(b, f));
    for (auto& slot : b->LossSlots) {
        std::free(slot);
        slot = nullptr;
    }
    if (b->allocated1 != 0) {
        report("free_probdata: allocated1 != 0\n");
        return 1;
    }
    for (const auto& f : kFields)
        if (h2::is_row_array(f.kind)) free_elem_matrix(b, row_table(b, f));
    if (b->allocated2 != 0) {
        report("free_probdata: allocated2 != 0\n");
        return 2;
    }
    std::free(b->stream_grid);
    b->stream_grid = nullptr;
    h2::set_allocated_extents(b, 0, 0);
    return 0;
}
}
