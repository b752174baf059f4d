// The solver's strength pass on the shipped example stage, solved with its
// plug-ins: once the outer iteration has converged, each axial blade row gets
// its material at the temperature of its inlet state and its stresses. The
// rotor's centrifugal root stress is that of a uniform blade, the closed form
// sigma = rho omega^2 (r_t^2 - r_h^2) / 2, and the stress report prints it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "halvorine2/halvorine2.h"
#include "reports/report_api.h"
#include "solver/solver_api.h"
#include "tests/support/case_fixture.h"
#include "tests/support/example_stage.h"
#include "tests/support/golden.h"

namespace {

constexpr int kStator = 1, kRotor = 2;
constexpr double kRho = 8000.0;  // blade material density, kg/m^3
constexpr double kCp = 1006.25;  // air of the example: R 287.5, k 1.4

class StrengthPass : public h2::test::LiveCaseTest {
protected:
    void SetUp() override {
        LiveCaseTest::SetUp();
        ASSERT_TRUE(h2::test::load_example_stage());
        bdLocals* b = get_bdLocals();
        b->strs_g_b[kStator] = b->strs_g_b[kRotor] = kRho;
        b->clrn_to[kRotor] = 0.0;  // no shroud band: the root carries the blade alone
    }
};

TEST_F(StrengthPass, RotorRootStressIsTheUniformBladesClosedForm) {
    bdLocals* b = get_bdLocals();
    b->strs_policy = 1;
    ASSERT_EQ(bestXN(), 0);
    ASSERT_LT(std::fabs(b->accuracy), b->acc_limit);
    const int m = b->cyld_nr / 2;
    // Rotor: d2 0.2 m, l2 0.04 m, so r_t 0.12 m and r_h 0.08 m; omega 3000 rad/s.
    const double rt = 0.12, rh = 0.08, omega = 3000.0;
    const double sigma = 0.5 * kRho * omega * omega * (rt * rt - rh * rh);  // 288 MPa
    EXPECT_NEAR(b->strs_sr[kRotor], sigma, 1e-9 * sigma);
    // Each row's material temperature is that of its inlet (relative) total state: h = cp T.
    EXPECT_NEAR(b->strs_tm[kRotor], b->isd_i1wx[kRotor][m] / kCp, 1e-6);
    EXPECT_NEAR(b->strs_tm[kStator], b->isd_i1wx[kStator][m] / kCp, 1e-6);
    EXPECT_GT(b->strs_mu[kRotor], 0.0);
    EXPECT_GT(b->prof_F[kRotor][m], 0.0);

    const std::string text = h2::test::printed(report_stress);
    char row_start[64], sr[32];
    std::snprintf(row_start, sizeof row_start, "\nr%-4d ", kRotor);
    std::snprintf(sr, sizeof sr, " %12.2e ", sigma);
    const std::size_t rotors = text.find("specific for rotors:");
    ASSERT_NE(rotors, std::string::npos) << text;
    const std::size_t row = text.find(row_start, rotors);
    ASSERT_NE(row, std::string::npos) << text;
    const std::string line = text.substr(row + 1, text.find('\n', row + 1) - row - 1);
    EXPECT_NE(line.find(sr), std::string::npos) << line;
}

TEST_F(StrengthPass, WithoutThePolicyNoStressIsComputed) {
    bdLocals* b = get_bdLocals();
    b->strs_policy = 0;
    ASSERT_EQ(bestXN(), 0);
    EXPECT_EQ(b->strs_sr[kRotor], 0.0);
    EXPECT_EQ(b->strs_tm[kRotor], 0.0);
}

}  // namespace
