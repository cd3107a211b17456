// ClosePort: the port's threads end, the lower port closes and the record goes.
#include "langmon/entry_points.h"
#include "langmon/operations.h"

namespace langmon {

BOOL WINAPI ClosePort(HANDLE hPort) {
  PortRecord* p = EnterPort(hPort);
  if (!p) return FALSE;
  MonitorRecord* m = p->monitor;
  ClosePortLocked(p);
  UnlockMonitor(m);
  return TRUE;
}

}  // namespace langmon
