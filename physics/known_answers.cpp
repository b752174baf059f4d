#include "physics/known_answers.h"

namespace h2 {

void SpreadAnswers::start(const bdLocals& b) {
    b_ = &b;
    f_ = b.fluid_func;
    ns_ = b.cyld_ns;
    nr_ = b.cyld_nr;
    answers_.assign(static_cast<std::size_t>(ns_ + 1) * static_cast<std::size_t>(nr_ > 0 ? nr_ : 0), {});
}

SpreadAnswer* SpreadAnswers::at(const bdLocals& b, int i, int j) {
    if (b_ == nullptr || &b != b_ || i < 0 || i > ns_ || j < 0 || j >= nr_) return nullptr;
    return &answers_[static_cast<std::size_t>(i) * nr_ + j];
}

const SpreadAnswer* SpreadAnswers::of(const bdLocals& b, int i, int j) const {
    if (b_ == nullptr || &b != b_ || b.fluid_func != f_ || b.cyld_ns != ns_ || b.cyld_nr != nr_) return nullptr;
    if (i < 0 || i > ns_ || j < 0 || j >= nr_) return nullptr;
    return &answers_[static_cast<std::size_t>(i) * nr_ + j];
}

SpreadAnswers& spread_answers() {
    thread_local SpreadAnswers answers;
    return answers;
}

}  // namespace h2
