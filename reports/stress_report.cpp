// Strength and mass tables of the blade rows and rotor disks, as the strength
// pass of the solver left them.
#include <initializer_list>

#include "case/walkers_internal.h"
#include "halvorine2/threading.h"
#include "halvorine2/units.h"
#include "reports/report_api.h"
#include "reports/report_format.h"
#include "reports/stage_starts.h"

namespace {

struct Column {
    const char* name;
    int group;  // unit group of its values; its label goes in the units row
};

// Header row of column names and the units row under it: a first field of 5
// characters, left-aligned, then fields of 12, right-aligned.
void put_table_head(std::FILE* f, std::initializer_list<Column> columns) {
    bool first = true;
    for (const Column& col : columns) {
        std::fprintf(f, first ? "%-5s" : " %12s", col.name);
        first = false;
    }
    std::fprintf(f, "\n");
    first = true;
    for (const Column& col : columns) {
        if (first)
            std::fprintf(f, "%-5s", "");
        else
            std::fprintf(f, " %12s", col.group == H2_UNIT_NONE ? "" : unitsLabel(col.group));
        first = false;
    }
    std::fprintf(f, "\n");
}

}  // namespace

extern "C" void report_stress(std::FILE* f) {
    const bdLocals* b = get_bdLocals();
    if (f == nullptr || !h2::results_case_ready(b)) return;
    const bdLocals& c = *b;
    using h2::view;
    constexpr int none = H2_UNIT_NONE, stress = H2_UNIT_STRESS, volume = H2_UNIT_VOLUME, mass = H2_UNIT_MASS;
    const int ns = c.cyld_ns;

    std::fprintf(f, "\n\nStress and mass report:\n\n");
    put_table_head(f, {{" i", none},
                       {" tm", H2_UNIT_TEMPERATURE},
                       {" dtm", H2_UNIT_TEMPERATURE},
                       {" g_b", H2_UNIT_DENSITY},
                       {" mu", stress},
                       {" lu", H2_UNIT_K_L_T},
                       {" sfy", none},
                       {" sflt", none},
                       {" sfc", none},
                       {" sfb", none},
                       {" sfs", none},
                       {" sb", stress},
                       {" sbx", stress}});
    for (int i = 1; i <= ns; ++i)
        std::fprintf(f, "%1c%-4d %12g %12g %12g %12.2e %12.2e %12g %12g %12g %12g %12g %12.2e %12.2e\n",
                     h2::is_rotor(c, i) ? 'r' : 's', i, h2::view_temperature(c.strs_tm[i]),
                     h2::view_temperature(c.strs_dtm[i]), view(c.strs_g_b[i], H2_UNIT_DENSITY),
                     view(c.strs_mu[i], stress), view(c.strs_lu[i], H2_UNIT_K_L_T), view(c.strs_sfy[i], none),
                     view(c.strs_sflt[i], none), view(c.strs_sfc[i], none), view(c.strs_sfb[i], none),
                     view(c.strs_sfs[i], none), view(c.strs_sb[i], stress), view(c.strs_sbx[i], stress));

    std::fprintf(f, "\nspecific for stators:\n");
    put_table_head(f, {{" i", none},
                       {" dl", stress},
                       {" sfry", none},
                       {" sfrlt", none},
                       {" sfrc", none},
                       {" sfrs", none},
                       {" dt", stress},
                       {" st", stress},
                       {" sl", stress},
                       {" vl", volume},
                       {" mass_l", mass},
                       {" vd", volume},
                       {" mass_d", mass}});
    for (int i = 1; i <= ns; ++i) {
        if (!h2::is_stator(c, i)) continue;
        std::fprintf(f, "s%-4d %12.2e %12g %12g %12g %12g %12.2e %12.2e %12.2e %12g %12g %12g %12g\n", i,
                     view(c.strs_dl[i], stress), view(c.strs_sfry[i], none), view(c.strs_sfrlt[i], none),
                     view(c.strs_sfrc[i], none), view(c.strs_sfrs[i], none), view(c.strs_dt[i], stress),
                     view(c.strs_st[i], stress), view(c.strs_sl[i], stress), view(c.strs_vl[i], volume),
                     view(c.strs_mass[i], mass), view(c.strs_vd[i], volume), view(c.strs_mass_d[i], mass));
    }

    std::fprintf(f, "\nspecific for rotors:\n");
    put_table_head(f, {{" i", none},
                       {" dstr", stress},
                       {" dsti", stress},
                       {" dstr_t", stress},
                       {" dsti_t", stress},
                       {" sc", stress},
                       {" smi", stress},
                       {" sr", stress},
                       {" cb", H2_UNIT_FORCE},
                       {" pv", H2_UNIT_FORCE},
                       {" sk", H2_UNIT_FREQUENCY},
                       {" lr", none},
                       {" nzf", none}});
    for (int i = 1; i <= ns; ++i) {
        if (!h2::is_rotor(c, i)) continue;
        std::fprintf(
            f, "r%-4d %12.2e %12.2e %12.2e %12.2e %12.2e %12.2e %12.2e %12g %12g %12g %12g %12g\n", i,
            view(c.strs_dstr[i], stress), view(c.strs_dsti[i], stress), view(c.strs_dstr_t[i], stress),
            view(c.strs_dsti_t[i], stress), view(c.strs_sc[i], stress), view(c.strs_smi[i], stress),
            view(c.strs_sr[i], stress), view(c.strs_cb[i], H2_UNIT_FORCE), view(c.strs_pv[i], H2_UNIT_FORCE),
            view(c.strs_sk[i], H2_UNIT_FREQUENCY), view(c.strs_lr[i], none), view(c.strs_nzf[i], none));
    }

    std::fprintf(f, "\nspecific for rotor disks:\n");
    put_table_head(f, {{" i", none},
                       {" md", none},
                       {" vd", volume},
                       {" mass_d", mass},
                       {" sr", stress},
                       {" st", stress},
                       {" vl", volume},
                       {" mass_l", mass}});
    for (int i = 1; i <= ns; ++i) {
        if (!h2::is_rotor(c, i)) continue;
        std::fprintf(f, "r%-4d %12g %12g %12g %12.2e %12.2e %12g %12g \n", i, view(c.bld_md[i], none),
                     view(c.strs_vd[i], volume), view(c.strs_mass_d[i], mass), view(c.strs_sl[i], stress),
                     view(c.strs_st[i], stress), view(c.strs_vl[i], volume), view(c.strs_mass[i], mass));
    }
}
