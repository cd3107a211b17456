// DrvConvertDevMode: the spooler's conversions between the driver's record,
// records of other versions and the driver default.
#include <cstring>
#include <vector>

#include "common/devmode.h"
#include "common/model_store.h"

namespace kadu {
namespace {

constexpr LONG kSize351 = kDevmode351PublicSize + kDevmodePrivateSize;
constexpr LONG kSizeOwn = LONG(kDevmodeTotalSize);

LONG TotalSize(const DEVMODEW* dm) { return LONG(dm->dmSize) + dm->dmDriverExtra; }

// The stale settings rule of a conversion: records of different sizes or
// data stamps are not converted. Stamps are compared only where both records
// hold them.
bool StaleForConversion(const DEVMODEW* in, const DEVMODEW* out) {
  if (TotalSize(in) != TotalSize(out)) return true;
  if (!DevmodeHoldsStamps(in) || !DevmodeHoldsStamps(out)) return false;
  const BYTE* a = reinterpret_cast<const BYTE*>(in) + kDevmodeStampsOffset;
  const BYTE* b = reinterpret_cast<const BYTE*>(out) + kDevmodeStampsOffset;
  return std::memcmp(a, b, 4 * sizeof(WORD)) != 0;
}

BOOL NeedBuffer(LONG* pcbNeeded, LONG needed) {
  *pcbNeeded = needed;
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return FALSE;
}

BOOL InvalidParameter() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

BOOL Convert(PDEVMODEW pdmIn, PDEVMODEW pdmOut, LONG* pcbNeeded) {
  if (!pdmOut || *pcbNeeded < TotalSize(pdmOut) || CopyDevmodeCompatible(pdmIn, pdmOut) <= 0)
    return InvalidParameter();
  *pcbNeeded = TotalSize(pdmOut);
  return TRUE;
}

BOOL Convert351(PDEVMODEW pdmIn, PDEVMODEW pdmOut, LONG* pcbNeeded) {
  if (!pdmOut || *pcbNeeded < kSize351) return NeedBuffer(pcbNeeded, kSize351);
  pdmOut->dmSpecVersion = kDevmode351SpecVersion;
  pdmOut->dmSize = kDevmode351PublicSize;
  pdmOut->dmDriverVersion = kDevmode351DriverVersion;
  pdmOut->dmDriverExtra = kDevmodePrivateSize;
  if (CopyDevmodeCompatible(pdmIn, pdmOut) <= 0) return InvalidParameter();
  *pcbNeeded = kSize351;
  return TRUE;
}

// The printer's DRIVER_INFO_2 by the two-call protocol; false when it cannot be read.
bool ReadDriverInfo(HANDLE printer, std::vector<BYTE>* buf) {
  DWORD needed = 0;
  GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
  if (needed < sizeof(DRIVER_INFO_2W)) return false;
  buf->assign(needed, 0);
  return GetPrinterDriverW(printer, nullptr, 2, buf->data(), needed, &needed) != FALSE;
}

BOOL DriverDefault(LPWSTR pPrinterName, PDEVMODEW pdmOut, LONG* pcbNeeded) {
  if (!pdmOut || *pcbNeeded < kSizeOwn) return NeedBuffer(pcbNeeded, kSizeOwn);
  HANDLE printer = nullptr;
  if (!pPrinterName || !OpenPrinterW(pPrinterName, &printer, nullptr)) return FALSE;
  std::vector<BYTE> info;
  BOOL ok = FALSE;
  if (ReadDriverInfo(printer, &info)) {
    const auto* di = reinterpret_cast<const DRIVER_INFO_2W*>(info.data());
    WORD stamps[6] = {};
    LoadModelRecord(di->pName, stamps, FALSE, nullptr);
    auto* out = reinterpret_cast<DriverDevmode*>(pdmOut);
    if (BuildDefaultDevmode(out, pPrinterName, printer)) {
      std::memcpy(out->priv.wDataStamps, stamps, sizeof(out->priv.wDataStamps));
      out->priv.wStampZero[0] = out->priv.wStampZero[1] = 0;
      *pcbNeeded = kSizeOwn;
      ok = TRUE;
    }
  }
  ClosePrinter(printer);
  return ok;
}

}  // namespace
}  // namespace kadu

using namespace kadu;

extern "C" BOOL WINAPI DrvConvertDevMode(LPWSTR pPrinterName, PDEVMODEW pdmIn, PDEVMODEW pdmOut, LONG* pcbNeeded,
                                         DWORD fMode) {
  if (fMode == CDM_CONVERT && pdmIn && pdmOut && StaleForConversion(pdmIn, pdmOut)) {
    std::memmove(pdmOut->dmDeviceName, pdmIn->dmDeviceName, sizeof(pdmOut->dmDeviceName));
    return TRUE;
  }
  if (!pcbNeeded) return InvalidParameter();
  switch (fMode) {
    case CDM_CONVERT: return Convert(pdmIn, pdmOut, pcbNeeded);
    case CDM_CONVERT351: return Convert351(pdmIn, pdmOut, pcbNeeded);
    case CDM_DRIVER_DEFAULT: return DriverDefault(pPrinterName, pdmOut, pcbNeeded);
    default: return FALSE;
  }
}
