// Port and printer names arrive from the spooler in UTF-16 and are handled
// in ANSI, at most 260 characters.
#pragma once
#include "langmon/port_record.h"

namespace langmon {

// Converts with `codePage`, cut to 260 characters; a null name gives "".
void ToAnsiName(UINT codePage, LPCWSTR name, char (&out)[kNameChars + 1]);
void CopyWideName(LPCWSTR name, WCHAR (&out)[kNameChars + 1]);

}  // namespace langmon
