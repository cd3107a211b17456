// DrvResetPDEV: the job moves to the new PDEV and every buffer is freed by
// exactly one of the two (the sanitizer build catches a double free or leak).
#include <cstring>

#include "kw/hooks_memory.h"
#include "render/core/band_bitmap.h"
#include "render/core/hook_impl.h"
#include "render/core/pdev_reset.h"
#include "tests/render/pdev_fixture.h"

namespace kadu_test {
namespace {

BYTE* HeapBytes(size_t n, BYTE fill) {
  auto* p = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, n));
  std::memset(p, fill, n);
  return p;
}

class PdevReset : public PdevWorld {
 protected:
  void SetUp() override {
    PdevWorld::SetUp();
    h_ = Open(kDesk);
  }
  void TearDown() override {
    ClosePrinter(h_);
    PdevWorld::TearDown();
  }
  PDEV* Make(short duplex, short paper = 0) {
    kadu::DriverDevmode dm = WithMode(kDesk, true);
    dm.dm.dmDuplex = duplex;
    if (paper) dm.dm.dmPaperSize = paper;
    EnabledPdev e = Enable(kDesk, &dm, h_);
    EXPECT_NE(e.pdev, nullptr);
    return e.pdev;
  }
  static DHPDEV D(PDEV* p) { return reinterpret_cast<DHPDEV>(p); }
  // An old PDEV in the middle of a job with job buffers attached.
  static void StartJob(PDEV* p, DWORD pages) {
    p->flags |= PDEV_DOC_STARTED | PDEV_HEADER_SENT | PDEV_PAGE_OPEN;
    p->pageCount = pages;
    p->jobName = reinterpret_cast<WCHAR*>(HeapBytes(16, 0));
    p->jobData = HeapBytes(40, 0x5A);
    p->jobDataBytes = 40;
    p->fontTables = HeapBytes(64, 0x33);
    p->fontCount = 3;
  }
  HANDLE h_ = nullptr;
};

TEST_F(PdevReset, BuffersMoveAndAreFreedOnce) {
  size_t live = kw::hooks::MemoryLiveBlocks();
  PDEV* oldPdev = Make(DMDUP_SIMPLEX);
  PDEV* newPdev = Make(DMDUP_SIMPLEX);
  StartJob(oldPdev, 3);
  BYTE* data = oldPdev->jobData;
  BYTE* fonts = oldPdev->fontTables;
  ASSERT_TRUE(ImplResetPDEV(D(oldPdev), D(newPdev)));
  EXPECT_EQ(newPdev->jobData, data);
  EXPECT_EQ(newPdev->jobDataBytes, 40u);
  EXPECT_EQ(newPdev->fontTables, fonts);
  EXPECT_EQ(newPdev->fontCount, 3u);
  EXPECT_EQ(oldPdev->jobData, nullptr);
  EXPECT_EQ(oldPdev->fontTables, nullptr);
  EXPECT_EQ(oldPdev->jobName, nullptr);
  EXPECT_NE(newPdev->jobName, nullptr);
  EXPECT_EQ(newPdev->pageCount, 3u);
  EXPECT_NE(newPdev->flags & PDEV_PRINTER_HAS_SETUP, 0u);
  EXPECT_EQ(newPdev->flags & (PDEV_CONTINUES_JOB | PDEV_DOC_STARTED | PDEV_HEADER_SENT | PDEV_PAGE_OPEN),
            DWORD(PDEV_CONTINUES_JOB | PDEV_DOC_STARTED | PDEV_HEADER_SENT | PDEV_PAGE_OPEN));
  ImplDisablePDEV(D(oldPdev));
  ImplDisablePDEV(D(newPdev));
  EXPECT_EQ(kw::hooks::MemoryLiveBlocks(), live);
}

TEST_F(PdevReset, SimplexToDuplexAfterOddPageStartsANewSheet) {
  PDEV* oldPdev = Make(DMDUP_SIMPLEX);
  PDEV* newPdev = Make(DMDUP_VERTICAL);
  StartJob(oldPdev, 3);
  ASSERT_TRUE(ImplResetPDEV(D(oldPdev), D(newPdev)));
  EXPECT_EQ(newPdev->pageCount, 4u);
  EXPECT_EQ(newPdev->flags & PDEV_PRINTER_HAS_SETUP, 0u);
  ImplDisablePDEV(D(oldPdev));
  ImplDisablePDEV(D(newPdev));
}

TEST_F(PdevReset, BandMemoryHasOneOwner) {
  size_t live = kw::hooks::MemoryLiveBlocks();
  PDEV* oldPdev = Make(DMDUP_SIMPLEX);
  PDEV* newPdev = Make(DMDUP_SIMPLEX);
  ASSERT_TRUE(AllocateBandBitmap(&oldPdev->band, SIZEL{64, 64}, false, false));
  ASSERT_TRUE(AllocateBandBitmap(&newPdev->band, SIZEL{64, 64}, false, false));
  BYTE* bits = oldPdev->band.bits;
  HandOverBandMemory(oldPdev, newPdev);
  EXPECT_EQ(newPdev->band.bits, bits);
  EXPECT_TRUE(newPdev->bandReceived);
  EXPECT_NE(oldPdev->flags & PDEV_BAND_MEMORY_HANDED_OVER, 0u);
  ImplDisableSurface(D(oldPdev));
  ImplDisablePDEV(D(oldPdev));
  ImplDisablePDEV(D(newPdev));
  EXPECT_EQ(kw::hooks::MemoryLiveBlocks(), live);
}

TEST_F(PdevReset, InvalidPdevsRefused) {
  PDEV* p = Make(DMDUP_SIMPLEX);
  EXPECT_FALSE(ImplResetPDEV(D(p), nullptr));
  EXPECT_FALSE(ImplResetPDEV(nullptr, D(p)));
  EXPECT_FALSE(ImplResetPDEV(D(p), D(p)));
  ImplDisablePDEV(D(p));
}

}  // namespace
}  // namespace kadu_test

namespace kadu_test {
namespace {

TEST_F(PdevReset, EscapeStoresAndJobDataMoveWithTheJob) {
  size_t live = kw::hooks::MemoryLiveBlocks();
  PDEV* oldPdev = Make(DMDUP_SIMPLEX);
  PDEV* newPdev = Make(DMDUP_SIMPLEX);
  StartJob(oldPdev, 1);
  SURFOBJ so{};
  so.dhpdev = D(oldPdev);
  BYTE block[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  ASSERT_EQ(ImplEscape(&so, 11011, sizeof(block), block, 0, nullptr), 1u);
  char name[] = "Quarterly";
  ASSERT_EQ(ImplEscape(&so, 11000, ULONG(std::strlen(name)), name, 0, nullptr), 1u);
  DWORD copies = 5;
  ASSERT_EQ(ImplEscape(&so, 17, sizeof(copies), &copies, 0, nullptr), 1u);
  BYTE* stored = oldPdev->escapes.blocks[kDataBlock1].bytes;
  ASSERT_TRUE(ImplResetPDEV(D(oldPdev), D(newPdev)));
  EXPECT_EQ(newPdev->escapes.blocks[kDataBlock1].bytes, stored);
  EXPECT_EQ(oldPdev->escapes.blocks[kDataBlock1].bytes, nullptr);
  EXPECT_STREQ(newPdev->storedJobName, "Quarterly");
  EXPECT_EQ(newPdev->copyCount, 5u);
  ImplDisablePDEV(D(oldPdev));
  ImplDisablePDEV(D(newPdev));
  EXPECT_EQ(kw::hooks::MemoryLiveBlocks(), live);
}

}  // namespace
}  // namespace kadu_test
