// Loss of one blade section and the loss step of a whole element: the
// profile (P), secondary (S) and trans (N) loss models are called around an
// exit angle folded to at most 90 degrees, their losses are limited and
// combined into the velocity coefficient phi, and between the solver's loss
// iterations phi^2 is relaxed towards the loss sum. Deviation and blockage go
// to the wrapper of the element's family. Beside them stand three small tools
// of the element solvers.
//
// All work on the calling thread's current case, element i and section j. A
// model runs only when its switch is on and its slot entry is set; a
// switched-on model without an entry counts as switched off. Without a current
// case, without its arrays, with counts that no longer fit them, or with i or
// j outside them, nothing is read or written (results: 0, the angle handed in,
// blockage 0.0).
#pragma once

extern "C" {

// Loss of section j of element i; always 0.
//  1. a := cas__B2, or cas__B2a where cas__B2 is 0.0; the models see
//     cas__B2 := a, or 180 - a when a > 90; afterwards an angle that was
//     folded is unfolded, cas__B2 := 180 - cas__B2.
//  2. P and S run when switched; N runs when switched, otherwise los__GM := 1.0.
//  3. No model ran: the given phi is bounded, los__limit where it is below
//     the limit or not a number, else at most 1.0.
//  4. A model ran on a compressing path (elem__p0[0] <= elem__p2[NS]): phi :=
//     los_scale * 100 / (100 + XP + XS + XA), at least los__limit, at most 1.0.
//     With ICLos set (on any path) the profile loss is weighted by los__GM and
//     phi is the square root of the bounded value; this replaces step 4.
//  5. When isd__s1 is exactly 0.0: enrg__dhb := (1 - phi^2) max(w1^2, w2^2) / 2.
int section_losses(int i, int j);

// The solver's relaxed loss step for all sections of element i, when one of
// its P, S, N models runs; always 0. r is 1.0 for one section or a 1D solve,
// else LosRELAX when positive, else min(5 RELAX, 1.0). With los__policy > 0
// on an element of axial sections (several sections, no 1D solve) the
// secondary loss energy is moved to the end walls first. Per section phi^2
// moves by r towards the bounded loss sum; los__om takes the total-pressure
// loss coefficient of the relaxed phi^2 (k_loss_conv_c) and los__Los phi.
//
// End walls: ratio := (XP + XA)[tip] / (XP + XA)[hub], 1.0 when the hub sum
// is 0.0 (nothing to weigh by). When both end sections have no exit velocity
// (w2[tip]^2 ratio + w2[hub]^2 = 0) the secondary losses stay as they are.
int section_losses2(int i);

// The exit angle of section j turned by the deviation of the element's
// family: turbine rows elem_dev_turb; compressor rows of radial sections
// elem_dev_cent (deswirlers elem_dev_other), of axial sections
// elem_dev_axcomp (deswirlers elem_dev_other); any other element, and
// compressor rows of other section types, the angle unchanged.
double row_dev_angle(int i, int j, double angle);

// Blockage of section j, stored in cas__blck; los__Fp := 1 - cas__blck. A
// running B model starts from 0.0. Turbine rows elem_block_turb, compressor
// rows elem_block_cent (radial sections) or elem_block_axcomp (axial);
// elements of neither family with elem__MethodB on take the blockage of the
// element before (not element 0).
double row_blockage(int i, int j);

// Turbine rows. Deviation: V when it runs, else cas__iR := cas__B1g - cas__B1
// with cas__dR kept; a deviation that is not a number or beyond +-50 degrees
// is discarded (0.0); cas__dR *= dev_scale; result angle + cas__dR.
double elem_dev_turb(int i, int j, double angle);
// Blockage: B when it runs; result cas__blck.
double elem_block_turb(int i, int j);

// phi when flag is 1; else the velocity coefficient whose loss ratio
// (1 - phi^2)/phi^2 is s^2 times that of phi: 1 / sqrt(1 + (s sqrt(1 - phi^2) / phi)^2).
// phi = 0.0 gives 0.0 (its limit for s != 0), phi >= 1 (no loss) phi itself.
double rescale_phi(double phi, double s, int flag);

// Sine from the cosine x: sqrt(1 - x^2), the radicand raised to 1e-8 when
// smaller or not a number; negated when flag is non-zero.
double sin_from_cos(int flag, double x);
}
