#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "kw/handle_table.h"
#include "kw/hooks_spooler.h"
#include "tests/support/world_fixture.h"
#include "windows.h"

namespace {

using kw::hooks::SpoolerRecordMode;

class Spooler : public kadu_test::WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    kw::hooks::SpoolerResetHooks();
  }
  void TearDown() override {
    kw::hooks::SpoolerResetHooks();
    WorldFixture::TearDown();
  }
  static BOOL Write(HANDLE printer, const std::string& bytes, DWORD* taken = nullptr) {
    DWORD n = 0xFFFF;
    BOOL ok = WritePrinter(printer, const_cast<char*>(bytes.data()), DWORD(bytes.size()), &n);
    if (taken) *taken = n;
    return ok;
  }
};

TEST_F(Spooler, MemoryPrinterKeepsBytesAndEveryCallIsRecorded) {
  HANDLE p = kw::hooks::SpoolerOpenMemoryPrinter();
  DWORD taken = 0;
  ASSERT_TRUE(Write(p, "\x1B" "E", &taken));
  EXPECT_EQ(taken, 2u);
  ASSERT_TRUE(Write(p, ""));
  ASSERT_TRUE(Write(p, "@PJL\r\n"));
  EXPECT_EQ(kw::hooks::SpoolerPrinterBytes(p), "\x1B" "E@PJL\r\n");
  auto calls = kw::hooks::SpoolerWriteCalls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].printer, p);
  EXPECT_EQ(calls[0].size, 2u);
  EXPECT_EQ(calls[0].bytes, "\x1B" "E");
  EXPECT_EQ(calls[1].size, 0u);
  EXPECT_EQ(calls[2].bytes, "@PJL\r\n");
  EXPECT_TRUE(calls[2].result);
  EXPECT_TRUE(CloseHandle(p));
  EXPECT_FALSE(Write(p, "x"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST_F(Spooler, FilePrinterWritesTheJobToAHostFile) {
  std::string path = world_ + "/job.prn";
  HANDLE p = kw::hooks::SpoolerOpenFilePrinter(path);
  ASSERT_NE(p, nullptr);
  ASSERT_TRUE(Write(p, "one "));
  ASSERT_TRUE(Write(p, "two"));
  std::ifstream in(path, std::ios::binary);
  std::stringstream got;
  got << in.rdbuf();
  EXPECT_EQ(got.str(), "one two");
  EXPECT_TRUE(CloseHandle(p));
  EXPECT_EQ(kw::hooks::SpoolerOpenFilePrinter(world_ + "/no/such/dir/job.prn"), nullptr);
}

TEST_F(Spooler, FailsFromTheNthCallOn) {
  HANDLE p = kw::hooks::SpoolerOpenMemoryPrinter();
  ASSERT_TRUE(Write(p, "before"));
  kw::hooks::SpoolerFailWritesFrom(2, ERROR_PRINT_CANCELLED);
  DWORD taken = 0;
  EXPECT_TRUE(Write(p, "a", &taken));
  EXPECT_FALSE(Write(p, "b", &taken));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PRINT_CANCELLED));
  EXPECT_EQ(taken, 0u);
  EXPECT_FALSE(Write(p, "c"));
  EXPECT_EQ(kw::hooks::SpoolerPrinterBytes(p), "beforea");
  auto calls = kw::hooks::SpoolerWriteCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_FALSE(calls[2].result);
  EXPECT_EQ(calls[2].bytes, "b");
  kw::hooks::SpoolerFailWritesFrom(0);
  EXPECT_TRUE(Write(p, "d"));
  CloseHandle(p);
}

TEST_F(Spooler, BadArguments) {
  HANDLE p = kw::hooks::SpoolerOpenDiscardPrinter();
  DWORD taken = 0;
  EXPECT_FALSE(WritePrinter(p, nullptr, 4, &taken));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  char byte = 'x';
  EXPECT_FALSE(WritePrinter(p, &byte, 1, nullptr));
  EXPECT_TRUE(WritePrinter(p, nullptr, 0, &taken));
  EXPECT_FALSE(WritePrinter(nullptr, &byte, 1, &taken));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  CloseHandle(p);
}

TEST_F(Spooler, RecordModes) {
  HANDLE p = kw::hooks::SpoolerOpenDiscardPrinter();
  kw::hooks::SpoolerSetRecordMode(SpoolerRecordMode::Sizes);
  ASSERT_TRUE(Write(p, "abc"));
  kw::hooks::SpoolerSetRecordMode(SpoolerRecordMode::Off);
  ASSERT_TRUE(Write(p, "def"));
  auto calls = kw::hooks::SpoolerWriteCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].size, 3u);
  EXPECT_EQ(calls[0].bytes, "");
  EXPECT_EQ(kw::hooks::SpoolerPrinterBytes(p), "");
  CloseHandle(p);
}

TEST_F(Spooler, ClosingPrintersReleasesTheirHandles) {
  size_t before = kw::HandleCount();
  HANDLE p = kw::hooks::SpoolerOpenMemoryPrinter();
  EXPECT_EQ(kw::HandleCount(), before + 1);
  CloseHandle(p);
  EXPECT_EQ(kw::HandleCount(), before);
}

}  // namespace
