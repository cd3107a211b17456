#include "render/imaging/packbits.h"

#include <cstring>

namespace {

constexpr DWORD kMaxGroup = 128;  // longest run or literal one control byte covers

struct PackBitsOut {
  BYTE* out;
  DWORD count;
  DWORD limit;  // bytes allowed

  bool Room(DWORD n) const { return n <= limit - count; }
};

// Writes the pending literal (control n - 1, then its bytes).
bool CloseLiteral(PackBitsOut* o, const BYTE* start, DWORD* length) {
  if (*length == 0) return true;
  if (!o->Room(*length + 1)) return false;
  o->out[o->count] = static_cast<BYTE>(*length - 1);
  std::memcpy(o->out + o->count + 1, start, *length);
  o->count += *length + 1;
  *length = 0;
  return true;
}

// Writes a run of `n` (2..128) bytes `value`: control 1 - n as a signed byte.
bool PutRun(PackBitsOut* o, DWORD n, BYTE value) {
  if (!o->Room(2)) return false;
  o->out[o->count] = static_cast<BYTE>(257 - n);
  o->out[o->count + 1] = value;
  o->count += 2;
  return true;
}

INT Pack(const BYTE* row, DWORD length, BYTE* out, DWORD limit) {
  PackBitsOut o{out, 0, limit};
  DWORD literalStart = 0;
  DWORD literalLength = 0;
  DWORD i = 0;
  while (i < length) {
    // A run longer than 128 is cut at 128 and starts again at its 129th byte.
    BYTE value = row[i];
    DWORD j = i + 1;
    while (j < length && row[j] == value && j - i < kMaxGroup) ++j;
    DWORD run = j - i;
    bool last = j == length;
    // Runs of two join a literal in progress: a literal costs one control
    // byte, a run of two costs as much as its bytes.
    if (run >= 3 || (run == 2 && (literalLength == 0 || last))) {
      if (!CloseLiteral(&o, row + literalStart, &literalLength) || !PutRun(&o, run, value)) return -1;
    } else {
      if (literalLength + run > kMaxGroup && !CloseLiteral(&o, row + literalStart, &literalLength)) return -1;
      if (literalLength == 0) literalStart = i;
      literalLength += run;
      if (last) {
        // The row ends inside a literal: close it with a run of two white bytes.
        if (!CloseLiteral(&o, row + literalStart, &literalLength) || !PutRun(&o, 2, 0)) return -1;
      }
    }
    i = j;
  }
  return static_cast<INT>(o.count);
}

}  // namespace

// Runs never cost more than their bytes. Each literal costs one control byte;
// only literals cut at 127 or 128 bytes, the last one of the row, and the
// closing FF 00 add to the row's length.
DWORD PackBitsBound(DWORD length) { return length + length / (kMaxGroup - 1) + 4; }

INT EncodePackBits(const BYTE* row, DWORD length, BYTE* out, DWORD capacity) {
  return Pack(row, length, out, capacity);
}

INT EncodePackBitsBounded(const BYTE* row, DWORD length, BYTE* out, DWORD capacity) {
  if (length == 0) return -1;
  DWORD limit = length - 1 < capacity ? length - 1 : capacity;
  return Pack(row, length, out, limit);
}
