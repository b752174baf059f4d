#include "halvorine2/host_calls.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cfenv>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <string>
#include <vector>

#include "case/host_calls.h"
#include "platform/dynlib.h"

namespace {

const std::string kPluginDir = H2_TEST_PLUGIN_DIR;

std::string plugin(const char* file) { return kPluginDir + "/" + file; }

CallArg int32_arg(std::int32_t v, std::int16_t size = 4) {
    CallArg a{};
    a.size = size;
    a.value.i32 = v;
    return a;
}
CallArg double_arg(double v) {
    CallArg a{};
    a.size = 8;
    a.value.f64 = v;
    return a;
}
CallArg int64_arg(std::int64_t v, std::int16_t size = 16) {
    CallArg a{};
    a.size = size;
    a.value.i64 = v;
    return a;
}
CallArg pointer_arg(const void* p) {
    CallArg a{};
    a.size = 16;
    a.value.ptr = const_cast<void*>(p);
    return a;
}

template <typename F>
HostFunc as_host(F* f) {
    return reinterpret_cast<HostFunc>(f);
}

// ---- callees --------------------------------------------------------------

int int_double(int a, double b) { return a * 1000 + static_cast<int>(std::lround(b * 10.0)); }

const int kPointee = 40000;
int double_int_double_pointer(double a, int b, double c, const int* p) {
    return *p + b * 100 + static_cast<int>(std::lround(a * 10.0 + c));
}

int wide_then_word(long long v, int b) {
    return static_cast<int>(v >> 32) * 1000 + static_cast<int>(v & 0xffff) * 10 + b;
}

int widened(long v) { return v == -5 ? 1 : 0; }

int three_words(int a, int b, int c) { return a * 100 + b * 10 + c; }

int doubles_only(double a, double b, double c) {
    return static_cast<int>(std::lround(a * 100.0 + b * 10.0 + c));
}

int pointer_then_double(const char* s, double d) {
    return static_cast<int>(std::string(s).size()) * 100 + static_cast<int>(d);
}

// A variadic callee reads its doubles only when told vector registers are in use.
int variadic_sum(int count, ...) {
    std::va_list ap;
    va_start(ap, count);
    double sum = 0.0;
    for (int i = 0; i < count; ++i) sum += va_arg(ap, double);
    va_end(ap);
    return static_cast<int>(std::lround(sum * 10.0));
}

long long returns_wide() { return 0x700000009LL; }

int g_calls = 0;
int counted() { return ++g_calls; }

// Every register of both files, interleaved; each value lands in its own slot.
struct Everything {
    int i0, i2, i4;
    long i1, i5;
    double d[8];
};
int everything(double d0, int i0, double d1, long i1, double d2, int i2, double d3, Everything* out,
               double d4, double d5, int i4, double d6, long i5, double d7) {
    *out = Everything{i0, i2, i4, i1, i5, {d0, d1, d2, d3, d4, d5, d6, d7}};
    return 77;
}

// ---- CallFun --------------------------------------------------------------

struct CallCase {
    const char* name;
    HostFunc fn;
    std::vector<CallArg> args;
    int expected;
};

class CallFunCases : public ::testing::TestWithParam<CallCase> {};

TEST_P(CallFunCases, PassesRecordsInOrderToTheirRegisters) {
    const CallCase& c = GetParam();
    EXPECT_EQ(CallFun(static_cast<std::int16_t>(c.args.size()), c.fn, c.args.data()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    HostCalls, CallFunCases,
    ::testing::Values(
        CallCase{"IntThenDouble", as_host(int_double), {int32_arg(7), double_arg(2.5)}, 7025},
        CallCase{"DoubleIntDoublePointer",
                 as_host(double_int_double_pointer),
                 {double_arg(1.5), int32_arg(3), double_arg(4.0), pointer_arg(&kPointee)},
                 40000 + 300 + 19},
        CallCase{
            "PointerThenDouble", as_host(pointer_then_double), {pointer_arg("abcd"), double_arg(9.0)}, 409},
        // Both halves of a 64-bit record arrive; 12 is "another code of 8 or more".
        CallCase{"WideIntegerKeepsBothHalves",
                 as_host(wide_then_word),
                 {int64_arg((5LL << 32) + 3, 12), int32_arg(9)},
                 5039},
        CallCase{"WordIsSignExtended", as_host(widened), {int32_arg(-5)}, 1},
        CallCase{"SizeCodesBelowEightAreWords",
                 as_host(three_words),
                 {int32_arg(1, 0), int32_arg(2, 2), int32_arg(3, -1)},
                 123},
        CallCase{
            "DoublesOnly", as_host(doubles_only), {double_arg(1.0), double_arg(2.0), double_arg(3.0)}, 123},
        CallCase{
            "VariadicCallee", as_host(variadic_sum), {int32_arg(2), double_arg(1.5), double_arg(2.25)}, 38},
        CallCase{"WideResultIsTruncated", as_host(returns_wide), {}, 9}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HostCalls, CallFunWithNoRecordsCallsWithNoArguments) {
    g_calls = 0;
    EXPECT_EQ(CallFun(0, as_host(counted), nullptr), 1);
    const CallArg unused = int32_arg(5);
    EXPECT_EQ(CallFun(0, as_host(counted), &unused), 2);
}

TEST(HostCalls, CallFunFillsEveryIntegerAndDoubleRegister) {
    Everything got{};
    const std::vector<CallArg> args{
        double_arg(0.5), int32_arg(-1),   double_arg(1.5),         int64_arg(1LL << 40), double_arg(2.5),
        int32_arg(3),    double_arg(3.5), pointer_arg(&got),       double_arg(4.5),      double_arg(5.5),
        int32_arg(5),    double_arg(6.5), int64_arg(-(1LL << 50)), double_arg(7.5)};
    ASSERT_EQ(CallFun(static_cast<std::int16_t>(args.size()), as_host(everything), args.data()), 77);
    EXPECT_EQ(got.i0, -1);
    EXPECT_EQ(got.i1, 1L << 40);
    EXPECT_EQ(got.i2, 3);
    EXPECT_EQ(got.i4, 5);
    EXPECT_EQ(got.i5, -(1L << 50));
    for (int k = 0; k < 8; ++k) EXPECT_EQ(got.d[k], k + 0.5) << "double " << k;
}

struct RefusedCase {
    const char* name;
    int n;
    std::vector<CallArg> args;
};

std::vector<CallArg> repeated(const CallArg& a, int count) { return std::vector<CallArg>(count, a); }

class CallFunRefusals : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(CallFunRefusals, ReturnZeroWithoutCalling) {
    const RefusedCase& c = GetParam();
    g_calls = 0;
    EXPECT_EQ(CallFun(static_cast<std::int16_t>(c.n), as_host(counted), c.args.data()), 0);
    EXPECT_EQ(g_calls, 0);
}

INSTANTIATE_TEST_SUITE_P(
    HostCalls, CallFunRefusals,
    ::testing::Values(RefusedCase{"SevenIntegers", 7, repeated(int32_arg(1), 7)},
                      RefusedCase{"SevenIntegerClassMixed",
                                  9,
                                  {int32_arg(1), double_arg(1.0), int32_arg(2), pointer_arg(nullptr),
                                   double_arg(2.0), int32_arg(3), int64_arg(4), int32_arg(5), int32_arg(6)}},
                      RefusedCase{"NineDoubles", 9, repeated(double_arg(1.0), 9)},
                      RefusedCase{"NegativeCount", -1, repeated(int32_arg(1), 1)},
                      RefusedCase{"MostNegativeCount", -32768, repeated(int32_arg(1), 1)},
                      RefusedCase{"SeventeenRecords", 17, repeated(int32_arg(1), 17)},
                      RefusedCase{"NoArrayForTwoRecords", 2, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HostCalls, CallFunRefusesNullFunction) {
    const CallArg a = int32_arg(1);
    EXPECT_EQ(CallFun(1, nullptr, &a), 0);
    EXPECT_EQ(CallFun(0, nullptr, nullptr), 0);
}

// ---- CallFunVar -----------------------------------------------------------

TEST(HostCalls, CallFunVarPassesWordsInOrder) {
    EXPECT_EQ(CallFunVar(3, as_host(three_words), 1, 2, 3), 123);
    EXPECT_EQ(CallFunVar(1, as_host(widened), -5), 1);
    g_calls = 0;
    EXPECT_EQ(CallFunVar(0, as_host(counted)), 1);
}

TEST(HostCalls, CallFunVarRefusesWhatItCannotPass) {
    g_calls = 0;
    EXPECT_EQ(CallFunVar(7, as_host(counted), 1, 2, 3, 4, 5, 6, 7), 0);
    EXPECT_EQ(CallFunVar(-1, as_host(counted), 1), 0);
    EXPECT_EQ(g_calls, 0);
    EXPECT_EQ(CallFunVar(1, nullptr, 1), 0);
}

// ---- libraries ------------------------------------------------------------

TEST(HostCalls, DllNameIsLoadedAsKindOne) {
    // "hostcalls.dll" does not exist; its ".so" twin does.
    std::int16_t kind = 0;
    void* module = OpenDLL(plugin("hostcalls.dll").c_str(), &kind);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(kind, 1);
    const CallArg args[] = {int32_arg(7), double_arg(2.5)};
    EXPECT_EQ(ExecDLL(module, 2, "hc_scale", args), 7025);
    EXPECT_EQ(ExecDLL(module, 0, "hc_answer", nullptr), 42);
    CloseDLL(nullptr, module, kind);
}

TEST(HostCalls, LoadedModuleIsFoundAsKindTwoAndStaysLoaded) {
    // The C library is loaded in every process; abs is its own definition.
    std::int16_t kind = 0;
    void* libc = OpenDLL("libc.so.6", &kind);
    ASSERT_NE(libc, nullptr);
    EXPECT_EQ(kind, 2);
    const CallArg minus_five = int32_arg(-5);
    EXPECT_EQ(ExecDLL(libc, 1, "abs", &minus_five), 5);
    CloseDLL("libc.so.6", libc, kind);
    EXPECT_NE(h2::platform::lib_find_loaded("libc.so.6"), nullptr);
}

TEST(HostCalls, KindTwoTakesNoLoadCountOfItsOwn) {
    const std::string path = plugin("hostcalls_count.so");
    void* ours = h2::platform::lib_open(path.c_str());
    ASSERT_NE(ours, nullptr);
    std::int16_t kind = 0;
    void* found = OpenDLL(path.c_str(), &kind);
    EXPECT_EQ(kind, 2);
    EXPECT_EQ(found, ours);
    CloseDLL(nullptr, found, kind);
    ASSERT_NE(h2::platform::lib_find_loaded(path.c_str()), nullptr) << "kind 2 close released a load";
    h2::platform::lib_close(ours);  // the look-up's own count
    h2::platform::lib_close(ours);  // our load
    // Had OpenDLL kept a count, the library would still be loaded now.
    EXPECT_EQ(h2::platform::lib_find_loaded(path.c_str()), nullptr);
}

TEST(HostCalls, NameNotYetLoadedIsLoadedAsKindTwoAndKept) {
    const std::string path = plugin("hostcalls_fresh.so");
    std::int16_t kind = 0;
    void* module = OpenDLL(path.c_str(), &kind);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(kind, 2);
    EXPECT_EQ(ExecDLL(module, 0, "hc_answer", nullptr), 42);
    CloseDLL(nullptr, module, kind);
    void* still = h2::platform::lib_find_loaded(path.c_str());
    EXPECT_EQ(still, module);
    h2::platform::lib_close(still);
}

TEST(HostCalls, NullNameIsTheHostExecutable) {
    std::int16_t kind = 0;
    void* self = OpenDLL(nullptr, &kind);
    EXPECT_NE(self, nullptr);
    EXPECT_EQ(kind, 2);
    EXPECT_EQ(self, dlopen(nullptr, RTLD_NOW | RTLD_NOLOAD));
}

TEST(HostCalls, OpenDllWritesKindOnlyThroughAPointer) {
    EXPECT_EQ(OpenDLL(plugin("no_such_library.dll").c_str(), nullptr), nullptr);
    std::int16_t kind = 0;
    EXPECT_EQ(OpenDLL(plugin("no_such_library.dll").c_str(), &kind), nullptr);
    EXPECT_EQ(kind, 1);
    EXPECT_EQ(OpenDLL(plugin("no_such_library").c_str(), &kind), nullptr);
    EXPECT_EQ(kind, 2);
}

TEST(HostCalls, SymbolNotDefinedByTheLibraryIsNotFound) {
    std::int16_t kind = 0;
    void* module = OpenDLL(plugin("hostcalls.dll").c_str(), &kind);
    ASSERT_NE(module, nullptr);
    // strlen lies in a dependency, which a plain look-up through the handle reaches.
    ASSERT_NE(dlsym(module, "strlen"), nullptr);
    const CallArg text = pointer_arg("abc");
    EXPECT_EQ(ExecDLL(module, 1, "hc_length", &text), 3);
    EXPECT_EQ(ExecDLL(module, 1, "strlen", &text), 0);
    EXPECT_EQ(ExecDLL(module, 0, "hc_hidden", nullptr), 0);
    EXPECT_EQ(ExecDLL(module, 0, "no_such_function", nullptr), 0);
    CloseDLL(nullptr, module, kind);
}

TEST(HostCalls, ExecDllRefusesBadArguments) {
    std::int16_t kind = 0;
    void* module = OpenDLL(plugin("hostcalls.dll").c_str(), &kind);
    ASSERT_NE(module, nullptr);
    const std::vector<CallArg> many = repeated(int32_arg(1), 17);
    EXPECT_EQ(ExecDLL(nullptr, 0, "hc_answer", nullptr), 0);
    EXPECT_EQ(ExecDLL(module, 0, nullptr, nullptr), 0);
    EXPECT_EQ(ExecDLL(module, -1, "hc_answer", many.data()), 0);
    EXPECT_EQ(ExecDLL(module, 17, "hc_answer", many.data()), 0);
    EXPECT_EQ(ExecDLL(module, 2, "hc_scale", nullptr), 0);
    CloseDLL(nullptr, module, kind);
}

TEST(HostCalls, CallDllFunOpensCallsAndCloses) {
    const CallArg args[] = {double_arg(1.5), int32_arg(3), double_arg(4.0), pointer_arg(&kPointee)};
    EXPECT_EQ(CallDLLFun(plugin("hostcalls.dll").c_str(), 4, "hc_mixed", args), 40319);
    // Kind 1: the library is released again afterwards.
    EXPECT_EQ(h2::platform::lib_find_loaded(plugin("hostcalls.so").c_str()), nullptr);
}

TEST(HostCalls, CallDllFunAnswersZeroForWhatItCannotReach) {
    const CallArg args[] = {int32_arg(7), double_arg(2.5)};
    EXPECT_EQ(CallDLLFun(plugin("no_such_library.dll").c_str(), 2, "hc_scale", args), 0);
    EXPECT_EQ(CallDLLFun(plugin("hostcalls.dll").c_str(), 2, "no_such_function", args), 0);
    EXPECT_EQ(CallDLLFun(plugin("hostcalls.dll").c_str(), 2, nullptr, args), 0);
    EXPECT_EQ(CallDLLFun(plugin("hostcalls.dll").c_str(), 17, "hc_scale", args), 0);
    EXPECT_EQ(CallDLLFun(plugin("hostcalls.dll").c_str(), 2, "hc_scale", nullptr), 0);
}

// ---- reset_fpu ------------------------------------------------------------

TEST(HostCalls, ResetFpuRestoresTheDefaultEnvironment) {
    std::fenv_t saved;
    std::fegetenv(&saved);
    std::fesetround(FE_UPWARD);
    std::feraiseexcept(FE_INEXACT | FE_OVERFLOW);
    feenableexcept(FE_DIVBYZERO);
    EXPECT_EQ(reset_fpu(), 0);
    EXPECT_EQ(std::fegetround(), FE_TONEAREST);
    EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);
    EXPECT_EQ(fegetexcept(), 0);
    std::fesetenv(&saved);
}

}  // namespace
