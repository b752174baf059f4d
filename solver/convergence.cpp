// The outer iteration's convergence test and its report: the progress line,
// the element table, the final velocities, the host's progress mirror, hook
// and abort request.
#include <atomic>
#include <cmath>
#include <cstdint>

#include "halvorine2/console.h"
#include "halvorine2/output.h"
#include "halvorine2/threading.h"
#include "halvorine2/units.h"
#include "numerics/one_dim.h"
#include "solver/solver_conventions.h"
#include "solver/solver_internal.h"
#include "solver/solver_state.h"

namespace {

// Unit groups of the report.
constexpr int kNoUnit = 0;
constexpr int kMassFlowUnit = 3;
constexpr int kPressureUnit = 4;
constexpr int kVelocityUnit = 18;
constexpr int kAngleUnit = 19;
constexpr int kPowerUnit = 21;

// Console colours.
constexpr std::uint16_t kMask = 240;
constexpr std::uint16_t kCyan = 3;
constexpr std::uint16_t kGreen = 10;
constexpr std::uint16_t kBrightCyan = 11;
constexpr std::uint16_t kRed = 12;
constexpr std::uint16_t kWhite = 15;

// The first change of a convergence quantity, before there is a reference.
constexpr double kFirstChange = 0.1;
// Keeps the logarithm of a zero change finite on the progress line.
constexpr double kChangeOffset = 1e-10;
// Velocities printed per line.
constexpr int kPerLine = 12;

using h2::direct_task;
using h2::inverse_task;
bool per_streamline(const bdLocals& b) { return b.cyld_nr != 1 && b.cyld_force1D == 0; }

int pressure_test(bdLocals& b, int it, double* p_ref, bool design) {
    const double X = h2::outlet_span_mean(b, design ? b.isd_p2x : b.isd_p2);
    if (*p_ref == 0.0) {
        b.Gaccuracy = kFirstChange;
        *p_ref = X;
        return 0;
    }
    b.Gaccuracy = std::fabs(X / *p_ref - 1.0);
    const bool converged = design ? (b.Gaccuracy <= b.acc_limit && it > 3) : (b.Gaccuracy < b.acc_limit);
    if (converged) return 1;
    *p_ref = X;
    return 0;
}

// The power of a direct task's iteration against that of the one before
// (kept in *N_ref, which the direct tasks do not use otherwise): settled
// when it changed by less than acc_limit of the last one, as the pressure. A settled outlet
// pressure alone let a run end 0 while the loss step still swung its power
// by orders of magnitude from one iteration to the next.
bool power_settled(bdLocals& b, double* N_ref) {
    const double N = b.cyld_Nc;
    const double ref = *N_ref;
    *N_ref = N;
    h2::PowerSettling& s = h2::power_settling();
    s.N = N;
    s.N_prev = ref;
    s.settled = (N == 0.0 && ref == 0.0) || (s.known && std::fabs(N - ref) < b.acc_limit * std::fabs(ref));
    s.known = true;
    return s.settled;
}

int power_test(bdLocals& b, int sl, double* g_ref) {
    const double Y = b.cyld_Nc != 0.0 ? b.cyld_Nc : b.cyld_G;
    bool converged = false;
    if (*g_ref == 0.0) {
        b.Gaccuracy = kFirstChange;
    } else if (std::fabs(b.accuracy) < b.acc_limit) {
        b.Gaccuracy = std::fabs(Y / *g_ref - 1.0);
        if (b.acc_Gconv == 0.0) b.acc_Gconv = b.acc_limit;
        converged = b.Gaccuracy < std::fabs(b.acc_Gconv);
    }
    *g_ref = Y;
    if (!converged && (h2::is_expanding(b) || b.ICLos == 0 || per_streamline(b))) return 0;
    if (std::isnan(b.accuracy)) {
        SetConColor(kRed, kMask);
        put_err("bestXN: Fatal error - BAD accuracy data!");
        SetConDefColor();
        return -1;
    }
    if (std::fabs(b.accuracy) < b.acc_limit) {
        const int print = b.IPP > 2;
        if (b.cyld_MethodL != 0 && b.cyld_nr > 1) build_streamlines(sl, b.cyld_MethodL, print);
        relax_streamlines(sl, b.cyld_MethodL, print);
        return 1;
    }
    return 2;
}

template <class T>
void mirror(T& to, T value) {
    std::atomic_ref<T>(to).store(value, std::memory_order_relaxed);
}

// Copies the iteration's progress into the host's block and takes its abort request.
void mirror_to_peer(bdLocals& b) {
    bdLocals* peer = std::atomic_ref<bdLocals*>(b.peer_block).load(std::memory_order_relaxed);
    if (peer == nullptr) return;
    mirror(peer->iter, b.iter);
    mirror(peer->sl_iter, b.sl_iter);
    mirror(peer->inner_steps, b.inner_steps);
    mirror(peer->accuracy, b.accuracy);
    mirror(peer->Gaccuracy, b.Gaccuracy);
    mirror(peer->cyld_G, b.cyld_G);
    mirror(peer->cyld_Gv, b.cyld_Gv);
    mirror(peer->cyld_Nc, b.cyld_Nc);
    mirror(peer->cyld_eff, b.cyld_eff);
    mirror(peer->cyld_effx, b.cyld_effx);
    mirror(b.need_abort, std::atomic_ref<std::int32_t>(peer->need_abort).load(std::memory_order_relaxed));
}

void element_table(const bdLocals& b) {
    const char* fmt = "%4s%13s%13s%13s%13s%13s%13s%13s%13s%13s%13s%13s\n";
    const int m = h2::mid_stream(b);
    SetConColor(kWhite, kMask);
    put_dump(fmt, "i", "om_", "Psi2", "Fip", "Mw2", "ia", "dev", "G1", "G2", "Gdu", "Gr", "delta");
    put_dump(fmt, "", unitsLabel(kNoUnit), unitsLabel(kNoUnit), unitsLabel(kNoUnit), unitsLabel(kNoUnit),
             unitsLabel(kAngleUnit), unitsLabel(kAngleUnit), unitsLabel(kMassFlowUnit),
             unitsLabel(kMassFlowUnit), unitsLabel(kMassFlowUnit), unitsLabel(kMassFlowUnit),
             unitsLabel(kNoUnit));
    SetConDefColor();
    for (int i = 0; i <= b.cyld_ns; ++i) {
        const double psi = b.los_Los[i][m];
        put_dump("%4d %12f %12f %12g %12g %12g %12g %12g %12g %12g %12g %12.3e\n", i, b.los_om[i][m],
                 psi * psi, b.los_Fp[i][m], unitsToView(b.flow_Mw2[i][m], kNoUnit),
                 unitsToView(b.cas_iR[i][m], kAngleUnit), unitsToView(b.cas_dR[i][m], kAngleUnit),
                 unitsToView(b.elem_G1[i], kMassFlowUnit), unitsToView(b.elem_G2[i], kMassFlowUnit),
                 unitsToView(b.elem_Gdu[i], kMassFlowUnit), unitsToView(b.elem_Gr[i], kMassFlowUnit),
                 unitsToView(b.elem_cz_[i], kNoUnit));
    }
    put_dump("\n");
}

void progress_line(const bdLocals& b) {
    const int m = h2::mid_stream(b);
    const bool curve =
        b.cyld_MethodL != 0 && b.cyld_nr > 1 && b.sl_iter <= b.ISM && std::fabs(b.accuracy) < b.sl_acc_limit;
    const double eq = std::log10(std::fabs(b.accuracy));
    const int vart = b.cyld_VART;
    const double ph = direct_task(vart) ? std::log10(std::fabs(b.Gaccuracy + kChangeOffset))
                                        : std::log10(std::fabs(b.Gaccuracy));
    const double eff = unitsToView(b.cyld_eff, kNoUnit);
    const double Nc = unitsToView(b.cyld_Nc, kPowerUnit);
    const double G = unitsToView(b.cyld_G, kMassFlowUnit);
    const char* lN = unitsLabel(kPowerUnit);
    const char* lG = unitsLabel(kMassFlowUnit);
    const char* lP = unitsLabel(kPressureUnit);
    const int steps = std::abs(b.inner_steps);
    SetConColor(kCyan, kMask);
    if (direct_task(vart) && h2::march_failure().elem >= 0) {
        // No outlet state to show: the element that stopped the march instead.
        const h2::MarchFailure& f = h2::march_failure();
        put_dump(
            "Loss       iter. #%3d - Eq.acc.=%-7.2f\t\t\t\t\t\t\t(choked: element %d passes Gmax=%-12g %s < "
            "G=%-12g %s)",
            b.iter, eq, f.elem, unitsToView(f.Gmax, kMassFlowUnit), lG, unitsToView(f.G, kMassFlowUnit), lG);
    } else if (direct_task(vart)) {
        const double P = unitsToView(b.isd_p2[b.cyld_ns][m], kPressureUnit);
        if (curve)
            put_dump(
                "Loss/curve iter. #%3d/%-3d - Eq.acc.=%-7.2f Ph.acc.=%-7.2f                  (eff=%g, "
                "Nc=%-12g%s, G=%-12g %s, P2n=%-12g%s)",
                b.iter, b.sl_iter, eq, ph, eff, Nc, lN, G, lG, P, lP);
        else
            put_dump(
                "Loss       iter. #%3d - Eq.acc.=%-7.2f Ph.acc.=%-7.2f\t\t\t\t\t\t(eff=%g, Nc=%-12g%s, "
                "G=%-12g "
                "%s, P2n=%-12g%s)",
                b.iter, eq, ph, eff, Nc, lN, G, lG, P, lP);
    } else if (vart == 30 || vart == 300) {
        const double P = unitsToView(b.elem_p0[0], kPressureUnit);
        if (curve)
            put_dump(
                "Loss/curve iter. #%3d/%-3d - Eq.acc.=%-7.2f Ph.acc.=%-7.2f after %-3d search steps (eff=%g, "
                "Nc=%-12g %s, G=%-12g%s, Po=%-12g%s)",
                b.iter, b.sl_iter, eq, ph, steps, eff, Nc, lN, G, lG, P, lP);
        else
            put_dump(
                "Loss       iter. #%3d - Eq.acc.=%-7.2f Ph.acc.=%-7.2f after %-3d search steps (eff=%g, "
                "Nc=%-12g %s, G=%-12g%s, Po=%-12g%s)",
                b.iter, eq, ph, steps, eff, Nc, lN, G, lG, P, lP);
    } else {
        if (curve)
            put_dump(
                "Loss/curve iter. #%3d/%-3d - Eq.acc.=%-7.2f Ph.acc.=%-7.2f after %-3d search steps (eff=%g, "
                "Nc=%-12g %s, G=%-12g%s)",
                b.iter, b.sl_iter, eq, ph, steps, eff, Nc, lN, G, lG);
        else
            put_dump(
                "Loss       iter. #%3d - Eq.acc.=%-7.2f Ph.acc.=%-7.2f after %-3d search steps (eff=%g, "
                "Nc=%-12g %s, G=%-12g%s)",
                b.iter, eq, ph, steps, eff, Nc, lN, G, lG);
    }
    if (std::isnan(b.accuracy))
        put_dump(" (BAD)\n");
    else if (std::fabs(b.accuracy) < b.acc_limit)
        put_dump(" (OK)\n");
    else
        put_dump(" (poor)\n");
    SetConDefColor();
}

// Twelve velocities a line, a line break after the last.
template <class Velocity>
void velocity_list(const bdLocals& b, Velocity velocity) {
    SetConColor(kCyan, kMask);
    for (int i = 0; i <= b.cyld_ns; ++i) {
        put_dump("%-10g ", unitsToView(velocity(i), kVelocityUnit));
        if ((i + 1) % kPerLine == 0) put_dump("\n");
    }
    put_dump("\n");
    SetConDefColor();
}

void convergence_text(const bdLocals& b) {
    const int vart = b.cyld_VART;
    if (direct_task(vart)) {
        SetConColor(kGreen, kMask);
        put_dump("\nConvergence by pressure %e is reached!\n\n", b.Gaccuracy);
        SetConColor(kBrightCyan, kMask);
        put_dump("Final velocities are (%s):\n", unitsLabel(kVelocityUnit));
        const int k = per_streamline(b) ? 0 : h2::mid_stream(b);
        velocity_list(b, [&](int i) { return b.flow_w2[i][k]; });
    } else if (inverse_task(vart)) {
        SetConColor(kBrightCyan, kMask);
        if (b.acc_Gconv >= 0.0 && std::fabs(b.acc_Gconv) > b.Gaccuracy)
            put_dump("\nPhisical  convergence %e was reached on %d iteration \n\n", b.Gaccuracy, b.iter);
        else if (per_streamline(b))
            put_dump("\nStreamline curvature convergence %e was reached on %d iteration\n\n", b.accuracy,
                     b.iter);
        else
            put_dump("\nLoss convergence %e was reached on %d iteration\n\n", b.accuracy, b.iter);
        put_dump("Final velocities are (%s):\n", unitsLabel(kVelocityUnit));
        velocity_list(b, [&](int i) { return std::exp(h2::solver_unknowns()[i]) * b.wb[i]; });
    }
}

}  // namespace

namespace h2 {

double row_span_mean(const bdLocals& b, const double* row) {
    const int n = b.cyld_nr - 1;
    if (n * b.ZAG != 0.0) return trapezoid_sum(n, b.ZAG, row) / (n * b.ZAG);
    return row[b.cyld_nr / 2];
}

double outlet_span_mean(const bdLocals& b, const double* const* field) {
    return row_span_mean(b, field[b.cyld_ns]);
}

}  // namespace h2

extern "C" {

int check_convergence(int it, int sl, double* p_ref, double* g_ref) {
    bdLocals& b = *get_bdLocals();
    const int vart = b.cyld_VART;
    if (vart < 10) return pressure_test(b, it, p_ref, true);
    // The outlet of a march stopped at a choked element is no outlet state.
    if (direct_task(vart) && h2::march_failure().elem >= 0) return 0;
    if (direct_task(vart)) {
        // Both tests run every iteration, so that each has its reference.
        const bool settled = power_settled(b, g_ref);
        const int verdict = pressure_test(b, it, p_ref, false);
        return verdict == 1 && !settled ? 0 : verdict;
    }
    if (inverse_task(vart)) return power_test(b, sl, g_ref);
    return 0;
}

int report_iteration(int verdict) {
    bdLocals& b = *get_bdLocals();
    const int m = h2::mid_stream(b);
    const bool choked = direct_task(b.cyld_VART) && h2::march_failure().elem >= 0;
    if (std::isnan(b.cyld_G) || std::isnan(b.cyld_Gv) || std::isnan(b.cyld_Nc) || std::isnan(b.cyld_eff) ||
        (!choked && std::isnan(b.isd_p2[b.cyld_ns][m])))
        return 3;
    mirror_to_peer(b);
    if (b.IPP > 2) element_table(b);
    if (b.cyld_VART >= 10 && b.IPP > 0 && b.IP == 0) progress_line(b);
    if (b.cyld_VART >= 10 && b.iter_hook != nullptr) b.iter_hook(&b, b.iter_hook_arg);
    if (verdict == 1 && b.IPP > 0) convergence_text(b);
    if (std::atomic_ref<std::int32_t>(b.need_abort).load(std::memory_order_relaxed) != 0) return 4;
    SetConDefColor();
    return 0;
}
}
