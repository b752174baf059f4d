// Fluid-property plug-in host: loads the main and cooling fluid
// plug-ins of the current case, calls their entry points, sends the set-up
// codes through the installed property functions, and copies the fluid
// choice between cases.
#include "physics/fluid_host.h"

#include <strings.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "case/output_internal.h"
#include "case/text_field.h"
#include "case/thread_blocks.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/fluids.h"
#include "halvorine2/threading.h"
#include "platform/dynlib.h"
#include "platform/install_paths.h"

namespace {

// Default constants of a fluid whose case leaves them at 0.0.
constexpr double kGasR = 287.5;        // J/(kg K)
constexpr double kGasK = 1.4;          // isentropic exponent
constexpr double kLiquidRho = 1000.0;  // flxu: density, kg/m^3
constexpr double kLiquidC = 4000.0;    // flxu: heat capacity, J/(kg K)

constexpr double kNoAnswer = H2_FLUID_NO_ANSWER;
constexpr std::size_t kPathSize = 400;

// File names the numbered fluids 6 and 7 hand to their plug-ins; static, so
// their addresses stay valid for the plug-ins' lifetime.
const char kComponentFile[] = "component.tmg";
const char kRealFile[] = "real.tmg";

// One value of a set-up code as the fluid tables give it.
struct Value {
    enum Kind { kConstant, kR, kK, kAf, kText } kind;
    double constant = 0.0;
    const char* text = nullptr;
};
constexpr Value constant(double v) { return {Value::kConstant, v, nullptr}; }
constexpr Value kZero = constant(0.0);
constexpr Value kCaseR{Value::kR};  // cyld__R, or cyld__cR for the cooling fluid
constexpr Value kCaseK{Value::kK};  // cyld__k, or cyld__ck
constexpr Value kCaseAf{Value::kAf};
constexpr Value text(const char* t) { return {Value::kText, 0.0, t}; }

// A numbered fluid: its library and the codes sent after the entry point.
struct FluidRow {
    const char* library;  // nullptr: nothing is loaded
    const char* label;    // report label; nullptr: the fluidName text
    bool reference;       // code 1000 (T, p, 0.0) first
    double T, p;
    bool setup;  // code 1001 with the three values
    Value v[3];
};

constexpr double kT0 = 273.15;    // K
constexpr double kP0 = 100000.0;  // Pa
constexpr double kMethaneT = 100.0;
constexpr double kMethaneP = 101235.0;

constexpr FluidRow kMainFluids[] = {
    {"flxb.dll", "AIR", true, kT0, kP0, true, {kCaseR, kCaseK, kZero}},
    {"flxg.dll", "GAS", true, kT0, kP0, true, {kZero, kZero, kCaseAf}},
    {"flxs.dll", "STEAM", false, 0.0, 0.0, true, {kCaseR, kCaseK, kZero}},
    {"flxb.dll", "R134a", true, kT0, kP0, true, {constant(78.0), constant(1.065), kZero}},
    {"flxk.dll", "KEROSENE", true, kT0, kP0, true, {kZero, kZero, kCaseAf}},
    {"flxm.dll", "METHANE", true, kMethaneT, kMethaneP, true, {kZero, kZero, kCaseAf}},
    {"flxv.dll", nullptr, false, 0.0, 0.0, true, {kZero, kZero, text(kComponentFile)}},
    {"flxt.dll", nullptr, false, 0.0, 0.0, true, {kZero, kZero, text(kRealFile)}},
};

constexpr FluidRow kCoolingFluids[] = {
    {"flxb.dll", nullptr, true, kT0, kP0, true, {kCaseR, kCaseK, kZero}},
    {"flxb.dll", nullptr, true, kT0, kP0, true, {kZero, kZero, kCaseAf}},
    {"flxs.dll", nullptr, false, 0.0, 0.0, false, {kZero, kZero, kZero}},
    {"flxb.dll", nullptr, true, kT0, kP0, true, {constant(78.0), constant(1.065), kZero}},
    {"flxk.dll", nullptr, true, kT0, kP0, true, {kZero, kZero, kCaseAf}},
    {"flxm.dll", nullptr, true, kMethaneT, kMethaneP, true, {kZero, kZero, kCaseAf}},
    {nullptr, nullptr, false, 0.0, 0.0, false, {kZero, kZero, kZero}},
    {nullptr, nullptr, false, 0.0, 0.0, false, {kZero, kZero, kZero}},
};
constexpr int kFluidCount = static_cast<int>(sizeof kMainFluids / sizeof kMainFluids[0]);

// What differs between the main and the cooling fluid of a case.
struct Side {
    int selector;
    const char* entry;
    FluidFunc bdLocals::*func;
    double bdLocals::*R;
    double bdLocals::*k;
};
constexpr Side kMain{H2_FLUID_MAIN, H2_FLUID_ENTRY_MAIN, &bdLocals::fluid_func, &bdLocals::cyld_R,
                     &bdLocals::cyld_k};
constexpr Side kCooling{H2_FLUID_COOLING, H2_FLUID_ENTRY_COOLING, &bdLocals::cfluid_func, &bdLocals::cyld_cR,
                        &bdLocals::cyld_ck};

double resolve(const Value& v, const bdLocals& b, const Side& side, double af) {
    switch (v.kind) {
        case Value::kR:
            return b.*side.R;
        case Value::kK:
            return b.*side.k;
        case Value::kAf:
            return af;
        // The address travels as a double; exact below 2^53 (fluid_plugin.h).
        case Value::kText:
            return h2_fluid_text_value(v.text);
        case Value::kConstant:
            break;
    }
    return v.constant;
}

// A text field's length, never past its end even when it lacks its NUL.
template <std::size_t N>
int field_length(const char (&field)[N]) {
    return static_cast<int>(strnlen(field, N));
}

// "%s/%s" of ModelBase and the file name, or the name alone when ModelBase is empty.
template <std::size_t N>
void plugin_path(char (&path)[kPathSize], const bdLocals& b, const char (&name)[N]) {
    if (b.ModelBase[0] != '\0') {
        std::snprintf(path, kPathSize, "%.*s/%.*s", field_length(b.ModelBase), b.ModelBase,
                      field_length(name), name);
    } else {
        std::snprintf(path, kPathSize, "%.*s", field_length(name), name);
    }
}

// The slot handed to the entry point: the pthread key value, -1 when none.
int slot_of(const Side& side) { return static_cast<int>(h2::fluid_slot_index(side.selector)); }

FluidInitFunc entry_of(h2::platform::LibHandle lib, const Side& side) {
    return reinterpret_cast<FluidInitFunc>(h2::platform::lib_plugin_symbol(lib, side.entry));
}

// Steps 4 to 6 of the named path, after a successful entry point.
int send_named_setup(bdLocals* b, const Side& side, double setup_c, double af) {
    FluidFunc f = b->*side.func;
    if (f == nullptr || af < 0.0) return 0;
    f(H2_FLUID_REFERENCE, kT0, kP0, 0.0, side.selector);
    const double r = f(H2_FLUID_SETUP, b->*side.R, b->*side.k, setup_c, side.selector);
    if (r < 0.0 || std::isnan(r)) return -1;
    return 0;
}

// The named path of InitFluid and InitcFluid.
template <std::size_t N>
int init_named(bdLocals* b, const Side& side, const char (&name)[N], double af, double setup_c) {
    char path[kPathSize];
    plugin_path(path, *b, name);
    h2::platform::LibHandle lib = h2::platform::lib_open_plugin(path);
    if (lib == nullptr) return -2;
    // Without its entry point the plug-in cannot install anything: a refusal.
    FluidInitFunc entry = entry_of(lib, side);
    if (entry == nullptr) return -1;
    if (entry(b, slot_of(side), af) == 0) return -1;
    return send_named_setup(b, side, setup_c, af);
}

// The numbered path once the library's path is known: load, entry, row codes.
// The entry's own result is not looked at, but a fluid that refuses its
// set-up (a negative or NaN answer, e.g. a mixture it does not model) would
// answer every later call for a composition it never took: -1 as on the
// named path, so that a case loads alike whichever path it takes.
int init_numbered(bdLocals* b, const Side& side, const FluidRow& row, const char* path, double af) {
    h2::platform::LibHandle lib = h2::platform::lib_open_plugin(path);
    if (lib == nullptr) return 0;
    // A library without the entry point, or an entry that installs nothing,
    // would otherwise have the codes sent through a NULL function.
    FluidInitFunc entry = entry_of(lib, side);
    if (entry == nullptr) return 0;
    entry(b, slot_of(side), af);
    FluidFunc f = b->*side.func;
    if (f == nullptr) return 0;
    if (row.reference) f(H2_FLUID_REFERENCE, row.T, row.p, 0.0, side.selector);
    if (row.setup) {
        const double r = f(H2_FLUID_SETUP, resolve(row.v[0], *b, side, af), resolve(row.v[1], *b, side, af),
                           resolve(row.v[2], *b, side, af), side.selector);
        if (r < 0.0 || std::isnan(r)) return -1;
    }
    return 0;
}

// "exactly 0.0 (or not a number)" of the main fluid's defaults.
void default_main(double& value, double fallback) {
    if (value == 0.0 || std::isnan(value)) value = fallback;
}

bool is_liquid_plugin(const char* name, std::size_t capacity) {
    // ".so" is this platform's spelling of the same plug-in.
    return strncasecmp(name, "flxu.dll", capacity) == 0 || strncasecmp(name, "flxu.so", capacity) == 0;
}

// Cooling fallback: the cooling routines call cfluid_func without testing it,
// so an equal cooling number must not leave it empty. The main state is
// copied into the cooling block for plug-ins that answer selector 1 from it.
void fall_back_to_main(bdLocals* b) {
    if (b->fluid_func == nullptr) return;
    b->cfluid_func = b->fluid_func;
    void* main_block = get_fluidLocals(H2_FLUID_MAIN);
    void* cooling_block = get_fluidLocals(H2_FLUID_COOLING);
    if (main_block != nullptr && cooling_block != nullptr && main_block != cooling_block) {
        std::memcpy(cooling_block, main_block, H2_FLUID_LOCALS_SIZE);
    }
}

}  // namespace

namespace h2 {

const char* fluid_library(int n) { return n >= 0 && n < kFluidCount ? kMainFluids[n].library : nullptr; }

const char* cooling_fluid_library(int n) {
    return n >= 0 && n < kFluidCount ? kCoolingFluids[n].library : nullptr;
}

const char* fluid_label(int n) { return n >= 0 && n < kFluidCount ? kMainFluids[n].label : nullptr; }

}  // namespace h2

extern "C" {

int InitFluid(double af) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr) return -1;

    if (is_liquid_plugin(b->fluidName, sizeof b->fluidName)) {
        default_main(b->cyld_R, kLiquidRho);
        default_main(b->cyld_k, kLiquidC);
    } else {
        default_main(b->cyld_R, kGasR);
        default_main(b->cyld_k, kGasK);
    }

    if (b->fluidName[0] != '\0') return init_named(b, kMain, b->fluidName, af, af);

    const int n = b->cyld_fluid;
    if (n < 0 || n >= kFluidCount) {
        h2::report_error("Fatal error: Unknown fluid type");
        return 3;
    }
    const FluidRow& row = kMainFluids[n];
    // Later calls on this case (a copy, an expansion) take the named path;
    // the number is kept so that a run can tell when it has been changed since.
    h2::copy_text(b->fluidName, row.library);
    b->fluid_loaded = n + 1;
    char path[kPathSize];
    plugin_path(path, *b, b->fluidName);
    return init_numbered(b, kMain, row, path, af);
}

int InitcFluid(double caf) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr) return -1;

    if (b->cyld_cfluid == b->cyld_fluid) {
        fall_back_to_main(b);
        return 0;
    }

    if (b->cyld_cR == 0.0) b->cyld_cR = kGasR;
    if (b->cyld_ck == 0.0) b->cyld_ck = kGasK;

    // Unlike the main fluid, code 1001 of the named path carries 0.0, not caf.
    if (b->cfluidName[0] != '\0') return init_named(b, kCooling, b->cfluidName, caf, 0.0);

    const int n = b->cyld_cfluid;
    if (n < 0 || n >= kFluidCount) {
        h2::report_error("Fatal error: Unknown cooling fluid type");
        return 3;
    }
    const FluidRow& row = kCoolingFluids[n];
    if (row.library == nullptr) return 0;
    // The bare file name: the system's search order, ModelBase unused.
    return init_numbered(b, kCooling, row, row.library, caf);
}

int CopyFluid(bdLocals* src, bdLocals* dst) {
    if (src == nullptr || dst == nullptr) return -1;
    if (src != dst) h2::copy_text(dst->fluidName, src->fluidName);
    InitFluid(src->cyld_af);
    return 0;
}

int CopycFluid(bdLocals* src, bdLocals* dst) {
    if (src == nullptr || dst == nullptr) return -1;
    if (src != dst) h2::copy_text(dst->cfluidName, src->cfluidName);
    InitcFluid(src->cyld_caf);
    return 0;
}

double getFluid(int code, double a, double b, double c, int which) {
    const bdLocals* block = get_bdLocals();
    // A case whose plug-in installed nothing would otherwise be called through NULL.
    if (block == nullptr || block->fluid_func == nullptr) return kNoAnswer;
    return block->fluid_func(code, a, b, c, which);
}
}
