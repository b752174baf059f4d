// Elastic modulus and allowable stresses of a blade row from the material
// curves of the case: five tables (modulus, then four allowables) of one
// record per element.
#include "blades/material.h"

#include <algorithm>

#include "blades/row_access.h"
#include "numerics/one_dim.h"

namespace {

constexpr int kRecords = 100;  // records per table: elements 0..99
constexpr int kMaxPoints = 20;

enum Table { kModulus = 0, kAllowable1, kAllowable2, kAllowable3, kAllowable4 };

// Defaults of a row without a curve.
constexpr double kDefaultModulus = 2e11;
constexpr double kDefaultRotor[5] = {kDefaultModulus, 3e8, 3e8, 3e7, 3e7};
constexpr double kDefaultStator[5] = {kDefaultModulus, 0.0, 0.0, 3e8, 3e8};

// Value of table k for the row at T: the curve scaled by its factor (the
// modulus table unscaled), or the default. A row past the records, a count
// of 0 or below, takes the default; a count above the record's room reads
// the points there are.
double table_value(const bdLocals& b, int k, int row, double T, double fallback) {
    if (row >= kRecords) return fallback;
    const MatCurveRecord& rec = b.MatCurve[k][row];
    if (rec.count <= 0) return fallback;
    const int n = std::min(rec.count, kMaxPoints);
    const double v = h2::interp1(n, rec.temperature, rec.value, T);
    return k == kModulus ? v : v * rec.factor;
}

}  // namespace

extern "C" {

int strs_material(int row, double T) {
    bdLocals* bp = h2::blades::row_case(row);
    if (bp == nullptr || !h2::is_blade_row(*bp, row)) return 1;
    bdLocals& b = *bp;
    b.strs_tm[row] = T;
    if (b.bld_z[row] == 0.0) return 0;
    if (b.bld_wp[row] != 0.0) {
        const double* d = kDefaultRotor;
        b.strs_mu[row] = table_value(b, kModulus, row, T, d[kModulus]);
        b.strs_dstr[row] = table_value(b, kAllowable1, row, T, d[kAllowable1]);
        b.strs_dstr_t[row] = table_value(b, kAllowable2, row, T, d[kAllowable2]);
        b.strs_dsti[row] = table_value(b, kAllowable3, row, T, d[kAllowable3]);
        b.strs_dsti_t[row] = table_value(b, kAllowable4, row, T, d[kAllowable4]);
    } else {
        const double* d = kDefaultStator;
        b.strs_mu[row] = table_value(b, kModulus, row, T, d[kModulus]);
        b.strs_dl[row] = table_value(b, kAllowable3, row, T, d[kAllowable3]);
        b.strs_dt[row] = table_value(b, kAllowable4, row, T, d[kAllowable4]);
    }
    return 0;
}
}
