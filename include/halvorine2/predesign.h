/* Records of the predesign module table: one per module of a machine to be
 * pre-designed, in flow order. Hosts write the records directly, so the
 * layout is part of the interface; on a 32-bit target every field sits at its
 * documented byte offset and a record is 1,456 bytes. On 64-bit targets the
 * order is the same and the model pointer is pointer-sized. */
#ifndef HALVORINE2_PREDESIGN_H
#define HALVORINE2_PREDESIGN_H

#include <stdint.h>
#include <stdio.h>

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
    PD_VAR_OM = 0,
    PD_VAR_D,
    PD_VAR_CZ,
    PD_VAR_HT,
    PD_VAR_R,
    PD_VAR_PA,
    PD_VAR_KU,
    PD_VAR_KZ,
    PD_VAR_M,
    PD_VAR_KH,
    PD_VAR_COUNT
};

/* The limits, in the order of every limit array (room for ten, seven used). */
enum {
    PD_LIM_STG = 0,
    PD_LIM_DH,
    PD_LIM_DS,
    PD_LIM_A1,
    PD_LIM_LENGTH,
    PD_LIM_MACH,
    PD_LIM_MASS,
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
    int32_t volin_form;                   /* inlet volute form, 0 none */
    int32_t volout_form;                  /* outlet volute form, 0 none */
    double PD_VAL[PD_MODULE_SLOTS];       /* current values, by PD_VAR_* */
    double PD_VAR_lower[PD_MODULE_SLOTS]; /* range of each variable */
    double PD_VAR_upper[PD_MODULE_SLOTS];
    int32_t restoreFlag; /* non-zero: rebuild a known point without limit checks */
    uint8_t reserved_308[4];
    double PD_ACH[PD_MODULE_SLOTS];       /* achieved values, by PD_LIM_* */
    double PD_LIM_lower[PD_MODULE_SLOTS]; /* limits; a LENGTH or MASS pair of 0.0 is off */
    double PD_LIM_upper[PD_MODULE_SLOTS];
    double PD_SRC_P0;    /* record 0: machine inlet total pressure */
    double PD_SRC_I0;    /* record 0: machine inlet total enthalpy */
    double PD_SRC_A0;    /* record 0: machine inlet flow angle, degrees */
    double PD_SRC_OM;    /* rotational speed of the module */
    double PD_SRC_G;     /* mass flow through the module */
    double PD_SRC_P2N;   /* outlet pressure of the module */
    double PD_SRC_AF;    /* fluid parameter */
    double bladeDensity; /* blade material density */
    double dtm;
    uint8_t reserved_624[8];
    bdLocals* PD_model; /* the module's model case block */
    char atlasListS[PD_MODULE_TEXT];
    char atlasListR[PD_MODULE_TEXT];
    int32_t prereq28;
    int32_t prereq29;
    char profNameS[PD_MODULE_TEXT];
    char profNameR[PD_MODULE_TEXT];
    int32_t useAtlasS; /* record 0: build and load the stator profile atlas */
    int32_t useAtlasR; /* record 0: the same for the rotor atlas */
    uint8_t reserved_1452[4];
} PD_module;

H2_EXTERN_C_BEGIN

/* Threads: every host thread has a module table (records, count and
 * prerequisite blocks) of its own, and a case keeps the table that setRanges
 * or PD_load_data attached to it, on whichever thread the case is current
 * later. Predesigns may run on several host threads at once, each in a case
 * of its own (as analyses may); one case must not be used by two threads at
 * once. The table is "the module table" below: the one attached to the
 * calling thread's current case, otherwise the calling thread's own. A
 * thread's own table lives as long as the thread: a case attached to it is
 * not searched after that thread has ended. */

/* Stores the address of record 0 of the module table in *table (when table
 * is not NULL), through which the host writes the records, and sets the
 * module count to n. Touches no case block. Returns 0; 2 for n outside 0..6,
 * which leaves the count as it was (the address is still stored). */
H2_API int getRanges(int n, PD_module** table);
/* Sets the module count to n and attaches the module table and the first
 * prerequisite block to the calling thread's case, which marks it as a
 * predesign case. Returns 0; -1 without a current case; 2 for n outside
 * 0..6 (nothing changes). */
H2_API int setRanges(int n);

/* Reads a predesign input file into the current case and the module table:
 * solver switches, the machine inlet state (a temperature below 10000 K is
 * turned into a total enthalpy with the case's fluid), the module count and
 * the records. On success the case has arrays for the largest flow path the
 * stage limits allow, per-element loss defaults, and the table attached as by
 * setRanges. 0 read; -1 no file name; 1 the file cannot be opened or the
 * fluid cannot be set up; 2 a dimension or the module count exceeds its
 * maximum; 3 a value that is no number, not finite, a module type outside
 * 0..5 or an option block of wrong length. On failure the case (its fluid
 * included), its name and the table are as before. */
H2_API int PD_load_data(const char* file);

/* Writes the default prerequisite values into the block the current case
 * reaches through prereq_ref; slots without a default keep their contents.
 * Does nothing without a current case or a block. Returns 0. */
H2_API int PD_default_prereq(void);

/* Builds one model case per module of the table from the current case (the
 * master): settings, names, fluids and loss models, arrays for the largest
 * module the stage limits allow. Models built earlier and not yet freed are
 * released first. 0 built; the code of alloc_probdata when a model's arrays
 * cannot be made; 1 when a fluid cannot be set up, a loss-model loader fails
 * or there is no current case; -1 when the set-up of a shared fluid reports
 * failure. The master is current again on return, with its own settings. */
H2_API int InitModels(void);

/* Called by the searches on every new best point; does nothing. Returns 0. */
H2_API int PushHistory(int nmodules, int point, double criterion, PD_module* table);

/* Writes the module table as a block of text to stream when the current
 * case's IPO is not 0, followed by the case's data report when withAll is not
 * 0. Nothing is written for a NULL stream or without a current case. */
H2_API void PD_report_data(FILE* stream, int withAll);
/* Writes the result report of the current case to stream (nothing for a NULL
 * stream). */
H2_API void PD_report_result(FILE* stream);

/* Composes one design of the whole machine from the module table: every
 * module generated in its model case (InitModels), checked against its limits
 * (none when restoreFlag is not 0), each module's outlet handed to the next,
 * and all joined into the current case, which must have arrays for the joined
 * flow path. 0 done; -1 no module, a record without a model or a type without
 * a generator; 101 a limit, or a joined path longer than the case's arrays
 * (or 101 elements); 3 corrupted data; else the failing generator's code. The
 * case is current again on every return and holds a failed module's text. */
H2_API int PredC(int restoreFlag);
/* Rebuilds, solves and reports the design of the table's current values.
 * keepModels not 0 uses the models InitModels built (-1 when there are none)
 * and keeps them; otherwise builds and frees its own (InitModels' code when
 * that fails). Else the code of PredC or of the solve, 0 done. */
H2_API int RestorePoint(int keepModels, int restoreFlag);
/* Searches the design points first..end-1 of the LPtau sequence for the best
 * by the criterion key (a leading '-' keeps the smallest), leaves the best
 * solved and reported in the current case and the table at its values. 0 a
 * best point; 101 none; 4 aborted after good points; -1 a dimension total
 * outside 2..40, a bad range or key; else a preparation's or the best
 * point's code. The case field pd_threads picks the workers (0 one per core,
 * 1 the calling thread only); results and output do not depend on it. */
H2_API int OptCyl(int first, int end, int reserved, const char* key);

H2_EXTERN_C_END

#endif
