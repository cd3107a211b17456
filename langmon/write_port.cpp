// WritePort: job data to the lower port. The first write of a job first
// sends the status header (and runs the warning check); a failed lower write
// is forgiven while the busy time-out lasts and the printer is not in alarm,
// so that the spooler simply offers the rest again.
#include <cstring>

#include "langmon/entry_points.h"
#include "langmon/operations.h"
#include "langmon/pjl_strings.h"

namespace langmon {
namespace {

constexpr DWORD kPollWait = 5000;

enum class First { Continue, Succeed, Fail };

BOOL Leave(PortRecord* p, BOOL result, DWORD error) {
  LeavePort(p);
  if (!result) SetLastError(error);
  return result;
}

bool IsAdjustDcsToken(const BYTE* buf, DWORD size) {
  return size == 16 && std::memcmp(buf, kAdjustDcsToken, 16) == 0;
}

bool StatusPort(const PortRecord* p) { return IsLocalType(p->portType) || p->portType == kTypeNetwork; }

// The job-start work of the first write. *error is set for Fail.
First FirstWrite(PortRecord* p, const BYTE* buf, DWORD size, DWORD* written, DWORD* error) {
  if (StatusPort(p) && p->cap.statusMonitorSupportCode[0]) EnsureStatusMonitor(p);
  if (LockBlock(p)) {
    p->block->jobData = 1;
    UnlockBlock(p);
  }
  if ((p->capabilities & 0x2) && p->cap.adjustDcs && p->portType == kTypeUsb && IsAdjustDcsToken(buf, size)) {
    char value[64];
    BeginReading(p);
    QueryAdjustDCS(p, value, sizeof value);
    EndReading(p);
    p->flags |= kAdjustDcsHandled;
    *written = size;  // the token itself never reaches the printer
    return First::Succeed;
  }
  if (!p->noStatus) {
    if (!p->headerDone) {
      if (p->headerFailed) {
        p->headerFailed = FALSE;
        return First::Succeed;  // nothing written: the spooler offers the data again
      }
      if (!SendStatusHeader(p)) {
        p->headerFailed = TRUE;
        *error = GetLastError();
        return First::Fail;
      }
    }
    if (p->bidiMode != 0 && !(p->flags & kCancelledAfterWarning) && !WarningCheck(p)) {
      *error = ERROR_IO_DEVICE;
      return First::Fail;
    }
  }
  p->flags &= ~kFirstWritePending;
  if (p->bidiMode != 0 && !p->noStatus) WakeStatusThread(p);
  return First::Continue;
}

// A lower write failed after taking `taken` bytes.
BOOL WriteFailed(PortRecord* p, DWORD taken, DWORD error, LPDWORD written) {
  *written = taken;  // bytes the port took are never offered twice
  p->flags |= kLastWriteFailed;
  if (Elapsed(p->writeStart) >= p->busyTimeout) return Leave(p, FALSE, error);
  if (!(p->flags & kStatusThreadRuns)) return Leave(p, TRUE, 0);
  if (p->flags & kAlarm) {
    p->flags &= ~kLastWriteFailed;
    return Leave(p, FALSE, error);
  }
  p->flags |= kPollRequested;
  WakeStatusThread(p);
  DWORD start = GetTickCount();
  while ((p->flags & kPollRequested) && (p->flags & kStatusThreadRuns) && Elapsed(start) < kPollWait && !p->closing)
    SleepUnlocked(p->monitor, 10);
  if (!(p->flags & kAlarm)) return Leave(p, TRUE, 0);
  p->flags &= ~kLastWriteFailed;
  return Leave(p, FALSE, error);
}

}  // namespace

BOOL WINAPI WritePort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbWritten) {
  if (!hPort || !pcbWritten || (!pBuffer && cbBuf)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *pcbWritten = 0;
  PortRecord* p = EnterPort(hPort);
  if (!p) return FALSE;
  if (!(p->flags & kPortOpen)) return Leave(p, FALSE, ERROR_INVALID_HANDLE);
  if (p->flags & kFirstWritePending) {
    DWORD error = 0;
    switch (FirstWrite(p, pBuffer, cbBuf, pcbWritten, &error)) {
      case First::Succeed: return Leave(p, TRUE, 0);
      case First::Fail: return Leave(p, FALSE, error);
      case First::Continue: break;
    }
  }
  if (!(p->flags & kLastWriteFailed)) p->writeStart = GetTickCount();
  DWORD n = 0;
  BOOL ok;
  DWORD error;
  if (p->portType == kTypeNetwork) {
    // Network writes may block long; they go without the lock (the record
    // stays, this caller is counted).
    LONG depth = ReleaseMonitorLock(p->monitor);
    ok = LowerWrite(p, pBuffer, cbBuf, &n);
    error = GetLastError();
    RetakeMonitorLock(p->monitor, depth);
  } else {
    ok = LowerWrite(p, pBuffer, cbBuf, &n);
    error = GetLastError();
  }
  if (n > cbBuf) n = cbBuf;
  if (ok) {
    p->flags &= ~kLastWriteFailed;
    *pcbWritten = n;
    return Leave(p, TRUE, 0);
  }
  return WriteFailed(p, n, error, pcbWritten);
}

}  // namespace langmon
