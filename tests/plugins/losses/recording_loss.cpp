// A loss-model plug-in for the host's tests. Its initialisers install, for
// the element they are handed, a calculation that does nothing and a
// description "<note>LIBRARY ENTRY</note>" naming the library and the
// initialiser, so a test reads from the slots which library filled them.
// Built under every default file name with the one initialiser of that name
// (REC_SLOT the slot, REC_LIBRARY the name), and as "rec_named" with all
// eight (REC_SLOT -1).
#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>

#include "halvorine2/loss_plugin.h"

#ifndef REC_SLOT
#define REC_SLOT -1
#endif
#ifndef REC_LIBRARY
#define REC_LIBRARY rec_named
#endif
#define REC_TEXT(x) #x
#define REC_STRING(x) REC_TEXT(x)

namespace {

constexpr std::array<const char*, H2_LOSS_CALC_SLOTS> kEntries{
    H2_LOSS_ENTRY_D, H2_LOSS_ENTRY_R, H2_LOSS_ENTRY_Z, H2_LOSS_ENTRY_P,
    H2_LOSS_ENTRY_S, H2_LOSS_ENTRY_N, H2_LOSS_ENTRY_V, H2_LOSS_ENTRY_B};

// A test plug-in may keep process-wide state: the count is what it is for.
std::atomic<int> g_entry_calls{0};

void element_model(bdLocals*, int) {}
void section_model(bdLocals*, int, int) {}

template <int Slot>
void note(int size, char* buffer) {
    if (buffer == nullptr || size <= 0) return;
    std::snprintf(buffer, static_cast<std::size_t>(std::min(size, H2_LOSS_NOTE_SIZE)), "<note>%s %s</note>",
                  REC_STRING(REC_LIBRARY), kEntries[Slot]);
}

template <int Slot>
void install(bdLocals* block, int element) {
    ++g_entry_calls;
    const LossEntry calc = Slot < H2_LOSS_P ? reinterpret_cast<LossEntry>(&element_model)
                                            : reinterpret_cast<LossEntry>(&section_model);
    h2_loss_install(block, Slot, element, calc, reinterpret_cast<LossEntry>(&note<Slot>));
}

}  // namespace

// How many times any initialiser of this library ran.
H2_LOSS_PLUGIN_API int rec_entry_calls(void) { return g_entry_calls.load(); }

#define REC_ENTRY(entry, slot) \
    H2_LOSS_PLUGIN_API void entry(bdLocals* block, int element) { install<slot>(block, element); }

#if REC_SLOT < 0 || REC_SLOT == 0
REC_ENTRY(InitUDU, H2_LOSS_D)
#endif
#if REC_SLOT < 0 || REC_SLOT == 1
REC_ENTRY(InitURZ, H2_LOSS_R)
#endif
#if REC_SLOT < 0 || REC_SLOT == 2
REC_ENTRY(InitZAZlos, H2_LOSS_Z)
#endif
#if REC_SLOT < 0 || REC_SLOT == 3
REC_ENTRY(InitProfLos, H2_LOSS_P)
#endif
#if REC_SLOT < 0 || REC_SLOT == 4
REC_ENTRY(InitScndLos, H2_LOSS_S)
#endif
#if REC_SLOT < 0 || REC_SLOT == 5
REC_ENTRY(InitTransLos, H2_LOSS_N)
#endif
#if REC_SLOT < 0 || REC_SLOT == 6
REC_ENTRY(InitDevAng, H2_LOSS_V)
#endif
#if REC_SLOT < 0 || REC_SLOT == 7
REC_ENTRY(InitBlock, H2_LOSS_B)
#endif
