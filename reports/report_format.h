// Output helpers shared by the result reports and the flow files: values made
// printable the same way everywhere, the one truncation of doubles into
// integer columns, the span mean of a streamline row, and the rules.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "case/walkers_internal.h"
#include "halvorine2/console.h"
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

// Console colours of the reports (the mask keeps the background).
inline constexpr std::uint16_t kColourMask = 240;
inline constexpr std::uint16_t kBrightWhite = 15;  // headings and table headers
inline constexpr std::uint16_t kGreen = 10;        // rules and banners
inline constexpr std::uint16_t kGrey = 7;          // the dash rules

// A heading or table header printed in a console colour: the colour is set
// for the object's lifetime, then the default comes back.
class Coloured {
public:
    explicit Coloured(std::uint16_t colour) { SetConColor(colour, kColourMask); }
    ~Coloured() { SetConDefColor(); }
    Coloured(const Coloured&) = delete;
    Coloured& operator=(const Coloured&) = delete;
};

// One-letter mark of element i's kind in the first column of a report row:
// blank for the inlet, "s" stator, "r" rotor, "v" vaneless diffuser, "i" and
// "o" inlet and outlet volute, "U" U-bend, "d" deswirler, "x" heat exchanger,
// "L" the L-bends; empty for ducts and anything else.
inline const char* station_letter(const bdLocals& c, int i) {
    if (i == 0) return " ";
    if (is_stator(c, i)) return "s";
    if (is_rotor(c, i)) return "r";
    const double k = c.elem_stagType[i];
    if (k == kVanelessDiffuser) return "v";
    if (k == kInletVolute) return "i";
    if (k == kOutletVolute) return "o";
    if (k == kUBend) return "U";
    if (k == kDeswirler) return "d";
    if (k == 8.0) return "x";
    if (k >= kFirstLBend && k <= 12.0) return "L";
    return "";
}

// A cooled path whose cooling flows carry less heat than this (W) counts as
// uncooled in the cooling efficiencies and their table.
inline constexpr double kNoCoolingHeat = 1e-8;

// The marks that begin row j of element i in a table by elements and
// streamlines: element letter and number alone on one streamline; else the
// streamline number too on the marked streamline jm and the streamline number
// alone on the others.
inline void put_station_marks(std::FILE* f, const bdLocals& c, int i, int j, int NI, int jm) {
    if (NI == 1)
        std::fprintf(f, "%1s%-3d ", station_letter(c, i), i);
    else if (j == jm)
        std::fprintf(f, "%1s%-3d%-4d ", station_letter(c, i), i, j);
    else
        std::fprintf(f, "%-4s%-4d ", " ", j);
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
