// The profile functions (wide forms) over the layer's own INI parser.
#include <cstring>

#include "kw/wide.h"
#include "profile_internal.h"
#include "win/profile.h"

using namespace kw::ini;

namespace {

std::u16string_view FileOf(LPCWSTR fileName) { return fileName ? std::u16string_view(fileName) : u"win.ini"; }

// Copies one text, cut to the buffer; returns the characters copied.
DWORD CopyText(std::u16string_view text, LPWSTR out, DWORD outChars) {
  if (!out || outChars == 0) return 0;
  size_t n = std::min<size_t>(text.size(), outChars - 1);
  if (n) std::memcpy(out, text.data(), n * 2);
  out[n] = 0;
  return DWORD(n);
}

// Copies a double-zero list. When it does not fit, the last text is cut and
// followed by two zeros, and the result is outChars - 2.
DWORD CopyList(const std::vector<std::u16string>& items, LPWSTR out, DWORD outChars) {
  if (!out || outChars == 0) return 0;
  if (outChars < 2) {
    out[0] = 0;
    return 0;
  }
  size_t pos = 0;
  for (const auto& item : items) {
    if (pos + item.size() + 1 > outChars - 1) {
      size_t room = pos < outChars - 2 ? outChars - 2 - pos : 0;
      if (room) std::memcpy(out + pos, item.data(), room * 2);
      out[outChars - 2] = 0;
      out[outChars - 1] = 0;
      return outChars - 2;
    }
    std::memcpy(out + pos, item.data(), item.size() * 2);
    pos += item.size();
    out[pos++] = 0;
  }
  out[pos] = 0;
  if (pos == 0 && outChars > 1) out[1] = 0;
  return DWORD(pos);
}

std::vector<std::u16string> SectionNames(const Document& doc) {
  std::vector<std::u16string> names;
  for (const auto& s : doc.sections)
    if (FindSection(doc, s.name) == &s) names.push_back(s.name);
  return names;
}

std::vector<std::u16string> KeyNames(const Section& sec) {
  std::vector<std::u16string> names;
  for (const auto& e : sec.entries)
    if (FindEntry(sec, e.key) == &e) names.push_back(e.key);
  return names;
}

// The default loses its trailing blanks, as Windows cuts them.
std::u16string_view DefaultOf(LPCWSTR def) {
  std::u16string_view d = def ? std::u16string_view(def) : std::u16string_view();
  while (!d.empty() && (d.back() == u' ' || d.back() == u'\t')) d.remove_suffix(1);
  return d;
}

// Decimal with an optional sign, read up to the first other character.
UINT ParseInt(std::u16string_view v) {
  size_t i = 0;
  bool neg = false;
  if (i < v.size() && (v[i] == u'-' || v[i] == u'+')) neg = v[i++] == u'-';
  uint32_t r = 0;
  for (; i < v.size() && v[i] >= u'0' && v[i] <= u'9'; ++i) r = r * 10u + uint32_t(v[i] - u'0');
  return neg ? 0u - r : r;
}

std::vector<std::u16string> SplitDoubleZero(LPCWSTR list) {
  std::vector<std::u16string> items;
  for (const char16_t* p = list; p && *p; p += std::char_traits<char16_t>::length(p) + 1) items.push_back(p);
  return items;
}

}  // namespace

KW_API DWORD WINAPI GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR out,
                                             DWORD outChars, LPCWSTR fileName) {
  std::u16string_view file = FileOf(fileName);
  RecordRead(file, section, key);
  auto doc = Load(file);
  if (!section) return CopyList(SectionNames(*doc), out, outChars);
  const Section* sec = FindSection(*doc, section);
  if (!key) return CopyList(sec ? KeyNames(*sec) : std::vector<std::u16string>{}, out, outChars);
  const Entry* e = sec ? FindEntry(*sec, key) : nullptr;
  if (!e) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return CopyText(DefaultOf(defaultValue), out, outChars);
  }
  SetLastError(ERROR_SUCCESS);
  return CopyText(Unquote(e->value), out, outChars);
}

KW_API UINT WINAPI GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName) {
  std::u16string_view file = FileOf(fileName);
  RecordRead(file, section, key);
  if (!section || !key) return UINT(defaultValue);
  auto doc = Load(file);
  const Section* sec = FindSection(*doc, section);
  const Entry* e = sec ? FindEntry(*sec, key) : nullptr;
  if (!e) return UINT(defaultValue);
  return ParseInt(Unquote(e->value));
}

KW_API DWORD WINAPI GetPrivateProfileSectionW(LPCWSTR section, LPWSTR out, DWORD outChars, LPCWSTR fileName) {
  std::u16string_view file = FileOf(fileName);
  RecordRead(file, section ? section : u"", nullptr);
  auto doc = Load(file);
  const Section* sec = section ? FindSection(*doc, section) : nullptr;
  std::vector<std::u16string> lines;
  if (sec)
    for (const auto& e : sec->entries) lines.push_back(std::u16string(Trim(doc->lines[e.line])));
  return CopyList(lines, out, outChars);
}

KW_API DWORD WINAPI GetPrivateProfileSectionNamesW(LPWSTR out, DWORD outChars, LPCWSTR fileName) {
  return GetPrivateProfileStringW(nullptr, nullptr, nullptr, out, outChars, fileName);
}

KW_API BOOL WINAPI WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR fileName) {
  std::u16string_view file = FileOf(fileName);
  if (!section && !key && !value) {
    Flush(file);
    return FALSE;
  }
  if (!section) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto lock = EditLock();
  auto current = Load(file);
  if (!current->exists && (!key || !value)) return TRUE;  // nothing to delete
  Document doc = *current;
  if (!key) DeleteSection(&doc, section);
  else if (!value) DeleteKey(&doc, section, key);
  else SetValue(&doc, section, key, value);
  return Store(file, doc) ? TRUE : FALSE;
}

KW_API BOOL WINAPI WritePrivateProfileSectionW(LPCWSTR section, LPCWSTR lines, LPCWSTR fileName) {
  std::u16string_view file = FileOf(fileName);
  if (!section) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto lock = EditLock();
  auto current = Load(file);
  if (!current->exists && !lines) return TRUE;
  Document doc = *current;
  if (!lines) DeleteSection(&doc, section);
  else ReplaceSection(&doc, section, SplitDoubleZero(lines));
  return Store(file, doc) ? TRUE : FALSE;
}
