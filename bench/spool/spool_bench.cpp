// SpoolWrite throughput against a plain memcpy of the same bytes into a
// 4096-byte buffer. The printer discards what it gets and nothing is recorded,
// so the figures are the stream's own cost plus WritePrinter's.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "kw/hooks_spooler.h"
#include "render/core/pdev.h"
#include "render/core/spool_stream.h"

namespace {

// range(1) bytes are written once first, so that later writes do not start
// at a block boundary: with 1, every 4 KB write is copied through the block.
void BM_SpoolWrite(benchmark::State& state) {
  const INT size = INT(state.range(0));
  const INT lead = INT(state.range(1));
  std::vector<BYTE> bytes(size_t(size), 0x5A);
  kw::hooks::SpoolerResetHooks();
  kw::hooks::SpoolerSetRecordMode(kw::hooks::SpoolerRecordMode::Off);
  PDEV pdev{};
  pdev.signature1 = pdev.signature2 = kPdevSignature;
  pdev.hPrinter = kw::hooks::SpoolerOpenDiscardPrinter();
  SpoolInit(&pdev);
  if (!SpoolAllocBlock(&pdev)) {
    state.SkipWithError("no block buffer");
    return;
  }
  DWORD written = 0;
  SpoolWrite(&pdev, bytes.data(), lead, &written);
  for (auto _ : state) {
    if (!SpoolWrite(&pdev, bytes.data(), size, &written)) {
      state.SkipWithError("SpoolWrite failed");
      break;
    }
    benchmark::DoNotOptimize(written);
  }
  SpoolFlush(&pdev);
  SpoolFreeBuffers(&pdev);
  CloseHandle(pdev.hPrinter);
  kw::hooks::SpoolerResetHooks();
  state.SetBytesProcessed(int64_t(state.iterations()) * size);
}

void BM_Memcpy(benchmark::State& state) {
  const size_t size = size_t(state.range(0));
  std::vector<BYTE> bytes(size, 0x5A);
  std::vector<BYTE> block(kSpoolBlockSize);
  size_t fill = 0;
  // The C library's memcpy, as the stream calls it, not an inlined copy.
  void* (*volatile copy)(void*, const void*, size_t) = &std::memcpy;
  for (auto _ : state) {
    if (fill + size > block.size()) fill = 0;
    copy(block.data() + fill, bytes.data(), size);
    fill += size;
    benchmark::ClobberMemory();
  }
  benchmark::DoNotOptimize(block.data());
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

BENCHMARK(BM_SpoolWrite)->Args({8, 0})->Args({64, 0})->Args({4096, 0})->Args({4096, 1});
BENCHMARK(BM_Memcpy)->Arg(8)->Arg(64)->Arg(4096);

}  // namespace
