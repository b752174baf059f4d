// Zeroed work memory for the curve routines: small arrays live on the stack,
// so the common sizes cost no allocation; larger ones come from the heap.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdlib>
#include <memory>

namespace h2 {

template <std::size_t Inline>
class Scratch {
public:
    explicit Scratch(std::size_t count) {
        if (count <= Inline) {
            std::fill_n(inline_.begin(), count, 0.0);
            data_ = inline_.data();
        } else {
            heap_.reset(static_cast<double*>(std::calloc(count, sizeof(double))));
            data_ = heap_.get();
        }
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    // False when the heap could not supply the memory.
    bool ok() const { return data_ != nullptr; }
    double* data() { return data_; }

private:
    struct FreeDeleter {
        void operator()(double* p) const { std::free(p); }
    };
    std::array<double, Inline> inline_;
    std::unique_ptr<double, FreeDeleter> heap_;
    double* data_ = nullptr;
};

}  // namespace h2
