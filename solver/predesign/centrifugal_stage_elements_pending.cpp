// Element generators of a centrifugal stage that are not built yet: the inlet
// volute, both L-bends, the U-bend, the deswirler and the outlet volute. Each
// answers with failure, so a stage that asks for one ends with that element's
// code instead of running on an element that was never generated.
#include "solver/predesign/centrifugal_elements.h"

namespace h2::predesign {

int rc_volin_design(int, int, int) { return 1; }
int rc_lbau_design(int, int, int) { return 1; }
int rc_lbda_design(int, int, int) { return 1; }
int rc_ubend_design(int, int, int) { return 1; }
int rc_desw_design(int, int, int) { return 1; }
int rc_volout_design(int, int, int) { return 1; }

}  // namespace h2::predesign
