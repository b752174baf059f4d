// The process-wide predesign module table: at most six module records in flow
// order, their count, and the prerequisite blocks, one per module. The host
// fills the records through getRanges and attaches the table to its case with
// setRanges.
#include "halvorine2/predesign.h"
#include "halvorine2/threading.h"

namespace {

constexpr int kPrereqSlots = 125;

PD_module g_ranges[PD_MODULE_MAX];
int g_modules = 0;
double g_prereq[PD_MODULE_MAX][kPrereqSlots];

}  // namespace

extern "C" {

int getRanges(int n, PD_module** table) {
    g_modules = n;
    if (table != nullptr) *table = g_ranges;
    return 0;
}

int setRanges(int n) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr) return -1;
    g_modules = n;
    b->ranges_ref = g_ranges;
    b->prereq_ref = g_prereq[0];
    return 0;
}

// The table as the exports read it; the count is the one last given, which
// readers check against the six records themselves.
const PD_module* pd_module_table(int* count) {
    if (count != nullptr) *count = g_modules;
    return g_ranges;
}
}
