// The IEEE 1284 device ID ("KEY:value;KEY:value;…"): the languages of its
// command set become capability bits. Parsed by length: the text need not be
// terminated and may hold any bytes.
#include <cstring>

#include "langmon/operations.h"

namespace langmon {
namespace {

struct Language {
  const char* prefix;
  DWORD bits;
};

// Tested in this order, each against its prefix only, case-sensitively.
const Language kLanguages[] = {
    {"PJL", 0x2},          {"KESTR-C", 0x100},     {"KESTRC", 0x100}, {"ZQL", 0x200},
    {"POSTSCRIPT", 0x800}, {"PCLXL", 0x10},        {"ENHANCED PCL", 0x8}, {"HP ENHANCED PCL", 0x8},
    {"PCL", 0x8},          {"VRAL", 0x1},          {"KESTRWINDOWS", 0x4}, {"GQL3", 0x22},
    {"ESCP", 0x400},
};

constexpr DWORD kOtherLanguage = 0x80000000;
constexpr int kMaxEntries = 8;

bool KeyIs(const char* key, size_t length, const char* want) {
  return length == std::strlen(want) && std::memcmp(key, want, length) == 0;
}

DWORD ClassifyList(const char* value, size_t length) {
  DWORD caps = 0;
  size_t start = 0;
  for (int entry = 1; start <= length; ++entry) {
    size_t end = length;
    if (entry < kMaxEntries) {  // the eighth entry keeps the rest of the list
      const void* comma = std::memchr(value + start, ',', length - start);
      if (comma) end = size_t(static_cast<const char*>(comma) - value);
    }
    caps |= ClassifyCommandSetEntry(value + start, end - start);
    start = end + 1;
  }
  return caps;
}

}  // namespace

DWORD ClassifyCommandSetEntry(const char* entry, size_t length) {
  for (const Language& l : kLanguages) {
    size_t n = std::strlen(l.prefix);
    if (length >= n && std::memcmp(entry, l.prefix, n) == 0) return l.bits;
  }
  return kOtherLanguage;
}

DWORD ParseDeviceId(const char* id, size_t length) {
  DWORD caps = 0;
  bool commandSetSeen = false;
  size_t pos = 0;
  while (pos < length) {
    const void* colon = std::memchr(id + pos, ':', length - pos);
    if (!colon) break;
    size_t keyEnd = size_t(static_cast<const char*>(colon) - id) + 1;  // the key includes its ':'
    const void* semi = std::memchr(id + keyEnd, ';', length - keyEnd);
    size_t valueEnd = semi ? size_t(static_cast<const char*>(semi) - id) : length;
    const char* key = id + pos;
    size_t keyLength = keyEnd - pos;
    if (!commandSetSeen && (KeyIs(key, keyLength, "COMMAND SET:") || KeyIs(key, keyLength, "CMD:"))) {
      commandSetSeen = true;
      caps |= ClassifyList(id + keyEnd, valueEnd - keyEnd);
    }
    // "MANUFACTURER:", "MFG:" and "MANUFACTURE:" name the maker; the monitor has no use for them.
    pos = valueEnd + 1;
  }
  return caps;
}

}  // namespace langmon
