#include "render/core/driver_settings.h"

#include <cstring>

#include "render/core/pdev.h"

namespace {

bool ReadDword(HANDLE printer, const char16_t* name, DWORD* out) {
  DWORD type = 0, needed = 0, value = 0;
  DWORD rc = GetPrinterDataW(printer, const_cast<LPWSTR>(name), &type, reinterpret_cast<LPBYTE>(&value),
                             sizeof(value), &needed);
  if (rc != ERROR_SUCCESS || needed != sizeof(value)) return false;
  *out = value;
  return true;
}

DWORD DwordOr(HANDLE printer, const char16_t* name, DWORD fallback) {
  DWORD v = 0;
  return ReadDword(printer, name, &v) ? v : fallback;
}

// A stored face name may be longer than a LOGFONT face: read it whole,
// then keep what fits, always terminated.
void ReadDefaultFont(HANDLE printer, WCHAR* face, size_t chars) {
  std::memset(face, 0, chars * sizeof(WCHAR));
  DWORD type = 0, needed = 0;
  WCHAR buf[256] = {};
  DWORD rc = GetPrinterDataW(printer, const_cast<LPWSTR>(u"DefaultFont"), &type, reinterpret_cast<LPBYTE>(buf),
                             sizeof(buf) - sizeof(WCHAR), &needed);
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return;
  size_t n = 0;
  while (n + 1 < chars && n < needed / sizeof(WCHAR) && buf[n]) ++n;
  std::memcpy(face, buf, n * sizeof(WCHAR));
}

LONG ClampOffset(int v) { return v < 0 ? 0 : v > 300 ? 300 : v; }

}  // namespace

void ReadDriverSettings(PDEV* p) {
  PageState& s = p->page;
  HANDLE h = p->hPrinter;
  s.banding = DwordOr(h, u"Banding", 0);
  if (s.banding > 31) s.banding = 0;
  s.division = DwordOr(h, u"Division", 0x80000);
  if (s.division < 0x10000 || s.division > 0x100000) s.division = 0x80000;
  ReadDefaultFont(h, s.defaultFont, kDefaultFontChars);
  s.fallDownType = DwordOr(h, u"FallDownType", 0) ? 1 : 0;
  s.speed = DwordOr(h, u"Speed", 1) ? 1 : 0;
  s.charRotate = DwordOr(h, u"CharRotate", 0);
  s.charRotateState[0] = 0;
  s.charRotateState[1] = 0;
  s.charRotateState[2] = -1;
  DWORD stored = 0;
  DWORD rows = ReadDword(h, u"DirectRaster", &stored) ? stored * 64 : 64;
  if (p->rasterMode && p->devmode.priv.wDirectRaster == 2) {
    if (rows < 1 || rows > 511) rows = 64;
  } else {
    rows = 0;
  }
  p->directRasterRows = rows;
  LONG x = ClampOffset(int16_t(p->devmode.priv.wOffsetX)), y = ClampOffset(int16_t(p->devmode.priv.wOffsetY));
  if (p->devmode.dm.dmOrientation == DMORIENT_LANDSCAPE) {
    s.offsetX = y;
    s.offsetY = -x;
  } else {
    s.offsetX = x;
    s.offsetY = y;
  }
}
