#include "physics/side_flows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "case/thread_blocks.h"
#include "physics/mix_streams.h"
#include "tests/support/flow_path.h"

namespace {

using h2::test::Elem;
using h2::test::TestFluid;

constexpr int kNS = 5;
constexpr int kNR = 3;
constexpr int kTip = 2;
constexpr int kMid = 1;

// Every side-flow field of one element, to show what a call changed.
using SideFields = std::array<double, 8>;

// Inlet, two stages and an outlet duct on three streamlines; the element
// outlets carry swirl growing towards the tip, so tip and middle totals differ.
class SideFlowTest : public h2::test::CaseTest {
protected:
    const TestFluid gas{};

    void SetUp() override {
        h2::test::CaseTest::SetUp();
        ASSERT_NE(state_alloc(), nullptr);  // the mixes' work block
        h2::test::make_flow_path(
            {Elem::Inlet, Elem::Stator, Elem::Rotor, Elem::Stator, Elem::Rotor, Elem::Duct}, kNR, gas);
        bdLocals* b = block();
        for (int i = 0; i <= kNS; ++i) {
            b->bld_F2[i] = 0.02;
            b->elem_Fiotb2[i] = 1.0;
            b->elem_Sotb2[i] = 1.0e-4;
            for (int j = 0; j < kNR; ++j) {
                b->flow_c2z[i][j] = 150.0;
                b->flow_c2u[i][j] = 40.0 + 10.0 * j;
                b->flow_c2r[i][j] = 0.0;
                const double c2 = 150.0 * 150.0 + b->flow_c2u[i][j] * b->flow_c2u[i][j];
                b->isd_i2x[i][j] = b->isd_i2[i][j] + 0.5 * c2;
                const double s = fluid(3, b->isd_p2[i][j], b->isd_i2[i][j]);
                b->isd_p2x[i][j] = fluid(8, b->isd_i2x[i][j], s);
            }
        }
    }
    void TearDown() override {
        if (block()->elem_Gotb2 != nullptr) {
            EXPECT_EQ(free_probdata(), 0);
        }
        h2::test::CaseTest::TearDown();
    }

    static double fluid(int code, double a, double b) {
        return h2::test::test_fluid_func(code, a, b, 0.0, 0);
    }

    // The perfect gas in closed form, apart from the fluid function.
    double density(double p, double h) const { return p / (gas.R * h / gas.cp()); }
    double sound_speed(double h) const { return std::sqrt((gas.k - 1.0) * h); }
    // Jet from (ps, hs) to pb through an opening of velocity coefficient Fi.
    double jet(double ps, double hs, double pb, double Fi) const {
        const double h_is = hs * std::pow(pb / ps, gas.R / gas.cp());
        return std::min(std::sqrt(2.0 * std::fabs(hs - h_is)), sound_speed(hs)) * Fi;
    }

    std::vector<SideFields> side_fields() {
        const bdLocals* b = block();
        std::vector<SideFields> all;
        for (int i = 0; i <= kNS; ++i)
            all.push_back({b->elem_Qotb2[i], b->elem_Gotb2[i], b->elem_Potb2[i], b->elem_Iotb2[i],
                           b->elem_Fiotb2[i], b->elem_Sotb2[i], b->elem_dIotb2[i], b->elem_dPotb2[i]});
        return all;
    }
    // Increments with values of their own, to see whether a call keeps them.
    void mark_increments(int i) {
        block()->elem_dIotb2[i] = 123.0;
        block()->elem_dPotb2[i] = 456.0;
    }

    struct MixOut {
        double i, pt, s;
    };
    // The radial jet of speed v mixed into element k's tip flow, as the side
    // flow mixes it.
    MixOut mix_at_tip(int k, double F2, double v, double i2, double p2) {
        const bdLocals* b = block();
        const double c1[3] = {b->flow_c2z[k][kTip], b->flow_c2u[k][kTip], b->flow_c2r[k][kTip]};
        const double c2[3] = {0.0, 0.0, v};
        double cout[3] = {0.0, 0.0, 0.0};
        MixOut out{};
        double G = 0.0, dE = 0.0, h = 0.0, p = 0.0;
        mix_streams(b->bld_F2[k], c1, b->isd_i2x[k][kTip], b->isd_p2x[k][kTip], F2, c2, i2, p2, b->bld_F2[k],
                    cout, &out.i, &out.pt, &G, &dE, &h, &p, &out.s);
        EXPECT_LT(p, h2::kPropertyFailureLimit);
        return out;
    }
};

// ---- mode 0: a given bleed or admission -----------------------------------

class GivenBleedLeftAlone : public SideFlowTest, public ::testing::WithParamInterface<double> {};

TEST_P(GivenBleedLeftAlone, ChangesNothing) {
    bdLocals* b = block();
    b->elem_Qotb2[1] = 0.0;
    b->elem_Gotb2[1] = GetParam();
    mark_increments(1);
    const auto before = side_fields();
    EXPECT_EQ(side_flow_calc(1), GetParam());
    EXPECT_EQ(side_fields(), before);
}

INSTANTIATE_TEST_SUITE_P(NonPositiveFlow, GivenBleedLeftAlone, ::testing::Values(0.0, -1.5));

class Admission : public SideFlowTest, public ::testing::WithParamInterface<double> {};

// An admission as large as the element's flow, 2000 J/kg above the tip's
// total enthalpy, raises the mixture by 1000 J/kg over the tip.
TEST_P(Admission, MixesItsEnthalpyByMass) {
    bdLocals* b = block();
    b->elem_Qotb2[1] = GetParam();
    b->elem_Gotb2[1] = b->elem_G2[1];
    b->elem_Iotb2[1] = b->isd_i2x[1][kTip] + 2000.0;
    mark_increments(1);
    EXPECT_EQ(side_flow_calc(1), b->elem_G2[1]);
    EXPECT_NEAR(b->elem_dIotb2[1], 1000.0 + b->isd_i2x[1][kTip] - b->isd_i2x[1][kMid], 1e-9);
    EXPECT_EQ(b->elem_dPotb2[1], 0.0);
}

// The mode is read truncated towards zero.
INSTANTIATE_TEST_SUITE_P(Modes, Admission, ::testing::Values(0.0, -0.5, 0.9));

TEST_F(SideFlowTest, AdmissionAgainstAnEqualReversedFlowChangesNothing) {
    bdLocals* b = block();
    b->elem_Gotb2[1] = 2.0;
    b->elem_G2[1] = -2.0;  // the mass average would divide by zero
    mark_increments(1);
    const auto before = side_fields();
    EXPECT_EQ(side_flow_calc(1), 2.0);
    EXPECT_EQ(side_fields(), before);
}

// ---- mode -1: plenum --------------------------------------------------------

TEST_F(SideFlowTest, PlenumWithoutPressureChangesNothing) {
    bdLocals* b = block();
    b->elem_Qotb2[2] = -1.0;
    b->elem_Potb2[2] = 0.0;
    b->elem_Gotb2[2] = 0.7;
    const auto before = side_fields();
    EXPECT_EQ(side_flow_calc(2), 0.7);
    EXPECT_EQ(side_fields(), before);
}

struct ExtractionCase {
    double P;   // plenum pressure
    double Fi;  // velocity coefficient
    bool choked;
};

std::ostream& operator<<(std::ostream& os, const ExtractionCase& c) {
    return os << "P " << c.P << " Fi " << c.Fi;
}

class Extraction : public SideFlowTest, public ::testing::WithParamInterface<ExtractionCase> {};

// The tip of element 2 is at 200000 Pa; the jet leaves with the isentropic
// speed, limited to the speed of sound before the velocity coefficient scales it.
TEST_P(Extraction, TakesTheJetsFlowAndKeepsTheIncrements) {
    const ExtractionCase& c = GetParam();
    bdLocals* b = block();
    b->elem_Qotb2[2] = -1.0;
    b->elem_Potb2[2] = c.P;
    b->elem_Fiotb2[2] = c.Fi;
    mark_increments(2);
    const double p = b->isd_p2[2][kTip], h = b->isd_i2[2][kTip];

    const double ideal = std::sqrt(2.0 * (h - h * std::pow(c.P / p, gas.R / gas.cp())));
    EXPECT_EQ(ideal > sound_speed(h), c.choked);
    const double v = jet(p, h, c.P, c.Fi);
    const double expected = -1.0e-4 * density(c.P, h - 0.5 * v * v) * v;

    EXPECT_NEAR(side_flow_calc(2), expected, 1e-12);
    EXPECT_NEAR(b->elem_Gotb2[2], expected, 1e-12);
    EXPECT_LT(b->elem_Gotb2[2], 0.0);
    EXPECT_EQ(b->elem_dIotb2[2], 123.0);
    EXPECT_EQ(b->elem_dPotb2[2], 456.0);
}

INSTANTIATE_TEST_SUITE_P(Table, Extraction,
                         ::testing::Values(ExtractionCase{180000.0, 1.0, false},
                                           ExtractionCase{180000.0, 0.9, false},
                                           ExtractionCase{20000.0, 1.0, true},
                                           ExtractionCase{20000.0, 0.9, true}));

// The plenum above the tip pressure blows a radial jet into the tip flow.
TEST_F(SideFlowTest, InjectionMixesARadialJetIntoTheTip) {
    bdLocals* b = block();
    const double P = 260000.0, Ij = b->isd_i2x[2][kTip] + 30000.0;
    b->elem_Qotb2[2] = -1.0;
    b->elem_Potb2[2] = P;
    b->elem_Iotb2[2] = Ij;
    const double p = b->isd_p2[2][kTip];
    const double v = jet(P, Ij, p, 1.0);
    const double expected = 1.0e-4 * density(p, Ij - 0.5 * v * v) * v;

    EXPECT_NEAR(side_flow_calc(2), expected, 1e-12);
    EXPECT_GT(b->elem_Gotb2[2], 0.0);

    const MixOut mix = mix_at_tip(2, 1.0e-4, v, Ij, P);
    EXPECT_EQ(b->elem_dIotb2[2], mix.i - b->isd_i2x[2][kMid]);
    EXPECT_EQ(b->elem_dPotb2[2], mix.pt - b->isd_p2x[2][kMid]);
    // The hotter jet raises the tip's total enthalpy.
    EXPECT_GT(b->elem_dIotb2[2], b->isd_i2x[2][kTip] - b->isd_i2x[2][kMid]);
}

TEST_F(SideFlowTest, InjectionWithoutItsWorkBlockTakesTheTipTotals) {
    bdLocals* b = block();
    state_end_threading();  // the mix cannot run without its work block
    b->elem_Qotb2[2] = -1.0;
    b->elem_Potb2[2] = 260000.0;
    b->elem_Iotb2[2] = b->isd_i2x[2][kTip] + 30000.0;
    side_flow_calc(2);
    EXPECT_EQ(b->elem_dIotb2[2], b->isd_i2x[2][kTip] - b->isd_i2x[2][kMid]);
    EXPECT_EQ(b->elem_dPotb2[2], b->isd_p2x[2][kTip] - b->isd_p2x[2][kMid]);
    EXPECT_GT(b->elem_Gotb2[2], 0.0);
}

TEST_F(SideFlowTest, PlenumWithoutFluidFunctionChangesNothing) {
    bdLocals* b = block();
    b->fluid_func = nullptr;
    b->elem_Qotb2[2] = -1.0;
    b->elem_Potb2[2] = 100000.0;
    const auto before = side_fields();
    EXPECT_EQ(side_flow_calc(2), 0.0);
    EXPECT_EQ(side_fields(), before);
}

// ---- mode j: transfer to another element's tip -----------------------------

class Transfer : public SideFlowTest, public ::testing::WithParamInterface<double> {};

// Element 1's tip (300000 Pa) feeds element 3's (200000 Pa).
TEST_P(Transfer, MakesTheReceiverAnAdmission) {
    bdLocals* b = block();
    b->elem_Qotb2[1] = GetParam();
    b->elem_Qotb2[3] = -1.0;
    b->elem_Sotb2[3] = 5.0e-5;
    const double p = b->isd_p2[1][kTip], h = b->isd_i2[1][kTip], pj = b->isd_p2[3][kTip];
    const double v = jet(p, h, pj, 1.0);
    const double expected = -1.0e-4 * density(pj, h - 0.5 * v * v) * v;

    EXPECT_NEAR(side_flow_calc(1), expected, 1e-12);
    EXPECT_LT(b->elem_Gotb2[1], 0.0);
    EXPECT_EQ(b->elem_Qotb2[3], 0.0);
    EXPECT_EQ(b->elem_Gotb2[3], -b->elem_Gotb2[1]);
    const MixOut mix = mix_at_tip(3, 1.0e-4, v, h, pj);
    EXPECT_EQ(b->elem_Iotb2[3], mix.i);
    EXPECT_EQ(b->elem_Potb2[3], mix.pt);
    EXPECT_EQ(b->elem_Sotb2[3], mix.s);

    // The receiver's own call turns the received flow into its increments.
    const double G3 = b->elem_Gotb2[3];
    EXPECT_EQ(side_flow_calc(3), G3);
    const double I = (mix.i * G3 + b->isd_i2x[3][kTip] * b->elem_G2[3]) / (G3 + b->elem_G2[3]);
    EXPECT_NEAR(b->elem_dIotb2[3], I - b->isd_i2x[3][kMid], 1e-9);
    EXPECT_EQ(b->elem_dPotb2[3], 0.0);
}

INSTANTIATE_TEST_SUITE_P(Modes, Transfer, ::testing::Values(3.0, 3.7));

struct NoTransferCase {
    const char* name;
    double receiver_tip_p;
};

std::ostream& operator<<(std::ostream& os, const NoTransferCase& c) { return os << c.name; }

class NoTransfer : public SideFlowTest, public ::testing::WithParamInterface<NoTransferCase> {};

TEST_P(NoTransfer, ChangesNothing) {
    bdLocals* b = block();
    b->elem_Qotb2[1] = 3.0;
    b->elem_Qotb2[3] = -1.0;
    b->elem_Gotb2[1] = -0.25;
    b->isd_p2[3][kTip] = GetParam().receiver_tip_p;
    const auto before = side_fields();
    EXPECT_EQ(side_flow_calc(1), -0.25);
    EXPECT_EQ(side_fields(), before);
}

INSTANTIATE_TEST_SUITE_P(Table, NoTransfer,
                         ::testing::Values(NoTransferCase{"EqualPressure", 300000.0},
                                           NoTransferCase{"HigherPressure", 320000.0},
                                           NoTransferCase{"NoPressure", 0.0}),
                         [](const auto& info) { return std::string(info.param.name); });

class TransferOutsideThePath : public SideFlowTest, public ::testing::WithParamInterface<double> {};

TEST_P(TransferOutsideThePath, ChangesNothing) {
    bdLocals* b = block();
    b->elem_Qotb2[1] = GetParam();
    b->elem_Gotb2[1] = -0.25;
    const auto before = side_fields();
    EXPECT_EQ(side_flow_calc(1), -0.25);
    for (std::size_t i = 0; i < before.size(); ++i) {
        for (std::size_t f = 0; f < before[i].size(); ++f) {
            const double was = before[i][f], is = side_fields()[i][f];
            EXPECT_TRUE(was == is || (std::isnan(was) && std::isnan(is)))
                << "element " << i << " field " << f;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Indices, TransferOutsideThePath,
                         ::testing::Values(kNS + 1.0, 1.0e9, -2.0, -1.0e12,
                                           std::numeric_limits<double>::quiet_NaN()));

// ---- element and case checks ------------------------------------------------

TEST_F(SideFlowTest, ElementOutsideThePathChangesNothing) {
    const auto before = side_fields();
    EXPECT_EQ(side_flow_calc(-1), 0.0);
    EXPECT_EQ(side_flow_calc(kNS + 1), 0.0);
    EXPECT_EQ(side_fields(), before);
}

class SideFlowNoArrays : public h2::test::CaseTest {};

TEST_F(SideFlowNoArrays, CaseWithoutArraysGivesZero) {
    block()->cyld_ns = 3;
    block()->cyld_nr = 2;
    EXPECT_EQ(side_flow_calc(1), 0.0);
}

}  // namespace
