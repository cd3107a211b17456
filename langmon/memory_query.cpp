// The printer's installed and available memory, asked over PJL (INFO CONFIG
// and INFO MEMORY) and read from the reply.
#include <cstring>

#include "langmon/operations.h"
#include "langmon/pjl_strings.h"

namespace langmon {
namespace {

constexpr DWORD kUnknown = 0xFFFFFFFF;

size_t FindText(const BYTE* data, size_t length, const char* text) {
  size_t n = std::strlen(text);
  for (size_t at = 0; at + n <= length; ++at) {
    const void* hit = std::memchr(data + at, text[0], length - at - n + 1);
    if (!hit) break;
    at = size_t(static_cast<const BYTE*>(hit) - data);
    if (std::memcmp(data + at, text, n) == 0) return at;
  }
  return size_t(-1);
}

DWORD QueryMemory(PortRecord* p, const char* query, const char* echo, const char* key) {
  if (!LowerWriteAll(p, reinterpret_cast<const BYTE*>(kUel), DWORD(std::strlen(kUel))) ||
      !LowerWriteAll(p, reinterpret_cast<const BYTE*>(query), DWORD(std::strlen(query))))
    return kUnknown;
  p->flags |= kQueryWritten;
  SleepUnlocked(p->monitor, 100);
  DWORD start = GetTickCount();
  while (Elapsed(start) < 20000 && !p->closing) {
    if (!ReadRepliesTimed(p, 10000)) return kUnknown;
    if (p->readLength == 0) continue;
    Codes c;
    ApplyReplies(p, &c);
    BOOL found = FALSE;
    DWORD v = FindMemoryValue(p->readBuffer, p->readLength, echo, key, &found);
    if (found) return v;
  }
  return kUnknown;
}

}  // namespace

DWORD FindMemoryValue(const BYTE* data, size_t length, const char* echo, const char* key, BOOL* found) {
  *found = FALSE;
  size_t at = FindText(data, length, echo);
  if (at == size_t(-1)) return kUnknown;
  size_t keyLength = std::strlen(key);
  for (size_t pos = at + std::strlen(echo); pos < length && data[pos] != 0x0C;) {
    if (length - pos >= keyLength && std::memcmp(data + pos, key, keyLength) == 0) {
      // Decimal digits up to "\r"; anything else, or a number past 32 bits, is unreadable.
      uint64_t v = 0;
      bool readable = true;
      size_t i = pos + keyLength;
      for (; i < length && data[i] != '\r'; ++i) {
        if (data[i] < '0' || data[i] > '9') readable = false;
        if (readable) v = v * 10 + uint64_t(data[i] - '0');
        if (v >= kUnknown) readable = false;
      }
      if (i >= length) return kUnknown;  // cut off: not this reply yet
      *found = TRUE;
      return readable ? DWORD(v) : kUnknown;
    }
    const void* nl = std::memchr(data + pos, '\n', length - pos);
    if (!nl) break;
    pos = size_t(static_cast<const BYTE*>(nl) - data) + 1;
  }
  return kUnknown;
}

DWORD QueryInstalledMemory(PortRecord* p) { return QueryMemory(p, kConfigQuery, "@PJL INFO CONFIG\r\n", "MEMORY="); }

DWORD QueryAvailableMemory(PortRecord* p) { return QueryMemory(p, kMemoryQuery, "@PJL INFO MEMORY\r\n", "TOTAL="); }

}  // namespace langmon
