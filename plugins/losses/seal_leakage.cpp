// Stand-in diaphragm seal leakage (model D), kmgd_t: the flow through the
// labyrinth under a stator diaphragm into the cavity before the next disk,
// into elem__Gdu of the stator.
#include "plugins/losses/section_state.h"

namespace {

using namespace h2::losses;

// Martin's labyrinth formula (Engineering 85, 1908; discharge coefficient
// after Egli, Trans. ASME 57, 1935) over clrn__Zrd teeth of clearance
// clrn__drd on the seal diameter bld__du, from the stator's inlet total
// state at the hub down to the cavity pressure lkgn__PX of the rotor behind
// it (the seal-leakage balance sets it before each call), or, before the
// cavity is known, down to the stator's hub exit pressure.
void seal_leakage(bdLocals* block, int element) {
    const Element e(block, element);
    if (!e.ok()) return;
    const int hub = e.hub();
    double p0 = e.at(&bdLocals::isd_p1x, hub);
    if (!(p0 > 0.0)) p0 = e.get(&bdLocals::elem_p0);
    const double i0 = e.at(&bdLocals::isd_i1x, hub);

    const int rotor = element + 1;
    const bool behind = rotor <= block->cyld_ns;
    const double cavity = behind ? e.get_of(&bdLocals::lkgn_PX, rotor) : 0.0;
    const double p_down = cavity > 0.0 && cavity < p0 ? cavity : e.at(&bdLocals::isd_p2, hub);

    double rho = e.at(&bdLocals::isd_Ro1, hub);
    if (!(rho > 0.0)) rho = finite_or(fluid_value(block, kDensity, p0, i0), 0.0);

    const double area = kPi * e.get(&bdLocals::bld_du) * std::fabs(e.get(&bdLocals::clrn_drd));
    double flow = martin_labyrinth_flow(area, p0, rho, p_down, e.get(&bdLocals::clrn_Zrd));
    const double g1 = e.get(&bdLocals::elem_G1);
    if (g1 > 0.0) flow = std::min(flow, g1);
    e.put(&bdLocals::elem_Gdu, flow);
}

void seal_leakage_note(int size, char* buffer) {
    write_note(size, buffer, "<note>D: Martin labyrinth formula, Egli discharge coefficient</note>");
}

}  // namespace

H2_LOSS_MODEL_ENTRY(InitUDU, H2_LOSS_D, seal_leakage, seal_leakage_note)
