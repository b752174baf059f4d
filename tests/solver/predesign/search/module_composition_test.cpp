// Module composition: modules generated in their models, checked against
// their stage limits, each handed its predecessor's outlet, joined into the
// master. Air as a perfect gas, 293.15 K and 101325 Pa compressed to 202650 Pa.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "solver/predesign/search/module_composition.h"
#include "tests/solver/predesign/search/search_fixture.h"

namespace {

using h2::test::kAirCp;
using h2::test::kSearchG;
using h2::test::kSearchP0;
using h2::test::kSearchP2;
using h2::test::kSearchT0;

class Composition : public h2::test::SearchTest {};

// Isentropic head of the perfect gas: cp T0 ((p2/p0)^((k-1)/k) - 1).
double isentropic_head(double p0, double i0, double p2) { return i0 * (std::pow(p2 / p0, 0.4 / 1.4) - 1.0); }

TEST_F(Composition, OneCentrifugalModuleTakesTheWholeHeadAtOneStage) {
    PD_module* t = table(1);
    centrifugal(t, 0);
    attach(1);
    build();
    ASSERT_EQ(PredC(0), 0);
    EXPECT_EQ(get_bdLocals(), master());
    const double dHs = kAirCp * kSearchT0 * (std::pow(2.0, 2.0 / 7.0) - 1.0);
    EXPECT_NEAR(dHs, 64492.770, 1e-3);
    const double uM = 3300.0 * 0.11 / 2.0 * 2.0;
    EXPECT_NEAR(t[0].PD_VAL[PD_VAR_HT], dHs / (uM * uM), 1e-9);
    EXPECT_NEAR(t[0].PD_VAL[PD_VAR_HT], 0.4894381081, 1e-9);
    const bdLocals& b = *master();
    EXPECT_EQ(t[0].elemsPerStage, 2);
    EXPECT_EQ(b.cyld_ns, 2);
    EXPECT_EQ(t[0].PD_ACH[PD_LIM_STG], 1.0);
    EXPECT_EQ(t[0].restoreFlag, 0);
    EXPECT_EQ(t[0].PD_SRC_AF, b.cyld_af);
    for (int i = 0; i <= b.cyld_ns; ++i) EXPECT_EQ(b.elem_moduleType[i], 5.0) << i;
    // The joined path delivers the module's outlet pressure from the machine inlet.
    EXPECT_EQ(b.elem_p0[0], kSearchP0);
    EXPECT_EQ(b.elem_i0[0], kAirCp * kSearchT0);
    EXPECT_NEAR(b.isd_p2[b.cyld_ns][0], kSearchP2, 1e-6 * kSearchP2);
    // The impeller's total-enthalpy rise is its Euler work and its parasitic
    // work (disk friction, the clearance flow's share).
    const double euler = b.flow_u2[1][0] * b.flow_c2u[1][0] - b.flow_u1[1][0] * b.flow_c1u[1][0];
    const double parasitic = b.enrg_dhd[1] + std::max(b.enrg_zrz[1], 0.0) * euler;
    EXPECT_GT(b.enrg_dhd[1], 0.0);
    EXPECT_NEAR(b.isd_i2x[1][0] - b.elem_i0[1], euler + parasitic, 1e-6 * euler);
    // A compressor module gets no turbine blade mass.
    EXPECT_EQ(b.cyld_mass, 0.0);
}

TEST_F(Composition, TwoModulesHandTheOutletOnAndJoinWithoutTheSecondInlet) {
    PD_module* t = table(2);
    centrifugal(t, 0).PD_SRC_P2N = 150000.0;
    centrifugal(t, 1).PD_SRC_G = kSearchG + 0.25;
    attach(2);
    build();
    ASSERT_EQ(PredC(0), 0);
    const bdLocals& m0 = *t[0].PD_model;
    const bdLocals& m1 = *t[1].PD_model;
    const int n0 = m0.cyld_ns, n1 = m1.cyld_ns;
    ASSERT_EQ(n0, 2);
    ASSERT_EQ(n1, 2);
    EXPECT_EQ(m1.elem_i0[0], m0.isd_i2x[n0][0]);
    EXPECT_EQ(m1.elem_p0[0], m0.isd_p2x[n0][0]);
    EXPECT_EQ(m1.cas_B1[0][0], m0.cas_A2[n0][0]);
    EXPECT_EQ(m0.elem_Gotb2[n0], 0.25);
    const bdLocals& b = *master();
    EXPECT_EQ(b.cyld_ns, n0 + n1);
    EXPECT_EQ(b.cyld_p2n, m1.cyld_p2n);
    EXPECT_EQ(b.cyld_p2nx, m1.cyld_p2nx);
    // Module 1's elements follow module 0's last one.
    for (int i = 1; i <= n1; ++i) {
        EXPECT_EQ(b.isd_i2x[n0 + i][0], m1.isd_i2x[i][0]) << i;
        EXPECT_EQ(b.elem_moduleNum[n0 + i], 1.0) << i;
    }
    // The second module starts from the first one's outlet and ends at the machine outlet.
    EXPECT_NEAR(m0.isd_p2[n0][0], 150000.0, 1e-6 * 150000.0);
    EXPECT_NEAR(b.isd_p2[b.cyld_ns][0], kSearchP2, 1e-6 * kSearchP2);
    // Module 1's head: from the first module's outlet total state.
    const double s_head = isentropic_head(m1.elem_p0[0], m1.elem_i0[0], kSearchP2);
    const double uM = 3300.0 * 0.11;
    EXPECT_NEAR(t[1].PD_VAL[PD_VAR_HT], s_head / (uM * uM), 1e-9);
}

TEST_F(Composition, FailuresLeaveTheMasterCurrentWithTheirText) {
    struct Case {
        const char* what;
        void (*edit)(PD_module*);
        int restore;
        int result;
        const char* text;
    };
    const Case cases[] = {
        // HT 50 gives n = 1 below the lower limit of 2 stages.
        {"stage count below the limits",
         [](PD_module* t) {
             t[0].PD_LIM_lower[PD_LIM_STG] = 2.0;
             t[0].PD_LIM_upper[PD_LIM_STG] = 3.0;
             t[0].PD_VAL[PD_VAR_HT] = 50.0;
         },
         0, 101, nullptr},
        {"impeller wider than DS", [](PD_module* t) { t[0].PD_LIM_upper[PD_LIM_DS] = 0.01; }, 0, 101,
         nullptr},
        {"a type without a generator", [](PD_module* t) { t[0].type = 7; }, 0, -1, nullptr},
        {"a TURB_AXIAL record of no diameter form fails in its generator",
         [](PD_module* t) {
             t[0].type = TURB_AXIAL;
             t[0].Dflag = 5;
         },
         0, 1, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PD_module* t = table(1);
        centrifugal(t, 0);
        c.edit(t);
        attach(1);
        build();
        std::strcpy(master()->err_text, "untouched");
        EXPECT_EQ(PredC(c.restore), c.result);
        EXPECT_EQ(get_bdLocals(), master());
        PD_free_models();
    }
}

TEST_F(Composition, TheStageCheckCountsTheExtraVoluteElementsUnlessRestoring) {
    // Vflag 3 asks for an extra element at either end: 2 x 1 + 2 = 4 elements,
    // the generator lays out 2.
    for (int restore : {0, 1}) {
        SCOPED_TRACE(restore);
        PD_module* t = table(1);
        centrifugal(t, 0).Vflag = 3;
        attach(1);
        build();
        t[0].PD_ACH[PD_LIM_STG] = -7.0;
        master()->err_text[0] = '\0';
        if (restore == 0) {
            EXPECT_EQ(PredC(0), 101);
            EXPECT_STREQ(master()->err_text, "ERRCODE_OUTOFRANGE: in solver/predesign/optcylX line 966");
            EXPECT_EQ(t[0].PD_ACH[PD_LIM_STG], -7.0);
        } else {
            EXPECT_EQ(PredC(1), 0);
            EXPECT_EQ(t[0].restoreFlag, 1);
            EXPECT_EQ(t[0].PD_ACH[PD_LIM_STG], 1.0);
            EXPECT_EQ(master()->cyld_ns, 2);
        }
        EXPECT_EQ(get_bdLocals(), master());
        PD_free_models();
    }
}

TEST_F(Composition, RefusesWhatItCannotCompose) {
    // No module, no models, and a joined path beyond the master's arrays.
    PD_module* t = table(0);
    ASSERT_EQ(setRanges(0), 0);
    EXPECT_EQ(PredC(0), -1);
    t = table(1);
    centrifugal(t, 0);
    attach(1);
    EXPECT_EQ(PredC(0), -1) << "a record without a model";
    EXPECT_EQ(get_bdLocals(), master());

    build();
    ASSERT_EQ(free_probdata(), 0);
    ASSERT_EQ(alloc_probdata(2, 1), 0);  // room for elements 0..1
    master()->cyld_nr = 1;
    EXPECT_EQ(PredC(0), 101);
    EXPECT_EQ(get_bdLocals(), master());
    EXPECT_STREQ(master()->err_text, "PredC: the joined flow path of 3 elements exceeds the case's 2");
}

TEST_F(Composition, DesignModuleDispatchesByType) {
    PD_module* t = table(1);
    centrifugal(t, 0);
    for (int type : {-1, 6}) {
        t[0].type = type;
        EXPECT_EQ(PD_design_module(0), -1) << type;
    }
    // The turbine generators refuse a record of no diameter form with 1.
    for (int type : {static_cast<int>(TURB_AXIAL), static_cast<int>(TURB_CURTIS)}) {
        t[0].type = type;
        t[0].Dflag = 5;
        EXPECT_EQ(PD_design_module(0), 1) << type;
    }
    EXPECT_EQ(PD_design_module(1), -1) << "no record 1";
}

}  // namespace

namespace {

// A two-stage axial compressor module: hub 0.45 m held, first-row height
// 0.1 m, HT 0.3, KZ 0.95, 1200 rad/s, 20 kg/s to 170000 Pa from 1 atm, 288.15 K.
class AxialComposition : public h2::test::SearchTest {
protected:
    PD_module* axial() {
        PD_module* t = table(1);
        PD_module& r = t[0];
        r.type = COMP_AXIAL;
        r.Gflag = 1;
        r.PD_VAL[PD_VAR_D] = 0.45;
        r.PD_VAL[PD_VAR_CZ] = 0.10;
        r.PD_VAL[PD_VAR_HT] = 0.30;
        r.PD_VAL[PD_VAR_KU] = 1.0;
        r.PD_VAL[PD_VAR_KZ] = 0.95;
        r.PD_LIM_lower[PD_LIM_STG] = 1.0;
        r.PD_LIM_upper[PD_LIM_STG] = 5.0;
        r.PD_LIM_upper[PD_LIM_DS] = 10.0;
        r.bladeDensity = 7800.0;
        r.PD_SRC_OM = 1200.0;
        r.PD_SRC_G = 20.0;
        r.PD_SRC_P2N = 170000.0;
        r.PD_SRC_P0 = kSearchP0;
        r.PD_SRC_I0 = kAirCp * 288.15;
        r.PD_SRC_A0 = 0.0;
        attach(1);
        double* p = h2::predesign::prereq_block(0);
        p[37] = 0.2;
        p[38] = 0.01;
        p[34] = 1.0;
        p[40] = 0.05;
        p[41] = 0.02;
        master()->acc_limit = 1e-9;
        master()->RELAX = 1.0;
        master()->IM = 500;
        return t;
    }
};

TEST_F(AxialComposition, BladeMassAndLengthAgainstTheirStrictLimits) {
    PD_module* t = axial();
    build();
    ASSERT_EQ(PredC(0), 0) << master()->err_text;
    const bdLocals& model = *t[0].PD_model;
    const int ns = model.cyld_ns;
    ASSERT_EQ(ns, 4);
    EXPECT_EQ(t[0].PD_ACH[PD_LIM_STG], 2.0);
    // Each row's mass is its blade volume times the density; the module's is their sum.
    double mass = 0.0;
    for (int i = 1; i <= ns; ++i) {
        EXPECT_GT(model.strs_vl[i], 0.0) << i;
        EXPECT_EQ(model.strs_mass[i], model.strs_vl[i] * 7800.0) << i;
        mass += model.strs_mass[i];
    }
    // No limits set: neither is checked nor stored.
    EXPECT_EQ(t[0].PD_ACH[PD_LIM_MASS], 0.0);
    EXPECT_EQ(t[0].PD_ACH[PD_LIM_LENGTH], 0.0);
    // The joined path's blade mass: every row is an axial blade row.
    EXPECT_NEAR(master()->cyld_mass, mass, 1e-12 * mass);
    const double x = model.cas_x2[ns][0];
    ASSERT_GT(x, 0.0);

    struct Case {
        const char* what;
        int limit;
        double lo, hi;
        int result;
        int line;
    };
    const Case cases[] = {
        {"mass inside", PD_LIM_MASS, 0.5 * mass, 2.0 * mass, 0, 0},
        {"mass at the upper limit", PD_LIM_MASS, 0.5 * mass, mass, 101, 1053},
        {"mass at the lower limit", PD_LIM_MASS, mass, 2.0 * mass, 101, 1053},
        {"length inside", PD_LIM_LENGTH, 0.5 * x, 2.0 * x, 0, 0},
        {"length at the upper limit", PD_LIM_LENGTH, 0.5 * x, x, 101, 980},
        {"length at the lower limit", PD_LIM_LENGTH, x, 2.0 * x, 101, 980},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        t[0].PD_LIM_lower[c.limit] = c.lo;
        t[0].PD_LIM_upper[c.limit] = c.hi;
        t[0].PD_ACH[PD_LIM_MASS] = t[0].PD_ACH[PD_LIM_LENGTH] = -1.0;
        master()->err_text[0] = '\0';
        build();  // models as built: a generator run again on its own model converges from elsewhere
        ASSERT_EQ(PredC(0), c.result);
        if (c.result == 0) {
            const double achieved = c.limit == PD_LIM_MASS ? mass : x;
            EXPECT_NEAR(t[0].PD_ACH[c.limit], achieved, 1e-12 * achieved);
        } else {
            const std::string text =
                "ERRCODE_OUTOFRANGE: in solver/predesign/optcylX line " + std::to_string(c.line);
            EXPECT_EQ(master()->err_text, text);
            EXPECT_EQ(t[0].PD_ACH[c.limit], -1.0);
            // Without the checks the same module composes.
            build();
            EXPECT_EQ(PredC(1), 0);
        }
        t[0].PD_LIM_lower[c.limit] = t[0].PD_LIM_upper[c.limit] = 0.0;
    }
}

}  // namespace

namespace {

TEST_F(AxialComposition, AFailedGeneratorsTextReachesTheMaster) {
    PD_module* t = axial();
    t[0].PD_VAL[PD_VAR_CZ] = 0.005;  // a first row 5 mm high: the inlet would be too fast
    build();
    master()->err_text[0] = '\0';
    EXPECT_EQ(PredC(0), 3);
    EXPECT_EQ(get_bdLocals(), master());
    EXPECT_STREQ(master()->err_text, "ERRCODE_CORRUPTED_DATA: in solver/predesign/axcompdesign line 387");
    EXPECT_EQ(t[0].PD_model->cyld_ns, 0) << "the failed model holds no path";
}

}  // namespace

namespace {

TEST_F(Composition, ThreeModulesFollowOneAnother) {
    PD_module* t = table(3);
    centrifugal(t, 0).PD_SRC_P2N = 130000.0;
    centrifugal(t, 1).PD_SRC_P2N = 165000.0;
    centrifugal(t, 2);
    attach(3);
    build();
    ASSERT_EQ(PredC(0), 0);
    const bdLocals& b = *master();
    int pos = 1;
    for (int m = 0; m < 3; ++m) {
        const bdLocals& model = *t[m].PD_model;
        for (int i = 1; i <= model.cyld_ns; ++i, ++pos) {
            EXPECT_EQ(b.elem_moduleNum[pos], static_cast<double>(m)) << pos;
            EXPECT_EQ(b.isd_p2[pos][0], model.isd_p2[i][0]) << pos;
        }
    }
    EXPECT_EQ(b.cyld_ns, pos - 1);
    EXPECT_NEAR(b.isd_p2[b.cyld_ns][0], kSearchP2, 1e-6 * kSearchP2);
}

}  // namespace
