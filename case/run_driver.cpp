// The run driver: one road for every run, from the source-data report through
// the solve to the result reports, with the floating-point set-up, the dump
// file, the process lock and the host's completion hook around it.
#include "case/run_driver.h"

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "case/current_case.h"
#include "case/output_internal.h"
#include "halvorine2/case_data.h"
#include "halvorine2/case_file.h"
#include "halvorine2/console.h"
#include "halvorine2/output.h"
#include "halvorine2/runs.h"
#include "halvorine2/threading.h"
#include "platform/fault_guard.h"
#include "platform/fpenv.h"
#include "reports/gauging_angles.h"
#include "reports/report_api.h"
#include "solver/solver_api.h"

namespace {

constexpr int kResultCorrupted = 3;  // also any fault or exception in the solve
constexpr int kResultAborted = 4;
constexpr int kResultNoSolve = 13;  // IPO < 0: the run stops after the source data
constexpr int kResultNoCopy = 1;    // dbrun: the block cannot be copied
constexpr int kNoCase = -1;         // no case to run

constexpr int kRuleWidth = 131;
constexpr std::uint16_t kBannerColour = 10, kThreadColour = 14, kKeepBackground = 240;

std::atomic<int> g_run_count{0};
std::atomic<h2::SolverEntry> g_solver{&bestXN};

std::FILE* console() { return h2::console_stream(); }

// A report goes to the console unless output is routed to the dump only, then
// to the dump when it is open.
void to_destinations(const bdLocals* b, void (*report)(std::FILE*)) {
    if (b->outDst != 1) report(console());
    if (b->dump_stream) report(b->dump_stream);
}

// The rule line between stages reaches the console whatever outDst says.
void print_rule(const bdLocals* b) {
    static const std::string rule(kRuleWidth, '=');
    SetConColor(kBannerColour, kKeepBackground);
    std::fprintf(console(), "%s\n", rule.c_str());
    SetConDefColor();
    if (b->dump_stream) {
        SetConColor(kBannerColour, kKeepBackground);
        std::fprintf(b->dump_stream, "%s\n", rule.c_str());
        SetConDefColor();
    }
}

struct SolveCall {
    h2::SolverEntry solver;
    int result;
};

void call_solver(void* context) {
    auto* call = static_cast<SolveCall*>(context);
    call->result = call->solver();
}

// Thread messages go to the console in their own colour.
void print_in_colour(std::uint16_t colour, const char* format, ...) __attribute__((format(printf, 2, 3)));
void print_in_colour(std::uint16_t colour, const char* format, ...) {
    SetConColor(colour, kKeepBackground);
    std::va_list ap;
    va_start(ap, format);
    std::vfprintf(console(), format, ap);
    va_end(ap);
    SetConDefColor();
}

// What a run thread is handed: a file name (mode 0) or the host's block (mode 1).
struct ThreadRunArgs {
    std::string file;
    bdLocals* block = nullptr;
    int number = 0;
    int mode = 0;
};

void brun_thread(std::unique_ptr<ThreadRunArgs> args) {
    if (args->mode == 0) {
        print_in_colour(kThreadColour, "Started thread %d (%s)...\n", args->number, args->file.c_str());
        fbrun(args->file.c_str(), 0);
        // A case whose file did not load stays current; with the thread ending
        // nobody could reach it again.
        if (get_bdLocals() != nullptr) bterm();
        print_in_colour(kThreadColour, "Finished thread %d (%s)- %d threads left.\n", args->number,
                        args->file.c_str(), g_run_count.load() - 1);
    } else if (args->mode == 1) {
        // The thread works on the host's block and needs only its own work
        // blocks; a case of its own would never be used and never freed.
        h2::alloc_thread_work_blocks();
        set_bdLocals(args->block);
        print_in_colour(kThreadColour, "Started thread %d (%s)...\n", args->number, "local data");
        dbrun(args->block, 0);
        print_in_colour(kThreadColour, "Finished thread %d - %d threads left.\n", args->number,
                        g_run_count.load() - 1);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    --g_run_count;
}

int start_run_thread(std::unique_ptr<ThreadRunArgs> args) {
    ++g_run_count;
    try {
        std::thread(brun_thread, std::move(args)).detach();
    } catch (...) {
        --g_run_count;
        return 1;
    }
    return 0;
}

// Without binit_threading there is no current case and no run lock.
bool threading_ready(const char* caller) {
    if (get_bdCritSec() != nullptr) return true;
    h2::report_error(
        h2::format_text("%s: the host must call binit_threading first (or pass prepare = 1)", caller)
            .c_str());
    return false;
}

}  // namespace

namespace h2 {
SolverEntry set_solver_entry(SolverEntry entry) { return g_solver.exchange(entry ? entry : &bestXN); }
void report_to_destinations(const bdLocals* b, void (*report)(std::FILE*)) { to_destinations(b, report); }
void print_run_rule(const bdLocals* b) { print_rule(b); }
}  // namespace h2

extern "C" {

int run_case(void) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr) return kNoCase;
    // The fluid plug-in is set up when the case is loaded; a number changed by
    // key afterwards was printed in the report while the old fluid was solved.
    if (b->fluid_loaded != 0 && b->cyld_fluid != b->fluid_loaded - 1) {
        h2::report_error(h2::format_text("run: the fluid number cyld__fluid is %d, but the case was loaded "
                                         "with fluid %d; load the case again to change its fluid",
                                         b->cyld_fluid, b->fluid_loaded - 1)
                             .c_str());
        b->run_result = kNoCase;
        return kNoCase;
    }
    h2::platform::FpEnvironmentGuard fp_environment;
    const auto start = std::chrono::steady_clock::now();
    CritSec* lock = get_bdCritSec();
    start_dump();

    EnterCritSec(lock);
    if (b->IPI > 0)
        to_destinations(b, report_data);
    else if (b->IP > 0)
        print_rule(b);
    scale_enrg_dhb(0);
    LeaveCritSec(lock);

    int result = kResultNoSolve;
    if (b->IPO >= 0) {
        SolveCall call{g_solver.load(), kResultCorrupted};
        EnterCritSec(lock);
        const auto outcome = h2::platform::run_guarded(call_solver, &call);
        LeaveCritSec(lock);
        if (outcome != h2::platform::GuardOutcome::Completed) {
            stop_dump();
            // A crashed run must not read back as the previous run's result.
            b->run_result = kResultCorrupted;
            return kResultCorrupted;
        }
        result = call.result;

        if (result == 0 || result == kResultAborted) {
            refresh_gauging_angles();
            calc_integral(1);
            if (b->result_hook) b->result_hook(b, b->result_hook_arg);
            EnterCritSec(lock);
            if (b->IPO >= 2)
                to_destinations(b, report_result);
            else if (b->IPO == 1)
                to_destinations(b, report_integral);
            else if (b->IP > 0)
                print_rule(b);
            LeaveCritSec(lock);
            if (b->IPO > 0) {
                const double seconds =
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                        .count() /
                    1000.0;
                put_dump("\ndone %8.2f sec\n", seconds);
                put_dump("\n");
            }
        }
    }
    stop_dump();
    b->run_result = result;
    return result;
}

int fbrun(const char* file, int prepare) {
    if (prepare) binit_threading();
    if (!threading_ready("fbrun")) return kNoCase;
    int code = kNoCase;
    if (binit() != nullptr) {
        code = file ? load_data(file) : kNoCase;
        if (code != 0) {
            h2::report_error("Can't load data file!\n");
            // With threading about to end, nobody could reach the case again.
            if (prepare) bterm();
        } else {
            code = run_case();
            bterm();
        }
    }
    if (prepare) bend_threading();
    return code;
}

int dbrun(bdLocals* block, int prepare) {
    if (prepare) binit_threading();
    if (!threading_ready("dbrun")) return kNoCase;
    if (block == nullptr) block = get_bdLocals();
    int code = kResultNoCopy;
    bdLocals* copy = block ? copy_probdata(block, nullptr) : nullptr;
    if (copy == nullptr) {
        h2::report_error("Can't copy data!\n");
        if (block) set_bdLocals(block);
    } else {
        block->peer_block = copy;
        copy->peer_block = block;
        code = run_case();
        copy_probdata(copy, block);
        block->peer_block = nullptr;
        set_bdLocals(copy);
        bterm();
        set_bdLocals(block);
    }
    if (prepare) bend_threading();
    return code;
}

int fbrunt(const char* file, int number) {
    if (file == nullptr) return 1;
    auto args = std::make_unique<ThreadRunArgs>();
    args->file = file;
    args->number = number;
    args->mode = 0;
    return start_run_thread(std::move(args));
}

int dbrunt(bdLocals* block, int number) {
    if (block == nullptr) return 1;
    auto args = std::make_unique<ThreadRunArgs>();
    args->block = block;
    args->number = number;
    args->mode = 1;
    // The priority is kept in the block only: run threads share the process's scheduling.
    return start_run_thread(std::move(args));
}

int running_threads(void) { return g_run_count.load(); }

void wait_threads(void) {
    while (g_run_count.load() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
}
}
