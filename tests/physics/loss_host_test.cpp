// The loss-model plug-in host: the family rule and default libraries, the
// loaders and InitLoses against recording plug-ins (tests/plugins/losses),
// the copies of slot entries between cases, and the switched slot access.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "case/case_arrays.h"
#include "case/text_field.h"
#include "halvorine2/halvorine2.h"
#include "halvorine2/loss_plugin.h"
#include "halvorine2/losses.h"
#include "physics/loss_host.h"
#include "platform/dynlib.h"
#include "tests/support/case_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using h2::test::LiveCaseTest;

// elem__stagType codes used below
constexpr double kDuct = 0.0, kBladeRow = 1.0, kVaneless = 2.0, kUBend = 3.0, kOutletVolute = 4.0,
                 kInletVolute = 5.0, kDeswirler = 6.0, kHollow = 7.0;
// elem__sectType codes
constexpr double kAxial = 0.0, kRadial = 1.0, kAngular = 2.0;

constexpr std::array<int (*)(const char*, int), H2_LOSS_CALC_SLOTS> kLoaders{
    InitUDU, InitURZ, InitZAZlos, InitProfLos, InitScndLos, InitTransLos, InitDevAng, InitBlock};

// A marker entry that tells element and slot apart; never called.
LossEntry marker(int element, int slot) {
    return reinterpret_cast<LossEntry>(static_cast<std::uintptr_t>(0x10000 + element * 16 + slot));
}

// "library entry" from a slot's description, "" when the slot is empty.
std::string filled_by(const bdLocals* b, int slot, int i) {
    const LossEntry note = b->LossSlots[slot + H2_LOSS_NOTE_OFFSET][i];
    if (note == nullptr) return b->LossSlots[slot][i] == nullptr ? "" : "calculation without description";
    char buffer[H2_LOSS_NOTE_SIZE] = "fixed";
    reinterpret_cast<LossNoteFunc>(note)(H2_LOSS_NOTE_SIZE, buffer);
    std::string text(buffer);
    const auto open = text.find("<note>"), close = text.find("</note>");
    if (open == std::string::npos || close == std::string::npos) return "bad note: " + text;
    return text.substr(open + 6, close - open - 6);
}

bool all_slots_empty(const bdLocals* b, int i) {
    for (int slot = 0; slot < H2_LOSS_SLOT_COUNT; ++slot)
        if (b->LossSlots[slot][i] != nullptr) return false;
    return true;
}

// An element's description of a path.
struct ElementShape {
    double kind;
    double sect = kAxial;
    double blades = 0.0;
    double speed = 0.0;
    double inlet_metal = 0.0;  // cas__B1g
    double exit_metal = 0.0;   // cas__B2a
    double d1 = 0.5, d2 = 0.5;
};

class LossHostTest : public LiveCaseTest {
protected:
    // A path of the given elements, one section, design task or analysis
    // task, expanding or compressing, its models looked for in `base`.
    void make_path(std::initializer_list<ElementShape> elements, int vart, bool expanding,
                   const char* base = H2_TEST_PLUGIN_DIR) {
        allocate(static_cast<int>(elements.size()) - 1, 1);
        bdLocals* b = block();
        b->cyld_VART = vart;
        int i = 0;
        for (const ElementShape& e : elements) {
            b->elem_stagType[i] = e.kind;
            b->elem_sectType[i] = e.sect;
            b->bld_z[i] = e.blades;
            b->bld_wp[i] = e.speed;
            b->cas_B1g[i][0] = e.inlet_metal;
            b->cas_B2a[i][0] = e.exit_metal;
            b->bld_d1[i] = e.d1;
            b->bld_d2[i] = e.d2;
            ++i;
        }
        b->elem_p0[0] = expanding ? 2e5 : 1e5;
        b->elem_p2[b->cyld_ns] = expanding ? 1e5 : 2e5;
        h2::copy_text(b->ModelBase, base);
    }
};

// A turbine nozzle and an axial compressor rotor and stator of an analysis task.
const ElementShape kNozzle{kBladeRow, kAxial, 40, 0, 90, 15};
const ElementShape kCompressorRotor{kBladeRow, kAxial, 30, 1000, 35, 55};
const ElementShape kImpeller{kBladeRow, kRadial, 20, 3000, 30, 90, 0.2, 0.4};

// ---------------------------------------------------------------------------
// Families

struct FamilyCase {
    const char* name;
    int vart;
    bool expanding;
    ElementShape element;
    LossFamily family;
};

class LossFamilyTest : public LossHostTest, public ::testing::WithParamInterface<FamilyCase> {};

TEST_P(LossFamilyTest, ElementGetsItsFamily) {
    const FamilyCase& c = GetParam();
    make_path({{kDuct}, c.element}, c.vart, c.expanding);
    EXPECT_EQ(h2::loss_family(*block(), 1), c.family);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, LossFamilyTest,
    ::testing::Values(
        // Design tasks: an expanding path is turbine throughout, a vaneless diffuser too.
        FamilyCase{"DesignExpandingRow", 0, true, {kBladeRow, kAxial, 30}, H2_FAMILY_TURBINE},
        FamilyCase{"DesignExpandingDiffuser", 0, true, {kVaneless, kRadial}, H2_FAMILY_TURBINE},
        FamilyCase{"DesignExpandingHollow", 0, true, {kHollow}, H2_FAMILY_TURBINE},
        FamilyCase{"DesignAxialCompressor", 0, false, {kBladeRow, kAxial, 30}, H2_FAMILY_AXIAL_COMPRESSOR},
        FamilyCase{"DesignCentrifugal", 0, false, {kBladeRow, kRadial, 30}, H2_FAMILY_CENTRIFUGAL},
        FamilyCase{"DesignVaneless", 0, false, {kVaneless, kRadial}, H2_FAMILY_VANELESS_DIFFUSER},
        FamilyCase{"DesignUBend", 0, false, {kUBend, kAxial}, H2_FAMILY_U_BEND},
        FamilyCase{"DesignOutletVolute", 0, false, {kOutletVolute, kAngular}, H2_FAMILY_OUTLET_VOLUTE},
        FamilyCase{"DesignInletVolute", 0, false, {kInletVolute, kAngular}, H2_FAMILY_INLET_VOLUTE},
        FamilyCase{"DesignDeswirler", 0, false, {kDeswirler, kRadial}, H2_FAMILY_OTHER},
        // A compressing path makes an axial-section volute a compressor row: the first match wins.
        FamilyCase{"DesignAxialVolute", 0, false, {kOutletVolute, kAxial}, H2_FAMILY_AXIAL_COMPRESSOR},
        FamilyCase{"DesignAngularHollow", 0, false, {kHollow, kAngular}, H2_FAMILY_NONE},
        // Analysis tasks: the profile tests decide.
        FamilyCase{"AnalysisNozzle", 10, true, kNozzle, H2_FAMILY_TURBINE},
        FamilyCase{"AnalysisCompressorRotor", 10, false, kCompressorRotor, H2_FAMILY_AXIAL_COMPRESSOR},
        FamilyCase{"AnalysisImpeller", 10, false, kImpeller, H2_FAMILY_CENTRIFUGAL},
        FamilyCase{"AnalysisHollowWithoutBlades", 10, true, {kHollow}, H2_FAMILY_NONE},
        FamilyCase{"AnalysisVanelessDiffuser", 10, false, {kVaneless, kRadial}, H2_FAMILY_VANELESS_DIFFUSER}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LossHostTest, DefaultLibrariesFollowTheFamilyAndThePath) {
    make_path({{kDuct}, kNozzle, {kHollow}}, 10, true);
    const bdLocals& b = *block();
    EXPECT_EQ(h2::default_loss_library(b, H2_LOSS_D, 2), "kmgd_t.dll");
    EXPECT_EQ(h2::default_loss_library(b, H2_LOSS_R, 2), "kmgr_t.dll");
    EXPECT_EQ(h2::default_loss_library(b, H2_LOSS_Z, 2), "kmga_t.dll");
    EXPECT_EQ(h2::default_loss_library(b, H2_LOSS_P, 1), "kmprf_t.dll");
    EXPECT_EQ(h2::default_loss_library(b, H2_LOSS_B, 1), "kmblk_t.dll");
    EXPECT_EQ(h2::default_loss_library(b, H2_LOSS_P, 2), "");
    block()->elem_p0[0] = 0.5e5;  // now compressing
    EXPECT_EQ(h2::default_loss_library(b, H2_LOSS_R, 2), "kmgr_c.dll");
}

// ---------------------------------------------------------------------------
// InitLoses and the loaders

TEST_F(LossHostTest, DuctsAreSkippedAndRowsGetEveryDefault) {
    make_path({{kDuct}, kNozzle, {kDuct}}, 10, true);
    EXPECT_EQ(InitLoses(), 0);
    EXPECT_TRUE(all_slots_empty(block(), 0));
    EXPECT_TRUE(all_slots_empty(block(), 2));
    const std::array<const char*, H2_LOSS_CALC_SLOTS> expected{
        "kmgd_t InitUDU",      "kmgr_t InitURZ",       "kmga_t InitZAZlos",  "kmprf_t InitProfLos",
        "kmsnd_t InitScndLos", "kmtrn_t InitTransLos", "kmdva_t InitDevAng", "kmblk_t InitBlock"};
    for (int slot = 0; slot < H2_LOSS_CALC_SLOTS; ++slot)
        EXPECT_EQ(filled_by(block(), slot, 1), expected[slot]) << "slot " << slot;
}

TEST_F(LossHostTest, HollowWithoutBladesGetsOnlyTheLeakageModels) {
    make_path({{kDuct}, {kHollow}}, 10, true);
    EXPECT_EQ(InitLoses(), 0);
    EXPECT_EQ(filled_by(block(), H2_LOSS_D, 1), "kmgd_t InitUDU");
    EXPECT_EQ(filled_by(block(), H2_LOSS_R, 1), "kmgr_t InitURZ");
    EXPECT_EQ(filled_by(block(), H2_LOSS_Z, 1), "kmga_t InitZAZlos");
    for (int slot = H2_LOSS_P; slot <= H2_LOSS_B; ++slot) EXPECT_EQ(filled_by(block(), slot, 1), "") << slot;
}

TEST_F(LossHostTest, RadialCompressorRowGetsTheCentrifugalDefaults) {
    make_path({{kDuct}, {kDuct}, {kDuct}, kImpeller}, 10, false);
    EXPECT_EQ(InitLoses(), 0);
    EXPECT_EQ(filled_by(block(), H2_LOSS_P, 3), "kmprf_r InitProfLos");
    EXPECT_EQ(filled_by(block(), H2_LOSS_V, 3), "kmdva_r InitDevAng");
    EXPECT_EQ(filled_by(block(), H2_LOSS_R, 3), "kmgr_c InitURZ");
}

TEST_F(LossHostTest, NamedModelsReplaceTheDefaultsForEveryElement) {
    make_path({{kDuct}, kNozzle, {kHollow}}, 10, true);
    h2::copy_text(block()->losPName, "rec_named.dll");
    h2::copy_text(block()->leakDName, "rec_named.dll");
    EXPECT_EQ(InitLoses(), 0);
    EXPECT_EQ(filled_by(block(), H2_LOSS_P, 1), "rec_named InitProfLos");
    EXPECT_EQ(filled_by(block(), H2_LOSS_D, 1), "rec_named InitUDU");
    EXPECT_EQ(filled_by(block(), H2_LOSS_S, 1), "kmsnd_t InitScndLos");
    // A named model needs no family: the hollow gets it, but no default beside it.
    EXPECT_EQ(filled_by(block(), H2_LOSS_P, 2), "rec_named InitProfLos");
    EXPECT_EQ(filled_by(block(), H2_LOSS_S, 2), "");
}

TEST_F(LossHostTest, EmptyModelBaseLoadsByFileNameAlone) {
    h2::test::TempDir dir;
    std::filesystem::copy_file(H2_TEST_PLUGIN_DIR "/kmgd_t.so", dir.path() / "kmgd_t.so");
    make_path({{kDuct}, kNozzle}, 10, true, "");
    EXPECT_EQ(InitUDU(nullptr, 1), 0);
    EXPECT_EQ(filled_by(block(), H2_LOSS_D, 1), "kmgd_t InitUDU");
    // Only the copy is reachable by the bare name.
    EXPECT_EQ(InitProfLos(nullptr, 1), 0);
    EXPECT_EQ(filled_by(block(), H2_LOSS_P, 1), "");
}

TEST_F(LossHostTest, MissingLibraryOrEntryLeavesTheSlotEmpty) {
    make_path({{kDuct}, kNozzle}, 10, true);
    EXPECT_EQ(InitProfLos("no_such_model.dll", 1), 0);
    EXPECT_EQ(filled_by(block(), H2_LOSS_P, 1), "");
    // kmgd_t has only the diaphragm leakage initialiser.
    EXPECT_EQ(InitProfLos("kmgd_t.dll", 1), 0);
    EXPECT_EQ(filled_by(block(), H2_LOSS_P, 1), "");

    h2::copy_text(block()->ModelBase, "/no/such/model/base");
    EXPECT_EQ(InitLoses(), 0);
    EXPECT_TRUE(all_slots_empty(block(), 1));
}

TEST_F(LossHostTest, EveryLoaderCallLoadsAndInitialisesAgain) {
    make_path({{kDuct}, kNozzle}, 10, true);
    const auto lib = h2::platform::lib_open(H2_TEST_PLUGIN_DIR "/kmprf_t.so");
    ASSERT_NE(lib, nullptr);
    const auto calls = reinterpret_cast<int (*)()>(h2::platform::lib_symbol(lib, "rec_entry_calls"));
    ASSERT_NE(calls, nullptr);
    const int before = calls();
    EXPECT_EQ(InitProfLos(nullptr, 1), 0);
    EXPECT_EQ(InitProfLos("", 1), 0);
    EXPECT_EQ(calls(), before + 2);
    h2::platform::lib_close(lib);
}

// ---------------------------------------------------------------------------
// Guards

TEST_F(LossHostTest, ElementsOutsideThePathGetNothing) {
    make_path({{kDuct}, kNozzle}, 10, true);
    for (int slot = 0; slot < H2_LOSS_CALC_SLOTS; ++slot) {
        EXPECT_EQ(kLoaders[slot](nullptr, -1), 0);
        EXPECT_EQ(kLoaders[slot](nullptr, 2), 0);
    }
    EXPECT_TRUE(all_slots_empty(block(), 0));
    EXPECT_TRUE(all_slots_empty(block(), 1));
}

TEST_F(LossHostTest, CountsBeyondTheArraysLoadNothing) {
    make_path({{kDuct}, kNozzle}, 10, true);
    block()->cyld_ns = 5;
    EXPECT_EQ(InitLoses(), 1);
    EXPECT_EQ(InitProfLos(nullptr, 1), 0);
    block()->cyld_ns = 1;
    EXPECT_TRUE(all_slots_empty(block(), 1));
}

TEST_F(LossHostTest, OverlongNameLoadsNothing) {
    make_path({{kDuct}, kNozzle}, 10, true);
    const std::string name(5000, 'x');
    EXPECT_EQ(InitProfLos(name.c_str(), 1), 0);
    EXPECT_TRUE(all_slots_empty(block(), 1));
}

TEST_F(LossHostTest, CaseWithoutArraysLoadsNothing) {
    EXPECT_EQ(InitLoses(), 1);
    for (const auto loader : kLoaders) EXPECT_EQ(loader(nullptr, 0), 0);
}

TEST_F(LossHostTest, ThreadWithoutCaseLoadsNothing) {
    int loses = 0, loader = -1;
    std::thread([&] {
        loses = InitLoses();
        loader = InitProfLos(nullptr, 0);
    }).join();
    EXPECT_EQ(loses, 1);
    EXPECT_EQ(loader, 0);
}

// ---------------------------------------------------------------------------
// Copies between cases

// A second case with arrays of its own, made beside the current one.
class OtherCase {
public:
    OtherCase(int ns, int nr) : home_(get_bdLocals()), block_(h2::test::make_block()) {
        set_bdLocals(block_.get());
        block_->cyld_ns = ns;
        block_->cyld_nr = nr;
        ok_ = alloc_probdata(ns + 1, nr) == 0;
        set_bdLocals(home_);
    }
    ~OtherCase() {
        set_bdLocals(block_.get());
        free_probdata();
        set_bdLocals(home_);
    }
    OtherCase(const OtherCase&) = delete;
    OtherCase& operator=(const OtherCase&) = delete;
    bool ok() const { return ok_; }
    bdLocals* get() const { return block_.get(); }

private:
    bdLocals* home_;
    h2::test::BlockPtr block_;
    bool ok_ = false;
};

// Marks every entry of elements 0..ns and sets distinct case switches.
void mark(bdLocals* b) {
    for (int i = 0; i <= b->cyld_ns; ++i)
        for (int slot = 0; slot < H2_LOSS_SLOT_COUNT; ++slot) b->LossSlots[slot][i] = marker(i, slot);
    b->cyld_MethodP = 1;
    b->cyld_MethodS = 2;
    b->cyld_MethodN = 3;
    b->cyld_MethodV = 4;
    b->cyld_MethodR = 5;
    b->cyld_MethodD = 6;
    b->cyld_MethodB = 7;
    b->cyld_MethodZ = 8;
}

// Element d of dst holds the entries of src element s.
bool holds(const bdLocals* dst, int d, int s) {
    for (int slot = 0; slot < H2_LOSS_SLOT_COUNT; ++slot)
        if (dst->LossSlots[slot][d] != marker(s, slot)) return false;
    return true;
}

void expect_switches_copied(const bdLocals* dst, int kept_z) {
    EXPECT_EQ(dst->cyld_MethodP, 1);
    EXPECT_EQ(dst->cyld_MethodS, 2);
    EXPECT_EQ(dst->cyld_MethodN, 3);
    EXPECT_EQ(dst->cyld_MethodV, 4);
    EXPECT_EQ(dst->cyld_MethodR, 5);
    EXPECT_EQ(dst->cyld_MethodD, 6);
    EXPECT_EQ(dst->cyld_MethodB, 7);
    EXPECT_EQ(dst->cyld_MethodZ, kept_z);
}

TEST_F(LossHostTest, CopyLosesCopiesEntriesAndSwitchesButKeepsMethodZ) {
    OtherCase src(3, 1), dst(3, 1);
    ASSERT_TRUE(src.ok() && dst.ok());
    mark(src.get());
    dst.get()->cyld_MethodZ = 42;
    EXPECT_EQ(CopyLoses(src.get(), dst.get()), 0);
    for (int i = 0; i <= 3; ++i) EXPECT_TRUE(holds(dst.get(), i, i)) << i;
    expect_switches_copied(dst.get(), 42);
}

TEST_F(LossHostTest, CopyLosesStopsAtTheEndOfASmallerDestination) {
    OtherCase src(5, 1), dst(1, 1);
    ASSERT_TRUE(src.ok() && dst.ok());
    mark(src.get());
    EXPECT_EQ(CopyLoses(src.get(), dst.get()), 0);
    EXPECT_TRUE(holds(dst.get(), 0, 0));
    EXPECT_TRUE(holds(dst.get(), 1, 1));
}

TEST_F(LossHostTest, CopiesRefuseMissingBlocks) {
    OtherCase one(1, 1);
    ASSERT_TRUE(one.ok());
    EXPECT_EQ(CopyLoses(nullptr, one.get()), -1);
    EXPECT_EQ(CopyLoses(one.get(), nullptr), -1);
    EXPECT_EQ(FillLoses(nullptr, 0, one.get(), 0, 0), -1);
    EXPECT_EQ(FillLoses(one.get(), 0, nullptr, 0, 0), -1);
}

struct FillCase {
    const char* name;
    int src_ns, dst_ns, k, dst_start, src_start;
    // dst element -> src element it must hold, -1 for untouched
    std::array<int, 8> expected;
};

class FillLosesTest : public LossHostTest, public ::testing::WithParamInterface<FillCase> {};

TEST_P(FillLosesTest, CopiesTheChosenElements) {
    const FillCase& c = GetParam();
    OtherCase src(c.src_ns, 1), dst(c.dst_ns, 1);
    ASSERT_TRUE(src.ok() && dst.ok());
    mark(src.get());
    dst.get()->cyld_MethodZ = 42;
    EXPECT_EQ(FillLoses(src.get(), c.k, dst.get(), c.dst_start, c.src_start), 0);
    for (int d = 0; d <= c.dst_ns; ++d) {
        if (c.expected[d] < 0)
            EXPECT_TRUE(all_slots_empty(dst.get(), d)) << "element " << d;
        else
            EXPECT_TRUE(holds(dst.get(), d, c.expected[d])) << "element " << d;
    }
    expect_switches_copied(dst.get(), 42);
}

INSTANTIATE_TEST_SUITE_P(
    Walks, FillLosesTest,
    ::testing::Values(FillCase{"OneSourceElementToAll", 4, 7, 2, 0, 0, {2, 2, 2, 2, 2, 2, 2, 2}},
                      FillCase{"OneSourceElementFromStart", 4, 7, 1, 5, 0, {-1, -1, -1, -1, -1, 1, 1, 1}},
                      FillCase{"StopsAfterDestinationEnd", 4, 7, -1, 5, 0, {-1, -1, -1, -1, -1, 0, 1, 2}},
                      FillCase{"StopsAfterSourceEnd", 2, 7, -1, 2, 1, {-1, -1, 1, 2, -1, -1, -1, -1}},
                      FillCase{"ElementWise", 7, 7, -1, 0, 0, {0, 1, 2, 3, 4, 5, 6, 7}},
                      FillCase{"SourceElementBeyondSource", 2, 7, 5, 0, 0, {-1, -1, -1, -1, -1, -1, -1, -1}},
                      FillCase{
                          "NegativeStartsSkipToTheArrays", 4, 7, -1, -2, 0, {2, 3, 4, -1, -1, -1, -1, -1}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Switched access to the slots

void some_section_model(bdLocals*, int, int) {}
void some_element_model(bdLocals*, int) {}
void some_note(int, char*) {}

TEST_F(LossHostTest, SwitchedEntryNeedsTheSwitchAndTheEntry) {
    allocate(1, 2);
    bdLocals* b = block();
    const auto profile = reinterpret_cast<LossEntry>(&some_section_model);
    b->LossSlots[H2_LOSS_P][1] = profile;
    b->LossSlots[H2_LOSS_P + H2_LOSS_NOTE_OFFSET][1] = reinterpret_cast<LossEntry>(&some_note);
    b->LossSlots[H2_LOSS_R][1] = reinterpret_cast<LossEntry>(&some_element_model);

    // Switched off: nothing, though the entry is set.
    EXPECT_EQ(h2::switched_loss_entry(b, H2_LOSS_P, 1), nullptr);
    EXPECT_EQ(h2::section_model(b, H2_LOSS_P, 1, 0), nullptr);
    EXPECT_EQ(h2::model_note(b, H2_LOSS_P, 1), nullptr);

    b->elem_MethodP[1] = 1.0;
    EXPECT_EQ(h2::switched_loss_entry(b, H2_LOSS_P, 1), profile);
    EXPECT_EQ(h2::section_model(b, H2_LOSS_P, 1, 1), &some_section_model);
    EXPECT_EQ(h2::model_note(b, H2_LOSS_P, 1), &some_note);
    // Sections and elements outside the arrays, and the wrong form of slot.
    EXPECT_EQ(h2::section_model(b, H2_LOSS_P, 1, 2), nullptr);
    EXPECT_EQ(h2::section_model(b, H2_LOSS_P, 2, 0), nullptr);
    EXPECT_EQ(h2::element_model(b, H2_LOSS_P, 1), nullptr);

    // Switched on without an entry: counts as off.
    b->elem_MethodS[1] = 1.0;
    EXPECT_EQ(h2::switched_loss_entry(b, H2_LOSS_S, 1), nullptr);
    EXPECT_EQ(h2::section_model(b, H2_LOSS_S, 1, 0), nullptr);

    // A switch is read truncated: 0.5 is off; not a number is off.
    b->elem_MethodR[1] = 0.5;
    EXPECT_EQ(h2::element_model(b, H2_LOSS_R, 1), nullptr);
    b->elem_MethodR[1] = NAN;
    EXPECT_EQ(h2::element_model(b, H2_LOSS_R, 1), nullptr);
    b->elem_MethodR[1] = -2.0;
    EXPECT_EQ(h2::element_model(b, H2_LOSS_R, 1), &some_element_model);
    // The unswitched access sees the entry whatever the switch.
    EXPECT_EQ(h2::loss_entry(b, H2_LOSS_S + H2_LOSS_NOTE_OFFSET, 1), nullptr);
    EXPECT_EQ(h2::loss_entry(b, H2_LOSS_P, 1), profile);
    EXPECT_EQ(h2::loss_entry(b, H2_LOSS_SLOT_COUNT, 1), nullptr);
}

TEST_F(LossHostTest, SwitchedEntryOfACaseWithoutArraysIsEmpty) {
    EXPECT_EQ(h2::switched_loss_entry(block(), H2_LOSS_P, 0), nullptr);
    EXPECT_EQ(h2::section_model(nullptr, H2_LOSS_P, 0, 0), nullptr);
    EXPECT_EQ(h2::loss_entry(nullptr, H2_LOSS_P, 0), nullptr);
}

}  // namespace
