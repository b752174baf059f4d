// The design-point search: LPtau points mapped onto the searched variables,
// every point composed and solved on its own, the best kept by a criterion
// key and rebuilt, whatever the number of workers.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "solver/predesign/point_reason.h"
#include "solver/predesign/search/design_point_search.h"
#include "tests/solver/predesign/search/search_fixture.h"
#include "tests/support/captured_console.h"

namespace {

using h2::test::CapturedConsole;

class Search : public h2::test::SearchTest {
protected:
    // One centrifugal module whose speed, diameter, flow coefficient and
    // diameter ratio are searched.
    PD_module* centrifugal_search() {
        PD_module* t = table(1);
        PD_module& r = centrifugal(t, 0);
        const double lo[PD_VAR_COUNT] = {3000.0, 0.10, 0.40, 0.5, 0, 0, 1.0, 1.0, 1.8, 0};
        const double hi[PD_VAR_COUNT] = {3600.0, 0.12, 0.60, 0.5, 0, 0, 1.0, 1.0, 2.2, 0};
        for (int v = 0; v < PD_VAR_COUNT; ++v) {
            r.PD_VAR_lower[v] = lo[v];
            r.PD_VAR_upper[v] = hi[v];
        }
        attach(1);
        return t;
    }
};

// What the result hook saw of every counted point.
struct Seen {
    int point;
    double effx, effDx, uCo;
    int count;
};
std::vector<Seen> g_seen;
void record_point(bdLocals* b, uintptr_t) {
    g_seen.push_back({b->search_point, b->cyld_effx, b->cyld_effDx, b->cyld_uCo, b->meter_count});
}

std::string rule(char c) { return std::string(149, c) + "\n"; }

TEST_F(Search, PointsWithoutAGeneratorAreMappedAndSkippedAlike) {
    // Type 7 (no generator: every point fails with -1), then a Curtis turbine
    // and a fan: 0 + 6 + 4 = 10 dimensions.
    for (int threads : {1, 4}) {
        SCOPED_TRACE(threads);
        PD_module* t = table(3);
        t[0].type = 7;
        t[1].type = TURB_CURTIS;
        t[2].type = COMP_FAN;
        for (int m = 0; m < 3; ++m)
            for (int v = 0; v < PD_VAR_COUNT; ++v) {
                t[m].PD_VAR_lower[v] = 10.0 * m + v;
                t[m].PD_VAR_upper[v] = 10.0 * m + v + 1.0 + 0.5 * v;
                t[m].PD_VAL[v] = -99.0;
                t[m].PD_LIM_upper[PD_LIM_STG] = 1.0;
            }
        t[1].PD_VAR_lower[PD_VAR_PA] = 5.0;  // a reversed range falls with its coordinate
        t[1].PD_VAR_upper[PD_VAR_PA] = 2.0;
        t[0].PD_SRC_P0 = 1e5;
        t[2].PD_SRC_P2N = 2e5;
        attach(3);
        master()->IPP = 3;
        master()->pd_threads = threads;
        CapturedConsole console;
        EXPECT_EQ(OptCyl(5000, 5009, 0, "cyld__effx"), 101);
        std::string expected;
        for (int i = 5000; i < 5009; ++i)
            expected += rule('=') + "# Search point " + std::to_string(i) + ":\n" +
                        "\nmodule 0: type 7 has no generator\n" + "skipping point " + std::to_string(i) +
                        " (errcode -1): module 0: type 7 has no generator\n" + "Search point " +
                        std::to_string(i) + ":\t";
        expected += "\n\n" + rule('*') + "\n0 good points of 9 was found!\n" +
                    "Points dropped: 9 by the module generators (code -1: 9)\n" +
                    "Search point 5009:\tOut of range!\n";
        EXPECT_EQ(console.text(), expected);
        EXPECT_EQ(master()->meter_opt, -1);
        EXPECT_STREQ(master()->err_text, "ERRCODE_OUTOFRANGE: in solver/predesign/optcylX line 813");
        EXPECT_EQ(t[0].PD_model, nullptr) << "no model survives the search";

        // The table holds point 5008: its coordinates, drawn afresh.
        double u[40] = {};
        int s = 5008;
        LPT40init();
        ASSERT_EQ(LPT40point(&s, 10, u), 0);
        const int curtis[] = {PD_VAR_D, PD_VAR_CZ, PD_VAR_R, PD_VAR_PA, PD_VAR_KZ};
        const int fan[] = {PD_VAR_OM, PD_VAR_D, PD_VAR_CZ, PD_VAR_R};
        auto mapped = [&](int m, int v, int k) {
            return (t[m].PD_VAR_upper[v] - t[m].PD_VAR_lower[v]) * u[k] + t[m].PD_VAR_lower[v];
        };
        for (int k = 0; k < 5; ++k) EXPECT_EQ(t[1].PD_VAL[curtis[k]], mapped(1, curtis[k], k)) << k;
        for (int k = 0; k < 4; ++k) EXPECT_EQ(t[2].PD_VAL[fan[k]], mapped(2, fan[k], 5 + k)) << k;
        EXPECT_LT(t[1].PD_VAL[PD_VAR_PA], 5.0);
        EXPECT_GT(t[1].PD_VAL[PD_VAR_PA], 2.0);
        for (int v : {PD_VAR_OM, PD_VAR_HT, PD_VAR_KU, PD_VAR_M, PD_VAR_KH})
            EXPECT_EQ(t[1].PD_VAL[v], -99.0) << v;
        for (int v : {PD_VAR_HT, PD_VAR_PA, PD_VAR_KU, PD_VAR_KZ, PD_VAR_M, PD_VAR_KH})
            EXPECT_EQ(t[2].PD_VAL[v], -99.0) << v;
        for (int v = 0; v < PD_VAR_COUNT; ++v) EXPECT_EQ(t[0].PD_VAL[v], -99.0) << v;
    }
}

TEST_F(Search, RefusesTablesAndRangesItCannotSearch) {
    PD_module* t = table(6);
    for (int m = 0; m < 6; ++m) t[m].type = COMP_AXIAL;  // 42 dimensions
    attach(6);
    CapturedConsole console;
    master()->IPP = 3;
    EXPECT_EQ(OptCyl(0, 4, 0, "cyld__effx"), -1);
    EXPECT_EQ(t[0].PD_model, nullptr) << "no model made";
    ASSERT_EQ(setRanges(1), 0);
    t[0].type = 7;  // no dimension at all
    EXPECT_EQ(OptCyl(0, 4, 0, "cyld__effx"), -1);
    t[0].type = COMP_FAN;
    EXPECT_EQ(OptCyl(-1, 4, 0, "cyld__effx"), -1);
    EXPECT_EQ(OptCyl((1 << 29) - 1, (1 << 29) - 1, 0, "cyld__effx"), -1);
    EXPECT_EQ(OptCyl(0, 1 << 29, 0, "cyld__effx"), -1);
    EXPECT_EQ(OptCyl(0, 4, 0, nullptr), -1);
    // One line for each refusal, saying what is wrong.
    EXPECT_EQ(console.text(),
              "\nOptCyl: the module table (6 modules) gives 42 searched coordinates, 2..40 needed\n"
              "\nOptCyl: the module table (1 modules) gives 0 searched coordinates, 2..40 needed\n"
              "\nOptCyl: points -1..3 outside the sequence 0..536870910\n"
              "\nOptCyl: points 536870911..536870910 outside the sequence 0..536870910\n"
              "\nOptCyl: points 0..536870911 outside the sequence 0..536870910\n"
              "\nOptCyl: no criterion key\n");
}

TEST_F(Search, AnEmptyRangeOrAnEarlyAbortFindsNothing) {
    PD_module* t = centrifugal_search();
    master()->IPP = 1;
    {
        CapturedConsole console;
        EXPECT_EQ(OptCyl(3, 3, 0, "cyld__effx"), 101);
        EXPECT_EQ(console.text(), "\n0 good points of 0 was found!\n");
        EXPECT_EQ(master()->meter_opt, -1);
        EXPECT_EQ(master()->meter_opt_count, 0);
    }
    master()->need_abort = 1;
    t[0].PD_VAL[PD_VAR_OM] = -5.0;
    EXPECT_EQ(OptCyl(0, 5, 0, "cyld__effx"), 101);
    EXPECT_EQ(master()->need_abort, 1);
    EXPECT_EQ(t[0].PD_VAL[PD_VAR_OM], -5.0) << "nothing mapped";
}

TEST_F(Search, TwelveCentrifugalPointsKeepTheBestWhateverTheWorkers) {
    PD_module* t = centrifugal_search();
    master()->IPP = 3;
    master()->result_hook = record_point;
    std::string text1;
    std::vector<Seen> seen1;
    double best_effx = 0.0;
    int best = -1;
    for (int threads : {1, 4, 8}) {
        SCOPED_TRACE(threads);
        g_seen.clear();
        master()->pd_threads = threads;
        CapturedConsole console;
        ASSERT_EQ(OptCyl(0, 12, 0, "cyld__effx"), 0);
        const std::string text = console.text();
        if (threads == 1) {
            text1 = text;
            seen1 = g_seen;
            ASSERT_GE(seen1.size(), 2u);
            // The best is the largest counted value, the first of equals.
            for (const Seen& s : seen1) {
                EXPECT_GT(s.effDx, 0.0);
                EXPECT_LE(s.effDx, 0.99);
                EXPECT_LE(s.uCo, 1.0);
                if (best < 0 || s.effx > best_effx) {
                    best = s.point;
                    best_effx = s.effx;
                }
            }
            for (std::size_t k = 0; k < seen1.size(); ++k) EXPECT_EQ(seen1[k].count, static_cast<int>(k) + 1);
        } else {
            EXPECT_EQ(text, text1);
            ASSERT_EQ(g_seen.size(), seen1.size());
            for (std::size_t k = 0; k < seen1.size(); ++k) {
                EXPECT_EQ(g_seen[k].point, seen1[k].point);
                EXPECT_EQ(g_seen[k].effx, seen1[k].effx);
            }
        }
        EXPECT_EQ(master()->meter_opt, best);
        EXPECT_EQ(master()->cyld_effx, best_effx) << "the rebuilt best";
        char line[96];
        std::snprintf(line, sizeof line, "\nThe best point %d efficiency: %g\n\n", best, best_effx);
        EXPECT_NE(text.find(line), std::string::npos);
        EXPECT_EQ(t[0].PD_model, nullptr);
        EXPECT_EQ(get_bdLocals(), master());
    }
    master()->result_hook = nullptr;

    // The best point restored on its own gives its criterion exactly.
    master()->cyld_effx = 0.0;
    ASSERT_EQ(RestorePoint(0, 1), 0);
    EXPECT_EQ(master()->cyld_effx, best_effx);

    // A point searched alone equals the same point in the range.
    for (const Seen& s : {seen1.front(), seen1.back()}) {
        master()->IPP = 0;
        ASSERT_EQ(OptCyl(s.point, s.point + 1, 0, "cyld__effx"), 0);
        EXPECT_EQ(master()->cyld_effx, s.effx) << s.point;
    }
}

TEST_F(Search, TheKeyPicksTheDirection) {
    centrifugal_search();
    master()->result_hook = record_point;
    master()->pd_threads = 1;
    struct Case {
        const char* key;
        int which;  // 0 smallest effx, 1 the first counted point
    };
    // A key naming no double reads 1e20 with or without its sign: minimised
    // (-1e20) or maximised, the first counted point stays best.
    // cyld__R is the same for every point: the first of equals stays best.
    for (const Case c :
         {Case{"-cyld__effx", 0}, Case{"no_such_key", 1}, Case{"-no_such_key", 1}, Case{"cyld__R", 1}}) {
        SCOPED_TRACE(c.key);
        g_seen.clear();
        const int r = OptCyl(0, 6, 0, c.key);
        ASSERT_FALSE(g_seen.empty());
        int expect = g_seen.front().point;
        if (c.which == 0) {
            double lo = g_seen.front().effx;
            for (const Seen& s : g_seen)
                if (s.effx < lo) {
                    lo = s.effx;
                    expect = s.point;
                }
        }
        EXPECT_EQ(r, 0);
        EXPECT_EQ(master()->meter_opt, expect);
        EXPECT_EQ(master()->meter_opt_count, c.which == 1 ? 1 : master()->meter_opt_count);
    }
    master()->result_hook = nullptr;
}

// An axial turbine searches its work split too: its seventh coordinate
// takes KH across the record's range, after the six of its sizes.
TEST_F(Search, AnAxialTurbinePointCarriesItsWorkSplit) {
    PD_module* t = table(1);
    t[0].type = TURB_AXIAL;
    ASSERT_EQ(setRanges(1), 0);
    EXPECT_EQ(h2::predesign::dimension_total(), 7);
    t[0].PD_VAR_lower[PD_VAR_KH] = 0.8;
    t[0].PD_VAR_upper[PD_VAR_KH] = 1.2;
    double u[40] = {};
    u[6] = 0.25;
    EXPECT_EQ(h2::predesign::map_point(u), 0);
    EXPECT_DOUBLE_EQ(t[0].PD_VAL[PD_VAR_KH], 0.9);
    ASSERT_EQ(setRanges(0), 0);
}

TEST_F(Search, MappingTestsItsCoordinateIndexBeforeReadingIt) {
    PD_module* t = table(6);
    for (int m = 0; m < 6; ++m) t[m].type = COMP_AXIAL;  // 42 coordinates wanted
    ASSERT_EQ(setRanges(6), 0);
    double u[40];
    for (double& x : u) x = 0.5;
    for (int m = 0; m < 6; ++m)
        for (int v = 0; v < PD_VAR_COUNT; ++v) t[m].PD_VAR_upper[v] = 2.0;
    EXPECT_EQ(h2::predesign::map_point(u), 1);
    EXPECT_EQ(t[5].PD_VAL[PD_VAR_R], 1.0) << "coordinate 39";
    EXPECT_EQ(t[5].PD_VAL[PD_VAR_KU], 0.0) << "coordinate 40 is not read";
    ASSERT_EQ(setRanges(0), 0);
    EXPECT_EQ(h2::predesign::map_point(u), 0);
}

}  // namespace

#include "tests/support/temp_dir.h"

namespace {

bdLocals* g_abort_target = nullptr;
int g_abort_after = 0;
void abort_after(bdLocals* b, uintptr_t) {
    g_seen.push_back({b->search_point, b->cyld_effx, b->cyld_effDx, b->cyld_uCo, b->meter_count});
    // Written as a host writes it while the search's workers read it.
    if (b->meter_count == g_abort_after) __atomic_store_n(&g_abort_target->need_abort, 1, __ATOMIC_RELEASE);
}

TEST_F(Search, AnAbortAfterGoodPointsRebuildsTheBestOfThem) {
    centrifugal_search();
    for (int threads : {1, 4}) {
        SCOPED_TRACE(threads);
        g_seen.clear();
        g_abort_target = master();
        g_abort_after = 2;
        master()->result_hook = abort_after;
        master()->need_abort = 0;
        master()->pd_threads = threads;
        const int r = OptCyl(0, 12, 0, "cyld__effx");
        // Workers may have started every point before the request came: then
        // nothing was left to stop.
        if (threads == 1 || r != 0) {
            EXPECT_EQ(r, 4);
            EXPECT_EQ(master()->need_abort, 1);
        }
        ASSERT_GE(g_seen.size(), 2u);
        if (threads == 1) {
            EXPECT_EQ(g_seen.size(), 2u) << "no point starts after the abort";
        }
        // Points before the first one not evaluated are all counted, in order.
        for (std::size_t k = 0; k < g_seen.size(); ++k) EXPECT_EQ(g_seen[k].count, static_cast<int>(k) + 1);
        int best = g_seen[0].point;
        double effx = g_seen[0].effx;
        for (const Seen& s : g_seen)
            if (s.effx > effx) {
                effx = s.effx;
                best = s.point;
            }
        EXPECT_EQ(master()->meter_opt, best);
        EXPECT_EQ(master()->cyld_effx, effx);
    }
    master()->result_hook = nullptr;
    master()->need_abort = 0;
}

TEST_F(Search, TheDumpGetsTheSameBytesOnAnyNumberOfWorkers) {
    h2::test::TempDir dir;
    centrifugal_search();
    master()->IPP = 3;
    master()->outDst = 2;
    std::string dumps[2], consoles[2];
    const int threads[] = {1, 4};
    for (int k = 0; k < 2; ++k) {
        const std::string name = "search" + std::to_string(k) + ".dump";
        set_dump_name(name.c_str());
        master()->pd_threads = threads[k];
        CapturedConsole console;
        ASSERT_EQ(OptCyl(2, 8, 0, "-cyld__effx"), 0);
        consoles[k] = console.text();
        dumps[k] = h2::test::read_file(name);
    }
    EXPECT_NE(dumps[0].find("ntot=   1 i=   "), std::string::npos);
    EXPECT_EQ(dumps[0], dumps[1]);
    EXPECT_EQ(consoles[0], consoles[1]);
}

}  // namespace

namespace {

TEST_F(Search, ScreeningAndMachineLimits) {
    bdLocals& b = *master();
    b.cyld_ns = 2;
    b.cyld_nr = 1;
    struct Case {
        const char* what;
        double cooled, effDx, effD, s1, uCo;
        bool stays;
        double effDx_after;
        const char* reason;  // the line a dropped point prints
    };
    const Case cases[] = {
        {"uncooled within (0, 0.99]", 0.0, 0.8, 0.0, 5.0, 0.5, true, 0.8, ""},
        {"uncooled at 0.99", 0.0, 0.99, 0.0, 5.0, 0.5, true, 0.99, ""},
        {"uncooled at 0.995 with entropy", 0.0, 0.995, 0.0, 5.0, 0.5, false, 0.995,
         "screening: diagram efficiency effDx 0.995 outside (0, 0.99]"},
        {"uncooled at 0.995 without entropy", 0.0, 0.995, 0.0, 0.0, 0.5, true, 0.7, ""},
        {"uncooled at 0", 0.0, 0.0, 0.0, 5.0, 0.5, false, 0.0,
         "screening: diagram efficiency effDx 0 outside (0, 0.99]"},
        {"cooled with effD", 1.0, 0.0, 0.3, 5.0, 0.5, true, 0.0, ""},
        {"cooled without effD", 1.0, 0.8, 0.0, 5.0, 0.5, false, 0.8,
         "screening: cooled diagram efficiency effD 0 not above 0"},
        {"uCo 1 stays", 0.0, 0.8, 0.0, 5.0, 1.0, true, 0.8, ""},
        {"uCo 1.0000001 goes", 0.0, 0.8, 0.0, 5.0, 1.0000001, false, 0.8,
         "screening: velocity ratio uCo 1 above 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        b.stgtd_cooled[1] = c.cooled;
        b.cyld_effDx = c.effDx;
        b.cyld_effD = c.effD;
        b.isd_s1[0][0] = c.s1;
        b.cyld_uCo = c.uCo;
        b.cyld_effx = 0.7;
        h2::predesign::clear_point_reason();
        EXPECT_EQ(h2::predesign::passes_screening(b), c.stays);
        EXPECT_EQ(b.cyld_effDx, c.effDx_after);
        EXPECT_STREQ(h2::predesign::point_reason_text(), c.reason);
    }
    b.cyld_ns = 0;
    b.cyld_uCo = 0.5;
    EXPECT_FALSE(h2::predesign::passes_screening(b)) << "a path without elements";

    b.cyld_ns = 2;
    b.cas_x2[2][0] = 1.5;
    b.cyld_mass = 20.0;
    struct Limit {
        double length, mass;
        bool within;
    };
    for (const Limit l : {Limit{0.0, 0.0, true}, Limit{1.5, 0.0, true}, Limit{1.49, 0.0, false},
                          Limit{0.0, 20.0, true}, Limit{0.0, 19.9, false}, Limit{2.0, 25.0, true}}) {
        b.LengthLimit = l.length;
        b.MassLimit = l.mass;
        EXPECT_EQ(h2::predesign::within_machine_limits(b), l.within) << l.length << " " << l.mass;
    }
}

}  // namespace
