#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

#include "halvorine2/halvorine2.h"
#include "tools/cli/results.h"

namespace h2cli {

namespace {

constexpr int kFirstAnalysisTask = 10;  // cyld__VART below this is a design task

double element(const char* key, int i) { return get_double_par1(key, i); }
double station(const char* key, int i, int j) { return get_double_par2(key, i, j); }

// The span mean of a streamline quantity at the outlet of element i, by the
// trapezoidal rule over the stream tubes (equal flow steps), as the integral
// report averages it; the middle line when there is only one.
double span_mean(const char* key, int i) {
    const int nr = get_int_par("cyld__nr");
    if (nr < 2) return station(key, i, nr / 2);
    double sum = 0.5 * (station(key, i, 0) + station(key, i, nr - 1));
    for (int j = 1; j < nr - 1; ++j) sum += station(key, i, j);
    return sum / (nr - 1);
}

double rpm(double rad_per_s) { return rad_per_s * 60.0 / (2.0 * std::numbers::pi); }

}  // namespace

Headline headline() {
    Headline h;
    const int ns = get_int_par("cyld__ns");
    h.p0 = element("elem__p0", 0);
    h.T0 = element("elem__T0", 0);
    h.G = get_double_par0("cyld__G");
    h.G_given = element("elem__G1", 0);
    const double p2 = span_mean("isd__p2", ns), p2x = span_mean("isd__p2x", ns);
    h.expanding = p2 < h.p0;
    h.pi = h.expanding ? h.p0 / p2 : p2 / h.p0;
    h.pix = h.expanding ? h.p0 / p2x : p2x / h.p0;
    h.power = get_double_par0("cyld__Nc");
    h.eff = get_double_par0("cyld__eff");
    h.effx = get_double_par0("cyld__effx");
    for (int i = 0; i <= ns; ++i) h.speed = std::fmax(h.speed, std::fabs(element("bld__wp", i)));
    return h;
}

const char* result_meaning(int code) {
    switch (code) {
        case 0:
            return "solved";
        case 1:
            return "convergence test failed";
        case 2:
            return "iteration limit reached with the accuracy above its limit";
        case 3:
            return "corrupted output data, an element without loss estimation, or a fault in the solve";
        case 4:
            return "aborted on request";
        case 5:
            return "divergence guard";
        case 13:
            return "unknown task, or no solve asked for (IPO < 0)";
        case -1:
            return "bad data or a failed design generator";
        default:
            return "the case did not run";
    }
}

namespace {

// The blade rows a design task sized: diameters and heights in mm, the
// middle streamline's angles (degrees from the circumferential direction)
// and chord.
void print_designed_rows() {
    const int ns = get_int_par("cyld__ns"), m = get_int_par("cyld__nr") / 2;
    std::printf("Designed blade rows (middle streamline; diameters, heights and chords in mm):\n");
    std::printf("  %-4s %-7s %8s %8s %8s %8s %7s %7s %5s %7s\n", "row", "kind", "d1", "l1", "d2", "l2", "B1g",
                "B2a", "z", "chord");
    for (int i = 1; i <= ns; ++i) {
        const double z = element("bld__z", i);
        if (!(z > 0.0)) continue;
        std::printf("  %-4d %-7s %8.2f %8.2f %8.2f %8.2f %7.2f %7.2f %5.0f %7.2f\n", i,
                    element("bld__wp", i) != 0.0 ? "rotor" : "stator", 1e3 * element("bld__d1", i),
                    1e3 * element("bld__l1", i), 1e3 * element("bld__d2", i), 1e3 * element("bld__l2", i),
                    station("cas__B1g", i, m), station("cas__B2a", i, m), z, 1e3 * station("cas__b", i, m));
    }
}

}  // namespace

void print_summary(const std::string& file, int result) {
    const Headline h = headline();
    const int ns = get_int_par("cyld__ns");
    std::printf("\n==== Summary of %s (SI units; `halvorine2 keys` explains each key)\n", file.c_str());
    std::printf("  machine          %s, elements 0..%d, %d streamlines, task %d\n",
                h.expanding ? "turbine (expanding)" : "compressor (compressing)", ns, get_int_par("cyld__nr"),
                get_int_par("cyld__VART"));
    std::printf("  inlet            total pressure %.6g Pa, total temperature %.6g K\n", h.p0, h.T0);
    std::printf("  mass flow        %.6g kg/s at the inlet (cyld__G); given %.6g kg/s (elem__G1[0])\n", h.G,
                h.G_given);
    std::printf("  pressure ratio   total-to-static %.6g, total-to-total %.6g (span means: pi, pix)\n", h.pi,
                h.pix);
    std::printf("  power            %.6g W (cyld__Nc)\n", h.power);
    std::printf("  efficiency       total-to-static %.6g (cyld__eff), total-to-total %.6g (cyld__effx)\n",
                h.eff, h.effx);
    if (h.speed > 0.0)
        std::printf("  speed            %.6g rpm (%.6g rad/s, bld__wp)\n", rpm(h.speed), h.speed);
    else
        std::printf("  speed            no rotor\n");
    std::printf("  result           %d: %s\n", result, result_meaning(result));
    if (get_int_par("cyld__VART") < kFirstAnalysisTask) print_designed_rows();
}

}  // namespace h2cli
