// End sections of volutes: the outlet section of an outlet volute from an
// empirical outlet velocity law, and the end section of an inlet volute for
// its three section laws.
#include <cmath>

#include "case/truncated_pi.h"
#include "solver/predesign/volute_design.h"

namespace h2::predesign {

namespace {

// The outlet velocity law was fitted with these decimal values, not pi and 4/pi.
constexpr double kPiFit = 3.1416;
constexpr double kHeightToWidth = 1.2732;

// The angle range of the outlet velocity law, degrees.
constexpr double kLeastAngle = 5.0;
constexpr double kLargestAngle = 32.0;

// Steepest exit flow an inlet volute can be sized for, degrees.
constexpr double kSteepestInlet = 89.0;

}  // namespace

int volout_section(int enable, double D, double b, double alpha, double c, double* Dk, double* bk, double* hk,
                   double* ck) {
    if (enable == 0) return 1;
    // No flow or no inlet ring has no section (c = 0 divides by zero below).
    if (!(c > 0.0) || !(D > 0.0) || !(b > 0.0) || std::isnan(alpha)) return 1;
    if (Dk == nullptr || bk == nullptr || hk == nullptr || ck == nullptr) return 1;
    // A flow leaving backwards is the mirror of one leaving forwards; the
    // velocity law holds between 5 and 32 degrees.
    if (alpha > 90.0) alpha = 180.0 - alpha;
    if (alpha < kLeastAngle) alpha = kLeastAngle;
    if (alpha > kLargestAngle) alpha = kLargestAngle;

    const double inlet_area = kPiFit * D * b;
    const double a = kDegree * alpha;
    const double cr = std::sin(a) * c;
    const double ct = std::cos(a) * c;
    const double outlet_velocity = 1.82 * ct * std::pow(alpha, -0.357);
    // Continuity: the radial inflow through the ring leaves through the section.
    const double section = cr / outlet_velocity * inlet_area;
    const double width = std::sqrt(section / kHeightToWidth);
    const double height = kHeightToWidth * width;
    *bk = width;
    *hk = height;
    *Dk = 2.0 * height + D;
    *ck = outlet_velocity;
    return 0;
}

int volin_size(int form, double r, double b, double A, double w, double* R, double* S, double* h) {
    if (!(A <= kSteepestInlet)) return 1;
    if (form < 1 || form > 3) return 2;
    if (R == nullptr || S == nullptr || h == nullptr) return 2;
    const double r0 = kVoluteStart * r;
    // One turn of the exit flow: the radial advance per unit of circumferential path.
    const double t = kTwoPi * std::tan(A * kDegree);
    double outer = 0.0, area = 0.0, height = 0.0;
    switch (form) {
        case 1: {  // logarithmic spiral: r cu constant across a section W wide
            const double W = kSpiralWidth * w;
            outer = r0 * std::exp(t * b / W);
            height = outer - r0;
            area = W * height;
            break;
        }
        case 2:  // linear law: trapezoid from width b at r0 to (1 + t) b at R
            outer = (1.0 + t) * r0;
            height = outer - r0;
            area = (b + (1.0 + t) * b) * height / 2.0;
            break;
        default: {  // square section of side h
            const double q = kTwoPi * r0 * b * t;
            const double p = q / (4.0 * r0);
            height = p + std::sqrt(q * q / (16.0 * r0 * r0) + q);
            outer = r0 + height;
            area = height * height;
            break;
        }
    }
    *R = outer;
    *S = area;
    *h = height;
    return 0;
}

}  // namespace h2::predesign
