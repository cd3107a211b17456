// A PDEV for a job of a shipped model: the printer's default settings, the
// model's record and an output stream bound to a memory printer.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "common/model_store.h"
#include "kw/hooks_engine.h"
#include "kw/hooks_spooler.h"
#include "render/core/escape_writer.h"
#include "render/core/pdev.h"
#include "render/core/spool_stream.h"
#include "tests/devmode/devmode_fixture.h"

namespace kadu_test {

class PjlJobFixture : public DevmodeWorld {
 protected:
  void SetUp() override {
    DevmodeWorld::SetUp();
    kw::hooks::SpoolerResetHooks();
    kw::hooks::EngineSetAbort(false);
  }
  void TearDown() override {
    if (pdev_) {
      SpoolFreeBuffers(pdev_.get());
      CloseHandle(pdev_->hPrinter);
    }
    kw::hooks::SpoolerResetHooks();
    DevmodeWorld::TearDown();
  }

  // A fresh PDEV for `printer` of model `driver` at 600 dpi.
  PDEV& NewPdev(const char16_t* printer, const char16_t* driver) {
    if (pdev_) {
      SpoolFreeBuffers(pdev_.get());
      CloseHandle(pdev_->hPrinter);
    }
    pdev_ = std::make_unique<PDEV>();
    PDEV& p = *pdev_;
    p.signature1 = p.signature2 = kPdevSignature;
    p.hPrinter = kw::hooks::SpoolerOpenMemoryPrinter();
    p.yResolution = 600;
    p.resolution = 600;
    SpoolInit(&p);
    ResetEscapeCombining(&p);
    EXPECT_TRUE(SpoolAllocBlock(&p));
    p.devmode = Default(printer);
    p.model = kadu::FindModelRecord(driver);
    EXPECT_NE(p.model, nullptr);
    return p;
  }

  std::string Flushed() {
    EXPECT_TRUE(SpoolFlush(pdev_.get()));
    return kw::hooks::SpoolerPrinterBytes(pdev_->hPrinter);
  }

  std::unique_ptr<PDEV> pdev_;
};

}  // namespace kadu_test
