#include "render/core/pjl_text.h"

namespace {

char SafeByte(unsigned char c) {
  if (c == '"') return '\'';
  if (c < 0x20 || c == 0x7F) return ' ';
  return char(c);
}

}  // namespace

size_t PjlSafeText(const char* src, size_t srcMax, char* dest) {
  size_t n = 0;
  while (src && n < srcMax && n < kPjlTextLimit && src[n] != '\0') {
    BYTE c = static_cast<BYTE>(src[n]);
    // A double-byte character is kept whole or left out: a lone lead byte
    // would swallow the closing quote.
    if (IsDBCSLeadByteEx(CP_ACP, c)) {
      if (n + 1 >= srcMax || n + 1 >= kPjlTextLimit || src[n + 1] == '\0') break;
      dest[n] = char(c);
      dest[n + 1] = SafeByte(static_cast<BYTE>(src[n + 1]));
      n += 2;
      continue;
    }
    dest[n] = SafeByte(c);
    ++n;
  }
  dest[n] = '\0';
  return n;
}

size_t PjlSafeWideText(const WCHAR* src, size_t srcMax, char* dest) {
  int len = 0;
  while (src && size_t(len) < srcMax && src[len] != 0) ++len;
  // Room for a whole double-byte character beyond the limit; cut afterwards.
  char ansi[kPjlTextLimit * 2 + 2] = {};
  int got = len ? WideCharToMultiByte(CP_ACP, 0, src, len, ansi, int(sizeof(ansi) - 1), nullptr, nullptr) : 0;
  if (got < 0) got = 0;
  ansi[got] = '\0';
  return PjlSafeText(ansi, size_t(got), dest);
}
