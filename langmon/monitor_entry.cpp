// The monitor's exports: DllMain and InitializePrintMonitor2, and Shutdown.
#include <cstddef>

#include "langmon/entry_points.h"
#include "langmon/operations.h"

namespace langmon {

namespace {

void FillTable(MonitorRecord* m) {
  MONITOR2& t = m->table;
  bool windows2000 = m->osMajor == 5 && m->osMinor == 0;
  t.cbSize = windows2000 ? DWORD(offsetof(MONITOR2, pfnSendRecvBidiDataFromPort)) : DWORD(sizeof(MONITOR2));
  t.pfnOpenPortEx = OpenPortEx;
  t.pfnStartDocPort = StartDocPort;
  t.pfnWritePort = WritePort;
  t.pfnReadPort = ReadPort;
  t.pfnEndDocPort = EndDocPort;
  t.pfnClosePort = ClosePort;
  t.pfnGetPrinterDataFromPort = GetPrinterDataFromPort;
  t.pfnShutdown = Shutdown;
}

}  // namespace

// Ports still open (and their threads) are closed before the record goes, so
// nothing is left running on freed memory.
VOID WINAPI Shutdown(HANDLE hMonitor) {
  MonitorRecord* m = UnregisterMonitor(hMonitor);  // no new callers can find it
  if (!m) return;
  LockMonitor(m);
  while (PortRecord* p = m->ports) {
    ++p->callers;
    ClosePortLocked(p);
  }
  UnlockMonitor(m);
  DeleteCriticalSection(&m->lock);
  HeapFree(GetProcessHeap(), 0, m);
}

}  // namespace langmon

using namespace langmon;

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

extern "C" LPMONITOR2 WINAPI InitializePrintMonitor2(PMONITORINIT pMonitorInit, PHANDLE phMonitor) {
  if (!pMonitorInit || !phMonitor) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* m = static_cast<MonitorRecord*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(MonitorRecord)));
  if (!m) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  QueryOsVersion(&m->osMajor, &m->osMinor);
  FillTable(m);
  m->init = pMonitorInit;
  InitializeCriticalSection(&m->lock);
  RegisterMonitor(m);
  *phMonitor = m;
  return &m->table;
}
