// GDI mixes to ternary raster operations for HP-GL/2 merge control.
#pragma once
#include "windows.h"

// Low byte: the ROP3 of the foreground R2_ code (low byte of `mix`), with the
// pattern in place of the pen; high byte: that of the background R2_ code.
WORD MixToRop3(MIX mix);
