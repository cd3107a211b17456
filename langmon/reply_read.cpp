// Reading the printer's replies into the port's read buffer: in pieces of
// the port's read chunk, and, for a PJL printer, on until the reply is
// complete (it ends with a form feed).
#include "langmon/operations.h"

namespace langmon {
namespace {

constexpr BYTE kFormFeed = 0x0C;

// Appends what the port has; FALSE (last error set) when the read fails or
// the parallel port reports the printer gone.
BOOL ReadPieces(PortRecord* p, DWORD* total) {
  for (;;) {
    DWORD room = kReadBufferSize - *total;
    if (room == 0) return TRUE;
    DWORD piece = p->readChunk < room ? p->readChunk : room;
    DWORD n = 0;
    if (!LowerRead(p, p->readBuffer + *total, piece, &n)) return FALSE;
    if (n == 0 && p->portType == kTypeParallel) {
      BYTE status = 0;
      DWORD got = 0;
      if (LowerControl(p, IOCTL_PAR_QUERY_INFORMATION, nullptr, 0, &status, 1, &got) && got == 1 &&
          (status & (PARALLEL_POWER_OFF | PARALLEL_NOT_CONNECTED))) {
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return FALSE;
      }
    }
    *total += n;
    if (n < piece) return TRUE;
  }
}

// USB ports of the standard driver say how much waits; FALSE when nothing
// does. A CRC failure means the printer is not connected.
BOOL DataWaiting(PortRecord* p, BOOL* gone) {
  *gone = FALSE;
  const BYTE in[7] = {0, 0, 0, 0, 0, 0, 1};
  DWORD waiting = 0, got = 0;
  if (LowerControl(p, IOCTL_USBPRINT_VENDOR_GET_COMMAND, in, sizeof in, &waiting, sizeof waiting, &got))
    return got != 0 && waiting != 0;
  if (GetLastError() == ERROR_CRC) *gone = TRUE;
  return TRUE;  // any other failure: read and see
}

}  // namespace

void BeginReading(PortRecord* p) {
  while (p->readerBusy) SleepUnlocked(p->monitor, 10);
  p->readerBusy = TRUE;
}

BOOL TryBeginReading(PortRecord* p) {
  if (p->readerBusy) return FALSE;
  p->readerBusy = TRUE;
  return TRUE;
}

void EndReading(PortRecord* p) { p->readerBusy = FALSE; }

BOOL ReadReplies(PortRecord* p) {
  p->readLength = 0;
  if (p->portSubtype == kSubtypeUsb) {
    BOOL gone;
    BOOL waiting = DataWaiting(p, &gone);
    if (gone) {
      SetLastError(ERROR_DEVICE_NOT_CONNECTED);
      return FALSE;
    }
    if (!waiting) return TRUE;
  }
  DWORD total = 0;
  if (!ReadPieces(p, &total)) {
    p->readLength = total;
    return FALSE;
  }
  BYTE* buf = p->readBuffer;
  if ((p->capabilities & 0x2) && total > 0 && total < kReadBufferSize && buf[total - 1] != kFormFeed) {
    DWORD start = GetTickCount();
    while (Elapsed(start) < 10000 && !p->closing) {
      SleepUnlocked(p->monitor, 200);
      DWORD before = total;
      if (!ReadPieces(p, &total)) break;
      if (total == kReadBufferSize || (total > before && buf[total - 1] == kFormFeed)) break;
    }
  }
  p->readLength = total;
  return TRUE;
}

BOOL ReadRepliesTimed(PortRecord* p, DWORD timeout) {
  DWORD start = GetTickCount();
  for (;;) {
    if (!ReadReplies(p)) return FALSE;
    if (p->readLength > 0 || Elapsed(start) >= timeout || p->closing) return TRUE;
    SleepUnlocked(p->monitor, 1);
  }
}

}  // namespace langmon
