#include "tests/support/devmode_decoder.h"

#include <gtest/gtest.h>

namespace kadu_test {
namespace {

enum Kind { U16, S16, U32, S32, TEXT };

struct Field {
  const char* name;
  size_t offset;
  Kind kind;
  size_t chars;  // TEXT
};

// The offsets table of the record, public part first.
const Field kFields[] = {
    {"dmDeviceName", 0, TEXT, 32},
    {"dmSpecVersion", 64, U16, 0},
    {"dmDriverVersion", 66, U16, 0},
    {"dmSize", 68, U16, 0},
    {"dmDriverExtra", 70, U16, 0},
    {"dmFields", 72, U32, 0},
    {"dmOrientation", 76, S16, 0},
    {"dmPaperSize", 78, S16, 0},
    {"dmPaperLength", 80, S16, 0},
    {"dmPaperWidth", 82, S16, 0},
    {"dmScale", 84, S16, 0},
    {"dmCopies", 86, S16, 0},
    {"dmDefaultSource", 88, S16, 0},
    {"dmPrintQuality", 90, S16, 0},
    {"dmColor", 92, S16, 0},
    {"dmDuplex", 94, S16, 0},
    {"dmYResolution", 96, S16, 0},
    {"dmTTOption", 98, S16, 0},
    {"dmCollate", 100, S16, 0},
    {"dmFormName", 102, TEXT, 32},
    {"dmLogPixels", 166, U16, 0},
    {"dmBitsPerPel", 168, U32, 0},
    {"dmPelsWidth", 172, U32, 0},
    {"dmPelsHeight", 176, U32, 0},
    {"dmDisplayFlags", 180, U32, 0},
    {"dmDisplayFrequency", 184, U32, 0},
    {"dwFinishingMode", 220, U32, 0},
    {"dwPagesPerSheet", 224, U32, 0},
    {"dwNupColumns", 228, U32, 0},
    {"dwNupRows", 232, U32, 0},
    {"dwNupOrder", 236, U32, 0},
    {"dwPageBorder", 240, U32, 0},
    {"dwMultipage", 244, U32, 0},
    {"dwSignature", 252, S32, 0},
    {"dwLayoutFlags", 256, U32, 0},
    {"spare260", 260, U32, 0},
    {"spare264", 264, U32, 0},
    {"dwFitPaperSize", 268, U32, 0},
    {"dwFitPage", 272, U32, 0},
    {"wFitPaperWidth", 276, U16, 0},
    {"wFitPaperLength", 278, U16, 0},
    {"dwPosterSheets", 288, S32, 0},
    {"dwCstmX", 292, U32, 0},
    {"dwCstmY", 296, U32, 0},
    {"dwPosterFlags", 300, U32, 0},
    {"dwRegistColor", 304, U32, 0},
    {"dwOverlapWidth", 308, U32, 0},
    {"dwEnlarge", 312, U32, 0},
    {"spare316", 316, U32, 0},
    {"flag400", 400, U32, 0},
    {"dwPageCount", 408, U32, 0},
    {"wManualDuplex", 412, U16, 0},
    {"wOutputBinCopy", 414, U16, 0},
    {"wEffectiveSource", 416, U16, 0},
    {"wDizaling", 420, U16, 0},
    {"wDarkness", 422, S16, 0},
    {"bits424", 424, U16, 0},
    {"selector426", 426, U16, 0},
    {"spare428", 428, U16, 0},
    {"colorBits430", 430, U16, 0},
    {"wContrast", 432, S16, 0},
    {"wRet", 434, U16, 0},
    {"wCustomWidth", 436, U16, 0},
    {"wCustomLength", 438, U16, 0},
    {"wZoomPreset", 440, S16, 0},
    {"wHbrMode", 446, U16, 0},
    {"flag448", 448, U16, 0},
    {"wUserDefPaper", 450, U16, 0},
    {"flag452", 452, U16, 0},
    {"selector454", 454, U16, 0},
    {"wPrDensity", 456, S16, 0},
    {"wMediaType", 458, U16, 0},
    {"flag460", 460, U16, 0},
    {"selector462", 462, U16, 0},
    {"wPaperKind", 464, U16, 0},
    {"copy466", 466, U16, 0},
    {"spare468", 468, U16, 0},
    {"wTonerSave", 470, U16, 0},
    {"wWatermarkFlags", 472, U16, 0},
    {"szWatermarkId", 474, TEXT, 20},
    {"szWatermarkText", 514, TEXT, 64},
    {"szWatermarkFace", 642, TEXT, 32},
    {"watermarkReserved706", 706, TEXT, 32},
    {"wWatermarkSize", 770, U16, 0},
    {"wWatermarkAngle", 772, S16, 0},
    {"dwWatermarkColor", 776, U32, 0},
    {"wWatermarkX", 780, S16, 0},
    {"wWatermarkY", 782, S16, 0},
    {"wWatermarkItalic", 784, U16, 0},
    {"dwWatermarkWeight", 788, S32, 0},
    {"wWatermarkCharSet", 792, U16, 0},
    {"selector794", 794, U16, 0},
    {"wOffsetX", 796, U16, 0},
    {"wOffsetY", 798, U16, 0},
    {"wAutoTray", 800, U16, 0},
    {"wLandDirect", 804, U16, 0},
    {"wLandDirectByClass", 806, U16, 0},
    {"flag808", 808, U16, 0},
    {"wPrintMode", 810, U16, 0},
    {"wUsePrinterFont", 812, U16, 0},
    {"wPrintModeKind", 814, U16, 0},
    {"szDriverName", 816, TEXT, 32},
    {"dwAvailMemory", 880, U32, 0},
    {"value884", 884, U16, 0},
    {"wBandArea", 886, U16, 0},
    {"wBandAreaNup", 888, U16, 0},
    {"wBandAreaBookLet", 890, U16, 0},
    {"wBandWidth", 892, U16, 0},
    {"wBandWidthNup", 894, U16, 0},
    {"wBandWidthBookLet", 896, U16, 0},
    {"wColorModeFlag", 898, U16, 0},
    {"wBlackFinish", 900, U16, 0},
    {"flag902", 902, U16, 0},
    {"flag904", 904, U16, 0},
    {"wHalftone", 906, U16, 0},
    {"flag908", 908, U16, 0},
    {"wColorAdjust", 910, U16, 0},
    {"wColorAdjustOpt", 912, U16, 0},
    {"flag914", 914, U16, 0},
    {"value916", 916, U16, 0},
    {"wColorDarkness", 918, S16, 0},
    {"wColorContrast", 920, S16, 0},
    {"flag922", 922, U16, 0},
    {"wPrintToFile", 924, U16, 0},
    {"wJobType", 926, U16, 0},
    {"wOutputBin", 928, U16, 0},
    {"wDeviceOptions", 930, U16, 0},
    {"wSourceOptions", 934, U16, 0},
    {"wColorModeKind", 936, U16, 0},
    {"dwJobPin", 940, U32, 0},
    {"szJobName", 944, TEXT, 20},
    {"szJobNameSaved", 984, TEXT, 20},
    {"dwJobTypeOption", 1024, U32, 0},
    {"wBlackFinishMode", 1030, U16, 0},
    {"dwOverlayId0", 1032, U32, 0},
    {"dwOverlayId1", 1036, U32, 0},
    {"dwOverlayId2", 1040, U32, 0},
    {"dwOverlayId3", 1044, U32, 0},
    {"wOverlayMode", 1048, U16, 0},
    {"wSendColorData", 1050, U16, 0},
    {"wDriverCollate", 1052, U16, 0},
    {"wColorProcessMode", 1054, U16, 0},
    {"wImageThinOut", 1056, U16, 0},
    {"wPortDirect", 1058, U16, 0},
    {"wDetailFlags", 1060, U16, 0},
    {"wBlackFinishFlags", 1062, U16, 0},
    {"wCopyUnit", 1064, U16, 0},
    {"wOverPrint", 1066, U16, 0},
    {"dwFinishingOption", 1068, U32, 0},
    {"stamp0", 1072, U16, 0},
    {"stamp1", 1074, U16, 0},
    {"stamp2", 1076, U16, 0},
    {"stamp3", 1078, U16, 0},
    {"zero1080", 1080, U16, 0},
    {"zero1082", 1082, U16, 0},
    {"wCoverPrint", 1084, U16, 0},
    {"wCoverSource", 1086, U16, 0},
    {"wCoverMedia", 1088, U16, 0},
    {"value1090", 1090, U16, 0},
    {"value1092", 1092, U16, 0},
    {"wMPFisManual", 1094, U16, 0},
    {"contents1096", 1096, U16, 0},
    {"wEnvWarningDlg", 1098, U16, 0},
    {"envLimit0", 1100, U16, 0},
    {"envLimit1", 1102, U16, 0},
    {"envLimit2", 1104, U16, 0},
    {"envLimit3", 1106, U16, 0},
    {"envLimit4", 1108, U16, 0},
    {"envLimit5", 1110, U16, 0},
    {"wFavoriteIndex", 1112, U16, 0},
    {"szFavoriteName", 1114, TEXT, 32},
    {"wFavoriteCount", 1178, U16, 0},
    {"wDriverSettingInfo", 1180, U16, 0},
    {"wEnableEnv", 1182, U16, 0},
    {"wColorDataTSize", 1440, U16, 0},
    {"wColorDataVSize", 1698, U16, 0},
    {"wPaperFlags", 1700, U16, 0},
    {"wFlateCompress", 1702, U16, 0},
    {"wFlateLevel", 1704, U16, 0},
    {"wLongEdgeFeed", 1706, U16, 0},
    {"wPrintMargin", 1710, U16, 0},
    {"wDirectRaster", 1712, U16, 0},
    {"wWatermarkAnchor", 1714, S16, 0},
    {"wWatermarkFrame", 1716, S16, 0},
    {"wEnablePrTimeOut", 1720, U16, 0},
    {"wPrTimeOut", 1722, U16, 0},
    {"wDispType", 1724, U16, 0},
    {"wUiQuality", 1726, S16, 0},
};

int64_t Read(const uint8_t* p, Kind k) {
  uint32_t v = p[0] | (uint32_t(p[1]) << 8);
  if (k == U32 || k == S32) v |= (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
  switch (k) {
    case U16: return v;
    case S16: return int16_t(uint16_t(v));
    case U32: return v;
    case S32: return int32_t(v);
    default: return 0;
  }
}

const Field* Find(const std::string& name) {
  for (const Field& f : kFields)
    if (name == f.name) return &f;
  return nullptr;
}

}  // namespace

int64_t DecodedDevmode::operator[](const std::string& name) const {
  auto it = values.find(name);
  EXPECT_NE(it, values.end()) << "no field " << name;
  return it == values.end() ? 0 : it->second;
}

std::u16string DecodedDevmode::Text(const std::string& name) const {
  auto it = texts.find(name);
  EXPECT_NE(it, texts.end()) << "no text " << name;
  return it == texts.end() ? std::u16string() : it->second;
}

DecodedDevmode DecodeDevmode(const void* record, size_t size) {
  DecodedDevmode d;
  EXPECT_GE(size, 1816u);
  if (size < 1816) return d;
  auto* p = static_cast<const uint8_t*>(record);
  for (const Field& f : kFields) {
    if (f.kind != TEXT) {
      d.values[f.name] = Read(p + f.offset, f.kind);
      continue;
    }
    std::u16string s;
    for (size_t i = 0; i < f.chars; ++i) {
      char16_t c = char16_t(p[f.offset + 2 * i] | (p[f.offset + 2 * i + 1] << 8));
      if (i + 1 == f.chars) {
        EXPECT_EQ(c, 0) << f.name << " is not terminated";
      }
      if (c == 0) break;
      s.push_back(c);
    }
    d.texts[f.name] = s;
  }
  return d;
}

DecodedDevmode DecodeDevmode(const std::vector<uint8_t>& bytes) { return DecodeDevmode(bytes.data(), bytes.size()); }

std::vector<std::string> DevmodeDecoderFields() {
  std::vector<std::string> names;
  for (const Field& f : kFields)
    if (f.kind != TEXT) names.push_back(f.name);
  return names;
}

size_t DevmodeFieldOffset(const std::string& name) {
  const Field* f = Find(name);
  EXPECT_NE(f, nullptr) << "no field " << name;
  return f ? f->offset : 0;
}

void PutDevmodeWord(std::vector<uint8_t>* bytes, size_t offset, uint16_t value) {
  if (bytes->size() < offset + 2) bytes->resize(offset + 2);
  (*bytes)[offset] = uint8_t(value);
  (*bytes)[offset + 1] = uint8_t(value >> 8);
}

void PutDevmodeDword(std::vector<uint8_t>* bytes, size_t offset, uint32_t value) {
  PutDevmodeWord(bytes, offset, uint16_t(value));
  PutDevmodeWord(bytes, offset + 2, uint16_t(value >> 16));
}

void PutDevmodeField(std::vector<uint8_t>* bytes, const std::string& name, int64_t value) {
  const Field* f = Find(name);
  ASSERT_NE(f, nullptr) << "no field " << name;
  ASSERT_NE(f->kind, TEXT) << name;
  if (f->kind == U16 || f->kind == S16)
    PutDevmodeWord(bytes, f->offset, uint16_t(value));
  else
    PutDevmodeDword(bytes, f->offset, uint32_t(value));
}

void PutDevmodeText(std::vector<uint8_t>* bytes, size_t offset, const std::u16string& text) {
  for (size_t i = 0; i < text.size(); ++i) PutDevmodeWord(bytes, offset + 2 * i, text[i]);
  PutDevmodeWord(bytes, offset + 2 * text.size(), 0);
}

}  // namespace kadu_test
