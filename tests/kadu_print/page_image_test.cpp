// Page pictures printed by kadu-print in raster graphics mode decode, with
// the independent raster decoder, to the picture itself: for each raster
// method, on the page path and the banding loop, portrait and landscape, at
// 600 and true 1200 dpi.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/pcl_raster_decoder.h"
#include "tests/support/world_fixture.h"

namespace fs = std::filesystem;

namespace kadu_test {
namespace {

struct Picture {
  long width, height;
  std::vector<uint8_t> bits;  // PBM order: 1 black, rows padded to bytes
  bool Get(long x, long y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return false;
    return (bits[size_t(y * ((width + 7) / 8) + x / 8)] >> (7 - x % 8)) & 1;
  }
};

// A text-like picture with a one-pixel frame, so its corner marks its place.
Picture MakePicture(long w, long h) {
  Picture p{w, h, std::vector<uint8_t>(size_t((w + 7) / 8 * h))};
  uint32_t seed = 12345;
  auto set = [&](long x, long y) { p.bits[size_t(y * ((w + 7) / 8) + x / 8)] |= uint8_t(0x80 >> (x % 8)); };
  for (long x = 0; x < w; ++x) set(x, 0), set(x, h - 1);
  for (long y = 0; y < h; ++y) set(0, y), set(w - 1, y);
  for (long line = 20; line + 16 < h; line += 30) {
    for (long x = 20; x + 10 < w;) {
      seed = seed * 1103515245u + 12345u;
      long word = 8 + long(seed >> 16) % 60;
      for (long y = line; y < line + 14; ++y)
        for (long dx = 0; dx < word && x + dx < w - 10; ++dx)
          if (((seed >> (dx % 13)) ^ y) & 1) set(x + dx, y);
      x += word + 12;
    }
  }
  return p;
}

void WritePbm(const Picture& p, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "P4\n# kadu test picture\n" << p.width << " " << p.height << "\n";
  out.write(reinterpret_cast<const char*>(p.bits.data()), std::streamsize(p.bits.size()));
}

struct ImageCase {
  const char* name;
  const char* model;
  const char* settings;
  const char* path;
  int method;
  int scale;  // device pixels per picture pixel
  bool secondTurned;  // long-edge duplex with a duplex unit flips the even pages
  bool landscape = false;  // the page is rendered rotated: printed rows are its columns, turned clockwise
};

class PageImage : public WorldFixture, public ::testing::WithParamInterface<ImageCase> {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    dir_ = fs::path(world_).parent_path() / (fs::path(world_).filename().string() + "-img");
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
    WorldFixture::TearDown();
  }
  int Print(const std::string& args, std::string* err) {
    std::string e = (dir_ / "err.txt").string();
    std::string cmd = std::string(KADU_PRINT_EXE) + " --world '" + (dir_ / "world").string() + "' " + args +
                      " >/dev/null 2>'" + e + "'";
    int rc = std::system(cmd.c_str());
    std::ifstream in(e);
    *err = std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  }
  std::string ReadJob() {
    std::ifstream in(dir_ / "job.prn", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  fs::path dir_;
};

// Where the picture's top-left corner landed: the first black pixel.
bool FindCorner(const PclRasterImage& img, long* row, long* col) {
  for (size_t r = 0; r < img.rows.size(); ++r)
    for (size_t i = 0; i < img.rows[r].size() * 8; ++i)
      if ((img.rows[r][i / 8] >> (7 - i % 8)) & 1) {
        *row = long(r);
        *col = long(i);
        return true;
      }
  return false;
}

TEST_P(PageImage, DecodesToThePicture) {
  const ImageCase& c = GetParam();
  Picture pic = MakePicture(1203, 517);
  WritePbm(pic, (dir_ / "page.pbm").string());
  std::string err;
  ASSERT_EQ(Print(std::string("--model ") + c.model + " " + c.settings + " --engine-path " + c.path +
                      " --page-image '" + (dir_ / "page.pbm").string() + "' --page-image '" +
                      (dir_ / "page.pbm").string() + "' -o '" + (dir_ / "job.prn").string() + "'",
                  &err),
            0)
      << err;
  std::string job = ReadJob();
  PclDecodeOptions o;
  o.seedResetPerBlock = false;
  o.defaultWidthBytes = 4096;  // wider than any page of these models
  PclRasterDecode d = DecodePclRaster(reinterpret_cast<const uint8_t*>(job.data()), job.size(), o);
  EXPECT_TRUE(d.diag.problems.empty()) << d.diag.problems.front();
  ASSERT_EQ(d.images.size(), 2u);
  for (size_t page = 0; page < d.images.size(); ++page) {
    const PclRasterImage& img = d.images[page];
    bool turned = page == 1 && c.secondTurned;
    ASSERT_FALSE(img.methods.empty());
    EXPECT_EQ(img.methods.back(), c.method);
    long top = 0, left = 0;
    ASSERT_TRUE(FindCorner(img, &top, &left)) << img.rows.size() << " rows, " << img.transfers << " transfers, width " << img.widthBytes;
    long mismatches = 0;
    long shownRows = (c.landscape ? pic.width : pic.height) * c.scale;
    for (size_t r = 0; r < img.rows.size(); ++r) {
      // Rows outside the picture are white: a byte test is enough.
      if (long(r) < top || long(r) >= top + shownRows) {
        for (uint8_t b : img.rows[r])
          if (b && ++mismatches < 4) ADD_FAILURE() << "black outside the picture in row " << r;
        continue;
      }
      for (size_t i = 0; i < img.rows[r].size() * 8; ++i) {
        long y = (long(r) - top), x = (long(i) - left);
        long px = x / c.scale, py = y / c.scale;
        // A turned picture's first black pixel is its own bottom-right corner.
        if (turned) px = pic.width - 1 - px, py = pic.height - 1 - py;
        bool want = y >= 0 && x >= 0 && pic.Get(px, py);
        // Turned clockwise: printed row y is picture column y read bottom-up.
        if (c.landscape) want = y >= 0 && x >= 0 && pic.Get(y, pic.height - 1 - x);
        bool have = (img.rows[r][i / 8] >> (7 - i % 8)) & 1;
        if (want != have && ++mismatches < 4) ADD_FAILURE() << "row " << r << " pixel " << i;
      }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GE(long(img.rows.size()), top + (c.landscape ? pic.width : pic.height) * c.scale - 1);
  }
}

// The DirectRaster model (4550fx) always sends method 131; the desk model
// (2630dn) sends method 5 unless the selector asks for 2 or 3.
INSTANTIATE_TEST_SUITE_P(
    Table, PageImage,
    ::testing::Values(ImageCase{"Adaptive600Page", "2630dn", "--set dmDuplex=1", "page", 5, 1, false},
                      ImageCase{"Adaptive600Band", "2630dn", "--set dmDuplex=1", "band", 5, 1, false},
                      ImageCase{"AdaptiveDuplexTurnsPageTwo", "2630dn", "--set dmDuplex=2", "page", 5, 1, true},
                      ImageCase{"PackBitsPage", "2630dn", "--set dmDuplex=1 --set wEncoderSelector=2", "page", 2, 1,
                                false},
                      ImageCase{"DeltaRowBand", "2630dn", "--set dmDuplex=1 --set wEncoderSelector=3", "band", 3, 1,
                                false},
                      ImageCase{"Predictive600Page", "4550fx", "--set dmDuplex=1", "page", 131, 1, false},
                      ImageCase{"Predictive600Band", "4550fx", "--set dmDuplex=1", "band", 131, 1, false},
                      ImageCase{"AdaptiveLandscapePage", "2630dn", "--set dmDuplex=1 --set dmOrientation=2", "page",
                                5, 1, false, true},
                      ImageCase{"PredictiveLandscapeBand", "4550fx", "--set dmDuplex=1 --set dmOrientation=2",
                                "band", 131, 1, false, true},
                      // The office model's draft level is its true 1200 dpi mode.
                      ImageCase{"PredictiveTrue1200Band", "4550fx", "--set dmDuplex=1 --set dmPrintQuality=-4",
                                "band", 131, 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageImage, AnEmptyPageSendsNoRows) {
  Picture blank{64, 64, std::vector<uint8_t>(8 * 64)};
  WritePbm(blank, (dir_ / "blank.pbm").string());
  std::string err;
  ASSERT_EQ(Print("--page-image '" + (dir_ / "blank.pbm").string() + "' -o '" + (dir_ / "job.prn").string() + "'",
                  &err),
            0)
      << err;
  std::string job = ReadJob();
  PclDecodeOptions o;
  o.defaultWidthBytes = 4096;
  PclRasterDecode d = DecodePclRaster(reinterpret_cast<const uint8_t*>(job.data()), job.size(), o);
  ASSERT_EQ(d.images.size(), 1u);
  for (const RasterRow& row : d.images[0].rows)
    for (uint8_t b : row) ASSERT_EQ(b, 0);
  EXPECT_EQ(d.images[0].transfers, 0u);
}

TEST_F(PageImage, AnUnreadablePictureIsRefused) {
  std::ofstream(dir_ / "bad.pbm") << "P4\n10 10\n";
  std::string err;
  EXPECT_NE(Print("--page-image '" + (dir_ / "bad.pbm").string() + "' -o '" + (dir_ / "job.prn").string() + "'",
                  &err),
            0);
  EXPECT_NE(err.find("cut short"), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(dir_ / "job.prn"));
}

}  // namespace
}  // namespace kadu_test
