// Moisture separation coefficient of a turbine stage in a wet expansion.
#pragma once

namespace h2 {

// The factors whose product is the coefficient, for the stage m counted from
// the last stage (1 for the last), whose second element is
// k = cyld__ns - 2 m + 2.
struct MoistureSepFactors {
    double F;   // base coefficient over the outlet pressure and d2/l2
    double K;   // correction switched on by bld__VS, else 1
    double H;   // flow balance of the stage
    double X;   // place of the stage among the wet stages
    double W;   // weight of the second clearance against the first (elem__VI set), else 1
    double J1;  // first clearance (elem__VI set), else 0
    double J2;  // second clearance
};

// false, with every factor 0, when the coefficient is 0.0 (see
// stage_moisture_sep); otherwise the factors of stage m.
bool moisture_sep_factors(int m, MoistureSepFactors& f);

}  // namespace h2

extern "C" {
// Separation coefficient of stage m, counted from the last stage (1):
// F K H X ((1 - W) J1 + W J2). 0.0 when the stage's second element
// k = cyld__ns - 2 m + 2 lies outside 1..cyld__ns, and also when it cannot be
// formed: no current case or arrays, no wet stage counted (wet_stage_count
// below 1), an outlet pressure elem__p2[cyld__ns] that is not positive, or a
// zero bld__l2[k], elem__G1[k] or middle channel width cas__b[k][cyld__nr/2].
double stage_moisture_sep(int m);
}
