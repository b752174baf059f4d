#include "physics/angle_mask.h"

#include <cmath>

#include "case/case_arrays.h"
#include "halvorine2/threading.h"

extern "C" double ang_mask_apply(int i, double a) {
    const bdLocals* c = get_bdLocals();
    // A missing case, array or element would be read through NULL or past the array.
    if (c == nullptr || c->AngMask == nullptr || !h2::allocated_element(c, i)) return a;
    const double m = c->AngMask[i];
    if (m == 0.0 || std::isnan(m)) return a;
    const double scale = 1.0 + c->ang_mask_factor * m;
    // Angles past 90 degrees measure the turning from the other side.
    return a >= 90.0 ? 180.0 - (180.0 - a) * scale : a * scale;
}
