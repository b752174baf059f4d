// Field table of the case block, generated from case_fields.def, and the key
// families that parameter access, the data file and the layout checks share.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "halvorine2/case_block.h"

namespace h2 {

enum class FieldKind : std::uint8_t {
    TEXT,
    TEXTN,
    I32,
    I32RO,
    I32N,
    I32V,
    I16N,
    F64,
    F64N,
    F64V,
    F64TAB,
    ARR1,
    ARR1N,
    ARR2,
    ARR2N,
    ARR2U,
    ARR3,
    PTR,
    WORD,
    PEER,
    MATCURVE,
    FLUIDFN,
    LOSSSLOTS,
    HOOK,
    STREAM,
    UNITS,
    GRID,
    BYTES,
};

// The families of keyed fields, one accessor set each.
enum class KeyFamily : std::uint8_t { None, Text, Integer, Scalar, Element, Rows, Three };

constexpr KeyFamily family_of(FieldKind k) {
    switch (k) {
        case FieldKind::TEXT:
            return KeyFamily::Text;
        case FieldKind::I32:
        case FieldKind::I32RO:
            return KeyFamily::Integer;
        case FieldKind::F64:
            return KeyFamily::Scalar;
        case FieldKind::ARR1:
            return KeyFamily::Element;
        case FieldKind::ARR2:
        case FieldKind::ARR2U:
            return KeyFamily::Rows;
        case FieldKind::ARR3:
            return KeyFamily::Three;
        default:
            return KeyFamily::None;
    }
}

// Arrays that the case's array set allocates and releases: per element, and
// per element and streamline. ARR2U and ARR3 fields are keyed but owned elsewhere.
constexpr bool is_element_array(FieldKind k) { return k == FieldKind::ARR1 || k == FieldKind::ARR1N; }
constexpr bool is_row_array(FieldKind k) { return k == FieldKind::ARR2 || k == FieldKind::ARR2N; }

// Size of a field in the 32-bit layout, where pointers and words are 4 bytes.
constexpr std::uint32_t size32_of(FieldKind k, std::uint32_t count) {
    switch (k) {
        case FieldKind::TEXT:
        case FieldKind::TEXTN:
        case FieldKind::BYTES:
            return count;
        case FieldKind::I32V:
            return 4 * count;
        case FieldKind::I16N:
            return 2;
        case FieldKind::F64:
        case FieldKind::F64N:
            return 8;
        case FieldKind::F64V:
            return 8 * count;
        case FieldKind::F64TAB:
            return 8 * 100 * 10;
        case FieldKind::MATCURVE:
            return 5 * 100 * 336;
        case FieldKind::LOSSSLOTS:
            return 4 * count;
        case FieldKind::UNITS:
            return 64 * count;
        default:
            return 4;  // i32, pointers, words
    }
}

struct FieldInfo {
    FieldKind kind;
    const char* member;
    const char* key;     // nullptr for a field without a key
    std::size_t offset;  // offset in this build
    std::size_t size;    // size in this build
    std::size_t align;   // alignment of the member's type in this build
    std::uint32_t count;
    std::uint32_t off32;   // documented 32-bit offset
    std::uint32_t size32;  // size in the 32-bit layout
};

#define NOKEY nullptr
#define H2_FIELD(kind, member, key, count, off32)  \
    FieldInfo{FieldKind::kind,                     \
              #member,                             \
              key,                                 \
              offsetof(bdLocals, member),          \
              sizeof(bdLocals::member),            \
              alignof(decltype(bdLocals::member)), \
              count,                               \
              off32,                               \
              size32_of(FieldKind::kind, count)},
inline constexpr FieldInfo kFields[] = {
#include "halvorine2/case_fields.def"
};
#undef H2_FIELD
#undef NOKEY

inline constexpr std::size_t kFieldCount = std::size(kFields);
inline constexpr std::uint32_t kBlockSize32 = 216920;

// One keyed field as parameter access sees it.
struct KeyEntry {
    const char* key;
    std::size_t offset;
    std::uint32_t length;  // text fields: capacity in bytes; else 0
    bool settable;         // false for the read-only integer keys
};

constexpr std::size_t family_size(KeyFamily f) {
    std::size_t n = 0;
    for (const auto& fi : kFields)
        if (fi.key && family_of(fi.kind) == f) ++n;
    return n;
}

template <KeyFamily F>
constexpr auto make_family() {
    std::array<KeyEntry, family_size(F)> out{};
    std::size_t i = 0;
    for (const auto& fi : kFields) {
        if (!fi.key || family_of(fi.kind) != F) continue;
        out[i++] = KeyEntry{fi.key, fi.offset, fi.kind == FieldKind::TEXT ? fi.count : 0u,
                            fi.kind != FieldKind::I32RO};
    }
    return out;
}

// Key lists per family, in block order (the order in which keys are searched).
inline constexpr auto kTextKeys = make_family<KeyFamily::Text>();
inline constexpr auto kIntegerKeys = make_family<KeyFamily::Integer>();
inline constexpr auto kScalarKeys = make_family<KeyFamily::Scalar>();
inline constexpr auto kElementKeys = make_family<KeyFamily::Element>();
inline constexpr auto kRowKeys = make_family<KeyFamily::Rows>();
inline constexpr auto kThreeKeys = make_family<KeyFamily::Three>();

// Typed address of a field inside a block.
template <class T>
inline T* field_at(bdLocals* b, std::size_t offset) {
    return reinterpret_cast<T*>(reinterpret_cast<unsigned char*>(b) + offset);
}

namespace layout_checks {

constexpr bool ordered_without_overlap() {
    for (std::size_t i = 1; i < kFieldCount; ++i)
        if (kFields[i - 1].offset + kFields[i - 1].size > kFields[i].offset) return false;
    return kFields[kFieldCount - 1].offset + kFields[kFieldCount - 1].size <= sizeof(bdLocals);
}

constexpr bool aligned() {
    for (const auto& fi : kFields)
        if (fi.offset % fi.align != 0) return false;
    return true;
}

// The documented offsets tile the 32-bit block exactly, field after field.
constexpr bool tiles_32bit_block() {
    if (kFields[0].off32 != 0) return false;
    for (std::size_t i = 1; i < kFieldCount; ++i)
        if (kFields[i - 1].off32 + kFields[i - 1].size32 != kFields[i].off32) return false;
    return kFields[kFieldCount - 1].off32 + kFields[kFieldCount - 1].size32 == kBlockSize32;
}

// Doubles start at a multiple of 8 in the 32-bit layout too.
constexpr bool doubles_on_8() {
    for (const auto& fi : kFields) {
        const bool dbl = fi.kind == FieldKind::F64 || fi.kind == FieldKind::F64N ||
                         fi.kind == FieldKind::F64V || fi.kind == FieldKind::F64TAB ||
                         fi.kind == FieldKind::UNITS;
        if (dbl && fi.off32 % 8 != 0) return false;
    }
    return true;
}

constexpr std::size_t keyed_field_count() {
    std::size_t n = 0;
    for (const auto& fi : kFields)
        if (fi.key) ++n;
    return n;
}

// Sorted once, a duplicate key sits next to its twin: n log n comparisons keep
// the check well inside every compiler's constant-evaluation limits.
constexpr bool keys_unique() {
    std::array<std::string_view, keyed_field_count()> keys{};
    std::size_t n = 0;
    for (const auto& fi : kFields)
        if (fi.key) keys[n++] = fi.key;
    std::sort(keys.begin(), keys.end());
    return std::adjacent_find(keys.begin(), keys.end()) == keys.end();
}

static_assert(ordered_without_overlap(), "case block fields overlap or are out of order");
static_assert(aligned(), "case block field misaligned");
static_assert(tiles_32bit_block(), "documented offsets do not tile the 216,920-byte block");
static_assert(doubles_on_8(), "a double is not on an 8-byte boundary in the 32-bit layout");
static_assert(keys_unique(), "a key occurs twice");
static_assert(sizeof(MatCurveRecord) == 336 && offsetof(MatCurveRecord, factor) == 8 &&
                  offsetof(MatCurveRecord, temperature) == 16 && offsetof(MatCurveRecord, value) == 176,
              "material curve record moved");
static_assert(kTextKeys.size() == 13);
static_assert(kIntegerKeys.size() == 45);
static_assert(kScalarKeys.size() == 79);
static_assert(kElementKeys.size() == 299);
static_assert(kRowKeys.size() == 180);
static_assert(kThreeKeys.size() == 2);

constexpr int count_kind(bool (*pred)(FieldKind)) {
    int n = 0;
    for (const auto& fi : kFields)
        if (pred(fi.kind)) ++n;
    return n;
}
static_assert(count_kind(is_element_array) == H2_COUNT_PARAM1, "per-element array set is not complete");
static_assert(count_kind(is_row_array) == H2_COUNT_PARAM2,
              "per-element-and-streamline array set is not complete");

}  // namespace layout_checks

}  // namespace h2
