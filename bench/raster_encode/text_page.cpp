#include "bench/raster_encode/text_page.h"

#include <cmath>
#include <cstdio>
#include <random>

namespace {

struct Canvas {
  TextPage* page;
  void Set(int x, int y) {
    if (x < 0 || y < 0 || x >= int(page->width) || y >= int(page->height)) return;
    page->bits[size_t(y) * page->rowBytes + x / 8] |= uint8_t(0x80 >> (x % 8));
  }
  void Box(int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) Set(x, y);
  }
  // An elliptical ring of the given stroke; `part` limits it to a half
  // (1: upper half only, 2: lower half only).
  void Ring(int cx, int cy, int rx, int ry, int stroke, int part = 0) {
    for (int y = cy - ry; y <= cy + ry; ++y) {
      if ((part == 1 && y > cy) || (part == 2 && y < cy)) continue;
      for (int x = cx - rx; x <= cx + rx; ++x) {
        double dx = double(x - cx), dy = double(y - cy);
        double outer = dx * dx / (rx * rx) + dy * dy / (ry * ry);
        double irx = rx - stroke, iry = ry - stroke;
        double inner = dx * dx / (irx * irx) + dy * dy / (iry * iry);
        if (outer <= 1.0 && inner > 1.0) Set(x, y);
      }
    }
  }
  void Diagonal(int x0, int y0, int x1, int y1, int stroke) {
    int steps = std::abs(y1 - y0);
    for (int i = 0; i <= steps; ++i) {
      int x = x0 + (x1 - x0) * i / (steps ? steps : 1);
      int y = y0 + (y1 > y0 ? i : -i);
      for (int t = 0; t < stroke; ++t) Set(x + t, y);
    }
  }
};

// Metrics of one size of type, in pixels.
struct Type {
  int xHeight, ascender, descender, stroke, advance;
};

// Draws one letter with its baseline at `base`; returns its advance.
int Letter(Canvas& c, const Type& t, int x, int base, int kind) {
  int s = t.stroke, xh = t.xHeight, w = t.advance - s;
  int mid = base - xh / 2;
  switch (kind) {
    case 0:  // o
      c.Ring(x + w / 2, mid, w / 2, xh / 2, s);
      break;
    case 1:  // l
      c.Box(x, base - t.ascender, x + s, base);
      return s * 3;
    case 2:  // n
      c.Box(x, base - xh, x + s, base);
      c.Ring(x + w / 2, mid, w / 2, xh / 2, s, 1);
      c.Box(x + w - s, mid, x + w, base);
      break;
    case 3:  // e
      c.Ring(x + w / 2, mid, w / 2, xh / 2, s);
      c.Box(x, mid - s / 2, x + w, mid + s / 2);
      break;
    case 4:  // v
      c.Diagonal(x, base - xh, x + w / 2, base, s);
      c.Diagonal(x + w, base - xh, x + w / 2, base, s);
      break;
    case 5:  // i
      c.Box(x, base - xh, x + s, base);
      c.Box(x, base - xh - 2 * s, x + s, base - xh - s);
      return s * 3;
    case 6:  // t
      c.Box(x + s, base - t.ascender + s * 2, x + 2 * s, base);
      c.Box(x, base - xh, x + w * 2 / 3, base - xh + s);
      return w * 3 / 4 + s;
    case 7:  // p
      c.Ring(x + w / 2, mid, w / 2, xh / 2, s);
      c.Box(x, base - xh, x + s, base + t.descender);
      break;
    case 8:  // a
      c.Ring(x + w / 2 - s / 2, mid + xh / 6, w / 2 - s / 2, xh / 3, s);
      c.Ring(x + w / 2, mid, w / 2, xh / 2, s, 1);
      c.Box(x + w - s, mid, x + w, base);
      break;
    default:  // m
      c.Box(x, base - xh, x + s, base);
      c.Ring(x + w / 3, mid, w / 3, xh / 2, s, 1);
      c.Ring(x + w, mid, w / 3, xh / 2, s, 1);
      c.Box(x + 2 * w / 3 - s / 2, mid, x + 2 * w / 3 + s / 2, base);
      c.Box(x + 4 * w / 3 - s, mid, x + 4 * w / 3, base);
      return w * 4 / 3 + s * 2;
  }
  return t.advance;
}

void Line(Canvas& c, std::mt19937& rng, const Type& t, int left, int right, int base, bool last) {
  int x = left;
  int end = last ? left + (right - left) * int(30 + rng() % 60) / 100 : right;
  while (x < end) {
    int letters = 1 + rng() % 9;
    int wordWidth = letters * t.advance;
    if (x + wordWidth > end) break;
    for (int i = 0; i < letters; ++i) x += Letter(c, t, x, base, int(rng() % 10)) + t.stroke;
    x += t.advance * 2 / 3;  // space
  }
}

}  // namespace

TextPage MakeTextPage(uint32_t width, uint32_t height, uint32_t seed) {
  TextPage page;
  page.width = width;
  page.height = height;
  page.rowBytes = (width + 7) / 8;
  page.bits.assign(size_t(page.rowBytes) * height, 0);
  Canvas c{&page};
  std::mt19937 rng(seed);
  const int dpi = 600;
  const Type body{dpi * 10 * 48 / 100 / 72, dpi * 10 * 70 / 100 / 72, dpi * 10 * 20 / 100 / 72, 7, 44};
  const Type heading{body.xHeight * 2, body.ascender * 2, body.descender * 2, 14, 88};
  int left = dpi, right = int(width) - dpi;
  int y = dpi;
  Line(c, rng, heading, left, right, y + heading.ascender, true);
  y += heading.ascender * 2;
  c.Box(left, y, right, y + 5);  // rule under the heading
  y += 120;
  int pitch = dpi * 12 / 72;
  bool boxDone = false;
  while (y + pitch < int(height) - dpi) {
    int lines = 4 + rng() % 8;
    for (int l = 0; l < lines && y + pitch < int(height) - dpi; ++l, y += pitch) {
      Line(c, rng, body, left, right, y + body.ascender, l + 1 == lines);
    }
    y += pitch;  // paragraph gap
    if (!boxDone && y > int(height) / 2) {
      // A figure: a 50% grey box (checkerboard), as a halftoned picture gives.
      for (int by = y; by < y + 600; ++by)
        for (int bx = left + 600; bx < right - 600; ++bx)
          if ((bx + by) % 2 == 0) c.Set(bx, by);
      y += 700;
      boxDone = true;
    }
  }
  return page;
}

bool WritePbm(const TextPage& page, const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f, "P4\n%u %u\n", page.width, page.height);
  bool ok = std::fwrite(page.bits.data(), 1, page.bits.size(), f) == page.bits.size();
  return std::fclose(f) == 0 && ok;
}
