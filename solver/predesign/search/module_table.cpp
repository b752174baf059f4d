// The predesign module table: at most six module records in flow order, their
// count, and the prerequisite blocks, one per module. Every host thread has a
// table of its own; the host fills the records through getRanges and attaches
// the table to its case with setRanges, and from then on the case reaches that
// table on whatever thread it is current. Design code reaches them only
// through predesign_tables.h, which a search worker points at its own copy.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <mutex>
#include <vector>

#include "halvorine2/output.h"
#include "halvorine2/predesign.h"
#include "halvorine2/threading.h"
#include "solver/predesign/predesign_tables.h"

namespace h2::predesign {
namespace {

// The tables of the threads alive, so that a case attached to one of them
// finds it from any thread.
std::mutex g_registry_lock;
std::vector<PredesignTables*>& registry() {
    static std::vector<PredesignTables*> live;
    return live;
}

// One table per host thread, for as long as the thread lives. A single
// process-wide table had two hosts' searches overwrite each other's records
// and free each other's models.
struct ThreadTables {
    PredesignTables own{};
    ThreadTables() {
        const std::lock_guard<std::mutex> hold(g_registry_lock);
        registry().push_back(&own);
    }
    ~ThreadTables() {
        const std::lock_guard<std::mutex> hold(g_registry_lock);
        std::erase(registry(), &own);
    }
    ThreadTables(const ThreadTables&) = delete;
    ThreadTables& operator=(const ThreadTables&) = delete;
};

thread_local ThreadTables t_own;
thread_local PredesignTables* t_tables = nullptr;

// The live table holding the record `p` points into (a case's ranges_ref
// names record 0, a model's its own module), or nullptr.
PredesignTables* owner_of(const void* p) {
    if (p == nullptr) return nullptr;
    const std::lock_guard<std::mutex> hold(g_registry_lock);
    for (PredesignTables* t : registry()) {
        const auto* first = static_cast<const void*>(t->modules);
        const auto* last = static_cast<const void*>(t->modules + PD_MODULE_MAX);
        if (std::less_equal<>()(first, p) && std::less<>()(p, last)) return t;
    }
    return nullptr;
}

}  // namespace

PredesignTables& process_tables() { return t_own.own; }
PredesignTables& tables() {
    if (t_tables != nullptr) return *t_tables;
    if (const bdLocals* b = get_bdLocals(); b != nullptr)
        if (PredesignTables* attached = owner_of(b->ranges_ref)) return *attached;
    return t_own.own;
}

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
