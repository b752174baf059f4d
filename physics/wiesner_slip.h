// Slip of a centrifugal impeller's outflow by Wiesner's correlation
// (F. J. Wiesner, "A review of slip factors for centrifugal impellers",
// J. Eng. Power 89, 1967): the slip factor of z blades of backsweep beta2b
// (degrees from the radial direction), reduced when the inlet tip radius lies
// beyond the limiting radius ratio exp(-8.16 cos beta2b / z).
#pragma once

namespace h2 {

// Slip factor sigma = 1 - sqrt(cos beta2b) / z^0.7, times
// 1 - ((r1t/r2 - eps) / (1 - eps))^3 when r1t/r2 exceeds eps. NaN for fewer
// than one blade or a backsweep at or beyond 90 degrees.
double wiesner_slip_factor(double beta2b, double z, double r1t_over_r2);

// The backsweep (degrees from radial, -60 to 85) at which z blades deliver
// the swirl c2u at the blade speed u2 and meridional velocity c2m:
// sigma u2 - c2m tan beta2b = c2u. NaN when no backsweep in that range does.
double wiesner_backsweep(double c2u, double u2, double c2m, double z, double r1t_over_r2);

}  // namespace h2
