// Placeholders of the section models and the strength routines: the strength
// pass runs through them and nothing is computed yet.
#include "blades/strength_seams.h"

extern "C" {

int init_model(void) { return 0; }
void term_model(void) {}
void WorkGeom(int, int, int) {}
void GuideGeom(int, int, int) {}
void ComprGeom(int, int) {}
int strs_material(int, double) { return 0; }
void rlpc(int) {}
int rlzc(int) { return 1; }
void vibration(int) {}
int vibrzz(int) { return 1; }
void diskr(int) {}
void diafr(int) {}
double bldVolume(int) { return 0.0; }
}
