#include <gtest/gtest.h>

#include "kw/hooks_memory.h"
#include "render/core/check_abort.h"
#include "tests/render/stream_fixture.h"

using kadu_test::Pattern;
using kadu_test::StreamFixture;

namespace {

class SpoolStream : public StreamFixture {};

TEST_F(SpoolStream, BlockBoundaries) {
  struct Case {
    std::vector<size_t> writes;
    std::vector<DWORD> calls;  // WritePrinter sizes before the flush
    DWORD held;                // bytes left in the block
  };
  const Case cases[] = {
      {{4095}, {}, 4095},
      {{4095, 1}, {4096}, 0},
      {{4096}, {4096}, 0},
      {{5000}, {4096}, 904},
      {{10000}, {4096, 4096}, 1808},
      {{100, 4096}, {4096}, 100},
      {{1, 1, 4094}, {4096}, 0},
      {{4000, 4000, 4000}, {4096, 4096}, 3808},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.writes));
    TearDown();
    SetUp();
    std::string all;
    for (size_t n : c.writes) {
      std::string bytes = Pattern(n, unsigned(all.size()));
      ASSERT_TRUE(Write(bytes));
      all += bytes;
    }
    EXPECT_EQ(CallSizes(), c.calls);
    EXPECT_EQ(pdev_.stream.blockCount, c.held);
    EXPECT_EQ(Flushed(), all);
    EXPECT_EQ(pdev_.stream.blockCount, 0u);
  }
}

TEST_F(SpoolStream, FlushOfAnEmptyBlockWritesNothing) {
  EXPECT_TRUE(SpoolFlush(&pdev_));
  EXPECT_TRUE(CallSizes().empty());
}

TEST_F(SpoolStream, ZeroCountSucceedsEvenWithoutBytes) {
  DWORD written = 7;
  EXPECT_TRUE(SpoolWrite(&pdev_, nullptr, 0, &written));
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(Flushed(), "");
  EXPECT_TRUE(CallSizes().empty());
}

TEST_F(SpoolStream, BadArgumentsFailWithoutTouchingTheStream) {
  ASSERT_TRUE(Write("ab"));
  for (bool staged : {false, true}) {
    SCOPED_TRACE(staged);
    if (staged) {
      SpoolSetStagingLimit(&pdev_, 64);
      ASSERT_TRUE(SpoolStartStaging(&pdev_));
    }
    DWORD written = 9;
    EXPECT_FALSE(SpoolWrite(&pdev_, nullptr, 5, &written));
    EXPECT_EQ(written, 0u);
    written = 9;
    EXPECT_FALSE(SpoolWrite(&pdev_, "xyz", -1, &written));
    EXPECT_EQ(written, 0u);
    EXPECT_FALSE(SpoolWrite(&pdev_, "xyz", 3, nullptr));
    EXPECT_FALSE(SpoolWrite(&pdev_, "xyz", 0, nullptr));
    EXPECT_FALSE(SpoolWrite(nullptr, "xyz", 3, &written));
  }
  EXPECT_EQ(pdev_.flags & PDEV_WRITE_ERROR, 0u);
  EXPECT_EQ(Flushed(), "ab");
}

TEST_F(SpoolStream, WritingWithoutDocumentBuffersFails) {
  SpoolFreeBuffers(&pdev_);
  DWORD written = 0;
  EXPECT_FALSE(SpoolWrite(&pdev_, "x", 1, &written));
  EXPECT_FALSE(SpoolWrite(&pdev_, Pattern(5000).data(), 5000, &written));
  EXPECT_TRUE(SpoolFlush(&pdev_));
  EXPECT_TRUE(CallSizes().empty());
}

TEST_F(SpoolStream, FailedWritePrinterIsStickyForEveryLaterWrite) {
  ASSERT_TRUE(Write(Pattern(4000)));
  kw::hooks::SpoolerFailWritesFrom(1);
  EXPECT_FALSE(Write(Pattern(200)));
  EXPECT_NE(pdev_.flags & PDEV_WRITE_ERROR, 0u);
  ASSERT_EQ(kw::hooks::SpoolerWriteCallCount(), 1u);
  EXPECT_FALSE(kw::hooks::SpoolerWriteCalls()[0].result);

  kw::hooks::SpoolerFailWritesFrom(0);  // the port works again; the PDEV stays failed
  DWORD written = 0;
  EXPECT_FALSE(Write("x"));
  EXPECT_FALSE(Write(Pattern(4096)));
  EXPECT_FALSE(SpoolWrite(&pdev_, nullptr, 0, &written));
  EXPECT_FALSE(SpoolFlush(&pdev_));
  EXPECT_FALSE(CheckAbort(&pdev_, nullptr));
  SpoolSetStagingLimit(&pdev_, 64);
  ASSERT_TRUE(SpoolStartStaging(&pdev_));
  EXPECT_FALSE(Write("y"));
  EXPECT_FALSE(SpoolFlush(&pdev_));
  EXPECT_EQ(kw::hooks::SpoolerWriteCallCount(), 1u);
  EXPECT_EQ(Sent(), "");
}

TEST_F(SpoolStream, FailedFlushIsSticky) {
  ASSERT_TRUE(Write("abc"));
  kw::hooks::SpoolerFailWritesFrom(1);
  EXPECT_FALSE(SpoolFlush(&pdev_));
  kw::hooks::SpoolerFailWritesFrom(0);
  EXPECT_FALSE(Write("d"));
  EXPECT_FALSE(SpoolFlush(&pdev_));
  EXPECT_EQ(kw::hooks::SpoolerWriteCallCount(), 1u);
}

TEST_F(SpoolStream, WriteErrorInTheMiddleOfALargeWrite) {
  kw::hooks::SpoolerFailWritesFrom(2);
  EXPECT_FALSE(Write(Pattern(12000)));
  EXPECT_EQ(CallSizes(), (std::vector<DWORD>{4096, 4096}));
  EXPECT_EQ(Sent(), Pattern(12000).substr(0, 4096));
}

// --- staging ---

class Staging : public StreamFixture {
 protected:
  void Stage(DWORD memoryKB, DWORD dpi) {
    pdev_.yResolution = dpi;
    SpoolSetStagingLimit(&pdev_, memoryKB);
    ASSERT_TRUE(SpoolStartStaging(&pdev_));
  }
};

TEST_F(Staging, BufferIsLimitPlusATenthPlus1024) {
  Stage(2, 600);
  EXPECT_EQ(pdev_.stream.stagingLimit, 2048u);
  EXPECT_EQ(pdev_.stream.stagingSize, 2048u + 204u + 1024u);
  EXPECT_NE(pdev_.flags & PDEV_STAGING, 0u);
}

TEST_F(Staging, HoldsThePageUntilFlush) {
  Stage(16, 600);
  std::string page = Pattern(9000);
  ASSERT_TRUE(Write(page));
  EXPECT_TRUE(CallSizes().empty());
  EXPECT_EQ(Flushed(), page);
  EXPECT_EQ(CallSizes(), (std::vector<DWORD>{4096, 4096, 808}));
  EXPECT_EQ(pdev_.stream.stagingCount, 0u);
}

TEST_F(Staging, OverflowAt600DpiFailsWithoutWritingOrErrorFlag) {
  Stage(1, 600);  // limit 1024
  ASSERT_TRUE(Write(Pattern(1000)));
  EXPECT_TRUE(Write(Pattern(23)));  // 1023 < 1024 still fits
  EXPECT_FALSE(Write("x"));         // 1024 does not
  EXPECT_EQ(pdev_.stream.stagingCount, 1023u);
  EXPECT_EQ(pdev_.stream.blockCount, 0u);
  EXPECT_EQ(pdev_.flags & PDEV_WRITE_ERROR, 0u);
  EXPECT_TRUE(CallSizes().empty());

  // The page code throws the page away and renders it again.
  SpoolDiscardPage(&pdev_);
  EXPECT_EQ(pdev_.stream.stagingCount, 0u);
  ASSERT_TRUE(Write("again"));
  EXPECT_EQ(Flushed(), "again");
}

TEST_F(Staging, OverflowAt1200DpiFailsToo) {
  Stage(1, 1200);
  EXPECT_FALSE(Write(Pattern(1024)));
  EXPECT_TRUE(CallSizes().empty());
}

TEST_F(Staging, Below600DpiWritesStagedBytesThroughAndGoesOn) {
  Stage(4, 300);  // limit 4096
  std::string all;
  for (unsigned i = 0; i < 5; ++i) {
    std::string chunk = Pattern(1500, i);
    ASSERT_TRUE(Write(chunk));
    all += chunk;
  }
  // 1500 and 3000 stay; the third write drains 3000 into the block and stages
  // 1500; the fifth drains 3000 more, which fills the block once.
  EXPECT_EQ(CallSizes(), (std::vector<DWORD>{4096}));
  EXPECT_EQ(pdev_.stream.stagingCount, 1500u);
  EXPECT_EQ(Flushed(), all);
}

TEST_F(Staging, WriteLargerThanTheWholeLimitBelow600GoesStraightThrough) {
  Stage(1, 300);  // limit 1024
  std::string head = Pattern(500, 1), big = Pattern(5000, 2), tail = Pattern(10, 3);
  ASSERT_TRUE(Write(head));
  ASSERT_TRUE(Write(big));
  EXPECT_EQ(pdev_.stream.stagingCount, 0u);
  EXPECT_EQ(CallSizes(), (std::vector<DWORD>{4096}));
  ASSERT_TRUE(Write(tail));
  EXPECT_EQ(Flushed(), head + big + tail);
}

TEST_F(Staging, WriteThroughReportsAFailedWritePrinter) {
  Stage(1, 300);
  kw::hooks::SpoolerFailWritesFrom(1);
  EXPECT_FALSE(Write(Pattern(5000)));
  EXPECT_NE(pdev_.flags & PDEV_WRITE_ERROR, 0u);
}

TEST_F(Staging, NoMemorySizeMeansNoStaging) {
  SpoolSetStagingLimit(&pdev_, 0);
  uint64_t before = kw::hooks::MemoryAllocationCount();
  EXPECT_FALSE(SpoolStartStaging(&pdev_));
  EXPECT_EQ(kw::hooks::MemoryAllocationCount(), before);
  EXPECT_EQ(pdev_.flags & PDEV_STAGING, 0u);
  ASSERT_TRUE(Write(Pattern(5000)));
  EXPECT_EQ(CallSizes(), (std::vector<DWORD>{4096}));
}

TEST_F(Staging, SizesThatDoNotFit32BitsAreRefusedNotWrapped) {
  // 3.75 GB: the buffer size wraps to 128 MB in 32 bits. 4 GB: the limit
  // itself wraps to 0.
  for (DWORD kb : {DWORD(0x3C0000), DWORD(0x400000), DWORD(0xFFFFFFFF)}) {
    SCOPED_TRACE(kb);
    SpoolSetStagingLimit(&pdev_, kb);
    EXPECT_EQ(pdev_.stream.stagingLimit, ULONGLONG(kb) * 1024);
    uint64_t before = kw::hooks::MemoryAllocationCount();
    EXPECT_FALSE(SpoolStartStaging(&pdev_));
    EXPECT_EQ(kw::hooks::MemoryAllocationCount(), before);
    EXPECT_EQ(pdev_.flags & PDEV_STAGING, 0u);
    EXPECT_EQ(pdev_.stream.staging, nullptr);
  }
}

TEST_F(Staging, AllocationFailureLeavesStagingOff) {
  SpoolSetStagingLimit(&pdev_, 8);
  kw::hooks::MemoryFailAt(1);
  EXPECT_FALSE(SpoolStartStaging(&pdev_));
  kw::hooks::MemoryFailAt(0);
  EXPECT_EQ(pdev_.flags & PDEV_STAGING, 0u);
  ASSERT_TRUE(Write("plain"));
  EXPECT_EQ(Flushed(), "plain");
}

TEST_F(Staging, DiscardEmptiesBothBuffersAndWritesNothing) {
  ASSERT_TRUE(Write("kept in block"));
  Stage(4, 600);
  ASSERT_TRUE(Write("staged"));
  SpoolDiscardPage(&pdev_);
  EXPECT_EQ(pdev_.stream.blockCount, 0u);
  EXPECT_EQ(pdev_.stream.stagingCount, 0u);
  EXPECT_EQ(Flushed(), "");
  EXPECT_TRUE(CallSizes().empty());
}

TEST_F(Staging, FreeingTheBuffersTurnsStagingOff) {
  Stage(4, 600);
  SpoolFreeBuffers(&pdev_);
  EXPECT_EQ(pdev_.flags & PDEV_STAGING, 0u);
  EXPECT_FALSE(Write("x"));
}

// --- abort check ---

TEST_F(SpoolStream, CheckAbortPassesWhileTheJobRuns) {
  uint64_t calls = kw::hooks::EngineCheckAbortCalls();
  EXPECT_TRUE(CheckAbort(&pdev_, nullptr));
  EXPECT_EQ(kw::hooks::EngineCheckAbortCalls(), calls + 1);
  EXPECT_EQ(Flushed(), "");
}

TEST_F(SpoolStream, CancelledJobWritesPrinterResetAndStops) {
  ASSERT_TRUE(Write("\x1B*b5M"));
  kw::hooks::EngineSetAbort(true);
  EXPECT_FALSE(CheckAbort(&pdev_, nullptr));
  EXPECT_EQ(Flushed(), "\x1B*b5M\x1B" "E");
  EXPECT_EQ(pdev_.flags & PDEV_WRITE_ERROR, 0u);
}

TEST_F(SpoolStream, CheckAbortAfterWriteErrorAsksNobody) {
  kw::hooks::SpoolerFailWritesFrom(1);
  ASSERT_FALSE(Write(Pattern(4096)));
  kw::hooks::EngineSetAbort(true);
  uint64_t calls = kw::hooks::EngineCheckAbortCalls();
  EXPECT_FALSE(CheckAbort(&pdev_, nullptr));
  EXPECT_EQ(kw::hooks::EngineCheckAbortCalls(), calls);
  EXPECT_EQ(kw::hooks::SpoolerWriteCallCount(), 1u);
}

}  // namespace
