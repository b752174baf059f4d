// Calls into other libraries for the host: a run-time argument list turned
// into a native call on x86-64 System V without any assembly.
#include "halvorine2/host_calls.h"

#include <dlfcn.h>

#include <array>
#include <cfenv>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "case/host_calls.h"
#include "platform/dynlib.h"

#if !defined(__x86_64__) || defined(_WIN32)
#error "host calls are built for the x86-64 System V calling convention"
#endif

static_assert(sizeof(CallArg) == 16, "a host lays CallArg records out back to back, 16 bytes each");
static_assert(offsetof(CallArg, value) == 8, "the argument value sits at bytes 8-15");

namespace {

constexpr int kMaxRecords = 16;
constexpr int kIntRegisters = 6;     // rdi, rsi, rdx, rcx, r8, r9
constexpr int kDoubleRegisters = 8;  // xmm0-xmm7
constexpr std::int16_t kDoubleSize = 8;

// The callee is reached through one fixed function type:
//
//     int (*)(int64 × 6, double × 8, ...)
//
// The System V ABI classifies each argument on its own and hands it the next
// free register of its class: integer-class arguments go to rdi, rsi, rdx,
// rcx, r8, r9 in order and doubles to xmm0-xmm7 in order, whatever the
// interleaving of the two in the prototype. A callee f(double a, int b,
// double c, void* d) therefore reads a from xmm0, b from edi, c from xmm1 and
// d from rsi, exactly where a call through this type puts the first two
// integer words and the first two doubles. Any callee with up to 6
// integer-class and 8 double arguments thus receives its k integer and m double
// arguments correctly; the registers it does not read carry zeros and are
// ignored. Nothing goes on the stack, so the callee's own arity cannot unbalance
// it. The trailing "..." costs nothing for a fixed-argument callee and makes the
// call set al to the count of vector registers, which a variadic callee
// (printf-like) needs. The result is read from eax.
using NativeCall = int (*)(std::int64_t, std::int64_t, std::int64_t, std::int64_t, std::int64_t, std::int64_t,
                           double, double, double, double, double, double, double, double, ...);

struct Registers {
    std::array<std::int64_t, kIntRegisters> ints{};
    std::array<double, kDoubleRegisters> doubles{};
    int int_count = 0;
    int double_count = 0;

    bool push_int(std::int64_t v) {
        if (int_count == kIntRegisters) return false;
        ints[int_count++] = v;
        return true;
    }
    bool push_double(double v) {
        if (double_count == kDoubleRegisters) return false;
        doubles[double_count++] = v;
        return true;
    }
};

int call_native(HostFunc fn, const Registers& r) {
    // void (*)(void) is the generic function type, so this cast is the
    // documented way back to the callee's real shape.
    const auto call = reinterpret_cast<NativeCall>(fn);
    return call(r.ints[0], r.ints[1], r.ints[2], r.ints[3], r.ints[4], r.ints[5], r.doubles[0], r.doubles[1],
                r.doubles[2], r.doubles[3], r.doubles[4], r.doubles[5], r.doubles[6], r.doubles[7]);
}

// Reads a record the way a host may have filled it: through any member of the
// value union, so the bytes are copied rather than a member read.
bool load_record(const CallArg& a, Registers& r) {
    if (a.size < 8) {
        std::int32_t word;
        std::memcpy(&word, &a.value, sizeof word);
        return r.push_int(word);  // sign-extended, as C widens an int
    }
    if (a.size == kDoubleSize) {
        double d;
        std::memcpy(&d, &a.value, sizeof d);
        return r.push_double(d);
    }
    std::int64_t wide;
    std::memcpy(&wide, &a.value, sizeof wide);
    return r.push_int(wide);
}

// The checks shared by CallFun and ExecDLL, then the call. 0 for every refusal.
int call_records(HostFunc fn, int n, const CallArg* args) {
    if (fn == nullptr) return 0;
    // A count outside 0..16 would walk past the host's array.
    if (n < 0 || n > kMaxRecords) return 0;
    if (n > 0 && args == nullptr) return 0;
    Registers regs;
    for (int i = 0; i < n; ++i) {
        // An argument beyond the registers would belong on the stack, where a
        // call through a fixed type cannot put it: refuse rather than call with
        // an argument missing.
        if (!load_record(args[i], regs)) return 0;
    }
    return call_native(fn, regs);
}

// The handle of the host executable itself. Looking it up loads nothing, and
// the main program is never unloaded, so the count the look-up took is handed
// back at once.
void* host_executable() {
    void* self = dlopen(nullptr, RTLD_NOW);
    if (self != nullptr) dlclose(self);
    return self;
}

// The library already loaded under that name, else loaded now.
void* find_or_load(const char* name) {
    if (name == nullptr) return host_executable();
    if (void* loaded = h2::platform::lib_find_loaded(name)) {
        // Looking a library up here takes a load count that a handle of this
        // kind never gives back (CloseDLL keeps kind 2); return it now, since
        // whoever loaded the library still holds theirs.
        h2::platform::lib_close(loaded);
        return loaded;
    }
    return h2::platform::lib_open(name);
}

bool names_a_dll(const char* name) {
    return name != nullptr && (std::strstr(name, ".dll") != nullptr || std::strstr(name, ".DLL") != nullptr);
}

}  // namespace

extern "C" {

int CallFunVar(std::int16_t n, HostFunc fn, ...) {
    if (fn == nullptr) return 0;
    // The words are integer-class only; more than the integer registers hold
    // cannot be passed, and a negative count would read nothing sensible.
    if (n < 0 || n > kIntRegisters) return 0;
    Registers regs;
    std::va_list words;
    va_start(words, fn);
    for (int i = 0; i < n; ++i) regs.push_int(va_arg(words, std::int32_t));
    va_end(words);
    try {
        return call_native(fn, regs);
    } catch (...) {
        return 0;
    }
}

int CallFun(std::int16_t n, HostFunc fn, const CallArg* args) {
    try {
        return call_records(fn, n, args);
    } catch (...) {
        return 0;
    }
}

void* OpenDLL(const char* name, std::int16_t* kind) {
    try {
        if (names_a_dll(name)) {
            if (kind != nullptr) *kind = 1;
            return h2::platform::lib_open(name);
        }
        if (kind != nullptr) *kind = 2;
        return find_or_load(name);
    } catch (...) {
        return nullptr;
    }
}

int ExecDLL(void* module, std::int16_t n, const char* name, const CallArg* args) {
    if (module == nullptr || name == nullptr) return 0;
    // Refuse a bad list before looking anything up.
    if (n < 0 || n > kMaxRecords || (n > 0 && args == nullptr)) return 0;
    try {
        // lib_symbol answers only for a definition inside this very library.
        void* address = h2::platform::lib_symbol(module, name);
        if (address == nullptr) return 0;
        return call_records(reinterpret_cast<HostFunc>(address), n, args);
    } catch (...) {
        return 0;
    }
}

void CloseDLL(const char* /*name*/, void* module, std::int16_t kind) {
    // Kind 2 handles were found already loaded and hold no count of their own.
    if (kind != 2) h2::platform::lib_close(module);
}

int CallDLLFun(const char* library, std::int16_t n, const char* name, const CallArg* args) {
    // Opening a library only to find the call unusable would run its
    // initialisers for nothing.
    if (name == nullptr || n < 0 || n > kMaxRecords || (n > 0 && args == nullptr)) return 0;
    std::int16_t kind = 0;
    void* module = OpenDLL(library, &kind);
    if (module == nullptr) return 0;
    const int result = ExecDLL(module, n, name, args);
    CloseDLL(library, module, kind);
    return result;
}

int reset_fpu(void) {
    std::feclearexcept(FE_ALL_EXCEPT);
    // The default environment covers both the x87 unit and SSE: every exception
    // masked, rounding to nearest. Doubles are computed in SSE registers here, so
    // the x87 precision setting of the 32-bit world has no counterpart.
    std::fesetenv(FE_DFL_ENV);
    return 0;
}

}  // extern "C"
