// Whether the printer on a port speaks PJL both ways: its device ID's command
// set (network ports: by SNMP).
#include <cstring>

#include "langmon/operations.h"

namespace langmon {

BOOL DetectBidiPJL(PortRecord* p) {
  p->capabilities = 0;
  if (p->noStatus) {
    p->flags &= ~kBidiPjl;
    return FALSE;
  }
  if (p->network) return NetworkDeviceId(p);
  char id[kDeviceIdBytes];
  DWORD n = 0;
  if (LowerControl(p, IOCTL_PAR_QUERY_DEVICE_ID, nullptr, 0, id, sizeof id, &n) && n > 0) {
    if (n > sizeof id) n = sizeof id;
    if (LockBlock(p)) {
      // The area holds a terminated text, so at most 1023 bytes of the ID.
      DWORD keep = n < kDeviceIdBytes ? n : kDeviceIdBytes - 1;
      std::memcpy(p->block->deviceId, id, keep);
      p->block->deviceId[keep] = '\0';
      UnlockBlock(p);
    }
    p->capabilities = ParseDeviceId(id, n);
  }
  if (p->capabilities & 0x2)
    p->flags |= kBidiPjl;
  else
    p->flags &= ~kBidiPjl;
  return (p->flags & kBidiPjl) != 0;
}

}  // namespace langmon
