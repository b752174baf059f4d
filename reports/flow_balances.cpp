// Mass-flow balance of every blade row with its leakage, bleed and cooling
// flows, so that a reader can check that the flows add up.
#include "case/walkers_internal.h"
#include "halvorine2/console.h"
#include "halvorine2/threading.h"
#include "halvorine2/units.h"
#include "halvorine2/walkers.h"
#include "reports/report_api.h"
#include "reports/report_format.h"
#include "reports/stage_starts.h"

namespace {

constexpr std::uint16_t kColourMask = 240;
constexpr std::uint16_t kGrey = 7;
constexpr std::uint16_t kBrightCyan = 11;
constexpr std::uint16_t kCyan = 3;

double flow(double g) { return h2::view(g, H2_UNIT_MASSFLOW); }

// The outlet of element k against its inlet and the moisture it takes in.
void rotor_style_outlet_line(std::FILE* f, const bdLocals& c, int k, const char* L) {
    std::fprintf(
        f, "G2 i+1 = G1 i+1 + (iGoxl i+1), %s:\n%-10g =%10g + (%10g)\t\t\t\t\t\t\t\t\t(balance =%10g)\n", L,
        flow(c.elem_G2[k]), flow(c.elem_G1[k]), flow(c.cool_iGoxl[k]),
        h2::printable((c.elem_G2[k] - c.elem_G1[k] - c.cool_iGoxl[k]) / c.elem_G2[k]));
}

void put_grey_rule(std::FILE* f) {
    SetConColor(kGrey, kColourMask);
    h2::put_rule(f, '-');
    SetConDefColor();
}

}  // namespace

extern "C" void report_flow_balances(std::FILE* f) {
    const bdLocals* b = get_bdLocals();
    if (f == nullptr || !h2::results_case_ready(b)) return;
    const bdLocals& c = *b;
    const char* L = unitsLabel(H2_UNIT_MASSFLOW);

    put_grey_rule(f);
    SetConColor(kBrightCyan, kColourMask);
    std::fprintf(f, "\nDetailed flow rate balances:\n");
    SetConColor(kCyan, kColourMask);
    int stators = 0, rotors = 0;
    for (int i = 0; i < c.cyld_ns; ++i) {
        if (i == 0) {
            const int k = next_stator(0);
            std::fprintf(f, "\ninlet\n0:\n");
            std::fprintf(f, "G1 i+1 = G2 i, %s:\n%-10g =%10g\t\t(balance =%10g)\n", L, flow(c.elem_G1[k]),
                         flow(c.elem_G2[0]), h2::printable((c.elem_G1[k] - c.elem_G2[0]) / c.elem_G1[k]));
            rotor_style_outlet_line(f, c, k, L);
        } else if (h2::is_stator(c, i)) {
            const int k = next_rotor(i);
            std::fprintf(f, "\nstator\t%4d (%4d):\n", ++stators, i);
            const double balance = (c.elem_G1[k] - c.elem_G2[i] - c.elem_Gotb2[i] - c.lkgn_GP[k] +
                                    c.elem_Gr[k] - c.cool_tGoxl[i] - c.cool_hGoxl[i] - c.cool_oGoxl[i]) /
                                   c.elem_G1[k];
            std::fprintf(
                f,
                "G1 i+1 = G2 i\t+ (Gotb2 i + Gpx i+1 - Gr i+1) + (tGoxl i + hGoxl i + oGoxl i), %s:\n%-10g "
                "=%10g + (%10g +%10g -%10g) + (%10g +%10g +%10g)\t\t\t(balance =%10g)\n",
                L, flow(c.elem_G1[k]), flow(c.elem_G2[i]), flow(c.elem_Gotb2[i]), flow(c.lkgn_GP[k]),
                flow(c.elem_Gr[k]), flow(c.cool_tGoxl[i]), flow(c.cool_hGoxl[i]), flow(c.cool_oGoxl[i]),
                h2::printable(balance));
            std::fprintf(
                f,
                "G2 i+1 = G1 i+1 + Gsep i+1 + (iGoxl i+1), %s:\n%-10g =%10g +%10g + (%10g)\t\t\t\t\t(balance "
                "=%10g)\n",
                L, flow(c.elem_G2[k]), flow(c.elem_G1[k]), flow(c.elem_Gsep[k]), flow(c.cool_iGoxl[k]),
                h2::printable((c.elem_G2[k] - c.elem_G1[k] - c.elem_Gsep[k] - c.cool_iGoxl[k]) /
                              c.elem_G2[k]));
        } else if (h2::is_rotor(c, i)) {
            const int k = next_stator(i);
            std::fprintf(f, "\nrotor\t%4d (%4d):\n", ++rotors, i);
            const double balance =
                (c.elem_G1[k] - c.elem_G2[i] - c.elem_Gr[i] - c.elem_Gotb2[i] - c.lkgn_GPY[i] -
                 c.cool_tGoxl[i] - c.cool_hGoxl[i] - c.cool_fGoxl[i] - c.cool_oGoxl[i]) /
                c.elem_G1[k];
            std::fprintf(
                f,
                "G1 i+1 = G2 i + (Gr i + Gotb2 i + Gpy i) + (tGoxl i + hGoxl i + fGoxl i + oGoxl i ), %s:\n"
                "%-10g =%10g + (%10g +%10g +%10g) + (%10g +%10g +%10g +%10g)\t\t(balance =%10g)\n",
                L, flow(c.elem_G1[k]), flow(c.elem_G2[i]), flow(c.elem_Gr[i]), flow(c.elem_Gotb2[i]),
                flow(c.lkgn_GPY[i]), flow(c.cool_tGoxl[i]), flow(c.cool_hGoxl[i]), flow(c.cool_fGoxl[i]),
                flow(c.cool_oGoxl[i]), h2::printable(balance));
            rotor_style_outlet_line(f, c, k, L);
        }
    }
    put_grey_rule(f);
}
