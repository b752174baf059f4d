// Gravity heads across and between elements.
#include "solver/gravity_head.h"

#include "case/current_case.h"
#include "case/walkers_internal.h"
#include "halvorine2/threading.h"

namespace {

constexpr double kGravity = 9.81;  // m/s^2

// Height difference sign of a disposition: 1 counts axial positions downwards.
double axial_sign(int i) { return set_sect_disp1(i) ? -1.0 : 1.0; }

}  // namespace

extern "C" {

double grav_head_out(int i, int j) {
    const bdLocals* b = h2::current_case();
    if (b == nullptr) return 0.0;
    if (set_sect_disp0(i)) return kGravity * (b->flow_r1[i][j] - b->flow_r2[i][j]);
    if (set_sect_disp1(i) || set_sect_disp2(i)) {
        if (i == 0) return 0.0;
        return axial_sign(i) * kGravity * (b->cas_x2[i - 1][j] - b->cas_x2[i][j]);
    }
    return 0.0;
}

double grav_head_in(int i, int j) {
    const bdLocals* b = h2::current_case();
    if (b == nullptr || i == 0) return 0.0;
    if (set_sect_disp0(i)) return kGravity * (b->flow_r2[i - 1][j] - b->flow_r1[i][j]);
    if (set_sect_disp1(i) || set_sect_disp2(i)) {
        const int k = i >= 2 ? i - 2 : 0;  // element 1 compares element 0 with itself: no head
        return axial_sign(i) * kGravity * (b->cas_x2[k][j] - b->cas_x2[i - 1][j]);
    }
    return 0.0;
}
}
