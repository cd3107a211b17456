// The default record of every shipped model, decoded from its bytes and
// checked field by field against the defaults the record's documentation
// gives (from the model's document defaults, read here by their offsets in
// the defaults block), and the fallbacks for defaults out of range.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "common/builtin_tables.h"
#include "common/model_accessors.h"
#include "tests/devmode/devmode_fixture.h"
#include "tests/support/devmode_decoder.h"

namespace {

using namespace kadu_test;

// The model's document defaults block, read by offset.
struct Ud {
  const uint8_t* p;
  int16_t S16(size_t off) const {
    int16_t v;
    std::memcpy(&v, p + off, 2);
    return v;
  }
  int32_t S32(size_t off) const {
    int32_t v;
    std::memcpy(&v, p + off, 4);
    return v;
  }
};

// The dpi of a DMRES level: the first offered level at or below it.
int LevelDpi(const kadu::ModelInfo& info, int level) {
  for (int s = level; s >= -4; --s) {
    int entry = info.qualityType[s + 4];
    if (entry >= 0) return kadu::kQualityTable[entry].dpi;
  }
  return 600;
}

// Every integer field at zero and every text empty, then what the defaults say.
std::map<std::string, int64_t> Expected(const char16_t* driver) {
  const kadu::ModelRecord* rec = kadu::FindModelRecord(driver);
  const kadu::ModelInfo& info = *kadu::FindModelInfo(driver);
  const Ud u{reinterpret_cast<const uint8_t*>(&rec->defaults)};
  const uint32_t feat = info.features;
  const bool duplexF = feat & 0x20, resident = feat & 0x2, subst = feat & 0x800, mono = feat & 0x8000,
             mkk = feat & 0x20000, a3 = feat & 0x8, direct = feat & 0x40;
  std::map<std::string, int64_t> e;
  for (const std::string& n : DevmodeDecoderFields()) e[n] = 0;

  e["dmSpecVersion"] = 0x0401;
  e["dmDriverVersion"] = 0x0500;
  e["dmSize"] = 220;
  e["dmDriverExtra"] = 1596;
  const int paperIndex = kadu::DefaultPaperIndex(info);
  const int paper = kadu::PaperCodeAt(info, paperIndex);
  int w, l;
  kadu::PaperSizeAt(info, paperIndex, &w, &l);
  e["dmPaperSize"] = paper;
  e["dmPaperWidth"] = w;
  e["dmPaperLength"] = l;
  e["wCustomWidth"] = e["wFitPaperWidth"] = w;
  e["wCustomLength"] = e["wFitPaperLength"] = l;
  e["dmOrientation"] = (u.S16(276) == 1 || u.S16(276) == 2) ? u.S16(276) : 1;
  e["dmCopies"] = (u.S16(284) >= 1 && u.S16(284) <= 999) ? u.S16(284) : 1;
  e["dmDefaultSource"] = e["wEffectiveSource"] = kadu::DefaultSourceCode(info);
  e["dmPrintQuality"] = kadu::DefaultQuality(rec);
  e["dmColor"] = (u.S16(416) & 1) ? 2 : 1;
  e["dmDuplex"] = duplexF ? u.S16(402) : 0;
  e["dmTTOption"] = u.S16(436) == 0 ? 4 : 2;
  e["dmCollate"] = u.S32(288) == 1 ? 1 : 0;
  // Zoom: the preset's percentage, or the model's scale.
  const int16_t presets[] = {100, 141, 115, 86, 81, 70};
  int zoom = u.S16(2370);
  if (zoom < -1 || zoom > 6) zoom = -1;
  int scale = u.S16(384);
  if (zoom >= 0 && zoom < 6) scale = presets[zoom];
  e["dmScale"] = scale;
  e["wZoomPreset"] = zoom;
  // Windows 6.1, a local printer, EMF spooling on: the driver collates.
  e["dmFields"] = 0xF03 | (u.S16(2384) ? 0x10 : 0) | (u.S16(302) ? 0x1000 : 0) | (u.S16(428) ? 0x8000 : 0);

  int64_t finishing = u.S32(316);
  if (finishing == 1 && (!duplexF || u.S16(302) == 0)) finishing = 0;
  const bool booklet = finishing == 1;
  e["dwFinishingMode"] = finishing;
  e["dwPagesPerSheet"] = e["dwNupColumns"] = e["dwNupRows"] = 1;
  e["dwNupOrder"] = (0x1 << u.S32(328)) | (0x10000 << u.S32(332));
  e["dwPageBorder"] = u.S32(324);
  e["dwMultipage"] = u.S32(320);
  e["dwSignature"] = u.S32(336);
  e["dwLayoutFlags"] = (u.S32(344) ? 0x2 : 0) | (u.S32(340) ? 0x20 : 0);
  e["dwFitPaperSize"] = paper;
  e["dwFitPage"] = u.S32(256) ? 1 : 0;
  e["dwPosterSheets"] = u.S32(348) == 1 ? 4 : (u.S32(348) == 2 ? 9 : 2);
  e["dwCstmX"] = u.S32(368);
  e["dwCstmY"] = u.S32(372);
  e["dwPosterFlags"] = (u.S32(380) ? 1 : 0) | (u.S32(376) ? 2 : 0) | (u.S32(352) ? 4 : 0) | (u.S32(360) ? 8 : 0);
  e["dwRegistColor"] = uint32_t(u.S32(356));
  e["dwOverlapWidth"] = u.S32(364);
  e["dwEnlarge"] = u.S32(348);

  e["wDizaling"] = u.S16(2366);
  e["wDarkness"] = u.S16(610);  // the block holds the key plus 128
  e["selector426"] = 1;
  e["colorBits430"] = u.S16(416);
  e["wContrast"] = u.S16(612);
  e["wRet"] = 2;
  e["wHbrMode"] = e["copy466"] = (u.S16(2374) >= 0 && u.S16(2374) <= 4) ? u.S16(2374) : 1;
  e["flag448"] = 1;
  e["wUserDefPaper"] = kadu::PaperIndexOfCode(info, 264) >= 0 ? u.S16(2378) : 0;
  e["selector454"] = 1;
  e["wPrDensity"] = u.S16(2380);
  const int media = kadu::MediaCodeAt(info, info.media.order) & 0xF;
  e["wMediaType"] = media | (media << 4);
  e["selector462"] = 1;
  e["wPaperKind"] = u.S16(2376);
  e["wTonerSave"] = u.S16(604);
  e["wWatermarkFlags"] = u.S16(438);
  e["wOffsetX"] = u.S16(2388);
  e["wOffsetY"] = u.S16(2390);
  e["wAutoTray"] = u.S16(298) ? 1 : 0;
  e["wLandDirect"] = u.S16(280) == 0 ? 1 : 0;
  e["wLandDirectByClass"] = 1;
  e["wPrintMode"] = resident ? u.S16(2368) : 1;
  e["wUsePrinterFont"] = subst && u.S16(2458) ? 1 : 0;
  e["wPrintModeKind"] = resident ? (e["wPrintMode"] == 1 ? 1 : 2) : 1;
  e["wUiQuality"] = kadu::DefaultUiQuality(rec);
  e["dwAvailMemory"] = kadu::MemoryEstimate(info, 0, LevelDpi(info, int(e["wUiQuality"])));
  e["wBandArea"] = booklet ? u.S16(388) : u.S16(386);
  e["wBandAreaNup"] = u.S16(386);
  e["wBandAreaBookLet"] = duplexF ? u.S16(388) : 0;
  e["wBandWidth"] = booklet ? u.S16(392) : u.S16(390);
  e["wBandWidthNup"] = u.S16(390);
  e["wBandWidthBookLet"] = u.S16(392);
  const int colorMode = mono ? 2 : u.S16(404);
  e["wColorModeFlag"] = resident && colorMode != 2 ? 1 : 0;
  e["wBlackFinish"] = u.S16(414) == 2 ? 0 : 1;
  e["flag904"] = 1;
  e["wHalftone"] = u.S16(406);
  e["wColorAdjust"] = u.S16(408);
  e["wColorAdjustOpt"] = u.S16(410);
  e["wColorDarkness"] = u.S16(606);
  e["wColorContrast"] = u.S16(608);
  e["wJobType"] = u.S16(286);
  e["wOutputBin"] = u.S16(394);
  e["wDeviceOptions"] = (u.S16(308) ? 1 : 0) | (u.S16(304) ? 2 : 0) | (u.S16(302) ? 8 : 0);
  e["wSourceOptions"] = u.S16(296);
  e["wColorModeKind"] = u.S16(404) == 0 ? 3 : 0;
  e["dwJobTypeOption"] = 0x2 | (u.S32(292) ? 1 : 0);
  e["wBlackFinishMode"] = u.S16(414) == 2 ? 3 : (u.S16(414) == 1 ? 0 : 1);
  e["wSendColorData"] = 1;
  e["wColorProcessMode"] = u.S16(400);
  e["wImageThinOut"] = u.S16(420);
  e["wPortDirect"] = u.S16(278) ? 1 : 0;
  e["wDetailFlags"] = (u.S16(422) ? 0x1 : 0) | (u.S16(432) ? 0x8 : 0) | (u.S16(434) ? 0x10 : 0) |
                      (u.S16(2360) ? 0x20 : 0) | (u.S16(2386) ? 0x40 : 0) | (u.S16(430) ? 0x80 : 0) |
                      ((u.S16(2450) & 0x1) ? 0x100 : 0) | (u.S16(428) ? 0x8000 : 0);
  int finish = mkk ? (u.S16(414) == 2 ? 4 : (u.S16(414) == 1 ? 2 : 1)) : 0;
  e["wBlackFinishFlags"] = finish | (u.S16(424) ? 0x100 : 0) | (mkk && u.S16(426) ? 0x20 : 0);
  e["wCopyUnit"] = 2;
  e["wOverPrint"] = u.S16(412);
  e["wCoverPrint"] = u.S16(268);
  e["wCoverSource"] = u.S16(270);
  e["wCoverMedia"] = u.S16(272);
  e["value1090"] = u.S16(310);
  e["value1092"] = u.S16(312);
  e["wMPFisManual"] = u.S16(614);
  e["wEnvWarningDlg"] = u.S16(582);
  for (int i = 0; i < 6; ++i) e["envLimit" + std::to_string(i)] = u.S16(584 + 2 * i);
  e["wDriverSettingInfo"] = u.S16(274);
  e["wEnableEnv"] = u.S16(596);
  e["wPaperFlags"] = (u.S16(300) ? 1 : 0) | (u.S16(282) && a3 ? 2 : 0) | (u.S16(2382) ? 4 : 0);
  e["wFlateCompress"] = u.S16(2362) & 0xFF;
  e["wFlateLevel"] = (u.S16(2364) >= 0 && u.S16(2364) <= 9) ? u.S16(2364) : 6;
  e["wDirectRaster"] = direct ? 2 : 0;
  e["wEnablePrTimeOut"] = (u.S16(2450) >> 8) & 1;
  e["wPrTimeOut"] = std::min<int>(uint16_t(u.S16(2452)), 300);
  e["wDispType"] = u.S16(2454);
  return e;
}

struct ModelCase {
  const char16_t* printer;
  const char16_t* driver;
};

class Defaults : public DevmodeWorld, public ::testing::WithParamInterface<ModelCase> {};

TEST_P(Defaults, EveryFieldAsDocumented) {
  const ModelCase& c = GetParam();
  kadu::DriverDevmode dm = Default(c.printer);
  DecodedDevmode d = DecodeDevmode(&dm, sizeof(dm));
  std::map<std::string, int64_t> e = Expected(c.driver);
  for (const auto& [name, value] : e) EXPECT_EQ(d[name], value) << name;
  EXPECT_EQ(d.Text("dmDeviceName"), std::u16string(c.printer));
  EXPECT_EQ(d.Text("szDriverName"), std::u16string(c.driver));
  for (const char* t : {"dmFormName", "szWatermarkId", "szWatermarkText", "szWatermarkFace", "watermarkReserved706",
                        "szJobName", "szJobNameSaved", "szFavoriteName"})
    EXPECT_EQ(d.Text(t), u"") << t;
  // Bytes the record does not name are zero.
  auto* bytes = reinterpret_cast<const uint8_t*>(&dm);
  for (size_t off : {248, 280, 320, 399, 404, 418, 442, 774, 786, 802, 932, 938, 1028, 1184, 1439, 1442, 1697, 1708,
                     1718, 1728, 1815})
    EXPECT_EQ(bytes[off], 0) << off;
}

INSTANTIATE_TEST_SUITE_P(ShippedModels, Defaults,
                         ::testing::Values(ModelCase{kDesk, kDeskDriver}, ModelCase{kOffice, kOfficeDriver},
                                           ModelCase{kJapan, kJapanDriver}));

// A few values of the shipped models, stated outright.
TEST_F(DevmodeWorld, ShippedModelsAtAGlance) {
  DecodedDevmode desk = Decode(Default(kDesk));
  EXPECT_EQ(desk["dmPaperSize"], 1);         // Letter in a Letter country
  EXPECT_EQ(desk["dmPrintQuality"], 600);
  EXPECT_EQ(desk["wUiQuality"], -2);
  EXPECT_EQ(desk["wDeviceOptions"], 0x8);
  EXPECT_EQ(desk["dmFields"], 0x9F13);
  DecodedDevmode office = Decode(Default(kOffice));
  EXPECT_EQ(office["wDarkness"], 100);       // "UDDarkness=-28" in the site overrides
  EXPECT_EQ(office["wContrast"], 140);
  EXPECT_EQ(office["wOutputBin"], 18);
  EXPECT_EQ(office["wDetailFlags"] & 0x100, 0x100);  // first byte of "UDEnablePrTimeOut=0x0101"
  EXPECT_EQ(office["wEnablePrTimeOut"], 1);          // its second byte
  EXPECT_EQ(office["wPrTimeOut"], 120);
  EXPECT_EQ(office["wDirectRaster"], 2);
  EXPECT_EQ(office["wDeviceOptions"], 0xB);
  DecodedDevmode japan = Decode(Default(kJapan));
  EXPECT_EQ(japan["wBlackFinishFlags"], 4);  // MKK model, "UDBlackFinish=2"
  EXPECT_EQ(japan["wBlackFinish"], 0);
  EXPECT_EQ(japan["wBlackFinishMode"], 3);
  EXPECT_EQ(japan["wDarkness"], 138);
  EXPECT_EQ(japan["wContrast"], 118);
}

TEST_F(DevmodeWorld, DefaultsOutOfRangeFallBack) {
  const std::string f = "K2630.INI";
  SetModelKey(f, "ETC", "UDdmScale", "0", kDeskDriver);
  SetModelKey(f, "LAYOUTTYPE", "UDCstmX", "0", kDeskDriver);
  SetModelKey(f, "LAYOUTTYPE", "UDCstmY", "7", kDeskDriver);
  SetModelKey(f, "MISC", "UDfHbrMode", "9", kDeskDriver);
  SetModelKey(f, "ORIENTAION", "UDOrientation", "5", kDeskDriver);
  SetModelKey(f, "COPIES", "UDCopies", "0", kDeskDriver);
  SetModelKey(f, "MISC", "UDExpand", "9", kDeskDriver);
  SetModelKey(f, "DETAILSETTING", "UDEnablePrTimeOut", "0x0100", kDeskDriver);
  SetModelKey(f, "DETAILSETTING", "UDPrTimeOut", "900", kDeskDriver);
  SetModelKey(f, "COLOREFFECT", "UDDarkness", "-28", kDeskDriver);
  SetModelKey(f, "MISC", "UDPrDensity", "9", kDeskDriver);
  SetModelKey(f, "LAYOUTTYPE", "UDdwPageBorder", "8", kDeskDriver);
  DecodedDevmode d = Decode(Default(kDesk));
  EXPECT_EQ(d["dmScale"], 100);  // a scale of 0 from the data would divide later
  EXPECT_EQ(d["wZoomPreset"], -1);
  EXPECT_EQ(d["dwCstmX"], 2);
  EXPECT_EQ(d["dwCstmY"], 2);
  EXPECT_EQ(d["wHbrMode"], 1);
  EXPECT_EQ(d["copy466"], 1);
  EXPECT_EQ(d["dmOrientation"], 1);
  EXPECT_EQ(d["dmCopies"], 1);
  EXPECT_EQ(d["wEnablePrTimeOut"], 1);
  EXPECT_EQ(d["wDetailFlags"] & 0x100, 0);
  EXPECT_EQ(d["wPrTimeOut"], 300);
  EXPECT_EQ(d["wDarkness"], 100);
  EXPECT_EQ(d["wPrDensity"], 9);  // the default keeps the model's density; the merge replaces it
  EXPECT_EQ(d["dwPageBorder"], 1);
}

TEST_F(DevmodeWorld, UnreadableDriverLeavesTheOutputAlone) {
  kw::hooks::PrinterDriverDetails det;
  det.getDriverFailure = ERROR_ACCESS_DENIED;
  kw::hooks::PrinterSetDriverDetails("Desk Printer", det);
  kadu::DriverDevmode dm;
  std::memset(&dm, 0x5A, sizeof(dm));
  HANDLE h = Open(kDesk);
  EXPECT_FALSE(kadu::BuildDefaultDevmode(&dm, kDesk, h));
  ClosePrinter(h);
  const auto* b = reinterpret_cast<const uint8_t*>(&dm);
  EXPECT_TRUE(std::all_of(b, b + sizeof(dm), [](uint8_t x) { return x == 0x5A; }));
  EXPECT_FALSE(kadu::BuildDefaultDevmode(&dm, kDesk, nullptr));
}

TEST_F(DevmodeWorld, LongNamesAreCut) {
  const char16_t* longName = u"A printer with a name far longer than thirty-one characters";
  Install(longName, kDeskDriver);
  DecodedDevmode d = Decode(Default(longName));
  EXPECT_EQ(d.Text("dmDeviceName"), std::u16string(longName).substr(0, 31));
}

}  // namespace
