#include "physics/side_flows.h"

#include <cmath>

#include "case/case_arrays.h"
#include "case/current_case.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/threading.h"
#include "physics/mix_streams.h"

namespace {

// Modes of elem__Qotb2; any other value names the element that receives the flow.
constexpr double kGivenBleed = 0.0;
constexpr double kPlenum = -1.0;

// The tip (last streamline) and the middle streamline of the case.
int tip_stream(const bdLocals* b) { return b->cyld_nr > 1 ? b->cyld_nr - 1 : 0; }
int middle_stream(const bdLocals* b) { return b->cyld_nr / 2; }

// Speed of the jet through element i's opening from the source state (ps, hs)
// to the back pressure pb: the isentropic drop gives the ideal speed, which a
// choked opening limits to the speed of sound of the source; the opening's
// velocity coefficient scales what is left.
double jet_speed(const bdLocals* b, int i, double ps, double hs, double pb) {
    const double af = b->elem_af[i];
    const double s = b->fluid_func(H2_FLUID_S_PI, ps, hs, af, H2_FLUID_MAIN);
    const double h_is = b->fluid_func(H2_FLUID_I_PS, pb, s, af, H2_FLUID_MAIN);
    const double a = b->fluid_func(H2_FLUID_SOUND_PI, ps, hs, af, H2_FLUID_MAIN);
    double c = std::sqrt(2.0 * std::fabs(hs - h_is));
    if (c > a) c = a;
    return c * b->elem_Fiotb2[i];
}

double density(const bdLocals* b, int i, double p, double h) {
    return b->fluid_func(H2_FLUID_RHO_PI, p, h, b->elem_af[i], H2_FLUID_MAIN);
}

// Totals and entropy of the tip flow of element k after a radial jet of speed
// v, area F2, total enthalpy i2 and total pressure p2 has joined it.
struct TipMix {
    double i;  // total enthalpy
    double p;  // total pressure
    double s;  // entropy
};

TipMix mix_jet_into_tip(const bdLocals* b, int k, double F2, double v, double i2, double p2,
                        double s_before) {
    const int t = tip_stream(b);
    const double c1[3] = {b->flow_c2z[k][t], b->flow_c2u[k][t], b->flow_c2r[k][t]};
    const double c2[3] = {0.0, 0.0, v};
    // The mix leaves its outputs alone when it cannot run; starting them from
    // the tip's own state keeps uninitialised values out of the case.
    TipMix out{b->isd_i2x[k][t], b->isd_p2x[k][t], s_before};
    double cout[3] = {0.0, 0.0, 0.0};
    double Gout = 0.0, dE = 0.0, hout = 0.0, pout = 0.0;
    mix_streams(b->bld_F2[k], c1, b->isd_i2x[k][t], b->isd_p2x[k][t], F2, c2, i2, p2, b->bld_F2[k], cout,
                &out.i, &out.p, &Gout, &dE, &hout, &pout, &out.s);
    return out;
}

// Mode 0: an admission (positive flow) mixes its enthalpy into the element's
// outlet flow by mass; the next inlet takes the change from the middle
// streamline. A bleed leaves the flow's state as it is.
void given_bleed(bdLocals* b, int i) {
    const double Gb = b->elem_Gotb2[i];
    if (!(Gb > 0.0)) return;
    const int t = tip_stream(b), m = middle_stream(b);
    const double G = Gb + b->elem_G2[i];
    // Only a reversed element flow of exactly the admitted amount could cancel the sum.
    if (G == 0.0) return;
    const double I = (b->elem_Iotb2[i] * Gb + b->isd_i2x[i][t] * b->elem_G2[i]) / G;  // energy balance
    b->elem_dIotb2[i] = I - b->isd_i2x[i][m];
    b->elem_dPotb2[i] = 0.0;
}

// Mode -1: the plenum at P takes flow from the tip when the tip pressure is
// above it and gives flow to it when it is below.
void plenum_flow(bdLocals* b, int i) {
    const int t = tip_stream(b), m = middle_stream(b);
    const double P = b->elem_Potb2[i];
    const double p = b->isd_p2[i][t];
    const double h = b->isd_i2[i][t];
    const double S = b->elem_Sotb2[i];
    if (P != 0.0 && p > P) {
        // Extraction: continuity of the jet leaving through the opening.
        const double v = jet_speed(b, i, p, h, P);
        const double ho = h - 0.5 * v * v;
        b->elem_Gotb2[i] = -S * density(b, i, P, ho) * v;
    } else if (P > p && h != 0.0) {
        // Injection from the plenum's total state: the jet keeps the plenum's
        // total enthalpy and pressure and reaches the tip pressure with its
        // kinetic energy taken from the enthalpy.
        const double Ij = b->elem_Iotb2[i];
        const double v = jet_speed(b, i, P, Ij, p);
        const double hj = Ij - 0.5 * v * v;  // static enthalpy of the jet at the tip pressure
        b->elem_Gotb2[i] = S * density(b, i, p, hj) * v;
        const TipMix mix = mix_jet_into_tip(b, i, S, v, Ij, P, 0.0);
        b->elem_dPotb2[i] = mix.p - b->isd_p2x[i][m];
        b->elem_dIotb2[i] = mix.i - b->isd_i2x[i][m];
    }
}

// Mode j: flow passes from element i's tip to element j's tip when j's tip
// pressure is lower; j becomes an admission of that flow (mode 0), so its own
// call turns it into j's increments.
void transfer_flow(bdLocals* b, int i, int j) {
    const int t = tip_stream(b);
    const double p = b->isd_p2[i][t];
    const double h = b->isd_i2[i][t];
    const double pj = b->isd_p2[j][t];
    if (pj == 0.0 || p <= pj) return;

    const double v = jet_speed(b, i, p, h, pj);
    const double ho = h - 0.5 * v * v;
    b->elem_Gotb2[i] = -b->elem_Sotb2[i] * density(b, i, pj, ho) * v;  // continuity of the jet

    b->elem_Qotb2[j] = kGivenBleed;
    b->elem_Gotb2[j] = -b->elem_Gotb2[i];
    b->elem_Potb2[j] = p;
    b->elem_Iotb2[j] = h;

    const TipMix mix = mix_jet_into_tip(b, j, b->elem_Sotb2[i], v, h, pj, b->elem_Sotb2[j]);
    b->elem_Iotb2[j] = mix.i;
    b->elem_Potb2[j] = mix.p;
    // An entropy in the field that holds the opening's area of an element that bleeds itself.
    b->elem_Sotb2[j] = mix.s;
}

}  // namespace

extern "C" double side_flow_calc(int i) {
    bdLocals* b = h2::current_case();
    // A missing case or array, or an element outside the path, would be read through NULL or past the arrays.
    if (b == nullptr || !h2::path_fits_arrays(b) || i < 0 || i > b->cyld_ns || b->elem_Gotb2 == nullptr ||
        !h2::allocated_stream(b, tip_stream(b)))
        return 0.0;

    const double q = std::trunc(b->elem_Qotb2[i]);
    if (q == kGivenBleed) {
        given_bleed(b, i);
    } else if (b->fluid_func != nullptr) {
        if (q == kPlenum) {
            plenum_flow(b, i);
        } else if (q >= 0.0 && q <= b->cyld_ns) {
            // A transfer index outside the path would write five arrays out of bounds.
            transfer_flow(b, i, static_cast<int>(q));
        }
    }
    return b->elem_Gotb2[i];
}
