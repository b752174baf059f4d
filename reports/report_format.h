// Output helpers shared by the result reports and the flow files: values made
// printable the same way everywhere, the one truncation of doubles into
// integer columns, the span mean of a streamline row, and the rules.
#pragma once

#include <cmath>
#include <cstdio>

#include "halvorine2/units.h"
#include "numerics/one_dim.h"

namespace h2 {

// glibc prints a NaN with its sign bit set as "-nan"; every NaN prints "nan".
// Infinities keep their sign ("inf", "-inf").
inline double printable(double value) { return std::isnan(value) ? std::copysign(value, 1.0) : value; }

// A data value converted into the view unit of its group, ready to print.
inline double view(double value, int group) { return printable(unitsToView(value, group)); }

// A temperature held in kelvin, shown in the view unit of temperatures (which
// converts from degrees Celsius).
inline double view_temperature(double kelvin) { return view(kelvin - 273.15, H2_UNIT_TEMPERATURE); }

// A stored double shown in an integer column: truncated toward zero; NaN and
// values outside int give 0 rather than an undefined conversion.
inline int truncated_int(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) return 0;
    return static_cast<int>(value);
}

// Span mean of the row X[i] over nr equally spaced streamlines by the
// trapezoid rule (end streamlines with half weight); the value of streamline r
// when (nr - 1) * zag is 0 (one streamline, or no stream-tube step).
inline double span_mean(double* const* X, int i, int r, int nr, double zag) {
    const double span = (nr - 1) * zag;
    if (span == 0.0) return X[i][r];
    return trapezoid_sum(nr - 1, zag, X[i]) / span;
}

inline constexpr int kRuleWidth = 159;

// A rule of 159 characters c and a line break.
inline void put_rule(std::FILE* f, char c) {
    char line[kRuleWidth + 1];
    for (int k = 0; k < kRuleWidth; ++k) line[k] = c;
    line[kRuleWidth] = '\0';
    std::fprintf(f, "%s\n", line);
}

}  // namespace h2
