// Stand-in trans loss (model N): the trailing-edge and shock losses, and the
// weight of the profile loss. Built once per element family as kmtrn_t,
// kmtrn_c, kmtrn_r, kmtrn_v, kmtrn_u, kmtrn_o, kmtrn_i, kmtrn_n, and for
// turbine rows once more with the Soderberg set as sodtrn_t.
#include "plugins/losses/turbine_section.h"

namespace {

using namespace h2::losses;

// The profile loss is taken at its full weight.
constexpr double kProfileWeight = 1.0;

// Turbine rows, Soderberg set: the Borda-Carnot loss behind a trailing edge
// of thickness twice its radius cas__r2 in the throat t sin(beta2) (Denton
// 1993), and the loss of a normal shock at a supersonic exit (NACA Report 1135).
void soderberg_trans(const Section& s) {
    const double throat = pitch(s) * std::sin(usable_angle(exit_angle(s)) * kDegree);
    const double te = 2.0 * s.get(&bdLocals::cas_r2);
    const double zeta = trailing_edge_loss(te, throat) + normal_shock_loss(exit_mach(s), kappa(s));
    s.put(&bdLocals::los_XA, 100.0 * zeta);
    s.put(&bdLocals::los_GM, kProfileWeight);
    update_turbine_phi(s);
}

// Turbine rows, Kacker-Okapuu family: their trailing-edge loss against the
// trailing-edge thickness over the throat opening (Kacker & Okapuu 1982,
// Fig. 14). A supersonic exit is charged by the profile model's drag rise.
void kacker_okapuu_trans(const Section& s) {
    const double o = throat(s);
    const double te_o = o > 0.0 ? trailing_edge_thickness(s) / o : 0.0;
    const double dphi2 = ko::trailing_edge_energy_loss(te_o, signed_inlet_axial(s, s.get(&bdLocals::cas_B1g)),
                                                       axial_angle(exit_angle(s)));
    s.put(&bdLocals::los_XA, 100.0 * ko::energy_loss_of_dphi2(dphi2));
    s.put(&bdLocals::los_GM, kProfileWeight);
    update_turbine_phi(s);
}

void turbine_trans(const Section& s) {
    if (kSoderbergSet)
        soderberg_trans(s);
    else
        kacker_okapuu_trans(s);
}

// Every other row and passage: the loss of a normal shock at a supersonic
// relative inlet (NACA Report 1135), charged like the family's other losses.
void inlet_shock(const Section& s) {
    const double omega = normal_shock_loss(inlet_mach(s), kappa(s));
    s.put(&bdLocals::los_XA, clamp_finite(100.0 * omega, 0.0, kLargestLossPct));
    s.put(&bdLocals::los_GM, kProfileWeight);
    // An axial compressor row's wrapper works from los__om alone.
    if (kFamily != H2_FAMILY_AXIAL_COMPRESSOR) update_passage_phi(s);
}

void trans_loss(bdLocals* block, int element, int section) {
    const Section s(block, element, section);
    if (!s.ok()) return;
    if (kFamily == H2_FAMILY_TURBINE)
        turbine_trans(s);
    else
        inlet_shock(s);
}

constexpr const char* note_text() {
    return kFamily == H2_FAMILY_TURBINE
               ? (kSoderbergSet
                      ? "<note>N: Borda-Carnot trailing-edge and normal-shock loss</note>"
                      : "<note>N: Kacker-Okapuu (1982) trailing-edge loss on t/o; t twice cas__r2, o "
                        "pitch sin(gauging angle)</note>")
               : "<note>N: normal-shock loss at the relative inlet Mach number</note>";
}

void trans_note(int size, char* buffer) { write_note(size, buffer, note_text()); }

}  // namespace

H2_LOSS_MODEL_ENTRY(InitTransLos, H2_LOSS_N, trans_loss, trans_note)
