#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/model_accessors.h"
#include "common/model_cache.h"
#include "common/model_parse.h"
#include "common/model_files.h"
#include "common/model_store.h"
#include "common/user_defaults.h"
#include "kw/hooks_file.h"
#include "kw/hooks_memory.h"
#include "kw/hooks_profile.h"
#include "kw/hooks_version.h"
#include "tests/common/model_fixture.h"

using namespace kadu;
using kadu_test::kDesktop;
using kadu_test::kJapanModel;
using kadu_test::kOffice;

namespace {

class ModelLoad : public kadu_test::ModelWorld {
 protected:
  // The spooler's record of an installed driver: its dependent files.
  void RegisterDriver(const char16_t* name) {
    std::u16string key = u"System\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\Version-3\\";
    key += name;
    HKEY k;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    std::u16string files(u"KADU_UM.DLL\0KADU_UI.DLL\0KADUPAPR.INI\0qelkadu.cap\0\0", 50);
    RegSetValueExW(k, u"Dependent Files", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(files.data()),
                   DWORD(files.size() * 2));
    RegCloseKey(k);
  }
  void InstallAll() {
    InstallShippedData();
    for (const char16_t* m : {kDesktop, kOffice, kJapanModel}) RegisterDriver(m);
  }
  std::vector<std::string> CacheFolderEntries() {
    std::vector<std::string> names;
    std::string dir = kw::WorldMapPath(SharedDataFolder());
    if (!std::filesystem::exists(dir)) return names;
    for (auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

std::u16string Str(const WCHAR* s) { return std::u16string(s); }

struct ModelExpectation {
  const char16_t* name;
  uint32_t features;
  int paperCount;
  int defaultPaperCode;
  int defaultSource;
  uint16_t ppm;
  uint16_t modelId;
  uint16_t finisherType;
  uint32_t memory;
  int16_t quality[4];
  int16_t timeOut[4];
  uint16_t stamps[4];
  // Document defaults
  int16_t copies, jobType, duplex, dmDuplex, outputBin, darkness, contrast, printQuality, uiQuality, spoolEmf;
  int16_t flateCompress, flateLevel, sourceCover;
  const char16_t* wmFont;
  int16_t wmFontSize;
};

const ModelExpectation kShipped[] = {
    {kDesktop, 0x1004AE22, 17, 1, 7, 26, 1, 0, 11088, {-1, 2, 1, 0}, {-1, -1, -1, -1}, {4, 2, 3, 0},
     1, 0, 1, 2, 0, 128, 128, 600, -2, 1, 0, 0, 1, u"Arial", 72},
    {kOffice, 0x0FB4BE6B, 23, 1, 7, 45, 3, 0x303, 35504, {8, 3, 1, 0}, {-1, -1, 90, 45}, {4, 2, 5, 2},
     2, 0, 1, 2, 18, 100, 140, -3, -3, 1, 1, 6, 0, u"Arial", 60},
    {kJapanModel, 0x0307AE26, 16, 9, 1, 31, 2, 0, 19280, {-1, 2, 1, 0}, {-1, -1, -1, -1}, {4, 2, 2, 0},
     1, 0, 1, 1, 0, 138, 118, -2, -2, 1, 1, 9, 0, u"MS Gothic", 60},
};

void ExpectShipped(const ModelRecord& r, const ModelExpectation& e) {
  const ModelInfo& info = r.info;
  EXPECT_EQ(r.filled, 1u);
  EXPECT_EQ(Str(info.driverName), e.name);
  EXPECT_EQ(info.features, e.features);
  EXPECT_EQ(info.paper.count, e.paperCount);
  EXPECT_EQ(PaperCodeAt(info, DefaultPaperIndex(info)), e.defaultPaperCode);
  EXPECT_EQ(DefaultSourceCode(info), e.defaultSource);
  EXPECT_EQ(info.pagesPerMinute, e.ppm);
  EXPECT_EQ(info.modelId, e.modelId);
  EXPECT_EQ(info.finisherType, e.finisherType);
  EXPECT_EQ(info.defaultMemory, e.memory);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(info.qualityType[i], e.quality[i]) << i;
    EXPECT_EQ(info.timeOut[i], e.timeOut[i]) << i;
    EXPECT_EQ(r.stamps[i], e.stamps[i]) << i;
  }
  const UserDefaults& ud = r.defaults;
  EXPECT_EQ(Str(ud.driverName), e.name);
  EXPECT_EQ(ud.copies, e.copies);
  EXPECT_EQ(ud.jobType, e.jobType);
  EXPECT_EQ(ud.duplex, e.duplex);
  EXPECT_EQ(ud.dmDuplex, e.dmDuplex);
  EXPECT_EQ(ud.outputBin, e.outputBin);
  EXPECT_EQ(ud.darkness, e.darkness);
  EXPECT_EQ(ud.contrast, e.contrast);
  EXPECT_EQ(ud.printQuality, e.printQuality);
  EXPECT_EQ(ud.uiQuality, e.uiQuality);
  EXPECT_EQ(ud.spoolEmf, e.spoolEmf);
  EXPECT_EQ(ud.flateCompress, e.flateCompress);
  EXPECT_EQ(ud.flateLevel, e.flateLevel);
  if (e.sourceCover) {
    EXPECT_EQ(ud.sourceCover, e.sourceCover);
  }
  EXPECT_EQ(Str(ud.wmFont), e.wmFont);
  EXPECT_EQ(ud.wmFontSize, e.wmFontSize);
}

TEST_F(ModelLoad, ShippedModelsLoadInBothVariants) {
  InstallAll();
  std::vector<ModelRecord> parsed(3);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(kw::Narrow(kShipped[i].name));
    const ModelRecord* r = Load(kShipped[i].name);
    ASSERT_NE(r, nullptr);
    ExpectShipped(*r, kShipped[i]);
    parsed[i] = *r;
  }
  EXPECT_EQ(PaperTableCount(), 35);
  Restart(StoreRole::Renderer);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(kw::Narrow(kShipped[i].name));
    const ModelRecord* r = Load(kShipped[i].name);
    ASSERT_NE(r, nullptr);
    ExpectShipped(*r, kShipped[i]);
    EXPECT_EQ(std::memcmp(r, &parsed[i], sizeof(ModelRecord)), 0);
  }
  EXPECT_EQ(PaperTableCount(), 35);
}

TEST_F(ModelLoad, ShippedModelDetails) {
  InstallAll();
  const ModelRecord* office = Load(kOffice);
  ASSERT_NE(office, nullptr);
  const UserDefaults& ud = office->defaults;
  EXPECT_EQ(ud.hdd, 1);
  EXPECT_EQ(ud.finisher, 1);
  EXPECT_EQ(ud.sourceOption, 259);
  EXPECT_EQ(ud.prDensity, 3);
  EXPECT_EQ(ud.collate, 1);
  EXPECT_EQ(ud.enablePrTimeOut, 0x101);
  EXPECT_EQ(ud.prTimeOut, 120);
  EXPECT_EQ(ud.hbrMode, 2);
  EXPECT_EQ(ud.tonerSave, 1);
  EXPECT_EQ(ud.registColor, 0xC0C0C0);
  EXPECT_EQ(ud.signature, -1);
  EXPECT_EQ(office->info.internalFreeMemory, 32768u);
  EXPECT_EQ(office->subst[9].number, 9);
  EXPECT_EQ(Str(office->subst[9].deviceFace), u"Univers Condensed");
  EXPECT_EQ(Str(office->subst[10].trueTypeFace), u"");
  EXPECT_EQ(office->freeSize[0][kMaxWidth], 2970);
  EXPECT_EQ(office->finisherSize[0][kMaxLength], 12000);
  EXPECT_EQ(office->mediaCount, 18);
  // A3 (paper table index 23) goes through trays 2-5 and the finisher.
  EXPECT_EQ(office->paperMasks[23], 0x5F0F05F6u);
  WCHAR help[64];
  EXPECT_EQ(ReadDriverSetting(51, kOffice, help, 64), 12u);
  EXPECT_EQ(Str(help), u"KADUOF%s.CHM");
  EXPECT_EQ(ReadDriverSetting(51, kDesktop, help, 64), 10u);  // from "General"
  EXPECT_EQ(Str(help), u"KADU%s.CHM");
  EXPECT_EQ(ReadDriverSetting(99, kDesktop, help, 64), 0u);
  EXPECT_EQ(Str(help), u"");
  EXPECT_EQ(ReadDriverSetting(11, kJapanModel, help, 5), 4u);  // cut to the buffer
  EXPECT_EQ(Str(help), u"KADU");

  const ModelRecord* japan = Load(kJapanModel);
  ASSERT_NE(japan, nullptr);
  EXPECT_EQ(Str(japan->defaults.wmFont), u"MS Gothic");
  EXPECT_EQ(japan->defaults.blackFinish, 2);
  EXPECT_EQ(PaperCodeAt(japan->info, 5), 43);  // the Japanese postcard
  EXPECT_EQ(Str(japan->subst[0].trueTypeFace), u"MS Mincho");
}

TEST_F(ModelLoad, PaperListFollowsTheCountryUnlessJapan) {
  InstallAll();
  SetUserCountry(0x0407);  // Germany: the millimetre list
  const ModelRecord* desk = Load(kDesktop);
  ASSERT_NE(desk, nullptr);
  EXPECT_EQ(PaperCodeAt(desk->info, DefaultPaperIndex(desk->info)), 9);  // A4
  EXPECT_EQ(desk->info.paper.count, 17);
  SetUserCountry(0x1009);  // Canada: Letter again, re-chosen by the interface lookup
  ModelInfo* info = FindModelInfo(kDesktop);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(PaperCodeAt(*info, DefaultPaperIndex(*info)), 1);
  const ModelRecord* japan = Load(kJapanModel);
  EXPECT_EQ(PaperCodeAt(japan->info, DefaultPaperIndex(japan->info)), 9);  // A4 in either country
}

TEST_F(ModelLoad, HeiseFontIsReadOnlyOnAJapaneseSystem) {
  InstallAll();
  EXPECT_EQ(Load(kJapanModel)->info.features & kHeiseFont, 0u);
  kw::hooks::LocaleSettings l;
  l.systemUILanguage = 0x0411;
  l.userLocale = l.systemLocale = 0x0411;
  kw::hooks::SetLocaleSettings(l);
  kw::SetAnsiCodePage(932);
  EXPECT_TRUE(IsJapaneseSystem());
  // Forcing reloads from a cache whose stamps agree; the data must be parsed
  // again, as after a driver upgrade that deletes the caches.
  ASSERT_TRUE(LoadModelRecord(kJapanModel, nullptr, TRUE, nullptr));
  EXPECT_EQ(FindModelRecord(kJapanModel)->info.features & kHeiseFont, 0u);
  std::filesystem::remove(CacheHostPath("KJ3100.cah"));
  ASSERT_TRUE(LoadModelRecord(kJapanModel, nullptr, TRUE, nullptr));
  EXPECT_EQ(FindModelRecord(kJapanModel)->info.features, 0x0307AEA6u);
}

TEST_F(ModelLoad, NoFilesGiveTheBuiltInModel) {
  const ModelRecord* r = Load(u"Halvorn Unknown Model");
  ASSERT_NE(r, nullptr);
  const ModelInfo& info = r->info;
  EXPECT_EQ(info.features, 0x01842C2Eu);
  const uint32_t list[] = {23, 0, 1, 2, 24, 3, 5, 6, 26, 7, 8, 27, 28, 22, 25, 9, 10, 11, 12, 13, 30, 15, 31, 16, 20, 17, 18, 19};
  ASSERT_EQ(info.paper.count, 28);
  EXPECT_EQ(std::memcmp(info.paper.items, list, sizeof list), 0);
  EXPECT_EQ(info.paper.order, 1);
  EXPECT_EQ(info.source.count, 7);
  EXPECT_EQ(info.media.count, 13);
  EXPECT_EQ(info.defaultMemory, 3696u);
  EXPECT_EQ(info.pagesPerMinute, 24);
  EXPECT_EQ(info.finisherType, 0x1A01);
  EXPECT_EQ(info.logoBitmap, 1);
  EXPECT_EQ(r->freeSize[0][kMinWidth], 860);
  EXPECT_EQ(r->mediaTable[0].mask, 0x5F0F00FFu);
  EXPECT_EQ(info.meshIds[0], 1);
  EXPECT_EQ(info.lineTables[0], uint32_t(DitherSlotOfId(18)));  // identifier 10 selects table 18

  UserDefaults expected = BuiltinUserDefaults();
  std::memcpy(expected.driverName, r->defaults.driverName, sizeof expected.driverName);
  expected.spoolEmf = 1;  // kept inverted: the merged value 0 is not 1
  EXPECT_EQ(std::memcmp(&r->defaults, &expected, sizeof expected), 0);
  EXPECT_EQ(r->defaults.darkness, 128);
  EXPECT_EQ(r->defaults.copies, 1);
  EXPECT_EQ(r->defaults.printQuality, -3);
  EXPECT_EQ(Str(r->defaults.wmFont), u"Arial");
  EXPECT_EQ(r->defaults.wmColor, 0xC0C0C0);
}

// A model of its own: KADU.DAT, a DefaultFile and a CustomFile written by the test.
class OwnModel : public ModelLoad {
 protected:
  void SetUp() override {
    ModelLoad::SetUp();
    InstallShippedData();  // the paper table and the other common files
    WriteDataFile("KADU.DAT",
                  "[Common]\r\nInitDataFile1=KADUDITH.DLL\r\nInitDataFile2=KADUPAPR.INI\r\nInitDataFile3=KADUWMRK.INI\r\n"
                  "[Test Model]\r\nDefaultFile=TEST.INI\r\nCustomFile=TESTC.INI\r\n");
  }
  void WriteDefault(const std::string& body, int ver = 1) {
    WriteDataFile("TEST.INI", "[VERSION]\r\nVer=" + std::to_string(ver) + "\r\n" + body);
  }
  void WriteCustom(const std::string& body, int ver = 1) {
    WriteDataFile("TESTC.INI", "[VERSION]\r\nVer=" + std::to_string(ver) + "\r\n" + body);
  }
  const ModelRecord* LoadTest() { return Load(u"Test Model"); }
};

TEST_F(OwnModel, CustomFileOverDefaultFileOverBuiltIn) {
  WriteDefault(
      "[PRINTERINFO]\r\nwPPM=30\r\nwModelID=7\r\nPaperSize_inch=7,6\r\nDuplex=no\r\nCollate=True\r\nFinisher=yes\r\n"
      "GL2=No\r\n[COPIES]\r\nUDCopies=3\r\n[ETC]\r\nUDdmScale=90\r\n[WATERMARK]\r\nUDdwColor=0x0000FF\r\n"
      "UDszFont=\"Courier New\"\r\n[COLOREFFECT]\r\nUDDarkness=-28\r\n");
  WriteCustom(
      "[PRINTERINFO]\r\nwPPM=32\r\nPaperSize_inch=\r\nDuplex=Maybe\r\nFinisher=NO\r\nMPT=YES\r\n"
      "[COPIES]\r\nUDCopies=5\r\nUDwJobType=2\r\n[WATERMARK]\r\nUDdwColor=\r\nUDszFont=\r\n"
      "[COLOREFFECT]\r\nUDContrast=-128\r\n");
  const ModelRecord* r = LoadTest();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->info.pagesPerMinute, 32);   // CustomFile
  EXPECT_EQ(r->info.modelId, 7);           // DefaultFile
  EXPECT_EQ(r->info.logoBitmap, 1);        // built-in
  EXPECT_EQ(r->info.paperInch.count, 2);   // an empty text counts as absent: DefaultFile's list
  EXPECT_EQ(r->info.features & kDuplexFeature, 0u);  // "Maybe" is not given: DefaultFile's "no"
  EXPECT_NE(r->info.features & kCollate, 0u);         // "True" keeps the built-in bit
  EXPECT_EQ(r->info.features & kFinisherFeature, 0u); // "NO" in CustomFile clears DefaultFile's "yes"
  EXPECT_NE(r->info.features & kMPT, 0u);
  EXPECT_EQ(r->info.features & kGL2, 0u);
  EXPECT_EQ(r->defaults.copies, 5);
  EXPECT_EQ(r->defaults.jobType, 0);       // a nonzero job type is stored as 0
  EXPECT_EQ(r->defaults.scale, 90);
  EXPECT_EQ(r->defaults.wmColor, 0xFF);    // empty text in CustomFile keeps DefaultFile's
  EXPECT_EQ(Str(r->defaults.wmFont), u"Courier New");
  EXPECT_EQ(r->defaults.darkness, 100);    // -28 stored plus 128, once
  EXPECT_EQ(r->defaults.contrast, 0);
}

TEST_F(OwnModel, LetterCountryWithoutInchListGetsOnePaper) {
  WriteDefault("[PRINTERINFO]\r\nJapan=No\r\n");
  WriteCustom("");
  const ModelRecord* r = LoadTest();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->info.paper.count, 1);
  EXPECT_EQ(r->info.paper.items[0], 0u);
  EXPECT_EQ(PaperCodeAt(r->info, 0), 9);  // index 0 of the paper table
}

TEST_F(OwnModel, IndexesFromTheFilesAreChecked) {
  WriteDefault(
      "[PRINTERINFO]\r\nJapan=Yes\r\nPaperSize=0,99,7,-3,4000000000\r\nPaperOrder=12\r\nSource=1,2,9,300,256,7\r\n"
      "SourceOrder=-2\r\nPaperType=0,12,3\r\nPaperTypeOrder=5\r\nMediaType=0,18,17,40\r\nMediatypeOrder=-1\r\n"
      "QualityType=3,17,-2,16\r\n[PAPER]\r\nUDSource_Cover=44\r\n");
  WriteCustom("");
  const ModelRecord* r = LoadTest();
  ASSERT_NE(r, nullptr);
  const ModelInfo& info = r->info;
  ASSERT_EQ(info.paper.count, 3);  // 99 and 4000000000 name no paper; unsigned lists skip the "-"
  EXPECT_EQ(info.paper.items[0], 0u);
  EXPECT_EQ(info.paper.items[1], 7u);
  EXPECT_EQ(info.paper.items[2], 3u);
  EXPECT_EQ(info.paper.order, 1);
  EXPECT_EQ(info.source.count, 4);  // 9 and 300 name no source
  EXPECT_EQ(info.source.order, 0);
  EXPECT_EQ(info.paperType.count, 2);
  EXPECT_EQ(info.paperType.order, 0);
  EXPECT_EQ(info.media.count, 2);
  EXPECT_EQ(info.media.order, 0);
  EXPECT_EQ(info.qualityType[0], 3);
  EXPECT_EQ(info.qualityType[1], 2);   // 17 is beyond the quality table: built-in
  EXPECT_EQ(info.qualityType[2], 1);   // -2 likewise
  EXPECT_EQ(info.qualityType[3], 16);
  EXPECT_EQ(r->defaults.sourceCover, 0);  // index 44 names no source: built-in kept
  EXPECT_EQ(SourceCodeAt(info, 2), 512);  // 256: paper type 0
  EXPECT_EQ(SourceCodeAt(info, 9), 1);    // outside the list: "SourceOrder"
}

TEST_F(OwnModel, VerBumpCausesAReparse) {
  WriteDefault("[PRINTERINFO]\r\nwPPM=30\r\n", 1);
  WriteCustom("", 1);
  ASSERT_EQ(LoadTest()->info.pagesPerMinute, 30);
  // Same stamps: the process keeps its record, a new process takes the cache.
  WriteDefault("[PRINTERINFO]\r\nwPPM=40\r\n", 1);
  EXPECT_EQ(LoadTest()->info.pagesPerMinute, 30);
  Restart(StoreRole::Interface);
  EXPECT_EQ(LoadTest()->info.pagesPerMinute, 30);
  // A new "Ver" makes the interface library parse again and rewrite the cache.
  WriteDefault("[PRINTERINFO]\r\nwPPM=40\r\n", 2);
  WORD stamps[6] = {4, 2, 1, 1, 9, 9};
  BOOL differ = FALSE;
  ASSERT_TRUE(LoadModelRecord(u"Test Model", stamps, FALSE, &differ));
  EXPECT_TRUE(differ);
  EXPECT_EQ(std::vector<WORD>(stamps, stamps + 6), (std::vector<WORD>{4, 2, 2, 1, 0, 0}));
  EXPECT_EQ(FindModelRecord(u"Test Model")->info.pagesPerMinute, 40);
  ASSERT_TRUE(LoadModelRecord(u"Test Model", stamps, FALSE, &differ));
  EXPECT_FALSE(differ);
  Restart(StoreRole::Renderer);
  EXPECT_EQ(LoadTest()->info.pagesPerMinute, 40);

  // Any of the four stamps refreshes the record, also those of the common files.
  Restart(StoreRole::Interface);
  ASSERT_NE(LoadTest(), nullptr);
  WriteDefault("[PRINTERINFO]\r\nwPPM=50\r\n", 2);
  std::ofstream(folder_ + "/KADUWMRK.INI", std::ios::app) << "\r\n[VERSION]\r\nVer=9\r\n";  // first occurrence wins
  EXPECT_EQ(LoadTest()->info.pagesPerMinute, 40);
  std::string wm;
  {
    std::ifstream in(folder_ + "/KADUWMRK.INI", std::ios::binary);
    wm.assign(std::istreambuf_iterator<char>(in), {});
  }
  wm.replace(wm.find("Ver=2"), 5, "Ver=3");
  WriteDataFile("KADUWMRK.INI", wm);
  const ModelRecord* r = LoadTest();
  EXPECT_EQ(r->stamps[1], 3);
  EXPECT_EQ(r->info.pagesPerMinute, 50);
  WriteCustom("[PRINTERINFO]\r\nwPPM=60\r\n", 7);
  EXPECT_EQ(LoadTest()->info.pagesPerMinute, 60);
}

TEST_F(ModelLoad, RendererReadsOnlyCachesAndStamps) {
  InstallAll();
  ASSERT_NE(Load(kOffice), nullptr);
  ModelRecord parsed = *FindModelRecord(kOffice);
  Restart(StoreRole::Renderer);
  kw::hooks::ProfileRecordReads(true);
  const ModelRecord* r = Load(kOffice);
  auto reads = kw::hooks::ProfileReads();
  kw::hooks::ProfileRecordReads(false);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(std::memcmp(r, &parsed, sizeof parsed), 0);
  ASSERT_FALSE(reads.empty());
  for (const auto& read : reads) {
    bool dat = read.file.size() >= 8 && kw::EqualsNoCase(read.file.substr(read.file.size() - 8), u"KADU.DAT");
    bool stamp = read.section == u"VERSION" && read.key == u"Ver";
    EXPECT_TRUE(dat || stamp) << kw::Narrow(read.file) << " [" << kw::Narrow(read.section) << "] "
                              << kw::Narrow(read.key);
  }
}

TEST_F(ModelLoad, RendererUsesCachesAsTheyAreAndStaysEmptyWithout) {
  InstallAll();
  Restart(StoreRole::Renderer);
  EXPECT_TRUE(LoadModelRecord(kDesktop, nullptr, FALSE, nullptr));
  EXPECT_EQ(FindModelRecord(kDesktop), nullptr);  // never configured: empty means not found
  EXPECT_EQ(FindModelInfo(kDesktop), nullptr);
  EXPECT_EQ(PaperTableCount(), 0);

  Restart(StoreRole::Interface);
  ASSERT_NE(Load(kDesktop), nullptr);
  // The data change after the interface library wrote the caches.
  std::string text;
  {
    std::ifstream in(folder_ + "/K2630.INI", std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), {});
  }
  text.replace(text.find("Ver=3"), 5, "Ver=4");
  text.replace(text.find("wPPM=26"), 7, "wPPM=99");
  WriteDataFile("K2630.INI", text);
  Restart(StoreRole::Renderer);
  const ModelRecord* r = Load(kDesktop);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->info.pagesPerMinute, 26);  // the stale cache, as it is
  EXPECT_EQ(r->stamps[2], 3);
  Restart(StoreRole::Interface);
  EXPECT_EQ(Load(kDesktop)->info.pagesPerMinute, 99);
}

TEST_F(ModelLoad, CachesHaveTheirExactSizesAndAreReplacedWhole) {
  InstallAll();
  ASSERT_NE(Load(kDesktop), nullptr);
  EXPECT_EQ(CacheFolderEntries(), (std::vector<std::string>{"K2630.cah", "KADUDITH.cah"}));
  EXPECT_EQ(std::filesystem::file_size(CacheHostPath("KADUDITH.cah")), 127184u);
  EXPECT_EQ(std::filesystem::file_size(CacheHostPath("K2630.cah")), 17652u);
  ModelCache c;
  ASSERT_TRUE(ReadModelCache(SharedDataFolder() + u"\\K2630.cah", &c));
  EXPECT_EQ(c.size, 17652u);
  EXPECT_EQ(std::memcmp(&c.record, FindModelRecord(kDesktop), sizeof(ModelRecord)), 0);

  // A full disk while rewriting leaves the old cache whole and no temporary file.
  kw::hooks::FileDiskFullAfter(1000);
  ASSERT_TRUE(LoadModelRecord(kDesktop, nullptr, TRUE, nullptr));
  kw::hooks::FileResetFaults();
  EXPECT_EQ(CacheFolderEntries(), (std::vector<std::string>{"K2630.cah", "KADUDITH.cah"}));
  EXPECT_TRUE(ReadModelCache(SharedDataFolder() + u"\\K2630.cah", &c));
}

struct BadCache {
  const char* name;
  size_t size;
  uint32_t firstWord;
};

TEST_F(ModelLoad, InvalidCachesAreTreatedAsAbsent) {
  InstallAll();
  ASSERT_NE(Load(kDesktop), nullptr);
  const BadCache cases[] = {{"short", 17651, 17652}, {"long", 17653, 17652}, {"wrong first word", 17652, 17648}};
  for (const auto& b : cases) {
    SCOPED_TRACE(b.name);
    std::string bytes(b.size, '\0');
    std::memcpy(bytes.data(), &b.firstWord, 4);
    std::ofstream(CacheHostPath("K2630.cah"), std::ios::binary | std::ios::trunc) << bytes;
    Restart(StoreRole::Renderer);
    EXPECT_EQ(Load(kDesktop), nullptr);
    Restart(StoreRole::Interface);
    ASSERT_NE(Load(kDesktop), nullptr);  // parsed and rewritten
    EXPECT_EQ(std::filesystem::file_size(CacheHostPath("K2630.cah")), 17652u);
  }
}

TEST_F(ModelLoad, ACacheOfAnotherDriverNameIsNotUsed) {
  InstallShippedData();
  // Two models without a DefaultFile share the cache name ".cah".
  const char16_t* a = u"Halvorn Model A";
  const char16_t* b = u"Halvorn Model B";
  ASSERT_NE(Load(a), nullptr);
  ASSERT_NE(Load(b), nullptr);
  Restart(StoreRole::Renderer);
  EXPECT_EQ(Load(a), nullptr);  // the cache holds B's record
  const ModelRecord* rb = Load(b);
  ASSERT_NE(rb, nullptr);
  EXPECT_EQ(Str(rb->info.driverName), b);
  Restart(StoreRole::Interface);
  const ModelRecord* ra = Load(a);
  ASSERT_NE(ra, nullptr);
  EXPECT_EQ(Str(ra->info.driverName), a);
}

TEST_F(ModelLoad, RecordsStayWhereTheyAreWhileTheStoreGrows) {
  InstallShippedData();
  const ModelRecord* first = Load(kDesktop);
  ASSERT_NE(first, nullptr);
  ModelRecord copy = *first;
  for (int i = 0; i < 40; ++i) {
    std::u16string name = u"Halvorn Extra " + kw::Widen(std::to_string(i));
    ASSERT_TRUE(LoadModelRecord(name.c_str(), nullptr, FALSE, nullptr));
  }
  EXPECT_EQ(FindModelRecord(kDesktop), first);
  EXPECT_EQ(std::memcmp(first, &copy, sizeof copy), 0);
  EXPECT_EQ(FindModelRecord(u"HALVORN KADU 2630DN"), first);  // names compare with a-z folded
  EXPECT_EQ(&FindUserDefaults(kDesktop)->copies, &first->defaults.copies);
  ModelInfo* info = FindModelInfo(kDesktop);
  EXPECT_EQ(info, &first->info);
  EXPECT_EQ(&RecordOfInfo(*info), first);
}

TEST_F(ModelLoad, ConcurrentLoadsKeepRecordsInPlace) {
  InstallShippedData();
  const ModelRecord* desk = Load(kDesktop);
  ASSERT_NE(desk, nullptr);
  std::atomic<bool> stop{false}, moved{false};
  std::thread reader([&] {
    while (!stop) {
      const ModelRecord* r = FindModelRecord(kDesktop);
      if (r != desk || r->info.pagesPerMinute != 26) moved = true;
    }
  });
  std::vector<std::thread> loaders;
  for (int t = 0; t < 3; ++t) {
    loaders.emplace_back([t] {
      for (int i = 0; i < 10; ++i) {
        std::u16string name = u"Halvorn Thread " + kw::Widen(std::to_string(t * 100 + i));
        LoadModelRecord(name.c_str(), nullptr, FALSE, nullptr);
        LoadModelRecord(kOffice, nullptr, i % 3 == 0, nullptr);
      }
    });
  }
  for (auto& th : loaders) th.join();
  stop = true;
  reader.join();
  EXPECT_FALSE(moved);
  EXPECT_NE(FindModelRecord(u"Halvorn Thread 209"), nullptr);
  EXPECT_EQ(FindModelRecord(kOffice)->info.pagesPerMinute, 45);
}

TEST_F(ModelLoad, LoadingFailsCleanly) {
  EXPECT_FALSE(LoadModelRecord(nullptr, nullptr, FALSE, nullptr));
  EXPECT_FALSE(LoadModelRecord(u"", nullptr, FALSE, nullptr));
  InstallShippedData();
  kw::hooks::MemoryFailAt(1, true);
  BOOL ok = LoadModelRecord(kDesktop, nullptr, FALSE, nullptr);
  kw::hooks::MemoryFailAt(0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(FindModelRecord(kDesktop), nullptr);
  EXPECT_NE(Load(kDesktop), nullptr);
}

TEST_F(ModelLoad, LongDriverNamesAreCut) {
  std::u16string longName(100, u'x');
  ASSERT_NE(Load(longName.c_str()), nullptr);
  const ModelRecord* r = FindModelRecord(longName.c_str());
  EXPECT_EQ(Str(r->info.driverName).size(), 64u);
  EXPECT_EQ(Str(r->defaults.driverName).size(), 100u);
}

}  // namespace
