// A plane-cascade blade section from a parameter record.
#include "blades/profile_params.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "blades/angle_chart.h"
#include "numerics/one_dim.h"

namespace h2 {

namespace {

constexpr double kRad = 0.017453292519943295;  // radians per degree
constexpr double kNoThroat = 1e16;             // squared distance before any throat pair
constexpr double kSlopeShift = 1e-8;           // keeps the normal of a level mean line finite
constexpr int kWorkArrays = 14;
constexpr double kCamberPerDegree = 0.0044;  // camber height per degree of half turning
constexpr double kScaleDivisor = 0.011;

// Direction of the segment p -> q, degrees.
double direction(double px, double py, double qx, double qy) { return std::atan2(qy - py, qx - px) / kRad; }

// The chord frame to the cascade frame: the chord reversed, scaled by b and
// turned by gamma.
struct CascadeMap {
    double b, c, s;
    Point3 operator()(double x, double y) const {
        return Point3{b * ((1.0 - x) * c - y * s), b * ((1.0 - x) * s + y * c), 0.0};
    }
};

}  // namespace

Point3* profile_from_params(ProfParams* record) {
    if (record == nullptr) return nullptr;
    ProfParams& R = *record;
    const int nA = std::min(R.nA, R.nB);
    // The three-point slopes at both ends of the mean line need two steps;
    // the edges need one step each, the map a positive chord and pitch.
    if (nA < 2 || R.nIn < 1 || R.nOut < 1 || !(R.b > 0.0) || !(R.tb > 0.0)) return nullptr;
    const int nIn = R.nIn, nOut = R.nOut;
    const long long total64 = 2LL * nA + nIn + nOut;
    if (total64 >= 0x7fffffffLL) return nullptr;
    R.nA = nA;
    R.nB = nA;
    const int total = static_cast<int>(total64);
    const int stride = std::max({nA, nIn, nOut}) + 1;

    auto* work = static_cast<double*>(std::calloc(static_cast<size_t>(kWorkArrays) * stride, sizeof(double)));
    if (work == nullptr) return nullptr;
    auto* contour = static_cast<Point3*>(std::calloc(static_cast<size_t>(total) + 1, sizeof(Point3)));
    if (contour == nullptr) {
        R.work = work;
        R.stride = stride;
        return nullptr;
    }
    const auto array = [work, stride](int a) { return work + static_cast<size_t>(a) * stride; };
    double *mx = array(0), *my = array(1), *tx = array(2), *ty = array(3);
    double *ax = array(4), *ay = array(5), *ix = array(6), *iy = array(7);
    double *bx = array(8), *by = array(9), *ox = array(10), *oy = array(11);
    // The outlet end (1, 0) of the chord frame.
    const auto mark_outlet_end = [&] {
        array(12)[nA] = 1.0;
        array(13)[nA] = 0.0;
    };

    // Mean line and its deepest point below the chord.
    endangle_curve(0, nA, 0.0, 0.0, 90.0 - R.beta1 + R.gamma, 1.0, 0.0, 90.0 + R.beta2 + R.gamma, mx, my,
                   &R.k1Mean, &R.k2Mean);
    mark_outlet_end();
    R.sag = 0.0;
    for (int i = 0; i <= nA; ++i) {
        if (-my[i] > R.sag) {
            R.sag = -my[i];
            R.xSag = mx[i];
            R.iSag = i;
        }
    }

    // Thickness curve and its largest value.
    endangle_curve(0, nA, 0.0, 0.0, R.thickAngle1, 1.0, 0.0, 180.0 - R.thickAngle2, tx, ty, &R.k1Thick,
                   &R.k2Thick);
    mark_outlet_end();
    R.thickMax = 0.0;
    for (int i = 0; i <= nA; ++i) {
        if (ty[i] > R.thickMax) {
            R.thickMax = ty[i];
            R.xThick = tx[i];
            R.iThick = i;
        }
    }

    // Sides along the mean line's normals (the one with y >= 0 points to
    // side A); the thickness is taken at the mean-line index, the edge term
    // grows linearly with the mean-line x.
    for (int i = 0; i <= nA; ++i) {
        const int j = i == 0 ? 0 : (i == nA ? nA - 2 : i - 1);
        const double slope = parabola_slope(mx[j], mx[j + 1], mx[j + 2], my[j], my[j + 1], my[j + 2], mx[i]);
        const double phi = std::atan(-1.0 / (slope + kSlopeShift));
        const double nx = phi > 0.0 ? std::cos(phi) : -std::cos(phi);
        const double ny = phi > 0.0 ? std::sin(phi) : -std::sin(phi);
        const double h = ty[i] / 2.0 + (R.r1 + (R.r2 - R.r1) * mx[i]) / R.b;
        ax[i] = mx[i] + h * nx;
        ay[i] = my[i] + h * ny;
        bx[i] = mx[i] - h * nx;
        by[i] = my[i] - h * ny;
    }

    // Edges: from side A to side B at the inlet end, back at the outlet end.
    endangle_curve(0, nIn, ax[0], ay[0], direction(ax[0], ay[0], ax[1], ay[1]), bx[0], by[0],
                   direction(bx[0], by[0], bx[1], by[1]), ix, iy, nullptr, nullptr);
    endangle_curve(0, nOut, bx[nA], by[nA], direction(bx[nA - 1], by[nA - 1], bx[nA], by[nA]), ax[nA], ay[nA],
                   direction(ax[nA - 1], ay[nA - 1], ax[nA], ay[nA]), ox, oy, nullptr, nullptr);

    // The contour in the cascade frame: side A from the outlet end, inlet
    // edge, side B from the inlet end, outlet edge, point 0 repeated.
    const CascadeMap M{R.b, std::cos(R.gamma * kRad), std::sin(R.gamma * kRad)};
    int k = 0;
    for (int i = nA; i >= 1; --i) contour[k++] = M(ax[i], ay[i]);
    for (int i = 0; i < nIn; ++i) contour[k++] = M(ix[i], iy[i]);
    for (int i = 0; i < nA; ++i) contour[k++] = M(bx[i], by[i]);
    for (int i = 0; i < nOut; ++i) contour[k++] = M(ox[i], oy[i]);
    contour[total] = contour[0];

    for (int i = 0; i <= nA; ++i) {
        const Point3 m = M(mx[i], my[i]);
        mx[i] = m.x;
        my[i] = m.y;
        const Point3 th = M(tx[i], ty[i]);
        tx[i] = th.x;
        ty[i] = th.y;
    }
    const Point3 inlet = M(0.0, 0.0), outlet = M(1.0, 0.0);
    R.inletEnd[0] = inlet.x;
    R.inletEnd[1] = inlet.y;
    R.outletEnd[0] = outlet.x;
    R.outletEnd[1] = outlet.y;

    // Throat: side A (without its inlet-end point) against side B and the
    // outlet edge of the neighbour one pitch up; the first pair of a tie wins.
    const double t = R.b * R.tb;
    double best = kNoThroat;
    bool found = false;
    for (int i = 0; i < nA; ++i) {
        for (int j = nA + nIn; j < total; ++j) {
            const double dx = contour[i].x - contour[j].x;
            const double dy = contour[i].y - (t + contour[j].y);
            const double d2 = dx * dx + dy * dy;
            if (d2 < best) {
                best = d2;
                R.iThroatA = i;
                R.iThroatB = j;
                found = true;
            }
        }
    }
    R.ot = std::sqrt(best) / t;
    // Side A's turning up to the throat point needs a segment ending there:
    // none ends at point 0, and without a pair there is no throat point.
    R.throatTurn = 0.0;
    if (found && R.iThroatA > 0) {
        const Point3 p0 = contour[0], p1 = contour[1];
        const Point3 q0 = contour[R.iThroatA - 1], q1 = contour[R.iThroatA];
        R.throatTurn = direction(p0.x, p0.y, p1.x, p1.y) - direction(q0.x, q0.y, q1.x, q1.y);
    }

    R.work = work;
    R.stride = stride;
    return contour;
}

int camber_estimates(double beta1, double beta2, double c, double* halfTurning, double* scaled,
                     double* meanAngle, double* camberHeight, double* sineDifference) {
    const double h = (beta2 - beta1) * 0.5;
    const double m = (beta1 + beta2) * 0.5;
    const double k = kCamberPerDegree * h;
    if (halfTurning != nullptr) *halfTurning = h;
    if (scaled != nullptr) *scaled = c / kScaleDivisor;
    if (meanAngle != nullptr) *meanAngle = m;
    if (camberHeight != nullptr) *camberHeight = k;
    if (sineDifference != nullptr) *sineDifference = std::sin(m * kRad) - k - 0.5 * c;
    return 0;
}

}  // namespace h2
