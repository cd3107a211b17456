#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "common/model_accessors.h"
#include "common/model_files.h"
#include "common/model_store.h"
#include "common/user_paper.h"
#include "tests/common/model_fixture.h"

using namespace kadu;
using kadu_test::kDesktop;
using kadu_test::kOffice;

namespace {

class Accessors : public kadu_test::ModelWorld {
 protected:
  void SetUp() override {
    ModelWorld::SetUp();
    InstallShippedData();
    ASSERT_TRUE(LoadModelRecord(kDesktop, nullptr, FALSE, nullptr));
    ASSERT_TRUE(LoadModelRecord(kOffice, nullptr, FALSE, nullptr));
    desk_ = FindModelInfo(kDesktop);
    office_ = FindModelInfo(kOffice);
    ASSERT_NE(desk_, nullptr);
    ASSERT_NE(office_, nullptr);
  }
  void TearDown() override {
    FreeUserPaperCache();
    ModelWorld::TearDown();
  }
  void WriteUserPapers(const std::string& section) {
    std::filesystem::create_directories(kw::WorldMapPath(UserSettingsFolder()));
    std::u16string ini = UserSettingsFolder() + u"\\KADU.INI";
    std::ofstream(kw::WorldMapPath(ini), std::ios::binary | std::ios::trunc) << section;
    ASSERT_TRUE(RefreshUserPaperCache(ini));
  }
  int IndexOf(const ModelInfo& info, int code) { return PaperIndexOfCode(info, code); }
  ModelInfo* desk_ = nullptr;
  ModelInfo* office_ = nullptr;
};

const char kUserPapers[] =
    "[UserDefPaper]\r\nnumDefine=3\r\nUpdateNo=5\r\nPaperEntry=300,301,302,\r\n"
    "Paper300=Receipt,800,2000,0,0\r\nPaper301=Banner,3000,12000,1,1\r\nPaper302=Card 4x6,1016,1524,2,1\r\n";

TEST_F(Accessors, PapersByCodeAndIndex) {
  // The desktop model in a Letter country: the inch list.
  EXPECT_EQ(IndexOf(*desk_, 1), 0);
  EXPECT_EQ(IndexOf(*desk_, 9), 7);
  EXPECT_EQ(IndexOf(*desk_, 8), -1);  // A3 is not offered
  EXPECT_EQ(PaperCodeAt(*desk_, 7), 9);
  EXPECT_EQ(PaperCodeAt(*desk_, 17), 0);
  EXPECT_EQ(PaperCodeAt(*desk_, -1), 0);
  int w, l;
  PaperSizeAt(*desk_, 7, &w, &l);
  EXPECT_EQ(w, 2100);
  EXPECT_EQ(l, 2970);
  PaperSizeAt(*desk_, 99, &w, &l);
  EXPECT_EQ(w, 0);
  const uint16_t* port = PrintableAreaAt(*desk_, 0, 1);
  const uint16_t* land = PrintableAreaAt(*desk_, 0, 2);
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(std::vector<uint16_t>(port, port + 6), (std::vector<uint16_t>{2400, 3200, 75, 50, 75, 50}));
  EXPECT_EQ(std::vector<uint16_t>(land, land + 6), (std::vector<uint16_t>{3180, 2450, 60, 50, 60, 50}));
  EXPECT_EQ(PrintableAreaAt(*desk_, 99, 1), port);  // beyond the count: the default paper
  EXPECT_EQ(PaperRecordAt(*desk_, 7)->code, 9);
}

TEST_F(Accessors, PaperFlagsAndDuplexPapers) {
  const uint32_t sheet = 0x10587;  // trays 1 and 2, auto, manual, duplex, manual duplex, face-down bin
  EXPECT_EQ(PaperFlagsAt(*desk_, 0), sheet);
  EXPECT_EQ(PaperFlagsAt(*desk_, 99), sheet);  // the default paper
  int dl = IndexOf(*desk_, 27);
  ASSERT_GE(dl, 0);
  EXPECT_EQ(PaperFlagsAt(*desk_, dl), 0x10084u);
  struct Case {
    int code;
    bool manual;
    int expected;
  } cases[] = {
      {9, false, 9},    {27, false, 1},   // an envelope does not go through the duplex unit
      {9, true, 9},     {27, true, 1},
      {300, false, 300},                   // a user paper counts as 256, unknown: the default paper allows it
      {8, false, 8},                       // unknown code: decided by the default paper
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(DuplexPaperOfCode(*desk_, c.code, c.manual), c.expected);
  }
}

TEST_F(Accessors, SourcesAndPaperTypes) {
  EXPECT_EQ(SourceIndexOfCode(*desk_, 259), 2);
  EXPECT_EQ(SourceIndexOfCode(*desk_, 4), 3);
  EXPECT_EQ(SourceIndexOfCode(*desk_, 260), -1);
  EXPECT_EQ(PaperTypeIndexOfCode(*desk_, 514), 2);
  EXPECT_EQ(PaperTypeIndexOfCode(*desk_, 520), -1);
  EXPECT_EQ(SourceCodeAt(*desk_, 1), 1);
  EXPECT_EQ(SourceCodeAt(*desk_, 99), 7);
  EXPECT_EQ(DefaultSourceCode(*desk_), 7);
  ModelInfo copy = *desk_;
  copy.source.order = -1;  // the default paper type instead
  copy.paperType.order = 1;
  EXPECT_EQ(DefaultSourceCode(copy), 513);
  int code = 0;
  EXPECT_TRUE(SourceCodeOfListIndex(copy, 257, &code));
  EXPECT_EQ(code, 513);
  EXPECT_FALSE(SourceCodeOfListIndex(copy, 4, &code));
  EXPECT_FALSE(SourceCodeOfListIndex(copy, 300, &code));
}

TEST_F(Accessors, MediaOfTheModel) {
  EXPECT_EQ(MediaCodeAt(*desk_, 0), 13);
  EXPECT_EQ(MediaStringAt(*desk_, 0), 1317);
  EXPECT_EQ(MediaIndexOfCode(*desk_, 7), 2);  // media table entry 6 holds code 7
  EXPECT_EQ(MediaIndexOfCode(*desk_, 19), -1);
  EXPECT_EQ(MediaCodeAt(*desk_, 99), 13);  // outside the list: "MediatypeOrder"
  EXPECT_EQ(MediaMaskAt(*desk_, 0), 0x10587u);
  EXPECT_EQ(MediaCodeAt(*office_, 11), 19);
}

TEST_F(Accessors, CustomSizeLimitsFollowTheFinisher) {
  int16_t l[8];
  CustomSizeLimits(*office_, l);
  EXPECT_EQ(l[kMaxLength], 4318);
  ModelInfo withFinisher = *office_;
  withFinisher.finisherType |= kFinisherInstalled;
  CustomSizeLimits(withFinisher, l);
  EXPECT_EQ(l[kMaxLength], 12000);
  EXPECT_EQ(l[kMinWidth], 1000);
  ModelInfo desk = *desk_;  // not an A3 model: the finisher does not matter
  desk.finisherType |= kFinisherInstalled;
  CustomSizeLimits(desk, l);
  EXPECT_EQ(l[kMaxLength], 3556);
  EXPECT_TRUE(WithinCustomLimits(*desk_, 762, 1270));
  EXPECT_FALSE(WithinCustomLimits(*desk_, 761, 1270));
  EXPECT_FALSE(WithinCustomLimits(*desk_, 2159, 3557));
}

TEST_F(Accessors, Qualities) {
  struct Case {
    int16_t stored;
    int quality;
  } cases[] = {{-4, -4}, {-1, -1}, {300, 300}, {600, 600}, {1200, 1200}, {-7, -3}, {700, 600}, {0, 600}};
  ModelRecord r = *FindModelRecord(kDesktop);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    r.defaults.printQuality = c.stored;
    EXPECT_EQ(DefaultQuality(&r), c.quality);
  }
  EXPECT_EQ(DefaultQuality(nullptr), 600);
  r.defaults.uiQuality = -2;
  EXPECT_EQ(DefaultUiQuality(&r), -2);
  r.defaults.uiQuality = 5;
  EXPECT_EQ(DefaultUiQuality(&r), -3);
  EXPECT_EQ(QualityCodeOfLevel(*office_, -4), 128);  // true 1200
  EXPECT_EQ(QualityCodeOfLevel(*office_, -3), 2);
  EXPECT_EQ(QualityCodeOfLevel(*office_, -1), 16);
  EXPECT_EQ(QualityCodeOfLevel(*desk_, -4), -1);  // not offered
  EXPECT_EQ(QualityCodeOfLevel(*desk_, 0), -1);
  EXPECT_EQ(QualityCodeOfLevel(*desk_, -5), -1);
}

TEST_F(Accessors, Memory) {
  EXPECT_EQ(MemoryEstimate(*desk_, 0, 600), 2996u);
  EXPECT_EQ(MemoryEstimate(*office_, 3, 1200), 35504u);
  EXPECT_EQ(MemoryEstimate(*desk_, 9, 300), 3156u);
  ModelInfo noFonts = *desk_;
  noFonts.features &= ~kResidentFont;
  EXPECT_EQ(MemoryEstimate(noFonts, 1, 600), 11268u);
  struct Case {
    int32_t kb;
    int option;
  } cases[] = {{-5, 0}, {0, 0}, {4096, 0}, {4097, 1}, {12288, 1}, {12289, 2}, {20480, 2}, {36864, 3}, {36865, 0}};
  for (const auto& c : cases) EXPECT_EQ(MemoryOptionOfSize(c.kb), c.option) << c.kb;
}

TEST_F(Accessors, UserDefinedPapersWithinTheLimitsAreFound) {
  WriteUserPapers(kUserPapers);
  EXPECT_EQ(IndexOf(*desk_, 300), -2);
  EXPECT_EQ(IndexOf(*desk_, 301), -1);  // larger than the custom size limits
  EXPECT_EQ(IndexOf(*desk_, 303), -1);
}

TEST_F(Accessors, UserPaperRequests) {
  WriteUserPapers(kUserPapers);
  EXPECT_EQ(UserPaperQuery(*desk_, kUpCount, 0, nullptr, 0), 3);
  EXPECT_EQ(UserPaperQuery(*desk_, kUpHighestCode, 0, nullptr, 0), 302);
  EXPECT_EQ(UserPaperQuery(*desk_, kUpFilteredCount, 0, nullptr, 0), 2);
  EXPECT_EQ(UserPaperQuery(*desk_, kUpFilteredCount | kUpIncludeOutside, 0, nullptr, 0), 3);
  EXPECT_EQ(UserPaperQuery(*desk_, kUpFilteredCount | kUpOnlyOutside, 0, nullptr, 0), 1);

  uint16_t codes[4] = {};
  EXPECT_EQ(UserPaperQuery(*desk_, kUpCode, 0, codes, sizeof codes), 2);
  EXPECT_EQ(codes[0], 300);
  EXPECT_EQ(codes[1], 302);
  EXPECT_EQ(UserPaperQuery(*desk_, kUpCode | kUpOnlyOutside, 0, codes, sizeof codes), 1);
  EXPECT_EQ(codes[0], 301);

  WCHAR texts[2][kUserPaperTextChars];
  EXPECT_EQ(UserPaperQuery(*desk_, kUpText, 0, texts, sizeof texts), 2);
  EXPECT_EQ(std::u16string(texts[0]), u"Receipt 80.0 x 200.0mm");
  EXPECT_EQ(std::u16string(texts[1]), u"Card 4x6 4.00 x 6.00in");

  uint16_t sized[3];
  EXPECT_EQ(UserPaperQuery(*desk_, kUpCodeSize, 300, sized, sizeof sized), 301);
  EXPECT_EQ(std::vector<uint16_t>(sized, sized + 3), (std::vector<uint16_t>{300, 800, 2000}));
  EXPECT_EQ(UserPaperQuery(*desk_, kUpSize, 301, sized, sizeof sized), 302 + 0x8000);  // outside the limits
  EXPECT_EQ(UserPaperQuery(*desk_, kUpSize, 302, sized, sizeof sized), 0);            // the last entry
  EXPECT_EQ(UserPaperQuery(*desk_, kUpSize, 999, sized, sizeof sized), -1);

  uint8_t entry[92];
  EXPECT_EQ(UserPaperQuery(*desk_, kUpCodeEntry, 302, entry, sizeof entry), 0);
  uint16_t w;
  std::memcpy(&w, entry, 2);
  EXPECT_EQ(w, 302);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(entry + 2)), u"Card 4x6");
  std::memcpy(&w, entry + 2 + 80 + 4, 2);
  EXPECT_EQ(w, 2);  // the paper-kind flag
  std::memcpy(&w, entry + 90, 2);
  EXPECT_EQ(w, 1);  // the unit, once more

  uint32_t size32[3];
  EXPECT_EQ(UserPaperQuery(*desk_, kUpCodeSize32, 0, size32, sizeof size32), 2);  // only one fits
  EXPECT_EQ(size32[0], 300u);
  WCHAR shortName[13];
  WriteUserPapers(
      "[UserDefPaper]\r\nnumDefine=1\r\nUpdateNo=6\r\nPaperEntry=310,\r\nPaper310=A very long paper name,900,1500,0,0\r\n");
  EXPECT_EQ(UserPaperQuery(*desk_, kUpShortName, 310, shortName, sizeof shortName), 0);
  EXPECT_EQ(std::u16string(shortName), u"A very long ");
}

TEST_F(Accessors, TheUserPaperListIsReadAgainOnlyWhenItsUpdateNumberChanges) {
  WriteUserPapers(kUserPapers);
  UserPaperEntry e;
  ASSERT_TRUE(FindUserPaper(300, &e));
  EXPECT_EQ(e.width, 800);
  std::string changed = kUserPapers;
  changed.replace(changed.find("Receipt,800"), 11, "Receipt,900");
  WriteUserPapers(changed);
  ASSERT_TRUE(FindUserPaper(300, &e));
  EXPECT_EQ(e.width, 800);  // same "UpdateNo": the block is kept
  changed.replace(changed.find("UpdateNo=5"), 10, "UpdateNo=7");
  WriteUserPapers(changed);
  ASSERT_TRUE(FindUserPaper(300, &e));
  EXPECT_EQ(e.width, 900);
}

TEST_F(Accessors, MalformedUserPaperListsStayInsideTheirBlock) {
  // More codes than "numDefine", a count that would overrun, a missing comma.
  WriteUserPapers("[UserDefPaper]\r\nnumDefine=2\r\nUpdateNo=1\r\nPaperEntry=300,301,302,303,\r\n"
                  "Paper300=A,900,1500,0,0\r\nPaper301=B,900,1500,0,0\r\nPaper302=C,900,1500,0,0\r\n");
  EXPECT_EQ(UserPaperQuery(*desk_, kUpCount, 0, nullptr, 0), 2);
  WriteUserPapers("[UserDefPaper]\r\nnumDefine=100000\r\nUpdateNo=2\r\nPaperEntry=300,301\r\n"
                  "Paper300=A,900,1500,0,0\r\n");
  EXPECT_EQ(UserPaperQuery(*desk_, kUpCount, 0, nullptr, 0), 1);  // "301" lacks its comma
  WriteUserPapers("[UserDefPaper]\r\nnumDefine=-4\r\nUpdateNo=3\r\nPaperEntry=300,\r\n");
  EXPECT_EQ(UserPaperQuery(*desk_, kUpCount, 0, nullptr, 0), 0);
}

}  // namespace
