#include "langmon/names.h"

namespace langmon {

void ToAnsiName(UINT codePage, LPCWSTR name, char (&out)[kNameChars + 1]) {
  out[0] = '\0';
  if (!name) return;
  WCHAR cut[kNameChars + 1];
  CopyWideName(name, cut);
  char wide[2 * kNameChars + 2];
  int n = WideCharToMultiByte(codePage, 0, cut, -1, wide, sizeof wide, nullptr, nullptr);
  if (n <= 0) return;
  lstrcpynA(out, wide, kNameChars + 1);
}

void CopyWideName(LPCWSTR name, WCHAR (&out)[kNameChars + 1]) {
  out[0] = 0;
  if (name) lstrcpynW(out, name, kNameChars + 1);
}

}  // namespace langmon
