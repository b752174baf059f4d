// Radial machines over a 64-point search: every point the search keeps obeys
// the published design rules the generators hold (buildable radial turbine
// wheels, Rohlik's r2t/r1 <= 0.78 and hub/tip >= 0.3; impellers that diffuse
// no further than W2/W1t = 0.6 and deliver Wiesner's swirl for their blades)
// and the first law (shaft power = G (h0 + gz out - h0 + gz in)).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "halvorine2/predesign.h"
#include "solver/gravity_head.h"
#include "solver/predesign/centrifugal_elements.h"
#include "tests/solver/predesign/search/search_fixture.h"

namespace {

constexpr double kDeg = 0.01745329;

struct Kept {
    int point = 0;
    std::vector<double> tip_ratio, hub_tip, blades, diffusion, slip_error;
    double first_law = 0.0;
};

std::vector<Kept>& kept() {
    static std::vector<Kept> points;
    return points;
}

// Wiesner (1967): the swirl z blades of backsweep beta2b deliver.
double wiesner_swirl(double beta2b, double z, double r1t_r2, double u2, double c2m) {
    const double eps = std::exp(-8.16 * std::cos(beta2b) / z);
    double sigma = 1.0 - std::sqrt(std::cos(beta2b)) / std::pow(z, 0.7);
    if (r1t_r2 > eps) sigma *= 1.0 - std::pow((r1t_r2 - eps) / (1.0 - eps), 3.0);
    return sigma * u2 - c2m * std::tan(beta2b);
}

void record_point(bdLocals* b, uintptr_t turbine) {
    Kept k;
    k.point = b->search_point;
    const int ns = b->cyld_ns;
    double shaft = 0.0, gz = 0.0;
    for (int i = 1; i <= ns; ++i) gz += grav_head_in(i, 0) + grav_head_out(i, 0);
    for (int i = 1; i <= ns; ++i) {
        if (b->bld_wp[i] == 0.0 || b->elem_stagType[i] != 1.0) continue;
        shaft += std::fabs(b->elem_Ns[i]);
        if (turbine != 0) {
            const double d2 = b->bld_d2[i], l2 = b->bld_l2[i];
            k.tip_ratio.push_back((d2 + l2) / b->bld_d2[i - 1]);
            k.hub_tip.push_back((d2 - l2) / (d2 + l2));
            k.blades.push_back(b->bld_z[i]);
            k.blades.push_back(b->bld_z[i - 1]);
        } else {
            const double d1t = h2::predesign::impeller_inlet_tip_diameter(*b, i, 0);
            k.diffusion.push_back(h2::predesign::impeller_relative_diffusion(*b, i, 0));
            const double swirl = wiesner_swirl((b->cas_B2g[i][0] - 90.0) * kDeg, b->bld_z[i],
                                               d1t / b->bld_d2[i], b->flow_u2[i][0], b->flow_c2s[i][0]);
            k.slip_error.push_back(b->flow_c2u[i][0] / swirl - 1.0);
            k.blades.push_back(b->bld_z[i]);
        }
    }
    const double G = b->elem_G1[0];
    const double work = G * std::fabs(b->isd_i2x[ns][0] - b->isd_i1x[0][0] - gz);
    k.first_law = (shaft - work) / work;
    kept().push_back(k);
}

class RadialSearch : public h2::test::SearchTest {
protected:
    void SetUp() override {
        SearchTest::SetUp();
        kept().clear();
    }
    void search(bool turbine) {
        master()->result_hook = record_point;
        master()->result_hook_arg = turbine ? 1 : 0;
        ASSERT_EQ(OptCyl(0, 64, 0, "cyld__effx"), 0);
    }
};

TEST_F(RadialSearch, CentrifugalStagesKeepTheRules) {
    PD_module* t = table(1);
    PD_module& r = centrifugal(t, 0);
    const double ranges[][3] = {{PD_VAR_OM, 3000.0, 3600.0}, {PD_VAR_D, 0.10, 0.12}, {PD_VAR_CZ, 0.4, 0.6},
                                {PD_VAR_HT, 0.5, 0.5},       {PD_VAR_KU, 1.0, 1.0},  {PD_VAR_KZ, 1.0, 1.0},
                                {PD_VAR_M, 1.8, 2.2}};
    for (const auto& v : ranges) {
        r.PD_VAR_lower[static_cast<int>(v[0])] = v[1];
        r.PD_VAR_upper[static_cast<int>(v[0])] = v[2];
    }
    attach(1);
    search(false);
    EXPECT_GE(kept().size(), 16u);
    for (const Kept& k : kept()) {
        SCOPED_TRACE(k.point);
        EXPECT_NEAR(k.first_law, 0.0, 1e-6);
        for (double d : k.diffusion) EXPECT_GE(d, 0.6);
        for (double e : k.slip_error) EXPECT_NEAR(e, 0.0, 0.03);
        for (double z : k.blades) EXPECT_EQ(z, std::trunc(z));
    }
}

TEST_F(RadialSearch, RadialTurbineWheelsCanBeBuilt) {
    PD_module* t = table(1);
    PD_module& r = t[0];
    r.type = TURB_RADIAL;
    const double ranges[][3] = {{PD_VAR_OM, 2500.0, 3500.0}, {PD_VAR_D, 0.25, 0.35},  {PD_VAR_CZ, 10.0, 20.0},
                                {PD_VAR_R, 0.4, 0.55},       {PD_VAR_KZ, 0.0, 100.0}, {PD_VAR_M, 1.5, 2.5}};
    for (const auto& v : ranges) {
        r.PD_VAR_lower[static_cast<int>(v[0])] = v[1];
        r.PD_VAR_upper[static_cast<int>(v[0])] = v[2];
    }
    r.PD_LIM_lower[PD_LIM_STG] = r.PD_LIM_upper[PD_LIM_STG] = 1.0;
    r.PD_LIM_upper[PD_LIM_DS] = 10.0;
    r.PD_LIM_upper[PD_LIM_A1] = 180.0;
    r.PD_SRC_P0 = 4e5;
    r.PD_SRC_I0 = h2::test::kAirCp * 1000.0;
    r.PD_SRC_A0 = 90.0;
    r.PD_SRC_OM = 3000.0;
    r.PD_SRC_G = 3.0;
    r.PD_SRC_P2N = 2e5;
    r.bladeDensity = 7800.0;
    attach(1);
    search(true);
    EXPECT_GE(kept().size(), 16u);
    for (const Kept& k : kept()) {
        SCOPED_TRACE(k.point);
        for (double q : k.tip_ratio) EXPECT_LE(q, 0.78 + 1e-9);
        for (double q : k.hub_tip) EXPECT_GE(q, 0.3 - 1e-9);
        for (double z : k.blades) EXPECT_EQ(z, std::trunc(z));
    }
}

}  // namespace
