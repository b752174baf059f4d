// A flow path prepared for the mean-line element solvers: the perfect-gas
// test fluid (or another property function), unit area factors and
// coefficients, axial sections whose streamlines run axially, and closed forms
// of the perfect gas to check the solvers against.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/loss_plugin.h"
#include "tests/support/flow_path.h"

namespace h2::test {

// Closed forms of the perfect test gas (R 287.5, k 1.4, cp 1006.25, h = cp T).
struct PerfectGas {
    double R = 287.5;
    double k = 1.4;
    double cp() const { return k * R / (k - 1.0); }
    // Static pressure at enthalpy h on the isentrope through (p0, h0).
    double isentropic_p(double p0, double h0, double h) const { return p0 * std::pow(h / h0, k / (k - 1.0)); }
    double density(double p, double h) const { return p / (R * h / cp()); }
};

// A liquid without entropy: constant density, enthalpy p / rho. Every solver
// takes its incompressible branch with it.
inline constexpr double kLiquidDensity = 1000.0;
inline double liquid_func(int code, double a, double b, double, int) {
    switch (code) {
        case 2:
            return kLiquidDensity;
        case 3:
            return 0.0;
        case 8:  // p from (i, s)
            return kLiquidDensity * a;
        case 9:  // i from (p, s)
            return a / kLiquidDensity;
        case 82:
            return kLiquidDensity * b;
        default:
            return 0.0;
    }
}

// Every property call the solvers make, in order.
struct FluidCall {
    int code;
    double a, b, c;
    int which;
};
inline std::vector<FluidCall>& fluid_calls() {
    thread_local std::vector<FluidCall> calls;
    return calls;
}
inline double recording_gas_func(int code, double a, double b, double c, int which) {
    fluid_calls().push_back({code, a, b, c, which});
    return test_fluid_func(code, a, b, c, which);
}

// Letters of the loss, deviation and blockage models called, in order.
inline std::string& model_calls() {
    thread_local std::string calls;
    return calls;
}
template <int Slot>
void recording_model(bdLocals*, int, int) {
    model_calls() += H2_LOSS_LETTERS[Slot];
}

class MeanlineTest : public CaseTest {
protected:
    void TearDown() override {
        if (block()->elem_stagType != nullptr) free_probdata();
        CaseTest::TearDown();
    }

    // The path of the given elements on nr streamlines, every element with
    // unit factors (los__Fp, elem__Pa, velocity coefficient) and a streamline
    // slope of zero (cosT2 1), no swirl at the inlet (B1 90).
    void make(std::initializer_list<Elem> elems, int nr) {
        if (block()->elem_stagType != nullptr) free_probdata();
        ASSERT_NO_FATAL_FAILURE(make_flow_path(elems, nr));
        b = block();
        model_calls().clear();
        fluid_calls().clear();
        for (int i = 0; i <= b->cyld_ns; ++i) {
            b->elem_Pa[i] = 1.0;
            for (int j = 0; j < nr; ++j) {
                b->los_Fp[i][j] = 1.0;
                b->los_Los[i][j] = 1.0;
                b->cas_cosT2[i][j] = 1.0;
                b->cas_sinT2[i][j] = 0.0;
                b->cas_B1[i][j] = 90.0;
            }
        }
    }

    // Installs the recording models in every calculation slot of element i,
    // all switched on.
    void record_models(int i) {
        constexpr LossCalcFunc kModels[H2_LOSS_CALC_SLOTS] = {
            recording_model<0>, recording_model<1>, recording_model<2>, recording_model<3>,
            recording_model<4>, recording_model<5>, recording_model<6>, recording_model<7>};
        double* switches[] = {b->elem_MethodD, b->elem_MethodR, b->elem_MethodZ, b->elem_MethodP,
                              b->elem_MethodS, b->elem_MethodN, b->elem_MethodV, b->elem_MethodB};
        for (int slot = 0; slot < H2_LOSS_CALC_SLOTS; ++slot) {
            switches[slot][i] = 1.0;
            b->LossSlots[slot][i] = reinterpret_cast<LossEntry>(kModels[slot]);
        }
    }

    // Inlet totals of element i at streamline j, with the inlet entropy.
    void inlet_totals(int i, int j, double p0, double T0) {
        const double h0 = gas.cp() * T0;
        b->isd_p1x[i][j] = p0;
        b->isd_p1wx[i][j] = p0;
        b->isd_i1x[i][j] = h0;
        b->isd_i1wx[i][j] = h0;
        b->isd_s1[i][j] = b->fluid_func(H2_FLUID_S_PI, p0, h0, 0.0, 0);
    }

    // The liquid as the fluid, element i's inlet at rest at the total pressure p0.
    void liquid_inlet(int i, int j, double p0) {
        b->fluid_func = liquid_func;
        b->isd_i1x[i][j] = p0 / kLiquidDensity;
        b->isd_s1[i][j] = 0.0;
        b->isd_Ro1[i][j] = kLiquidDensity;
    }

    PerfectGas gas;
    bdLocals* b = nullptr;
};

}  // namespace h2::test
