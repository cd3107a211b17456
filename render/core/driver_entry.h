// Driver entry: what DrvEnableDriver keeps for the rest of the library.
#pragma once
#include "windows.h"

// The glyph set of the ANSI code page (first character 0, 256 characters),
// computed by DrvEnableDriver and never changed afterwards; null before.
const FD_GLYPHSET* AnsiGlyphSet();

// Frees the process-wide model-data cache buffer when it exists. Provided by
// the model data reader.
void FreeModelCacheBuffer();
