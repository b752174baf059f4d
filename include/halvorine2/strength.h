/* Blade sections and strength: the stored section models, the section
 * properties of a blade row, rotor blade stresses and frequencies, diaphragms,
 * disks and blade volumes.
 *
 * Every routine works on the calling thread's current case block. Routines
 * that take a row (element) and a section check them: without a current case
 * with arrays, for a row outside 0..cyld__ns or a section outside
 * 0..cyld__nr-1 nothing is written. The single-section routines read the
 * middle section cyld__nr/2 (integer division). Angles are in degrees, all
 * other quantities in SI units. */
#ifndef HALVORINE2_STRENGTH_H
#define HALVORINE2_STRENGTH_H

#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

/* A stored section model: model[k][r][c] is coefficient (r, c) of the 5 x 5
 * matrix of set k, a quadratic in four scaled variables of which only the
 * upper triangle is read. A model from alloc_model has 18 sets (rotor, kind 1)
 * or 19 (stator, kind 2) and a NULL after its last set; it is one allocation. */
typedef double*** GeomModel;

/* Bits of the case's model_source after init_model: the models were loaded,
 * and which of them came from its file (the others from the built-in tables). */
#define H2_MODEL_ROTOR_FILE 1
#define H2_MODEL_STATOR_FILE 2
#define H2_MODEL_LOADED 16

/* Loads both section models into model_rotor and model_stator of the current
 * case, from "model_w.bin" and "model_g.bin" in the working directory (else
 * in $HALVORINE2_DATA_DIR, else in the installation's data folder) when
 * they open and hold exactly one model of finite coefficients, else (with a
 * line naming the file and the fault, once per case) from the built-in tables. A model the case loaded
 * earlier is released first; a model a host put into a field is left to the host. 1 when both loaded, else 0
 * (also without a current case). */
H2_API int init_model(void);
/* A new model of kind 1 (rotor) or 2 (stator), not stored anywhere; NULL for
 * another kind or when memory runs out. Release it with free(). */
H2_API GeomModel alloc_model(int kind);
/* Releases both models of the current case: free_model(1), free_model(2). */
H2_API void term_model(void);
/* Kind 1 clears model_rotor, any other kind model_stator, releasing the model
 * only when init_model of this case loaded it. */
H2_API void free_model(int kind);
/* Value of set k of the model at x[0..n-1], each x scaled so that lo maps to
 * -1 and hi to +1 (no clamping). 1e20 for a NULL argument, n outside 1..4, k
 * outside the model's sets, or lo = hi for a variable. */
H2_API double model_geom(int n, int k, const double* lo, const double* hi, GeomModel model, const double* x);

/* Section properties (prof__ fields), pitch, blade count and throat of a
 * turbine rotor section from the rotor model; mode 2 also writes the stagger
 * cas__Byct. Nothing happens when the rotor model is not loaded. */
H2_API void WorkGeom(int row, int section, int mode);
/* The same for a turbine stator section from the stator model. */
H2_API void GuideGeom(int row, int section, int mode);
/* Area prof__F and stagger cas__Byct of a compressor section by formula. */
H2_API void ComprGeom(int row, int section);

/* Single-section rotor blade stresses at the middle section: volume, mass,
 * centrifugal and shroud stress, taper ratio, gas forces and bending. */
H2_API void rlpc(int row);
/* First bending frequency of a rotor blade from its middle section. */
H2_API void vibration(int row);
/* Spanwise rotor blade stresses over all sections; 1 for fewer than two
 * sections, bad input or no memory (nothing written), else 0. */
H2_API int rlzc(int row);
/* Spanwise (Rayleigh) estimate of the first bending frequency; as rlzc. */
H2_API int vibrzz(int row);

/* Diaphragm of a stator row: vane bending, body stress, volumes, masses. */
H2_API void diafr(int row);
/* Diaphragm with an inner and an outer ring. */
H2_API void diafrC(int row);
/* Reserved; does nothing. */
H2_API void vaned(int row);
/* Rotor disk of hyperbolic profile under a rotor row: bore thickness, radial
 * and tangential stress, volume and mass. */
H2_API void diskr(int row);
/* Blade volume of a row (all blades); 0 for bad input. */
H2_API double bldVolume(int row);

H2_EXTERN_C_END

#endif
