// Axial forces of the flow on the rotor: the disk loads of every turbine
// stage from its cavity balance, the end load of the rotor, and the force
// formulas of a blade row and of a disk that the result reports use.
#pragma once

extern "C" {

// Solves the cavity balance of every rotor stage of the current case in
// path order, under-relaxes its root-gap flows lkgn__GP and lkgn__GPY with
// LkgRELAX (0.9 when LkgRELAX is not above 0), sums the disk forces into
// cyld__RAD, stores the end load in cyld__RAB and prints by IPL. Always 0;
// nothing happens without a current case whose arrays hold its path.
int calc_disks_axial_load(void);

// End load of the rotor on its end seal of diameter cyld__du against the
// ambient pressure 101235 Pa, stored in cyld__RAB and returned; 0, with
// cyld__RAB untouched, when cyld__du is 0 or the case has no arrays for it.
double rotor_end_load(void);

// Axial force on a blade row at one section: inlet pressure p1m,
// circumferential and axial speeds c1u, c1z and density rho of the flow in
// front of it between hub radius rh and tip radius rt, outlet pressure p2 and
// axial speed c2z. The swirl term of a free vortex needs both radii: it is 0
// when either is 0.
double blade_row_force(double p1m, double p2, double c1z, double c1u, double rho, double c2z, double rh,
                       double rt);

// Axial force on a blade row over n+1 sections sharing its mass flow G in
// n equal parts, each pressure taken per unit axial mass flux of the outlet
// (c2z rho2; rho1 is accepted but not used). A section without axial mass
// flux contributes no pressure term; 0 for n < 1 or a missing array.
double span_integral(int n, const double* p1, const double* p2, const double* c1z, const double* rho1,
                     const double* c2z, const double* rho2, double G);

// The same force integrated over the radius from rh to rt in n equal steps;
// 0 for n < 1 or a missing array.
double span_integral_r(int n, const double* p1, const double* p2, const double* c1z, const double* rho,
                       const double* c2z, double rh, double rt);

// Disk force without a cavity model: inlet pressure p1 on the annulus from
// seal diameter d1 to hub radius r1, minus outlet pressure p2 on the annulus
// from d2 to r2.
double annulus_force(double p1, double p2, double d1, double r1, double r2, double d2);

}  // extern "C"
