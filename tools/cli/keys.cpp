#include <strings.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "halvorine2/halvorine2.h"
#include "tools/cli/results.h"

namespace h2cli {

namespace {

enum Role { INPUT, RESULT };

struct KeyInfo {
    const char* key;
    Role role;
    int group;
    const char* meaning;
};

constexpr KeyInfo kKeys[] = {
#define H2_RESULT_KEY(key, role, group, meaning) {key, role, group, meaning},
#include "halvorine2/result_keys.def"
#undef H2_RESULT_KEY
};

bool contains(const std::string& text, const std::string& pattern) {
    if (pattern.empty()) return true;
    std::string a, b;
    for (char ch : text) a += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    for (char ch : pattern) b += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return a.find(b) != std::string::npos;
}

}  // namespace

int print_keys(const char* pattern) {
    // The units are those of a new case (SI), in which the reports print the
    // values and the case holds them: a case made for the purpose names them.
    if (binit_threading() != 0 || binit() == nullptr) {
        std::fprintf(stderr, "halvorine2: no case can be made\n");
        return 1;
    }
    unitsSetSI();
    const std::string wanted = pattern != nullptr ? pattern : "";
    int shown = 0;
    std::printf("%-16s %-6s %-10s %s\n", "key", "role", "unit", "meaning");
    for (const KeyInfo& k : kKeys) {
        if (!contains(k.key, wanted) && !contains(k.meaning, wanted)) continue;
        const char* unit = k.group == H2_UNIT_NONE ? "-" : unitsLabel(k.group);
        std::printf("%-16s %-6s %-10s %s\n", k.key, k.role == INPUT ? "input" : "result", unit, k.meaning);
        ++shown;
    }
    bterm();
    bend_threading();
    if (shown == 0) {
        std::fprintf(stderr, "halvorine2: no key matches %s\n", wanted.c_str());
        return 1;
    }
    return 0;
}

}  // namespace h2cli
