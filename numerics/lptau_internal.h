// Direction numbers of the LPtau generators, for the generators and their tests.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

namespace h2 {

inline constexpr int kLptDims = 40;       // dimensions of the 40-dimensional generator
inline constexpr int kLpt40Columns = 30;  // direction columns: the bit length of the index limit 2^30 - 1
inline constexpr int kLpt20Dims = 20;     // dimensions of the 20-dimensional generator
inline constexpr int kLpt20Columns = 16;  // its 16-bit words

// Number of significant bits of v (0 for 0).
constexpr int lpt_bitlen(std::uint32_t v) { return static_cast<int>(std::bit_width(v)); }
// 1-based position of the lowest zero bit of v: 1 for an even v, 2 for 1, 3 for 3.
constexpr int lpt_lowzero(std::uint32_t v) { return std::countr_one(v) + 1; }

// Numerators m[d][k] (d = 1..40, k = 1..30; index 0 unused): Sobol's
// recurrence on the primitive polynomials from Bratley and Fox's initial values.
using LptNumerators = std::array<std::array<std::uint32_t, kLpt40Columns + 1>, kLptDims + 1>;
const LptNumerators& lpt_numerators();

// The 20-dimensional generator's stored numerators m[d][k], d = 1..20,
// k = 1..16: those of lpt_numerators() except for the one entry in which the
// stored table has always differed, dimension 18, m_12 = 2381 (the
// recurrence gives 2881).
using Lpt20Numerators = std::array<std::array<std::uint32_t, kLpt20Columns + 1>, kLpt20Dims + 1>;
const Lpt20Numerators& lpt20_numerators();

}  // namespace h2
