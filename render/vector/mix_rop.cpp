#include "render/vector/mix_rop.h"

namespace {

// ROP3 of each R2_ code modulo 16 (R2_WHITE, 16, becomes 0).
constexpr BYTE kRop3OfRop2[16] = {0xFF, 0x00, 0x05, 0x0A, 0x0F, 0x50, 0x55, 0x5A,
                                  0x5F, 0xA0, 0xA5, 0xAA, 0xAF, 0xF0, 0xF5, 0xFA};

}  // namespace

WORD MixToRop3(MIX mix) {
  BYTE fore = kRop3OfRop2[(mix & 0xFF) % 16];
  BYTE back = kRop3OfRop2[((mix >> 8) & 0xFF) % 16];
  return WORD(fore | (back << 8));
}
