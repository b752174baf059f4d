// The shipped example stage (inlet, stator, rotor, task 10) loaded into the
// current case, as a host loads it or without losses and solved on the mean
// line: the perfect-gas test fluid, no loss, deviation or leakage models,
// velocity coefficient 1 on the middle streamline. No printing either way.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "halvorine2/halvorine2.h"
#include "tests/support/test_fluid.h"

namespace h2::test {

inline std::filesystem::path examples_dir() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "examples";
}

// A shipped example (file name in examples/) as a host loads it, plug-ins and
// loss models and all, into the current case, with printing off.
inline ::testing::AssertionResult load_example(const char* file) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr) return ::testing::AssertionFailure() << "no current case";
    std::snprintf(b->ModelBase, sizeof b->ModelBase, "%s", H2_PLUGIN_DIR);
    const std::filesystem::path example = examples_dir() / file;
    if (load_data(example.string().c_str()) != 0)
        return ::testing::AssertionFailure() << "cannot load " << example;
    b->IPP = 0;
    b->IPI = 0;
    b->IPO = 0;
    return ::testing::AssertionSuccess();
}

// The shipped air turbine stage.
inline ::testing::AssertionResult load_example_stage() { return load_example("air_turbine_stage.dat"); }

inline ::testing::AssertionResult load_loss_free_example_stage() {
    if (::testing::AssertionResult loaded = load_example_stage(); !loaded) return loaded;
    bdLocals* b = get_bdLocals();
    install_test_fluid(b);
    for (LossEntry* slot : b->LossSlots)
        if (slot != nullptr)
            for (int i = 0; i <= b->cyld_ns; ++i) slot[i] = nullptr;
    const int m = b->cyld_nr / 2;
    for (int i = 0; i <= b->cyld_ns; ++i) b->los_Los[i][m] = 1.0;
    b->cyld_force1D = 1;
    return ::testing::AssertionSuccess();
}

}  // namespace h2::test
