// Axial compressor and fan modules: the generators the predesign composer
// calls (PD_generator form) and what they share with the regeneration passes
// of design solves.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "halvorine2/case_block.h"

namespace h2::predesign {

// Lays out and converges an axial compressor module (record m) in the current
// case. 0; 1 pass limit; 3 corrupted data; 101 a limit of the record (or a
// stage count the case cannot hold); 102 a Gflag other than 0 or 1.
int AxCompDesign(int m);
// The same for a fan module (element 0 and one rotor).
int AxFanDesign(int m);

// The axial compressor pass of a design solve on the run first..last of b
// (scgRN without the case look-up).
int regenerate_axial_run(bdLocals& b, int first, int last);
// The fan pass (sfgRN without the case look-up).
int regenerate_fan(bdLocals& b);

// Source names that the corrupted-data texts carry.
inline constexpr const char* kAxCompSource = "solver/predesign/axcompdesign";
inline constexpr const char* kAxFanSource = "solver/predesign/axfandesign";

// Writes the corrupted-data text naming source and line; returns 3.
inline int corrupted_data(bdLocals& b, const char* source, int line) {
    std::snprintf(b.err_text, sizeof b.err_text, "ERRCODE_CORRUPTED_DATA: in %s line %d", source, line);
    return 3;
}

// Relaxation with its floor: r when above the floor, else the floor.
inline double relaxation(double r, double floor) { return r > floor ? r : floor; }

// Convergence tolerance with its floor.
inline double tolerance(double acc, double floor) { return acc > floor ? acc : floor; }

// The work of the last pass and the pressure ratio it gave.
struct WorkStep {
    bool known = false;
    double dh = 0.0, ratio = 0.0;
};

// The work (or loading) of the next pass of a fan. A fan's ratio is close to 1, so scaling the
// work by target/ratio moves the ratio by only about (ratio - 1)/ratio of
// the error each pass, and the pass limit ends the design first. A secant
// step on the ratio against the work (the first one through no work and
// ratio 1) converges in a few passes; it is bounded to a factor of two, and
// the relaxed scaling stands where the secant has no slope.
inline double next_work(double dh, double ratio, double target, double relax, WorkStep& previous) {
    const double scaled = dh + (target / ratio - 1.0) * dh * relax;
    const double slope = previous.known ? (ratio - previous.ratio) / (dh - previous.dh) : (ratio - 1.0) / dh;
    previous = {true, dh, ratio};
    // More work gives more pressure; a slope that says otherwise (or none) is noise.
    if (!(slope > 0.0) || !std::isfinite(slope)) return scaled;
    const double secant = dh + (target - ratio) / slope;
    const double lo = std::min(0.5 * dh, 2.0 * dh), hi = std::max(0.5 * dh, 2.0 * dh);
    return std::clamp(secant, lo, hi);
}

// A blade row of speed 0 with blades: a stator or guide vane.
inline bool stator_row(const bdLocals& b, int e) {
    return b.bld_wp[e] == 0.0 && b.bld_z[e] != 0.0 && b.elem_stagType[e] == 1.0;
}

// A flow angle the rows can take: strictly between 0 and 180 degrees.
inline bool usable_angle(double a) { return a > 0.0 && a < 180.0; }

}  // namespace h2::predesign
