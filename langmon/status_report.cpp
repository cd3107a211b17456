// The spooler's printer status from a status code.
#include "langmon/operations.h"

namespace langmon {

void ReportStatus(PortRecord* p, DWORD code, DWORD online) {
  DWORD status = (p->flags & kBidiPjl) ? ClassifyCode(code, online).status : DWORD(PRINTER_STATUS_NOT_AVAILABLE);
  if (p->jobMode == 2) SetPrinterStatus(p, status);
  p->reportedStatus = status;
}

void ReportCodes(PortRecord* p, const Codes& c) { ReportStatus(p, ShownCode(c.primary, c.secondary, c.online), c.online); }

}  // namespace langmon
