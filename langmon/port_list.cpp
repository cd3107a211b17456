// Port records: one per open port, in the monitor's list, keyed by the port
// name without regard to case.
#include <cstring>

#include "langmon/operations.h"

namespace langmon {

PortRecord* FindPort(MonitorRecord* m, const char* name) {
  for (PortRecord* p = m->ports; p; p = p->next)
    if (lstrcmpiA(p->portName, name) == 0) return p;
  return nullptr;
}

PortRecord* CreatePort(MonitorRecord* m, const char* name) {
  size_t nameBytes = std::strlen(name) + 1;
  DWORD size = DWORD(sizeof(PortRecord) + nameBytes);
  auto* p = static_cast<PortRecord*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size));
  if (!p) return nullptr;
  p->readBuffer = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, kReadBufferSize));
  if (!p->readBuffer) {
    HeapFree(GetProcessHeap(), 0, p);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  p->signature = kPortSignature;
  p->size = size;
  p->monitor = m;
  p->portName = reinterpret_cast<char*>(p + 1);
  std::memcpy(p->portName, name, nameBytes);
  p->localInterval = 500;
  p->networkInterval = 5000;
  p->continuousJobInterval = 8000;
  p->warningConfirmTime = 20000;
  p->busyTimeout = 90000;
  p->osMajor = m->osMajor;
  p->osMinor = m->osMinor;
  p->readChunk = AtLeast(p->osMajor, p->osMinor, 5, 1) ? 65536 : 4096;
  PortRecord** tail = &m->ports;
  while (*tail) tail = &(*tail)->next;
  *tail = p;
  return p;
}

void FreePort(PortRecord* p) {
  for (PortRecord** link = &p->monitor->ports; *link; link = &(*link)->next) {
    if (*link == p) {
      *link = p->next;
      break;
    }
  }
  HeapFree(GetProcessHeap(), 0, p->readBuffer);
  p->signature = 0;
  HeapFree(GetProcessHeap(), 0, p);
}

void ClosePortLocked(PortRecord* p) {
  MonitorRecord* m = p->monitor;
  p->closing = TRUE;  // no new callers; callers inside give up their waits
  StopStatusThread(p, 500);
  StopLauncherThread(p);
  while (p->callers > 1) SleepUnlocked(m, 10);
  if ((p->flags & kPortOpen) && p->lower.pfnClosePort) p->lower.pfnClosePort(p->lowerHandle);
  FreeStatusMonitorList(p);
  p->flags &= ~kPortOpen;
  if (LockBlock(p)) {
    p->block->portWord &= ~1u;
    p->block->warningRequest = 0;
    p->block->warningSeen = 0;
    p->block->warningAnswer = 0;
    UnlockBlock(p);
  }
  CloseSharedBlock(p);
  CloseSnmpSession(p);
  NetworkCleanup(p);
  StopRegistryThread(p);
  ClosePrinterHandle(p);
  FreePort(p);
}

}  // namespace langmon
