/* A host program in C that pre-designs a one-stage centrifugal compressor:
 * impeller, vaned diffuser and an outlet volute drawn as a free vortex, for
 * 2 kg/s of air and a pressure ratio of 1.85.
 *
 * It loads the flow-path skeleton (examples/centrifugal_compressor.dat),
 * fills one COMP_RADIAL record of the predesign module table, attaches it and
 * its prerequisite block to the case, marks the elements as that module's and
 * solves the design task: the solver regenerates the stage from the record
 * until it delivers the outlet pressure, and prints the source-data and
 * result reports. A summary follows.
 *
 * Usage: centrifugal_compressor PLUGIN_DIR CASE_FILE (the build runs it from
 * CTest with build/plugins and the shipped case file). Exit code: the
 * solver's result, or 1 when the case does not load. */
#include <stdio.h>

#include "halvorine2/halvorine2.h"

/* The empirical constants of the centrifugal stage elements (prerequisite
 * slots 80 to 124 of the module's block): impeller, diffusers, bends,
 * deswirler and volutes. */
static const double kStageConstants[45] = {
    6.0,  0.01, 1.0,  0.04, 0.01, 0.01, 0.4, 3.0,  0.78, 1.6,  /* 80-89 */
    1.0,  6.0,  1.05, 1.0,  1.4,  1.0,  0.0, 10.0, 3.0,  0.01, /* 90-99 */
    0.01, 6.0,  2.0,  0.0,  6.0,  2.0,  6.0, 2.0,  6.0,  0.4,  /* 100-109 */
    3.0,  2.0,  0.0,  0.05, 0.01, 0.01, 0.8, 0.9,  0.9,  0.9,  /* 110-119 */
    0.9,  0.9,  0.8,  0.8,  0.7};                              /* 120-124 */

enum { kFirstStageSlot = 80, kDiffuserTurning = 96 };

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s PLUGIN_DIR CASE_FILE\n", argv[0]);
        return 1;
    }
    if (binit_threading() != 0 || binit() == NULL) {
        fprintf(stderr, "no case can be made\n");
        return 1;
    }
    bdLocals* b = get_bdLocals();
    set_char_par("ModelBase", argv[1]);
    const int loaded = load_data(argv[2]);
    if (loaded != 0) {
        fprintf(stderr, "%s: the case file does not load (code %d)\n", argv[2], loaded);
        bterm();
        bend_threading();
        return 1;
    }

    /* One centrifugal compressor module: guide vanes at the radial inlet,
     * vaned diffuser, outlet volute of geometry form 0 (option 5). */
    PD_module* table = NULL;
    getRanges(1, &table);
    PD_module* r = &table[0];
    r->type = COMP_RADIAL;
    r->index = 0;
    r->igv_form = 1;
    r->diff_form = 2;
    r->volout_form = 5;
    r->PD_VAL[PD_VAR_OM] = 3000.0; /* rad/s */
    r->PD_VAL[PD_VAR_D] = 0.15;    /* impeller eye, m */
    r->PD_VAL[PD_VAR_CZ] = 0.5;    /* flow coefficient cm / u at the eye */
    r->PD_VAL[PD_VAR_HT] = 0.6;    /* first head coefficient of the iteration */
    r->PD_VAL[PD_VAR_KZ] = 1.0;    /* outlet over inlet meridional velocity */
    r->PD_VAL[PD_VAR_M] = 1.8;     /* impeller diameter ratio */
    setRanges(1);

    double* slots = (double*)b->prereq_ref;
    for (int k = 0; k < 45; ++k) slots[kFirstStageSlot + k] = kStageConstants[k];
    slots[kDiffuserTurning] = 10.0; /* the diffuser vanes turn the flow by 10 degrees */

    /* Every element belongs to module 0, a centrifugal compressor. */
    for (int i = 0; i <= b->cyld_ns; ++i) {
        set_double_par1("elem__moduleType", i, (double)COMP_RADIAL);
        set_double_par1("elem__moduleNum", i, 0.0);
    }

    const int result = dbrun(b, 0);
    const int last = b->cyld_ns;
    printf("\nCentrifugal compressor design: result %d\n", result);
    if (result == 0) {
        printf("  pressure ratio p2/p0*      %10.5f\n",
               get_double_par2("isd__p2", last, 0) / get_double_par1("elem__p0", 0));
        printf("  head coefficient           %10.5f\n", get_double_par1("elem__Ht", 1));
        /* The result report's total-to-total efficiency (Effx): the
         * isentropic total head to the outlet total pressure over the shaft
         * work, which the outlet total enthalpy carries in full. */
        printf("  efficiency, total-to-total %10.5f  (the report's Effx)\n", get_double_par0("cyld__effx"));
        printf("  impeller diameter, m       %10.5f\n", get_double_par1("bld__d2", 1));
        printf("  impeller blades            %10.0f\n", get_double_par1("bld__z", 1));
        printf("  diffuser vanes             %10.0f\n", get_double_par1("bld__z", 2));
        printf("  volute diameter, m         %10.5f\n", get_double_par1("vol__Dk", last));
        printf("  stage power, kW            %10.3f\n", b->cyld_Nc / 1000.0);
    }
    bterm();
    bend_threading();
    return result;
}
