// The full result report with the export files written before it.
#include "reports/report_api.h"

extern "C" {

// Stands in for the result report and exports until the reports land: writes nothing.
void report_result(std::FILE*) {}
}
