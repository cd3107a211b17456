#include "render/imaging/predictive_row_input.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Prepare(const Bytes& source, PredictiveRowLayout layout) {
  Bytes out(PredictiveRowLength(static_cast<DWORD>(source.size()), layout.doublePixels));
  EXPECT_TRUE(PreparePredictiveRow(source.data(), static_cast<DWORD>(source.size()), &layout, out.data(),
                                   static_cast<DWORD>(out.size())));
  return out;
}

TEST(PredictiveRowInput, ShiftInvertAndDouble) {
  const Bytes row = {0x00, 0xF0, 0x81, 0x0F};
  struct Case {
    const char* what;
    PredictiveRowLayout layout;
    Bytes want;
  } cases[] = {
      {"as it is", {0, 0, FALSE, FALSE}, {0x00, 0xF0, 0x81, 0x0F}},
      {"three pixels right", {0, 3, FALSE, FALSE}, {0x00, 0x1E, 0x10, 0x21}},
      {"a byte right, the last pushed out", {0, 8, FALSE, FALSE}, {0x00, 0x00, 0xF0, 0x81}},
      {"eleven pixels right", {0, 11, FALSE, FALSE}, {0x00, 0x00, 0x1E, 0x10}},
      {"inverted right of one margin byte", {1, 0, TRUE, FALSE}, {0x00, 0x0F, 0x7E, 0xF0}},
      {"pixels doubled", {0, 0, FALSE, TRUE}, {0x00, 0x00, 0xFF, 0x00, 0xC0, 0x03, 0x00, 0xFF}},
      {"all three", {1, 4, TRUE, TRUE}, {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x3F, 0xFC, 0xFF}},
  };
  for (const auto& c : cases) EXPECT_EQ(Prepare(row, c.layout), c.want) << c.what;
}

TEST(PredictiveRowInput, RasterWidthIsTheCodedRow) {
  EXPECT_EQ(PredictiveRasterWidth(PredictiveRowLength(620, FALSE)), 4960u);
  EXPECT_EQ(PredictiveRasterWidth(PredictiveRowLength(312, TRUE)), 4992u);
}

TEST(PredictiveRowInput, ShortOutputIsRefused) {
  Bytes row(10, 0x55), out(19, 0xEE);
  PredictiveRowLayout layout{0, 0, FALSE, TRUE};
  EXPECT_FALSE(PreparePredictiveRow(row.data(), 10, &layout, out.data(), 19));
  EXPECT_EQ(out, Bytes(19, 0xEE));
}

}  // namespace
