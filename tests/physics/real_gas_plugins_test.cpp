// Fluid numbers 6 and 7: the component mixture (flxv, "component.tmg") and
// the real fluids of reference equations of state (flxt, "real.tmg"), loaded
// through the host and asked through their property codes.
#include <gtest/gtest.h>

#include <barrier>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/fluids.h"
#include "tests/support/case_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kPlugins = H2_PLUGIN_DIR;
constexpr double kNo = 1e20;

template <std::size_t N>
void set_text(char (&field)[N], const std::string& text) {
    ASSERT_LT(text.size(), N);
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), text.size());
}

// The numbered path of a fluid number, from a plug-in folder.
int load_numbered(bdLocals* b, int fluid, const std::string& folder = kPlugins) {
    set_text(b->ModelBase, folder);
    set_text(b->fluidName, "");
    b->cyld_fluid = fluid;
    b->fluid_func = nullptr;
    return InitFluid(0.0);
}

// A plug-in folder of its own: a copy of one plug-in with the files given.
struct PluginCopy {
    h2::test::TempDir dir;
    PluginCopy(const char* plugin, std::initializer_list<std::pair<const char*, std::string>> files) {
        fs::copy_file(fs::path(kPlugins) / (std::string(plugin) + ".so"),
                      dir.path() / (std::string(plugin) + ".so"));
        for (const auto& [name, text] : files) std::ofstream(dir.path() / name) << text;
    }
    std::string data(const char* name) const {
        std::ifstream in(fs::path(kPlugins) / name);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

class RealFluid : public h2::test::LiveCaseTest {
protected:
    void SetUp() override {
        LiveCaseTest::SetUp();
        ASSERT_EQ(load_numbered(block(), 7), 0);
        ASSERT_NE(block()->fluid_func, nullptr);
    }
    double F(int code, double a, double b, double c = 0.0) { return block()->fluid_func(code, a, b, c, 0); }
};

// ---- flxt ----------------------------------------------------------------------------------

TEST_F(RealFluid, FluidSevenIsCarbonDioxideByDefault) {
    EXPECT_STREQ(block()->fluidName, "flxt.dll");
    EXPECT_NEAR(F(H2_FLUID_R_PI, 1e5, 3e5), 8.31451 / 0.0440098, 1e-9);
    // Span and Wagner (1996), Table 35: 480 K and 10 MPa.
    const double h = F(H2_FLUID_I_PT, 10e6, 480.0);
    EXPECT_NEAR(F(H2_FLUID_T_PI, 10e6, h), 480.0, 1e-9);
    EXPECT_NEAR(F(H2_FLUID_RHO_PI, 10e6, h), 119.65, 0.005);
    EXPECT_NEAR(F(H2_FLUID_CP_PI, 10e6, h), 1173.2, 0.05);
    EXPECT_NEAR(F(H2_FLUID_SOUND_PI, 10e6, h), 328.74, 0.005);
    EXPECT_NEAR(F(H2_FLUID_KAPPA_PI, 10e6, h), 328.74 * 328.74 * 119.65 / 10e6, 1e-4);
    EXPECT_EQ(F(H2_FLUID_DRYNESS, 10e6, h), -1.0);
    const double s = F(H2_FLUID_S_PI, 10e6, h);
    EXPECT_NEAR(F(H2_FLUID_P_IS, h, s), 10e6, 1e-3);
    EXPECT_NEAR(F(H2_FLUID_I_PS, 10e6, s), h, 1e-6);
    EXPECT_NEAR(F(H2_FLUID_P_RHOI, F(H2_FLUID_RHO_PI, 10e6, h), h), 10e6, 1e-2);
    // Fenghour et al. (1998), Table 4: 15.02 uPa s at 300 K and 1.773 kg/m^3 (0.1 MPa).
    const double h300 = F(H2_FLUID_I_PT, 1e5, 300.0);
    EXPECT_NEAR(F(H2_FLUID_RHO_PI, 1e5, h300), 1.773, 0.0005);
    EXPECT_NEAR(F(H2_FLUID_NU_PI, 1e5, h300) * F(H2_FLUID_RHO_PI, 1e5, h300), 15.02e-6, 0.005e-6);
    EXPECT_EQ(F(H2_FLUID_LAMBDA_PI, 1e5, h300), kNo);  // no conductivity correlation shipped
    // Out of range.
    EXPECT_EQ(F(H2_FLUID_T_PI, -1.0, h), kNo);
    EXPECT_EQ(F(H2_FLUID_I_PT, 1e5, 5000.0), kNo);
    EXPECT_EQ(F(H2_FLUID_DRYNESS, NAN, h), -1.0);
}

// Span and Wagner (1996), Table 34 at 280 K: p_s 4.1607 MPa, h'' - h' =
// 208.64 kJ/kg; the wet codes mix the two phases by the dryness.
TEST_F(RealFluid, WetCarbonDioxide) {
    const double p = 4.1607e6;
    const double hv = F(H2_FLUID_I_SAT_VAPOUR, p, p), hl = F(H2_FLUID_I_SAT_LIQUID, p, p);
    EXPECT_NEAR(hv - hl, (-80.840 + 289.48) * 1e3, 30.0);
    const double h = hl + 0.3 * (hv - hl);
    EXPECT_NEAR(F(H2_FLUID_DRYNESS, p, h), 0.3, 1e-9);
    EXPECT_NEAR(F(H2_FLUID_T_PI, p, h), 280.0, 0.01);
    const double v = 0.7 / 883.58 + 0.3 / 121.74;
    EXPECT_NEAR(F(H2_FLUID_RHO_PI, p, h), 1.0 / v, 0.05);
    EXPECT_LT(F(H2_FLUID_SOUND_PI, p, h), 207.72);
    // Above the critical pressure both saturated enthalpies are the critical one.
    EXPECT_EQ(F(H2_FLUID_I_SAT_VAPOUR, 8e6, 8e6), F(H2_FLUID_I_SAT_LIQUID, 8e6, 8e6));
    EXPECT_EQ(F(H2_FLUID_DRYNESS, 8e6, h), -1.0);
}

// Random states: each thread's answers, cached, are bit for bit those of a
// thread that asks uncached; eight threads asking an eighth each at once too.
TEST_F(RealFluid, CachedAndThreadedAnswersAreBitIdenticalToSerial) {
    const FluidFunc f = block()->fluid_func;
    struct Call {
        int code;
        double a, b;
    };
    std::vector<Call> calls;
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> uT(230.0, 700.0), ulnp(std::log(5e5), std::log(2.5e7));
    constexpr int kStates = 10000, kPerState = 8;
    for (int k = 0; k < kStates; ++k) {
        const double p = std::exp(ulnp(rng)), h = f(H2_FLUID_I_PT, p, uT(rng), 0.0, 0);
        for (int code : {H2_FLUID_T_PI, H2_FLUID_RHO_PI, H2_FLUID_S_PI, H2_FLUID_SOUND_PI, H2_FLUID_DRYNESS,
                         H2_FLUID_KAPPA_PI, H2_FLUID_CP_PI})
            calls.push_back({code, p, h});
        calls.push_back({H2_FLUID_RHO_PI, 0.9 * p, h});
    }
    auto ask = [&](FluidFunc g, std::size_t first, std::size_t last) {
        std::vector<double> out;
        for (std::size_t k = first; k < last; ++k)
            out.push_back(g(calls[k].code, calls[k].a, calls[k].b, 0.0, 0));
        return out;
    };
    std::vector<double> uncached;
    std::thread([&] { uncached = ask(f, 0, calls.size()); }).join();
    int solved = 0;
    for (std::size_t k = 0; k < calls.size(); k += kPerState) solved += uncached[k] < 1e19;
    EXPECT_EQ(solved, kStates);
    const std::vector<double> cached = ask(f, 0, calls.size());
    EXPECT_EQ(std::memcmp(cached.data(), uncached.data(), cached.size() * sizeof(double)), 0);
    std::barrier all(8);
    std::vector<int> mismatches(8, 0);
    auto run = [&](int t) {
        bdLocals* b = binit();
        if (b == nullptr || load_numbered(b, 7) != 0) mismatches[t] = -1;
        all.arrive_and_wait();
        if (mismatches[t] == 0) {
            const std::size_t first = kStates * t / 8 * kPerState, last = kStates * (t + 1) / 8 * kPerState;
            const std::vector<double> got = ask(b->fluid_func, first, last);
            for (std::size_t k = 0; k < got.size(); ++k)
                mismatches[t] += std::memcmp(&got[k], &uncached[first + k], sizeof(double)) != 0;
        }
        if (b != nullptr) bterm();
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < 8; ++t) pool.emplace_back(run, t);
    for (auto& t : pool) t.join();
    for (int t = 0; t < 8; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

// The set-up file names another shipped fluid; a name without its data file,
// or a first line of another form, fails the set-up with both named.
class RealFluidSetUp : public h2::test::LiveCaseTest {};

TEST_F(RealFluidSetUp, R134aByItsName) {
    PluginCopy copy("flxt", {{"real.tmg", "# a refrigerant\n\nfluid R134a\n"}});
    std::ofstream(copy.dir.path() / "real_R134a.txt") << copy.data("real_R134a.txt");
    ASSERT_EQ(load_numbered(get_bdLocals(), 7, copy.dir.path().string()), 0);
    const FluidFunc f = get_bdLocals()->fluid_func;
    ASSERT_NE(f, nullptr);
    // Tillner-Roth and Baehr (1994), Table 9: 345 K and 2 MPa; IIR enthalpy.
    const double h = f(H2_FLUID_I_PT, 2e6, 345.0, 0.0, 0);
    EXPECT_NEAR(h, 434.73e3, 10.0);
    EXPECT_NEAR(f(H2_FLUID_RHO_PI, 2e6, h, 0.0, 0), 102.38, 0.01);
    EXPECT_NEAR(f(H2_FLUID_R_PI, 2e6, h, 0.0, 0), 8.314471 / 0.102032, 1e-9);
    EXPECT_EQ(f(H2_FLUID_NU_PI, 2e6, h, 0.0, 0), kNo);  // no viscosity correlation shipped
}

// Code 1001 reads the set-up file the text address in c names; any other c
// (the named path's fluid constant) means "real.tmg".
TEST_F(RealFluidSetUp, TheTextInCNamesTheSetUpFile) {
    PluginCopy copy("flxt", {{"real.tmg", "fluid CO2\n"}, {"other.tmg", "fluid R134a\n"}});
    std::ofstream(copy.dir.path() / "real_CO2.txt") << copy.data("real_CO2.txt");
    std::ofstream(copy.dir.path() / "real_R134a.txt") << copy.data("real_R134a.txt");
    ASSERT_EQ(load_numbered(get_bdLocals(), 7, copy.dir.path().string()), 0);
    const FluidFunc f = get_bdLocals()->fluid_func;
    ASSERT_NE(f, nullptr);
    static const char kOther[] = "other.tmg";
    EXPECT_EQ(f(H2_FLUID_SETUP, 0.0, 0.0, h2_fluid_text_value(kOther), 0), 0.0);
    EXPECT_NEAR(f(H2_FLUID_R_PI, 1e5, 3e5, 0.0, 0), 8.314471 / 0.102032, 1e-9);
    EXPECT_EQ(f(H2_FLUID_SETUP, 287.5, 1.4, 1.0, 0), 0.0);
    EXPECT_NEAR(f(H2_FLUID_R_PI, 1e5, 3e5, 0.0, 0), 8.31451 / 0.0440098, 1e-9);
}

TEST_F(RealFluidSetUp, UnknownNameOrMalformedFileFails) {
    struct Case {
        const char* text;
        const char* named[2];
    };
    const Case cases[] = {{"fluid XENON\n", {"XENON", "real.tmg"}},
                          {"gas CO2\n", {"gas CO2", "real.tmg"}},
                          {"# nothing\n", {"names no fluid", "real.tmg"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        PluginCopy copy("flxt", {{"real.tmg", c.text}});
        bdLocals* b = get_bdLocals();
        set_text(b->ModelBase, copy.dir.path().string());
        set_text(b->fluidName, "flxt.dll");
        testing::internal::CaptureStderr();
        EXPECT_EQ(InitFluid(0.0), -1);  // the named path checks code 1001
        const std::string err = testing::internal::GetCapturedStderr();
        for (const char* word : c.named) EXPECT_NE(err.find(word), std::string::npos) << err;
        // The failed set-up leaves the thread without a fluid: no answers.
        EXPECT_EQ(b->fluid_func(H2_FLUID_R_PI, 1e5, 3e5, 0.0, 0), kNo);
    }
}

// ---- flxv -----------------------------------------------------------------------------------

// Dry air, the shipped component.tmg: its ideal-gas cp against the
// mole-weighted JANAF heat capacities of N2, O2, Ar and CO2 (Chase 1998):
// 29.105, 33.049 and 35.083 J/(mol K) at 300, 1000 and 1500 K, M 28.965 g/mol.
class ComponentMixture : public h2::test::LiveCaseTest {};

TEST_F(ComponentMixture, DryAirHeatCapacity) {
    bdLocals* b = get_bdLocals();
    ASSERT_EQ(load_numbered(b, 6), 0);
    const FluidFunc f = b->fluid_func;
    ASSERT_NE(f, nullptr);
    EXPECT_STREQ(b->fluidName, "flxv.dll");
    EXPECT_NEAR(f(H2_FLUID_R_PI, 1e5, 3e5, 0.0, 0), 287.05, 0.05);
    for (auto [T, cp] : {std::pair{300.0, 1004.8}, {1000.0, 1141.0}, {1500.0, 1211.2}}) {
        const double h = f(H2_FLUID_I_PT, 1e5, T, 0.0, 0);
        EXPECT_NEAR(f(H2_FLUID_T_PI, 1e5, h, 0.0, 0), T, 1e-9 * T);
        EXPECT_NEAR(f(H2_FLUID_CP_PI, 1e5, h, 0.0, 0), cp, 3e-3 * cp) << T;
    }
}

// A pure-nitrogen "mixture" is the N2 polynomial of GRI-Mech 3.0 exactly, with
// no mixing entropy; an unknown component, a negative or non-finite fraction
// and an empty file fail with the line named.
TEST_F(ComponentMixture, PureNitrogenAndRefusedFiles) {
    {
        PluginCopy copy("flxv", {{"component.tmg", "# nitrogen\nn2 2.0\n"}});
        ASSERT_EQ(load_numbered(get_bdLocals(), 6, copy.dir.path().string()), 0);
        const FluidFunc f = get_bdLocals()->fluid_func;
        const double R = 8.314462618 / (2 * 14.007) * 1000.0;
        const double a[5] = {3.298677, 1.4082404e-3, -3.963222e-6, 5.641515e-9, -2.444854e-12};
        for (double T : {300.0, 600.0, 900.0}) {
            const double cp = R * (a[0] + T * (a[1] + T * (a[2] + T * (a[3] + T * a[4]))));
            const double h = f(H2_FLUID_I_PT, 1e5, T, 0.0, 0);
            EXPECT_NEAR(f(H2_FLUID_CP_PI, 1e5, h, 0.0, 0), cp, 1e-12 * cp);
        }
        EXPECT_NEAR(f(H2_FLUID_R_PI, 1e5, 3e5, 0.0, 0), R, 1e-12 * R);
        // Entropy at p0 = 1e5 Pa: the polynomial's own, without a mixing term.
        for (double T : {298.15, 700.0}) {
            const double s = R * (a[0] * std::log(T) +
                                  T * (a[1] + T * (a[2] / 2 + T * (a[3] / 3 + T * a[4] / 4))) + 3.950372);
            const double h = f(H2_FLUID_I_PT, 1e5, T, 0.0, 0);
            EXPECT_NEAR(f(H2_FLUID_S_PI, 1e5, h, 0.0, 0), s, 1e-12 * s);
        }
    }
    struct Case {
        const char* text;
        const char* named;
    };
    for (const Case& c : {Case{"N2 0.78\nKR 0.22\n", "line 2"}, Case{"N2 -0.1\n", "line 1"},
                          Case{"N2 nan\n", "line 1"}, Case{"# empty\n", "no component"}}) {
        SCOPED_TRACE(c.text);
        PluginCopy copy("flxv", {{"component.tmg", c.text}});
        bdLocals* b = get_bdLocals();
        set_text(b->ModelBase, copy.dir.path().string());
        set_text(b->fluidName, "flxv.dll");
        testing::internal::CaptureStderr();
        EXPECT_EQ(InitFluid(0.0), -1);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(c.named), std::string::npos) << err;
        EXPECT_NE(err.find("component.tmg"), std::string::npos) << err;
    }
}

}  // namespace
