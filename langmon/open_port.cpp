// OpenPortEx: a port record over the lower monitor's port, classified and
// given its shared block and helper threads.
#include <cstring>

#include "langmon/entry_points.h"
#include "langmon/names.h"
#include "langmon/operations.h"

namespace langmon {
namespace {

constexpr DWORD kLowerIncomplete = 3007;

bool LowerComplete(const MONITOR2* lower) {
  return lower->pfnOpenPort && lower->pfnStartDocPort && lower->pfnWritePort && lower->pfnReadPort &&
         lower->pfnClosePort;
}

BOOL Fail(MonitorRecord* m, DWORD error) {
  UnlockMonitor(m);
  SetLastError(error);
  return FALSE;
}

void CopyLower(PortRecord* p, const MONITOR2* lower) {
  size_t n = lower->cbSize && lower->cbSize < sizeof(MONITOR2) ? lower->cbSize : sizeof(MONITOR2);
  std::memcpy(&p->lower, lower, n);
}

// IEEE 1284 modes of a parallel port, and its bidirectional device.
void SetUpParallel(PortRecord* p) {
  PARCLASS_NEGOTIATION_MASK modes{NIBBLE, CENTRONICS};
  DWORD got = 0;
  if (!LowerControl(p, IOCTL_IEEE1284_GET_MODE, nullptr, 0, &modes, sizeof modes, &got) || got != sizeof modes)
    modes = PARCLASS_NEGOTIATION_MASK{NIBBLE, CENTRONICS};
  p->modes = modes;
  DWORD caps = 0;
  if (LowerControl(p, IOCTL_PAR_GET_DEVICE_CAPS, nullptr, 0, &caps, sizeof caps, &got) && got == sizeof caps)
    p->deviceCaps = caps;
  EnsureParallelDevice(p);  // the port works without it, only less well
}

}  // namespace

BOOL WINAPI OpenPortEx(HANDLE hMonitor, HANDLE hMonitorPort, LPWSTR pPortName, LPWSTR pPrinterName, PHANDLE pHandle,
                       LPMONITOR2 pMonitor) {
  if (!hMonitor || !pPortName || !pHandle || !pMonitor) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  char port[kNameChars + 1], printer[kNameChars + 1];
  ToAnsiName(CP_OEMCP, pPortName, port);
  ToAnsiName(CP_OEMCP, pPrinterName, printer);
  MonitorRecord* m = EnterMonitor(hMonitor);
  if (!m) return FALSE;
  if (!LowerComplete(pMonitor)) return Fail(m, kLowerIncomplete);
  if (FindPort(m, port)) return Fail(m, ERROR_BUSY);
  PortRecord* p = CreatePort(m, port);
  if (!p) return Fail(m, ERROR_NOT_ENOUGH_MEMORY);
  lstrcpynA(p->printerName, printer, kNameChars + 1);
  p->continuousJobInterval = ReadPrinterDataDword(p, "ContinuousJobInterval", 8000);
  p->warningConfirmTime = ReadPrinterDataDword(p, "WarningDispConfirmTime", 20000);
  ++p->callers;
  if (!pMonitor->pfnOpenPort(hMonitorPort, pPortName, &p->lowerHandle)) {
    // A port that could not be opened must not stay listed, or every later open of it is "busy".
    DWORD error = GetLastError();
    FreePort(p);
    return Fail(m, error);
  }
  p->flags |= kPortOpen;
  *pHandle = p;
  CopyLower(p, pMonitor);
  CopyWideName(pPrinterName, p->printerNameW);
  CopyWideName(pPortName, p->portNameW);

  char name[kNameChars + 1];
  lstrcpynA(name, port, sizeof name);
  if (!name[0]) ReadPrinterInfo(p, nullptr, 0, name, sizeof name);
  ClassifyPort(p, name);
  if (p->network) NetworkStartup(p);
  OpenSharedBlock(p);
  if (p->portType == kTypeParallel) SetUpParallel(p);
  if (LockBlock(p)) {
    p->block->portWord |= 1;
    UnlockBlock(p);
  }
  if (p->block) {
    ReadWarningAppName(p);
    StartLauncherThread(p);
    StartRegistryThread(p);
  }
  --p->callers;
  UnlockMonitor(m);
  return TRUE;
}

}  // namespace langmon
