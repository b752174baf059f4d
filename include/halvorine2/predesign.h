/* Records of the predesign module table: one per module of a machine to be
 * pre-designed, in flow order. Hosts write the records directly, so the
 * layout is part of the interface; on a 32-bit target every field sits at its
 * documented byte offset and a record is 1,456 bytes. On 64-bit targets the
 * order is the same and the model pointer is pointer-sized. */
#ifndef HALVORINE2_PREDESIGN_H
#define HALVORINE2_PREDESIGN_H

#include <stdint.h>

#include "halvorine2/case_block.h"
#include "halvorine2/export.h"

/* Module types (field `type`). */
enum PD_module_type {
    TURB_AXIAL = 0,
    TURB_RADIAL = 1,
    TURB_CURTIS = 2,
    COMP_AXIAL = 3,
    COMP_FAN = 4,
    COMP_RADIAL = 5
};

/* The ten design variables, in the order of every value and range array. */
enum {
    PD_VAR_OM = 0, PD_VAR_D, PD_VAR_CZ, PD_VAR_HT, PD_VAR_R,
    PD_VAR_PA, PD_VAR_KU, PD_VAR_KZ, PD_VAR_M, PD_VAR_KH,
    PD_VAR_COUNT
};

/* The limits, in the order of every limit array (room for ten, seven used). */
enum {
    PD_LIM_STG = 0, PD_LIM_DH, PD_LIM_DS, PD_LIM_A1, PD_LIM_LENGTH, PD_LIM_MACH, PD_LIM_MASS,
    PD_LIM_COUNT
};

enum { PD_MODULE_MAX = 6, PD_MODULE_TEXT = 200, PD_MODULE_SLOTS = 10 };

typedef struct PD_module {
    int32_t type;          /* enum PD_module_type */
    int32_t index;         /* the record's own index in the table */
    int32_t Disp;          /* record 0: flow-path arrangement of every module's model */
    int32_t elemsPerStage; /* elements per stage, set by the module's generator */
    int32_t Dflag;         /* specific-diameter switch, 0, 1 or 2 */
    int32_t Gflag;         /* how the generators derive their dimensions, 0 or 1 */
    int32_t Vflag;         /* extra volute elements: 1/3 at the inlet, 2/3 at the outlet */
    int32_t cooled;        /* cooling switch of the rows an axial turbine generator builds */
    int32_t igv_form;      /* inlet guide vanes of a centrifugal stage, 0 none */
    int32_t diff_form;     /* diffuser: 1 vaneless, 2 vaned, 0 none */
    int32_t uband_form;
    int32_t desw_form;
    int32_t lbau_form;
    int32_t lbda_form;
    int32_t volin_form;    /* inlet volute form, 0 none */
    int32_t volout_form;   /* outlet volute form, 0 none */
    double PD_VAL[PD_MODULE_SLOTS];       /* current values, by PD_VAR_* */
    double PD_VAR_lower[PD_MODULE_SLOTS]; /* range of each variable */
    double PD_VAR_upper[PD_MODULE_SLOTS];
    int32_t restoreFlag;   /* non-zero: rebuild a known point without limit checks */
    uint8_t reserved_308[4];
    double PD_ACH[PD_MODULE_SLOTS];       /* achieved values, by PD_LIM_* */
    double PD_LIM_lower[PD_MODULE_SLOTS]; /* limits; a LENGTH or MASS pair of 0.0 is off */
    double PD_LIM_upper[PD_MODULE_SLOTS];
    double PD_SRC_P0;      /* record 0: machine inlet total pressure */
    double PD_SRC_I0;      /* record 0: machine inlet total enthalpy */
    double PD_SRC_A0;      /* record 0: machine inlet flow angle, degrees */
    double PD_SRC_OM;      /* rotational speed of the module */
    double PD_SRC_G;       /* mass flow through the module */
    double PD_SRC_P2N;     /* outlet pressure of the module */
    double PD_SRC_AF;      /* fluid parameter */
    double bladeDensity;   /* blade material density */
    double dtm;
    uint8_t reserved_624[8];
    bdLocals* PD_model;    /* the module's model case block */
    char atlasListS[PD_MODULE_TEXT];
    char atlasListR[PD_MODULE_TEXT];
    int32_t prereq28;
    int32_t prereq29;
    char profNameS[PD_MODULE_TEXT];
    char profNameR[PD_MODULE_TEXT];
    int32_t useAtlasS;     /* record 0: build and load the stator profile atlas */
    int32_t useAtlasR;     /* record 0: the same for the rotor atlas */
    uint8_t reserved_1452[4];
} PD_module;

H2_EXTERN_C_BEGIN

/* Sets the module count to n (stored as given; readers use at most
 * PD_MODULE_MAX records) and stores the address of record 0 of the
 * process-wide module table in *table, through which the host writes the
 * records. Touches no case block. Returns 0. */
H2_API int getRanges(int n, PD_module** table);
/* Sets the module count to n and attaches the module table and the first
 * prerequisite block to the calling thread's case, which marks it as a
 * predesign module. Returns 0, or -1 without a current case. */
H2_API int setRanges(int n);

H2_EXTERN_C_END

#endif
