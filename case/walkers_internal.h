// Section-kind tests of the current case's elements, and the cooled-path test.
// All answer 0 without a current case, without its element arrays, or for an
// element outside 0..cyld__ns.
#pragma once

#include <cmath>

#include "halvorine2/case_block.h"
#include "halvorine2/export.h"

namespace h2 {

// elem__stagType codes
inline constexpr double kDuct = 0.0;
inline constexpr double kBladeRow = 1.0;
inline constexpr double kVanelessDiffuser = 2.0;
inline constexpr double kUBend = 3.0;
inline constexpr double kOutletVolute = 4.0;
inline constexpr double kInletVolute = 5.0;
inline constexpr double kDeswirler = 6.0;
inline constexpr double kFirstLBend = 9.0;  // the L-bends are 9 to 12

// elem__sectType codes
inline constexpr double kAxialSections = 0.0;
inline constexpr double kRadialSections = 1.0;

// Row kinds of element k of a case whose arrays exist. A blade row without
// blades (bld__z 0) is neither rotor nor stator.
inline bool is_blade_row(const bdLocals& c, int k) { return c.elem_stagType[k] == kBladeRow; }
inline bool is_rotor(const bdLocals& c, int k) {
    return is_blade_row(c, k) && c.bld_wp[k] != 0.0 && c.bld_z[k] != 0.0;
}
inline bool is_stator(const bdLocals& c, int k) {
    return is_blade_row(c, k) && c.bld_wp[k] == 0.0 && c.bld_z[k] != 0.0;
}

// The path expands (a turbine) when the inlet pressure is above the outlet
// pressure; a case whose arrays exist.
inline bool is_expanding(const bdLocals& c) { return c.elem_p0[0] > c.elem_p2[c.cyld_ns]; }

// Mode and switch values held as doubles are read truncated towards zero;
// not a number counts as off.
inline bool switch_on(double value) { return !std::isnan(value) && std::trunc(value) != 0.0; }

}  // namespace h2

H2_EXTERN_C_BEGIN

// 1 when elem__sectType[j] is 0 (axial sections), else 0.
int is_sect_type0(int j);
// 1 when elem__sectType[j] is 1 (radial sections), else 0.
int is_sect_type1(int j);
// 1 when elem__sectType[j] is 2 (angular sections), else 0.
int is_angular(int j);
// 1 when elem__sectType[j] is 3, else 0.
int is_sect_type3(int j);

// Marks element j for the gravity-head terms of disposition N (0, 1, 2):
// elem__sectDisp[j] := N when the element has axial sections and cyld__Disp is
// N, else -1. Returns 1 when N was stored. Out of range: nothing stored, 0.
int set_sect_disp0(int j);
int set_sect_disp1(int j);
int set_sect_disp2(int j);

// 1 when some element 0..cyld__ns has stgtd__cooled non-zero, else 0.
int any_cooled(void);

H2_EXTERN_C_END
