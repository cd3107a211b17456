#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kw/hooks_version.h"
#include "kw/wide.h"
#include "tests/support/world_fixture.h"
#include "windows.h"

namespace {

class VersionAndLocale : public kadu_test::WorldFixture {
 protected:
  void TearDown() override {
    kw::hooks::ResetVersionAndLocale();
    kw::SetAnsiCodePage(1252);
    WorldFixture::TearDown();
  }
};

TEST_F(VersionAndLocale, ReportsTheConfiguredVersionInEveryRecordSize) {
  kw::hooks::SystemVersion v;
  v.major = 5;
  v.minor = 1;
  v.build = 2600;
  v.servicePack = u"Service Pack 3";
  v.servicePackMajor = 3;
  kw::hooks::SetSystemVersion(v);

  OSVERSIONINFOW w{};
  w.dwOSVersionInfoSize = sizeof w;
  ASSERT_TRUE(GetVersionExW(&w));
  EXPECT_EQ(w.dwMajorVersion, 5u);
  EXPECT_EQ(w.dwMinorVersion, 1u);
  EXPECT_EQ(w.dwBuildNumber, 2600u);
  EXPECT_EQ(w.dwPlatformId, DWORD(VER_PLATFORM_WIN32_NT));
  EXPECT_EQ(std::u16string(w.szCSDVersion), u"Service Pack 3");

  OSVERSIONINFOEXW ex{};
  ex.dwOSVersionInfoSize = sizeof ex;
  ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&ex)));
  EXPECT_EQ(ex.wServicePackMajor, 3);
  EXPECT_EQ(ex.wProductType, VER_NT_WORKSTATION);

  OSVERSIONINFOA a{};
  a.dwOSVersionInfoSize = sizeof a;
  ASSERT_TRUE(GetVersionExA(&a));
  EXPECT_STREQ(a.szCSDVersion, "Service Pack 3");

  OSVERSIONINFOW bad{};
  bad.dwOSVersionInfoSize = 100;
  EXPECT_FALSE(GetVersionExW(&bad));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(GetVersion(), 0x0A280105u);

  kw::hooks::ResetVersionAndLocale();
  ASSERT_TRUE(GetVersionExW(&w));
  EXPECT_EQ(w.dwMajorVersion, 6u);  // the default is Windows Vista or later
}

struct LocaleCase {
  LCID lcid;
  DWORD type;
  std::u16string expected;
};

TEST_F(VersionAndLocale, AnswersLocaleDataFromItsTable) {
  kw::hooks::LocaleSettings l;
  l.userLocale = 0x0407;
  l.systemLocale = 0x0411;
  kw::hooks::SetLocaleSettings(l);
  const LocaleCase cases[] = {
      {LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, u"49"},
      {LOCALE_SYSTEM_DEFAULT, LOCALE_ICOUNTRY, u"81"},
      {0x0409, LOCALE_ICOUNTRY, u"1"},
      {0x1009, LOCALE_ICOUNTRY, u"2"},
      {0x080A, LOCALE_ICOUNTRY, u"52"},
      {0x0409, LOCALE_IMEASURE, u"1"},
      {0x0809, LOCALE_IMEASURE, u"0"},
      {0x0409, LOCALE_SABBREVLANGNAME, u"ENU"},
      {0x0411, LOCALE_SABBREVLANGNAME, u"JPN"},
      {0x040C, LOCALE_ILANGUAGE, u"040c"},
      {0x0411, LOCALE_IDEFAULTANSICODEPAGE, u"932"},
      {0x0409, LOCALE_SISO3166CTRYNAME, u"US"},
      {0x0407 | LOCALE_NOUSEROVERRIDE, LOCALE_SDECIMAL, u","},
      {MAKELCID(0x0409, SORT_DEFAULT), LOCALE_SLANGUAGE, u"English (United States)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.lcid << " " << c.type);
    WCHAR buf[64];
    int n = GetLocaleInfoW(c.lcid, c.type, buf, 64);
    ASSERT_EQ(n, int(c.expected.size() + 1));
    EXPECT_EQ(std::u16string(buf), c.expected);
    EXPECT_EQ(GetLocaleInfoW(c.lcid, c.type, nullptr, 0), n);
  }
  EXPECT_EQ(GetUserDefaultLCID(), 0x0407u);
  EXPECT_EQ(GetSystemDefaultLangID(), 0x0411);
  EXPECT_EQ(GetUserDefaultUILanguage(), 0x0409);

  WCHAR buf[8];
  EXPECT_EQ(GetLocaleInfoW(0x0401, LOCALE_ICOUNTRY, buf, 8), 0);  // not a locale of the world
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(GetLocaleInfoW(0x0409, 0x7777, buf, 8), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_FLAGS));
  EXPECT_EQ(GetLocaleInfoW(0x0409, LOCALE_SLANGUAGE, buf, 8), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  DWORD number = 0;
  EXPECT_EQ(GetLocaleInfoW(0x0411, LOCALE_ICOUNTRY | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&number), 2), 2);
  EXPECT_EQ(number, 81u);
  char abbrev[8];
  EXPECT_EQ(GetLocaleInfoA(0x0407, LOCALE_SABBREVLANGNAME, abbrev, 8), 4);
  EXPECT_STREQ(abbrev, "DEU");
  EXPECT_TRUE(IsValidLocale(0x0412, 0));
  EXPECT_FALSE(IsValidLocale(0x0401, 0));
}

// The translation of the system's USER.EXE is the pair (system UI language,
// ANSI code page), as on an installed Windows of that language.
TEST_F(VersionAndLocale, SystemFilesCarryTheSystemTranslation) {
  kw::hooks::LocaleSettings l;
  l.systemUILanguage = 0x0411;
  kw::hooks::SetLocaleSettings(l);
  kw::SetAnsiCodePage(932);
  for (const char16_t* name : {u"USER.EXE", u"c:\\windows\\system32\\user.exe"}) {
    SCOPED_TRACE(kw::Narrow(name));
    DWORD handle = 1;
    DWORD size = GetFileVersionInfoSizeW(name, &handle);
    ASSERT_GT(size, 0u);
    EXPECT_EQ(handle, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(name, 0, size, block.data()));
    void* value = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), u"\\VarFileInfo\\Translation", &value, &len));
    ASSERT_EQ(len, 4u);
    WORD pair[2];
    std::memcpy(pair, value, 4);
    EXPECT_EQ(pair[0], 1041);
    EXPECT_EQ(pair[1], 932);
    ASSERT_TRUE(VerQueryValueW(block.data(), u"\\", &value, &len));
    ASSERT_EQ(len, sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, value, sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00060001u);
    ASSERT_TRUE(VerQueryValueW(block.data(), u"\\StringFileInfo\\041103a4\\FileVersion", &value, &len));
    EXPECT_EQ(std::u16string(static_cast<char16_t*>(value)), u"6.1.7601.0");
    EXPECT_EQ(len, 11u);
    EXPECT_FALSE(VerQueryValueW(block.data(), u"\\StringFileInfo\\040904b0\\FileVersion", &value, &len));
  }
  EXPECT_EQ(GetFileVersionInfoSizeW(u"C:\\Other\\USER.EXE", nullptr), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

}  // namespace
