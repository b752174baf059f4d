// Module models: sizes, what each model takes from the master, the fluid
// set-up of a shared fluid, the element roles of a centrifugal stage, and the
// list of built models that building again and releasing walk.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/loss_plugin.h"
#include "tests/solver/predesign/search/predesign_fixture.h"
#include "tests/support/case_fixture.h"

namespace {

using h2::predesign::kNameSlotSize;

// Name slot k of a 300-character loss-model name buffer.
void set_slot(char* buffer, int k, const char* name) {
    h2::copy_text(buffer + k * kNameSlotSize, kNameSlotSize, name);
}

class PredesignModels : public h2::test::PredesignTest {
protected:
    // A master with arrays, air loaded, the solver settings a model copies, and
    // the family limit tables set to 0.01 k + 0.5 (entry k).
    void SetUp() override {
        PredesignTest::SetUp();
        allocate(3);
        load_air();
        bdLocals* b = master();
        b->cyld_VART = 2;
        b->IGM = 50;
        b->cyld_MethodP = 2;
        b->cyld_MethodS = 3;
        b->cyld_MethodN = 4;
        b->cyld_MethodV = 5;
        b->cyld_MethodR = 6;
        b->cyld_MethodD = 7;
        b->cyld_MethodB = 8;
        b->IPO = 3;
        b->acc_limit = 1e-5;
        b->cyld_T0 = 288.0;
        b->cyld_P0 = 101325.0;
        h2::copy_text(b->name, "host case");
        h2::copy_text(b->leakRName, "kmgr_t.dll");
        for (int k = 0; k < h2::predesign::kNameSlots; ++k) {
            b->family_los_limit[k] = 0.5 + 0.01 * k;
            b->family_dev_limit[k] = 1.5 + 0.01 * k;
            b->family_block_limit[k] = 2.5 + 0.01 * k;
        }
    }
    static PD_module& rec(int m) { return h2::predesign::module_records()[m]; }
    static bdLocals& model(int m) { return *rec(m).PD_model; }
};

TEST_F(PredesignModels, SizesFollowTheStageLimitAndTheVoluteElements) {
    PD_module* t = table(4);
    struct Size {
        int type;
        double stages;
        int vflag;
        int elements;  // arrays made
        int ns;        // after the extra elements are taken off
    };
    const Size sizes[] = {
        {COMP_RADIAL, 3.0, 3, 27, 24},  // 3 x 8 + 2
        {TURB_AXIAL, 4.9, 1, 10, 8},    // trunc(4.9) x 2 + 1
        {COMP_FAN, 2.0, 2, 6, 4},
        {TURB_RADIAL, 1.0, 0, 3, 2},
    };
    for (int m = 0; m < 4; ++m) {
        t[m].type = sizes[m].type;
        t[m].PD_LIM_upper[PD_LIM_STG] = sizes[m].stages;
        t[m].Vflag = sizes[m].vflag;
    }
    t[0].PD_SRC_P0 = 1e5;
    t[3].PD_SRC_P2N = 3e5;  // the last module's outlet: the machine compresses
    ASSERT_EQ(InitModels(), 0);
    EXPECT_EQ(get_bdLocals(), master());
    for (int m = 0; m < 4; ++m) {
        const bdLocals& b = model(m);
        EXPECT_EQ(rec(m).index, m);
        EXPECT_EQ(b.alloc_elems, sizes[m].elements) << m;
        EXPECT_EQ(b.cyld_ns, sizes[m].ns) << m;
        EXPECT_EQ(b.cyld_nr, 1);
        EXPECT_EQ(b.ranges_ref, &rec(m)) << "a model points at its own record";
        // The outlet pressure went to the last element before the extra ones came off.
        const int last = sizes[m].elements - 1;
        EXPECT_EQ(b.elem_p2[last], 3e5) << m;
        EXPECT_EQ(b.elem_p0[0], 1e5) << m;
        EXPECT_EQ(b.elem_stagType[0], 0.0);
        EXPECT_EQ(b.elem_stagType[last], 1.0);
        // The loss models were loaded for every element up to that one.
        EXPECT_NE(b.LossSlots[H2_LOSS_P][last], nullptr) << m;
    }
}

TEST_F(PredesignModels, ModelsCopyTheMastersSettingsAndElementDefaults) {
    PD_module* t = table(2);
    t[0].type = TURB_AXIAL;
    t[1].type = TURB_AXIAL;
    t[0].PD_LIM_upper[PD_LIM_STG] = 3.0;  // elements 0..6
    t[1].PD_LIM_upper[PD_LIM_STG] = 3.0;
    bdLocals* b = master();
    const double ublos[] = {0.11, 0.12, 0.13, 0.14};
    for (int i = 0; i <= 3; ++i) {
        b->ublos_limit[i] = ublos[i];
        b->volos_limit[i] = ublos[i] + 1.0;
        b->los_scale[i] = ublos[i] + 2.0;
        b->dev_scale[i] = ublos[i] + 3.0;
    }
    b->cyld_cfluid = 0;
    ASSERT_EQ(InitModels(), 0);
    for (int m = 0; m < 2; ++m) {
        const bdLocals& d = model(m);
        EXPECT_STREQ(d.name, "host case");
        EXPECT_STREQ(d.leakRName, "kmgr_t.dll");
        EXPECT_STREQ(d.fluidName, b->fluidName);
        EXPECT_EQ(d.cyld_VART, 2);
        EXPECT_EQ(d.IGM, 50);
        EXPECT_EQ(d.IPO, 3);
        EXPECT_EQ(d.acc_limit, 1e-5);
        EXPECT_EQ(d.cyld_T0, 288.0);
        EXPECT_EQ(d.cyld_R, h2::test::kAirR);
        EXPECT_EQ(d.family_los_limit[0], 0.5);
        EXPECT_EQ(d.family_los_limit[3], 0.0) << "only a centrifugal model takes every entry";
        for (int i = 0; i <= d.cyld_ns; ++i) {
            // Elements the master has take its values; the others the model's element 0.
            const double expected = i <= 3 ? ublos[i] : ublos[0];
            EXPECT_EQ(d.ublos_limit[i], expected) << i;
            EXPECT_EQ(d.volos_limit[i], expected + 1.0) << i;
            EXPECT_EQ(d.los_scale[i], expected + 2.0) << i;
            EXPECT_EQ(d.dev_scale[i], expected + 3.0) << i;
            EXPECT_EQ(d.los_limit[i], 0.5);
            EXPECT_EQ(d.dev_limit[i], 1.5);
            EXPECT_EQ(d.block_limit[i], 2.5);
            EXPECT_EQ(d.elem_MethodP[i], 2.0);
            EXPECT_EQ(d.elem_MethodS[i], 3.0);
            EXPECT_EQ(d.elem_MethodN[i], 4.0);
            EXPECT_EQ(d.elem_MethodV[i], 5.0);
            EXPECT_EQ(d.elem_MethodB[i], 8.0);
        }
    }
}

// A property function that records the codes a model's set-up sends.
struct Call {
    int code;
    double a, b, c;
    int which;
};
thread_local std::vector<Call> t_calls;
thread_local double t_reference_answer = 0.0;
thread_local double t_setup_answer = 0.0;
double recording_fluid(int code, double a, double b, double c, int which) {
    t_calls.push_back({code, a, b, c, which});
    if (code == H2_FLUID_REFERENCE) return t_reference_answer;
    if (code == H2_FLUID_SETUP) return t_setup_answer;
    return 0.0;
}

TEST_F(PredesignModels, SharedFluidsAreSetUpAgainThroughTheirCodes) {
    PD_module* t = table(1);
    t[0].PD_LIM_upper[PD_LIM_STG] = 1.0;
    bdLocals* b = master();
    b->fluid_func = recording_fluid;
    b->cfluid_func = recording_fluid;
    b->cyld_af = 0.25;
    b->cyld_caf = 0.75;
    b->fluid_ref_c = 0.5;
    struct Case {
        double reference_answer, setup_answer;
        int result;
        std::vector<Call> calls;
    };
    const Case cases[] = {
        {0.0,
         0.0,
         0,
         {{1000, 273.15, 1e5, 0, 0},
          {1003, 0, 0, 0, 0},
          {1001, 287, 1.4, 0.25, 0},
          {1000, 273.15, 1e5, 0, 1},
          {1003, 0, 0, 0, 1},
          {1001, 287, 1.4, 0.75, 1}}},
        // A refused reference state is sent again with the master's inlet state.
        {-1.0,
         0.0,
         0,
         {{1000, 273.15, 1e5, 0, 0},
          {1000, 288, 101325, 0.5, 0},
          {1003, 0, 0, 0, 0},
          {1001, 287, 1.4, 0.25, 0},
          {1000, 273.15, 1e5, 0, 1},
          {1003, 0, 0, 0, 1},
          {1001, 287, 1.4, 0.75, 1}}},
        // A refused set-up ends the build.
        {0.0, -2.0, -1, {{1000, 273.15, 1e5, 0, 0}, {1003, 0, 0, 0, 0}, {1001, 287, 1.4, 0.25, 0}}},
    };
    for (const Case& c : cases) {
        t_calls.clear();
        t_reference_answer = c.reference_answer;
        t_setup_answer = c.setup_answer;
        EXPECT_EQ(InitModels(), c.result);
        EXPECT_EQ(get_bdLocals(), master());
        ASSERT_EQ(t_calls.size(), c.calls.size());
        for (std::size_t k = 0; k < c.calls.size(); ++k) {
            EXPECT_EQ(t_calls[k].code, c.calls[k].code) << k;
            EXPECT_EQ(t_calls[k].a, c.calls[k].a) << k;
            EXPECT_EQ(t_calls[k].b, c.calls[k].b) << k;
            EXPECT_EQ(t_calls[k].c, c.calls[k].c) << k;
            EXPECT_EQ(t_calls[k].which, c.calls[k].which) << k;
        }
        EXPECT_EQ(model(0).fluid_func, recording_fluid);
    }
}

TEST_F(PredesignModels, TheSharedPerfectGasAnswersInEveryModel) {
    PD_module* t = table(2);
    t[0].PD_LIM_upper[PD_LIM_STG] = 1.0;
    t[1].PD_LIM_upper[PD_LIM_STG] = 1.0;
    bdLocals* b = master();
    b->cyld_cfluid = 3;  // a cooling fluid of its own
    h2::copy_text(b->cfluidName, "flxb.dll");
    ASSERT_EQ(InitcFluid(0.0), 0);
    ASSERT_NE(b->cfluid_func, nullptr);
    ASSERT_EQ(InitModels(), 0);
    // Each new model started the thread's fluid blocks afresh; the set-up codes
    // gave the gas its constants again: h = cp T with cp = k R / (k - 1).
    for (int m = 0; m < 2; ++m) {
        ASSERT_EQ(set_bdLocals(&model(m)), 1);
        EXPECT_DOUBLE_EQ(model(m).fluid_func(H2_FLUID_I_PT, 1e5, 300.0, 0.0, H2_FLUID_MAIN),
                         300.0 * h2::test::kAirCp);
    }
    set_bdLocals(master());
    // Only the first model takes the master's cooling fluid code, and the master keeps it.
    EXPECT_EQ(model(0).cyld_cfluid, 3);
    EXPECT_EQ(model(1).cyld_cfluid, 0);
    EXPECT_EQ(b->cyld_cfluid, 3);
}

TEST_F(PredesignModels, CentrifugalStageRolesTakeTheirSlots) {
    PD_module* t = table(1);
    t[0].type = COMP_RADIAL;
    t[0].PD_LIM_upper[PD_LIM_STG] = 3.0;
    t[0].diff_form = 1;  // impeller and vaneless diffuser: two elements a stage
    bdLocals* b = master();
    // Impeller slot 3 named in every buffer, vaneless diffuser slot 5 empty.
    for (char* buffer : {b->losPName, b->losSName, b->losNName, b->devName, b->blockName}) {
        set_slot(buffer, 0, "kmprf_t.dll");
        set_slot(buffer, 3, "kmprf_c.dll");
    }
    ASSERT_EQ(InitModels(), 0);
    const bdLocals& d = model(0);
    EXPECT_EQ(d.cyld_ns, 24);
    // A centrifugal model loads every element with the impeller's names.
    EXPECT_STREQ(d.losPName, "kmprf_c.dll");
    EXPECT_EQ(d.family_los_limit[5], 0.55);
    for (int e = 1; e <= 6; ++e) {
        const bool impeller = e % 2 == 1;
        const int slot = impeller ? 3 : 5;
        EXPECT_DOUBLE_EQ(d.los_limit[e], 0.5 + 0.01 * slot) << e;
        EXPECT_DOUBLE_EQ(d.dev_limit[e], 1.5 + 0.01 * slot) << e;
        EXPECT_DOUBLE_EQ(d.block_limit[e], 2.5 + 0.01 * slot) << e;
        EXPECT_EQ(d.elem_MethodR[e], 0.0) << e;
        EXPECT_EQ(d.elem_MethodD[e], 0.0) << e;
        // A named slot keeps the models on, an empty one switches all five off.
        EXPECT_EQ(d.elem_MethodP[e], impeller ? 2.0 : 0.0) << e;
        EXPECT_EQ(d.elem_MethodS[e], impeller ? 3.0 : 0.0) << e;
        EXPECT_EQ(d.elem_MethodN[e], impeller ? 4.0 : 0.0) << e;
        EXPECT_EQ(d.elem_MethodV[e], impeller ? 5.0 : 0.0) << e;
        EXPECT_EQ(d.elem_MethodB[e], impeller ? 8.0 : 0.0) << e;
    }
    // Twelve stages fill elements 1..24; the inlet keeps the entry-0 defaults.
    EXPECT_EQ(d.alloc_elems, 25);
    EXPECT_DOUBLE_EQ(d.los_limit[23], 0.53);
    EXPECT_DOUBLE_EQ(d.los_limit[24], 0.55);
    EXPECT_EQ(d.los_limit[0], 0.5);
    EXPECT_EQ(d.elem_MethodP[0], 2.0);
}

TEST_F(PredesignModels, FullStageAndExtraInletRoles) {
    PD_module* t = table(1);
    PD_module& r = t[0];
    r.type = COMP_RADIAL;
    r.PD_LIM_upper[PD_LIM_STG] = 1.0;
    r.Vflag = 1;
    r.PD_SRC_P0 = 1e5;
    r.PD_SRC_P2N = 2e5;  // compressing
    r.volin_form = r.lbau_form = r.uband_form = r.desw_form = r.lbda_form = r.volout_form = 1;
    r.diff_form = 2;
    ASSERT_EQ(InitModels(), 0);
    const bdLocals& d = model(0);
    ASSERT_EQ(d.cyld_ns, 8);
    // volute, L-bend, impeller, vaned diffuser, U-bend, deswirler, L-bend, volute.
    const int slots[] = {10, 11, 3, 4, 6, 8, 12, 9};
    for (int e = 2; e <= 8; ++e) EXPECT_DOUBLE_EQ(d.los_limit[e], 0.5 + 0.01 * slots[e - 1]) << e;
    // Element 1 is the inlet volute of the stage and the machine's extra inlet
    // element: its models are off (empty slots) and its limits those of slot 10.
    EXPECT_DOUBLE_EQ(d.los_limit[1], 0.6);
    EXPECT_EQ(d.elem_MethodP[1], 0.0);
}

TEST_F(PredesignModels, TheExtraInletElementOfACompressingMachine) {
    struct Case {
        double outlet;  // the last module's outlet pressure; inlet 1e5
        double methodP;
    };
    // Slot 1 is empty: attached, the element's models are off; its limits and
    // its other switches stay those of every element.
    for (const Case c : {Case{2e5, 0.0}, Case{1e5, 0.0}, Case{0.5e5, 2.0}}) {
        PD_module* t = table(1);
        t[0].type = TURB_AXIAL;
        t[0].PD_LIM_upper[PD_LIM_STG] = 1.0;
        t[0].Vflag = 1;
        t[0].PD_SRC_P0 = 1e5;
        t[0].PD_SRC_P2N = c.outlet;
        ASSERT_EQ(InitModels(), 0);
        const bdLocals& d = model(0);
        EXPECT_EQ(d.elem_MethodP[1], c.methodP) << c.outlet;
        EXPECT_EQ(d.elem_MethodB[1], c.methodP == 0.0 ? 0.0 : 8.0) << c.outlet;
        EXPECT_EQ(d.los_limit[1], 0.5) << c.outlet;
        EXPECT_EQ(d.elem_MethodP[2], 2.0) << c.outlet;
    }
}

TEST_F(PredesignModels, BuildingAgainAndReleasingFreeOnlyWhatWasBuilt) {
    PD_module* t = table(2);
    t[0].PD_LIM_upper[PD_LIM_STG] = 2.0;
    t[1].PD_LIM_upper[PD_LIM_STG] = 2.0;
    ASSERT_EQ(InitModels(), 0);
    const bdLocals* first = rec(0).PD_model;
    ASSERT_NE(first, nullptr);
    // The second build frees the first set with the volute records their
    // generators made (the sanitizer build sees any leak).
    rec(0).PD_model->volout = VoloutInit(21, 10, 10);
    ASSERT_EQ(InitModels(), 0);
    EXPECT_NE(rec(0).PD_model, nullptr);
    EXPECT_EQ(get_bdLocals(), master());
    PD_free_models();
    EXPECT_EQ(rec(0).PD_model, nullptr);
    EXPECT_EQ(rec(1).PD_model, nullptr);
    EXPECT_EQ(get_bdLocals(), master());
    EXPECT_NE(master()->fluid_func, nullptr);

    // A pointer the host put into a record is not the library's to free.
    const h2::test::BlockPtr host_block = h2::test::make_block();
    rec(0).PD_model = host_block.get();
    PD_free_models();
    EXPECT_EQ(rec(0).PD_model, host_block.get());
    rec(0).PD_model = nullptr;
}

TEST_F(PredesignModels, FailuresReturnTheirCodeWithTheMasterCurrent) {
    PD_module* t = table(2);
    t[0].PD_LIM_upper[PD_LIM_STG] = 1.0;
    t[1].PD_LIM_upper[PD_LIM_STG] = 1.0;
    bdLocals* b = master();
    // No fluid in the master and an unknown fluid code: nothing can be loaded.
    b->fluid_func = nullptr;
    b->fluidName[0] = '\0';
    b->cyld_fluid = 9;
    EXPECT_EQ(InitModels(), 1);
    EXPECT_EQ(get_bdLocals(), b);
    EXPECT_NE(rec(0).PD_model, nullptr) << "the model built so far stays";
    EXPECT_EQ(rec(1).PD_model, nullptr);
}

}  // namespace
