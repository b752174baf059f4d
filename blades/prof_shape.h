// A blade section held as a closed contour of points in the plane, with the
// geometry derived from it: extremes, the circles of the inlet and outlet
// edges, chords and stagger, the two surfaces sampled on vertical strips and
// the section properties.
//
// Axes: x runs from the outlet edge towards the inlet edge, so the inlet edge
// lies at the greatest x. The contours built in this library run clockwise
// with the suction side first, starting from the outlet edge. Angles are in
// degrees. Contours of fewer than 4 points are refused at creation.
#pragma once

#include <memory>
#include <vector>

#include "halvorine2/case_block.h"

namespace h2 {

struct ProfShape {
    int n = 0;
    std::vector<Point3> points;  // the contour
    int m = 0;                   // strip count
    std::vector<Point3> backward_strips;
    std::vector<Point3> forward_strips;
    int chord_ends[2] = {0, 0};  // the two points farthest apart
    int iG = 0;                  // throat point
    int segments[5] = {0, 0, 0, 0, 0};
    int iXmin = 0, iXmax = 0, iYmax = 0;
    int iYlow = 0, iTail = 0, iHead = 0;
    int iInletEdge = 0, iOutletEdge = 0;
    double xmin = 1e6, xmax = -1e6, ymax = -1e6;
    double yLow = 0.0, yTail = 0.0, yHead = 0.0;
    double b1 = 0.0, b2 = 0.0, b3 = 0.0, b = 0.0;
    double B = 0.0, A = 0.0;
    double a = 0.0, t = 0.0, B2e = 0.0;
    double Byct1 = 0.0, Byct2 = 0.0, Byct3 = 0.0, Byct = 0.0;
    double B1g = 0.0, B2g = 0.0, B1g_org = 0.0;
    double r2_ = 0.0;
    double xbx = 0.0, ybx = 0.0, rbx = 0.0;     // inlet-edge circle
    double xbyx = 0.0, ybyx = 0.0, rbyx = 0.0;  // outlet-edge circle
    double Cm_x = 0.0, Cm_y = 0.0;              // centroid, x from xmin
    double Ix = 0.0, Iy = 0.0, Ixy = 0.0;       // raw strip sums
    double Area = 0.0;
    double Alfa = 0.0;
    // Centroidal and principal moments of the last prof_properties.
    double Jx = 0.0, Jy = 0.0, Jxy = 0.0, Ju = 0.0, Jv = 0.0, fi = 0.0;
    int camber_count = 0;
    std::vector<Point3> camber_points;
    std::vector<double> camber_radii;
};

// n contour points (at least 4) and m strips (at least 1); NULL otherwise or
// when memory runs out.
ProfShape* prof_create(int n, int m);
ProfShape* prof_free(ProfShape* shape);
int prof_copy_in(ProfShape* shape, const Point3* points);
// Copies the points (when not NULL), then moves the contour so that the least
// x is 0 and the circle through the last three points touches y = 0.
int prof_set_points(ProfShape* shape, const Point3* points);
int prof_scale(ProfShape* shape, double factor);
int prof_geometry(ProfShape* shape);
int prof_normalize(ProfShape* shape, const Point3* points);
int prof_edges(ProfShape* shape);
// Circle through three points: 0, or 1 with zero radius and centre when they
// are collinear.
int circle3(Point3 p1, Point3 p2, Point3 p3, double* radius, Point3* centre);
int prof_segments(ProfShape* shape);
// Turns the contour counter-clockwise by angle about the outlet-edge centre.
int prof_rotate(ProfShape* shape, double angle, int recompute);
int prof_set_angle(ProfShape* shape, double angle);
// 0, -1 without memory, 1 or 2 when the forward or backward walk overruns.
int prof_strips(ProfShape* shape, int at_edges);
int prof_properties(ProfShape* shape, int print);
int prof_camber(ProfShape* shape);

struct ProfShapeDeleter {
    void operator()(ProfShape* shape) const { prof_free(shape); }
};
using ProfShapePtr = std::unique_ptr<ProfShape, ProfShapeDeleter>;

}  // namespace h2
