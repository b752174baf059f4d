// Empirical breakdown of a turbine stage's efficiency into its losses, and the
// disk friction loss of one element.
#include "physics/loss_breakdown.h"

#include <algorithm>
#include <cmath>

#include "case/case_arrays.h"
#include "case/truncated_pi.h"
#include "case/walkers_internal.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/loss_plugin.h"
#include "halvorine2/profiles.h"
#include "halvorine2/threading.h"
#include "halvorine2/walkers.h"
#include "numerics/one_dim.h"
#include "physics/loss_host.h"
#include "physics/mix_streams.h"
#include "physics/profile_class.h"

namespace {

using h2::kUBend;
using h2::kVanelessDiffuser;

using h2::kDegree;
using h2::kPi;

using h2::is_expanding;

using h2::all_present;

constexpr int kFirstAnalysisTask = 10;  // cyld__VART below this selects a design task

// Velocity ratio u2/sqrt(2 H0) above which the fit is not read, and the ranges
// in which the reaction (per cent) the fit accepts is capped.
constexpr double kMaxVelocityRatio = 1.0;
constexpr double kLowVelocityRatio = 0.425;
constexpr double kMidVelocityRatio = 0.525;
constexpr double kLowRatioMaxReaction = 30.0;
constexpr double kMidRatioMaxReaction = 40.0;

constexpr double kFullAdmission = 0.999;    // Pa above this has no segment ends
constexpr double kDrynessWet = 0.9999;      // a dryness up to this is wet
constexpr double kMaxClearanceLoss = 10.0;  // per cent
// A loss term is a share of the stage's available energy: no less than none
// of it, no more than all of it.
constexpr double kWholeEnergy = 100.0;  // per cent

// cyld__MethodW
constexpr int kWetnessByDryness = 1;
constexpr int kWetnessOff = 2;

// Disk friction: the moment coefficient 0.0067 Re^-0.2 of a disk in a casing,
// read at the Reynolds number 1e6.
constexpr double kDiskReynolds = 1000000.0;
constexpr double kDiskMomentFactor = 0.0067;
// Axial gap between a centrifugal impeller's disk and its casing over the
// impeller's outlet radius, when the case gives none.
constexpr double kImpellerDiskGap = 0.02;
// A kinematic viscosity this large (m^2/s) is a fluid's "no answer".
constexpr double kNoViscosity = 1.0;

// Parameter t of the clrn__DB2 table loss over DB2/w (rows) and l/w (columns).
constexpr double kShroudGapGrid[] = {0.0, 0.2};
constexpr double kHeightGrid[] = {1.0, 2.0, 3.0, 4.0};
constexpr double kShroudT[] = {
    0.0, 0.0, 0.0, 0.0,  //
    0.0, 0.0, 6.0, 3.0,  //
};
// The table loss (per cent) over t (rows) and the reaction as a fraction
// (columns): A for rotors with radial clearance, B for the others.
constexpr double kTGrid[] = {0.0, 2.0, 4.0, 6.0};
constexpr double kReactionGrid[] = {0.0, 0.15, 0.3, 0.6};
constexpr double kTableLossA[] = {
    0.0, 0.0, 0.0, 0.0,  //
    0.2, 0.4, 0.6, 1.0,  //
    0.6, 1.1, 2.0, 3.3,  //
    3.0, 4.4, 6.0, 9.0,  //
};
constexpr double kTableLossB[] = {
    0.0, 0.0, 0.0, 0.0,   //
    0.3, 0.6, 0.8, 1.5,   //
    1.0, 2.0, 2.6, 4.0,   //
    4.4, 6.0, 8.0, 12.0,  //
};

// The current case when it holds every array read or written here and its
// counts fit them, else nullptr.
bdLocals* case_with_arrays() {
    bdLocals* b = get_bdLocals();
    // Without a case, or before its arrays exist, every read below would go through NULL.
    if (b == nullptr) return nullptr;
    if (!all_present(b->elem_af, b->isd_i1, b->isd_p1, b->isd_p2, b->flow_c2, b->flow_u2, b->elem_G1,
                     b->bld_d2, b->bld_l2, b->bld_d1, b->bld_wp, b->bld_z, b->bld_ZPR, b->clrn_drr,
                     b->clrn_Zrr, b->clrn_DB2, b->elem_Pa, b->elem_NSEGM, b->cas_B2, b->cas_B1g, b->cas_bx,
                     b->cas_b, b->isd_Ro2, b->elem_stagType, b->elem_sectType, b->elem_p0, b->elem_p2,
                     b->elem_Gdu, b->enrg_dhd))
        return nullptr;
    if (!all_present(b->GElos_TU, b->GElos_PR, b->GElos_KP, b->GElos_PU, b->GElos_PW, b->GElos_PPR,
                     b->GElos_PZ, b->GElos_KPD, b->GElos_LU, b->GElos_PBK, b->GElos_GDY, b->GElos_DHD,
                     b->GElos_DHK, b->GElos_DHPU, b->GElos_DHW, b->GElos_DHPR, b->GElos_DHRZ, b->GElos_DHB2,
                     b->GElos_DH))
        return nullptr;
    // Counts changed after the arrays were made would index past them, and
    // without a streamline there is no middle section to read.
    if (!h2::path_fits_arrays(b) || b->cyld_nr < 1) return nullptr;
    return b;
}

// A loss share in per cent, between none and the whole available energy.
// The fitted formulas hold near the design point; away from it (a stage that
// absorbs work, a reaction far outside the tables) they give shares below 0,
// which would take heat out of an adiabatic flow and lower its entropy, or
// above 100, which would heat it by more than the stage expands it.
double loss_share(double percent) { return std::clamp(percent, 0.0, kWholeEnergy); }

// Counters and switches held as doubles are read truncated towards zero.
bool truncates_to_zero(double v) { return std::trunc(v) == 0.0; }

// A value bound for the case; a failed property call must not spread from it.
double finite_or_zero(double v) { return std::isfinite(v) ? v : 0.0; }

// Base (peripheral) efficiency of the stage, per cent, fitted over the
// reaction rho (per cent), the velocity ratio X and the height term h.
double base_efficiency(double rho, double X, double h) {
    return 0.43656143 * rho - 0.003767857 * rho * rho + 45.3472 +
           (0.0167955 * rho * rho - 2.047149 * rho + 163.6349) * X +
           (2.66898 * rho - 0.0222495 * rho * rho - 158.76728) * X * X -
           (15.8969 * X * X - 10.7827 * X + 2.4916) * h;
}

}  // namespace

extern "C" {

int stage_loss_breakdown(int s) {
    bdLocals* b = case_with_arrays();
    if (b == nullptr) return 1;
    const int ns = b->cyld_ns;
    const int m = b->cyld_nr / 2;

    // Only a turbine nozzle row with a rotor behind it forms a stage.
    if (s < 0 || s >= ns) return 1;
    const bool turbine = b->cyld_VART < kFirstAnalysisTask ? is_expanding(*b) : is_turb_prof(s, m) != 0;
    if (!turbine) return 1;
    if (!(b->bld_wp[s] == 0.0 && b->bld_z[s] != 0.0)) return 1;
    if (b->elem_stagType[s] != h2::kBladeRow) return 1;
    const int r = next_rotor(s);
    if (r == 0) return 1;
    // Every state below comes from the main fluid.
    const FluidFunc F = b->fluid_func;
    if (F == nullptr) return 1;

    const double af = b->elem_af[s];
    const double i1 = b->isd_i1[s][m];
    const double p1 = b->isd_p1[s][m];
    const double pn = b->isd_p2[s][m];  // between nozzle and rotor
    const double p2 = b->isd_p2[r][m];
    const double c2 = b->flow_c2[r][m];
    const double u2 = b->flow_u2[r][m];
    const double G = b->elem_G1[s];
    const double D = b->bld_d2[s];
    const double ls = b->bld_l2[s];
    const double lr = b->bld_l2[r];
    const double delta = b->clrn_drr[r];
    // A degree of admission that is not positive is not given: full admission.
    const double Pa = b->elem_Pa[s] > 0.0 ? b->elem_Pa[s] : 1.0;
    const double Z = std::fabs(b->elem_NSEGM[s]);
    const double sin_alpha = std::sin(b->cas_B2[s][m] * kDegree);

    // Effective width of the rotor blade: its axial width along the stagger,
    // or its chord when no axial width is given.
    const double stagger = h2::BetaUstFit(b->cas_B1g[r][m], b->cas_B2[r][m], 0) * kDegree;
    double w = b->cas_bx[r][m] * std::cos(stagger);
    if (w == 0.0) w = b->cas_b[r][m] * std::cos(stagger);

    // Isentropic expansion through the stage, and the dryness at its ends.
    double x1 = F(H2_FLUID_DRYNESS, p1, i1, af, H2_FLUID_MAIN);
    const double s1 = F(H2_FLUID_S_PI, p1, i1, af, H2_FLUID_MAIN);
    F(H2_FLUID_RHO_PI, p1, i1, af, H2_FLUID_MAIN);
    const double ins = F(H2_FLUID_I_PS, pn, s1, af, H2_FLUID_MAIN);
    const double i2s = F(H2_FLUID_I_PS, p2, s1, af, H2_FLUID_MAIN);
    double x2 = F(H2_FLUID_DRYNESS, p2, i2s, af, H2_FLUID_MAIN);
    F(H2_FLUID_RHO_PI, p2, i2s, af, H2_FLUID_MAIN);

    // A stage whose pressures or isentropic enthalpies are no state (a march
    // stopped at a choked row before reaching it leaves zeros, a fluid asked
    // outside its range answers 1e20) has no breakdown: rated on them, the
    // losses came out near 1e20 and reached the host as results.
    // (A NaN is left to the guard of the stored values.)
    const auto failed = [](double v) { return std::fabs(v) >= h2::kPropertyFailureLimit; };
    if (p1 <= 0.0 || pn <= 0.0 || p2 <= 0.0 || failed(p1) || failed(pn) || failed(p2) || failed(ins) ||
        failed(i2s) || failed(i1))
        return 1;

    // Reaction (per cent): the rotor's share of the isentropic drop. A stage
    // without a drop has none; the share would divide by zero.
    double rho = i1 != i2s ? (ins - i2s) / (i1 - i2s) * 100.0 : 0.0;
    // Available energy: the isentropic drop less the exit kinetic energy.
    const double H0 = i1 - (c2 * c2 / 2.0 + i2s);
    // A stage that absorbs work (H0 < 0, far below its design flow) has its
    // enthalpy losses scaled by the magnitude of its energy: a negative H0
    // would turn every loss into a gain.
    const double E0 = std::fabs(H0);
    // Velocity ratio u2/sqrt(2 H0). Without available energy it takes its cap,
    // the limit as H0 falls to 0; the root would otherwise divide by zero.
    double X = H0 > 0.0 ? u2 / std::sqrt(2.0 * H0) : kMaxVelocityRatio;
    if (X > kMaxVelocityRatio) X = kMaxVelocityRatio;
    if (X < kLowVelocityRatio && rho > kLowRatioMaxReaction) rho = kLowRatioMaxReaction;
    if (X > kLowVelocityRatio && X < kMidVelocityRatio && rho > kMidRatioMaxReaction)
        rho = kMidRatioMaxReaction;

    // Short nozzle blades lose more; the term's cap is also its value at ls = 0.
    const double h = ls != 0.0 ? std::min((0.001 / ls - 0.004) * 100.0, 0.1) : 0.1;

    const double TU = base_efficiency(rho, X, h);

    // Disk friction with its partial-admission (idle arc) term; a zero exit
    // angle, diameter or blade height leaves out the term it would divide.
    double PR = 0.0;
    if (sin_alpha != 0.0) PR += (1.0 / Pa - 1.0) * (0.065 / sin_alpha) * X * X * X * 100.0;
    const double disk_divisor = D * kPi * lr * Pa * sin_alpha;
    if (disk_divisor != 0.0) PR += ((D - lr) * (D - lr) * 0.0006 * X * X * X) / disk_divisor * 100.0;
    PR = loss_share(PR);

    // Ends of the admission segments.
    double KP = 0.0;
    const double segment_divisor = D * kPi * ls * Pa * sin_alpha;
    if (Pa <= kFullAdmission && segment_divisor != 0.0)
        KP = loss_share((w * 0.25 * lr * X * Z * TU) / segment_divisor);

    // Diaphragm leakage: the model of slot D writes its flow into elem__Gdu[s],
    // which is read here and then restored, so the call leaves no trace.
    const double Gold = b->elem_Gdu[s];
    if (const LossElemFunc leakage = h2::installed_element_model(b, H2_LOSS_D, s)) leakage(b, s);
    const double Gd = b->elem_Gdu[s];
    b->elem_Gdu[s] = Gold;
    // A stage without mass flow has no leakage share.
    const double PU = G != 0.0 ? loss_share((TU - PR - KP) * (1.5 * Gd / G)) : 0.0;

    rho /= 100.0;  // a fraction from here on

    // Wetness. A dryness of exactly 0 is the fluid's mark for a state it does not split.
    if (x1 == 0.0) x1 = 1.0;
    if (x2 == 0.0) x2 = 1.0;
    const auto wet = [](double x) { return x >= 0.0 && x <= kDrynessWet; };
    double PW = 0.0;
    if (wet(x1) || wet(x2)) {
        if (x1 < 0.0 && x2 > 0.0) {
            // Dry inlet, wet outlet: the inlet's dryness from the saturation
            // enthalpies; where they meet (critical point) it stays dry.
            const double h_liquid = F(H2_FLUID_I_SAT_LIQUID, p1, p1, af, H2_FLUID_MAIN);
            const double h_vapour = F(H2_FLUID_I_SAT_VAPOUR, p1, p1, af, H2_FLUID_MAIN);
            if (h_vapour != h_liquid) x1 = (i1 - h_liquid) / (h_vapour - h_liquid);
        }
        const double y = std::max(x1, x2);
        double k = 0.0;
        if (b->cyld_MethodW == kWetnessOff) {
            k = 0.0;
        } else if (b->cyld_MethodW == kWetnessByDryness) {
            k = 1.0 - y;
        } else {
            k = ((2.0833 * rho * rho - 2.0417 * rho + 1.0) * (0.17 - 0.05 * y) * H0) / 419000.0 +
                (1.0 - y) * 0.98;
        }
        PW = loss_share((TU - PR - KP - PU) * k);
    }

    const double PPR = loss_share(2.0 * b->bld_ZPR[r]);

    // Radial clearance, for rotors without a shroud seal count; a rotor without
    // blade height has no clearance ratio.
    const bool open_tip = truncates_to_zero(b->clrn_Zrr[r]);
    const double clearance_ratio = lr != 0.0 ? delta / lr : 0.0;
    const double PZ =
        open_tip ? loss_share(std::min((TU - PR - KP - PU - PW - PPR) * (1.6 * rho + 1.44) * clearance_ratio,
                                       kMaxClearanceLoss))
                 : 0.0;

    // Table loss of the shroud gap clrn__DB2; a blade without width gives t = 0.
    const double gap_ratio = w != 0.0 ? b->clrn_DB2[r] / w : 0.0;
    const double height_ratio = w != 0.0 ? lr / w : 0.0;
    const double t = h2::interp2(2, 4, kShroudGapGrid, kHeightGrid, kShroudT, gap_ratio, height_ratio);
    const double PBK = loss_share(open_tip ? (1.3 - 0.2 * clearance_ratio) *
                                                 h2::interp2(4, 4, kTGrid, kReactionGrid, kTableLossA, t, rho)
                                           : h2::interp2(4, 4, kTGrid, kReactionGrid, kTableLossB, t, rho));

    const double KPD = (TU - PR - KP - PU - PW - PPR - PZ - PBK) / 100.0;

    // A failed property call gives NaN (and a degenerate state infinity); neither may reach the case.
    b->GElos_TU[s] = finite_or_zero(TU);
    b->GElos_PR[s] = finite_or_zero(PR);
    b->GElos_KP[s] = finite_or_zero(KP);
    b->GElos_PU[s] = finite_or_zero(PU);
    b->GElos_PW[s] = finite_or_zero(PW);
    b->GElos_PPR[s] = finite_or_zero(PPR);
    b->GElos_PZ[s] = finite_or_zero(PZ);
    b->GElos_KPD[s] = finite_or_zero(KPD);
    b->GElos_LU[s] = finite_or_zero(H0 * KPD);
    b->GElos_PBK[s] = finite_or_zero(PBK);
    b->GElos_GDY[s] = finite_or_zero(Gd);

    // Enthalpy losses from the stored per cent values.
    const auto enthalpy = [E0](double percent) { return finite_or_zero(percent / 100.0 * E0); };
    b->GElos_DHD[s] = enthalpy(b->GElos_PR[s]);
    b->GElos_DHK[s] = enthalpy(b->GElos_KP[s]);
    b->GElos_DHPU[s] = enthalpy(b->GElos_PU[s]);
    b->GElos_DHW[s] = enthalpy(b->GElos_PW[s]);
    b->GElos_DHPR[s] = enthalpy(b->GElos_PPR[s]);
    b->GElos_DHRZ[s] = enthalpy(b->GElos_PZ[s]);
    b->GElos_DHB2[s] = enthalpy(b->GElos_PBK[s]);
    // The disk friction loss is counted elsewhere (enrg__dhd), so it stays out of the sum.
    // Together the stage losses heat the flow by no more than the stage's
    // whole available energy: the terms are each capped, their sum is scaled.
    const double DH = b->GElos_DHK[s] + b->GElos_DHW[s] + b->GElos_DHPR[s] + b->GElos_DHRZ[s] +
                      b->GElos_DHB2[s] + b->GElos_DHPU[s];
    const double scale = DH > E0 ? E0 / DH : 1.0;
    for (double* term :
         {b->GElos_DHK, b->GElos_DHW, b->GElos_DHPR, b->GElos_DHRZ, b->GElos_DHB2, b->GElos_DHPU})
        term[s] *= scale;
    b->GElos_DH[s] = DH * scale;
    return 0;
}

double enclosed_disk_moment(double Re, double gap) {
    if (!(Re > 0.0) || !(gap > 0.0)) return 0.0;
    // The four flow regimes of the gap (laminar and turbulent, merged and
    // separate boundary layers); the measured moment follows the largest.
    const double merged_laminar = 2.0 * kPi / (gap * Re);
    const double separate_laminar = 3.70 * std::pow(gap, 0.1) / std::sqrt(Re);
    const double merged_turbulent = 0.080 / (std::pow(gap, 1.0 / 6.0) * std::pow(Re, 0.25));
    const double separate_turbulent = 0.102 * std::pow(gap, 0.1) / std::pow(Re, 0.2);
    return std::max({merged_laminar, separate_laminar, merged_turbulent, separate_turbulent});
}

double disk_friction_dhd(int i) {
    bdLocals* b = case_with_arrays();
    // An element outside the arrays has nothing to read or write.
    if (b == nullptr || i < 0 || i > b->cyld_ns) return 0.0;
    const int m = b->cyld_nr / 2;

    const bool radial = is_sect_type1(i) != 0;
    const double D = radial ? b->bld_d2[i] : (b->bld_d1[i] + b->bld_d2[i]) / 2.0;
    const double u = D * b->bld_wp[i] / 2.0;

    bool compressor = false;
    if (b->cyld_VART < kFirstAnalysisTask) {
        const double kind = b->elem_stagType[i];
        compressor =
            !(is_expanding(*b) || kind == kVanelessDiffuser || kind == kUBend || kind == h2::kDeswirler);
    } else {
        compressor = is_comp_prof(i, m) != 0;
    }
    // A radial turbine rotor's disk friction is part of its own loss model.
    if (!compressor && h2::is_rotor(*b, i) && radial) {
        b->enrg_dhd[i] = 0.0;
        return 0.0;
    }

    // The magnitudes of flow and density: a reversed or failed value would
    // make friction a gain.
    const double G = std::fabs(b->elem_G1[i]);
    if (compressor && radial && h2::is_rotor(*b, i)) {
        // A centrifugal impeller turns in a closed casing: the enclosed disk's
        // friction power, both faces (back face and shroud side), charged to
        // its flow.
        const double r2 = D / 2.0;
        const double wp = std::fabs(b->bld_wp[i]);
        double Re = kDiskReynolds;
        if (b->fluid_func != nullptr) {
            const double nu =
                b->fluid_func(H2_FLUID_NU_PI, b->isd_p2[i][m], b->isd_i2[i][m], b->cyld_af, H2_FLUID_MAIN);
            // A fluid without viscosity keeps the reference Reynolds number.
            if (nu > 0.0 && nu < kNoViscosity && wp > 0.0) Re = wp * r2 * r2 / nu;
        }
        const double power = 0.5 * enclosed_disk_moment(Re, kImpellerDiskGap) * std::fabs(b->isd_Ro2[i][m]) *
                             wp * wp * wp * std::pow(r2, 5.0);
        const double dhd = G != 0.0 ? finite_or_zero(power / G) : 0.0;
        b->GElos_DHD[i] = dhd;
        b->enrg_dhd[i] = dhd;
        return dhd;
    }

    // Friction moment of the disk, M ~ cf rho u^2 D^3 omega, per unit mass flow;
    // an element without mass flow gets none.
    const double dhd =
        G != 0.0 ? finite_or_zero(std::pow(kDiskReynolds, -0.2) * kDiskMomentFactor *
                                  std::fabs(b->bld_wp[i] * b->isd_Ro2[i][m]) * u * u * D * D * D / G)
                 : 0.0;
    b->GElos_DHD[i] = dhd;
    b->enrg_dhd[i] = dhd;
    return dhd;
}

}  // extern "C"
