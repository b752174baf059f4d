// Internal side of the case's array set.
#pragma once

#include "case/case_fields.h"
#include "halvorine2/case_data.h"

#include <algorithm>
#include <cstdint>

namespace h2 {

// The extents the arrays were made for, kept apart from elem_count (which a
// copy into a larger block lowers) so that every index can be checked against
// the memory that really exists. Whoever makes or replaces arrays sets them.
inline void set_allocated_extents(bdLocals* b, int N, int NI) {
    b->alloc_elems = static_cast<std::int16_t>(std::clamp(N, 0, INT16_MAX));
    b->alloc_streams = static_cast<std::int16_t>(std::clamp(NI, 0, INT16_MAX));
}

// i is an element and j a streamline of the arrays.
inline bool allocated_element(const bdLocals* b, int i) { return i >= 0 && i < b->alloc_elems; }
inline bool allocated_stream(const bdLocals* b, int j) { return j >= 0 && j < b->alloc_streams; }

// The case's counts (elements 0..cyld__ns, streamlines 0..cyld__nr-1) lie
// inside its arrays, so walking the flow path reads only memory that exists.
inline bool path_fits_arrays(const bdLocals* b) {
    return b->cyld_ns >= 0 && b->cyld_ns < b->alloc_elems && b->cyld_nr >= 0 &&
           b->cyld_nr <= b->alloc_streams;
}

// Element e takes the header's model method switches (profile, secondary,
// trailing-edge, deviation, leakage, disk and blockage methods).
inline void copy_method_switches(bdLocals& b, int e) {
    b.elem_MethodP[e] = b.cyld_MethodP;
    b.elem_MethodS[e] = b.cyld_MethodS;
    b.elem_MethodN[e] = b.cyld_MethodN;
    b.elem_MethodV[e] = b.cyld_MethodV;
    b.elem_MethodR[e] = b.cyld_MethodR;
    b.elem_MethodD[e] = b.cyld_MethodD;
    b.elem_MethodB[e] = b.cyld_MethodB;
}

// The array held in a per-element or per-element-and-streamline field.
inline double*& element_array(bdLocals* b, const FieldInfo& f) { return *field_at<double*>(b, f.offset); }
inline double**& row_table(bdLocals* b, const FieldInfo& f) { return *field_at<double**>(b, f.offset); }

// A zero-filled array of n doubles, counted in allocated1; NULL for n < 0.
double* alloc_elem_array(bdLocals* b, int n);
// N rows of NI doubles; allocated1 ends at the number of rows made, and
// allocated2 counts the table when every row exists. NULL for N < 0.
double** alloc_elem_matrix(bdLocals* b, int N, int NI);

// Every array pointer given is present.
template <class... P>
bool all_present(const P*... arrays) {
    return ((arrays != nullptr) && ...);
}

// While an analysis solves case b its arrays stay the ones it started with:
// the solve checks them once and the steps it runs every iteration take
// has_every_array(b) as shown, for as long as b keeps the counts it had,
// rather than walk every array of the set again. The scope holds only when
// the check passes; scopes nest and belong to the thread that opened them.
class ArraysCheckedScope {
public:
    explicit ArraysCheckedScope(const bdLocals* b);
    ~ArraysCheckedScope();
    ArraysCheckedScope(const ArraysCheckedScope&) = delete;
    ArraysCheckedScope& operator=(const ArraysCheckedScope&) = delete;

    struct Checked {
        const bdLocals* b = nullptr;
        int ns = 0, alloc_elems = 0;
    };

private:
    Checked outer_;
};

// True when any array of the set, a loss slot array or the grid is present.
bool has_any_array(const bdLocals* b);
// True when every array of the set exists, each element array and every row
// of each per-element-and-streamline table for elements 0..cyld__ns.
bool has_every_array(const bdLocals* b);
// Frees whatever arrays remain, without counting or messages; used after the
// counted release could not finish, so nothing is left behind.
void sweep_arrays(bdLocals* b);

}  // namespace h2
