#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "common/dither_table.h"
#include "common/halftone_choice.h"
#include "common/model_cache.h"
#include "common/model_files.h"
#include "common/model_store.h"
#include "tests/common/model_fixture.h"

using namespace kadu;
using kadu_test::kOffice;

namespace {

TEST(HalftoneChoice, EntryIndexRule) {
  struct Case {
    int resolution;
    int subMode;
    uint16_t dizaling;
    int index;
  } cases[] = {
      {300, 0, 0x0001, 1},  {150, 0, 0x0001, 1},  {75, 0, 0x0003, 1},   {600, 0, 0x0001, 3},
      {1200, 0, 0x0001, 6}, {1200, 2, 0x0001, 9}, {1200, 1, 0x0001, 6}, {300, 0, 0xFD01, 0},
      {300, 0, 0xFE01, 1},  {300, 0, 0xFF01, 2},  {600, 0, 0xFF03, 5},  {1200, 2, 0xFF01, 11},
      {1200, 2, 0xFD01, 9}, {600, 0, 0x0501, 3},  {400, 0, 0x0001, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.resolution << " " << c.subMode << " " << std::hex << c.dizaling);
    EXPECT_EQ(HalftoneEntryIndex(c.resolution, c.subMode, c.dizaling), c.index);
  }
}

TEST(HalftoneChoice, IdentifiersOutsideTheirSetsSelectTheDefaultTables) {
  EXPECT_EQ(ResolveMeshId(3), 3);
  EXPECT_EQ(ResolveMeshId(6), 6);
  EXPECT_EQ(ResolveMeshId(13), 6);
  EXPECT_EQ(ResolveMeshId(31), 31);
  EXPECT_EQ(ResolveMeshId(40), 6);
  EXPECT_EQ(ResolveMeshId(0), 6);
  EXPECT_EQ(ResolveLineId(13), 13);
  EXPECT_EQ(ResolveLineId(18), 18);
  EXPECT_EQ(ResolveLineId(12), 18);
  EXPECT_EQ(ResolveLineId(48), 48);
  EXPECT_EQ(ResolveLineId(49), 18);
  for (int slot = 0; slot < 42; ++slot) EXPECT_EQ(DitherSlotOfId(DitherIdOfSlot(slot)), slot);
  EXPECT_EQ(DitherSlotOfId(25), -1);
  EXPECT_EQ(DitherSlotOfId(0), -1);
}

TEST(HalftoneChoice, TablesAreValidated) {
  DitherTable t{};
  EXPECT_FALSE(DitherTableIsValid(t));  // 0 x 0
  t.cellWidth = 0;
  t.cellHeight = 8;
  EXPECT_FALSE(DitherTableIsValid(t));
  t.cellWidth = 45;
  t.cellHeight = 45;
  EXPECT_TRUE(DitherTableIsValid(t));  // 2025 of 2048
  t.cellWidth = 64;
  t.cellHeight = 33;
  EXPECT_FALSE(DitherTableIsValid(t));  // over the matrix
  t.cellWidth = 0xFFFF;
  t.cellHeight = 0xFFFF;
  EXPECT_FALSE(DitherTableIsValid(t));
  const DitherTable& b = BuiltinDitherTable();
  EXPECT_TRUE(DitherTableIsValid(b));
  bool seen[64] = {};
  for (int i = 0; i < 64; ++i) seen[(b.thresholds[i] - 2) / 4] = true;
  for (bool s : seen) EXPECT_TRUE(s);  // every threshold step once
}

class HalftoneModel : public kadu_test::ModelWorld {};

// The common cache carries tables whose cell width tells their slot; slot 5
// (identifier 6) is malformed and slot 17 (identifier 18) is over size.
TEST_F(HalftoneModel, ChoosesTheModelsTableAndFallsBackForBadOnes) {
  InstallShippedData();
  ASSERT_TRUE(LoadModelRecord(kOffice, nullptr, FALSE, nullptr));
  ModelFiles files = FindModelFiles(kOffice);
  auto cache = std::make_unique<CommonCache>();
  ASSERT_TRUE(ReadCommonCache(CommonCachePath(files), cache.get()));
  for (int slot = 0; slot < 42; ++slot) {
    cache->dither[slot].cellWidth = uint16_t(slot + 1);
    cache->dither[slot].cellHeight = 1;
  }
  cache->dither[5].cellWidth = 0;
  cache->dither[17].cellHeight = 300;
  ASSERT_TRUE(WriteCommonCache(CommonCachePath(files), *cache));
  Restart(StoreRole::Renderer);
  ASSERT_TRUE(LoadModelRecord(kOffice, nullptr, FALSE, nullptr));
  // Office mesh list: 1,2,3,4,5,7,8,9,10,32,33,34; line list 13,...,22,41,42,43.
  EXPECT_EQ(ChooseHalftoneTable(kOffice, 300, 0, 0x0001).cellWidth, 2);       // entry 1: identifier 2
  EXPECT_EQ(ChooseHalftoneTable(kOffice, 600, 0, 0x0001).cellWidth, 4);       // entry 3: identifier 4
  EXPECT_EQ(ChooseHalftoneTable(kOffice, 1200, 2, 0xFF01).cellWidth, 24 + 4);  // entry 11: identifier 34
  EXPECT_EQ(ChooseHalftoneTable(kOffice, 600, 0, 0x0003).cellWidth, 16);      // line entry 3: identifier 16
  EXPECT_EQ(ChooseHalftoneTable(kOffice, 1200, 2, 0xFD03).cellWidth, 24 + 11); // line entry 9: identifier 41
  // A model without files resolves identifier 6 (mesh) and 18 (line), both unusable here.
  const DitherTable& fallback = BuiltinDitherTable();
  EXPECT_EQ(&ChooseHalftoneTable(u"Halvorn None", 600, 0, 0xFF01), &fallback);  // mesh entry 5: 6
  EXPECT_EQ(&ChooseHalftoneTable(u"Halvorn None", 300, 0, 0xFD03), &fallback);  // line entry 0: 10 selects 18
  EXPECT_EQ(ChooseHalftoneTable(u"Halvorn None", 600, 0, 0x0001).cellWidth, 4);  // mesh entry 3: 4
  EXPECT_EQ(&DitherTableOfSlot(-1), &fallback);
  EXPECT_EQ(&DitherTableOfSlot(42), &fallback);
}

}  // namespace
