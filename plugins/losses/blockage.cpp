// Stand-in blockage (model B): the displacement thickness of the boundary
// layers on the two end walls, as a fraction of the passage height, into
// cas__blck. Built once per element family as kmblk_t, kmblk_c, kmblk_r,
// kmblk_v, kmblk_u, kmblk_o, kmblk_i, kmblk_n.
#include "plugins/losses/section_state.h"

namespace {

using namespace h2::losses;

// The end walls never take more than this of the passage.
constexpr double kLargestBlockage = 0.25;

// Turbulent flat-plate boundary layers (Schlichting, one-seventh power law)
// grown over the chord at the exit velocity, on hub and casing.
void blockage(bdLocals* block, int element, int section) {
    const Section s(block, element, section);
    if (!s.ok()) return;
    const double h = passage_height(s);
    const double run = chord(s) > 0.0 ? chord(s) : h;
    const bool row = kFamily == H2_FAMILY_TURBINE || kFamily == H2_FAMILY_AXIAL_COMPRESSOR ||
                     kFamily == H2_FAMILY_CENTRIFUGAL || kFamily == H2_FAMILY_OTHER;
    const double v = row ? s.get(&bdLocals::flow_w2) : s.get(&bdLocals::flow_c2);
    const double end_walls = 2.0 * flat_plate_displacement(run, reynolds(s, v, run));
    s.put(&bdLocals::cas_blck, h > 0.0 ? clamp_finite(end_walls / h, 0.0, kLargestBlockage) : 0.0);
}

void blockage_note(int size, char* buffer) {
    write_note(size, buffer, "<note>B: end-wall displacement thickness, turbulent flat plate</note>");
}

}  // namespace

H2_LOSS_MODEL_ENTRY(InitBlock, H2_LOSS_B, blockage, blockage_note)
