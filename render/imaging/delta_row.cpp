#include "render/imaging/delta_row.h"

#include <cstring>

#include "render/imaging/row_scan.h"

namespace {

constexpr DWORD kMaxGroup = 8;
constexpr DWORD kOffsetInCommand = 31;  // offsets from here on continue in extra bytes
constexpr DWORD kNoOffsetLimit = 0xFFFFFFFF;

// Bytes an offset takes after the command byte.
DWORD OffsetExtraBytes(DWORD offset) {
  return offset < kOffsetInCommand ? 0 : (offset - kOffsetInCommand) / 255 + 1;
}

INT Delta(DWORD length, const BYTE* row, const BYTE* seed, BYTE* out, DWORD limit, DWORD offsetLimit) {
  DWORD count = 0;
  DWORD groupEnd = 0;  // where the previous group ended
  DWORD i = 0;
  for (;;) {
    i += EqualPrefix(row + i, seed + i, length - i);
    if (i >= length) break;
    DWORD start = i++;
    while (i < length && i - start < kMaxGroup && row[i] != seed[i]) ++i;
    DWORD groupLength = i - start;
    DWORD offset = start - groupEnd;
    if (offset >= offsetLimit) return -1;
    DWORD extra = OffsetExtraBytes(offset);
    if (1 + extra + groupLength > limit - count) return -1;
    DWORD inCommand = offset < kOffsetInCommand ? offset : kOffsetInCommand;
    out[count++] = static_cast<BYTE>((groupLength - 1) * 32 + inCommand);
    if (extra != 0) {
      DWORD rest = offset - kOffsetInCommand;
      std::memset(out + count, 255, extra - 1);
      count += extra - 1;
      out[count++] = static_cast<BYTE>(rest - (extra - 1) * 255);
    }
    std::memcpy(out + count, row + start, groupLength);
    count += groupLength;
    groupEnd = i;
  }
  return static_cast<INT>(count);
}

}  // namespace

// A group of one byte costs two, but it follows at least one equal byte unless
// it starts the row or follows a full group of eight.
DWORD DeltaRowBound(DWORD length) { return length + length / kMaxGroup + 2; }

INT EncodeDeltaRow(DWORD length, const BYTE* row, const BYTE* seed, BYTE* out, DWORD capacity) {
  return Delta(length, row, seed, out, capacity, kNoOffsetLimit);
}

INT EncodeDeltaRowBounded(DWORD length, const BYTE* row, const BYTE* seed, BYTE* out, DWORD capacity) {
  if (length < 2) return -1;
  DWORD limit = length - 2 < capacity ? length - 2 : capacity;
  return Delta(length, row, seed, out, limit, 1024);
}
