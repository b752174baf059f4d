// Point restore: the design of the table's current values rebuilt, solved
// and reported, with the profile atlases loaded for the composition.
#include <cstring>

#include "blades/atlas.h"
#include "case/output_internal.h"
#include "case/text_field.h"
#include "halvorine2/output.h"
#include "halvorine2/predesign.h"
#include "halvorine2/threading.h"
#include "platform/fpenv.h"
#include "platform/install_paths.h"
#include "reports/gauging_angles.h"
#include "reports/report_api.h"
#include "solver/predesign/predesign_data.h"
#include "solver/predesign/predesign_tables.h"
#include "solver/predesign/search/module_composition.h"
#include "solver/solver_api.h"

namespace h2::predesign {
namespace {

constexpr int kAtlasCapacity = 100;
constexpr int kAtlasContoursAndTables = 2;

// A new atlas of the master, its contours from `contours` and its tables from
// the file record 0 names; NULL when either load fails.
Atlas* load_atlas(const char* name, const char* contours, const char (&tables)[PD_MODULE_TEXT]) {
    Atlas* a = atlas_create(kAtlasCapacity, name);
    if (a == nullptr) return nullptr;
    char file[PD_MODULE_TEXT];
    std::memcpy(file, tables, sizeof file - 1);
    file[sizeof file - 1] = '\0';
    if (atlas_load(a, contours) != 0 ||
        atlas_load_tables(a, h2::platform::installation_file(file).c_str()) != 0) {
        atlas_free(a);
        return nullptr;
    }
    a->type = kAtlasContoursAndTables;
    return a;
}

void release_atlas(void*& field) {
    atlas_free(static_cast<Atlas*>(field));
    field = nullptr;
}

// Every module of the table has a model to compose in.
bool models_present() {
    const int count = module_count();
    if (count < 1 || count > PD_MODULE_MAX) return false;
    for (int m = 0; m < count; ++m)
        if (module(m)->PD_model == nullptr) return false;
    return true;
}

// Reports of a solved design on the console (unless outDst is 1) and the dump.
void report_design(bdLocals& b) {
    if (b.IPO == 0) return;
    start_dump();
    if (b.outDst != 1) PD_report_data(console_stream(), 1);
    if (b.dump_stream != nullptr) PD_report_data(b.dump_stream, 1);
    if (b.outDst != 1) PD_report_result(console_stream());
    if (b.dump_stream != nullptr) PD_report_result(b.dump_stream);
    stop_dump();
}

int restore(bdLocals& master, int keepModels, int restoreFlag) {
    if (keepModels == 0) {
        if (const int r = build_models(&master); r != 0) {
            PD_free_models();
            set_bdLocals(&master);
            return r;
        }
    } else if (!models_present()) {
        report_error("RestorePoint: no models to keep (InitModels builds them; keepModels 0 builds its own)");
        return -1;
    }
    set_bdLocals(&master);
    const PD_module* first = module(0);
    if (first == nullptr) {
        report_error("RestorePoint: no module in the table");
        return -1;
    }
    // Only the atlases made here are released here; a host's stay its own.
    const bool own_s = first->useAtlasS != 0 && master.atlas_s == nullptr;
    const bool own_r = first->useAtlasR != 0 && master.atlas_r == nullptr;
    if (own_s)
        master.atlas_s = load_atlas(
            "atlas S", h2::platform::installation_file("ATLASES/PDatlasS.atl").c_str(), first->atlasListS);
    if (own_r)
        master.atlas_r = load_atlas(
            "atlas R", h2::platform::installation_file("ATLASES/PDatlasR.atl").c_str(), first->atlasListR);
    // Without the names the redesign would ask each atlas for "" and no row
    // would ever take an atlas profile.
    if (master.atlas_s != nullptr) copy_text(master.atlas_s_profile, first->profNameS);
    if (master.atlas_r != nullptr) copy_text(master.atlas_r_profile, first->profNameR);

    int result = compose_point(&master, restoreFlag);
    if (result == 0) {
        set_bdLocals(&master);
        result = bestXN();
        set_bdLocals(&master);
        if (result == 0) {
            refresh_gauging_angles();
            calc_integral(1);
            report_design(master);
        }
    }
    if (result != 0) PD_report_error(-1, result);

    if (own_s) release_atlas(master.atlas_s);
    if (own_r) release_atlas(master.atlas_r);
    if (keepModels == 0) PD_free_models();
    set_bdLocals(&master);
    return result;
}

}  // namespace
}  // namespace h2::predesign

extern "C" {

int RestorePoint(int keepModels, int restoreFlag) {
    bdLocals* master = get_bdLocals();
    if (master == nullptr) {
        h2::report_error("RestorePoint: no current case");
        return -1;
    }
    const h2::platform::FpEnvironmentGuard fp;
    int result;
    try {
        result = h2::predesign::restore(*master, keepModels, restoreFlag);
    } catch (...) {
        result = 3;
    }
    set_bdLocals(master);
    return result;
}
}
