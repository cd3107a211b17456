// PCL parameterised escapes: "\e" + group characters + value + terminator.
// Consecutive groups with the same prefix are combined by writing the
// terminators of all but the last in lower case ("\e*b5m1024W").
#pragma once
#include "windows.h"

struct PDEV;

// Writes one group: the prefix unless it continues the previous, unclosed
// group with the same prefix; then the value (when given) and the terminator
// (when not zero), upper-cased when `final` closes the group. A combined run
// must end with a final group before anything else is written.
void WriteEscape(PDEV* pdev, const char* prefix, char terminator, const char* value, BOOL final);
// Writes prefix, value and terminator, each when given; no combining.
void WriteEscapeString(PDEV* pdev, const char* prefix, const char* terminator, const char* value);
// Forgets the last group, as at PDEV creation and document start.
void ResetEscapeCombining(PDEV* pdev);
