/* Loss-model plug-ins: loading them into the current case and copying their
 * slot entries between cases.
 *
 * A loss-model plug-in is a shared library with one initialiser, named like
 * the loader that loads it; the initialiser installs the model's calculation
 * and description functions into the case's LossSlots for one element
 * (halvorine2/loss_plugin.h is what a plug-in compiles against). Libraries
 * are looked for in ModelBase ("%s/%s"; the file name alone when ModelBase is
 * empty); a name ending in ".dll" that cannot be opened is tried with ".so".
 * Libraries stay loaded for the life of the process. */
#ifndef HALVORINE2_LOSSES_H
#define HALVORINE2_LOSSES_H

#include "halvorine2/case_block.h"
#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

/* The loaders, one per model, on element `element` of the current case.
 * `name` is the library's file name; NULL or "" picks the element's default
 * library (kmgr_c/kmgr_t, kmgd_t, kmga_t, and kmprf_, kmsnd_, kmtrn_, kmdva_,
 * kmblk_ with the suffix of the element's family). Every call loads the
 * library again and calls its initialiser again. Always 0: a missing library
 * or entry, an element without a default library, no current case, a case
 * without arrays and an element outside 0..cyld__ns all leave the slots as
 * they were. */
H2_API int InitURZ(const char* name, int element);      /* R: radial-clearance leakage */
H2_API int InitUDU(const char* name, int element);      /* D: diaphragm and disk leakage */
H2_API int InitZAZlos(const char* name, int element);   /* Z: gap loss */
H2_API int InitProfLos(const char* name, int element);  /* P: profile loss */
H2_API int InitScndLos(const char* name, int element);  /* S: secondary loss */
H2_API int InitTransLos(const char* name, int element); /* N: trans loss */
H2_API int InitDevAng(const char* name, int element);   /* V: deviation angle */
H2_API int InitBlock(const char* name, int element);    /* B: blockage */

/* Loads every model of every element of the current case that is not a duct
 * (elem__stagType 0), with the case's model names (leakDName, leakRName,
 * leakZName, losPName, losSName, losNName, devName, blockName). 0 done; 1 when
 * a loader returned non-zero, or there is no current case with arrays that
 * hold its elements. */
H2_API int InitLoses(void);

/* Copies the sixteen slot entries of src's elements 0..cyld__ns into the same
 * elements of dst (as far as dst's slot arrays reach), then the case switches
 * cyld__MethodP, S, N, V, R, D and B (dst keeps its cyld__MethodZ). 0 done;
 * -1 when src or dst is NULL (nothing changes). */
H2_API int CopyLoses(const bdLocals* src, bdLocals* dst);

/* Copies slot entries element by element: with k >= 0 the entries of src's
 * element k go to every element of dst from dstStart on; with k < 0 src's
 * elements srcStart, srcStart+1, ... go to dst's elements dstStart,
 * dstStart+1, ... The walk stops after dst's element cyld__ns and, with k < 0,
 * after src's element cyld__ns. Then the case switches are copied as by
 * CopyLoses. 0 done; -1 when src or dst is NULL (nothing changes). */
H2_API int FillLoses(const bdLocals* src, int k, bdLocals* dst, int dstStart, int srcStart);

H2_EXTERN_C_END

#endif
