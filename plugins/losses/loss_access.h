// What every stand-in loss model shares: guarded access to the case block,
// the fluid function, the description text and the initialiser.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "halvorine2/loss_plugin.h"

// The element family a model library is built for (LossFamily), and for the
// tip-leakage model whether it serves a compressor; set by the build.
#ifndef H2_LOSS_FAMILY
#define H2_LOSS_FAMILY 0
#endif

namespace h2::losses {

inline constexpr LossFamily kFamily = static_cast<LossFamily>(H2_LOSS_FAMILY);

// A fluid-property result above this is a failure value.
inline constexpr double kFluidFailure = 1e19;

// FluidCode values the models ask for.
inline constexpr int kDensity = 2;     // (p, i)
inline constexpr int kKappa = 5;       // (p, i, constant)
inline constexpr int kViscosity = 24;  // (p, i) kinematic viscosity
inline constexpr int kMainFluid = 0;

inline double finite_or(double v, double fallback) { return std::isfinite(v) ? v : fallback; }

// A fluid property, or not a number when the case has no fluid function, the
// state is not a state, or the function answers with a failure value.
inline double fluid_value(const bdLocals* b, int code, double p, double i, double c = 0.0) {
    if (b == nullptr || b->fluid_func == nullptr) return NAN;
    if (!(p > 0.0) || !std::isfinite(p) || !std::isfinite(i) || !std::isfinite(c)) return NAN;
    const double r = b->fluid_func(code, p, i, c, kMainFluid);
    return std::isfinite(r) && std::fabs(r) < kFluidFailure ? r : NAN;
}

// One element of a case: every read gives 0 where the array, the row or the
// index is missing, and writes go only where the memory exists. Values read
// that are not finite count as 0, so that a model never passes them on.
class Element {
public:
    Element(bdLocals* b, int i) : b_(b), i_(i), ok_(h2_loss_element_ok(b, i) != 0) {}

    bool ok() const { return ok_; }
    bdLocals* block() const { return b_; }
    int index() const { return i_; }

    double get(double* bdLocals::*array) const { return ok_ ? read(b_->*array, i_) : 0.0; }
    void put(double* bdLocals::*array, double v) const {
        if (ok_ && b_->*array != nullptr) (b_->*array)[i_] = finite_or(v, 0.0);
    }
    // A per-element value of another element k of the same case.
    double get_of(double* bdLocals::*array, int k) const {
        return ok_ && h2_loss_element_ok(b_, k) ? read(b_->*array, k) : 0.0;
    }
    // A per-section value of this element at section j.
    double at(double** bdLocals::*table, int j) const { return at_of(table, i_, j); }
    double at_of(double** bdLocals::*table, int k, int j) const {
        if (!ok_ || !h2_loss_section_ok(b_, k, j)) return 0.0;
        double** rows = b_->*table;
        return rows != nullptr ? read(rows[k], j) : 0.0;
    }
    // The hub and tip sections, 0 and cyld__nr - 1, kept inside the rows.
    int hub() const { return 0; }
    int tip() const {
        if (!ok_) return 0;
        const int last = std::min<int>(b_->cyld_nr, b_->alloc_streams) - 1;
        return std::max(last, 0);
    }

private:
    static double read(const double* a, int k) { return a != nullptr ? finite_or(a[k], 0.0) : 0.0; }

    bdLocals* b_;
    int i_;
    bool ok_;
};

// One section of one element.
class Section : public Element {
public:
    Section(bdLocals* b, int i, int j)
        : Element(b, i), j_(j), section_ok_(h2_loss_section_ok(b, i, j) != 0) {}

    bool ok() const { return section_ok_; }
    int section() const { return j_; }

    double get(double** bdLocals::*table) const { return section_ok_ ? at(table, j_) : 0.0; }
    void put(double** bdLocals::*table, double v) const {
        if (!section_ok_) return;
        double** rows = block()->*table;
        if (rows != nullptr && rows[index()] != nullptr) rows[index()][j_] = finite_or(v, 0.0);
    }
    using Element::get;
    using Element::put;

private:
    int j_;
    bool section_ok_;
};

// Writes a model's description into the host's buffer: at most `size`
// characters, never more than the buffer the host promises, always ended.
inline void write_note(int size, char* buffer, const char* text) {
    if (buffer == nullptr || size <= 0) return;
    std::snprintf(buffer, static_cast<std::size_t>(std::min(size, H2_LOSS_NOTE_SIZE)), "%s", text);
}

}  // namespace h2::losses

// Defines the initialiser `entry` that installs `calc` and `note` in
// calculation slot `slot` of the element it is handed.
#define H2_LOSS_MODEL_ENTRY(entry, slot, calc, note)                             \
    H2_LOSS_PLUGIN_API void entry(bdLocals* block, int element) {                \
        h2_loss_install(block, slot, element, reinterpret_cast<LossEntry>(calc), \
                        reinterpret_cast<LossEntry>(note));                      \
    }
