// Point restore: the table's current design rebuilt (models built and freed,
// or kept), solved and reported.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <filesystem>
#include <string>
#include <thread>

#include "case/text_field.h"
#include "tests/solver/predesign/search/search_fixture.h"
#include "tests/support/captured_console.h"
#include "tests/support/temp_dir.h"

namespace {

using h2::test::kSearchP2;

class Restore : public h2::test::SearchTest {};

TEST_F(Restore, BuildsSolvesAndFreesItsOwnModels) {
    PD_module* t = table(1);
    centrifugal(t, 0);
    attach(1);
    const h2::test::CapturedConsole console;
    std::fesetround(FE_DOWNWARD);
    const int r = RestorePoint(0, 0);
    const int round = std::fegetround();
    std::fesetround(FE_TONEAREST);
    ASSERT_EQ(r, 0);
    EXPECT_EQ(round, FE_DOWNWARD) << "the caller's rounding is restored";
    EXPECT_EQ(get_bdLocals(), master());
    EXPECT_EQ(t[0].PD_model, nullptr) << "the models it built are gone";
    EXPECT_EQ(master()->cyld_ns, 2);
    EXPECT_NEAR(master()->isd_p2[2][0], kSearchP2, 1e-6 * kSearchP2);
    EXPECT_GT(master()->cyld_effx, 0.0);
    EXPECT_LT(master()->cyld_effx, 1.0);
    EXPECT_EQ(console.text(), "") << "IPO 0 reports nothing";
}

TEST_F(Restore, KeepsModelsItWasGivenAndSkipsTheLimits) {
    PD_module* t = table(1);
    centrifugal(t, 0).Vflag = 3;  // a stage count the limits refuse
    attach(1);
    EXPECT_EQ(RestorePoint(1, 1), -1) << "no models to keep";
    build();
    bdLocals* model = t[0].PD_model;
    EXPECT_EQ(RestorePoint(1, 0), 101);
    EXPECT_EQ(get_bdLocals(), master());
    EXPECT_EQ(RestorePoint(1, 1), 0);
    EXPECT_EQ(t[0].PD_model, model);
    EXPECT_EQ(t[0].restoreFlag, 1);
    EXPECT_EQ(get_bdLocals(), master());
}

TEST_F(Restore, ReportsASolvedDesignWithIpo) {
    PD_module* t = table(1);
    centrifugal(t, 0);
    attach(1);
    master()->IPO = 1;
    const h2::test::CapturedConsole console;
    ASSERT_EQ(RestorePoint(0, 0), 0);
    const std::string text = console.text();
    EXPECT_NE(text.find("P D  r a n g e s"), std::string::npos);
    EXPECT_NE(text.find("Nmodules = 1"), std::string::npos);
}

TEST_F(Restore, AFailedCompositionIsReportedAndReturned) {
    PD_module* t = table(1);
    centrifugal(t, 0).PD_LIM_upper[PD_LIM_DS] = 0.01;
    attach(1);
    master()->IPP = 3;
    const h2::test::CapturedConsole console;
    EXPECT_EQ(RestorePoint(0, 0), 101);
    EXPECT_NE(console.text().find("Out of range!"), std::string::npos);
    EXPECT_EQ(t[0].PD_model, nullptr);
    EXPECT_EQ(get_bdLocals(), master());
}

// A restored axial turbine point with both atlases: the record's profile
// names reach the redesign, and every generated row takes its profile from
// the atlas (index -1 would mean the atlas was asked for another name).
TEST_F(Restore, TheRecordsAtlasProfilesReachEveryGeneratedRow) {
    const h2::test::TempDir dir;
    std::filesystem::create_directory("ATLASES");
    for (const char* f : {"PDatlasS.atl", "PDatlasS.att", "PDatlasR.atl", "PDatlasR.att"})
        std::filesystem::copy_file(std::filesystem::path(H2_ATLAS_DIR) / f,
                                   std::filesystem::path("ATLASES") / f);
    PD_module& r = table(1)[0];
    r.type = TURB_AXIAL;
    r.Gflag = 2;
    r.PD_VAL[PD_VAR_OM] = r.PD_SRC_OM = 3000.0;
    r.PD_VAL[PD_VAR_D] = 0.2;
    r.PD_VAL[PD_VAR_CZ] = 14.0;
    r.PD_VAL[PD_VAR_HT] = 0.6;
    r.PD_VAL[PD_VAR_R] = 0.15;
    r.PD_VAL[PD_VAR_PA] = r.PD_VAL[PD_VAR_KZ] = r.PD_VAL[PD_VAR_KH] = 1.0;
    r.PD_LIM_lower[PD_LIM_STG] = 1.0;
    r.PD_LIM_upper[PD_LIM_STG] = 10.0;
    r.PD_LIM_upper[PD_LIM_DH] = r.PD_LIM_upper[PD_LIM_DS] = 10.0;
    r.bladeDensity = 7800.0;
    r.PD_SRC_G = 3.0;
    r.PD_SRC_P2N = 1.2e5;
    r.PD_SRC_P0 = 4e5;
    r.PD_SRC_I0 = h2::test::kAirCp * 1000.0;
    r.PD_SRC_A0 = 90.0;
    r.useAtlasS = r.useAtlasR = 1;
    h2::copy_text(r.profNameS, "S70");
    h2::copy_text(r.profNameR, "R110");
    h2::copy_text(r.atlasListS, "./ATLASES/PDatlasS.att");
    h2::copy_text(r.atlasListR, "./ATLASES/PDatlasR.att");
    attach(1);
    bdLocals& b = *master();
    b.ICLos = 1;
    ASSERT_EQ(RestorePoint(0, 0), 0);
    EXPECT_STREQ(b.atlas_s_profile, "S70");
    EXPECT_STREQ(b.atlas_r_profile, "R110");
    ASSERT_GE(b.cyld_ns, 2);
    for (int e = 1; e <= b.cyld_ns; ++e) EXPECT_GE(b.atlas_index[e], 0.0) << e;
}

}  // namespace

namespace {

// Every refusal of the design exports is one line that says what is missing.
TEST_F(Restore, RefusalsSayWhatIsMissing) {
    h2::test::CapturedConsole console;
    // A thread without a case of its own.
    std::string without_case;
    int codes[3] = {};
    std::thread([&] {
        codes[0] = OptCyl(0, 4, 0, "cyld__effx");
        codes[1] = PredC(0);
        codes[2] = RestorePoint(0, 0);
    }).join();
    for (int code : codes) EXPECT_EQ(code, -1);
    EXPECT_EQ(console.text(),
              "\nOptCyl: no current case\n\nPredC: no current case\n\nRestorePoint: no current case\n");

    const std::size_t before = console.text().size();
    EXPECT_EQ(PredC(0), -1);  // no module table
    PD_module* t = table(1);
    centrifugal(t, 0);
    attach(1);
    EXPECT_EQ(PredC(0), -1);  // no models built
    EXPECT_EQ(RestorePoint(1, 0), -1);
    EXPECT_EQ(console.text().substr(before),
              "\nPredC: 0 modules in the table (1..6 composed)\n"
              "\nPredC: module 0 has no model case of its own (InitModels builds them)\n"
              "\nRestorePoint: no models to keep (InitModels builds them; keepModels 0 builds its own)\n");

    // Models that cannot be built (a fluid that does not exist): the search says so before any point.
    master()->fluid_func = nullptr;
    master()->fluidName[0] = '\0';
    master()->cyld_fluid = 99;
    const std::size_t before_search = console.text().size();
    EXPECT_EQ(OptCyl(0, 4, 0, "cyld__effx"), 1);
    EXPECT_NE(console.text().find("OptCyl: the module models cannot be built (code 1): no point searched",
                                  before_search),
              std::string::npos)
        << console.text().substr(before_search);
}

}  // namespace
