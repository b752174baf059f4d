#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "halvorine2/halvorine2.h"
#include "tools/cli/results.h"

namespace h2cli {

namespace {

bool parse_double(const std::string& text, double& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text.c_str(), &end);
    return *end == '\0' && errno == 0;
}

bool parse_whole(const std::string& text, long& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtol(text.c_str(), &end, 10);
    return *end == '\0' && errno == 0 && out >= INT_MIN && out <= INT_MAX;
}

}  // namespace

bool parse_assignment(const std::string& text, Assignment& out, std::string& why) {
    out = Assignment{};
    out.text = text;
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0) {
        why = "--set needs KEY=VALUE or KEY[i]=VALUE, not " + text;
        return false;
    }
    std::string left = text.substr(0, eq);
    out.value = text.substr(eq + 1);
    const auto bracket = left.find('[');
    out.key = left.substr(0, bracket);
    for (auto at = bracket; at != std::string::npos;) {
        const auto close = left.find(']', at);
        long index = 0;
        if (close == std::string::npos || !parse_whole(left.substr(at + 1, close - at - 1), index) ||
            out.index.size() == 2) {
            why = "--set: bad index in " + text;
            return false;
        }
        out.index.push_back(static_cast<int>(index));
        at = close + 1 < left.size() ? close + 1 : std::string::npos;
        if (at != std::string::npos && left[at] != '[') {
            why = "--set: bad index in " + text;
            return false;
        }
    }
    if (out.key.empty()) {
        why = "--set needs a key: " + text;
        return false;
    }
    return true;
}

namespace {

// One assignment on the current case; empty when it took, else why not.
std::string apply(const Assignment& a) {
    const char* key = a.key.c_str();
    double value = 0.0;
    if (a.index.empty()) {
        if (get_int_ptr(key) != nullptr) {
            long whole = 0;
            if (!parse_whole(a.value, whole)) return a.key + " takes a whole number";
            set_int_par(key, static_cast<int>(whole));
            return {};
        }
        if (get_double_ptr0(key) != nullptr) {
            if (!parse_double(a.value, value)) return a.key + " takes a number";
            set_double_par0(key, value);
            return {};
        }
        if (get_char_par(key) != nullptr) {
            set_char_par(key, a.value.c_str());
            return {};
        }
        if (get_double_ptr1(key) != nullptr || get_double_ptr2(key) != nullptr)
            return a.key + " is an array: give its index, " + a.key + "[i]=VALUE";
        return "unknown key " + a.key;
    }
    const int ns = get_int_par("cyld__ns"), nr = get_int_par("cyld__nr");
    if (!parse_double(a.value, value)) return a.key + " takes a number";
    if (a.index.size() == 1) {
        if (get_double_ptr1(key) == nullptr) {
            if (get_double_ptr2(key) != nullptr) return a.key + " takes two indices, " + a.key + "[i][j]";
            return "unknown per-element key " + a.key;
        }
        if (set_double_par1(key, a.index[0], value) != 0)
            return "index " + std::to_string(a.index[0]) + " of " + a.key + " is outside 0.." +
                   std::to_string(ns);
        return {};
    }
    if (get_double_ptr2(key) == nullptr) return "unknown per-streamline key " + a.key;
    if (set_double_par2(key, a.index[0], a.index[1], value) != 0)
        return "index [" + std::to_string(a.index[0]) + "][" + std::to_string(a.index[1]) + "] of " + a.key +
               " is outside [0.." + std::to_string(ns) + "][0.." + std::to_string(nr - 1) + "]";
    return {};
}

}  // namespace

bool apply_assignments(const std::vector<Assignment>& all, std::string& why) {
    for (const auto& a : all) {
        why = apply(a);
        if (!why.empty()) {
            why = "--set " + a.text + ": " + why;
            return false;
        }
    }
    return true;
}

}  // namespace h2cli
