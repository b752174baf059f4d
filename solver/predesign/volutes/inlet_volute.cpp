// Inlet volute geometry: the section contour at n stations round one turn
// from the tongue, for the logarithmic spiral, circular sections and the
// linear law. A station at angle theta (rad) places a point at radius rho as
// y = rho sin(-theta), z = rho cos(-theta): the scroll turns the other way
// round from an outlet volute.
#include <cmath>

#include "case/truncated_pi.h"
#include "solver/predesign/volute_design.h"

namespace h2::predesign {

namespace {

constexpr double kFirstStation = 0.001;  // rad past the tongue
// Stations are drawn while their angle stays below one turn past the first
// station plus a margin of 0.01 rad against rounding of the step.
constexpr double kStationLimit = 6.2931853;
// Points of a rectangular contour (closed) and of a circular one (every 10 degrees).
constexpr int kRectPoints = 9;
constexpr int kCirclePoints = 37;
constexpr double kCircleStep = 10.0;  // degrees
// Stand-in for a section size of exactly zero, so that a contour keeps its shape.
constexpr double kLeastSize = 0.0001;

double nonzero(double size) { return size == 0.0 ? kLeastSize : size; }

// Tangent of the exit flow angle A (degrees), as sine over cosine.
double flow_tangent(double A) { return std::sin(A * kDegree) / std::cos(A * kDegree); }

Point3 place(double x, double radius, double theta) {
    return Point3{x, radius * std::sin(-theta), radius * std::cos(-theta)};
}

// Walks the stations: theta from 0.001 rad by one turn / (n - 1) while below
// the limit, at most n of them (a very fine step would otherwise add one past
// n). `size` gives the station's governing size, which every station must
// have for the design to be drawn; `draw` fills row k. Nothing is written
// unless every station has a size. Leaves the last station's angle in *last.
template <class Size, class Draw>
int draw_stations(Volout& v, int points, Size size, Draw draw, double* last) {
    // One station divides the step by zero; none never ends the turn.
    if (v.A == nullptr || v.n < 2) return 1;
    if (v.n > v.alloc_rows || points > v.alloc_points) return 1;
    const double step = kTwoPi / (v.n - 1);
    int count = 0;
    double theta = kFirstStation;
    for (; count < v.n && theta < kStationLimit; theta += step, ++count)
        if (!std::isfinite(size(theta))) return 1;
    theta = kFirstStation;
    for (int k = 0; k < count; ++k, theta += step) {
        draw(v.A[k], theta);
        *last = theta;
    }
    v.nA = count;
    v.mA = points;
    return 0;
}

// The rectangular contour of forms 1 and 3: outer wall R across the section
// W wide, side walls down to r0 where the neck x_neck wide begins, the neck
// down to the exit radius r, and back up.
void rect_contour(Point3* row, double theta, double W, double x_neck, double b, double R, double r0,
                  double r) {
    const double x[kRectPoints] = {W / 2.0, -W / 2.0, -x_neck, -b / 2.0, -b / 2.0,
                                   b / 2.0, b / 2.0,  x_neck,  W / 2.0};
    const double radius[kRectPoints] = {R, R, r0, r0, r, r, r0, r0, R};
    for (int p = 0; p < kRectPoints; ++p) row[p] = place(x[p], radius[p], theta);
}

}  // namespace

// Logarithmic spiral: constant angular momentum across a section 5 b wide,
// W ln(R / r0) = b tan A theta.
int volin_form1(Volout* rec) {
    Volout& v = *rec;
    const double r = v.r2, b = v.b2, r0 = kVoluteStart * r;
    const double T = flow_tangent(v.A2);
    const double W = kSpiralWidth * b;
    auto outer = [&](double theta) { return nonzero(r0 * std::exp(T * b / W * theta)); };
    double last = 0.0;
    const int result = draw_stations(
        v, kRectPoints, outer,
        [&](Point3* row, double theta) {
            rect_contour(row, theta, W, (b + W) / 4.0, b, outer(theta), r0, r);
        },
        &last);
    if (result != 0) return result;
    const double R = outer(last);
    v.Dk = R + r0;
    v.bk = W;
    v.hk = R - r0;
    return 0;
}

// Circular sections, centred at r0 + rho, each carrying theta / 2 pi of the
// inflow: pi rho^2 / (r0 + rho) = b tan A theta.
int volin_form2(Volout* rec) {
    Volout& v = *rec;
    const double b = v.b2, r0 = kVoluteStart * v.r2;
    const double k = b * flow_tangent(v.A2) / 180.0;
    auto radius = [&](double theta) {
        const double d = theta / kDegree;
        return (std::sqrt(k * k * d * d + 4.0 * k * r0 * d) + k * d) / 2.0;
    };
    // The circle's points are the same at every station.
    double cosines[kCirclePoints], sines[kCirclePoints];
    for (int p = 0; p < kCirclePoints; ++p) {
        const double phi = p * kCircleStep * kDegree;
        cosines[p] = std::cos(phi);
        sines[p] = std::sin(phi);
    }
    double last = 0.0;
    const int result = draw_stations(
        v, kCirclePoints, radius,
        [&](Point3* row, double theta) {
            const double rho = nonzero(radius(theta));
            for (int p = 0; p < kCirclePoints; ++p)
                row[p] = place(rho * cosines[p], r0 + rho + rho * sines[p], theta);
        },
        &last);
    if (result != 0) return result;
    const double rho = radius(last);
    v.Dk = (r0 + rho) + r0;
    v.hk = std::sqrt(kPi * nonzero(rho) * nonzero(rho));
    v.bk = v.hk;
    return 0;
}

// Linear law: radius and width both grow as (1 + tan A theta).
int volin_form3(Volout* rec) {
    Volout& v = *rec;
    const double r = v.r2, b = v.b2, r0 = kVoluteStart * r;
    const double T = flow_tangent(v.A2);
    auto outer = [&](double theta) { return nonzero((1.0 + T * theta) * r0); };
    auto width = [&](double theta) { return (1.0 + T * theta) * b; };
    double last = 0.0;
    const int result = draw_stations(
        v, kRectPoints, outer,
        [&](Point3* row, double theta) {
            const double W = width(theta);
            rect_contour(row, theta, W, W / 2.0, b, outer(theta), r0, r);
        },
        &last);
    if (result != 0) return result;
    const double R = outer(last);
    v.Dk = R + r0;
    v.bk = width(last);
    v.hk = R - r0;
    return 0;
}

}  // namespace h2::predesign

extern "C" int VolinDesign(Volout* rec) {
    using namespace h2::predesign;
    if (rec == nullptr) return 1;
    switch (rec->form) {
        case 1:
            return volin_form1(rec);
        case 2:
            return volin_form2(rec);
        case 3:
            return volin_form3(rec);
        default:
            return 1;
    }
}
