// Loss, deviation and blockage of one section of an element, by element
// family: each wrapper calls the family's loss-model slots (profile P,
// secondary S, deviation V, blockage B) and completes what the models leave.
// Turbine rows have theirs beside the section loss assembly
// (physics/section_losses.h).
//
// All work on the calling thread's current case, element i and section j.
// A model runs only when its switch (elem__MethodP .. elem__MethodB) is on and
// its slot entry is set: a switched-on model whose plug-in was never found
// counts as switched off, rather than being called through NULL.
//
// Without a current case, without its arrays, with counts that no longer fit
// the arrays, or with i or j outside them, nothing is read or written and the
// wrappers answer: loss 1.0 (no loss), deviation the angle handed in (0.0 for
// the wrappers whose result is always 0.0), blockage 0.0.
#pragma once

#include "halvorine2/case_block.h"

namespace h2 {

// The current case when section j of element i lies inside its arrays and
// its counts fit them, else nullptr.
bdLocals* loss_section_case(int i, int j);

// The same checks on the current case c, already at hand.
bdLocals* loss_section_case_in(bdLocals* c, int i, int j);

// row_dev_angle of the current case c, already at hand.
double row_dev_angle_in(bdLocals* c, int i, int j, double angle);

// Holds, while element i of case c is solved, what row_dev_angle_in works
// out before any deviation is computed: that the element lies in the arrays,
// its family, and the deviation model a turbine row calls. None of it moves
// with the trial outlet speed, so the trials of one element solve find it
// once; the deviation itself (the model, or the incidence with the kept
// deviation) is still computed at every trial. Scopes nest and belong to the
// thread that opened them.
class DeviationRouteScope {
public:
    DeviationRouteScope(const bdLocals* c, int i);
    ~DeviationRouteScope();
    DeviationRouteScope(const DeviationRouteScope&) = delete;
    DeviationRouteScope& operator=(const DeviationRouteScope&) = delete;

    struct Route {
        const bdLocals* c = nullptr;
        int i = -1;
        int kind = -1;  // -1 not found yet, else the family's way (section_losses.cpp)
        LossCalcFunc model = nullptr;  // the turbine row's deviation model, when it runs
    };

private:
    Route route_;
    Route* outer_ = nullptr;
};

// Calls the model of section slot `slot` (H2_LOSS_P .. H2_LOSS_B) for section
// j of element i when it runs (switch on, entry set); true when it was called.
bool call_section_model(bdLocals& c, int slot, int i, int j);

// Energy loss of a section that keeps the velocity coefficient phi of a
// kinetic energy v_squared / 2: (1 - phi^2) v^2 / 2.
double kinetic_energy_loss(double phi, double v_squared);

// Isentropic exponent of the relative inlet state of section j of element i:
// the main fluid's code 5 at (isd__p1wx, isd__i1wx, elem__af[i]). Without a
// fluid function 1.0, which selects the incompressible conversions.
double inlet_isentropic_exponent(const bdLocals& c, int i, int j);

}  // namespace h2

extern "C" {

// Loss wrappers: the velocity coefficient phi of the section, los__Los[i][j].
// P and S are called when they run; lkg_elem := i (not by the inlet volute).
// When P does not run, enrg__dhb[i][j] := (1 - phi^2) v^2 / 2 with the given
// phi and the family's velocity v:
//   centrifugal row  flow__w1
//   deswirler        flow__w1; also los__om := k_loss_conv_b (phi^2, isd__p1wx,
//                    isd__p1, isd__i1wx, k), k from the fluid before the models
//   U- and L-bends   flow__c1, into enrg__dhub[i] and copied to enrg__dhb[i][j]
//   vaneless diff.   flow__c1
//   inlet volute     flow__w2
//   outlet volute    flow__w1
double elem_loss_cent(int i, int j);
double elem_loss_other(int i, int j);
double elem_loss_uband(int i, int j);
double elem_loss_diff(int i, int j);
double elem_loss_volin(int i, int j);
double elem_loss_volout(int i, int j);

// Axial compressor row: P and S (which leave a total-pressure loss
// coefficient in los__om and los__XS), los__om += los__XS, lkg_elem := i,
// phi := sqrt|k_loss_conv_a (los__om, isd__p1wx, isd__p1, isd__i1wx, k)| into
// los__Los; when isd__s1 is exactly 0.0 (a fluid without entropy),
// enrg__dhb := (1 - phi^2) max(w1^2, w2^2) / 2. Returns phi.
double elem_loss_axcomp(int i, int j);

// Deviation wrappers, all (i, j, angle). When V runs it sets cas__dR[i][j].
//   axcomp  Inlet metal angle and exit angle: cas__B1g[i][j] and the given
//           angle for one section or a 1D solve; otherwise interpolated over
//           the element's sections, (cas__ra1, cas__B1g) at flow__r1 and
//           (cas__ra2, cas__B2g) at min(bld__Rt2, flow__r2). Without V:
//           cas__iR := inlet metal angle - cas__B1, cas__dR kept. Result exit
//           angle + cas__dR for a rotor (blade row with bld__wp and bld__z
//           non-zero), exit angle - cas__dR for any other element.
//   cent    Without V cas__dR := 0.0; result cas__B2g ± cas__dR as above (the
//           angle is not used).
//   other, uband  Without V cas__dR := 0.0; result angle + cas__dR.
//   diff, volin, volout  Without V cas__dR := 0.0; result 0.0 (the caller
//           reads cas__dR).
double elem_dev_axcomp(int i, int j, double angle);
double elem_dev_cent(int i, int j, double angle);
double elem_dev_other(int i, int j, double angle);
double elem_dev_uband(int i, int j, double angle);
double elem_dev_diff(int i, int j, double angle);
double elem_dev_volin(int i, int j, double angle);
double elem_dev_volout(int i, int j, double angle);

// Blockage wrappers: B when it runs; result cas__blck[i][j].
double elem_block_axcomp(int i, int j);
double elem_block_cent(int i, int j);
double elem_block_other(int i, int j);
double elem_block_uband(int i, int j);
double elem_block_diff(int i, int j);
double elem_block_volin(int i, int j);
double elem_block_volout(int i, int j);

// The centrifugal family's second set, of the same form as the first; no
// caller in the library uses it.
double elem_loss_cent2(int i, int j);
double elem_dev_cent2(int i, int j, double angle);
double elem_block_cent2(int i, int j);
}
