/* A host program built against an installed Halvorine2: runs a case file and
 * prints its headline results. */
#include <stdio.h>

#include <halvorine2/halvorine2.h>

int main(int argc, char** argv) {
    if (argc != 2 || binit_threading() != 0) return 2;
    bdLocals* b = binit();
    if (b == NULL || load_data(argv[1]) != 0) return 1;
    const int result = dbrun(b, 0);
    set_bdLocals(b);
    printf("version %s result %d G %g kg/s power %g W efficiency %g\n", HALVORINE2_VERSION_STRING, result,
           get_double_par0("cyld__G"), get_double_par0("cyld__Nc"), get_double_par0("cyld__eff"));
    bterm();
    bend_threading();
    return result;
}
