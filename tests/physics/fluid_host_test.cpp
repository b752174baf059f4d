// The fluid-property plug-in host, driven against the recording
// test plug-ins of tests/plugins/fluids, which log every entry call and code.
#include "physics/fluid_host.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "case/console_internal.h"
#include "case/thread_blocks.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/fluids.h"
#include "platform/dynlib.h"
#include "tests/plugins/fluids/recording_fluid.h"
#include "tests/support/captured_console.h"
#include "tests/support/case_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kTestPlugins = H2_TEST_PLUGIN_DIR;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The record of one recording plug-in, opened by its file in the test plug-in
// folder: the same library the host loads, so the same record.
class Recorder {
public:
    explicit Recorder(const std::string& file, const std::string& dir = kTestPlugins) {
        const std::string path = dir + "/" + file;
        lib_ = h2::platform::lib_open(path.c_str());
        if (lib_ == nullptr) {
            ADD_FAILURE() << "cannot open " << path;
            return;
        }
        calls_ = reinterpret_cast<RecordedCallsFunc>(h2::platform::lib_symbol(lib_, "rec_calls"));
        reset_ = reinterpret_cast<RecordResetFunc>(h2::platform::lib_symbol(lib_, "rec_reset"));
        set_result_ =
            reinterpret_cast<RecordSetResultFunc>(h2::platform::lib_symbol(lib_, "rec_set_setup_result"));
        EXPECT_TRUE(calls_ && reset_ && set_result_);
        if (reset_) reset_();
    }
    void set_setup_result(double r) const { set_result_(r); }
    h2::platform::LibHandle handle() const { return lib_; }
    std::vector<RecordedEvent> events() const {
        const RecordedCalls* c = calls_();
        return {c->events, c->events + c->count};
    }
    std::vector<RecordedEvent> entries() const { return only(true); }
    std::vector<RecordedEvent> codes() const { return only(false); }

private:
    std::vector<RecordedEvent> only(bool entry) const {
        std::vector<RecordedEvent> out;
        for (const RecordedEvent& e : events()) {
            const bool is_entry = e.kind == REC_ENTRY_MAIN || e.kind == REC_ENTRY_COOLING;
            if (is_entry == entry) out.push_back(e);
        }
        return out;
    }
    h2::platform::LibHandle lib_ = nullptr;
    RecordedCallsFunc calls_ = nullptr;
    RecordResetFunc reset_ = nullptr;
    RecordSetResultFunc set_result_ = nullptr;
};

struct Code {
    int code;
    double a, b, c;
};

// The codes a recorder received, against the expected ones, all through the
// function of `kind` with selector `which`.
void expect_codes(const Recorder& r, const std::vector<Code>& expected, int kind, int which) {
    const std::vector<RecordedEvent> got = r.codes();
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t n = 0; n < got.size(); ++n) {
        SCOPED_TRACE("code #" + std::to_string(n));
        EXPECT_EQ(got[n].kind, kind);
        EXPECT_EQ(got[n].which, which);
        EXPECT_EQ(got[n].code, expected[n].code);
        EXPECT_EQ(got[n].a, expected[n].a);
        EXPECT_EQ(got[n].b, expected[n].b);
        if (!std::isnan(expected[n].c)) {
            EXPECT_EQ(got[n].c, expected[n].c);
        }
    }
}

int main_slot() { return static_cast<int>(h2::fluid_slot_index(0)); }
int cooling_slot() { return static_cast<int>(h2::fluid_slot_index(1)); }

// Restores the working directory on leaving a scope.
class ScopedCwd {
public:
    explicit ScopedCwd(const std::filesystem::path& to) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(to);
    }
    ~ScopedCwd() {
        std::error_code ec;
        std::filesystem::current_path(previous_, ec);
    }
    ScopedCwd(const ScopedCwd&) = delete;
    ScopedCwd& operator=(const ScopedCwd&) = delete;

private:
    std::filesystem::path previous_;
};

// The dynamic loader matches a relative name ("./flxb.so") against the names
// it loaded before, whatever the working directory was then. When tests share
// one process, a name another folder's library already holds cannot be
// loaded from here; tests that need it skip. ctest runs each test alone.
bool relative_name_taken(const std::string& file, h2::platform::LibHandle ours = nullptr) {
    void* h = dlopen(("./" + file).c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (h == nullptr) return false;
    dlclose(h);  // undo the reference RTLD_NOLOAD took
    return h != ours;
}

double sentinel_function(int, double, double, double, int) { return -7.0; }

class FluidHost : public h2::test::LiveCaseTest {
protected:
    void SetUp() override {
        LiveCaseTest::SetUp();
        set_text(block()->ModelBase, kTestPlugins);
    }
    template <std::size_t N>
    static void set_text(char (&field)[N], const std::string& text) {
        ASSERT_LT(text.size(), N);
        std::memset(field, 0, N);
        std::memcpy(field, text.data(), text.size());
    }
};

// ---- Defaults of the constants ---------------------------------------------

struct DefaultsCase {
    const char* name;  // fluidName
    const char* file;  // the recording plug-in it loads, or nullptr when none
    double R, k;       // before
    double want_R, want_k;
};

class MainDefaults : public FluidHost, public ::testing::WithParamInterface<DefaultsCase> {};

TEST_P(MainDefaults, AreSetBeforeLoadingAndSentWithCode1001) {
    const DefaultsCase& d = GetParam();
    set_text(block()->fluidName, d.name);
    block()->cyld_R = d.R;
    block()->cyld_k = d.k;
    if (d.file == nullptr) {
        EXPECT_EQ(InitFluid(0.0), -2);
    } else {
        Recorder r(d.file);
        EXPECT_EQ(InitFluid(0.0), 0);
        expect_codes(r, {{1000, 273.15, 100000.0, 0.0}, {1001, d.want_R, d.want_k, 0.0}}, REC_CALL_MAIN, 0);
    }
    EXPECT_EQ(block()->cyld_R, d.want_R);
    EXPECT_EQ(block()->cyld_k, d.want_k);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MainDefaults,
    ::testing::Values(
        DefaultsCase{"flxu.dll", "flxu.so", 0.0, 0.0, 1000.0, 4000.0},    // the liquid's defaults
        DefaultsCase{"FLXU.DLL", nullptr, 0.0, 0.0, 1000.0, 4000.0},      // name compared without case
        DefaultsCase{"flxu.dll", "flxu.so", kNaN, kNaN, 1000.0, 4000.0},  // not a number counts as unset
        DefaultsCase{"flxu.dll", "flxu.so", 900.0, 0.0, 900.0, 4000.0},   // each value on its own
        DefaultsCase{"rfluid.dll", "rfluid.so", 0.0, 0.0, 287.5, 1.4},    // any other name: the gas
        DefaultsCase{"flxb.dll", "flxb.so", kNaN, 0.0, 287.5, 1.4},       //
        DefaultsCase{"nosuchfluid.dll", nullptr, 0.0, 0.0, 287.5, 1.4},   // before loading
        DefaultsCase{"rfluid.dll", "rfluid.so", 1e-300, 1e-300, 1e-300, 1e-300},  // a tiny value stays
        DefaultsCase{"rfluid.dll", "rfluid.so", -5.0, 1.3, -5.0, 1.3}));          // so does a bad one

TEST_F(FluidHost, LiquidDefaultsAlsoForTheSoSpelling) {
    set_text(block()->fluidName, "flxu.so");
    EXPECT_EQ(InitFluid(0.0), 0);
    EXPECT_EQ(block()->cyld_R, 1000.0);
    EXPECT_EQ(block()->cyld_k, 4000.0);
}

// ---- Named path --------------------------------------------------------------

TEST_F(FluidHost, NamedPathCallsTheEntryThenSendsReferenceAndSetUp) {
    set_text(block()->fluidName, "rfluid.dll");
    block()->cyld_R = 300.0;
    block()->cyld_k = 1.3;
    Recorder r("rfluid.so");
    EXPECT_EQ(InitFluid(0.5), 0);
    const auto entries = r.entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, REC_ENTRY_MAIN);
    EXPECT_EQ(entries[0].block, block());
    EXPECT_EQ(entries[0].slot, main_slot());
    EXPECT_NE(entries[0].slot, -1);
    EXPECT_EQ(entries[0].a, 0.5);
    expect_codes(r, {{1000, 273.15, 100000.0, 0.0}, {1001, 300.0, 1.3, 0.5}}, REC_CALL_MAIN, 0);
    EXPECT_NE(block()->fluid_func, nullptr);
    EXPECT_EQ(block()->cfluid_func, nullptr);
    EXPECT_STREQ(block()->fluidName, "rfluid.dll");
}

TEST_F(FluidHost, EachCallLoadsAndInitialisesAgain) {
    set_text(block()->fluidName, "rfluid.dll");
    Recorder r("rfluid.so");
    EXPECT_EQ(InitFluid(0.0), 0);
    EXPECT_EQ(InitFluid(0.0), 0);
    EXPECT_EQ(r.entries().size(), 2u);
    EXPECT_EQ(r.codes().size(), 4u);
}

TEST_F(FluidHost, EmptyModelBaseUsesTheFileNameAlone) {
    // A name with a folder in it works only when nothing is put in front of it.
    ScopedCwd cwd(std::filesystem::path(kTestPlugins).parent_path());
    set_text(block()->fluidName, "plugins/rfluid.dll");
    set_text(block()->ModelBase, "");
    Recorder r("rfluid.so");
    EXPECT_EQ(InitFluid(0.0), 0);
    EXPECT_EQ(r.entries().size(), 1u);
    set_text(block()->ModelBase, "/nonexistent");
    EXPECT_EQ(InitFluid(0.0), -2);
    EXPECT_EQ(r.entries().size(), 1u);
}

// The recording fluid is not found from an empty directory (unless the
// loader resolves the bare name elsewhere) and is loaded once from the
// directory that holds it.
void expect_loaded_from_working_directory_only() {
    Recorder r("rfluid.so");
    {
        h2::test::TempDir elsewhere;
        if (!relative_name_taken("rfluid.so")) {
            EXPECT_EQ(InitFluid(0.0), -2);
        }
    }
    ScopedCwd cwd(kTestPlugins);
    EXPECT_EQ(InitFluid(0.0), 0);
    EXPECT_EQ(r.entries().size(), 1u);
}

TEST_F(FluidHost, EmptyModelBaseFindsABareNameInTheWorkingDirectory) {
    set_text(block()->fluidName, "rfluid.dll");
    set_text(block()->ModelBase, "");
    expect_loaded_from_working_directory_only();
}

TEST_F(FluidHost, DotModelBaseLoadsFromTheWorkingDirectory) {
    set_text(block()->fluidName, "rfluid.dll");
    set_text(block()->ModelBase, ".");  // as binit leaves it
    expect_loaded_from_working_directory_only();
}

TEST_F(FluidHost, MissingNamedLibraryGivesMinusTwoAndKeepsTheFunction) {
    set_text(block()->fluidName, "nosuchfluid.dll");
    block()->fluid_func = &sentinel_function;
    EXPECT_EQ(InitFluid(0.0), -2);
    EXPECT_EQ(block()->fluid_func, &sentinel_function);
}

TEST_F(FluidHost, RefusingEntryGivesMinusOneAndNoCode) {
    set_text(block()->fluidName, "rfluid_refuse.dll");
    Recorder r("rfluid_refuse.so");
    EXPECT_EQ(InitFluid(0.0), -1);
    EXPECT_EQ(r.entries().size(), 1u);
    // It installed its function all the same; the host must not use it.
    EXPECT_NE(block()->fluid_func, nullptr);
    EXPECT_TRUE(r.codes().empty());
}

TEST_F(FluidHost, NamedLibraryWithoutEntryPointIsARefusal) {
    set_text(block()->fluidName, "rfluid_noentry.dll");
    EXPECT_EQ(InitFluid(0.0), -1);
    EXPECT_EQ(block()->fluid_func, nullptr);
}

TEST_F(FluidHost, EntryThatInstallsNothingSendsNoCode) {
    set_text(block()->fluidName, "rfluid_nofunc.dll");
    Recorder r("rfluid_nofunc.so");
    EXPECT_EQ(InitFluid(0.0), 0);
    EXPECT_EQ(r.entries().size(), 1u);
    EXPECT_TRUE(r.codes().empty());
    EXPECT_EQ(block()->fluid_func, nullptr);
}

TEST_F(FluidHost, NegativeConstantSkipsTheSetUpCodes) {
    set_text(block()->fluidName, "rfluid.dll");
    Recorder r("rfluid.so");
    EXPECT_EQ(InitFluid(-1.0), 0);
    ASSERT_EQ(r.entries().size(), 1u);
    EXPECT_EQ(r.entries()[0].a, -1.0);
    EXPECT_TRUE(r.codes().empty());
    EXPECT_NE(block()->fluid_func, nullptr);
}

struct SetupResultCase {
    double result;
    int want;
};

class SetupResult : public FluidHost, public ::testing::WithParamInterface<SetupResultCase> {};

TEST_P(SetupResult, NegativeOrNotANumberFails) {
    set_text(block()->fluidName, "rfluid.dll");
    Recorder r("rfluid.so");
    r.set_setup_result(GetParam().result);
    EXPECT_EQ(InitFluid(0.0), GetParam().want);
    EXPECT_EQ(r.codes().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Table, SetupResult,
                         ::testing::Values(SetupResultCase{0.0, 0}, SetupResultCase{5.0, 0},
                                           SetupResultCase{-0.0, 0}, SetupResultCase{-1e-300, -1},
                                           SetupResultCase{-1.0, -1}, SetupResultCase{kNaN, -1}));

TEST_F(FluidHost, LongModelBaseAndNameFitThePathBuffer) {
    // 199 + 1 + 19 characters: the 400-character path holds them; the file is
    // not there, so the load fails cleanly.
    std::string base(199, 'd');
    base[0] = '/';
    set_text(block()->ModelBase, base);
    set_text(block()->fluidName, std::string(19, 'n'));
    EXPECT_EQ(InitFluid(0.0), -2);
}

TEST_F(FluidHost, UnterminatedTextFieldsAreReadWithinTheirLength) {
    std::memset(block()->ModelBase, 'd', sizeof block()->ModelBase);
    std::memset(block()->fluidName, 'n', sizeof block()->fluidName);
    EXPECT_EQ(InitFluid(0.0), -2);
}

// ---- Numbered path -------------------------------------------------------------

struct NumberedCase {
    int fluid;
    const char* library;
    std::vector<Code> codes;  // with R 287.5, k 1.4, af 0.75
    const char* text;         // what code 1001's c points to, or nullptr
};

constexpr double kAf = 0.75;
const std::vector<NumberedCase> kNumbered = {
    {0, "flxb", {{1000, 273.15, 100000.0, 0.0}, {1001, 287.5, 1.4, 0.0}}, nullptr},
    {1, "flxg", {{1000, 273.15, 100000.0, 0.0}, {1001, 0.0, 0.0, kAf}}, nullptr},
    {2, "flxs", {{1001, 287.5, 1.4, 0.0}}, nullptr},
    {3, "flxb", {{1000, 273.15, 100000.0, 0.0}, {1001, 78.0, 1.065, 0.0}}, nullptr},
    {4, "flxk", {{1000, 273.15, 100000.0, 0.0}, {1001, 0.0, 0.0, kAf}}, nullptr},
    {5, "flxm", {{1000, 100.0, 101235.0, 0.0}, {1001, 0.0, 0.0, kAf}}, nullptr},
    {6, "flxv", {{1001, 0.0, 0.0, kNaN}}, "component.tmg"},
    {7, "flxt", {{1001, 0.0, 0.0, kNaN}}, "real.tmg"},
};

class MainNumbered : public FluidHost, public ::testing::WithParamInterface<NumberedCase> {};

TEST_P(MainNumbered, LoadsTheRowsLibraryAndSendsItsCodes) {
    const NumberedCase& n = GetParam();
    block()->cyld_fluid = n.fluid;
    Recorder r(std::string(n.library) + ".so");
    EXPECT_EQ(InitFluid(kAf), 0);
    EXPECT_EQ(std::string(block()->fluidName), std::string(n.library) + ".dll");
    ASSERT_EQ(r.entries().size(), 1u);
    EXPECT_EQ(r.entries()[0].slot, main_slot());
    EXPECT_EQ(r.entries()[0].a, kAf);
    expect_codes(r, n.codes, REC_CALL_MAIN, 0);
    if (n.text != nullptr) {
        // The address travels as an exact integer in a double.
        const double c = r.codes().back().c;
        EXPECT_GT(c, 0.0);
        EXPECT_EQ(c, std::floor(c));
        EXPECT_STREQ(r.codes().back().text, n.text);
    }
    EXPECT_STREQ(h2::fluid_library(n.fluid), (std::string(n.library) + ".dll").c_str());
}

INSTANTIATE_TEST_SUITE_P(Rows, MainNumbered, ::testing::ValuesIn(kNumbered));

TEST_F(FluidHost, Fluid3LeavesFlxbAndALaterCallTakesTheNamedPath) {
    block()->cyld_fluid = 3;
    Recorder r("flxb.so");
    EXPECT_EQ(InitFluid(0.0), 0);
    EXPECT_STREQ(block()->fluidName, "flxb.dll");
    expect_codes(r, {{1000, 273.15, 100000.0, 0.0}, {1001, 78.0, 1.065, 0.0}}, REC_CALL_MAIN, 0);
    Recorder again("flxb.so");
    EXPECT_EQ(InitFluid(0.25), 0);
    expect_codes(again, {{1000, 273.15, 100000.0, 0.0}, {1001, 287.5, 1.4, 0.25}}, REC_CALL_MAIN, 0);
}

// A fluid that refuses its set-up (a composition it does not model) fails
// the numbered path as it fails the named one a later call takes.
TEST_F(FluidHost, NumberedPathFailsWhenTheSetUpIsRefused) {
    for (const double refusal : {-1.0, kNaN}) {
        block()->fluidName[0] = '\0';
        block()->cyld_fluid = 0;
        Recorder r("flxb.so");
        r.set_setup_result(refusal);
        EXPECT_EQ(InitFluid(0.0), -1);
        EXPECT_EQ(r.codes().size(), 2u);
        EXPECT_STREQ(block()->fluidName, "flxb.dll");
        EXPECT_EQ(InitFluid(0.0), -1);
    }
}

TEST_F(FluidHost, NumberedLibraryNotFoundGivesZeroAndChangesNothingElse) {
    h2::test::TempDir empty;
    set_text(block()->ModelBase, empty.path().string());
    block()->cyld_fluid = 0;
    block()->fluid_func = &sentinel_function;
    EXPECT_EQ(InitFluid(0.0), 0);
    EXPECT_STREQ(block()->fluidName, "flxb.dll");
    EXPECT_EQ(block()->fluid_func, &sentinel_function);
}

TEST_F(FluidHost, NumberedLibraryWithoutEntryPointLeavesTheFunctionEmpty) {
    set_text(block()->ModelBase, kTestPlugins + "/noentry");
    block()->cyld_fluid = 0;
    EXPECT_EQ(InitFluid(0.0), 0);
    EXPECT_EQ(block()->fluid_func, nullptr);
    EXPECT_EQ(getFluid(1, 1e5, 3e5, 0.0, 0), 1e20);
}

TEST_F(FluidHost, NumberedEntryThatInstallsNothingGetsNoCode) {
    set_text(block()->ModelBase, kTestPlugins + "/nofunc");
    block()->cyld_fluid = 3;
    Recorder r("flxb.so", kTestPlugins + "/nofunc");
    EXPECT_EQ(InitFluid(0.0), 0);
    EXPECT_EQ(r.entries().size(), 1u);
    EXPECT_TRUE(r.codes().empty());
    EXPECT_EQ(block()->fluid_func, nullptr);
}

TEST_F(FluidHost, NumberedPathIgnoresTheEntryResult) {
    set_text(block()->ModelBase, kTestPlugins + "/refuse");
    block()->cyld_fluid = 0;
    Recorder r("flxb.so", kTestPlugins + "/refuse");
    EXPECT_EQ(InitFluid(0.0), 0);
    expect_codes(r, {{1000, 273.15, 100000.0, 0.0}, {1001, 287.5, 1.4, 0.0}}, REC_CALL_MAIN, 0);
}

class UnknownMain : public FluidHost, public ::testing::WithParamInterface<int> {};

TEST_P(UnknownMain, ReportsAndGivesThree) {
    block()->cyld_fluid = GetParam();
    block()->fluid_func = &sentinel_function;
    h2::test::CapturedConsole console;
    EXPECT_EQ(InitFluid(0.0), 3);
    EXPECT_EQ(console.text(), "\nFatal error: Unknown fluid type\n");
    EXPECT_EQ(h2::console_attribute(), 7);  // default colour restored
    EXPECT_STREQ(block()->fluidName, "");
    EXPECT_EQ(block()->fluid_func, &sentinel_function);
    EXPECT_EQ(block()->cyld_R, 287.5);  // the defaults of step 1 still apply
    EXPECT_EQ(h2::fluid_library(GetParam()), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Numbers, UnknownMain, ::testing::Values(9, 8, -1));

// ---- Cooling fluid ---------------------------------------------------------------

TEST_F(FluidHost, CoolingNamedPathUsesTheCoolingSlotSelectorAndZeroAsC) {
    set_text(block()->cfluidName, "rfluid.dll");
    block()->cyld_fluid = 0;
    block()->cyld_cfluid = 1;
    Recorder r("rfluid.so");
    EXPECT_EQ(InitcFluid(0.6), 0);
    ASSERT_EQ(r.entries().size(), 1u);
    EXPECT_EQ(r.entries()[0].kind, REC_ENTRY_COOLING);
    EXPECT_EQ(r.entries()[0].slot, cooling_slot());
    EXPECT_EQ(r.entries()[0].a, 0.6);
    EXPECT_EQ(r.entries()[0].block, block());
    expect_codes(r, {{1000, 273.15, 100000.0, 0.0}, {1001, 287.5, 1.4, 0.0}}, REC_CALL_COOLING, 1);
    EXPECT_NE(block()->cfluid_func, nullptr);
    EXPECT_EQ(block()->fluid_func, nullptr);
    EXPECT_NE(main_slot(), cooling_slot());
}

TEST_F(FluidHost, CoolingDefaultsHaveNoLiquidCaseAndOnlyReplaceZero) {
    set_text(block()->cfluidName, "flxu.dll");
    block()->cyld_cfluid = 1;
    EXPECT_EQ(InitcFluid(0.0), 0);
    EXPECT_EQ(block()->cyld_cR, 287.5);
    EXPECT_EQ(block()->cyld_ck, 1.4);
    block()->cyld_cR = 1e-300;
    block()->cyld_ck = kNaN;
    EXPECT_EQ(InitcFluid(0.0), 0);
    EXPECT_EQ(block()->cyld_cR, 1e-300);
    EXPECT_TRUE(std::isnan(block()->cyld_ck));
}

TEST_F(FluidHost, CoolingNamedFailures) {
    block()->cyld_cfluid = 1;
    set_text(block()->cfluidName, "nosuchfluid.dll");
    EXPECT_EQ(InitcFluid(0.0), -2);
    set_text(block()->cfluidName, "rfluid_noentry.dll");
    EXPECT_EQ(InitcFluid(0.0), -1);
    {
        set_text(block()->cfluidName, "rfluid_refuse.dll");
        Recorder r("rfluid_refuse.so");
        EXPECT_EQ(InitcFluid(0.0), -1);
        EXPECT_TRUE(r.codes().empty());
    }
    {
        set_text(block()->cfluidName, "rfluid.dll");
        Recorder r("rfluid.so");
        EXPECT_EQ(InitcFluid(-0.5), 0);
        EXPECT_TRUE(r.codes().empty());
        r.set_setup_result(-2.0);
        EXPECT_EQ(InitcFluid(0.0), -1);
        r.set_setup_result(kNaN);
        EXPECT_EQ(InitcFluid(0.0), -1);
    }
    {
        set_text(block()->cfluidName, "rfluid_nofunc.dll");
        Recorder r("rfluid_nofunc.so");
        block()->cfluid_func = nullptr;
        EXPECT_EQ(InitcFluid(0.0), 0);
        EXPECT_TRUE(r.codes().empty());
    }
}

const std::vector<NumberedCase> kCoolingNumbered = {
    {0, "flxb", {{1000, 273.15, 100000.0, 0.0}, {1001, 287.5, 1.4, 0.0}}, nullptr},
    {1, "flxb", {{1000, 273.15, 100000.0, 0.0}, {1001, 0.0, 0.0, kAf}}, nullptr},
    {2, "flxs", {}, nullptr},
    {3, "flxb", {{1000, 273.15, 100000.0, 0.0}, {1001, 78.0, 1.065, 0.0}}, nullptr},
    {4, "flxk", {{1000, 273.15, 100000.0, 0.0}, {1001, 0.0, 0.0, kAf}}, nullptr},
    {5, "flxm", {{1000, 100.0, 101235.0, 0.0}, {1001, 0.0, 0.0, kAf}}, nullptr},
};

class CoolingNumbered : public FluidHost, public ::testing::WithParamInterface<NumberedCase> {};

TEST_P(CoolingNumbered, LoadsByBareNameAndSendsTheRowsCodes) {
    const NumberedCase& n = GetParam();
    block()->cyld_cfluid = n.fluid;
    block()->cyld_fluid = 7 - n.fluid;  // a different main fluid
    ScopedCwd cwd(kTestPlugins);        // the bare name is found here
    set_text(block()->ModelBase, "/nonexistent");
    Recorder r(std::string(n.library) + ".so");
    if (relative_name_taken(std::string(n.library) + ".so", r.handle())) GTEST_SKIP() << "name taken";
    EXPECT_EQ(InitcFluid(kAf), 0);
    EXPECT_STREQ(block()->cfluidName, "");
    ASSERT_EQ(r.entries().size(), 1u);
    EXPECT_EQ(r.entries()[0].kind, REC_ENTRY_COOLING);
    EXPECT_EQ(r.entries()[0].slot, cooling_slot());
    EXPECT_EQ(r.entries()[0].a, kAf);
    expect_codes(r, n.codes, REC_CALL_COOLING, 1);
    EXPECT_STREQ(h2::cooling_fluid_library(n.fluid), (std::string(n.library) + ".dll").c_str());
}

INSTANTIATE_TEST_SUITE_P(Rows, CoolingNumbered, ::testing::ValuesIn(kCoolingNumbered));

TEST_F(FluidHost, CoolingNumberedIgnoresModelBase) {
    h2::test::TempDir elsewhere;  // no flxb here
    if (relative_name_taken("flxb.so")) GTEST_SKIP() << "name taken";
    block()->cyld_cfluid = 0;
    block()->cyld_fluid = 3;
    EXPECT_EQ(InitcFluid(0.0), 0);
    EXPECT_EQ(block()->cfluid_func, nullptr);
}

TEST_F(FluidHost, Cooling6And7LoadNothing) {
    ScopedCwd cwd(kTestPlugins);
    for (int n : {6, 7}) {
        block()->cyld_cfluid = n;
        block()->cyld_fluid = 0;
        EXPECT_EQ(InitcFluid(0.0), 0);
        EXPECT_EQ(block()->cfluid_func, nullptr);
        EXPECT_EQ(h2::cooling_fluid_library(n), nullptr);
    }
}

TEST_F(FluidHost, CoolingNumberedWithoutEntryPointSendsNothing) {
    ScopedCwd cwd(kTestPlugins + "/noentry");
    Recorder r("flxb.so", kTestPlugins + "/noentry");
    if (relative_name_taken("flxb.so", r.handle())) GTEST_SKIP() << "name taken";
    block()->cyld_cfluid = 0;
    block()->cyld_fluid = 3;
    EXPECT_EQ(InitcFluid(0.0), 0);
    EXPECT_EQ(block()->cfluid_func, nullptr);
}

TEST_F(FluidHost, CoolingNumberedEntryThatInstallsNothingGetsNoCode) {
    ScopedCwd cwd(kTestPlugins + "/nofunc");
    Recorder r("flxb.so", kTestPlugins + "/nofunc");
    if (relative_name_taken("flxb.so", r.handle())) GTEST_SKIP() << "name taken";
    block()->cyld_cfluid = 0;
    block()->cyld_fluid = 3;
    EXPECT_EQ(InitcFluid(0.0), 0);
    EXPECT_EQ(r.entries().size(), 1u);
    EXPECT_TRUE(r.codes().empty());
}

TEST_F(FluidHost, UnknownCoolingNumberReportsAndGivesThree) {
    block()->cyld_cfluid = 9;
    h2::test::CapturedConsole console;
    EXPECT_EQ(InitcFluid(0.0), 3);
    EXPECT_EQ(console.text(), "\nFatal error: Unknown cooling fluid type\n");
    EXPECT_EQ(h2::console_attribute(), 7);
    EXPECT_EQ(block()->cyld_cR, 287.5);
    EXPECT_EQ(block()->cfluid_func, nullptr);
}

// ---- Equal cooling and main numbers -------------------------------------------------

TEST_F(FluidHost, EqualNumbersLoadNothingAndFallBackToTheMainFunction) {
    set_text(block()->fluidName, "rfluid.dll");
    set_text(block()->cfluidName, "rfluid.dll");
    block()->cyld_fluid = block()->cyld_cfluid = 0;
    Recorder r("rfluid.so");
    ASSERT_EQ(InitFluid(0.0), 0);
    auto* main_block = static_cast<unsigned char*>(get_fluidLocals(0));
    auto* cooling_block = static_cast<unsigned char*>(get_fluidLocals(1));
    ASSERT_TRUE(main_block && cooling_block);
    for (int n = 0; n < H2_FLUID_LOCALS_SIZE; ++n) {
        main_block[n] = static_cast<unsigned char>(n + 1);
        cooling_block[n] = 0xEE;
    }
    Recorder fresh("rfluid.so");
    EXPECT_EQ(InitcFluid(0.3), 0);
    EXPECT_TRUE(fresh.events().empty());  // nothing loaded, no entry, no code
    EXPECT_EQ(block()->cfluid_func, block()->fluid_func);
    EXPECT_EQ(std::memcmp(main_block, cooling_block, H2_FLUID_LOCALS_SIZE), 0);
    EXPECT_EQ(block()->cyld_cR, 0.0);  // returned before the defaults
    // A cooling routine's call reaches the main function with selector 1.
    block()->cfluid_func(H2_FLUID_S_PI, 1e5, 3e5, 0.0, 1);
    ASSERT_EQ(fresh.codes().size(), 1u);
    EXPECT_EQ(fresh.codes()[0].kind, REC_CALL_MAIN);
    EXPECT_EQ(fresh.codes()[0].which, 1);
}

TEST_F(FluidHost, EqualNumbersWithoutAMainFunctionLeaveTheCoolingOneAlone) {
    block()->cyld_fluid = block()->cyld_cfluid = 2;
    block()->cfluid_func = &sentinel_function;
    EXPECT_EQ(InitcFluid(0.0), 0);
    EXPECT_EQ(block()->cfluid_func, &sentinel_function);
}

// ---- Copies ----------------------------------------------------------------------------

TEST_F(FluidHost, CopyFluidCopiesTheNameAndInitialisesTheCurrentCase) {
    h2::test::BlockPtr src = h2::test::make_block();
    set_text(src->fluidName, "rfluid.dll");
    src->cyld_af = 0.25;
    Recorder r("rfluid.so");
    EXPECT_EQ(CopyFluid(src.get(), block()), 0);
    EXPECT_STREQ(block()->fluidName, "rfluid.dll");
    ASSERT_EQ(r.entries().size(), 1u);
    EXPECT_EQ(r.entries()[0].a, 0.25);
    EXPECT_EQ(r.entries()[0].block, block());
    EXPECT_NE(block()->fluid_func, nullptr);
    EXPECT_EQ(src->fluid_func, nullptr);
}

TEST_F(FluidHost, CopyFluidReturnsZeroWhateverInitFluidGives) {
    h2::test::BlockPtr src = h2::test::make_block();
    set_text(src->fluidName, "nosuchfluid.dll");
    EXPECT_EQ(CopyFluid(src.get(), block()), 0);
    EXPECT_STREQ(block()->fluidName, "nosuchfluid.dll");
    EXPECT_EQ(CopyFluid(block(), block()), 0);
    EXPECT_EQ(CopyFluid(nullptr, block()), -1);
    EXPECT_EQ(CopyFluid(src.get(), nullptr), -1);
}

TEST_F(FluidHost, CopycFluidCopiesTheCoolingNameAndConstant) {
    h2::test::BlockPtr src = h2::test::make_block();
    set_text(src->cfluidName, "rfluid.dll");
    src->cyld_caf = 0.4;
    block()->cyld_cfluid = 1;
    Recorder r("rfluid.so");
    EXPECT_EQ(CopycFluid(src.get(), block()), 0);
    EXPECT_STREQ(block()->cfluidName, "rfluid.dll");
    ASSERT_EQ(r.entries().size(), 1u);
    EXPECT_EQ(r.entries()[0].kind, REC_ENTRY_COOLING);
    EXPECT_EQ(r.entries()[0].a, 0.4);
    EXPECT_EQ(CopycFluid(nullptr, nullptr), -1);
}

// ---- getFluid -----------------------------------------------------------------------------

TEST_F(FluidHost, GetFluidPassesAllFiveArgumentsToTheMainFunction) {
    set_text(block()->fluidName, "rfluid.dll");
    ASSERT_EQ(InitFluid(-1.0), 0);
    Recorder r("rfluid.so");
    EXPECT_EQ(getFluid(9, 1.5, 2.5, 3.5, 1), REC_ANSWER(9));
    ASSERT_EQ(r.codes().size(), 1u);
    const RecordedEvent e = r.codes()[0];
    EXPECT_EQ(e.kind, REC_CALL_MAIN);
    EXPECT_EQ(e.code, 9);
    EXPECT_EQ(e.a, 1.5);
    EXPECT_EQ(e.b, 2.5);
    EXPECT_EQ(e.c, 3.5);
    EXPECT_EQ(e.which, 1);
}

TEST_F(FluidHost, GetFluidWithoutAFunctionGives1e20) { EXPECT_EQ(getFluid(1, 1e5, 3e5, 0.0, 0), 1e20); }

TEST(FluidHostWithoutCase, GetFluidAndTheInitialisersAnswerTheirFailure) {
    ASSERT_EQ(binit_threading(), 0);
    double value = 0.0;
    int main_result = 0, cooling_result = 0, copy_result = 0;
    std::thread t([&] {
        value = getFluid(1, 1e5, 3e5, 0.0, 0);
        main_result = InitFluid(0.0);
        cooling_result = InitcFluid(0.0);
        h2::test::BlockPtr src = h2::test::make_block();
        copy_result = CopyFluid(src.get(), src.get());
    });
    t.join();
    bend_threading();
    EXPECT_EQ(value, 1e20);
    EXPECT_EQ(main_result, -1);
    EXPECT_EQ(cooling_result, -1);
    EXPECT_EQ(copy_result, 0);
}

TEST(FluidHostWithoutThreading, HandsTheEntryNoSlot) {
    // Threading never prepared: no case either, so nothing is loaded.
    EXPECT_EQ(h2::fluid_slot_index(0), -1);
    EXPECT_EQ(getFluid(1, 0.0, 0.0, 0.0, 0), 1e20);
}

TEST(FluidLabels, NameTheNumberedFluids) {
    EXPECT_STREQ(h2::fluid_label(0), "AIR");
    EXPECT_STREQ(h2::fluid_label(1), "GAS");
    EXPECT_STREQ(h2::fluid_label(2), "STEAM");
    EXPECT_STREQ(h2::fluid_label(3), "R134a");
    EXPECT_STREQ(h2::fluid_label(4), "KEROSENE");
    EXPECT_STREQ(h2::fluid_label(5), "METHANE");
    EXPECT_EQ(h2::fluid_label(6), nullptr);
    EXPECT_EQ(h2::fluid_label(7), nullptr);
    EXPECT_EQ(h2::fluid_label(8), nullptr);
}

TEST(FluidPluginHeader, TextAddressesSurviveTheDouble) {
    static const char text[] = "component.tmg";
    const double v = h2_fluid_text_value(text);
    EXPECT_EQ(h2_fluid_text(v), text);
    EXPECT_EQ(h2_fluid_locals(-1), nullptr);
}

}  // namespace
