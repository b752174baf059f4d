// Placeholders of the module regeneration passes that a design solve runs
// once per iteration. Until the generators exist each says so and fails, so a
// design task ends with -1.
#include "halvorine2/output.h"

extern "C" {

int sfgRN(void) {
    put_err("sfgRN: fan module regeneration is not available\n");
    return 1;
}

int scgRN(int, int) {
    put_err("scgRN: axial compressor module regeneration is not available\n");
    return 1;
}

int rcgRN(int) {
    put_err("rcgRN: centrifugal compressor regeneration is not available\n");
    return 1;
}
}
