#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "kw/handle_table.h"
#include "kw/world.h"
#include "tests/support/world_fixture.h"
#include "windows.h"

using kadu_test::WorldFixture;
namespace fs = std::filesystem;

class WorldPaths : public WorldFixture {};

TEST_F(WorldPaths, MapsDrivesAndResolvesCase) {
  fs::create_directories(world_ + "/C/Windows/System32/spool");
  EXPECT_EQ(kw::WorldMapPath(u"C:\\WINDOWS\\system32\\Spool\\drivers"),
            world_ + "/C/Windows/System32/spool/drivers");
  EXPECT_EQ(kw::WorldMapPath(u"c:/windows/System32"), world_ + "/C/Windows/System32");
  EXPECT_EQ(kw::WorldMapPath(u"C:\\..\\..\\Windows"), world_ + "/C/Windows");
  EXPECT_EQ(kw::WorldMapPath(u"Z:\\tmp"), "/tmp");
  EXPECT_EQ(kw::WorldMapPath(u"\\\\host\\share\\a"), world_ + "/UNC/host/share/a");
}

TEST_F(WorldPaths, RelativePathsFollowTheCurrentDirectory) {
  fs::create_directories(world_ + "/C/Data/Sub");
  EXPECT_TRUE(kw::WorldSetCurrentDirectory(u"c:\\data\\"));
  EXPECT_EQ(kw::WorldCurrentDirectory(), u"C:\\data");
  EXPECT_EQ(kw::WorldMapPath(u"sub\\x.ini"), world_ + "/C/Data/Sub/x.ini");
  EXPECT_EQ(kw::WorldMapPath(u"\\top.txt"), world_ + "/C/top.txt");
  EXPECT_FALSE(kw::WorldSetCurrentDirectory(u"C:\\missing"));
  EXPECT_EQ(kw::WorldHostToWindows(world_ + "/C/Data/Sub"), u"C:\\Data\\Sub");
  EXPECT_EQ(kw::WorldHostToWindows("/etc"), u"Z:\\etc");
}

TEST(HandleTable, ClosesOnceAndRejectsStaleHandles) {
  static int closed = 0;
  int object = 1;
  HANDLE h = kw::HandleCreate(kw::HandleKind::Event, &object, [](void*) { ++closed; });
  EXPECT_EQ(kw::HandleGet(h, kw::HandleKind::Event), &object);
  EXPECT_EQ(kw::HandleGet(h, kw::HandleKind::File), nullptr);
  EXPECT_TRUE(kw::HandleAddRef(h));
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(closed, 0);
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(closed, 1);
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}
