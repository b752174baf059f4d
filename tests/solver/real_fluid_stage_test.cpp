// The supercritical-CO2 compressor example on the real fluid (flxt) and the
// same stage on a perfect gas with CO2's gas constant: near the critical point
// the two part ways, and on the real fluid the rotor's work is still Euler's.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "halvorine2/halvorine2.h"
#include "solver/solver_api.h"
#include "tests/support/case_fixture.h"
#include "tests/support/example_stage.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kRotor = 1, kStator = 2;

struct StageResult {
    double rho_in, p_out, work;
};

// Solves the current case and checks the rotor's work on every streamline:
// Euler's work and the parasitic work the shaft spends on the gas beside it
// (the tip leakage's share of the work, the disk friction).
StageResult solve_and_check_euler(double tolerance) {
    bdLocals* b = get_bdLocals();
    EXPECT_EQ(bestXN(), 0);
    for (int j = 0; j < b->cyld_nr; ++j) {
        SCOPED_TRACE(j);
        const double euler =
            b->flow_u2[kRotor][j] * b->flow_c2u[kRotor][j] - b->flow_u1[kRotor][j] * b->flow_c1u[kRotor][j];
        const double zrz = b->enrg_zrz[kRotor] > 0.0 ? b->enrg_zrz[kRotor] : 0.0;
        const double work = euler + std::fabs(euler) * zrz + b->enrg_dhd[kRotor];
        EXPECT_NEAR(b->isd_i2x[kRotor][j] - b->isd_i1x[kRotor][j], work, tolerance * std::fabs(euler));
    }
    const int m = b->cyld_nr / 2;
    return {b->isd_Ro1[kRotor][m], b->isd_p2x[kStator][m], b->isd_i2x[kRotor][m] - b->isd_i1x[kRotor][m]};
}

class Co2CompressorStage : public h2::test::LiveCaseTest {};

TEST_F(Co2CompressorStage, RealFluidWorkIsEulersAndDiffersFromAPerfectGas) {
    ASSERT_TRUE(h2::test::load_example("sco2_compressor_stage.dat"));
    get_bdLocals()->cyld_force1D = 1;  // the mean line: the work is Euler's to rounding
    const StageResult real = solve_and_check_euler(1e-9);
    // 305 K and 7.7 MPa total: Span and Wagner's CO2 is a dense fluid there
    // (611 kg/m^3 at the total state), and its pressure rise is rho dh.
    EXPECT_GT(real.rho_in, 550.0);
    EXPECT_LT(real.rho_in, 620.0);

    // The same stage, speed and velocity triangles on a perfect gas with CO2's
    // R and its ideal-gas k at 305 K (1.29): h0 = cp T0, and the volume flow
    // kept, so the mass flow is the perfect gas's density ratio of the real one's.
    std::ifstream in(h2::test::examples_dir() / "sco2_compressor_stage.dat");
    std::stringstream ss;
    ss << in.rdbuf();
    std::string text = ss.str();
    const double R = 8.31451 / 0.0440098, k = 1.29, cp = k / (k - 1.0) * R;
    const double rho_pg = 7.7e6 / (R * 305.0);
    const std::string header = "    2   3  50   0    2    10   7",
                      inlet = "    304113  7700000   9000000   59.04    768";
    ASSERT_NE(text.find(header), std::string::npos);
    ASSERT_NE(text.find(inlet), std::string::npos);
    text.replace(text.find(header), header.size(), "    2   3  50   0    2    10   0");
    std::ostringstream line;
    line << "    " << cp * 305.0 << "  7700000   9000000   59.04    " << 768.0 * rho_pg / 611.3;
    text.replace(text.find(inlet), inlet.size(), line.str());
    h2::test::TempDir dir;
    std::ofstream("pg.dat") << text;
    bterm();
    bdLocals* b = binit();
    ASSERT_NE(b, nullptr);
    std::snprintf(b->ModelBase, sizeof b->ModelBase, "%s", H2_PLUGIN_DIR);
    ASSERT_EQ(load_data("pg.dat"), 0);
    b->IPP = b->IPI = b->IPO = 0;
    b->cyld_force1D = 1;
    b->cyld_R = R;
    b->cyld_k = k;
    ASSERT_EQ(InitFluid(b->cyld_af), 0);  // the named path sends the new R and k
    const StageResult perfect = solve_and_check_euler(1e-9);
    // A perfect gas at 7.7 MPa and 305 K has a fifth of the density, and the
    // same work raises its pressure by a fraction of the real fluid's rise.
    EXPECT_NEAR(perfect.rho_in, rho_pg, 0.05 * rho_pg);
    EXPECT_NEAR(perfect.work, real.work, 0.1 * real.work);
    EXPECT_GT(real.p_out - 7.7e6, 2.5 * (perfect.p_out - 7.7e6));
}

}  // namespace
