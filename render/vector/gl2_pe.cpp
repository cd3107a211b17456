#include "render/vector/gl2_pe.h"

#include "render/core/gl2_writer.h"

int EncodePeNumber(LONG v, BYTE* out) {
  // In 64 bits: 2|v| + 1 of INT32_MIN does not fit in 32.
  ULONGLONG n = v < 0 ? (ULONGLONG(-(LONGLONG(v))) << 1) + 1 : ULONGLONG(v) << 1;
  int count = 0;
  while (n >= 64) {
    out[count++] = BYTE(n % 64 + 63);
    n /= 64;
  }
  out[count++] = BYTE(n + 191);
  return count;
}

BOOL GL2EncodeDelta(PDEV* pdev, LONG dx, LONG dy) {
  char text[16];
  int n = EncodePeNumber(dx, reinterpret_cast<BYTE*>(text));
  n += EncodePeNumber(dy, reinterpret_cast<BYTE*>(text) + n);
  text[n] = '\0';
  // The characters are never zero (63 and above), so the pair is one string.
  WriteGL2(pdev, "%s", text);
  return TRUE;
}
