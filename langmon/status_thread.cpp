// The port's status thread: while a job runs, it polls the printer's status
// at the port's interval, at once when a write asks, and every 10 ms while
// the printer is in alarm. It holds the monitor lock except while it waits.
#include "langmon/operations.h"

namespace langmon {
namespace {

void WaitForWake(PortRecord* p, DWORD ms) {
  p->flags |= kStatusThreadWaits;
  WaitUnlocked(p->monitor, p->wakeEvent, ms);
  p->flags &= ~kStatusThreadWaits;
}

DWORD WINAPI StatusThreadMain(LPVOID param) {
  auto* p = static_cast<PortRecord*>(param);
  MonitorRecord* m = p->monitor;
  LockMonitor(m);
  p->flags |= kStatusThreadRuns;
  SetEvent(p->runEvent);
  DWORD interval = p->network ? p->networkInterval : p->localInterval;
  BOOL first = TRUE;
  DWORD last = GetTickCount();
  while (p->flags & kStatusThreadKeep) {
    if (!(p->flags & kPortOpen) || (p->flags & kFirstWritePending)) {
      WaitForWake(p, INFINITE);
      last = GetTickCount();
      continue;
    }
    if (first || Elapsed(last) >= interval || (p->flags & kPollRequested)) {
      if (p->network)
        PollNetworkStatus(p, first);
      else
        PollLocalStatus(p, first);
      first = FALSE;
      p->flags &= ~kPollRequested;
      last = GetTickCount();
    }
    if (p->flags & kStatusThreadKeep) WaitForWake(p, (p->flags & kAlarm) ? 10 : 300);
  }
  p->flags &= ~kStatusThreadRuns;  // the last touch of the port record
  UnlockMonitor(m);
  return 0;
}

void CloseEvents(PortRecord* p) {
  if (p->wakeEvent) CloseHandle(p->wakeEvent);
  if (p->runEvent) CloseHandle(p->runEvent);
  p->wakeEvent = p->runEvent = nullptr;
}

}  // namespace

BOOL StartStatusThread(PortRecord* p) {
  if (p->statusThread && (p->flags & kStatusThreadRuns)) {
    WakeStatusThread(p);
    return TRUE;
  }
  if (p->statusThread) StopStatusThread(p, 100);  // ended on its own: collect it first
  if (!p->wakeEvent) p->wakeEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!p->runEvent) p->runEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!p->wakeEvent || !p->runEvent) {
    CloseEvents(p);
    return FALSE;
  }
  ResetEvent(p->runEvent);
  p->flags |= kStatusThreadKeep;
  DWORD id = 0;
  p->statusThread = CreateThread(nullptr, 16 * 1024, StatusThreadMain, p, 0, &id);
  if (!p->statusThread) {
    p->flags &= ~kStatusThreadKeep;
    CloseEvents(p);
    return FALSE;
  }
  while (!(p->flags & kStatusThreadRuns)) WaitUnlocked(p->monitor, p->runEvent, 100);
  return TRUE;
}

void WakeStatusThread(PortRecord* p) {
  if (p->wakeEvent) SetEvent(p->wakeEvent);
}

void StopStatusThread(PortRecord* p, DWORD step) {
  HANDLE h = p->statusThread;
  if (!h) return;
  MonitorRecord* m = p->monitor;
  p->flags &= ~kStatusThreadKeep;
  while (p->statusThread == h && (p->flags & kStatusThreadRuns)) {
    WakeStatusThread(p);
    WaitUnlocked(m, h, step);
  }
  if (p->statusThread != h) return;  // another caller collected it meanwhile
  WaitUnlocked(m, h, INFINITE);      // past its last touch: let it end before the record can go
  if (p->statusThread != h) return;
  CloseHandle(h);
  p->statusThread = nullptr;
  CloseEvents(p);
}

}  // namespace langmon
