#include "common/user_paper.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <vector>

#include "common/model_accessors.h"
#include "common/model_store.h"
#include "common/value_syntax.h"

namespace kadu {
namespace {

HGLOBAL g_block = nullptr;

// Entries a list can name: "PaperEntry" is read into 512 characters and every
// code takes at least two of them.
constexpr int kMaxEntries = 256;
constexpr int kLockAttempts = 10;

struct Locked {
  uint8_t* base = nullptr;
  const UserPaperHeader* header() const { return reinterpret_cast<const UserPaperHeader*>(base); }
  const UserPaperEntry* entries() const { return reinterpret_cast<const UserPaperEntry*>(base + 6); }
  // Entries the block really holds (a count beyond its size is not trusted).
  int count = 0;
  Locked() {
    if (!g_block) return;
    for (int i = 0; i < kLockAttempts && !base; ++i) base = static_cast<uint8_t*>(GlobalLock(g_block));
    if (!base) return;
    size_t room = (GlobalSize(g_block) - sizeof(UserPaperHeader)) / sizeof(UserPaperEntry);
    count = std::min<int>(header()->count, int(room));
  }
  ~Locked() {
    if (base) GlobalUnlock(g_block);
  }
  bool failed() const { return g_block && !base; }
};

int ReadDecimal(const WCHAR* s, size_t* pos) {
  bool neg = false;
  if (s[*pos] == u'-') {
    neg = true;
    ++*pos;
  }
  int v = 0;
  while (s[*pos] >= u'0' && s[*pos] <= u'9') v = v * 10 + (s[(*pos)++] - u'0');
  return neg ? -v : v;
}

void FillEntry(const WCHAR* value, int code, UserPaperEntry* e) {
  e->code = uint16_t(code);
  size_t p = 0, n = 0;
  while (value[p] && value[p] != u',') {
    if (n < 39) e->name[n++] = value[p];
    ++p;
  }
  uint16_t* numbers[] = {&e->width, &e->length, &e->paperKind};
  for (uint16_t* field : numbers) {
    if (value[p] == u',') ++p;
    *field = uint16_t(ReadDecimal(value, &p));
  }
  if (value[p] == u',') ++p;
  e->unit = value[p] == u'1' ? 1 : 0;
}

std::u16string Decimal(int value, int decimals) {
  char buf[32];
  if (decimals == 1) std::snprintf(buf, sizeof buf, "%d.%d", value / 10, value % 10);
  else std::snprintf(buf, sizeof buf, "%d.%02d", value / 100, value % 100);
  std::u16string out;
  for (const char* p = buf; *p; ++p) out.push_back(char16_t(*p));
  return out;
}

void Put16(uint8_t* p, uint32_t v) {
  uint16_t w = uint16_t(v);
  std::memcpy(p, &w, 2);
}

void Put32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

// Writes one element of a request for entry e.
void WriteElement(DWORD kind, const UserPaperEntry& e, uint8_t* out) {
  auto text = [&](uint8_t* at, size_t chars, const std::u16string& s) {
    std::memset(at, 0, chars * 2);
    std::memcpy(at, s.data(), std::min(s.size(), chars - 1) * 2);
  };
  switch (kind) {
    case kUpCode: Put16(out, e.code); break;
    case kUpText: text(out, kUserPaperTextChars, UserPaperDisplayText(e)); break;
    case kUpCodeText: Put16(out, e.code); text(out + 2, kUserPaperTextChars, UserPaperDisplayText(e)); break;
    case kUpSize: Put16(out, e.width); Put16(out + 2, e.length); break;
    case kUpCodeSize: Put16(out, e.code); Put16(out + 2, e.width); Put16(out + 4, e.length); break;
    case kUpEntry: std::memcpy(out, &e.name, 88); Put16(out + 88, e.unit); break;
    case kUpCodeEntry: Put16(out, e.code); std::memcpy(out + 2, &e.name, 88); Put16(out + 90, e.unit); break;
    case kUpKind: Put16(out, e.paperKind); break;
    case kUpCodeKind: Put16(out, e.code); Put16(out + 2, e.paperKind); break;
    case kUpSize32: Put32(out, e.width); Put32(out + 4, e.length); break;
    case kUpCodeSize32: Put32(out, e.code); Put32(out + 4, e.width); Put32(out + 8, e.length); break;
    case kUpShortName: text(out, 13, std::u16string(e.name, std::min<size_t>(12, std::char_traits<char16_t>::length(e.name)))); break;
    case kUpUnit: Put16(out, e.unit); break;
    default: break;
  }
}

}  // namespace

HGLOBAL UserPaperCacheHandle() { return g_block; }
void SetUserPaperCacheHandle(HGLOBAL block) { g_block = block; }

void FreeUserPaperCache() {
  if (g_block) GlobalFree(g_block);
  g_block = nullptr;
}

bool RefreshUserPaperCache(const std::u16string& iniPath) {
  const WCHAR* ini = iniPath.c_str();
  EnterCriticalSection(ModelStoreLock());
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, ini);
  uint16_t update = uint16_t(GetPrivateProfileIntW(u"UserDefPaper", u"UpdateNo", 0, ini));
  if (g_block) {
    Locked l;
    bool same = l.base && l.header()->updateNumber == update;
    if (same) {
      LeaveCriticalSection(ModelStoreLock());
      return true;
    }
  }
  FreeUserPaperCache();
  int n = int(GetPrivateProfileIntW(u"UserDefPaper", u"numDefine", 0, ini));
  n = std::max(0, std::min(n, kMaxEntries));
  g_block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, sizeof(UserPaperHeader) + 90 * size_t(n));
  uint8_t* base = g_block ? static_cast<uint8_t*>(GlobalLock(g_block)) : nullptr;
  if (!base) {
    FreeUserPaperCache();
    LeaveCriticalSection(ModelStoreLock());
    return false;
  }
  auto* header = reinterpret_cast<UserPaperHeader*>(base);
  auto* entries = reinterpret_cast<UserPaperEntry*>(base + sizeof(UserPaperHeader));
  header->highestCode = 276;
  WCHAR list[512], value[256];
  DWORD len = GetPrivateProfileStringW(u"UserDefPaper", u"PaperEntry", u"", list, 512, ini);
  int count = 0;
  if (n > 0 && len > 0) {
    size_t pos = 0;
    for (int i = 0; i < n; ++i) {
      int code = ReadDecimal(list, &pos);
      std::u16string key = u"Paper" + DecimalText(code);
      if (GetPrivateProfileStringW(u"UserDefPaper", key.c_str(), u"", value, 256, ini) > 0) {
        FillEntry(value, code, &entries[i]);
        header->highestCode = int16_t(std::max<int>(header->highestCode, code));
      }
      if (list[pos] != u',') break;
      ++pos;
      ++count;
    }
  }
  header->count = uint16_t(count);
  header->updateNumber = update;
  GlobalUnlock(g_block);
  LeaveCriticalSection(ModelStoreLock());
  return true;
}

bool FindUserPaper(int code, UserPaperEntry* out) {
  Locked l;
  for (int i = 0; i < l.count; ++i)
    if (l.entries()[i].code == code) {
      *out = l.entries()[i];
      return true;
    }
  return false;
}

size_t UserPaperElementSize(DWORD request) {
  switch (request & 0xFF) {
    case kUpCode: case kUpKind: case kUpUnit: return 2;
    case kUpText: return kUserPaperTextChars * 2;
    case kUpCodeText: return 2 + kUserPaperTextChars * 2;
    case kUpSize: case kUpCodeKind: return 4;
    case kUpCodeSize: return 6;
    case kUpEntry: return 90;
    case kUpCodeEntry: return 92;
    case kUpSize32: return 8;
    case kUpCodeSize32: return 12;
    case kUpShortName: return 26;
    default: return 0;
  }
}

LONG UserPaperQuery(const ModelInfo& info, DWORD request, int code, void* out, size_t outBytes) {
  DWORD kind = request & 0xFF;
  Locked l;
  if (l.failed()) return -1;
  if (kind == kUpCount) return l.count;
  if (kind == kUpHighestCode) return l.base ? l.header()->highestCode : 276;
  size_t size = UserPaperElementSize(kind);
  auto* dst = static_cast<uint8_t*>(out);
  if (code != 0) {
    for (int i = 0; i < l.count; ++i) {
      const UserPaperEntry& e = l.entries()[i];
      if (e.code != code) continue;
      if (dst && size && outBytes >= size) WriteElement(kind, e, dst);
      LONG next = i + 1 < l.count ? l.entries()[i + 1].code : 0;
      return WithinCustomLimits(info, e.width, e.length) ? next : next + 0x8000;
    }
    return -1;
  }
  LONG passed = 0;
  for (int i = 0; i < l.count; ++i) {
    const UserPaperEntry& e = l.entries()[i];
    bool within = WithinCustomLimits(info, e.width, e.length);
    bool take = (request & kUpOnlyOutside) ? !within : (within || (request & kUpIncludeOutside));
    if (!take) continue;
    if (dst && size && outBytes >= size * size_t(passed + 1)) WriteElement(kind, e, dst + size * size_t(passed));
    ++passed;
  }
  return passed;
}

std::u16string UserPaperDisplayText(const UserPaperEntry& e) {
  size_t n = 0;
  while (n < 40 && e.name[n]) ++n;
  std::u16string name(e.name, n);
  if (e.unit) {
    auto inch = [](int v) { return Decimal((v * 1000 + 1270) / 2540, 2); };
    return name + u" " + inch(e.width) + u" x " + inch(e.length) + u"in";
  }
  return name + u" " + Decimal(e.width, 1) + u" x " + Decimal(e.length, 1) + u"mm";
}

}  // namespace kadu
