#include "common/model_parse.h"

#include <climits>
#include <cstring>

#include "common/builtin_tables.h"
#include "common/dither_table.h"
#include "common/model_store.h"
#include "common/user_defaults.h"
#include "common/value_syntax.h"

namespace kadu {
namespace {

const char16_t kDefaultMask[] = u"TRAY.12345AMD__ + STK.UD + FIN.UD + EJS23L23PS";

// The two files of a model, looked up CustomFile first.
struct Keys {
  const std::u16string& custom;
  const std::u16string& def;

  static bool TextOf(const std::u16string& file, const char16_t* sec, const char16_t* key, std::u16string* out) {
    WCHAR buf[kMaxValueChars + 1];
    DWORD n = GetPrivateProfileStringW(sec, key, u"", buf, kMaxValueChars + 1, file.c_str());
    out->assign(buf, n);
    return n > 0;  // an empty text counts as absent
  }
  static bool IntOf(const std::u16string& file, const char16_t* sec, const char16_t* key, int32_t* out) {
    INT v = INT(GetPrivateProfileIntW(sec, key, INT_MIN, file.c_str()));
    if (v == INT_MIN) return false;  // INT_MIN stands for a missing key
    *out = v;
    return true;
  }
  std::u16string Text(const char16_t* sec, const char16_t* key, const char16_t* builtin) const {
    std::u16string v;
    if (TextOf(custom, sec, key, &v) || TextOf(def, sec, key, &v)) return v;
    return builtin;
  }
  int32_t Int(const char16_t* sec, const char16_t* key, int32_t builtin) const {
    int32_t v;
    if (IntOf(custom, sec, key, &v) || IntOf(def, sec, key, &v)) return v;
    return builtin;
  }
  // A switch not given in a file falls through to the next.
  bool Switch(const char16_t* sec, const char16_t* key, bool builtin) const {
    for (const std::u16string* f : {&custom, &def}) {
      std::u16string v;
      if (!TextOf(*f, sec, key, &v)) continue;
      YesNo yn = ParseYesNo(v);
      if (yn != YesNo::NotGiven) return yn == YesNo::Yes;
    }
    return builtin;
  }
};

struct FeatureKey {
  const char16_t* key;
  uint32_t bit;
};

const FeatureKey kFeatures[] = {
    {u"True1200", kTrue1200},           {u"ResidentFont", kResidentFont},
    {u"Japan", kJapan},                 {u"A3Printer", kA3Printer},
    {u"NoWatermark", kNoWatermark},     {u"Duplex", kDuplexFeature},
    {u"DirectRaster", kDirectRaster},   {u"HeiseFont", kHeiseFont},
    {u"EnvRotate", kEnvRotate},         {u"Collate", kCollate},
    {u"FontSubstitution", kFontSubstitution}, {u"DuplexOption", kDuplexOption},
    {u"Fast600", kFast600},             {u"OnlyFast600", kOnlyFast600},
    {u"Monochrome", kMonochrome},       {u"ReversePortrait", kReversePortrait},
    {u"MKK", kMKK},                     {u"GL2", kGL2},
    {u"MTP_ShortFeed", kMtpShortFeed},  {u"Finisher", kFinisherFeature},
    {u"WideUserDefinePaper", kWideUserDefinePaper}, {u"MPT_Duplex", kMptDuplex},
    {u"EnvMode", kEnvMode},             {u"MPT", kMPT},
    {u"1ST_LARGE", k1stLarge},          {u"Overlay", kOverlay},
};

uint32_t ReadFeatures(const Keys& k) {
  uint32_t word = kBuiltinFeatures;
  bool heise = IsJapaneseSystem();
  for (const auto& f : kFeatures) {
    if (f.bit == kHeiseFont && !heise) continue;  // keeps its built-in value
    bool on = k.Switch(u"PRINTERINFO", f.key, (kBuiltinFeatures & f.bit) != 0);
    word = on ? (word | f.bit) : (word & ~f.bit);
  }
  return word;
}

template <size_t N>
int16_t ReadList(const std::u16string& text, uint32_t (&items)[N]) {
  int32_t v[N];
  size_t n = ParseNumberList(text, false, v, N);
  for (size_t i = 0; i < n; ++i) items[i] = uint32_t(v[i]);
  return int16_t(n);
}

void ReadPaperList(const Keys& k, const char16_t* listKey, const char16_t* builtin, const char16_t* orderKey,
                   int32_t builtinOrder, PaperList* list) {
  list->count = ReadList(k.Text(u"PRINTERINFO", listKey, builtin), list->items);
  list->order = k.Int(u"PRINTERINFO", orderKey, builtinOrder);
}

void ReadShortList(const Keys& k, const char16_t* listKey, const char16_t* builtin, const char16_t* orderKey,
                   ShortList* list) {
  list->count = ReadList(k.Text(u"PRINTERINFO", listKey, builtin), list->items);
  list->order = k.Int(u"PRINTERINFO", orderKey, 0);
}

void ReadSignedFour(const Keys& k, const char16_t* key, const char16_t* builtin, int16_t* out) {
  int32_t v[4] = {};
  ParseNumberList(k.Text(u"PRINTERINFO", key, builtin), true, v, 4);
  for (int i = 0; i < 4; ++i) out[i] = int16_t(v[i]);
}

void ReadDitherIds(const Keys& k, const char16_t* key, const char16_t* builtin, uint8_t* ids) {
  int32_t v[kDitherListCapacity] = {};
  size_t n = ParseNumberList(k.Text(u"DITHER32", key, builtin), false, v, kDitherListCapacity);
  for (size_t i = 0; i < n; ++i) ids[i] = uint8_t(v[i]);
}

void ReadInfo(const Keys& k, const WCHAR* driverName, ModelInfo* info) {
  info->infoType = int16_t(k.Int(u"PRINTERINFO", u"InfoType", 0));
  CopyName(info->driverName, kModelNameChars, driverName);
  info->features = ReadFeatures(k);
  info->logoBitmap = k.Int(u"PRINTERINFO", u"iLogoBmpID", 1);
  ReadPaperList(k, u"PaperSize", u"23, 0, 1, 2,24, 3, 5, 6,26, 7, 8,27,28,22,25,9,10,11,12,13,30,15,31,16,20,17,18,19",
                u"PaperOrder", 1, &info->paper);
  ReadPaperList(k, u"PaperSize_inch", u"", u"PaperOrder_inch", 0, &info->paperInch);
  ReadPaperList(k, u"PaperSize_mm", u"", u"PaperOrder_mm", 0, &info->paperMm);
  ReadShortList(k, u"Source", u"0,1,2,3,4,5,7", u"SourceOrder", &info->source);
  ReadShortList(k, u"PaperType", u"0,1,2,3,4,5,6,7", u"PaperTypeOrder", &info->paperType);
  ReadShortList(k, u"MediaType", u"13,4,3,0,1,2,9,11,12,5,6,7,8", u"MediatypeOrder", &info->media);
  ReadDitherIds(k, u"UDlpgrayEntryMesh", u" 1, 2, 3, 4, 5, 6, 7, 8, 9", info->meshIds);
  ReadDitherIds(k, u"UDlpgrayEntryLine", u"10,11,12,13,14,15,16,17,18", info->lineIds);
  info->defaultMemory = uint32_t(ParseFirstNumber(k.Text(u"PRINTERINFO", u"dwDefAvlMemory", u"3696"), false));
  info->pagesPerMinute = uint16_t(k.Int(u"PRINTERINFO", u"wPPM", 24));
  info->modelId = uint16_t(k.Int(u"PRINTERINFO", u"wModelID", 1));
  info->finisherType = ParseFinisherType(k.Text(u"PRINTERINFO", u"wFinisherType", u"PUNCH.2__ + TRAY._2_45"));
  ReadSignedFour(k, u"QualityType", u"3,2,1,0", info->qualityType);
  info->measure = int16_t(k.Int(u"PRINTERINFO", u"Measure", 0));
  info->fontDllVersion = int16_t(k.Int(u"PRINTERINFO", u"FontDLLVer", 0));
  ReadSignedFour(k, u"TimeOut", u"-1,-1,-1,-1", info->timeOut);
  info->internalFreeMemory = uint32_t(ParseFirstNumber(k.Text(u"PRINTERINFO", u"InternalFreeMemory", u""), false));
}

void ReadSubstTable(const std::u16string& def, ModelRecord* rec) {
  rec->substCapacity = int16_t(kSubstCapacity);
  for (size_t i = 0; i < kSubstCapacity; ++i) {
    std::u16string v;
    if (!Keys::TextOf(def, u"SUBSTTABLE", DecimalText(long(i + 1)).c_str(), &v)) break;
    ListCursor cur(v);
    std::u16string tt = cur.String(63), dev = cur.String(63);
    SubstEntry& e = rec->subst[i];
    std::memcpy(e.trueTypeFace, tt.data(), tt.size() * 2);
    std::memcpy(e.deviceFace, dev.data(), dev.size() * 2);
    e.number = int16_t(cur.Number(true));
  }
}

void ReadSizeLine(const Keys& k, const char16_t* key, const char16_t* builtin, int16_t* out) {
  int32_t v[8] = {};
  ParseNumberList(k.Text(u"USERFREESIZE", key, builtin), true, v, 8);
  for (int i = 0; i < 8; ++i) out[i] = int16_t(v[i]);
}

void ReadFreeSizes(const Keys& k, ModelRecord* rec) {
  const char16_t* port = u" 2159,  3556,  2550,  4200,   860,  1400,  1015,  1653";
  const char16_t* land = u" 3556,  2159,  4200,  2550,  1400,   860,  1653,  1015";
  ReadSizeLine(k, u"UDDPIChange_Portrait", port, rec->dpiChange[0]);
  ReadSizeLine(k, u"UDDPIChange_Landscape", land, rec->dpiChange[1]);
  ReadSizeLine(k, u"UDFreeSize_Portrait", port, rec->freeSize[0]);
  ReadSizeLine(k, u"UDFreeSize_Landscape", land, rec->freeSize[1]);
  ReadSizeLine(k, u"UDFinisherSize_Portrait", u" 2970, 12000,  3508, 14173,  1000,  1480,  1181,  1748",
               rec->finisherSize[0]);
  ReadSizeLine(k, u"UDFinisherSize_Landscape", u"12000,  2970, 14173,  3508,  1480,  1000,  1748,  1181",
               rec->finisherSize[1]);
}

void ReadMasks(const Keys& k, ModelRecord* rec) {
  int papers = PaperTableCount();
  for (int n = 0; n < papers; ++n)
    rec->paperMasks[n] =
        ParseCapabilityMask(k.Text(u"PaperSourceType", DecimalText(n + 1).c_str(), kDefaultMask));
  for (size_t n = 0; n < kBuiltinMediaCount; ++n) {
    MediaEntry& m = rec->mediaTable[n];
    m.code = kBuiltinMedia[n].code;
    m.displayString = kBuiltinMedia[n].displayString;
    m.mask = ParseCapabilityMask(k.Text(u"AllMediatype", DecimalText(long(n + 1)).c_str(), kDefaultMask));
  }
  rec->mediaCount = int16_t(kBuiltinMediaCount);
}

}  // namespace

bool IsJapaneseSystem() {
  WCHAR path[MAX_PATH];
  UINT n = GetSystemDirectoryW(path, MAX_PATH - 10);
  if (n == 0 || n >= MAX_PATH - 10) return false;
  std::u16string user = std::u16string(path, n) + u"\\USER.EXE";
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(user.c_str(), &handle);
  if (size == 0 || size > 65536) return false;
  std::u16string block((size + 1) / 2, u'\0');
  if (!GetFileVersionInfoW(user.c_str(), 0, size, block.data())) return false;
  void* value = nullptr;
  UINT len = 0;
  if (!VerQueryValueW(block.data(), u"\\VarFileInfo\\Translation", &value, &len) || len < 4) return false;
  WORD pair[2];
  std::memcpy(pair, value, 4);
  return pair[0] == 1041 && pair[1] == 932;
}

void ParseModel(const ModelFiles& files, const WCHAR* driverName, ModelRecord* rec) {
  std::memset(rec, 0, sizeof *rec);
  Keys k{files.customFile, files.defaultFile};
  ReadInfo(k, driverName, &rec->info);
  ChoosePaperList(&rec->info);

  // Document defaults: DefaultFile over the built-in block, then CustomFile over that.
  rec->defaults = BuiltinUserDefaults();
  CopyName(rec->defaults.driverName, 127, driverName);
  ReadUserDefaultsPass(files.defaultFile, rec->info, &rec->defaults);
  ReadUserDefaultsPass(files.customFile, rec->info, &rec->defaults);
  FinishUserDefaults(&rec->defaults);
  ReadCompressionCapability(DriverFolder(), driverName, &rec->defaults);

  ReadSubstTable(files.defaultFile, rec);
  ReadFreeSizes(k, rec);
  ReadMasks(k, rec);
  SanitizeModelRecord(rec, PaperTableCount());
}

}  // namespace kadu
