// The design-point search: LPtau points mapped onto the searched variables of
// every module, each composed and solved as a case of its own, screened,
// limited and ranked by a criterion key; the best is rebuilt and reported in
// the caller's case.
//
// Every point starts from the same inputs (the caller's case, the table and
// the prerequisite blocks as they were at entry), so its result depends on
// its index alone. Points run on workers that each own a copy of those inputs;
// the calling thread draws the points in index order and merges the results
// in index order (counting, criterion, hooks and every line of text), so what
// a search prints and finds does not depend on how many workers it had.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "case/output_internal.h"
#include "case/walkers_internal.h"
#include "halvorine2/case_data.h"
#include "halvorine2/console.h"
#include "halvorine2/lptau.h"
#include "halvorine2/output.h"
#include "halvorine2/params.h"
#include "halvorine2/predesign.h"
#include "halvorine2/threading.h"
#include "platform/fpenv.h"
#include "reports/gauging_angles.h"
#include "reports/report_api.h"
#include "solver/predesign/point_reason.h"
#include "solver/predesign/predesign_data.h"
#include "solver/predesign/predesign_tables.h"
#include "solver/predesign/search/design_point_search.h"
#include "solver/predesign/search/module_composition.h"
#include "solver/predesign/search/radial_screening.h"
#include "solver/solver_api.h"

namespace h2::predesign {
namespace {

// The generator's coordinates and its index range.
constexpr int kMaxDims = 40;
constexpr int kIndexLimit = (1 << 29) - 1;

// Coordinates a module type counts towards the dimension total.
constexpr int kTypeDims[] = {7, 6, 6, 7, 4, 7};

// Searched variables of each type, in the order they take coordinates.
struct TypeVariables {
    int count;
    int var[7];
};
constexpr TypeVariables kTypeVariables[] = {
    {7, {PD_VAR_D, PD_VAR_CZ, PD_VAR_R, PD_VAR_KZ, PD_VAR_HT, PD_VAR_PA, PD_VAR_KH}},  // TURB_AXIAL
    {6, {PD_VAR_OM, PD_VAR_D, PD_VAR_CZ, PD_VAR_R, PD_VAR_KZ, PD_VAR_M}},              // TURB_RADIAL
    {5, {PD_VAR_D, PD_VAR_CZ, PD_VAR_R, PD_VAR_PA, PD_VAR_KZ}},                        // TURB_CURTIS
    {7, {PD_VAR_OM, PD_VAR_D, PD_VAR_CZ, PD_VAR_HT, PD_VAR_R, PD_VAR_KU, PD_VAR_KZ}},  // COMP_AXIAL
    {4, {PD_VAR_OM, PD_VAR_D, PD_VAR_CZ, PD_VAR_R}},                                   // COMP_FAN
    {7, {PD_VAR_OM, PD_VAR_D, PD_VAR_CZ, PD_VAR_HT, PD_VAR_KU, PD_VAR_KZ, PD_VAR_M}},  // COMP_RADIAL
};

bool known_type(int type) { return type >= TURB_AXIAL && type <= COMP_RADIAL; }

// Source lines of the search's out-of-range texts.
constexpr int kLinePointLimits = 639;
constexpr int kLineBestLimits = 791;
constexpr int kLineNoBest = 813;

constexpr std::uint16_t kWhite = 15, kYellow = 14, kMask = 0xF0;

}  // namespace

int dimension_total() {
    const int count = std::clamp(module_count(), 0, static_cast<int>(PD_MODULE_MAX));
    int n = 0;
    for (int m = 0; m < count; ++m) {
        const int type = module(m)->type;
        if (known_type(type)) n += kTypeDims[type];
    }
    return n;
}

int map_point(const double* u) {
    const int count = std::clamp(module_count(), 0, static_cast<int>(PD_MODULE_MAX));
    int k = 0;
    for (int m = 0; m < count; ++m) {
        PD_module& r = *module(m);
        if (!known_type(r.type)) continue;
        const TypeVariables& tv = kTypeVariables[r.type];
        for (int n = 0; n < tv.count; ++n) {
            // Tested before the read: a table with more coordinates than the point has stops here.
            if (k >= kMaxDims) return 1;
            const int v = tv.var[n];
            r.PD_VAL[v] = (r.PD_VAR_upper[v] - r.PD_VAR_lower[v]) * u[k] + r.PD_VAR_lower[v];
            ++k;
        }
    }
    return 0;
}

namespace {

// ---------------------------------------------------------------- one point

enum class Verdict { kComposeFailed, kSolveFailed, kDropped, kOutOfRange, kGood };

struct PointOutcome {
    int index = 0;
    Verdict verdict = Verdict::kDropped;
    int code = 0;
    double crit = 0.0;  // the criterion as read, with its sign
    double effx = 0.0, cz = 0.0, uco = 0.0;
    int ns = 0;
    std::string console, dump;
    std::string reason;                     // why the point was not kept, when a step said so
    PD_module modules[PD_MODULE_MAX] = {};  // the table as the point left it
    bdLocals* flow = nullptr;               // the solved case, kept for the result hook
};

struct Job {
    int index;
    double u[kMaxDims];
};

// What every point starts from, frozen for the search.
struct SearchInputs {
    bdLocals* caller = nullptr;
    bdLocals* entry = nullptr;        // a copy of the caller's case at entry
    PredesignTables tables{};         // the table and prerequisite blocks at entry
    PredesignTables* home = nullptr;  // the caller's tables, which the merge writes
    const char* key = nullptr;
    bool keep_flow = false;
    bool dump_open = false;
};

// Text a point writes, gathered into memory.
class Capture {
public:
    Capture() : console_(open_memstream(&cbuf_, &csize_)), dump_(open_memstream(&dbuf_, &dsize_)) {
        set_thread_capture(console_, dump_);
    }
    ~Capture() {
        end();
        std::free(cbuf_);
        std::free(dbuf_);
    }
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;
    std::FILE* dump() const { return dump_; }
    void end() {
        if (console_ == nullptr) return;
        set_thread_capture(nullptr, nullptr);
        std::fclose(console_);
        std::fclose(dump_);
        console_ = dump_ = nullptr;
    }
    std::string console_text() const { return cbuf_ ? std::string(cbuf_, csize_) : std::string(); }
    std::string dump_text() const { return dbuf_ ? std::string(dbuf_, dsize_) : std::string(); }

private:
    char* cbuf_ = nullptr;
    char* dbuf_ = nullptr;
    std::size_t csize_ = 0, dsize_ = 0;
    std::FILE* console_;
    std::FILE* dump_;
};

// Releases a case made on any thread; the case current before stays current.
void release_case(bdLocals* b) {
    if (b == nullptr) return;
    bdLocals* current = get_bdLocals();
    if (set_bdLocals(b) == 0) return;
    bterm();
    if (current != nullptr && current != b) set_bdLocals(current);
}

// Blade mass of the bladed axial rows of the current case's path.
double path_blade_mass(const bdLocals& b) {
    double mass = 0.0;
    for (int k = 1; k <= b.cyld_ns; ++k)
        if (b.elem_stagType[k] == 1.0 && is_sect_type0(k - 1) && is_sect_type0(k)) mass += b.strs_mass[k];
    return mass;
}

}  // namespace

// The axial-length and blade-mass limits of the machine.
bool within_machine_limits(const bdLocals& b) {
    if (b.LengthLimit != 0.0 && b.cas_x2[b.cyld_ns][b.cyld_nr / 2] > b.LengthLimit) return false;
    if (b.MassLimit != 0.0 && b.cyld_mass > b.MassLimit) return false;
    return true;
}

// The screening of a solved path; may put cyld__effx in place of cyld__effDx.
bool passes_screening(bdLocals& b) {
    // A path without elements has no element 1 to screen.
    if (b.cyld_ns < 1) {
        point_reason("screening: the solved path has no elements");
        return false;
    }
    if (b.stgtd_cooled[1] == 0.0) {
        if (b.cyld_effDx <= 0.0 || b.cyld_effDx > 0.99) {
            if (b.isd_s1[0][0] != 0.0) {
                point_reason("screening: diagram efficiency effDx %.6g outside (0, 0.99]", b.cyld_effDx);
                return false;
            }
            b.cyld_effDx = b.cyld_effx;
        }
    } else if (b.cyld_effD <= 0.0) {
        point_reason("screening: cooled diagram efficiency effD %.6g not above 0", b.cyld_effD);
        return false;
    }
    if (b.cyld_uCo > 1.0) {
        point_reason("screening: velocity ratio uCo %.6g above 1", b.cyld_uCo);
        return false;
    }
    return true;
}

namespace {

// A worker's own inputs: its copy of the table and the models built from a
// fresh copy of the caller's case for every point.
class PointRunner {
public:
    explicit PointRunner(const SearchInputs& in) : in_(in) {}
    ~PointRunner() {
        const ScopedPredesignTables scope(&own_);
        release_working_models();
        PD_free_models();
        release_case(master_);
    }
    PointRunner(const PointRunner&) = delete;
    PointRunner& operator=(const PointRunner&) = delete;

    PointOutcome run(const Job& job) {
        PointOutcome out;
        out.index = job.index;
        // The worker's tables stand behind every reader only while it works on a point.
        const ScopedPredesignTables scope(&own_);
        try {
            evaluate(job, out);
        } catch (...) {
            out.verdict = Verdict::kComposeFailed;
            out.code = 3;
        }
        std::memcpy(out.modules, own_.modules, sizeof out.modules);
        return out;
    }

private:
    // The point's case: a copy of the caller's case at entry with this
    // worker's table attached, and models built from it.
    int reset(Capture& capture) {
        release_working_models();
        release_case(master_);
        master_ = nullptr;
        own_ = in_.tables;
        for (PD_module& r : own_.modules) r.PD_model = nullptr;
        bdLocals* b = copy_probdata(in_.entry, nullptr);
        if (b == nullptr) return 1;
        master_ = b;
        b->ranges_ref = own_.modules;
        b->prereq_ref = own_.prereq[0];
        if (in_.dump_open) b->dump_stream = capture.dump();
        return 0;
    }

    void evaluate(const Job& job, PointOutcome& out) {
        clear_point_reason();
        Capture capture;
        if (const int r = reset(capture); r != 0) {
            out.verdict = Verdict::kComposeFailed;
            out.code = r;
            return;
        }
        map_point(job.u);
        bdLocals& b = *master_;
        if (const int r = working_models(b); r != 0) {
            finish(capture, out, Verdict::kComposeFailed, r);
            return;
        }
        b.search_point = job.index;
        if (const int r = compose_point(&b, 0); r != 0) {
            finish(capture, out, Verdict::kComposeFailed, r);
            return;
        }
        set_bdLocals(&b);
        b.cyld_mass = 0.0;
        const int solved = bestXN();
        set_bdLocals(&b);
        if (solved != 0) {
            finish(capture, out, Verdict::kSolveFailed, solved);
            return;
        }
        if (!passes_screening(b)) {
            finish(capture, out, Verdict::kDropped, 0);
            return;
        }
        // Radial design rules: the point is dropped with its reason printed.
        if (const std::string why = radial_design_rule_broken(b); !why.empty()) {
            point_reason("%s", why.c_str());
            finish(capture, out, Verdict::kDropped, 0);
            return;
        }
        b.cyld_mass = path_blade_mass(b);
        if (!within_machine_limits(b)) {
            finish(capture, out, Verdict::kOutOfRange, 101);
            return;
        }
        out.crit = get_double_par0(in_.key);
        out.effx = b.cyld_effx;
        out.ns = b.cyld_ns;
        out.cz = b.cyld_cz_;
        out.uco = b.cyld_uCo;
        finish(capture, out, Verdict::kGood, 0);
        if (in_.keep_flow) {
            out.flow = master_;
            b.dump_stream = nullptr;
            master_ = nullptr;
        }
    }

    void finish(Capture& capture, PointOutcome& out, Verdict v, int code) {
        if (master_ != nullptr && master_->dump_stream == capture.dump()) master_->dump_stream = nullptr;
        capture.end();
        out.verdict = v;
        out.code = code;
        if (v != Verdict::kGood) out.reason = point_reason_text();
        out.console = capture.console_text();
        out.dump = capture.dump_text();
    }

    // The models as InitModels' steps build them, once per worker (they do not
    // depend on the point's values), and for every point copies of them to
    // generate in. 0, or the preparation's code.
    int working_models(bdLocals& master) {
        const int count = std::clamp(own_.count, 0, static_cast<int>(PD_MODULE_MAX));
        if (!prepared_) {
            if (const int r = build_models(&master); r != 0) {
                PD_free_models();
                set_bdLocals(&master);
                return r;
            }
            for (int m = 0; m < count; ++m) pristine_[m] = own_.modules[m].PD_model;
            prepared_ = true;
        }
        for (int m = 0; m < count; ++m) {
            working_[m] = copy_probdata(pristine_[m], nullptr);
            set_bdLocals(&master);
            if (working_[m] == nullptr) return 1;
            own_.modules[m].PD_model = working_[m];
        }
        return 0;
    }
    void release_working_models() {
        for (bdLocals*& w : working_) {
            release_case(w);
            w = nullptr;
        }
    }

    const SearchInputs& in_;
    bool prepared_ = false;
    bdLocals* pristine_[PD_MODULE_MAX] = {};
    bdLocals* working_[PD_MODULE_MAX] = {};
    PredesignTables own_{};
    bdLocals* master_ = nullptr;
};

// ---------------------------------------------------------------- dispatch

// Hands out the points in index order, drawing each from the generator, and
// stops handing out once the host asks for an abort.
class Dispatcher {
public:
    Dispatcher(const bdLocals* caller, int first, int end, int ndim)
        : caller_(caller), next_(first), end_(end), ndim_(ndim) {}

    bool next(Job& job) {
        const std::lock_guard<std::mutex> hold(lock_);
        if (stopped_ || next_ >= end_) return false;
        if (__atomic_load_n(&caller_->need_abort, __ATOMIC_ACQUIRE) != 0) {
            stopped_ = true;
            aborted_ = true;
            return false;
        }
        job.index = next_;
        std::fill(std::begin(job.u), std::end(job.u), 0.0);
        int s = next_;
        LPT40point(&s, ndim_, job.u);
        ++next_;
        return true;
    }
    bool aborted() {
        const std::lock_guard<std::mutex> hold(lock_);
        return aborted_;
    }
    // No further point is handed out (the merge cannot go on).
    void stop() {
        const std::lock_guard<std::mutex> hold(lock_);
        stopped_ = true;
    }

private:
    std::mutex lock_;
    const bdLocals* caller_;
    int next_;
    int end_;
    int ndim_;
    bool stopped_ = false;
    bool aborted_ = false;
};

// ---------------------------------------------------------------- merge

// How often each result code was seen, in the order first seen (a few kinds).
struct CodeCounts {
    static constexpr int kKinds = 16;
    int code[kKinds] = {};
    int count[kKinds] = {};
    int kinds = 0;
    int others = 0;  // codes beyond the first kKinds kinds
    void add(int c) {
        for (int k = 0; k < kinds; ++k)
            if (code[k] == c) {
                ++count[k];
                return;
            }
        if (kinds == kKinds) {
            ++others;
            return;
        }
        code[kinds] = c;
        count[kinds++] = 1;
    }
};

// The search's own bookkeeping, kept on the calling thread.
struct SearchState {
    int count = 0;
    int i_opt = -1;
    int best_count = 0;
    double crit_opt = 0.0;
    // Points dropped, by why: the preparation or generation of a module (by
    // code), the solve (by code), the screening, the machine limits.
    CodeCounts composition_codes;
    CodeCounts solve_codes;
    int screened = 0;
    int limited = 0;
};

// "N by <what> (code c: n, ...)" for the codes seen, empty for none.
std::string dropped_by(const char* what, const CodeCounts& codes) {
    int n = 0;
    std::string list;
    for (int k = 0; k < codes.kinds; ++k) {
        n += codes.count[k];
        list += format_text("%s%d: %d", list.empty() ? "" : ", ", codes.code[k], codes.count[k]);
    }
    if (codes.others > 0) list += format_text(", others: %d", codes.others);
    n += codes.others;
    return n == 0 ? std::string() : format_text("%d by %s (code %s)", n, what, list.c_str());
}

// A search that keeps no point says why each was dropped: without it the
// only word was the failure code of the whole search.
void print_dropped(const SearchState& st) {
    std::string line;
    const auto add = [&line](const std::string& part) {
        if (!part.empty()) line.append(line.empty() ? "" : ", ").append(part);
    };
    add(dropped_by("the module generators", st.composition_codes));
    add(dropped_by("the solve", st.solve_codes));
    if (st.screened > 0) add(format_text("%d by the screening", st.screened));
    if (st.limited > 0) add(format_text("%d by the machine's length or mass limit", st.limited));
    if (line.empty()) return;
    std::fprintf(console_stream(), "Points dropped: %s\n", line.c_str());
}

void print_rule(char c, std::uint16_t colour) {
    const std::string rule(149, c);
    SetConColor(colour, kMask);
    std::fprintf(console_stream(), "%s\n", rule.c_str());
    SetConDefColor();
}

// A line routed like put_dump, whatever its length.
void search_line(const char* format, ...) __attribute__((format(printf, 1, 2)));
void search_line(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    char text[512];
    std::vsnprintf(text, sizeof text, format, ap);
    va_end(ap);
    put_dump("%s", text);
}

// The skipped point with the reason a step gave for it.
void skipping_line(int i, const PointOutcome& out) {
    if (out.reason.empty())
        search_line("skipping point %d (errcode %d)...\n", i, out.code);
    else
        search_line("skipping point %d (errcode %d): %s\n", i, out.code, out.reason.c_str());
}

void write_dump_text(bdLocals& caller, const std::string& text) {
    if (text.empty()) return;
    if (caller.dump_stream != nullptr) {
        std::fwrite(text.data(), 1, text.size(), caller.dump_stream);
        std::fflush(caller.dump_stream);
        return;
    }
    if (std::FILE* f = std::fopen(caller.dump_name, "a")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
}

// The point's table in the process-wide one; the process's own model
// references stay.
void take_table(PredesignTables& home, const PointOutcome& out) {
    PD_module* records = home.modules;
    for (int m = 0; m < PD_MODULE_MAX; ++m) {
        bdLocals* model = records[m].PD_model;
        records[m] = out.modules[m];
        records[m].PD_model = model;
    }
}

void out_of_range_text(bdLocals& b, int line) {
    std::snprintf(b.err_text, sizeof b.err_text, "ERRCODE_OUTOFRANGE: in %s line %d", kCompositionSource,
                  line);
}

void merge(bdLocals& caller, const SearchInputs& in, SearchState& st, PointOutcome& out, int ndim) {
    set_bdLocals(&caller);
    take_table(*in.home, out);
    const int i = out.index;
    if (caller.IPP > 1) {
        print_rule('=', kWhite);
        SetConColor(kYellow, kMask);
        std::fprintf(console_stream(), "# Search point %d:\n", i);
        SetConDefColor();
    }
    caller.search_point = i;
    if (!out.console.empty()) {
        std::fwrite(out.console.data(), 1, out.console.size(), console_stream());
        std::fflush(console_stream());
    }
    write_dump_text(caller, out.dump);

    switch (out.verdict) {
        case Verdict::kComposeFailed:
            st.composition_codes.add(out.code);
            if (caller.IPP > 2) skipping_line(i, out);
            PD_report_error(i, out.code);
            return;
        case Verdict::kSolveFailed:
            st.solve_codes.add(out.code);
            if (caller.IPP > 2) skipping_line(i, out);
            return;
        case Verdict::kDropped:
            ++st.screened;
            return;
        case Verdict::kOutOfRange:
            ++st.limited;
            out_of_range_text(caller, kLinePointLimits);
            PD_report_error(i, 101);
            return;
        case Verdict::kGood:
            break;
    }

    ++st.count;
    caller.search_point = i;
    caller.meter_count = st.count;
    const bool minimise = in.key[0] == '-';
    if (minimise) {
        if (st.crit_opt == 0.0) st.crit_opt = 1e20;
        const double x = -out.crit;
        if (x < st.crit_opt) {
            st.i_opt = i;
            st.best_count = st.count;
            st.crit_opt = x;
            PushHistory(module_count(), ndim, st.crit_opt, module_records());
        }
    } else {
        if (st.crit_opt == 0.0) st.crit_opt = -1e20;
        const double x = out.crit;
        if (x > st.crit_opt) {
            st.i_opt = i;
            st.best_count = st.count;
            st.crit_opt = x;
            PushHistory(module_count(), ndim, st.crit_opt, module_records());
        }
    }
    if (caller.result_hook != nullptr && out.flow != nullptr) {
        // The hook sees the caller's case holding this point's flow path.
        caller.cyld_ns = out.flow->cyld_ns;
        caller.cyld_nr = out.flow->cyld_nr;
        // The copy carries the worker's table references; the caller keeps its own.
        void* const ranges = caller.ranges_ref;
        void* const prereq = caller.prereq_ref;
        void* const atlas_s = caller.atlas_s;
        void* const atlas_r = caller.atlas_r;
        copy_probdata(out.flow, &caller);
        set_bdLocals(&caller);
        caller.ranges_ref = ranges;
        caller.prereq_ref = prereq;
        caller.atlas_s = atlas_s;
        caller.atlas_r = atlas_r;
        caller.search_point = i;
        caller.cyld_mass = out.flow->cyld_mass;
        caller.result_hook(&caller, caller.result_hook_arg);
        set_bdLocals(&caller);
    }
    start_dump();
    if (caller.IPP > 2)
        search_line(
            "ntot=%4d i=%4d crit=%14g i_opt=%4d crit_opt=%14g (%12g) ns=%4d fi=%12g psi=%12g ns=%-d\n",
            st.count, i, out.crit, st.i_opt, st.crit_opt, out.effx, out.ns / 2, out.cz, out.uco, out.ns);
    stop_dump();
}

// ---------------------------------------------------------------- the loop

int worker_count(const bdLocals& caller, int points) {
    int n = caller.pd_threads;
    if (n <= 0) n = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return std::max(1, std::min(n, points));
}

void run_serial(bdLocals& caller, const SearchInputs& in, SearchState& st, Dispatcher& d, int ndim) {
    PointRunner runner(in);
    Job job{};
    while (d.next(job)) {
        PointOutcome out = runner.run(job);
        merge(caller, in, st, out, ndim);
        release_case(out.flow);
        set_bdLocals(&caller);
    }
}

void run_parallel(bdLocals& caller, const SearchInputs& in, SearchState& st, Dispatcher& d, int ndim,
                  int workers, int first) {
    std::mutex lock;
    std::condition_variable ready;
    std::deque<std::unique_ptr<PointOutcome>> results;  // by index - first
    std::atomic<int> running{0};

    auto work = [&]() {
        {
            const platform::FpEnvironmentGuard fp;
            // The thread's work blocks come with a case of its own.
            if (binit() != nullptr) bterm();
            {
                PointRunner runner(in);
                Job job{};
                while (d.next(job)) {
                    auto out = std::make_unique<PointOutcome>(runner.run(job));
                    const std::lock_guard<std::mutex> hold(lock);
                    const std::size_t slot = static_cast<std::size_t>(job.index - first);
                    if (results.size() <= slot) results.resize(slot + 1);
                    results[slot] = std::move(out);
                    ready.notify_all();
                }
            }
        }
        const std::lock_guard<std::mutex> hold(lock);
        running.fetch_sub(1);
        ready.notify_all();
    };
    std::vector<std::thread> threads;
    // Every started worker is joined on every way out; a failed merge stops
    // the hand-out first so that the workers end soon.
    struct Joiner {
        std::vector<std::thread>& threads;
        Dispatcher& d;
        ~Joiner() {
            d.stop();
            for (std::thread& t : threads)
                if (t.joinable()) t.join();
        }
    } joiner{threads, d};
    threads.reserve(static_cast<std::size_t>(workers));
    for (int w = 0; w < workers; ++w) {
        running.fetch_add(1);
        try {
            threads.emplace_back(work);
        } catch (...) {
            running.fetch_sub(1);  // the system has no more threads to give: fewer workers
            break;
        }
    }
    if (threads.empty()) {
        run_serial(caller, in, st, d, ndim);
        return;
    }

    for (std::size_t slot = 0;; ++slot) {
        std::unique_ptr<PointOutcome> out;
        {
            std::unique_lock<std::mutex> hold(lock);
            ready.wait(hold, [&] {
                if (slot < results.size() && results[slot] != nullptr) return true;
                return running.load() == 0;
            });
            if (slot < results.size() && results[slot] != nullptr) out = std::move(results[slot]);
        }
        if (out == nullptr) break;
        merge(caller, in, st, *out, ndim);
        release_case(out->flow);
        set_bdLocals(&caller);
    }
}

// The best point rebuilt in the caller's case from the entry inputs.
int rebuild_best(bdLocals& caller, const SearchInputs& in, const SearchState& st, int ndim) {
    PD_free_models();
    PD_module* records = in.home->modules;
    for (int m = 0; m < PD_MODULE_MAX; ++m) {
        records[m] = in.tables.modules[m];
        records[m].PD_model = nullptr;
    }
    std::memcpy(in.home->prereq, in.tables.prereq, sizeof in.tables.prereq);
    set_bdLocals(&caller);
    if (const int r = build_models(&caller); r != 0) return r;
    PD_set_point(st.i_opt, ndim);
    if (caller.IPP != 0) {
        SetConColor(kYellow, kMask);
        std::fprintf(console_stream(), "\nThe best point %d efficiency: %g\n\n", st.i_opt, st.crit_opt);
        SetConDefColor();
    }
    if (caller.IPP > 1)
        for (int k = 0; k < 9; ++k) print_rule('-', 7);
    std::atomic_ref<std::int32_t>(caller.need_abort).store(0, std::memory_order_release);
    set_bdLocals(&caller);
    caller.search_point = st.i_opt;
    if (const int r = compose_point(&caller, 0); r != 0) {
        PD_report_error(st.i_opt, r);
        return r;
    }
    set_bdLocals(&caller);
    caller.cyld_mass = 0.0;
    if (const int r = bestXN(); r != 0) {
        set_bdLocals(&caller);
        PD_report_error(st.i_opt, r);
        return r;
    }
    set_bdLocals(&caller);
    caller.cyld_mass = path_blade_mass(caller);
    if (!within_machine_limits(caller)) {
        out_of_range_text(caller, kLineBestLimits);
        PD_report_error(st.i_opt, 101);
        return 101;
    }
    refresh_gauging_angles();
    calc_integral(1);
    if (caller.IPO != 0) {
        start_dump();
        if (caller.outDst != 1) PD_report_data(console_stream(), 1);
        if (caller.dump_stream != nullptr) PD_report_data(caller.dump_stream, 1);
        if (caller.outDst != 1) PD_report_result(console_stream());
        if (caller.dump_stream != nullptr) PD_report_result(caller.dump_stream);
        stop_dump();
    }
    return 0;
}

int search(bdLocals& caller, int first, int end, const char* key) {
    if (key == nullptr) {
        report_error("OptCyl: no criterion key");
        return -1;
    }
    const int ndim = dimension_total();
    // The generator refuses fewer than two dimensions or an index beyond its
    // range and would never advance: such a search cannot draw a point.
    if (ndim < 2 || ndim > kMaxDims) {
        report_error(
            format_text("OptCyl: the module table (%d modules) gives %d searched coordinates, 2..%d needed",
                        module_count(), ndim, kMaxDims)
                .c_str());
        return -1;
    }
    if (first < 0 || first >= kIndexLimit || end > kIndexLimit) {
        report_error(
            format_text("OptCyl: points %d..%d outside the sequence 0..%d", first, end - 1, kIndexLimit - 1)
                .c_str());
        return -1;
    }

    SearchInputs in;
    in.caller = &caller;
    in.key = key;
    in.keep_flow = caller.result_hook != nullptr;
    in.dump_open = caller.dump_stream != nullptr;
    // The preparation as a search does it, once on the calling thread: a
    // table whose models cannot be built ends the search before any point.
    if (const int r = build_models(&caller); r != 0) {
        PD_free_models();
        set_bdLocals(&caller);
        report_error(
            format_text("OptCyl: the module models cannot be built (code %d): no point searched", r).c_str());
        return r;
    }
    PD_free_models();
    set_bdLocals(&caller);
    in.home = &tables();
    in.tables = *in.home;
    for (PD_module& r : in.tables.modules) r.PD_model = nullptr;
    // Each point's case copies this one: the caller's case as it is now.
    {
        in.entry = copy_probdata(&caller, nullptr);
        set_bdLocals(&caller);
        if (in.entry == nullptr) return 1;
        in.entry->ranges_ref = in.tables.modules;
        in.entry->prereq_ref = in.tables.prereq[0];
    }

    LPT40init();
    Dispatcher d(&caller, first, end, ndim);
    SearchState st;
    const int points = std::max(0, end - first);
    const int workers = worker_count(caller, points);
    if (workers <= 1)
        run_serial(caller, in, st, d, ndim);
    else
        run_parallel(caller, in, st, d, ndim, workers, first);
    set_bdLocals(&caller);
    const bool aborted = d.aborted();

    if (caller.IPP > 1) {
        std::fputs("\n\n", console_stream());
        print_rule('*', kYellow);
    }
    if (caller.IPP != 0) {
        SetConColor(kYellow, kMask);
        std::fprintf(console_stream(), "\n%d good points of %d was found!\n", st.count, end - first);
        SetConDefColor();
        if (st.count == 0) print_dropped(st);
    }
    caller.meter_opt = st.i_opt;
    caller.meter_opt_count = st.best_count;

    int result;
    if (st.i_opt == -1) {
        out_of_range_text(caller, kLineNoBest);
        result = 101;
        PD_report_error(end, 101);
    } else {
        result = rebuild_best(caller, in, st, ndim);
        set_bdLocals(&caller);
        if (aborted) {
            std::atomic_ref<std::int32_t>(caller.need_abort).store(1, std::memory_order_release);
            result = 4;
            PD_report_error(st.i_opt, 4);
        }
    }
    PD_free_models();
    release_case(in.entry);
    set_bdLocals(&caller);
    return result;
}

}  // namespace
}  // namespace h2::predesign

extern "C" {

int PD_set_point(int i, int ndim) {
    double u[h2::predesign::kMaxDims] = {};
    int s = i;
    LPT40point(&s, ndim, u);
    return h2::predesign::map_point(u);
}

int OptCylSearch(int first, int end, int /*reserved*/, const char* key) {
    bdLocals* caller = get_bdLocals();
    if (caller == nullptr) {
        h2::report_error("OptCyl: no current case");
        return -1;
    }
    try {
        return h2::predesign::search(*caller, first, end, key);
    } catch (...) {
        set_bdLocals(caller);
        return 3;
    }
}

int OptCyl(int first, int end, int reserved, const char* key) {
    bdLocals* caller = get_bdLocals();
    if (caller == nullptr) {
        h2::report_error("OptCyl: no current case");
        return -1;
    }
    int result;
    {
        const h2::platform::FpEnvironmentGuard fp;
        result = OptCylSearch(first, end, reserved, key);
    }
    set_bdLocals(caller);
    return result;
}
}
