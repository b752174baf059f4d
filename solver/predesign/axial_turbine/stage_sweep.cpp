// Sweep of one turbine stage of a solved case over six design variables:
// LPtau points map into the stage's reaction, diameters, heights and axial
// gap, each point rebuilds the stage geometry that follows and solves the
// whole case, and the admissible point of the best criterion is rebuilt,
// solved and reported.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "case/output_internal.h"
#include "case/run_driver.h"
#include "case/walkers_internal.h"
#include "halvorine2/case_data.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/lptau.h"
#include "halvorine2/output.h"
#include "halvorine2/predesign.h"
#include "halvorine2/profiles.h"
#include "halvorine2/stage_design.h"
#include "halvorine2/strength.h"
#include "halvorine2/threading.h"
#include "platform/fpenv.h"
#include "reports/report_api.h"
#include "solver/predesign/axial_turbine/turbine_design.h"
#include "solver/predesign/predesign_tables.h"
#include "solver/solver_api.h"
#include "solver/solver_conventions.h"

namespace {

using h2::fluid;

constexpr int kRebuilt = 0;
constexpr int kSolveFailed = 201;
constexpr int kNoBetterPoint = 202;

// The six swept variables: LPtau coordinates 0..5.
constexpr int kDims = 6;
constexpr int kMaxDims = 20;
enum { kReaction = 0, kStatorDiameter, kStatorDiameterPerHeight, kDiameterRatio, kHeightRatio, kAxialGap };

// Full 2 pi for the pitch of a section radius.
constexpr double kTwoPiExact = 6.283185307179586;
// A row whose chord exceeds its axial chord by more than this takes the stator model.
constexpr double kStatorModelChordRatio = 1.01;
// Seals of the rebuilt stage: axial gaps before the gap sizes, the diaphragm
// seal at 0.65 of the smaller hub diameter, seal clearances a thousandth of
// their diameters, the rotor's axial gap 1.25 times the stator's.
constexpr double kSealGap = 0.002;
constexpr double kDiaphragmSealRatio = 0.65;
constexpr double kSealClearanceRatio = 0.001;
constexpr double kRotorGapRatio = 1.25;
// A second stator's inlet height over the exit height of the row before it.
constexpr double kInletHeightRatio = 1.01;
// A radial stator's inlet lies five blade heights outside its exit.
constexpr double kRadialInletHeights = 5.0;
// Tip clearance bound of the stator, m.
constexpr double kMaxTipClearance = 0.05;

double criterion(const bdLocals& b, int es) {
    switch (b.S2form) {
        case 0:
            return b.elem_eff[es];
        case 1:
            return b.elem_effx[es];
        case 2:
            return b.cyld_eff;
        default:
            return b.cyld_effx;
    }
}

bool within(double lo, double x, double hi) { return lo <= x && x <= hi; }

// Stator exit angle, rotor exit angle, stator hub reaction and the rotor's
// hub and shroud diameters in their ranges.
bool admissible(const bdLocals& b, int es, int er) {
    const int m = h2::mid_stream(b);
    return within(b.S2minA1, b.cas_B2eff[es][m], b.S2maxA1) &&
           within(b.S2minB2, 180.0 - b.cas_B2eff[er][m], b.S2maxB2) &&
           within(b.S2minHubR, b.elem_Rh[es], b.S2maxHubR) &&
           within(b.S2minHubD, b.bld_d2[er] - b.bld_l2[er], b.S2maxHubD) &&
           within(b.S2minShroudD, b.bld_d2[er] + b.bld_l2[er], b.S2maxShroudD);
}

// The private copy of the solved start, released (and the case made current
// again) on every way out.
class StartCopy {
public:
    explicit StartCopy(bdLocals* b) : b_(b), copy_(copy_probdata(b, nullptr)) { set_bdLocals(b_); }
    ~StartCopy() {
        if (copy_ == nullptr) return;
        set_bdLocals(copy_);
        bterm();
        set_bdLocals(b_);
    }
    StartCopy(const StartCopy&) = delete;
    StartCopy& operator=(const StartCopy&) = delete;
    bool made() const { return copy_ != nullptr; }
    // The case as the sweep started; false when the copy could not be put back.
    bool restore() const { return copy_probdata(copy_, b_) == b_; }

private:
    bdLocals* b_;
    bdLocals* copy_;
};

class LockedRegion {
public:
    LockedRegion() : lock_(get_bdCritSec()) { EnterCritSec(lock_); }
    ~LockedRegion() { LeaveCritSec(lock_); }
    LockedRegion(const LockedRegion&) = delete;
    LockedRegion& operator=(const LockedRegion&) = delete;

private:
    CritSec* lock_;
};

// Point p rebuilt into the stage and solved: the solver's result.
int solve_point(int es, int er, int p) {
    SetStgPoint(es, er, p, kDims);
    stgPointPitch(es, er);
    RebuildStg(es, er);
    return bestXN();
}

void report_best(bdLocals& b) {
    calc_integral(1);
    start_dump();
    {
        LockedRegion locked;
        if (b.IPI > 0) {
            if (b.outDst != 1) PD_report_data(h2::console_stream(), 1);
            if (b.dump_stream != nullptr) PD_report_data(b.dump_stream, 1);
        }
        if (b.IPO > 1)
            h2::report_to_destinations(&b, report_result);
        else if (b.IPO > 0)
            h2::report_to_destinations(&b, report_integral);
        else if (b.IP > 0)
            h2::print_run_rule(&b);
    }
    stop_dump();
}

int sweep(bdLocals& b, int es, int er, int force) {
    const double c0 = criterion(b, es);
    h2::predesign::tables().count = 1;
    if (bestXN() == 0) calc_integral(1);

    const StartCopy start(&b);
    if (!start.made()) return kSolveFailed;
    LPT20init();

    double cb = 0.0;
    int ib = -1;
    int code = kSolveFailed;
    for (int i = b.S1range_begin; i <= b.S1range_end; ++i) {
        if (!start.restore()) {
            code = kSolveFailed;
            break;
        }
        if (solve_point(es, er, i) != 0) {
            code = kSolveFailed;
        } else {
            calc_integral(1);
            code = kRebuilt;
            const double c = criterion(b, es);
            if (c > cb && admissible(b, es, er)) {
                ib = i;
                cb = c;
                PushHistory(1, i, c, h2::predesign::module_records());
            } else {
                code = kNoBetterPoint;
            }
        }
        if (i == b.S1range_end) break;  // i + 1 would overflow at INT_MAX
    }

    if (ib >= 0) {
        if (force != 0 || c0 < cb) {
            code = kSolveFailed;
            if (start.restore() && solve_point(es, er, ib) == 0) {
                report_best(b);
                code = kRebuilt;
            }
        } else {
            code = kNoBetterPoint;
        }
    }
    // Without a rebuilt best point the case would keep the last point tried
    // instead of the host's solved case.
    if (code != kRebuilt) start.restore();
    return code;
}

}  // namespace

extern "C" {

void SetStgPoint(int es, int er, int p, int ndim) {
    bdLocals* bp = h2::turbine::design_case();
    if (bp == nullptr || es < 1 || er > bp->cyld_ns || es >= er) return;
    bdLocals& b = *bp;
    double u[kMaxDims] = {};
    LPT20init();  // a point of an unprepared sequence is no point of it
    LPT20point(static_cast<uint32_t>(p), std::clamp(ndim, 1, kMaxDims), u);
    auto v = [&u](int k, double lo, double hi) { return lo + u[k] * (hi - lo); };
    b.elem_R[er] = v(kReaction, b.S2minReact, b.S2maxReact);
    b.elem_R[es] = b.elem_R[er];
    b.bld_d2[es] = v(kStatorDiameter, b.S2minD1Mean, b.S2maxD1Mean);
    b.clrn_d1[es] = v(kAxialGap, b.S2minAxGap, b.S2maxAxGap);
    b.bld_l2[es] = b.bld_d2[es] / v(kStatorDiameterPerHeight, b.S2minD1L1, b.S2maxD1L1);
    b.bld_d2[er] = v(kDiameterRatio, b.S2minD2D1, b.S2maxD2D1) * b.bld_d2[es];
    b.bld_l2[er] = v(kHeightRatio, b.S2minL2L1, b.S2maxL2L1) * b.bld_l2[es];
    double* current = h2::predesign::module_records()[0].PD_VAL;
    current[0] = b.elem_R[er];
    current[1] = b.bld_d2[es];
    current[2] = b.bld_l2[es];
    current[3] = b.bld_d2[er];
    current[4] = b.bld_l2[er];
    current[5] = b.clrn_d1[es];
}

void stgPointPitch(int es, int er) {
    bdLocals* bp = h2::turbine::design_case();
    if (bp == nullptr || es < 1 || er > bp->cyld_ns || es >= er) return;
    bdLocals& b = *bp;
    const int nr = b.cyld_nr;
    // The sections below the last: equal radial steps from the hub to the tip.
    for (int j = 0; j <= nr - 2; ++j) {
        for (const int e : {es, er}) {
            const double r =
                nr == 2 ? b.bld_d2[e] / 2.0 : (b.bld_d2[e] - b.bld_l2[e]) / 2.0 + j * b.bld_l2[e] / (nr - 2);
            const double pitch = kTwoPiExact * r / b.bld_z[e];
            b.cas_tb[e][j] = pitch / (e == es ? b.cas_bx[e][j] : b.cas_b[e][j]);
            const double B2 = b.cas_B2eff[e][j];
            b.cas_Byct[e][j] = BetaUst(b.cas_B1g[e][j], B2 <= 90.0 ? B2 : 180.0 - B2, 0);
        }
    }
}

int RebuildStg(int es, int er) {
    bdLocals* bp = h2::turbine::design_case();
    if (bp == nullptr || es < 1 || er > bp->cyld_ns || es >= er) return 0;
    bdLocals& b = *bp;
    const int m = h2::mid_stream(b);

    // Section properties of rows that have none yet; the section routines
    // count the blades afresh from the pitch, the rows keep theirs.
    {
        const h2::turbine::SectionModels models(b);
        const double zs = b.bld_z[es], zr = b.bld_z[er];
        if (b.prof_B[es][m] == 0.0) {
            if (b.cas_b[es][m] <= kStatorModelChordRatio * b.cas_bx[es][m])
                WorkGeom(es, m, 1);
            else
                GuideGeom(es, m, 1);
        }
        if (b.prof_B[er][m] == 0.0) WorkGeom(er, m, 1);
        b.bld_z[es] = zs;
        b.bld_z[er] = zr;
    }

    const bool cooled = b.stgtd_cooled[es] != 0.0 || b.stgtd_cooled[er] != 0.0;
    const double hub_s = b.bld_d2[es] - b.bld_l2[es];
    const double hub_r = b.bld_d2[er] - b.bld_l2[er];
    b.clrn_SROY[er] = b.clrn_d1[er];
    b.clrn_SRO[er] = b.clrn_SROY[er];
    b.clrn_b1n[er] = b.clrn_b1n[es] = kSealGap;
    if (!cooled) b.bld_du[es] = kDiaphragmSealRatio * std::min(hub_r, hub_s);
    b.clrn_drd[es] = kSealClearanceRatio * b.bld_du[es];
    b.clrn_drr[er] = kSealClearanceRatio * b.bld_dub[er];
    b.clrn_d1[er] = kRotorGapRatio * b.clrn_d1[es];

    // Meridional slopes of the hub and tip lines from the stator exit to the
    // rotor exit, over the axial gap and the rotor's axial width.
    const double bx_r = b.prof_B[er][m];
    const double dD = b.bld_d2[er] - b.bld_d2[es];
    const double dL = b.bld_l2[er] - b.bld_l2[es];
    const double w = 2.0 * (b.clrn_d1[es] + bx_r);
    // A stage of no axial extent has no slope (rather than an infinite one).
    const double sa = w != 0.0 ? (dD + dL) / w : 0.0;
    const double sb = w != 0.0 ? (dD - dL) / w : 0.0;
    const double k1 = sa + sb, k2 = sa - sb;

    if (is_sect_type1(es) == 0) {
        if (es == 1) {
            b.bld_d1[1] = b.bld_d2[1];
            b.bld_l1[1] = b.bld_l2[1];
            b.bld_d2[0] = b.bld_d1[0] = b.bld_d1[1];
            b.bld_l2[0] = b.bld_l1[0] = b.bld_l1[1];
        } else {
            b.bld_d1[es] = b.bld_d2[es];
            b.bld_l1[es] = kInletHeightRatio * b.bld_l2[es - 1];
            if (b.bld_du[es] < std::min(hub_r, hub_s)) b.bld_du[es] = b.bld_du[es - 2];
        }
        b.bld_d1[er] = b.bld_d2[er] - k1 * bx_r;
        b.bld_l1[er] = b.bld_l2[er] - k2 * bx_r;
        double g1 = 0.0, g2 = 0.0, g3 = 0.0;
        stgGapSizes(b.bld_l2[er], &g1, &g2, &g3);
        b.clrn_b1n[er] = g1;
        b.bld_d1[er] += (g2 - g3) / 2.0;
        b.bld_l1[er] += g2 + g3;
        b.bld_l1[er] = std::min(b.bld_l1[er], b.bld_l2[er]);
    } else {
        b.bld_d1[es] = b.bld_d2[es] + kRadialInletHeights * b.bld_l2[es];
        b.bld_l1[es] = b.bld_l2[es];
        b.bld_d1[er] = b.bld_d2[es] - b.clrn_d1[es];
        b.bld_l1[er] = b.bld_l2[es];
    }
    if (!cooled) b.clrn_to[es] = std::min({b.prof_B[es][m], kMaxTipClearance, b.bld_l1[es]});
    b.stgtd_Tdy[es] = 1.0;
    b.stgtd_Tby[er] = 0.0;

    // Stator exit pressure: the reaction's share of the stage's isentropic
    // enthalpy drop from the stator inlet total state to the rotor exit pressure.
    const double s = fluid(b, H2_FLUID_S_PI, b.isd_p1x[es][m], b.isd_i1x[es][m], es);
    const double i2s = fluid(b, H2_FLUID_I_PS, b.isd_p2[er][m], s, es);
    b.isd_s1[es][m] = s;
    b.isd_p2[es][m] = fluid(b, H2_FLUID_P_IS, (b.isd_i1x[es][m] - i2s) * b.elem_R[er] + i2s, s, es);

    b.bld_d2s[es] = b.bld_d2[es];
    b.bld_d2s[er] = b.bld_d2[er];
    for (int e = 0; e <= b.cyld_ns; ++e)
        b.enrg_dhd[e] = b.enrg_dhDA[e] = b.GElos_DH[e] = b.GElos_DHD[e] = 0.0;
    return 0;
}

int OptStg2(int es, int er, int force) {
    bdLocals* b = h2::turbine::design_case();
    if (b == nullptr || es < 1 || er != es + 1 || er > b->cyld_ns) return kSolveFailed;
    h2::platform::FpEnvironmentGuard fp_environment;
    try {
        return sweep(*b, es, er, force);
    } catch (...) {
        set_bdLocals(b);
        return kSolveFailed;
    }
}
}
