// Stand-in radial-clearance leakage (model R): the flow that passes the tip
// of a blade row, into elem__Gr, and its velocity, into elem__Cr. Built as
// kmgr_t for expanding paths and kmgr_c (H2_LOSS_FAMILY 1) for compressing
// ones; the turbine model with the Soderberg set's open-tip gap flow as sodgr_t.
#include "plugins/losses/turbine_section.h"

namespace {

using namespace h2::losses;

constexpr bool kCompressor = kFamily == H2_FAMILY_AXIAL_COMPRESSOR;

// Density of the upstream side of the tip: the stored density, else the fluid's.
double upstream_density(const Element& e, int tip, double p, double i) {
    const double rho = kCompressor ? e.at(&bdLocals::isd_Ro2, tip) : e.at(&bdLocals::isd_Ro1, tip);
    if (rho > 0.0) return rho;
    const double f = fluid_value(e.block(), kDensity, p, i);
    return f > 0.0 ? f : 0.0;
}

// The flow of an unshrouded turbine rotor that, passing its tips, does no
// work: Kacker & Okapuu's (1982) efficiency loss 0.93 k/(h cos a2) r_t/r_m
// taken as the share of the row's flow that bypasses the blades (the solver
// takes elem__Gr out of the rotor's working flow and mixes it back behind).
double kacker_okapuu_open_tip(const Element& e, int tip) {
    const Section s(e.block(), e.index(), tip);
    const double h = e.get(&bdLocals::bld_l2), d = e.get(&bdLocals::bld_d2);
    const double tip_over_mean = d > 0.0 ? (d + h) / d : 1.0;
    const double share = ko::unshrouded_efficiency_loss(std::fabs(e.get(&bdLocals::clrn_drr)), h,
                                                        axial_angle(exit_angle(s)), tip_over_mean);
    return share * std::max(e.get(&bdLocals::elem_G1), 0.0);
}

// A shrouded row (clrn__Zrr teeth on its shroud, one or more) leaks through a
// labyrinth of clearance clrn__drr on the seal diameter bld__dub by Martin's
// formula (Martin 1908; Egli 1935). A turbine rotor without a shroud (a
// negative count, -1, in the case) follows Kacker & Okapuu above. In the
// Soderberg set, and on compressors, an open row leaks through the tip gap, driven by
// the mean blade loading rho s c_m |dw_u| / b (the Euler blade force per
// unit span over the axial chord), at the discharge coefficient of Storer &
// Cumpsty (J. Turbomach. 116, 1994), over the axial chord of every blade.
void tip_leakage(bdLocals* block, int element) {
    const Element e(block, element);
    if (!e.ok()) return;
    const int t = e.tip();
    const double p1 = e.at(&bdLocals::isd_p1, t), p2 = e.at(&bdLocals::isd_p2, t);
    // The flow goes from the row's high-pressure side to its low one.
    const double p_up = kCompressor ? p2 : p1, p_down = kCompressor ? p1 : p2;
    const double i_up = kCompressor ? e.at(&bdLocals::isd_i2, t) : e.at(&bdLocals::isd_i1, t);
    const double rho = upstream_density(e, t, p_up, i_up);
    const double gap = std::fabs(e.get(&bdLocals::clrn_drr));
    const double teeth = std::trunc(e.get(&bdLocals::clrn_Zrr));

    double flow = 0.0, area = 0.0;
    if (teeth >= 1.0) {
        const double dub = e.get(&bdLocals::bld_dub);
        const double seal_diameter = dub > 0.0 ? dub : e.get(&bdLocals::bld_d2) + e.get(&bdLocals::bld_l2);
        area = kPi * seal_diameter * gap;
        flow = martin_labyrinth_flow(area, p_up, rho, p_down, teeth);
    } else if (!kCompressor && !kSoderbergSet) {
        const double dub = e.get(&bdLocals::bld_dub);
        area = kPi * (dub > 0.0 ? dub : e.get(&bdLocals::bld_d2) + e.get(&bdLocals::bld_l2)) * gap;
        flow = kacker_okapuu_open_tip(e, t);
    } else {
        const Section s(block, element, t);
        const double bx = axial_chord(s);
        const double cm = (s.get(&bdLocals::flow_c1z) + s.get(&bdLocals::flow_c2z)) / 2.0;
        const double dwu = s.get(&bdLocals::flow_w1u) - s.get(&bdLocals::flow_w2u);
        const double loading = bx > 0.0 ? rho * pitch(s) * std::fabs(cm * dwu) / bx : 0.0;
        area = std::max(std::trunc(e.get(&bdLocals::bld_z)), 0.0) * gap * bx;
        flow = gap_flow(area, rho, loading);
    }
    // The leakage is part of the row's flow; more than all of it is not believed.
    const double g1 = e.get(&bdLocals::elem_G1);
    if (g1 > 0.0) flow = std::min(flow, g1);
    e.put(&bdLocals::elem_Gr, flow);
    e.put(&bdLocals::elem_Cr, area > 0.0 && rho > 0.0 ? flow / (rho * area) : 0.0);
}

constexpr const char* note_text() {
    if (kCompressor) return "<note>R: Martin labyrinth (shroud), Storer-Cumpsty tip gap</note>";
    return kSoderbergSet
               ? "<note>R: Martin labyrinth (shroud), tip gap flow (Storer-Cumpsty C_D)</note>"
               : "<note>R: Z teeth >= 1 shrouded: Martin labyrinth; Z -1 unshrouded: Kacker-Okapuu (1982) "
                 "0.93 k/(h cos a2) r_t/r_m as bypass flow</note>";
}

void tip_leakage_note(int size, char* buffer) { write_note(size, buffer, note_text()); }

}  // namespace

H2_LOSS_MODEL_ENTRY(InitURZ, H2_LOSS_R, tip_leakage, tip_leakage_note)
