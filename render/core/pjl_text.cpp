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
    dest[n] = SafeByte(static_cast<unsigned char>(src[n]));
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
