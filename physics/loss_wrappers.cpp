// Loss, deviation and blockage wrappers of the compressor, bend, diffuser,
// volute and deswirler families.
#include "physics/loss_wrappers.h"

#include <algorithm>
#include <cmath>

#include "case/case_arrays.h"
#include "case/current_case.h"
#include "case/walkers_internal.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/loss_plugin.h"
#include "halvorine2/threading.h"
#include "numerics/one_dim.h"
#include "physics/loss_conversions.h"
#include "physics/loss_host.h"

namespace {

constexpr double kNoLoss = 1.0;      // velocity coefficient of a lossless section
constexpr double kNoBlockage = 0.0;  // blockage where there is no section to ask

// The velocity whose kinetic energy a family's loss is measured by.
using SectionVelocity = double** bdLocals::*;

// P, then S, each when it runs; true when the profile model ran.
bool run_profile_and_secondary(bdLocals& c, int i, int j) {
    const bool profile_ran = h2::call_section_model(c, H2_LOSS_P, i, j);
    h2::call_section_model(c, H2_LOSS_S, i, j);
    return profile_ran;
}

// Without a profile model the family's energy loss follows from the given phi.
void energy_loss_from_phi(bdLocals& c, int i, int j, SectionVelocity v) {
    const double speed = (c.*v)[i][j];
    c.enrg_dhb[i][j] = h2::kinetic_energy_loss(c.los_Los[i][j], speed * speed);
}

// The common loss wrapper of the families whose models leave phi themselves.
double family_loss(int i, int j, SectionVelocity v, bool records_element) {
    bdLocals* c = h2::loss_section_case(i, j);
    if (c == nullptr) return kNoLoss;
    const bool profile_ran = run_profile_and_secondary(*c, i, j);
    if (records_element) c->lkg_elem = i;
    if (!profile_ran) energy_loss_from_phi(*c, i, j, v);
    return c->los_Los[i][j];
}

// The deviation of a section: the V model's when it runs, else none.
void deviation_or_none(bdLocals& c, int i, int j) {
    if (!h2::call_section_model(c, H2_LOSS_V, i, j)) c.cas_dR[i][j] = 0.0;
}

// A rotor's exit angle grows by the deviation, any other element's shrinks.
double deviated(const bdLocals& c, int i, double exit_angle, double deviation) {
    return h2::is_rotor(c, i) ? exit_angle + deviation : exit_angle - deviation;
}

// The deviation wrappers that hand the given angle on, turned by cas__dR.
double turned_angle(int i, int j, double angle) {
    bdLocals* c = h2::loss_section_case(i, j);
    if (c == nullptr) return angle;
    deviation_or_none(*c, i, j);
    return angle + c->cas_dR[i][j];
}

// The deviation wrappers whose caller reads cas__dR itself.
double deviation_only(int i, int j) {
    bdLocals* c = h2::loss_section_case(i, j);
    if (c == nullptr) return 0.0;
    deviation_or_none(*c, i, j);
    return 0.0;
}

double family_blockage(int i, int j) {
    bdLocals* c = h2::loss_section_case(i, j);
    if (c == nullptr) return kNoBlockage;
    h2::call_section_model(*c, H2_LOSS_B, i, j);
    return c->cas_blck[i][j];
}

}  // namespace

namespace h2 {

bdLocals* loss_section_case(int i, int j) { return loss_section_case_in(h2::current_case(), i, j); }

bdLocals* loss_section_case_in(bdLocals* c, int i, int j) {
    // Without a case or its arrays every read would go through NULL; counts
    // beyond the arrays, or i and j outside them, would read and write past
    // the element arrays and the section rows.
    if (c == nullptr || c->elem_stagType == nullptr || !path_fits_arrays(c) || !allocated_element(c, i) ||
        !allocated_stream(c, j))
        return nullptr;
    return c;
}

bool call_section_model(bdLocals& c, int slot, int i, int j) {
    const LossCalcFunc model = section_model(&c, slot, i, j);
    if (model == nullptr) return false;
    model(&c, i, j);
    return true;
}

double kinetic_energy_loss(double phi, double v_squared) { return (1.0 - phi * phi) * v_squared / 2.0; }

double inlet_isentropic_exponent(const bdLocals& c, int i, int j) {
    if (c.fluid_func == nullptr) return 1.0;
    return c.fluid_func(H2_FLUID_KAPPA_PI, c.isd_p1wx[i][j], c.isd_i1wx[i][j], c.elem_af[i], H2_FLUID_MAIN);
}

}  // namespace h2

extern "C" {

double elem_loss_cent(int i, int j) { return family_loss(i, j, &bdLocals::flow_w1, true); }
double elem_loss_diff(int i, int j) { return family_loss(i, j, &bdLocals::flow_c1, true); }
double elem_loss_volout(int i, int j) { return family_loss(i, j, &bdLocals::flow_w1, true); }
// The inlet volute leaves lkg_elem to the element evaluated before it.
double elem_loss_volin(int i, int j) { return family_loss(i, j, &bdLocals::flow_w2, false); }

double elem_loss_uband(int i, int j) {
    bdLocals* c = h2::loss_section_case(i, j);
    if (c == nullptr) return kNoLoss;
    const bool profile_ran = run_profile_and_secondary(*c, i, j);
    c->lkg_elem = i;
    if (!profile_ran) {
        // A bend's loss is one value for the whole element, held per section too.
        const double c1 = c->flow_c1[i][j];
        c->enrg_dhub[i] = h2::kinetic_energy_loss(c->los_Los[i][j], c1 * c1);
        c->enrg_dhb[i][j] = c->enrg_dhub[i];
    }
    return c->los_Los[i][j];
}

double elem_loss_other(int i, int j) {
    bdLocals* c = h2::loss_section_case(i, j);
    if (c == nullptr) return kNoLoss;
    const double k = h2::inlet_isentropic_exponent(*c, i, j);
    const bool profile_ran = run_profile_and_secondary(*c, i, j);
    c->lkg_elem = i;
    if (!profile_ran) energy_loss_from_phi(*c, i, j, &bdLocals::flow_w1);
    const double phi = c->los_Los[i][j];
    c->los_om[i][j] =
        k_loss_conv_b(phi * phi, c->isd_p1wx[i][j], c->isd_p1[i][j], c->isd_i1wx[i][j], k, nullptr);
    return phi;
}

double elem_loss_axcomp(int i, int j) {
    bdLocals* c = h2::loss_section_case(i, j);
    if (c == nullptr) return kNoLoss;
    run_profile_and_secondary(*c, i, j);
    // The models leave total-pressure loss coefficients; secondary adds to
    // profile, and so does the shock loss of a supersonic relative inlet (in
    // per cent): left uncalled, a transonic rotor would compress shock-free.
    c->los_om[i][j] += c->los_XS[i][j];
    if (h2::call_section_model(*c, H2_LOSS_N, i, j)) c->los_om[i][j] += c->los_XA[i][j] / 100.0;
    c->lkg_elem = i;
    const double k = h2::inlet_isentropic_exponent(*c, i, j);
    const double phi = std::sqrt(std::fabs(
        k_loss_conv_a(c->los_om[i][j], c->isd_p1wx[i][j], c->isd_p1[i][j], c->isd_i1wx[i][j], k, nullptr)));
    c->los_Los[i][j] = phi;
    // A fluid without entropy has no states to carry the loss; it goes in here.
    if (c->isd_s1[i][j] == 0.0) {
        const double w1 = c->flow_w1[i][j], w2 = c->flow_w2[i][j];
        c->enrg_dhb[i][j] = h2::kinetic_energy_loss(phi, std::max(w1 * w1, w2 * w2));
    }
    return phi;
}

double elem_dev_axcomp(int i, int j, double angle) {
    bdLocals* c = h2::loss_section_case(i, j);
    if (c == nullptr) return angle;
    const int NI = c->cyld_nr;
    double inlet_metal = c->cas_B1g[i][j];
    double exit_angle = angle;
    if (NI != 1 && c->cyld_force1D == 0) {
        // Metal angles are given at the section radii; the streamline reads
        // them at its own radius, never beyond the blade tip at the exit.
        inlet_metal = h2::interp1(NI, c->cas_ra1[i], c->cas_B1g[i], c->flow_r1[i][j]);
        exit_angle = h2::interp1(NI, c->cas_ra2[i], c->cas_B2g[i], std::min(c->bld_Rt2[i], c->flow_r2[i][j]));
    }
    if (!h2::call_section_model(*c, H2_LOSS_V, i, j)) c->cas_iR[i][j] = inlet_metal - c->cas_B1[i][j];
    return deviated(*c, i, exit_angle, c->cas_dR[i][j]);
}

double elem_dev_cent(int i, int j, double angle) {
    bdLocals* c = h2::loss_section_case(i, j);
    if (c == nullptr) return angle;
    deviation_or_none(*c, i, j);
    // The impeller's exit follows its metal angle; the angle handed in is not used.
    return deviated(*c, i, c->cas_B2g[i][j], c->cas_dR[i][j]);
}

double elem_dev_other(int i, int j, double angle) { return turned_angle(i, j, angle); }
double elem_dev_uband(int i, int j, double angle) { return turned_angle(i, j, angle); }
double elem_dev_diff(int i, int j, double) { return deviation_only(i, j); }
double elem_dev_volin(int i, int j, double) { return deviation_only(i, j); }
double elem_dev_volout(int i, int j, double) { return deviation_only(i, j); }

double elem_block_axcomp(int i, int j) { return family_blockage(i, j); }
double elem_block_cent(int i, int j) { return family_blockage(i, j); }
double elem_block_other(int i, int j) { return family_blockage(i, j); }
double elem_block_uband(int i, int j) { return family_blockage(i, j); }
double elem_block_diff(int i, int j) { return family_blockage(i, j); }
double elem_block_volin(int i, int j) { return family_blockage(i, j); }
double elem_block_volout(int i, int j) { return family_blockage(i, j); }

double elem_loss_cent2(int i, int j) { return elem_loss_cent(i, j); }
double elem_dev_cent2(int i, int j, double angle) { return elem_dev_cent(i, j, angle); }
double elem_block_cent2(int i, int j) { return elem_block_cent(i, j); }

}  // extern "C"
