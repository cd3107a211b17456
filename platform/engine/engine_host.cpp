// The engine host: loading the driver, the PDEV and surface lifecycle, the
// document, and the record of calls.
#include "kw/engine_host.h"

#include <algorithm>
#include <cstring>

#include "engine_host_state.h"
#include "kw/engine_device.h"
#include "win/module.h"

namespace kw {
namespace {

// DEVMODEW's dmSize and dmDriverExtra: the bytes the engine copies.
constexpr size_t kDmSizeOffset = 68;
constexpr size_t kDmDriverExtraOffset = 70;

std::vector<BYTE> CopyDevmode(const EnginePdevArgs& args) {
  if (!args.devmode) return {};
  const BYTE* p = reinterpret_cast<const BYTE*>(args.devmode);
  size_t bytes = args.devmodeBytes;
  if (bytes == 0) {
    WORD size, extra;
    std::memcpy(&size, p + kDmSizeOffset, sizeof size);
    std::memcpy(&extra, p + kDmDriverExtraOffset, sizeof extra);
    bytes = size_t(size) + extra;
  }
  return std::vector<BYTE>(p, p + bytes);
}

const ULONG kRequired[] = {INDEX_DrvEnablePDEV, INDEX_DrvCompletePDEV, INDEX_DrvDisablePDEV, INDEX_DrvEnableSurface,
                           INDEX_DrvDisableSurface};

bool HasRequired(const EngineHost* host) {
  for (ULONG index : kRequired)
    if (!EngineHostFunction<PFN>(host, index)) return false;
  return true;
}

// A driver that exports DrvQueryDriverInfo must say that it runs in user
// mode, the only mode this engine has; one without it is taken as it is.
bool RunsInUserMode(EngineHost* host) {
  auto query = reinterpret_cast<PFN_DrvQueryDriverInfo>(GetProcAddress(host->module, "DrvQueryDriverInfo"));
  if (!query) return true;
  DWORD userMode = 0, needed = 0;
  BOOL ok = query(DRVQUERY_USERMODE, &userMode, sizeof userMode, &needed);
  EngineHostRecord(host, EngineCall::QueryDriverInfo, ok && userMode == 1);
  return ok && userMode == 1;
}

}  // namespace

const char* EngineCallName(EngineCall call) {
  static const char* const kNames[] = {
      "QueryDriverInfo", "EnableDriver",   "EnablePDEV",  "CompletePDEV", "EnableSurface", "StartDoc",
      "StartPage",       "StartBanding",   "Draw",        "NextBand",     "SendPage",      "EndDoc",
      "ResetPDEV",       "DisableSurface", "DisablePDEV", "DisableDriver", "Escape"};
  size_t i = size_t(call);
  return i < sizeof kNames / sizeof kNames[0] ? kNames[i] : "?";
}

void EngineHostRecord(EngineHost* host, EngineCall call, BOOL result, POINTL origin, RECTL band) {
  host->calls.push_back({call, result ? TRUE : FALSE, host->page, origin, band});
}

EngineHost* EngineHostOpen(HMODULE module, const EngineHostOptions& options) {
  auto enable = reinterpret_cast<PFN_DrvEnableDriver>(GetProcAddress(module, "DrvEnableDriver"));
  if (!enable) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  auto* host = new EngineHost;
  host->module = module;
  host->options = options;
  if (!RunsInUserMode(host)) {
    delete host;
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  BOOL ok = enable(options.engineVersion, sizeof(DRVENABLEDATA), &host->driver);
  EngineHostRecord(host, EngineCall::EnableDriver, ok);
  if (ok && host->driver.pdrvfn) host->functions.assign(host->driver.pdrvfn, host->driver.pdrvfn + host->driver.c);
  if (!ok || !HasRequired(host)) {
    DWORD error = ok ? DWORD(ERROR_PROC_NOT_FOUND) : GetLastError();
    delete host;
    SetLastError(error ? error : DWORD(ERROR_INVALID_FUNCTION));
    return nullptr;
  }
  return host;
}

void EngineHostClose(EngineHost* host) {
  if (!host) return;
  if (host->docStarted) EngineHostEndDoc(host, true);
  EngineHostDisablePdev(host);
  // From the table when the driver put it there, else its export.
  auto disable = EngineHostFunction<PFN_DrvDisableDriver>(host, INDEX_DrvDisableDriver);
  if (!disable) disable = reinterpret_cast<PFN_DrvDisableDriver>(GetProcAddress(host->module, "DrvDisableDriver"));
  if (disable) {
    disable();
    EngineHostRecord(host, EngineCall::DisableDriver, TRUE);
  }
  delete host;
}

BOOL EngineHostMakePdev(EngineHost* host, const EnginePdevArgs& args, EnginePdevState* out) {
  *out = EnginePdevState{};
  out->devmode = CopyDevmode(args);
  out->deviceName = args.deviceName;
  out->logAddress = args.logAddress;
  out->patterns.assign(args.cPatterns, reinterpret_cast<HSURF>(INVALID_HANDLE_VALUE));
  // The host's own buffers stand in for the caller's when none are given.
  std::vector<BYTE> ownCaps(args.gdiInfo ? 0 : args.cjCaps), ownDev(args.devInfo ? 0 : args.cjDevInfo);
  ULONG* caps = args.gdiInfo ? args.gdiInfo : reinterpret_cast<ULONG*>(ownCaps.data());
  DEVINFO* dev = args.devInfo ? args.devInfo : reinterpret_cast<DEVINFO*>(ownDev.data());
  out->hdev = EngineDeviceCreate(&host->driver);
  auto enablePdev = EngineHostFunction<PFN_DrvEnablePDEV>(host, INDEX_DrvEnablePDEV);
  DHPDEV dhpdev = enablePdev(out->devmode.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(out->devmode.data()),
                             out->logAddress.empty() ? nullptr : out->logAddress.data(), ULONG(out->patterns.size()),
                             out->patterns.data(), args.cjCaps, caps, args.cjDevInfo, dev, out->hdev,
                             out->deviceName.empty() ? nullptr : out->deviceName.data(), args.printer);
  EngineHostRecord(host, EngineCall::EnablePDEV, dhpdev != nullptr);
  if (!dhpdev) {
    EngineDeviceDelete(out->hdev);
    out->hdev = nullptr;
    return FALSE;
  }
  if (caps && args.cjCaps) std::memcpy(&out->gdi, caps, std::min<size_t>(args.cjCaps, sizeof out->gdi));
  if (dev && args.cjDevInfo) std::memcpy(&out->dev, dev, std::min<size_t>(args.cjDevInfo, sizeof out->dev));
  out->dhpdev = dhpdev;
  EngineDeviceSetPdev(out->hdev, dhpdev);
  EngineHostFunction<PFN_DrvCompletePDEV>(host, INDEX_DrvCompletePDEV)(dhpdev, out->hdev);
  EngineHostRecord(host, EngineCall::CompletePDEV, TRUE);
  return TRUE;
}

BOOL EngineHostMakeSurface(EngineHost* host, EnginePdevState* state) {
  HSURF hsurf = EngineHostFunction<PFN_DrvEnableSurface>(host, INDEX_DrvEnableSurface)(state->dhpdev);
  EngineHostRecord(host, EngineCall::EnableSurface, hsurf != nullptr);
  if (!hsurf) return FALSE;
  state->hsurf = hsurf;
  state->so = EngLockSurface(hsurf);
  if (!state->so) {
    // Not a surface the engine made: the driver gets it back.
    DWORD error = GetLastError();
    EngineHostDropSurface(host, state);
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

void EngineHostDropSurface(EngineHost* host, EnginePdevState* state) {
  if (!state->hsurf) return;
  if (state->so) EngUnlockSurface(state->so);
  state->so = nullptr;
  state->hsurf = nullptr;
  EngineHostFunction<PFN_DrvDisableSurface>(host, INDEX_DrvDisableSurface)(state->dhpdev);
  EngineHostRecord(host, EngineCall::DisableSurface, TRUE);
}

void EngineHostDropPdev(EngineHost* host, EnginePdevState* state) {
  if (!state->dhpdev) return;
  EngineHostFunction<PFN_DrvDisablePDEV>(host, INDEX_DrvDisablePDEV)(state->dhpdev);
  EngineHostRecord(host, EngineCall::DisablePDEV, TRUE);
  EngineDeviceDelete(state->hdev);
  state->dhpdev = nullptr;
  state->hdev = nullptr;
}

BOOL EngineHostEnablePdev(EngineHost* host, const EnginePdevArgs& args) {
  if (host->pdevEnabled) EngineHostDisablePdev(host);
  if (!EngineHostMakePdev(host, args, &host->pdev)) return FALSE;
  if (!EngineHostMakeSurface(host, &host->pdev)) {
    DWORD error = GetLastError();
    EngineHostDropPdev(host, &host->pdev);
    SetLastError(error);
    return FALSE;
  }
  host->pdevEnabled = true;
  return TRUE;
}

void EngineHostDisablePdev(EngineHost* host) {
  EngineHostDropSurface(host, &host->pdev);
  EngineHostDropPdev(host, &host->pdev);
  host->pdevEnabled = false;
  host->docStarted = false;
  host->page = 0;
}

BOOL EngineHostStartDoc(EngineHost* host, const std::u16string& document, DWORD jobId) {
  if (!host->pdev.so) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  host->page = 0;
  BOOL ok = TRUE;
  if (auto start = EngineHostFunction<PFN_DrvStartDoc>(host, INDEX_DrvStartDoc)) {
    std::u16string name = document;  // the driver gets a writable copy
    ok = start(host->pdev.so, name.empty() ? nullptr : name.data(), jobId);
    EngineHostRecord(host, EngineCall::StartDoc, ok);
  }
  host->docStarted = ok != FALSE;
  return ok;
}

BOOL EngineHostEndDoc(EngineHost* host, bool aborted) {
  if (!host->docStarted || !host->pdev.so) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  host->docStarted = false;
  BOOL ok = TRUE;
  if (auto end = EngineHostFunction<PFN_DrvEndDoc>(host, INDEX_DrvEndDoc)) {
    ok = end(host->pdev.so, aborted ? ED_ABORTDOC : 0);
    EngineHostRecord(host, EngineCall::EndDoc, ok);
  }
  return ok;
}

BOOL EngineHostResetPdev(EngineHost* host, const EnginePdevArgs& args) {
  if (!host->pdevEnabled) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  EnginePdevState next;
  if (!EngineHostMakePdev(host, args, &next)) return FALSE;
  if (auto reset = EngineHostFunction<PFN_DrvResetPDEV>(host, INDEX_DrvResetPDEV)) {
    BOOL ok = reset(host->pdev.dhpdev, next.dhpdev);
    EngineHostRecord(host, EngineCall::ResetPDEV, ok);
    if (!ok) {
      DWORD error = GetLastError();
      EngineHostDropPdev(host, &next);
      SetLastError(error);
      return FALSE;
    }
  }
  EngineHostDropSurface(host, &host->pdev);
  EngineHostDropPdev(host, &host->pdev);
  host->pdev = std::move(next);
  if (!EngineHostMakeSurface(host, &host->pdev)) {
    // The old PDEV is gone and the new one has no surface: the DC is dead.
    DWORD error = GetLastError();
    EngineHostDropPdev(host, &host->pdev);
    host->pdevEnabled = false;
    host->docStarted = false;
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}

ULONG EngineHostEscape(EngineHost* host, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut) {
  auto escape = EngineHostFunction<PFN_DrvEscape>(host, INDEX_DrvEscape);
  if (!escape || !host->pdev.so) return 0;
  ULONG result = escape(host->pdev.so, iEsc, cjIn, pvIn, cjOut, pvOut);
  EngineHostRecord(host, EngineCall::Escape, result != 0);
  return result;
}

BOOL EngineHostRunJob(EngineHost* host, const EngineJob& job) {
  if (!EngineHostEnablePdev(host, job.pdev)) return FALSE;
  BOOL ok = EngineHostStartDoc(host, job.document, job.jobId);
  if (ok && job.beforeFirstPage) job.beforeFirstPage(host);
  if (ok) {
    for (const EnginePage& page : job.pages) {
      if (!EngineHostPrintPage(host, page)) {
        ok = FALSE;
        break;
      }
    }
    DWORD error = GetLastError();
    // A failed reset can leave no surface to end the document on.
    if (host->docStarted && !EngineHostEndDoc(host, !ok)) ok = FALSE;
    if (!ok) SetLastError(error);
  }
  EngineHostDisablePdev(host);
  return ok;
}

const std::vector<EngineCallRecord>& EngineHostCalls(const EngineHost* host) { return host->calls; }

std::string EngineHostTrace(const EngineHost* host) {
  std::string out;
  for (const EngineCallRecord& r : host->calls) {
    if (!out.empty()) out += ' ';
    out += EngineCallName(r.call);
    if (r.call == EngineCall::StartBanding || r.call == EngineCall::NextBand)
      out += "(" + std::to_string(r.origin.x) + "," + std::to_string(r.origin.y) + ")";
    if (r.call == EngineCall::Draw)
      out += "[" + std::to_string(r.band.left) + "," + std::to_string(r.band.top) + "," + std::to_string(r.band.right) +
             "," + std::to_string(r.band.bottom) + "]";
    if (!r.result) out += "=0";
  }
  return out;
}

void EngineHostClearCalls(EngineHost* host) { host->calls.clear(); }
const DRVENABLEDATA& EngineHostDriver(const EngineHost* host) { return host->driver; }
const GDIINFO& EngineHostGdiInfo(const EngineHost* host) { return host->pdev.gdi; }
const DEVINFO& EngineHostDevInfo(const EngineHost* host) { return host->pdev.dev; }
const std::vector<HSURF>& EngineHostPatterns(const EngineHost* host) { return host->pdev.patterns; }
DHPDEV EngineHostPdev(const EngineHost* host) { return host->pdev.dhpdev; }
HDEV EngineHostDevice(const EngineHost* host) { return host->pdev.hdev; }
HSURF EngineHostSurface(const EngineHost* host) { return host->pdev.hsurf; }
SURFOBJ* EngineHostSurfaceObject(const EngineHost* host) { return host->pdev.so; }

}  // namespace kw
