/* Units of the current case: 39 groups, view = data * factor + offset.
 * Group numbers outside 0..38 convert to 0.0, have no label and change nothing;
 * so does every call while the thread has no current case. */
#ifndef HALVORINE2_UNITS_H
#define HALVORINE2_UNITS_H

#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

enum {
    H2_UNIT_NONE = 0, H2_UNIT_LENGTH, H2_UNIT_MASS, H2_UNIT_MASSFLOW, H2_UNIT_PRESSURE,
    H2_UNIT_TEMPERATURE, H2_UNIT_VISCOSITY, H2_UNIT_CONDUCTIVITY, H2_UNIT_DENSITY,
    H2_UNIT_ENTHALPY, H2_UNIT_SPECHEAT, H2_UNIT_HEATTRANSFER, H2_UNIT_VOLUME, H2_UNIT_AREA,
    H2_UNIT_SCALERESISTANCE, H2_UNIT_GASCONST, H2_UNIT_SURFACETENSION, H2_UNIT_CAPACITYRATE,
    H2_UNIT_VELOCITY, H2_UNIT_ANGLE, H2_UNIT_ENTROPY, H2_UNIT_POWER, H2_UNIT_ROTATION,
    H2_UNIT_LENGTH3, H2_UNIT_LENGTH4, H2_UNIT_MODUL_U, H2_UNIT_K_L_T, H2_UNIT_STRESS,
    H2_UNIT_FORCE, H2_UNIT_FREQUENCY, H2_UNIT_LENGTH_MM, H2_UNIT_LENGTH_SM2, H2_UNIT_LENGTH_SM3,
    H2_UNIT_LENGTH_SM4, H2_UNIT_VOLUMEFLOW, H2_UNIT_MOLARMASS, H2_UNIT_KIN_VISCOSITY,
    H2_UNIT_ANGLE_INLET, H2_UNIT_ANGLE_OUTLET,
    H2_UNIT_GROUP_COUNT
};

/* Stores the view-unit selection of a group; it takes effect at the next unitsInit. */
H2_API void unitsSetFlag(int group, int selection);
/* Rebuilds the 39 unit records from the selections. */
H2_API void unitsInit(void);
/* SI / US-customary selections for every group, then unitsInit. */
H2_API void unitsSetSI(void);
H2_API void unitsSetIP(void);
H2_API double unitsToView(double value, int group);
H2_API double unitsToData(double value, int group);
/* The group's label inside the current case (UTF-8 text). */
H2_API const char* unitsLabel(int group);
/* Group number of a name (case-insensitive), 0 when unknown. */
H2_API int nameToGroup(const char* name);
/* Name of a group; "DUMMY" for 0, 30-33 and numbers outside the table. */
H2_API const char* groupToName(int group);

H2_EXTERN_C_END

#endif
