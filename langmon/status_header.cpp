// The status header written in front of a job's data: it switches the
// printer's unsolicited status on and asks for the status at once.
#include <cstring>

#include "langmon/operations.h"
#include "langmon/pjl_strings.h"

namespace langmon {
namespace {

void Append(PortRecord* p, const char* text) {
  size_t n = std::strlen(text);
  if (p->headerLength + n > sizeof p->header) return;  // cannot happen with the texts above
  std::memcpy(p->header + p->headerLength, text, n);
  p->headerLength += DWORD(n);
}

void BuildHeader(PortRecord* p) {
  p->headerLength = 0;
  p->headerWritten = 0;
  Append(p, kUel);
  if (p->bidiMode == 1) Append(p, kStatusRequest1);
  if (p->bidiMode == 2) Append(p, kStatusRequest2);
  if (p->cap.adjustDcs) Append(p, kAdjustDcsQuery);
  Append(p, kUel);
  p->headerBuilt = TRUE;
}

}  // namespace

BOOL SendStatusHeader(PortRecord* p) {
  if (p->network || p->jobMode == 1) {
    // Network ports get their status by SNMP; a job of mode 1 carries no header.
    p->headerDone = TRUE;
    if (p->network) p->flags |= kHeaderSent;
    return TRUE;
  }
  if (!(p->flags & kBidiPjl) && !DetectBidiPJL(p)) {
    p->primary = kCodeNoAnswer;
    p->secondary = 0;
    SetLastError(ERROR_IO_DEVICE);
    return FALSE;
  }
  if (!p->headerBuilt) BuildHeader(p);
  while (p->headerWritten < p->headerLength) {
    DWORD n = 0;
    BOOL ok = LowerWrite(p, p->header + p->headerWritten, p->headerLength - p->headerWritten, &n);
    if (n > p->headerLength - p->headerWritten) n = p->headerLength - p->headerWritten;
    p->headerWritten += n;
    if (!ok || n == 0) {
      DWORD error = ok ? DWORD(ERROR_WRITE_FAULT) : GetLastError();
      if (p->primary == 0) p->primary = kCodeHeaderUnusable;
      SetLastError(error);
      return FALSE;
    }
  }
  p->flags |= kQueryWritten;
  if (p->primary != 0 && p->jobMode == 2) ReportCodes(p, Codes{p->primary, p->secondary, p->online});
  p->flags |= kHeaderSent;
  p->headerDone = TRUE;
  return TRUE;
}

}  // namespace langmon
