// Fields of the current case by parameter key. Each family's keys are indexed
// once, at compile time, in sorted order; keys are unique within a family, so a
// binary search finds the same field as a walk through the family in block order.
#include "halvorine2/params.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <string_view>

#include "case/case_arrays.h"
#include "case/case_fields.h"
#include "case/text_field.h"
#include "halvorine2/threading.h"

namespace {

using h2::KeyEntry;

template <std::size_t N>
constexpr std::array<const KeyEntry*, N> sorted_index(const std::array<KeyEntry, N>& family) {
    std::array<const KeyEntry*, N> index{};
    for (std::size_t i = 0; i < N; ++i) index[i] = &family[i];
    std::sort(index.begin(), index.end(), [](const KeyEntry* a, const KeyEntry* b) {
        return std::string_view(a->key) < std::string_view(b->key);
    });
    return index;
}

constexpr auto kTextIndex = sorted_index(h2::kTextKeys);
constexpr auto kIntegerIndex = sorted_index(h2::kIntegerKeys);
constexpr auto kScalarIndex = sorted_index(h2::kScalarKeys);
constexpr auto kElementIndex = sorted_index(h2::kElementKeys);
constexpr auto kRowIndex = sorted_index(h2::kRowKeys);
constexpr auto kThreeIndex = sorted_index(h2::kThreeKeys);

template <std::size_t N>
const KeyEntry* find(const std::array<const KeyEntry*, N>& index, const char* key) {
    if (key == nullptr) return nullptr;
    const std::string_view k(key);
    auto it = std::lower_bound(index.begin(), index.end(), k, [](const KeyEntry* e, std::string_view v) {
        return std::string_view(e->key) < v;
    });
    return (it != index.end() && k == (*it)->key) ? *it : nullptr;
}

// The current case and the field of a key, or nothing.
template <class T, std::size_t N>
T* field(const std::array<const KeyEntry*, N>& index, const char* key, bdLocals** out_block = nullptr) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr) return nullptr;
    const KeyEntry* e = find(index, key);
    if (e == nullptr) return nullptr;
    if (out_block) *out_block = b;
    return h2::field_at<T>(b, e->offset);
}

// Element i of a per-element array, when the array and the index are good.
double* element_slot(const char* key, int i) {
    bdLocals* b = nullptr;
    double** f = field<double*>(kElementIndex, key, &b);
    if (f == nullptr || *f == nullptr || !h2::allocated_element(b, i)) return nullptr;
    return &(*f)[i];
}

double* row_slot(const char* key, int i, int j) {
    bdLocals* b = nullptr;
    double*** f = field<double**>(kRowIndex, key, &b);
    if (f == nullptr || *f == nullptr || !h2::allocated_element(b, i) || !h2::allocated_stream(b, j))
        return nullptr;
    double* row = (*f)[i];
    return row ? &row[j] : nullptr;
}

// The three-index tables are made outside the array set; their third extent is
// the section's point count when that table exists.
double* three_slot(const char* key, int i, int j, int k) {
    bdLocals* b = nullptr;
    double**** f = field<double***>(kThreeIndex, key, &b);
    if (f == nullptr || *f == nullptr || !h2::allocated_element(b, i) || !h2::allocated_stream(b, j) || k < 0)
        return nullptr;
    if (b->prof_nPoints && b->prof_nPoints[i] && k >= static_cast<int>(b->prof_nPoints[i][j])) return nullptr;
    double** section = (*f)[i];
    if (section == nullptr || section[j] == nullptr) return nullptr;
    return &section[j][k];
}

// A host may read progress fields or set need_abort while a run thread works
// on the same block: scalar keys are read and written as relaxed atomics.
template <class T>
T relaxed_load(T& v) {
    return std::atomic_ref<T>(v).load(std::memory_order_relaxed);
}
template <class T>
void relaxed_store(T& v, T value) {
    std::atomic_ref<T>(v).store(value, std::memory_order_relaxed);
}

const KeyEntry* settable_integer(const char* key) {
    const KeyEntry* e = find(kIntegerIndex, key);
    return (e && e->settable) ? e : nullptr;
}

}  // namespace

extern "C" {

char* get_char_par(const char* key) { return field<char>(kTextIndex, key); }

int get_int_par(const char* key) {
    std::int32_t* v = field<std::int32_t>(kIntegerIndex, key);
    return v ? relaxed_load(*v) : H2_UNKNOWN_INT;
}

double get_double_par0(const char* key) {
    if (key == nullptr) return H2_UNKNOWN_DOUBLE;
    double sign = 1.0;
    if (key[0] == '-') {
        sign = -1.0;
        ++key;
    } else if (key[0] == '+') {
        ++key;
    }
    double* v = field<double>(kScalarIndex, key);
    return v ? sign * relaxed_load(*v) : H2_UNKNOWN_DOUBLE;
}

int* get_int_ptr(const char* key) {
    bdLocals* b = get_bdLocals();
    const KeyEntry* e = settable_integer(key);
    return (b && e) ? h2::field_at<int>(b, e->offset) : nullptr;
}

double* get_double_ptr0(const char* key) { return field<double>(kScalarIndex, key); }

double* get_double_ptr1(const char* key) {
    double** f = field<double*>(kElementIndex, key);
    return f ? *f : nullptr;
}

double** get_double_ptr2(const char* key) {
    double*** f = field<double**>(kRowIndex, key);
    return f ? *f : nullptr;
}

double*** get_double_ptr3(const char* key) {
    double**** f = field<double***>(kThreeIndex, key);
    return f ? *f : nullptr;
}

double get_double_par1(const char* key, int i) {
    const double* v = element_slot(key, i);
    return v ? *v : H2_UNKNOWN_DOUBLE;
}

double get_double_par2(const char* key, int i, int j) {
    const double* v = row_slot(key, i, j);
    return v ? *v : H2_UNKNOWN_DOUBLE;
}

double get_double_par3(const char* key, int i, int j, int k) {
    const double* v = three_slot(key, i, j, k);
    return v ? *v : H2_UNKNOWN_DOUBLE;
}

int set_char_par(const char* key, const char* text) {
    bdLocals* b = get_bdLocals();
    const KeyEntry* e = find(kTextIndex, key);
    if (b == nullptr || e == nullptr || text == nullptr) return 1;
    h2::copy_text(h2::field_at<char>(b, e->offset), e->length, text);
    return 0;
}

int set_int_par(const char* key, int value) {
    int* p = get_int_ptr(key);
    if (p == nullptr) return 1;
    relaxed_store(*p, value);
    return 0;
}

int set_double_par0(const char* key, double value) {
    double* p = get_double_ptr0(key);
    if (p == nullptr) return 1;
    relaxed_store(*p, value);
    return 0;
}

int set_double_par1(const char* key, int i, double value) {
    double* p = element_slot(key, i);
    if (p == nullptr) return 1;
    *p = value;
    return 0;
}

int set_double_par2(const char* key, int i, int j, double value) {
    double* p = row_slot(key, i, j);
    if (p == nullptr) return 1;
    *p = value;
    return 0;
}

int set_double_par3(const char* key, int i, int j, int k, double value) {
    double* p = three_slot(key, i, j, k);
    if (p == nullptr) return 1;
    *p = value;
    return 0;
}
}
