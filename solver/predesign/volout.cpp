// The volute record: allocation and release of its three point tables.
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

Point3** alloc_table(long long rows, long long points) {
    if (rows <= 0 || points <= 0) return nullptr;
    auto** table = static_cast<Point3**>(std::calloc(static_cast<std::size_t>(rows), sizeof(Point3*)));
    if (table == nullptr) return nullptr;
    for (long long r = 0; r < rows; ++r)
        table[r] = static_cast<Point3*>(std::calloc(static_cast<std::size_t>(points), sizeof(Point3)));
    return table;
}

void free_table(Point3** table, long long rows) {
    if (table == nullptr) return;
    for (long long r = 0; r < rows; ++r) std::free(table[r]);
    std::free(table);
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
    rec->A = alloc_table(rows, points);
    rec->B = alloc_table(rows, points);
    rec->C = alloc_table(rows, points);
    return rec;
}

int VoloutTerm(Volout* rec) {
    if (rec == nullptr) return 0;
    const long long rows = table_rows(rec->n);
    free_table(rec->A, rows);
    free_table(rec->B, rows);
    free_table(rec->C, rows);
    std::free(rec);
    return 0;
}
}
