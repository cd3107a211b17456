// ANSI forms of the profile functions: arguments and results are converted
// with the ANSI code page around the wide forms.
#include <cstring>
#include <string>
#include <vector>

#include "win/profile.h"
#include "win/wstr.h"

namespace {

struct WideArg {
  std::u16string text;
  bool null = true;
  explicit WideArg(const char* s, int len = -1) {
    if (!s) return;
    null = false;
    if (len < 0) len = int(std::strlen(s));
    if (len == 0) return;
    int n = MultiByteToWideChar(CP_ACP, 0, s, len, nullptr, 0);
    text.assign(size_t(n > 0 ? n : 0), u'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, s, len, text.data(), n);
  }
  LPCWSTR get() const { return null ? nullptr : text.c_str(); }
};

// Length of a double-zero list, both final zeros included.
int DoubleZeroLength(const char* s) {
  const char* p = s;
  while (*p) p += std::strlen(p) + 1;
  return int(p - s + 1);
}

// Converts a wide result of `chars` characters into the caller's buffer with
// the wide forms' cut rules. A text (`chars` without its zero) ends with one
// zero; a list (`chars` holding each item's zero, not the final one) ends with
// one more, and when cut, with two zeros and the result outChars - 2.
DWORD ToAnsi(const std::u16string& wide, size_t chars, bool list, LPSTR out, DWORD outChars) {
  if (!out || outChars == 0) return 0;
  std::string a;
  if (chars) {
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), int(chars), nullptr, 0, nullptr, nullptr);
    a.assign(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide.data(), int(chars), a.data(), n, nullptr, nullptr);
  }
  size_t tail = list ? 2 : 1;
  if (outChars < tail) {
    out[0] = 0;
    return 0;
  }
  if (a.size() + 1 <= outChars && !(list && a.empty())) {
    std::memcpy(out, a.data(), a.size());
    out[a.size()] = 0;
    return DWORD(a.size());
  }
  size_t n = std::min(a.size(), size_t(outChars) - tail);
  std::memcpy(out, a.data(), n);
  for (size_t i = 0; i < tail; ++i) out[n + i] = 0;
  return DWORD(n);
}

// Runs a wide getter with a buffer that grows until the result surely fits.
template <typename Fn>
std::u16string GrowRead(Fn fn, bool list, size_t* chars) {
  std::u16string buf(256, u'\0');
  for (;;) {
    DWORD n = fn(buf.data(), DWORD(buf.size()));
    size_t cut = list ? buf.size() - 2 : buf.size() - 1;
    if (n < cut || buf.size() >= (1u << 24)) {
      *chars = n;
      return buf;
    }
    buf.assign(buf.size() * 4, u'\0');
  }
}

}  // namespace

KW_API DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR out,
                                             DWORD outChars, LPCSTR fileName) {
  WideArg s(section), k(key), d(defaultValue), f(fileName);
  bool list = !section || !key;
  size_t chars = 0;
  std::u16string w = GrowRead(
      [&](LPWSTR b, DWORD n) { return GetPrivateProfileStringW(s.get(), k.get(), d.get(), b, n, f.get()); }, list,
      &chars);
  return ToAnsi(w, chars, list, out, outChars);
}

KW_API UINT WINAPI GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName) {
  WideArg s(section), k(key), f(fileName);
  return GetPrivateProfileIntW(s.get(), k.get(), defaultValue, f.get());
}

KW_API DWORD WINAPI GetPrivateProfileSectionA(LPCSTR section, LPSTR out, DWORD outChars, LPCSTR fileName) {
  WideArg s(section), f(fileName);
  size_t chars = 0;
  std::u16string w =
      GrowRead([&](LPWSTR b, DWORD n) { return GetPrivateProfileSectionW(s.get(), b, n, f.get()); }, true, &chars);
  return ToAnsi(w, chars, true, out, outChars);
}

KW_API DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR out, DWORD outChars, LPCSTR fileName) {
  return GetPrivateProfileStringA(nullptr, nullptr, nullptr, out, outChars, fileName);
}

KW_API BOOL WINAPI WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
  WideArg s(section), k(key), v(value), f(fileName);
  return WritePrivateProfileStringW(s.get(), k.get(), v.get(), f.get());
}

KW_API BOOL WINAPI WritePrivateProfileSectionA(LPCSTR section, LPCSTR lines, LPCSTR fileName) {
  WideArg s(section), f(fileName);
  WideArg l(lines, lines ? DoubleZeroLength(lines) : -1);
  return WritePrivateProfileSectionW(s.get(), l.get(), f.get());
}
