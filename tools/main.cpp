// halvorine2: command-line host of the library.
//
//   halvorine2 run [--model-base DIR] [--dump FILE] CASE_FILE...
//   halvorine2 predesign [--model-base DIR] [--threads N] [--first N] [--points N]
//                        [--criterion KEY] [--quiet] FILE
//   halvorine2 units [si|ip]
//   halvorine2 --help
//
// `run` loads each case file into a case of its own and runs it; one file runs
// on this thread, several run side by side on run threads. The exit code is the
// run's result code (the first non-zero one of several), 1 for a case that does
// not load, 2 for bad arguments.
//
// `predesign` loads a predesign input file, gives every module's
// prerequisite block its defaults and searches the design points first ..
// first + points - 1 for the best by the criterion key; exit 0 a best point
// found, 1 the file does not load, 2 bad arguments, 3 the search failed.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "halvorine2/halvorine2.h"

namespace {

constexpr const char* kUsage =
    "usage: halvorine2 run [--model-base DIR] [--dump FILE] CASE_FILE...\n"
    "       halvorine2 predesign [--model-base DIR] [--threads N] [--first N] [--points N]\n"
    "                            [--criterion KEY] [--quiet] FILE\n"
    "       halvorine2 units [si|ip]\n"
    "       halvorine2 --help\n"
    "\n"
    "run     load and run case files; several files run side by side\n"
    "        --model-base DIR  directory of the fluid and loss plug-ins\n"
    "                          (default: the plug-ins built beside this program)\n"
    "        --dump FILE       also write the run's output to FILE\n"
    "        installation data (model_w.bin, model_g.bin, ATLASES/) is read from the working directory\n"
    "predesign  search the design points of a predesign input file for the best\n"
    "        --threads N       workers (0 one per core, the default; 1 this thread only)\n"
    "        --first N         first point of the sequence (default 0)\n"
    "        --points N        points to search (default 16)\n"
    "        --criterion KEY   parameter key to maximise, '-KEY' to minimise (default cyld__effx)\n"
    "        --quiet           no heading and verdict line per point\n"
    "units   print the unit table of a new case in SI or US-customary units\n";

int bad_arguments(const std::string& why) {
    std::fprintf(stderr, "halvorine2: %s (see halvorine2 --help)\n", why.c_str());
    return 2;
}

// The plug-ins are built into ../plugins beside bin/ of the build tree.
std::string default_model_base() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return ".";
    return (exe.parent_path().parent_path() / "plugins").string();
}

// Degree signs are stored as the single byte 0xB0; a UTF-8 terminal wants two.
std::string printable(const char* label) {
    std::string out;
    for (const char* p = label; p && *p; ++p) {
        if (static_cast<unsigned char>(*p) == 0xB0)
            out += "\xC2\xB0";
        else
            out += *p;
    }
    return out;
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
        const std::string label = printable(unitsLabel(g));
        // %-*s pads by bytes; a two-byte degree sign takes one column.
        const int pad = 18 + static_cast<int>(label.size() - std::strlen(unitsLabel(g)));
        std::printf("%-5d %-18s %-*s %-24.17g %g\n", g, groupToName(g), pad, label.c_str(), u.factor,
                    u.offset);
    }
    bterm();
    bend_threading();
    return 0;
}

struct RunOptions {
    std::string model_base = default_model_base();
    std::string dump;
    std::vector<std::string> files;
};

// A new case, current on this thread, loaded from the file; NULL with one line
// on standard error when it does not load.
bdLocals* load_case(const RunOptions& opt, const std::string& file) {
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
    const int code = load_data(file.c_str());
    if (code != 0) {
        std::fprintf(stderr, "halvorine2: %s: the case file does not load (code %d)\n", file.c_str(), code);
        bterm();
        return nullptr;
    }
    if (!opt.dump.empty()) {
        set_dump_name(opt.dump.c_str());
        set_outDst(2);
    }
    return b;
}

int run_cases(const RunOptions& opt) {
    if (binit_threading() != 0) {
        std::fprintf(stderr, "halvorine2: threading cannot be prepared\n");
        return 1;
    }
    std::vector<bdLocals*> cases;
    int exit_code = 0;
    for (const auto& file : opt.files) {
        bdLocals* b = load_case(opt, file);
        if (b == nullptr) {
            exit_code = 1;
            break;
        }
        cases.push_back(b);
    }
    if (exit_code == 0) {
        if (cases.size() == 1) {
            exit_code = dbrun(cases[0], 0);
        } else {
            for (std::size_t k = 0; k < cases.size(); ++k) {
                if (dbrunt(cases[k], static_cast<int>(k + 1)) != 0) {
                    std::fprintf(stderr, "halvorine2: %s: no run thread can be started\n",
                                 opt.files[k].c_str());
                    exit_code = 1;
                }
            }
            wait_threads();
            for (bdLocals* b : cases)
                if (exit_code == 0 && b->run_result != 0) exit_code = b->run_result;
        }
    }
    for (bdLocals* b : cases) {
        set_bdLocals(b);
        bterm();
    }
    bend_threading();
    return exit_code;
}

int run_command(int argc, char** argv) {
    RunOptions opt;
    for (int k = 2; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--model-base" || arg == "--dump") {
            if (k + 1 >= argc) return bad_arguments(arg + " needs a value");
            (arg == "--model-base" ? opt.model_base : opt.dump) = argv[++k];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return bad_arguments("unknown option " + arg);
        } else {
            opt.files.push_back(arg);
        }
    }
    if (opt.files.empty()) return bad_arguments("run needs a case file");
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
    } else if (const int code = PD_load_data(opt.file.c_str()); code != 0) {
        std::fprintf(stderr, "halvorine2: %s: the predesign file does not load (code %d)\n", opt.file.c_str(),
                     code);
        exit_code = 1;
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
    return run_predesign(opt);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return bad_arguments("no command");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return 0;
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
