// A PDEV with its output stream bound to a memory printer, as a document
// start leaves it: block buffer allocated, no staging, last escape final.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kw/hooks_engine.h"
#include "kw/hooks_spooler.h"
#include "render/core/escape_writer.h"
#include "render/core/pdev.h"
#include "render/core/spool_stream.h"

namespace kadu_test {

class StreamFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    kw::hooks::SpoolerResetHooks();
    kw::hooks::EngineSetAbort(false);
    pdev_.signature1 = pdev_.signature2 = kPdevSignature;
    pdev_.hPrinter = kw::hooks::SpoolerOpenMemoryPrinter();
    pdev_.yResolution = 600;
    SpoolInit(&pdev_);
    ResetEscapeCombining(&pdev_);
    ASSERT_TRUE(SpoolAllocBlock(&pdev_));
  }
  void TearDown() override {
    SpoolFreeBuffers(&pdev_);
    CloseHandle(pdev_.hPrinter);
    kw::hooks::SpoolerResetHooks();
    kw::hooks::EngineSetAbort(false);
  }

  BOOL Write(const std::string& bytes) {
    DWORD written = 0xDEAD;
    BOOL ok = SpoolWrite(&pdev_, bytes.data(), INT(bytes.size()), &written);
    EXPECT_EQ(written, ok ? DWORD(bytes.size()) : 0u);
    return ok;
  }
  // Sizes of the WritePrinter calls so far.
  static std::vector<DWORD> CallSizes() {
    std::vector<DWORD> sizes;
    for (const auto& c : kw::hooks::SpoolerWriteCalls()) sizes.push_back(c.size);
    return sizes;
  }
  // What the printer has received so far.
  std::string Sent() const { return kw::hooks::SpoolerPrinterBytes(pdev_.hPrinter); }
  // Everything written, after a flush.
  std::string Flushed() {
    EXPECT_TRUE(SpoolFlush(&pdev_));
    return Sent();
  }

  PDEV pdev_{};
};

// `n` bytes of a pattern that shows misplaced or reordered bytes.
inline std::string Pattern(size_t n, unsigned seed = 0) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = char((i * 131 + seed * 17 + (i >> 8)) & 0xFF);
  return s;
}

}  // namespace kadu_test
