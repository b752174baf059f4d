// A ten-stage air turbine written as a case file: the shipped example's
// stator and rotor repeated, 200 mm mean diameter at 3000 rad/s, the blade
// heights growing evenly from 35 mm to 110 mm (hub-to-tip ratio 0.29 at the
// last rotor), 40 bar and 2500 K at the inlet, blade angles held over the
// span. Loss, deviation and leakage models as in the example.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>

namespace h2::test {

struct RepeatingTurbine {
    int stages = 10;
    int ni = 3;       // streamlines
    double G = 12.0;  // mass flow, kg/s
    int force1D = 0;  // 1: the mean line only
};

inline std::string repeating_turbine_text(const RepeatingTurbine& t) {
    const int ns = 2 * t.stages;
    const double l0 = 0.035, l1 = 0.110;
    auto height = [&](int e) { return l0 * std::pow(l1 / l0, static_cast<double>(e) / ns); };
    std::string s;
    char line[256];
    auto add = [&](const char* text) { s += text; };
    std::snprintf(line, sizeof line, "  %d  %d  50  0  2  10  0  0  0  100  0  0\n", ns, t.ni);
    add(line);
    std::snprintf(line, sizeof line, "  1  1  1  1  0  10  0  0.5  1e-05  %d\n", t.force1D);
    add(line);
    std::snprintf(line, sizeof line, "  2515625  4000000  800000  90  %g  80  1\n", t.G);
    add(line);
    std::snprintf(line, sizeof line, "  0  0  0.2  %.5f  1  90  90  0  0  1  0  0  0  0  0  0  0  0\n",
                  height(0));
    add(line);
    double x = 0.0;
    for (int k = 0; k < t.stages; ++k) {
        x += 0.03;
        std::snprintf(line, sizeof line,
                      "  %d  0  0.2  %.5f  0.97  90  18  1  0  1  30  0.03  0.0005  %.3f  0  1  0  0\n",
                      2 * k + 1, height(2 * k + 1), x);
        add(line);
        x += 0.027;
        std::snprintf(line, sizeof line,
                      "  %d  3000  0.2  %.5f  0.95  60  155  1  0  1  41  0.022  0.0004  %.3f  0  1  0  0\n",
                      2 * k + 2, height(2 * k + 2), x);
        add(line);
    }
    add("  80");
    for (int k = 0; k < t.stages; ++k) add("  200  150");
    add("\n");
    std::snprintf(line, sizeof line, "  0  0  0  0  0  0  0  0  0  0.2  %.5f\n", height(0));
    add(line);
    for (int k = 0; k < t.stages; ++k) {
        std::snprintf(line, sizeof line, "  %d  0  4  0.0004  0.12  0.005  0  0  0  0.2  %.5f\n", 2 * k + 1,
                      height(2 * k + 1));
        add(line);
        std::snprintf(line, sizeof line, "  %d  0  2  0.0004  0.24  0.005  0.0022  0  0  0.2  %.5f\n",
                      2 * k + 2, height(2 * k + 2));
        add(line);
    }
    return s;
}

// Writes the case file; false when it cannot be written.
inline bool write_repeating_turbine(const char* path, const RepeatingTurbine& t) {
    std::FILE* f = std::fopen(path, "wb");
    if (f == nullptr) return false;
    const std::string text = repeating_turbine_text(t);
    const bool ok = std::fputs(text.c_str(), f) >= 0;
    return std::fclose(f) == 0 && ok;
}

}  // namespace h2::test
