// The row records of PCL adaptive compression (method 5): a command byte and a
// 16-bit big-endian count, followed for commands 0, 2 and 3 by that many bytes.
#pragma once
#include <cstddef>

#include "windows.h"

enum AdaptiveCommand : BYTE {
  kAdaptiveUnencoded = 0,
  kAdaptivePackBits = 2,
  kAdaptiveDeltaRow = 3,
  kAdaptiveEmptyRows = 4,      // count: rows of white; the seed row becomes white
  kAdaptiveDuplicateRows = 5,  // count: repeats of the seed row
};

struct AdaptiveRecordHeader {
  BYTE command;
  BYTE countHigh;
  BYTE countLow;
};
static_assert(sizeof(AdaptiveRecordHeader) == 3);
static_assert(offsetof(AdaptiveRecordHeader, command) == 0);
static_assert(offsetof(AdaptiveRecordHeader, countHigh) == 1);
static_assert(offsetof(AdaptiveRecordHeader, countLow) == 2);

constexpr DWORD kAdaptiveHeaderSize = sizeof(AdaptiveRecordHeader);
// The largest count one record carries; longer runs of rows take several records.
constexpr DWORD kAdaptiveMaxCount = 0xFFFF;

// Writes a header at `out` (3 bytes).
inline void PutAdaptiveHeader(BYTE* out, AdaptiveCommand command, DWORD count) {
  AdaptiveRecordHeader h{command, static_cast<BYTE>(count >> 8), static_cast<BYTE>(count)};
  out[0] = h.command;
  out[1] = h.countHigh;
  out[2] = h.countLow;
}
