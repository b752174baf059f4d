// The volute record: allocation, copy and release of its three point tables.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "halvorine2/volute.h"

namespace {

// Spare rows and points beyond the counts asked for: the geometry forms write
// a few stations and contour points past n and m.
constexpr int kSpareRows = 100;
constexpr int kSparePoints = 10;

// Row and point counts of a table, computed wide so that a huge n or m fails
// the allocation instead of overflowing.
long long table_rows(int n) { return static_cast<long long>(n) + kSpareRows; }
long long table_points(int m) { return static_cast<long long>(m) + kSparePoints; }

void free_table(Point3** table, long long rows) {
    if (table == nullptr) return;
    for (long long r = 0; r < rows; ++r) std::free(table[r]);
    std::free(table);
}

// A table whose every row exists, or NULL: a design writes into every row it
// fills, so a table with a missing row would be written through NULL.
Point3** alloc_table(long long rows, long long points) {
    if (rows <= 0 || points <= 0) return nullptr;
    auto** table = static_cast<Point3**>(std::calloc(static_cast<std::size_t>(rows), sizeof(Point3*)));
    if (table == nullptr) return nullptr;
    for (long long r = 0; r < rows; ++r) {
        table[r] = static_cast<Point3*>(std::calloc(static_cast<std::size_t>(points), sizeof(Point3)));
        if (table[r] == nullptr) {
            free_table(table, r);
            return nullptr;
        }
    }
    return table;
}

// Copies rows 0..*rows and points 0..*points (inclusive) of a table into the
// same places of another with the same extents. Used extents beyond the table
// (n+100 rows of m+10 points) are clamped to it, and the copy's extents say
// what it really holds: copying them as they stand would read and write past
// the rows. Missing tables or rows are skipped.
void copy_table(Point3** to, Point3* const* from, int32_t* rows, int32_t* points, long long table_rows,
                long long table_points) {
    *rows = static_cast<int32_t>(std::min<long long>(*rows, table_rows - 1));
    *points = static_cast<int32_t>(std::min<long long>(*points, table_points - 1));
    if (to == nullptr || from == nullptr) return;
    for (int32_t r = 0; r <= *rows; ++r) {
        if (to[r] == nullptr || from[r] == nullptr) continue;
        std::copy_n(from[r], std::max(*points + 1, 0), to[r]);
    }
}

}  // namespace

extern "C" {

Volout* VoloutInit(int form, int n, int m) {
    auto* rec = static_cast<Volout*>(std::calloc(1, sizeof(Volout)));
    if (rec == nullptr) return nullptr;
    rec->form = form;
    rec->n = n;
    rec->m = m;
    const long long rows = table_rows(n);
    const long long points = table_points(m);
    // Extents past a 32-bit count leave the tables out rather than wrap.
    if (rows > INT32_MAX || points > INT32_MAX) return rec;
    rec->alloc_rows = static_cast<int32_t>(std::max<long long>(rows, 0));
    rec->alloc_points = static_cast<int32_t>(std::max<long long>(points, 0));
    rec->A = alloc_table(rows, points);
    rec->B = alloc_table(rows, points);
    rec->C = alloc_table(rows, points);
    return rec;
}

int VoloutCopy(bdLocals* src, bdLocals* dst) {
    if (src == nullptr || dst == nullptr || src->volout == nullptr) return 1;
    const auto* from = static_cast<const Volout*>(src->volout);
    // dst's former pointer is overwritten, not released: in a whole-block copy
    // it is the source's own record.
    Volout* to = VoloutInit(from->form, from->n, from->m);
    dst->volout = to;
    if (to == nullptr) return 1;
    to->cs = from->cs;
    to->cu = from->cu;
    to->r2 = from->r2;
    to->hb2 = from->hb2;
    to->b2 = from->b2;
    to->gap = from->gap;
    // Both records' own allocations bound the copy (a host may have changed
    // the source's n or m since its tables were made).
    const long long rows = std::min(from->alloc_rows, to->alloc_rows);
    const long long points = std::min(from->alloc_points, to->alloc_points);
    to->nA = from->nA;
    to->mA = from->mA;
    copy_table(to->A, from->A, &to->nA, &to->mA, rows, points);
    to->nC = from->nC;
    to->mC = from->mC;
    copy_table(to->C, from->C, &to->nC, &to->mC, rows, points);
    to->nB = from->nB;
    to->mB = from->mB;
    copy_table(to->B, from->B, &to->nB, &to->mB, rows, points);
    return 0;
}

int VoloutTerm(Volout* rec) {
    if (rec == nullptr) return 0;
    const long long rows = rec->alloc_rows;
    free_table(rec->A, rows);
    free_table(rec->B, rows);
    free_table(rec->C, rows);
    std::free(rec);
    return 0;
}
}
