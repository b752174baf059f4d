// Questions that solvers and reports ask about the row of elements of a flow
// path: the next or previous rotor or stator, the next blade-like element, the
// next angular section, the kind of an element's sections, and whether any
// element is cooled. Kinds are whole numbers held in doubles and are compared
// exactly.
#include "halvorine2/walkers.h"

#include "case/case_arrays.h"
#include "case/current_case.h"
#include "case/walkers_internal.h"
#include "halvorine2/threading.h"

namespace {

using h2::is_rotor;
using h2::is_stator;
using h2::kBladeRow;
using h2::kDeswirler;
using h2::kInletVolute;

// elem__sectType codes
constexpr double kAxialSections = 0.0;
constexpr double kRadialSections = 1.0;
constexpr double kAngularSections = 2.0;
constexpr double kSectType3 = 3.0;

// elem__sectDisp value of an element that takes no part in a disposition
constexpr double kNotInDisposition = -1.0;

// The current case when it holds the element arrays read here, else nullptr.
bdLocals* case_with_arrays() {
    bdLocals* c = h2::current_case();
    // Without a case, or before its arrays exist, every read below would go through NULL.
    if (c == nullptr || c->elem_stagType == nullptr || c->elem_sectType == nullptr ||
        c->elem_sectDisp == nullptr || c->bld_wp == nullptr || c->bld_z == nullptr ||
        c->stgtd_cooled == nullptr)
        return nullptr;
    // Counts that a host changed after the arrays were made would walk past them.
    if (!h2::path_fits_arrays(c)) return nullptr;
    return c;
}

// The current case when j is one of its elements, else nullptr.
bdLocals* case_at(int j) {
    bdLocals* c = case_with_arrays();
    // An index from a host outside 0..cyld__ns would read or write past the element arrays.
    if (c == nullptr || j < 0 || j > c->cyld_ns) return nullptr;
    return c;
}

bool is_blade_like(const bdLocals& c, int k) {
    return c.elem_stagType[k] == kBladeRow || c.elem_stagType[k] == kDeswirler;
}

enum class Direction { Downstream, Upstream };

// Tests the elements next to j one at a time (j+1 .. cyld__ns downstream,
// j-1 .. 1 upstream); at each the stop test comes before the found test.
template <class Stop, class Found>
int walk(int j, Direction dir, Stop stop, Found found) {
    const bdLocals* c = case_at(j);
    if (c == nullptr) return 0;
    const int step = dir == Direction::Downstream ? 1 : -1;
    const int last = dir == Direction::Downstream ? c->cyld_ns : 1;
    for (int k = j + step; dir == Direction::Downstream ? k <= last : k >= last; k += step) {
        if (stop(*c, k)) return 0;
        if (found(*c, k)) return k;
    }
    return 0;
}

bool never(const bdLocals&, int) { return false; }

int sect_type_is(int j, double type) {
    const bdLocals* c = case_at(j);
    return c != nullptr && c->elem_sectType[j] == type ? 1 : 0;
}

// Only elements with axial sections take part in the gravity-head terms of the
// path's disposition cyld__Disp; every other element is marked out of it.
int set_sect_disp(int j, int disposition) {
    bdLocals* c = case_at(j);
    if (c == nullptr) return 0;
    const bool in_disposition = c->elem_sectType[j] == kAxialSections && c->cyld_Disp == disposition;
    c->elem_sectDisp[j] = in_disposition ? static_cast<double>(disposition) : kNotInDisposition;
    return c->elem_sectDisp[j] == static_cast<double>(disposition) ? 1 : 0;
}

}  // namespace

extern "C" {

int next_rotor(int j) { return walk(j, Direction::Downstream, is_stator, is_rotor); }

int next_stator(int j) { return walk(j, Direction::Downstream, is_rotor, is_stator); }

int prev_rotor(int j) { return walk(j, Direction::Upstream, is_stator, is_rotor); }

// An inlet volute turns the flow as a stator row would, so the stage upstream
// of a rotor may begin with one.
int prev_stator(int j) {
    return walk(j, Direction::Upstream, is_rotor, [](const bdLocals& c, int k) {
        return is_stator(c, k) || c.elem_stagType[k] == kInletVolute;
    });
}

int next_blade(int j) { return walk(j, Direction::Downstream, never, is_blade_like); }

// Angular sections belong to the duct run up to the next row that turns the flow.
int next_angular(int j) {
    return walk(j, Direction::Downstream, is_blade_like,
                [](const bdLocals& c, int k) { return c.elem_sectType[k] == kAngularSections; });
}

int is_sect_type0(int j) { return sect_type_is(j, kAxialSections); }
int is_sect_type1(int j) { return sect_type_is(j, kRadialSections); }
int is_angular(int j) { return sect_type_is(j, kAngularSections); }
int is_sect_type3(int j) { return sect_type_is(j, kSectType3); }

int set_sect_disp0(int j) { return set_sect_disp(j, 0); }
int set_sect_disp1(int j) { return set_sect_disp(j, 1); }
int set_sect_disp2(int j) { return set_sect_disp(j, 2); }

int any_cooled(void) {
    const bdLocals* c = case_with_arrays();
    if (c == nullptr) return 0;
    for (int k = 0; k <= c->cyld_ns; ++k)
        if (c->stgtd_cooled[k] != 0.0) return 1;
    return 0;
}

}  // extern "C"
