// Internal side of the loss-model plug-in host: the element families that
// choose the default libraries, and the safe way to reach a slot entry.
#pragma once

#include <string>

#include "halvorine2/case_block.h"
#include "halvorine2/loss_plugin.h"

namespace h2 {

// The family of element i of case b (LossFamily), which picks the default
// library of the models P, S, N, V and B. b must be the calling thread's
// current case with arrays that hold its elements, and i one of its elements.
LossFamily loss_family(const bdLocals& b, int i);

// Turbine row and compressor row in the sense of the family rule, for the
// loss wrappers; the same preconditions.
bool is_turbine_row(const bdLocals& b, int i);
bool is_compressor_row(const bdLocals& b, int i);

// The default library file of calculation slot `slot` (H2_LOSS_D ..
// H2_LOSS_B) for element i ("kmprf_r.dll"); empty when the element has none.
// The same preconditions.
std::string default_loss_library(const bdLocals& b, int slot, int i);

// The entry of slot `slot` (0..15) of element i, or nullptr when the case
// has no such slot array or i lies outside it. For callers that decide by
// the entry alone.
LossEntry loss_entry(const bdLocals* b, int slot, int i);

// The entry of slot `slot` (0..15) of element i only when the element's
// switch of the slot's letter (elem__MethodD .. elem__MethodB; the
// description slots follow their calculation slot) is non-zero and the entry
// is set; nullptr otherwise. A switched-on model whose plug-in was never
// found would otherwise be called through NULL: it counts as switched off.
LossEntry switched_loss_entry(const bdLocals* b, int slot, int i);

// The same, cast to the form of the slot. section_model takes the
// section-wise slots P..B and also requires section j to lie inside the
// arrays; element_model takes D, R and Z; model_note the letter's
// description.
LossCalcFunc section_model(const bdLocals* b, int slot, int i, int j);
LossElemFunc element_model(const bdLocals* b, int slot, int i);
// D, R or Z whenever it is installed, switch or not: the cavity balance and
// the stage loss breakdown call the seal model of every installed diaphragm.
LossElemFunc installed_element_model(const bdLocals* b, int slot, int i);
LossNoteFunc model_note(const bdLocals* b, int slot, int i);

}  // namespace h2
