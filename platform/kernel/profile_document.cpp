// The INI document: decoding a file, indexing its sections and keys, and the
// edits that WritePrivateProfile* make, each leaving other lines untouched.
#include <cstring>

#include "kw/wide.h"
#include "profile_internal.h"
#include "win/wstr.h"

namespace kw::ini {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string DecodeText(const std::string& bytes, bool* unicode) {
  if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE) {
    *unicode = true;
    std::u16string out((bytes.size() - 2) / 2, u'\0');
    if (!out.empty()) std::memcpy(out.data(), bytes.data() + 2, out.size() * 2);
    return out;
  }
  *unicode = false;
  if (bytes.empty()) return {};
  // Plain ASCII reads the same in every ANSI code page the layer knows.
  bool ascii = true;
  for (unsigned char c : bytes) ascii = ascii && c < 0x80;
  if (ascii) return std::u16string(bytes.begin(), bytes.end());
  int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), nullptr, 0);
  std::u16string out(size_t(n > 0 ? n : 0), u'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), out.data(), n);
  return out;
}

// Line ends are CR LF, LF or a lone CR.
std::vector<std::u16string> SplitLines(const std::u16string& text) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' || text[i] == u'\n') {
      lines.push_back(text.substr(start, i - start));
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

bool IsHeader(std::u16string_view t) { return !t.empty() && t[0] == u'['; }

std::u16string HeaderName(std::u16string_view t) {
  size_t close = t.find(u']');
  return std::u16string(Trim(t.substr(1, close == std::u16string_view::npos ? std::u16string_view::npos : close - 1)));
}

Section* FindMutable(Document* doc, std::u16string_view name) {
  return const_cast<Section*>(FindSection(*doc, name));
}

}  // namespace

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::u16string_view Unquote(std::u16string_view v) {
  if (v.size() >= 2 && (v[0] == u'"' || v[0] == u'\'') && v.back() == v[0]) return v.substr(1, v.size() - 2);
  return v;
}

void Reindex(Document* doc) {
  doc->sections.clear();
  Section* cur = nullptr;
  for (size_t i = 0; i < doc->lines.size(); ++i) {
    std::u16string_view t = Trim(doc->lines[i]);
    if (IsHeader(t)) {
      if (cur) cur->end = i;
      doc->sections.push_back(Section{HeaderName(t), i, i + 1, {}});
      cur = &doc->sections.back();
      continue;
    }
    if (!cur || t.empty() || t[0] == u';') continue;
    size_t eq = t.find(u'=');
    Entry e;
    e.line = i;
    if (eq == std::u16string_view::npos) {
      e.key = std::u16string(t);  // a line without "=" is a key with an empty value
    } else {
      e.key = std::u16string(Trim(t.substr(0, eq)));
      e.value = std::u16string(Trim(t.substr(eq + 1)));
    }
    cur->entries.push_back(std::move(e));
  }
  if (cur) cur->end = doc->lines.size();
}

Document Parse(const std::string& bytes) {
  Document doc;
  doc.exists = true;
  doc.lines = SplitLines(DecodeText(bytes, &doc.unicode));
  Reindex(&doc);
  return doc;
}

std::string Serialise(const Document& doc) {
  std::u16string text;
  for (const auto& l : doc.lines) {
    text += l;
    text += u"\r\n";
  }
  if (doc.unicode) {
    std::string out("\xFF\xFE", 2);
    out.append(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    return out;
  }
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

const Section* FindSection(const Document& doc, std::u16string_view name) {
  for (const auto& s : doc.sections)
    if (kw::EqualsNoCase(s.name, name)) return &s;
  return nullptr;
}

const Entry* FindEntry(const Section& sec, std::u16string_view key) {
  for (const auto& e : sec.entries)
    if (kw::EqualsNoCase(e.key, key)) return &e;
  return nullptr;
}

void SetValue(Document* doc, std::u16string_view section, std::u16string_view key, std::u16string_view value) {
  std::u16string line = std::u16string(key) + u"=" + std::u16string(value);
  Section* sec = FindMutable(doc, section);
  if (!sec) {
    if (!doc->lines.empty() && !Trim(doc->lines.back()).empty()) doc->lines.push_back(u"");
    doc->lines.push_back(u"[" + std::u16string(section) + u"]");
    doc->lines.push_back(line);
  } else if (const Entry* e = FindEntry(*sec, key)) {
    // Keep the key as the file spells it; only the value changes.
    doc->lines[e->line] = e->key + u"=" + std::u16string(value);
  } else {
    size_t at = sec->entries.empty() ? sec->line + 1 : sec->entries.back().line + 1;
    doc->lines.insert(doc->lines.begin() + std::ptrdiff_t(at), line);
  }
  Reindex(doc);
}

void DeleteKey(Document* doc, std::u16string_view section, std::u16string_view key) {
  Section* sec = FindMutable(doc, section);
  if (!sec) return;
  if (const Entry* e = FindEntry(*sec, key)) {
    doc->lines.erase(doc->lines.begin() + std::ptrdiff_t(e->line));
    Reindex(doc);
  }
}

void DeleteSection(Document* doc, std::u16string_view section) {
  Section* sec = FindMutable(doc, section);
  if (!sec) return;
  doc->lines.erase(doc->lines.begin() + std::ptrdiff_t(sec->line), doc->lines.begin() + std::ptrdiff_t(sec->end));
  Reindex(doc);
}

void ReplaceSection(Document* doc, std::u16string_view section, const std::vector<std::u16string>& lines) {
  Section* sec = FindMutable(doc, section);
  if (!sec) {
    if (!doc->lines.empty() && !Trim(doc->lines.back()).empty()) doc->lines.push_back(u"");
    doc->lines.push_back(u"[" + std::u16string(section) + u"]");
    doc->lines.insert(doc->lines.end(), lines.begin(), lines.end());
  } else {
    // Blank lines and comments after the last entry stay where they were.
    size_t last = sec->entries.empty() ? sec->line + 1 : sec->entries.back().line + 1;
    auto first = doc->lines.begin() + std::ptrdiff_t(sec->line + 1);
    doc->lines.erase(first, doc->lines.begin() + std::ptrdiff_t(last));
    doc->lines.insert(doc->lines.begin() + std::ptrdiff_t(sec->line + 1), lines.begin(), lines.end());
  }
  Reindex(doc);
}

}  // namespace kw::ini
