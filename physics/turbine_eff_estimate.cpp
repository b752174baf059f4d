#include "physics/turbine_eff_estimate.h"

#include <array>
#include <cstddef>

#include "halvorine2/fluid_plugin.h"
#include "halvorine2/threading.h"
#include "numerics/one_dim.h"

namespace {

// Base efficiency E in per cent over the inlet volume flow Q (m^3/s, rows)
// and the pressure ratio p0/p2 (columns): larger machines and longer
// expansions run better.
constexpr int kNQ = 10;
constexpr int kNRatio = 10;
constexpr std::array<double, kNQ> kQGrid{2.0, 3.0, 5.0, 7.0, 10.0, 14.0, 20.0, 30.0, 50.0, 70.0};
constexpr std::array<double, kNRatio> kRatioGrid{1.0, 1.5, 2.0, 3.0, 5.0, 10.0, 20.0, 50.0, 100.0, 200.0};
constexpr std::array<double, kNQ * kNRatio> kBaseEff{
    82.0, 84.0, 85.0, 86.5, 88.0, 89.3, 90.7, 92.1, 92.8, 93.7,  // Q 2
    85.0, 86.2, 87.0, 88.0, 89.3, 90.5, 91.6, 92.7, 93.5, 94.0,  // Q 3
    87.3, 88.1, 88.7, 89.5, 90.4, 91.3, 92.2, 93.2, 93.9, 94.4,  // Q 5
    88.2, 89.0, 89.5, 90.1, 90.9, 91.9, 92.6, 93.4, 94.0, 94.5,  // Q 7
    89.0, 89.6, 90.0, 90.6, 91.3, 92.1, 92.8, 93.6, 94.1, 94.6,  // Q 10
    89.5, 90.0, 90.4, 91.0, 91.6, 92.3, 93.1, 93.8, 94.2, 94.8,  // Q 14
    90.0, 90.3, 90.7, 91.2, 91.9, 92.4, 93.2, 93.8, 94.2, 95.0,  // Q 20
    90.2, 90.5, 91.0, 91.4, 92.0, 92.6, 93.3, 94.0, 94.4, 95.1,  // Q 30
    90.6, 90.8, 91.2, 91.7, 92.1, 92.8, 93.3, 94.0, 94.5, 95.2,  // Q 50
    90.6, 90.8, 91.2, 91.7, 92.1, 92.8, 93.3, 94.0, 94.5, 95.2,  // Q 70
};

// Moisture loss M in per cent over the wetness w (per cent, rows) and the mean
// pressure of the expansion (Pa, columns). Two rows make it linear in w, so
// wetness beyond 16 % extrapolates along the same slope.
constexpr int kNWet = 2;
constexpr int kNMeanP = 4;
constexpr std::array<double, kNWet> kWetGrid{0.0, 16.0};
constexpr std::array<double, kNMeanP> kMeanPGrid{50000.0, 100000.0, 1000000.0, 4000000.0};
constexpr std::array<double, kNWet * kNMeanP> kMoistureLoss{
    0.0, 0.0, 0.0, 0.0,  // dry
    8.3, 6.9, 5.8, 4.5,  // 16 % wet
};

// A curve over the outlet pressure p2 (Pa), read by linear interpolation and
// extended along its end intervals.
template <std::size_t N>
struct OutletCurve {
    std::array<double, N> p2;
    std::array<double, N> value;
    double at(double x) const { return h2::interp1(static_cast<int>(N), p2.data(), value.data(), x); }
};

// Exhausts below about atmospheric pressure (into a condenser) have curves of
// their own; from this outlet pressure on the back-pressure curves apply.
constexpr double kBackPressureP2 = 102000.0;  // Pa

// Outlet (leaving) loss Z in J/kg.
constexpr OutletCurve<5> kOutletLossCondensing{{3000.0, 5000.0, 10000.0, 20000.0, 50000.0},
                                               {40000.0, 32000.0, 25000.0, 17000.0, 10000.0}};
constexpr OutletCurve<3> kOutletLossBackPressure{{100000.0, 400000.0, 500000.0}, {7000.0, 3500.0, 3500.0}};
// Correction factor B of the base efficiency.
constexpr OutletCurve<3> kCorrectionCondensing{{10000.0, 20000.0, 50000.0}, {0.966, 0.977, 0.99}};
constexpr OutletCurve<4> kCorrectionBackPressure{{100000.0, 200000.0, 500000.0, 1000000.0},
                                                 {0.991, 0.993, 1.0, 1.0}};

// The plausible band of the estimate, and what stands for any value outside it.
constexpr double kEtaMin = 0.1;
constexpr double kEtaMax = 0.99;
constexpr double kEtaFallback = 0.5;
// A fluid whose entropy is 0 is incompressible: there is no expansion line to rate.
constexpr double kEtaLiquid = 0.95;

// Relative tolerance of the search for the pressure where the expansion enters the wet region.
constexpr double kCrossingTol = 1e-4;

constexpr double kPercent = 0.01;

}  // namespace

extern "C" {

double sat_residual(double p) {
    const bdLocals* b = get_bdLocals();
    if (b == nullptr || b->fluid_func == nullptr) return 0.0;
    const double af = b->cyld_af;
    // Code 11 takes the pressure in both of its first two places.
    const double h = b->fluid_func(H2_FLUID_I_SAT_VAPOUR, p, p, af, H2_FLUID_MAIN);
    return b->wet_target_s - b->fluid_func(H2_FLUID_S_PI, p, h, af, H2_FLUID_MAIN);
}

double turbine_eff_estimate(double G, double p0, double i0, double p2) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr || b->fluid_func == nullptr) return kEtaFallback;
    const FluidFunc fluid = b->fluid_func;
    const double af = b->cyld_af;
    auto property = [&](int code, double x, double y) { return fluid(code, x, y, af, H2_FLUID_MAIN); };

    const double s0 = property(H2_FLUID_S_PI, p0, i0);
    if (s0 == 0.0) return kEtaLiquid;

    // Isentropic expansion to the outlet pressure.
    const double X0 = property(H2_FLUID_DRYNESS, p0, i0);
    const double i2s = property(H2_FLUID_I_PS, p2, s0);
    const double X2 = property(H2_FLUID_DRYNESS, p2, i2s);
    const double H0 = i0 - i2s;
    // Every loss below is per unit of isentropic drop: without one there is nothing to rate.
    if (H0 == 0.0) return kEtaFallback;

    // Inlet volume flow; a zero density would make it infinite.
    const double rho0 = property(H2_FLUID_RHO_PI, p0, i0);
    if (rho0 == 0.0) return kEtaFallback;
    const double Q = G / rho0;
    // A zero outlet pressure would make the pressure ratio infinite.
    if (p2 == 0.0) return kEtaFallback;
    const double E = h2::interp2(kNQ, kNRatio, kQGrid.data(), kRatioGrid.data(), kBaseEff.data(), Q, p0 / p2);

    const bool condensing = p2 < kBackPressureP2;
    double Z = condensing ? kOutletLossCondensing.at(p2) : kOutletLossBackPressure.at(p2);
    const double B = condensing ? kCorrectionCondensing.at(p2) : kCorrectionBackPressure.at(p2);
    if (Z < 0.0) Z = 0.0;  // the condensing curve extrapolated past its last point

    double M = 0.0;
    if (!(X0 < 0.0 && X2 < 0.0)) {
        double w;  // wetness at the outlet, per cent
        if (X0 > 0.0 && X2 > 0.0) {
            w = 100.0 * (1.0 - X2);
        } else {
            // The expansion enters the wet region on its way: only the part of
            // the drop below the crossing pressure ps runs wet.
            b->wet_target_s = s0;
            const double ps = h2::root_falsi(sat_residual, p2, p0 - p2, kCrossingTol);
            const double is = property(H2_FLUID_I_PS, ps, s0);
            w = 100.0 * (1.0 - X2) * (is - i2s) / H0;
        }
        M = h2::interp2(kNWet, kNMeanP, kWetGrid.data(), kMeanPGrid.data(), kMoistureLoss.data(), w,
                        (p0 + p2) * 0.5);
    }

    const double eta = (E * B - M) * kPercent - Z / H0;
    // NaN fails both comparisons and falls back as well.
    return eta >= kEtaMin && eta <= kEtaMax ? eta : kEtaFallback;
}

}  // extern "C"
