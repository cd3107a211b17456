#include "render/core/format_string.h"

int FormatTenths(LONG tenths, char* dest, size_t destSize) {
  // Callers pass lengths, which are not negative; a negative value still
  // reads as one number ("-3.7"), not "-3.-7".
  const char* sign = tenths < 0 ? "-" : "";
  uint32_t m = tenths < 0 ? uint32_t(0) - uint32_t(tenths) : uint32_t(tenths);
  return FormatString(dest, destSize, "%s%u.%c", sign, m / 10, int('0' + m % 10));
}
