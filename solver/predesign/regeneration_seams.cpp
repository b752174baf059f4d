// Placeholders of the module regeneration passes that a design solve runs
// once per iteration. Until the generators exist each says so and fails, so a
// design task ends with -1.
#include "halvorine2/output.h"

extern "C" {

int stgRN(void) {
    put_err("stgRN: turbine flow-path regeneration is not available\n");
    return 1;
}
}
