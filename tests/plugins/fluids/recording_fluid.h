// The record a recording fluid plug-in keeps of what the host sent it, read
// by the tests through the plug-in's exported functions.
#pragma once

#include "halvorine2/case_block.h"

#ifdef __cplusplus
extern "C" {
#endif

enum RecordedKind {
    REC_ENTRY_MAIN = 0,     // "InitFluid" was called
    REC_ENTRY_COOLING = 1,  // "InitcFluid" was called
    REC_CALL_MAIN = 2,      // the function installed by "InitFluid" was called
    REC_CALL_COOLING = 3    // the function installed by "InitcFluid" was called
};

typedef struct RecordedEvent {
    int kind;
    int code;         // calls only
    double a, b, c;   // calls; for entries a is the fluid constant
    int which;        // calls only: the selector
    int slot;         // entries only: the slot handed over
    bdLocals* block;  // entries only
    char text[32];    // plug-ins built to read a text address: the text of code 1001's c
} RecordedEvent;

#define REC_MAX_EVENTS 256

typedef struct RecordedCalls {
    int count;
    int dropped;
    RecordedEvent events[REC_MAX_EVENTS];
} RecordedCalls;

// What every recorded function returns for a code other than 1001.
#define REC_ANSWER(code) (42.0 + (code))

typedef const RecordedCalls* (*RecordedCallsFunc)(void);
typedef void (*RecordResetFunc)(void);
typedef void (*RecordSetResultFunc)(double);

#ifdef __cplusplus
}
#endif
