// A raster graphics mode PDEV of a shipped model with its output bound to a
// memory printer, the band bitmap and document buffers made for a chosen page,
// and a reference of what the printer should print, worked out pixel by
// pixel from the page image (independently of the driver's row code).
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/model_store.h"
#include "kw/hooks_engine.h"
#include "kw/hooks_spooler.h"
#include "render/core/band_bitmap.h"
#include "render/core/ddi_hooks.h"
#include "render/core/escape_writer.h"
#include "render/core/pdev.h"
#include "render/core/raster_page.h"
#include "render/core/spool_stream.h"
#include "tests/devmode/devmode_fixture.h"
#include "tests/support/pcl_raster_decoder.h"

namespace kadu_test {

// A one-bit page image, 1 black, the leftmost pixel in the high bit.
struct Bitmap {
  LONG width = 0, height = 0, stride = 0;
  std::vector<uint8_t> bits;
  Bitmap() = default;
  Bitmap(LONG w, LONG h) : width(w), height(h), stride((w + 7) / 8), bits(size_t(stride) * size_t(h), 0) {}
  bool Get(LONG x, LONG y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return false;
    return (bits[size_t(y) * size_t(stride) + size_t(x / 8)] >> (7 - x % 8)) & 1;
  }
  void Set(LONG x, LONG y, bool v = true) {
    uint8_t& b = bits[size_t(y) * size_t(stride) + size_t(x / 8)];
    uint8_t m = uint8_t(0x80 >> (x % 8));
    b = v ? uint8_t(b | m) : uint8_t(b & ~m);
  }
};

// Text-like strokes, a solid bar, repeated rows, white bands (some longer than
// a method-131 block) and noise, so that every coding path is taken.
inline Bitmap TestPage(LONG w, LONG h, uint32_t seed) {
  Bitmap b(w, h);
  std::mt19937 rng(seed);
  for (LONG y = 0; y < h; ++y) {
    LONG band = (y / 24) % 7;
    if (band == 3) continue;               // white lines between text lines
    if (y >= h / 3 && y < h / 3 + 70) continue;  // a white gap longer than a block
    for (LONG x = 0; x < w; ++x) {
      bool on = false;
      if (band == 5) on = (x / 9) % 3 == 0;  // repeated rows
      else if (band == 6) on = x > w / 4 && x < w / 2;  // a solid bar
      else on = (rng() % 5) == 0 && ((x / 13) % 4 != 0);
      if (on) b.Set(x, y);
    }
  }
  b.Set(0, 0);
  b.Set(w - 1, h - 1);
  return b;
}

// What a page should print as rows of pixels, built from the image.
struct Expected {
  std::vector<std::vector<bool>> rows;
};

struct ReferenceOptions {
  bool rotated = false;
  DWORD walk = 0;
  bool halveOr = false;       // 1200 dpi printing 600 across
  bool smooth = false;        // the smoothing table instead of OR
  int divisor = 1;            // 2 × 2 majority steps: 2 or 4
  int keepEvery = 1;          // fall-back kind 4: one row in four
  LONG marginPixels = 0;      // DirectRaster left margin, at the output resolution
  bool double300 = false;     // method 131 at 300 dpi: pixels and rows doubled
  // Poster window in printed coordinates; width 0: the whole page.
  LONG firstRow = 0, rows = -1, firstPixel = 0, pixels = -1;
};

uint8_t SmoothingForTest(uint8_t window);

inline Expected Reference(const Bitmap& img, const ReferenceOptions& o) {
  LONG W = img.width, H = img.height;
  LONG rows = o.rotated ? W : H, width = o.rotated ? H : W;
  auto printed = [&](LONG r, LONG i) {
    if (o.rotated) {
      LONG x = (o.walk & 2) ? W - 1 - r : r;
      LONG y = (o.walk & 1) ? i : H - 1 - i;
      return img.Get(x, y);
    }
    LONG y = (o.walk & 1) ? H - 1 - r : r;
    LONG x = (o.walk & 2) ? W - 1 - i : i;
    return img.Get(x, y);
  };
  LONG r0 = o.firstRow, rn = o.rows < 0 ? rows : std::min(o.rows, rows - r0);
  LONG p0 = o.firstPixel, pn = o.pixels < 0 ? width : std::min(o.pixels, width - p0);
  std::vector<std::vector<bool>> page(size_t(rn), std::vector<bool>(size_t(pn), false));
  for (LONG r = 0; r < rn; ++r)
    for (LONG i = 0; i < pn; ++i) page[size_t(r)][size_t(i)] = printed(r0 + r, p0 + i);
  auto at = [](const std::vector<std::vector<bool>>& p, size_t r, size_t i) {
    return r < p.size() && i < p[r].size() && p[r][i];
  };
  if (o.halveOr || o.smooth) {
    std::vector<std::vector<bool>> out(page.size(), std::vector<bool>((size_t(pn) + 1) / 2));
    for (size_t r = 0; r < page.size(); ++r) {
      for (size_t i = 0; i < out[r].size(); ++i) {
        out[r][i] = at(page, r, 2 * i) || at(page, r, 2 * i + 1);
      }
    }
    if (o.smooth) {
      // Pairs of rows within each group of eight, windows of four pixels.
      for (size_t r = 0; r + 1 < page.size(); r += 2) {
        for (size_t w = 0; 4 * w < size_t(pn) + 3; ++w) {
          auto A = [&](size_t k) { return at(page, r, 4 * w + k); };
          auto B = [&](size_t k) { return at(page, r + 1, 4 * w + k); };
          uint8_t left = uint8_t(A(0) << 1 | A(1) | B(0) << 3 | B(1) << 2);
          uint8_t right = uint8_t(A(2) << 1 | A(3) | B(2) << 3 | B(3) << 2);
          uint8_t v = SmoothingForTest(uint8_t(left << 4 | right));
          for (size_t k = 0; k < 2; ++k) {
            size_t i = 2 * w + k;
            if (i < out[r].size()) {
              out[r][i] = (v >> (3 - k)) & 1;
              out[r + 1][i] = (v >> (1 - k)) & 1;
            }
          }
        }
      }
    }
    page = out;
  }
  for (int d = o.divisor; d > 1; d /= 2) {
    // Groups of eight rows halve separately; a last odd row pairs with white.
    std::vector<std::vector<bool>> out;
    for (size_t g = 0; g < page.size(); g += 8) {
      size_t n = std::min<size_t>(8, page.size() - g);
      for (size_t k = 0; k < n; k += 2) {
        std::vector<bool> row((page[g].size() + 1) / 2);
        for (size_t i = 0; i < row.size(); ++i) {
          int black = at(page, g + k, 2 * i) + at(page, g + k, 2 * i + 1) +
                      (k + 1 < n ? at(page, g + k + 1, 2 * i) + at(page, g + k + 1, 2 * i + 1) : 0);
          row[i] = black >= 2;
        }
        out.push_back(row);
      }
    }
    page = out;
  }
  if (o.keepEvery > 1) {
    std::vector<std::vector<bool>> out;
    for (size_t r = 0; r < page.size(); r += size_t(o.keepEvery)) out.push_back(page[r]);
    page = out;
  }
  Expected e;
  for (auto& row : page) {
    std::vector<bool> full(size_t(o.marginPixels), false);
    full.insert(full.end(), row.begin(), row.end());
    if (o.double300) {
      std::vector<bool> d;
      for (bool b : full) {
        d.push_back(b);
        d.push_back(b);
      }
      full = d;
      e.rows.push_back(full);
    }
    e.rows.push_back(full);
  }
  return e;
}

// The decoded rows show the expected rows; white rows at the foot may be
// missing or added, and pixels right of the expected ones are white.
inline ::testing::AssertionResult Shows(const PclRasterImage& img, const Expected& e) {
  size_t n = std::max(img.rows.size(), e.rows.size());
  for (size_t r = 0; r < n; ++r) {
    const std::vector<bool>* want = r < e.rows.size() ? &e.rows[r] : nullptr;
    const RasterRow* got = r < img.rows.size() ? &img.rows[r] : nullptr;
    size_t pixels = std::max(want ? want->size() : 0, got ? got->size() * 8 : 0);
    for (size_t i = 0; i < pixels; ++i) {
      bool w = want && i < want->size() && (*want)[i];
      bool g = got && i / 8 < got->size() && (((*got)[i / 8] >> (7 - i % 8)) & 1);
      if (w != g)
        return ::testing::AssertionFailure() << "row " << r << " pixel " << i << ": expected " << w << ", got " << g
                                             << " (" << img.rows.size() << " rows decoded, " << e.rows.size()
                                             << " expected)";
    }
  }
  return ::testing::AssertionSuccess();
}

struct PageCase {
  DWORD chosen = 600, working = 600, subMode = 0;
  LONG width = 203, height = 150;
  bool rotated = false;
  DWORD walk = 0;
  DWORD selector = 1;
  DWORD directRaster = 0;
  ULONG bands = 1;
  DWORD fallDownType = 0;
};

class BandFixture : public DevmodeWorld {
 protected:
  void SetUp() override {
    DevmodeWorld::SetUp();
    kw::hooks::SpoolerResetHooks();
    kw::hooks::EngineSetAbort(false);
  }
  void TearDown() override {
    Release();
    kw::hooks::SpoolerResetHooks();
    kw::hooks::EngineSetAbort(false);
    DevmodeWorld::TearDown();
  }
  void Release() {
    if (!pdev_) return;
    FreeDocumentBuffers(pdev_.get());
    FreeBandMemory(&pdev_->band);
    CloseHandle(pdev_->hPrinter);
    pdev_.reset();
  }

  PDEV& Make(const PageCase& c) {
    Release();
    pdev_ = std::make_unique<PDEV>();
    PDEV& p = *pdev_;
    p.signature1 = p.signature2 = kPdevSignature;
    p.hPrinter = kw::hooks::SpoolerOpenMemoryPrinter();
    SpoolInit(&p);
    ResetEscapeCombining(&p);
    p.devmode = Default(kDesk);
    p.model = kadu::FindModelRecord(kDeskDriver);
    EXPECT_NE(p.model, nullptr);
    p.rasterMode = TRUE;
    p.scaleFactor = 1000;
    p.resolution = c.chosen;
    p.devmode.dm.dmYResolution = short(c.working);
    p.yResolution = c.working;
    p.subMode = c.subMode;
    p.pageSize = SIZEL{c.width, c.height};
    p.layout.rotated = c.rotated;
    p.devmode.priv.wBandWalk = uint16_t(c.walk);
    p.devmode.priv.wEncoderSelector = uint16_t(c.selector);
    p.devmode.priv.wPrintMargin = 0;
    p.directRasterRows = c.directRaster;
    p.page.fallDownType = c.fallDownType;
    p.page.offsetX = p.page.offsetY = 0;
    bool doubled = c.working == 1200 && (c.subMode & SUBMODE_600X2400);
    BandGeometry g = BandGeometryFor(p.pageSize, c.bands, doubled, c.rotated);
    p.band.bits = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, g.bytes));
    p.band.bytes = g.bytes;
    p.band.size = SIZEL{g.width, g.rows};
    p.band.count = c.bands;
    EXPECT_TRUE(AllocDocumentBuffers(&p));
    surface_ = SURFOBJ{};
    surface_.dhpdev = reinterpret_cast<DHPDEV>(&p);
    return p;
  }

  // Copies the part of `img` at `origin` into the band bitmap.
  void Fill(const Bitmap& img, POINTL origin) {
    PDEV& p = *pdev_;
    std::memset(p.band.bits, 0, p.band.bytes);
    LONG stride = p.band.size.cx / 8;
    for (LONG y = 0; y < p.band.size.cy; ++y)
      for (LONG x = 0; x < p.band.size.cx; ++x)
        if (img.Get(origin.x + x, origin.y + y)) p.band.bits[size_t(y) * size_t(stride) + size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
  }

  // The engine's banding loop.
  BOOL Banded(const Bitmap& img) {
    POINTL o{};
    if (!DrvStartBanding(&surface_, &o)) return FALSE;
    for (int guard = 0; guard < 1000; ++guard) {
      if (o.x == -1 && o.y == -1) return TRUE;
      Fill(img, o);
      bands_.push_back(o);
      if (!DrvNextBand(&surface_, &o)) return FALSE;
    }
    return FALSE;
  }

  std::string Sent() {
    EXPECT_TRUE(SpoolFlush(pdev_.get()));
    return kw::hooks::SpoolerPrinterBytes(pdev_->hPrinter);
  }

  PclRasterDecode Decode(const std::string& s) {
    PclDecodeOptions o;
    // Pages without DirectRaster announce no width: rows as long as the buffers.
    o.defaultWidthBytes = pdev_ && pdev_->bandState.rowCapacity ? pdev_->bandState.rowCapacity : 4096;
    return DecodePclRaster(reinterpret_cast<const uint8_t*>(s.data()), s.size(), o);
  }

  std::unique_ptr<PDEV> pdev_;
  SURFOBJ surface_{};
  std::vector<POINTL> bands_;
};

}  // namespace kadu_test
