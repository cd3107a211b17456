#include "render/imaging/predictive_row_input.h"

#include <array>

namespace {

// Each pixel of a byte twice: bit 7 becomes bits 15 and 14, and so on.
constexpr std::array<WORD, 256> MakeDoubling() {
  std::array<WORD, 256> t{};
  for (int v = 0; v < 256; ++v) {
    WORD w = 0;
    for (int bit = 0; bit < 8; ++bit) {
      if (v & (1 << bit)) w |= static_cast<WORD>(3u << (2 * bit));
    }
    t[v] = w;
  }
  return t;
}
constexpr std::array<WORD, 256> kDoubling = MakeDoubling();

BYTE Shifted(const BYTE* source, DWORD i, DWORD byteShift, DWORD bitShift) {
  if (i < byteShift) return 0;
  DWORD from = i - byteShift;
  DWORD v = static_cast<DWORD>(source[from]) >> bitShift;
  if (bitShift != 0 && from > 0) v |= static_cast<DWORD>(source[from - 1]) << (8 - bitShift);
  return static_cast<BYTE>(v);
}

}  // namespace

BOOL PreparePredictiveRow(const BYTE* source, DWORD rowBytes, const PredictiveRowLayout* layout, BYTE* out,
                          DWORD capacity) {
  if (PredictiveRowLength(rowBytes, layout->doublePixels) > capacity) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  DWORD byteShift = layout->shiftPixels / 8;
  DWORD bitShift = layout->shiftPixels % 8;
  for (DWORD i = 0; i < rowBytes; ++i) {
    BYTE v = Shifted(source, i, byteShift, bitShift);
    if (layout->invert && i >= layout->leftMarginBytes) v = static_cast<BYTE>(~v);
    if (layout->doublePixels) {
      out[2 * i] = static_cast<BYTE>(kDoubling[v] >> 8);
      out[2 * i + 1] = static_cast<BYTE>(kDoubling[v]);
    } else {
      out[i] = v;
    }
  }
  return TRUE;
}
