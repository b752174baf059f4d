// Conventions shared by the element solvers and the choke search: the angle
// factor, the meridional-speed floor, the normal velocity through a section and
// the main-fluid property call of an element.
#pragma once

#include <cmath>

#include "case/truncated_pi.h"
#include "case/walkers_internal.h"
#include "halvorine2/case_block.h"
#include "halvorine2/fluid_plugin.h"
#include "physics/known_answers.h"

namespace h2 {

// elem__sectType codes.
// Problem formulations of cyld__VART: below 10 design; 10/100 direct; 20/200,
// 30/300 and 40/400 inverse.
inline constexpr bool design_task(int vart) { return vart < 10; }
inline constexpr bool direct_task(int vart) { return vart == 10 || vart == 100; }
inline constexpr bool inverse_task(int vart) {
    return vart == 20 || vart == 200 || vart == 30 || vart == 300 || vart == 40 || vart == 400;
}

inline constexpr double kSectAxial = 0.0;
inline constexpr double kSectRadial = 1.0;
inline constexpr double kSectAngular = 2.0;

// elem__stagType codes used by the solver.
inline constexpr double kKindDuct = 0.0;
inline constexpr double kKindBlade = 1.0;
inline constexpr double kKindDiffuser = 2.0;
inline constexpr double kKindUBend = 3.0;
inline constexpr double kKindOutletVolute = 4.0;
inline constexpr double kKindInletVolute = 5.0;
inline constexpr double kKindDeswirler = 6.0;
inline constexpr double kKindHollow = 7.0;
inline constexpr double kKindHeatExchanger = 8.0;

// Smallest squared meridional speed, m^2/s^2: the meridional speed never falls
// below sqrt(10) m/s, which keeps a trial speed under the swirl from giving no flow.
inline constexpr double kMeridionalFloor2 = 10.0;

// Meridional speed of a velocity c whose circumferential component is cu;
// a NaN radicand counts as the floor.
inline double meridional_speed(double c, double cu) {
    const double r = c * c - cu * cu;
    return std::sqrt(r > kMeridionalFloor2 ? r : kMeridionalFloor2);
}

// Flow angle in degrees from the meridional and circumferential components.
inline double flow_angle_deg(double cs, double cu) { return std::atan2(cs, cu) / kDegree; }

// Velocity normal to section j of element i, from the meridional speed cs and
// the swirl cu: axial sections take cs cos(theta), radial ones cs sin(theta),
// angular ones the swirl. Sections of the remaining kind (3) count as axial.
inline double normal_velocity(const bdLocals& b, int i, int j, double cs, double cu) {
    const double t = b.elem_sectType[i];
    if (t == kSectAngular) return cu;
    if (t == kSectRadial) return cs * b.cas_sinT2[i][j];
    return cs * b.cas_cosT2[i][j];
}

// Main-fluid property of element i: FluidFunc(code, a, b_, elem__af[i], main).
inline double fluid(const bdLocals& b, int code, double a, double b_, int i) {
    return b.fluid_func(code, a, b_, b.elem_af[i], H2_FLUID_MAIN);
}

// fluid(b, code, a, b_, i), or the known answer when it is one for (a, b_);
// the caller sees to it that k was given for the same code at element i.
inline double fluid_known(const bdLocals& b, int code, double a, double b_, int i, const KnownAnswer& k) {
    return k.holds(a, b_) ? k.value : fluid(b, code, a, b_, i);
}

// What the last outlet-state residual evaluated on this thread asked the
// fluid at its outlet state: entropy, speed of sound and density, each with
// its arguments, for the case, element and fluid function it was evaluated
// with. After an element's outlet speed is found, that is the residual at
// the speed found.
struct ResidualAnswers {
    AnswerSite site;
    KnownAnswer s2, a2, Ro2;
};
ResidualAnswers& last_residual_answers();

// Middle streamline of a case: cyld__nr / 2.
inline int mid_stream(const bdLocals& b) { return b.cyld_nr / 2; }

// Rotor, stator and expanding-path tests: is_rotor, is_stator and
// is_expanding of case/walkers_internal.h.

// Turbine row of element i at section j: design tasks take the expanding-path
// test, analysis tasks the profile test.
bool turbine_row(const bdLocals& b, int i, int j);
// Compressor row of element i at section j: design tasks take a compressing
// path and an element that is no vaneless diffuser, U-bend or deswirler.
bool compressor_row(const bdLocals& b, int i, int j);
// Velocity dump on an expanding path: the velocity head at the outlet of i is
// lost into a plenum (elem__NSEGM below 0) instead of reaching element i + 1.
// A rotor dumps behind a plenum in front of it (the inlet has none), a stator
// with no rotor after it when it is a plenum itself.
bool velocity_dump(const bdLocals& b, int i);

}  // namespace h2

namespace h2 {

// The current case when it can be solved: its arrays exist and hold the
// counts, and it has a main fluid; else nullptr.
bdLocals* solvable_case();

}  // namespace h2
