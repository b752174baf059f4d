// A fluid plug-in for the host's tests: it records every entry call and every
// code it receives. One source, built under several names and variants:
//   REC_HAS_ENTRY=0  no entry points at all
//   REC_INSTALLS=0   the entry points succeed but install no function
//   REC_ACCEPTS=0    the entry points refuse (they still install a function,
//                    so a host that sent codes anyway would be caught)
//   REC_READS_TEXT=1 code 1001's c is read back as a text address
#include <cstring>
#include <mutex>

#include "halvorine2/fluid_plugin.h"
#include "tests/plugins/fluids/recording_fluid.h"

#ifndef REC_HAS_ENTRY
#define REC_HAS_ENTRY 1
#endif
#ifndef REC_INSTALLS
#define REC_INSTALLS 1
#endif
#ifndef REC_ACCEPTS
#define REC_ACCEPTS 1
#endif
#ifndef REC_READS_TEXT
#define REC_READS_TEXT 0
#endif

namespace {

// A test plug-in may keep process-wide state: the record is what it is for.
std::mutex g_lock;
RecordedCalls g_calls;
double g_setup_result = 0.0;

void record(const RecordedEvent& e) {
    std::lock_guard<std::mutex> hold(g_lock);
    if (g_calls.count < REC_MAX_EVENTS) {
        g_calls.events[g_calls.count++] = e;
    } else {
        ++g_calls.dropped;
    }
}

double answer(int kind, int code, double a, double b, double c, int which) {
    RecordedEvent e{};
    e.kind = kind;
    e.code = code;
    e.a = a;
    e.b = b;
    e.c = c;
    e.which = which;
    e.slot = -1;
    if (REC_READS_TEXT && code == H2_FLUID_SETUP && c != 0.0) {
        std::strncpy(e.text, h2_fluid_text(c), sizeof e.text - 1);
    }
    record(e);
    if (code == H2_FLUID_SETUP) {
        std::lock_guard<std::mutex> hold(g_lock);
        return g_setup_result;
    }
    return REC_ANSWER(code);
}

double main_function(int code, double a, double b, double c, int which) {
    return answer(REC_CALL_MAIN, code, a, b, c, which);
}

double cooling_function(int code, double a, double b, double c, int which) {
    return answer(REC_CALL_COOLING, code, a, b, c, which);
}

[[maybe_unused]] int entry(int kind, bdLocals* block, int slot, double af) {
    RecordedEvent e{};
    e.kind = kind;
    e.code = -1;
    e.a = af;
    e.which = -1;
    e.slot = slot;
    e.block = block;
    record(e);
    if (REC_INSTALLS && block != nullptr) {
        if (kind == REC_ENTRY_MAIN) {
            block->fluid_func = &main_function;
        } else {
            block->cfluid_func = &cooling_function;
        }
    }
    return REC_ACCEPTS;
}

}  // namespace

#if REC_HAS_ENTRY
H2_FLUID_PLUGIN_API int InitFluid(bdLocals* block, int slot, double af) {
    return entry(REC_ENTRY_MAIN, block, slot, af);
}

H2_FLUID_PLUGIN_API int InitcFluid(bdLocals* block, int slot, double af) {
    return entry(REC_ENTRY_COOLING, block, slot, af);
}
#endif

H2_FLUID_PLUGIN_API const RecordedCalls* rec_calls(void) { return &g_calls; }

H2_FLUID_PLUGIN_API void rec_reset(void) {
    std::lock_guard<std::mutex> hold(g_lock);
    std::memset(&g_calls, 0, sizeof g_calls);
    g_setup_result = 0.0;
}

// What the next calls with code 1001 return.
H2_FLUID_PLUGIN_API void rec_set_setup_result(double result) {
    std::lock_guard<std::mutex> hold(g_lock);
    g_setup_result = result;
}
