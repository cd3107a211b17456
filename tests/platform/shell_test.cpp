#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "kw/hooks_version.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "tests/support/world_fixture.h"
#include "windows.h"

namespace {

class ShellFolders : public kadu_test::WorldFixture {
 protected:
  void TearDown() override {
    kw::hooks::ResetVersionAndLocale();
    WorldFixture::TearDown();
  }
};

TEST_F(ShellFolders, SystemAndWindowsFoldersUseTheTwoCallRule) {
  WCHAR buf[MAX_PATH];
  UINT n = GetSystemDirectoryW(buf, MAX_PATH);
  EXPECT_EQ(std::u16string(buf), u"C:\\Windows\\System32");
  EXPECT_EQ(n, 19u);
  EXPECT_EQ(GetSystemDirectoryW(buf, 5), 20u);
  EXPECT_EQ(GetWindowsDirectoryW(buf, MAX_PATH), 10u);
  EXPECT_EQ(std::u16string(buf), u"C:\\Windows");
  char a[MAX_PATH];
  EXPECT_EQ(GetSystemDirectoryA(a, MAX_PATH), 19u);
  EXPECT_STREQ(a, "C:\\Windows\\System32");
  EXPECT_TRUE(std::filesystem::is_directory(world_ + "/C/Windows/System32"));
}

struct FolderCase {
  int csidl;
  const char16_t* vista;
  const char16_t* xp;
};

TEST_F(ShellFolders, SpecialFoldersFollowTheSystemVersionAndExist) {
  const FolderCase cases[] = {
      {CSIDL_COMMON_APPDATA, u"C:\\ProgramData", u"C:\\Documents and Settings\\All Users\\Application Data"},
      {CSIDL_APPDATA, u"C:\\Users\\User\\AppData\\Roaming", u"C:\\Documents and Settings\\User\\Application Data"},
      {CSIDL_LOCAL_APPDATA, u"C:\\Users\\User\\AppData\\Local",
       u"C:\\Documents and Settings\\User\\Local Settings\\Application Data"},
      {CSIDL_PERSONAL, u"C:\\Users\\User\\Documents", u"C:\\Documents and Settings\\User\\My Documents"},
      {CSIDL_SYSTEM | CSIDL_FLAG_CREATE, u"C:\\Windows\\System32", u"C:\\Windows\\System32"},
  };
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) {
      kw::hooks::SystemVersion xp;
      xp.major = 5;
      kw::hooks::SetSystemVersion(xp);
    }
    for (const auto& c : cases) {
      const char16_t* want = pass ? c.xp : c.vista;
      SCOPED_TRACE(kw::Narrow(want));
      WCHAR buf[MAX_PATH];
      ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, buf, c.csidl, FALSE));
      EXPECT_EQ(std::u16string(buf), want);
      EXPECT_TRUE(std::filesystem::is_directory(kw::WorldMapPath(want)));
      ASSERT_EQ(SHGetFolderPathW(nullptr, c.csidl, nullptr, SHGFP_TYPE_CURRENT, buf), S_OK);
      EXPECT_EQ(std::u16string(buf), want);
    }
  }
  WCHAR buf[MAX_PATH];
  EXPECT_FALSE(SHGetSpecialFolderPathW(nullptr, buf, 0x3F, TRUE));
  EXPECT_EQ(SHGetFolderPathW(nullptr, 0x3F, nullptr, 0, buf), E_INVALIDARG);
  char a[MAX_PATH];
  kw::hooks::ResetVersionAndLocale();
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, a, CSIDL_COMMON_APPDATA, TRUE));
  EXPECT_STREQ(a, "C:\\ProgramData");
}

}  // namespace
