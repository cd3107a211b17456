// What a status reply changes: the shared block's status list and code
// words, the port's current codes, the spooler's status and the alarm state.
#include "langmon/operations.h"

namespace langmon {
namespace {

struct LastTwo {
  StatusRecord last, previous;
  DWORD count;
};

void Keep(void* context, const StatusRecord& r) {
  auto* k = static_cast<LastTwo*>(context);
  if (k->count > 0) k->previous = k->last;
  k->last = r;
  ++k->count;
}

Codes CodesOf(const StatusRecord& r) {
  Codes c;
  c.primary = r.count > 0 ? r.codes[0] : 0;
  c.secondary = r.count >= 2 && r.indexes[1] == 2 ? r.codes[1] : 0;
  c.online = r.online;
  return c;
}

}  // namespace

BOOL LastRecordCodes(const BYTE* data, size_t length, Codes* codes, StatusRecord* last) {
  static_assert(sizeof(LastTwo) < 8192, "kept on the stack of the status thread");
  LastTwo k;
  k.count = 0;
  ParseReplies(data, length, Keep, &k);
  if (k.count == 0) return FALSE;
  *codes = CodesOf(k.last);
  if (last) *last = k.last;
  return TRUE;
}

void PublishCodes(PortRecord* p, const StatusRecord* record, const Codes& c) {
  if (!LockBlock(p)) return;
  SharedStatusBlock* b = p->block;
  for (DWORD& e : b->statusList) e = 0;
  DWORD at = 0;
  b->statusList[at++] = c.primary;
  DWORD from = 1;  // the record's codes still to list
  if (c.secondary) {
    b->statusList[at++] = c.secondary;
    b->statusList[at++] = 0;
    from = 2;
  } else {
    b->statusList[at++] = 0;
  }
  for (DWORD i = from; record && i < record->count && at < kStatusListEntries; ++i) b->statusList[at++] = record->codes[i];
  // The list ends with two zero entries, already there.
  b->statusListCount = at + 2;
  b->primaryCode = c.primary;
  b->secondaryCode = c.secondary;
  b->online = c.online;
  UnlockBlock(p);
}

BOOL TakeReplies(PortRecord* p, Codes* found) {
  StatusRecord last;
  if (!LastRecordCodes(p->readBuffer, p->readLength, found, &last)) return FALSE;
  PublishCodes(p, &last, *found);
  return TRUE;
}

bool SameCodes(const PortRecord* p, const Codes& c) {
  return p->primary == c.primary && p->secondary == c.secondary && p->online == c.online;
}

void StoreCodes(PortRecord* p, const Codes& c) {
  p->primary = c.primary;
  p->secondary = c.secondary;
  p->online = c.online;
}

BOOL ApplyReplies(PortRecord* p, Codes* found) {
  if (!TakeReplies(p, found)) return FALSE;
  // Reported whenever the codes change, also when the change is between the
  // records of one read.
  if (SameCodes(p, *found)) return TRUE;
  StoreCodes(p, *found);
  Classification k = ClassifyCode(ShownCode(found->primary, found->secondary, found->online), found->online);
  if (k.level == kLevelAlarm || k.level == kLevelFatalError)
    p->flags |= kAlarm;
  else
    p->flags &= ~kAlarm;
  if (p->jobMode == 2) ReportCodes(p, *found);
  return TRUE;
}

}  // namespace langmon
