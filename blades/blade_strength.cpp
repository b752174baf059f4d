// Rotor blade strength: centrifugal and gas-bending stresses and the first
// bending frequency, from the middle section alone or along the span.
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "blades/row_access.h"
#include "halvorine2/strength.h"
#include "numerics/one_dim.h"

namespace {

constexpr double kPi = 3.14159265;
constexpr double kDegree = 0.01745329;
constexpr double kTwoPiExact = 6.283185307179586;  // speed in rad/s to rev/s
constexpr double kTinyArea = 1e-20;

// Raises m to |v| when that is larger.
void raise_abs(double& m, double v) {
    if (std::fabs(v) > m) m = std::fabs(v);
}

// Centrifugal unloading of a bending moment: the share of the gas moment
// left after the centrifugal force straightens the bent blade, from
// t = t0 / I and the relative height psi.
double unloading(double t, double psi) {
    const double num = (0.0006944 - 0.0003968 * psi) * t * t + (0.5833 - 0.09722 * psi) * t;
    const double den = (0.00081967 - 0.00031746 * psi) * t * t + (0.133 - 0.090476 * psi) * t + 1.0;
    return 1.0 - num / den;
}

bool any_zero_area(const bdLocals& b, int i, int m) {
    for (int j = 0; j <= m; ++j)
        if (std::fabs(b.prof_F[i][j]) < kTinyArea) return true;
    return false;
}

}  // namespace

extern "C" {

void rlpc(int row) {
    bdLocals* bp = h2::blades::row_case(row);
    if (bp == nullptr) return;
    bdLocals& c = *bp;
    const int i = row, j = h2::blades::mid_section(c);
    const double rho = c.strs_g_b[i], omega = c.bld_wp[i], z = c.bld_z[i];
    const double d2 = c.bld_d2[i], l2 = c.bld_l2[i], F = c.prof_F[i][j];

    c.strs_vl[i] = (c.bld_l1[i] + l2) * F / 2.0 * z;
    c.strs_mass[i] = c.strs_vl[i] * rho;

    // Velocity triangles: axial and circumferential absolute components.
    const double beta1 = c.cas_B1[i][j] * kDegree, beta2 = c.cas_B2[i][j] * kDegree;
    const double w1 = c.flow_w1[i][j], w2 = c.flow_w2[i][j], u = c.flow_u2[i][j];
    const double c1a = w1 * std::sin(beta1), c2a = w2 * std::sin(beta2);
    const double c1u = std::sqrt(w1 * w1 + u * u + 2.0 * u * w1 * std::cos(beta1) - c1a * c1a);
    double c2u = std::sqrt(w2 * w2 + u * u - 2.0 * u * w2 * std::cos(beta2) - c2a * c2a);
    if (w2 * std::cos(beta2) > u) c2u = -c2u;

    // Centrifugal stress at the root of an untapered blade.
    const double sigma_b = 0.5 * rho * l2 * d2 * omega * omega;
    // Shroud band carried by each blade.
    const double Ds = d2 + l2 + c.clrn_to[i];
    const double Vs = std::cos(c.cas_Byct[i][j] * kDegree) * kPi * Ds * c.clrn_to[i] * c.cas_b[i][j] / z;
    c.strs_vd[i] = Vs * z;
    const double sigma_s = 0.5 * rho * Vs * Ds * omega * omega / F;

    const double allowable = c.strs_dstr[i] - sigma_s;
    c.strs_lr[i] = sigma_b <= allowable ? 1.0 : 2.0 * allowable / sigma_b - 1.0;
    c.strs_sr[i] = sigma_b + sigma_s;
    c.strs_cb[i] = c.strs_sr[i] * F;

    // Gas forces per blade: pressure difference and momentum change.
    const double g = c.elem_G2[i] / (c.elem_Pa[i] * z);
    const double Pa = (c.isd_p1[i][j] - c.isd_p2[i][j]) * kPi * d2 * l2 / z + (c1a - c2a) * g;
    const double Pu = (c1u - c2u) * g;
    c.strs_pv[i] = std::sqrt(Pa * Pa + Pu * Pu);

    // Root moments in the principal axes of the section.
    const double phi = c.prof_Q[i][j] * kDegree;
    double M1 = (Pu * std::cos(phi) + Pa * std::sin(phi)) * l2 / 2.0;
    double M2 = (Pu * std::sin(phi) - Pa * std::cos(phi)) * l2 / 2.0;
    const double t0 = omega * omega * rho * l2 * d2 * F * l2 * l2 / 1.4e11;
    const double psi = l2 / d2;
    M2 *= unloading(t0 / c.prof_Ie[i][j], psi);
    M1 *= unloading(t0 / c.prof_In[i][j], psi);

    c.strs_sb[i] = M1 / c.prof_Wxbx[i][j] - M2 / c.prof_Wybx[i][j];
    c.strs_sbx[i] = M2 / c.prof_Wybxx[i][j] + M1 / c.prof_Wxbxx[i][j];
    c.strs_sc[i] = -M1 / c.prof_Wcn[i][j];
    c.strs_smi[i] = std::max({std::fabs(c.strs_sb[i]), std::fabs(c.strs_sbx[i]), std::fabs(c.strs_sc[i])});
}

void vibration(int row) {
    bdLocals* bp = h2::blades::row_case(row);
    if (bp == nullptr) return;
    bdLocals& c = *bp;
    const int i = row, j = h2::blades::mid_section(c);
    const double F = c.prof_F[i][j], Ie = c.prof_Ie[i][j];
    const double stiffness = c.strs_mu[i] * Ie / (c.strs_g_b[i] * F);
    if (F <= 0.0 || Ie <= 0.0 || !(stiffness > 0.0)) {
        c.strs_sk[i] = 0.0;
        c.strs_lr[i] = 1.0;
        c.strs_nzf[i] = 0.0;
        return;
    }
    const double n = c.bld_wp[i] / kTwoPiExact;
    const double gyration = std::sqrt(Ie / F);
    const double l2 = c.bld_l2[i];
    // Cantilever beam: (1.8751^2 / 2 pi) sqrt(E I / rho F) / l^2, reduced for
    // short blades where shear and rotary inertia matter.
    double f0 = 0.56 * std::sqrt(stiffness) / (l2 * l2);
    if (l2 / gyration < 100.0) f0 *= 1.0 - std::exp(-0.09 * l2 / gyration);
    // Dynamic frequency: centrifugal stiffening by the speed.
    c.strs_sk[i] = std::sqrt(f0 * f0 + (0.785 * c.bld_d2[i] / l2 - 0.592) * n * n);
    c.strs_lr[i] = 1.0;
    c.strs_nzf[i] = n * c.bld_z[i] / c.strs_sk[i];
}

int rlzc(int row) {
    bdLocals* bp = h2::blades::row_case(row);
    if (bp == nullptr) return 1;
    bdLocals& c = *bp;
    const int i = row, m = c.cyld_nr - 1;
    if (m < 1) return 1;
    // Stress and the two loads per section, in one allocation.
    const std::size_t n = static_cast<std::size_t>(m) + 1;
    std::vector<double> work;
    try {
        work.assign(3 * n, 0.0);
    } catch (const std::bad_alloc&) {
        return 1;
    }
    double* sigma = work.data();
    double* qa = sigma + n;
    double* qu = qa + n;
    const double rho = c.strs_g_b[i], omega = c.bld_wp[i];
    if (rho == 0.0 || any_zero_area(c, i, m)) return 0;
    const double Z = h2::blades::whole_count(c.bld_z[i]);
    const double* r = c.flow_r2[i];
    const double* F = c.prof_F[i];

    // Shroud band at the tip section.
    const double to = c.clrn_to[i];
    const double Ds = 2.0 * r[m] + to;
    const double Vs = std::cos((90.0 - c.cas_Byct[i][m]) * kDegree) * to * kPi * c.cas_b[i][m] * Ds / Z;
    c.strs_vd[i] = Z * Vs;
    const double Fs = rho * Vs * Ds * omega * omega / 2.0;

    double vl = 0.0;
    for (int j = 0; j < m; ++j) vl += (r[j + 1] - r[j]) * F[j];
    c.strs_vl[i] = vl;

    // Centrifugal stress: the force of the blade outside each section, by
    // trapezoids in r^2, plus the shroud.
    sigma[m] = Fs / F[m];
    double S = 0.0;
    for (int j = m; j >= 1; --j) {
        S += (r[j] * r[j] - r[j - 1] * r[j - 1]) * (F[j] + F[j - 1]) * 0.25 * rho * omega * omega;
        sigma[j - 1] = (S + Fs) / F[j - 1];
    }

    // Gas loads per unit height of each segment from the velocity triangles.
    auto w1u = [&](int j) { return std::cos(c.cas_B1[i][j] * kDegree) * c.flow_w1[i][j]; };
    auto w2u = [&](int j) { return std::cos(c.cas_B2[i][j] * kDegree) * c.flow_w2[i][j]; };
    auto w1a = [&](int j) { return std::sin(c.cas_B1[i][j] * kDegree) * c.flow_w1[i][j]; };
    auto w2a = [&](int j) { return std::sin(c.cas_B2[i][j] * kDegree) * c.flow_w2[i][j]; };
    qa[0] = qu[0] = 0.0;
    for (int j = 1; j <= m; ++j) {
        const double ro1 = c.isd_Ro1[i][j] + c.isd_Ro1[i][j - 1], ro2 = c.isd_Ro2[i][j] + c.isd_Ro2[i][j - 1];
        const double w1u_ = w1u(j) + w1u(j - 1), w2u_ = w2u(j) + w2u(j - 1);
        const double w1a_ = w1a(j) + w1a(j - 1), w2a_ = w2a(j) + w2a(j - 1);
        const double p1 = c.isd_p1[i][j] + c.isd_p1[i][j - 1], p2 = c.isd_p2[i][j] + c.isd_p2[i][j - 1];
        const double rs = r[j] + r[j - 1];
        qu[j] = (w2u_ * w2a_ * ro2 + w1u_ * w1a_ * ro1) * rs * 0.393 / Z;
        qa[j] = (w1a_ * w1a_ * ro1 * 0.25 + p1 - p2 - w2a_ * w2a_ * ro2 * 0.25) * rs * 1.57 / Z;
    }

    double smi = 0.0, sr = 0.0, sc_max = 0.0, sbx_max = 0.0, sb_max = 0.0, pv = c.strs_pv[i];
    for (int f = 0; f <= m; ++f) {
        double sc = 0.0, sb = 0.0, sbx = 0.0;
        if (f < m) {
            // Moments of the loads outside section f about it.
            double Ma = 0.0, Mu = 0.0;
            for (int k = f + 1; k <= m; ++k) {
                const double arm = (r[k] - r[k - 1]) * ((r[k] + r[k - 1]) / 2.0 - r[f]);
                Ma += arm * qa[k];
                Mu += arm * qu[k];
            }
            const double Q = c.prof_Q[i][f] * kDegree;
            const double M1 = std::sin(Q) * Mu + std::cos(Q) * Ma;
            const double M2 = std::sin(Q) * Ma - std::cos(Q) * Mu;
            sc = -M1 / c.prof_Wcn[i][f];
            sb = M1 / c.prof_Wxbx[i][f] - M2 / c.prof_Wybx[i][f];
            sbx = M2 / c.prof_Wybxx[i][f] + M1 / c.prof_Wxbx[i][f];
        }
        raise_abs(sb_max, sb);
        raise_abs(sbx_max, sbx);
        raise_abs(sc_max, sc);
        raise_abs(sr, sigma[f]);
        raise_abs(smi, sb);
        raise_abs(smi, sbx);
        raise_abs(smi, sc);
        const double q = std::sqrt(qa[f] * qa[f] + qu[f] * qu[f]);
        if (q > pv) pv = q;
    }
    c.strs_cb[i] = sigma[0] * F[0];
    c.strs_smi[i] = smi;
    c.strs_sr[i] = sr;
    c.strs_sc[i] = sc_max;
    c.strs_sbx[i] = sbx_max;
    c.strs_sb[i] = sb_max;
    c.strs_pv[i] = pv;
    return 0;
}

int vibrzz(int row) {
    bdLocals* bp = h2::blades::row_case(row);
    if (bp == nullptr) return 1;
    bdLocals& c = *bp;
    const int i = row, m = c.cyld_nr - 1;
    if (m < 1) return 1;
    if (any_zero_area(c, i, m)) return 0;
    constexpr int kIntervals = 10;
    const double* r = c.flow_r2[i];
    const double h = (r[m] - r[0]) / kIntervals;
    // Rayleigh quotient with the deflection shape xi^n over the span.
    constexpr double kModeExponent = 1.569;
    double a[kIntervals + 1], b[kIntervals + 1];
    for (int k = 0; k <= kIntervals; ++k) {
        const double x = r[0] + k * h;
        const double Ie = h2::interp1(m + 1, r, c.prof_Ie[i], x);
        const double F = h2::interp1(m + 1, r, c.prof_F[i], x);
        const double xi = std::fabs(x - r[0]);
        const double p = xi == 0.0 ? 10.0 : kModeExponent;
        a[k] = std::pow(xi, 2.0 * p - 4.0) * Ie;
        b[k] = std::pow(xi, 2.0 * p) * F;
    }
    const double A = h2::trapezoid_sum(kIntervals, h, a);
    const double B = h2::trapezoid_sum(kIntervals, h, b);
    const double n1 = kModeExponent - 1.0;
    const double f02 = n1 * n1 * c.strs_mu[i] / (39.44 * c.strs_g_b[i]) * A / B;
    c.strs_sk[i] = std::sqrt(std::fabs(f02));
    c.strs_lr[i] = c.prof_F[i][m] / c.prof_F[i][0];
    c.strs_nzf[i] = (c.bld_wp[i] / kTwoPiExact) * c.bld_z[i] / c.strs_sk[i];
    return 0;
}

}  // extern "C"
