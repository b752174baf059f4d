// Velocity triangle pieces that the mean-line element solvers share.
#pragma once

#include "halvorine2/case_block.h"

namespace h2 {

// Outlet of an angular section at the speed w on streamline m: the whole
// speed is circumferential, nothing passes axially. Returns the normal speed,
// the circumferential one.
inline double angular_outlet(bdLocals& b, int i, int m, double w) {
    b.flow_c2u[i][m] = w;
    b.flow_c2s[i][m] = 0.0;
    b.flow_c2z[i][m] = 0.0;
    b.elem_cz_[i] = 0.0;
    b.flow_c1z[i][m] = 0.0;
    return b.flow_c2u[i][m];
}

}  // namespace h2
