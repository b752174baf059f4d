// The one way design code reaches the predesign module table, the module
// count and the prerequisite blocks. A design-point search worker installs its
// own copy of all three for its thread (ScopedPredesignTables), so generators,
// regeneration passes and composition never touch process-wide state while a
// search runs on several threads.
#pragma once

#include "halvorine2/predesign.h"

namespace h2::predesign {

// Doubles in one module's prerequisite block (1,000 bytes a module).
inline constexpr int kPrereqSlots = 125;

struct PredesignTables {
    PD_module modules[PD_MODULE_MAX];
    int count = 0;  // Nmodules as the host last gave it (readers clamp it)
    double prereq[PD_MODULE_MAX][kPrereqSlots];
};

// The calling thread's tables: a worker's private copy while one is
// installed; otherwise the tables attached to the current case (setRanges,
// PD_load_data), whichever thread attached them; otherwise the calling
// thread's own tables, which the host fills.
PredesignTables& tables();
// The calling thread's own tables, whatever it has installed or attached.
PredesignTables& process_tables();

// Installs `own` as the calling thread's tables until destroyed.
class ScopedPredesignTables {
public:
    explicit ScopedPredesignTables(PredesignTables* own);
    ~ScopedPredesignTables();
    ScopedPredesignTables(const ScopedPredesignTables&) = delete;
    ScopedPredesignTables& operator=(const ScopedPredesignTables&) = delete;

private:
    PredesignTables* previous_;
};

// Nmodules as stored (may lie outside 0..PD_MODULE_MAX; callers that read
// records check it or use module()).
int module_count();
// Record m, or nullptr when m is outside 0..min(count, PD_MODULE_MAX) - 1.
PD_module* module(int m);
// The whole record array (PD_MODULE_MAX records).
PD_module* module_records();
// Prerequisite block m, or nullptr when m is outside 0..PD_MODULE_MAX - 1.
double* prereq_block(int m);

// The prerequisite block a case reads: the one attached to it (its
// prereq_ref), or nullptr for an ordinary case.
double* case_prereq(const bdLocals* b);
// Slot k of the case's prerequisite block, `fallback` without a block or for
// k outside 0..kPrereqSlots - 1.
double prereq_slot(const bdLocals* b, int k, double fallback);
// The module table attached to a case (its ranges_ref), or nullptr.
PD_module* case_modules(const bdLocals* b);

// True for a module count the table holds (0..PD_MODULE_MAX); otherwise
// writes "<function>: number of modules <n> outside 0..6" with put_err.
bool accept_module_count(const char* function, int n);

}  // namespace h2::predesign
