// Internal entries of the turbine element redesign and the regeneration
// pass: gap estimation, blade heights from continuity, the dependent blade
// sizes, the element redesign and the loss-versus-strength search. All work
// on the calling thread's current case at its middle section.
#pragma once

#include <cstdint>

#include "case/case_arrays.h"
#include "halvorine2/case_block.h"
#include "halvorine2/threading.h"

namespace h2::turbine {

// Angle factor and pi of the design code (eight- and nine-digit values, as
// the blade and strength code of the library uses them).
inline constexpr double kDeg = 0.01745329;
inline constexpr double kPi = 3.14159265;
// Entries of the per-element search tables (strs_mode, S1result_elem, S1bx_*, S1tb_*).
inline constexpr int kSearchTable = 100;

// Prerequisite slots read by the design code.
inline constexpr int kSlotGapThreshold = 21;
inline constexpr int kSlotStatorRowHold = 28;
inline constexpr int kSlotRotorRowHold = 29;

// The current case when its arrays exist and hold its counts; else nullptr.
inline bdLocals* design_case() {
    bdLocals* b = get_bdLocals();
    if (b == nullptr || b->elem_stagType == nullptr || b->cas_b == nullptr || b->isd_p2 == nullptr)
        return nullptr;
    if (!path_fits_arrays(b) || b->cyld_nr < 1 || b->cyld_ns < 0) return nullptr;
    return b;
}

// The same, also requiring 1 <= e <= cyld__ns.
inline bdLocals* design_element_case(int e) {
    bdLocals* b = design_case();
    return b != nullptr && e >= 1 && e <= b->cyld_ns ? b : nullptr;
}

// Search mode of element e: 0 for an element beyond the tables.
inline int search_mode(const bdLocals& b, int e) { return e >= 0 && e < kSearchTable ? b.strs_mode[e] : 0; }

// A rotor of speed wp (rad/s) whose first bending frequency sk (Hz) lies
// strictly inside the band around one of the harmonics 2..6 of its
// rotational frequency (15, 8, 6, 5 and 4 percent wide on either side).
bool rotor_resonant(double wp, double sk);

// Loads the stored section models for the life of the object when the case
// has none, and afterwards puts the model fields back as they were: models
// the case had before (loaded by an outer scope or put there by a host) stay,
// models loaded here are released on every path.
class SectionModels {
public:
    explicit SectionModels(bdLocals& b);
    ~SectionModels();
    SectionModels(const SectionModels&) = delete;
    SectionModels& operator=(const SectionModels&) = delete;

private:
    bdLocals& b_;
    bool loaded_here_ = false;
    void* saved_rotor_ = nullptr;
    void* saved_stator_ = nullptr;
    std::int32_t saved_owned_ = 0;
};

}  // namespace h2::turbine

extern "C" {

// The three clearance sizes of a rotor of height x: axial gap g1, tip and hub
// overlaps g2 and g3.
void estimate_gaps(double x, double* g1, double* g2, double* g3);
// The same sizes from their straight lines and caps alone, for any height
// (the stage sweep's rotor gaps).
void stgGapSizes(double x, double* g1, double* g2, double* g3);

// Blade height l with (d + l)^2 l = K (hub diameter d), with (d - l)^2 l = K
// (tip diameter d), and K / d^2 (mean diameter d); -1.0 when not found.
double stgHeightFromHub(double d, double K);
double stgHeightFromTip(double d, double K);
double stgHeightFromMean(double d, double K);

// Dependent sizes of element e from its exit diameter, height and blade
// count: annulus area, pitch, chord or relative pitch, seal diameters, radii
// and blade speeds. 0, or 1 when a hub radius comes out negative.
int stgBladeSizes(int e);

// Redesign of element e (1..cyld__ns) at its middle section: 0 done, 1 no
// height, a negative hub radius or an exit speed below the meridional speed,
// 2 a relative exit Mach number above 2 on an expansion path, else the
// non-zero result of the search.
int stgDesignElem(int e);

// A candidate of the loss-versus-strength search: the swept value, the other
// value, and a third that stays zero.
struct LosStrsPoint {
    double v[3];
};
void CopyLosStrsPoint(const LosStrsPoint* source, LosStrsPoint* target);

// Inlet sizing of element 0 and the inlet-volute step of the regeneration
// pass: 0 done, 1 failed.
int stgInletSize(void);
int stgVolinSize(int e);

// Steps of the stage sweep on stator es and rotor er = es + 1 (checked by
// OptStg2): point p of the LPtau sequence (ndim coordinates, six used) into
// the stage's reaction, diameters, heights and axial gap, and into the current
// values of module record 0; the pitch and stagger of the sections below the
// last from the new sizes; the geometry, seals and stator exit pressure that
// follow from them (always 0).
void SetStgPoint(int es, int er, int p, int ndim);
void stgPointPitch(int es, int er);
int RebuildStg(int es, int er);
}
