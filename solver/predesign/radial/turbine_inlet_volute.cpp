// The inlet volute element of a radial turbine: the scroll in front of the
// nozzle ring takes the outlet state of the element before it, is sized for
// the nozzle's exit angle, and is drawn into the case's volute record.
#include <cmath>

#include "case/case_arrays.h"
#include "case/truncated_pi.h"
#include "halvorine2/threading.h"
#include "solver/gravity_head.h"
#include "solver/predesign/predesign_tables.h"
#include "solver/predesign/volute_design.h"

namespace h2::predesign {

namespace {

constexpr double kInletVoluteKind = 5.0;      // elem__stagType of an inlet volute
constexpr double kRadialTurbineModule = 1.0;  // elem__moduleType
constexpr double kRadialSection = 1.0;        // elem__sectType
// Slot of the prerequisite block with the element's k, and its value when the
// case has no block.
constexpr int kVoluteKSlot = 52;
constexpr double kVoluteKDefault = 6.0;
// Stations and contour points of a record the element makes.
constexpr int kRecordStations = 36;
constexpr int kRecordPoints = 36;

bool element_arrays_present(const bdLocals* b) {
    return all_present(b->elem_sectType, b->elem_stagType, b->elem_moduleType, b->bld_k, b->elem_p0,
                       b->elem_i0, b->elem_G1, b->elem_G2, b->bld_d2, b->bld_l2, b->vol_D7, b->vol_b7,
                       b->vol_Dk, b->vol_bk, b->vol_hk, b->vol_A2) &&
           all_present(b->isd_p2x, b->isd_i2x, b->isd_p1x, b->isd_i1x, b->cas_B1);
}

}  // namespace

int rt_volin_design(int i, int form, double alpha) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr) return 3;
    const int j = b->cyld_nr / 2;
    if (i < 1 || !allocated_element(b, i) || !allocated_stream(b, j) || !element_arrays_present(b)) return 3;
    const double A = alpha / kDegree;

    b->elem_sectType[i] = kRadialSection;
    b->elem_stagType[i] = kInletVoluteKind;
    b->elem_moduleType[i] = kRadialTurbineModule;
    b->bld_k[i] = prereq_slot(b, kVoluteKSlot, kVoluteKDefault);

    // The inlet state is the outlet of the element before, lifted by gravity.
    b->elem_p0[i] = b->isd_p2x[i - 1][j];
    b->isd_p1x[i][j] = b->elem_p0[i];
    b->elem_i0[i] = b->isd_i2x[i - 1][j];
    b->isd_i1x[i][j] = b->elem_i0[i] + grav_head_in(i, j);
    b->elem_i0[i] = b->isd_i1x[i][j];
    b->cas_B1[i][j] = A;
    b->elem_G1[i] = b->elem_G2[i - 1];

    const double d2 = b->bld_d2[i];
    const double l2 = b->bld_l2[i];
    double R = 0.0, S = 0.0, h = 0.0;
    int r = volin_size(form, d2 / 2.0, l2, A, l2, &R, &S, &h);
    if (r != 0) return r;

    b->vol_D7[i] = d2;
    b->vol_b7[i] = l2;
    b->vol_Dk[i] = 2.0 * R;
    if (form == 1 || form == 2) {
        b->vol_hk[i] = h;
        // A section of no height (no radial flow) keeps its width: the
        // area over the height would be 0 / 0.
        b->vol_bk[i] = h != 0.0 ? S / h : (form == 1 ? kSpiralWidth * l2 : l2);
    } else {
        b->vol_hk[i] = std::sqrt(S);
        b->vol_bk[i] = b->vol_hk[i];
    }
    b->vol_A2[i] = A;

    auto* rec = static_cast<Volout*>(b->volout);
    if (rec == nullptr) {
        rec = VoloutInit(form, kRecordStations, kRecordPoints);
        // Without a record the sizing stands and no geometry is drawn.
        if (rec == nullptr) return 1;
        b->volout = rec;
    }
    rec->form = form;
    rec->r2 = d2 / 2.0;
    rec->b2 = l2;
    rec->hb2 = b->vol_bk[i];
    rec->A2 = b->vol_A2[i];
    r = VolinDesign(rec);
    return r;
}

}  // namespace h2::predesign
