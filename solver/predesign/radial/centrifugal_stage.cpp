// The element sequence of one centrifugal compressor stage: the element
// generators in flow order, repeated while the impeller's head coefficient is
// corrected until the stage's last element delivers its target pressure.
#include <cmath>

#include "case/case_arrays.h"
#include "case/host_calls.h"
#include "halvorine2/threading.h"
#include "solver/predesign/centrifugal_elements.h"

namespace h2::predesign {
namespace {

int present(int form) { return form != 0 ? 1 : 0; }

// Element indices of the slots of one stage; absent slots share the index of
// the slot before.
struct StageSlots {
    int base, volin, lbau, imp, diff, ubend, desw, lbda, last;
};

StageSlots stage_slots(int first, int volin_form, int diff_form, int uband_form, int desw_form,
                       int volout_form, int lbau_form, int lbda_form) {
    StageSlots s{};
    s.base = first != 0 ? first - 1 : 0;
    s.volin = s.base + 1;
    s.lbau = s.base + 1 + present(volin_form);
    s.imp = s.lbau + present(lbau_form);
    s.diff = s.imp + present(diff_form);
    s.ubend = s.diff + 1;
    s.desw = s.diff + 1 + present(uband_form);
    s.lbda = s.desw + present(desw_form);
    s.last = s.diff + present(uband_form) + present(desw_form) + present(lbda_form) + present(volout_form);
    return s;
}

}  // namespace

// What a stage sequencer's code says failed.
const char* stage_failure(int code) {
    switch (code) {
        case kStageInletVolute:
            return "the inlet volute cannot be laid out";
        case kStageImpeller:
            return "the impeller cannot deliver the stage's head";
        case kStageVanelessDiffuser:
            return "the vaneless diffuser cannot pass the flow";
        case kStageVanedDiffuser:
            return "the vaned diffuser cannot pass the flow";
        case kStageUBend:
            return "the U-bend cannot pass the flow";
        case kStageDeswirler:
            return "the deswirler cannot pass the flow";
        case kStageOutletVolute:
            return "the outlet volute cannot be laid out";
        case kStageNotMet:
            return "its outlet pressure is not met";
        case kStageKind11Bend:
            return "the axial-to-radial bend cannot be laid out";
        case kStageKind12Bend:
            return "the radial-to-axial bend cannot be laid out";
        case kStageGuideVanes:
            return "the inlet guide vanes cannot pass the flow";
        default:
            return "an element failed";
    }
}

void write_stage_element(bdLocals& b, int i, double stagType) {
    b.elem_stagType[i] = stagType;
    b.elem_moduleType[i] = kCentrifugalModule;
    b.elem_Gotb2[i] = 0.0;
    b.elem_VI[i] = -1.0;
    b.elem_NSEGM[i] = 1.0;
    b.elem_Pa[i] = 1.0;
}

int rc_stage_design(int first, int m, int volin_form, int igv_form, int diff_form, int uband_form,
                    int desw_form, int volout_form, int lbau_form, int lbda_form) {
    bdLocals* bp = get_bdLocals();
    const PD_module* rec = module(m);
    if (bp == nullptr || rec == nullptr || bp->elem_stagType == nullptr || !path_fits_arrays(bp) ||
        bp->cyld_nr < 1 || first < 0)
        return kStageNotMet;
    bdLocals& b = *bp;
    const StageSlots s =
        stage_slots(first, volin_form, diff_form, uband_form, desw_form, volout_form, lbau_form, lbda_form);
    // A stage that reaches past the flow path has nowhere to be generated.
    if (s.imp < 1 || s.last > b.cyld_ns) return kStageNotMet;

    const int j = b.cyld_nr / 2;
    const int imp = s.imp;
    const bool total_target = b.cyld_VARTP != 0;
    const double pstar = total_target ? b.isd_p2x[s.last][j] : b.isd_p2[s.last][j];
    const double tol = pass_tolerance(b);
    b.elem_p2[b.cyld_ns] = pstar;

    b.enrg_dhb[imp][j] = 0.0;
    b.enrg_dhd[imp] = 0.0;
    // The stage completion left the isentropic head as a velocity: the first
    // pass would read it as the head the leakage share divides by.
    b.enrg_Co[imp][j] = 0.0;

    // A record with a head coefficient designs the stage from its values; one
    // without regenerates it from the block's own geometry and head.
    const double* val = rec->PD_VAL;
    const bool design = val[PD_VAR_HT] != 0.0;
    double Ht;
    if (design) {
        b.bld_wp[imp] = val[PD_VAR_OM];
        b.bld_d1[imp] = val[PD_VAR_D];
        b.bld_m[imp] = val[PD_VAR_M];
        Ht = val[PD_VAR_HT];
    } else {
        b.bld_d1[imp] = b.bld_d2s[s.base];
        b.bld_m[imp] = b.bld_d2s[imp] / b.bld_d1[imp];
        Ht = b.elem_Ht[imp];
    }
    const double gain = head_gain(pstar / b.elem_p0[0], b.RELAX);

    int passes = pass_limit(b);
    bool not_a_number = false;
    for (bool first_pass = true; passes > 0; first_pass = false) {
        b.elem_Ht[imp] = Ht;
        if (first == 0) {
            // The module inlet carries the first stage's inlet guide vanes.
            if (design) {
                b.bld_wp[0] = val[PD_VAR_OM];
                b.elem_cz_[0] = val[PD_VAR_CZ];
            } else {
                b.bld_wp[0] = b.bld_wp[imp];
                b.elem_cz_[0] = b.elem_cz_[imp];
            }
            if (first_pass)
                b.bld_d1[0] = design ? val[PD_VAR_D] : b.bld_d2s[0];
            else
                b.bld_d1[0] =
                    (igv_form != 0 && lbau_form != 0) ? b.bld_d1[imp] - 2.0 * b.bld_l1[imp] : b.bld_d1[imp];
            b.bld_d2[0] = b.bld_d1[0];
            if (rc_igv_design(igv_form, lbau_form, imp) != 0) return kStageGuideVanes;
            if (volin_form != 0) {
                b.bld_wp[imp] = val[PD_VAR_OM];
                if (rc_volin_design(s.volin, volin_form, imp) != 0) return kStageInletVolute;
            }
        }
        if (lbau_form != 0) {
            if (rc_lbau_design(s.lbau, lbau_form, imp) != 0) return kStageKind11Bend;
            b.enrg_Lu[s.lbau][j] = b.enrg_Lu[imp][j];  // the impeller's work of the previous pass
        }
        if (rc_impeller_design(imp, igv_form) != 0) return kStageImpeller;
        // Any other diffuser form keeps its slot but generates nothing.
        if (diff_form == 1 && rc_vldiff_design(s.diff) != 0) return kStageVanelessDiffuser;
        if (diff_form == 2 && rc_vaned_diff_design(s.diff) != 0) return kStageVanedDiffuser;
        if (uband_form != 0 && rc_ubend_design(s.ubend, uband_form, imp) != 0) return kStageUBend;
        if (desw_form != 0 && rc_desw_design(s.desw, desw_form, imp) != 0) return kStageDeswirler;
        if (lbda_form != 0 && rc_lbda_design(s.lbda, lbda_form, imp) != 0) return kStageKind12Bend;
        if (volout_form != 0 && rc_volout_design(s.last, volout_form, imp) != 0) return kStageOutletVolute;

        const double p = b.isd_p2[s.last][j];
        const double px = b.isd_p2x[s.last][j];
        if (std::isnan(p) || std::isnan(px)) {
            reset_fpu();
            not_a_number = true;
            break;
        }
        const double pv = total_target ? px : p;
        // The first pass has no losses yet: a pressure met there would leave
        // the stage without the losses and parasitic work it computed.
        if (!first_pass && std::fabs(1.0 - pstar / pv) < tol) break;
        Ht += (pstar / pv - 1.0) * Ht * gain;
        --passes;
    }
    if (passes == 0 || not_a_number) return kStageNotMet;

    // Completion.
    if (total_target)
        b.isd_p2x[s.last][j] = pstar;
    else
        b.isd_p2[s.last][j] = pstar;
    // The leakage share becomes a fraction of the isentropic head, and that head
    // an isentropic velocity. A zero head would turn the share into a division
    // by 0; a share already made (at most 1, as the solver's loss step leaves
    // it) divided again would vanish with every regeneration.
    double& Co = b.enrg_Co[imp][j];
    if (Co != 0.0 && b.enrg_zrz[imp] > 1.0) b.enrg_zrz[imp] /= Co;
    Co = std::sqrt(2.0 * std::fabs(Co));
    b.elem_G2[imp] = b.elem_G1[imp];
    const auto carry_flow = [&](int e) {
        b.elem_G2[e] = b.elem_G1[imp];
        b.elem_G1[e] = b.elem_G2[e];
    };
    if (diff_form != 0) carry_flow(s.diff);
    if (uband_form != 0) carry_flow(s.ubend);
    if (desw_form != 0) carry_flow(s.desw);
    // Stage power: the Euler work and the parasitic work the outlet carries.
    b.cyld_Nc = b.elem_G1[imp] * (b.isd_i2x[imp][j] - b.elem_i0[imp]);
    b.flow_ucu1[imp][j] = b.flow_u1[imp][j] * b.flow_c1u[imp][j];
    b.flow_ucu2[imp][j] = b.flow_u2[imp][j] * b.flow_c2u[imp][j];
    return kStageDone;
}

}  // namespace h2::predesign
