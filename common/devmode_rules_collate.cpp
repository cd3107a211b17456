// Collation: the driver offers DM_COLLATE only where the system collates
// through the driver (Windows 2000 and later, a printer that neither queues
// raw data only nor is a queued printer, and the EMF spooling setting on).
#include <vector>

#include "common/devmode_rules.h"

namespace kadu {
namespace {

constexpr uint16_t kDetailSpoolEmf = 0x8000;
constexpr uint16_t kDetailApCollate = 0x10;

DWORD SystemMajorVersion() {
  OSVERSIONINFOW v = {};
  v.dwOSVersionInfoSize = sizeof(v);
  return GetVersionExW(&v) ? v.dwMajorVersion : 0;
}

// The printer's attributes; 0 when they cannot be read.
DWORD PrinterAttributes(HANDLE printer) {
  DWORD needed = 0;
  GetPrinterW(printer, 5, nullptr, 0, &needed);
  if (needed < sizeof(PRINTER_INFO_5W)) return 0;
  std::vector<BYTE> buf(needed);
  if (!GetPrinterW(printer, 5, buf.data(), needed, &needed)) return 0;
  return reinterpret_cast<const PRINTER_INFO_5W*>(buf.data())->Attributes;
}

bool DriverMayCollate(HANDLE printer, const DriverDevmode& dm) {
  if (!(dm.priv.wDetailFlags & kDetailSpoolEmf) || SystemMajorVersion() < 5) return false;
  return !(PrinterAttributes(printer) & (PRINTER_ATTRIBUTE_RAW_ONLY | PRINTER_ATTRIBUTE_QUEUED));
}

}  // namespace

void ApplyCollateRule(HANDLE printer, const int* requested, DriverDevmode* dm) {
  if (DriverMayCollate(printer, *dm))
    dm->dm.dmFields |= DM_COLLATE;
  else
    dm->dm.dmFields &= ~DWORD(DM_COLLATE);
  PrivateDevmode& p = dm->priv;
  if (requested) {
    if (*requested == DMCOLLATE_TRUE) {
      dm->dm.dmCollate = DMCOLLATE_TRUE;
    } else {
      dm->dm.dmCollate = DMCOLLATE_FALSE;
      p.wDriverCollate = 0;
    }
    return;
  }
  if (p.wDetailFlags & kDetailApCollate) {
    p.wDriverCollate = uint16_t(dm->dm.dmCollate);
  } else if (dm->dm.dmCollate || p.wDriverCollate) {
    dm->dm.dmCollate = DMCOLLATE_TRUE;
    p.wDriverCollate = 1;
  }
}

}  // namespace kadu
