// Bit-level moves of one-bit rows, a byte at a time.
#include "bit_rows.h"

#include <cstring>

namespace kw::engine {
namespace {

// Bits of byte `j` of a row that lie in the pixel span [from, to).
BYTE SpanMask(uint64_t j, uint64_t from, uint64_t to) {
  uint64_t lo = from > j * 8 ? from - j * 8 : 0;
  uint64_t hi = to < j * 8 + 8 ? to - j * 8 : 8;
  return BYTE((0xFFu >> lo) & (0xFFu << (8 - hi)));
}

}  // namespace

void ReadBits(const BYTE* row, LONG x, LONG count, BYTE* out) {
  if (count <= 0) return;
  const BYTE* src = row + x / 8;
  unsigned shift = unsigned(x) & 7;
  size_t outBytes = (size_t(count) + 7) / 8;
  // The last source byte that holds a wanted pixel; never read past it.
  size_t lastSrc = (size_t(x) + size_t(count) - 1) / 8 - size_t(x) / 8;
  for (size_t i = 0; i < outBytes; ++i) {
    unsigned v = unsigned(src[i]) << shift;
    if (shift && i + 1 <= lastSrc) v |= src[i + 1] >> (8 - shift);
    out[i] = BYTE(v);
  }
  if (count & 7) out[outBytes - 1] &= BYTE(0xFFu << (8 - (count & 7)));
}

void WriteBits(BYTE* row, LONG x, LONG count, const BYTE* in) {
  if (count <= 0) return;
  uint64_t from = uint64_t(x), to = from + uint64_t(count);
  uint64_t first = from / 8, last = (to - 1) / 8;
  unsigned shift = unsigned(from & 7);
  size_t inBytes = (size_t(count) + 7) / 8;
  if (shift == 0) {
    // Whole bytes in the middle move at once; only the ends need masks.
    size_t whole = size_t(count) / 8;
    std::memcpy(row + first, in, whole);
    if (count & 7) {
      BYTE m = SpanMask(first + whole, from, to);
      row[first + whole] = BYTE((row[first + whole] & ~m) | (in[whole] & m));
    }
    return;
  }
  for (uint64_t j = first; j <= last; ++j) {
    size_t k = size_t(j - first);  // input byte whose high bits land in byte j
    unsigned prev = k >= 1 && k - 1 < inBytes ? in[k - 1] : 0;
    unsigned cur = k < inBytes ? in[k] : 0;
    BYTE v = BYTE((prev << (8 - shift)) | (cur >> shift));
    BYTE m = SpanMask(j, from, to);
    row[j] = BYTE((row[j] & ~m) | (v & m));
  }
}

void FillBits(BYTE* row, LONG x, LONG count, int bit) {
  if (count <= 0) return;
  uint64_t from = uint64_t(x), to = from + uint64_t(count);
  uint64_t first = from / 8, last = (to - 1) / 8;
  BYTE value = bit ? 0xFF : 0x00;
  for (uint64_t j = first; j <= last; ++j) {
    BYTE m = SpanMask(j, from, to);
    if (m == 0xFF && j + 1 < last) {
      std::memset(row + j, value, size_t(last - j));
      j = last - 1;
      continue;
    }
    row[j] = BYTE((row[j] & ~m) | (value & m));
  }
}

}  // namespace kw::engine
