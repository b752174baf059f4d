// Texts of the coded settings of a case, for the source-data report. All read
// the calling thread's current case; every result points to text the caller
// prints and never frees.
#pragma once

extern "C" {

// The problem formulation of a SolverTask code; "unknown" for any other value.
const char* task_name(int code);
// The main and cooling fluid of a fluid code; a code outside the built-in
// fluids gives the case's fluidName (respectively cfluidName).
const char* fluid_name(int code);
const char* cfluid_name(int code);
// The outlet-pressure flag: static or total.
const char* exit_pressure_name(int code);
// The specific-diameter choice; "unknown" in an analysis task whatever the code.
const char* spec_diameter_name(int code);
// The streamline adjustment method of the case's cyld__MethodL.
const char* streamline_adj_name(void);
// Four-letter code of an element kind and three-letter code of a section orientation.
const char* elem_kind_name(int kind);
const char* sect_type_name(int type);

// Description of element i's loss model of each letter: "fixed" when the
// element's selector is 0 or its model gave no description, else the note cut
// out of the model's text. Each letter keeps its own buffer per thread, valid
// until the same thread asks for that letter again.
const char* loss_note_D(int i);
const char* loss_note_R(int i);
const char* loss_note_Z(int i);
const char* loss_note_P(int i);
const char* loss_note_S(int i);
const char* loss_note_N(int i);
const char* loss_note_V(int i);
const char* loss_note_B(int i);

// Cuts the note between "<note>" and "</note>" out of a 200-character
// description buffer in place: blanks and tabs inside the tags dropped,
// apostrophes turned into backquotes. Without "</note>" the text ends at the
// buffer's 199th character. Returns the note's start inside text.
char* cut_note(char* text);
}
