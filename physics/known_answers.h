// Answers the main fluid has already given, kept with their questions.
//
// Asked again with the same arguments, bit for bit, the fluid gives the same
// answer. The steps after an element's flow solve ask again for states that
// the outlet-speed search, the spanwise spread or their own earlier steps
// have just asked: they take the answer kept instead of a second call.
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

#include "halvorine2/case_block.h"

namespace h2 {

// An answer for one property code at an element, with its two arguments.
struct KnownAnswer {
    double x = 0.0, y = 0.0, value = 0.0;
    bool set = false;

    bool holds(double a, double b) const {
        return set && std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(x) &&
               std::bit_cast<std::uint64_t>(b) == std::bit_cast<std::uint64_t>(y);
    }
};

// Where answers were asked: the case, element and streamline (kWholeElement
// for answers kept per streamline of the element) and the fluid function
// that gave them. Answers of another site are no answers.
struct AnswerSite {
    static constexpr int kWholeElement = -1;
    const bdLocals* b = nullptr;
    int i = -1, j = kWholeElement;
    FluidFunc f = nullptr;

    static AnswerSite at(const bdLocals& c, int e, int k = kWholeElement) { return {&c, e, k, c.fluid_func}; }
    bool is(const bdLocals& c, int e, int k = kWholeElement) const {
        return b == &c && i == e && j == k && f == c.fluid_func;
    }
};

// What the spanwise spread of a mean-line element asked at streamline j:
// temperature and speed of sound at the inlet (p1, i1), temperature at the
// outlet (p2, i2) and at its totals (p2x, i2x).
struct SpreadAnswer {
    KnownAnswer T1, a1, T2, T2x;
};

// The spread's answers of a pass of this thread over case b, from the
// spread to the whole-path results of one solver iteration: nothing in
// between sets the fluid up again. Outside a pass nothing is kept or given.
class SpreadAnswers {
public:
    // Starts a pass over b (its counts and fluid as they are now).
    void start(const bdLocals& b);
    // Ends the pass.
    void stop() { b_ = nullptr; }
    // The slot of element i, streamline j of the pass under way.
    SpreadAnswer* at(const bdLocals& b, int i, int j);
    // The answers for element i, streamline j when the pass under way is
    // over b with the same counts and fluid; nullptr otherwise.
    const SpreadAnswer* of(const bdLocals& b, int i, int j) const;

private:
    const bdLocals* b_ = nullptr;
    FluidFunc f_ = nullptr;
    int ns_ = -1, nr_ = 0;
    std::vector<SpreadAnswer> answers_;
};

SpreadAnswers& spread_answers();

}  // namespace h2
