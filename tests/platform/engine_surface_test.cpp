#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "kw/engine_device.h"
#include "kw/hooks_engine.h"
#include "windows.h"

namespace {

struct FormatCase {
  ULONG format;
  ULONG bits;
};
const FormatCase kFormats[] = {{BMF_1BPP, 1},   {BMF_4BPP, 4},   {BMF_8BPP, 8},
                               {BMF_16BPP, 16}, {BMF_24BPP, 24}, {BMF_32BPP, 32}};

HSURF AsSurf(HBITMAP h) { return reinterpret_cast<HSURF>(h); }

// Pixel of a one-bit surface, read from its SURFOBJ as a driver would.
int Bit(const SURFOBJ* so, LONG x, LONG y) {
  const BYTE* row = static_cast<const BYTE*>(so->pvScan0) + intptr_t(y) * so->lDelta;
  return (row[x / 8] >> (7 - x % 8)) & 1;
}
void SetBit(SURFOBJ* so, LONG x, LONG y, int v) {
  BYTE* row = static_cast<BYTE*>(so->pvScan0) + intptr_t(y) * so->lDelta;
  BYTE m = BYTE(0x80 >> (x % 8));
  row[x / 8] = v ? BYTE(row[x / 8] | m) : BYTE(row[x / 8] & ~m);
}

class EngineSurface : public ::testing::Test {
 protected:
  void SetUp() override {
    surfaces_ = kw::hooks::EngineLiveSurfaces();
    palettes_ = kw::hooks::EngineLivePalettes();
    devices_ = kw::hooks::EngineLiveDevices();
  }
  void TearDown() override {
    kw::hooks::EngineFailSurfaceAt(0);
    kw::hooks::EngineLimitBitmapBytes(0);
    kw::hooks::EngineFailPaletteAt(0);
    EXPECT_EQ(kw::hooks::EngineLiveSurfaces(), surfaces_);
    EXPECT_EQ(kw::hooks::EngineLivePalettes(), palettes_);
    EXPECT_EQ(kw::hooks::EngineLiveDevices(), devices_);
  }
  size_t surfaces_ = 0, palettes_ = 0, devices_ = 0;
};

TEST_F(EngineSurface, OwnBitsInEveryFormatAndOrientation) {
  for (const FormatCase& f : kFormats) {
    for (FLONG fl : {FLONG(BMF_TOPDOWN), FLONG(0)}) {
      SCOPED_TRACE(::testing::Message() << "format " << f.format << " fl " << fl);
      SIZEL size{13, 5};
      HSURF h = AsSurf(EngCreateBitmap(size, 0, f.format, fl, nullptr));
      ASSERT_NE(h, nullptr);
      SURFOBJ* so = EngLockSurface(h);
      ASSERT_NE(so, nullptr);
      LONG stride = LONG((13 * f.bits + 31) / 32 * 4);  // rows padded to DWORDs
      EXPECT_EQ(so->hsurf, h);
      EXPECT_EQ(so->dhsurf, nullptr);
      EXPECT_EQ(so->hdev, nullptr);
      EXPECT_EQ(so->sizlBitmap.cx, 13);
      EXPECT_EQ(so->sizlBitmap.cy, 5);
      EXPECT_EQ(so->cjBits, ULONG(stride * 5));
      EXPECT_EQ(so->iBitmapFormat, f.format);
      EXPECT_EQ(so->iType, STYPE_BITMAP);
      EXPECT_EQ(so->fjBitmap, USHORT(fl));
      EXPECT_NE(so->iUniq, 0u);
      BYTE* bits = static_cast<BYTE*>(so->pvBits);
      if (fl & BMF_TOPDOWN) {
        EXPECT_EQ(so->pvScan0, so->pvBits);
        EXPECT_EQ(so->lDelta, stride);
      } else {
        EXPECT_EQ(so->pvScan0, bits + stride * 4);  // the top row is last in memory
        EXPECT_EQ(so->lDelta, -stride);
      }
      EXPECT_TRUE(std::all_of(bits, bits + so->cjBits, [](BYTE b) { return b == 0; }));
      kw::hooks::EngineSurfaceInfo info;
      ASSERT_TRUE(kw::hooks::EngineSurfaceQuery(h, &info));
      EXPECT_TRUE(info.ownsBits);
      EXPECT_EQ(info.locks, 1u);
      EngUnlockSurface(so);
      EXPECT_TRUE(EngDeleteSurface(h));
    }
  }
}

TEST_F(EngineSurface, CallerBitsWithTheCallersRowWidth) {
  std::vector<BYTE> bits(7 * 4, 0xAB);
  for (FLONG fl : {FLONG(BMF_TOPDOWN), FLONG(0)}) {
    HSURF h = AsSurf(EngCreateBitmap(SIZEL{50, 4}, 7, BMF_1BPP, fl, bits.data()));
    ASSERT_NE(h, nullptr);
    SURFOBJ* so = EngLockSurface(h);
    EXPECT_EQ(so->pvBits, bits.data());
    EXPECT_EQ(so->cjBits, 28u);
    EXPECT_EQ(so->lDelta, fl ? 7 : -7);
    EXPECT_EQ(so->pvScan0, fl ? bits.data() : bits.data() + 21);
    EXPECT_EQ(bits[0], 0xAB);  // the caller's bits are not cleared
    // Pixel (0, 0) is the first byte of memory only for a top-down bitmap.
    SetBit(so, 0, 0, 0);
    EXPECT_EQ(fl ? bits[0] : bits[21], 0x2B);
    std::fill(bits.begin(), bits.end(), 0xAB);
    kw::hooks::EngineSurfaceInfo info;
    ASSERT_TRUE(kw::hooks::EngineSurfaceQuery(h, &info));
    EXPECT_FALSE(info.ownsBits);
    EngUnlockSurface(so);
    EXPECT_TRUE(EngDeleteSurface(h));
  }
  // A given row width that cannot hold a row of the caller's bits is refused.
  SetLastError(0);
  EXPECT_EQ(EngCreateBitmap(SIZEL{50, 4}, 6, BMF_1BPP, 0, bits.data()), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(EngineSurface, OwnBitsKeepAGivenRowWidth) {
  HSURF h = AsSurf(EngCreateBitmap(SIZEL{64, 3}, 12, BMF_1BPP, BMF_TOPDOWN, nullptr));
  ASSERT_NE(h, nullptr);
  SURFOBJ* so = EngLockSurface(h);
  EXPECT_EQ(so->lDelta, 12);
  EXPECT_EQ(so->cjBits, 36u);
  EngUnlockSurface(so);
  EngDeleteSurface(h);
}

TEST_F(EngineSurface, RefusesWhatCannotBeABitmap) {
  struct Case {
    SIZEL size;
    LONG width;
    ULONG format;
  } cases[] = {
      {{0, 5}, 0, BMF_1BPP}, {{5, 0}, 0, BMF_1BPP}, {{-1, 5}, 0, BMF_8BPP}, {{5, 5}, 0, 0},
      {{5, 5}, 0, BMF_JPEG}, {{5, 5}, 0, BMF_8RLE}, {{5, 5}, -4, BMF_8BPP}, {{0x7FFFFFFF, 0x7FFFFFFF}, 0, BMF_32BPP},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(EngCreateBitmap(c.size, c.width, c.format, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  }
  EXPECT_EQ(EngCreateDeviceSurface(nullptr, SIZEL{0, 1}, BMF_24BPP), nullptr);
  EXPECT_EQ(EngCreateDeviceSurface(nullptr, SIZEL{1, 1}, 99), nullptr);
}

TEST_F(EngineSurface, InjectedFailuresAndTheBitsLimit) {
  kw::hooks::EngineFailSurfaceAt(2);
  HSURF first = AsSurf(EngCreateBitmap(SIZEL{8, 8}, 0, BMF_1BPP, 0, nullptr));
  EXPECT_NE(first, nullptr);
  SetLastError(0);
  EXPECT_EQ(EngCreateDeviceSurface(nullptr, SIZEL{8, 8}, BMF_24BPP), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
  HSURF third = EngCreateDeviceSurface(nullptr, SIZEL{8, 8}, BMF_24BPP);
  EXPECT_NE(third, nullptr);
  kw::hooks::EngineFailSurfaceAt(0);
  kw::hooks::EngineLimitBitmapBytes(1000);
  EXPECT_EQ(EngCreateBitmap(SIZEL{100, 100}, 0, BMF_8BPP, 0, nullptr), nullptr);
  // The limit is on the engine's own bits only.
  std::vector<BYTE> mine(100 * 100);
  HSURF over = AsSurf(EngCreateBitmap(SIZEL{100, 100}, 100, BMF_8BPP, 0, mine.data()));
  EXPECT_NE(over, nullptr);
  for (HSURF h : {first, third, over}) EXPECT_TRUE(EngDeleteSurface(h));
}

TEST_F(EngineSurface, DeviceSurfaceAndAssociation) {
  DRVENABLEDATA none{};
  HDEV hdev = kw::EngineDeviceCreate(&none);
  int pdevMark = 0;
  kw::EngineDeviceSetPdev(hdev, reinterpret_cast<DHPDEV>(&pdevMark));
  HSURF h = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(&pdevMark), SIZEL{640, 480}, BMF_24BPP);
  ASSERT_NE(h, nullptr);
  SURFOBJ* so = EngLockSurface(h);
  EXPECT_EQ(so->iType, STYPE_DEVICE);
  EXPECT_EQ(so->dhsurf, reinterpret_cast<DHSURF>(&pdevMark));
  EXPECT_EQ(so->pvBits, nullptr);
  EXPECT_EQ(so->pvScan0, nullptr);
  EXPECT_EQ(so->cjBits, 0u);
  EXPECT_EQ(so->iBitmapFormat, ULONG(BMF_24BPP));
  EXPECT_EQ(so->dhpdev, nullptr);

  // An unknown device is refused; the real one fills hdev and dhpdev.
  SetLastError(0);
  EXPECT_FALSE(EngAssociateSurface(h, reinterpret_cast<HDEV>(&pdevMark), HOOK_BITBLT));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  const FLONG hooks = HOOK_BITBLT | HOOK_STRETCHBLT | HOOK_TEXTOUT | HOOK_PAINT | HOOK_STROKEPATH | HOOK_FILLPATH |
                      HOOK_STROKEANDFILLPATH | HOOK_COPYBITS | HOOK_STRETCHBLTROP;
  EXPECT_EQ(hooks, 0x24FBu);
  EXPECT_TRUE(EngAssociateSurface(h, hdev, hooks));
  EXPECT_EQ(so->hdev, hdev);
  EXPECT_EQ(so->dhpdev, reinterpret_cast<DHPDEV>(&pdevMark));
  kw::hooks::EngineSurfaceInfo info;
  ASSERT_TRUE(kw::hooks::EngineSurfaceQuery(h, &info));
  EXPECT_EQ(info.hooks, hooks);
  EXPECT_EQ(info.hdev, hdev);
  EXPECT_FALSE(info.banding);
  EXPECT_TRUE(EngMarkBandingSurface(h));
  ASSERT_TRUE(kw::hooks::EngineSurfaceQuery(h, &info));
  EXPECT_TRUE(info.banding);
  EXPECT_FALSE(EngEraseSurface(so, nullptr, 0));  // the engine has no pixels of it

  EngUnlockSurface(so);
  EXPECT_TRUE(EngDeleteSurface(h));
  EXPECT_FALSE(EngAssociateSurface(h, hdev, 0));
  kw::EngineDeviceDelete(hdev);
}

TEST_F(EngineSurface, DrawingBitmapOfADeviceSurface) {
  DRVENABLEDATA none{};
  HDEV hdev = kw::EngineDeviceCreate(&none);
  HSURF other = AsSurf(EngCreateBitmap(SIZEL{32, 8}, 0, BMF_1BPP, 0, nullptr));
  HSURF band = AsSurf(EngCreateBitmap(SIZEL{64, 16}, 0, BMF_1BPP, 0, nullptr));
  HSURF later = AsSurf(EngCreateBitmap(SIZEL{32, 8}, 0, BMF_1BPP, 0, nullptr));
  HSURF device = EngCreateDeviceSurface(nullptr, SIZEL{64, 16}, BMF_24BPP);
  EXPECT_EQ(kw::EngineDrawingBitmap(device), nullptr);  // not associated
  EngAssociateSurface(band, hdev, HOOK_BITBLT);
  EngAssociateSurface(other, hdev, HOOK_BITBLT);
  EngAssociateSurface(later, hdev, HOOK_BITBLT);
  EngAssociateSurface(device, hdev, HOOK_BITBLT);
  // The bitmap of the device surface's own size wins over later ones.
  EXPECT_EQ(kw::EngineDrawingBitmap(device), band);
  EXPECT_EQ(kw::EngineDrawingBitmap(other), other);  // a bitmap is its own
  EngDeleteSurface(band);
  EXPECT_EQ(kw::EngineDrawingBitmap(device), later);
  for (HSURF h : {other, later, device}) EngDeleteSurface(h);
  kw::EngineDeviceDelete(hdev);
}

TEST_F(EngineSurface, DeleteWhileLockedKeepsTheMemoryUntilUnlocked) {
  HSURF h = AsSurf(EngCreateBitmap(SIZEL{16, 16}, 0, BMF_8BPP, 0, nullptr));
  SURFOBJ* a = EngLockSurface(h);
  SURFOBJ* b = EngLockSurface(h);
  EXPECT_EQ(a, b);
  EXPECT_TRUE(EngDeleteSurface(h));
  EXPECT_EQ(EngLockSurface(h), nullptr);  // the handle is gone at once
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(EngDeleteSurface(h));
  static_cast<BYTE*>(a->pvBits)[0] = 1;  // still the driver's to use
  EngUnlockSurface(a);
  EXPECT_EQ(a->sizlBitmap.cx, 16);
  EngUnlockSurface(b);  // the last unlock frees it (the sanitizer build checks)
  EngUnlockSurface(nullptr);
}

struct EraseCase {
  ULONG format;
  ULONG color;
  std::vector<BYTE> pixel;  // bytes of one pixel; for 1 and 4 bits, the row's bytes
};

TEST_F(EngineSurface, EraseWritesThePixelValueInsideTheRectangle) {
  const EraseCase cases[] = {
      {BMF_8BPP, 0x5A, {0x5A}},
      {BMF_16BPP, 0x1234, {0x34, 0x12}},
      {BMF_24BPP, 0xFFFFFF, {0xFF, 0xFF, 0xFF}},
      {BMF_24BPP, 0x123456, {0x56, 0x34, 0x12}},
      {BMF_32BPP, 0x01020304, {0x04, 0x03, 0x02, 0x01}},
  };
  for (const EraseCase& c : cases) {
    for (FLONG fl : {FLONG(BMF_TOPDOWN), FLONG(0)}) {
      HSURF h = AsSurf(EngCreateBitmap(SIZEL{6, 4}, 0, c.format, fl, nullptr));
      SURFOBJ* so = EngLockSurface(h);
      ULONG before = so->iUniq;
      RECTL r{1, 1, 4, 3};
      ASSERT_TRUE(EngEraseSurface(so, &r, c.color));
      EXPECT_NE(so->iUniq, before);
      size_t bpp = c.pixel.size();
      for (LONG y = 0; y < 4; ++y)
        for (LONG x = 0; x < 6; ++x) {
          const BYTE* p = static_cast<const BYTE*>(so->pvScan0) + intptr_t(y) * so->lDelta + x * bpp;
          bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
          for (size_t b = 0; b < bpp; ++b) ASSERT_EQ(p[b], inside ? c.pixel[b] : 0) << x << "," << y;
        }
      EngUnlockSurface(so);
      EngDeleteSurface(h);
    }
  }
}

TEST_F(EngineSurface, EraseOfOneAndFourBitRowsAndClipping) {
  HSURF h = AsSurf(EngCreateBitmap(SIZEL{40, 3}, 0, BMF_1BPP, BMF_TOPDOWN, nullptr));
  SURFOBJ* so = EngLockSurface(h);
  RECTL r{3, 1, 29, 100};  // clipped to the bitmap's bottom
  ASSERT_TRUE(EngEraseSurface(so, &r, 1));
  const BYTE* bits = static_cast<const BYTE*>(so->pvBits);
  const BYTE row1[] = {0x1F, 0xFF, 0xFF, 0xF8, 0x00};  // pixels 3 to 28
  EXPECT_EQ(std::vector<BYTE>(bits, bits + 5), std::vector<BYTE>(5, 0));
  EXPECT_EQ(std::vector<BYTE>(bits + 8, bits + 13), std::vector<BYTE>(row1, row1 + 5));
  EXPECT_EQ(std::vector<BYTE>(bits + 16, bits + 21), std::vector<BYTE>(row1, row1 + 5));
  ASSERT_TRUE(EngEraseSurface(so, nullptr, 0));  // whole surface
  EXPECT_TRUE(std::all_of(bits, bits + so->cjBits, [](BYTE b) { return b == 0; }));
  EngUnlockSurface(so);
  EngDeleteSurface(h);

  h = AsSurf(EngCreateBitmap(SIZEL{5, 1}, 0, BMF_4BPP, 0, nullptr));
  so = EngLockSurface(h);
  r = {1, 0, 4, 1};
  ASSERT_TRUE(EngEraseSurface(so, &r, 0xC));
  bits = static_cast<const BYTE*>(so->pvBits);
  EXPECT_EQ(bits[0], 0x0C);
  EXPECT_EQ(bits[1], 0xCC);
  EXPECT_EQ(bits[2], 0x00);
  EngUnlockSurface(so);
  EngDeleteSurface(h);
}

TEST_F(EngineSurface, Palettes) {
  ULONG colors[] = {0x000000, 0xFFFFFF, 0x123456};
  HPALETTE indexed = EngCreatePalette(PAL_INDEXED, 3, colors, 0, 0, 0);
  HPALETTE fields = EngCreatePalette(PAL_BITFIELDS, 0, nullptr, 0xF800, 0x07E0, 0x001F);
  HPALETTE rgb = EngCreatePalette(PAL_RGB, 0, nullptr, 0, 0, 0);
  HPALETTE bgr = EngCreatePalette(PAL_BGR, 0, nullptr, 0, 0, 0);
  for (HPALETTE p : {indexed, fields, rgb, bgr}) ASSERT_NE(p, nullptr);
  kw::hooks::EnginePaletteInfo info;
  ASSERT_TRUE(kw::hooks::EnginePaletteQuery(indexed, &info));
  EXPECT_EQ(info.mode, ULONG(PAL_INDEXED));
  EXPECT_EQ(info.colors, std::vector<ULONG>(colors, colors + 3));
  ASSERT_TRUE(kw::hooks::EnginePaletteQuery(fields, &info));
  EXPECT_EQ(info.mode, ULONG(PAL_BITFIELDS));
  EXPECT_EQ(info.masks[0], 0xF800u);
  EXPECT_EQ(info.masks[2], 0x001Fu);
  ASSERT_TRUE(kw::hooks::EnginePaletteQuery(bgr, &info));
  EXPECT_EQ(info.mode, ULONG(PAL_BGR));

  // Modes the engine does not know, empty indexed palettes and overlapping
  // or missing masks are refused.
  struct Bad {
    ULONG mode, count;
    FLONG r, g, b;
  } bad[] = {{0, 0, 0, 0, 0},
             {0x10, 0, 0, 0, 0},
             {PAL_INDEXED, 0, 0, 0, 0},
             {PAL_BITFIELDS, 0, 0xFF, 0xFF00, 0},
             {PAL_BITFIELDS, 0, 0xFF, 0x1FF, 0xFF0000}};
  for (const Bad& c : bad) {
    SetLastError(0);
    EXPECT_EQ(EngCreatePalette(c.mode, c.count, nullptr, c.r, c.g, c.b), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  }
  kw::hooks::EngineFailPaletteAt(1);
  EXPECT_EQ(EngCreatePalette(PAL_RGB, 0, nullptr, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));

  for (HPALETTE p : {indexed, fields, rgb, bgr}) EXPECT_TRUE(EngDeletePalette(p));
  EXPECT_FALSE(EngDeletePalette(rgb));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

// A one-bit bitmap of random pixels, and the engine's copy checked pixel by
// pixel against a plain model of the same copy.
struct Mono {
  HSURF h;
  SURFOBJ* so;
};
Mono MakeMono(LONG cx, LONG cy, FLONG fl, std::mt19937& rng) {
  Mono m{AsSurf(EngCreateBitmap(SIZEL{cx, cy}, 0, BMF_1BPP, fl, nullptr)), nullptr};
  m.so = EngLockSurface(m.h);
  for (ULONG i = 0; i < m.so->cjBits; ++i) static_cast<BYTE*>(m.so->pvBits)[i] = BYTE(rng());
  return m;
}
void Drop(Mono m) {
  EngUnlockSurface(m.so);
  EngDeleteSurface(m.h);
}
std::vector<int> Pixels(const SURFOBJ* so) {
  std::vector<int> p;
  for (LONG y = 0; y < so->sizlBitmap.cy; ++y)
    for (LONG x = 0; x < so->sizlBitmap.cx; ++x) p.push_back(Bit(so, x, y));
  return p;
}

TEST_F(EngineSurface, OneBitSourceCopiesMatchAPixelModel) {
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    LONG sw = 1 + LONG(rng() % 90), sh = 1 + LONG(rng() % 9), dw = 1 + LONG(rng() % 90), dh = 1 + LONG(rng() % 9);
    Mono src = MakeMono(sw, sh, rng() & 1 ? BMF_TOPDOWN : 0, rng);
    Mono dst = MakeMono(dw, dh, rng() & 1 ? BMF_TOPDOWN : 0, rng);
    RECTL r{LONG(rng() % 100) - 5, LONG(rng() % 12) - 2, 0, 0};
    r.right = r.left + LONG(rng() % 70);
    r.bottom = r.top + LONG(rng() % 10);
    POINTL from{LONG(rng() % 100) - 5, LONG(rng() % 12) - 2};
    CLIPOBJ clip{};
    bool clipped = rng() & 1;
    if (clipped) {
      clip.iDComplexity = DC_RECT;
      clip.rclBounds = {LONG(rng() % 40), LONG(rng() % 5), LONG(rng() % 90), LONG(rng() % 10)};
    }
    std::vector<int> want = Pixels(dst.so);
    for (LONG y = r.top; y < r.bottom; ++y)
      for (LONG x = r.left; x < r.right; ++x) {
        LONG sx = from.x + x - r.left, sy = from.y + y - r.top;
        if (x < 0 || y < 0 || x >= dw || y >= dh || sx < 0 || sy < 0 || sx >= sw || sy >= sh) continue;
        if (clipped && (x < clip.rclBounds.left || x >= clip.rclBounds.right || y < clip.rclBounds.top ||
                        y >= clip.rclBounds.bottom))
          continue;
        want[size_t(y * dw + x)] = Bit(src.so, sx, sy);
      }
    BOOL ok = rng() & 1 ? EngCopyBits(dst.so, src.so, clipped ? &clip : nullptr, nullptr, &r, &from)
                        : EngBitBlt(dst.so, src.so, nullptr, clipped ? &clip : nullptr, nullptr, &r, &from, nullptr,
                                    nullptr, nullptr, 0xCCCC);
    ASSERT_TRUE(ok);
    ASSERT_EQ(Pixels(dst.so), want) << "round " << round;
    Drop(src);
    Drop(dst);
  }
}

TEST_F(EngineSurface, OverlappingCopyWithinOneBitmap) {
  std::mt19937 rng(11);
  for (int round = 0; round < 100; ++round) {
    Mono m = MakeMono(70, 12, rng() & 1 ? BMF_TOPDOWN : 0, rng);
    std::vector<int> before = Pixels(m.so), want = before;
    RECTL r{LONG(rng() % 30), LONG(rng() % 6), 0, 0};
    r.right = r.left + 1 + LONG(rng() % 40);
    r.bottom = r.top + 1 + LONG(rng() % 6);
    POINTL from{LONG(rng() % 30), LONG(rng() % 6)};
    for (LONG y = r.top; y < r.bottom && y < 12; ++y)
      for (LONG x = r.left; x < r.right && x < 70; ++x) {
        LONG sx = from.x + x - r.left, sy = from.y + y - r.top;
        if (sx < 70 && sy < 12) want[size_t(y * 70 + x)] = before[size_t(sy * 70 + sx)];
      }
    ASSERT_TRUE(EngCopyBits(m.so, m.so, nullptr, nullptr, &r, &from));
    ASSERT_EQ(Pixels(m.so), want) << "round " << round;
    Drop(m);
  }
}

TEST_F(EngineSurface, OneBitTranslationTables) {
  std::mt19937 rng(3);
  Mono src = MakeMono(20, 2, BMF_TOPDOWN, rng);
  Mono dst = MakeMono(20, 2, BMF_TOPDOWN, rng);
  const ULONG tables[][2] = {{1, 0}, {0, 0}, {1, 1}, {0, 1}};
  for (const auto& t : tables) {
    ULONG table[2] = {t[0], t[1]};
    XLATEOBJ xlo{};
    xlo.flXlate = XO_TABLE;
    xlo.cEntries = 2;
    xlo.pulXlate = table;
    RECTL r{0, 0, 20, 2};
    POINTL from{0, 0};
    ASSERT_TRUE(EngCopyBits(dst.so, src.so, nullptr, &xlo, &r, &from));
    for (LONG y = 0; y < 2; ++y)
      for (LONG x = 0; x < 20; ++x) ASSERT_EQ(ULONG(Bit(dst.so, x, y)), table[Bit(src.so, x, y)]);
  }
  Drop(src);
  Drop(dst);
}

TEST_F(EngineSurface, SameFormatCopiesOfDeeperBitmaps) {
  for (ULONG format : {ULONG(BMF_4BPP), ULONG(BMF_8BPP), ULONG(BMF_24BPP), ULONG(BMF_32BPP)}) {
    HSURF hs = AsSurf(EngCreateBitmap(SIZEL{9, 3}, 0, format, 0, nullptr));
    HSURF hd = AsSurf(EngCreateBitmap(SIZEL{9, 3}, 0, format, BMF_TOPDOWN, nullptr));
    SURFOBJ* s = EngLockSurface(hs);
    SURFOBJ* d = EngLockSurface(hd);
    for (ULONG i = 0; i < s->cjBits; ++i) static_cast<BYTE*>(s->pvBits)[i] = BYTE(i * 37 + 1);
    RECTL r{2, 1, 7, 3};
    POINTL from{1, 0};
    ASSERT_TRUE(EngCopyBits(d, s, nullptr, nullptr, &r, &from));
    ULONG bits = format == BMF_4BPP ? 4 : format == BMF_8BPP ? 8 : format == BMF_24BPP ? 24 : 32;
    for (LONG y = 1; y < 3; ++y)
      for (LONG x = 2; x < 7; ++x) {
        const BYTE* drow = static_cast<const BYTE*>(d->pvScan0) + intptr_t(y) * d->lDelta;
        const BYTE* srow = static_cast<const BYTE*>(s->pvScan0) + intptr_t(y - 1) * s->lDelta;
        if (bits == 4) {
          LONG sx = x - 1;
          int dv = x & 1 ? drow[x / 2] & 15 : drow[x / 2] >> 4;
          int sv = sx & 1 ? srow[sx / 2] & 15 : srow[sx / 2] >> 4;
          ASSERT_EQ(dv, sv);
        } else {
          ASSERT_EQ(0, std::memcmp(drow + x * bits / 8, srow + (x - 1) * bits / 8, bits / 8));
        }
      }
    // Nothing outside the rectangle was written.
    ASSERT_TRUE(EngEraseSurface(d, &r, 0));
    const BYTE* db = static_cast<const BYTE*>(d->pvBits);
    EXPECT_TRUE(std::all_of(db, db + d->cjBits, [](BYTE b) { return b == 0; }));
    EngUnlockSurface(s);
    EngUnlockSurface(d);
    EngDeleteSurface(hs);
    EngDeleteSurface(hd);
  }
}

TEST_F(EngineSurface, WhatTheCopiesDoNotDoYet) {
  std::mt19937 rng(5);
  Mono mono = MakeMono(16, 4, 0, rng);
  HSURF hc = AsSurf(EngCreateBitmap(SIZEL{16, 4}, 0, BMF_24BPP, 0, nullptr));
  SURFOBJ* colour = EngLockSurface(hc);
  HSURF hdev = EngCreateDeviceSurface(nullptr, SIZEL{16, 4}, BMF_24BPP);
  SURFOBJ* device = EngLockSurface(hdev);
  RECTL r{0, 0, 16, 4};
  POINTL from{0, 0};
  struct Case {
    const char* what;
    SURFOBJ* dst;
    SURFOBJ* src;
    CLIPOBJ clip;
    ROP4 rop;
    DWORD error;
  } cases[] = {
      {"between formats", colour, mono.so, {}, 0xCCCC, ERROR_NOT_SUPPORTED},
      {"a complex clip",
       mono.so,
       mono.so,
       {0, {0, 0, 4, 4}, DC_COMPLEX, FC_COMPLEX, TC_RECTANGLES, 0},
       0xCCCC,
       ERROR_NOT_SUPPORTED},
      {"another raster operation", mono.so, mono.so, {}, 0x6666, ERROR_NOT_SUPPORTED},
      {"a mask", mono.so, mono.so, {}, 0xAACC, ERROR_NOT_SUPPORTED},
      {"onto a device surface", device, mono.so, {}, 0xCCCC, ERROR_INVALID_PARAMETER},
      {"without a source", mono.so, nullptr, {}, 0xCCCC, ERROR_INVALID_PARAMETER},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetLastError(0);
    EXPECT_FALSE(EngBitBlt(c.dst, c.src, nullptr, &c.clip, nullptr, &r, &from, nullptr, nullptr, nullptr, c.rop));
    EXPECT_EQ(GetLastError(), c.error);
  }
  EngUnlockSurface(device);
  EngDeleteSurface(hdev);
  EngUnlockSurface(colour);
  EngDeleteSurface(hc);
  Drop(mono);
}

}  // namespace
