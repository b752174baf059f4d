// Truncated values of pi that the flow models and their correlations were
// fitted with; results depend on them in the last digits, so they are kept
// exactly as given.
#pragma once

namespace h2 {

inline constexpr double kPi = 3.14159265;
inline constexpr double kTwoPi = 6.2831853;
inline constexpr double kDegree = 0.01745329;  // radians per degree

}  // namespace h2
