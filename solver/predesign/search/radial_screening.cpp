// Screening of a solved search point by the radial design rules: its
// generators hold them, so a point breaking one is kept from the search's
// ranking even when it was built another way.
#include "solver/predesign/search/radial_screening.h"

#include <cmath>
#include <cstdio>

#include "halvorine2/predesign.h"
#include "solver/predesign/centrifugal_elements.h"
#include "solver/predesign/predesign_tables.h"
#include "solver/predesign/radial_design_rules.h"

namespace h2::predesign {

std::string radial_design_rule_broken(const bdLocals& b) {
    if (b.elem_stagType == nullptr || b.cyld_nr < 1) return {};
    const int j = b.cyld_nr / 2;
    char why[200];
    for (int i = 1; i <= b.cyld_ns; ++i) {
        if (b.bld_wp[i] == 0.0 || b.elem_stagType[i] != 1.0) continue;
        const double number = b.elem_moduleNum[i];
        if (!(number >= 0.0 && number < static_cast<double>(PD_MODULE_MAX))) continue;
        const int m = static_cast<int>(number);
        const PD_module* rec = module(m);
        if (rec == nullptr) continue;
        if (rec->type == TURB_RADIAL) {
            // The wheel's inlet radius is its nozzle's exit radius.
            const double d2 = b.bld_d2[i], l2 = b.bld_l2[i], d1 = b.bld_d2[i - 1];
            const double tip = d1 != 0.0 ? (d2 + l2) / d1 : 0.0;
            const double hub_tip = d2 + l2 != 0.0 ? (d2 - l2) / (d2 + l2) : 0.0;
            if (!(tip <= kMaxExitTipRatio + 1e-9)) {
                std::snprintf(why, sizeof why, "module %d TURB_RADIAL: wheel exit r2t/r1 = %.3f above %g", m,
                              tip, kMaxExitTipRatio);
                return why;
            }
            if (!(hub_tip >= kMinExitHubTip - 1e-9)) {
                std::snprintf(why, sizeof why, "module %d TURB_RADIAL: wheel exit hub/tip = %.3f below %g", m,
                              hub_tip, kMinExitHubTip);
                return why;
            }
        } else if (rec->type == COMP_RADIAL && b.elem_sectType[i] == 1.0) {
            const double ratio = impeller_relative_diffusion(b, i, j);
            if (!(ratio >= kLeastRelativeDiffusion)) {
                std::snprintf(why, sizeof why,
                              "module %d COMP_RADIAL: impeller %d diffuses to W2/W1t = %.3f, below %g", m, i,
                              ratio, kLeastRelativeDiffusion);
                return why;
            }
        }
    }
    return {};
}

}  // namespace h2::predesign
