// halvorine2: command-line host of the library.
//
//   halvorine2 run [--model-base DIR] [--dump FILE] CASE_FILE...
//   halvorine2 units [si|ip]
//   halvorine2 --help
//
// `run` loads each case file into a case of its own and runs it; one file runs
// on this thread in the working directory, several run side by side, each in a
// process of its own working in a folder named after its case file (the
// library writes a run's flow files into the working directory, and one
// directory would keep only the last case's files). The exit code is the run's
// result code (the first non-zero one of several), 1 for a case that does not
// load, 2 for bad arguments.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "halvorine2/halvorine2.h"

namespace {

constexpr const char* kUsage =
    "usage: halvorine2 run [--model-base DIR] [--dump FILE] CASE_FILE...\n"
    "       halvorine2 units [si|ip]\n"
    "       halvorine2 --help\n"
    "\n"
    "run     load and run case files; several files run side by side, each in a\n"
    "        folder of the working directory named after its case file\n"
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

// One case on this thread, loaded from the working directory and run in
// folder (empty: where it was loaded): its result code.
int run_one(const RunOptions& opt, const std::string& file, const std::string& folder = {}) {
    if (binit_threading() != 0) {
        std::fprintf(stderr, "halvorine2: threading cannot be prepared\n");
        return 1;
    }
    int exit_code = 1;
    if (bdLocals* b = load_case(opt, file)) {
        if (folder.empty() || chdir(folder.c_str()) == 0) {
            exit_code = dbrun(b, 0);
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

int run_cases(const RunOptions& opt) {
    return opt.files.size() == 1 ? run_one(opt, opt.files[0]) : run_in_folders(opt);
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
