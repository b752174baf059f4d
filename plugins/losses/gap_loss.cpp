// Stand-in gap loss (model Z), kmga_t: the loss of the flow that the axial
// gap at the blade root between a stator and its rotor exchanges with the
// disk cavity, into enrg__zaz of the stator as a fraction of the kinetic
// energy at the stator exit.
#include "plugins/losses/section_state.h"

namespace {

using namespace h2::losses;

// The root gap of width clrn__DPOD (of the rotor) on the stator's hub
// radius passes the flow of a plain gap under the difference between the
// stator's hub exit pressure and the cavity pressure lkgn__PX (before the
// cavity is known, the rotor's hub exit pressure stands for it), at the
// discharge coefficient of Storer & Cumpsty (1994); that flow mixes back into
// the main stream without useful momentum (Denton, J. Turbomach. 115, 1993).
void gap_loss(bdLocals* block, int element) {
    const Element e(block, element);
    if (!e.ok()) return;
    const int hub = e.hub();
    const int rotor =
        element + 1 <= block->cyld_ns && h2_loss_element_ok(block, element + 1) ? element + 1 : element;

    const double p_main = e.at(&bdLocals::isd_p2, hub);
    const double cavity = e.get_of(&bdLocals::lkgn_PX, rotor);
    const double p_other = cavity > 0.0 ? cavity : e.at_of(&bdLocals::isd_p2, rotor, hub);
    const double dp = std::fabs(p_main - p_other);
    const double rho = e.at(&bdLocals::isd_Ro2, hub);

    const double root_radius = (e.get(&bdLocals::bld_d2) - e.get(&bdLocals::bld_l2)) / 2.0;
    const double area =
        2.0 * kPi * std::max(root_radius, 0.0) * std::fabs(e.get_of(&bdLocals::clrn_DPOD, rotor));
    const double leak = gap_flow(area, rho, dp);

    const double g = e.get(&bdLocals::elem_G1);
    const double fraction = g > 0.0 ? leak / g : 0.0;
    const double c2 = e.at(&bdLocals::flow_c2, hub);
    const double jet = rho > 0.0 ? std::sqrt(2.0 * dp / rho) : 0.0;
    e.put(&bdLocals::enrg_zaz, leakage_mixing_loss(fraction, c2 > 0.0 ? jet / c2 : 0.0));
}

void gap_loss_note(int size, char* buffer) {
    write_note(size, buffer, "<note>Z: root-gap flow mixing loss (Denton), gap discharge 0.8</note>");
}

}  // namespace

H2_LOSS_MODEL_ENTRY(InitZAZlos, H2_LOSS_Z, gap_loss, gap_loss_note)
