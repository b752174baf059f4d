// Slip of a centrifugal impeller's outflow by Wiesner's correlation
// (F. J. Wiesner, "A review of slip factors for centrifugal impellers",
// J. Eng. Power 89, 1967): the slip factor of z blades of backsweep beta2b
// (degrees from the radial direction), reduced when the inlet tip radius lies
// beyond the limiting radius ratio exp(-8.16 cos beta2b / z).
#pragma once

namespace h2 {

// The slip factor of physics/slip_factor.h (one formula for the design and the
// analysis of impellers), NaN for fewer than one blade or a backsweep at or
// beyond 90 degrees, where a design has no blade to size.
double wiesner_slip_factor(double beta2b, double z, double r1t_over_r2);

// The backsweep (degrees from radial, -60 to 85) at which z blades deliver
// the swirl c2u at the blade speed u2 and meridional velocity c2m:
// sigma u2 - c2m tan beta2b = c2u. NaN when no backsweep in that range does.
double wiesner_backsweep(double c2u, double u2, double c2m, double z, double r1t_over_r2);

}  // namespace h2
