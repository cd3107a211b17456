// DrvEscape: what each escape takes, stores and answers.
#include <cstring>

#include "kw/hooks_memory.h"
#include "render/core/hook_impl.h"
#include "tests/render/pjl_fixture.h"

namespace kadu_test {
namespace {

class DriverEscape : public PjlJobFixture {
 protected:
  void SetUp() override {
    PjlJobFixture::SetUp();
    NewPdev(kDesk, kDeskDriver);
    so_.dhpdev = reinterpret_cast<DHPDEV>(pdev_.get());
  }
  void TearDown() override {
    EscapeStoresRelease(pdev_.get());
    PjlJobFixture::TearDown();
  }
  ULONG Esc(ULONG esc, ULONG cjIn = 0, const void* in = nullptr, ULONG cjOut = 0, void* out = nullptr) {
    return ImplEscape(&so_, esc, cjIn, const_cast<void*>(in), cjOut, out);
  }
  ULONG Query(WORD esc) { return Esc(QUERYESCSUPPORT, sizeof(esc), &esc); }
  SURFOBJ so_{};
};

TEST_F(DriverEscape, QuerySupportFollowsTheList) {
  EXPECT_EQ(Query(11102), 1u);
  EXPECT_EQ(Query(17), 1u);
  EXPECT_EQ(Query(20300), 0u);
  EXPECT_EQ(Query(11020), 1u);
  EXPECT_EQ(Esc(11020), 0u);
  EXPECT_EQ(Esc(20300), 0u);
}

TEST_F(DriverEscape, CopyCountIsLimitedAndReported) {
  struct Case { LONG in; DWORD kept; } cases[] = {{0, 1}, {150, 99}, {7, 7}, {-3, 1}};
  for (const Case& c : cases) {
    DWORD used = 0;
    EXPECT_EQ(Esc(17, sizeof(c.in), &c.in, sizeof(used), &used), 1u);
    EXPECT_EQ(pdev_->copyCount, c.kept) << c.in;
    EXPECT_EQ(used, c.kept);
  }
  EXPECT_EQ(Esc(17), 0u);
}

TEST_F(DriverEscape, PassThroughNeedsTheWholeCount) {
  BYTE buf[6] = {4, 0, 'a', 'b', 'c', 'd'};
  EXPECT_EQ(Esc(19, 5, buf), 0u);
  EXPECT_EQ(Flushed(), "");
  EXPECT_EQ(Esc(19, 6, buf), 1u);
  EXPECT_EQ(Flushed(), "abcd");
}

TEST_F(DriverEscape, BlocksAreCopiedAndCounted) {
  std::vector<BYTE> table(150, 0x11);
  EXPECT_EQ(Esc(10100, ULONG(table.size()), table.data()), 1u);
  EXPECT_EQ(pdev_->escapes.fontSubstitutionEntries, 2u);
  EXPECT_EQ(pdev_->escapes.blocks[kFontSubstitution].size, 150u);
  EXPECT_EQ(Esc(10100, 0, table.data()), 0u);
  EXPECT_EQ(pdev_->escapes.blocks[kFontSubstitution].size, 150u);  // kept
  // 11103 empties its store first, even without input.
  EXPECT_EQ(Esc(11103, 3, "abc"), 1u);
  EXPECT_EQ(Esc(11103), 0u);
  EXPECT_EQ(pdev_->escapes.blocks[kDataBlock3].bytes, nullptr);
}

TEST_F(DriverEscape, JobDataIsBoundedAndTerminated) {
  std::string longName(400, 'N');
  EXPECT_EQ(Esc(11000, ULONG(longName.size()), longName.data()), 1u);
  EXPECT_EQ(std::strlen(pdev_->storedJobName), kStoredJobNameSize - 1);
  std::string header(3000, 'H');
  EXPECT_EQ(Esc(11050, ULONG(header.size()), header.data()), 1u);
  EXPECT_EQ(pdev_->jobHeaderBlockSize, kJobHeaderBlockSize);
  EXPECT_EQ(Esc(11050), 0u);
  EXPECT_EQ(pdev_->jobHeaderBlockSize, 0u);
  OSVERSIONINFOA os{};
  os.dwMajorVersion = 10;
  EXPECT_EQ(Esc(10200, 100, &os), 0u);
  EXPECT_EQ(Esc(10200, sizeof(os), &os), 1u);
  EXPECT_EQ(pdev_->osVersion.dwMajorVersion, 10u);
}

TEST_F(DriverEscape, AFifthOverlayIsRefused) {
  BYTE rec[140] = {};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Esc(11010, sizeof(rec), rec), 1u);
  EXPECT_EQ(Esc(11010, sizeof(rec), rec), 0u);
  EXPECT_EQ(pdev_->escapes.overlayCount, 4u);
}

TEST_F(DriverEscape, WatermarkTextStoredAndFlagsReturned) {
  pdev_->devmode.priv.wWatermarkFlags = 0x3;
  const char16_t text[] = u"DRAFT";
  EXPECT_EQ(Esc(11102, sizeof(text), text), 3u);
  EXPECT_EQ(std::u16string(pdev_->devmode.priv.szWatermarkText), u"DRAFT");
  BYTE rec[488] = {};
  pdev_->devmode.priv.wWatermarkX = -5;
  EXPECT_EQ(Esc(11102, 0, nullptr, sizeof(rec), rec), 3u);
  int32_t x;
  std::memcpy(&x, rec + 16, 4);
  EXPECT_EQ(x, -5);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(rec + 280)), u"DRAFT");
}

TEST_F(DriverEscape, ValueEscapesTakeTheSize) {
  EXPECT_EQ(Esc(11100, 1), 1u);
  EXPECT_EQ(pdev_->escapes.paperUnit, 1u);
  EXPECT_EQ(Esc(11101, 0x10001), 1u);
  EXPECT_EQ(pdev_->devmode.priv.wUserDefPaper, 1u);
  pdev_->page.jobId = 42;
  DWORD number = 0;
  EXPECT_EQ(Esc(11023, 0, nullptr, 2, &number), 0u);
  EXPECT_EQ(Esc(11023, 0, nullptr, sizeof(number), &number), 1u);
  EXPECT_EQ(number, 42u);
}

TEST_F(DriverEscape, InvalidPdevAnswersNothing) {
  SURFOBJ bad{};
  WORD q = 17;
  EXPECT_EQ(ImplEscape(&bad, QUERYESCSUPPORT, sizeof(q), &q, 0, nullptr), 1u);
  EXPECT_EQ(ImplEscape(&bad, 10000, 0, nullptr, 0, nullptr), 0u);
}

}  // namespace
}  // namespace kadu_test
