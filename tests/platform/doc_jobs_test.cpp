// Document jobs on an open printer: where their bytes go, their pages, and
// how they end (completed, failed, aborted).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "kw/hooks_printers.h"
#include "kw/hooks_spooler.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "tests/support/world_fixture.h"
#include "windows.h"

namespace {

LPWSTR W(const char16_t* s) { return const_cast<LPWSTR>(s); }

std::string Slurp(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class DocJobs : public kadu_test::WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    kw::hooks::SpoolerResetHooks();
    for (const char* name : {"Office", "Lobby"}) {
      kw::hooks::PrinterSetup s;
      s.name = name;
      s.driverName = "KADU Mono";
      kw::hooks::PrinterInstall(s);
    }
    ASSERT_TRUE(OpenPrinterW(W(u"Office"), &h_, nullptr));
  }
  void TearDown() override {
    if (h_) ClosePrinter(h_);
    kw::hooks::SpoolerResetHooks();
    WorldFixture::TearDown();
  }
  static DWORD Start(HANDLE h, const std::u16string& output = u"", const char16_t* datatype = u"RAW") {
    DOC_INFO_1W doc{W(u"Quarterly report"), output.empty() ? nullptr : const_cast<LPWSTR>(output.c_str()),
                    W(datatype)};
    return StartDocPrinterW(h, 1, reinterpret_cast<LPBYTE>(&doc));
  }
  static BOOL Write(HANDLE h, const std::string& bytes) {
    DWORD n = 0;
    return WritePrinter(h, const_cast<char*>(bytes.data()), DWORD(bytes.size()), &n);
  }
  std::string SpoolHost(const char* file) {
    return kw::WorldMapPathA(std::string("C:\\Windows\\System32\\spool\\PRINTERS\\") + file);
  }
  static kw::hooks::PrinterJobInfo Job(DWORD id, const char* printer = "Office") {
    kw::hooks::PrinterJobInfo info;
    EXPECT_TRUE(kw::hooks::PrinterJob(printer, id, &info));
    return info;
  }
  HANDLE h_ = nullptr;
};

TEST_F(DocJobs, BytesGoToTheOutputFileWithPagesCounted) {
  std::u16string out = kw::WorldHostToWindows(world_ + "/Bericht-\u00fc.prn");
  ASSERT_EQ(out.substr(0, 3), u"Z:\\");
  DWORD id = Start(h_, out);
  ASSERT_GT(id, 0u);
  for (const char* page : {"\x1B" "E page one\f", "page two\f"}) {
    ASSERT_TRUE(StartPagePrinter(h_));
    ASSERT_TRUE(Write(h_, page));
    ASSERT_TRUE(EndPagePrinter(h_));
  }
  EXPECT_EQ(Job(id).status, DWORD(JOB_STATUS_SPOOLING));
  ASSERT_TRUE(EndDocPrinter(h_));
  EXPECT_EQ(Slurp(world_ + "/Bericht-\u00fc.prn"), "\x1B" "E page one\fpage two\f");
  kw::hooks::PrinterJobInfo job = Job(id);
  EXPECT_EQ(job.document, "Quarterly report");
  EXPECT_EQ(job.pages, 2u);
  EXPECT_EQ(job.status, DWORD(JOB_STATUS_PRINTED));
  EXPECT_EQ(kw::Widen(job.outputFile), out);
  // The WritePrinter record covers document jobs too.
  auto calls = kw::hooks::SpoolerWriteCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].bytes, "page two\f");
  // The ANSI job call the monitor makes sees the document.
  std::vector<BYTE> buf(512);
  DWORD needed = 0;
  ASSERT_TRUE(GetJobA(h_, id, 1, buf.data(), DWORD(buf.size()), &needed));
  EXPECT_STREQ(reinterpret_cast<JOB_INFO_1A*>(buf.data())->pDocument, "Quarterly report");
  EXPECT_EQ(reinterpret_cast<JOB_INFO_1A*>(buf.data())->TotalPages, 2u);
}

TEST_F(DocJobs, WithoutAnOutputFileBytesGoToTheSpoolFolder) {
  // A spool file an earlier process left is never taken over.
  std::filesystem::create_directories(std::filesystem::path(SpoolHost("00001.SPL")).parent_path());
  std::ofstream(SpoolHost("00001.SPL")) << "earlier";
  DWORD first = Start(h_);
  ASSERT_EQ(first, 2u);
  ASSERT_TRUE(Write(h_, "first"));
  ASSERT_TRUE(EndDocPrinter(h_));
  DWORD second = Start(h_);
  ASSERT_GT(second, first);
  ASSERT_TRUE(Write(h_, "second"));
  // Another printer's job gets its own id and file.
  HANDLE lobby = nullptr;
  ASSERT_TRUE(OpenPrinterW(W(u"Lobby"), &lobby, nullptr));
  DWORD other = Start(lobby);
  ASSERT_GT(other, second);
  ASSERT_TRUE(Write(lobby, "lobby"));
  ASSERT_TRUE(EndDocPrinter(lobby));
  ASSERT_TRUE(EndDocPrinter(h_));
  ClosePrinter(lobby);
  EXPECT_EQ(Slurp(SpoolHost("00001.SPL")), "earlier");
  EXPECT_EQ(Slurp(SpoolHost("00002.SPL")), "first");
  EXPECT_EQ(Slurp(SpoolHost("00003.SPL")), "second");
  EXPECT_EQ(Slurp(SpoolHost("00004.SPL")), "lobby");
  EXPECT_EQ(Job(second).outputFile, "C:\\Windows\\System32\\spool\\PRINTERS\\00003.SPL");
  EXPECT_EQ(Job(other, "Lobby").pages, 0u);
}

TEST_F(DocJobs, AFailedWriteLeavesTheJobIncomplete) {
  DWORD id = Start(h_);
  ASSERT_GT(id, 0u);
  ASSERT_TRUE(Write(h_, "kept"));
  kw::hooks::SpoolerFailWritesFrom(1, ERROR_PRINT_CANCELLED);
  EXPECT_FALSE(Write(h_, "lost"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PRINT_CANCELLED));
  kw::hooks::SpoolerFailWritesFrom(0);
  EXPECT_FALSE(EndDocPrinter(h_));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PRINT_CANCELLED));
  EXPECT_EQ(Job(id).status, DWORD(JOB_STATUS_ERROR));
  EXPECT_EQ(Slurp(SpoolHost("00001.SPL")), "kept");
}

TEST_F(DocJobs, AFullDiskFailsTheWriteAndTheEnd) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  ASSERT_GT(Start(h_, kw::WorldHostToWindows("/dev/full")), 0u);
  EXPECT_FALSE(Write(h_, "bytes"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_WRITE_FAULT));
  EXPECT_FALSE(EndDocPrinter(h_));
}

TEST_F(DocJobs, AbortingDeletesTheJobFile) {
  DWORD id = Start(h_);
  ASSERT_TRUE(Write(h_, "half a job"));
  ASSERT_TRUE(std::filesystem::exists(SpoolHost("00001.SPL")));
  ASSERT_TRUE(AbortPrinter(h_));
  EXPECT_FALSE(std::filesystem::exists(SpoolHost("00001.SPL")));
  EXPECT_EQ(Job(id).status, DWORD(JOB_STATUS_DELETED));
  EXPECT_FALSE(Write(h_, "more"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SPL_NO_STARTDOC));

  // Closing the printer with a document open aborts it as well.
  DWORD open = Start(h_, kw::WorldHostToWindows(world_ + "/left.prn"));
  ASSERT_TRUE(Write(h_, "left open"));
  ASSERT_TRUE(ClosePrinter(h_));
  h_ = nullptr;
  EXPECT_FALSE(std::filesystem::exists(world_ + "/left.prn"));
  EXPECT_EQ(Job(open).status, DWORD(JOB_STATUS_DELETED));
  EXPECT_EQ(kw::hooks::PrinterOpenHandles(), 0u);
}

TEST_F(DocJobs, CallsOutOfOrderOrWithBadArgumentsFail) {
  std::filesystem::create_directories(world_ + "/folder");
  struct Case {
    const char* what;
    BOOL (*call)(HANDLE h, const std::string& world);
    DWORD error;
  };
  const Case cases[] = {
      {"write without a document", [](HANDLE h, const std::string&) { return Write(h, "x"); }, ERROR_SPL_NO_STARTDOC},
      {"page without a document", [](HANDLE h, const std::string&) { return StartPagePrinter(h); },
       ERROR_SPL_NO_STARTDOC},
      {"end without a document", [](HANDLE h, const std::string&) { return EndDocPrinter(h); }, ERROR_SPL_NO_STARTDOC},
      {"abort without a document", [](HANDLE h, const std::string&) { return AbortPrinter(h); },
       ERROR_SPL_NO_STARTDOC},
      {"level 2", [](HANDLE h, const std::string&) { return BOOL(StartDocPrinterW(h, 2, nullptr) != 0); },
       ERROR_INVALID_LEVEL},
      {"no document information",
       [](HANDLE h, const std::string&) { return BOOL(StartDocPrinterW(h, 1, nullptr) != 0); },
       ERROR_INVALID_PARAMETER},
      {"journal data", [](HANDLE h, const std::string&) { return BOOL(Start(h, u"", u"NT EMF 1.008") != 0); },
       ERROR_INVALID_DATATYPE},
      {"output folder missing",
       [](HANDLE h, const std::string& w) {
         return BOOL(Start(h, kw::WorldHostToWindows(w + "/no/such/out.prn")) != 0);
       },
       ERROR_PATH_NOT_FOUND},
      {"output file is a folder",
       [](HANDLE h, const std::string& w) { return BOOL(Start(h, kw::WorldHostToWindows(w + "/folder")) != 0); },
       ERROR_ACCESS_DENIED},
      {"bad handle", [](HANDLE, const std::string&) { return BOOL(Start(nullptr) != 0); }, ERROR_INVALID_HANDLE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetLastError(0);
    EXPECT_FALSE(c.call(h_, world_));
    EXPECT_EQ(GetLastError(), c.error);
  }
  // A second document waits for the first to end; a page must start before it ends.
  ASSERT_GT(Start(h_), 0u);
  EXPECT_EQ(Start(h_), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_STATE));
  EXPECT_FALSE(EndPagePrinter(h_));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_STATE));
  EXPECT_TRUE(EndDocPrinter(h_));
}

}  // namespace
