// A cascade blade section built from a few design values: two edge circles,
// the suction side through a middle point and the pressure side as smooth
// end-angle curves, the edges as circular arcs (or end-angle curves), and a
// check of the result against sharp joints, crossings and its neighbour one
// pitch away.
//
// The contour runs clockwise with the suction side first, starting from the
// outlet edge: suction side (nSa + nSb steps, through the middle point at
// step nSa), inlet edge (nIn), pressure side (nPr), outlet edge (nOut), which
// closes back to point 0. Point k holds the start of step k. x runs from the
// outlet edge to the inlet edge; the outlet-edge circle sits at (r2, r2), so
// the contour touches x = 0 and y = 0 there. Angles are in degrees.
#pragma once

#include "halvorine2/case_block.h"

namespace h2 {

// Steps of the five segments of a contour.
struct ProfileSteps {
    int nSa = 0;   // suction side, outlet edge to the middle point
    int nSb = 0;   // suction side, middle point to the inlet edge
    int nIn = 0;   // inlet edge
    int nPr = 0;   // pressure side
    int nOut = 0;  // outlet edge

    int inlet_start() const { return nSa + nSb; }
    int pressure_start() const { return nSa + nSb + nIn; }
    int outlet_start() const { return nSa + nSb + nIn + nPr; }
    int total() const { return nSa + nSb + nIn + nPr + nOut; }
    // No negative count and a total that an int holds.
    bool valid() const;
};

// Two end-angle curves, P0 -> Pm over xs/ys[0..nSa] and Pm -> P2 over
// xs/ys[nSa..nSa + nSb]; at Pm the curve runs at 90 - anglem (folded into
// [-90, 90)). fractions (4 values, may be NULL) receives k1, k2 of the second
// piece, then of the first. Returns 0.
int curve_via_point(int nSa, int nSb, Point3 P0, double angle0, Point3 P2, double angle2, Point3 Pm,
                    double anglem, double* xs, double* ys, double* fractions);

// Fills contour[0..total - 1] from the edge circles (C1, r1 inlet; C2, r2
// outlet), the side end points P_A (suction side at the inlet edge), P_B
// (suction side at the outlet edge), P_C, P_D (pressure side at the inlet and
// outlet edges) with their polar angles on the circles, and the suction
// side's middle point P_M with its angle. curved != 0 draws the edges as
// end-angle curves (which needs at least one suction and one pressure step).
// fractions (6 values, may be NULL) receives k1, k2 of the pressure side, the
// second and the first suction piece. 0; -1 for negative or unusable counts
// or no memory.
int contour_from_edges(Point3 C1, double r1, Point3 C2, double r2, Point3 P_A, double angleA, Point3 P_B,
                       double angleB, Point3 P_C, double angleC, Point3 P_D, double angleD, Point3 P_M,
                       double angleM, const ProfileSteps& steps, int curved, Point3* contour,
                       double* fractions);

// The design values: chord b, stagger gamma, edge radii r1 (inlet) and r2
// (outlet), blade angles beta1, beta2 and wedge angles omega1, omega2 of the
// edges, pitch q = u4 u1, outlet angle u2 (the throat is q sin u2) and the
// suction side's angle u3 at its middle point.
struct ProfileDesign {
    double b = 0.0, u1 = 0.0, beta1 = 0.0, u2 = 0.0, beta2 = 0.0, u3 = 0.0;
    double omega1 = 0.0, omega2 = 0.0, r1 = 0.0, r2 = 0.0, u4 = 0.0, gamma = 0.0;
};

// A new contour of total + 1 points (point total stays zero; free() it), or
// NULL for negative or unusable counts or no memory. fractions as for
// contour_from_edges.
Point3* profile_from_design(const ProfileDesign& design, const ProfileSteps& steps, int curved,
                            double* fractions);

// 1 when the angle at P2 of the triangle P1 P2 P3 exceeds 90 degrees.
int angle_is_obtuse(Point3 P1, Point3 P2, Point3 P3);

// 0 valid, 1 a joint of segments not obtuse, 2 the suction side crosses the
// pressure side of this blade or of its neighbour at +t in y, -1 for no
// contour, no points or negative counts. The largest curvature of each side
// goes to kappaSuction and kappaPressure (may be NULL; 0 unless the result
// is 0).
int contour_check(const Point3* contour, double t, const ProfileSteps& steps, double* kappaSuction,
                  double* kappaPressure);

}  // namespace h2
