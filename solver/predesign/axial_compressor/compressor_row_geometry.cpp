// Flow-path geometry of axial compressor and fan modules from what the row
// calculations leave: hub and tip radii by each row's diameter law, annulus
// areas, pitch and chord from the blade count, stagger and axial positions,
// and on request the edge radii, seals and wedge angles of the module's
// prerequisite block.
#include <cmath>

#include "halvorine2/profiles.h"
#include "halvorine2/threading.h"
#include "solver/predesign/axial_compressor/compressor_rows.h"
#include "solver/predesign/predesign_tables.h"
#include "solver/solver_conventions.h"

namespace h2::predesign {
namespace {

// Prerequisite slots of the row geometry.
constexpr int kSlotSealClearance = 38;  // seal clearance per chord
constexpr int kSlotSealDiameter = 39;   // seal diameter per hub diameter
constexpr int kSlotLeadingEdge = 40;    // leading-edge radius per chord
constexpr int kSlotTrailingEdge = 41;   // trailing-edge radius per chord
// Wedge angles of the leading and trailing edges, degrees.
constexpr double kWedgeIn = 10.0;
constexpr double kWedgeOut = 5.0;
// The smallest hub radius the inlet section is given, m.
constexpr double kInletHubFloor = 0.001;

// Outlet radii and mean diameter of element e by the diameter law `law`:
// 0 holds the hub diameter bld__d2s, 2 the tip, any other the mean.
void apply_law(bdLocals& b, int e, int law) {
    const double D = b.bld_d2s[e];
    const double l = b.bld_l2[e];
    if (law == 0) {
        b.bld_Rh2[e] = D / 2.0;
        b.bld_Rt2[e] = (2.0 * l + D) / 2.0;
        b.bld_d2[e] = D + l;
    } else if (law == 2) {
        b.bld_Rh2[e] = (D - 2.0 * l) / 2.0;
        b.bld_Rt2[e] = D / 2.0;
        b.bld_d2[e] = D - l;
    } else {
        b.bld_Rh2[e] = (b.bld_d2[e] - l) / 2.0;
        b.bld_Rt2[e] = (b.bld_d2[e] + l) / 2.0;
        b.bld_d2[e] = D;
    }
}

int law_of(const bdLocals& b, int e) { return static_cast<int>(b.elem_VARTD[e]); }

// Annulus area, pitch from the blade count, chord from the relative pitch and
// the streamline radii of row e.
void row_pitch(bdLocals& b, int e, int m) {
    b.bld_F2[e] = b.bld_d2[e] * kPi * b.bld_l2[e];
    b.cas_t[e][m] = b.bld_d2[e] * kPi / b.bld_z[e];
    b.cas_bx[e][m] = b.cas_t[e][m] / b.cas_tb[e][m];
    b.cas_b[e][m] = b.cas_bx[e][m];
    b.flow_r1[e][m] = b.bld_d1[e] / 2.0;
    b.flow_r2[e][m] = b.bld_d2[e] / 2.0;
}

// Edge radii of row e from its chord.
void edge_radii(bdLocals& b, const double* pre, int e, int m) {
    b.cas_r1[e][m] = b.cas_b[e][m] * pre[kSlotLeadingEdge];
    b.cas_r2[e][m] = b.cas_b[e][m] * pre[kSlotTrailingEdge];
}

void wedges(bdLocals& b, int e, int m) {
    b.cas_w1[e][m] = kWedgeIn;
    b.cas_w2[e][m] = kWedgeOut;
}

// Seal diameter from a hub diameter; a negative one takes the seal clearance.
void seal_diameter(bdLocals& b, const double* pre, int e, double hub) {
    b.bld_du[e] = hub * pre[kSlotSealDiameter];
    if (b.bld_du[e] < 0.0) b.bld_du[e] = b.clrn_to[e];
}

// Inlet radii of element e from the outlet of element p.
void inlet_radii_from(bdLocals& b, int e, int p) {
    b.bld_Rh1[e] = b.bld_Rh2[p];
    b.bld_Rt1[e] = b.bld_Rt2[p];
}

// Row e's own inlet radii from its inlet diameter and height, outlet radii
// from its outlet ones.
void own_radii(bdLocals& b, int e) {
    b.bld_Rh1[e] = (b.bld_d1[e] - b.bld_l1[e]) / 2.0;
    b.bld_Rt1[e] = (b.bld_d1[e] + b.bld_l1[e]) / 2.0;
    b.bld_Rh2[e] = (b.bld_d2[e] - b.bld_l2[e]) / 2.0;
    b.bld_Rt2[e] = (b.bld_d2[e] + b.bld_l2[e]) / 2.0;
}

bool negative_hub(const bdLocals& b, int e) { return b.bld_Rh1[e] < 0.0 || b.bld_Rh2[e] < 0.0; }

}  // namespace

int ac_row_geometry(int withPrereq, int hasInletGuideVane, int hasOutletGuideVane, int first, int last) {
    bdLocals& b = *get_bdLocals();
    const int m = mid_stream(b);
    const double* pre = withPrereq != 0 ? case_prereq(&b) : nullptr;
    const int g = hasInletGuideVane != 0 ? 1 : 0;
    const int o = hasOutletGuideVane != 0 ? 1 : 0;
    if (first < 0) first = 0;
    const int span = last - first - g - o;
    const int nst = span > 0 ? span / 2 : 0;
    // A run that starts later leaves the element in front of it as it is.
    const bool opens_path = first == 0;

    if (opens_path) {
        apply_law(b, 0, law_of(b, 0));
        inlet_radii_from(b, 0, 0);
        b.bld_d1[0] = b.bld_d2[0];
        b.bld_F2[0] = b.bld_d2[0] * kPi * b.bld_l2[0];
        b.flow_r2[0][m] = b.bld_d2[0] / 2.0;
        b.flow_r1[0][m] = b.flow_r2[0][m];
        b.cas_x2[0][m] = 0.0;
        if (b.bld_Rh1[0] < 0.0) b.bld_Rh1[0] = kInletHubFloor;
        if (b.bld_Rh2[0] < 0.0) b.bld_Rh2[0] = kInletHubFloor;
    }

    if (g == 1 && first + 1 <= last) {
        const int e = first + 1;
        apply_law(b, e, law_of(b, e));
        inlet_radii_from(b, e, e);
        b.bld_d1[e] = b.bld_d2[e];
        b.bld_F2[e] = b.bld_d2[e] * kPi * b.bld_l2[e];
        b.cas_t[e][m] = b.bld_d2[e] * kPi / b.bld_z[e];
        b.cas_bx[e][m] = b.cas_t[e][m] / b.cas_tb[e][m];
        b.cas_b[e][m] = b.cas_bx[e][m];
        b.flow_r1[e][m] = b.bld_d1[e] / 2.0;
        b.flow_r2[e][m] = b.bld_d2[e] / 2.0;
        if (opens_path) b.flow_r2[0][m] = b.flow_r1[0][m] = b.flow_r2[e][m];
        if (pre != nullptr) {
            edge_radii(b, pre, e, m);
            b.clrn_to[e] = pre[kSlotSealClearance] * b.cas_b[e][m];
            seal_diameter(b, pre, e, b.bld_d2[e] - b.bld_l2[e]);
            wedges(b, e, m);
            if (e + 1 <= last) wedges(b, e + 1, m);
        }
        b.cas_x2[e][m] = std::sin(b.cas_B2[e][m] * kDegree) * b.cas_b[e][m];
        if (opens_path) {
            // The inlet section takes the guide vane's inlet height and law.
            b.bld_l2[0] = b.bld_l1[e];
            b.bld_d2s[0] = b.bld_d2s[e];
            apply_law(b, 0, law_of(b, e));
            inlet_radii_from(b, 0, 0);
        }
    }

    for (int s = 0; s < nst; ++s) {
        const int v = first + g + 1 + 2 * s;
        const int w = v + 1;
        const int L = law_of(b, v);
        b.elem_H[v] = -b.enrg_Lu[v][m];
        b.elem_H[w] = b.elem_H[v];
        b.elem_Ns[v] = b.enrg_Lu[v][m] * b.elem_G1[v];
        b.elem_Ns[w] = b.elem_Ns[v];

        apply_law(b, v, L);
        inlet_radii_from(b, v, v - 1);
        // A rotor that opens another module has no row of its own in front.
        b.bld_d1[v] = b.elem_moduleNum[v] == b.elem_moduleNum[v - 1] ? b.bld_d2[v - 1] : b.bld_d2[v];
        if (negative_hub(b, v)) return 1;
        row_pitch(b, v, m);

        apply_law(b, w, L);
        inlet_radii_from(b, w, v);
        b.bld_d1[w] = b.bld_d2[v];
        if (negative_hub(b, w)) return 1;
        row_pitch(b, w, m);

        if (pre != nullptr) {
            edge_radii(b, pre, v, m);
            edge_radii(b, pre, w, m);
            b.clrn_to[w] = pre[kSlotSealClearance] * b.cas_b[v][m];
            const double hub_w = b.bld_d2[w] - b.bld_l2[w];
            const double hub_p = b.bld_d2[v - 1] - b.bld_l2[v - 1];
            seal_diameter(b, pre, w, hub_w <= hub_p ? hub_w : hub_p);
            wedges(b, v, m);
            wedges(b, w, m);
        }

        // Stagger from the blade angles; the axial position adds gap and axial chord.
        b.cas_Byct[v][m] = BetaUst(180.0 - b.cas_B1g[v][m], 180.0 - b.cas_B2a[v][m], 1);
        b.cas_x2[v][m] =
            b.cas_x2[v - 1][m] + b.clrn_d1[v - 1] + std::cos(b.cas_Byct[v][m] * kDegree) * b.cas_b[v][m];
        b.cas_Byct[w][m] = BetaUst(b.cas_B1g[w][m], b.cas_B2a[w][m], 1);
        b.cas_x2[w][m] = b.cas_x2[v][m] + b.clrn_d1[v] + std::cos(b.cas_Byct[w][m] * kDegree) * b.cas_b[w][m];
    }

    if (o == 1) {
        const int e = nst == 0 ? last : first + g + 2 * nst + 1;
        if (e > first && e <= last) {
            b.bld_F2[e] = b.bld_d2[e] * kPi * b.bld_l2[e];
            own_radii(b, e);
            b.flow_r1[e][m] = b.bld_d1[e] / 2.0;
            b.flow_r2[e][m] = b.bld_d2[e] / 2.0;
            b.cas_t[e][m] = b.bld_d2[e] * kPi / b.bld_z[e];
            b.cas_bx[e][m] = b.cas_t[e][m] / b.cas_tb[e][m];
            b.cas_b[e][m] = b.cas_bx[e][m];
            if (pre != nullptr) {
                edge_radii(b, pre, e, m);
                b.clrn_to[e] = pre[kSlotSealClearance] * b.cas_b[e][m];
                seal_diameter(b, pre, e, b.bld_d2[e] - b.bld_l2[e]);
                wedges(b, e, m);
            }
            b.cas_x2[e][m] = b.cas_x2[e - 1][m] + b.clrn_d1[e - 1] + b.cas_b[e][m];
        }
    }
    return 0;
}

int af_row_geometry(int withPrereq) {
    bdLocals& b = *get_bdLocals();
    const int m = mid_stream(b);
    const double* pre = withPrereq != 0 ? case_prereq(&b) : nullptr;
    b.flow_r2[0][m] = b.flow_r1[0][m] = b.bld_d1[1] / 2.0;
    b.elem_H[1] = -b.enrg_Lu[1][m];
    b.elem_Ns[1] = b.enrg_Lu[1][m] * b.elem_G1[1];
    b.bld_F2[1] = b.bld_d2[1] * kPi * b.bld_l2[1];
    own_radii(b, 1);
    if (negative_hub(b, 1)) return 1;
    b.flow_r1[1][m] = b.bld_d1[1] / 2.0;
    b.flow_r2[1][m] = b.bld_d2[1] / 2.0;
    if (pre != nullptr) {
        edge_radii(b, pre, 1, m);
        b.cas_Byct[1][m] = BetaUst(180.0 - b.cas_B1g[1][m], 180.0 - b.cas_B2a[1][m], 1);
        b.cas_x2[1][m] = std::cos(b.cas_Byct[1][m] * kDegree) * b.cas_b[1][m];
    }
    return 0;
}

}  // namespace h2::predesign
