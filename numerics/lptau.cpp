// Sobol's LPtau sequences with Bratley and Fox's direction numbers
// (ACM Algorithm 659): a 40-dimensional generator in Gray-code order and a
// 20-dimensional one in natural order.
#include "halvorine2/lptau.h"

#include <atomic>
#include <cfenv>
#include <optional>

#include "numerics/lptau_internal.h"
#include "platform/fpenv.h"

namespace h2 {

namespace {

// Primitive polynomials over GF(2), P_d for d = 1..40, written as binary
// numbers: degree s = bit length - 1, inner digits a_1..a_(s-1) from the top.
constexpr std::array<std::uint32_t, kLptDims + 1> kPolynomials = {
    0,   1,   3,   7,   11,  13,  19,  25,  37,  59,  47,  61,  55,  41,  67,  97,  91,  109, 103, 115, 131,
    193, 137, 145, 143, 241, 157, 185, 167, 229, 171, 213, 191, 253, 203, 211, 239, 247, 285, 369, 299};

// Bratley and Fox's initial numerators m_k, each list for the dimensions from
// the first whose polynomial has degree k onwards (m_1 = 1 everywhere).
constexpr std::array<std::uint32_t, 38> kM2 = {1, 3, 1, 3, 1, 3, 3, 1, 3, 1, 3, 1, 3, 1, 1, 3, 1, 3, 1,
                                               3, 1, 3, 3, 1, 3, 1, 3, 1, 3, 1, 1, 3, 1, 3, 1, 3, 1, 3};
constexpr std::array<std::uint32_t, 37> kM3 = {7, 5, 1, 3, 3, 7, 5, 5, 7, 7, 1, 3, 3, 7, 5, 1, 1, 5, 3,
                                               3, 1, 7, 5, 1, 3, 3, 7, 5, 1, 1, 5, 7, 7, 5, 1, 3, 3};
constexpr std::array<std::uint32_t, 35> kM4 = {1, 7, 9,  13, 11, 1,  3, 7, 9,  5, 13, 13, 11, 3, 15, 5, 3, 15,
                                               7, 9, 13, 9,  1,  11, 7, 5, 15, 1, 15, 11, 5,  3, 1,  7, 9};
constexpr std::array<std::uint32_t, 33> kM5 = {9,  3,  27, 15, 29, 21, 23, 19, 11, 25, 7,
                                               13, 17, 1,  25, 29, 3,  31, 11, 5,  23, 27,
                                               19, 21, 5,  1,  17, 13, 7,  15, 9,  31, 9};
constexpr std::array<std::uint32_t, 27> kM6 = {37, 33, 7,  5, 11, 39, 63, 27, 17, 15, 23, 29, 3, 21,
                                               13, 31, 25, 9, 49, 33, 19, 29, 11, 19, 27, 15, 25};
constexpr std::array<std::uint32_t, 21> kM7 = {13, 35, 115, 41, 79, 17,  29, 119, 75, 73, 105,
                                               7,  59, 65,  21, 3,  113, 61, 89,  45, 107};
constexpr std::array<std::uint32_t, 3> kM8 = {7, 23, 39};

constexpr int degree_of(std::uint32_t polynomial) { return lpt_bitlen(polynomial) - 1; }

template <std::size_t N>
constexpr void put_given(LptNumerators& m, int k, const std::array<std::uint32_t, N>& values) {
    const int first_dim = kLptDims + 1 - static_cast<int>(N);
    for (std::size_t i = 0; i < N; ++i) m[first_dim + i][k] = values[i];
}

constexpr LptNumerators make_numerators() {
    LptNumerators m{};
    for (int d = 1; d <= kLptDims; ++d) m[d][1] = 1;
    put_given(m, 2, kM2);
    put_given(m, 3, kM3);
    put_given(m, 4, kM4);
    put_given(m, 5, kM5);
    put_given(m, 6, kM6);
    put_given(m, 7, kM7);
    put_given(m, 8, kM8);

    for (int k = 2; k <= kLpt40Columns; ++k) m[1][k] = 1;  // dimension 1: the van der Corput sequence
    for (int d = 2; d <= kLptDims; ++d) {
        const int s = degree_of(kPolynomials[d]);
        // Sobol's recurrence: m_k = 2 a_1 m_(k-1) ^ 4 a_2 m_(k-2) ^ ... ^ 2^(s-1) a_(s-1) m_(k-s+1)
        //                            ^ 2^s m_(k-s) ^ m_(k-s).
        for (int k = s + 1; k <= kLpt40Columns; ++k) {
            std::uint32_t v = m[d][k - s] ^ (m[d][k - s] << s);
            for (int i = 1; i < s; ++i) {
                const bool a_i = (kPolynomials[d] >> (s - i)) & 1u;
                if (a_i) v ^= m[d][k - i] << i;
            }
            m[d][k] = v;
        }
    }
    return m;
}

constexpr LptNumerators kNumerators = make_numerators();

// The stored 20-dimensional table has always differed from the recurrence in
// this one entry; the stage searches' design points depend on it, so it stays.
constexpr int kPatchedDim = 18;
constexpr int kPatchedColumn = 12;
constexpr std::uint32_t kPatchedValue = 2381;

constexpr Lpt20Numerators make_lpt20_numerators() {
    Lpt20Numerators t{};
    for (int d = 1; d <= kLpt20Dims; ++d) {
        for (int k = 1; k <= kLpt20Columns; ++k) t[d][k] = kNumerators[d][k];
    }
    t[kPatchedDim][kPatchedColumn] = kPatchedValue;
    return t;
}

constexpr Lpt20Numerators kLpt20Numerators = make_lpt20_numerators();

// Known values that pin the construction down.
static_assert(kNumerators[2][2] == 3 && kNumerators[2][3] == 5 && kNumerators[2][4] == 15);
static_assert(kNumerators[3][3] == 7 && kNumerators[3][4] == 11);
static_assert(kNumerators[kPatchedDim][kPatchedColumn] == 2881);
static_assert(kLpt20Numerators[kPatchedDim][kPatchedColumn] == 2381);

// Direction words of the 40-dimensional generator: V_j[d] = m_j 2^(30 - j),
// the numerator as a binary fraction with 30 bits. Stored by column, so that
// the step to the next point XORs one contiguous row of words.
using Words40 = std::array<std::array<std::uint32_t, kLptDims + 1>, kLpt40Columns + 1>;
constexpr Words40 make_words40() {
    Words40 V{};
    for (int j = 1; j <= kLpt40Columns; ++j) {
        for (int d = 1; d <= kLptDims; ++d) V[j][d] = kNumerators[d][j] << (kLpt40Columns - j);
    }
    return V;
}
constexpr Words40 kV = make_words40();
constexpr double kScale40 = 1.0 / (1u << kLpt40Columns);  // 2^-30

// Indices up to 2^30 - 2 have their Gray code within the 30 columns; the
// last index of a chain is one less than the limit 2^30 - 1.
constexpr std::uint32_t kIndexLimit = (1u << kLpt40Columns) - 1;

// 16-bit direction words of the 20-dimensional generator: D[d][k] = m_k 2^(16 - k).
using Words20 = std::array<std::array<std::uint32_t, kLpt20Columns + 1>, kLpt20Dims + 1>;
constexpr Words20 make_words20() {
    Words20 D{};
    for (int d = 1; d <= kLpt20Dims; ++d) {
        for (int k = 1; k <= kLpt20Columns; ++k) D[d][k] = kLpt20Numerators[d][k] << (kLpt20Columns - k);
    }
    return D;
}
constexpr Words20 kD = make_words20();
static_assert(kD[1][1] == 32768);
constexpr double kScale20 = 1.0 / 65536.0;  // 2^-16
constexpr std::uint32_t kLow16 = 0xFFFFu;

// State of the 40-dimensional generator, one per thread: a shared chain
// served two concurrent searches each other's points.
struct Lpt40State {
    bool built = false;
    int dims = 0;
    // Index served last; while chain_valid, lastq holds the words of point
    // last + 1 for dimensions 1..dims.
    std::uint32_t last = 0;
    bool chain_valid = false;
    std::array<std::uint32_t, kLptDims + 1> lastq{};
};
thread_local Lpt40State g_lpt40;

std::atomic<bool> g_lpt20_ready{false};

// The generator works with all floating-point exceptions masked and rounding
// to nearest, whatever the host has set, and leaves the host's setting as it
// found it. Saving and restoring the whole environment costs several times
// a point, so it is done only when the host's setting differs; the common
// case costs two reads of the control words. (Its arithmetic is exact and in
// SSE registers, so the x87 precision plays no part.)
bool needs_own_environment() { return std::fegetround() != FE_TONEAREST || fegetexcept() != 0; }

// The words of point s: walking the chain 0 .. s-1 XORs V[lowzero(k)] for
// each k, which leaves exactly the columns of the bits of s's Gray code.
void chain_words(std::uint32_t s, int dims) {
    const std::uint32_t gray = s ^ (s >> 1);
    for (int d = 1; d <= dims; ++d) {
        std::uint32_t q = 0;
        for (std::uint32_t bits = gray; bits != 0; bits &= bits - 1) q ^= kV[std::countr_zero(bits) + 1][d];
        g_lpt40.lastq[d] = q;
    }
}

}  // namespace

const LptNumerators& lpt_numerators() { return kNumerators; }
const Lpt20Numerators& lpt20_numerators() { return kLpt20Numerators; }

}  // namespace h2

extern "C" {

int LPT40point(int* s, int dim, double* x) {
    using namespace h2;
    if (s == nullptr || x == nullptr) return -1;
    std::optional<platform::FpEnvironmentGuard> guard;
    if (needs_own_environment()) guard.emplace();
    Lpt40State& g = g_lpt40;

    if (!g.built || dim != g.dims) {
        if (dim < 2 || dim > kLptDims) {
            g.built = false;
            return 1;
        }
        g.built = true;
        g.dims = dim;
        // The words kept so far belong to other dimensions, or to no point at
        // all before the first call: continuing from them would serve wrong points.
        g.chain_valid = false;
    }

    if (*s < 0) *s = 0;
    const auto index = static_cast<std::uint32_t>(*s);
    const int column = lpt_lowzero(index);
    // Past the limit the chain would need columns beyond the table.
    if (index >= kIndexLimit || column >= kLpt40Columns) return 2;

    // In sequence the chain already holds this point; any other index is
    // placed from its Gray code, which is where walking the chain would lead.
    if (!(g.chain_valid && index == g.last + 1)) chain_words(index, dim);

    const auto& step = kV[column];
    for (int d = 1; d <= dim; ++d) {
        x[d - 1] = g.lastq[d] * kScale40;
        g.lastq[d] ^= step[d];  // one XOR per dimension to the next point
    }
    g.last = index;
    g.chain_valid = true;
    *s = static_cast<int>(index) + 1;
    return 0;
}

int LPT40init(void) {
    // Built for two dimensions, served once and reset again, so that the next
    // LPT40point rebuilds for its own dimension; the reset's 1 is the result.
    h2::g_lpt40.built = false;
    int local = 1;
    double unused[2];
    LPT40point(&local, 2, unused);
    return LPT40point(&local, 0, unused);
}

void LPT20init(void) { h2::g_lpt20_ready.store(true, std::memory_order_release); }

void LPT20point(std::uint32_t i, int dim, double* x) {
    using namespace h2;
    // Dimensions above 20 have no row in the table: writing nothing is safer
    // than reading past it.
    if (x == nullptr || dim > kLpt20Dims) return;
    const bool ready = g_lpt20_ready.load(std::memory_order_acquire);
    const std::uint32_t bits16 = i & kLow16;
    for (int d = 1; d <= dim; ++d) {
        std::uint32_t w = 0;
        if (ready) {
            for (std::uint32_t bits = bits16; bits != 0; bits &= bits - 1)
                w ^= kD[d][std::countr_zero(bits) + 1];
        }
        x[d - 1] = w * kScale20;
    }
}
}
