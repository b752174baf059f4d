// Checks at the two ends of a solve: input the iteration cannot start from
// (refused before any iteration), and a solved state that holds a value that
// is no finite number (refused instead of being reported as a solution).
#include "solver/solved_state_check.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <utility>

#include "case/case_fields.h"
#include "case/output_internal.h"
#include "solver/solver_conventions.h"

namespace h2 {
namespace {

// A checked field: its key and its offset in the block.
struct Checked {
    std::string_view key;
    std::size_t offset;
};

// The offsets of the keys, found at compile time (a key that is not in the
// field list does not compile).
template <std::size_t N>
constexpr std::array<Checked, N> resolve(const std::string_view (&keys)[N]) {
    std::array<Checked, N> out{};
    for (std::size_t k = 0; k < N; ++k) {
        bool found = false;
        for (const auto& f : kFields)
            if (f.key != nullptr && keys[k] == f.key) {
                out[k] = {keys[k], f.offset};
                found = true;
            }
        if (!found) throw "no such key";
    }
    return out;
}

// The solved flow state and the geometry the solve used, by parameter key:
// per element and streamline, then per element.
constexpr std::string_view kStateRowKeys[] = {
    "flow__r1",  "flow__c1", "flow__c1z", "flow__c1u", "flow__w1", "flow__r2", "flow__c2", "flow__c2z",
    "flow__c2u", "flow__w2", "isd__p1",   "isd__p1x",  "isd__i1",  "isd__i1x", "isd__s1",  "isd__Ro1",
    "isd__T1",   "isd__p2",  "isd__p2x",  "isd__i2",   "isd__i2x", "isd__s2",  "isd__Ro2", "isd__T2",
    "cas__b",    "cas__bx",  "cas__t",    "cas__tgz",  "prof__F",
};
constexpr std::string_view kStateElementKeys[] = {
    "elem__G1", "elem__G2", "bld__d1", "bld__l1", "bld__d2", "bld__l2", "elem__R", "elem__Rh", "elem__Rt",
};
constexpr auto kStateRows = resolve(kStateRowKeys);
constexpr auto kStateElements = resolve(kStateElementKeys);

// What the reports derive from the sections after the solve: a section's
// area grows with its chord squared, a row's blade volume with that area, its
// height and blade count, the blade mass with the volume. A finite chord whose
// square overflows ended a solve with 0 and a report of infinite volumes.
std::string non_finite_derived(const bdLocals& b) {
    if (b.cas_b == nullptr || b.bld_l1 == nullptr || b.bld_l2 == nullptr || b.bld_z == nullptr ||
        b.strs_g_b == nullptr)
        return {};
    const int m = b.cyld_nr / 2;
    for (int i = 0; i <= b.cyld_ns; ++i) {
        if (b.cas_b[i] == nullptr) continue;
        for (int j = 0; j < b.cyld_nr; ++j) {
            const double area = b.cas_b[i][j] * b.cas_b[i][j];
            if (!std::isfinite(area))
                return format_text("the section area (cas__b squared) of element %d, streamline %d, is %g", i,
                                   j, area);
        }
        const double volume = (b.bld_l1[i] + b.bld_l2[i]) / 2.0 * b.cas_b[i][m] * b.cas_b[i][m] * b.bld_z[i];
        if (!std::isfinite(volume)) return format_text("the blade volume of element %d is %g", i, volume);
        const double mass = volume * b.strs_g_b[i];
        if (!std::isfinite(mass)) return format_text("the blade mass of element %d is %g", i, mass);
    }
    return {};
}

}  // namespace

std::string non_finite_result(bdLocals& b) {
    const int ns = b.cyld_ns;
    const int nr = b.cyld_nr;
    for (const auto& [key, offset] : kStateRows) {
        double** rows = *field_at<double**>(&b, offset);
        if (rows == nullptr) continue;
        for (int i = 0; i <= ns; ++i) {
            if (rows[i] == nullptr) continue;
            for (int j = 0; j < nr; ++j)
                if (!std::isfinite(rows[i][j]))
                    return format_text("%s of element %d, streamline %d, is %g", key.data(), i, j,
                                       rows[i][j]);
        }
    }
    for (const auto& [key, offset] : kStateElements) {
        const double* values = *field_at<double*>(&b, offset);
        if (values == nullptr) continue;
        for (int i = 0; i <= ns; ++i)
            if (!std::isfinite(values[i]))
                return format_text("%s of element %d is %g", key.data(), i, values[i]);
    }
    return non_finite_derived(b);
}

std::string unsolvable_input(const bdLocals& b) {
    // A flow path is solved for a positive mass flow; zero or less gave a
    // march that ended in "G2 > Gmax" or NaN with no word on the cause.
    if (!(b.elem_G1[0] > 0.0))
        return format_text("element 0: the mass flow elem__G1 is %g; it must be positive", b.elem_G1[0]);
    // A design task sizes its rows in the regeneration passes: diameters,
    // heights and blade counts may be unset until the first pass. A task
    // without a handler solves nothing and ends with its own code.
    if (!direct_task(b.cyld_VART) && !inverse_task(b.cyld_VART)) return {};
    for (int i = 0; i <= b.cyld_ns; ++i) {
        // Volutes with angular sections carry their size in the volute fields.
        if (b.elem_sectType[i] != kSectAngular) {
            for (const auto& [key, v] :
                 {std::pair{"bld__d2", b.bld_d2[i]}, std::pair{"bld__l2", b.bld_l2[i]}})
                if (!(v > 0.0))
                    return format_text("element %d: %s is %g; a diameter or height must be positive", i, key,
                                       v);
        }
        // An axial section spans from its hub to its tip; a hub of no radius
        // ran into an infinite hub reaction or a NaN accuracy.
        if (b.elem_sectType[i] == kSectAxial && !(b.bld_d2[i] - b.bld_l2[i] > 0.0))
            return format_text("element %d: the hub diameter bld__d2 - bld__l2 is %g; it must be positive", i,
                               b.bld_d2[i] - b.bld_l2[i]);
        if (b.elem_stagType[i] == kKindBlade && !(b.bld_z[i] >= 1.0))
            return format_text(
                "element %d: the blade count bld__z is %g; a blade row needs at least one blade", i,
                b.bld_z[i]);
    }
    return {};
}

}  // namespace h2
