// Encoding a 600-dpi A4 text page with each raster method of the driver, one
// page per iteration, next to netpbm's pbmtolj -compress (PackBits or delta
// row, per row) on the same page written as a PBM. The "bytes" counter is the
// size of the page's raster data with its transfer commands. compare.sh runs
// this and prints the ratios.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/raster_encode/text_page.h"
#include "render/imaging/adaptive_image.h"
#include "render/imaging/adaptive_raster.h"
#include "render/imaging/delta_row.h"
#include "render/imaging/packbits.h"
#include "render/imaging/predictive_raster.h"
#include "render/imaging/row_scan.h"

namespace {

constexpr uint32_t kWidth = 4960;   // A4 at 600 dpi
constexpr uint32_t kHeight = 7016;
constexpr DWORD kStride = 624;      // rows as the driver holds them: aligned to 8 bytes
constexpr DWORD kDirectRasterRows = 64;

struct Fixture {
  TextPage page;
  std::vector<BYTE> rows;  // kHeight rows of kStride bytes
  std::string pbm;
  BYTE* Row(uint32_t y) { return rows.data() + size_t(y) * kStride; }
};

Fixture& Page() {
  static Fixture f = [] {
    Fixture x;
    x.page = MakeTextPage(kWidth, kHeight, 2024);
    x.rows.assign(size_t(kStride) * kHeight, 0);
    for (uint32_t y = 0; y < kHeight; ++y) std::memcpy(x.Row(y), x.page.Row(y), x.page.rowBytes);
    x.pbm = (std::filesystem::temp_directory_path() / "kadu_raster_encode_page.pbm").string();
    if (!WritePbm(x.page, x.pbm)) x.pbm.clear();
    return x;
  }();
  return f;
}

// "\e*b" count "W" (with "5m" for adaptive page blocks).
size_t TransferCommand(size_t count, bool method5) { return 4 + (method5 ? 2 : 0) + std::to_string(count).size(); }

BOOL CountBlock(void* context, RasterBlockKind kind, const BYTE*, DWORD count) {
  *static_cast<size_t*>(context) += count + TransferCommand(count, kind == kRasterBlockAdaptive);
  return TRUE;
}

void Report(benchmark::State& state, size_t bytes) {
  state.counters["bytes"] = benchmark::Counter(double(bytes));
  state.counters["ratio"] = benchmark::Counter(double(kWidth / 8) * kHeight / double(bytes));
}

void BM_Method2_PackBits(benchmark::State& state) {
  Fixture& f = Page();
  std::vector<BYTE> out(PackBitsBound(kStride));
  size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (uint32_t y = 0; y < kHeight; ++y) {
      DWORD sig = SignificantLength(f.Row(y), nullptr, kStride);
      INT n = EncodePackBits(f.Row(y), sig, out.data(), DWORD(out.size()));
      bytes += size_t(n) + TransferCommand(size_t(n), false);
    }
    benchmark::DoNotOptimize(out.data());
  }
  Report(state, bytes);
}

void BM_Method3_DeltaRow(benchmark::State& state) {
  Fixture& f = Page();
  std::vector<BYTE> out(DeltaRowBound(kStride)), white(kStride, 0);
  size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    const BYTE* seed = white.data();
    for (uint32_t y = 0; y < kHeight; ++y) {
      DWORD sig = SignificantLength(f.Row(y), seed, kStride);
      INT n = EncodeDeltaRow(sig, f.Row(y), seed, out.data(), DWORD(out.size()));
      bytes += size_t(n) + TransferCommand(size_t(n), false);
      seed = f.Row(y);
    }
    benchmark::DoNotOptimize(out.data());
  }
  Report(state, bytes);
}

// The method of raster graphics mode pages.
void BM_Method5_Page(benchmark::State& state) {
  Fixture& f = Page();
  DWORD work = AdaptiveWorkSize(kStride);
  std::vector<BYTE> block(AdaptiveRasterBlockSize(kStride)), seed(kStride), w0(work), w1(work);
  size_t bytes = 0;
  AdaptiveBuffers buffers{block.data(), DWORD(block.size()), seed.data(), kStride, {w0.data(), w1.data()}, work};
  AdaptiveRaster a;
  AdaptiveRasterInit(&a, &buffers, RasterSink{CountBlock, &bytes});
  for (auto _ : state) {
    bytes = 0;
    AdaptiveRasterStartPage(&a, kStride, FALSE);
    for (uint32_t y = 0; y < kHeight; ++y) AdaptiveRasterRow(&a, f.Row(y));
    AdaptiveRasterEndPage(&a);
  }
  Report(state, bytes);
}

// The method of device-mode images, on the same rows.
void BM_Method5_Image(benchmark::State& state) {
  Fixture& f = Page();
  std::vector<BYTE> block(AdaptiveImageBlockSize(kStride)), seed(kStride), w0(kStride), w1(kStride);
  size_t bytes = 0;
  AdaptiveBuffers buffers{block.data(), DWORD(block.size()), seed.data(), kStride, {w0.data(), w1.data()}, kStride};
  AdaptiveImage a;
  AdaptiveImageInit(&a, &buffers, RasterSink{CountBlock, &bytes});
  for (auto _ : state) {
    bytes = 0;
    AdaptiveImageStart(&a, kStride);
    for (uint32_t y = 0; y < kHeight; ++y) AdaptiveImageRow(&a, f.Row(y));
    AdaptiveImageFlush(&a);
  }
  Report(state, bytes);
}

// The method of raster graphics mode pages with DirectRaster (64 rows a block).
void BM_Method131_Page(benchmark::State& state) {
  Fixture& f = Page();
  std::vector<BYTE> block(PredictiveBlockSize(kStride, kDirectRasterRows)), previous(kStride);
  size_t bytes = 0;
  PredictiveRaster r;
  PredictiveRasterInit(&r, block.data(), DWORD(block.size()), previous.data(), kStride, RasterSink{CountBlock, &bytes});
  for (auto _ : state) {
    bytes = 0;
    PredictiveRasterStartPage(&r, kStride, kDirectRasterRows);
    for (uint32_t y = 0; y < kHeight; ++y) PredictiveRow(&r, f.Row(y));
    PredictiveRasterEndPage(&r);
  }
  Report(state, bytes);
}

void BM_Pbmtolj_Compress(benchmark::State& state) {
  Fixture& f = Page();
  if (f.pbm.empty()) {
    state.SkipWithError("the PBM could not be written");
    return;
  }
  std::string out = f.pbm + ".pcl";
  std::string command = "pbmtolj -quiet -compress -resolution 600 '" + f.pbm + "' > '" + out + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("pbmtolj failed (netpbm is installed by scripts/deps.sh)");
      return;
    }
  }
  Report(state, size_t(std::filesystem::file_size(out)));
}

}  // namespace

BENCHMARK(BM_Method2_PackBits)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Method3_DeltaRow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Method5_Page)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Method5_Image)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Method131_Page)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pbmtolj_Compress)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
