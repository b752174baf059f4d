// Section-property and strength routines of blade rows, as the solver's
// strength pass calls them. Each works on the current case by row index.
#pragma once

extern "C" {

// Loads the rotor and stator section models; 1 when both loaded, else 0.
int init_model(void);
// Frees both section models.
void term_model(void);
// Rotor, stator and compressor section properties of (row, section) into prof__.
void WorkGeom(int row, int section, int mode);
void GuideGeom(int row, int section, int mode);
void ComprGeom(int row, int section);
// Metal temperature T of a blade row and its material properties at T; 1 for
// an element that is no blade row.
int strs_material(int row, double T);
// Rotor stresses at the mean section and along the span, natural frequencies,
// disk and diaphragm strength.
void rlpc(int row);
int rlzc(int row);
void vibration(int row);
int vibrzz(int row);
void diskr(int row);
void diafr(int row);
// Blade volume of one row, all blades.
double bldVolume(int row);
}
