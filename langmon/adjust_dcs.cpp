// The AdjustDCS query: the printer's adjustment value, asked with a PJL
// DINQUIRE and kept in the registry under the port's name.
#include <time.h>

#include <cstdio>
#include <cstring>

#include "langmon/operations.h"
#include "langmon/pjl_strings.h"

namespace langmon {
namespace {

bool ValueChar(BYTE c) { return (c >= '0' && c <= '9') || c == ' ' || c == ',' || c == '.'; }

}  // namespace

BOOL FindAdjustDcsReply(const BYTE* data, size_t length, size_t* start, size_t* valueAt, size_t* valueLength,
                        size_t* end) {
  size_t n = std::strlen(kAdjustDcsQuery);
  for (size_t at = 0; at + n <= length; ++at) {
    if (data[at] != '@' || std::memcmp(data + at, kAdjustDcsQuery, n) != 0) continue;
    if (at > 0 && data[at - 1] != '\n' && data[at - 1] != 0x0C) continue;  // must be a line of its own
    size_t v = at + n, i = v;
    while (i < length && ValueChar(data[i])) ++i;
    if (i >= length || data[i] != '\r' || i == v) continue;
    size_t e = i + 1;
    if (e < length && data[e] == '\n') ++e;
    if (e < length && data[e] == 0x0C) ++e;
    *start = at;
    *valueAt = v;
    *valueLength = i - v;
    *end = e;
    return TRUE;
  }
  return FALSE;
}

void StoreAdjustDcs(PortRecord* p, const char* value, DWORD length) {
  char key[2 * kNameChars];
  std::snprintf(key, sizeof key, "Software\\Halvorn\\%s", p->portName);
  HANDLE root = reinterpret_cast<HANDLE>(AtLeast(p->osMajor, p->osMinor, 6, 0) ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE);
  QueueRegistryWrite(p, root, key, "QelXferAdjustDCS", REG_BINARY, value, length);
  DWORD now = DWORD(time(nullptr));
  QueueRegistryWrite(p, root, key, "Date", REG_DWORD, &now, sizeof now);
}

void ExtractAdjustDcsReply(PortRecord* p) {
  size_t start, valueAt, valueLength, end;
  if (!FindAdjustDcsReply(p->readBuffer, p->readLength, &start, &valueAt, &valueLength, &end)) return;
  StoreAdjustDcs(p, reinterpret_cast<const char*>(p->readBuffer + valueAt), DWORD(valueLength));
  std::memmove(p->readBuffer + start, p->readBuffer + end, p->readLength - end);
  p->readLength -= DWORD(end - start);
}

DWORD QueryAdjustDCS(PortRecord* p, char* out, DWORD outSize) {
  if (p->jobMode == 1) return 0;
  char query[64];
  int n = std::snprintf(query, sizeof query, "%s%s%s", kUel, kAdjustDcsQuery, kUel);
  DWORD written = 0;
  if (!LowerWrite(p, reinterpret_cast<const BYTE*>(query), DWORD(n), &written) || written != DWORD(n)) return 0;
  p->flags |= kQueryWritten;
  DWORD start = GetTickCount();
  while (Elapsed(start) < 10000 && !p->closing) {
    SleepUnlocked(p->monitor, 100);
    if (!ReadRepliesTimed(p, 10000)) break;
    if (p->readLength == 0) continue;
    Codes c;
    ApplyReplies(p, &c);
    size_t at, valueAt, valueLength, end;
    if (!FindAdjustDcsReply(p->readBuffer, p->readLength, &at, &valueAt, &valueLength, &end)) continue;
    const char* value = reinterpret_cast<const char*>(p->readBuffer + valueAt);
    StoreAdjustDcs(p, value, DWORD(valueLength));
    if (out && valueLength < outSize) {
      std::memcpy(out, value, valueLength);
      out[valueLength] = '\0';
    }
    return DWORD(valueLength);
  }
  return 0;
}

}  // namespace langmon
