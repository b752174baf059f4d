// flxt: real fluids from reference Helmholtz-energy equations of state
// (helmholtz.h), fluid number 7.
//
// Set-up. Code 1001 carries in c the address of the set-up file's name
// ("real.tmg"); a c that is no text address (the named path sends the case's
// fluid constant there) means the same default name. The file is read from the
// plug-in's own folder: '#' comments, the first data line "fluid NAME"; the
// coefficients of NAME are in real_NAME.txt beside it. An unreadable set-up
// file, a line other than "fluid NAME", or a name without its data file fails
// the set-up (-1) with a message on standard error naming both.
//
// The fluid chosen is kept in the thread's fluidLocals block, with the last
// (p, h) point solved: the solver asks entropy, speed of sound and density at
// one (p, h) in a row. A hit returns what a fresh solve computes, bit for bit.
// A thread whose block holds no state of this plug-in answers, uncached, for
// the fluid the process set up last.
//
// Wet states (p below the end of the saturation line, h'(p) <= h <= h''(p))
// mix the saturated phases by the dryness as the steam plug-in does: v, h, s
// linearly; cp as x cp'' + (1 - x) cp'; the equilibrium speed of sound along
// the saturation line; kappa = w^2 rho / p.
//
// Transport: the fluid's published viscosity correlation where its data file
// has one (CO2: Fenghour et al. 1998), else no answer (1e20); no conductivity
// correlation is shipped (1e20). Any state outside the equation's range, or a
// non-finite argument, answers 1e20 (code 0: -1.0, dry).
#include <array>
#include <atomic>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>

#include "halvorine2/fluid_plugin.h"
#include "plugins/fluids/fluid_slots.h"
#include "plugins/fluids/helmholtz.h"
#include "plugins/fluids/plugin_folder.h"

namespace {

namespace hz = h2::helmholtz;

constexpr double kNoAnswer = H2_FLUID_NO_ANSWER;
constexpr double kDry = -1.0;
constexpr double kSetupFailed = -1.0;
const char kDefaultSetupFile[] = "real.tmg";

// ---- Fluids loaded in this process -------------------------------------------------------

// Loaded fluids stay for the process's life (like the plug-in itself), so a
// pointer read once stays valid; the table only grows, under the lock.
constexpr int kMaxFluids = 64;
std::array<std::atomic<const hz::Fluid*>, kMaxFluids> g_fluids{};
std::array<std::string, kMaxFluids> g_paths;
int g_count = 0;
std::mutex g_lock;
std::atomic<int> g_last{-1};  // the fluid the process set up last

const hz::Fluid* fluid_at(int index) {
    return index >= 0 && index < kMaxFluids ? g_fluids[index].load(std::memory_order_acquire) : nullptr;
}

// The fluid named by a set-up file; its index, or -1 with the message written.
int load_fluid(const std::string& setup_name) {
    const std::string folder = h2fluid::plugin_folder();
    const std::string setup_path = folder + setup_name;
    std::ifstream in(setup_path);
    if (!in) {
        std::fprintf(stderr, "flxt: cannot read the set-up file %s\n", setup_path.c_str());
        return -1;
    }
    std::string line, key, name, extra;
    while (std::getline(in, line)) {
        if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        if (!(words >> key)) continue;
        if (key != "fluid" || !(words >> name) || (words >> extra)) {
            std::fprintf(stderr, "flxt: %s: the first line must read \"fluid NAME\": %s\n",
                         setup_path.c_str(), line.c_str());
            return -1;
        }
        break;
    }
    if (name.empty()) {
        std::fprintf(stderr, "flxt: %s names no fluid\n", setup_path.c_str());
        return -1;
    }
    const std::string data_path = folder + "real_" + name + ".txt";
    const std::lock_guard<std::mutex> hold(g_lock);
    for (int i = 0; i < g_count; ++i)
        if (g_paths[i] == data_path) {
            g_last.store(i);
            return i;
        }
    if (!std::ifstream(data_path)) {
        std::fprintf(stderr, "flxt: unknown fluid %s in %s: no data file %s\n", name.c_str(),
                     setup_path.c_str(), data_path.c_str());
        return -1;
    }
    auto fluid = std::make_unique<hz::Fluid>();
    std::string error;
    if (!hz::read_fluid(data_path, *fluid, error) || !hz::finish(*fluid)) {
        std::fprintf(stderr, "flxt: fluid %s of %s: %s\n", name.c_str(), setup_path.c_str(),
                     error.empty() ? "the equation cannot be evaluated" : error.c_str());
        return -1;
    }
    if (g_count == kMaxFluids) return -1;
    g_paths[g_count] = data_path;
    g_fluids[g_count].store(fluid.release(), std::memory_order_release);
    g_last.store(g_count);
    return g_count++;
}

// ---- The thread's state ------------------------------------------------------------------

// What the (p, h) codes read of a point.
struct PhValues {
    bool solved = false;
    double x = -1.0, T = 0.0, rho = 0.0, s = 0.0, cp = 0.0, w = 0.0;
};

struct RealState {
    static constexpr std::uint32_t kTag = h2fluid::tag('F', 'L', 'X', 'T');
    std::uint32_t tag = kTag;
    std::int32_t fluid = -1;
    bool valid = false;
    std::uint64_t p_bits = 0, h_bits = 0;
    PhValues values;
};
static_assert(sizeof(RealState) <= H2_FLUID_LOCALS_SIZE);

PhValues ph_values(const hz::Fluid& f, double p, double h) {
    PhValues out;
    hz::Point pt;
    if (!hz::point_ph(f, p, h, pt)) return out;
    out.solved = true;
    out.x = pt.x;
    out.T = pt.one.T;
    out.rho = pt.one.rho;
    out.s = pt.one.s;
    out.cp = pt.one.cp;
    out.w = hz::sound_speed(pt);
    return out;
}

PhValues ph_lookup(RealState* cache, const hz::Fluid& f, double p, double h) {
    if (cache == nullptr) return ph_values(f, p, h);
    const auto pb = std::bit_cast<std::uint64_t>(p), hb = std::bit_cast<std::uint64_t>(h);
    if (!cache->valid || cache->p_bits != pb || cache->h_bits != hb) {
        cache->values = ph_values(f, p, h);
        cache->p_bits = pb;
        cache->h_bits = hb;
        cache->valid = true;
    }
    return cache->values;
}

double nonzero_entropy(double s) { return s == 0.0 ? DBL_MIN : s; }

double saturated_enthalpy(const hz::Fluid& f, double p, bool vapour) {
    if (!(p >= f.p_sat_min) || p > f.p_max) return kNoAnswer;
    if (p > f.p_sat_max) return f.h_crit;
    hz::State l, v;
    if (!hz::saturation_p(f, p, l, v)) return kNoAnswer;
    return vapour ? v.h : l.h;
}

double transport(const hz::Fluid& f, int code, double p, double h) {
    if (code == H2_FLUID_LAMBDA_PI) return kNoAnswer;
    hz::Point pt;
    if (!hz::point_ph(f, p, h, pt)) return kNoAnswer;
    if (!pt.wet()) return hz::viscosity(f, pt.one.T, pt.one.rho) / pt.one.rho;
    const double ml = hz::viscosity(f, pt.liq.T, pt.liq.rho), mg = hz::viscosity(f, pt.vap.T, pt.vap.rho);
    return 1.0 / (pt.x / mg + (1.0 - pt.x) / ml) / pt.one.rho;
}

double answer(const hz::Fluid& f, RealState* cache, int code, double a, double b) {
    switch (code) {
        case H2_FLUID_R_PI:
            return f.R;
        case H2_FLUID_I_SAT_VAPOUR:
            return saturated_enthalpy(f, a, true);
        case H2_FLUID_I_SAT_LIQUID:
            return saturated_enthalpy(f, a, false);
        case H2_FLUID_I_PT: {
            hz::Point pt;
            return hz::point_pT(f, a, b, pt) ? pt.one.h : kNoAnswer;
        }
        case H2_FLUID_P_IS: {
            hz::Point pt;
            return hz::point_hs(f, a, b, pt) ? pt.one.p : kNoAnswer;
        }
        case H2_FLUID_I_PS: {
            hz::Point pt;
            return hz::point_ps(f, a, b, pt) ? pt.one.h : kNoAnswer;
        }
        case H2_FLUID_P_RHOI: {
            hz::Point pt;
            return hz::point_rhoh(f, a, b, pt) ? pt.one.p : kNoAnswer;
        }
        case H2_FLUID_NU_PI:
        case H2_FLUID_LAMBDA_PI:
            return transport(f, code, a, b);
        default:
            break;
    }
    const PhValues pt = ph_lookup(cache, f, a, b);
    if (!pt.solved) return code == H2_FLUID_DRYNESS ? kDry : kNoAnswer;
    switch (code) {
        case H2_FLUID_DRYNESS:
            return pt.x >= 0.0 ? pt.x : kDry;
        case H2_FLUID_T_PI:
            return pt.T;
        case H2_FLUID_RHO_PI:
            return pt.rho;
        case H2_FLUID_S_PI:
            return nonzero_entropy(pt.s);
        case H2_FLUID_SOUND_PI:
            return pt.w;
        case H2_FLUID_KAPPA_PI:
            return pt.w * pt.w * pt.rho / a;
        case H2_FLUID_CP_PI:
            return pt.cp;
        default:
            return kNoAnswer;
    }
}

// The thread's state of this plug-in for a selector; on set-up, a fresh one
// in a block that holds no plug-in's state yet.
RealState* thread_state(int which, bool setup) {
    RealState* s = h2fluid::state_for<RealState>(which);
    if (s != nullptr || !setup) return s;
    void* block = h2fluid::block_for(which);
    std::uint32_t tag_word = 0;
    if (block != nullptr) std::memcpy(&tag_word, block, sizeof tag_word);
    return block != nullptr && tag_word == 0 ? new (block) RealState{} : nullptr;
}

double real_property(int code, double a, double b, double c, int which) {
    switch (code) {
        case H2_FLUID_SETUP: {
            const char* name = h2fluid::is_text_address(c) ? h2_fluid_text(c) : kDefaultSetupFile;
            const int index = load_fluid(name);
            if (RealState* s = thread_state(which, true)) {
                s->fluid = index;
                s->valid = false;
            }
            return index < 0 ? kSetupFailed : 0.0;
        }
        case H2_FLUID_REFERENCE:
        case H2_FLUID_ELEMENT_P0:
        case H2_FLUID_MODULE_SETUP:
        case H2_FLUID_CHOKE_FLAG:
            return 0.0;
        default:
            break;
    }
    // A thread holding this plug-in's state answers for its own fluid (none
    // after a failed set-up); a thread without, for the process's last one.
    RealState* state = thread_state(which, false);
    const hz::Fluid* f = fluid_at(state != nullptr ? state->fluid : g_last.load());
    if (f == nullptr) return code == H2_FLUID_DRYNESS ? kDry : kNoAnswer;
    if (!std::isfinite(a) || !std::isfinite(b)) return code == H2_FLUID_DRYNESS ? kDry : kNoAnswer;
    const double r = answer(*f, state, code, a, b);
    if (!std::isfinite(r)) return code == H2_FLUID_DRYNESS ? kDry : kNoAnswer;
    return r;
}

int init_side(bdLocals* block, int slot, int selector) {
    if (block == nullptr) return 0;
    h2fluid::remember_slot(selector, slot);
    h2fluid::new_state<RealState>(slot);  // none without a block: the process's last fluid answers
    (selector == H2_FLUID_MAIN ? block->fluid_func : block->cfluid_func) = real_property;
    return 1;
}

}  // namespace

H2_FLUID_PLUGIN_API int InitFluid(bdLocals* block, int slot, double /*af*/) {
    return init_side(block, slot, H2_FLUID_MAIN);
}

H2_FLUID_PLUGIN_API int InitcFluid(bdLocals* block, int slot, double /*af*/) {
    return init_side(block, slot, H2_FLUID_COOLING);
}
