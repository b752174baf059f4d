// The case data file: a positional text file that holds a case between runs.
// Only the middle streamline of every per-element-and-streamline quantity is
// stored; prepare_loaded_data rebuilds the other streamlines, the blade-row
// defaults, the radii and the pitches after reading.
#include "case/case_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include <locale.h>
#include <strings.h>

#include "case/case_arrays.h"
#include "case/case_fields.h"
#include "case/data_tokens.h"
#include "case/file_handle.h"
#include "case/output_internal.h"
#include "case/text_field.h"
#include "case/truncated_pi.h"
#include "case/walkers_internal.h"
#include "halvorine2/case_data.h"
#include "halvorine2/console.h"
#include "halvorine2/fluids.h"
#include "halvorine2/losses.h"
#include "halvorine2/output.h"
#include "halvorine2/threading.h"
#include "platform/install_paths.h"

namespace {

using h2::kOutletVolute;

using h2::kDegree;
using h2::kTwoPi;

// Largest flow path a file may describe: elements 0..NS, NI streamlines.
constexpr int kMaxNS = 100;
constexpr int kMaxNI = 50;

// load_data and save_data results
constexpr int kDone = 0;
constexpr int kNoName = -1;
constexpr int kNoArrays = -2;
constexpr int kFileError = 1;
constexpr int kDimensionError = 2;

// Record lengths in tokens, the element number included where there is one.
constexpr int kHeaderTokens = 12;
constexpr int kMethodTokens = 10;
constexpr int kInletTokens = 7;
constexpr int kBladeTokens = 11;

// Degrees to radians and 2π, with the truncated values the solver was tuned with.

// Fresh loss-model limits and scales of every element.
constexpr double kLossLimit = 0.7;
constexpr double kBendLossLimit = 0.4;
constexpr double kVoluteLossLimit = 0.5;

// Blade-row defaults where the file leaves a value at 0.
constexpr double kStatorTdy = 1.0;           // stgtd__Tdy
constexpr double kStatorSealTeeth = 10.0;    // clrn__Zrd
constexpr double kSealClearance = 0.001;     // clrn__drd, clrn__drr, m
constexpr double kDiaphragmSealRatio = 0.7;  // bld__du over the hub diameter
constexpr double kRotorSealTeeth = 2.0;      // clrn__Zrr
constexpr double kOpenTipTeeth = -1.0;       // clrn__Zrr of an unshrouded rotor
constexpr double kRotorB1n = 0.01;           // clrn__b1n, m

// Section-model constants every loaded element starts from.
constexpr double kCasA_ = 0.5;   // cas__a_
constexpr double kCasB_ = 0.05;  // cas__b_
constexpr double kBldK = 6.0;    // bld__k

// SolverTask: below 10 design tasks; x and 10x are the same task with the
// exit angle held over the span ("twist fixed") or following the twist law
// ("twist parameterized").
bool is_design_task(int vart) { return vart < 10; }
bool twist_fixed(int vart) { return vart == 10 || vart == 20 || vart == 30 || vart == 40; }
bool twist_parameterized(int vart) { return vart == 100 || vart == 200 || vart == 300 || vart == 400; }

// The machine compresses when the outlet pressure is not below the inlet total pressure.
bool is_compressing(const bdLocals& c) { return c.elem_p0[0] <= c.elem_p2[c.cyld_ns]; }

void report_in_error_colour(const char* format, const char* name) {
    SetConColor(12, 240);
    std::fprintf(stderr, format, name);
    SetConDefColor();
}

// True when the case holds its whole array set for elements 0..cyld__ns and
// cyld__nr streamlines, so that every middle-streamline index is in bounds.
bool holds_path_arrays(bdLocals& c) {
    if (!h2::path_fits_arrays(&c) || c.cyld_nr < 1) return false;
    for (const auto& f : h2::kFields) {
        if (h2::is_element_array(f.kind) && *h2::field_at<double*>(&c, f.offset) == nullptr) return false;
        if (!h2::is_row_array(f.kind)) continue;
        double** rows = *h2::field_at<double**>(&c, f.offset);
        if (rows == nullptr) return false;
        for (int i = 0; i <= c.cyld_ns; ++i)
            if (rows[i] == nullptr) return false;
    }
    return true;
}

// ---------------------------------------------------------------- tokens

using Tokens = h2::DataTokens;
using h2::to_int;
using h2::to_real;

// A token that spells an infinity or a NaN ("inf", "-nan", "Infinity"): the
// conversions would read it as 0, and a case saved from it would hold a
// different number than the one its author wrote.
bool non_finite_token(std::string_view t) {
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) t.remove_prefix(1);
    const auto starts = [&](std::string_view word) {
        return t.size() >= word.size() && strncasecmp(t.data(), word.data(), word.size()) == 0;
    };
    return starts("inf") || starts("nan");
}

// A token that begins with a number, as the counts of the header need.
bool numeric_token(std::string_view t) { return h2::has_leading_int(t); }

// The "P2" layout stores the square of the loss coefficient. A negative token
// keeps its sign, so that the square root of it is no NaN and the saved file
// reads back as the same coefficient; save_data writes the signed square.
double loss_from_psi(double psi) { return std::copysign(std::sqrt(std::fabs(psi)), psi); }
double psi_from_loss(double loss) { return loss * std::fabs(loss); }

// The "P2" token of element i as a design reads it again. A compressor's
// token is its loading coefficient, which the run keeps in elem__Ht while it
// overwrites isd__p2 with the solved outlet pressure: writing that pressure
// back asked the reloaded design for a loading of 10^5. A turbine's token is
// its outlet pressure target, which the solve meets.
double p2_column(const bdLocals& c, int i, int m) {
    return is_compressing(c) ? c.elem_Ht[i] : c.isd_p2[i][m];
}

// Integer tokens that are stored as doubles (teeth and vibration counts):
// whole numbers, cut toward zero, so 12.7 gives 12. save_data writes them
// with %g, which puts a number of more than six digits in exponent form
// ("2.2e+06"); read by the integer conversion that would come back as 2.
double to_whole(std::string_view t) { return std::trunc(to_real(t)); }

// ---------------------------------------------------------------- reading

// One column of an element line: the value of the token for element i, whose
// middle streamline is m.
using Column = void (*)(bdLocals& c, int i, int m, double v);

// The columns both element-line layouts share.
void set_wp(bdLocals& c, int i, int, double v) { c.bld_wp[i] = v; }
void set_l(bdLocals& c, int i, int, double v) { c.bld_l2[i] = c.bld_l1[i] = v; }
void set_B1g(bdLocals& c, int i, int m, double v) { c.cas_B1g[i][m] = v; }
void set_m2(bdLocals& c, int i, int, double v) { c.bld_m2[i] = v; }
void set_t2(bdLocals& c, int i, int m, double v) { c.cas_t2[i][m] = v; }
void set_Pa(bdLocals& c, int i, int, double v) { c.elem_Pa[i] = v; }
void set_z(bdLocals& c, int i, int, double v) { c.bld_z[i] = v; }
void set_b(bdLocals& c, int i, int m, double v) { c.cas_bx[i][m] = c.cas_b[i][m] = v; }
void set_r2(bdLocals& c, int i, int m, double v) { c.cas_r2[i][m] = v; }
void set_x2(bdLocals& c, int i, int m, double v) { c.cas_x2[i][m] = v; }
void set_Gotb2(bdLocals& c, int i, int, double v) { c.elem_Gotb2[i] = v; }
void set_stagType(bdLocals& c, int i, int, double v) { c.elem_stagType[i] = v; }
void set_sectType(bdLocals& c, int i, int, double v) { c.elem_sectType[i] = v; }
void set_AngMask(bdLocals& c, int i, int, double v) { c.AngMask[i] = v; }

// Element line of analysis tasks (cyld__VART >= 10): the effective exit angle.
constexpr Column kB2effColumns[] = {
    nullptr,  // element number
    set_wp,
    [](bdLocals& c, int i, int, double v) { c.bld_d2[i] = c.bld_d1[i] = v; },
    set_l,
    [](bdLocals& c, int i, int m, double v) { c.los_Los[i][m] = v; },
    set_B1g,
    [](bdLocals& c, int i, int m, double v) { c.cas_B2g[i][m] = c.cas_B2a[i][m] = v; },
    set_m2,
    set_t2,
    set_Pa,
    set_z,
    set_b,
    set_r2,
    set_x2,
    set_Gotb2,
    set_stagType,
    set_sectType,
    set_AngMask,
    [](bdLocals& c, int i, int, double v) { c.elem_moduleNum[i] = v; },
    [](bdLocals& c, int i, int, double v) { c.elem_stageNum[i] = v; },
};

// Element line of design tasks (cyld__VART < 10): the outlet pressure and the
// flow coefficient; the loss token is the square of the loss coefficient.
constexpr Column kP2Columns[] = {
    nullptr,  // element number
    set_wp,
    [](bdLocals& c, int i, int, double v) {
        c.bld_d2s[i] = v;
        if (is_compressing(c)) c.bld_d2[i] = c.bld_d1[i] = v;
    },
    set_l,
    [](bdLocals& c, int i, int m, double v) { c.los_Los[i][m] = loss_from_psi(v); },
    set_B1g,
    [](bdLocals& c, int i, int, double v) { c.elem_cz_[i] = v; },
    [](bdLocals& c, int i, int m, double v) { c.elem_Ht[i] = c.isd_p2[i][m] = v; },
    set_m2,
    set_t2,
    set_Pa,
    set_z,
    set_b,
    set_r2,
    set_x2,
    set_Gotb2,
    set_stagType,
    set_sectType,
    set_AngMask,
};

// Header line: the twelve integers in file order.
constexpr std::int32_t bdLocals::*kHeaderFields[] = {
    &bdLocals::cyld_ns,    &bdLocals::cyld_nr,   &bdLocals::IM,         &bdLocals::IP,
    &bdLocals::IPP,        &bdLocals::cyld_VART, &bdLocals::cyld_fluid, &bdLocals::ITML,
    &bdLocals::cyld_VARTB, &bdLocals::IGM,       &bdLocals::cyld_VARTP, &bdLocals::cyld_VARTD,
};
static_assert(std::size(kHeaderFields) == kHeaderTokens);

// A token of the method line, converted as its field needs.
using MethodField = void (*)(bdLocals& c, std::string_view t);
constexpr MethodField kMethodFields[] = {
    [](bdLocals& c, std::string_view t) { c.cyld_MethodP = to_int(t); },
    [](bdLocals& c, std::string_view t) { c.cyld_MethodS = to_int(t); },
    [](bdLocals& c, std::string_view t) { c.cyld_MethodN = to_int(t); },
    [](bdLocals& c, std::string_view t) { c.cyld_MethodV = to_int(t); },
    [](bdLocals& c, std::string_view t) { c.cyld_MethodL = to_int(t); },
    [](bdLocals& c, std::string_view t) { c.ISM = to_int(t); },
    [](bdLocals& c, std::string_view t) { c.ICLos = to_int(t); },
    [](bdLocals& c, std::string_view t) { c.RELAX = to_real(t); },
    [](bdLocals& c, std::string_view t) { c.acc_limit = c.acc_Gconv = to_real(t); },
    [](bdLocals& c, std::string_view t) { c.cyld_force1D = to_int(t); },
};
static_assert(std::size(kMethodFields) == kMethodTokens);

// Inlet line: the inlet state, the outlet pressure and the whole-path flow;
// ns is the last element, m the middle streamline.
using InletField = void (*)(bdLocals& c, int ns, int m, double v);
constexpr InletField kInletFields[] = {
    [](bdLocals& c, int, int, double v) { c.elem_i0[0] = v; },
    [](bdLocals& c, int, int, double v) { c.elem_p0[0] = c.cyld_P0 = v; },
    [](bdLocals& c, int ns, int, double v) { c.elem_p2[ns] = c.cyld_p2nx = c.cyld_p2n = v; },
    [](bdLocals& c, int, int m, double v) { c.cas_B1[0][m] = v; },
    [](bdLocals& c, int, int, double v) { c.elem_G1[0] = c.cyld_G = v; },
    [](bdLocals& c, int, int m, double v) { c.flow_c2z[0][m] = c.flow_c1z[0][m] = v; },
    [](bdLocals& c, int, int, double v) { c.cyld_af = v; },
};
static_assert(std::size(kInletFields) == kInletTokens);

// Reads the records of one open case file into the current case, in file order.
class CaseFileReader {
public:
    CaseFileReader(std::FILE* file, const char* name, bdLocals& c) : file_(file), name_(name), c_(c) {}

    // 0 read, or the result load_data returns.
    int read() {
        if (const int r = header(); r != kDone) return r;
        const int ns = c_.cyld_ns;
        if (const int r = alloc_probdata(ns + 1, c_.cyld_nr); r != 0) return r;
        const int m = c_.cyld_nr / 2;
        method_line();
        inlet_line(ns, m);
        const bool b2eff = !is_design_task(c_.cyld_VART);
        for (int i = 0; i <= ns && fault_.empty(); ++i) element_line(i, m, b2eff);
        if (b2eff && fault_.empty()) {
            where_ = "the CC line";
            record(ns + 1, [&](int k, std::string_view t) { c_.wb[k] = to_real(t); });
        }
        for (int i = 0; i <= ns && fault_.empty(); ++i) blade_line(i);
        if (read_failed_) {
            report_in_error_colour("Can't read file %s\n", name_);
            return kFileError;
        }
        if (!fault_.empty()) {
            h2::report_error(fault_.c_str());
            return kDimensionError;
        }
        return kDone;
    }

private:
    // Reads the next data line and hands its first `count` tokens to take(k,
    // token). A file that ends before the record, or a token that spells an
    // infinity or a NaN, is a fault named after the record (where_): fields
    // left at zero by a missing record failed much later with no word on the
    // cause. False when the record was not read.
    template <class Take>
    bool record(int count, Take take) {
        // A stream that fails once is not read again: its buffer would hand the
        // previous line out a second time as the next record.
        if (read_failed_ || !fault_.empty()) return false;
        const int status = h2::read_whole_data_line(file_, line_);
        if (status == h2::kReadError) read_failed_ = true;
        if (status == h2::kLineTooLong) {
            fault_ =
                h2::format_text("%s: %s is longer than %zu bytes", name_, where_.c_str(), h2::kMaxWholeLine);
            refused_line_ = true;
            return false;
        }
        if (status != h2::kLineRead) {
            if (!read_failed_)
                fault_ = h2::format_text("%s: the case file ends in %s", name_, where_.c_str());
            return false;
        }
        Tokens tokens(line_);
        for (int k = 0; k < count; ++k) {
            const auto token = tokens.next();
            if (!token) break;
            if (non_finite_token(*token)) {
                fault_ = h2::format_text("%s: \"%.*s\" in %s is not a finite number", name_,
                                         static_cast<int>(token->size()), token->data(), where_.c_str());
                refused_line_ = true;
                return false;
            }
            take(k, *token);
        }
        return true;
    }

    // "element line 2 of 3": the record's name in the file's messages.
    void name_line(const char* kind, int i) {
        where_ = h2::format_text("%s line %d of %d", kind, i + 1, c_.cyld_ns + 1);
    }

    int header() {
        int tokens = 0;
        bool counts_numeric = true;
        where_ = "the header line";
        const bool found = record(kHeaderTokens, [&](int k, std::string_view t) {
            const int v = to_int(t);
            if (k < 2 && !numeric_token(t)) counts_numeric = false;
            // A negative fluid number stands for the default fluid, air.
            c_.*kHeaderFields[k] = (kHeaderFields[k] == &bdLocals::cyld_fluid && v < 0) ? 0 : v;
            ++tokens;
        });
        if (read_failed_) {
            report_in_error_colour("Can't read file %s\n", name_);
            return kFileError;
        }
        if (!found && refused_line_) {
            h2::report_error(fault_.c_str());
            return kDimensionError;
        }
        // An empty file, or one whose first data line does not begin with the
        // element and streamline counts (a binary file, another format), has
        // nothing to size the case from.
        if (!found || tokens < 2 || !counts_numeric) {
            h2::report_error(h2::format_text("%s: the case file has no header line", name_).c_str());
            return kDimensionError;
        }
        // Counts that give no element or no streamline leave every array index unfounded.
        if (c_.cyld_ns > kMaxNS || c_.cyld_nr > kMaxNI || c_.cyld_ns < 0 || c_.cyld_nr < 1) {
            h2::report_error("Fatal error: dimension exceeds maximum");
            return kDimensionError;
        }
        return kDone;
    }

    void method_line() {
        where_ = "the method line";
        record(kMethodTokens, [&](int k, std::string_view t) { kMethodFields[k](c_, t); });
    }

    void inlet_line(int ns, int m) {
        where_ = "the inlet line";
        record(kInletTokens, [&](int k, std::string_view t) { kInletFields[k](c_, ns, m, to_real(t)); });
    }

    void element_line(int i, int m, bool b2eff) {
        const Column* columns = b2eff ? kB2effColumns : kP2Columns;
        const int count = static_cast<int>(b2eff ? std::size(kB2effColumns) : std::size(kP2Columns));
        name_line("element", i);
        const bool found = record(count, [&](int k, std::string_view t) {
            if (columns[k]) columns[k](c_, i, m, to_real(t));
        });
        // A volute's section data share the columns of a blade row.
        if (found && b2eff &&
            (c_.elem_stagType[i] == kOutletVolute || c_.elem_stagType[i] == h2::kInletVolute)) {
            c_.vol_A2[i] = c_.cas_B2a[i][m];
            c_.vol_bk[i] = c_.cas_b[i][m];
            c_.vol_hk[i] = c_.bld_l2[i];
            c_.vol_Dk[i] = c_.bld_d2[i];
            c_.vol_b7[i] = c_.bld_m2[i];
            c_.vol_D7[i] = c_.cas_r2[i][m];
        }
    }

    // Seal and clearance data of a blade row; only the inlet diameter and
    // height are read for other elements.
    void blade_line(int i) {
        const bool stator = h2::is_stator(c_, i);
        const bool rotor = h2::is_rotor(c_, i);
        name_line("blade", i);
        record(kBladeTokens, [&](int k, std::string_view t) {
            switch (k) {
                case 1:
                    if (stator) c_.stgtd_Tdy[i] = to_real(t);
                    if (rotor) c_.stgtd_Tby[i] = to_real(t);
                    break;
                case 2:
                    if (stator) c_.clrn_Zrd[i] = to_whole(t);
                    if (rotor) c_.clrn_Zrr[i] = to_whole(t);
                    break;
                case 3:
                    if (stator) c_.clrn_drd[i] = to_real(t);
                    if (rotor) c_.clrn_drr[i] = to_real(t);
                    break;
                case 4:
                    if (stator) c_.bld_du[i] = to_real(t);
                    if (rotor) c_.bld_dub[i] = to_real(t);
                    break;
                case 5:
                    if (stator || rotor) c_.clrn_d1[i] = 2.0 * to_real(t);
                    if (rotor) c_.clrn_b1n[i] = to_real(t);
                    break;
                case 6:
                    if (rotor) c_.bld_DA[i] = to_real(t);
                    break;
                case 7:
                    if (rotor) c_.elem_VI[i] = to_whole(t);
                    break;
                case 8:
                    if (rotor) c_.bld_VS[i] = to_whole(t);
                    break;
                case 9:
                    c_.bld_d1[i] = to_real(t);
                    break;
                case 10:
                    c_.bld_l1[i] = to_real(t);
                    break;
            }
        });
    }

    std::FILE* file_;
    const char* name_;
    bdLocals& c_;
    bool read_failed_ = false;
    bool refused_line_ = false;  // a line was read and refused (a non-finite token, its length)
    std::string where_;          // the record being read, for the messages
    std::string fault_;          // the first fault met, empty while there is none
    std::string line_;           // the record's line, whole
};

// ---------------------------------------------------------------- plug-ins

// InitFluid's answer when the named plug-in cannot be loaded.
constexpr int kPluginNotFound = -2;

// Names the plug-in the main fluid needs and where it was looked for.
void report_missing_fluid(const bdLocals& c) {
    const int name_length = static_cast<int>(strnlen(c.fluidName, sizeof c.fluidName));
    const int base_length = static_cast<int>(strnlen(c.ModelBase, sizeof c.ModelBase));
    std::string where = base_length > 0 ? h2::format_text("%.*s", base_length, c.ModelBase)
                                        : std::string("the library search path");
    for (const auto& folder : h2::platform::plugin_folders()) where.append(" nor in ").append(folder);
    // The file is named as it is on disk, so that a user looks for the right one.
    const std::string file = h2::platform::plugin_file_name(std::string(c.fluidName, name_length));
    h2::report_error(h2::format_text("load_data: no property function for the main fluid: its plug-in %s "
                                     "was not found in %s",
                                     file.c_str(), where.c_str())
                         .c_str());
}

// ---------------------------------------------------------------- completion

void set_element_defaults(bdLocals& c) {
    for (int i = 0; i <= c.cyld_ns; ++i) {
        c.los_limit[i] = kLossLimit;
        c.dev_limit[i] = 0.0;
        c.block_limit[i] = 0.0;
        c.ublos_limit[i] = kBendLossLimit;
        c.volos_limit[i] = kVoluteLossLimit;
        c.los_scale[i] = 1.0;
        c.dev_scale[i] = 1.0;
    }
}

// Twist law of the exit angle over the span: for a rotor of a compressing
// machine the angle is scaled by (r_j/r_m)^e, for every other element its
// tangent. Rotor angles are taken as 180 - B2a and turned back afterwards.
// Rounding of an angle (degrees) the twist law gives back on its held streamline.
constexpr double kHeldAngleRounding = 1e-9;

void apply_twist_law(bdLocals& c, int i, bool compressing) {
    const int ni = c.cyld_nr;
    const int m = ni / 2;
    const bool rotor = h2::is_rotor(c, i);
    const double A = rotor ? 180.0 - c.cas_B2a[i][m] : c.cas_B2a[i][m];
    // The inlet takes its angle unchanged on every streamline. Handing it A
    // would leave a rotor's angle turned to 180 - B2a, and turned back on the next load.
    if (i == 0) {
        for (int j = 0; j < ni; ++j) c.cas_B2a[0][j] = c.cas_B2a[0][m];
        return;
    }
    const double held = c.cas_B2a[i][m];
    // A row of no height has one radius: no twist, every streamline at the
    // held angle. The law's round trip through 180 - B and the arc tangent
    // could move it by an ulp of 180 degrees on every load.
    if (c.bld_l2[i] == 0.0) {
        for (int j = 0; j < ni; ++j) c.cas_B2a[i][j] = held;
        return;
    }
    const bool scale_angle = compressing && rotor;
    const auto radius = [&](int j) { return (c.bld_d2[i] - c.bld_l2[i]) / 2.0 + j * c.bld_l2[i] / (ni - 1); };
    // The law is referred to the streamline whose angle the file holds. With an
    // even streamline count that one lies off the mean diameter, and a law
    // referred to the mean diameter would turn the held angle again on every load.
    const double r_m = radius(m);
    const double e = c.bld_m2[i];
    const double t = scale_angle ? A * kDegree : std::tan(A * kDegree);
    for (int j = 0; j < ni; ++j) {
        const double r_j = radius(j);
        double q = (std::pow(r_m, e) / t) / std::pow(r_j, e);
        // A large exponent takes both powers past the range of a double
        // (0/0, inf/inf); their ratio to the power is the same law.
        if (!std::isfinite(q)) q = std::pow(r_m / r_j, e) / t;
        const double g = scale_angle ? 1.0 / q : std::fabs(std::atan(1.0 / q));
        // Without a law to follow (no radii) the streamline keeps the held angle.
        double B = std::isnan(g) ? A : g / kDegree;
        if (rotor) B = 180.0 - B;
        B = B < 0.0 ? B + 180.0 : B;
        // On the held streamline the law gives the held angle back, folded
        // into 0..90 where it lay beyond: its rounding alone would move the
        // angle by an ulp on every load.
        // The rounding is that of angles up to 180 degrees, whatever the held
        // angle's own size; a folded angle lies degrees away.
        if (j == m && std::fabs(B - held) <= kHeldAngleRounding) B = held;
        c.cas_B2a[i][j] = B;
    }
}

// Hub and tip radii from the section orientation; an outlet volute with
// angular sections takes its inlet from the element before it.
void set_radii(bdLocals& c, int i) {
    const int m = c.cyld_nr / 2;
    const bool analysis = !is_design_task(c.cyld_VART);
    if (is_sect_type1(i)) {
        if (c.elem_stagType[i] != h2::kInletVolute && analysis)
            c.bld_Rh2[i] = c.bld_Rt2[i] = c.bld_d2[i] / 2.0;
    } else if (is_sect_type0(i)) {
        if (analysis) {
            c.bld_Rh2[i] = (c.bld_d2[i] - c.bld_l2[i]) / 2.0;
            c.bld_Rt2[i] = (c.bld_d2[i] + c.bld_l2[i]) / 2.0;
        }
        // The inlet has no element before it: an outlet volute there would read element -1.
    } else if (is_angular(i) && c.elem_stagType[i] == kOutletVolute && i > 0) {
        c.vol_model[i] = 1.0;
        c.vol_form[i] = 1.0;
        c.vol_D7[i] = c.bld_d2[i - 1];
        c.vol_b7[i] = c.bld_l2[i - 1];
        c.cas_B1[i][m] = c.cas_B2[i - 1][m];
        c.vol_Dk[i] = c.bld_d2[i];
        c.vol_bk[i] = c.bld_l2[i];
        c.vol_hk[i] = c.bld_l2[i];
    }
}

void set_blade_row_defaults(bdLocals& c, int i) {
    const bool design = is_design_task(c.cyld_VART);
    const double hub_d = c.bld_d2[i] - c.bld_l2[i];
    if (h2::is_stator(c, i)) {
        if (c.stgtd_Tdy[i] == 0.0) c.stgtd_Tdy[i] = kStatorTdy;
        if (c.clrn_Zrd[i] == 0.0) c.clrn_Zrd[i] = kStatorSealTeeth;
        if (c.clrn_drd[i] == 0.0) c.clrn_drd[i] = kSealClearance;
        if (design)
            c.bld_du[i] = 0.0;
        else if (c.bld_du[i] == 0.0)
            c.bld_du[i] = kDiaphragmSealRatio * hub_d;
    }
    if (h2::is_rotor(c, i)) {
        if (c.clrn_Zrr[i] == 0.0) c.clrn_Zrr[i] = kRotorSealTeeth;
        // A negative count is a rotor without a shroud (its tip gap clrn__drr);
        // held at -1 so that every reader sees the one documented value.
        if (c.clrn_Zrr[i] < 0.0) c.clrn_Zrr[i] = kOpenTipTeeth;
        if (c.clrn_b1n[i] == 0.0) c.clrn_b1n[i] = kRotorB1n;
        if (c.clrn_drr[i] == 0.0) c.clrn_drr[i] = kSealClearance;
        if (design)
            c.bld_dub[i] = 0.0;
        else if (c.bld_dub[i] == 0.0)
            c.bld_dub[i] = c.bld_wp[i] <= 0.0 ? hub_d : c.bld_d2[i] + c.bld_l2[i];
    }
}

// The middle streamline spread over the span; streamline radii divide the
// annulus into equal areas.
void spread_over_streamlines(bdLocals& c, int i) {
    const int ni = c.cyld_nr;
    const int m = ni / 2;
    for (int j = 0; j < ni; ++j) {
        c.los_Los[i][j] = c.los_Los[i][m];
        c.cas_B1g[i][j] = c.cas_B1g[i][m];
        if (twist_fixed(c.cyld_VART)) c.cas_B2a[i][j] = c.cas_B2a[i][m];
        c.cas_B2g[i][j] = c.cas_B2a[i][j];
        c.cas_t2[i][j] = c.cas_t2[i][m];
        c.cas_b[i][j] = c.cas_b[i][m];
        // The section routines read the axial chord on every streamline; a
        // hub and tip left at 0 gave sections of no area and NaN moduli.
        c.cas_bx[i][j] = c.cas_bx[i][m];
        c.cas_r2[i][j] = c.cas_r2[i][m];
        c.cas_x2[i][j] = c.cas_x2[i][m];
        const double rh = c.bld_Rh2[i];
        const double rt = c.bld_Rt2[i];
        c.flow_r2[i][j] =
            ni == 1 ? c.bld_d2[i] / 2.0 : std::sqrt((rt * rt - rh * rh) * j / (ni - 1) + rh * rh);
        c.cas_t[i][j] = c.bld_z[i] == 0.0 ? 0.0 : c.flow_r2[i][j] * kTwoPi / c.bld_z[i];
        c.cas_tb[i][j] = c.cas_b[i][j] == 0.0 ? 0.0 : c.cas_t[i][j] / c.cas_b[i][j];
        c.cas_a_[i][j] = kCasA_;
        c.cas_b_[i][j] = kCasB_;
        c.los_om[i][m] = 1.0 - c.los_Los[i][m];
    }
}

void set_element_models(bdLocals& c, int i) {
    const int m = c.cyld_nr / 2;
    c.cas_y2[i][m] = c.bld_d2[i] / 2.0;
    c.bld_DA[i] = c.cas_b[i][m] / 10.0;
    c.bld_k[i] = kBldK;
    c.elem_profSer[i] = 1.0;
    h2::copy_method_switches(c, i);
    if (c.cyld_VARTB != 0) c.elem_VARTB[i] = 1.0;
    // The rows of a design case are sized by the header's diameter variant;
    // without it every row would be sized from its hub.
    if (is_design_task(c.cyld_VART)) c.elem_VARTD[i] = c.cyld_VARTD;
}

// ---------------------------------------------------------------- writing

// A real as "%<width>g" writes it when six significant digits give the value
// back, else with the fewest more digits that do, up to the 17 that identify
// every double: a saved case reads back as the same numbers. With six digits
// only, enthalpies near 1e6 J/kg lost their last digits, and a decision on two
// nearly equal pressures turned on the next load; with fifteen, a chord such as
// 0.06301020321842965 came back one unit in the last place off, and a value
// derived from it on load saved differently the second time. Every NaN is "nan".
std::string real_text(double v, int width) {
    char text[64];
    if (std::isnan(v)) {
        std::snprintf(text, sizeof text, "%*s", width, "nan");
        return text;
    }
    for (int digits = 6; digits <= std::numeric_limits<double>::max_digits10; ++digits) {
        std::snprintf(text, sizeof text, "%*.*g", width, digits, v);
        if (!std::isfinite(v) || std::strtod(text, nullptr) == v) break;
    }
    return text;
}

// The values as "%<width>g" fields one space apart.
void put_reals(std::FILE* f, int width, std::initializer_list<double> values) {
    const char* separator = "";
    for (const double v : values) {
        std::fprintf(f, "%s%s", separator, real_text(v, width).c_str());
        separator = " ";
    }
}

}  // namespace

namespace {

// The element columns both layouts of the data file end with, m2 to
// AngMask, at the middle streamline m; each is written as a " %12g" real.
using ElementColumn = double (*)(const bdLocals&, int i, int m);
constexpr ElementColumn kTrailingColumns[] = {
    [](const bdLocals& c, int i, int) { return c.bld_m2[i]; },
    [](const bdLocals& c, int i, int m) { return c.cas_t2[i][m]; },
    [](const bdLocals& c, int i, int) { return c.elem_Pa[i]; },
    [](const bdLocals& c, int i, int) { return c.bld_z[i]; },
    [](const bdLocals& c, int i, int m) { return c.cas_b[i][m]; },
    [](const bdLocals& c, int i, int m) { return c.cas_r2[i][m]; },
    [](const bdLocals& c, int i, int m) { return c.cas_x2[i][m]; },
    [](const bdLocals& c, int i, int) { return c.elem_Gotb2[i]; },
    [](const bdLocals& c, int i, int) { return c.elem_stagType[i]; },
    [](const bdLocals& c, int i, int) { return c.elem_sectType[i]; },
    [](const bdLocals& c, int i, int) { return c.AngMask[i]; },
};

void write_trailing_columns(std::FILE* f, const bdLocals& c, int i, int m) {
    for (const ElementColumn column : kTrailingColumns)
        std::fprintf(f, " %s", real_text(column(c, i, m), 12).c_str());
    std::fputc('\n', f);
}

}  // namespace

namespace h2 {
int read_whole_data_line(std::FILE* stream, std::string& line) {
    line.clear();
    if (stream == nullptr) return kEndOfFile;
    char chunk[kDataLineSize];
    for (;;) {
        // One physical line, in pieces: a piece that fills the buffer without
        // reaching the line's end is followed by the rest of the same line.
        line.clear();
        bool read_any = false;
        while (std::fgets(chunk, sizeof chunk, stream) != nullptr) {
            read_any = true;
            const std::size_t n = std::strlen(chunk);
            line.append(chunk, n);
            if (line.size() > kMaxWholeLine) return kLineTooLong;
            const bool full = n + 1 == sizeof chunk && chunk[n - 1] != '\n';
            if (!full) break;
        }
        if (!read_any) return std::ferror(stream) ? kReadError : kEndOfFile;
        if (classify_data_line(line.c_str()) != kDataLine) continue;
        const auto cut = line.find_first_of("#\r\n");
        if (cut != std::string::npos) line.resize(cut);
        return kLineRead;
    }
}
}  // namespace h2

namespace h2 {

void forget_loaded_fluid(bdLocals& c) {
    if (c.fluid_loaded == 0) return;
    if (c.fluid_loaded - 1 != c.cyld_fluid) c.cyld_R = c.cyld_k = 0.0;
    c.fluidName[0] = '\0';
    c.fluid_loaded = 0;
    c.fluid_func = nullptr;
}

}  // namespace h2

extern "C" {

int classify_data_line(const char* line) {
    if (line == nullptr) return h2::kBlankLine;
    const std::string_view text(line);
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return h2::kBlankLine;
    return text[first] == '#' ? h2::kCommentLine : h2::kDataLine;
}

int read_data_line(std::FILE* stream, char* buffer) {
    if (stream == nullptr || buffer == nullptr) return h2::kEndOfFile;
    for (;;) {
        if (std::fgets(buffer, h2::kDataLineSize, stream) == nullptr) {
            buffer[0] = '\0';
            return std::ferror(stream) ? h2::kReadError : h2::kEndOfFile;
        }
        if (classify_data_line(buffer) != h2::kDataLine) continue;
        buffer[std::strcspn(buffer, "#\r\n")] = '\0';
        return h2::kLineRead;
    }
}

void set_solver_defaults(void) {
    bdLocals* c = get_bdLocals();
    if (c == nullptr) return;
    c->LosRELAX = 0.0;
    c->LkgRELAX = 0.2;
    c->los_policy = 1;
    c->sl_acc_limit = 1e-6;
    c->acc_Gconv = 1e-6;
    c->acc_E = 1e-8;
    c->acc_EE = 1e-10;
    c->acc_D = 1e-7;
    c->acc_MU0 = 0.001;
    c->acc_D0 = 0.001;
    c->FRis = 1;
}

void prepare_loaded_data(void) {
    bdLocals* cp = get_bdLocals();
    // Counts that do not match the arrays would send every loop below past them.
    if (cp == nullptr || !holds_path_arrays(*cp)) return;
    bdLocals& c = *cp;
    const int ns = c.cyld_ns;
    const int ni = c.cyld_nr;
    const int m = ni / 2;
    const bool compressing = is_compressing(c);

    c.ITML = 0;
    c.IPO = c.IPP;
    c.IPI = c.IPO;
    if (compressing) c.ICLos = 1;
    c.cyld_MethodB = 1;

    set_element_defaults(c);
    set_solver_defaults();

    // Each element's inlet diameter and height are the previous element's outlet values.
    for (int i = 1; i <= ns; ++i) {
        c.bld_d1[i] = c.bld_d2[i - 1];
        c.bld_l1[i] = c.bld_l2[i - 1];
    }
    if (c.cyld_af == 0.0) c.cyld_af = 1.0;
    for (int j = 0; j < ni; ++j) c.cas_B1[0][j] = c.cas_B1[0][m];

    for (int i = 0; i <= ns; ++i) {
        if (ni > 1 && twist_parameterized(c.cyld_VART)) apply_twist_law(c, i, compressing);
        set_radii(c, i);
        set_blade_row_defaults(c, i);
        spread_over_streamlines(c, i);
        set_element_models(c, i);
    }
}

int load_data(const char* name) {
    if (name == nullptr) {
        h2::report_error("Nothing to load");
        return kNoName;
    }
    bdLocals* c = get_bdLocals();
    if (c == nullptr) {
        h2::report_error("load_data: Can't get bdLocals");
        return kNoName;
    }
    try {
        const h2::File file(std::fopen(name, "rt"));
        if (!file) {
            report_in_error_colour("Can't open file %s for reading\n", name);
            return kFileError;
        }
        // The name field holds 199 characters; a longer name would run over the fields after it.
        h2::copy_text(c->name, name);

        // A second load into the same case would otherwise lose the first arrays.
        if (h2::has_any_array(c) && free_probdata() != 0) h2::sweep_arrays(c);

        if (const int r = CaseFileReader(file.get(), name, *c).read(); r != kDone) return r;
        prepare_loaded_data();

        h2::forget_loaded_fluid(*c);
        // Every state of the solve goes through the main fluid's function; a case
        // whose plug-in was not found would call through NULL on its first step.
        const int fluid = InitFluid(c->cyld_af);
        if (fluid == kPluginNotFound || (fluid == 0 && c->fluid_func == nullptr)) {
            report_missing_fluid(*c);
            return kFileError;
        }
        if (fluid != 0) return kFileError;
        c->cyld_cfluid = 0;
        c->cyld_caf = 0.0;
        if (InitcFluid(c->cyld_caf) != 0) return kFileError;
        InitLoses();
        return kDone;
    } catch (...) {
        return kFileError;
    }
}

int save_data(const char* name, int layout) {
    if (name == nullptr) {
        h2::report_error("Nothing to load");
        return kNoName;
    }
    bdLocals* cp = get_bdLocals();
    if (cp == nullptr) {
        h2::report_error("save_data: Can't get bdLocals");
        return kNoName;
    }
    // Without its arrays (or with counts beyond them) every element value would be read through NULL.
    if (!holds_path_arrays(*cp)) {
        h2::report_error("save_data: empty data");
        return kNoArrays;
    }
    const bdLocals& c = *cp;
    h2::File file(std::fopen(name, "wt"));
    if (!file) {
        report_in_error_colour("Can't open file %s for writing\n", name);
        return kFileError;
    }
    std::FILE* f = file.get();
    const int ns = c.cyld_ns;
    const int m = c.cyld_nr / 2;

    std::fprintf(f, "# %s\n\n", name);
    std::fprintf(
        f,
        "#       NS         NI         IM         IP        IPP       VART         IS       ITML      "
        "VARTB        IGM      VARTP      VARTD\n");
    std::fprintf(f, "%10d %10d %10d %10d %10d %10d %10d %10d %10d %10d %10d %10d\n\n", c.cyld_ns, c.cyld_nr,
                 c.IM, c.IP, c.IPP, c.cyld_VART, c.cyld_fluid, c.ITML, c.cyld_VARTB, c.IGM, c.cyld_VARTP,
                 c.cyld_VARTD);
    std::fprintf(f,
                 "#  MethodP    MethodS    MethodN     MethodV   MethodL        ISM      ICLos      RELAX  "
                 "acc_limit    force1D\n");
    std::fprintf(f, "%10d %10d %10d %10d %10d %10d %10d ", c.cyld_MethodP, c.cyld_MethodS, c.cyld_MethodN,
                 c.cyld_MethodV, c.cyld_MethodL, c.ISM, c.ICLos);
    put_reals(f, 10, {c.RELAX, c.acc_limit});
    std::fprintf(f, " %10d\n\n", c.cyld_force1D);
    std::fprintf(
        f,
        "#            I0              P0             P2n              A0              G0             "
        "Czo             af\n");
    put_reals(f, 15,
              {c.elem_i0[0], c.elem_p0[0], c.elem_p2[ns], c.cas_B1[0][m], c.elem_G1[0], c.flow_c2z[0][m],
               c.cyld_af});
    std::fprintf(f, "\n\n");

    if (layout != 0) {
        std::fprintf(
            f,
            "#           OM            D            L          PSI          B1m          cz_           "
            "P2           m2          Tm1        Eparc            Z            H            E       "
            "     X          Gex      stgType      secType      AngMask\n");
        for (int i = 0; i <= ns; ++i) {
            std::fprintf(f, "%d ", i);
            put_reals(f, 12,
                      {c.bld_wp[i], c.bld_d2s[i], c.bld_l2[i], psi_from_loss(c.los_Los[i][m]),
                       c.cas_B1g[i][m], c.elem_cz_[i], p2_column(c, i, m)});
            write_trailing_columns(f, c, i, m);
        }
    } else {
        std::fprintf(
            f,
            "#           OM            D            L          PSI         B1m        B2eff           "
            "m2          Tm1       Eparc             Z            H            E            X        "
            "  Gex\t  stgType\t   secType      AngMask\n");
        for (int i = 0; i <= ns; ++i) {
            std::fprintf(f, "%d ", i);
            put_reals(
                f, 12,
                {c.bld_wp[i], c.bld_d2[i], c.bld_l2[i], c.los_Los[i][m], c.cas_B1g[i][m], c.cas_B2a[i][m]});
            write_trailing_columns(f, c, i, m);
        }
        std::fprintf(f, "#\tCC:\n");
        for (int i = 0; i <= ns; ++i) std::fprintf(f, "%s    ", real_text(c.wb[i], 0).c_str());
        std::fprintf(f, "\n");
    }

    std::fprintf(f, "\n");
    std::fprintf(
        f,
        "#            T            Z            d            du         b1n           Da           VI "
        "          VS           Do           Lo\n");
    for (int i = 0; i <= ns; ++i) {
        std::fprintf(f, "%d ", i);
        if (h2::is_stator(c, i))
            put_reals(f, 12,
                      {c.stgtd_Tdy[i], c.clrn_Zrd[i], c.clrn_drd[i], c.bld_du[i], 0.0, 0.0, 0.0, 0.0,
                       c.bld_d1[i], c.bld_l1[i]});
        else
            put_reals(f, 12,
                      {c.stgtd_Tby[i], c.clrn_Zrr[i], c.clrn_drr[i], c.bld_dub[i], c.clrn_b1n[i], c.bld_DA[i],
                       c.elem_VI[i], c.bld_VS[i], c.bld_d1[i], c.bld_l1[i]});
        std::fputc('\n', f);
    }
    // A full disk or a failing device would otherwise leave a cut file reported as written.
    const bool write_failed = std::ferror(f) != 0;
    if (std::fclose(file.release()) != 0 || write_failed) {
        report_in_error_colour("Can't write file %s\n", name);
        return kFileError;
    }
    return kDone;
}

}  // extern "C"
