// Conversions between the velocity coefficient, the total-pressure loss
// coefficient and efficiencies, for a gas of isentropic exponent k over one
// expansion or compression from total pressure p0 to static pressure p. With
// m = (k - 1)/k the isentropic relation h_s/h = (p/p0)^m links pressures and
// enthalpies. Where k is 1 the incompressible closed forms hold; they are also
// taken for an exponent that is no exponent at all (not a number, not
// positive, or a fluid failure value above 1e19), so a failed property call
// never turns into a not-a-number coefficient.
#pragma once

extern "C" {

// Energy coefficient phi^2 from the total-pressure loss coefficient x =
// (p0 - p0')/(p0 - p) at total pressure p0, static pressure p, total enthalpy
// h. k = 1: 1/(1 + x). Otherwise p0' = p + (1 - x)(p0 - p), A = (p/p0')^m,
// B = (p/p0)^m and the result is (1 - A)/(1 - B). When p0 = p (no flow) the
// result is the limit 1 - x of the same expression. out (may be null): the
// Mach number sqrt(2|h - A h|) / sqrt((k - 1) A h) of the state reached; 0.0
// for the closed form and where (k - 1) A h is not positive.
double k_loss_conv_a(double x, double p0, double p, double h, double k, double* out);

// Total-pressure loss coefficient (p0 - p0')/(p0 - p) from the energy
// coefficient e = phi^2. k = 1: 1/e - 1 (0.0 for e = 0). Otherwise the
// enthalpy reached h' = h - (h - (p/p0)^m h) e, the total pressure kept
// p0' = p / (h'/h)^(k/(k - 1)), and the result 1 - (p0' - p)/(p0 - p); 0.0 when
// p0 = p. out (may be null): sqrt(2|h - h'|) / sqrt((k - 1) h'); 0.0 for the
// closed form and where (k - 1) h' is not positive.
double k_loss_conv_b(double e, double p0, double p, double h, double k, double* out);

// The same with the loss normalised by the dynamic head kept,
// (p0 - p0')/(p0' - p); 0.0 when p0' = p (no flow, or e = 0: no kinetic
// energy left to measure the loss by). k = 1: 1/e - 1 as k_loss_conv_b.
double k_loss_conv_c(double e, double p0, double p, double h, double k, double* out);

// Isentropic efficiency from the polytropic efficiency eta over the pressure
// ratio r = p2/p1: for a compression (r > 1) (r^m - 1)/(r^(m/eta) - 1), for
// an expansion (r < 1) (r^(m eta) - 1)/(r^m - 1). eta itself when k = 1 or r = 1
// (its limit there); 0.0 when r or eta is 0.0 or not a number, and when r is
// negative or infinite (p1 = 0) or eta infinite.
double k_loss_conv_d(double eta, double p1, double p2, double k);

// Polytropic efficiency from the isentropic efficiency eta over r = p2/p1:
// for a compression (r > 1) m ln r / ln t with t = (r^m - 1)/eta + 1, for an
// expansion (r < 1) ln t / (m ln r) with t = 1 + eta (r^m - 1). 0.0 when p1 or p2 is 0.0, not a
// number or above 1e19; eta itself when k = 1 or r = 1 (its limit there); 0.0
// when r <= 0, eta <= 0, eta >= 1 or t <= 0.
double k_loss_conv_e(double eta, double p1, double p2, double k);
}
