// The full result report: the export files, the station tables, the stage and
// element tables, flow balances, choke lines, the integral summary and the
// blade profile areas with the stress report.
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "case/case_arrays.h"
#include "case/pitch_inputs.h"
#include "case/walkers_internal.h"
#include "halvorine2/flow_files.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/strength.h"
#include "halvorine2/threading.h"
#include "halvorine2/units.h"
#include "numerics/one_dim.h"
#include "reports/report_api.h"
#include "reports/report_format.h"
#include "reports/result_tables.h"
#include "reports/stage_starts.h"

namespace h2 {

namespace {

constexpr int kFirstAnalysisTask = 10;
constexpr double kDegree = 0.01745329;  // radians per degree

const char* label(int group) { return unitsLabel(group); }

// One column of a station table: heading, unit group and field width.
struct Column {
    const char* name;
    int group;
    int width;
};

// Heading line and units line of a station table, in the table's colour.
void station_head(std::FILE* f, const ResultLayout& L, std::initializer_list<Column> columns) {
    Coloured colour(kBrightWhite);
    std::fprintf(f, "\n %-3s", "i");
    if (L.NI > 1) std::fprintf(f, "%-4s", "j");
    for (const Column& col : columns) std::fprintf(f, "%*s", col.width, col.name);
    std::fprintf(f, "\n %-3s", "");
    if (L.NI > 1) std::fprintf(f, "%-4s", "");
    for (const Column& col : columns) std::fprintf(f, "%*s", col.width, label(col.group));
    std::fprintf(f, "\n");
}

// The rows of a station table: element by element, streamline by streamline,
// each begun by its element and streamline marks; value(i, j) prints the rest.
template <class Value>
void station_rows(std::FILE* f, const bdLocals& c, const ResultLayout& L, bool flush_rows, Value value) {
    for (int i = 0; i <= L.ns; ++i) {
        for (int j = 0; j < L.NI; ++j) {
            h2::put_station_marks(f, c, i, j, L.NI, L.jm);
            value(i, j);
            if (flush_rows) std::fflush(f);
        }
        if (L.NI > 1) std::fprintf(f, "\n");
    }
}

// Blade angle of element i on streamline j from a per-radius table of the
// element, or the single value on one streamline.
double angle_at(const ResultLayout& L, double* const* radii, double* const* angles, int i, double r) {
    if (L.NI == 1) return angles[i][0];
    return interp1(L.NI, radii[i], angles[i], r);
}

void inlet_velocity_table(std::FILE* f, const bdLocals& c, const ResultLayout& L) {
    constexpr int vel = H2_UNIT_VELOCITY, ang = H2_UNIT_ANGLE;
    station_head(f, L,
                 {{"u1", vel, 12},
                  {"c1", vel, 13},
                  {"c1z", vel, 13},
                  {"c1r", vel, 13},
                  {"c1u", vel, 13},
                  {"w1", vel, 13},
                  {"B1g", ang, 13},
                  {"B1", ang, 13},
                  {"ia", ang, 13},
                  {"A1", ang, 13},
                  {"r1", H2_UNIT_LENGTH, 13}});
    station_rows(f, c, L, false, [&](int i, int j) {
        std::fprintf(f, "%12g %12g %12g %12g %12g %12g %12f %12f %12f %12f %12f\n",
                     view(c.flow_u1[i][j], vel), view(c.flow_c1[i][j], vel), view(c.flow_c1z[i][j], vel),
                     view(c.flow_c1r[i][j], vel), view(c.flow_c1u[i][j], vel), view(c.flow_w1[i][j], vel),
                     view(angle_at(L, c.cas_ra1, c.cas_B1g, i, c.flow_r1[i][j]), ang),
                     view(c.cas_B1[i][j], ang), view(c.cas_iR[i][j], ang), view(c.cas_A1[i][j], ang),
                     view(c.flow_r1[i][j], H2_UNIT_LENGTH));
    });
}

// Gauging outlet angle of element i on streamline j.
double outlet_gauging_angle(const bdLocals& c, const ResultLayout& L, int i, int j) {
    const double kind = c.elem_stagType[i];
    if (kind == kInletVolute) return c.vol_A2[i];
    if (L.design) return kind == kBladeRow || kind == kDeswirler ? c.cas_B2a[i][j] : 0.0;
    return angle_at(L, c.cas_ra2, c.cas_B2a, i, c.flow_r2[i][j]);
}

void outlet_velocity_table(std::FILE* f, const bdLocals& c, const ResultLayout& L) {
    constexpr int vel = H2_UNIT_VELOCITY, ang = H2_UNIT_ANGLE;
    station_head(f, L,
                 {{"u2", vel, 12},
                  {"c2", vel, 13},
                  {"c2z", vel, 13},
                  {"c2r", vel, 13},
                  {"c2u", vel, 13},
                  {"w2", vel, 13},
                  {"B2a", ang, 13},
                  {"B2~", ang, 13},
                  {"dev", ang, 13},
                  {"A2~", ang, 13},
                  {"r2", H2_UNIT_LENGTH, 13}});
    station_rows(f, c, L, false, [&](int i, int j) {
        // Rotor angles past 90 degrees are shown from the other side.
        const bool stator = is_stator(c, i);
        const double B2 = c.cas_B2[i][j];
        const double A2 = c.elem_stagType[i] == kInletVolute ? c.vol_A2[i]
                          : stator                           ? c.cas_A2[i][j]
                                                             : 180.0 - c.cas_A2[i][j];
        std::fprintf(f, "%12g %12g %12g %12g %12g %12g %12g %12g %12f %12g %12f\n",
                     view(c.flow_u2[i][j], vel), view(c.flow_c2[i][j], vel), view(c.flow_c2z[i][j], vel),
                     view(c.flow_c2r[i][j], vel), view(c.flow_c2u[i][j], vel), view(c.flow_w2[i][j], vel),
                     view(outlet_gauging_angle(c, L, i, j), ang),
                     view(B2 <= 90.0 || stator ? B2 : 180.0 - B2, ang), view(c.cas_dR[i][j], ang),
                     view(A2, ang), view(c.flow_r2[i][j], H2_UNIT_LENGTH));
    });
}

void inlet_state_table(std::FILE* f, const bdLocals& c, const ResultLayout& L) {
    constexpr int none = H2_UNIT_NONE, ent = H2_UNIT_ENTHALPY, pr = H2_UNIT_PRESSURE;
    station_head(f, L,
                 {{"Ro1", H2_UNIT_DENSITY, 12},
                  {"i1*", ent, 13},
                  {"i1", ent, 13},
                  {"p1*", pr, 13},
                  {"p1", pr, 13},
                  {"s1", H2_UNIT_ENTROPY, 13},
                  {"T1", H2_UNIT_TEMPERATURE, 13},
                  {"Mc1", none, 13},
                  {"Mw1", none, 13},
                  {"R", none, 13},
                  {"r1", H2_UNIT_LENGTH, 13}});
    station_rows(f, c, L, false, [&](int i, int j) {
        std::fprintf(f, "%12g %12g %12g %12g %12g %12g %12g %12f %12f %12g %12f\n",
                     view(c.isd_Ro1[i][j], H2_UNIT_DENSITY), view(c.isd_i1x[i][j], ent),
                     view(c.isd_i1[i][j], ent), view(c.isd_p1x[i][j], pr), view(c.isd_p1[i][j], pr),
                     view(c.isd_s1[i][j], H2_UNIT_ENTROPY), view_temperature(c.isd_T1[i][j]),
                     view(c.flow_c1[i][j] / c.isd_a1[i][j], none),
                     view(c.flow_w1[i][j] / c.isd_a1[i][j], none), view(c.flow_R[i][j], none),
                     view(c.flow_r1[i][j], H2_UNIT_LENGTH));
    });
}

void outlet_state_table(std::FILE* f, const bdLocals& c, const ResultLayout& L) {
    constexpr int none = H2_UNIT_NONE, ent = H2_UNIT_ENTHALPY, pr = H2_UNIT_PRESSURE;
    // Without an entropy on the inlet row the fluid has none: the relative total
    // pressure is shown in place of the relative Mach number.
    const bool mach = c.isd_s2[0][0] != 0.0;
    station_head(f, L,
                 {{"Ro2", H2_UNIT_DENSITY, 12},
                  {"i2*", ent, 13},
                  {"i2", ent, 13},
                  {"p2*", pr, 13},
                  {"p2", pr, 13},
                  {"s2", H2_UNIT_ENTROPY, 13},
                  {"T2", H2_UNIT_TEMPERATURE, 13},
                  {"Mc2", none, 13},
                  {mach ? "Mw2" : "p2w*", mach ? none : pr, 13},
                  {L.expanding ? "x2" : "i2w*", L.expanding ? none : ent, 13},
                  {"r2", H2_UNIT_LENGTH, 13}});
    station_rows(f, c, L, false, [&](int i, int j) {
        const double w = mach ? view(c.flow_Mw2[i][j], none) : view(c.isd_p2wx[i][j], pr);
        double last = 0.0;
        if (!L.expanding)
            last = view(c.isd_i2wx[i][j], ent);
        else if (c.fluid_func != nullptr)
            last = view(
                c.fluid_func(H2_FLUID_DRYNESS, c.isd_p2[i][j], c.isd_i2[i][j], c.elem_af[i], H2_FLUID_MAIN),
                none);
        else
            last = NAN;
        std::fprintf(f, "%12g %12g %12g %12g %12g %12g %12g %12f %12g %12g %12f\n",
                     view(c.isd_Ro2[i][j], H2_UNIT_DENSITY), view(c.isd_i2x[i][j], ent),
                     view(c.isd_i2[i][j], ent), view(c.isd_p2x[i][j], pr), view(c.isd_p2[i][j], pr),
                     view(c.isd_s2[i][j], H2_UNIT_ENTROPY), view_temperature(c.isd_T2[i][j]),
                     view(c.flow_c2[i][j] / c.isd_a2[i][j], none), w, printable(last),
                     view(c.flow_r2[i][j], H2_UNIT_LENGTH));
    });
}

void loss_table(std::FILE* f, const bdLocals& c, const ResultLayout& L) {
    constexpr int none = H2_UNIT_NONE, ent = H2_UNIT_ENTHALPY, len = H2_UNIT_LENGTH;
    station_head(f, L,
                 {{"Xp", none, 8},
                  {"Xs", none, 9},
                  {"Xa", none, 9},
                  {"om_", none, 9},
                  {"Psi2", none, 9},
                  {"Fip", none, 9},
                  {"dHb", ent, 13},
                  {"dHd", ent, 13},
                  {"dHda", ent, 13},
                  {"tet2", H2_UNIT_ANGLE, 9},
                  {"kap2", none, 13},
                  {"l2", len, 14},
                  {"r2", len, 14},
                  {"Lu", ent, 14}});
    station_rows(f, c, L, true, [&](int i, int j) {
        const double psi = c.los_Los[i][j];
        std::fprintf(
            f, "%8.3f %8.3f %8.3f %8.4f %8.4f %8.4f %12.2f %12.2f %12.2f %9.2f %12.2f %13f%13f %12.2f\n",
            view(c.los_XP[i][j], none), view(c.los_XS[i][j], none), view(c.los_XA[i][j], none),
            view(c.los_om[i][j], none), view(psi * psi, none), view(c.los_Fp[i][j], none),
            view(c.enrg_dhb[i][j], ent), view(c.enrg_dhd[i], ent), view(c.enrg_dhDA[i], ent),
            view(c.cas_t2[i][j], H2_UNIT_ANGLE), view(c.cas_kapa2[i][j], none), view(c.bld_l2[i], len),
            view(c.flow_r2[i][j], len), view(c.enrg_Lu[i][j], ent));
    });
}

void put_massflow(std::FILE* f, const char* text, double g) {
    std::fprintf(f, text, view(g, H2_UNIT_MASSFLOW), label(H2_UNIT_MASSFLOW));
}

// The choke mass flows found and the blockage of radial compressor rows.
void choke_lines(std::FILE* f, const bdLocals& c, const ResultLayout& L) {
    for (int i = 0; i <= L.ns; ++i) {
        const double gmax = c.elem_Gmax[i];
        if (compressor_profiled(c, i)) {
            if (c.elem_sectType[i] == kAxialSections) {
                if (is_rotor(c, i) && gmax != 0.0) put_massflow(f, "Chock parameters:\tGmax=%g %s\n", gmax);
            } else if (c.elem_sectType[i] == kRadialSections) {
                const double blck = printable(c.cas_blck[i][L.m]);
                if (is_rotor(c, i)) {
                    std::fprintf(f, "Blade    r%-2d blockage:  Blck=%g\n", i, blck);
                    if (gmax != 0.0) put_massflow(f, "             chock parameters:\tGmax=%g %s\n", gmax);
                } else if (is_stator(c, i)) {
                    std::fprintf(f, "Nozzle   s%-2d blockage:  Blck=%g\n", i, blck);
                } else if (c.elem_stagType[i] == kVanelessDiffuser) {
                    std::fprintf(f, "Diffuser s%-2d blockage:  Blck=%g\n", i, blck);
                }
            }
        } else if (gmax != 0.0) {
            std::fprintf(f, "Element %-2d chock parameters:\tGmax=%g %s\n", i, view(gmax, H2_UNIT_MASSFLOW),
                         label(H2_UNIT_MASSFLOW));
        }
    }
}

// Hub, mean and tip diameters of the element pairs of a design task.
void diameter_table(std::FILE* f, const bdLocals& c, const ResultLayout& L) {
    const char* fmt = "%4s%11s%11s%11s%11s%11s%11s%11s%11s%11s%11s%11s%11s%11s%11s\n";
    std::fprintf(f, fmt, "is", "Dh0", "Dh1", "Dh2", "Dh3", "D0", "D1", "D2", "D3", "Dt0", "Dt1", "Dt2", "Dt3",
                 "cz_", "Ht_");
    const char* m = label(H2_UNIT_LENGTH);
    const char* n = label(H2_UNIT_NONE);
    std::fprintf(f, fmt, "", m, m, m, m, m, m, m, m, m, m, m, m, n, n);
    auto d = [](double x) { return view(x, H2_UNIT_LENGTH); };
    int k = !L.expanding && c.elem_Ht[1] == 0.0 ? 2 : 1;
    for (int s = 1; k < L.ns; k += 2, ++s)
        std::fprintf(f, "%4d%11g%11g%11g%11g%11g%11g%11g%11g%11g%11g%11g%11g%11g%11g\n", s,
                     d(2 * c.bld_Rh1[k]), d(2 * c.bld_Rh2[k]), d(2 * c.bld_Rh1[k + 1]),
                     d(2 * c.bld_Rh2[k + 1]), d(c.bld_d1[k]), d(c.bld_d2[k]), d(c.bld_d1[k + 1]),
                     d(c.bld_d2[k + 1]), d(2 * c.bld_Rt1[k]), d(2 * c.bld_Rt2[k]), d(2 * c.bld_Rt1[k + 1]),
                     d(2 * c.bld_Rt2[k + 1]), printable(c.elem_cz_[k]), printable(c.elem_Ht[k]));
}

// Element i is a blade row with axial sections behind an element with axial sections.
bool axial_blade_row(const bdLocals& c, int i) {
    return c.elem_sectType[i] == kAxialSections && c.elem_sectType[i - 1] == kAxialSections &&
           c.elem_stagType[i] == kBladeRow;
}

void mass_line(std::FILE* f, const bdLocals& c, const ResultLayout& L) {
    if (L.design && c.cyld_mass != 0.0) std::fprintf(f, "cyld__mass = %g\n", printable(c.cyld_mass));
}

// Section areas of the turbine blade rows from the section models against the
// quick estimate from the chord and turning, and the volume and mass of each row.
void turbine_profile_areas(std::FILE* f, bdLocals& c, const ResultLayout& L) {
    init_model();
    if (c.elem_sectType[0] == kAxialSections) {
        std::fprintf(f, "\nTurbine profile areas estimation:\n\n");
        // The models come from the working directory's files when they are sound.
        const auto source = [&](int bit, const char* file) {
            return (c.model_source & bit) != 0 ? file : "built-in tables";
        };
        std::fprintf(f, "Section models: rotor %s, stator %s\n\n", source(H2_MODEL_ROTOR_FILE, "model_w.bin"),
                     source(H2_MODEL_STATOR_FILE, "model_g.bin"));
    }
    for (int i = 1; i <= L.ns; ++i) {
        if (!axial_blade_row(c, i)) continue;
        for (int j = 0; j < L.NI; ++j) {
            double a = c.cas_B2a[i][j];
            if (a > 90.0) a = 180.0 - a;
            const double t = (180.0 - c.cas_B1g[i][j] - a) * kDegree;
            const double bx = c.cas_bx[i][j];
            const double estimate = bx * bx * (((0.0408 * t - 0.1035) * t + 0.14) * t - 0.0157);
            if (is_rotor(c, i) || !(1.01 * bx < c.cas_b[i][j]))
                WorkGeom(i, j, 1);
            else
                GuideGeom(i, j, 1);
            std::fprintf(f, "F_%d_%d = %g (%g)  Byct = %g Pmc = {%g, %g}\n", i, j,
                         view(c.prof_F[i][j], H2_UNIT_AREA), view(estimate, H2_UNIT_AREA),
                         view(c.cas_Byct[i][j], H2_UNIT_ANGLE), view(c.prof_Xst[i][j], H2_UNIT_LENGTH),
                         view(c.prof_Yst[i][j], H2_UNIT_LENGTH));
        }
        c.strs_vl[i] = (c.bld_l1[i] + c.bld_l2[i]) * c.prof_F[i][L.m] / 2 * c.bld_z[i];
        const double volume = bldVolume(i);
        std::fprintf(f, "Vb_%d = %g (%g) m = %g\n\n", i, view(c.strs_vl[i], H2_UNIT_VOLUME),
                     view(volume, H2_UNIT_VOLUME), view(c.strs_vl[i] * c.strs_g_b[i], H2_UNIT_MASS));
    }
    mass_line(f, c, L);
    term_model();
    if (c.elem_sectType[0] == kAxialSections && c.strs_policy != 0) report_stress(f);
}

void compressor_profile_areas(std::FILE* f, bdLocals& c, const ResultLayout& L) {
    std::fprintf(f, "\nCompressor profile areas estimation:\n\n");
    for (int i = 1; i <= L.ns; ++i) {
        if (!axial_blade_row(c, i)) continue;
        for (int j = 0; j < L.NI; ++j) ComprGeom(i, j);
        c.strs_vl[i] = bldVolume(i);
        const double volume = view(c.strs_vl[i], H2_UNIT_VOLUME);
        const double mass = view(c.strs_vl[i] * c.strs_g_b[i], H2_UNIT_MASS);
        const int z = truncated_int(c.bld_z[i]);
        std::fprintf(f, "Vb_%02d = %12g (%12g*%d) m = %12g (%12g*%d) Byct=%12g\n", i, volume,
                     printable(volume / c.bld_z[i]), z, mass, printable(mass / c.bld_z[i]), z,
                     printable(c.cas_Byct[i][L.m]));
    }
    mass_line(f, c, L);
}

// The flow files of the case, written under the name "expdata"; the case keeps its own name.
void write_exports(bdLocals& c) {
    char saved[sizeof c.name];
    std::memcpy(saved, c.name, sizeof saved);
    std::snprintf(c.name, sizeof c.name, "%s", "expdata");
    ExpDirectData("expdata.pbd");
    ExpData2Sch("expdata.sch");
    ExpData2Sch_Ax("expdata_Ax.sch");
    std::memcpy(c.name, saved, sizeof saved);
}

}  // namespace

ResultLayout result_layout(const bdLocals& c) {
    return {c.cyld_ns,      c.cyld_nr, (c.cyld_nr - 1) / 2, c.cyld_nr / 2, c.cyld_VART < kFirstAnalysisTask,
            is_expanding(c)};
}

bool stage_turbine_element(const bdLocals& c, int i) {
    return turbine_profiled(c, i) || c.elem_stagType[i] == kInletVolute;
}

void put_dash_rule(std::FILE* f) {
    Coloured colour(kGrey);
    put_rule(f, '-');
}

}  // namespace h2

extern "C" {

int has_stages(void) {
    const bdLocals* b = get_bdLocals();
    if (!h2::report_case_ready(b)) return 0;
    const bdLocals& c = *b;
    for (int i = 0; i < c.cyld_ns; ++i) {
        if (h2::turbine_profiled(c, i)) {
            if (is_turb_stage_start(i) != 0) return 1;
        } else if (h2::compressor_profiled(c, i) && is_comp_stage_start(i) != 0) {
            return 1;
        }
    }
    return 0;
}

void report_result(std::FILE* f) {
    bdLocals* b = get_bdLocals();
    if (!h2::report_case_ready(b)) return;
    if (f == nullptr) f = stdout;
    bdLocals& c = *b;
    const h2::ResultLayout L = h2::result_layout(c);

    h2::write_exports(c);
    if (c.IPI != 0) {
        std::fprintf(f, "\n");
        h2::Coloured colour(h2::kGreen);
        h2::put_rule(f, '=');
    }
    {
        h2::Coloured colour(h2::kBrightWhite);
        std::fprintf(f, "\n\t\t\t\t\t\tR E S U L T S");
        std::fprintf(f, "\n\t\t\t\t\t\t=============\n");
    }
    h2::inlet_velocity_table(f, c, L);
    h2::put_dash_rule(f);
    h2::outlet_velocity_table(f, c, L);
    h2::put_dash_rule(f);
    h2::inlet_state_table(f, c, L);
    h2::put_dash_rule(f);
    h2::outlet_state_table(f, c, L);
    h2::put_dash_rule(f);
    h2::loss_table(f, c, L);

    if (has_stages() != 0) h2::print_stage_tables(f, c, L);
    std::fflush(f);

    if (L.expanding && (c.ITML != 0 || any_cooled() != 0)) report_flow_balances(f);
    std::fprintf(f, "\n");
    h2::choke_lines(f, c, L);
    if (L.design) h2::diameter_table(f, c, L);
    report_integral(f);
    // The section routines apply their pitch rule to the case; the report keeps the section
    // properties they compute but must not change the path a later run solves.
    const h2::PitchInputsGuard inputs(c);
    if (L.expanding)
        h2::turbine_profile_areas(f, c, L);
    else
        h2::compressor_profile_areas(f, c, L);
}
}
