// halvorine2: command-line host of the library.
//
//   halvorine2 run [--model-base DIR] [--dump FILE] [--set KEY=VALUE]... [--json FILE] CASE_FILE...
//   halvorine2 predesign [--model-base DIR] [--threads N] [--first N] [--points N]
//                        [--criterion KEY] [--quiet] FILE
//   halvorine2 units [si|ip]
//   halvorine2 keys [PATTERN]
//   halvorine2 --version
//   halvorine2 --help
//
// `run` loads each case file into a case of its own and runs it; one file runs
// on this thread in the working directory, several run side by side, each in a
// process of its own working in a folder named after its case file (the
// library writes a run's flow files into the working directory, and one
// directory would keep only the last case's files). The exit code is the run's
// result code (the first non-zero one of several), 1 for a case that does not
// load, 2 for bad arguments.
//
// `predesign` loads a predesign input file, gives every module's
// prerequisite block its defaults and searches the design points first ..
// first + points - 1 for the best by the criterion key; exit 0 a best point
// found, 1 the file does not load, 2 bad arguments, 3 the search failed.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "halvorine2/halvorine2.h"
#include "tools/cli/results.h"

namespace {

constexpr const char* kUsage =
    "usage: halvorine2 run [--model-base DIR] [--dump FILE] [--set KEY=VALUE]... [--json FILE] CASE_FILE...\n"
    "       halvorine2 predesign [--model-base DIR] [--threads N] [--first N] [--points N]\n"
    "                            [--criterion KEY] [--quiet] FILE\n"
    "       halvorine2 units [si|ip]\n"
    "       halvorine2 keys [PATTERN]\n"
    "       halvorine2 --version\n"
    "       halvorine2 --help\n"
    "\n"
    "run     load and run case files; several files run side by side, each in a\n"
    "        folder of the working directory named after its case file\n"
    "        --model-base DIR  directory of the fluid and loss plug-ins\n"
    "                          (default: the working directory, then the installation's plug-ins)\n"
    "        --dump FILE       also write the run's output to FILE\n"
    "        --set KEY=VALUE   change a field after loading, before solving (KEY[i]=VALUE\n"
    "                          for element i, KEY[i][j]=VALUE for streamline j); repeatable\n"
    "        --json FILE       write the headline results and the station arrays as JSON\n"
    "        installation data (model_w.bin, model_g.bin, ATLASES/) is read from the working\n"
    "        directory, else from the installation's share/halvorine2\n"
    "predesign  search the design points of a predesign input file for the best\n"
    "        --threads N       workers (0 one per core, the default; 1 this thread only)\n"
    "        --first N         first point of the sequence (default 0)\n"
    "        --points N        points to search (default 16)\n"
    "        --criterion KEY   parameter key to maximise, '-KEY' to minimise (default cyld__effx)\n"
    "        --quiet           no heading and verdict line per point\n"
    "units   print the unit table of a new case in SI or US-customary units\n"
    "keys    the documented parameter keys (name or meaning containing PATTERN)\n"
    "        with role, unit and meaning\n";

int bad_arguments(const std::string& why) {
    std::fprintf(stderr, "halvorine2: %s (see halvorine2 --help)\n", why.c_str());
    return 2;
}

// The plug-ins are built into ../plugins beside bin/ of the build tree; an
// installed host has none there and leaves the library's default, which
// falls back on the installation's plug-in folder.
std::string default_model_base() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return ".";
    const auto built = exe.parent_path().parent_path() / "plugins";
    return std::filesystem::is_directory(built, ec) ? built.string() : std::string(".");
}

// Columns of UTF-8 text: continuation bytes take none.
int columns(const char* text) {
    int n = 0;
    for (const char* p = text; p && *p; ++p)
        if ((static_cast<unsigned char>(*p) & 0xC0) != 0x80) ++n;
    return n;
}

int print_units(bool ip) {
    if (binit_threading() != 0 || binit() == nullptr) {
        std::fprintf(stderr, "halvorine2: no case can be made\n");
        return 1;
    }
    if (ip) unitsSetIP();
    std::printf("%-5s %-18s %-18s %-24s %s\n", "group", "name", "label", "factor", "offset");
    // The host shares the block's layout: the unit records are read directly.
    const bdLocals* b = get_bdLocals();
    for (int g = 0; g < H2_UNIT_GROUP_COUNT; ++g) {
        const UnitGroup& u = b->unit_groups[g];
        const char* label = unitsLabel(g);
        // %-*s pads by bytes; a two-byte degree sign takes one column.
        const int pad = 18 + static_cast<int>(std::strlen(label)) - columns(label);
        std::printf("%-5d %-18s %-*s %-24.17g %g\n", g, groupToName(g), pad, label, u.factor, u.offset);
    }
    bterm();
    bend_threading();
    return 0;
}

struct RunOptions {
    std::string model_base = default_model_base();
    std::string dump;
    std::vector<h2cli::Assignment> sets;
    std::string json;
    std::vector<std::string> files;
};

// Case files and predesign input files both begin with the same two
// positional lines of counts and switches, and each loader reads the other
// kind without complaint (into a case that cannot run). Their third line
// tells them apart: the inlet record of a case file holds seven values
// (I0 P0 P2n A0 G0 Czo af), that of a predesign file at most three (I0 P0 A0).
enum class FileKind { Unknown, Case, Predesign };

FileKind file_kind(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (f == nullptr) return FileKind::Unknown;
    char line[4096];
    int data_line = 0;
    FileKind kind = FileKind::Unknown;
    while (std::fgets(line, sizeof line, f) != nullptr) {
        if (char* hash = std::strchr(line, '#')) *hash = '\0';
        int tokens = 0;
        for (char* t = std::strtok(line, " \t\r\n,;"); t != nullptr; t = std::strtok(nullptr, " \t\r\n,;"))
            ++tokens;
        if (tokens == 0 || ++data_line < 3) continue;
        kind = tokens <= 3 ? FileKind::Predesign : tokens >= 5 ? FileKind::Case : FileKind::Unknown;
        break;
    }
    std::fclose(f);
    return kind;
}

// A new case, current on this thread, loaded from the file and changed by the
// --set assignments; NULL with one line on standard error when it does not
// load (failure 1) or an assignment is refused (failure 2).
bdLocals* load_case(const RunOptions& opt, const std::string& file, int& failure) {
    failure = 1;
    if (!std::filesystem::is_regular_file(file)) {
        std::fprintf(stderr, "halvorine2: %s: no such case file\n", file.c_str());
        return nullptr;
    }
    bdLocals* b = binit();
    if (b == nullptr) {
        std::fprintf(stderr, "halvorine2: no case can be made\n");
        return nullptr;
    }
    set_char_par("ModelBase", opt.model_base.c_str());
    if (file_kind(file) == FileKind::Predesign) {
        std::fprintf(stderr,
                     "halvorine2: %s is a predesign input file, not a case file: search it with "
                     "halvorine2 predesign %s\n",
                     file.c_str(), file.c_str());
        bterm();
        return nullptr;
    }
    const int code = load_data(file.c_str());
    if (code != 0) {
        std::fprintf(stderr, "halvorine2: %s: the case file does not load (code %d)\n", file.c_str(), code);
        bterm();
        return nullptr;
    }
    if (std::string why; !h2cli::apply_assignments(opt.sets, why)) {
        std::fprintf(stderr, "halvorine2: %s: %s\n", file.c_str(), why.c_str());
        bterm();
        failure = 2;
        return nullptr;
    }
    if (!opt.dump.empty()) {
        set_dump_name(opt.dump.c_str());
        set_outDst(2);
    }
    return b;
}

// After the library's reports: the summary, and the JSON results when asked
// for (a file that cannot be written turns a solved run's exit code into 1).
void report_run(const RunOptions& opt, const std::string& file, int& exit_code) {
    h2cli::print_summary(std::filesystem::path(file).filename().string(), exit_code);
    std::fflush(stdout);
    if (!opt.json.empty() && !h2cli::write_json(opt.json, file, exit_code)) {
        std::fprintf(stderr, "halvorine2: %s: the JSON results cannot be written\n", opt.json.c_str());
        if (exit_code == 0) exit_code = 1;
    }
}

// One case on this thread, loaded from the working directory and run in
// folder (empty: where it was loaded): its result code.
int run_one(const RunOptions& opt, const std::string& file, const std::string& folder = {}) {
    if (binit_threading() != 0) {
        std::fprintf(stderr, "halvorine2: threading cannot be prepared\n");
        return 1;
    }
    int exit_code = 1;
    if (bdLocals* b = load_case(opt, file, exit_code)) {
        if (folder.empty() || chdir(folder.c_str()) == 0) {
            h2cli::watch_run(b);
            exit_code = dbrun(b, 0);
            set_bdLocals(b);
            report_run(opt, file, exit_code);
        } else {
            std::fprintf(stderr, "halvorine2: %s: cannot work in %s\n", file.c_str(), folder.c_str());
        }
        set_bdLocals(b);
        bterm();
    }
    bend_threading();
    return exit_code;
}

// Installation data the library reads from the working directory; a case run
// in its own folder sees the invocation directory's through links.
constexpr const char* kInstallationData[] = {"model_w.bin", "model_g.bin", "ATLASES"};

// Several cases, each in a child process working in its own folder (the stem
// of its file name) below the working directory: the first non-zero result.
int run_in_folders(const RunOptions& opt) {
    namespace fs = std::filesystem;
    const fs::path home = fs::current_path();
    std::vector<fs::path> folders;
    for (const auto& file : opt.files) {
        if (!fs::is_regular_file(file)) {
            std::fprintf(stderr, "halvorine2: %s: no such case file\n", file.c_str());
            return 1;
        }
        const fs::path folder = home / fs::path(file).stem();
        for (const auto& other : folders)
            if (other == folder) {
                std::fprintf(stderr, "halvorine2: %s: another case file runs in the folder %s\n",
                             file.c_str(), folder.filename().c_str());
                return 2;
            }
        folders.push_back(folder);
    }
    std::vector<std::pair<pid_t, std::FILE*>> children;
    int exit_code = 0;
    for (std::size_t k = 0; k < opt.files.size(); ++k) {
        std::error_code ec;
        fs::create_directories(folders[k], ec);
        for (const char* item : kInstallationData)
            if (fs::exists(home / item) && !fs::exists(folders[k] / item))
                fs::create_symlink(home / item, folders[k] / item, ec);
        // Each case's output is kept apart and printed whole, case after case.
        std::FILE* output = std::tmpfile();
        std::fflush(nullptr);
        const pid_t pid = fork();
        if (pid == 0) {
            if (output != nullptr) dup2(fileno(output), STDOUT_FILENO);
            const int code = run_one(opt, opt.files[k], folders[k].string());
            std::fflush(nullptr);
            _exit(code & 0xff);
        }
        if (pid < 0) {
            std::fprintf(stderr, "halvorine2: %s: no process can be started\n", opt.files[k].c_str());
            if (output != nullptr) std::fclose(output);
            exit_code = 1;
            break;
        }
        children.push_back({pid, output});
    }
    for (const auto& [pid, output] : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        if (output != nullptr) {
            std::rewind(output);
            char buffer[8192];
            for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, output)) > 0;)
                std::fwrite(buffer, 1, n, stdout);
            std::fclose(output);
        }
        // Result codes are small and may be negative (-1): the low byte, signed.
        const int code = WIFEXITED(status) ? static_cast<signed char>(WEXITSTATUS(status)) : 3;
        if (exit_code == 0) exit_code = code;
    }
    return exit_code;
}

// Files a run writes in the folder it works in: the flow files and the
// default dump.
constexpr const char* kRunWrites[] = {"expdata.pbd", "expdata.sch", "expdata_Ax.sch", "bestxn.dump"};

bool same_file(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ea, eb;
    const auto ca = std::filesystem::weakly_canonical(a, ea);
    const auto cb = std::filesystem::weakly_canonical(b, eb);
    return !ea && !eb && ca == cb;
}

// A run must never write over its own input: a --dump file that is one of
// the case files had the run's output appended to it, and a case file named
// like a flow file was overwritten by the run. 2 with a line, else 0.
int refuse_overwritten_inputs(const RunOptions& opt) {
    namespace fs = std::filesystem;
    const fs::path home = fs::current_path();
    for (const auto& file : opt.files) {
        // One case runs here, several each in the folder named after its file.
        const fs::path folder = opt.files.size() == 1 ? home : home / fs::path(file).stem();
        if (!opt.dump.empty() && (same_file(opt.dump, file) || same_file(folder / opt.dump, file)))
            return bad_arguments("the --dump file " + opt.dump + " is the case file " + file);
        for (const char* written : kRunWrites)
            if (same_file(folder / written, file))
                return bad_arguments("the run writes its file " + std::string(written) +
                                     " over the case file " + file + "; give the case file another name");
    }
    return 0;
}

int run_cases(const RunOptions& opt) {
    return opt.files.size() == 1 ? run_one(opt, opt.files[0]) : run_in_folders(opt);
}

// The dump file is opened only once the run has started, and a failure there
// is silent: a path that cannot be written is refused before anything runs.
// A file made only for the test is removed again.
bool dump_writable(const std::string& path) {
    std::error_code ec;
    const bool existed = std::filesystem::exists(path, ec);
    std::FILE* f = std::fopen(path.c_str(), "a");
    if (f == nullptr) return false;
    std::fclose(f);
    if (!existed) std::filesystem::remove(path, ec);
    return true;
}

int run_command(int argc, char** argv) {
    RunOptions opt;
    for (int k = 2; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--model-base" || arg == "--dump") {
            if (k + 1 >= argc) return bad_arguments(arg + " needs a value");
            (arg == "--model-base" ? opt.model_base : opt.dump) = argv[++k];
        } else if (arg == "--set") {
            if (k + 1 >= argc) return bad_arguments("--set needs KEY=VALUE");
            h2cli::Assignment a;
            if (std::string why; !h2cli::parse_assignment(argv[++k], a, why)) return bad_arguments(why);
            opt.sets.push_back(a);
        } else if (arg == "--json") {
            if (k + 1 >= argc) return bad_arguments("--json needs a file");
            opt.json = argv[++k];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return bad_arguments("unknown option " + arg);
        } else {
            opt.files.push_back(arg);
        }
    }
    if (opt.files.empty()) return bad_arguments("run needs a case file");
    if (!opt.json.empty() && opt.files.size() > 1) return bad_arguments("--json takes one case file");
    // Before the dump file is tried for writing: it may be one of the inputs.
    if (const int refused = refuse_overwritten_inputs(opt); refused != 0) return refused;
    if (!opt.dump.empty() && (opt.files.size() == 1 || opt.dump[0] == '/') && !dump_writable(opt.dump)) {
        std::fprintf(stderr, "halvorine2: %s: the dump file cannot be written\n", opt.dump.c_str());
        return 1;
    }
    return run_cases(opt);
}

// ---------------------------------------------------------------- predesign

struct PredesignOptions {
    std::string model_base = default_model_base();
    int threads = 0;
    int first = 0;
    int points = 16;
    std::string criterion = "cyld__effx";
    bool quiet = false;
    std::string file;
};

// Doubles in one module's prerequisite block.
constexpr int kPrereqSlots = 125;

// The searched variables of each module type, in the order they are drawn.
struct SearchedVariables {
    int count;
    int var[7];
};
constexpr SearchedVariables kSearched[] = {
    {6, {PD_VAR_D, PD_VAR_CZ, PD_VAR_R, PD_VAR_KZ, PD_VAR_HT, PD_VAR_PA}},
    {6, {PD_VAR_OM, PD_VAR_D, PD_VAR_CZ, PD_VAR_R, PD_VAR_KZ, PD_VAR_M}},
    {5, {PD_VAR_D, PD_VAR_CZ, PD_VAR_R, PD_VAR_PA, PD_VAR_KZ}},
    {7, {PD_VAR_OM, PD_VAR_D, PD_VAR_CZ, PD_VAR_HT, PD_VAR_R, PD_VAR_KU, PD_VAR_KZ}},
    {4, {PD_VAR_OM, PD_VAR_D, PD_VAR_CZ, PD_VAR_R}},
    {7, {PD_VAR_OM, PD_VAR_D, PD_VAR_CZ, PD_VAR_HT, PD_VAR_KU, PD_VAR_KZ, PD_VAR_M}},
};
constexpr const char* kVariableNames[] = {"OM", "D", "CZ", "HT", "R", "PA", "KU", "KZ", "M", "KH"};
constexpr const char* kTypeNames[] = {"TURB_AXIAL", "TURB_RADIAL", "TURB_CURTIS",
                                      "COMP_AXIAL", "COMP_FAN",    "COMP_RADIAL"};

// The records the search built models for carry their own index; the others
// (beyond the module count) keep the 0 of a fresh table.
int searched_modules(const PD_module* t) {
    if (t == nullptr) return 0;
    int n = 1;
    for (int m = 1; m < PD_MODULE_MAX; ++m)
        if (t[m].index == m) n = m + 1;
    return n;
}

// The search ranks its points by a number key of the case ('-KEY' to
// minimise); any other text would rank every point alike, by 1e20.
bool criterion_known(const std::string& criterion) {
    const std::string key = criterion[0] == '-' ? criterion.substr(1) : criterion;
    return !key.empty() && get_double_ptr0(key.c_str()) != nullptr;
}

int run_predesign(const PredesignOptions& opt) {
    if (binit_threading() != 0 || binit() == nullptr) {
        std::fprintf(stderr, "halvorine2: no case can be made\n");
        return 1;
    }
    bdLocals* b = get_bdLocals();
    int exit_code = 0;
    set_char_par("ModelBase", opt.model_base.c_str());
    if (!std::filesystem::is_regular_file(opt.file)) {
        std::fprintf(stderr, "halvorine2: %s: no such predesign file\n", opt.file.c_str());
        exit_code = 1;
    } else if (file_kind(opt.file) == FileKind::Case) {
        std::fprintf(
            stderr,
            "halvorine2: %s is a case file, not a predesign input file: run it with halvorine2 run %s\n",
            opt.file.c_str(), opt.file.c_str());
        exit_code = 1;
    } else if (const int code = PD_load_data(opt.file.c_str()); code != 0) {
        std::fprintf(stderr, "halvorine2: %s: the predesign file does not load (code %d)\n", opt.file.c_str(),
                     code);
        exit_code = 1;
    }
    if (exit_code == 0 && !criterion_known(opt.criterion)) {
        std::fprintf(
            stderr,
            "halvorine2: unknown --criterion key %s (a number key of the case, see halvorine2 keys)\n",
            opt.criterion.c_str());
        exit_code = 2;
    }
    if (exit_code == 0) {
        // The case reaches module m's block m blocks after the first.
        double* const first_block = static_cast<double*>(b->prereq_ref);
        for (int m = 0; m < PD_MODULE_MAX && first_block != nullptr; ++m) {
            b->prereq_ref = first_block + static_cast<std::ptrdiff_t>(m) * kPrereqSlots;
            PD_default_prereq();
        }
        b->prereq_ref = first_block;
        if (!opt.quiet && b->IPP < 3) b->IPP = 3;
        b->pd_threads = opt.threads;
        const int code = OptCyl(opt.first, opt.first + opt.points, 0, opt.criterion.c_str());
        if (code != 0) {
            std::fprintf(stderr, "halvorine2: %s: the search failed (code %d)\n", opt.file.c_str(), code);
            exit_code = 3;
        } else {
            std::printf("best point %d: %s = %.9g\n", b->meter_opt, opt.criterion.c_str(),
                        get_double_par0(opt.criterion.c_str()));
            // The table the file was read into, as the case holds it.
            const PD_module* t = static_cast<const PD_module*>(b->ranges_ref);
            const int n = searched_modules(t);
            for (int m = 0; m < n; ++m) {
                const int type = t[m].type;
                if (type < TURB_AXIAL || type > COMP_RADIAL) continue;
                std::printf("module %d %s:", m, kTypeNames[type]);
                for (int k = 0; k < kSearched[type].count; ++k) {
                    const int v = kSearched[type].var[k];
                    std::printf(" %s = %.9g", kVariableNames[v], t[m].PD_VAL[v]);
                }
                std::printf("\n");
            }
        }
    }
    set_bdLocals(b);
    bterm();
    bend_threading();
    return exit_code;
}

// The design-point sequence has indices 0 .. 2^29 - 2.
constexpr long long kPointIndexLimit = (1LL << 29) - 1;

// A search that could draw no point is refused before the file is read:
// 2 with a line, else 0.
int refuse_empty_search(const PredesignOptions& opt) {
    if (opt.points < 1) return bad_arguments("--points needs a whole number of 1 or more");
    if (opt.first >= kPointIndexLimit || opt.first + static_cast<long long>(opt.points) > kPointIndexLimit)
        return bad_arguments("--first " + std::to_string(opt.first) + " with --points " +
                             std::to_string(opt.points) + " runs past the last design point " +
                             std::to_string(kPointIndexLimit - 1));
    return 0;
}

// A plug-in folder that is not there fails far into the load with no word
// of why: 2 with a line, else 0.
int refuse_missing_model_base(const std::string& folder) {
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec)) return 0;
    return bad_arguments("--model-base " + folder + ": no such folder");
}

// A whole decimal number within the int range.
bool parse_int(const char* text, int& out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || v < INT_MIN || v > INT_MAX) return false;
    out = static_cast<int>(v);
    return true;
}

int predesign_command(int argc, char** argv) {
    PredesignOptions opt;
    for (int k = 2; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--quiet") {
            opt.quiet = true;
        } else if (arg == "--model-base" || arg == "--criterion") {
            if (k + 1 >= argc) return bad_arguments(arg + " needs a value");
            (arg == "--model-base" ? opt.model_base : opt.criterion) = argv[++k];
        } else if (arg == "--threads" || arg == "--first" || arg == "--points") {
            if (k + 1 >= argc) return bad_arguments(arg + " needs a value");
            int& place = arg == "--threads" ? opt.threads : arg == "--first" ? opt.first : opt.points;
            if (!parse_int(argv[++k], place) || place < 0)
                return bad_arguments(arg + " needs a whole number of 0 or more");
        } else if (arg.size() > 1 && arg[0] == '-') {
            return bad_arguments("unknown option " + arg);
        } else if (!opt.file.empty()) {
            return bad_arguments("predesign takes one file");
        } else {
            opt.file = arg;
        }
    }
    if (opt.file.empty()) return bad_arguments("predesign needs a file");
    if (opt.criterion.empty()) return bad_arguments("--criterion needs a key");
    if (static_cast<long long>(opt.first) + opt.points > INT_MAX)
        return bad_arguments("--first + --points is too large");
    if (const int refused = refuse_empty_search(opt); refused != 0) return refused;
    if (const int refused = refuse_missing_model_base(opt.model_base); refused != 0) return refused;
    return run_predesign(opt);
}

// The library's version; a build from a git checkout adds its revision.
int print_version() {
#ifdef H2_GIT_REVISION
    if (H2_GIT_REVISION[0] != '\0') {
        std::printf("halvorine2 %s (git %s)\n", HALVORINE2_VERSION_STRING, H2_GIT_REVISION);
        return 0;
    }
#endif
    std::printf("halvorine2 %s\n", HALVORINE2_VERSION_STRING);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return bad_arguments("no command");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "--version" || command == "version") return print_version();
    if (command == "keys") {
        if (argc > 3) return bad_arguments("keys takes at most one pattern");
        return h2cli::print_keys(argc == 3 ? argv[2] : nullptr);
    }
    if (command == "run") return run_command(argc, argv);
    if (command == "predesign") return predesign_command(argc, argv);
    if (command == "units") {
        if (argc > 3 || (argc == 3 && std::strcmp(argv[2], "si") != 0 && std::strcmp(argv[2], "ip") != 0))
            return bad_arguments("units takes si or ip");
        return print_units(argc == 3 && std::strcmp(argv[2], "ip") == 0);
    }
    return bad_arguments("unknown command " + command);
}
