// Switching the stream between PCL and HP-GL/2 context. Every HP-GL/2
// operation enters HP-GL/2 first and every PCL operation leaves it first, so
// the stream switches lazily and never holds an empty switch.
#pragma once
#include "windows.h"

struct PDEV;

// gl2 TRUE: enter HP-GL/2 ("\e%0B", the pen keeps its previous position);
// FALSE: leave it ("\e%0A", the PCL cursor returns to its previous position).
// Nothing is written when the stream is already in that context. Entering
// forgets the last escape prefix, so the next PCL escape is written whole.
void SetGL2Context(PDEV* pdev, BOOL gl2);

// The printer was reset: call right after writing "\eE" or a UEL
// ("\e%-12345X"). The printer is then in PCL with its default state, so the
// context flag becomes PCL (the next HP-GL/2 instruction writes "\e%0B"
// again), no escape group is open (the next escape is written whole), and
// every HP-GL/2 and PCL cache reads as unknown. Page and printable offsets,
// the new-sheet flag and the raster row buffer are kept.
void NotePrinterReset(PDEV* pdev);
