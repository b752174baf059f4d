// Internal side of the flow-file writers: the bounded line formatter and the
// element kind table the schema files classify elements by.
#pragma once

#include <cstddef>

namespace h2 {

// Size of the line buffers the writers give fput_fmt.
inline constexpr std::size_t kLineSize = 2000;

// Formats into a scratch buffer of this call and copies the text to dest, so
// that dest may be one of the arguments. The text is cut at kLineSize - 1
// characters; dest must hold kLineSize bytes. Returns the length copied.
int fput_fmt(char* dest, const char* format, ...) __attribute__((format(printf, 2, 3)));

struct ElemKindRecord {
    int number;    // schema element kind, 1..23
    int elemKind;  // elem__stagType
    int sectType;  // elem__sectType
    int expanding;
    double slopeIn;   // degrees
    double slopeOut;  // degrees
    int rotation;     // 0 stationary, 1 rotating, 2 either
    char name[80];
    int values;  // values in the element's data row
};
static_assert(sizeof(ElemKindRecord) == 120);

inline constexpr int kElemKinds = 23;
extern const ElemKindRecord elem_kind_table[kElemKinds];

// The schema kind number of an element, 0 when no record fits.
int match_elem_kind(int elemKind, int sectType, double slopeIn, double slopeOut, int rotating, int expanding,
                    int index);

// Upper-case texts of an element's kind and section type; "UNKNOWN" outside the tables.
const char* elem_kind_text(double stagType);
const char* sect_type_text(double sectType);

}  // namespace h2
