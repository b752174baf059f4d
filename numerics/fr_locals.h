// Per-thread work block of the conjugate-gradient search. It also carries a
// copy of the case's output switch and dump stream, so that the search prints
// its progress where the rest of the case's output goes.
#pragma once

#include <cstdint>
#include <cstdio>

namespace h2 {

// A loaded case may have 100 elements, and the inverse tasks search over the
// element count plus 1 or 2 values: 103 at most.
inline constexpr int kSearchMaxVars = 104;

struct frLocals {
    std::int32_t I;              // iterations of the current (or last) search
    std::int32_t NF;             // objective evaluations of the current search
    std::int32_t n;              // number of variables
    double* x;                   // the caller's point, changed in place
    double xt[kSearchMaxVars];   // base point of the current iteration
    double dir[kSearchMaxVars];  // unit search direction
    double FH;                   // last objective value
    double (*func)(double*);     // the objective
    std::int32_t outDst;         // copy of the case's outDst
    std::FILE* dump;             // copy of the case's dump stream, or NULL
};

}  // namespace h2

extern "C" {
// Thread slot of the block: 0 when a slot exists afterwards, 1 when none can be had.
int fr_init_threading(void);
// Frees the calling thread's block and the slot. Always 0.
int fr_end_threading(void);
// A fresh zero-filled block for the calling thread (its previous one is freed); NULL on failure.
h2::frLocals* fr_alloc(void);
// 1 stored; 0 without a slot or for NULL.
int fr_set(h2::frLocals* block);
h2::frLocals* get_frLocals(void);
}
