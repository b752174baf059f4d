// First guess of the element velocities before a solve: the isentropic
// velocity of the whole expansion (or compression) from the inlet total state
// to the outlet pressure, spread over the elements by element kind with fixed
// fractions.
#include <cmath>
#include <cstdint>

#include "case/truncated_pi.h"
#include "case/walkers_internal.h"
#include "halvorine2/case_file.h"
#include "halvorine2/threading.h"

namespace {

using h2::kDegree;

// Degrees to radians, with the truncated value the guesses were tuned with.

// FluidCode of the two property calls, and the main-fluid selector.
constexpr int kEntropyPI = 3;
constexpr int kEnthalpyPS = 9;
constexpr int kMainFluid = 0;

// A property result above this is the fluid's failure value.
constexpr double kFluidFailure = 1e19;

// Fractions of the isentropic velocity unless `full` asks for all of it: the
// smaller for blade rows with flagB set, the larger for the other rows and
// for inlet volutes.
constexpr double kFlagBRowFraction = 0.65;
constexpr double kOtherRowFraction = 0.8;

// Outlet volute velocities: a gas, and a fluid without entropy (a liquid).
constexpr double kVoluteGasVelocity = 50.0;
constexpr double kVoluteLiquidVelocity = 10.0;

// The element kinds as the integers the kind array holds.
constexpr int kind_code(double stag_type) { return static_cast<int>(stag_type); }
constexpr int kBladeRow = kind_code(h2::kBladeRow);
constexpr int kOutletVolute = kind_code(h2::kOutletVolute);
constexpr int kInletVolute = kind_code(h2::kInletVolute);
constexpr int kDeswirler = kind_code(h2::kDeswirler);
constexpr int kLBendUA = kind_code(h2::kFirstLBend);

bool fluid_failed(double value) { return std::isnan(value) || value > kFluidFailure; }

// The reaction correction (the velocity times or over 1 - 1/r) applies to a
// blade row with flagA 0 when neither skipCorr nor full switches it off.
bool takes_reaction_correction(int skipCorr, int full, int kind, int flagA) {
    return kind == kBladeRow && skipCorr == 0 && full == 0 && flagA == 0;
}

struct Path {
    const int* kind;
    const double* angle;
    double* v;

    // The velocity element i inherits from the element before it: its
    // axial part behind a blade row, else the whole of it.
    double carried_from_previous(int i) const {
        return kind[i - 1] == kBladeRow ? std::sin(kDegree * angle[i - 1]) * v[i - 1] : v[i - 1];
    }
    void set_inlet_once(double value) const {
        if (v[0] == 0.0) v[0] = value;
    }
};

}  // namespace

extern "C" int defGuess(int skipCorr, int full, int32_t /*unused*/, int n, int count, double p0, double i0,
                        double p2, const int* flagA, const int* kind, const int* flagB, const double* angle,
                        const double* x, const double* r, double* v) {
    if (p0 == 0.0 || i0 == 0.0 || p2 == 0.0) return 1;
    // n divides the enthalpy difference and count sizes every array: a zero n
    // or an empty path would divide by zero or write before the arrays.
    if (n <= 0 || count <= 0 || v == nullptr) return 1;
    if (count > 1 && (flagA == nullptr || kind == nullptr || flagB == nullptr || angle == nullptr ||
                      x == nullptr || r == nullptr))
        return 1;
    const bdLocals* c = get_bdLocals();
    // Without a case or its fluid the property calls would go through NULL.
    if (c == nullptr || c->fluid_func == nullptr) return 1;
    // A factor 1 - 1/r of 0 or infinity would give infinite or zero velocities reported as a guess.
    for (int i = 1; i < count; ++i) {
        if (!takes_reaction_correction(skipCorr, full, kind[i], flagA[i])) continue;
        const double f = 1.0 - 1.0 / r[i];
        if (f == 0.0 || !std::isfinite(f)) return 1;
    }

    // Isentropic enthalpy difference of the whole path, divided into n parts.
    const double s0 = c->fluid_func(kEntropyPI, p0, i0, 0.0, kMainFluid);
    if (fluid_failed(s0)) return 1;
    const double i2s = c->fluid_func(kEnthalpyPS, p2, s0, 0.0, kMainFluid);
    // A failure value of the fluid would otherwise become a velocity of some 1e10 m/s.
    if (fluid_failed(i2s)) return 1;
    const double cs = std::sqrt(2.0 * std::fabs(i2s - i0) / n);
    const double c1 = full != 0 ? 1.0 * cs : kFlagBRowFraction * cs;
    const double c2 = full != 0 ? 1.0 * cs : kOtherRowFraction * cs;

    const Path p{kind, angle, v};
    v[0] = 0.0;
    for (int i = 1; i < count; ++i) {
        switch (kind[i]) {
            case kBladeRow: {
                const bool b_set = flagB[i] != 0;
                const bool a_and_x = flagA[i] == 1 && x[i] > 1.0;
                if (b_set && a_and_x) {
                    v[i] = kFlagBRowFraction * cs;
                } else {
                    v[i] = b_set ? c1 : c2;
                    if (takes_reaction_correction(skipCorr, full, kind[i], flagA[i])) {
                        const double f = 1.0 - 1.0 / r[i];
                        v[i] = b_set ? v[i] * f : v[i] / f;
                    }
                }
                if (b_set) p.set_inlet_once(std::sin(kDegree * angle[i]) * v[i]);
                if (!b_set && a_and_x) v[i] = p.carried_from_previous(i);
                break;
            }
            case kDeswirler:
                v[i] = v[i - 1];
                break;
            case kInletVolute:
                v[i] = c2;
                p.set_inlet_once(std::sin(kDegree * angle[i]) * v[i]);
                break;
            case kOutletVolute:
                v[i] = s0 == 0.0 ? kVoluteLiquidVelocity : kVoluteGasVelocity;
                break;
            default:
                v[i] = kind[i] == kLBendUA ? v[i - 1] : p.carried_from_previous(i);
                p.set_inlet_once(v[i]);
                break;
        }
    }
    for (int i = 1; i < count; ++i)
        if (v[i] == 0.0) v[i] = v[i - 1];
    return 0;
}
