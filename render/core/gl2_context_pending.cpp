// Placeholder until the HP-GL/2 command writer exists: it replaces this file
// with the real context switch and its state in the PDEV's graphics cache.
#include "render/core/gl2_writer.h"

void EnterGL2Context(PDEV*) {}
