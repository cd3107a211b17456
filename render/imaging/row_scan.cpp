#include "render/imaging/row_scan.h"

#include <cstdint>
#include <cstring>

namespace {

uint64_t Load(const BYTE* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

}  // namespace

DWORD EqualPrefix(const BYTE* a, const BYTE* b, DWORD length) {
  DWORD i = 0;
  while (length - i >= 8 && Load(a + i) == Load(b + i)) i += 8;
  while (i < length && a[i] == b[i]) ++i;
  return i;
}

BOOL RowIsBlank(const BYTE* row, DWORD length) {
  DWORD i = 0;
  uint64_t any = 0;
  for (; length - i >= 8; i += 8) {
    any |= Load(row + i);
    if (any != 0) return FALSE;
  }
  for (; i < length; ++i) any |= row[i];
  return any == 0;
}

DWORD SignificantLength(const BYTE* row, const BYTE* seed, DWORD length) {
  DWORD end = length;
  if (seed == nullptr) {
    while (end >= 8 && Load(row + end - 8) == 0) end -= 8;
    while (end > 0 && row[end - 1] == 0) --end;
    return end;
  }
  while (end >= 8 && (Load(row + end - 8) | Load(seed + end - 8)) == 0) end -= 8;
  while (end > 0 && (row[end - 1] | seed[end - 1]) == 0) --end;
  return end;
}

void InvertRow(BYTE* row, DWORD length) {
  DWORD i = 0;
  for (; length - i >= 8; i += 8) {
    uint64_t v = ~Load(row + i);
    std::memcpy(row + i, &v, sizeof v);
  }
  for (; i < length; ++i) row[i] = static_cast<BYTE>(~row[i]);
}
