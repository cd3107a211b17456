// Layer-internal and test helpers for UTF-16 strings.
#pragma once
#include <string>
#include <string_view>
#include "win/base.h"

namespace kw {

// UTF-8 <-> UTF-16 (invalid sequences become U+FFFD).
std::u16string Widen(std::string_view utf8);
std::string Narrow(std::u16string_view utf16);
inline std::string Narrow(const char16_t* s) { return s ? Narrow(std::u16string_view(s)) : std::string(); }

// ASCII-only case folding, the rule the layer uses for names (files, keys, sections).
char16_t FoldAscii(char16_t c);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);

// Sets the code page that CP_ACP stands for (1252 unless a test says otherwise).
void SetAnsiCodePage(UINT cp);

}  // namespace kw
