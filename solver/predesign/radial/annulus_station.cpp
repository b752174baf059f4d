// Continuity at an annulus station, iterated on the density.
#include "solver/predesign/radial/annulus_station.h"

#include <cmath>

#include "solver/predesign/centrifugal_elements.h"

namespace h2::predesign {

AnnulusStation annulus_station(const bdLocals& b, double G, double area, double i0, double s, double cu,
                               double rho_guess) {
    AnnulusStation st;
    if (!(area > 0.0) || !(rho_guess > 0.0)) return st;
    const double tol = pass_tolerance(b);
    double rho = rho_guess;
    for (int n = pass_limit(b); n > 0; --n) {
        const double cm = G / (rho * area);
        const double c = std::sqrt(cu * cu + cm * cm);
        const double i = i0 - c * c / 2.0;
        if (!(i > 0.0)) return st;
        const double p = design_fluid(b, H2_FLUID_P_IS, i, s);
        const double next = design_fluid(b, H2_FLUID_RHO_PI, p, i);
        if (!(next > 0.0)) return st;
        const bool settled = std::fabs(next - rho) < tol;
        rho = next;
        if (!settled) continue;
        // The last density, so that continuity holds exactly with it.
        st.rho = rho;
        st.cm = G / (rho * area);
        st.c = std::sqrt(cu * cu + st.cm * st.cm);
        st.i = i0 - st.c * st.c / 2.0;
        st.p = design_fluid(b, H2_FLUID_P_IS, st.i, s);
        st.ok = st.i > 0.0;
        return st;
    }
    return st;
}

}  // namespace h2::predesign
