// The exit angle of a turbine blade row whose outlet is expanded past its
// throat.
#pragma once

#include "halvorine2/case_block.h"

namespace h2 {

// The exit of a turbine blade row at one trial speed: the exit angle
// (degrees, from the circumferential direction), and past the throat the
// speed and the flow per unit area rho w of the row's largest flow along the
// angle it turns the flow to below choke.
struct PostThroat {
    double angle;
    bool past = false;
    double w_throat = 0.0;
    double flux_throat = 0.0;
    bool axial = false;  // turned to the axial exit, and still short of continuity
};

// The exit of blade row i at streamline j for the relative outlet speed w,
// given the angle `angle` the row turns the flow to below choke (gauging
// angle and deviation, which no deviation model extends past the throat).
// Past the speed at which the row's outlet passes the most flow along `angle`
// (its loss charged through the velocity coefficient), the flow expands
// supersonically after the throat and turns away from the blades until
// continuity between throat and exit holds: rho w sin(angle') = (rho w)*
// sin(angle), the row passing its choke flow at any lower back pressure.
// Below that speed `angle` itself. Reads the outlet's relative total
// enthalpy, the inlet entropy and the velocity coefficient; writes nothing.
PostThroat post_throat(const bdLocals& b, int i, int j, double w, double angle);

}  // namespace h2
