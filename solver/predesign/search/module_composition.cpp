// Module composition: every module of the predesign table is generated in its
// own model case by the generator of its type, checked against its limits,
// handed its predecessor's outlet as its inlet, and finally all modules are
// joined into the caller's case (the master) as one flow path.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "case/case_arrays.h"
#include "case/output_internal.h"
#include "case/text_field.h"
#include "case/walkers_internal.h"
#include "halvorine2/case_data.h"
#include "halvorine2/fluids.h"
#include "halvorine2/predesign.h"
#include "halvorine2/strength.h"
#include "halvorine2/threading.h"
#include "solver/predesign/compressor_generators.h"
#include "solver/predesign/module_generators.h"
#include "solver/predesign/point_reason.h"
#include "solver/predesign/predesign_tables.h"
#include "solver/predesign/search/module_composition.h"

namespace h2::predesign {
namespace {

// Generators by module type. A type whose generator this build lacks holds
// nullptr and fails like an unknown type.
constexpr PD_generator kGenerators[] = {
    AxTurbDesign,   // TURB_AXIAL
    RadTurbDesign,  // TURB_RADIAL
    CurtisDesign,   // TURB_CURTIS
    AxCompDesign,   // COMP_AXIAL
    AxFanDesign,    // COMP_FAN
    RadCompDesign,  // COMP_RADIAL
};

// The longest flow path a case holds: 100 elements behind the inlet.
constexpr int kMaxJoinedElements = 101;

// Source lines the out-of-range texts name.
constexpr int kLineStages = 966;
constexpr int kLineLength = 980;
constexpr int kLineTurbineMass = 1026;
constexpr int kLineCompressorMass = 1053;

// A stored limit pair of 0.0, 0.0 switches that check off.
bool limit_on(const PD_module& r, int k) { return r.PD_LIM_lower[k] != 0.0 || r.PD_LIM_upper[k] != 0.0; }
bool strictly_inside(const PD_module& r, int k, double x) {
    return r.PD_LIM_lower[k] < x && x < r.PD_LIM_upper[k];
}

int trunc_limit(double x) {
    if (!(x > -1e9 && x < 1e9)) return x > 0.0 ? 1000000000 : (x < 0.0 ? -1000000000 : 0);
    return static_cast<int>(x);
}

bool rotor_row(const bdLocals& b, int i) {
    return b.bld_wp[i] != 0.0 && b.bld_z[i] != 0.0 && b.elem_stagType[i] == 1.0;
}

// Blade mass of the rows 1..ns of the current case, section properties
// evaluated by geometry; strs fields written per row.
template <class Geometry>
double blade_mass(bdLocals& b, int ns, double density, Geometry geometry) {
    double mass = 0.0;
    for (int i = 1; i <= ns; ++i) {
        geometry(i);
        b.strs_vl[i] = bldVolume(i);
        b.strs_g_b[i] = density;
        b.strs_mass[i] = b.strs_vl[i] * b.strs_g_b[i];
        mass += b.strs_mass[i];
    }
    return mass;
}

// Master current again; a failure's text goes with it.
class MasterGuard {
public:
    explicit MasterGuard(bdLocals* master) : master_(master) {}
    ~MasterGuard() { set_bdLocals(master_); }
    MasterGuard(const MasterGuard&) = delete;
    MasterGuard& operator=(const MasterGuard&) = delete;

private:
    bdLocals* master_;
};

void copy_err_text(bdLocals& master, const bdLocals& model) {
    std::memcpy(master.err_text, model.err_text, sizeof master.err_text);
    master.err_text[sizeof master.err_text - 1] = '\0';
}

// Steps 3.1 to 3.5: what module m's model takes before its generator runs.
void prepare_model(bdLocals& master, bdLocals& model, PD_module& rec, int m, int restoreFlag) {
    model.RELAX = master.RELAX;
    model.IM = master.IM;
    model.acc_limit = master.acc_limit;
    model.S1mode = master.S1mode;
    model.atlas_s = master.atlas_s;
    model.atlas_r = master.atlas_r;
    model.search_point = master.search_point;
    const PD_module* first = module(0);
    model.cyld_Disp = first->Disp;
    double* prereq = case_prereq(&master);
    model.prereq_ref =
        prereq != nullptr ? prereq + static_cast<std::ptrdiff_t>(m) * kPrereqSlots : prereq_block(m);
    rec.restoreFlag = restoreFlag;

    if (double* slots = static_cast<double*>(model.prereq_ref)) {
        slots[28] = static_cast<double>(rec.prereq28);
        slots[29] = static_cast<double>(rec.prereq29);
    }
    // The row redesign looks the record's profiles up in the atlases by these names.
    copy_text(model.atlas_s_profile, rec.profNameS);
    copy_text(model.atlas_r_profile, rec.profNameR);

    if (master.S1mode != 0) {
        set_bdLocals(&master);
        term_model();
        init_model();
        // Models the module loaded itself go first; the master's are shared, not owned.
        set_bdLocals(&model);
        term_model();
        model.model_rotor = master.model_rotor;
        model.model_stator = master.model_stator;
        model.model_owned = 0;
    }

    model.bld_wp[0] = rec.PD_SRC_OM;
    model.elem_G1[0] = rec.PD_SRC_G;
    model.cyld_p2n = rec.PD_SRC_P2N;
}

int out_of_range(bdLocals& master, int line) {
    std::snprintf(master.err_text, sizeof master.err_text, "ERRCODE_OUTOFRANGE: in %s line %d",
                  kCompositionSource, line);
    return 101;
}

// Steps 3.9 and 3.10: length and blade mass of module m (its model current).
int check_length_and_mass(bdLocals& master, bdLocals& model, PD_module& rec, int ns, int restoreFlag) {
    const int type = rec.type;
    if ((type == TURB_AXIAL || type == COMP_AXIAL) && restoreFlag == 0 && limit_on(rec, PD_LIM_LENGTH)) {
        const double x = model.cas_x2[ns][0];
        if (!strictly_inside(rec, PD_LIM_LENGTH, x)) return out_of_range(master, kLineLength);
        rec.PD_ACH[PD_LIM_LENGTH] = x;
    }
    const bool compressing = model.elem_p0[0] <= model.elem_p2[ns];
    if (compressing) {
        if (type != COMP_AXIAL) return 0;
        const double mass = blade_mass(model, ns, rec.bladeDensity, [](int i) { ComprGeom(i, 0); });
        if (restoreFlag == 0 && mass != 0.0 && limit_on(rec, PD_LIM_MASS)) {
            if (!strictly_inside(rec, PD_LIM_MASS, mass)) return out_of_range(master, kLineCompressorMass);
            rec.PD_ACH[PD_LIM_MASS] = mass;
        }
        return 0;
    }
    init_model();
    double mass = 0.0;
    if (type == TURB_AXIAL || type == TURB_CURTIS) {
        mass = blade_mass(model, ns, rec.bladeDensity, [&model](int i) {
            const double bx = model.cas_bx[i][0];
            if (rotor_row(model, i))
                WorkGeom(i, 0, 1);
            else if (bx != 0.0 && model.cas_b[i][0] > 1.01 * bx)
                GuideGeom(i, 0, 1);
            else
                WorkGeom(i, 0, 1);
        });
    }
    term_model();
    if ((type == TURB_AXIAL || type == TURB_CURTIS) && restoreFlag == 0 && mass != 0.0 &&
        limit_on(rec, PD_LIM_MASS)) {
        if (!strictly_inside(rec, PD_LIM_MASS, mass)) return out_of_range(master, kLineTurbineMass);
        rec.PD_ACH[PD_LIM_MASS] = mass;
    }
    return 0;
}

// Step 4: the models joined into the master, which has room for `joined`
// elements. 0, or 3 when a copy was refused.
int join(bdLocals& master, bdLocals* const* models, int count, const int* ns) {
    if (copy_probdata(models[0], &master) == nullptr) return 3;
    set_bdLocals(&master);
    CopyFluid(models[0], &master);
    CopycFluid(models[0], &master);
    int pos = ns[0] + 1;
    for (int m = 1; m < count; ++m) {
        if (add_probdata(models[m], &master, pos) == nullptr) return 3;
        pos += ns[m];
    }
    if (count >= 2) {
        master.cyld_p2n = models[count - 1]->cyld_p2n;
        master.cyld_p2nx = models[count - 1]->cyld_p2nx;
    }
    return 0;
}

int compose(bdLocals& master, int restoreFlag) {
    const int count = module_count();
    if (count < 1 || count > PD_MODULE_MAX) {
        report_error(format_text("PredC: %d modules in the table (1..6 composed)", count).c_str());
        return -1;
    }
    bdLocals* models[PD_MODULE_MAX] = {};
    PD_module* rec[PD_MODULE_MAX] = {};
    for (int m = 0; m < count; ++m) {
        rec[m] = module(m);
        models[m] = rec[m]->PD_model;
        // A record without its model has nothing to be generated in.
        if (models[m] == nullptr || models[m] == &master) {
            report_error(
                format_text("PredC: module %d has no model case of its own (InitModels builds them)", m)
                    .c_str());
            return -1;
        }
    }
    master.cyld_ns = 0;

    // The machine inlet and outlet.
    bdLocals& first = *models[0];
    first.elem_i0[0] = rec[0]->PD_SRC_I0;
    first.elem_p0[0] = rec[0]->PD_SRC_P0;
    rec[0]->PD_SRC_AF = master.cyld_af;
    first.cyld_af = rec[0]->PD_SRC_AF;
    first.elem_af[0] = rec[0]->PD_SRC_AF;
    first.cas_B1[0][0] = rec[0]->PD_SRC_A0;
    models[count - 1]->cyld_p2n = rec[count - 1]->PD_SRC_P2N;

    int ns[PD_MODULE_MAX] = {};
    int total = 0;
    for (int m = 0; m < count; ++m) {
        bdLocals& model = *models[m];
        PD_module& r = *rec[m];
        prepare_model(master, model, r, m, restoreFlag);
        const int extra_in = r.Vflag == 1 || r.Vflag == 3 ? 1 : 0;
        const int extra_out = r.Vflag == 2 || r.Vflag == 3 ? 1 : 0;

        set_bdLocals(&model);
        if (const int code = PD_design_module(m); code != 0) {
            model.cyld_ns = 0;
            copy_err_text(master, model);
            return code;
        }
        const int n = model.cyld_ns;
        // A count beyond the model's arrays would have every later step read past them.
        if (n < 0 || !allocated_element(&model, n) || r.elemsPerStage <= 0) {
            model.cyld_ns = 0;
            return corrupted_data(master, kCompositionSource, __LINE__);
        }
        const int per = r.elemsPerStage;
        const int n_min = per * trunc_limit(r.PD_LIM_lower[PD_LIM_STG]) + extra_in + extra_out;
        const int n_max = per * trunc_limit(r.PD_LIM_upper[PD_LIM_STG]) + extra_in + extra_out;
        if (restoreFlag == 0 && (n < n_min || n > n_max)) return out_of_range(master, kLineStages);
        r.PD_ACH[PD_LIM_STG] = static_cast<double>(n / per);
        if (const int code = check_length_and_mass(master, model, r, n, restoreFlag); code != 0) return code;

        ns[m] = n;
        total += n;
        master.cyld_ns = total;
        if (m < count - 1) {
            bdLocals& next = *models[m + 1];
            model.elem_Gotb2[n] = rec[m + 1]->PD_SRC_G - r.PD_SRC_G;
            next.elem_i0[0] = model.isd_i2x[n][0];
            next.elem_p0[0] = model.isd_p2x[n][0];
            next.cas_B1[0][0] = model.cas_A2[n][0];
        }
    }

    // The joining writes into the master's arrays; it does not grow them.
    const int capacity = std::min(static_cast<int>(master.alloc_elems), kMaxJoinedElements);
    if (total + 1 > capacity) {
        std::snprintf(master.err_text, sizeof master.err_text,
                      "PredC: the joined flow path of %d elements exceeds the case's %d", total + 1,
                      capacity);
        return 101;
    }
    if (const int code = join(master, models, count, ns); code != 0) return code;
    // The joined path is solved with its rows' losses, as its models were generated.
    if (rec[0]->PD_SRC_P0 <= rec[count - 1]->PD_SRC_P2N) master.ICLos = 1;

    double mass = 0.0;
    for (int i = 1; i <= master.cyld_ns; ++i)
        if (master.elem_stagType[i] == 1.0 && is_sect_type0(i - 1) && is_sect_type0(i))
            mass += master.strs_mass[i];
    master.cyld_mass = mass;
    return 0;
}

}  // namespace

int compose_point(bdLocals* master, int restoreFlag) {
    if (master == nullptr) {
        report_error("PredC: no current case");
        return -1;
    }
    const MasterGuard keep(master);
    try {
        return compose(*master, restoreFlag);
    } catch (...) {
        return 3;
    }
}

}  // namespace h2::predesign

extern "C" {

int PD_design_module(int m) {
    const PD_module* rec = h2::predesign::module(m);
    if (rec == nullptr) {
        h2::report_error(h2::format_text("PD_design_module: no module %d in the table", m).c_str());
        return -1;
    }
    const int type = rec->type;
    const bool known = type >= 0 && type < static_cast<int>(std::size(h2::predesign::kGenerators));
    const h2::predesign::PD_generator g = known ? h2::predesign::kGenerators[type] : nullptr;
    if (g == nullptr) {
        h2::predesign::point_reason("module %d: type %d has no generator", m, type);
        return -1;
    }
    return g(m);
}

int PredC(int restoreFlag) { return h2::predesign::compose_point(get_bdLocals(), restoreFlag); }
}
