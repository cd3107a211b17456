#include "win/wstr.h"

#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "kw/wide.h"

namespace kw {

static std::atomic<UINT> g_acp{1252};

void SetAnsiCodePage(UINT cp) { g_acp = cp; }

char16_t FoldAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 0x20) : c; }

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

std::u16string Widen(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = s[i];
    uint32_t cp;
    size_t n;
    if (c < 0x80) { cp = c; n = 1; }
    else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; n = 2; }
    else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; n = 3; }
    else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; n = 4; }
    else { out.push_back(0xFFFD); ++i; continue; }
    if (i + n > s.size()) { out.push_back(0xFFFD); break; }
    bool ok = true;
    for (size_t k = 1; k < n; ++k) {
      unsigned char cc = s[i + k];
      if ((cc & 0xC0) != 0x80) { ok = false; break; }
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (!ok) { out.push_back(0xFFFD); ++i; continue; }
    i += n;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(char16_t(0xD800 + (cp >> 10)));
      out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(char16_t(cp));
    }
  }
  return out;
}

std::string Narrow(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t cp = s[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) out.push_back(char(cp));
    else if (cp < 0x800) { out.push_back(char(0xC0 | (cp >> 6))); out.push_back(char(0x80 | (cp & 0x3F))); }
    else if (cp < 0x10000) {
      out.push_back(char(0xE0 | (cp >> 12)));
      out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(char(0xF0 | (cp >> 18)));
      out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace kw

// ---- lstr* ----

KW_API int WINAPI lstrlenW(LPCWSTR s) {
  if (!s) return 0;
  int n = 0;
  while (s[n]) ++n;
  return n;
}
KW_API LPWSTR WINAPI lstrcpyW(LPWSTR d, LPCWSTR s) {
  if (!d || !s) return nullptr;
  LPWSTR r = d;
  while ((*d++ = *s++)) {}
  return r;
}
KW_API LPWSTR WINAPI lstrcpynW(LPWSTR d, LPCWSTR s, int max) {
  if (!d || !s || max <= 0) return d;
  int i = 0;
  for (; i < max - 1 && s[i]; ++i) d[i] = s[i];
  d[i] = 0;
  return d;
}
KW_API LPWSTR WINAPI lstrcatW(LPWSTR d, LPCWSTR s) {
  if (!d || !s) return nullptr;
  lstrcpyW(d + lstrlenW(d), s);
  return d;
}
KW_API int WINAPI lstrcmpW(LPCWSTR a, LPCWSTR b) {
  if (!a) a = u"";
  if (!b) b = u"";
  while (*a && *a == *b) { ++a; ++b; }
  return (*a < *b) ? -1 : (*a > *b) ? 1 : 0;
}
KW_API int WINAPI lstrcmpiW(LPCWSTR a, LPCWSTR b) {
  if (!a) a = u"";
  if (!b) b = u"";
  while (*a && kw::FoldAscii(*a) == kw::FoldAscii(*b)) { ++a; ++b; }
  char16_t ca = kw::FoldAscii(*a), cb = kw::FoldAscii(*b);
  return (ca < cb) ? -1 : (ca > cb) ? 1 : 0;
}
KW_API int WINAPI lstrlenA(LPCSTR s) { return s ? int(std::strlen(s)) : 0; }
KW_API LPSTR WINAPI lstrcpyA(LPSTR d, LPCSTR s) { return (d && s) ? std::strcpy(d, s) : nullptr; }
KW_API LPSTR WINAPI lstrcpynA(LPSTR d, LPCSTR s, int max) {
  if (!d || !s || max <= 0) return d;
  int i = 0;
  for (; i < max - 1 && s[i]; ++i) d[i] = s[i];
  d[i] = 0;
  return d;
}
KW_API LPSTR WINAPI lstrcatA(LPSTR d, LPCSTR s) { return (d && s) ? std::strcat(d, s) : nullptr; }
KW_API int WINAPI lstrcmpA(LPCSTR a, LPCSTR b) {
  int r = std::strcmp(a ? a : "", b ? b : "");
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}
KW_API int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b) {
  if (!a) a = "";
  if (!b) b = "";
  auto fold = [](unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 0x20 : c; };
  while (*a && fold(*a) == fold(*b)) { ++a; ++b; }
  int ca = fold(*a), cb = fold(*b);
  return ca < cb ? -1 : ca > cb ? 1 : 0;
}

// ---- code pages ----

static UINT ResolveCodePage(UINT cp) {
  if (cp == CP_ACP || cp == CP_OEMCP || cp == CP_THREAD_ACP) return GetACP();
  return cp;
}

KW_API UINT WINAPI GetACP(void) { return kw::g_acp.load(); }

static std::string IconvName(UINT cp) {
  if (cp == CP_UTF8) return "UTF-8";
  return "CP" + std::to_string(cp);
}

// Converts with iconv; returns false when the code page is unknown.
static bool Convert(const std::string& from, const std::string& to, const char* in, size_t inLen,
                    std::vector<char>& out, bool stopOnInvalid, bool* invalid) {
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == (iconv_t)-1) return false;
  out.assign(inLen * 4 + 16, 0);
  char* ip = const_cast<char*>(in);
  size_t il = inLen;
  char* op = out.data();
  size_t ol = out.size();
  while (il > 0) {
    size_t r = iconv(cd, &ip, &il, &op, &ol);
    if (r != (size_t)-1) break;
    if (errno == E2BIG) {
      size_t used = op - out.data();
      out.resize(out.size() * 2);
      op = out.data() + used;
      ol = out.size() - used;
      continue;
    }
    // Invalid or incomplete input: substitute and skip one byte (or unit).
    if (invalid) *invalid = true;
    if (stopOnInvalid) { iconv_close(cd); return false; }
    if (to == "UTF-16LE") {
      if (ol < 2) { size_t used = op - out.data(); out.resize(out.size() * 2); op = out.data() + used; ol = out.size() - used; }
      op[0] = char(0xFD); op[1] = char(0xFF); op += 2; ol -= 2;
      ip += 1; il -= 1;
    } else {
      if (ol < 1) { size_t used = op - out.data(); out.resize(out.size() * 2); op = out.data() + used; ol = out.size() - used; }
      *op++ = '?'; --ol;
      size_t skip = (from == "UTF-16LE") ? 2 : 1;
      if (skip > il) skip = il;
      ip += skip; il -= skip;
    }
  }
  out.resize(op - out.data());
  iconv_close(cd);
  return true;
}

KW_API int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLen, LPWSTR dst, int dstLen) {
  if (!src || srcLen == 0 || srcLen < -1 || dstLen < 0 || (dstLen > 0 && !dst)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t inLen = srcLen == -1 ? std::strlen(src) + 1 : size_t(srcLen);
  std::vector<char> out;
  bool invalid = false;
  if (!Convert(IconvName(ResolveCodePage(codePage)), "UTF-16LE", src, inLen, out,
               (flags & MB_ERR_INVALID_CHARS) != 0, &invalid)) {
    SetLastError(invalid ? 1113L /* ERROR_NO_UNICODE_TRANSLATION */ : ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t units = out.size() / 2;
  if (units > size_t(INT_MAX)) { SetLastError(ERROR_INVALID_PARAMETER); return 0; }
  if (dstLen == 0) return int(units);
  if (units > size_t(dstLen)) { SetLastError(ERROR_INSUFFICIENT_BUFFER); return 0; }
  std::memcpy(dst, out.data(), units * 2);
  return int(units);
}

KW_API int WINAPI WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR src, int srcLen, LPSTR dst, int dstLen,
                                      LPCSTR, LPBOOL usedDefault) {
  if (!src || srcLen == 0 || srcLen < -1 || dstLen < 0 || (dstLen > 0 && !dst)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t inUnits = srcLen == -1 ? size_t(lstrlenW(src)) + 1 : size_t(srcLen);
  std::vector<char> out;
  bool invalid = false;
  if (!Convert("UTF-16LE", IconvName(ResolveCodePage(codePage)), reinterpret_cast<const char*>(src), inUnits * 2,
               out, false, &invalid)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (usedDefault) *usedDefault = invalid ? TRUE : FALSE;
  if (out.size() > size_t(INT_MAX)) { SetLastError(ERROR_INVALID_PARAMETER); return 0; }
  if (dstLen == 0) return int(out.size());
  if (out.size() > size_t(dstLen)) { SetLastError(ERROR_INSUFFICIENT_BUFFER); return 0; }
  std::memcpy(dst, out.data(), out.size());
  return int(out.size());
}

KW_API BOOL WINAPI IsDBCSLeadByteEx(UINT codePage, BYTE b) {
  switch (ResolveCodePage(codePage)) {
    case 932: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936: case 949: case 950: return b >= 0x81 && b <= 0xFE;
    default: return FALSE;
  }
}

KW_API int WINAPI MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  long long p = (long long)number * numerator;
  // Rounds half away from zero, as Windows does.
  long long half = (denominator < 0 ? -(long long)denominator : denominator) / 2;
  long long r;
  if ((p < 0) != (denominator < 0)) r = (p - ((p < 0) ? half : -half)) / denominator;
  else r = (p + ((p < 0) ? -half : half)) / denominator;
  if (r > INT_MAX || r < INT_MIN) return -1;
  return int(r);
}
