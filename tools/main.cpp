// halvorine2: command-line host of the library.
//
//   halvorine2 --units [si|ip]   print the unit table of a new case
//
// Running case files comes with the case loader and the solver.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "halvorine2/halvorine2.h"

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

int usage() {
    std::fprintf(stderr, "usage: halvorine2 --units [si|ip]\n");
    return 2;
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

void print_units() {
    std::printf("%-5s %-18s %-18s %-24s %s\n", "group", "name", "label", "factor", "offset");
    for (int g = 0; g < H2_UNIT_GROUP_COUNT; ++g) {
        const double factor = unitsToView(1.0, g) - unitsToView(0.0, g);
        std::printf("%-5d %-18s %-18s %-24.17g %g\n", g, groupToName(g), printable(unitsLabel(g)).c_str(),
                    factor, unitsToView(0.0, g));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--units") != 0) return usage();
    const bool ip = argc > 2 && std::strcmp(argv[2], "ip") == 0;

    if (binit_threading() != 0) {
        std::fprintf(stderr, "halvorine2: threading cannot be prepared\n");
        return 1;
    }
    std::unique_ptr<bdLocals, FreeDeleter> block(static_cast<bdLocals*>(std::calloc(1, sizeof(bdLocals))));
    if (!block || set_bdLocals(block.get()) != 1) {
        std::fprintf(stderr, "halvorine2: no case can be made\n");
        bend_threading();
        return 1;
    }
    if (ip)
        unitsSetIP();
    else
        unitsSetSI();
    print_units();
    bend_threading();
    return 0;
}
