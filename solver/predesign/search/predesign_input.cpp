// The predesign input file: a positional text file with the solver switches
// of the case, the machine inlet state and the module table. The file is read
// into copies of the case and of the table, and nothing is changed unless the
// whole file reads: a bad value leaves the case, its fluid, its name and the
// table as they were.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "case/case_arrays.h"
#include "case/case_file.h"
#include "case/data_tokens.h"
#include "case/file_handle.h"
#include "case/output_internal.h"
#include "case/text_field.h"
#include "case/thread_blocks.h"
#include "halvorine2/case_data.h"
#include "halvorine2/console.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/fluids.h"
#include "halvorine2/output.h"
#include "halvorine2/predesign.h"
#include "halvorine2/threading.h"
#include "solver/predesign/predesign_data.h"
#include "solver/predesign/predesign_tables.h"

namespace h2::predesign {
namespace {

// load results
constexpr int kDone = 0;
constexpr int kNoName = -1;
constexpr int kFileError = 1;
constexpr int kDimensionError = 2;
constexpr int kValueError = 3;

// Largest flow path of a case: elements 0..100, 50 streamlines.
constexpr int kMaxNS = 100;
constexpr int kMaxNI = 50;
constexpr int kMaxElements = kMaxNS + 1;
// An inlet value below this is a temperature (K), at or above it a total enthalpy (J/kg).
constexpr double kTemperatureBelow = 10000.0;
// Elements of the extra inlet and outlet element a module may have.
constexpr int kExtraElements = 2;

// Option lines after a module's Gflag line: five for a centrifugal
// compressor's element forms, one for an inlet volute form.
constexpr int kStageOptionLines = 5;
constexpr int kVoluteOptionLines = 1;

// Per-element defaults of a freshly read predesign case.
constexpr double kLossLimit = 0.85;

// A field of the case that a line sets: an integer or a real.
struct CaseField {
    int bdLocals::*integer;
    double bdLocals::*real;
};
constexpr CaseField i(int bdLocals::*f) { return {f, nullptr}; }
constexpr CaseField r(double bdLocals::*f) { return {nullptr, f}; }
constexpr CaseField kSkipped{nullptr, nullptr};

// Line 1 (its eighth value has no field) and line 2.
constexpr std::array kSwitches{
    i(&bdLocals::cyld_ns),    i(&bdLocals::cyld_nr),   i(&bdLocals::IM),         i(&bdLocals::IP),
    i(&bdLocals::IPP),        i(&bdLocals::cyld_VART), i(&bdLocals::cyld_fluid), kSkipped,
    i(&bdLocals::cyld_VARTB), i(&bdLocals::IGM),       i(&bdLocals::cyld_VARTP), i(&bdLocals::cyld_VARTD),
};
constexpr std::array kMethods{
    i(&bdLocals::cyld_MethodP), i(&bdLocals::cyld_MethodS), i(&bdLocals::cyld_MethodN),
    i(&bdLocals::cyld_MethodV), i(&bdLocals::cyld_MethodL), i(&bdLocals::ISM),
    i(&bdLocals::ICLos),        r(&bdLocals::RELAX),        r(&bdLocals::acc_limit),
    i(&bdLocals::cyld_force1D),
};

// The option words of the two option blocks, in file order.
constexpr std::array<int PD_module::*, kStageOptionLines> kStageOptions{
    &PD_module::diff_form, &PD_module::uband_form, &PD_module::desw_form, &PD_module::volin_form,
    &PD_module::volout_form};

// Field names of the range and limit lines, as the messages give them.
constexpr const char* kVarNames[PD_VAR_COUNT] = {"PD_VAR_OM", "PD_VAR_D",  "PD_VAR_CZ", "PD_VAR_HT",
                                                 "PD_VAR_R",  "PD_VAR_PA", "PD_VAR_KU", "PD_VAR_KZ",
                                                 "PD_VAR_M",  "PD_VAR_KH"};
constexpr const char* kLimNames[PD_LIM_COUNT] = {"PD_LIM_STG",    "PD_LIM_DH",   "PD_LIM_DS",  "PD_LIM_A1",
                                                 "PD_LIM_LENGTH", "PD_LIM_MACH", "PD_LIM_MASS"};
// Searched variables that are sizes, speeds or ratios of sizes: no negative value has a meaning.
constexpr int kNonNegativeVars[] = {PD_VAR_OM, PD_VAR_D, PD_VAR_CZ, PD_VAR_M};
// The machine inlet flow angle, degrees.
constexpr double kMaxInletAngle = 180.0;

// One content line: its tokens and where it stands in the file.
struct Line {
    std::string text;
    int physical = 0;
    std::vector<std::string_view> tokens;
};

// A failure: the code and what the locator message says.
struct Failure {
    int code;
    int physical;
    std::string what;
};

class Reader {
public:
    explicit Reader(std::FILE* f) : f_(f) {}

    // The next content line, or nullptr when the file has ended.
    const Line* next() {
        if (pending_) {
            pending_ = false;
            return &line_;
        }
        if (ended_ || !read_content_line(f_, line_.text, physical_)) {
            ended_ = true;
            too_long_ = line_.text.size() > kMaxWholeLine;
            return nullptr;
        }
        line_.physical = physical_;
        line_.tokens.clear();
        DataTokens tokens(line_.text);
        while (auto t = tokens.next()) line_.tokens.push_back(*t);
        return &line_;
    }
    // Hands the last line out again on the next call.
    void put_back() { pending_ = true; }
    int physical() const { return physical_; }
    bool ended() const { return ended_; }
    // The file ended at a line longer than kMaxWholeLine, which was not read.
    bool too_long() const { return too_long_; }

private:
    std::FILE* f_;
    Line line_;
    int physical_ = 0;
    bool pending_ = false;
    bool ended_ = false;
    bool too_long_ = false;
};

std::string what_of(const char* format, long long value) {
    char text[96];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string what_of(const char* format, const char* name, double value) {
    char text[160];
    std::snprintf(text, sizeof text, format, name, value);
    return text;
}

// Token k of a line as an integer or a real; a token without a leading
// number, or a number beyond the double range, is a failure.
bool read_int(const Line& line, std::size_t k, int& out, std::optional<Failure>& failure) {
    if (!has_leading_int(line.tokens[k])) {
        failure = Failure{kValueError, line.physical, what_of("value %lld is not a number", k + 1LL)};
        return false;
    }
    out = to_int(line.tokens[k]);
    return true;
}

bool read_real(const Line& line, std::size_t k, double& out, std::optional<Failure>& failure) {
    const std::optional<double> v = leading_real(line.tokens[k]);
    if (!v) {
        failure = Failure{kValueError, line.physical, what_of("value %lld is not a number", k + 1LL)};
        return false;
    }
    if (!std::isfinite(*v)) {
        failure = Failure{kValueError, line.physical, what_of("value %lld is not finite", k + 1LL)};
        return false;
    }
    out = *v;
    return true;
}

// The fluid of a case as the temperature conversion may change it, so that a
// failed read puts it back: the names, constants and property function, and
// the thread's state block of the main fluid.
class FluidSnapshot {
public:
    explicit FluidSnapshot(const bdLocals& b)
        : fluid_(b.cyld_fluid), loaded_(b.fluid_loaded), R_(b.cyld_R), k_(b.cyld_k), func_(b.fluid_func) {
        std::memcpy(name_, b.fluidName, sizeof name_);
        if (const void* locals = get_fluidLocals(H2_FLUID_MAIN)) {
            std::memcpy(locals_, locals, sizeof locals_);
            has_locals_ = true;
        }
    }
    void restore(bdLocals& b) const {
        b.cyld_fluid = fluid_;
        b.fluid_loaded = loaded_;
        b.cyld_R = R_;
        b.cyld_k = k_;
        b.fluid_func = func_;
        std::memcpy(b.fluidName, name_, sizeof name_);
        if (void* locals = get_fluidLocals(H2_FLUID_MAIN); locals != nullptr && has_locals_)
            std::memcpy(locals, locals_, sizeof locals_);
    }

private:
    char name_[sizeof(bdLocals::fluidName)];
    int fluid_, loaded_;
    double R_, k_;
    FluidFunc func_;
    unsigned char locals_[H2_FLUID_LOCALS_SIZE] = {};
    bool has_locals_ = false;
};

// The file read into copies of the case and of the module table.
class InputFile {
public:
    InputFile(std::FILE* f, bdLocals& target)
        : reader_(f), target_(target), draft_(std::make_unique<bdLocals>(target)) {
        std::copy_n(module_records(), PD_MODULE_MAX, modules_.begin());
        count_ = module_count();
    }

    // Reads the whole file; the failure, if any.
    std::optional<Failure> read() {
        std::optional<Failure> failure;
        if (!case_line(kSwitches, true, failure)) return failure;
        if (read1_ && (draft_->cyld_ns > kMaxNS || draft_->cyld_nr > kMaxNI || draft_->cyld_ns < 0 ||
                       draft_->cyld_nr < 0)) {
            report_error("Fatal error: dimension exceeds maximum");
            return Failure{kDimensionError, line1_, "dimension exceeds maximum"};
        }
        if (!case_line(kMethods, false, failure)) return failure;
        PD_module& first = modules_[0];
        if (!reals({&first.PD_SRC_I0, &first.PD_SRC_P0, &first.PD_SRC_A0}, failure)) return failure;
        const int source_line = reader_.physical();
        if (!reader_.ended() && !inlet_in_range(first, source_line, failure)) return failure;
        const bool temperature = first.PD_SRC_P0 != 0.0 && first.PD_SRC_I0 < kTemperatureBelow;
        // A case an earlier file set up takes this file's fluid now, not at its first run.
        if (temperature || target_.fluid_loaded != 0) {
            if (!set_up_fluid(first) || (temperature && !temperature_to_enthalpy(first))) {
                SetConColor(12, 240);
                std::fputs("InitFluid failed!\n", console_stream());
                SetConDefColor();
                return Failure{kFileError, source_line, "the fluid cannot be set up"};
            }
        }
        if (!reals({&first.PD_LIM_lower[PD_LIM_LENGTH], &first.PD_LIM_upper[PD_LIM_LENGTH]}, failure))
            return failure;
        if (const Line* line = reader_.next()) {
            if (!line->tokens.empty()) {
                int n = 0;
                if (!read_int(*line, 0, n, failure)) return failure;
                if (!accept_module_count("PD_load_data", n))
                    return Failure{kDimensionError, line->physical,
                                   what_of("number of modules %lld outside 0..6", n)};
                count_ = n;
                count_read_ = true;
            }
        }
        for (int m = 0; m < count_; ++m) {
            if (!module_lines(modules_[m], failure)) return failure;
            if (reader_.ended() && !reader_.too_long() && short_module_ < 0) short_module_ = m;
        }
        if (reader_.too_long())
            return Failure{
                kDimensionError, reader_.physical(),
                what_of("the line is longer than %lld bytes", static_cast<long long>(kMaxWholeLine))};
        return std::nullopt;
    }

    // The module the file ended in before its last line, -1 for a whole file.
    int short_module() const { return short_module_; }
    // The file ended before its module count line.
    bool no_count() const { return !count_read_; }
    int last_line() const { return reader_.physical(); }

    // The read values go into the case and the table.
    void commit(const char* file) {
        copy_text(target_.name, file);
        for (const auto& lines :
             {std::span<const CaseField>(kSwitches), std::span<const CaseField>(kMethods)})
            for (const CaseField& f : lines) {
                if (f.integer != nullptr) target_.*f.integer = draft_.get()->*f.integer;
                if (f.real != nullptr) target_.*f.real = draft_.get()->*f.real;
            }
        std::copy_n(modules_.begin(), PD_MODULE_MAX, module_records());
        fluid_changed_ = false;
    }

    // A failed read puts the fluid back.
    void roll_back() {
        if (fluid_changed_ && snapshot_) snapshot_->restore(target_);
        fluid_changed_ = false;
    }

    int count() const { return count_; }

private:
    // A line of case switches into the draft.
    bool case_line(std::span<const CaseField> fields, bool first_line, std::optional<Failure>& failure) {
        const Line* line = reader_.next();
        if (line == nullptr) return true;
        if (first_line) {
            read1_ = true;
            line1_ = line->physical;
        }
        const std::size_t n = std::min(line->tokens.size(), fields.size());
        for (std::size_t k = 0; k < n; ++k) {
            const CaseField& f = fields[k];
            if (f.integer != nullptr && !read_int(*line, k, draft_.get()->*f.integer, failure)) return false;
            if (f.real != nullptr && !read_real(*line, k, draft_.get()->*f.real, failure)) return false;
        }
        return true;
    }

    // A line of reals into the given places, as many as it holds.
    bool reals(std::initializer_list<double*> places, std::optional<Failure>& failure) {
        const Line* line = reader_.next();
        if (line == nullptr) return true;
        std::size_t k = 0;
        for (double* place : places) {
            if (k >= line->tokens.size()) break;
            if (!read_real(*line, k++, *place, failure)) return false;
        }
        return true;
    }

    bool integer(int& place, std::optional<Failure>& failure) {
        const Line* line = reader_.next();
        if (line == nullptr || line->tokens.empty()) return true;
        return read_int(*line, 0, place, failure);
    }

    // The 23 lines of a module, with the option lines of a design file's
    // form blocks between its Gflag line and its first range.
    bool module_lines(PD_module& rec, std::optional<Failure>& failure) {
        if (const Line* line = reader_.next()) {
            if (!line->tokens.empty()) {
                int type = 0;
                if (!read_int(*line, 0, type, failure)) return false;
                if (type < TURB_AXIAL || type > COMP_RADIAL) {
                    failure =
                        Failure{kValueError, line->physical, what_of("module type %lld outside 0..5", type)};
                    return false;
                }
                rec.type = type;
            }
        }
        if (!integer(rec.Dflag, failure) || !integer(rec.Gflag, failure)) return false;
        if (!option_lines(rec, failure)) return false;
        for (int v = 0; v < PD_VAR_COUNT; ++v) {
            if (!range(rec.PD_VAR_lower[v], rec.PD_VAR_upper[v], kVarNames[v], failure)) return false;
            if (std::find(std::begin(kNonNegativeVars), std::end(kNonNegativeVars), v) !=
                    std::end(kNonNegativeVars) &&
                !reader_.ended() && rec.PD_VAR_lower[v] < 0.0) {
                failure = Failure{kValueError, reader_.physical(),
                                  what_of("%s lower end %g is negative", kVarNames[v], rec.PD_VAR_lower[v])};
                return false;
            }
        }
        // No module type searches the work split, and the file gives only its
        // range: the generator takes the middle of it (left at 0, a turbine
        // would put nearly all its work into the first stage).
        rec.PD_VAL[PD_VAR_KH] = 0.5 * (rec.PD_VAR_lower[PD_VAR_KH] + rec.PD_VAR_upper[PD_VAR_KH]);
        for (int l = 0; l < PD_LIM_COUNT; ++l)
            if (!range(rec.PD_LIM_lower[l], rec.PD_LIM_upper[l], kLimNames[l], failure)) return false;
        return positive(rec.PD_SRC_OM, "PD_SRC_OM (speed)", failure) &&
               positive(rec.PD_SRC_G, "PD_SRC_G (mass flow)", failure) &&
               positive(rec.PD_SRC_P2N, "PD_SRC_P2N (outlet pressure)", failure);
    }

    // A range line: its low end may not exceed its high end.
    bool range(double& lower, double& upper, const char* name, std::optional<Failure>& failure) {
        const Line* line = reader_.next();
        if (line == nullptr) return true;
        reader_.put_back();
        if (!reals({&lower, &upper}, failure)) return false;
        if (line->tokens.size() >= 2 && lower > upper) {
            failure = Failure{
                kValueError, reader_.physical(),
                what_of("%s range %g above its upper end", name, lower).append(" ").append(number(upper))};
            return false;
        }
        return true;
    }

    // A one-value line of a quantity that is positive in any machine.
    bool positive(double& place, const char* name, std::optional<Failure>& failure) {
        const Line* line = reader_.next();
        if (line == nullptr) return true;
        reader_.put_back();
        if (!reals({&place}, failure)) return false;
        if (!line->tokens.empty() && !(place > 0.0)) {
            failure = Failure{kValueError, reader_.physical(), what_of("%s %g is not above 0", name, place)};
            return false;
        }
        return true;
    }

    static std::string number(double v) {
        char text[40];
        std::snprintf(text, sizeof text, "%g", v);
        return text;
    }

    // The machine inlet: a temperature above 0 K, a pressure not below 0 (0
    // leaves the first value as it is) and a flow angle of 0..180 degrees.
    bool inlet_in_range(const PD_module& first, int line, std::optional<Failure>& failure) {
        if (first.PD_SRC_P0 < 0.0) {
            failure = Failure{kValueError, line,
                              what_of("%s %g is negative", "PD_SRC_P0 (inlet pressure)", first.PD_SRC_P0)};
            return false;
        }
        if (first.PD_SRC_P0 != 0.0 && !(first.PD_SRC_I0 > 0.0)) {
            failure = Failure{kValueError, line,
                              what_of("%s %g is not above 0", "PD_SRC_I0 (inlet temperature or enthalpy)",
                                      first.PD_SRC_I0)};
            return false;
        }
        if (first.PD_SRC_A0 < 0.0 || first.PD_SRC_A0 > kMaxInletAngle) {
            failure = Failure{
                kValueError, line,
                what_of("%s %g outside 0..180 degrees", "PD_SRC_A0 (inlet flow angle)", first.PD_SRC_A0)};
            return false;
        }
        return true;
    }

    // One-value lines up to the next line of two or more values.
    bool option_lines(PD_module& rec, std::optional<Failure>& failure) {
        std::vector<int> values;
        int first = 0;
        while (const Line* line = reader_.next()) {
            if (line->tokens.size() != 1) {
                reader_.put_back();
                break;
            }
            if (values.empty()) first = line->physical;
            int v = 0;
            if (!read_int(*line, 0, v, failure)) return false;
            values.push_back(v);
        }
        if (values.empty()) return true;
        if (values.size() == kStageOptionLines) {
            for (std::size_t k = 0; k < values.size(); ++k) rec.*kStageOptions[k] = values[k];
        } else if (values.size() == kVoluteOptionLines) {
            rec.volin_form = values[0];
        } else {
            failure = Failure{
                kValueError, first,
                what_of("%lld option lines (1 or 5 expected)", static_cast<long long>(values.size()))};
            return false;
        }
        return true;
    }

    // The fluid the file names set up on the case, whatever an earlier file
    // set up there.
    bool set_up_fluid(const PD_module& first) {
        if (!snapshot_) snapshot_.emplace(target_);
        fluid_changed_ = true;
        target_.cyld_fluid = draft_->cyld_fluid;
        forget_loaded_fluid(target_);
        // A loader that installs nothing must not count as a loaded fluid.
        target_.fluid_func = nullptr;
        if (InitFluid(first.PD_SRC_AF) != 0 || target_.fluid_func == nullptr) {
            roll_back();
            return false;
        }
        return true;
    }

    // The inlet temperature of record 0 turned into a total enthalpy at its
    // pressure, with the fluid just set up.
    bool temperature_to_enthalpy(PD_module& first) {
        first.PD_SRC_I0 = target_.fluid_func(H2_FLUID_I_PT, first.PD_SRC_P0, first.PD_SRC_I0, first.PD_SRC_AF,
                                             H2_FLUID_MAIN);
        return true;
    }

    Reader reader_;
    bdLocals& target_;
    std::unique_ptr<bdLocals> draft_;
    std::array<PD_module, PD_MODULE_MAX> modules_;
    int count_ = 0;
    bool count_read_ = false;
    int short_module_ = -1;
    bool read1_ = false;
    int line1_ = 0;
    std::optional<FluidSnapshot> snapshot_;
    bool fluid_changed_ = false;
};

void locate(const char* file, const Failure& f) {
    char text[512];
    std::snprintf(text, sizeof text, "PD_load_data: %.300s line %d: %s\n", file, f.physical, f.what.c_str());
    report_error(text);
}

// A file that ends early still reads (the records keep what they had), but
// a search of it fails far from the cause: the line where it ended is named.
void warn_if_short(const char* file, const InputFile& input) {
    char text[512];
    if (input.no_count()) {
        std::snprintf(text, sizeof text,
                      "PD_load_data: warning: %.300s ends at line %d, before its number of modules\n", file,
                      input.last_line());
    } else if (input.short_module() >= 0) {
        std::snprintf(
            text, sizeof text,
            "PD_load_data: warning: %.300s ends at line %d, before the end of module %d of the %d declared\n",
            file, input.last_line(), input.short_module() + 1, input.count());
    } else {
        return;
    }
    report_error(text);
}

// Elements the case must hold for the largest joined flow path the modules'
// stage limits allow, and for the defaults of n + 1 elements.
int needed_elements(const bdLocals& b, int n, int count) {
    long long path = 1;
    for (int m = 0; m < count; ++m) {
        const PD_module& rec = module_records()[m];
        path += static_cast<long long>(stage_limit(rec)) * stage_elements(rec.type) + kExtraElements;
    }
    const long long need = std::max({static_cast<long long>(n) + 1, b.cyld_ns + 1LL, path});
    return static_cast<int>(std::min<long long>(kMaxElements, need));
}

// Missing or smaller arrays are made anew for the needed extents; larger ones stay.
int ensure_arrays(bdLocals& b, int elements, int streams) {
    const bool fits = b.elem_stagType != nullptr && b.alloc_elems >= elements && b.alloc_streams >= streams;
    if (fits) return 0;
    if (has_any_array(&b) && free_probdata() != 0) sweep_arrays(&b);
    // Making the arrays names the default dump file; a host's own name stays.
    char dump_name[sizeof b.dump_name];
    std::memcpy(dump_name, b.dump_name, sizeof dump_name);
    const int r = alloc_probdata(elements, streams);
    if (dump_name[0] != '\0') std::memcpy(b.dump_name, dump_name, sizeof dump_name);
    return r;
}

int load(const char* file) {
    if (file == nullptr) {
        report_error("Nothing to load");
        return kNoName;
    }
    bdLocals* b = get_bdLocals();
    if (b == nullptr) {
        report_error("PD_load_data: no current case");
        return kNoName;
    }
    File f(std::fopen(file, "r"));
    if (f == nullptr) {
        SetConColor(12, 240);
        std::fprintf(stderr, "Can't open file %s\n", file);
        SetConDefColor();
        return kFileError;
    }
    InputFile input(f.get(), *b);
    if (const std::optional<Failure> failure = input.read()) {
        input.roll_back();
        locate(file, *failure);
        return failure->code;
    }
    input.commit(file);
    tables().count = input.count();
    warn_if_short(file, input);

    int stages = 0;
    for (int m = 0; m < input.count(); ++m) stages += stage_limit(module_records()[m]);
    const int n = 2 * stages < kMaxNS ? 2 * stages : kMaxNS;
    if (ensure_arrays(*b, needed_elements(*b, n, input.count()), std::max(b->cyld_nr, 1)) != 0) {
        report_error("PD_load_data: the case's arrays cannot be made");
        return kFileError;
    }
    PD_default_elems(n);
    setRanges(input.count());
    return kDone;
}

}  // namespace

bool read_content_line(std::FILE* f, std::string& line, int& physical) {
    if (f == nullptr) return false;
    for (;;) {
        line.clear();
        int ch = 0;
        while ((ch = std::getc(f)) != EOF && ch != '\n') {
            // The line is not kept past the limit: one endless line took all the memory there was.
            if (line.size() > kMaxWholeLine) {
                ++physical;
                return false;
            }
            line.push_back(static_cast<char>(ch));
        }
        if (ch == EOF && (line.empty() || std::ferror(f))) return false;
        ++physical;
        if (PD_line_kind(line.c_str()) != 0) continue;
        line.resize(std::min(line.find_first_of("#\r\n"), line.size()));
        return true;
    }
}

}  // namespace h2::predesign

extern "C" {

int PD_line_kind(const char* line) { return classify_data_line(line); }

int PD_read_line(std::FILE* f, char* buffer) {
    if (f == nullptr || buffer == nullptr) return -1;
    try {
        std::string line;
        int physical = 0;
        if (!h2::predesign::read_content_line(f, line, physical)) {
            buffer[0] = '\0';
            return -1;
        }
        h2::copy_text(buffer, h2::kDataLineSize, line.c_str());
        return 0;
    } catch (...) {
        buffer[0] = '\0';
        return -1;
    }
}

int PD_default_elems(int n) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr) return 0;
    b->ITML = 0;
    b->IPO = b->IPP;
    b->IPI = b->IPO;
    b->cyld_VARTB = 1;
    if (!h2::all_present(b->los_limit, b->dev_limit, b->block_limit, b->ublos_limit, b->volos_limit,
                         b->los_scale, b->dev_scale, b->elem_VARTB))
        return 0;
    for (int e = 0; e <= n && h2::allocated_element(b, e); ++e) {
        b->los_limit[e] = h2::predesign::kLossLimit;
        b->dev_limit[e] = 0.0;
        b->block_limit[e] = 0.0;
        b->ublos_limit[e] = h2::predesign::kBendLossLimit;
        b->volos_limit[e] = h2::predesign::kVoluteLossLimit;
        b->los_scale[e] = 1.0;
        b->dev_scale[e] = 1.0;
        b->elem_VARTB[e] = b->cyld_VARTB != 0 ? 1.0 : 0.0;
    }
    return 0;
}

int PD_load_data(const char* file) {
    try {
        return h2::predesign::load(file);
    } catch (...) {
        return 1;
    }
}
}
