// Volute design inside the predesign: section sizing of outlet and inlet
// volutes, the geometry forms that draw them into a case's Volout record, and
// the radial turbine's inlet volute element. The element generators of the
// centrifugal stage and the radial turbine call these; hosts reach the
// geometry through VoloutDesign and VolinDesign (halvorine2/volute.h).
#pragma once

#include "halvorine2/volute.h"

namespace h2::predesign {

// An inlet volute proper begins at this multiple of its exit radius.
inline constexpr double kVoluteStart = 1.05;
// The logarithmic spiral's section is this many exit widths wide.
inline constexpr double kSpiralWidth = 5.0;

// Outlet section of an outlet volute from the flow leaving the element before
// it: inlet diameter D and width b (m), inlet flow angle alpha (degrees from
// the circumferential direction) and absolute velocity c (m/s). Writes the
// volute's outer diameter Dk, the section width bk and height hk
// (hk = 1.2732 bk) and the velocity ck in the section. 0 done; 1 with nothing
// written when enable is 0, c, D or b is not positive, alpha is NaN or an
// output is NULL.
int volout_section(int enable, double D, double b, double alpha, double c, double* Dk, double* bk, double* hk,
                   double* ck);

// End section of an inlet volute feeding a ring of radius r and width b at
// the angle A (degrees from the circumferential direction); w is the width
// that sets the section of form 1 (5 w wide). Forms: 1 log spiral, 2 linear
// law (trapezoid), 3 square section. Writes R (outer radius), S (area) and h
// (height). 0 done; 1 when A is above 89 (or NaN), 2 for another form (or a
// NULL output); the outputs are then left as they were.
int volin_size(int form, double r, double b, double A, double w, double* R, double* S, double* h);

// Makes element i of the current case an inlet volute of the given form in
// front of a turbine nozzle ring, for the flow angle alpha (radians) at its
// exit: element kind and inlet state, the volute arrays vol__* and, for a
// sized form, the geometry in the case's volute record (made with n = m = 36
// when the case has none). 0 done; 1 when alpha is above 89 degrees, or the
// record cannot be made or designed; 2 for a form other than 1, 2, 3;
// 3 without a current case or with i or the mid streamline outside its arrays.
int rt_volin_design(int i, int form, double alpha);

// The outlet volute geometry forms (VoloutDesign dispatches to them): 0 free
// vortex with its correction, 1 quadratic law, 10 free vortex on one side
// wall, 21 rectangular sections. 0 done; 1 with the record untouched when
// its inputs or tables do not allow the design.
int volout_form0(Volout* rec);
int volout_form1(Volout* rec);
int volout_form10(Volout* rec);
int volout_form21(Volout* rec);

// The inlet volute geometry forms (VolinDesign dispatches to them): 1 log
// spiral, 2 circular sections, 3 linear law. Results as VolinDesign.
int volin_form1(Volout* rec);
int volin_form2(Volout* rec);
int volin_form3(Volout* rec);

}  // namespace h2::predesign
