// What the stand-in fluid plug-ins share: the slot values the entry points
// are handed, and the way a selector finds the thread's state block.
#pragma once

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

#include "halvorine2/fluid_plugin.h"

namespace h2fluid {

// The process-wide slot values of the main and cooling fluidLocals blocks, as
// the entry points were last handed them; -1 until then.
inline std::atomic<int> g_slot[2] = {-1, -1};

inline void remember_slot(int selector, int slot) { g_slot[selector == H2_FLUID_MAIN ? 0 : 1].store(slot); }

// The calling thread's block for a selector: 0 the main block, any other the
// cooling block; a cooling slot this library was never handed (the host's
// fallback to the main function) answers from the main block.
inline void* block_for(int selector) {
    int slot = g_slot[selector == H2_FLUID_MAIN ? 0 : 1].load();
    if (slot < 0) slot = g_slot[0].load();
    return h2_fluid_locals(slot);
}

// The state a plug-in keeps in a block, recognised by its tag; nullptr when
// the thread has no block or this plug-in never set it up on this thread.
template <class State>
State* state_for(int selector) {
    auto* s = static_cast<State*>(block_for(selector));
    return s != nullptr && s->tag == State::kTag ? s : nullptr;
}

// A fresh state in the thread's block of a slot; nullptr when there is none.
template <class State>
State* new_state(int slot) {
    static_assert(sizeof(State) <= H2_FLUID_LOCALS_SIZE, "the state must fit the fluidLocals block");
    void* block = h2_fluid_locals(slot);
    if (block == nullptr) return nullptr;
    return new (block) State{};
}

// An entry point's work: the thread's state started from the case's two
// constants (set() falls back to the defaults when they are unusable), so that
// a function installed without set-up codes still answers, and the property
// function installed for the selector. 0 when there is no block to keep it in.
template <class State, bool (*Set)(State&, double, double), FluidFunc Property>
int init_side(bdLocals* block, int slot, int selector, double first, double second) {
    if (block == nullptr) return 0;
    remember_slot(selector, slot);
    State* state = new_state<State>(slot);
    if (state == nullptr) return 0;
    Set(*state, first, second);
    (selector == H2_FLUID_MAIN ? block->fluid_func : block->cfluid_func) = Property;
    return 1;
}

// The case's two constants for a selector: R and k for the main fluid, the
// cooling R and k for the cooling fluid.
template <class State, bool (*Set)(State&, double, double), FluidFunc Property>
int init_from_case(bdLocals* block, int slot, int selector) {
    if (block == nullptr) return 0;
    return selector == H2_FLUID_MAIN
               ? init_side<State, Set, Property>(block, slot, selector, block->cyld_R, block->cyld_k)
               : init_side<State, Set, Property>(block, slot, selector, block->cyld_cR, block->cyld_ck);
}

inline bool positive(double x) { return std::isfinite(x) && x > 0.0; }

// A property function for a model whose state holds a reference state
// (T_ref, p_ref) and is set up from two constants: the codes every such model
// answers alike are answered here, the rest by Answer (H2_FLUID_NO_ANSWER for
// codes without meaning). Without a state of this model on the thread,
// the set-up codes start one in the thread's block when that holds no state
// (a case made on the thread after the entry point ran gets fresh blocks, and
// a case sharing the function sets it up again through these codes); without
// such a block they report failure (-1.0), and the other codes have no answer.
template <class State, bool (*Set)(State&, double, double),
          double (*Answer)(const State&, int, double, double)>
double property(int code, double a, double b, double /*c*/, int which) {
    constexpr double kSetupFailed = -1.0;
    const bool setup_code = code == H2_FLUID_REFERENCE || code == H2_FLUID_SETUP;
    State* s = state_for<State>(which);
    if (s == nullptr && setup_code) {
        // Only a block that holds no plug-in's state yet (zero-filled, tag 0).
        void* block = block_for(which);
        std::uint32_t tag_word = 0;
        if (block != nullptr) std::memcpy(&tag_word, block, sizeof tag_word);
        if (block != nullptr && tag_word == 0) s = new (block) State{};
    }
    if (s == nullptr) return setup_code ? kSetupFailed : H2_FLUID_NO_ANSWER;
    switch (code) {
        case H2_FLUID_REFERENCE:
            if (!positive(a) || !positive(b)) return kSetupFailed;
            s->T_ref = a;
            s->p_ref = b;
            return 0.0;
        case H2_FLUID_SETUP:
            return Set(*s, a, b) ? 0.0 : kSetupFailed;
        case H2_FLUID_ELEMENT_P0:
        case H2_FLUID_MODULE_SETUP:
        case H2_FLUID_CHOKE_FLAG:
            return 0.0;
        default:
            return Answer(*s, code, a, b);
    }
}

inline constexpr std::uint32_t tag(char a, char b, char c, char d) {
    return std::uint32_t(std::uint8_t(a)) | std::uint32_t(std::uint8_t(b)) << 8 |
           std::uint32_t(std::uint8_t(c)) << 16 | std::uint32_t(std::uint8_t(d)) << 24;
}

}  // namespace h2fluid
