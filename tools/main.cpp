// halvorine2: command-line host of the library.
//
//   halvorine2 run [--model-base DIR] [--dump FILE] CASE_FILE...
//   halvorine2 units [si|ip]
//   halvorine2 --help
//
// `run` loads each case file into a case of its own and runs it; one file runs
// on this thread, several run side by side on run threads. The exit code is the
// run's result code (the first non-zero one of several), 1 for a case that does
// not load, 2 for bad arguments.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "halvorine2/halvorine2.h"

namespace {

constexpr const char* kUsage =
    "usage: halvorine2 run [--model-base DIR] [--dump FILE] CASE_FILE...\n"
    "       halvorine2 units [si|ip]\n"
    "       halvorine2 --help\n"
    "\n"
    "run     load and run case files; several files run side by side\n"
    "        --model-base DIR  directory of the fluid and loss plug-ins\n"
    "                          (default: the plug-ins built beside this program)\n"
    "        --dump FILE       also write the run's output to FILE\n"
    "        installation data (model_w.bin, model_g.bin, ATLASES/) is read from the working directory\n"
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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return bad_arguments("no command");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "run") return run_command(argc, argv);
    if (command == "units") {
        if (argc > 3 || (argc == 3 && std::strcmp(argv[2], "si") != 0 && std::strcmp(argv[2], "ip") != 0))
            return bad_arguments("units takes si or ip");
        return print_units(argc == 3 && std::strcmp(argv[2], "ip") == 0);
    }
    return bad_arguments("unknown command " + command);
}
