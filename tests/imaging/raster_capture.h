// Test side of the raster sink: frames each block with its transfer command
// as the printer receives it, so that a whole raster graphic can be decoded by
// the independent decoder.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/imaging/raster_sink.h"
#include "tests/support/pcl_raster_decoder.h"

namespace kadu_test {

struct RasterCapture {
  std::string stream;                        // PCL bytes
  std::vector<std::vector<uint8_t>> blocks;  // block contents, in order
  std::vector<RasterBlockKind> kinds;
  int failAfter = -1;                        // blocks accepted before sends fail (-1: never)

  RasterSink Sink();
  // "\e*r<width>s<rows>t1A" (rows only when not 0) and the method.
  void BeginGraphic(uint32_t widthPixels, uint32_t rowsPerBlock, int method);
  void EndGraphic();
  PclRasterDecode Decode(bool seedResetPerBlock) const;
};

// Rows decoded from one graphic equal `expected`, except that white rows at the
// foot may be missing or added (dropped, or padding to whole blocks).
::testing::AssertionResult SameImage(const std::vector<RasterRow>& expected, const std::vector<RasterRow>& got);

// Random bytes; `density` of them nonzero.
RasterRow RandomRow(uint32_t seed, size_t length, double density = 1.0);

}  // namespace kadu_test

namespace kadu_test {

// Rows of a page that looks like printed text: lines of word-like clusters of
// strokes with white between lines and margins, and a few rules and a solid box.
std::vector<RasterRow> TextLikePage(size_t widthBytes, size_t rows, uint32_t seed);

}  // namespace kadu_test
