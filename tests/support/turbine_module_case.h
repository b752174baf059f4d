// A turbine module model for the generator tests: perfect-gas air (R 287.5,
// k 1.4) from 4 bar and 1000 K, 3 kg/s at 3000 rad/s into 1.2 bar, and a
// module record of Gflag 2, Dflag 0, D 0.2, alpha1 14 degrees, HT 0.6 and
// R 0.15. Hand numbers: q = (tan 14 omega D (1 - R) / 0.98)^2 and
// H0 = i0 (1 - (p2/p0)^(1/3.5)).
#pragma once

#include <cmath>

#include "tests/support/centrifugal_case.h"
#include "tests/support/test_fluid.h"

namespace h2::test {

inline constexpr double kPi = 3.14159265;
inline constexpr double kDeg = 0.01745329;
inline constexpr double kGas = 287.5;
inline constexpr double kT0 = 1000.0, kInI0 = kCp * kT0, kInP0 = 4e5, kFlow = 3.0, kSpeed = 3000.0;
inline constexpr double kD = 0.2, kAlpha = 14.0, kHT = 0.6, kR = 0.15, kP2 = 1.2e5;

inline const double kQ = std::pow(std::tan(kAlpha * kDeg) * kSpeed * kD * (1.0 - kR) / 0.98, 2.0);
inline const double kH0 = kInI0 * (1.0 - std::pow(kP2 / kInP0, 1.0 / kIsentropicPower));

inline double fluid(int code, double a, double b) { return test_fluid_func(code, a, b, 0.0, 0); }

class TurbineModuleTest : public CentrifugalCaseTest {
protected:
    // Module 0's model sized for `capacity` stages; record 0 the TURB_AXIAL
    // of the hand numbers with stage limits 1..10 and diameter limits that
    // pass. cyld__VART 55 stops the closing solve (13): the layout is read.
    void model(int capacity = 10, double p2 = kP2) {
        if (block()->elem_stagType != nullptr) {
            ASSERT_EQ(free_probdata(), 0);
        }
        make_path(2 * capacity, {});
        bdLocals& b = *block();
        b.elem_i0[0] = kInI0;
        b.elem_p0[0] = kInP0;
        b.elem_G1[0] = b.elem_G2[0] = kFlow;
        b.bld_wp[0] = kSpeed;
        b.cyld_p2n = p2;
        b.cyld_VART = 55;
        b.IGM = 20;
        b.cyld_ns = 0;
        for (int i = 0; i <= 2 * capacity; ++i) b.elem_moduleType[i] = 0.0;
        PD_module& r = record(0);
        r = PD_module{};
        r.type = TURB_AXIAL;
        r.Gflag = 2;
        r.Dflag = 0;
        r.PD_SRC_G = kFlow;
        r.PD_VAL[PD_VAR_OM] = kSpeed;
        r.PD_VAL[PD_VAR_D] = kD;
        r.PD_VAL[PD_VAR_CZ] = kAlpha;
        r.PD_VAL[PD_VAR_HT] = kHT;
        r.PD_VAL[PD_VAR_R] = kR;
        r.PD_VAL[PD_VAR_PA] = 1.0;
        r.PD_VAL[PD_VAR_KZ] = 1.0;
        r.PD_VAL[PD_VAR_KH] = 1.0;
        r.PD_VAL[PD_VAR_KU] = 7.0;
        r.PD_VAR_lower[PD_VAR_KU] = 0.0;
        r.PD_LIM_lower[PD_LIM_STG] = 1.0;
        r.PD_LIM_upper[PD_LIM_STG] = 10.0;
        r.PD_LIM_upper[PD_LIM_DH] = r.PD_LIM_upper[PD_LIM_DS] = 10.0;
    }
};

}  // namespace h2::test
