// Printers of the predesign: the module table as a block of text, the
// result report of the composed case, and the search's verdict on a point.
#include <cstdio>

#include "case/output_internal.h"
#include "halvorine2/console.h"
#include "halvorine2/predesign.h"
#include "halvorine2/reports.h"
#include "halvorine2/threading.h"
#include "reports/report_api.h"
#include "reports/report_format.h"
#include "solver/predesign/predesign_data.h"
#include "solver/predesign/predesign_tables.h"

namespace {

using h2::printable;

constexpr std::uint16_t kWhite = 15;
constexpr std::uint16_t kRed = 12;
constexpr std::uint16_t kMask = 240;

// Search verdicts that print a text of their own.
constexpr int kNotSupported = 102;
constexpr int kOutOfRange = 101;
constexpr int kBadAccuracy = 1;
constexpr int kCorrupted = 3;

const char* const kVariableLines[PD_VAR_COUNT] = {
    "PD_VAR_OM   %12g %12g\n", "PD_VAR_D    %12g %12g\n", "PD_VAR_CZ   %12g %12g\n",
    "PD_VAR_HT   %12g %12g\n", "PD_VAR_R    %12g %12g\n", "PD_VAR_PA   %12g %12g\n",
    "PD_VAR_KU   %12g %12g\n", "PD_VAR_KZ   %12g %12g\n", "PD_VAR_M    %12g %12g\n",
    "PD_VAR_KH   %12g %12g\n",
};
const char* const kLimitLines[PD_LIM_COUNT] = {
    "PD_LIM_STG  %12g %12g\n", "PD_LIM_DH   %12g %12g\n",  "PD_LIM_DS   %12g %12g\n",
    "PD_LIM_A1   %12g %12g\n", "PD_LIM_LENGTH%12g %12g\n", "PD_LIM_MACH %12g %12g\n",
    "PD_LIM_MASS %12g %12g\n",
};

void put_module(std::FILE* s, const PD_module& rec, int m) {
    const char* name = pd_module_type_name(rec.type);
    std::fprintf(s, "Module %2d: %s %d stages\n", m + 1, name != nullptr ? name : "UNKNOWN",
                 h2::truncated_int(rec.PD_LIM_upper[PD_LIM_STG]));
    std::fprintf(s, "Dflag       %4d\n", rec.Dflag);
    std::fprintf(s, "Gflag       %4d\n", rec.Gflag);
    std::fprintf(s, "Vflag       %4d\n\n", rec.Vflag);
    std::fprintf(s, "PD_SRC_I0   %12g\n", printable(rec.PD_SRC_I0));
    std::fprintf(s, "PD_SRC_P0   %12g\n", printable(rec.PD_SRC_P0));
    std::fprintf(s, "PD_SRC_A0   %12g\n", printable(rec.PD_SRC_A0));
    std::fprintf(s, "PD_SRC_AF   %12g\n", printable(rec.PD_SRC_AF));
    std::fprintf(s, "PD_SRC_OM   %12g\n", printable(rec.PD_SRC_OM));
    std::fprintf(s, "PD_SRC_G    %12g\n", printable(rec.PD_SRC_G));
    std::fprintf(s, "PD_SRC_P2N  %12g\n\n", printable(rec.PD_SRC_P2N));
    if (rec.type == COMP_RADIAL) {
        std::fprintf(s, "diff_form   %12d\n", rec.diff_form);
        std::fprintf(s, "uband_form  %12d\n", rec.uband_form);
        std::fprintf(s, "desw_form   %12d\n", rec.desw_form);
        std::fprintf(s, "volin_form  %12d\n", rec.volin_form);
        std::fprintf(s, "volout_form %12d\n\n", rec.volout_form);
    }
    if (rec.type == TURB_RADIAL) std::fprintf(s, "volin_form  %12d\n\n", rec.volin_form);
    for (int v = 0; v < PD_VAR_COUNT; ++v)
        std::fprintf(s, kVariableLines[v], printable(rec.PD_VAR_lower[v]), printable(rec.PD_VAR_upper[v]));
    std::fputs("\n", s);
    for (int l = 0; l < PD_LIM_COUNT; ++l)
        std::fprintf(s, kLimitLines[l], printable(rec.PD_LIM_lower[l]), printable(rec.PD_LIM_upper[l]));
    std::fputs("\n", s);
}

}  // namespace

extern "C" {

void PD_report_data(FILE* stream, int withAll) {
    const bdLocals* b = get_bdLocals();
    if (b == nullptr || stream == nullptr || b->IPO == 0) return;
    SetConColor(kWhite, kMask);
    std::fputs("\n\t\t\t\t\t\tP D  r a n g e s", stream);
    std::fputs("\n\t\t\t\t\t\t================\n\n", stream);
    SetConDefColor();
    const int count = h2::predesign::module_count();
    std::fprintf(stream, "Nmodules = %d (meter_opt = %d)\n\n", count, b->meter_opt);
    for (int m = 0; m < count; ++m) {
        // A count beyond the six records prints the records there are.
        const PD_module* rec = h2::predesign::module(m);
        if (rec == nullptr) break;
        put_module(stream, *rec, m);
    }
    if (withAll != 0) report_data(stream);
}

void PD_report_result(FILE* stream) {
    if (stream == nullptr || get_bdLocals() == nullptr) return;
    report_result(stream);
}

void PD_report_error(int point, int code) {
    const bdLocals* b = get_bdLocals();
    if (b == nullptr || b->IPP < 3) return;
    SetConColor(kRed, kMask);
    std::FILE* out = h2::console_stream();
    if (code != 0) {
        if (point >= 0) {
            std::fprintf(out, "Search point %4d:\t", point);
        } else {
            std::fputs("\n", out);
        }
        switch (code) {
            case kNotSupported:
                std::fputs("Problem not supported!\n", out);
                break;
            case kOutOfRange:
                std::fputs("Out of range!\n", out);
                break;
            case kBadAccuracy:
                std::fprintf(out, "Bad accuracy! Meter=%d\n", point);
                break;
            case kCorrupted:
                std::fprintf(out, "Corrupted data! Meter=%d\n", point);
                break;
            default:
                break;
        }
    }
    SetConDefColor();
}
}
