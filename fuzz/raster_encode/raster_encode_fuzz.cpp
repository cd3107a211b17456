// Arbitrary pages through every raster packer, in the smallest memory each
// accepts, decoded again by the independent decoder: the page must come back
// exactly (whether the printer keeps its seed row across blocks or not), and
// nothing may be written outside the memory given.
//
// Input: byte 0 the row length (1..64), byte 1 the rows per method-131 block
// (1..16) and whether the page is inverted, byte 2 how often a band ends (0:
// never), then the rows; a row byte 0xA5 followed by n repeats the previous row
// 30 n times, so that runs of white and repeated rows are cheap to express (the
// unit tests take the runs beyond one record's count).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "render/imaging/adaptive_image.h"
#include "render/imaging/adaptive_raster.h"
#include "render/imaging/predictive_raster.h"
#include "tests/support/pcl_raster_decoder.h"

namespace {

using Row = std::vector<uint8_t>;
constexpr uint8_t kGuard = 0xEE;
constexpr size_t kGuardBytes = 32;

void Check(bool ok) {
  if (!ok) std::abort();
}

struct Capture {
  std::string stream;
  static BOOL Send(void* context, RasterBlockKind kind, const BYTE* block, DWORD count) {
    auto* c = static_cast<Capture*>(context);
    c->stream += kind == kRasterBlockAdaptive ? "\x1b*b5m" : "\x1b*b";
    c->stream += std::to_string(count) + "W";
    c->stream.append(reinterpret_cast<const char*>(block), count);
    return TRUE;
  }
  RasterSink Sink() { return RasterSink{Send, this}; }
};

// Memory with guard bytes after it.
struct Guarded {
  std::vector<uint8_t> bytes;
  explicit Guarded(size_t n) : bytes(n + kGuardBytes, kGuard) {}
  BYTE* data() { return bytes.data(); }
  DWORD size() const { return DWORD(bytes.size() - kGuardBytes); }
  void CheckGuard() const {
    for (size_t i = size(); i < bytes.size(); ++i) Check(bytes[i] == kGuard);
  }
};

std::vector<Row> Rows(const uint8_t* data, size_t size, size_t length) {
  std::vector<Row> rows;
  Row row(length, 0);
  size_t at = 0;
  while (at < size && rows.size() < 20000) {
    if (data[at] == 0xA5 && at + 1 < size) {
      size_t n = size_t(data[at + 1]) * 30;
      for (size_t i = 0; i < n; ++i) rows.push_back(row);
      at += 2;
      continue;
    }
    size_t take = std::min(length, size - at);
    std::fill(row.begin(), row.end(), 0);
    std::memcpy(row.data(), data + at, take);
    rows.push_back(row);
    at += take;
  }
  return rows;
}

// The decoded graphic equals `meant`, but for white rows at the foot.
void CheckImage(const std::string& stream, const std::vector<Row>& meant, size_t rowsPerBlock) {
  for (bool reset : {false, true}) {
    kadu_test::PclDecodeOptions o;
    o.seedResetPerBlock = reset;
    auto d = kadu_test::DecodePclRaster(reinterpret_cast<const uint8_t*>(stream.data()), stream.size(), o);
    Check(d.diag.problems.empty() && d.images.size() == 1);
    const auto& got = d.images[0].rows;
    if (rowsPerBlock) Check(got.size() % rowsPerBlock == 0);
    size_t rows = std::max(got.size(), meant.size());
    for (size_t y = 0; y < rows; ++y) {
      Row white(meant.empty() ? got[y].size() : meant[0].size(), 0);
      Check((y < got.size() ? got[y] : white) == (y < meant.size() ? meant[y] : white));
    }
  }
}

std::string Header(size_t length, size_t rowsPerBlock, int method) {
  std::string s = "\x1b*b" + std::to_string(method) + "M\x1b*r" + std::to_string(length * 8) + "s";
  if (rowsPerBlock) s += std::to_string(rowsPerBlock) + "t";
  return s + "1A";
}

void AdaptivePage(const std::vector<Row>& rows, DWORD length, bool invert, size_t band) {
  DWORD work = AdaptiveWorkSize(length);
  Guarded block(2 * 3 + work), seed(length), w0(work), w1(work);
  Capture c;
  c.stream = Header(length, 0, 5);
  AdaptiveBuffers b{block.data(), block.size(), seed.data(), length, {w0.data(), w1.data()}, work};
  AdaptiveRaster a;
  AdaptiveRasterInit(&a, &b, c.Sink());
  Check(AdaptiveRasterStartPage(&a, length, invert));
  std::vector<Row> meant;
  for (size_t y = 0; y < rows.size(); ++y) {
    Row r = rows[y];
    Check(AdaptiveRasterRow(&a, r.data()));
    meant.push_back(r);  // inverted in place when the page is
    if (band && y % band == band - 1) Check(AdaptiveRasterFlush(&a));
  }
  Check(AdaptiveRasterEndPage(&a));
  for (auto* g : {&block, &seed, &w0, &w1}) g->CheckGuard();
  CheckImage(c.stream + "\x1b*rC", meant, 0);
}

void Image(const std::vector<Row>& rows, DWORD length) {
  Guarded block(AdaptiveImageBlockSize(length)), seed(length), w0(length), w1(length);
  Capture c;
  c.stream = Header(length, 0, 5);
  AdaptiveBuffers b{block.data(), block.size(), seed.data(), length, {w0.data(), w1.data()}, length};
  AdaptiveImage a;
  AdaptiveImageInit(&a, &b, c.Sink());
  Check(AdaptiveImageStart(&a, length));
  for (const auto& r : rows) Check(AdaptiveImageRow(&a, r.data()));
  Check(AdaptiveImageFlush(&a));
  for (auto* g : {&block, &seed, &w0, &w1}) g->CheckGuard();
  CheckImage(c.stream + "\x1b*rC", rows, 0);
}

void Predictive(const std::vector<Row>& rows, DWORD length, DWORD rowsPerBlock) {
  Guarded block(PredictiveBlockSize(length, rowsPerBlock)), previous(length);
  Capture c;
  c.stream = Header(length, rowsPerBlock, 131);
  PredictiveRaster r;
  PredictiveRasterInit(&r, block.data(), block.size(), previous.data(), length, c.Sink());
  Check(PredictiveRasterStartPage(&r, length, rowsPerBlock));
  for (const auto& row : rows) Check(PredictiveRow(&r, row.data()));
  Check(PredictiveRasterEndPage(&r));
  block.CheckGuard();
  previous.CheckGuard();
  CheckImage(c.stream + "\x1b*r32768C", rows, rowsPerBlock);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  DWORD length = 1 + data[0] % 64;
  DWORD rowsPerBlock = 1 + data[1] % 16;
  bool invert = data[1] & 0x80;
  size_t band = data[2] % 32;
  std::vector<Row> rows = Rows(data + 3, size - 3, length);
  AdaptivePage(rows, length, invert, band);
  Image(rows, length);
  Predictive(rows, length, rowsPerBlock);
  return 0;
}
