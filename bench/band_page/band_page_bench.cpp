// A whole 600-dpi A4 text page sent through the band transmission (rows read
// from the band bitmap, encoded, framed and written to the spool stream), one
// page per iteration, with each compression method, next to netpbm's pbmtolj
// -compress on the same page written once as a PBM. The "bytes" counter is
// what the printer receives for the page's raster (page set-up included).
// compare.sh runs this and prints the ratios.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench/raster_encode/text_page.h"
#include "kw/hooks_spooler.h"
#include "render/core/escape_writer.h"
#include "render/core/pdev.h"
#include "render/core/raster_page.h"
#include "render/core/spool_stream.h"

namespace {

constexpr uint32_t kWidth = 4960;  // A4 at 600 dpi
constexpr uint32_t kHeight = 7016;

struct Page {
  TextPage page;
  std::string pbm;
};

const Page& ThePage() {
  static Page p = [] {
    Page x;
    x.page = MakeTextPage(kWidth, kHeight, 2024);
    x.pbm = (std::filesystem::temp_directory_path() / "kadu_band_page.pbm").string();
    if (!WritePbm(x.page, x.pbm)) x.pbm.clear();
    return x;
  }();
  return p;
}

// A raster graphics mode PDEV whose band bitmap holds the page.
struct BenchPdev {
  PDEV pdev{};
  explicit BenchPdev(DWORD selector, DWORD directRasterRows) {
    const TextPage& t = ThePage().page;
    PDEV& p = pdev;
    p.signature1 = p.signature2 = kPdevSignature;
    p.hPrinter = kw::hooks::SpoolerOpenDiscardPrinter();
    SpoolInit(&p);
    ResetEscapeCombining(&p);
    p.rasterMode = TRUE;
    p.scaleFactor = 1000;
    p.resolution = 600;
    p.devmode.dm.dmYResolution = 600;
    p.yResolution = 600;
    p.pageSize = SIZEL{LONG(kWidth), LONG(kHeight)};
    p.devmode.priv.wEncoderSelector = uint16_t(selector);
    p.directRasterRows = directRasterRows;
    p.band.size = SIZEL{LONG((kWidth + 31) / 32 * 32), LONG((kHeight + 31) / 32 * 32)};
    p.band.bytes = size_t(p.band.size.cx / 8) * size_t(p.band.size.cy + 1);
    p.band.bits = static_cast<BYTE*>(std::calloc(p.band.bytes, 1));
    p.band.count = 1;
    for (uint32_t y = 0; y < kHeight; ++y)
      std::memcpy(p.band.bits + size_t(y) * size_t(p.band.size.cx / 8), t.Row(y), t.rowBytes);
    AllocDocumentBuffers(&p);
  }
  ~BenchPdev() {
    FreeDocumentBuffers(&pdev);
    std::free(pdev.band.bits);
    CloseHandle(pdev.hPrinter);
  }
};

void Report(benchmark::State& state, size_t bytes) {
  state.counters["bytes"] = benchmark::Counter(double(bytes));
  state.counters["ratio"] = benchmark::Counter(double(kWidth / 8) * kHeight / double(bytes));
}

void SendPages(benchmark::State& state, DWORD selector, DWORD directRasterRows) {
  BenchPdev b(selector, directRasterRows);
  kw::hooks::SpoolerResetHooks();
  kw::hooks::SpoolerSetRecordMode(kw::hooks::SpoolerRecordMode::Sizes);
  if (!SendRasterPage(&b.pdev)) {
    state.SkipWithError("the page could not be sent");
    return;
  }
  size_t bytes = 0;
  for (const auto& c : kw::hooks::SpoolerWriteCalls()) bytes += c.size;
  kw::hooks::SpoolerSetRecordMode(kw::hooks::SpoolerRecordMode::Off);
  for (auto _ : state) {
    if (!SendRasterPage(&b.pdev)) state.SkipWithError("the page could not be sent");
  }
  kw::hooks::SpoolerResetHooks();
  Report(state, bytes);
}

void BM_BandPage_Method2(benchmark::State& state) { SendPages(state, 2, 0); }
void BM_BandPage_Method3(benchmark::State& state) { SendPages(state, 3, 0); }
void BM_BandPage_Method5(benchmark::State& state) { SendPages(state, 1, 0); }
void BM_BandPage_Method131(benchmark::State& state) { SendPages(state, 1, 64); }

void BM_Pbmtolj_Compress(benchmark::State& state) {
  const Page& p = ThePage();
  if (p.pbm.empty()) {
    state.SkipWithError("the PBM could not be written");
    return;
  }
  std::string out = p.pbm + ".pcl";
  std::string command = "pbmtolj -quiet -compress -resolution 600 '" + p.pbm + "' > '" + out + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("pbmtolj failed (netpbm is installed by scripts/deps.sh)");
      return;
    }
  }
  Report(state, size_t(std::filesystem::file_size(out)));
}

}  // namespace

BENCHMARK(BM_BandPage_Method2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BandPage_Method3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BandPage_Method5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BandPage_Method131)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Pbmtolj_Compress)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
