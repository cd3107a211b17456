#include "tests/imaging/raster_capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace kadu_test {
namespace {

BOOL Send(void* context, RasterBlockKind kind, const BYTE* block, DWORD count) {
  auto* c = static_cast<RasterCapture*>(context);
  if (c->failAfter >= 0 && static_cast<int>(c->blocks.size()) >= c->failAfter) return FALSE;
  c->blocks.emplace_back(block, block + count);
  c->kinds.push_back(kind);
  std::string& s = c->stream;
  if (kind == kRasterBlockAdaptive) s += "\x1b*b5m";
  if (kind != kRasterBlockAdaptive) s += "\x1b*b";
  s += std::to_string(count) + "W";
  s.append(reinterpret_cast<const char*>(block), count);
  return TRUE;
}

}  // namespace

RasterSink RasterCapture::Sink() { return RasterSink{Send, this}; }

void RasterCapture::BeginGraphic(uint32_t widthPixels, uint32_t rowsPerBlock, int method) {
  stream += "\x1b*b" + std::to_string(method) + "M";
  stream += "\x1b*r" + std::to_string(widthPixels) + "s";
  if (rowsPerBlock != 0) stream += std::to_string(rowsPerBlock) + "t";
  stream += "1A";
}

void RasterCapture::EndGraphic() { stream += "\x1b*rC"; }

PclRasterDecode RasterCapture::Decode(bool seedResetPerBlock) const {
  PclDecodeOptions o;
  o.seedResetPerBlock = seedResetPerBlock;
  return DecodePclRaster(reinterpret_cast<const uint8_t*>(stream.data()), stream.size(), o);
}

::testing::AssertionResult SameImage(const std::vector<RasterRow>& expected, const std::vector<RasterRow>& got) {
  size_t rows = std::max(expected.size(), got.size());
  for (size_t y = 0; y < rows; ++y) {
    size_t width = y < expected.size() ? expected[y].size() : got[y].size();
    RasterRow white(width, 0);
    const RasterRow& want = y < expected.size() ? expected[y] : white;
    const RasterRow& g = y < got.size() ? got[y] : white;
    if (g != want) {
      size_t x = 0;
      while (x < g.size() && x < want.size() && g[x] == want[x]) ++x;
      return ::testing::AssertionFailure() << "row " << y << " differs at byte " << x
                                           << (y < got.size() ? "" : " (row missing)")
                                           << (y < expected.size() ? "" : " (row added)");
    }
  }
  return ::testing::AssertionSuccess();
}

RasterRow RandomRow(uint32_t seed, size_t length, double density) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> pick(0.0, 1.0);
  RasterRow row(length);
  for (auto& b : row) b = pick(rng) < density ? static_cast<uint8_t>(rng() | 1) : 0;
  return row;
}

}  // namespace kadu_test

namespace kadu_test {

std::vector<RasterRow> TextLikePage(size_t widthBytes, size_t rows, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<RasterRow> page(rows, RasterRow(widthBytes, 0));
  size_t width = widthBytes * 8;
  auto set = [&](size_t x, size_t y) {
    if (x < width && y < rows) page[y][x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
  };
  size_t margin = width / 12;
  for (size_t top = rows / 20; top + 30 < rows; top += 50) {
    size_t x = margin;
    while (x + 40 < width - margin) {
      size_t letters = 2 + rng() % 8;
      for (size_t l = 0; l < letters; ++l, x += 22) {
        // A letter: one or two stems and a bowl or bar.
        size_t h = rng() % 3 == 0 ? 30 : 21;
        size_t y0 = top + 30 - h;
        for (size_t y = y0; y < top + 30; ++y)
          for (size_t t = 0; t < 3; ++t) set(x + t, y);
        if (rng() % 2)
          for (size_t y = top + 9; y < top + 30; ++y)
            for (size_t t = 0; t < 3; ++t) set(x + 14 + t, y);
        size_t bar = top + 9 + rng() % 18;
        for (size_t t = 0; t < 15; ++t) {
          set(x + t, bar);
          set(x + t, bar + 1);
        }
      }
      x += 25;
    }
  }
  // A rule across, and a solid box.
  if (rows > 10)
    for (size_t x = margin; x < width - margin; ++x) set(x, rows / 3);
  for (size_t y = rows / 2; y < rows / 2 + rows / 40 && y < rows; ++y)
    for (size_t x = width / 2; x < width / 2 + width / 10; ++x) set(x, y);
  return page;
}

}  // namespace kadu_test
