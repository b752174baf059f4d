// Seal leakage of a turbine stage and the mass balance of the two cavities
// beside its rotor disk, with the core swirl profiles, the disk friction and
// the axial force on the disk.
#include "physics/seal_leakage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "case/case_arrays.h"
#include "case/output_internal.h"
#include "case/truncated_pi.h"
#include "case/walkers_internal.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/loss_plugin.h"
#include "halvorine2/output.h"
#include "halvorine2/threading.h"
#include "halvorine2/units.h"
#include "halvorine2/walkers.h"
#include "numerics/one_dim.h"
#include "physics/loss_host.h"

namespace {

using h2::kPi;
using h2::kTwoPi;
constexpr double kQuarterPi = kPi / 4.0;
static_assert(kQuarterPi == 0.7853981625, "the hole and load areas use pi/4 as 0.7853981625");

constexpr double kNoHoleSize = 1e-5;             // hole circle or hole diameter below this: no holes (m)
constexpr double kKinematicViscosity = 1.7e-05;  // of the cavity gas, lkgn__Re (m^2/s)
// The root-gap table is read at the gap Reynolds number DPOD C / nu scaled down by 500 twice.
constexpr double kGapReynoldsScale = 500.0;
// Turbulent friction of a disk face: cf = 0.0325 X^-0.2 at the disk Reynolds number X = r wp r / nu.
constexpr double kFrictionFactor = 0.0325;
constexpr double kFrictionExponent = -0.2;
constexpr double kKsiPerCf = 3.215;           // loss coefficient of a disk face per friction coefficient
constexpr double kDiskFrictionPower = 0.003;  // lkgn__DHD = 0.003 |wp|^3 rX^5 rhoY
constexpr double kStartSwirl = 0.5;           // core swirl before the march: the core turns at half the disk
constexpr double kNoThroughFlow = 1e6;        // swirl parameter of a cavity without through-flow
constexpr double kNoFlowVolume = 1e-6;        // volume flow below this counts as none (m^3/s)
constexpr double kMixOffset = 1e-6;           // keeps an enthalpy mix finite when two flows cancel (kg/s)
constexpr double kSpeedRatioOffset = 1e-6;    // keeps the hole speed ratio finite for a still jet (m/s)
constexpr double kSmallFlowShare = 1e-5;      // flows below cyld__G times this count as none
constexpr double kBalanceShare = 1e-5;        // hole flows of both balances agreeing to this share of G
constexpr double kSearchTolerance = 1e-8;     // false-position step, relative to the bracket
constexpr int kBracketSteps = 30;             // first walk over the pressure range
constexpr int kRefineSteps = 10;              // second walk over the bracket it found
constexpr double kBracketMargin = 1.0;        // widens a bracket past its end pressures (Pa)
constexpr double kDepthY = 8.0;  // cavity Y is sought down to 8 rotor pressure rises below balance
constexpr int kFirstRotor = 2;   // the first rotor: behind the inlet and the first stator

// Refusals. The texts are fixed; the number tells the checks apart.
constexpr const char* kStationOutOfRow = "ERRCODE_OUTOFRANGE: in seal_leakage.cpp line 1";
constexpr const char* kStageOutOfRange = "ERRCODE_OUTOFRANGE: in seal_leakage.cpp line 2";
constexpr const char* kNoMainFluid = "ERRCODE_CORRUPTED_DATA: in seal_leakage.cpp line 3";

// Root-gap discharge coefficient over (x/500, axial gap).
constexpr int kGapRows = 5, kGapCols = 5;
constexpr double kGapX[kGapRows] = {-5.0, 0.0, 5.0, 10.0, 15.0};
constexpr double kGapWidth[kGapCols] = {0.0008, 0.00125, 0.0018, 0.0025, 0.004};
constexpr double kGapTable[kGapRows * kGapCols] = {
    0.41, 0.24, 0.12, 0.08, 0.04,  // x -5
    0.12, 0.07, 0.04, 0.04, 0.02,  // x 0
    0.75, 0.45, 0.25, 0.15, 0.04,  // x 5
    0.9,  0.65, 0.47, 0.32, 0.15,  // x 10
    0.95, 0.7,  0.5,  0.37, 0.2,   // x 15
};
constexpr double kMaxGapWidth = 0.004;  // wider gaps behave like the widest of the table (m)
constexpr double kMaxDischarge = 1.0, kCappedDischarge = 0.99, kMinDischarge = 0.05;

// Balance-hole discharge coefficient over (speed ratio, hole length ratio).
constexpr int kHoleRows = 7, kHoleCols = 3;
constexpr double kHoleSpeedRatio[kHoleRows] = {0.0, 1.0, 2.0, 3.0, 4.0, 6.0, 8.0};
constexpr double kHoleLengthRatio[kHoleCols] = {0.1, 0.34, 1.0};
constexpr double kHoleTable[kHoleRows * kHoleCols] = {
    0.34, 0.7,  0.9,   // 0
    0.3,  0.46, 0.58,  // 1
    0.2,  0.3,  0.36,  // 2
    0.14, 0.24, 0.24,  // 3
    0.14, 0.18, 0.18,  // 4
    0.14, 0.14, 0.14,  // 6
    0.14, 0.14, 0.14,  // 8
};
constexpr double kHoleFloor = 0.14;       // a fast-turning disk or a tiny hole passes this share
constexpr double kMaxSpeedRatio = 6.0;    // above it the jet sees only the floor
constexpr double kMinHoleLength = 0.001;  // below it the length ratio is meaningless (m)

// Rotor i and the element in front of it lie in the case's arrays, and so
// do the hub and middle sections they are read at.
bool element_fits(const bdLocals* b, int i) {
    return b != nullptr && h2::path_fits_arrays(b) && b->cyld_nr >= 1 && i >= 1 && i <= b->cyld_ns;
}

// ... and the rotor's 11 swirl stations lie inside the station tables.
bool stage_fits(const bdLocals* b, int i) { return element_fits(b, i) && i <= h2::kLastSwirlRotor; }

// The rotor whose cavities are being balanced, or -1.
int leak_element(const bdLocals* b) {
    if (b == nullptr) return -1;
    const double e = b->lkg_elem;
    if (!(e >= 1.0 && e <= static_cast<double>(b->cyld_ns))) return -1;
    const int i = static_cast<int>(e);
    return element_fits(b, i) ? i : -1;
}

// num/den where den is not 0, else what the quotient stands for then.
double quotient_or(double num, double den, double fallback) { return den != 0.0 ? num / den : fallback; }

// (p_down/p_up)^KK1: the enthalpy ratio of an isentropic expansion from p_up
// to p_down. A trial pressure at or below 0 would divide by 0 or raise a
// negative base to a fractional power: nothing drives a flow from a pressure
// of 0 or less (ratio 1), and a flow into one expands completely (ratio 0).
double expansion_ratio(double p_down, double p_up, double KK1) {
    if (!(p_up > 0.0)) return 1.0;
    if (!(p_down > 0.0)) return 0.0;
    return std::pow(p_down / p_up, KK1);
}

// Diaphragm seal flow of element ps into elem__Gdu[ps], from model D when it
// is installed (the data file sets no D switch, so the entry alone decides);
// without one elem__Gdu keeps its value.
void seal_model(bdLocals* b, int ps) {
    if (const LossElemFunc D = h2::installed_element_model(b, H2_LOSS_D, ps)) D(b, ps);
}

// The jet of speed C (negative into the cavity) through a root gap of axial
// width gap and area F at density rho: discharge coefficient, effective
// speed and mass flow.
struct GapJet {
    double M;
    double C;
    double G;
};
GapJet root_gap_jet(double C, double gap, double F, double rho, double nu) {
    const double M = root_gap_discharge(quotient_or(gap * C, nu * kGapReynoldsScale, 0.0), gap);
    const double Ce = C * M;
    return {M, Ce, F * rho * Ce};
}

// Balance-hole discharge at jet speed |C| of rotor i: the speed ratio uses the
// size of the disk speed, since a disk turning the other way (wp < 0) would
// read the table far below its first row, where it rises without bound. The
// case holds no disk thickness, so the holes count as long as they are wide.
double hole_jet_discharge(const bdLocals* b, int i, double C_abs) {
    const double u = std::abs(b->bld_wp[i]) * 0.5 * b->clrn_ORO[i];
    return hole_discharge(u / (C_abs + kSpeedRatioOffset), b->clrn_DRO[i], b->clrn_DRO[i]);
}

double view(double value, int group) { return unitsToView(value, group); }
const char* label(int group) {
    const char* text = unitsLabel(group);
    return text != nullptr ? text : "";
}

// The X balance's iteration line: its defect relative to the larger of the
// seal and root-gap flows (0 without holes, or when neither flows).
void print_x_line(const bdLocals* b, int i, int ps, double P11, bool holes) {
    const double GDY = b->lkgn_GDY[ps], GP = b->lkgn_GP[i];
    const double delta =
        holes ? quotient_or(GDY - GP - b->lkgn_GRO[i], std::max(GDY, std::abs(GP)), 0.0) : 0.0;
    const char* p = label(H2_UNIT_PRESSURE);
    const char* g = label(H2_UNIT_MASSFLOW);
    put_dump("X%02d: P11=%g %s GDY=%g %s GROX=%g %s GPX=%g %s delta=%g\n", i, view(P11, H2_UNIT_PRESSURE), p,
             view(GDY, H2_UNIT_MASSFLOW), g, view(b->lkgn_GROX[i], H2_UNIT_MASSFLOW), g,
             view(GP, H2_UNIT_MASSFLOW), g, delta);
}

void print_y_line(const bdLocals* b, int i, int ps, double P21, bool holes) {
    const double GDYY = b->lkgn_GDYY[ps], GPY = b->lkgn_GPY[i];
    const double delta =
        holes ? quotient_or(GDYY + GPY - b->lkgn_GRO[i], std::max(GDYY, std::abs(GPY)), 0.0) : 0.0;
    const char* p = label(H2_UNIT_PRESSURE);
    const char* g = label(H2_UNIT_MASSFLOW);
    put_dump("Y%02d: P21=%g %s PX=%g %s PY=%g %s GPY=%g %s GROY=%g %s GDYY=%g %s delta=%g\n", i,
             view(P21, H2_UNIT_PRESSURE), p, view(b->lkgn_PX[i], H2_UNIT_PRESSURE), p,
             view(b->lkgn_PY[i], H2_UNIT_PRESSURE), p, view(GPY, H2_UNIT_MASSFLOW), g,
             view(b->lkgn_GROY[i], H2_UNIT_MASSFLOW), g, view(GDYY, H2_UNIT_MASSFLOW), g, delta);
}

// One row of station radii and one of swirl ratios.
void print_stations(const double* rd, const double* zd) {
    for (int k = 0; k < h2::kSwirlStations; ++k) put_dump("%10.3e ", view(rd[k], H2_UNIT_LENGTH));
    put_dump("\n");
    for (int k = 0; k < h2::kSwirlStations; ++k) put_dump("%10.3e ", zd[k]);
    put_dump("\n");
}

}  // namespace

namespace h2 {

double clamp_root_gap_discharge(double m) {
    if (m > kMaxDischarge) return kCappedDischarge;
    if (m < kMinDischarge) return kMinDischarge;
    return m;
}

}  // namespace h2

extern "C" {

double root_gap_discharge(double x, double gap) {
    gap = std::min(gap, kMaxGapWidth);
    return h2::clamp_root_gap_discharge(
        h2::interp2(kGapRows, kGapCols, kGapX, kGapWidth, kGapTable, x / kGapReynoldsScale, gap));
}

double hole_discharge(double x, double a, double b) {
    if (x > kMaxSpeedRatio || b < kMinHoleLength) return kHoleFloor;
    return h2::interp2(kHoleRows, kHoleCols, kHoleSpeedRatio, kHoleLengthRatio, kHoleTable, x, a / b);
}

double disk_friction_cf(int i, double r) {
    const bdLocals* b = get_bdLocals();
    if (!element_fits(b, i)) return 0.0;
    // Disk Reynolds number; a face of no radius (or no viscosity set yet)
    // would divide by 0: it has no friction.
    const double X = quotient_or(r * b->bld_wp[i] * r, b->lkgn_Re[i], 0.0);
    if (!(X > 0.0) || !std::isfinite(X)) return 0.0;
    return kFrictionFactor * std::pow(X, kFrictionExponent);
}

double swirl_parameter(int i, double r, double ksi, double q) {
    const bdLocals* b = get_bdLocals();
    if (!element_fits(b, i)) return 0.0;
    if (std::abs(q) < kNoFlowVolume) return kNoThroughFlow;
    return kPi * b->bld_wp[i] * r * r * r * ksi / q;
}

double cavity_disk_load(double PX, double DPD, double DPB, double PY, double DPDY, double DPBY, double duX,
                        double ORO, double rX, double rY, double duY) {
    // Mean pressure of each annulus times its area: seal to hole circle and
    // hole circle to blade root, on the X face minus the Y face.
    return kQuarterPi *
           ((ORO * ORO - duX * duX) * (PX - DPD / 2.0) + (4.0 * rX * rX - ORO * ORO) * (PX + DPB / 2.0) -
            (ORO * ORO - duY * duY) * (PY - DPDY / 2.0) - (4.0 * rY * rY - ORO * ORO) * (PY + DPBY / 2.0));
}

int swirl_march(int, int start, int step, int end, double r0, double beta, double dr, double* zd,
                double* rd) {
    const auto station = [](int k) { return k >= 0 && k < h2::kSwirlStations; };
    // Any other step, or a station past the row, would write outside it.
    if (zd == nullptr || rd == nullptr || (step != 1 && step != -1) || !station(start) || !station(end)) {
        h2::report_error(kStationOutOfRow);
        return 1;
    }
    for (int j = start; step > 0 ? j < end : j > end; j += step) {
        // Core swirl across one radial step of the cavity (friction on the
        // faces against the through-flow's angular momentum).
        const double s = quotient_or(rd[j + step], r0, 0.0);
        const double d = quotient_or(dr, r0, 0.0);
        const double denominator = 1.0 + 2.0 * d * (beta * s * s + quotient_or(1.0, s, 0.0));
        double z = zd[j];
        // r0 or the station radius 0, or a vanishing denominator, has no
        // ratio to march with: the core keeps its swirl over the step.
        if (s != 0.0 && denominator != 0.0) {
            const double next = (zd[j] + beta * d * s * s) / denominator;
            if (std::isfinite(next)) z = next;
        }
        zd[j + step] = z;
    }
    return 0;
}

int hole_flow_xy(int i) {
    bdLocals* b = get_bdLocals();
    if (!element_fits(b, i)) return 1;
    const double IX = b->lkgn_IX[i];
    double& IR = b->lkgn_IR[i];
    double& CRO = b->lkgn_CRO[i];
    // Isentropic jet from cavity X down to cavity Y.
    IR = expansion_ratio(b->lkgn_PY[i], b->lkgn_PX[i], b->lkgn_KK1[i]) * IX;
    CRO = std::sqrt(2.0 * std::abs(IX - IR));
    b->lkgn_MRO[i] = hole_jet_discharge(b, i, CRO);
    CRO *= b->lkgn_MRO[i];
    b->lkgn_GRO[i] = b->lkgn_FRO[i] * b->lkgn_RR[i] * CRO;
    IR = IX;
    return 0;
}

int hole_flow_yx(int i) {
    bdLocals* b = get_bdLocals();
    if (!element_fits(b, i)) return 1;
    const double IY = b->lkgn_IY[i];
    double& IR = b->lkgn_IR[i];
    double& CRO = b->lkgn_CRO[i];
    // Isentropic jet from cavity Y back into cavity X.
    IR = expansion_ratio(b->lkgn_PX[i], b->lkgn_PY[i], b->lkgn_KK1[i]) * IY;
    CRO = -std::sqrt(2.0 * std::abs(IY - IR));
    b->lkgn_MRO[i] = hole_jet_discharge(b, i, -CRO);
    CRO *= b->lkgn_MRO[i];
    b->lkgn_GRO[i] = b->lkgn_FRO[i] * b->lkgn_RR[i] * CRO;
    IR = IY;
    return 0;
}

double leak_residual_x(double px) {
    bdLocals* b = get_bdLocals();
    const int i = leak_element(b);
    if (i < 0) return 0.0;
    const int ps = prev_stator(i);
    double& PX = b->lkgn_PX[i];
    double& IX = b->lkgn_IX[i];
    double& IP = b->lkgn_IP[i];
    double& GDY = b->lkgn_GDY[ps];
    const double PY = b->lkgn_PY[i], DPB = b->lkgn_DPB[i], KK1 = b->lkgn_KK1[i];
    // Main stream at the root in front of the disk.
    const double p_main = b->isd_p2[i - 1][0], i_main = b->isd_i2[i - 1][0];

    PX = px;
    IX = b->lkgn_I0DY[i];
    seal_model(b, ps);
    GDY = b->elem_Gdu[ps];

    bool into_x = false;
    if (b->clrn_Zr8[i] != 0.0) {
        if (PX < PY) {
            hole_flow_yx(i);
            // Cavity X mixes the seal flow with what comes back through the holes.
            const double GRO = b->lkgn_GRO[i];
            IX = quotient_or(GDY * b->lkgn_I0DY[i] - GRO * b->lkgn_IY[i], (GDY - GRO) + kMixOffset,
                             b->lkgn_I0DY[i]);
        } else {
            hole_flow_xy(i);
            into_x = PX + DPB <= p_main;
        }
    }
    double C;
    if (into_x) {  // the main stream enters X through the root gap
        IP = expansion_ratio(PX + DPB, p_main, KK1) * i_main;
        C = -std::sqrt(2.0 * std::abs(i_main - IP));
    } else {  // X drains into the main stream
        IP = expansion_ratio(p_main, PX + DPB, KK1) * IX;
        C = std::sqrt(2.0 * std::abs(IX - IP));
    }
    const GapJet jet = root_gap_jet(C, b->clrn_DPOD[i], b->lkgn_FP[i], b->lkgn_RP[i], b->lkgn_Re[i]);
    b->lkgn_MP[i] = jet.M;
    b->lkgn_CP[i] = jet.C;
    b->lkgn_GP[i] = jet.G;
    IP = into_x ? i_main : IX;

    const double residual = GDY - b->lkgn_GP[i] - b->lkgn_GRO[i];
    if (b->IPL > 3)
        put_dump("FLX%02d: %g %g - %g %g %g - %g\n", i, PX, PY, GDY, b->lkgn_GP[i], b->lkgn_GRO[i], residual);
    return residual;
}

double leak_residual_y(double py) {
    bdLocals* b = get_bdLocals();
    const int i = leak_element(b);
    if (i < 0) return 0.0;
    const int ps = prev_stator(i);
    double& PY = b->lkgn_PY[i];
    double& IY = b->lkgn_IY[i];
    double& IP = b->lkgn_IP[i];
    const double PX = b->lkgn_PX[i], DPBY = b->lkgn_DPBY[i], KK1 = b->lkgn_KK1[i];
    // Main stream at the root behind the disk.
    const double p_main = b->isd_p2[i][0], i_main = b->isd_i2[i][0];

    PY = py;
    bool out_of_y = false;
    if (b->clrn_Zr8[i] != 0.0) {
        if (PX < PY) {
            hole_flow_yx(i);
        } else {
            hole_flow_xy(i);
            out_of_y = p_main <= PY + DPBY;
        }
    }
    double C;
    if (out_of_y) {  // Y, filled through the holes, drains into the main stream
        IY = b->lkgn_IX[i];
        IP = expansion_ratio(p_main, PY + DPBY, KK1) * IY;
        C = std::sqrt(2.0 * std::abs(IY - IP));
    } else {  // the main stream enters Y through the root gap
        IP = expansion_ratio(PY + DPBY, p_main, KK1) * i_main;
        C = -std::sqrt(2.0 * std::abs(i_main - IP));
    }
    const GapJet jet = root_gap_jet(C, b->clrn_DPODY[i], b->lkgn_FPY[i], b->lkgn_RPY[i], b->lkgn_Re[i]);
    b->lkgn_MPY[i] = jet.M;
    b->lkgn_CPY[i] = jet.C;
    b->lkgn_GPY[i] = jet.G;
    const double GRO = b->lkgn_GRO[i], GPY = b->lkgn_GPY[i];
    if (out_of_y) {
        IP = IY;
    } else {
        IP = i_main;
        // Cavity Y mixes the hole flow from X with the main stream coming in;
        // a difference of exactly -1e-6 would cancel the offset.
        if (PY <= PX && std::abs(GRO - GPY) >= kMixOffset)
            IY = quotient_or(GRO * b->lkgn_IX[i] - GPY * i_main, (GRO - GPY) + kMixOffset, i_main);
        else
            IY = i_main;
    }

    const double residual = b->lkgn_GDYY[ps] + GPY - GRO;
    if (b->IPL > 3)
        put_dump("FLY%02d: %g %g - %g %g %g - %g\n", i, PX, PY, b->lkgn_GDYY[ps], GPY, GRO, residual);
    return residual;
}

void print_stage_leakage(int i) {
    bdLocals* b = get_bdLocals();
    if (!stage_fits(b, i)) return;
    const int ps = prev_stator(i);
    double& GDY = b->lkgn_GDY[ps];
    double& GDYY = b->lkgn_GDYY[ps];
    const double small = b->cyld_G * kSmallFlowShare;
    for (double* G : {&GDY, &b->lkgn_GP[i], &b->lkgn_GROX[i], &b->lkgn_GROY[i], &b->lkgn_GPY[i], &GDYY})
        if (std::abs(*G) < small) *G = 0.0;

    if (b->IPL > 1) {
        const char* g = label(H2_UNIT_MASSFLOW);
        const auto flow = [](double G) { return view(G, H2_UNIT_MASSFLOW); };
        put_dump(
            "\n  Gdu         Gp          GbhX        GbhY        GpY          GduY        Gr          Gin\n");
        put_dump("  %-11s %-11s %-11s %-11s %-11s  %-11s %-11s\n", g, g, g, g, g, g, g);
        put_dump("%11.3e%11.3e%11.3e%11.3e%11.3e%11.3e%11.3e%11.3e\n", flow(GDY), flow(b->lkgn_GP[i]),
                 flow(b->lkgn_GROX[i]), flow(b->lkgn_GROY[i]), flow(b->lkgn_GPY[i]), flow(GDYY),
                 flow(b->elem_Gr[i]), flow(b->cyld_G));

        const char* p = label(H2_UNIT_PRESSURE);
        const char* h = label(H2_UNIT_ENTHALPY);
        const char* c = label(H2_UNIT_VELOCITY);
        const auto pres = [](double P) { return view(P, H2_UNIT_PRESSURE); };
        const auto enth = [](double I) { return view(I, H2_UNIT_ENTHALPY); };
        const auto speed = [](double C) { return view(C, H2_UNIT_VELOCITY); };
        put_dump(
            "\n  PX        IX        PY        IY        dPd       dPh       dPdY      dPhY       Cp     CpY "
            "   "
            "Cbh\n");
        put_dump("  %-9s %-9s %-9s %-9s %-9s %-9s %-9s %-9s %-6s %-6s %-6s\n", p, h, p, h, p, p, p, p, c, c,
                 c);
        put_dump(" %9.2e %9.2e %9.2e %9.2e %9.2e %9.2e %9.2e %9.2e %6.2f %6.2f %6.2f \n", pres(b->lkgn_PX[i]),
                 enth(b->lkgn_IX[i]), pres(b->lkgn_PY[i]), enth(b->lkgn_IY[i]), pres(b->lkgn_DPD[i]),
                 pres(b->lkgn_DPB[i]), pres(b->lkgn_DPDY[i]), pres(b->lkgn_DPBY[i]), speed(b->lkgn_CP[i]),
                 speed(b->lkgn_CPY[i]), speed(b->lkgn_CRO[i]));
    }
    if (b->IPL > 2) {
        // Temperatures of the cavity cores, at the pressure inside the seal radius.
        const auto temperature = [b, i](double p, double h) {
            return b->fluid_func != nullptr ? b->fluid_func(H2_FLUID_T_PI, p, h, b->elem_af[i], H2_FLUID_MAIN)
                                            : 0.0;
        };
        const double TDX = temperature(b->lkgn_PX[i] - b->lkgn_DPD[i], b->lkgn_IX[i]);
        const double TDY = temperature(b->lkgn_PY[i] - b->lkgn_DPDY[i], b->lkgn_IY[i]);
        put_dump("\n");
        put_dump(
            "  KSI1        KSI2        KSI3        KSI4        CF1         CF2         CF3         CF4       "
            "  "
            "TDX        TDY\n");
        put_dump("%11.3e%11.3e%11.3e%11.3e%11.3e%11.3e%11.3e%11.3e%11.3e%11.3e\n", b->lkgn_KSI1[i],
                 b->lkgn_KSI2[i], b->lkgn_KSI3[i], b->lkgn_KSI4[i], b->lkgn_CF1[i], b->lkgn_CF2[i],
                 b->lkgn_CF3[i], b->lkgn_CF4[i], TDX, TDY);
        put_dump(
            "  BETA1       BETA2       BETA3       BETA4       BETA5       BETA6       MRO         MP        "
            "  "
            "MPY  \n");
        put_dump("%11.3e%11.3e%11.3e%11.3e%11.3e%11.3e%11.3e%11.3e%11.3e\n", b->lkgn_BETA1[i],
                 b->lkgn_BETA2[i], b->lkgn_BETA3[i], b->lkgn_BETA4[i], b->lkgn_BETA5[i], b->lkgn_BETA6[i],
                 b->lkgn_MRO[i], b->lkgn_MP[i], b->lkgn_MPY[i]);
        put_dump("\n");
        put_dump("RD1 %s, ZD1 %s\n", label(H2_UNIT_LENGTH), label(H2_UNIT_NONE));
        print_stations(h2::swirl_row(b->RD1, i), h2::swirl_row(b->ZD1, i));
        put_dump("RD2 %s, ZD2 %s\n", label(H2_UNIT_LENGTH), label(H2_UNIT_NONE));
        print_stations(h2::swirl_row(b->RD2, i), h2::swirl_row(b->ZD2, i));
    }
}

}  // extern "C"

namespace {

// What the set-up of a stage fixes for its cavity iteration, swirl march and load.
struct Stage {
    int ps, ns, pr;  // diaphragm in front of the disk, diaphragm behind it, rotor of the previous stage
    bool holes;
    double rX, rY;      // root radii in front of the disk and behind it
    double rhoX, rhoY;  // densities of the main stream at the two roots
    double P11, P21;    // main-stream pressures at the two roots
    double duX, duY;    // seal diameters of the two diaphragms
};

// Geometry, start values, friction and rotational pressure rises of rotor
// i's stage, written into the case.
Stage set_up_stage(bdLocals* b, int i) {
    Stage s{};
    s.ps = prev_stator(i);
    s.ns = next_stator(i);
    s.pr = prev_rotor(s.ps);
    const int mid = b->cyld_nr / 2;
    const double wp = b->bld_wp[i];
    double& ORO = b->clrn_ORO[i];
    const double DRO = b->clrn_DRO[i];
    s.holes = !(b->clrn_Zr8[i] == 0.0 || std::abs(ORO) < kNoHoleSize || std::abs(DRO) < kNoHoleSize);

    s.rX = (b->bld_d2[s.ps] - b->bld_l2[s.ps]) / 2.0;
    s.rY = (b->bld_d2[i] - b->bld_l2[i]) / 2.0;
    s.rhoX = b->isd_Ro2[i - 1][0];
    s.rhoY = b->isd_Ro2[i][0];
    s.P11 = (b->cyld_nr < 2 || b->cyld_force1D != 0) ? b->isd_p2[i - 1][mid] : b->isd_p2[i - 1][0];
    s.P21 = b->isd_p2[i][0];
    s.duX = b->bld_du[s.ps];
    s.duY = i < b->cyld_ns - 1 ? b->bld_du[s.ns] : s.duX;
    // Without holes the hole circle stands between the seal and the roots.
    if (!s.holes) ORO = (2.0 * std::min(s.rX, s.rY) + std::max(s.duX, s.duY)) / 2.0;

    b->lkg_elem = i;
    const double k =
        b->fluid_func(H2_FLUID_KAPPA_PI, s.P11, b->isd_i2[i - 1][0], b->elem_af[i - 1], H2_FLUID_MAIN);
    // An exponent of 0 (or a failed call) has no isentropic relation: with
    // (k - 1)/k taken as 0 no pressure difference drives an enthalpy drop.
    b->lkgn_KK1[i] = k != 0.0 && std::isfinite(k) ? (k - 1.0) / k : 0.0;
    b->lkgn_Re[i] = kKinematicViscosity;
    b->lkgn_RD[i] = b->lkgn_RP[i] = s.rhoX;
    b->lkgn_RR[i] = b->lkgn_RPY[i] = s.rhoY;
    b->lkgn_P0DY[i] = b->isd_p1x[i - 1][0];
    b->lkgn_I0DY[i] = i == kFirstRotor ? b->isd_i1x[0][mid] : b->lkgn_IY[s.pr];
    b->lkgn_IY[i] = b->isd_i2[i][0];
    b->lkgn_IX[i] = b->lkgn_I0DY[i];
    if (!s.holes) b->lkgn_MRO[i] = b->lkgn_CRO[i] = b->lkgn_GRO[i] = b->lkgn_GROX[i] = b->lkgn_GROY[i] = 0.0;

    // Flow areas of the holes and the two root gaps.
    b->lkgn_FRO[i] = b->clrn_Zr8[i] * kQuarterPi * DRO * DRO;
    b->lkgn_FP[i] = s.rX * kTwoPi * b->clrn_DPOD[i];
    b->lkgn_FPY[i] = s.rY * kTwoPi * b->clrn_DPODY[i];

    // Stations: 0..4 from the seal to the inner edge of the holes, 5..10 from
    // the middle of the holes to the blade root.
    const double ZAG1 = b->lkgn_ZAG1[i] = ((ORO - DRO) - s.duX) / 8.0;
    const double ZAG2 = b->lkgn_ZAG2[i] = (s.rX - (ORO + DRO) / 2.0) / 5.0;
    const double ZAG3 = b->lkgn_ZAG3[i] = ((ORO - DRO) - s.duY) / 8.0;
    const double ZAG4 = b->lkgn_ZAG4[i] = (s.rY - (ORO + DRO) / 2.0) / 5.0;
    double* RD1 = h2::swirl_row(b->RD1, i);
    double* RD2 = h2::swirl_row(b->RD2, i);
    double* ZD1 = h2::swirl_row(b->ZD1, i);
    double* ZD2 = h2::swirl_row(b->ZD2, i);
    for (int k = 0; k < h2::kSwirlStations; ++k) {
        RD1[k] = k < 5 ? k * ZAG1 + s.duX / 2.0 : (k - 5) * ZAG2 + (ORO + DRO) / 2.0;
        RD2[k] = k < 5 ? k * ZAG3 + s.duY / 2.0 : (k - 5) * ZAG4 + (ORO + DRO) / 2.0;
        ZD1[k] = ZD2[k] = kStartSwirl;
    }

    // Friction of the four disk-face annuli.
    b->lkgn_CF1[i] = disk_friction_cf(i, ORO / 2.0);
    b->lkgn_CF2[i] = disk_friction_cf(i, s.rX);
    b->lkgn_CF3[i] = disk_friction_cf(i, ORO / 2.0);
    b->lkgn_CF4[i] = disk_friction_cf(i, s.rY);
    b->lkgn_KSI1[i] = kKsiPerCf * b->lkgn_CF1[i];
    b->lkgn_KSI2[i] = kKsiPerCf * b->lkgn_CF2[i];
    b->lkgn_KSI3[i] = kKsiPerCf * b->lkgn_CF3[i];
    b->lkgn_KSI4[i] = kKsiPerCf * b->lkgn_CF4[i];

    // Pressure rise of a core turning at half the disk speed over each annulus.
    const double w = wp * wp / 32.0;
    b->lkgn_DPD[i] = (ORO * ORO - s.duX * s.duX) * w * s.rhoX;
    b->lkgn_DPB[i] = (4.0 * s.rX * s.rX - ORO * ORO) * w * s.rhoX;
    b->lkgn_DPDY[i] = (ORO * ORO - s.duY * s.duY) * w * s.rhoY;
    b->lkgn_DPBY[i] = (4.0 * s.rY * s.rY - ORO * ORO) * w * s.rhoY;
    b->lkgn_PY[i] = s.P21 - b->lkgn_DPBY[i];
    return s;
}

// Cavity pressures at which both cavities are in mass balance: with holes the
// X and Y searches alternate until they agree on the hole flow; without, the
// root gaps take what the seals pass, in one pass.
void balance_cavities(bdLocals* b, int i, const Stage& s) {
    double& PX = b->lkgn_PX[i];
    double& PY = b->lkgn_PY[i];
    double& GDY = b->lkgn_GDY[s.ps];
    const double DPD = b->lkgn_DPD[i], DPB = b->lkgn_DPB[i], DPBY = b->lkgn_DPBY[i];
    for (int pass = 1;; ++pass) {
        if (s.holes) {
            double lo = b->lkgn_P0DY[i] + DPD - kBracketMargin;
            double hi = std::min(PY, s.P11 - DPB) + kBracketMargin;
            h2::root_bracket(leak_residual_x, &lo, &hi, kBracketSteps, 1);
            h2::root_bracket(leak_residual_x, &lo, &hi, kRefineSteps, 1);
            PX = h2::root_falsi(leak_residual_x, hi, lo - hi, kSearchTolerance);
            GDY = b->elem_Gdu[s.ps];
            b->lkgn_GROX[i] = b->lkgn_GRO[i];
        } else {
            // The seal flow leaves X through the root gap alone.
            seal_model(b, s.ps);
            GDY = b->elem_Gdu[s.ps];
            b->lkgn_GROX[i] = 0.0;
            b->lkgn_GP[i] = GDY;
            PX = s.P11 - DPB;
            // A gap of no width (or no density) passes the flow at no speed.
            b->lkgn_CP[i] = quotient_or(b->lkgn_GP[i], s.rhoX * b->lkgn_FP[i], 0.0);
        }
        if (b->IPL > 2) print_x_line(b, i, s.ps, s.P11, s.holes);

        if (s.holes) {
            const double balance = s.P21 - DPBY;
            double hi = std::max(PX, balance) - kBracketMargin;
            double lo = std::min(PX, balance) - kDepthY * DPBY;
            h2::root_bracket(leak_residual_y, &lo, &hi, kBracketSteps, 1);
            h2::root_bracket(leak_residual_y, &lo, &hi, kRefineSteps, 1);
            PY = h2::root_falsi(leak_residual_y, hi, lo - hi, kSearchTolerance);
            b->lkgn_GROY[i] = b->lkgn_GRO[i];
        } else {
            // What leaves Y through the next seal comes in through the root gap.
            b->lkgn_GROY[i] = 0.0;
            b->lkgn_GPY[i] = -b->lkgn_GDYY[s.ps];
            PY = s.P21 - DPBY;
            b->lkgn_CPY[i] = quotient_or(b->lkgn_GPY[i], s.rhoY * b->lkgn_FPY[i], 0.0);
        }
        if (b->IPL > 2) print_y_line(b, i, s.ps, s.P21, s.holes);

        if (!s.holes || pass >= b->ITML) break;
        // The two balances agree on the hole flow; a case without mass flow
        // (G 0) has agreement only in equality.
        const double change = b->lkgn_GROY[i] - b->lkgn_GROX[i];
        const bool agreed = b->cyld_G != 0.0 ? std::abs(change / b->cyld_G) < kBalanceShare : change == 0.0;
        if (agreed) break;
    }
}

// Swirl parameters and core swirl profiles of the two cavities of a stage
// with holes, after the balance.
void march_core_swirl(bdLocals* b, int i, const Stage& s) {
    const double wp = b->bld_wp[i], ORO = b->clrn_ORO[i], DRO = b->clrn_DRO[i];
    const double ZAG1 = b->lkgn_ZAG1[i], ZAG2 = b->lkgn_ZAG2[i], ZAG3 = b->lkgn_ZAG3[i],
                 ZAG4 = b->lkgn_ZAG4[i];
    const double GDY = b->lkgn_GDY[s.ps], GDYY = b->lkgn_GDYY[s.ps];
    double* RD1 = h2::swirl_row(b->RD1, i);
    double* RD2 = h2::swirl_row(b->RD2, i);
    double* ZD1 = h2::swirl_row(b->ZD1, i);
    double* ZD2 = h2::swirl_row(b->ZD2, i);

    double& GRO = b->lkgn_GRO[i];
    GRO = (b->lkgn_GROX[i] + b->lkgn_GROY[i]) / 2.0;
    const double GP = b->lkgn_GP[i], GPY = b->lkgn_GPY[i];
    // Volume flows through the cavities; a density of 0 carries no volume.
    const auto volume = [](double G, double rho) { return quotient_or(G, rho, 0.0); };
    b->lkgn_BETA1[i] = swirl_parameter(i, s.duX / 2.0, b->lkgn_KSI1[i], volume(GDY, b->lkgn_RD[i]));
    b->lkgn_BETA2[i] = swirl_parameter(i, ORO / 2.0, b->lkgn_KSI2[i], volume(GP, b->lkgn_RR[i]));
    b->lkgn_BETA3[i] = swirl_parameter(i, s.rX, b->lkgn_KSI2[i], volume(GP, b->lkgn_RP[i]));
    b->lkgn_BETA4[i] = swirl_parameter(i, ORO / 2.0, b->lkgn_KSI3[i], volume(-GDYY, b->lkgn_RR[i]));
    b->lkgn_BETA5[i] = swirl_parameter(i, ORO / 2.0, b->lkgn_KSI4[i], volume(GPY, b->lkgn_RR[i]));
    b->lkgn_BETA6[i] = swirl_parameter(i, s.rY, b->lkgn_KSI4[i], volume(GPY, b->lkgn_RPY[i]));

    // Core swirl of cavity X: outward from the seal; from the root inward
    // when the main stream comes in there, else outward from the holes.
    // At a root radius of 0 the stream's swirl has no ratio: the start value stays.
    ZD1[0] = kStartSwirl;
    swirl_march(i, 0, 1, 3, s.duX / 2.0, b->lkgn_BETA1[i], ZAG1, ZD1, RD1);
    if (GP <= 0.0) {
        ZD1[10] = quotient_or(b->flow_c1u[i][0], s.rX * wp, ZD1[10]);
        swirl_march(i, 10, -1, 6, s.rX, b->lkgn_BETA3[i], -ZAG2, ZD1, RD1);
    } else {
        // Mixed with the flow back through the holes; GDY = GRO < 0 would leave no flow to mix.
        ZD1[5] = GRO >= 0.0 ? ZD1[4] : quotient_or(ZD1[4] * GDY - GRO, GDY - GRO, ZD1[4]);
        swirl_march(i, 5, 1, 9, (ORO + DRO) / 2.0, b->lkgn_BETA2[i], ZAG2, ZD1, RD1);
    }
    // Core swirl of cavity Y.
    if (GPY <= 0.0) {
        ZD2[10] = quotient_or(b->flow_c2u[i][0], s.rY * wp, ZD2[10]);
        swirl_march(i, 10, -1, 6, s.rY, b->lkgn_BETA6[i], -ZAG4, ZD2, RD2);
        ZD2[4] = GRO <= 0.0 ? ZD2[5] : quotient_or(GRO - GPY * ZD2[5], GRO - GPY, ZD2[5]);
        swirl_march(i, 4, -1, 1, (ORO - DRO) / 2.0, b->lkgn_BETA4[i], -ZAG3, ZD2, RD2);
    } else {
        ZD2[4] = ZD2[5] = 1.0;  // the hole jets carry the disk's speed
        swirl_march(i, 4, -1, 1, (ORO - DRO) / 2.0, b->lkgn_BETA4[i], -ZAG3, ZD2, RD2);
        swirl_march(i, 5, 1, 9, (ORO + DRO) / 2.0, b->lkgn_BETA5[i], ZAG4, ZD2, RD2);
    }
}

// Hands the seal flow to the previous stage, then the friction term, the
// print-out and the axial force on the disk.
void finish_stage(bdLocals* b, int i, int stage, const Stage& s) {
    const double wp = b->bld_wp[i];
    // This stage's seal flow is what leaves the previous stage's cavity Y.
    if (i > kFirstRotor && h2::is_rotor(*b, s.pr)) b->lkgn_GDYY[prev_stator(s.pr)] = b->lkgn_GDY[s.ps];
    b->lkgn_DHD[i] = kDiskFrictionPower * std::pow(std::abs(wp), 3) * std::pow(s.rX, 5) * s.rhoY;

    print_stage_leakage(i);
    const double PX = b->lkgn_PX[i], PY = b->lkgn_PY[i], DPB = b->lkgn_DPB[i], DPBY = b->lkgn_DPBY[i];
    b->elem_RAD[i] = cavity_disk_load(PX, b->lkgn_DPD[i], DPB, PY, b->lkgn_DPDY[i], DPBY, s.duX,
                                      b->clrn_ORO[i], s.rX, s.rY, s.duY);
    b->lkgn_RAD[i] = b->elem_RAD[i];

    if (b->IPL == 1) {
        const auto flow = [](double G) { return view(G, H2_UNIT_MASSFLOW); };
        const auto pres = [](double P) { return view(P, H2_UNIT_PRESSURE); };
        put_dump(
            "%-3d %-3d %11.3e %11.3e %11.3e %11.3e %11.3e %11.3e %11.3e %11.3e %11.3e %11.3e %11.3e %11.3e "
            "%11.3e\n",
            stage + 1, i, flow(b->lkgn_GDY[s.ps]), flow(b->lkgn_GP[i]), flow(b->lkgn_GROX[i]),
            flow(b->lkgn_GROY[i]), flow(b->lkgn_GPY[i]), flow(b->lkgn_GDYY[s.ps]), flow(b->elem_G1[i]),
            pres(b->lkgn_P0DY[i]), pres(PX + DPB), pres(PY + DPBY), pres(s.P11), pres(s.P21),
            view(b->lkgn_RAD[i], H2_UNIT_FORCE));
    } else if (b->IPL == 2) {
        put_dump("\nDisk axial load: %g %s\n", view(b->elem_RAD[i], H2_UNIT_FORCE), label(H2_UNIT_FORCE));
    }
}

}  // namespace

extern "C" {

int calc_stage_leakage(int i, int stage) {
    bdLocals* b = get_bdLocals();
    if (b == nullptr) return 1;
    // Element 0 has nothing in front of it, a rotor past the path or the
    // arrays would be read out of them, and the stations of a rotor above 98
    // would run past the station tables into the fields behind them.
    if (!stage_fits(b, i)) {
        h2::report_error(kStageOutOfRange);
        return 1;
    }
    // The pressure exponent and the print-out need the main fluid.
    if (b->fluid_func == nullptr) {
        h2::report_error(kNoMainFluid);
        return 1;
    }
    const Stage s = set_up_stage(b, i);
    balance_cavities(b, i, s);
    if (s.holes) march_core_swirl(b, i, s);
    finish_stage(b, i, stage, s);
    return 0;
}

}  // extern "C"
