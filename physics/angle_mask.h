// The angle factor of the gauging-angle task: element angles scaled by the
// element's mask weight times the case's common factor.
#pragma once

extern "C" {
// Angle a (degrees) of element i under the mask: unchanged where the element's
// weight AngMask[i] is 0 (or not a number); angles of 90 and above are scaled
// from 180 down, smaller ones from 0 up. Without a case, its AngMask array or
// with i outside the arrays, a comes back unchanged.
double ang_mask_apply(int i, double a);
}
