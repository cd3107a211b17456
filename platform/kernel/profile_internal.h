// Layer-internal pieces of the profile functions: the parsed INI document,
// its edits, and the store of parsed files.
#pragma once
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "win/base.h"

namespace kw::ini {

struct Entry {
  std::u16string key;
  std::u16string value;  // trimmed, quotes kept
  size_t line = 0;
};

struct Section {
  std::u16string name;
  size_t line = 0;  // the "[name]" line
  size_t end = 0;   // one past the section's last line (the next header or the end)
  std::vector<Entry> entries;
};

// A file as lines (without line ends) and their index. Lines before the first
// section belong to no section.
struct Document {
  bool exists = false;
  bool unicode = false;  // UTF-16LE with a byte-order mark
  std::vector<std::u16string> lines;
  std::vector<Section> sections;
};

// Builds the document of a file's bytes, or of edited lines.
Document Parse(const std::string& bytes);
void Reindex(Document* doc);
// The file's bytes: ANSI, or the mark and UTF-16LE for a Unicode file; CR LF line ends.
std::string Serialise(const Document& doc);

std::u16string_view Trim(std::u16string_view s);
// The value as GetPrivateProfileString gives it: one enclosing pair of equal
// quotes (double or single) removed.
std::u16string_view Unquote(std::u16string_view v);

// First section / entry of that name, ignoring ASCII case; nullptr when absent.
const Section* FindSection(const Document& doc, std::u16string_view name);
const Entry* FindEntry(const Section& sec, std::u16string_view key);

// Edits; each keeps the rest of the file as it stands.
void SetValue(Document* doc, std::u16string_view section, std::u16string_view key, std::u16string_view value);
void DeleteKey(Document* doc, std::u16string_view section, std::u16string_view key);
void DeleteSection(Document* doc, std::u16string_view section);
void ReplaceSection(Document* doc, std::u16string_view section, const std::vector<std::u16string>& lines);

// The parsed file named by a Windows path (a bare name lives in the Windows
// folder); an absent file gives an empty document with exists == false.
std::shared_ptr<const Document> Load(std::u16string_view fileName);
// Writes the document to the file (atomic replace). On failure sets the last error.
bool Store(std::u16string_view fileName, const Document& doc);
// Forgets the parsed copy of a file.
void Flush(std::u16string_view fileName);
// Serialises read-modify-write edits of profile files in this process.
std::unique_lock<std::mutex> EditLock();

void RecordRead(std::u16string_view file, const char16_t* section, const char16_t* key);

}  // namespace kw::ini
