// A plane-cascade blade section from a parameter record: a mean line and a
// thickness distribution as end-angle curves, the two sides laid off along
// the mean line's normals, the edges closed by end-angle curves, the section
// mapped onto the cascade and its throat against the neighbour one pitch up.
//
// Two frames: the chord frame, where the mean line runs from the inlet end
// (0, 0) to the outlet end (1, 0) in chords, and the cascade frame, in the
// unit of b, reached by M(x, y) = b ((1 - x) cos gamma - y sin gamma,
// (1 - x) sin gamma + y cos gamma): the outlet end at the origin, the inlet
// end at b (cos gamma, sin gamma), the neighbour shifted by t = b tb along
// +y. With a positive thickness the contour runs clockwise in the cascade
// frame, side A (the suction side, +y of the chord frame) first, starting
// from the outlet end. Angles are in degrees.
#pragma once

#include "halvorine2/case_block.h"

namespace h2 {

struct ProfParams {
    double beta1;             // in: inlet blade angle from the pitch direction
    double beta2;             // in: outlet blade angle from the pitch direction
    double thickAngle1;       // in: end angle of the thickness curve at x = 0
    double thickAngle2;       // in: the thickness curve ends at x = 1 at 180 - thickAngle2
    double b;                 // in: chord
    double tb;                // in: pitch-to-chord ratio
    double gamma;             // in: stagger, outlet end to inlet end against x
    double spare[2];          // the caller's; never touched by the builder
    double r1;                // in: extra half thickness at the inlet end, unit of b
    double r2;                // in: extra half thickness at the outlet end, unit of b
    double xSag;              // out: chord-frame x of the mean line's deepest point below the chord
    double sag;               // out: that depth in chords, 0 when none lies below
    double xThick;            // out: thickness-curve x of the largest thickness
    double thickMax;          // out: the largest thickness, chords
    double throatTurn;        // out: turning of side A from its outlet end to the throat point
    double ot;                // out: throat width over pitch
    int spareInt;             // the caller's; never touched by the builder
    int nA;                   // in, out: steps of side A, made the smaller of nA and nB
    int nIn;                  // in: steps of the inlet edge
    int nB;                   // in, out: steps of side B, made equal to nA
    int nOut;                 // in: steps of the outlet edge
    int stride;               // out: length of each work array, max(nA, nIn, nOut) + 1
    int iSag;                 // out: mean-line index of xSag
    int iThick;               // out: thickness-curve index of xThick
    int iThroatA;             // out: contour index of the throat point on side A
    int iThroatB;             // out: contour index of the throat point on the neighbour
    double k1Mean, k2Mean;    // out: chart fractions of the mean line
    double k1Thick, k2Thick;  // out: chart fractions of the thickness curve
    double inletEnd[2];       // out: inlet end of the chord, cascade frame
    double outletEnd[2];      // out: outlet end of the chord, cascade frame: (0, 0)
    // out: 14 arrays of stride doubles (free() it): mean line x, y and
    // thickness curve x, y (cascade frame); side A, inlet edge, side B,
    // outlet edge x, y (chord frame); the point (1, 0) at index nA of arrays
    // 12, 13. An earlier block left here is not freed by the builder.
    double* work;
};

// The closed contour of 2 nA + nIn + nOut + 1 points (the last repeats the
// first; free() it), or NULL: for no record or unusable counts or sizes
// (nA or nB below 2, nIn or nOut below 1, b or tb not positive) with nothing
// written, and for no memory (then a work block already made is handed over
// in work). throatTurn is 0 when the throat lies at side A's outlet end or no
// throat is found.
Point3* profile_from_params(ProfParams* record);

// From two blade angles and c: the half turning (beta2 - beta1) / 2, c /
// 0.011, the mean angle, the camber height 0.0044 per degree of half turning
// and sin(mean angle) - camber height - c / 2. Returns 0.
int camber_estimates(double beta1, double beta2, double c, double* halfTurning, double* scaled,
                     double* meanAngle, double* camberHeight, double* sineDifference);

}  // namespace h2
