// One status poll of a local (parallel or USB) port by the status thread.
#include "langmon/operations.h"

namespace langmon {
namespace {

const Codes kNoAnswer{kCodeNoAnswer, 0, 0};

bool KeepPolling(const PortRecord* p) { return (p->flags & kStatusThreadKeep) && !p->closing; }

// Reads and parses what the printer sent; false when nothing came.
bool PollOnce(PortRecord* p, Codes* c) {
  if (!(p->capabilities & 0x2) || (!ReadReplies(p) && GetLastError() == ERROR_DEVICE_NOT_CONNECTED)) {
    *c = kNoAnswer;
    PublishCodes(p, nullptr, *c);
    return true;
  }
  if (p->portType == kTypeUsb && p->cap.adjustDcs) ExtractAdjustDcsReply(p);
  return TakeReplies(p, c) != FALSE;
}

void Renegotiate(PortRecord* p) {
  PARCLASS_NEGOTIATION_MASK compatibility{0, CENTRONICS};
  LowerControl(p, IOCTL_IEEE1284_NEGOTIATE, &compatibility, sizeof compatibility, nullptr, 0, nullptr);
  SleepUnlocked(p->monitor, 100);
  LowerControl(p, IOCTL_IEEE1284_NEGOTIATE, &p->modes, sizeof p->modes, nullptr, 0, nullptr);
}

void Apply(PortRecord* p, const Codes& c) {
  Classification k = ClassifyCode(ShownCode(c.primary, c.secondary, c.online), c.online);
  bool alarm = k.level == kLevelAlarm || k.level == kLevelFatalError;
  if (SameCodes(p, c)) {
    if (!alarm) return;
    p->flags |= kAlarm;
    if (!(p->flags & kStatusSet)) ReportCodes(p, c);
    return;
  }
  ReportCodes(p, c);
  if (alarm)
    p->flags |= kAlarm;
  else
    p->flags &= ~kAlarm;
  StoreCodes(p, c);
}

}  // namespace

void PollLocalStatus(PortRecord* p, BOOL first) {
  if (!TryBeginReading(p)) return;  // a query is reading the replies; it applies them itself
  bool hadBidi = (p->flags & kBidiPjl) != 0;
  Codes c{0, 0, 0};
  bool got = false;
  if (!hadBidi) {
    if (p->portType == kTypeParallel) Renegotiate(p);
    if (DetectBidiPJL(p)) {
      c = Codes{10001, 0, 1};
      got = true;
    }
  }
  Codes read;
  if (PollOnce(p, &read)) {
    c = read;
    got = true;
  }
  if (!hadBidi) {
    if (!got) c = (p->flags & kBidiPjl) ? Codes{p->primary, p->secondary, p->online} : Codes{kCodeNoBidi, 0, 0};
  } else if ((first && !got) || (got && c.primary == kCodeNoAnswer)) {
    // No answer yet: ask again quickly for a while before calling the printer silent.
    DWORD start = GetTickCount();
    while (Elapsed(start) < 3000 && KeepPolling(p)) {
      SleepUnlocked(p->monitor, 100);
      if (PollOnce(p, &c)) {
        got = true;
        if (c.primary != kCodeNoAnswer) break;
      }
    }
    if (!got || c.primary == kCodeNoAnswer) {
      c = kNoAnswer;
      got = true;
      PublishCodes(p, nullptr, c);
      if (!DetectBidiPJL(p)) p->flags &= ~(kBidiPjl | kQueryWritten);
    }
  }
  if (!got) c = Codes{p->primary, p->secondary, p->online};
  Apply(p, c);
  EndReading(p);
}

}  // namespace langmon
