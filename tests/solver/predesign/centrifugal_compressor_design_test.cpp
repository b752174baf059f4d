// The centrifugal compressor module generator: the stage count from the
// isentropic head and the head coefficient, the impeller inlets on the inlet
// isentrope, the stage targets, the numbering, and the solved module checked
// against its impeller limits. Perfect gas R 287.5, k 1.4, loss models off.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "solver/predesign/centrifugal_elements.h"
#include "solver/predesign/module_generators.h"
#include "tests/support/centrifugal_case.h"

namespace {

using h2::predesign::RadCompDesign;
using h2::predesign::rc_stage_number;
using h2::test::kIsentropicPower;

constexpr double kPi = 3.14159265;  // the design rules' pi
constexpr double kExact = 1e-9;

void expect_rel(double actual, double expected, double tol, const char* what) {
    EXPECT_NEAR(actual, expected, tol * std::fabs(expected)) << what;
}

// Isentropic head of the test gas from (p0, i0) to p: i0 ((p/p0)^(1/3.5) - 1).
double isentropic_head(double p0, double i0, double p) {
    return i0 * (std::pow(p / p0, 1.0 / kIsentropicPower) - 1.0);
}

class CentrifugalModule : public h2::test::CentrifugalCaseTest {
protected:
    // Module 0's model as composition leaves it: arrays for `capacity`
    // elements beyond the inlet, the inlet state in element 0 (i0 290000 J/kg,
    // p0 1e5 Pa, 2 kg/s), the module outlet pressure, a design task. Record 0:
    // OM 3000, D 0.15, CZ 0.5, HT 0.35, M 1.8, KU = KZ = 1, inlet guide vanes
    // and a vaneless diffuser, limits that pass.
    void model(double p2n, double stg_lo, double stg_hi, int capacity = 24) {
        make_path(capacity, {});
        bdLocals& b = *block();
        b.cyld_p2n = p2n;
        b.cyld_VART = 1;
        b.IGM = 3;
        for (int i = 0; i <= capacity; ++i) {
            b.elem_moduleNum[i] = -5.0;
            b.elem_stageNum[i] = -5.0;
        }
        PD_module& r = record(0);
        r.igv_form = 1;
        r.diff_form = 1;
        r.PD_VAL[PD_VAR_HT] = 0.35;
        r.PD_VAL[PD_VAR_KU] = 1.0;
        r.PD_LIM_lower[PD_LIM_STG] = stg_lo;
        r.PD_LIM_upper[PD_LIM_STG] = stg_hi;
        r.PD_LIM_upper[PD_LIM_DS] = 10.0;
        r.PD_LIM_upper[PD_LIM_A1] = 180.0;
    }
    // The head coefficient at which the stage estimate is `stages`.
    static double head_for(double stages, double p2n) {
        const double u = 3000.0 * 0.15 / 2.0;
        return isentropic_head(kP0, kI0, p2n) / 0.8 / (u * u * 1.8 * 1.8 * stages);
    }

    // Euler work, its total-enthalpy rise and continuity at the outlet of impeller imp.
    void expect_impeller_balances(int imp) {
        const bdLocals& b = *block();
        SCOPED_TRACE(imp);
        const double u1 = b.flow_u1[imp][0], u2 = b.flow_u2[imp][0];
        const double euler = u2 * b.flow_c2u[imp][0] - u1 * b.flow_c1u[imp][0];
        expect_rel(b.isd_i2x[imp][0] - b.elem_i0[imp], euler, kExact, "Euler work = total enthalpy rise");
        expect_rel(b.elem_Ht[imp] * u2 * u2, euler, kExact, "head coefficient");
        const double rho2 = density(b.isd_p2[imp][0], b.isd_i2[imp][0]);
        expect_rel(rho2 * b.flow_c2s[imp][0] * kPi * b.bld_d2[imp] * b.bld_l2[imp], kG, 1e-5, "continuity");
    }
};

TEST_F(CentrifugalModule, OneStageTakesTheWholeHeadWhateverTheHeadCoefficient) {
    model(1.8e5, 1.0, 1.0);
    ASSERT_EQ(RadCompDesign(0), 0);
    const bdLocals& b = *block();
    const double dHs = isentropic_head(kP0, kI0, 1.8e5);
    EXPECT_NEAR(record(0).PD_VAL[PD_VAR_HT], dHs / (405.0 * 405.0), kExact);
    EXPECT_NEAR(record(0).PD_VAL[PD_VAR_HT], 0.323308689159, kExact);
    EXPECT_EQ(b.cyld_ns, 2);
    EXPECT_EQ(record(0).elemsPerStage, 2);
    expect_rel(b.elem_Ht[1], 0.466102288747, 2e-5, "converged head coefficient");
    EXPECT_EQ(b.isd_p2[2][0], 1.8e5);
    expect_impeller_balances(1);
}

}  // namespace
