// A PDEV with its output bound to a memory printer and its HP-GL/2 and PCL
// state as a new PDEV has it: 600 dpi, monochrome, a page 7016 pixels high,
// PCL context, every cache unknown. Out() returns what was written since the
// last call.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "kw/hooks_engine.h"
#include "kw/hooks_memory.h"
#include "kw/hooks_spooler.h"
#include "render/core/escape_writer.h"
#include "render/core/pdev.h"
#include "render/core/spool_stream.h"
#include "render/vector/gl2_state.h"
#include "render/vector/pcl_state.h"
#include "render/vector/vector_device.h"
#include "tests/support/printer_job_parser.h"

namespace kadu_test {

constexpr LONG kPageHeight = 7016;

class VectorFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    kw::hooks::SpoolerResetHooks();
    kw::hooks::MemoryFailAt(0);
    pdev_.signature1 = pdev_.signature2 = kPdevSignature;
    pdev_.hPrinter = kw::hooks::SpoolerOpenMemoryPrinter();
    pdev_.yResolution = 600;
    SpoolInit(&pdev_);
    ResetEscapeCombining(&pdev_);
    ASSERT_TRUE(SpoolAllocBlock(&pdev_));
    Gl2StateInit(&pdev_);
    PclStateInit(&pdev_);
    VectorSetDevice(&pdev_, 600, FALSE, FALSE);
    VectorSetPageHeight(&pdev_, kPageHeight);
  }
  void TearDown() override {
    kw::hooks::MemoryFailAt(0);
    Gl2StateRelease(&pdev_);
    SpoolFreeBuffers(&pdev_);
    CloseHandle(pdev_.hPrinter);
    kw::hooks::SpoolerResetHooks();
  }

  // Everything written since the last call.
  std::string Out() {
    EXPECT_TRUE(SpoolFlush(&pdev_));
    std::string all = kw::hooks::SpoolerPrinterBytes(pdev_.hPrinter);
    std::string fresh = all.substr(seen_);
    seen_ = all.size();
    return fresh;
  }
  // Everything written so far.
  std::string All() {
    EXPECT_TRUE(SpoolFlush(&pdev_));
    seen_ = kw::hooks::SpoolerPrinterBytes(pdev_.hPrinter).size();
    return kw::hooks::SpoolerPrinterBytes(pdev_.hPrinter);
  }
  // The whole stream so far, closed back to PCL, must parse without problems.
  void ExpectWellFormed() {
    std::string bytes = All();
    if (pdev_.gl2.inGL2) bytes += "\x1B%0A";
    JobParse parse = ParseJob(bytes);
    EXPECT_TRUE(parse.Clean()) << parse.ProblemText();
  }

  PDEV pdev_{};
  size_t seen_ = 0;
};

// Readable expected bytes: "\e" stands for ESC.
inline std::string E(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'e') {
      out += '\x1B';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace kadu_test
