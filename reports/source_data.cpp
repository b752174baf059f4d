// The source-data report: the echo of the case before it is solved.
#include <cmath>
#include <cstring>

#include "case/case_arrays.h"
#include "case/walkers_internal.h"
#include "halvorine2/console.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/profiles.h"
#include "halvorine2/threading.h"
#include "halvorine2/units.h"
#include "reports/code_names.h"
#include "reports/report_api.h"
#include "reports/report_format.h"
#include "reports/stage_starts.h"

namespace {

using h2::Coloured;
using h2::kBrightWhite;
using h2::kGreen;
using h2::station_letter;
using h2::truncated_int;
using h2::view;

constexpr int kFirstAnalysisTask = 10;
constexpr double kTwoPi = 6.283185307179586;

const char* label(int group) { return unitsLabel(group); }

void put_green_rule(std::FILE* f) {
    Coloured c(kGreen);
    h2::put_rule(f, '=');
}

// Property of the main fluid at (a, b); not a number without a fluid.
double fluid(const bdLocals& c, int code, double a, double b) {
    if (c.fluid_func == nullptr) return NAN;
    return c.fluid_func(code, a, b, c.cyld_af, 0);
}

bool kind_is(const bdLocals& c, int i, double kind) { return c.elem_stagType[i] == kind; }
bool bladed(const bdLocals& c, int i) {
    return kind_is(c, i, h2::kBladeRow) || kind_is(c, i, h2::kDeswirler);
}

struct Layout {
    int ns, NI, jm, m;
    bool design, expanding;
};

bool compressor_element(const bdLocals& c, const Layout& L, int i) {
    if (L.design)
        return !L.expanding && !kind_is(c, i, 2.0) && !kind_is(c, i, h2::kUBend) &&
               !kind_is(c, i, h2::kDeswirler);
    return is_comp_prof(i, L.m) != 0;
}

void element_table(std::FILE* f, const bdLocals& c, const Layout& L) {
    {
        Coloured colour(kBrightWhite);
        std::fprintf(f, "\n %-3s%13s%13s%13s%11s%10s%13s%7s%13s%13s%13s%5s%5s%5s%7s%7s%7s%7s%5s\n", "i", "Om",
                     L.design ? "d2s" : "d2", "l2", "pr", "nseg", "m2", "z", "Rh", "Rt", "Gex", "stT", "scT",
                     "Amsk", "Cooled", "Laval", "Module", "Dflag", "Disp");
        std::fprintf(f, " %-3s%13s%13s%13s%11s%10s%13s%7s%13s%13s%13s%5s%5s%5s%6s%6s\n", "", label(22),
                     label(1), label(1), label(0), label(0), label(0), "", label(1), label(1), label(3), "",
                     "", "", "", "");
    }
    for (int i = 0; i <= L.ns; ++i) {
        std::fprintf(f, "%1s%-3d ", station_letter(c, i), i);
        double nseg = c.elem_NSEGM[i];
        if (c.elem_plenum[i] != 0.0) nseg = -std::fabs(nseg);
        const int kind = truncated_int(c.elem_stagType[i]);
        const char* laval = kind == 0 ? "-" : (truncated_int(c.elem_Laval[i]) != 0 ? "Yes" : "No");
        std::fprintf(f, "%12g %12g %12g %10g %9g %12g %6d %12g %12g %12g %4s %4s %4d %4d %7s %5d %5d %5d \n",
                     view(c.bld_wp[i], 22), view(L.design ? c.bld_d2s[i] : c.bld_d2[i], 1),
                     view(c.bld_l2[i], 1), view(c.elem_Pa[i], 0), view(nseg, 0),
                     kind_is(c, i, h2::kInletVolute) ? view(c.vol_b7[i], 1) : view(c.bld_m2[i], 0),
                     bladed(c, i) ? truncated_int(c.bld_z[i]) : 0, view(c.bld_Rh2[i], 1),
                     view(c.bld_Rt2[i], 1), view(c.elem_Gotb2[i], 3), elem_kind_name(kind),
                     sect_type_name(truncated_int(c.elem_sectType[i])), truncated_int(c.AngMask[i]),
                     truncated_int(c.stgtd_cooled[i]), laval, truncated_int(c.elem_moduleNum[i]),
                     truncated_int(c.elem_VARTD[i]), truncated_int(c.elem_sectDisp[i]));
    }
}

// The blade pitch over the chord, 2*pi*r/z/b, for a row that has none;
// stored only when it is finite (no blades or no chord leave it 0).
void fill_pitch_to_chord(bdLocals& c, int i, int j) {
    if (!bladed(c, i) || c.cas_tb[i][j] != 0.0) return;
    const double tb = kTwoPi * c.flow_r2[i][j] / c.bld_z[i] / c.cas_b[i][j];
    if (std::isfinite(tb)) c.cas_tb[i][j] = tb;
}

char group_mark(const bdLocals& c, int i) {
    if (i >= static_cast<int>(sizeof c.sl_groups) || c.sl_groups[i] == '\0') return '.';
    return c.sl_groups[i];
}

void geometry_table(std::FILE* f, bdLocals& c, const Layout& L) {
    const char* c3 = L.expanding ? "Psi2" : "om_";
    const char* c5 = L.design ? "Cz_" : "B2a";
    const char* c6 = L.design ? (L.expanding ? "P2" : "Ht_") : "B2g";
    const char* u5 = L.design ? label(0) : label(19);
    const char* u6 = L.design ? (L.expanding ? label(4) : label(0)) : label(19);
    {
        Coloured colour(kBrightWhite);
        if (L.NI > 1) {
            std::fprintf(f, "\n %-3s%-4s%13s%13s%13s%13s%13s%13s%13s%13s%13s%13s%13s%13s\n", "i", "j", c3,
                         "B1g", c5, c6, "Lean", "theta", "DA", "chord", "te", "t/b", "xm", "rm");
            std::fprintf(f, " %-3s%-4s%13s%13s%13s%13s%13s%13s%13s%13s%13s%13s%13s%13s\n", "", "", label(0),
                         label(19), u5, u6, label(19), label(19), label(1), label(1), label(1), label(0),
                         label(1), label(1));
        } else {
            std::fprintf(f, "\n %-3s%13s%13s%13s%13s%13s%13s%13s%13s%13s%13s%13s%13s\n", "i", c3, "B1g", c5,
                         c6, "Lean", "theta", "DA", "chord", "te", "t/b", "xm", "rm");
            std::fprintf(f, " %-3s%13s%13s%13s%13s%13s%13s%13s%13s%13s%13s%13s%13s\n", "", label(0),
                         label(19), u5, u6, label(19), label(19), label(1), label(1), label(1), label(0),
                         label(1), label(1));
        }
    }
    for (int i = 0; i <= L.ns; ++i) {
        const bool compressor = compressor_element(c, L, i);
        const bool blades = bladed(c, i);
        const bool inlet_volute = kind_is(c, i, h2::kInletVolute);
        for (int j = 0; j < L.NI; ++j) {
            h2::put_station_marks(f, c, i, j, L.NI, L.jm);
            fill_pitch_to_chord(c, i, j);
            const double v3 =
                compressor ? view(c.los_om[i][j], 0) : view(c.los_Los[i][j] * c.los_Los[i][j], 0);
            double v5, v6;
            if (L.design) {
                v5 = view(c.elem_cz_[i], 0);
                v6 = L.expanding ? view(c.isd_p2[i][j], 4) : view(c.elem_Ht[i], 0);
            } else {
                v5 = blades ? view(c.cas_B2a[i][j], 19) : 0.0;
                v6 = blades ? view(c.cas_B2g[i][j], 19) : 0.0;
            }
            const double te = inlet_volute ? view(c.vol_D7[i], 1) : (blades ? view(c.cas_r2[i][j], 1) : 0.0);
            std::fprintf(f, "%12g %12g %12g %12g %12g %12g %12g %12g %12g %12g %12g %12g %c", v3,
                         blades ? view(c.cas_B1g[i][j], 19) : 0.0, v5, v6,
                         blades ? view(c.cas_Lean2[i][j], 19) : 0.0, view(c.cas_t2[i][j], 19),
                         view(c.bld_DA[i], 1), inlet_volute ? view(c.vol_bk[i], 1) : view(c.cas_b[i][j], 1),
                         te, blades ? view(c.cas_tb[i][j], 0) : 0.0, view(c.cas_x2[i][j], 1),
                         view(c.flow_r2[i][j], 1), group_mark(c, i));
            std::fprintf(f, "\n");
        }
        if (L.NI > 1) std::fprintf(f, "\n");
    }
}

void leakage_table(std::FILE* f, const bdLocals& c, const Layout& L) {
    {
        Coloured colour(kBrightWhite);
        std::fprintf(f, "\nLeakage detailed data:");
    }
    std::fprintf(f, "\n %-3s%6s%13s%13s%6s%6s%12s%12s%12s%12s%12s%12s%12s%6s%6s%11s%11s\n", "i", "Ts", "Ds",
                 "ds", "Zs", "Zbh", "Dbh", "dbh", "dX", "sX", "gamX", "dY", "sY", "VI", "VS", "DB1", "DB2");
    std::fprintf(f, " %-3s%6s%13s%13s%6s%6s%12s%12s%12s%12s%12s%12s%12s%6s%6s%11s%11s\n", "", label(0),
                 label(1), label(1), label(0), label(0), label(1), label(1), label(1), label(1), label(19),
                 label(1), label(1), label(0), label(0), label(0), label(0));
    for (int i = 0; i <= L.ns; ++i) {
        std::fprintf(f, "%1s%-3d ", station_letter(c, i), i);
        if (h2::is_rotor(c, i)) {
            std::fprintf(f, "%5d %12g %12g %5d %5d %11g %11g %11g %11g %11g %11g %11g %5d %5d %10g %10g ",
                         truncated_int(view(c.stgtd_Tby[i], 0)), view(c.bld_dub[i], 1),
                         view(c.clrn_drr[i], 1), truncated_int(view(c.clrn_Zrr[i], 0)),
                         truncated_int(view(c.clrn_Zr8[i], 0)), view(c.clrn_ORO[i], 1),
                         view(c.clrn_DRO[i], 1), view(c.clrn_DPOD[i], 1), view(c.clrn_SRO[i], 1),
                         view(c.clrn_GAMPX[i], 19), view(c.clrn_DPODY[i], 1), view(c.clrn_SROY[i], 1),
                         truncated_int(view(c.elem_VI[i], 0)), truncated_int(view(c.bld_VS[i], 0)),
                         view(c.clrn_DB1[i], 0), view(c.clrn_DB2[i], 0));
        } else if (h2::is_stator(c, i)) {
            std::fprintf(f, "%5d %12g %12g %5d %5s %11s %11s %11s %11s %11s %11s %11s %5s %5s %10s %10s ",
                         truncated_int(view(c.stgtd_Tdy[i], 0)), view(c.bld_du[i], 1), view(c.clrn_drd[i], 1),
                         truncated_int(view(c.clrn_Zrd[i], 0)), "", "", "", "", "", "", "", "", "", "", "",
                         "");
        }
        std::fprintf(f, "\n");
    }
}

void seal_table(std::FILE* f, const bdLocals& c, const Layout& L) {
    {
        Coloured colour(kBrightWhite);
        std::fprintf(f, "\nSeals data:");
        std::fprintf(f, "\n %-3s%11s%13s%13s%11s%13s%13s%13s%13s%11s%11s%11s%11s\n", "i", "Ts", "Ds", "ds",
                     "Zs", "d1", "a1n", "a2n", "b1n", "VI", "VS", "DB1", "DB2");
        std::fprintf(f, " %-3s%11s%13s%13s%11s%13s%13s%13s%13s%11s%11s%11s%11s\n", "", label(0), label(1),
                     label(1), label(0), label(1), label(1), label(1), label(1), label(0), label(0), label(0),
                     label(0));
    }
    for (int i = 0; i <= L.ns; ++i) {
        std::fprintf(f, "%1s%-3d ", station_letter(c, i), i);
        const bool rotor = h2::is_rotor(c, i);
        if (rotor || h2::is_stator(c, i)) {
            std::fprintf(f, "%10d %12g %12g %10d %12g %12g %12g %12g ",
                         truncated_int(view(rotor ? c.stgtd_Tby[i] : c.stgtd_Tdy[i], 0)),
                         view(rotor ? c.bld_dub[i] : c.bld_du[i], 1),
                         view(rotor ? c.clrn_drr[i] : c.clrn_drd[i], 1),
                         truncated_int(view(rotor ? c.clrn_Zrr[i] : c.clrn_Zrd[i], 0)), view(c.clrn_d1[i], 1),
                         view(c.clrn_a1n[i], 1), view(c.clrn_a2n[i], 1), view(c.clrn_b1n[i], 1));
            if (rotor)
                std::fprintf(f, "%10d %10d %10g %10g ", truncated_int(view(c.elem_VI[i], 0)),
                             truncated_int(view(c.bld_VS[i], 0)), view(c.clrn_DB1[i], 0),
                             view(c.clrn_DB2[i], 0));
            else
                std::fprintf(f, "%10s %10s %10s %10s ", "", "", "", "");
        }
        std::fprintf(f, "\n");
    }
}

void meanline_table(std::FILE* f, const bdLocals& c, const Layout& L) {
    {
        Coloured colour(kBrightWhite);
        std::fprintf(f, "\nCompressor blade`s meanline detailed data:");
        std::fprintf(f, "\n %-3s%13s%13s%13s%13s%13s%13s%13s%13s%13s\n", "i", "Prof", "Ksh", "a_", "b_",
                     "t/b", "om_", "dev", "Fp", "block");
        std::fprintf(f, " %-3s%13s%13s%13s%13s%13s%13s%13s%13s%13s\n", "", "", label(0), label(0), label(0),
                     label(0), label(0), label(19), label(0), label(0));
    }
    const int m = L.m;
    for (int i = 0; i <= L.ns; ++i) {
        std::fprintf(f, "%1s%-3d ", station_letter(c, i), i);
        if (h2::is_rotor(c, i) || h2::is_stator(c, i)) {
            const int series = truncated_int(c.elem_profSer[i]);
            const char* prof = series == 1 ? "NACA65" : series == 2 ? "C4" : series == 3 ? "DCA" : "Custom";
            std::fprintf(f, "%12s ", prof);
            const bool axial = c.elem_sectType[i] == h2::kAxialSections;
            for (double* const* row : {c.los_Ksh, c.cas_a_, c.cas_b_}) {
                if (axial)
                    std::fprintf(f, "%12g ", view(row[i][m], 0));
                else
                    std::fprintf(f, "      -      ");
            }
            std::fprintf(f, "%12g %12g %12g %12g %12g ", view(c.cas_tb[i][m], 0), view(c.los_om[i][m], 0),
                         view(c.cas_dR[i][m], 19), view(c.los_Fp[i][m], 0), view(c.cas_blck[i][m], 0));
        }
        std::fprintf(f, "\n");
    }
}

struct CoolingBlock {
    const char* title;
    double* bdLocals::*G;
    double* bdLocals::*T;
    double* bdLocals::*P;
    double* bdLocals::*C;
    double* bdLocals::*A;
};

void cooling_table(std::FILE* f, const bdLocals& c, const Layout& L) {
    static const CoolingBlock blocks[] = {
        {"\tBlade's LE:", &bdLocals::cool_iGoxl, &bdLocals::cool_iToxl, &bdLocals::cool_iPoxl,
         &bdLocals::cool_iCoxl, &bdLocals::cool_iAoxl},
        {"\tBlade's TE:", &bdLocals::cool_oGoxl, &bdLocals::cool_oToxl, &bdLocals::cool_oPoxl,
         &bdLocals::cool_oCoxl, &bdLocals::cool_oAoxl},
        {"\tInternal endwall:", &bdLocals::cool_hGoxl, &bdLocals::cool_hToxl, &bdLocals::cool_hPoxl,
         &bdLocals::cool_hCoxl, &bdLocals::cool_hAoxl},
        {"\tExternal endwall:", &bdLocals::cool_tGoxl, &bdLocals::cool_tToxl, &bdLocals::cool_tPoxl,
         &bdLocals::cool_tCoxl, &bdLocals::cool_tAoxl},
        {"\tBlade's tip:", &bdLocals::cool_fGoxl, &bdLocals::cool_fToxl, &bdLocals::cool_fPoxl,
         &bdLocals::cool_fCoxl, &bdLocals::cool_fAoxl},
    };
    {
        Coloured colour(kBrightWhite);
        std::fprintf(f, "\nCooling detailed data:");
    }
    std::fprintf(f, "\n %-3s%13s%13s%13s%13s%13s\n", "i", "G", "T", "P", "C", "A");
    std::fprintf(f, " %-3s%13s%13s%13s%13s%13s\n", "", label(3), label(5), label(4), label(18), label(19));
    for (const CoolingBlock& block : blocks) {
        for (int i = 0; i <= L.ns; ++i) {
            std::fprintf(f, " %-3d ", i);
            if (i == 0) std::fprintf(f, "%s", block.title);
            const double G = (c.*block.G)[i];
            if ((h2::is_rotor(c, i) || h2::is_stator(c, i)) && G != 0.0)
                std::fprintf(f, "%12g %12g %12g %12g %12g ", view(G, 3),
                             h2::view_temperature((c.*block.T)[i]), view((c.*block.P)[i], 4),
                             view((c.*block.C)[i], 18), view((c.*block.A)[i], 19));
            std::fprintf(f, "\n");
        }
    }
}

void loss_models(std::FILE* f, const bdLocals& c, int ns) {
    std::fprintf(f, "Loss model`s description\n~~~~~~~~~~~~~~~~~~~~~~~~\n");
    for (int i = 0; i <= ns; ++i) {
        const bool rotating = c.bld_wp[i] != 0.0;
        std::fprintf(f,
                     "Element\t%d: (%s %s)\n\tradial gap %s\n\taxial gap  %s\n\tprofile    %s "
                     "(limit=%g)\n\tsecondary  "
                     "%s\n\ttransient  %s\n\tdeviation  %s (limit=%g)\n\tblockage   %s\n",
                     i, elem_kind_name(truncated_int(c.elem_stagType[i])),
                     sect_type_name(truncated_int(c.elem_sectType[i])),
                     rotating ? loss_note_R(i) : loss_note_D(i), rotating ? "is not used" : loss_note_Z(i),
                     loss_note_P(i), h2::printable(c.los_limit[i]), loss_note_S(i), loss_note_N(i),
                     loss_note_V(i), h2::printable(c.dev_limit[i]), loss_note_B(i));
    }
    std::fprintf(f, "\n");
}

const char* disposition_name(int disp) {
    if (disp == 0) return "Horizontal";
    if (disp == 1) return "Vertical Down";
    return "Vertical Up";
}

}  // namespace

extern "C" void report_data(std::FILE* f) {
    bdLocals* b = get_bdLocals();
    if (!h2::report_case_ready(b)) return;
    if (f == nullptr) f = stdout;
    bdLocals& c = *b;
    const Layout L{
        c.cyld_ns,          c.cyld_nr, (c.cyld_nr - 1) / 2, c.cyld_nr / 2, c.cyld_VART < kFirstAnalysisTask,
        h2::is_expanding(c)};

    put_green_rule(f);
    {
        Coloured colour(kGreen);
        std::fprintf(f, "\t\t\t\t\t\tCalculating %.*s...\n", static_cast<int>(strnlen(c.name, sizeof c.name)),
                     c.name);
    }
    put_green_rule(f);
    {
        Coloured colour(kBrightWhite);
        std::fprintf(f, "\n\t\t\t\t\t\tS O U R C E   D A T A");
        std::fprintf(f, "\n\t\t\t\t\t\t=====================\n");
    }
    std::fprintf(
        f,
        "\nNumber of elements           ns=%d\t\tNumber of sections \tnr=%d\tForce 1D calculation -\t%s\n"
        "Problem formulation          VART=%d (%s)\nOutput pressure flag         VARTP=%d (%s)\n"
        "Adjust inlet angle           VARTB=%d (%s)\nSpecific diameter            VARTD=%d (%s)\n"
        "Basic fluid type             IS=%d (%s)\nCooling fluid type           CIS=%d (%s)\n"
        "Inner loop print flag        IP=%d\t\tOuter loop print flags  IPI=%d \tIPP=%d \tIPO=%d  IPL=%d \n"
        "Inner loops limit            IM=%d\t\tOuter loops limit       IGM=%d\tStreamline`s adjustments "
        "limit\tISM=%d\nLeakage inner loops limit    ITML=%d \n",
        c.cyld_ns, c.cyld_nr, c.cyld_force1D != 0 ? "Yes" : "No", c.cyld_VART, task_name(c.cyld_VART),
        c.cyld_VARTP, exit_pressure_name(c.cyld_VARTP), c.cyld_VARTB,
        c.cyld_VARTB != 0 ? "adjust" : "not adjust", c.cyld_VARTD, spec_diameter_name(c.cyld_VARTD),
        c.cyld_fluid, fluid_name(c.cyld_fluid), c.cyld_cfluid, cfluid_name(c.cyld_cfluid), c.IP, c.IPI, c.IPP,
        c.IPO, c.IPL, c.IM, c.IGM, c.ISM, c.ITML);
    std::fprintf(
        f,
        "Streamline adjustment        MethodL=%d (%s)\nInternal loss calculation    ICLos  =%d (%s)\n"
        "Relaxation coeficients       RELAX  =%-8g\tLosRELAX=%-8g\tLkgRELAX=%-8g\n"
        "Accuracy limit               acc_limit=%-8.0e\tacc_Gconv=%-8.0e\n"
        "Loss policy                  los__policy=%d\nWetness loss policy          cyld__MethodW=%d\n",
        c.cyld_MethodL, streamline_adj_name(), c.ICLos, c.ICLos != 0 ? "Yes" : "No", h2::printable(c.RELAX),
        h2::printable(c.LosRELAX), h2::printable(c.LkgRELAX), h2::printable(c.acc_limit),
        h2::printable(c.acc_Gconv), c.los_policy, c.cyld_MethodW);
    if (L.design)
        std::fprintf(f, "Cascade`s optimization       S1mode = %d\n\n", c.S1mode);
    else
        std::fprintf(f, "\n");
    std::fprintf(f, "Cylinder disposition         Disp = %d (%s)\n\n", c.cyld_Disp,
                 disposition_name(c.cyld_Disp));

    const double p0 = c.elem_p0[0], i0 = c.elem_i0[0];
    const double s0 = fluid(c, H2_FLUID_S_PI, p0, i0);
    std::fprintf(
        f,
        "io=%g %s\tpo=%g %s\tp2=%g %s\tp2x=%g %s\tAo=%g %s\tGo=%g %s\tCzo=%g %s\nTo=%g %s\tRoo=%g %s\t"
        "so=%g %s\ti2tt=%g %s\ti2ttx=%g %s\tao=%g %s\tk=%g\taf=%g\n\n",
        view(i0, 9), label(9), view(p0, 4), label(4), view(c.cyld_p2n, 4), label(4), view(c.cyld_p2nx, 4),
        label(4), view(c.cas_B1[0][L.m], 19), label(19), view(c.elem_G1[0], 3), label(3),
        view(c.flow_c2z[0][L.m], 18), label(18), h2::view_temperature(fluid(c, H2_FLUID_T_PI, p0, i0)),
        label(5), view(fluid(c, H2_FLUID_RHO_PI, p0, i0), 8), label(8), view(s0, 20), label(20),
        view(fluid(c, H2_FLUID_I_PS, c.cyld_p2n, s0), 9), label(9),
        view(fluid(c, H2_FLUID_I_PS, c.cyld_p2nx, s0), 9), label(9),
        view(fluid(c, H2_FLUID_SOUND_PI, p0, i0), 18), label(18),
        view(fluid(c, H2_FLUID_KAPPA_PI, p0, i0), 0), h2::printable(c.cyld_af));

    if (c.IPI > 1) {
        loss_models(f, c, L.ns);
        element_table(f, c, L);
        geometry_table(f, c, L);
        if (L.expanding && c.ITML != 0)
            leakage_table(f, c, L);
        else
            seal_table(f, c, L);
        if (!L.expanding) meanline_table(f, c, L);
        if (any_cooled() != 0) cooling_table(f, c, L);
    }
    if (!L.design) {
        {
            Coloured colour(kBrightWhite);
            std::fprintf(f, "\nInitial velocities guess (%s):\n", label(18));
        }
        for (int i = 0; i <= L.ns; ++i) {
            std::fprintf(f, "%-10g ", view(c.wb[i], 18));
            if ((i + 1) % 12 == 0) std::fprintf(f, "\n");
        }
        std::fprintf(f, "\n\n");
    }
    if (c.IP != 0 || c.IPO != 0) put_green_rule(f);
    std::fflush(f);
}
