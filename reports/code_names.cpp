#include "reports/code_names.h"

#include <cstring>

#include "case/case_arrays.h"
#include "halvorine2/loss_plugin.h"
#include "halvorine2/threading.h"

namespace {

constexpr int kFirstAnalysisTask = 10;  // cyld__VART below this selects a design task
constexpr int kNoteSize = H2_LOSS_NOTE_SIZE;

struct CodeText {
    int code;
    const char* text;
};

template <std::size_t N>
const char* look_up(const CodeText (&table)[N], int code, const char* other) {
    for (const CodeText& entry : table)
        if (entry.code == code) return entry.text;
    return other;
}

const char* built_in_fluid(int code) {
    static const char* const names[] = {"AIR", "GAS", "STEAM", "R134a", "KEROSENE", "METHANE"};
    if (code >= 0 && code < static_cast<int>(sizeof names / sizeof names[0])) return names[code];
    return nullptr;
}

// The case's fluid name field, read no further than its length: a copy that
// always ends, kept per thread.
template <std::size_t N>
const char* case_text(const char (&field)[N], char (&copy)[N + 1]) {
    std::memcpy(copy, field, N);
    copy[N] = '\0';
    return copy;
}

thread_local char fluid_copy[sizeof(bdLocals::fluidName) + 1];
thread_local char cfluid_copy[sizeof(bdLocals::cfluidName) + 1];

// One description buffer per loss letter and thread, so that a thread's eight
// texts of one element can be printed together and threads never share one.
thread_local char note_buffers[H2_LOSS_CALC_SLOTS][kNoteSize];

bool is_blank(char c) { return c == ' ' || c == '\t'; }

const char* loss_note(int slot, double* bdLocals::*selector, int i) {
    char* buffer = note_buffers[slot];
    std::strcpy(buffer, "fixed");
    const bdLocals* b = get_bdLocals();
    if (b == nullptr || !h2::allocated_element(b, i)) return buffer;
    const double* selectors = b->*selector;
    const LossEntry* notes = b->LossSlots[slot + H2_LOSS_NOTE_OFFSET];
    if (selectors == nullptr || notes == nullptr || selectors[i] == 0.0 || notes[i] == nullptr) return buffer;
    reinterpret_cast<LossNoteFunc>(notes[i])(kNoteSize, buffer);
    return cut_note(buffer);
}

}  // namespace

extern "C" {

const char* task_name(int code) {
    static const CodeText table[] = {
        {1, "Inverse for given Cz_"},
        {2, "Inverse for given l2"},
        {10, "Find outlet PRESSURE for given MFR, twist fixed"},
        {100, "Find outlet PRESSURE for given MFR, twist parameterized"},
        {20, "Find of MFR for given outlet PRESSURE, twist fixed"},
        {200, "Find MFR for given outlet PRESSURE, twist parameterized"},
        {30, "Find inlet total PRESSURE for given MFR, twist fixed"},
        {300, "Find inlet total PRESSURE for given MFR, twist parameterized"},
        {40, "Find gauging angles for given MFR, twist fixed"},
        {400, "Find gauging angles for given MFR, twist parameterized"},
    };
    return look_up(table, code, "unknown");
}

const char* fluid_name(int code) {
    if (const char* name = built_in_fluid(code)) return name;
    const bdLocals* b = get_bdLocals();
    if (b == nullptr) return "";
    return case_text(b->fluidName, fluid_copy);
}

const char* cfluid_name(int code) {
    if (const char* name = built_in_fluid(code)) return name;
    const bdLocals* b = get_bdLocals();
    if (b == nullptr) return "";
    return case_text(b->cfluidName, cfluid_copy);
}

const char* exit_pressure_name(int code) {
    static const CodeText table[] = {{0, "Static exit pressure"}, {1, "Total exit pressure"}};
    return look_up(table, code, "unknown");
}

const char* spec_diameter_name(int code) {
    static const CodeText table[] = {
        {0, "Specific hub diameter"}, {1, "Specific middle diameter"}, {2, "Specific tip diameter"}};
    const bdLocals* b = get_bdLocals();
    if (b == nullptr || b->cyld_VART >= kFirstAnalysisTask) return "unknown";
    return look_up(table, code, "unknown");
}

const char* streamline_adj_name(void) {
    static const CodeText table[] = {
        {0, "Fixed"}, {1, "Cubic spline 1"}, {2, "Cubic spline 2"}, {3, "NURBS"}};
    const bdLocals* b = get_bdLocals();
    if (b == nullptr) return "unknown";
    return look_up(table, b->cyld_MethodL, "unknown");
}

const char* elem_kind_name(int kind) {
    static const char* const names[] = {"duct", "blad", "vldf", "ubnd", "vout", "vlin", "desw",
                                        "holw", "hxch", "lbua", "lbad", "lbau", "lbda"};
    if (kind >= 0 && kind < static_cast<int>(sizeof names / sizeof names[0])) return names[kind];
    return "unkn";
}

const char* sect_type_name(int type) {
    static const char* const names[] = {"axl", "rad", "ang", "out"};
    if (type >= 0 && type < static_cast<int>(sizeof names / sizeof names[0])) return names[type];
    return "unkn";
}

const char* loss_note_D(int i) { return loss_note(H2_LOSS_D, &bdLocals::elem_MethodD, i); }
const char* loss_note_R(int i) { return loss_note(H2_LOSS_R, &bdLocals::elem_MethodR, i); }
const char* loss_note_Z(int i) { return loss_note(H2_LOSS_Z, &bdLocals::elem_MethodZ, i); }
const char* loss_note_P(int i) { return loss_note(H2_LOSS_P, &bdLocals::elem_MethodP, i); }
const char* loss_note_S(int i) { return loss_note(H2_LOSS_S, &bdLocals::elem_MethodS, i); }
const char* loss_note_N(int i) { return loss_note(H2_LOSS_N, &bdLocals::elem_MethodN, i); }
const char* loss_note_V(int i) { return loss_note(H2_LOSS_V, &bdLocals::elem_MethodV, i); }
const char* loss_note_B(int i) { return loss_note(H2_LOSS_B, &bdLocals::elem_MethodB, i); }

char* cut_note(char* text) {
    text[kNoteSize - 1] = '\0';
    char* open = std::strstr(text, "<note>");
    char* close = std::strstr(text, "</note>");
    char* start = text;
    if (open != nullptr) {
        start = open + 6;
        while (is_blank(*start)) ++start;
    }
    char* end;
    if (close != nullptr) {
        end = close;
        while (end > text && is_blank(end[-1])) --end;
        *end = '\0';
    } else {
        end = text + std::strlen(text);  // the cut at the buffer's last character above
    }
    if (end < start) {
        text[0] = '\0';
        return text;
    }
    for (char* p = start; p < end; ++p)
        if (*p == '\'') *p = '`';
    return start;
}
}
