// PCL parameterised escapes with a number as value: the one place the PCL
// helpers turn numbers into escape text.
#pragma once
#include "windows.h"

struct PDEV;

// One group "prefix value terminator", combined with an open group of the
// same prefix (see WriteEscape).
void WriteEscapeNumber(PDEV* pdev, const char* prefix, char terminator, LONG value, BOOL final);

// A run of groups under one prefix, the last one closing it: "\e*r100t200s1A".
struct EscapeParam {
  char terminator;  // lower case
  LONG value;
};
void WriteEscapeRun(PDEV* pdev, const char* prefix, const EscapeParam* params, int count);
