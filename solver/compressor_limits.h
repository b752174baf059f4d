// Stall and choke limits of compressor rows, checked once an analysis has
// converged: a row that passes more flow than its throat can, or diffuses its
// relative flow past the limit of attached flow, ends the run with its own
// result and one line naming the row and the limit.
#pragma once

#include <string>

#include "halvorine2/case_block.h"

namespace h2 {

// Solver results of a converged run past a compressor limit.
inline constexpr int kStallLimitResult = 6;
inline constexpr int kChokeLimitResult = 7;

// Lieblein's diffusion factor of a rotor beyond which its losses rise
// steeply toward stall (Lieblein, S. (1965), NASA SP-36, ch. VI; the
// diffusion limit of the loss data).
inline constexpr double kStallDiffusionFactor = 0.6;
// Limit of an impeller's inducer-tip to exit relative velocity ratio
// W1t/W2 about which impellers stall: the diffusion limit of Rodgers, C.
// (1977), "Impeller stalling as influenced by diffusion limitations",
// J. Fluids Eng. 99, 84-97, as design practice quotes it (about 1.9).
inline constexpr double kStallImpellerDiffusion = 1.9;

// Throat area of blade row i at its inlet, m^2: each of the z passages opens
// the pitch times the sine of the inlet metal angle from the circumferential
// direction, less the leading-edge thickness (twice the inlet edge radius),
// over the inlet height: (pi d1 |sin B1g| - z t) l1. 0 when the row has no
// blades, angle or height.
double row_throat_area(const bdLocals& b, int i);

// Largest flow through area A from the relative total state (h0r, s) of the
// row's inlet: the sonic state on the isentrope, where rho w is largest.
double throat_choke_flow(const bdLocals& b, int i, double A, double h0r, double s);

// Lieblein's diffusion factor of a blade row from its relative speeds, the
// change of their swirl and the solidity.
double diffusion_factor(double w1, double w2, double dwu, double solidity);

struct CompressorLimit {
    int result = 0;    // 0: no limit reached
    int element = -1;  // the row
    std::string line;  // the line naming the row and the limit
};

// The first compressor row of the solved case past its choke or stall limit.
CompressorLimit compressor_limit(const bdLocals& b);

}  // namespace h2
