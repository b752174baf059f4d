// State the solver keeps beside the case during one solve.
#pragma once

#include <vector>

namespace h2 {

// The unknowns of the inverse tasks, NS + 2 values: element i's velocity is
// exp(x[i]) * wb[i]. Owned by the solving thread; mirrored into the case's
// solve_vector as far as it reaches.
std::vector<double>& solver_unknowns();

// The element at which the last direct march stopped because its outlet
// cannot pass the flow that reaches it (-1: the march reached the outlet),
// with its choke flow and that flow, kg/s. Owned by the solving thread.
struct MarchFailure {
    int elem = -1;
    double Gmax = 0.0;
    double G = 0.0;
};
MarchFailure& march_failure();

// The per-element and per-streamline fields of the path as the last direct
// march of the solve that reached the outlet left them, when its whole-path
// results were made. Owned by the solving thread.
void keep_full_march(bdLocals& b);
void forget_full_march();
// A run whose last march stopped at a choked element: the path goes back to
// the last full march, or, when no march reached the outlet, the outlet is
// left without a state, so that no field a host reads, nor the whole-path
// results it makes of them, mixes two marches.
void settle_stopped_march(bdLocals& b);

// The power of a direct task's last iteration and of the one before, W, and
// whether the two agreed within the accuracy limit. Owned by the solving
// thread; reset at the start of every solve.
struct PowerSettling {
    bool known = false;
    bool settled = true;
    double N = 0.0;
    double N_prev = 0.0;
};
PowerSettling& power_settling();

// While set on the solving thread, a choke search that refuses a flow says
// nothing: the refusal of a trial march is an answer, not an error.
bool& quiet_choke();

}  // namespace h2
