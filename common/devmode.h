// The operations on the DriverDevmode: the default record of a printer's
// model, the merge of an incoming DEVMODE of any size and version, and the
// spooler's conversion entry.
#pragma once
#include <cstddef>

#include "common/devmode_record.h"
#include "windows.h"

namespace kadu {

// Fills the 1816 bytes of `out` with the defaults of the printer's model
// (found by the driver name of the printer's DRIVER_INFO_2; the model must
// already be loaded, else the built-in model serves). The data stamps are
// left zero. FALSE, with `out` untouched, when the driver information cannot
// be read.
BOOL BuildDefaultDevmode(DriverDevmode* out, const WCHAR* deviceName, HANDLE printer);

// Validates `incoming` (any DEVMODEW-shaped record: dmSize + dmDriverExtra
// bytes) field by field and merges it into `current`, a complete record of
// this driver. The printer handle serves the collate rule only. Returns TRUE.
BOOL MergeDevmode(DriverDevmode* current, const DEVMODEW* incoming, HANDLE printer);
// The same for a record of which only `available` bytes may be read: bytes
// beyond them read as zero, whatever the record's sizes say.
BOOL MergeDevmodeBytes(DriverDevmode* current, const void* incoming, size_t available, HANDLE printer);

// The dmSpecVersion that belongs to a record's public size: 188 gives 0x0320,
// 212 gives 0x0400, 220 gives 0x0401; other sizes keep the record's own.
WORD DevmodeSpecForSize(const DEVMODEW* dm);
// Copies the public and private parts that both records have room for from
// `in` to `out`, keeping `out`'s sizes and driver version. Returns the bytes
// copied, or -1 when a record is missing or of unknown version.
int CopyDevmodeCompatible(const DEVMODEW* in, DEVMODEW* out);

// Whether the record is large enough to hold the data stamps (and the two
// words after them); only then may they be read or written.
bool DevmodeHoldsStamps(const DEVMODEW* dm);

}  // namespace kadu

// The spooler's conversion entry (exported by the interface library).
extern "C" BOOL WINAPI DrvConvertDevMode(LPWSTR pPrinterName, PDEVMODEW pdmIn, PDEVMODEW pdmOut, LONG* pcbNeeded,
                                         DWORD fMode);
