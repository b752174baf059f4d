// Whole-path, stage and per-streamline results of a solved flow field,
// checked against the isentropic relations of a perfect gas and the Euler
// turbine equation worked by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/halvorine2.h"
#include "reports/report_api.h"
#include "reports/stage_starts.h"
#include "tests/support/flow_path.h"
#include "tests/support/solved_stage.h"

namespace {

using h2::test::Elem;

// Perfect-gas air of the example.
constexpr double kR = 287.5, kK = 1.4;
constexpr double kCp = kK * kR / (kK - 1.0);
constexpr double kM = (kK - 1.0) / kK;
constexpr double kIin = 1006250.0;  // J/kg, 1000 K
constexpr double kP0 = 4e5;
constexpr double kG = 3.0;

// Isentropic enthalpy from the inlet state (4 bar, 1000 K) to pressure p.
double isentropic_i(double p) { return kIin * std::pow(p / kP0, kM); }

void expect_rel(double actual, double expected, double rel, const char* what) {
    EXPECT_NEAR(actual, expected, std::fabs(expected) * rel) << what;
}

// ---------------------------------------------------------------- solved stage

class SolvedStage : public h2::test::SolvedStageTest {};

TEST_F(SolvedStage, StageAndWholePathResultsFollowTheIsentropicRelations) {
    calc_integral(1);
    const double H = kIin - isentropic_i(2e5);     // stage head to the static outlet pressure
    const double Hx = kIin - isentropic_i(2.1e5);  // to the total outlet pressure
    const double is_stator = isentropic_i(3e5);
    const double Ns = (kIin - 856250.0) * kG;  // Euler work times flow: 150 kJ/kg
    const double u = 300.0;
    const double eff = Ns / (H * kG), effx = Ns / (Hx * kG);
    const double uCo = u / std::sqrt(2.0 * H);

    struct Row {
        const char* key;
        int i, j;  // -1: not indexed
        double expected;
    };
    const std::vector<Row> rows = {
        {"elem__H", 1, -1, H},
        {"elem__H", 2, -1, H},
        {"elem__Hx", 1, -1, Hx},
        {"elem__Hx", 2, -1, Hx},
        {"elem__Ns", 1, -1, Ns},
        {"elem__Ns", 2, -1, Ns},
        {"elem__R", 1, -1, (is_stator - isentropic_i(2e5)) / H},
        {"elem__eff", 1, -1, eff},
        {"elem__effx", 1, -1, effx},
        {"elem__Ht", 1, -1, H / (u * u)},
        {"cyld__Nc", -1, -1, Ns},
        {"cyld__eff", -1, -1, eff},
        {"cyld__effD", -1, -1, eff},
        {"cyld__effx", -1, -1, effx},
        {"cyld__effDx", -1, -1, effx},
        {"cyld__uCo", -1, -1, uCo},
        {"cyld__pil", -1, -1, 0.525},
        {"cyld__prs", -1, -1, 2e5},
        {"cyld__prt", -1, -1, 1.9e5},
        {"cyld__H0", -1, -1, H},
        {"cyld__H0x", -1, -1, Hx},
        {"cyld__cz_", -1, -1, 150.0 / u},
        {"cyld__G", -1, -1, kG},
        {"cyld__Gout", -1, -1, kG},
        {"cyld__Gv", -1, -1, kG / 1.0},
        {"elem__cz_", 1, -1, 0.5},
        {"elem__cz_", 2, -1, 0.5},
        {"cyld__p2n", -1, -1, 2e5},
        {"cyld__p2nx", -1, -1, 2.1e5},
    };
    for (const Row& r : rows) {
        const double v = r.i < 0 ? get_double_par0(r.key) : get_double_par1(r.key, r.i);
        expect_rel(v, r.expected, 1e-9, r.key);
    }
    EXPECT_EQ(get_double_par0("cyld__pir"), 0.0);
    // Per streamline: Euler work u (c1u - c2u), its share of the stage head,
    // u/C0 and the absolute outlet angle atan2(150, -100).
    for (int j = 0; j < block()->cyld_nr; ++j) {
        expect_rel(get_double_par2("enrg__Lu", 2, j), 150000.0, 1e-9, "enrg__Lu");
        expect_rel(get_double_par2("enrg__effu", 2, j), eff, 1e-9, "enrg__effu");
        expect_rel(get_double_par2("flow__uCo", 2, j), uCo, 1e-9, "flow__uCo");
        expect_rel(get_double_par2("cas__A2", 2, j), std::atan2(150.0, -100.0) / 0.01745329, 1e-9, "cas__A2");
        expect_rel(get_double_par2("enrg__H0", 1, j), H, 1e-9, "enrg__H0");
    }
    expect_rel(get_double_par1("elem__Lu", 2), 150000.0, 1e-9, "elem__Lu");
}

// A turbine expansion's polytropic efficiency: T2/T1 = r^(m eta_p), so the
// isentropic efficiency (1 - r^(m eta_p)) / (1 - r^m) gives
// eta_p = ln(1 + eta (r^m - 1)) / (m ln r); for eta 0.82970316 over r 0.5 that is 0.81509678.
TEST_F(SolvedStage, EffpFollowsExpansionRelation) {
    calc_integral(1);
    const double eta = (kIin - 856250.0) / (kIin - isentropic_i(2e5));
    const double r = 0.5;
    const double expected = std::log(1.0 + eta * (std::pow(r, kM) - 1.0)) / (kM * std::log(r));
    expect_rel(get_double_par0("cyld__effp"), expected, 1e-9, "cyld__effp");
    expect_rel(expected, 0.81509678, 1e-8, "hand value");
}

TEST_F(SolvedStage, SealLeakageCompletesTheInletAndOutletFlows) {
    block()->elem_Gdu[1] = 0.05;
    block()->elem_Gr[2] = 0.02;
    block()->lkgn_GPY[2] = 0.01;
    calc_integral(1);
    expect_rel(block()->cyld_G, 3.05, 1e-12, "cyld__G");
    expect_rel(block()->cyld_Gout, 3.03, 1e-12, "cyld__Gout");
    // The leakage passes the first stator: its efficiency is on the flow that entered.
    expect_rel(block()->elem_eff[1], (kIin - 856250.0) * kG / (kIin - isentropic_i(2e5)) / 3.05, 1e-9,
               "elem__eff");
}

TEST_F(SolvedStage, FlagZeroLeavesTheFlows) {
    block()->cyld_G = 7.0;
    block()->cyld_Gout = 8.0;
    block()->cyld_Gv = 9.0;
    block()->elem_Gdu[1] = 0.05;
    calc_integral(0);
    EXPECT_EQ(block()->cyld_G, 7.0);
    EXPECT_EQ(block()->cyld_Gout, 8.0);
    EXPECT_EQ(block()->cyld_Gv, 9.0);
    // The efficiencies use the flow standing at entry.
    expect_rel(block()->cyld_eff, (kIin - 856250.0) * kG / ((kIin - isentropic_i(2e5)) * 7.0), 1e-9,
               "cyld__eff");
}

TEST_F(SolvedStage, LeakageOfACompressingPathIsNotAdded) {
    block()->elem_Gdu[1] = 0.05;
    block()->elem_p2[2] = 5e5;  // outlet above the inlet: compressing
    block()->cyld_G = 3.0;
    EXPECT_EQ(add_leak_flows(), 1);
    EXPECT_EQ(block()->cyld_G, 3.0);
}

TEST_F(SolvedStage, NoWorkKeepsHeadsAndDiagramEfficiencies) {
    for (int j = 0; j < block()->cyld_nr; ++j) block()->isd_i2x[2][j] = kIin + 5e-7;
    block()->cyld_H0 = 11.0;
    block()->cyld_H0x = 12.0;
    block()->cyld_effD = 13.0;
    block()->cyld_effDx = 14.0;
    calc_integral(1);
    EXPECT_EQ(block()->cyld_eff, 0.0);
    EXPECT_EQ(block()->cyld_effx, 0.0);
    EXPECT_EQ(block()->cyld_effp, 0.0);
    EXPECT_EQ(block()->cyld_H0, 11.0);
    EXPECT_EQ(block()->cyld_H0x, 12.0);
    EXPECT_EQ(block()->cyld_effD, 13.0);
    EXPECT_EQ(block()->cyld_effDx, 14.0);
}

// --------------------------------------------------------------- built paths

class BuiltPath : public h2::test::CaseTest {
protected:
    void TearDown() override {
        release();
        CaseTest::TearDown();
    }
    void release() {
        if (block()->elem_stagType != nullptr) free_probdata();
    }
    // A path of the given elements on nr streamlines, every element at
    // 1000 K total with equal entropy, pressure falling by 0.5 bar each.
    bdLocals* build(std::initializer_list<Elem> elems, int nr, int task = 1) {
        h2::test::make_flow_path(elems, nr);
        bdLocals* b = block();
        b->cyld_VART = task;
        for (int i = 0; i <= b->cyld_ns; ++i) {
            b->elem_af[i] = 1.0;
            for (int j = 0; j < nr; ++j) {
                b->isd_p1x[i][j] = b->isd_p1[i][j];
                b->isd_p2x[i][j] = b->isd_p2[i][j];
                b->isd_i1x[i][j] = b->isd_i2x[i][j] = b->isd_i1[i][j];
                b->isd_s1[i][j] =
                    h2::test::test_fluid_func(H2_FLUID_S_PI, b->isd_p1[i][j], b->isd_i1[i][j], 1.0, 0);
                b->isd_Ro1[i][j] = b->isd_Ro2[i][j] = 1.0;
                b->flow_c1z[i][j] = b->flow_c2z[i][j] = 150.0;
                b->flow_u1[i][j] = b->flow_u2[i][j] = b->bld_wp[i] * 0.1;
            }
        }
        return b;
    }
    void make_compressing(bdLocals* b) { b->elem_p2[b->cyld_ns] = 1e6; }
};

struct StartCase {
    const char* name;
    std::vector<Elem> elems;
    bool compressing;
    double sect_type;  // elem__sectType of every element
    std::vector<int> turbine, compressor;
};

TEST_F(BuiltPath, StageStartsFollowTheRowArrangement) {
    const std::vector<StartCase> cases = {
        {"stator, duct, rotor",
         {Elem::Inlet, Elem::Stator, Elem::Duct, Elem::Rotor},
         false,
         0.0,
         {0, 1, 0, 0},
         {0, 0, 0, 0}},
        {"stator, stator, rotor",
         {Elem::Inlet, Elem::Stator, Elem::Stator, Elem::Rotor},
         false,
         0.0,
         {0, 1, 1, 0},
         {0, 0, 0, 0}},
        {"axial rotor, rotor, stator",
         {Elem::Inlet, Elem::Rotor, Elem::Rotor, Elem::Stator},
         true,
         0.0,
         {0, 0, 0, 0},
         {0, 1, 1, 0}},
        {"radial rotor, duct, stator",
         {Elem::Inlet, Elem::Rotor, Elem::Duct, Elem::Stator},
         true,
         1.0,
         {0, 0, 0, 0},
         {0, 0, 0, 0}},
        {"axial rotor, duct, stator",
         {Elem::Inlet, Elem::Rotor, Elem::Duct, Elem::Stator},
         true,
         0.0,
         {0, 0, 0, 0},
         {0, 1, 0, 0}},
        {"rotor at the end", {Elem::Inlet, Elem::Stator, Elem::Rotor}, true, 0.0, {0, 0, 0}, {0, 0, 0}},
        {"design task, compressing, stator then rotor",
         {Elem::Inlet, Elem::Stator, Elem::Rotor, Elem::Stator},
         true,
         0.0,
         {0, 0, 0, 0},
         {0, 0, 1, 0}},
    };
    for (const StartCase& sc : cases) {
        SCOPED_TRACE(sc.name);
        release();
        bdLocals* b = nullptr;
        switch (sc.elems.size()) {
            case 3:
                b = build({sc.elems[0], sc.elems[1], sc.elems[2]}, 1);
                break;
            default:
                b = build({sc.elems[0], sc.elems[1], sc.elems[2], sc.elems[3]}, 1);
                break;
        }
        if (sc.compressing) make_compressing(b);
        for (int i = 0; i <= b->cyld_ns; ++i) b->elem_sectType[i] = sc.sect_type;
        for (int i = 0; i <= b->cyld_ns; ++i) {
            EXPECT_EQ(is_turb_stage_start(i), sc.turbine[i]) << "turbine, element " << i;
            EXPECT_EQ(is_comp_stage_start(i), sc.compressor[i]) << "compressor, element " << i;
        }
    }
}

TEST_F(BuiltPath, EvenStreamlineCountReadsTheTwoMiddles) {
    bdLocals* b = build({Elem::Inlet, Elem::Stator, Elem::Rotor}, 4);
    b->ZAG = 0.0;  // no span means: the named streamline itself
    for (int j = 0; j < 4; ++j) {
        b->isd_p1x[0][j] = b->isd_p1x[1][j] = 4e5 + 1000.0 * j;
        b->isd_p2x[2][j] = 2e5 + 1000.0 * j;
    }
    calc_integral(1);
    // Whole path on streamline NI/2 = 2, the stage's rotor side on (NI - 1)/2 = 1.
    expect_rel(b->cyld_pil, 2.02e5 / 4.02e5, 1e-12, "cyld__pil");
    expect_rel(b->elem_pil[1], 2.01e5 / 4.02e5, 1e-12, "elem__pil");
}

TEST_F(BuiltPath, OneStreamlineReactionFollowsTheFreeVortexAtHubAndTip) {
    bdLocals* b = build({Elem::Inlet, Elem::Duct, Elem::Duct}, 1);
    b->elem_R[0] = 0.5;
    b->bld_d2[0] = 1.0;
    b->bld_l2[0] = 0.2;
    calc_integral(1);
    // 1 - (1 - R) (d2 / (d2 -+ l2))^1.8
    expect_rel(b->elem_Rh[0], 1.0 - 0.5 * std::pow(1.0 / 0.8, 1.8), 1e-12, "elem__Rh");
    expect_rel(b->elem_Rt[0], 1.0 - 0.5 * std::pow(1.0 / 1.2, 1.8), 1e-12, "elem__Rt");
    expect_rel(b->elem_Rh[0], 0.25284961, 1e-8, "elem__Rh by hand");
    expect_rel(b->elem_Rt[0], 0.63988289, 1e-8, "elem__Rt by hand");
}

TEST_F(BuiltPath, CompressingPathWithoutRotorHasNoWorkCoefficient) {
    bdLocals* b = build({Elem::Inlet, Elem::Stator, Elem::Duct}, 1);
    make_compressing(b);
    b->cyld_uCo = 5.0;
    b->cyld_cz_ = 0.75;
    calc_integral(1);
    EXPECT_EQ(b->cyld_uCo, 0.0);
    EXPECT_EQ(b->cyld_cz_, 0.75);
}

// An axial compressor stage at 300 K: Euler work u c2u = 300 * 150 = 45 kJ/kg
// on 3 kg/s, heads from the isentropic compression to the stator's outlet.
TEST_F(BuiltPath, CompressorStageFollowsEulerWorkAndIsentropicHeads) {
    bdLocals* b = build({Elem::Inlet, Elem::Rotor, Elem::Stator}, 1);
    const double T1 = 300.0, i1 = kCp * T1;
    const double p[3][4] = {{1e5, 1e5, 1e5, 1e5}, {1e5, 1e5, 1.15e5, 1.2e5}, {1.15e5, 1.2e5, 1.3e5, 1.4e5}};
    const double h[3][2] = {{i1, i1}, {i1, 330000.0}, {330000.0, 340000.0}};  // static inlet, outlet
    for (int i = 0; i < 3; ++i) {
        b->isd_p1[i][0] = p[i][0];
        b->isd_p1x[i][0] = p[i][1];
        b->isd_p2[i][0] = p[i][2];
        b->isd_p2x[i][0] = p[i][3];
        b->isd_i1[i][0] = h[i][0];
        b->isd_i2[i][0] = h[i][1];
        b->isd_i1x[i][0] = i1;
        b->isd_i2x[i][0] = i1 + 45000.0;
        b->isd_s1[i][0] = h2::test::test_fluid_func(H2_FLUID_S_PI, p[i][0], h[i][0], 1.0, 0);
        b->flow_c1u[i][0] = 0.0;
        b->flow_c2u[i][0] = i == 1 ? 150.0 : 0.0;
    }
    b->isd_i2x[0][0] = i1;
    b->isd_s1[1][0] = b->isd_s1[0][0];
    b->flow_ucu1[1][0] = 0.0;
    b->flow_ucu2[1][0] = 300.0 * 150.0;
    // The pressure ratios are taken before the sweep refreshes the inlet pressure.
    b->elem_p0[0] = 1e5;
    b->elem_p2[2] = 1.3e5;
    calc_integral(1);

    const double rise = i1 * (std::pow(1.3, kM) - 1.0), risex = i1 * (std::pow(1.4, kM) - 1.0);
    const double N = 45000.0 * kG;
    expect_rel(b->elem_H[1], -rise, 1e-9, "elem__H");
    expect_rel(b->elem_Ns[1], -N, 1e-9, "elem__Ns");
    expect_rel(b->elem_Lu[1], -45000.0, 1e-9, "elem__Lu");
    expect_rel(b->elem_eff[1], rise * kG / N, 1e-9, "elem__eff");
    expect_rel(b->elem_effx[2], risex * kG / N, 1e-9, "elem__effx");
    expect_rel(b->elem_R[1], (330000.0 - i1) / (340000.0 - i1), 1e-12, "elem__R");
    expect_rel(b->cyld_Nc, N, 1e-9, "cyld__Nc");
    expect_rel(b->cyld_uCo, 45000.0 / (300.0 * 300.0), 1e-9, "work coefficient");
    expect_rel(b->cyld_eff, rise * kG / N, 1e-9, "cyld__eff");
    expect_rel(b->cyld_pir, 1.3, 1e-12, "cyld__pir");
    expect_rel(b->cyld_pirTotal, 1.4, 1e-12, "cyld__pirTotal");
    EXPECT_EQ(b->cyld_pil, 0.0);
}

// A compressor rotor that starts no stage (inlet, rotor, duct) on three streamlines whose states
// differ: its head runs from the inlet total enthalpy to the isentropic enthalpy at its own total
// outlet pressure (at the middle streamline, and again at the hub by the streamline sweep), its work is
// Euler's at the middle streamline with the tip clearance share and the disk friction on top, its efficiency
// the one over the other, its reaction 1; streamline by streamline the Euler work, the efficiency against the
// static outlet pressure and the isentropic outlet enthalpy.
TEST_F(BuiltPath, LoneCompressorRotorFollowsEulerWorkAndIsentropicHeads) {
    constexpr int nr = 3, m = 1, rotor = 1;
    bdLocals* b = build({Elem::Inlet, Elem::Rotor, Elem::Duct}, nr);
    make_compressing(b);
    b->enrg_zrz[rotor] = 0.02;   // tip clearance share of the work
    b->enrg_dhd[rotor] = 100.0;  // disk friction, J/kg
    struct Line {
        double p1, h1, p1x, i1x, p2, p2x, u1, u2, c1u, c2u, dhb;
    };
    std::vector<Line> lines;
    for (int j = 0; j < nr; ++j) {
        const double d = j;
        lines.push_back({0.9e5 + 1000 * d, kCp * 290.0 + 100 * d, 1e5 + 1000 * d, kCp * 300.0 + 100 * d,
                         1.2e5 + 2000 * d, 1.3e5 + 2000 * d, 230.0 + 20 * d, 235.0 + 20 * d, 5.0 * d,
                         150.0 + 10 * d, 500.0 + 50 * d});
        const Line& l = lines.back();
        b->isd_p1[rotor][j] = l.p1;
        b->isd_i1[rotor][j] = l.h1;
        b->isd_p1x[rotor][j] = l.p1x;
        b->isd_i1x[rotor][j] = l.i1x;
        b->isd_p2[rotor][j] = l.p2;
        b->isd_p2x[rotor][j] = l.p2x;
        b->isd_s1[rotor][j] = h2::test::test_fluid_func(H2_FLUID_S_PI, l.p1, l.h1, 1.0, 0);
        b->flow_u1[rotor][j] = l.u1;
        b->flow_u2[rotor][j] = l.u2;
        b->flow_c1u[rotor][j] = l.c1u;
        b->flow_c2u[rotor][j] = l.c2u;
        b->enrg_dhb[rotor][j] = l.dhb;
    }
    calc_integral(1);

    // Isentropic from the inlet's entropy (its static state) to pressure p.
    auto isentropic = [](const Line& l, double p) { return l.h1 * std::pow(p / l.p1, kM); };
    const Line& mid = lines[m];
    const double H = mid.i1x - isentropic(mid, mid.p2x);
    const double Lu = mid.u1 * mid.c1u - mid.u2 * mid.c2u;  // negative: work done on the flow
    const double Ns = -std::fabs(Lu) * kG * (1.0 + 0.02) - 100.0 * kG;
    // The streamline sweep leaves the head of streamline 0 in elem__H; the efficiencies keep the middle's.
    const Line& hub = lines[0];
    expect_rel(b->elem_H[rotor], hub.i1x - isentropic(hub, hub.p2x), 1e-9, "elem__H");
    expect_rel(b->elem_Hx[rotor], H, 1e-9, "elem__Hx");
    expect_rel(b->elem_Ns[rotor], Ns, 1e-12, "elem__Ns");
    expect_rel(b->elem_effx[rotor], H * kG / Ns, 1e-9, "elem__effx");
    expect_rel(b->elem_eff[rotor], H * kG / Ns, 1e-9, "elem__eff");
    EXPECT_EQ(b->elem_R[rotor], 1.0);
    expect_rel(b->cyld_Nc, -Ns, 1e-12, "cyld__Nc");
    for (int j = 0; j < nr; ++j) {
        SCOPED_TRACE(j);
        const Line& l = lines[j];
        const double lu = l.u1 * l.c1u - l.u2 * l.c2u;
        const double is = isentropic(l, l.p2);
        expect_rel(b->enrg_Lu[rotor][j], lu, 1e-12, "enrg__Lu");
        expect_rel(b->enrg_effu[rotor][j], (is - l.i1x) / lu, 1e-9, "enrg__effu");
        expect_rel(b->enrg_effuz[rotor][j], (lu + l.dhb) / lu, 1e-12, "enrg__effuz");
        expect_rel(b->enrg_effuz[rotor + 1][j], (lu + l.dhb) / lu, 1e-12, "enrg__effuz behind");
        expect_rel(b->isd_i2tt[rotor][j], is, 1e-9, "isd__i2tt");
        EXPECT_EQ(b->flow_R[rotor][j], 1.0);
    }
}

// A second stator before the rotor starts no stage of its own: nothing is
// written into the element before it, one stage is counted, and the rotor's
// power enters once.
TEST_F(BuiltPath, StatorStatorRotorCountsOneStage) {
    bdLocals* b = build({Elem::Inlet, Elem::Stator, Elem::Stator, Elem::Rotor}, 1);
    const double sentinel = -777.0;
    b->elem_H[0] = b->elem_Ns[0] = b->elem_eff[0] = b->elem_RAL[0] = sentinel;
    for (int j = 0; j < 1; ++j) {
        b->isd_i2x[3][j] = b->isd_i1x[3][j] - 100000.0;
        b->flow_c2s[3][j] = 150.0;
    }
    calc_integral(1);
    EXPECT_EQ(b->elem_H[0], sentinel);
    EXPECT_EQ(b->elem_Ns[0], sentinel);
    EXPECT_EQ(b->elem_eff[0], sentinel);
    EXPECT_EQ(b->elem_RAL[0], sentinel);
    expect_rel(b->cyld_Nc, 100000.0 * b->elem_G1[3], 1e-12, "cyld__Nc");
    // One stage of blade speed 300 m/s: c / sqrt(U2 / nst) = 150 / 300.
    expect_rel(b->cyld_cz_, 0.5, 1e-12, "cyld__cz_");
    EXPECT_EQ(b->flow_R[1][0], 0.0);
}

// A stage that starts at the inlet volute (element 0) reads nothing in front
// of it (the sanitizer build catches a read before the arrays).
TEST_F(BuiltPath, InletVoluteStageReadsNothingBeforeTheInlet) {
    bdLocals* b = build({Elem::Inlet, Elem::Rotor, Elem::Duct}, 1);
    b->elem_stagType[0] = 5.0;
    b->elem_RAL[0] = 5.0;
    calc_integral(1);
    EXPECT_EQ(b->elem_RAL[0], 0.0);
    EXPECT_EQ(is_turb_stage_start(0), 1);
    EXPECT_GT(b->elem_H[1], 0.0);
}

TEST_F(BuiltPath, NothingIsWrittenForAnUnfitCase) {
    bdLocals* b = build({Elem::Inlet, Elem::Stator, Elem::Rotor}, 1);
    b->cyld_Nc = 42.0;
    b->cyld_ns = 5;  // past the arrays
    calc_integral(1);
    EXPECT_EQ(b->cyld_Nc, 42.0);
    b->cyld_ns = 0;  // no element after the inlet
    calc_integral(1);
    EXPECT_EQ(b->cyld_Nc, 42.0);
    b->cyld_ns = 2;
    const FluidFunc fluid = b->fluid_func;
    b->fluid_func = nullptr;
    calc_integral(1);
    EXPECT_EQ(b->cyld_Nc, 42.0);
    b->fluid_func = fluid;
    double* kept = b->elem_H;
    b->elem_H = nullptr;
    calc_integral(1);
    EXPECT_EQ(b->cyld_Nc, 42.0);
    b->elem_H = kept;
}

TEST(IntegralWithoutCase, DoesNothing) {
    ASSERT_EQ(binit_threading(), 0);
    set_bdLocals(nullptr);
    calc_integral(1);
    EXPECT_EQ(add_leak_flows(), 1);
    EXPECT_EQ(is_turb_stage_start(1), 0);
    bend_threading();
}

}  // namespace
