/* A host written in C sees the whole public interface, plug-in headers included. */
#include "halvorine2/halvorine2.h"
#include "halvorine2/fluid_plugin.h"
#include "halvorine2/loss_plugin.h"

int main(void) { return get_bdLocals() != 0; }
