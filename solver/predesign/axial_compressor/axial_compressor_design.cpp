// The axial compressor module generator: from a module record's design
// variables it lays out the stages (inlet, optional inlet guide vane, rotor and
// stator of every stage, optional outlet guide vane), sizes the first row and
// the outlet annulus, and converges the module by mean-line passes that scale
// the stage work until the outlet pressure target is met.
#include <algorithm>
#include <cmath>

#include "case/case_arrays.h"
#include "case/host_calls.h"
#include "halvorine2/fluid_plugin.h"
#include "reports/report_api.h"
#include "solver/predesign/axial_compressor/compressor_rows.h"
#include "solver/predesign/compressor_generators.h"
#include "solver/predesign/point_reason.h"
#include "solver/predesign/predesign_tables.h"
#include "solver/solver_conventions.h"

namespace h2::predesign {
namespace {

// Lines the corrupted-data texts name.
constexpr int kLineInletVelocity = 387;
constexpr int kLineInletAngle = 723;
constexpr int kLineGeometry = 854;
constexpr int kLineResults = 868;

constexpr int kResultPassLimit = 1;
constexpr int kResultLimit = 101;
constexpr int kResultGflag = 102;

// Efficiency the outlet estimate assumes.
constexpr double kEstimatedEfficiency = 0.9;
constexpr int kInletIterations = 15;
constexpr double kInletTolerance = 1e-6;
constexpr int kStageCountLimit = 50;
constexpr int kSettlingPasses = 10;
constexpr int kMinPassLimit = 150;
constexpr double kRelaxFloor = 0.25;
constexpr double kToleranceFloor = 1e-8;
constexpr double kAxialOutflow = 90.0;
// Guide-vane chord per blade height when the record gives none.
constexpr double kGuideVaneChord = 0.3;
// The smallest radial clearance, m.
constexpr double kMinClearance = 0.001;
// Wedge angles of the leading and trailing edges, degrees.
constexpr double kWedgeIn = 10.0;
constexpr double kWedgeOut = 5.0;
// A module followed by another without an outlet guide vane leaves a wider gap.
constexpr double kModuleGapFactor = 5.0;
// Chord rule of the stage rows: chord = l / (4 - (nu - 0.4) * 20/3), nu the hub ratio.
constexpr double kChordBase = 4.0;
constexpr double kChordHubRatio = 0.4;
constexpr double kChordSlope = 6.666666666666667;

// Prerequisite slots.
enum Slot {
    kProfSer = 30,
    kTu = 31,
    kBldK = 32,
    kRelChord = 33,
    kRelPitch = 34,
    kCasA = 35,
    kCasB = 36,
    kGapPerChord = 37,
    kClearance = 38,
    kZrr = 44,
    kZrd = 45,
    kSealGap = 46,
    kB1n = 47,
};

// Element kinds the layout writes.
constexpr double kModuleTypeAxial = 3.0;
constexpr double kLosTypeStage = 2.0;

double F(const bdLocals& b, int code, double x, double y) {
    return b.fluid_func(code, x, y, b.cyld_af, H2_FLUID_MAIN);
}

// What the generator reads of its record and case.
struct Design {
    int m = 0;
    int Dflag = 0;
    int g = 0, o = 0;
    double D = 0.0, x = 0.0, HT = 0.0, KU = 0.0, KZ = 0.0;
    bool restore = false;
    double omega = 0.0, G = 0.0, p0 = 0.0, i0 = 0.0;
};

double slot(const bdLocals& b, int k) { return prereq_slot(&b, k, 0.0); }

// The seven model switches, the scales and the prerequisite copies of a row.
void row_models(bdLocals& b, int e, int mid) {
    b.bld_Tu[e] = slot(b, kTu);
    b.bld_k[e] = slot(b, kBldK);
    b.cas_a_[e][mid] = slot(b, kCasA);
    b.cas_b_[e][mid] = slot(b, kCasB);
    copy_method_switches(b, e);
    b.los_scale[e] = 1.0;
    b.dev_scale[e] = 1.0;
    // A fresh row has no blockage yet: its whole annulus carries the flow (a
    // zero flow-area factor would size it infinitely high).
    if (b.los_Fp[e][mid] == 0.0) b.los_Fp[e][mid] = 1.0;
}

void row_kind(bdLocals& b, int e, double losType, int m, double stage) {
    b.elem_stagType[e] = 1.0;
    b.elem_losType[e] = losType;
    b.elem_Pa[e] = 1.0;
    b.elem_sectType[e] = 0.0;
    b.elem_moduleNum[e] = m;
    b.elem_stageNum[e] = stage;
}

// The pitch rule: blade count from the chord and relative pitch on the
// circumference, then the pitch and chord that count leaves.
void pitch_rule(bdLocals& b, int r, int mid) {
    b.cas_t[r][mid] = b.cas_b[r][mid] * b.cas_tb[r][mid];
    b.bld_z[r] = std::floor(kPi * b.bld_d2[r] / b.cas_t[r][mid]);
    b.cas_t[r][mid] = kPi * b.bld_d2[r] / b.bld_z[r];
    b.cas_bx[r][mid] = b.cas_t[r][mid] / b.cas_tb[r][mid];
    b.cas_b[r][mid] = b.cas_bx[r][mid];
}

double guide_vane_chord_factor(const bdLocals& b) {
    const double s = slot(b, kRelChord);
    return s != 0.0 ? s : kGuideVaneChord;
}

void zero_power(bdLocals& b) { b.cyld_Nc = b.cyld_eff = 0.0; }

}  // namespace

int AxCompDesign(int m) {
    bdLocals* bp = solvable_case();
    PD_module* rec = module(m);
    if (bp == nullptr || rec == nullptr) return 3;
    bdLocals& b = *bp;
    // The layout writes elements 0 to 2 before it knows the stage count.
    if (b.alloc_elems < 3) return 3;
    const int mid = mid_stream(b);

    Design d;
    d.m = m;
    d.Dflag = rec->Dflag;
    d.g = rec->Vflag == 1 || rec->Vflag == 3 ? 1 : 0;
    d.o = rec->Vflag == 2 || rec->Vflag == 3 ? 1 : 0;
    d.D = rec->PD_VAL[PD_VAR_D];
    d.x = rec->PD_VAL[PD_VAR_CZ];
    d.HT = rec->PD_VAL[PD_VAR_HT];
    d.KU = rec->PD_VAL[PD_VAR_KU];
    d.KZ = rec->PD_VAL[PD_VAR_KZ];
    d.restore = rec->restoreFlag != 0;
    d.omega = b.bld_wp[0];
    d.G = b.elem_G1[0];
    d.p0 = b.elem_p0[0];
    d.i0 = b.elem_i0[0];
    const double omega = d.omega;
    const double G = d.G;
    const double D = d.D;
    const int g = d.g;
    const int o = d.o;

    // Set-up.
    const double relax = relaxation(b.RELAX, kRelaxFloor);
    rec->elemsPerStage = 2;
    b.cyld_VARTD = d.Dflag;
    b.bld_wp[0] = 0.0;
    b.bld_wp[2] = 0.0;
    b.bld_wp[1] = omega;
    b.bld_d2s[0] = b.bld_d2s[1] = b.bld_d2s[2] = D;

    // Outlet estimate at an assumed efficiency.
    const double s0 = F(b, H2_FLUID_S_PI, d.p0, d.i0);
    const double rho0 = F(b, H2_FLUID_RHO_PI, d.p0, d.i0);
    const double h_is = F(b, H2_FLUID_I_PS, b.cyld_p2n, s0);
    const double h_out = d.i0 - (d.i0 - h_is) / kEstimatedEfficiency;

    if (rec->Gflag != 0 && rec->Gflag != 1) return kResultGflag;

    // First-row height and mean diameter.
    double l;
    if (rec->Gflag == 1)
        l = d.x;
    else
        l = d.Dflag == 0 ? D / (d.x - 1.0) : (d.Dflag == 2 ? D / (d.x + 1.0) : D / d.x);
    const double dm = mean_diameter(d.Dflag, D, l);
    b.bld_l2[1] = l;
    b.bld_d2[1] = dm;
    b.bld_l2[0] = b.bld_l1[0] = l;
    b.bld_d2[0] = b.bld_d1[0] = dm;
    b.elem_VARTD[0] = d.Dflag;
    const double l_in0 = l;

    double alpha = b.cas_B1[0][mid];
    if (alpha == 0.0) alpha = 90.0;
    const double sin_a = g == 1 ? 1.0 : std::sin(alpha * kDegree);
    const double cos_a = g == 1 ? 0.0 : std::cos(alpha * kDegree);
    const double A = kPi * l * dm;

    // Inlet velocity: the fixed point of continuity on the inlet isentrope
    // through the inlet area `area`, kept below half the speed of sound,
    // from the start value c; `found` tells whether it settled.
    const double a = F(b, H2_FLUID_SOUND_PI, d.p0, d.i0);
    bool not_a_number = false;
    const auto inlet_velocity = [&](double area, double c, bool& found) {
        found = false;
        not_a_number = std::isnan(c);
        for (int n = 0; n < kInletIterations; ++n) {
            if (!(c <= a / 2.0)) break;
            const double h = d.i0 - c * c / 2.0;
            const double p = F(b, H2_FLUID_P_IS, h, s0);
            const double rho = F(b, H2_FLUID_RHO_PI, p, h);
            const double c_next = G / (rho * area * sin_a);
            if (std::isnan(c_next)) {
                not_a_number = true;
                break;
            }
            if (std::fabs(c - c_next) / c < kInletTolerance) {
                found = true;
                return c_next;
            }
            c = c_next;
        }
        return c;
    };
    bool found = false;
    const double c = inlet_velocity(A, G / (rho0 * A * sin_a), found);
    if (!found) {
        if (not_a_number) reset_fpu();
        point_reason(
            "axial compressor module %d: no inlet velocity below half the speed of sound (%.4g m/s) "
            "carries %.4g kg/s through the first row's annulus of %.4g m2",
            m, a / 2.0, G, A);
        return corrupted_data(b, kAxCompSource, kLineInletVelocity);
    }

    const double cz_in = c * sin_a;
    b.flow_c1[1][mid] = c;
    b.flow_w1u[1][mid] = (g == 1 ? 0.0 : c * cos_a) - b.bld_d2[1] * 0.5 * omega;
    b.flow_w1[1][mid] = std::sqrt(cz_in * cz_in + b.flow_w1u[1][mid] * b.flow_w1u[1][mid]);

    // Outlet annulus from continuity at the outlet estimate, and the mean blade speed.
    const double cz_out = cz_in * d.KZ;
    const double rho_out =
        F(b, H2_FLUID_RHO_PI, b.cyld_p2n, h_out - (cz_out / sin_a) * (cz_out / sin_a) / 2.0);
    const double X = G / (rho_out * kPi * cz_out);
    double l_out;
    double U;
    if (d.Dflag == 0) {
        l_out = (std::sqrt(4.0 * X + D * D) - D) / 2.0;
        U = omega * (2.0 * D + l_in0 + l_out) / 4.0;
    } else if (d.Dflag == 2) {
        l_out = (D - std::sqrt(D * D - 4.0 * X)) / 2.0;
        U = omega * (2.0 * D - l_in0 - l_out) / 4.0;
    } else {
        l_out = X / D;
        U = omega * D / 2.0;
    }

    // Stage count from the loading coefficient. No work, or a count that is no
    // number, would divide by zero below or overflow the conversion.
    const double stages = std::ceil((h_out - d.i0) / (U * U * d.HT));
    if (!(stages >= 1.0) || stages >= kStageCountLimit) {
        if (!(b.cyld_p2n > d.p0))
            point_reason(
                "axial compressor module %d: outlet pressure %.6g Pa not above the inlet total pressure "
                "%.6g Pa",
                m, b.cyld_p2n, d.p0);
        else
            point_reason(
                "axial compressor module %d: pressure ratio %.4g needs %.4g stages at loading %.4g "
                "and blade speed %.4g m/s",
                m, b.cyld_p2n / d.p0, stages, d.HT, U);
        zero_power(b);
        return kResultLimit;
    }
    const int z = static_cast<int>(stages);
    if (!d.restore &&
        (z < std::trunc(rec->PD_LIM_lower[PD_LIM_STG]) || z > std::trunc(rec->PD_LIM_upper[PD_LIM_STG]))) {
        point_reason(
            "axial compressor module %d: pressure ratio %.4g needs %d stages at loading %.4g and blade "
            "speed %.4g m/s, outside the stage limits %g to %g",
            m, b.cyld_p2n / d.p0, z, d.HT, U, std::trunc(rec->PD_LIM_lower[PD_LIM_STG]),
            std::trunc(rec->PD_LIM_upper[PD_LIM_STG]));
        zero_power(b);
        return kResultLimit;
    }
    const int ns = g + 2 * z + o;
    // The model case holds the elements the composer sized it for; a restored
    // point may ask for more.
    if (ns + 1 > b.alloc_elems) {
        zero_power(b);
        return kResultLimit;
    }

    const int kmid = std::max(1, z / 2);
    const double cz_mean = (cz_in + cz_out) / 2.0;
    double dh_mean = (h_out - d.i0) / z;
    const double target = b.cyld_p2n / d.p0;
    b.cyld_ns = ns;

    // Element 0.
    b.elem_stagType[0] = 0.0;
    b.elem_Pa[0] = 0.0;
    b.elem_sectType[0] = 0.0;
    b.elem_moduleType[0] = kModuleTypeAxial;
    b.elem_VARTD[0] = d.Dflag;
    b.bld_wp[0] = 0.0;
    b.los_Los[0][mid] = 1.0;
    b.elem_cz_[0] = cz_in / U;
    const double alpha0 = g == 1 || b.cas_B1[0][mid] == 0.0 ? 90.0 : b.cas_B1[0][mid];
    ac_row_state(cz_in, alpha0);
    b.elem_p2[ns] = b.cyld_p2n;

    // Rows, written once.
    if (g == 1) {
        row_kind(b, 1, 0.0, m, 0.0);
        b.elem_VARTD[1] = d.Dflag;
        b.bld_wp[1] = 0.0;
        row_models(b, 1, mid);
        b.elem_profSer[1] = slot(b, kProfSer);
        b.cas_B2g[1][mid] = alpha;
    }
    for (int k = 0; k < z; ++k) {
        const int e = g + 1 + 2 * k;
        for (int r = e; r <= e + 1; ++r) {
            row_kind(b, r, kLosTypeStage, m, k);
            b.elem_moduleType[r] = kModuleTypeAxial;
            b.elem_VARTD[r] = d.Dflag;
            row_models(b, r, mid);
            b.elem_profSer[r] = 1.0;
            b.strs_g_b[r] = rec->bladeDensity;
        }
        b.bld_wp[e] = omega;
    }
    if (o == 1) {
        row_kind(b, ns, 0.0, m, z);
        b.elem_VARTD[ns] = d.Dflag;
        b.bld_wp[ns] = 0.0;
        row_models(b, ns, mid);
        b.elem_profSer[ns] = 1.0;
    }

    const bool module_follows = m < module_count() - 1;
    double l_in = l_in0;
    const int limit = std::max(b.IM, kMinPassLimit);
    const double tol = tolerance(b.acc_limit, kToleranceFloor);
    int pass = 0;
    for (; pass < limit; ++pass) {
        if (g == 1) {
            const int e = 1;
            b.bld_wp[e] = 0.0;
            b.elem_G1[e] = b.elem_G2[e] = G;
            b.bld_d2s[e] = D;
            b.bld_d2[1] = b.bld_d1[1] = b.bld_d2[0] = b.bld_d1[0] = mean_diameter(d.Dflag, D, l_in);
            b.flow_c2z[1][mid] = cz_mean;
            b.elem_cz_[1] = cz_mean / (b.bld_d1[1] * 0.5 * omega);
            b.cas_b[1][mid] = l_in * guide_vane_chord_factor(b);
            if (b.cas_tb[1][mid] == 0.0) b.cas_tb[1][mid] = slot(b, kRelPitch);
            pitch_rule(b, 1, mid);
            b.flow_r2[1][mid] = b.bld_d2[1] / 2.0;
            b.clrn_d1[1] = b.cas_b[1][mid] * slot(b, kGapPerChord);
            b.clrn_drd[1] = slot(b, kSealGap);
            b.clrn_Zrd[1] = slot(b, kZrd);
            ac_guide_vane_row(1, 1, alpha);
            b.bld_l1[1] = b.bld_l2[1];
            b.bld_l2[0] = b.bld_l1[0] = b.bld_l1[1];
        }

        for (int k = 0; k < z; ++k) {
            const int e = g + 1 + 2 * k;
            double cz_k = cz_mean;
            double dh_k = dh_mean;
            if (z > 1) {
                cz_k = (1.0 + (k - kmid) * (d.KZ - 1.0) / z) * cz_mean;
                dh_k = (1.0 + (k - kmid) * (d.KU - 1.0) / z) * dh_mean;
            }
            b.bld_wp[e] = omega;
            b.elem_G1[e] = b.elem_G2[e] = b.elem_G1[e + 1] = b.elem_G2[e + 1] = G;
            b.clrn_drd[e + 1] = slot(b, kSealGap);
            b.clrn_drr[e] = slot(b, kSealGap);
            b.clrn_b1n[e] = slot(b, kB1n);
            b.bld_d2s[e] = b.bld_d2s[e + 1] = D;

            if (pass == 0) {
                const double L = z > 1 ? l_in + (l_out - l_in) * (k + 1) / z : l_in;
                b.bld_d2[e] = b.bld_d2[e + 1] = mean_diameter(d.Dflag, D, L);
            } else {
                // Each row at the diameter its own height gives in the geometry.
                b.bld_d2[e] = mean_diameter(d.Dflag, D, b.bld_l2[e]);
                b.bld_d2[e + 1] = mean_diameter(d.Dflag, D, b.bld_l2[e + 1]);
            }
            if (g == 0 && k == 0)
                b.bld_d1[e] = b.bld_d2[e];
            else
                b.bld_d1[e] = b.elem_moduleNum[e] == b.elem_moduleNum[e - 1] ? b.bld_d2[e - 1] : b.bld_d2[e];
            b.bld_d1[e + 1] = b.bld_d2[e];

            if (pass >= 1) {
                b.clrn_to[e] = std::max(slot(b, kClearance) * b.bld_l2[e], kMinClearance);
                b.bld_dub[e] = b.bld_d2[e] + b.bld_l2[e] + b.clrn_to[e];
                b.cas_w1[e][mid] = b.cas_w1[e + 1][mid] = kWedgeIn;
                b.cas_w2[e][mid] = b.cas_w2[e + 1][mid] = kWedgeOut;
            }
            for (int r = e; r <= e + 1; ++r) {
                if (pass == 0) {
                    b.cas_b[r][mid] = b.bld_l2[0] / 3.0;
                    b.cas_tb[r][mid] = 1.0;
                } else {
                    const double nu = (b.bld_d2[r] - b.bld_l2[r]) / (b.bld_d2[r] + b.bld_l2[r]);
                    b.cas_b[r][mid] = b.bld_l2[r] / (kChordBase - (nu - kChordHubRatio) * kChordSlope);
                    if (slot(b, kRelChord) != 0.0) b.cas_b[r][mid] = b.bld_l2[r] * slot(b, kRelChord);
                }
                pitch_rule(b, r, mid);
            }
            b.clrn_d1[e + 1] = b.cas_b[e][mid] * slot(b, kGapPerChord);
            b.clrn_d1[e] = b.clrn_d1[e + 1];
            if (k == z - 1 && o == 0 && module_follows) b.clrn_d1[e + 1] *= kModuleGapFactor;
            b.clrn_Zrr[e] = slot(b, kZrr);
            b.clrn_Zrd[e + 1] = slot(b, kZrd);

            const double U_e = b.bld_d2[e] * 0.5 * omega;
            b.elem_Ht[e] = dh_k / (U_e * U_e);
            // The row in front keeps the axial velocity it was sized with: the
            // stage's own value there would break its continuity when KZ != 1.
            b.flow_c2z[e][mid] = b.flow_c2z[e + 1][mid] = cz_k;
            b.elem_cz_[e] = b.elem_cz_[e + 1] = cz_k / U_e;

            ac_rotor_row(e);
            ac_stator_row(e);
            if (pass > kSettlingPasses && (b.cas_B1g[e][mid] > 180.0 || b.cas_B1g[e + 1][mid] > 180.0))
                return corrupted_data(b, kAxCompSource, kLineInletAngle);
            b.bld_l1[e] = b.elem_moduleNum[e] == b.elem_moduleNum[e - 1] ? b.bld_l2[e - 1] : b.bld_l2[e];
            b.bld_l1[e + 1] = b.bld_l2[e];

            if (!d.restore) {
                const double hub = b.bld_d1[e] - b.bld_l1[e];
                const double tip = b.bld_d1[e] + b.bld_l1[e];
                const bool hub_low = hub < rec->PD_LIM_lower[PD_LIM_DH];
                const bool tip_high = tip > rec->PD_LIM_upper[PD_LIM_DS];
                if ((d.Dflag == 2 && hub_low) || (d.Dflag == 0 && tip_high) ||
                    (d.Dflag == 1 && (hub_low || tip_high))) {
                    point_reason(
                        "axial compressor module %d, row %d: hub diameter %.4g m or tip diameter %.4g m "
                        "outside the limits %.4g m and %.4g m",
                        m, e, hub, tip, rec->PD_LIM_lower[PD_LIM_DH], rec->PD_LIM_upper[PD_LIM_DS]);
                    zero_power(b);
                    return kResultLimit;
                }
                if (rec->PD_LIM_upper[PD_LIM_MACH] != 0.0) {
                    const double M = b.flow_w1[e][mid] / b.isd_a1[e][mid];
                    if (M < rec->PD_LIM_lower[PD_LIM_MACH] || M > rec->PD_LIM_upper[PD_LIM_MACH]) {
                        point_reason(
                            "axial compressor module %d, rotor %d: relative inlet Mach number %.4g "
                            "outside %.4g to %.4g",
                            m, e, M, rec->PD_LIM_lower[PD_LIM_MACH], rec->PD_LIM_upper[PD_LIM_MACH]);
                        return kResultLimit;
                    }
                }
            }
        }
        b.bld_l2[0] = b.bld_l1[g + 1];
        l_in = b.bld_l2[0];
        // The inlet element takes the first row's inlet height: its velocity
        // follows by continuity there, or the first row would be fed the
        // estimate's velocity and the inlet would carry another flow than G.
        bool settled = false;
        const double c_in = inlet_velocity(kPi * l_in * b.bld_d2[0], b.flow_c1[0][mid], settled);
        if (settled) {
            ac_row_state(c_in * sin_a, alpha0);
            b.bld_l2[0] = b.bld_l1[0] = l_in;
        }

        if (o == 1) {
            const int e = ns;
            b.bld_wp[e] = 0.0;
            b.elem_G1[e] = b.elem_G2[e] = G;
            b.bld_d2s[e] = D;
            b.bld_d2[e] = b.bld_d1[e] = mean_diameter(d.Dflag, D, l_out);
            b.clrn_Zrd[e] = slot(b, kZrd);
            b.elem_cz_[e] = b.elem_cz_[e - 1];
            b.flow_c2z[e][mid] = b.bld_d2[e - 1] * 0.5 * omega * b.elem_cz_[e];
            b.clrn_drd[e] = slot(b, kSealGap);
            b.cas_b[e][mid] = b.bld_l2[0] * guide_vane_chord_factor(b);
            if (b.cas_tb[e][mid] == 0.0) b.cas_tb[e][mid] = slot(b, kRelPitch);
            pitch_rule(b, e, mid);
            ac_guide_vane_row(e, 0, kAxialOutflow);
            b.bld_l1[e] = b.bld_l2[e - 1];
        }

        l_out = b.bld_l2[ns];
        const double ratio = (b.cyld_VARTP == 0 ? b.isd_p2[ns][mid] : b.isd_p2x[ns][mid]) / d.p0;
        if (std::isnan(ratio)) {
            reset_fpu();
            zero_power(b);
            return 3;
        }
        if (pass > kSettlingPasses && std::fabs(1.0 - target / ratio) < tol) break;
        dh_mean = dh_mean + (target / ratio - 1.0) * dh_mean * relax;
    }

    if (pass == limit) {
        point_reason(
            "axial compressor module %d: the work correction did not reach pressure ratio %.6g in %d "
            "passes",
            m, target, limit);
        zero_power(b);
        return kResultPassLimit;
    }
    if (ac_row_geometry(1, g, o, 0, ns) != 0) return corrupted_data(b, kAxCompSource, kLineGeometry);
    calc_integral(0);
    if (std::isnan(b.cyld_G) || std::isnan(b.cyld_Gv) || std::isnan(b.cyld_Nc) || std::isnan(b.cyld_eff) ||
        std::isnan(b.isd_p2[ns][mid])) {
        reset_fpu();
        return corrupted_data(b, kAxCompSource, kLineResults);
    }
    return 0;
}

}  // namespace h2::predesign
