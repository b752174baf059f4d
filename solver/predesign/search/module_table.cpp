// The process-wide predesign module table: at most six module records in flow
// order, their count, and the prerequisite blocks, one per module. The host
// fills the records through getRanges and attaches the table to its case with
// setRanges. Design code reaches them only through predesign_tables.h, which a
// search worker points at its own copy.
#include <cstdio>

#include "halvorine2/output.h"
#include "halvorine2/predesign.h"
#include "halvorine2/threading.h"
#include "solver/predesign/predesign_tables.h"

namespace h2::predesign {
namespace {

PredesignTables g_tables{};
thread_local PredesignTables* t_tables = nullptr;

}  // namespace

PredesignTables& process_tables() { return g_tables; }
PredesignTables& tables() { return t_tables != nullptr ? *t_tables : g_tables; }

ScopedPredesignTables::ScopedPredesignTables(PredesignTables* own) : previous_(t_tables) { t_tables = own; }
ScopedPredesignTables::~ScopedPredesignTables() { t_tables = previous_; }

int module_count() { return tables().count; }

PD_module* module(int m) {
    PredesignTables& t = tables();
    const int n = t.count < PD_MODULE_MAX ? t.count : PD_MODULE_MAX;
    return (m >= 0 && m < n) ? &t.modules[m] : nullptr;
}

PD_module* module_records() { return tables().modules; }

double* prereq_block(int m) { return (m >= 0 && m < PD_MODULE_MAX) ? tables().prereq[m] : nullptr; }

double* case_prereq(const bdLocals* b) {
    return b != nullptr ? static_cast<double*>(b->prereq_ref) : nullptr;
}

double prereq_slot(const bdLocals* b, int k, double fallback) {
    const double* p = case_prereq(b);
    return (p != nullptr && k >= 0 && k < kPrereqSlots) ? p[k] : fallback;
}

PD_module* case_modules(const bdLocals* b) {
    return b != nullptr ? static_cast<PD_module*>(b->ranges_ref) : nullptr;
}

bool accept_module_count(const char* function, int n) {
    if (n >= 0 && n <= PD_MODULE_MAX) return true;
    // The table has six records: a larger count would have every reader walk past it.
    char message[96];
    std::snprintf(message, sizeof message, "%s: number of modules %d outside 0..6\n", function, n);
    put_err(message);
    return false;
}

}  // namespace h2::predesign

using h2::predesign::tables;

extern "C" {

int getRanges(int n, PD_module** table) {
    if (table != nullptr) *table = tables().modules;
    if (!h2::predesign::accept_module_count("getRanges", n)) return 2;
    tables().count = n;
    return 0;
}

int setRanges(int n) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr) return -1;
    if (!h2::predesign::accept_module_count("setRanges", n)) return 2;
    tables().count = n;
    b->ranges_ref = tables().modules;
    b->prereq_ref = tables().prereq[0];
    return 0;
}

// The report name of a module type, NULL for a value outside 0..5.
const char* pd_module_type_name(int type) {
    static constexpr const char* kNames[] = {"TURB_AXIAL", "TURB_RADIAL", "TURB_CURTIS",
                                             "COMP_AXIAL", "COMP_FAN",    "COMP_RADIAL"};
    return type >= TURB_AXIAL && type <= COMP_RADIAL ? kNames[type] : nullptr;
}

// The table as the exports read it; the count is the one last given, which
// readers check against the six records themselves.
const PD_module* pd_module_table(int* count) {
    if (count != nullptr) *count = tables().count;
    return tables().modules;
}
}
