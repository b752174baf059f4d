/* The interface a loss-model plug-in compiles against.
 *
 * A plug-in is a shared library (built as <name>.so; the host asks for
 * "kmprf_t.dll" and the like and falls back to ".so"). It exports, with C
 * linkage and default visibility, the initialiser of its model under the name
 * of the host loader that loads it:
 *
 *   void InitUDU(bdLocals* block, int element);       D  slots 0 and  8
 *   void InitURZ(bdLocals* block, int element);       R  slots 1 and  9
 *   void InitZAZlos(bdLocals* block, int element);    Z  slots 2 and 10
 *   void InitProfLos(bdLocals* block, int element);   P  slots 3 and 11
 *   void InitScndLos(bdLocals* block, int element);   S  slots 4 and 12
 *   void InitTransLos(bdLocals* block, int element);  N  slots 5 and 13
 *   void InitDevAng(bdLocals* block, int element);    V  slots 6 and 14
 *   void InitBlock(bdLocals* block, int element);     B  slots 7 and 15
 *
 * The initialiser stores the model's calculation function in
 * block->LossSlots[slot][element] and its description function in
 * block->LossSlots[slot + 8][element] (h2_loss_install below); its result is
 * ignored. Every entry of a slot array is a LossEntry; callers cast it back
 * to the form of the slot.
 *
 * Calculation functions. Slots 0 to 2 (D, R, Z) are called as
 * f(block, element); slots 3 to 7 (P, S, N, V, B) as f(block, element,
 * section). They read the case block directly (and may call
 * block->fluid_func when it is set) and write their results into it:
 *   D  elem__Gdu[element], the diaphragm seal flow (kg/s);
 *   R  elem__Gr[element] and elem__Cr[element], the tip leakage flow and its
 *      velocity;
 *   Z  enrg__zaz[element], the gap loss as a fraction of the kinetic energy
 *      at the element's exit;
 *   P, S, N  the section's loss fields: los__XP, los__XS, los__XA (percent),
 *      los__GM (the N model's weight of the profile loss), los__Los (the
 *      velocity coefficient) and enrg__dhb (the energy loss); for axial
 *      compressor rows instead los__om (the profile total-pressure loss
 *      coefficient) and los__XS as a coefficient of the same kind, which the
 *      host adds to los__om before it forms the velocity coefficient;
 *   V  cas__dR, the deviation in degrees;
 *   B  cas__blck, the blockage as a fraction of the flow area.
 * The host calls P, S and N with exit angles above 90 degrees folded to
 * 180 minus the angle. Nothing is returned; a model never fails loudly, and
 * it keeps every value it writes finite.
 *
 * Description functions are called as f(size, buffer) with size 200 and a
 * buffer of 200 characters that holds "fixed" on entry. They write a
 * NUL-terminated text whose part between "<note>" and "</note>" the host's
 * report prints as the model's description.
 */
#ifndef HALVORINE2_LOSS_PLUGIN_H
#define HALVORINE2_LOSS_PLUGIN_H

#include <stddef.h>

#include "halvorine2/case_block.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The initialiser, looked up by the names below. */
typedef void (*LossPluginEntry)(bdLocals* block, int element);
#define H2_LOSS_ENTRY_D "InitUDU"
#define H2_LOSS_ENTRY_R "InitURZ"
#define H2_LOSS_ENTRY_Z "InitZAZlos"
#define H2_LOSS_ENTRY_P "InitProfLos"
#define H2_LOSS_ENTRY_S "InitScndLos"
#define H2_LOSS_ENTRY_N "InitTransLos"
#define H2_LOSS_ENTRY_V "InitDevAng"
#define H2_LOSS_ENTRY_B "InitBlock"

/* Marks an exported initialiser. */
#ifdef __cplusplus
#define H2_LOSS_PLUGIN_API extern "C" __attribute__((visibility("default")))
#else
#define H2_LOSS_PLUGIN_API __attribute__((visibility("default")))
#endif

/* Calculation form of slots 0 to 2; slots 3 to 7 take LossCalcFunc
 * (block, element, section) of case_block.h. */
typedef void (*LossElemFunc)(bdLocals* block, int element);

/* Calculation slots, in the letter order D, R, Z, P, S, N, V, B. The
 * description of the model of slot s sits in slot s + H2_LOSS_NOTE_OFFSET. */
enum LossSlot {
    H2_LOSS_D = 0, /* diaphragm and disk leakage; switch elem__MethodD */
    H2_LOSS_R = 1, /* radial-clearance leakage; elem__MethodR */
    H2_LOSS_Z = 2, /* gap loss; elem__MethodZ */
    H2_LOSS_P = 3, /* profile loss; elem__MethodP */
    H2_LOSS_S = 4, /* secondary loss; elem__MethodS */
    H2_LOSS_N = 5, /* trans loss; elem__MethodN */
    H2_LOSS_V = 6, /* deviation angle; elem__MethodV */
    H2_LOSS_B = 7  /* blockage; elem__MethodB */
};
#define H2_LOSS_CALC_SLOTS 8
#define H2_LOSS_NOTE_OFFSET 8
#define H2_LOSS_SLOT_COUNT 16
/* The letter of calculation slot s is H2_LOSS_LETTERS[s]. */
#define H2_LOSS_LETTERS "DRZPSNVB"

/* Element families that pick the default library of the models P, S, N, V
 * and B; the suffix of family f is H2_LOSS_FAMILY_SUFFIXES[f]
 * ("kmprf_t.dll" for a turbine row). */
enum LossFamily {
    H2_FAMILY_TURBINE = 0,           /* t */
    H2_FAMILY_AXIAL_COMPRESSOR = 1,  /* c */
    H2_FAMILY_CENTRIFUGAL = 2,       /* r */
    H2_FAMILY_VANELESS_DIFFUSER = 3, /* v */
    H2_FAMILY_U_BEND = 4,            /* u */
    H2_FAMILY_OUTLET_VOLUTE = 5,     /* o */
    H2_FAMILY_INLET_VOLUTE = 6,      /* i */
    H2_FAMILY_OTHER = 7,             /* n, the deswirler */
    H2_FAMILY_NONE = 8               /* no default library */
};
#define H2_LOSS_FAMILY_SUFFIXES "tcrvuoin"

/* Size of the description buffer. */
#define H2_LOSS_NOTE_SIZE 200

/* 1 when element lies inside the case's arrays, else 0. */
static inline int h2_loss_element_ok(const bdLocals* block, int element) {
    return block != NULL && element >= 0 && element < block->alloc_elems;
}

/* 1 when section j of element lies inside the case's arrays, else 0. */
static inline int h2_loss_section_ok(const bdLocals* block, int element, int section) {
    return h2_loss_element_ok(block, element) && section >= 0 && section < block->alloc_streams;
}

/* Stores a model's calculation and description functions for one element;
 * nothing when the slot is not a calculation slot, the element lies outside
 * the arrays or the case has no slot arrays. 1 stored, 0 not. */
static inline int h2_loss_install(bdLocals* block, int slot, int element, LossEntry calc, LossEntry note) {
    if (slot < 0 || slot >= H2_LOSS_CALC_SLOTS || !h2_loss_element_ok(block, element)) return 0;
    LossEntry* calcs = block->LossSlots[slot];
    LossEntry* notes = block->LossSlots[slot + H2_LOSS_NOTE_OFFSET];
    if (calcs == NULL || notes == NULL) return 0;
    calcs[element] = calc;
    notes[element] = note;
    return 1;
}

#ifdef __cplusplus
}
#endif

#endif
