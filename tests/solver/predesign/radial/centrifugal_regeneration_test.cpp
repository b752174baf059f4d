// The stage sequence and rcgRN around it: how modules and stages are found,
// what a failing or unfinished stage leaves, and what rcgRN refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <functional>
#include <limits>

#include "halvorine2/radial_design.h"
#include "solver/predesign/centrifugal_elements.h"
#include "tests/support/centrifugal_case.h"

namespace {

using namespace h2::predesign;

void expect_rel(double actual, double expected, double tol, const char* what) {
    EXPECT_NEAR(actual, expected, tol * std::fabs(expected)) << what;
}

class CentrifugalRegeneration : public h2::test::CentrifugalCaseTest {
protected:
    // Inlet guide vanes, impeller 1 and vaneless diffuser 2 to p*.
    void one_stage(double pstar) {
        make_path(2, {1});
        record(0).igv_form = 1;
        record(0).diff_form = 1;
        target(2, pstar);
    }
    int stage() {
        const PD_module& r = record(0);
        return rc_stage_design(0, 0, r.volin_form, r.igv_form, r.diff_form, r.uband_form, r.desw_form,
                               r.volout_form, r.lbau_form, r.lbda_form);
    }
    void renew_path() {
        if (block()->elem_stagType != nullptr) {
            ASSERT_EQ(free_probdata(), 0);
        }
    }
};

TEST_F(CentrifugalRegeneration, AHeadNotSettledWithinThePassesEndsWith9AndKeepsTheLastPass) {
    // Module 1 (impeller 2 and vaneless diffuser 3) follows module 0's
    // impeller at 150 kPa and is asked for 115 kPa: its head coefficient
    // settles where the outlet pressure hardly answers it, short of the
    // tolerance.
    make_path(3, {1, 2});
    set_module_count(2);
    record(0).igv_form = 1;
    record(1) = record(0);
    record(1).diff_form = 1;
    bdLocals& b = *block();
    b.elem_moduleNum[2] = b.elem_moduleNum[3] = 1.0;
    target(1, 150000.0);
    target(3, 115000.0);

    b.IM = 150;
    EXPECT_EQ(rcgRN(0), 1);
    EXPECT_EQ(b.isd_p2[1][0], 150000.0);  // module 0 met its target
    const double u2 = b.flow_u2[2][0];
    expect_rel(b.enrg_Lu[2][0], b.elem_Ht[2] * u2 * u2, 1e-12, "the last pass's work");
    EXPECT_GT(b.isd_p2[3][0], 115000.0 * (1.0 + 1e-5));  // no completion
    // The isentropic head is still an enthalpy (the inlet pressure holds
    // module 0's target to the iteration's tolerance).
    const double his =
        b.isd_i1[2][0] * std::pow(b.isd_p2[2][0] / b.isd_p1[2][0], 1.0 / h2::test::kIsentropicPower);
    expect_rel(b.enrg_Co[2][0], his - b.elem_i0[2], 1e-5, "isentropic head");
    EXPECT_EQ(rc_stage_design(2, 1, 0, 1, 1, 0, 0, 0, 0, 0), kStageNotMet);
}

double g_nan_above = 0.0;
double fluid_with_nan_totals(int code, double a, double b, double c, int which) {
    if (code == H2_FLUID_P_IS && a > g_nan_above) {
        std::feraiseexcept(FE_INVALID);
        return std::numeric_limits<double>::quiet_NaN();
    }
    return h2::test::test_fluid_func(code, a, b, c, which);
}

TEST_F(CentrifugalRegeneration, ANotANumberOutletPressureResetsTheFpuAndEndsWith9) {
    one_stage(180000.0);
    // Total pressures (enthalpies above 385 kJ/kg) are not numbers; static ones are.
    g_nan_above = 385000.0;
    block()->fluid_func = fluid_with_nan_totals;
    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_EQ(stage(), kStageNotMet);
    EXPECT_TRUE(std::isnan(block()->isd_p2x[2][0]));
    EXPECT_EQ(std::fetestexcept(FE_INVALID), 0);
    EXPECT_EQ(block()->elem_Ht[1], 0.6);  // stopped in the first pass
}

// Fails the inlet guide vanes from their second call on: the stage stops in
// its second pass with the head coefficient of the first correction.
int g_inlet_entropy_calls = 0;
double fluid_failing_second_pass(int code, double a, double b, double c, int which) {
    if (code == H2_FLUID_S_PI && a == 1e5 && b == 290000.0 && ++g_inlet_entropy_calls > 1)
        return std::numeric_limits<double>::quiet_NaN();
    return h2::test::test_fluid_func(code, a, b, c, which);
}

TEST_F(CentrifugalRegeneration, TheFirstHeadCorrectionFollowsTheStageRatio) {
    // The first pass (head coefficient 0.6, no losses yet) delivers these
    // outlet pressures, worked by hand.
    constexpr double kFirstStatic = 230184.256256, kFirstTotal = 260773.328624;
    struct Case {
        double pstar, relax;
        int total;
        double gain;
    };
    for (const Case c : {Case{1.04e5, 0.5, 0, 2.0}, Case{1.08e5, 0.5, 0, 1.0}, Case{1.5e5, 0.5, 0, 0.5},
                         Case{1.5e5, 0.1, 0, 0.2}, Case{1.5e5, 0.7, 1, 0.7}}) {
        SCOPED_TRACE(c.pstar);
        renew_path();
        one_stage(c.pstar);
        block()->RELAX = c.relax;
        block()->cyld_VARTP = c.total;
        block()->fluid_func = fluid_failing_second_pass;
        g_inlet_entropy_calls = 0;
        EXPECT_EQ(stage(), kStageGuideVanes);
        const double pv = c.total ? kFirstTotal : kFirstStatic;
        EXPECT_NEAR(block()->elem_Ht[1] / 0.6 - 1.0, c.gain * (c.pstar / pv - 1.0), 1e-6);
    }
}

TEST_F(CentrifugalRegeneration, EveryElementReportsItsOwnCode) {
    struct Case {
        const char* what;
        int volin, lbau, diff, uband, desw, lbda, volout;
        int ns, imp, code;
        double G = 2.0, A0 = 90.0;
    };
    // Each element is made to fail on its own: the inlet volute by a form it
    // cannot size for a swirling exit; the kind-11 bend by an inlet annulus
    // (the volute's exit, widened by its loss) deeper than half its diameter;
    // the elements behind a diffuser slot of form 3, which counts a slot but
    // generates nothing there, by the empty outlet of that slot.
    for (const Case c : {Case{"inlet volute", 4, 0, 0, 0, 0, 0, 0, 2, 2, kStageInletVolute, 2.0, 60.0},
                         Case{"kind-11 bend", 1, 1, 0, 0, 0, 0, 0, 3, 3, kStageKind11Bend, 9.0},
                         Case{"U-bend", 0, 0, 3, 1, 0, 0, 0, 3, 1, kStageUBend},
                         Case{"deswirler", 0, 0, 3, 0, 1, 0, 0, 3, 1, kStageDeswirler},
                         Case{"kind-12 bend", 0, 0, 3, 0, 0, 1, 0, 3, 1, kStageKind12Bend},
                         Case{"outlet volute", 0, 0, 3, 0, 0, 0, 1, 3, 1, kStageOutletVolute},
                         Case{"vaned diffuser without vanes", 0, 0, 2, 0, 0, 0, 0, 2, 1, kStageVanedDiffuser},
                         Case{"guide vanes", 0, 0, 1, 0, 0, 0, 0, 2, 1, kStageGuideVanes},
                         Case{"impeller", 0, 0, 0, 0, 0, 0, 0, 1, 1, kStageImpeller}}) {
        SCOPED_TRACE(c.what);
        renew_path();
        make_path(c.ns, {c.imp});
        target(c.ns, 180000.0);
        block()->elem_G1[0] = c.G;
        block()->cas_B1[0][0] = c.A0;
        PD_module& r = record(0);
        r.igv_form = 1;
        r.volin_form = c.volin, r.lbau_form = c.lbau, r.diff_form = c.diff, r.uband_form = c.uband;
        r.desw_form = c.desw, r.lbda_form = c.lbda, r.volout_form = c.volout;
        prereq()[98] = c.code == kStageVanedDiffuser ? 1000.0 : 3.0;
        r.PD_VAL[PD_VAR_CZ] = c.code == kStageGuideVanes ? 20.0 : 0.5;
        r.PD_VAL[PD_VAR_M] = c.code == kStageImpeller ? 1.0 : 1.8;
        EXPECT_EQ(stage(), c.code);
        EXPECT_EQ(block()->elem_p2[c.ns], 180000.0);
    }
    record(0).PD_VAL[PD_VAR_CZ] = 0.5;
    record(0).PD_VAL[PD_VAR_M] = 1.8;
    prereq()[98] = 3.0;

    // diff_form 3: the stage ends at the untouched slot 2, which already holds p*.
    renew_path();
    make_path(2, {1});
    target(2, 180000.0);
    record(0).diff_form = 3;
    record(0).volout_form = 0;
    record(0).lbda_form = 0;
    record(0).desw_form = 0;
    record(0).uband_form = 0;
    block()->elem_stagType[2] = 7.0;
    EXPECT_EQ(rcgRN(0), 0);
    EXPECT_EQ(stage(), 0);
    EXPECT_EQ(block()->elem_stagType[2], 7.0);
    EXPECT_EQ(block()->elem_Ht[1], 0.6);  // met on the first pass
}

TEST_F(CentrifugalRegeneration, StagesOfOneModuleAreCountedFromItsRotors) {
    // Two stages of impeller and vaneless diffuser. The diffusers keep the
    // diameter, so the second impeller starts where the first ended; a finer
    // pitch keeps enough blades on the wider second impeller, and a small
    // starting head keeps its first pass subsonic.
    make_path(4, {1, 3});
    record(0).igv_form = 1;
    record(0).diff_form = 1;
    prereq()[89] = 1.0;
    prereq()[86] = 0.2;
    record(0).PD_VAL[PD_VAR_HT] = 0.1;
    target(2, 150000.0);
    target(4, 180000.0);
    ASSERT_EQ(rcgRN(0), 0);
    const bdLocals& b = *block();
    for (int imp : {1, 3}) {
        SCOPED_TRACE(imp);
        EXPECT_EQ(b.elem_stagType[imp + 1], 2.0);
        EXPECT_EQ(b.elem_stagType[imp], 1.0);
        EXPECT_NEAR(b.bld_d1[imp], 0.15 * std::pow(1.8, (imp - 1) / 2), 1e-15);
        expect_rel(b.enrg_Lu[imp][0], b.elem_Ht[imp] * b.flow_u2[imp][0] * b.flow_u2[imp][0], 1e-12, "work");
        const double Lu = b.enrg_Lu[imp][0];
        expect_rel(b.isd_i2x[imp][0] - b.elem_i0[imp],
                   Lu + b.enrg_dhd[imp] + std::max(b.enrg_zrz[imp], 0.0) * Lu, 1e-6,
                   "total enthalpy rise: Euler and parasitic work");
        EXPECT_EQ(b.elem_p0[imp], b.isd_p2x[imp - 1][0]);
    }
    EXPECT_EQ(b.isd_p2[2][0], 150000.0);
    EXPECT_EQ(b.isd_p2[4][0], 180000.0);
    EXPECT_EQ(b.elem_p2[4], 180000.0);
}

TEST_F(CentrifugalRegeneration, ASecondCallReproducesTheStagesAndAZeroHeadRegeneratesFromTheBlock) {
    one_stage(180000.0);
    bdLocals& b = *block();
    ASSERT_EQ(rcgRN(0), 0);
    const double ht = b.elem_Ht[1], l2 = b.bld_l2[1], p2x = b.isd_p2x[2][0], c2s = b.flow_c2s[2][0];
    const double co = b.enrg_Co[1][0];
    ASSERT_EQ(rcgRN(0), 0);
    EXPECT_EQ(b.elem_Ht[1], ht);
    EXPECT_EQ(b.bld_l2[1], l2);
    EXPECT_EQ(b.isd_p2x[2][0], p2x);
    EXPECT_EQ(b.flow_c2s[2][0], c2s);
    EXPECT_EQ(b.enrg_Co[1][0], co);

    // Without a head coefficient in the record the stage starts from the
    // block: its head, its diameters and its inlet flow coefficient.
    record(0).PD_VAL[PD_VAR_HT] = 0.0;
    record(0).PD_VAL[PD_VAR_D] = 0.5;  // not read now
    record(0).PD_VAL[PD_VAR_M] = 3.0;
    b.bld_d2s[0] = 0.15;
    b.elem_cz_[1] = 0.5;
    ASSERT_EQ(rcgRN(0), 0);
    expect_rel(b.elem_Ht[1], ht, 1e-5, "head coefficient");
    EXPECT_EQ(b.bld_d1[0], 0.15);
    EXPECT_NEAR(b.bld_m[1], 1.8, 1e-15);
    expect_rel(b.bld_l2[1], l2, 1e-5, "outlet width");
    expect_rel(b.isd_p2x[2][0], p2x, 1e-5, "outlet total pressure");
}

TEST_F(CentrifugalRegeneration, ALeakageShareOfTheImpellerBecomesAFractionOfItsIsentropicHead) {
    one_stage(180000.0);
    bdLocals& b = *block();
    b.enrg_zrz[1] = 500.0;  // J/kg, kept by every pass
    ASSERT_EQ(rcgRN(0), 0);
    const double Co = b.enrg_Co[1][0];  // the isentropic velocity now
    expect_rel(b.enrg_zrz[1], 500.0 / (Co * Co / 2.0), 1e-12, "leakage share");
    // The diffuser charged the stage with the leakage enthalpy of the passes.
    const double losses = 500.0 + b.enrg_dhb[1][0] + b.enrg_dhd[1] + b.enrg_dhb[2][0];
    expect_rel(b.elem_eff[2], 1.0 - losses / b.enrg_Lu[2][0], 1e-12, "stage efficiency");
}

TEST_F(CentrifugalRegeneration, RefusedCasesWriteNothing) {
    struct Case {
        const char* what;
        std::function<void(bdLocals&)> spoil;
        int result;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const Case& c : {
             Case{"module 7 at the outlet", [](bdLocals& b) { b.elem_moduleNum[2] = 7.0; }, 1},
             Case{"module -1 at the inlet", [](bdLocals& b) { b.elem_moduleNum[0] = -1.0; }, 1},
             Case{"a module without a record", [](bdLocals& b) { b.elem_moduleNum[2] = 1.0; }, 1},
             Case{"a module number not a number", [nan](bdLocals& b) { b.elem_moduleNum[0] = nan; }, 1},
             Case{"no element", [](bdLocals& b) { b.cyld_ns = 0; }, 1},
             Case{"no streamline", [](bdLocals& b) { b.cyld_nr = 0; }, 1},
             Case{"counts beyond the arrays", [](bdLocals& b) { b.cyld_ns = 40; }, 1},
             Case{"no centrifugal element",
                  [](bdLocals& b) {
                      for (int i = 0; i <= 2; ++i) b.elem_moduleType[i] = 3.0;
                  },
                  0},
         }) {
        SCOPED_TRACE(c.what);
        renew_path();
        one_stage(180000.0);
        bdLocals& b = *block();
        b.elem_p2[2] = 123.0;
        c.spoil(b);
        EXPECT_EQ(rcgRN(0), c.result);
        b.cyld_ns = 2;
        b.cyld_nr = 1;
        EXPECT_EQ(b.elem_Ht[1], 0.0);
        EXPECT_EQ(b.bld_l1[0], 0.0);
        EXPECT_EQ(b.elem_p2[2], 123.0);
    }
    renew_path();
    EXPECT_EQ(rcgRN(0), 1);  // a case without arrays
}

}  // namespace
