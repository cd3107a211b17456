#include "common/user_defaults.h"

#include <climits>
#include <cstring>

#include "common/model_accessors.h"
#include "common/model_record.h"
#include "common/value_syntax.h"

namespace kadu {
namespace {

enum class Kind : uint8_t {
  Int,         // INI integer rule
  TextNumber,  // a number (decimal or 0x hexadecimal) up to ","
  TextSigned,  // one signed number
  TextString,  // a quoted string
};

// The transform from the key's value to the stored value, applied once.
enum class Transform : uint8_t {
  None,
  Plus128,      // the key holds the value minus 128
  StoreZero,    // any value is stored as 0
  CoverSource,  // the key holds a list index; the source code is stored
};

struct KeyRow {
  const char16_t* section;
  const char16_t* key;
  size_t offset;     // as the block's format gives it
  size_t field;      // offsetof the field
  size_t width;      // bytes
  Kind kind;
  int32_t builtin;
  Transform transform;
};

#define UD(sec, key, name, off, kind, builtin, xf) \
  KeyRow { sec, key, off, offsetof(UserDefaults, name), sizeof(UserDefaults::name), Kind::kind, builtin, Transform::xf }

constexpr KeyRow kKeys[] = {
    UD(u"PAPER", u"UDfitpage", fitPage, 256, Int, 0, None),
    UD(u"PAPER", u"UDCoverPrint", coverPrint, 268, Int, 0, None),
    UD(u"PAPER", u"UDSource_Cover", sourceCover, 270, Int, 0, CoverSource),
    UD(u"PAPER", u"UDCoverPrintThick", coverPrintThick, 272, Int, 0, None),
    UD(u"PAPER", u"UDDriverSetting_Pinfof", driverSettingPinfof, 274, Int, 1, None),
    UD(u"ORIENTAION", u"UDOrientation", orientation, 276, Int, 1, None),
    UD(u"ORIENTAION", u"UDPortDirect", portDirect, 278, Int, 0, None),
    UD(u"ORIENTAION", u"UDLandDirect", landDirect, 280, Int, 0, None),
    UD(u"ORIENTAION", u"UDLongEdge", longEdge, 282, Int, 1, None),
    UD(u"ORIENTAION", u"UDMPFisManual", mpfIsManual, 614, Int, 0, None),
    UD(u"COPIES", u"UDCopies", copies, 284, Int, 1, None),
    UD(u"COPIES", u"UDwJobType", jobType, 286, Int, 0, StoreZero),
    UD(u"COPIES", u"UDfCollate", collate, 288, Int, 0, None),
    UD(u"REQUESTEVERY", u"UDdwJobTypeOption", jobTypeOption, 292, Int, 1, None),
    UD(u"OPTION", u"UDSouceOption", sourceOption, 296, Int, 0, None),
    UD(u"OPTION", u"UDautotray", autoTray, 298, Int, 1, None),
    UD(u"OPTION", u"UDsizechk", sizeCheck, 300, Int, 1, None),
    UD(u"OPTION", u"UDDuplex", duplex, 302, Int, 0, None),
    UD(u"OPTION", u"UDHdd", hdd, 304, Int, 0, None),
    UD(u"OPTION", u"UDJobSpool", jobSpool, 306, Int, 0, None),
    UD(u"OPTION", u"UDFinisher", finisher, 308, Int, 0, None),
    UD(u"OPTION", u"UDIntraySize", intraySize, 2382, Int, 0, None),
    UD(u"OPTION", u"UDHideDuplex", hideDuplex, 2394, Int, 0, None),
    UD(u"LAYOUTTYPE", u"UDdwFinishingMode", finishingMode, 316, Int, 0, None),
    UD(u"LAYOUTTYPE", u"UDmultipage", multipage, 320, Int, 0, None),
    UD(u"LAYOUTTYPE", u"UDdwPageBorder", pageBorder, 324, Int, 1, None),
    UD(u"LAYOUTTYPE", u"UDmultiPort", multiPort, 328, Int, 0, None),
    UD(u"LAYOUTTYPE", u"UDmultiLand", multiLand, 332, Int, 0, None),
    UD(u"LAYOUTTYPE", u"UDdwSignature", signature, 336, Int, -1, None),
    UD(u"LAYOUTTYPE", u"UD2UP", twoUp, 340, Int, 0, None),
    UD(u"LAYOUTTYPE", u"UDRightToLeft", rightToLeft, 344, Int, 0, None),
    UD(u"LAYOUTTYPE", u"UDEnlarge", enlarge, 348, Int, 0, None),
    UD(u"LAYOUTTYPE", u"UDRegistMarks", registMarks, 352, Int, 1, None),
    UD(u"LAYOUTTYPE", u"UDdwRegistColor", registColor, 356, TextNumber, 0xC0C0C0, None),
    UD(u"LAYOUTTYPE", u"UDOverlap", overlap, 360, Int, 1, None),
    UD(u"LAYOUTTYPE", u"UDOverlapWidth", overlapWidth, 364, Int, 100, None),
    UD(u"LAYOUTTYPE", u"UDCstmX", customX, 368, Int, 2, None),
    UD(u"LAYOUTTYPE", u"UDCstmY", customY, 372, Int, 2, None),
    UD(u"LAYOUTTYPE", u"UDDirectionPort", directionPort, 376, Int, 1, None),
    UD(u"LAYOUTTYPE", u"UDDirectionAuto", directionAuto, 380, Int, 1, None),
    UD(u"ETC", u"UDdmScale", scale, 384, Int, 100, None),
    UD(u"ETC", u"UDBandArea_Nup", bandAreaNup, 386, Int, 0, None),
    UD(u"ETC", u"UDBandArea_BookLet", bandAreaBookLet, 388, Int, 0, None),
    UD(u"ETC", u"UDBandWidth_Nup", bandWidthNup, 390, TextNumber, 0, None),
    UD(u"ETC", u"UDBandWidth_BookLet", bandWidthBookLet, 392, TextNumber, 0, None),
    UD(u"ETC", u"UDTonerSave", tonerSave, 604, Int, 0, None),
    UD(u"FINISHING", u"UDOutputBin", outputBin, 394, Int, 0, None),
    UD(u"DUPLEX", u"UDdmDuplex", dmDuplex, 402, Int, 1, None),
    UD(u"DUPLEX", u"UDsDup_Manual", dupManual, 2392, Int, 0, None),
    UD(u"COLORMODE", u"UDcolormode", colorMode, 404, Int, 0, None),
    UD(u"COLORMODECOLOR", u"UDhalftone", halftone, 406, Int, 0, None),
    UD(u"COLORMODECOLOR", u"UDcoloradjust", colorAdjust, 408, Int, 0, None),
    UD(u"COLORMODECOLOR", u"UDcoloradjustOpt", colorAdjustOpt, 410, Int, 0, None),
    UD(u"BLACKFINISH", u"UDBlackFinish", blackFinish, 414, Int, 1, None),
    UD(u"RESOLUTION", u"UDPrintQuality", printQuality, 418, Int, -3, None),
    UD(u"RESOLUTION", u"UDUiQuality", uiQuality, 2456, Int, -3, None),
    UD(u"IMAGEQUALITY", u"UDImageThinOut", imageThinOut, 420, Int, 100, None),
    UD(u"DETAILSETTING", u"UDfDriverExpand", driverExpand, 422, Int, 0, None),
    UD(u"DETAILSETTING", u"UDRop_MultiColor", ropMultiColor, 424, Int, 0, None),
    UD(u"DETAILSETTING", u"UDAlMatte", alMatte, 426, Int, 0, None),
    UD(u"DETAILSETTING", u"UDSpoolEMF", spoolEmf, 428, Int, 0, None),
    UD(u"DETAILSETTING", u"UDTIFF", tiff, 430, Int, 0, None),
    UD(u"DETAILSETTING", u"UDAdjLine", adjLine, 432, Int, 0, None),
    UD(u"DETAILSETTING", u"UDfOverPrint", overPrint, 412, Int, 0, None),
    UD(u"DETAILSETTING", u"UDAP_Collate", apCollate, 434, Int, 1, None),
    UD(u"DETAILSETTING", u"UDMaintenanceCycle", maintenanceCycle, 2360, Int, 0, None),
    UD(u"DETAILSETTING", u"UDEnablePrTimeOut", enablePrTimeOut, 2450, TextSigned, 0, None),
    UD(u"DETAILSETTING", u"UDPrTimeOut", prTimeOut, 2452, Int, 300, None),
    UD(u"APCOLOR", u"UDfColor", color, 416, Int, 1, None),
    UD(u"PROCESSMODE", u"UDColorProcessMode", colorProcessMode, 400, Int, 0, None),
    UD(u"FONT", u"UDOUTorBIT", outOrBit, 436, Int, 1, None),
    UD(u"FONT", u"UDUsePrinterFont", usePrinterFont, 2458, Int, 1, None),
    UD(u"WATERMARK", u"UDwFontSize", wmFontSize, 480, Int, 72, None),
    UD(u"WATERMARK", u"UDwAngle", wmAngle, 482, Int, 45, None),
    UD(u"WATERMARK", u"UDszFont", wmFont, 484, TextString, 0, None),
    UD(u"WATERMARK", u"UDlfWeight", wmWeight, 548, Int, 400, None),
    UD(u"WATERMARK", u"UDlfItalic", wmItalic, 552, Int, 0, None),
    UD(u"WATERMARK", u"UDdwColor", wmColor, 556, TextNumber, 0xC0C0C0, None),
    UD(u"WATERMARK", u"UDxOffset", wmXOffset, 564, Int, 0, None),
    UD(u"WATERMARK", u"UDyOffset", wmYOffset, 568, Int, 0, None),
    UD(u"WATERMARK", u"UDBasePos", wmBasePos, 572, Int, 3, None),
    UD(u"WATERMARK", u"UDTrim", wmTrim, 574, Int, 0, None),
    UD(u"WATERMARK", u"UDWM_XOffset", wmXOffsetShort, 576, Int, 118, None),
    UD(u"WATERMARK", u"UDWM_YOffset", wmYOffsetShort, 578, Int, 118, None),
    UD(u"PCENV", u"UDDocContents", docContents, 580, Int, 0, None),
    UD(u"PCENV", u"UDEnvWarningDlg", envWarningDlg, 582, Int, 0, None),
    UD(u"PCENV", u"UDFreeHdd_General32", freeHddGeneral, 584, Int, 0, None),
    UD(u"PCENV", u"UDFreeMem_General32", freeMemGeneral, 586, Int, 0, None),
    UD(u"PCENV", u"UDFreeGdi_General32", freeGdiGeneral, 588, Int, 0, None),
    UD(u"PCENV", u"UDFreeHdd_DTP32", freeHddDtp, 590, Int, 0, None),
    UD(u"PCENV", u"UDFreeMem_DTP32", freeMemDtp, 592, Int, 0, None),
    UD(u"PCENV", u"UDFreeGdi_DTP32", freeGdiDtp, 594, Int, 0, None),
    UD(u"PCENV", u"UDEnableEnv", enableEnv, 596, Int, 0, None),
    UD(u"COLOREFFECT", u"UDColorDarkness", colorDarkness, 606, Int, 0, None),
    UD(u"COLOREFFECT", u"UDColorContrast", colorContrast, 608, Int, 0, None),
    UD(u"COLOREFFECT", u"UDDarkness", darkness, 610, Int, 128, Plus128),
    UD(u"COLOREFFECT", u"UDContrast", contrast, 612, Int, 128, Plus128),
    UD(u"MISC", u"UDDizaling", dizaling, 2366, Int, 1, None),
    UD(u"MISC", u"UDPrintMode", printMode, 2368, Int, 0, None),
    UD(u"MISC", u"UDExpand", expand, 2370, Int, 0, None),
    UD(u"MISC", u"UDfBanding", banding, 2372, Int, 1, None),
    UD(u"MISC", u"UDfHbrMode", hbrMode, 2374, Int, 1, None),
    UD(u"MISC", u"UDfPaperKind", paperKind, 2376, Int, 0, None),
    UD(u"MISC", u"UDfUserDefPaper", userDefPaper, 2378, Int, 0, None),
    UD(u"MISC", u"UDPrDensity", prDensity, 2380, Int, -3, None),
    UD(u"MISC", u"UDScaleField", scaleField, 2384, Int, 1, None),
    UD(u"MISC", u"UDBlackLetter", blackLetter, 2386, Int, 0, None),
    UD(u"MISC", u"UDOffsetX", offsetX, 2388, Int, 0, None),
    UD(u"MISC", u"UDOffsetY", offsetY, 2390, Int, 0, None),
    UD(u"USERFREESIZE", u"UDDispType", dispType, 2454, Int, 0, None),
    UD(u"VALCODE", u"UDValCode", valCode, 2396, Int, 0, None),
    UD(u"VALCODE", u"UDValCode_del", valCodeDel, 2398, Int, 0, None),
    UD(u"VALCODE", u"UDValCode_custom1", valCodeCustom1, 2400, Int, 0, None),
    UD(u"VALCODE", u"UDValCode_custom2", valCodeCustom2, 2402, Int, 0, None),
    UD(u"VALCODE", u"UDValCode_custom3", valCodeCustom3, 2404, Int, 0, None),
    UD(u"VALCODE", u"UDValCode_density", valCodeDensity, 2406, Int, 0, None),
    UD(u"VALCODE", u"UDValCode_regions", valCodeRegions, 2408, Int, 0, None),
    UD(u"VALCODE", u"UDValCode_off_lev", valCodeOffLev, 2410, Int, 0, None),
    UD(u"VALCODE", u"UDValCode_Lite", valCodeLite, 2412, Int, 0, None),
    UD(u"VALCODE", u"UDValCode_Access", valCodeAccess, 2414, Int, 0, None),
    UD(u"VALCODE", u"UDValCode_Type", valCodeType, 2416, Int, 0, None),
    UD(u"VALCODE", u"UDValCode_Pass", valCodePass, 2418, TextString, 0, None),
};
#undef UD

constexpr bool OffsetsMatchTheFormat() {
  for (const auto& k : kKeys) {
    if (k.offset != k.field) return false;
    bool text = k.kind == Kind::TextString;
    if (!text && k.width != 2 && k.width != 4) return false;
    if (text && k.width < 4) return false;
  }
  return true;
}
static_assert(OffsetsMatchTheFormat(), "a key's field is not where the block's format puts it");

uint8_t* FieldOf(UserDefaults* ud, const KeyRow& k) { return reinterpret_cast<uint8_t*>(ud) + k.field; }

void StoreNumber(UserDefaults* ud, const KeyRow& k, int32_t v) {
  if (k.width == 2) {
    int16_t s = int16_t(v);
    std::memcpy(FieldOf(ud, k), &s, 2);
  } else {
    std::memcpy(FieldOf(ud, k), &v, 4);
  }
}

void StoreText(UserDefaults* ud, const KeyRow& k, const std::u16string& s) {
  size_t chars = k.width / 2;
  std::memset(FieldOf(ud, k), 0, k.width);
  std::memcpy(FieldOf(ud, k), s.data(), std::min(s.size(), chars - 1) * 2);
}

UserDefaults MakeBuiltin() {
  UserDefaults ud;
  std::memset(&ud, 0, sizeof ud);
  for (const auto& k : kKeys)
    if (k.kind != Kind::TextString) StoreNumber(&ud, k, k.builtin);
  std::char_traits<char16_t>::copy(ud.wmFont, u"Arial", 5);
  return ud;
}

// The key's value transformed; false keeps the value before (an index that
// names no source).
bool Apply(const KeyRow& k, int32_t raw, const ModelInfo& info, int32_t* stored) {
  switch (k.transform) {
    case Transform::None: *stored = raw; return true;
    case Transform::Plus128: *stored = raw + 128; return true;
    case Transform::StoreZero: *stored = 0; return true;
    case Transform::CoverSource: {
      int code = 0;
      if (!SourceCodeOfListIndex(info, raw, &code)) return false;
      *stored = code;
      return true;
    }
  }
  return false;
}

}  // namespace

const UserDefaults& BuiltinUserDefaults() {
  static const UserDefaults ud = MakeBuiltin();
  return ud;
}

void ReadUserDefaultsPass(const std::u16string& file, const ModelInfo& info, UserDefaults* ud) {
  WCHAR buf[kMaxValueChars + 1];
  for (const auto& k : kKeys) {
    if (k.kind == Kind::Int) {
      // INT_MIN stands for a missing key: the INI integer rule never needs it.
      INT v = INT(GetPrivateProfileIntW(k.section, k.key, INT_MIN, file.c_str()));
      int32_t stored;
      if (v != INT_MIN && Apply(k, v, info, &stored)) StoreNumber(ud, k, stored);
      continue;
    }
    DWORD n = GetPrivateProfileStringW(k.section, k.key, u"", buf, kMaxValueChars + 1, file.c_str());
    if (n == 0) continue;  // an empty text key counts as absent
    std::u16string_view text(buf, n);
    if (k.kind == Kind::TextString) StoreText(ud, k, ListCursor(text).String(k.width / 2 - 1));
    else StoreNumber(ud, k, ParseFirstNumber(text, k.kind == Kind::TextSigned));
  }
}

void FinishUserDefaults(UserDefaults* ud) { ud->spoolEmf = ud->spoolEmf == 1 ? 0 : 1; }

void ReadCompressionCapability(const std::u16string& driverFolder, const WCHAR* driverName, UserDefaults* ud) {
  OSVERSIONINFOW os{};
  os.dwOSVersionInfoSize = sizeof os;
  GetVersionExW(&os);
  std::u16string key = u"System\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\";
  key += os.dwMajorVersion == 4 ? u"Version-2\\" : u"Version-3\\";
  key += driverName;
  HKEY hkey = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &hkey) != ERROR_SUCCESS) return;
  std::u16string files(4096, u'\0');
  DWORD size = DWORD(files.size() * 2 - 4), type = 0;
  LONG e = RegQueryValueExW(hkey, u"Dependent Files", nullptr, &type, reinterpret_cast<BYTE*>(files.data()), &size);
  RegCloseKey(hkey);
  if (e != ERROR_SUCCESS || type != REG_MULTI_SZ) return;
  std::u16string capFile;
  for (const char16_t* p = files.c_str(); *p && capFile.empty(); p += std::char_traits<char16_t>::length(p) + 1) {
    std::u16string name(p);
    if (name.size() >= 4 && lstrcmpiW(name.c_str() + name.size() - 4, u".CAP") == 0)
      capFile = name.find(u'\\') == std::u16string::npos ? driverFolder + name : name;
  }
  if (capFile.empty()) return;
  WCHAR section[kMaxValueChars + 1], value[kMaxValueChars + 1];
  if (!GetPrivateProfileStringW(u"Capability", driverName, u"", section, kMaxValueChars + 1, capFile.c_str())) return;
  DWORD n = GetPrivateProfileStringW(section, u"Compression", u"", value, kMaxValueChars + 1, capFile.c_str());
  if (n == 0) return;
  std::u16string_view text(value, n);
  text = text.substr(0, text.find_first_of(u" \t"));
  uint32_t c = uint32_t(ParseFirstNumber(text, false));
  ud->flateCompress = int16_t(c & 0xFF);
  ud->flateLevel = int16_t((c >> 8) & 0xFF);
}

size_t UserDefaultsKeyCount() { return sizeof kKeys / sizeof kKeys[0]; }

void UserDefaultsKey(size_t i, const char16_t** section, const char16_t** key, size_t* offset) {
  *section = kKeys[i].section;
  *key = kKeys[i].key;
  *offset = kKeys[i].offset;
}

}  // namespace kadu
