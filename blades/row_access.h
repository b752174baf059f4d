// Checked access to one blade row of the current case for the section and
// strength routines: a row they may read and write, or none.
#pragma once

#include <cmath>

#include "case/case_arrays.h"
#include "case/walkers_internal.h"
#include "halvorine2/threading.h"

namespace h2::blades {

// The current case when it has its arrays, its path fits them, it has at
// least one section and row lies on the path; else nullptr.
inline bdLocals* row_case(int row) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr || b->elem_stagType == nullptr || b->cas_b == nullptr) return nullptr;
    if (!path_fits_arrays(b) || b->cyld_nr < 1) return nullptr;
    if (row < 0 || row > b->cyld_ns) return nullptr;
    return b;
}

// The same, also requiring section to be one of the row's sections.
inline bdLocals* section_case(int row, int section) {
    bdLocals* b = row_case(row);
    return b != nullptr && section >= 0 && section < b->cyld_nr ? b : nullptr;
}

// The middle section that the single-section routines read.
inline int mid_section(const bdLocals& b) { return b.cyld_nr / 2; }

// A blade count from a real quotient: its whole part, or 0 when the quotient
// is not finite (a zero pitch), so that no infinity becomes a count. A
// quotient within parts in 1e8 of a whole number is that number: a row's
// count taken back from the pitch it gave and a solved radius that meets its
// casing to the solve's accuracy (41 blades read as 40.99999999) keeps its
// blades, where the whole part alone would drop one.
inline double whole_count(double q) {
    if (!std::isfinite(q)) return 0.0;
    constexpr double kCountTolerance = 1e-8;
    const double nearest = std::round(q);
    return std::fabs(q - nearest) <= kCountTolerance * std::fabs(q) ? nearest : std::trunc(q);
}

}  // namespace h2::blades
