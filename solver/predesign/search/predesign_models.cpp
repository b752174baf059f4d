// The module models: one case per module of the predesign table, in which
// the module's generator builds its flow path. Each model copies the master's
// solver settings, names and fluids, is sized for the largest module the stage
// limits allow, and gets the loss-model plug-ins of its element roles.
//
// The library keeps a list of the models it built, per module table (a
// search worker's own table has its own list), so that building again or
// releasing frees exactly those, and never a pointer a host put in a record.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "case/case_arrays.h"
#include "halvorine2/case_data.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/fluids.h"
#include "halvorine2/losses.h"
#include "halvorine2/predesign.h"
#include "halvorine2/threading.h"
#include "solver/predesign/predesign_data.h"
#include "solver/predesign/predesign_tables.h"

namespace h2::predesign {
namespace {

// Reference state of a shared fluid's set-up (K, Pa).
constexpr double kSetupT = 273.15;
constexpr double kSetupP = 100000.0;

// Name slots of the element roles.
enum NameSlot : int {
    kSlotAll = 0,
    kSlotExtraInlet = 1,
    kSlotImpeller = 3,
    kSlotVanedDiffuser = 4,
    kSlotVanelessDiffuser = 5,
    kSlotUBend = 6,
    kSlotDeswirler = 8,
    kSlotOutletVolute = 9,
    kSlotInletVolute = 10,
    kSlotLBendUp = 11,
    kSlotLBendDown = 12,
};

// ---------------------------------------------------------------- model list

struct BuiltModel {
    const PredesignTables* owner;
    bdLocals* model;
};

std::mutex g_models_lock;
std::vector<BuiltModel>& built_models() {
    static std::vector<BuiltModel> models;
    return models;
}

// Room for one more entry, made before the model exists, so that listing it
// cannot fail once it does.
void make_room() {
    const std::lock_guard<std::mutex> hold(g_models_lock);
    built_models().reserve(built_models().size() + 1);
}

// The owner is the table the model is built for, taken before the new model
// becomes the current case (after that, tables() would find the calling
// thread's own table, and a table searched from another thread would never
// get its models back to free).
void remember(const PredesignTables* owner, bdLocals* model) {
    const std::lock_guard<std::mutex> hold(g_models_lock);
    built_models().push_back({owner, model});
}

// Takes the models listed for the calling thread's table off the list.
std::vector<bdLocals*> take_models() {
    const std::lock_guard<std::mutex> hold(g_models_lock);
    std::vector<bdLocals*> taken;
    auto& all = built_models();
    const PredesignTables* mine = &tables();
    for (const BuiltModel& b : all)
        if (b.owner == mine) taken.push_back(b.model);
    std::erase_if(all, [mine](const BuiltModel& b) { return b.owner == mine; });
    return taken;
}

// ---------------------------------------------------------------- copies

template <std::size_t N>
void copy_field(char (&dst)[N], const char (&src)[N]) {
    std::memcpy(dst, src, N);
}

// A loss-model name buffer of the case (15 name slots).
using NameBuffer = char (bdLocals::*)[sizeof(bdLocals::losPName)];
constexpr NameBuffer kNameBuffers[] = {&bdLocals::losPName, &bdLocals::losSName, &bdLocals::losNName,
                                       &bdLocals::devName, &bdLocals::blockName};

// Name slot k of a 300-character buffer.
char* name_slot(char* buffer, int k) { return buffer + k * kNameSlotSize; }
const char* name_slot(const char* buffer, int k) { return buffer + k * kNameSlotSize; }

// Step 4: what a model takes from the master.
void copy_settings(bdLocals& model, const bdLocals& master, int type) {
    copy_field(model.name, master.name);
    copy_field(model.dump_name, master.dump_name);
    copy_field(model.ModelBase, master.ModelBase);
    copy_field(model.fluidName, master.fluidName);
    copy_field(model.cfluidName, master.cfluidName);
    copy_field(model.leakRName, master.leakRName);
    copy_field(model.leakDName, master.leakDName);
    copy_field(model.leakZName, master.leakZName);
    copy_field(model.losPName, master.losPName);
    copy_field(model.losSName, master.losSName);
    copy_field(model.losNName, master.losNName);
    copy_field(model.devName, master.devName);
    copy_field(model.blockName, master.blockName);
    model.family_los_limit[0] = master.family_los_limit[0];
    model.family_dev_limit[0] = master.family_dev_limit[0];
    model.family_block_limit[0] = master.family_block_limit[0];
    if (type == COMP_RADIAL) {
        // Every element of a centrifugal module is loaded with the impeller's models.
        for (NameBuffer buffer : kNameBuffers)
            std::memcpy(name_slot(model.*buffer, kSlotAll), name_slot(master.*buffer, kSlotImpeller),
                        kNameSlotSize);
        std::copy_n(master.family_los_limit, kNameSlots, model.family_los_limit);
        std::copy_n(master.family_dev_limit, kNameSlots, model.family_dev_limit);
        std::copy_n(master.family_block_limit, kNameSlots, model.family_block_limit);
    }
    model.cyld_VART = master.cyld_VART;
    model.cyld_VARTP = master.cyld_VARTP;
    model.cyld_VARTB = master.cyld_VARTB;
    model.IGM = master.IGM;
    model.cyld_fluid = master.cyld_fluid;
    model.cyld_cfluid = master.cyld_cfluid;
    model.cyld_MethodP = master.cyld_MethodP;
    model.cyld_MethodS = master.cyld_MethodS;
    model.cyld_MethodN = master.cyld_MethodN;
    model.cyld_MethodV = master.cyld_MethodV;
    model.cyld_MethodR = master.cyld_MethodR;
    model.cyld_MethodD = master.cyld_MethodD;
    model.cyld_MethodB = master.cyld_MethodB;
    model.los_policy = master.los_policy;
    model.cyld_MethodL = master.cyld_MethodL;
    model.IP = master.IP;
    model.IPI = master.IPI;
    model.IPP = master.IPP;
    model.IPO = master.IPO;
    model.IPL = master.IPL;
    model.ITML = master.ITML;
    model.ICLos = master.ICLos;
    model.cyld_caf = master.cyld_caf;
    model.cyld_T0 = master.cyld_T0;
    model.cyld_P0 = master.cyld_P0;
    model.fluid_ref_c = master.fluid_ref_c;
    model.acc_limit = master.acc_limit;
}

bool setup_failed(double answer) { return answer < 0.0 || std::isnan(answer); }

// Step 5: the main fluid, loaded anew or shared with the master. 0, 1 or -1.
int set_up_main_fluid(bdLocals& model, const bdLocals& master) {
    model.cyld_R = master.cyld_R;
    model.cyld_k = master.cyld_k;
    if (master.fluid_func == nullptr) {
        // A loader that installs nothing would leave the generators a NULL property function.
        if (InitFluid(master.cyld_af) != 0 || model.fluid_func == nullptr) return 1;
        return 0;
    }
    const FluidFunc f = master.fluid_func;
    model.fluid_func = f;
    if (f(H2_FLUID_REFERENCE, kSetupT, kSetupP, 0.0, H2_FLUID_MAIN) != 0.0)
        f(H2_FLUID_REFERENCE, master.cyld_T0, master.cyld_P0, master.fluid_ref_c, H2_FLUID_MAIN);
    f(H2_FLUID_MODULE_SETUP, 0.0, 0.0, 0.0, H2_FLUID_MAIN);
    if (setup_failed(f(H2_FLUID_SETUP, master.cyld_R, master.cyld_k, master.cyld_af, H2_FLUID_MAIN)))
        return -1;
    return 0;
}

// Step 6: the cooling fluid. 0, 1 or -1.
int set_up_cooling_fluid(bdLocals& model, const bdLocals& master) {
    if (master.cfluid_func == nullptr) return InitcFluid(master.cyld_caf) != 0 ? 1 : 0;
    const FluidFunc f = master.cfluid_func;
    model.cfluid_func = f;
    f(H2_FLUID_REFERENCE, kSetupT, kSetupP, 0.0, H2_FLUID_COOLING);
    f(H2_FLUID_MODULE_SETUP, 0.0, 0.0, 0.0, H2_FLUID_COOLING);
    if (setup_failed(f(H2_FLUID_SETUP, master.cyld_R, master.cyld_k, master.cyld_caf, H2_FLUID_COOLING)))
        return -1;
    return 0;
}

// The master's value of element i of an array, where the master has one;
// otherwise the model's own element 0.
double master_or_first(const bdLocals& master, const double* master_array, int i, const double* model_array) {
    if (master_array != nullptr && i <= master.cyld_ns && allocated_element(&master, i))
        return master_array[i];
    return model_array[0];
}

// Step 7: element defaults, i = 0..cyld__ns.
void set_element_defaults(bdLocals& model, const bdLocals& master) {
    for (int i = 0; i <= model.cyld_ns; ++i) {
        model.elem_stagType[i] = i == 0 ? 0.0 : 1.0;
        model.los_limit[i] = model.family_los_limit[0];
        model.dev_limit[i] = model.family_dev_limit[0];
        model.block_limit[i] = model.family_block_limit[0];
        model.ublos_limit[i] = master_or_first(master, master.ublos_limit, i, model.ublos_limit);
        model.volos_limit[i] = master_or_first(master, master.volos_limit, i, model.volos_limit);
        model.los_scale[i] = master_or_first(master, master.los_scale, i, model.los_scale);
        model.dev_scale[i] = master_or_first(master, master.dev_scale, i, model.dev_scale);
        model.elem_MethodP[i] = model.cyld_MethodP;
        model.elem_MethodS[i] = model.cyld_MethodS;
        model.elem_MethodN[i] = model.cyld_MethodN;
        model.elem_MethodV[i] = model.cyld_MethodV;
        model.elem_MethodB[i] = model.cyld_MethodB;
    }
}

// Attaches name slot k to element e: an empty slot switches that model of
// the element off, a named one loads it. 0, or 1 when a loader failed.
int attach(bdLocals& model, int k, int e) {
    if (e < 0 || e > model.cyld_ns || !allocated_element(&model, e)) return 0;
    struct Model {
        NameBuffer buffer;
        double* bdLocals::*method;
        int (*loader)(const char*, int);
    };
    const Model models[] = {
        {kNameBuffers[0], &bdLocals::elem_MethodP, InitProfLos},
        {kNameBuffers[1], &bdLocals::elem_MethodS, InitScndLos},
        {kNameBuffers[2], &bdLocals::elem_MethodN, InitTransLos},
        {kNameBuffers[3], &bdLocals::elem_MethodV, InitDevAng},
        {kNameBuffers[4], &bdLocals::elem_MethodB, InitBlock},
    };
    for (const Model& m : models) {
        // A slot filled to its last character has no NUL of its own.
        char name[kNameSlotSize + 1] = {};
        std::memcpy(name, name_slot(model.*m.buffer, k), kNameSlotSize);
        if (name[0] == '\0') {
            (model.*m.method)[e] = 0.0;
        } else if (m.loader(name, e) != 0) {
            return 1;
        }
    }
    if (k != kSlotExtraInlet) {
        model.elem_MethodR[e] = 0.0;
        model.elem_MethodD[e] = 0.0;
        model.los_limit[e] = model.family_los_limit[k];
        model.dev_limit[e] = model.family_dev_limit[k];
        model.block_limit[e] = model.family_block_limit[k];
    }
    return 0;
}

int present(int form) { return form != 0 ? 1 : 0; }

// Step 9 for a centrifugal compressor module: the roles of each stage's elements.
int attach_centrifugal_stages(bdLocals& model, const PD_module& rec) {
    const int volin = present(rec.volin_form);
    const int lbau = present(rec.lbau_form);
    const int n = volin + lbau + 1 + present(rec.diff_form) + present(rec.uband_form) +
                  present(rec.desw_form) + present(rec.lbda_form) + present(rec.volout_form);
    for (int s = 0; s < model.cyld_ns / n; ++s) {
        const int b = n * s;
        int r = 0;
        if (volin) r |= attach(model, kSlotInletVolute, b + 1);
        if (lbau) r |= attach(model, kSlotLBendUp, b + volin + lbau);
        int e = b + volin + lbau + 1;  // the impeller
        if (rec.igv_form == 0 || rec.igv_form == 1) r |= attach(model, kSlotImpeller, e);
        if (rec.diff_form != 0) {
            ++e;
            if (rec.diff_form == 1) r |= attach(model, kSlotVanelessDiffuser, e);
            if (rec.diff_form == 2) r |= attach(model, kSlotVanedDiffuser, e);
        }
        if (rec.uband_form != 0) r |= attach(model, kSlotUBend, ++e);
        if (rec.desw_form != 0) r |= attach(model, kSlotDeswirler, ++e);
        if (rec.lbda_form != 0) r |= attach(model, kSlotLBendDown, ++e);
        if (rec.volout_form != 0) r |= attach(model, kSlotOutletVolute, b + n);
        if (r != 0) return 1;
    }
    return 0;
}

// Steps 2 to 9 for module m. The model is listed as soon as it exists.
int build_model(int m, bdLocals* master) {
    PD_module* rec = module(m);
    const PD_module* first = module(0);
    const PD_module* last = module(std::min(module_count(), static_cast<int>(PD_MODULE_MAX)) - 1);
    if (rec == nullptr || first == nullptr || last == nullptr) return 1;

    const int extra_in = rec->Vflag == 1 || rec->Vflag == 3 ? 1 : 0;
    const int extra_out = rec->Vflag == 2 || rec->Vflag == 3 ? 1 : 0;
    rec->index = m;

    make_room();
    const PredesignTables* owner = &tables();
    bdLocals* model = binit();
    if (model == nullptr) return 1;
    remember(owner, model);
    rec->PD_model = model;
    model->cyld_ns = stage_limit(*rec) * stage_elements(rec->type) + extra_in + extra_out;
    model->cyld_nr = 1;
    if (const int r = alloc_probdata(model->cyld_ns + 1, 1); r != 0) return r;

    if (set_bdLocals(model) == 0) return 0;
    model->ranges_ref = rec;

    copy_settings(*model, *master, rec->type);
    if (const int r = set_up_main_fluid(*model, *master); r != 0) return r;
    // Only the first model takes the master's cooling fluid code (the
    // caller puts the master's own value back when all are built).
    master->cyld_cfluid = 0;
    if (const int r = set_up_cooling_fluid(*model, *master); r != 0) return r;

    set_element_defaults(*model, *master);
    const int ns = model->cyld_ns;
    model->elem_p0[0] = first->PD_SRC_P0;
    // The plug-in families see whether the whole machine compresses or expands.
    model->elem_p2[ns] = last->PD_SRC_P2N;
    InitLoses();
    const bool compressing = model->elem_p0[0] <= model->elem_p2[ns];
    // Compressor rows are charged their losses only under ICLos, which a
    // compressing case file switches on: a model of a compressing machine
    // does the same, or every generated row would be lossless.
    if (compressing) model->ICLos = 1;
    model->cyld_ns -= extra_in + extra_out;

    if (compressing && extra_in && attach(*model, kSlotExtraInlet, 1) != 0) return 1;
    if (rec->type == TURB_RADIAL && rec->volin_form != 0 && attach(*model, kSlotInletVolute, 1) != 0)
        return 1;
    if (rec->type == COMP_RADIAL && attach_centrifugal_stages(*model, *rec) != 0) return 1;
    return 0;
}

}  // namespace

int stage_limit(const PD_module& rec) {
    const double upper = rec.PD_LIM_upper[PD_LIM_STG];
    if (!(upper > 0.0)) return 0;  // NaN too
    return upper >= kMaxModuleStages ? kMaxModuleStages : static_cast<int>(upper);
}

int stage_elements(int type) { return type == COMP_RADIAL ? 8 : 2; }

int build_models(bdLocals* master) {
    PD_free_models();
    if (master == nullptr) return 1;
    const int saved_cfluid = master->cyld_cfluid;
    const int count = std::clamp(module_count(), 0, static_cast<int>(PD_MODULE_MAX));
    int result = 0;
    try {
        for (int m = 0; m < count && result == 0; ++m) result = build_model(m, master);
    } catch (...) {
        result = 1;  // out of memory: the master is made current again all the same
    }
    master->cyld_cfluid = saved_cfluid;
    set_bdLocals(master);
    return result;
}

}  // namespace h2::predesign

extern "C" {

int InitModels(void) {
    try {
        return h2::predesign::build_models(get_bdLocals());
    } catch (...) {
        return 1;
    }
}

void PD_free_models(void) {
    bdLocals* current = get_bdLocals();
    std::vector<bdLocals*> models;
    try {
        models = h2::predesign::take_models();
    } catch (...) {
        return;  // out of memory for the list: the models stay listed for the next call
    }
    bool current_freed = false;
    PD_module* records = h2::predesign::module_records();
    for (bdLocals* model : models) {
        if (model == current) current_freed = true;
        for (int m = 0; m < PD_MODULE_MAX; ++m)
            if (records[m].PD_model == model) records[m].PD_model = nullptr;
        if (set_bdLocals(model) == 0) continue;
        bterm();
    }
    if (current != nullptr && !current_freed) set_bdLocals(current);
}

int PushHistory(int, int, double, PD_module*) { return 0; }
}
