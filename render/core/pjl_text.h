// Text from outside the driver pasted into PJL lines (the stored-job name,
// the driver name, the service-pack string). A double quote would end a
// quoted value and a CR or LF would start a new PJL command, so they and the
// other control characters are replaced; ordinary text passes unchanged.
#pragma once
#include <cstddef>

#include "windows.h"

// Longest pasted text, in bytes.
constexpr size_t kPjlTextLimit = 80;

// Copies at most kPjlTextLimit bytes of `src` (stopping at a zero or after
// `srcMax` bytes) into `dest`, '"' as '\'' and control characters as ' '.
// `dest` needs kPjlTextLimit + 1 bytes; returns the bytes written.
size_t PjlSafeText(const char* src, size_t srcMax, char* dest);
// The same for a wide string, converted to the ANSI code page first.
size_t PjlSafeWideText(const WCHAR* src, size_t srcMax, char* dest);
