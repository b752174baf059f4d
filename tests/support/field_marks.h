// A case's arrays reached through the field table, and the marked values that
// tell copies and merges where each number came from.
#pragma once

#include "case/case_fields.h"
#include "halvorine2/halvorine2.h"

namespace h2::test {

inline double*& element_array(bdLocals* b, const h2::FieldInfo& f) {
    return *h2::field_at<double*>(b, f.offset);
}
inline double**& row_table(bdLocals* b, const h2::FieldInfo& f) {
    return *h2::field_at<double**>(b, f.offset);
}

// A value that names the case (seed), the field, the element and the streamline.
inline double mark(int seed, int field, int i, int j = 0) { return seed * 1e8 + field * 1e4 + i * 100 + j; }

}  // namespace h2::test
