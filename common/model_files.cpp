#include "common/model_files.h"

#include <mutex>

namespace kadu {
namespace {

struct FolderState {
  std::mutex mu;
  HMODULE module = nullptr;
  std::u16string override;
};

FolderState& Folders() {
  // A plain static, not a heap block: the driver libraries are unloaded
  // by their hosts, and the record must go with them.
  static FolderState s;
  return s;
}

constexpr DWORD kPathChars = 520;

std::u16string ReadDat(const WCHAR* section, const WCHAR* key) {
  std::u16string dat = DriverFolder() + u"KADU.DAT";
  WCHAR buf[kPathChars + 1];
  DWORD n = GetPrivateProfileStringW(section, key, u"", buf, kPathChars + 1, dat.c_str());
  return std::u16string(buf, n);
}

struct SettingCode {
  int code;
  const char16_t* key;
};

const SettingCode kSettings[] = {
    {1, u"VersionINFFile"},  {2, u"CommonVerInfDLL"},    {11, u"StringResDLL"},      {12, u"DialogResDLL"},
    {51, u"Help File"},      {52, u"VPSPOOL.DLL"},       {53, u"VPPRINT.INI"},       {70, u"UserDefineInfo"},
    {71, u"UserDefPaperInfo"}, {72, u"WatermarkInfo"},   {73, u"WatermarkDir"},      {74, u"MediatypeInfo"},
    {75, u"CustomPrinterInfo"}, {90, u"UsermodeDriverName"}, {101, u"OptionInf_Tray"}, {110, u"OptionInf_Duplex"},
    {111, u"OptionInf_HD"},  {112, u"OptionInf_Finisher"}, {120, u"OptionInf_RAM"},  {121, u"OptionInf_Flash"},
};

std::u16string BaseName(const std::u16string& path) {
  size_t slash = path.find_last_of(u"\\/");
  std::u16string name = slash == std::u16string::npos ? path : path.substr(slash + 1);
  size_t dot = name.find(u'.');
  return dot == std::u16string::npos ? name : name.substr(0, dot);
}

uint16_t ReadStamp(const std::u16string& file) {
  return uint16_t(GetPrivateProfileIntW(u"VERSION", u"Ver", 0, file.c_str()));
}

std::u16string SpecialFolder(int csidl) {
  WCHAR buf[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, buf, csidl, TRUE)) return u"C:\\KADU";
  std::u16string f(buf);
  if (f.empty() || f.back() != u'\\') f += u'\\';
  return f + u"KADU";
}

char16_t FoldAZ(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 0x20) : c; }

}  // namespace

void SetDriverModule(HMODULE module) {
  std::lock_guard<std::mutex> lock(Folders().mu);
  Folders().module = module;
}

void SetDriverFolder(const std::u16string& folder) {
  std::lock_guard<std::mutex> lock(Folders().mu);
  Folders().override = folder;
  if (!folder.empty() && folder.back() != u'\\') Folders().override += u'\\';
}

std::u16string DriverFolder() {
  {
    std::lock_guard<std::mutex> lock(Folders().mu);
    if (!Folders().override.empty()) return Folders().override;
  }
  HMODULE module;
  {
    std::lock_guard<std::mutex> lock(Folders().mu);
    module = Folders().module;
  }
  WCHAR buf[MAX_PATH + 1] = {};
  DWORD n = module ? GetModuleFileNameW(module, buf, MAX_PATH + 1) : 0;
  if (n > 0 && n <= MAX_PATH) {
    std::u16string path(buf, n);
    size_t slash = path.find_last_of(u'\\');
    if (slash != std::u16string::npos) return path.substr(0, slash + 1);
  }
  UINT m = GetSystemDirectoryW(buf, MAX_PATH);
  return std::u16string(buf, m < MAX_PATH ? m : 0) + u"\\";
}

bool GetDataFilePath(const WCHAR* section, const WCHAR* key, bool withFolder, std::u16string* out) {
  std::u16string value = ReadDat(section, key);
  *out = (withFolder ? DriverFolder() : std::u16string()) + value;
  return !value.empty();
}

DWORD ReadDriverSetting(int code, const WCHAR* section, WCHAR* out, DWORD outChars) {
  if (!out || outChars == 0) return 0;
  out[0] = 0;
  const char16_t* key = nullptr;
  for (const auto& s : kSettings)
    if (s.code == code) key = s.key;
  if (!key) return 0;
  std::u16string value = section ? ReadDat(section, key) : std::u16string();
  if (value.empty()) value = ReadDat(u"General", key);
  size_t n = std::min<size_t>(value.size(), outChars - 1);
  std::char_traits<char16_t>::copy(out, value.data(), n);
  out[n] = 0;
  return DWORD(n);
}

ModelFiles FindModelFiles(const WCHAR* driverName) {
  ModelFiles f;
  GetDataFilePath(u"Common", u"InitDataFile1", true, &f.ditherModule);
  GetDataFilePath(u"Common", u"InitDataFile2", true, &f.paperFile);
  GetDataFilePath(u"Common", u"InitDataFile3", true, &f.watermarkFile);
  GetDataFilePath(driverName, u"DefaultFile", true, &f.defaultFile);
  GetDataFilePath(driverName, u"CustomFile", true, &f.customFile);
  return f;
}

void ReadDataStamps(const ModelFiles& files, uint16_t stamps[4]) {
  stamps[0] = ReadStamp(files.paperFile);
  stamps[1] = ReadStamp(files.watermarkFile);
  stamps[2] = ReadStamp(files.defaultFile);
  stamps[3] = ReadStamp(files.customFile);
}

std::u16string SharedDataFolder() { return SpecialFolder(CSIDL_COMMON_APPDATA); }
std::u16string UserSettingsFolder() { return SpecialFolder(CSIDL_APPDATA); }

std::u16string CommonCachePath(const ModelFiles& files) {
  return SharedDataFolder() + u"\\" + BaseName(files.ditherModule) + u".cah";
}

std::u16string ModelCachePath(const ModelFiles& files) {
  return SharedDataFolder() + u"\\" + BaseName(files.defaultFile) + u".cah";
}

bool IsLetterCountry() {
  WCHAR buf[16] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, buf, 16) == 0) return false;
  int country = 0;
  for (const WCHAR* p = buf; *p >= u'0' && *p <= u'9'; ++p) country = country * 10 + (*p - u'0');
  switch (country) {
    case 1: case 2: case 51: case 52: case 54: case 56: case 57: case 58:
    case 591: case 593: case 595: case 598:
      return true;
    default:
      return country >= 501 && country <= 507;
  }
}

void CopyName(WCHAR* out, size_t chars, const WCHAR* in) {
  size_t n = 0;
  for (; in && n < chars && in[n]; ++n) out[n] = in[n];
  out[n] = 0;
}

bool SameDriverName(const WCHAR* a, const WCHAR* b) {
  for (;; ++a, ++b) {
    if (FoldAZ(*a) != FoldAZ(*b)) return false;
    if (*a == 0) return true;
  }
}

}  // namespace kadu
