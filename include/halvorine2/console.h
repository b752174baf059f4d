/* Console colours and the splash box.
 *
 * Attributes are console colour bits: foreground in bits 0-3, background in
 * bits 4-7 (blue 1, green 2, red 4, bright 8). On a terminal they are shown
 * as ANSI colours once SetConMode has set the console up; elsewhere only the
 * text reaches standard output. The console state is process-wide and not
 * locked: concurrent runs may mix colours. */
#ifndef HALVORINE2_CONSOLE_H
#define HALVORINE2_CONSOLE_H

#include <stdint.h>

#include "halvorine2/export.h"

H2_EXTERN_C_BEGIN

/* Sets the console up: mode 1 keeps the current screen, any other value opens
 * a screen of its own (the terminal's alternate screen). */
H2_API void SetConMode(int16_t mode);
/* Leaves the screen that SetConMode opened. */
H2_API void UnsetConMode(void);
/* Draws a 7 x 40 splash box at rows 0-6, columns 20-59, with the title
 * (at most 40 characters are used) in row 2. */
H2_API void ConSplash(const char* title);
/* Writes `length` characters of text (at most 2,000, never past its end) at
 * (column, row) and gives `length` cells the attribute background*16+foreground. */
H2_API void EGAstr(int16_t row, int16_t column, int length, int8_t background, int8_t foreground,
                   const char* text);
/* attribute := (attribute AND mask) OR bits. */
H2_API void SetConColor(uint16_t bits, uint16_t mask);
/* Grey on black, then flushes standard output. */
H2_API void SetConDefColor(void);

H2_EXTERN_C_END

#endif
