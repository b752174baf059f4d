// Design rules a radial machine is held to, by its generators and by the
// search that keeps its points.
#pragma once

namespace h2::predesign {

// A radial turbine wheel that can be built: its exit tip radius at most this
// share of its inlet radius, its exit hub at least this share of its exit tip
// (Rohlik's designs, NASA TN D-4384, keep 0.70-0.78 and hub/tip above 0.3).
inline constexpr double kMaxExitTipRatio = 0.78;
inline constexpr double kMinExitHubTip = 0.3;

// An impeller whose relative velocity falls below this share of its inlet tip
// relative velocity separates (de Haller's ratio as impeller designers apply
// it to W2 / W1t).
inline constexpr double kLeastRelativeDiffusion = 0.6;

}  // namespace h2::predesign
