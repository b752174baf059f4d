#include "solver/predesign/point_reason.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "halvorine2/output.h"

namespace h2::predesign {
namespace {

// Points of a search run on worker threads: each keeps its own reason.
thread_local std::string kept_reason;

}  // namespace

void point_reason(const char* format, ...) {
    char text[400];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(text, sizeof text, format, ap);
    va_end(ap);
    put_err(text);
    if (kept_reason.empty()) kept_reason = text;
}

const char* point_reason_text() { return kept_reason.c_str(); }

void clear_point_reason() { kept_reason.clear(); }

}  // namespace h2::predesign
