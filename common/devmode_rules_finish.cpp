// The black-finish normaliser: wBlackFinish, wBlackFinishMode and the word
// at 808 follow from the bits of wBlackFinishFlags (which keeps its value).
#include "common/devmode_rules.h"

namespace kadu {

void NormaliseBlackFinish(DriverDevmode* dm) {
  PrivateDevmode& p = dm->priv;
  uint32_t b = p.wBlackFinishFlags;
  if (p.wColorModeKind == 0 && p.wHalftone == 2) b |= 0x100;
  if ((b & 0x100) && (b & 0xF) == 1) b = (b & ~0xFu) | 2;
  p.wBlackFinishBit = uint16_t((b >> 8) & 1);
  if (b & 0x1) {
    p.wBlackFinish = 1;
    p.wBlackFinishMode = 1;
  } else if (b & 0x4) {
    p.wBlackFinish = 0;
    p.wBlackFinishMode = 3;
  } else {
    p.wBlackFinishMode = 0;
    if (b & 0x2) p.wBlackFinish = 1;
  }
  if (b & 0x30) p.wBlackFinish = (b & 0x10) ? 2 : 0;
}

}  // namespace kadu
