// The flow-path inputs that the blade-section routines rewrite as they work:
// their pitch rule sets the pitch, the relative pitch and the blade count, and
// the stator sections widen a chord shorter than its axial width. A caller
// that wants only the section properties (results report, strength pass)
// holds a PitchInputsGuard around the calls, so the case leaves them as the
// host gave them and a second run of the same block solves the same path.
#pragma once

#include <vector>

#include "case/case_arrays.h"

namespace h2 {

class PitchInputsGuard {
public:
    explicit PitchInputsGuard(bdLocals& b) : b_(b) {
        if (!path_fits_arrays(&b) || !all_present(b.cas_t, b.cas_tb, b.cas_b, b.bld_z)) return;
        elements_ = b.cyld_ns + 1;
        streams_ = b.cyld_nr;
        for (int i = 0; i < elements_; ++i) {
            z_.push_back(b.bld_z[i]);
            for (int j = 0; j < streams_; ++j) {
                t_.push_back(b.cas_t[i][j]);
                tb_.push_back(b.cas_tb[i][j]);
                chord_.push_back(b.cas_b[i][j]);
            }
        }
    }
    ~PitchInputsGuard() {
        std::size_t k = 0;
        for (int i = 0; i < elements_; ++i) {
            b_.bld_z[i] = z_[static_cast<std::size_t>(i)];
            for (int j = 0; j < streams_; ++j, ++k) {
                b_.cas_t[i][j] = t_[k];
                b_.cas_tb[i][j] = tb_[k];
                b_.cas_b[i][j] = chord_[k];
            }
        }
    }
    PitchInputsGuard(const PitchInputsGuard&) = delete;
    PitchInputsGuard& operator=(const PitchInputsGuard&) = delete;

private:
    bdLocals& b_;
    int elements_ = 0;
    int streams_ = 0;
    std::vector<double> z_, t_, tb_, chord_;
};

}  // namespace h2
