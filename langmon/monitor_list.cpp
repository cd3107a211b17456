// The live monitors of the process. Handles that the spooler passes back are
// only trusted when they are in these lists: a port handle must be a port
// record of a live monitor, a monitor handle a live monitor record.
// Lock order: the list lock, then a monitor lock; never the other way round.
#include "langmon/operations.h"

namespace langmon {
namespace {

struct MonitorList {
  CRITICAL_SECTION lock;
  MonitorRecord* first = nullptr;
  MonitorList() { InitializeCriticalSection(&lock); }
};

MonitorList& L() {
  static MonitorList* list = new MonitorList;  // never deleted: monitors may outlive static destruction
  return *list;
}

}  // namespace

void RegisterMonitor(MonitorRecord* m) {
  EnterCriticalSection(&L().lock);
  m->nextMonitor = L().first;
  L().first = m;
  LeaveCriticalSection(&L().lock);
}

MonitorRecord* UnregisterMonitor(HANDLE h) {
  EnterCriticalSection(&L().lock);
  MonitorRecord* found = nullptr;
  for (MonitorRecord** link = &L().first; *link; link = &(*link)->nextMonitor) {
    if (*link == h) {
      found = *link;
      *link = found->nextMonitor;
      break;
    }
  }
  LeaveCriticalSection(&L().lock);
  if (!found) SetLastError(h ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
  return found;
}

MonitorRecord* EnterMonitor(HANDLE h) {
  if (!h) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  EnterCriticalSection(&L().lock);
  MonitorRecord* found = nullptr;
  for (MonitorRecord* m = L().first; m && !found; m = m->nextMonitor)
    if (m == h) found = m;
  if (found) LockMonitor(found);
  LeaveCriticalSection(&L().lock);
  if (!found) SetLastError(ERROR_INVALID_HANDLE);
  return found;
}

PortRecord* EnterPort(HANDLE h) {
  if (!h) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  EnterCriticalSection(&L().lock);
  PortRecord* found = nullptr;
  for (MonitorRecord* m = L().first; m && !found; m = m->nextMonitor) {
    LockMonitor(m);
    for (PortRecord* p = m->ports; p && !found; p = p->next)
      if (p == h && p->signature == kPortSignature && !p->closing) found = p;
    if (found)
      ++found->callers;
    else
      UnlockMonitor(m);
  }
  LeaveCriticalSection(&L().lock);
  if (!found) SetLastError(ERROR_INVALID_HANDLE);
  return found;
}

void LeavePort(PortRecord* p) {
  MonitorRecord* m = p->monitor;
  --p->callers;
  UnlockMonitor(m);
}

}  // namespace langmon
