// PCL commands of the page and the text code: print direction, font ID,
// media type by name, transparent print data and macro calls. Each leaves
// HP-GL/2 context first.
#pragma once
#include "windows.h"

struct PDEV;

// "\e&a" angle "P", cached. A full turn or more is reduced modulo 360.
void PclPrintDirection(PDEV* pdev, LONG angle);
// "\e*c" id "D", cached.
void PclSetFontId(PDEV* pdev, LONG id);
// "\e&n" (length + 1) "Wd" and the name (the count includes the operation
// byte "d"). Names are cut at 254 bytes; null writes nothing.
void PclMediaType(PDEV* pdev, const char* name);
// "\e&p" n "X"; the caller writes the n data bytes next. They move the cursor
// along the line.
void PclTransparentData(PDEV* pdev, LONG n);
// "\e&f" id "y3X": select macro `id` and call it.
void PclCallMacro(PDEV* pdev, LONG id);
