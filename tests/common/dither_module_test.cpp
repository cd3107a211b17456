#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

#include "common/dither_table.h"
#include "common/halftone_choice.h"
#include "common/model_cache.h"
#include "common/model_files.h"
#include "common/model_store.h"
#include "tests/common/model_fixture.h"
#include "tests/support/pe_builder.h"

using namespace kadu;
using kadu_test::kDesktop;
using kadu_test::kOffice;

namespace {

class DitherModule : public kadu_test::ModelWorld {
 protected:
  void SetUp() override {
    ModelWorld::SetUp();
    InstallShippedData();
  }
  // Installs the dither module the build made from data/KADUDITH.rc.
  bool InstallBuiltModule() {
    const char* bin = std::getenv("KADU_BINARY_DIR");
    std::string built = std::string(bin ? bin : ".") + "/data/KADUDITH.DLL";
    if (!std::filesystem::exists(built)) return false;
    std::filesystem::copy_file(built, folder_ + "/KADUDITH.DLL", std::filesystem::copy_options::overwrite_existing);
    return true;
  }
  void InstallModule(const std::vector<kadu_test::PeResourceSpec>& items) {
    auto pe = kadu_test::BuildPeFile(kadu_test::BuildResourceSection(items), false);
    std::ofstream(folder_ + "/KADUDITH.DLL", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(pe.data()), std::streamsize(pe.size()));
  }
  static kadu_test::PeResourceSpec Table(uint16_t id, uint16_t w, uint16_t h, size_t bytes = sizeof(DitherTable)) {
    std::vector<uint8_t> data(bytes, 0);
    if (bytes >= 4) {
      kadu_test::PutLe16(&data, 0, w);
      kadu_test::PutLe16(&data, 2, h);
    }
    for (size_t i = 4; i < bytes; ++i) data[i] = uint8_t(i);
    return {{263, {}}, {id, {}}, 0x0409, data};
  }
};

TEST_F(DitherModule, ShippedModuleGivesFortyTwoUsableTables) {
  if (!InstallBuiltModule()) GTEST_SKIP() << "the dither module was not built (MinGW binutils missing)";
  ASSERT_TRUE(LoadModelRecord(kOffice, nullptr, FALSE, nullptr));
  for (int slot = 0; slot < 42; ++slot) {
    SCOPED_TRACE(DitherIdOfSlot(slot));
    const DitherTable& t = DitherTableOfSlot(slot);
    ASSERT_NE(&t, &BuiltinDitherTable());
    ASSERT_TRUE(DitherTableIsValid(t));
    // Every position has its own threshold step, from light to dark.
    std::set<int> seen;
    for (int i = 0; i < t.cellWidth * t.cellHeight; ++i) seen.insert(t.thresholds[i]);
    EXPECT_EQ(seen.size(), size_t(std::min(t.cellWidth * t.cellHeight, 254)));
    EXPECT_EQ(t.curve[0], 0);
    EXPECT_EQ(t.curve[255], 255);
  }
  EXPECT_EQ(DitherTableOfSlot(DitherSlotOfId(1)).cellWidth, 6);
  EXPECT_EQ(DitherTableOfSlot(DitherSlotOfId(48)).cellWidth, 24);
  EXPECT_EQ(ChooseHalftoneTable(kOffice, 1200, 2, 0xFF01).cellHeight, 16);  // identifier 34

  // The renderer takes the same tables from the common cache.
  std::vector<DitherTable> parsed(42);
  for (int slot = 0; slot < 42; ++slot) parsed[slot] = DitherTableOfSlot(slot);
  Restart(StoreRole::Renderer);
  ASSERT_TRUE(LoadModelRecord(kOffice, nullptr, FALSE, nullptr));
  for (int slot = 0; slot < 42; ++slot)
    EXPECT_EQ(std::memcmp(&DitherTableOfSlot(slot), &parsed[slot], sizeof(DitherTable)), 0) << slot;
}

TEST_F(DitherModule, MissingAndMalformedTablesFallBack) {
  InstallModule({Table(1, 6, 6), Table(2, 0, 0), Table(3, 100, 100), Table(4, 8, 8, 100), Table(31, 45, 45),
                 Table(48, 1, 1, 2)});
  ASSERT_TRUE(LoadModelRecord(kDesktop, nullptr, FALSE, nullptr));
  const DitherTable& fallback = BuiltinDitherTable();
  EXPECT_EQ(DitherTableOfSlot(DitherSlotOfId(1)).cellWidth, 6);
  EXPECT_EQ(&DitherTableOfSlot(DitherSlotOfId(2)), &fallback);  // 0 x 0
  EXPECT_EQ(&DitherTableOfSlot(DitherSlotOfId(3)), &fallback);  // over the matrix
  const DitherTable& shortOne = DitherTableOfSlot(DitherSlotOfId(4));
  EXPECT_EQ(shortOne.cellWidth, 8);                              // a short resource: the rest is zero
  EXPECT_EQ(shortOne.thresholds[0], 0);
  EXPECT_EQ(DitherTableOfSlot(DitherSlotOfId(31)).cellHeight, 45);
  EXPECT_EQ(&DitherTableOfSlot(DitherSlotOfId(48)), &fallback);  // 2 bytes: no height
  EXPECT_EQ(&DitherTableOfSlot(DitherSlotOfId(5)), &fallback);   // no resource
  std::unique_ptr<CommonCache> c(new CommonCache);
  ASSERT_TRUE(ReadCommonCache(CommonCachePath(FindModelFiles(kDesktop)), c.get()));
  EXPECT_EQ(c->dither[DitherSlotOfId(31)].cellWidth, 45);
}

TEST_F(DitherModule, ATableWithoutItsResourceKeepsItsContents) {
  InstallModule({Table(7, 12, 12)});
  ASSERT_TRUE(LoadModelRecord(kDesktop, nullptr, FALSE, nullptr));
  EXPECT_EQ(DitherTableOfSlot(DitherSlotOfId(7)).cellWidth, 12);
  // A new paper table version reloads the common data from a module without table 7.
  InstallModule({Table(8, 4, 4)});
  std::string text;
  {
    std::ifstream in(folder_ + "/KADUPAPR.INI", std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), {});
  }
  text.replace(text.find("Ver=4"), 5, "Ver=5");
  WriteDataFile("KADUPAPR.INI", text);
  ASSERT_TRUE(LoadModelRecord(kDesktop, nullptr, FALSE, nullptr));
  EXPECT_EQ(DitherTableOfSlot(DitherSlotOfId(7)).cellWidth, 12);
  EXPECT_EQ(DitherTableOfSlot(DitherSlotOfId(8)).cellWidth, 4);
}

TEST_F(DitherModule, TheDriverFolderIsTheDriverModulesFolder) {
  SetDriverFolder(u"");
  WCHAR sys[MAX_PATH];
  GetSystemDirectoryW(sys, MAX_PATH);
  EXPECT_EQ(DriverFolder(), std::u16string(sys) + u"\\");  // no module: the system folder
  SetDriverModule(GetModuleHandleW(nullptr));               // the test program stands for the driver
  WCHAR path[MAX_PATH + 1];
  DWORD n = GetModuleFileNameW(GetModuleHandleW(nullptr), path, MAX_PATH + 1);
  std::u16string p(path, n);
  EXPECT_EQ(DriverFolder(), p.substr(0, p.find_last_of(u'\\') + 1));
  SetDriverModule(nullptr);
}

}  // namespace
