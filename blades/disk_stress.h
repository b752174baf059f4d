// Closed forms behind the diaphragm and disk ratings, kept apart so that
// they can be checked against the equations they solve.
#pragma once

namespace h2::blades {

// Stresses of a rotating disk whose thickness varies as r^-m, loaded by its
// own rotation and a radial stress sigma2 at the rim R2, free at the bore
// R1: sigma_r(R1) = 0, sigma_r(R2) = sigma2.
struct HyperbolicDisk {
    HyperbolicDisk(double m, double nu, double rho, double omega, double R1, double R2, double sigma2);
    double radial(double r) const;
    double tangential(double r) const;

    double m, a1, a2, Kr, Kt, Ac, Bc;
};

// Moment of inertia about its own centroid of a ring section of axial width
// c whose radial height runs from h + d on one face to h on the other (a
// rectangle h x c with a triangle d x c on it).
double ring_section_inertia(double d, double h, double c);

}  // namespace h2::blades
