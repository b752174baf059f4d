// Default values of a module's prerequisite block: the empirical ratios,
// coefficients, counts and switches its generator and element generators read.
// Slots without a default are left to the host and to composition.
#include <array>

#include "halvorine2/predesign.h"
#include "halvorine2/threading.h"
#include "solver/predesign/predesign_tables.h"

namespace {

using h2::predesign::kPrereqSlots;

struct Default {
    bool set;
    double value;
};
constexpr Default v(double x) { return {true, x}; }
constexpr Default kKeep{false, 0.0};

// Slot by slot, ten a row.
// clang-format off
constexpr std::array<Default, kPrereqSlots> kDefaults{{
    // 0-9: axial module generators, turbine rows
    v(-1.0), v(1.0), v(0.01), v(6.0), v(0.65), v(0.75), v(0.7), v(0.05), v(0.01), v(0.5),
    // 10-19
    v(0.3), v(0.002), v(2.0), v(10.0), v(100.0), v(0.2), v(0.1), v(0.3), v(1.25), v(0.001),
    // 20-29: 24-29 host and composition (28, 29 the row modes)
    v(0.001), v(0.05), v(1.0), v(1.0), kKeep, kKeep, kKeep, kKeep, kKeep, kKeep,
    // 30-39: compressor and fan rows (34: pitch per chord of a fan or guide
    // row that has none, a solidity of 1.25 as fan rotors are laid out)
    v(1.0), v(0.01), v(6.0), v(0.3), v(0.8), v(0.5), v(0.05), v(0.45), v(0.01), kKeep,
    // 40-49
    kKeep, kKeep, v(10.0), v(5.0), v(2.0), v(5.0), v(0.0005), v(0.002), v(0.9), v(-1.0),
    // 50-59: 51-79 the radial turbine and its inlet volute
    v(1.0), v(0.01), v(6.0), v(0.65), v(0.1), v(0.02), v(0.02), v(0.5), v(1.5), v(0.75),
    // 60-69
    v(0.3), v(0.05), v(0.01), v(0.5), v(1.0), v(0.05), v(0.000001), v(10.0), v(1.5), v(0.002),
    // 70-79
    kKeep, kKeep, v(5.0), v(5.0), v(16.0), v(1.25), v(0.001), v(2.0), v(1.0), v(0.0),
    // 80-89: impeller, then the vaneless diffuser
    v(6.0), v(0.01), v(1.0), v(0.04), v(0.01), v(0.01), v(0.4), v(3.0), v(0.78), v(1.6),
    // 90-99: vaned diffuser
    v(1.0), v(6.0), v(1.05), v(1.0), v(1.4), v(1.0), kKeep, v(10.0), v(3.0), v(0.01),
    // 100-109: U-bend, L-bends, deswirler
    v(0.01), v(6.0), v(2.0), kKeep, v(6.0), v(2.0), v(6.0), v(2.0), v(6.0), v(0.4),
    // 110-119
    v(3.0), v(2.0), v(0.0), v(0.05), v(0.01), v(0.01), v(0.8), v(0.9), v(0.9), v(0.9),
    // 120-124: velocity coefficients of the stage elements
    v(0.9), v(0.9), v(0.8), v(0.8), v(0.7),
}};
// clang-format on

}  // namespace

extern "C" {

int PD_default_prereq(void) {
    double* block = h2::predesign::case_prereq(get_bdLocals());
    if (block == nullptr) return 0;
    for (int k = 0; k < kPrereqSlots; ++k)
        if (kDefaults[k].set) block[k] = kDefaults[k].value;
    return 0;
}
}
