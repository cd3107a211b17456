// Locales: the user's and the system's locale and UI language, and the locale
// data the driver asks for, from a table of the locales the world knows.
#include <cstdio>
#include <cstring>
#include <string>

#include "kw/wide.h"
#include "system_settings.h"
#include "win/wstr.h"

namespace {

struct LocaleRow {
  LANGID id;
  int country;       // LOCALE_ICOUNTRY, the international dialling code
  int measure;       // LOCALE_IMEASURE: 0 metric, 1 U.S.
  const char* abbrevLang;
  const char* language;
  const char* countryName;
  const char* abbrevCountry;
  const char* iso639;
  const char* iso3166;
  int ansiCodePage;
  int oemCodePage;
  const char* decimal;
  const char* thousand;
  const char* list;
};

const LocaleRow kLocales[] = {
    {0x0409, 1, 1, "ENU", "English", "United States", "USA", "en", "US", 1252, 437, ".", ",", ","},
    {0x0809, 44, 0, "ENG", "English", "United Kingdom", "GBR", "en", "GB", 1252, 850, ".", ",", ","},
    {0x0C09, 61, 0, "ENA", "English", "Australia", "AUS", "en", "AU", 1252, 850, ".", ",", ","},
    {0x1009, 2, 0, "ENC", "English", "Canada", "CAN", "en", "CA", 1252, 850, ".", ",", ","},
    {0x0407, 49, 0, "DEU", "German", "Germany", "DEU", "de", "DE", 1252, 850, ",", ".", ";"},
    {0x0807, 41, 0, "DES", "German", "Switzerland", "CHE", "de", "CH", 1252, 850, ".", "'", ";"},
    {0x040C, 33, 0, "FRA", "French", "France", "FRA", "fr", "FR", 1252, 850, ",", " ", ";"},
    {0x0C0C, 2, 0, "FRC", "French", "Canada", "CAN", "fr", "CA", 1252, 850, ",", " ", ";"},
    {0x0410, 39, 0, "ITA", "Italian", "Italy", "ITA", "it", "IT", 1252, 850, ",", ".", ";"},
    {0x0C0A, 34, 0, "ESN", "Spanish", "Spain", "ESP", "es", "ES", 1252, 850, ",", ".", ";"},
    {0x080A, 52, 0, "ESM", "Spanish", "Mexico", "MEX", "es", "MX", 1252, 850, ".", ",", ","},
    {0x0413, 31, 0, "NLD", "Dutch", "Netherlands", "NLD", "nl", "NL", 1252, 850, ",", ".", ";"},
    {0x0416, 55, 0, "PTB", "Portuguese", "Brazil", "BRA", "pt", "BR", 1252, 850, ",", ".", ";"},
    {0x0816, 351, 0, "PTG", "Portuguese", "Portugal", "PRT", "pt", "PT", 1252, 850, ",", " ", ";"},
    {0x041D, 46, 0, "SVE", "Swedish", "Sweden", "SWE", "sv", "SE", 1252, 850, ",", " ", ";"},
    {0x0406, 45, 0, "DAN", "Danish", "Denmark", "DNK", "da", "DK", 1252, 850, ",", ".", ";"},
    {0x0414, 47, 0, "NOR", "Norwegian (Bokmal)", "Norway", "NOR", "nb", "NO", 1252, 850, ",", " ", ";"},
    {0x040B, 358, 0, "FIN", "Finnish", "Finland", "FIN", "fi", "FI", 1252, 850, ",", " ", ";"},
    {0x0415, 48, 0, "PLK", "Polish", "Poland", "POL", "pl", "PL", 1250, 852, ",", " ", ";"},
    {0x0405, 420, 0, "CSY", "Czech", "Czech Republic", "CZE", "cs", "CZ", 1250, 852, ",", " ", ";"},
    {0x040E, 36, 0, "HUN", "Hungarian", "Hungary", "HUN", "hu", "HU", 1250, 852, ",", " ", ";"},
    {0x0419, 7, 0, "RUS", "Russian", "Russia", "RUS", "ru", "RU", 1251, 866, ",", " ", ";"},
    {0x041F, 90, 0, "TRK", "Turkish", "Turkey", "TUR", "tr", "TR", 1254, 857, ",", ".", ";"},
    {0x0408, 30, 0, "ELL", "Greek", "Greece", "GRC", "el", "GR", 1253, 737, ",", ".", ";"},
    {0x0411, 81, 0, "JPN", "Japanese", "Japan", "JPN", "ja", "JP", 932, 932, ".", ",", ","},
    {0x0412, 82, 0, "KOR", "Korean", "Korea", "KOR", "ko", "KR", 949, 949, ".", ",", ","},
    {0x0804, 86, 0, "CHS", "Chinese (Simplified)", "People's Republic of China", "CHN", "zh", "CN", 936, 936, ".",
     ",", ","},
    {0x0404, 886, 0, "CHT", "Chinese (Traditional)", "Taiwan", "TWN", "zh", "TW", 950, 950, ".", ",", ","},
};

// The table row of a locale identifier; the default locales stand for the
// configured ones, the sort identifier is ignored.
const LocaleRow* Find(LCID lcid) {
  LANGID id = LANGIDFROMLCID(lcid);
  auto loc = kw::sys::Locales();
  if (id == LOCALE_NEUTRAL || id == LOCALE_USER_DEFAULT) id = LANGIDFROMLCID(loc.userLocale);
  else if (id == LOCALE_SYSTEM_DEFAULT) id = LANGIDFROMLCID(loc.systemLocale);
  else if (id == LOCALE_INVARIANT) id = 0x0409;
  for (const auto& r : kLocales)
    if (r.id == id) return &r;
  return nullptr;
}

enum class Kind { Text, Number, Hex };

// The item's text and, for numeric items, its value.
bool Item(const LocaleRow& r, DWORD type, std::string* text, DWORD* number, Kind* kind) {
  char buf[64];
  *kind = Kind::Text;
  auto num = [&](int v) {
    *number = DWORD(v);
    *kind = Kind::Number;
    std::snprintf(buf, sizeof buf, "%d", v);
    *text = buf;
  };
  switch (type) {
    case LOCALE_ILANGUAGE:
    case LOCALE_IDEFAULTLANGUAGE:
      *number = r.id;
      *kind = Kind::Hex;
      std::snprintf(buf, sizeof buf, "%04x", unsigned(r.id));
      *text = buf;
      return true;
    case LOCALE_SLANGUAGE: *text = std::string(r.language) + " (" + r.countryName + ")"; return true;
    case LOCALE_SENGLANGUAGE: *text = r.language; return true;
    case LOCALE_SABBREVLANGNAME: *text = r.abbrevLang; return true;
    case LOCALE_ICOUNTRY:
    case LOCALE_IDEFAULTCOUNTRY: num(r.country); return true;
    case LOCALE_SCOUNTRY:
    case LOCALE_SENGCOUNTRY: *text = r.countryName; return true;
    case LOCALE_SABBREVCTRYNAME: *text = r.abbrevCountry; return true;
    case LOCALE_IDEFAULTCODEPAGE: num(r.oemCodePage); return true;
    case LOCALE_IDEFAULTANSICODEPAGE: num(r.ansiCodePage); return true;
    case LOCALE_IMEASURE: num(r.measure); return true;
    case LOCALE_SLIST: *text = r.list; return true;
    case LOCALE_SDECIMAL: *text = r.decimal; return true;
    case LOCALE_STHOUSAND: *text = r.thousand; return true;
    case LOCALE_SISO639LANGNAME: *text = r.iso639; return true;
    case LOCALE_SISO3166CTRYNAME: *text = r.iso3166; return true;
    default: return false;
  }
}

}  // namespace

KW_API LANGID WINAPI GetUserDefaultUILanguage(void) { return kw::sys::Locales().userUILanguage; }
KW_API LANGID WINAPI GetSystemDefaultUILanguage(void) { return kw::sys::Locales().systemUILanguage; }
KW_API LCID WINAPI GetUserDefaultLCID(void) { return kw::sys::Locales().userLocale; }
KW_API LCID WINAPI GetSystemDefaultLCID(void) { return kw::sys::Locales().systemLocale; }
KW_API LANGID WINAPI GetUserDefaultLangID(void) { return LANGIDFROMLCID(kw::sys::Locales().userLocale); }
KW_API LANGID WINAPI GetSystemDefaultLangID(void) { return LANGIDFROMLCID(kw::sys::Locales().systemLocale); }
KW_API LCID WINAPI GetThreadLocale(void) { return kw::sys::Locales().userLocale; }

KW_API BOOL WINAPI IsValidLocale(LCID locale, DWORD flags) {
  (void)flags;
  LANGID id = LANGIDFROMLCID(locale);
  if (id == LOCALE_USER_DEFAULT || id == LOCALE_SYSTEM_DEFAULT || id == LOCALE_NEUTRAL) return FALSE;
  return Find(locale) != nullptr;
}

KW_API int WINAPI GetLocaleInfoW(LCID locale, DWORD type, LPWSTR out, int outChars) {
  const LocaleRow* r = Find(locale);
  if (!r || outChars < 0 || (outChars > 0 && !out)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  bool asNumber = (type & LOCALE_RETURN_NUMBER) != 0;
  std::string text;
  DWORD number = 0;
  Kind kind;
  if (!Item(*r, type & 0x0FFFFFFF, &text, &number, &kind) || (asNumber && kind == Kind::Text)) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  if (asNumber) {
    if (outChars == 0) return 2;
    if (outChars < 2) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::memcpy(out, &number, sizeof number);
    return 2;
  }
  std::u16string w = kw::Widen(text);
  int need = int(w.size()) + 1;
  if (outChars == 0) return need;
  if (outChars < need) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(out, w.c_str(), size_t(need) * 2);
  return need;
}

KW_API int WINAPI GetLocaleInfoA(LCID locale, DWORD type, LPSTR out, int outChars) {
  WCHAR w[128];
  int n = GetLocaleInfoW(locale, type, w, 128);
  if (n == 0) return 0;
  if (type & LOCALE_RETURN_NUMBER) {
    if (outChars == 0) return 4;
    if (outChars < 4) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::memcpy(out, w, 4);
    return 4;
  }
  int need = WideCharToMultiByte(CP_ACP, 0, w, n, nullptr, 0, nullptr, nullptr);
  if (outChars == 0) return need;
  if (outChars < need) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  return WideCharToMultiByte(CP_ACP, 0, w, n, out, outChars, nullptr, nullptr);
}
