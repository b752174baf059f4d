// The integral summary: whole-machine results of a solved case.
#include <cmath>

#include "case/walkers_internal.h"
#include "halvorine2/console.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/predesign.h"
#include "halvorine2/threading.h"
#include "halvorine2/units.h"
#include "physics/turbine_eff_estimate.h"
#include "reports/report_api.h"
#include "reports/report_format.h"
#include "reports/stage_starts.h"

namespace {

constexpr std::uint16_t kColourMask = 240;
constexpr std::uint16_t kBrightWhite = 15;
constexpr std::uint16_t kCyan = 3;
constexpr std::uint16_t kGreen = 10;
constexpr int kFirstAnalysisTask = 10;
constexpr double kStandardTemperature = 288.15;  // K, reference of the corrected parameters
constexpr double kStandardPressure = 101325.0;   // Pa

}  // namespace

extern "C" void report_integral(std::FILE* f) {
    const bdLocals* b = get_bdLocals();
    if (f == nullptr || !h2::results_case_ready(b)) return;
    const bdLocals& c = *b;
    using h2::view;
    const int ns = c.cyld_ns, mid = c.cyld_nr / 2;
    const bool expanding = h2::is_expanding(c);
    const auto* module = static_cast<const PD_module*>(c.ranges_ref);

    if (c.IPI != 0 && module == nullptr) {
        std::fprintf(f, "\n");
        SetConColor(kBrightWhite, kColourMask);
        h2::put_rule(f, '=');
        SetConDefColor();
    }
    SetConColor(kBrightWhite, kColourMask);

    const double P2xm = h2::span_mean(c.isd_p2x, ns, mid, c.cyld_nr, c.ZAG);
    const double P2m = h2::span_mean(c.isd_p2, ns, mid, c.cyld_nr, c.ZAG);
    const double p0 = c.elem_p0[0];
    const double pi = expanding ? p0 / P2m : P2m / p0;
    const double pix = expanding ? p0 / P2xm : P2xm / p0;

    if (module != nullptr) std::fprintf(f, "\nDesigned module %d: ns=%d\n", module->index, ns);
    std::fprintf(f, "Integral parameters:\n");
    const char* none = unitsLabel(H2_UNIT_NONE);
    const char* power = unitsLabel(H2_UNIT_POWER);
    std::fprintf(f, "\nGo = %g %s  Gout = %g %s  Gv2 = %g %s\n", view(c.cyld_G, H2_UNIT_MASSFLOW),
                 unitsLabel(H2_UNIT_MASSFLOW), view(c.cyld_Gout, H2_UNIT_MASSFLOW),
                 unitsLabel(H2_UNIT_MASSFLOW), view(c.cyld_Gv, H2_UNIT_VOLUMEFLOW),
                 unitsLabel(H2_UNIT_VOLUMEFLOW));
    const char* pressure = unitsLabel(H2_UNIT_PRESSURE);
    std::fprintf(f, "P0x = %g %s   P2m = %g %s   P2xm = %g %s  pi = %g %s  pix = %g %s\n",
                 view(p0, H2_UNIT_PRESSURE), pressure, view(P2m, H2_UNIT_PRESSURE), pressure,
                 view(P2xm, H2_UNIT_PRESSURE), pressure, view(pi, H2_UNIT_NONE), none,
                 view(pix, H2_UNIT_NONE), none);
    std::fprintf(
        f,
        "Cz/u = %g %s  u/Co = %g %s  Eff = %g %s     Effx = %g %s     Effp = %g %s EffD = %g %s  EffDx = %g "
        "%s\n",
        view(c.cyld_cz_, H2_UNIT_NONE), none, view(c.cyld_uCo, H2_UNIT_NONE), none,
        view(c.cyld_eff, H2_UNIT_NONE), none, view(c.cyld_effx, H2_UNIT_NONE), none,
        view(c.cyld_effp, H2_UNIT_NONE), none, view(c.cyld_effD, H2_UNIT_NONE), none,
        view(c.cyld_effDx, H2_UNIT_NONE), none);
    // The isentropic powers of the machine's inlet flow, the flow of its efficiency.
    const double G = c.cyld_G;
    std::fprintf(f, "Ncyl = %g %s  Ho = %g %s      Hox = %g %s\n", view(c.cyld_Nc, H2_UNIT_POWER), power,
                 view(G * c.cyld_H0, H2_UNIT_POWER), power, view(G * c.cyld_H0x, H2_UNIT_POWER), power);

    if (expanding && c.cyld_eff != 0.0) {
        // The quick estimate for the same expansion, to judge the result by.
        const double estimate = turbine_eff_estimate(G, p0, c.elem_i0[0], c.elem_p2[ns]);
        std::fprintf(f, "EffBCS = %g %s\n\n", view(estimate, H2_UNIT_NONE), none);
    }
    const char* force = unitsLabel(H2_UNIT_FORCE);
    std::fprintf(f, "Axial forces: Blade = %g %s,\tDisk = %g %s,\tDummis = %g %s,  Total = %g %s\n\n",
                 view(c.cyld_RAL, H2_UNIT_FORCE), force, view(c.cyld_RAD, H2_UNIT_FORCE), force,
                 view(c.cyld_RAB, H2_UNIT_FORCE), force,
                 view(c.cyld_RAL + c.cyld_RAD + c.cyld_RAB, H2_UNIT_FORCE), force);
    std::fprintf(f, "Total length: %12g %s (limit %g %s)\n", view(c.cas_x2[ns][mid], H2_UNIT_LENGTH),
                 unitsLabel(H2_UNIT_LENGTH), view(c.LengthLimit, H2_UNIT_LENGTH), unitsLabel(H2_UNIT_LENGTH));
    std::fprintf(f, "Blade's mass: %12g %s (limit %g %s)\n\n", view(c.cyld_mass, H2_UNIT_MASS),
                 unitsLabel(H2_UNIT_MASS), view(c.MassLimit, H2_UNIT_MASS), unitsLabel(H2_UNIT_MASS));

    if (expanding) {
        // Speed and flow corrected to standard inlet conditions.
        const double T0 = c.fluid_func(H2_FLUID_T_PI, p0, c.elem_i0[0], c.elem_af[0], H2_FLUID_MAIN);
        const double a = std::sqrt(T0 / kStandardTemperature);
        const double pr = p0 / kStandardPressure;
        double om_max = 0.0;
        for (int i = 0; i <= ns; ++i)
            if (c.bld_wp[i] > om_max) om_max = c.bld_wp[i];
        std::fprintf(f, "\nCorrected parameters:\tOMcor=%-7.2f %s G0cor=%-7.3f %s\n",
                     view(om_max / a, H2_UNIT_ROTATION), unitsLabel(H2_UNIT_ROTATION),
                     view(a / pr * G, H2_UNIT_MASSFLOW), unitsLabel(H2_UNIT_MASSFLOW));
    }
    SetConColor(kBrightWhite, kColourMask);
    h2::put_rule(f, '=');
    SetConDefColor();
    if (module == nullptr) std::fprintf(f, "\n");

    if (c.cyld_VART >= kFirstAnalysisTask) {
        SetConColor(kCyan, kColourMask);
        std::fprintf(f, "Mean accuracy: %g after iteration %d\n\n",
                     h2::printable(std::sqrt(std::fabs(c.accuracy)) / (ns + 1)), c.iter);
        SetConDefColor();
        SetConColor(kGreen, kColourMask);
        h2::put_rule(f, '=');
        std::fprintf(f, "\t\t\t\t\t\tEnd calculating %.*s.\n", static_cast<int>(sizeof c.name), c.name);
        h2::put_rule(f, '=');
        SetConDefColor();
    }
    std::fflush(f);
}
