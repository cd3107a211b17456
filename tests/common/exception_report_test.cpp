#include <gtest/gtest.h>

#include <string>

#include "common/exception_report.h"
#include "kw/hooks_eventlog.h"
#include "kw/wide.h"
#include "tests/support/world_fixture.h"
#include "windows.h"

namespace {

std::u16string Format(DWORD code, const char16_t* path, ULONG_PTR base, ULONG_PTR address, SHORT id) {
  WCHAR text[kExceptionReportChars];
  FormatExceptionReport(text, code, path, base, address, id);
  return text;
}

TEST(ExceptionReportText, AsTheEventLogShowsIt) {
  struct Case {
    DWORD code;
    ULONG_PTR base, address;
    SHORT id;
    const char16_t* expected;
  };
  const Case cases[] = {
      {0xC0000005, 0x10000000, 0x10001234, 110,
       u"CODE 0xC0000005 / DLL C:\\drv\\KADU_UM.DLL / BASEADDR 0x10000000 / EXCEPTIONADDR 0x10001234 / ID 110"},
      {0xC0000094, 0x400, 0x4A, 101,
       u"CODE 0xC0000094 / DLL C:\\drv\\KADU_UM.DLL / BASEADDR 0x00000400 / EXCEPTIONADDR 0x0000004A / ID 101"},
      // 64-bit addresses print in full rather than cut to eight digits.
      {0xE06D7363, 0x7F3A12340000, 0x7F3A1234ABCD, -2,
       u"CODE 0xE06D7363 / DLL C:\\drv\\KADU_UM.DLL / BASEADDR 0x7F3A12340000 / EXCEPTIONADDR 0x7F3A1234ABCD / ID -2"},
      {0x80000003, 0xFFFFFFFFFFFFF000, 0xFFFFFFFFFFFFFFFF, 32767,
       u"CODE 0x80000003 / DLL C:\\drv\\KADU_UM.DLL / BASEADDR 0xFFFFFFFFFFFFF000 / EXCEPTIONADDR "
       u"0xFFFFFFFFFFFFFFFF / ID 32767"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(kw::Narrow(Format(c.code, u"C:\\drv\\KADU_UM.DLL", c.base, c.address, c.id)), kw::Narrow(c.expected));
}

TEST(ExceptionReportText, StaysInsideItsBuffer) {
  std::u16string longPath(600, u'p');
  std::u16string text = Format(0xC0000005, longPath.c_str(), 1, 2, -32768);
  EXPECT_EQ(text.size(), kExceptionReportChars - 1);
  EXPECT_EQ(text.substr(0, 22), u"CODE 0xC0000005 / DLL ");
}

class ExceptionReport : public kadu_test::WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    kw::hooks::EventLogClear();
  }
  void TearDown() override {
    kw::hooks::EventLogFailRegister(false);
    kw::hooks::EventLogFailReport(false);
    WorldFixture::TearDown();
  }
  static EXCEPTION_RECORD Record(DWORD code, const void* address) {
    EXCEPTION_RECORD r{};
    r.ExceptionCode = code;
    r.ExceptionAddress = const_cast<void*>(address);
    return r;
  }
  static std::u16string PathOf(HMODULE m) {
    WCHAR path[MAX_PATH] = {};
    GetModuleFileNameW(m, path, MAX_PATH);
    return path;
  }
};

void SomeCodeOfThisProgram() {}

TEST_F(ExceptionReport, NamesTheModuleThatHoldsTheAddress) {
  HMODULE layer = GetModuleHandleW(u"libkadu_platform.so");
  ASSERT_NE(layer, nullptr);
  EXCEPTION_RECORD r = Record(0xC0000005, reinterpret_cast<const void*>(&GetModuleFileNameW));
  ReportException(u"KADU_UI", nullptr, 25, &r, 119);
  auto entries = kw::hooks::EventLogEntries();
  ASSERT_EQ(entries.size(), 1u);
  const auto& e = entries[0];
  EXPECT_EQ(e.source, u"KADU_UI");
  EXPECT_EQ(e.type, EVENTLOG_ERROR_TYPE);
  EXPECT_EQ(e.category, 25);
  EXPECT_EQ(e.eventId, 0xC0000005u);
  ASSERT_EQ(e.strings.size(), 1u);
  EXPECT_EQ(e.strings[0], Format(0xC0000005, PathOf(layer).c_str(), reinterpret_cast<ULONG_PTR>(layer),
                                 reinterpret_cast<ULONG_PTR>(&GetModuleFileNameW), 119));
  EXPECT_TRUE(e.data.empty());
  EXPECT_EQ(kw::hooks::EventLogOpenSources(), 0u);
}

TEST_F(ExceptionReport, AnAddressInNoModuleNamesTheReportingLibrary) {
  HMODULE self = GetModuleHandleW(nullptr);
  EXCEPTION_RECORD r = Record(0xC0000005, reinterpret_cast<const void*>(0x20));
  ReportException(u"KADU_UM", self, 19, &r, 110);
  auto entries = kw::hooks::EventLogEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].strings[0], Format(0xC0000005, PathOf(self).c_str(), reinterpret_cast<ULONG_PTR>(self), 0x20, 110));
}

TEST_F(ExceptionReport, NothingIsWrittenWithoutAModuleOrASource) {
  EXCEPTION_RECORD nowhere = Record(0xC0000005, reinterpret_cast<const void*>(0x20));
  ReportException(u"KADU_UM", nullptr, 19, &nowhere, 110);
  EXPECT_TRUE(kw::hooks::EventLogEntries().empty());

  kw::hooks::EventLogFailRegister(true);
  EXCEPTION_RECORD here = Record(0xC0000094, reinterpret_cast<const void*>(&SomeCodeOfThisProgram));
  ReportException(u"KADU_UM", GetModuleHandleW(nullptr), 34, &here, 108);
  EXPECT_TRUE(kw::hooks::EventLogEntries().empty());
  EXPECT_EQ(kw::hooks::EventLogOpenSources(), 0u);
}

TEST_F(ExceptionReport, AFailedReportIsSwallowed) {
  kw::hooks::EventLogFailReport(true);
  EXCEPTION_RECORD r = Record(0xC0000005, reinterpret_cast<const void*>(&SomeCodeOfThisProgram));
  ReportException(u"KADU_UM", GetModuleHandleW(nullptr), 19, &r, 110);
  EXPECT_TRUE(kw::hooks::EventLogEntries().empty());
  EXPECT_EQ(kw::hooks::EventLogOpenSources(), 0u);
}

}  // namespace
