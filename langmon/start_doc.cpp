// StartDocPort: a job begins. The port learns the printer's capability entry
// and settings, waits for other users of the printer, starts the job on the
// lower port and sets up status polling.
#include <cstring>

#include "langmon/entry_points.h"
#include "langmon/names.h"
#include "langmon/operations.h"

namespace langmon {
namespace {

constexpr DWORD kBusyWait = 120000;

BOOL Leave(PortRecord* p, DWORD error) {
  LeavePort(p);
  SetLastError(error);
  return FALSE;
}

void SetJobWord(PortRecord* p, bool using_) {
  if (!LockBlock(p)) return;
  if (using_)
    p->block->jobWord |= 1;
  else
    p->block->jobWord &= ~1u;
  UnlockBlock(p);
}

// The capability entry and status settings of the printer's driver.
void ReadPrinterSettings(PortRecord* p) {
  char driver[kNameChars] = "", folder[kNameChars] = "";
  BOOL info = ReadPrinterInfo(p, driver, sizeof driver, nullptr, 0);
  if (info && ReadDriverFolder(p, folder, sizeof folder))
    ReadCapabilityEntry(p, folder, driver);
  else
    std::memset(&p->cap, 0, sizeof p->cap);
  if (!info || !p->cap.present) p->noStatus = TRUE;
  p->bidiMode = p->cap.statusRequest == 1 || p->cap.statusRequest == 2 ? p->cap.statusRequest : 0;
  ReadStatusIntervals(p, info ? driver : nullptr);
}

// Waits while the shared block says another user has the printer.
bool WaitWhileBusy(PortRecord* p) {
  DWORD start = GetTickCount();
  for (;;) {
    if (!LockBlock(p)) return true;
    bool busy = p->block->busy != 0;
    UnlockBlock(p);
    if (!busy) return true;
    if (Elapsed(start) >= kBusyWait || p->closing) return false;
    SleepUnlocked(p->monitor, 100);
  }
}

DWORD BusyTimeout(PortRecord* p) {
  if (p->portType == kTypeParallel) {
    COMMTIMEOUTS t{};
    DWORD got = 0;
    if (LowerControl(p, IOCTL_SERIAL_GET_TIMEOUTS, nullptr, 0, &t, sizeof t, &got) && got == sizeof t &&
        t.WriteTotalTimeoutConstant)
      return t.WriteTotalTimeoutConstant;
  }
  if (DWORD ms = ReadTransmissionRetryTimeout(p)) return ms;
  if (DWORD ms = ReadPrinterDataDword(p, "BusyTimeOut", 0)) return ms;
  return 90000;
}

void SetTimeouts(PortRecord* p) {
  if (p->portType == kTypeParallel) {
    COMMTIMEOUTS t{200, 0, 250, 0, 3000};
    LowerControl(p, IOCTL_SERIAL_SET_TIMEOUTS, &t, sizeof t, nullptr, 0, nullptr);
  } else if (p->lower.pfnSetPortTimeOuts) {
    COMMTIMEOUTS t{500, 0, 5000, 0, 5000};
    p->lower.pfnSetPortTimeOuts(p->lowerHandle, &t, 0);
  }
}

void ClearWarningFields(PortRecord* p) {
  if (!LockBlock(p)) return;
  SharedStatusBlock* b = p->block;
  b->jobField1 = b->jobField2 = b->jobField3 = 0;
  b->warningRequest = b->warningSeen = b->warningAnswer = 0;
  b->warningCount = 0;
  UnlockBlock(p);
}

void BeginJob(PortRecord* p, DWORD jobId, DWORD level, const BYTE* docInfo) {
  p->flags &= ~kJobStartClears;
  p->flags |= kFirstWritePending;
  p->jobId = jobId;
  p->jobLevel = level;
  p->jobMode = 2;
  if (level == 2) {
    auto* info = reinterpret_cast<const DOC_INFO_2W*>(docInfo);
    if (info->JobId == 0) p->jobMode = info->dwMode;
  }
  p->headerBuilt = p->headerDone = p->headerFailed = FALSE;
  p->headerLength = p->headerWritten = 0;
}

}  // namespace

BOOL WINAPI StartDocPort(HANDLE hPort, LPWSTR pPrinterName, DWORD JobId, DWORD Level, LPBYTE pDocInfo) {
  if (!hPort || !pDocInfo || !pPrinterName || !pPrinterName[0]) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  PortRecord* p = EnterPort(hPort);
  if (!p) return FALSE;
  // A running job keeps its printer name and handle: check before changing either.
  if (p->flags & kJobActive) return Leave(p, ERROR_BUSY);
  char printer[kNameChars + 1];
  ToAnsiName(CP_ACP, pPrinterName, printer);
  if (std::strcmp(printer, p->printerName) != 0) lstrcpynA(p->printerName, printer, sizeof p->printerName);
  ReopenPrinter(p);
  if (NetworkProbe(p)) {
    p->portType = p->portSubtype = kTypeNetwork;
    p->network = TRUE;
    p->noStatus = FALSE;
  }
  if (!IsLocalType(p->portType) && p->portType != kTypeNetwork) p->noStatus = TRUE;
  ReadPrinterSettings(p);
  if (LockBlock(p)) {
    p->primary = p->block->primaryCode;
    p->secondary = p->block->secondaryCode;
    p->online = p->block->online;
    UnlockBlock(p);
  }
  if (!WaitWhileBusy(p)) return Leave(p, ERROR_BUSY);
  p->flags |= kJobActive;
  SetJobWord(p, true);
  if (p->portType == kTypeParallel)
    LowerControl(p, IOCTL_IEEE1284_NEGOTIATE, &p->modes, sizeof p->modes, nullptr, 0, nullptr);
  if (!p->lower.pfnStartDocPort(p->lowerHandle, pPrinterName, JobId, Level, pDocInfo)) {
    DWORD error = GetLastError();
    p->flags &= ~kJobActive;
    SetJobWord(p, false);
    std::memset(&p->cap, 0, sizeof p->cap);
    return Leave(p, error);
  }
  p->busyTimeout = BusyTimeout(p);
  SetTimeouts(p);
  if (p->network) LoadSnmpClient(p);
  DetectBidiPJL(p);
  BeginJob(p, JobId, Level, pDocInfo);
  ClearWarningFields(p);
  ReadWarningSettings(p);
  if ((p->capabilities & 0x2) && p->cap.adjustDcs == 2 && p->portType == kTypeUsb) {
    char value[64];
    BeginReading(p);
    QueryAdjustDCS(p, value, sizeof value);
    EndReading(p);
  }
  if (p->bidiMode != 0 && !p->noStatus) StartStatusThread(p);
  LeavePort(p);
  return TRUE;
}

}  // namespace langmon
