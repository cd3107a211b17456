// DEVMODE versions (dmSpecVersion) by public size, and the copy between records of
// different versions that the spooler's conversions use.
#include <algorithm>
#include <cstring>

#include "common/devmode.h"

namespace kadu {

WORD DevmodeSpecForSize(const DEVMODEW* dm) {
  switch (dm->dmSize) {
    case kDevmode351PublicSize: return kDevmode351SpecVersion;
    case kDevmode400PublicSize: return kDevmode400SpecVersion;
    case kDevmodePublicSize: return kDevmodeSpecVersion;
    default: return dm->dmSpecVersion;
  }
}

int CopyDevmodeCompatible(const DEVMODEW* in, DEVMODEW* out) {
  if (!in || !out || !DevmodeSpecForSize(in) || !DevmodeSpecForSize(out)) return -1;
  const WORD driverVersion = out->dmDriverVersion, size = out->dmSize, extra = out->dmDriverExtra;
  const size_t publicBytes = std::min(in->dmSize, size);
  const size_t privateBytes = std::min(in->dmDriverExtra, extra);
  std::memmove(out, in, publicBytes);
  // The target keeps its own shape; its version is the one of its own size
  // (taken after the sizes are restored, so a 3.51 target stays 0x0320).
  out->dmDriverVersion = driverVersion;
  out->dmSize = size;
  out->dmDriverExtra = extra;
  out->dmSpecVersion = DevmodeSpecForSize(out);
  std::memmove(reinterpret_cast<BYTE*>(out) + size, reinterpret_cast<const BYTE*>(in) + in->dmSize, privateBytes);
  return int(publicBytes + privateBytes);
}

bool DevmodeHoldsStamps(const DEVMODEW* dm) {
  return size_t(dm->dmSize) + dm->dmDriverExtra >= kDevmodeStampsEnd;
}

}  // namespace kadu
