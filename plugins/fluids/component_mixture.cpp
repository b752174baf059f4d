// flxv: an ideal-gas mixture of named components (fluid number 6), each by
// its NASA 7-coefficient polynomials (ideal_mixture.h, the table the
// combustion gases use).
//
// Set-up. Code 1001 carries in c the address of the set-up file's name
// ("component.tmg"); a c that is no text address (the named path sends the
// case's fluid constant there) means the same default name. The file is read
// from the plug-in's own folder: '#' comments, then one component a line,
// "NAME fraction" (mole fractions, normalised to their sum; names N2, O2, AR,
// CO2, H2O, HE, H2, CH4 in any case; a name given twice adds up). An unknown
// component, a negative or non-finite fraction, a line that is not a name and
// one number, or a file without a positive fraction fails the set-up (-1) with
// a message on standard error naming the file and the line.
//
// The mixture is kept in the thread's fluidLocals block; a thread whose block
// holds no state of this plug-in answers for the mixture the process set up
// last. Codes as the combustion gases answer them: dry always (code 0), no
// saturated enthalpies (codes 11, 12: 0.0).
#include <array>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>

#include "halvorine2/fluid_plugin.h"
#include "plugins/fluids/fluid_slots.h"
#include "plugins/fluids/ideal_mixture.h"
#include "plugins/fluids/plugin_folder.h"

namespace {

namespace ig = h2::mixture;

constexpr double kNoAnswer = H2_FLUID_NO_ANSWER;
constexpr double kDry = -1.0;
constexpr double kSetupFailed = -1.0;
const char kDefaultSetupFile[] = "component.tmg";

// Mixtures set up in this process; kept for its life, the table only grows.
constexpr int kMaxMixtures = 256;
std::array<std::atomic<const ig::Mixture*>, kMaxMixtures> g_mixtures{};
int g_count = 0;
std::mutex g_lock;
std::atomic<int> g_last{-1};

const ig::Mixture* mixture_at(int index) {
    return index >= 0 && index < kMaxMixtures ? g_mixtures[index].load(std::memory_order_acquire) : nullptr;
}

std::string upper(std::string s) {
    for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return s;
}

// Reads a component file into mole amounts; false with the message written.
bool read_components(const std::string& path, double (&moles)[ig::kSpecies]) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "flxv: cannot read the set-up file %s\n", path.c_str());
        return false;
    }
    for (double& n : moles) n = 0.0;
    std::string line;
    int number = 0;
    double total = 0.0;
    while (std::getline(in, line)) {
        ++number;
        std::string text = line;
        if (const auto hash = text.find('#'); hash != std::string::npos) text.erase(hash);
        std::istringstream words(text);
        std::string name, value, extra;
        if (!(words >> name)) continue;
        auto refuse = [&](const char* why) {
            std::fprintf(stderr, "flxv: %s line %d: %s: %s\n", path.c_str(), number, why, line.c_str());
            return false;
        };
        if (!(words >> value) || (words >> extra)) return refuse("expected \"NAME fraction\"");
        char* end = nullptr;
        const double x = std::strtod(value.c_str(), &end);
        if (end == value.c_str() || *end != '\0' || !std::isfinite(x))
            return refuse("the fraction is not a number");
        if (x < 0.0) return refuse("negative fraction");
        int k = 0;
        while (k < ig::kSpecies && upper(name) != ig::kNames[k]) ++k;
        if (k == ig::kSpecies) return refuse("unknown component");
        moles[k] += x;
        total += x;
    }
    if (!(total > 0.0)) {
        std::fprintf(stderr, "flxv: %s names no component with a positive fraction\n", path.c_str());
        return false;
    }
    return true;
}

int load_mixture(const std::string& setup_name) {
    double moles[ig::kSpecies];
    if (!read_components(h2fluid::plugin_folder() + setup_name, moles)) return -1;
    auto m = std::make_unique<ig::Mixture>(ig::make(moles));
    const std::lock_guard<std::mutex> hold(g_lock);
    // Every case and design module sets its fluid up again: one entry per mixture.
    for (int i = 0; i < g_count; ++i)
        if (std::memcmp(mixture_at(i), m.get(), sizeof *m) == 0) {
            g_last.store(i);
            return i;
        }
    if (g_count == kMaxMixtures) {
        std::fprintf(stderr, "flxv: more than %d different mixtures in one process\n", kMaxMixtures);
        return -1;
    }
    g_mixtures[g_count].store(m.release(), std::memory_order_release);
    g_last.store(g_count);
    return g_count++;
}

struct MixtureState {
    static constexpr std::uint32_t kTag = h2fluid::tag('F', 'L', 'X', 'V');
    std::uint32_t tag = kTag;
    std::int32_t mixture = -1;
};

MixtureState* thread_state(int which, bool setup) {
    MixtureState* s = h2fluid::state_for<MixtureState>(which);
    if (s != nullptr || !setup) return s;
    void* block = h2fluid::block_for(which);
    std::uint32_t tag_word = 0;
    if (block != nullptr) std::memcpy(&tag_word, block, sizeof tag_word);
    return block != nullptr && tag_word == 0 ? new (block) MixtureState{} : nullptr;
}

double mixture_property(int code, double a, double b, double c, int which) {
    switch (code) {
        case H2_FLUID_SETUP: {
            const int index =
                load_mixture(h2fluid::is_text_address(c) ? h2_fluid_text(c) : kDefaultSetupFile);
            if (MixtureState* s = thread_state(which, true)) s->mixture = index;
            return index < 0 ? kSetupFailed : 0.0;
        }
        case H2_FLUID_DRYNESS:
            return kDry;
        case H2_FLUID_REFERENCE:
        case H2_FLUID_ELEMENT_P0:
        case H2_FLUID_MODULE_SETUP:
        case H2_FLUID_CHOKE_FLAG:
            return 0.0;
        default:
            break;
    }
    const MixtureState* state = thread_state(which, false);
    const ig::Mixture* m = mixture_at(state != nullptr ? state->mixture : g_last.load());
    if (m == nullptr) return kNoAnswer;
    if (code == H2_FLUID_I_SAT_VAPOUR || code == H2_FLUID_I_SAT_LIQUID) return 0.0;
    if (!std::isfinite(a) || !std::isfinite(b)) return kNoAnswer;
    const double r = ig::answer(code, a, b, *m);
    return std::isfinite(r) ? r : kNoAnswer;
}

int init_side(bdLocals* block, int slot, int selector) {
    if (block == nullptr) return 0;
    h2fluid::remember_slot(selector, slot);
    h2fluid::new_state<MixtureState>(slot);
    (selector == H2_FLUID_MAIN ? block->fluid_func : block->cfluid_func) = mixture_property;
    return 1;
}

}  // namespace

H2_FLUID_PLUGIN_API int InitFluid(bdLocals* block, int slot, double /*af*/) {
    return init_side(block, slot, H2_FLUID_MAIN);
}

H2_FLUID_PLUGIN_API int InitcFluid(bdLocals* block, int slot, double /*af*/) {
    return init_side(block, slot, H2_FLUID_COOLING);
}
