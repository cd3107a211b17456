// The driver's own text formatter for printer commands (bytes, not wide
// characters). Conversions: %d (signed, with a one-digit zero-fill width),
// %l (signed), %u (unsigned), %X and %x (upper-case hex, at least two digits),
// %f (24.8 fixed point, up to three decimals), %b ("true"/"false"), %c (a
// byte), %s (a string); any other character after '%' stands for itself.
#pragma once
#include <cstdarg>

#include "windows.h"

// Command buffers the callers use: at most 259 characters and the zero.
constexpr size_t kCommandBufferSize = 260;

// Formats into `dest` (room for `destSize` bytes including the terminating
// zero); text beyond the room is dropped. Returns the characters written,
// without the zero.
int FormatString(char* dest, size_t destSize, const char* format, ...);
int FormatStringV(char* dest, size_t destSize, const char* format, va_list args);

// A length in tenths as "<value / 10>.<value mod 10>" (37 gives "3.7").
// `dest` needs room for 13 bytes; returns the characters written.
int FormatTenths(LONG tenths, char* dest, size_t destSize);
