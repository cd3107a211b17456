// Test hooks for the version and locale information the world's system gives.
#pragma once
#include <string>

#include "win/version.h"

namespace kw::hooks {

struct SystemVersion {
  DWORD major = 6;
  DWORD minor = 1;
  DWORD build = 7601;
  std::u16string servicePack = u"Service Pack 1";
  WORD servicePackMajor = 1;
  WORD servicePackMinor = 0;
  BYTE productType = VER_NT_WORKSTATION;
};

// Locales by their identifiers. The ANSI code page is set apart, with
// kw::SetAnsiCodePage (kw/wide.h).
struct LocaleSettings {
  LCID userLocale = 0x0409;
  LCID systemLocale = 0x0409;
  LANGID userUILanguage = 0x0409;
  LANGID systemUILanguage = 0x0409;
};

void SetSystemVersion(const SystemVersion& v);
void SetLocaleSettings(const LocaleSettings& l);
// Both back to their defaults (above).
void ResetVersionAndLocale();

}  // namespace kw::hooks
