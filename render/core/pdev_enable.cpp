// DrvEnablePDEV and DrvCompletePDEV: the PDEV made from the printer's
// driver information, its model and the merged DEVMODE.
#include <cstring>

#include "common/devmode.h"
#include "common/model_store.h"
#include "render/core/ddi_hooks.h"
#include "render/core/devinfo.h"
#include "render/core/gdiinfo.h"
#include "render/core/driver_settings.h"
#include "render/core/hook_impl.h"
#include "render/core/page_geometry.h"
#include "render/core/pdev_lifecycle.h"
#include "render/core/pdev_resolution.h"
#include "render/core/pdev_seams.h"

namespace {

constexpr short kPaperDblJapanesePostcardRotated = 82;

struct DriverIdentity {
  WCHAR name[MAX_PATH];
  WCHAR path[MAX_PATH];
};

void CopyWide(WCHAR* out, size_t chars, const WCHAR* in) {
  size_t i = 0;
  for (; in && in[i] && i + 1 < chars; ++i) out[i] = in[i];
  out[i] = 0;
}

// The driver's name and this library's path from DRIVER_INFO_2.
BOOL ReadDriverIdentity(HANDLE printer, DriverIdentity* id) {
  DWORD needed = 0;
  if (GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return FALSE;
  auto* info = static_cast<DRIVER_INFO_2W*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, needed));
  if (!info) return FALSE;
  BOOL ok = GetPrinterDriverW(printer, nullptr, 2, reinterpret_cast<LPBYTE>(info), needed, &needed);
  if (ok) {
    CopyWide(id->name, MAX_PATH, info->pName);
    CopyWide(id->path, MAX_PATH, info->pDriverPath);
  }
  HeapFree(GetProcessHeap(), 0, info);
  return ok;
}

// Paper codes 256 and from 276 on become one of the two custom codes.
void MapCustomPaper(PDEV* pdev) {
  short& paper = pdev->devmode.dm.dmPaperSize;
  if (paper == DMPAPER_USER || paper >= 276) paper = pdev->devmode.priv.wDispType ? 264 : 263;
}

// A copy of the caller's record (public and private part) with portrait and
// landscape exchanged.
BYTE* CopyWithSwappedOrientation(const DEVMODEW* pdm) {
  size_t bytes = size_t(pdm->dmSize) + pdm->dmDriverExtra;
  if (bytes < sizeof(DEVMODEW)) bytes = sizeof(DEVMODEW);
  auto* copy = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes));
  if (!copy) return nullptr;
  std::memcpy(copy, pdm, size_t(pdm->dmSize) + pdm->dmDriverExtra);
  auto* dm = reinterpret_cast<DEVMODEW*>(copy);
  dm->dmOrientation = dm->dmOrientation == DMORIENT_LANDSCAPE ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
  return copy;
}

// Reduction by scaling (scaling on in dmFields, below 100 %) is done by the
// driver: the page grows by the factor and the drawing is mapped down.
void ApplyScaling(PDEV* pdev) {
  DEVMODEW& dm = pdev->devmode.dm;
  if (!(dm.dmFields & DM_SCALE) || dm.dmScale <= 0 || dm.dmScale >= 100) return;
  pdev->scaleFactor = DWORD(dm.dmScale) * 10;
  dm.dmScale = 100;
}

BOOL InitializePdev(PDEV* pdev, const kadu::ModelRecord* model, const DEVMODEW* pdm, LPWSTR deviceName) {
  pdev->signature1 = pdev->signature2 = kPdevSignature;
  SpoolInit(pdev);
  pdev->lastEscapeFinal = 1;
  pdev->scaleFactor = 1000;
  pdev->model = model;
  pdev->workBlock = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 4);
  if (!pdev->workBlock) return FALSE;
  if (!kadu::BuildDefaultDevmode(&pdev->devmode, deviceName, pdev->hPrinter)) {
    SetLastError(ERROR_INVALID_DATA);
    return FALSE;
  }
  if (pdm) kadu::MergeDevmode(&pdev->devmode, pdm, pdev->hPrinter);
  pdev->rasterMode = pdev->devmode.priv.wPrintMode != 0;
  ReadDriverSettings(pdev);
  ChooseResolution(pdev);
  ApplyLayoutSettings(pdev);
  MapCustomPaper(pdev);
  ApplyScaling(pdev);
  pdev->devmode.dm.dmYResolution = short(WorkingResolution(pdev));
  if (!ComputePaperGeometry(pdev)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  pdev->copies = DWORD(pdev->devmode.dm.dmCopies);
  pdev->pageCount = 0;
  pdev->yResolution = pdev->devmode.dm.dmYResolution;
  SpoolSetStagingLimit(pdev, model->info.internalFreeMemory);
  return TRUE;
}

DWORD ModelFlagsOf(const kadu::ModelRecord* model) {
  uint32_t f = model->info.features;
  DWORD flags = 0;
  if (f & kadu::kTrue1200) flags |= PDEV_MODEL_TRUE1200;
  if (f & kadu::kJapan) flags |= PDEV_MODEL_JAPAN;
  if (f & kadu::kA3Printer) flags |= PDEV_MODEL_A3;
  if (f & kadu::kEnvMode) flags |= PDEV_MODEL_ENVMODE;
  return flags;
}

// The mode-specific steps: halftoning, fonts, the resource module, GDIINFO
// and DEVINFO. FALSE when DEVINFO could not be filled.
BOOL EnableForMode(PDEV* pdev, ULONG cjCaps, ULONG* caps, ULONG cjDevInfo, DEVINFO* pdi) {
  ULONG fonts = 0;
  if (pdev->rasterMode) {
    if (!SetupHalftone(pdev, pdev->devmode.dm.dmYResolution)) return FALSE;
  } else {
    if (!EnableDeviceFonts(pdev, &fonts) && ModelRequiresDeviceFonts(pdev)) return FALSE;
    pdev->resourceModule = LoadLibraryW(pdev->driverPath);
    if (!pdev->resourceModule) return FALSE;
    bool colourOnly = pdev->devmode.priv.wColorModeFlag != 0 && (pdev->devmode.priv.wDetailFlags & 0x2) == 0;
    if (!colourOnly && !SetupHalftone(pdev, pdev->resolution)) return FALSE;
  }
  FillGdiInfo(pdev, cjCaps, caps);
  DEVINFO di;
  if (!ComputeDevInfo(pdev, fonts, &di)) return FALSE;
  CopyDevInfo(di, cjDevInfo, pdi);
  return TRUE;
}

}  // namespace

DHPDEV ImplEnablePDEV(DEVMODEW* pdm, LPWSTR, ULONG cPat, HSURF* phsurfPatterns, ULONG cjCaps, ULONG* pdevcaps,
                      ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev, LPWSTR pwszDeviceName, HANDLE hDriver) {
  if (!hDriver || !pwszDeviceName || !hdev) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  DriverIdentity id{};
  if (!ReadDriverIdentity(hDriver, &id)) return nullptr;
  kadu::LoadModelRecord(id.name, nullptr, FALSE, nullptr);
  const kadu::ModelRecord* model = kadu::FindModelRecord(id.name);
  if (!model) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* pdev = static_cast<PDEV*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(PDEV)));
  if (!pdev) return nullptr;
  pdev->hPrinter = hDriver;
  CopyWide(pdev->driverPath, MAX_PATH, id.path);
  // The caller's DEVMODE is only read: the orientation swap for the rotated
  // double postcard is made on a copy.
  BYTE* copy = pdm && pdm->dmPaperSize == kPaperDblJapanesePostcardRotated ? CopyWithSwappedOrientation(pdm) : nullptr;
  const DEVMODEW* merged = copy ? reinterpret_cast<const DEVMODEW*>(copy) : pdm;
  bool ok = InitializePdev(pdev, model, merged, pwszDeviceName);
  if (copy) HeapFree(GetProcessHeap(), 0, copy);
  if (ok) {
    pdev->modelFlags = ModelFlagsOf(model);
    ok = EnableForMode(pdev, cjCaps, pdevcaps, cjDevInfo, pdi);
  }
  if (!ok) {
    ReleasePdev(pdev);
    return nullptr;
  }
  for (ULONG i = 0; phsurfPatterns && i < cPat; ++i) phsurfPatterns[i] = nullptr;
  return reinterpret_cast<DHPDEV>(pdev);
}

KADU_EXPORT VOID APIENTRY DrvCompletePDEV(DHPDEV dhpdev, HDEV hdev) {
  auto* pdev = reinterpret_cast<PDEV*>(dhpdev);
  if (PdevIsValid(pdev)) pdev->hdev = hdev;
}
