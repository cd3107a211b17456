// The printer's status just before a job's data goes out: what has already
// arrived, and for a local port that knows no status yet, an explicit query.
#include <cstdio>
#include <cstring>

#include "langmon/operations.h"
#include "langmon/pjl_strings.h"

namespace langmon {
namespace {

constexpr DWORD kAnswerWait = 5000;

BOOL NetworkPreJob(PortRecord* p) {
  Codes c;
  if (NetworkStatus(p, &c) && !SameCodes(p, c)) {
    StoreCodes(p, c);
    if (p->jobMode == 2) ReportCodes(p, c);
  }
  return TRUE;
}

BOOL AskAndWait(PortRecord* p) {
  char query[96];
  int n = std::snprintf(query, sizeof query, "%s%s%s", kUel, p->bidiMode == 1 ? kStatusQuery1 : kStatusQuery2, kUel);
  if (!LowerWriteAll(p, reinterpret_cast<const BYTE*>(query), DWORD(n))) return FALSE;
  p->flags |= kQueryWritten;
  DWORD start = GetTickCount();
  Codes c;
  while (Elapsed(start) < kAnswerWait && !p->closing) {
    SleepUnlocked(p->monitor, 10);
    if (ReadReplies(p) && p->readLength > 0 && ApplyReplies(p, &c)) break;
  }
  return TRUE;
}

}  // namespace

BOOL PreJobStatus(PortRecord* p) {
  BeginReading(p);
  BOOL ok = TRUE;
  if (p->network) {
    ok = NetworkPreJob(p);
  } else {
    Codes c;
    if (ReadReplies(p) && p->readLength > 0) ApplyReplies(p, &c);
    if (IsLocalType(p->portType) && p->primary == 0) ok = AskAndWait(p);
  }
  EndReading(p);
  return ok;
}

}  // namespace langmon
