// The tables by stages and by elements of the full result report: mass flows
// and efficiencies of every stage, the loss-model terms of the stator rows,
// the cooling flows, the mass flows of every element and the gauging angles.
#include <cmath>

#include "case/walkers_internal.h"
#include "halvorine2/units.h"
#include "halvorine2/walkers.h"
#include "reports/report_format.h"
#include "reports/result_tables.h"
#include "reports/stage_starts.h"

namespace h2 {

namespace {

const char* label(int group) { return unitsLabel(group); }
double none(double x) { return view(x, H2_UNIT_NONE); }
double flow(double g) { return view(g, H2_UNIT_MASSFLOW); }
double enthalpy(double x) { return view(x, H2_UNIT_ENTHALPY); }
double force(double x) { return view(x, H2_UNIT_FORCE); }
double sq(double x) { return x * x; }

struct Tables {
    std::FILE* f;
    bdLocals& c;
    const ResultLayout& L;

    double mean(double* const* X, int k) const { return span_mean(X, k, L.m, L.NI, c.ZAG); }
    // The rotor of the turbine stage that element i starts; 0 when it starts
    // none, or when a second stator stands before the rotor (that stator's
    // own stage takes the rotor).
    int stage_rotor(int i) const {
        if (i >= L.ns || !stage_turbine_element(c, i) || is_turb_stage_start(i) == 0) return 0;
        return next_rotor(i);
    }
    // A turbine rotor without a stator in front: a stage of its own.
    bool lone_turbine_rotor(int i) const {
        return stage_turbine_element(c, i) && stage_rotor(i) == 0 && is_rotor(c, i) && prev_stator(i) == 0;
    }
    bool compressor_stage(int i) const {
        return !stage_turbine_element(c, i) && compressor_profiled(c, i) && i < L.ns &&
               is_comp_stage_start(i) != 0;
    }
};

// Heading and units lines of the two mass-flow tables (by stages and by elements).
void massflow_head(std::FILE* f, const char* head, const char* first, const char* units) {
    std::fprintf(f, head, first, "G1", "G2", "Gex1", "Gex2", "Ksep", "Gsep", "Gdu", "Gr", "Gdu/G1", "Gr/G1",
                 "RAD", "RUD");
    const char* g = label(H2_UNIT_MASSFLOW);
    const char* n = label(H2_UNIT_NONE);
    const char* F = label(H2_UNIT_FORCE);
    std::fprintf(f, units, "", g, g, g, g, g, g, g, g, n, n, F, F);
}

void massflow_by_stages(const Tables& t) {
    std::FILE* f = t.f;
    const bdLocals& c = t.c;
    {
        Coloured colour(kBrightWhite);
        const char* fmt = "%3s%12s%12s%12s%12s%12s%12s%12s%12s%12s%12s%12s%12s\n";
        massflow_head(f, fmt, "is", fmt);
    }
    std::fflush(f);
    int s = 1;
    for (int i = 0; i <= t.L.ns; ++i) {
        if (const int k = t.stage_rotor(i); k != 0) {
            std::fprintf(f, "%1s%-3d %11f %11f %11f %11f %11f %11f %11g %11g %11.4e %11.4e %11.4f %11.4f\n",
                         " ", s++, flow(c.elem_G1[i]), flow(c.elem_G2[k]), flow(c.elem_Gotb2[i]),
                         flow(c.elem_Gotb2[k]), flow(c.Ksep[i]), flow(c.elem_Gsep[k]), flow(c.elem_Gdu[i]),
                         flow(c.elem_Gr[k]), none(c.elem_Gdu[i] / c.elem_G1[i]),
                         none(c.elem_Gr[k] / c.elem_G1[i]), force(c.elem_RAL[i]), force(c.elem_RUL[i]));
            std::fflush(f);
        } else if (t.lone_turbine_rotor(i)) {
            std::fprintf(f, "%1s%-3d %11f %11f %11s %11f %11s %11f %11s %11g %11s %11.4e %11.4f\n", "r", s++,
                         flow(c.elem_G1[i]), flow(c.elem_G2[i]), " ", flow(c.elem_Gotb2[i]), " ",
                         flow(c.elem_Gsep[i]), " ", flow(c.elem_Gr[i]), " ",
                         none(c.elem_Gr[i] / c.elem_G1[i]), 0.0);
            std::fflush(f);
        } else if (t.compressor_stage(i)) {
            std::fprintf(f, "%3d %11f %11f %11f %11f %11f %11f %11g %11g %11.4e %11.4e %11.4f\n", s++,
                         flow(c.elem_G1[i]), flow(c.elem_G2[i + 1]), flow(c.elem_Gotb2[i]),
                         flow(c.elem_Gotb2[i + 1]), flow(c.Ksep[i]), flow(c.elem_Gsep[i + 1]),
                         flow(c.elem_Gdu[i + 1]), flow(c.elem_Gr[i]), none(c.elem_Gdu[i + 1] / c.elem_G1[i]),
                         none(c.elem_Gr[i] / c.elem_G1[i]), none(c.enrg_zrz[i]));
        }
    }
}

// Blade-speed ratio, loading, flow coefficient and exit-loss share of a
// turbine stage of isentropic drop H with blade speed u and outlet speed c2.
struct TurbineRatios {
    double uCo = 0.0, Ht = 0.0, czu = 0.0, Zout = 0.0;
};

void efficiency_by_stages(const Tables& t) {
    std::FILE* f = t.f;
    bdLocals& c = t.c;
    const ResultLayout& L = t.L;
    const bool analysis = !L.design;
    const int m = L.m;
    {
        Coloured colour(kBrightWhite);
        std::fprintf(f, "\n\n%3s%12s%12s%12s%12s%12s%12s%12s%12s%12s%12s%12s%12s%12s\n", "is", "u/Co", "Ht_",
                     "cz/u", "Rm", "Eff", "Eff*", L.expanding ? "Zg" : "Zb", L.expanding ? "Zb" : "Zg",
                     L.expanding ? "Zout" : "Zrz", "Ho", "Hox", "Lu", "Nst");
        const char* n = label(H2_UNIT_NONE);
        const char* h = label(H2_UNIT_ENTHALPY);
        std::fprintf(f, "%3s%12s%12s%12s%12s%12s%12s%12s%12s%12s%12s%12s%12s%12s\n", "", n, n, n, n, n, n, n,
                     n, n, h, h, h, label(H2_UNIT_POWER));
    }
    std::fflush(f);
    const auto power = [](double x) { return view(x, H2_UNIT_POWER); };
    int s = 1;
    for (int i = 0; i <= L.ns; ++i) {
        const double H = c.elem_H[i];
        if (const int k = t.stage_rotor(i); k != 0) {
            TurbineRatios r;
            if (H > 0.0) {
                const double u = c.flow_u2[k][m];
                if (u != 0.0) {
                    r.uCo = u / std::sqrt(2 * H);
                    if (analysis) r.Ht = c.elem_Ht[i] = H / sq(u);
                    r.czu = c.elem_sectType[i] == kAxialSections ? c.flow_c2z[i][m] / u
                                                                 : std::fabs(c.flow_c2r[i][m]) / u;
                } else if (analysis) {
                    c.elem_Ht[i] = 0.0;
                }
                r.Zout = sq(c.flow_c2[k][m]) / (2 * H);
            }
            std::fprintf(f,
                         "%1s%-3d %11f %11f %11f %11f %11f %11f %11f %11f %11f %11.2f %11.2f %11.2f %11.2f\n",
                         " ", s++, none(r.uCo), none(r.Ht), none(r.czu), none(c.elem_R[i]),
                         none(c.elem_eff[i]), none(c.elem_effx[i]), none(t.mean(c.enrg_zb, i)),
                         none(t.mean(c.enrg_zb, k)), none(L.expanding ? r.Zout : c.enrg_zrz[i]), enthalpy(H),
                         enthalpy(c.elem_Hx[i]), enthalpy(c.enrg_Lu[i][m]), power(c.elem_Ns[i]));
            std::fflush(f);
        } else if (t.lone_turbine_rotor(i)) {
            TurbineRatios r;
            if (H > 0.0) {
                const double u = c.flow_u2[i][m];
                r.uCo = u / std::sqrt(2 * H);
                if (analysis) r.Ht = c.elem_Ht[i] = H / sq(u);
                r.czu = c.flow_c2z[i][m] / u;
                r.Zout = sq(c.flow_c2[i][m]) / (2 * H);
            }
            // No stator in front: nothing under the first loss share; every
            // value stands under its own heading.
            std::fprintf(
                f, "%1s%-3d %11f %11f %11f %11f %11f %11f %11s %11f %11f %11.2f %11.2f %11.2f %11.2f\n", "r",
                s++, none(r.uCo), none(r.Ht), none(r.czu), none(c.elem_R[i]), none(c.elem_eff[i]),
                none(c.elem_effx[i]), "", none(t.mean(c.enrg_zb, i)), none(r.Zout), enthalpy(H),
                enthalpy(c.elem_Hx[i]), enthalpy(c.enrg_Lu[i][m]), power(c.elem_Ns[i]));
            std::fflush(f);
        } else if (t.compressor_stage(i)) {
            const double u = c.flow_u2[i][m];
            const double Lu = c.enrg_Lu[i][m];
            if (analysis) c.elem_Ht[i] = -Lu / sq(u);
            const double Ns = c.elem_Ns[i], G = c.elem_G1[i];
            std::fprintf(f, "%3d %11f %11f %11f %11f %11f %11f %11f %11f %11f %11.2f %11.2f %11.2f %11.2f\n",
                         s++, none(u / std::sqrt(std::fabs(-2 * H))), none(c.elem_Ht[i]),
                         none(c.flow_c2s[i][m] / u), none(c.elem_R[i]), none(c.elem_eff[i]),
                         none(c.elem_effx[i]), none(-t.mean(c.enrg_dhb, i) * G / Ns),
                         none(-t.mean(c.enrg_dhb, i + 1) * G / Ns), none(-sq(c.flow_c2[i + 1][m]) / 2 / Ns),
                         enthalpy(-H), enthalpy(-c.elem_Hx[i]), enthalpy(-Lu), power(Ns));
        } else if (analysis && i < L.ns && compressor_profiled(c, i) && is_rotor(c, i) &&
                   next_stator(i) == 0) {
            // A last compressor rotor: its loading is kept though it has no row.
            c.elem_Ht[i] = -c.enrg_Lu[i][m] / sq(c.flow_u2[i][m]);
        }
    }
    put_dash_rule(f);
    std::fflush(f);
}

// A dash rule, then the title of the table below it in the heading colour.
void titled_rule(std::FILE* f, const char* title) {
    put_dash_rule(f);
    Coloured colour(kBrightWhite);
    std::fputs(title, f);
}

// Terms of the stator-row loss model and the path efficiency they give.
void loss_model_by_stages(const Tables& t) {
    std::FILE* f = t.f;
    bdLocals& c = t.c;
    {
        Coloured colour(kBrightWhite);
        std::fprintf(f, "\nGE loses by stages:\n");
        const char* fmt = "%3s%11s%11s%11s%11s%11s%11s%11s%11s%12s%11s%12s\n";
        std::fprintf(f, fmt, "is", "TU", "PR", "KP", "PU", "PW", "PPR", "PZ", "EFF", "LU", "PBK", "GUT");
        const char* n = label(H2_UNIT_NONE);
        std::fprintf(f, fmt, "", n, n, n, n, n, n, n, n, label(H2_UNIT_ENTHALPY), n, label(H2_UNIT_MASSFLOW));
    }
    double NGE = 0.0;
    int s = 1;
    for (int i = 0; i < t.L.ns; ++i) {
        if (!is_stator(c, i)) continue;
        std::fprintf(f, "%3d %10f %10f %10f %10f %10f %10f %10f %10f %11.2f %10f %11f \n", s++,
                     none(c.GElos_TU[i]), none(c.GElos_PR[i]), none(c.GElos_KP[i]), none(c.GElos_PU[i]),
                     none(c.GElos_PW[i]), none(c.GElos_PPR[i]), none(c.GElos_PZ[i]), none(c.GElos_KPD[i]),
                     enthalpy(c.GElos_LU[i]), none(c.GElos_PBK[i]), flow(c.GElos_GDY[i]));
        NGE += c.GElos_LU[i] * c.elem_G2[i];
    }
    double EffGE = 0.0;
    if (c.cyld_H0 != 0.0) c.cyld_effGE = EffGE = NGE / c.cyld_H0 / c.cyld_G;  // the machine's inlet flow
    Coloured colour(kBrightWhite);
    std::fprintf(f, "\nNGE = %g %s\t\tEffGE=%g %s\n", view(NGE, H2_UNIT_POWER), label(H2_UNIT_POWER),
                 none(EffGE), label(H2_UNIT_NONE));
}

void cooling_by_stages(const Tables& t) {
    std::FILE* f = t.f;
    const bdLocals& c = t.c;
    titled_rule(f, "\nCooling rates and loses:\n");
    std::fprintf(
        f,
        " is   dG0cool  dG1cool  dG2cool  dH1cool  dH2cool  Effcool  Eff*cool dIcool1   dIcool2  T*mix1  "
        "T*mix2  Tboxl1  Tbosn1  Tboxl2  Tbosn2    tox1    tox2 \n");
    const char* g = label(H2_UNIT_MASSFLOW);
    const char* h = label(H2_UNIT_ENTHALPY);
    const char* n = label(H2_UNIT_NONE);
    const char* T = label(H2_UNIT_TEMPERATURE);
    std::fprintf(
        f, "       %-8s %-8s %-8s %-8s %-8s %-8s %-8s %-9s %-9s %-7s %-7s %-7s %-7s %-7s %-7s %-7s %-7s\n", g,
        g, g, h, h, n, n, h, h, T, T, T, T, T, T, n, n);
    int s = 1;
    for (int i = 0; i < t.L.ns; ++i) {
        if (!is_stator(c, i)) continue;
        // The rotor of the stator's stage; without one its columns read as an uncooled row's.
        const int k = next_rotor(i);
        const auto rotor = [k](const double* X) { return k != 0 ? X[k] : 0.0; };
        std::fprintf(f,
                     "%3d %8.3f %8.3f %8.3f %8.1f %8.1f %8.4f %8.4f %9.1f %9.1f %7.1f %7.1f %7.1f %7.1f "
                     "%7.1f %7.1f %7d "
                     "%7d\n",
                     s++, flow(c.cool_DGOXL1[i]), flow(c.cool_DGOXL2[i]),
                     flow(rotor(c.cool_DGOXL1) + rotor(c.cool_DGOXL2)), enthalpy(c.cool_DHOXL[i]),
                     enthalpy(rotor(c.cool_DHOXL)), printable(c.elem_eff_cool[i]),
                     printable(c.elem_effx_cool[i]), enthalpy(c.cool_DIOXL[i]), enthalpy(rotor(c.cool_DIOXL)),
                     view_temperature(c.cool_TOXL[i]), view_temperature(rotor(c.cool_TOXL)),
                     view_temperature(c.cool_Tw_oxl[i]), view_temperature(c.cool_Tw_osn[i]),
                     view_temperature(rotor(c.cool_Tw_oxl)), view_temperature(rotor(c.cool_Tw_osn)),
                     truncated_int(c.cool_tox[i]), truncated_int(rotor(c.cool_tox)));
    }
    std::fprintf(f, "\nEffcool=%-8.4f Eff*cool=%-8.4f\n", printable(c.cyld_eff_cool),
                 printable(c.cyld_effx_cool));
}

void massflow_by_elements(const Tables& t) {
    std::FILE* f = t.f;
    const bdLocals& c = t.c;
    put_dash_rule(f);
    {
        Coloured colour(kBrightWhite);
        std::fprintf(f, "\nParameters by elements:\n");
        massflow_head(f, " %-2s%12s%12s%12s%12s%12s%12s%12s%12s%12s%12s%12s%12s\n", "i",
                      "%3s%12s%12s%12s%12s%12s%12s%12s%12s%12s%12s%12s%12s\n");
    }
    for (int i = 0; i <= t.L.ns; ++i) {
        std::fprintf(f, "%1s%-3d ", station_letter(c, i), i);
        std::fprintf(f,
                     "%11.4f %11.4f %11.4f %11.4f %11.4f %11.4f %11.4g %11.4g %11.4e %11.4e %11.4f %11.4f\n",
                     flow(c.elem_G1[i]), flow(c.elem_G2[i]), i == 0 ? 0.0 : flow(c.elem_Gotb2[i - 1]),
                     flow(c.elem_Gotb2[i]), flow(c.Ksep[i]), flow(c.elem_Gsep[i]), flow(c.elem_Gdu[i]),
                     flow(c.elem_Gr[i]), none(c.elem_Gdu[i] / c.elem_G1[i]),
                     none(c.elem_Gr[i] / c.elem_G1[i]), force(c.elem_RAL[i]), force(c.elem_RUL[i]));
    }
}

// Gauging angles of the tasks that adjust them for a given mass flow.
void angle_adjustments(const Tables& t) {
    std::FILE* f = t.f;
    const bdLocals& c = t.c;
    const char* a = label(H2_UNIT_ANGLE);
    const char* n = label(H2_UNIT_NONE);
    {
        Coloured colour(kBrightWhite);
        std::fprintf(f, "\nAngle`s adjustments results:\n");
        std::fprintf(f, "%3s%11s %11s%11s %11s%11s\n", "is", "B2a", "B2a_adj", "B2", "Scale", "Mask");
        std::fprintf(f, "%3s%11s%11s%11s %11s%11s\n", "", a, a, a, n, n);
    }
    const int m = t.L.m;
    for (int i = 0; i <= t.L.ns; ++i) {
        const bool rotor = is_rotor(c, i);
        const char* letter = i == 0 ? " " : is_stator(c, i) ? "s" : rotor ? "r" : "";
        std::fprintf(f, "%1s%-3d ", letter, i);
        const double angle = view(rotor ? 180.0 - c.cas_B2a[i][m] : c.cas_B2a[i][m], H2_UNIT_ANGLE);
        const double scale = c.ang_mask_factor * c.AngMask[i] + 1;
        std::fprintf(f, "%10g %10g %10g %10g %11s\n", printable(angle / scale), angle,
                     view(c.cas_B2[i][m], H2_UNIT_ANGLE), printable(scale),
                     c.AngMask[i] != 0.0 ? "yes" : "no");
    }
}

}  // namespace

void print_stage_tables(std::FILE* f, bdLocals& c, const ResultLayout& L) {
    const Tables t{f, c, L};
    titled_rule(f, "\nParameters by stages:\n");
    massflow_by_stages(t);
    efficiency_by_stages(t);
    if (L.expanding) {
        loss_model_by_stages(t);
        if (any_cooled() != 0 && std::fabs(c.cyld_sumHoxl) > kNoCoolingHeat) cooling_by_stages(t);
    }
    massflow_by_elements(t);
    if (c.cyld_VART == 40 || c.cyld_VART == 400) angle_adjustments(t);
}

}  // namespace h2
