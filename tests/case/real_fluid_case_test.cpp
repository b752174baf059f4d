// Case files that choose steam (IS 2) or a combustion gas (IS 5) load with
// their real-fluid plug-in installed and solve on the mean line.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "halvorine2/halvorine2.h"
#include "solver/solver_api.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const fs::path kExample =
    fs::path(__FILE__).parent_path().parent_path().parent_path() / "examples" / "air_turbine_stage.dat";

// The shipped example with its fluid number (IS, the 7th header value) replaced;
// steam enters superheated at 3 MJ/kg instead of the air's 1.006 MJ/kg (wet at 4 bar).
std::string example_with_fluid(int fluid) {
    std::ifstream in(kExample);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string text = ss.str();
    const std::string header = "    2   3  50   0    2    10   0     0";  // NS NI IM IP IPP VART IS ITML
    const std::size_t at = text.find(header);
    if (at != std::string::npos) text[at + header.size() - 7] = static_cast<char>('0' + fluid);
    const std::string inlet = "   1006250  400000   200000";  // I0 P0 P2n
    const std::size_t inlet_at = text.find(inlet);
    if (fluid == 2 && inlet_at != std::string::npos)
        text.replace(inlet_at, inlet.size(), "   3000000  400000   200000");
    return text;
}

class RealFluidCase : public h2::test::LiveCaseTest {
protected:
    int load(int fluid) {
        const std::string text = example_with_fluid(fluid);
        if (text == example_with_fluid(0)) return -101;  // the example's header line moved
        std::FILE* f = std::fopen("case.dat", "wb");
        if (f == nullptr) return -100;
        std::fputs(text.c_str(), f);
        std::fclose(f);
        std::snprintf(block()->ModelBase, sizeof block()->ModelBase, "%s", H2_PLUGIN_DIR);
        return load_data("case.dat");
    }
    // Solves the loaded case (direct task 10, streamline by streamline) and
    // checks the outlet states against the installed fluid: the stator keeps
    // the total enthalpy apart from the work of gravity g (r1 - r2) on the
    // middle stream surface, each outlet's density is the fluid's at its
    // (p, h), and the flow expands from the inlet pressure.
    void solve_and_check(double i0) {
        bdLocals* b = block();
        ASSERT_EQ(b->cyld_VART, 10);
        ASSERT_EQ(b->cyld_force1D, 0);
        ASSERT_EQ(bestXN(), 0) << console_.text();
        const int m = b->cyld_nr / 2;
        const double gravity = 9.81 * (b->flow_r1[1][m] - b->flow_r2[1][m]);
        EXPECT_NEAR(b->isd_i2x[1][m], i0 + gravity, 1e-9 * i0);
        for (int i = 1; i <= b->cyld_ns; ++i) {
            SCOPED_TRACE(i);
            const double p = b->isd_p2[i][m], h = b->isd_i2[i][m];
            EXPECT_GT(p, 1e5);
            EXPECT_LT(p, 4e5);
            EXPECT_NEAR(b->isd_Ro2[i][m], getFluid(2, p, h, b->elem_af[i], 0), 1e-6 * b->isd_Ro2[i][m]);
        }
        EXPECT_LT(b->isd_p2[2][m], b->isd_p2[1][m]);
    }
    h2::test::TempDir dir_;
    h2::test::CapturedConsole console_;
};

TEST_F(RealFluidCase, SteamCaseLoadsWithIf97) {
    ASSERT_EQ(load(2), 0) << console_.text();
    EXPECT_EQ(block()->cyld_fluid, 2);
    EXPECT_STREQ(block()->fluidName, "flxs.dll");
    ASSERT_NE(block()->fluid_func, nullptr);
    // IF97 region 1 at 300 K, 3 MPa.
    EXPECT_NEAR(getFluid(30, 3e6, 300.0, block()->cyld_af, 0), 115331.273, 0.0005);
    solve_and_check(3e6);
}

TEST_F(RealFluidCase, MethaneCaseLoadsStoichiometric) {
    ASSERT_EQ(load(5), 0) << console_.text();
    EXPECT_EQ(block()->cyld_fluid, 5);
    EXPECT_STREQ(block()->fluidName, "flxm.dll");
    ASSERT_NE(block()->fluid_func, nullptr);
    EXPECT_EQ(block()->cyld_af, 1.0);  // 0 in the file reads stoichiometric
    // Stoichiometric methane products: CO2 1, H2O 2, N2 and Ar of 2/0.20946 mol air.
    const double air = 2.0 / 0.20946;
    const double n_co2 = 1.0 + 0.00036 * air, n_h2o = 2.0, n_n2 = 0.78084 * air, n_ar = 0.00934 * air;
    const double total = n_co2 + n_h2o + n_n2 + n_ar;
    const double M = (n_co2 * 44.009 + n_h2o * 18.015 + n_n2 * 28.014 + n_ar * 39.948) / total;
    EXPECT_NEAR(getFluid(32, 1e5, 1e6, block()->cyld_af, 0), 8314.462618 / M, 1e-9);
    solve_and_check(1006250.0);
}

}  // namespace
