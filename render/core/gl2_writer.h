// HP-GL/2 instructions through the spool stream.
#pragma once
#include "windows.h"

struct PDEV;

// Makes sure the printer is in HP-GL/2 context, then formats (as
// FormatString; at most 259 characters) and writes the text.
void WriteGL2(PDEV* pdev, const char* format, ...);
