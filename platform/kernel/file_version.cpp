// File version resources: the VS_VERSIONINFO block of a file and the lookup of
// its parts. The system's own files are not in the world; their block is made
// from the world's settings (OS version, system UI language, ANSI code page).
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "kw/wide.h"
#include "kw/world.h"
#include "system_folders.h"
#include "system_settings.h"
#include "win/wstr.h"

namespace {

struct VerNode {
  std::u16string key;
  bool text = false;          // wType 1: the value is UTF-16 text
  std::vector<uint8_t> value;
  WORD valueLength = 0;       // characters for text, bytes otherwise
  std::vector<VerNode> children;
};

void Pad(std::vector<uint8_t>* b) {
  while (b->size() % 4) b->push_back(0);
}

void PutWord(std::vector<uint8_t>* b, WORD w) {
  b->push_back(uint8_t(w));
  b->push_back(uint8_t(w >> 8));
}

// Every node starts on a 32-bit boundary of the block, its value and each
// child too; wLength covers the node without its final padding.
void Emit(const VerNode& n, std::vector<uint8_t>* out) {
  size_t start = out->size();
  PutWord(out, 0);
  PutWord(out, n.valueLength);
  PutWord(out, n.text ? 1 : 0);
  for (char16_t c : n.key) PutWord(out, c);
  PutWord(out, 0);
  Pad(out);
  out->insert(out->end(), n.value.begin(), n.value.end());
  for (const auto& c : n.children) {
    Pad(out);
    Emit(c, out);
  }
  WORD len = WORD(out->size() - start);
  (*out)[start] = uint8_t(len);
  (*out)[start + 1] = uint8_t(len >> 8);
}

VerNode TextNode(const std::u16string& key, const std::u16string& value) {
  VerNode n;
  n.key = key;
  n.text = true;
  n.valueLength = WORD(value.size() + 1);
  for (char16_t c : value) PutWord(&n.value, c);
  PutWord(&n.value, 0);
  return n;
}

const char16_t* const kSystemFiles[] = {u"USER.EXE",     u"USER32.DLL",   u"KERNEL32.DLL", u"GDI32.DLL",
                                        u"ADVAPI32.DLL", u"WINSPOOL.DRV", u"SPOOLSS.DLL",  u"SHELL32.DLL",
                                        u"COMCTL32.DLL", u"NTDLL.DLL"};

// The system file a name stands for: a bare name or a name in the system
// folder; empty when it is not one.
std::u16string SystemFileName(std::u16string_view path) {
  size_t cut = path.find_last_of(u"\\/");
  std::u16string_view base = cut == std::u16string_view::npos ? path : path.substr(cut + 1);
  if (cut != std::u16string_view::npos && !kw::EqualsNoCase(path.substr(0, cut), kw::folders::kSystem)) return {};
  for (const char16_t* f : kSystemFiles)
    if (kw::EqualsNoCase(base, f)) return std::u16string(f);
  return {};
}

std::vector<uint8_t> SystemFileBlock(const std::u16string& name) {
  auto v = kw::sys::Version();
  LANGID lang = kw::sys::Locales().systemUILanguage;
  WORD cp = WORD(GetACP());
  VS_FIXEDFILEINFO fixed{};
  fixed.dwSignature = 0xFEEF04BD;
  fixed.dwStrucVersion = 0x00010000;
  fixed.dwFileVersionMS = fixed.dwProductVersionMS = (v.major << 16) | v.minor;
  fixed.dwFileVersionLS = fixed.dwProductVersionLS = v.build << 16;
  fixed.dwFileFlagsMask = 0x3F;
  fixed.dwFileOS = 0x00040004;  // VOS_NT_WINDOWS32
  fixed.dwFileType = name.find(u".EXE") != std::u16string::npos ? 1 : 2;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%u.%u.%u.0", unsigned(v.major), unsigned(v.minor), unsigned(v.build));
  std::u16string version = kw::Widen(buf);
  std::snprintf(buf, sizeof buf, "%04X%04X", unsigned(lang), unsigned(cp));

  VerNode root;
  root.key = u"VS_VERSION_INFO";
  root.valueLength = sizeof fixed;
  root.value.resize(sizeof fixed);
  std::memcpy(root.value.data(), &fixed, sizeof fixed);
  VerNode table;
  table.key = kw::Widen(buf);
  table.text = true;
  table.children = {TextNode(u"FileDescription", u"System module of the world"), TextNode(u"FileVersion", version),
                    TextNode(u"InternalName", name), TextNode(u"OriginalFilename", name),
                    TextNode(u"ProductVersion", version)};
  VerNode strings;
  strings.key = u"StringFileInfo";
  strings.text = true;
  strings.children = {table};
  VerNode translation;
  translation.key = u"Translation";
  translation.valueLength = 4;
  PutWord(&translation.value, lang);
  PutWord(&translation.value, cp);
  VerNode vars;
  vars.key = u"VarFileInfo";
  vars.text = true;
  vars.children = {translation};
  root.children = {strings, vars};
  std::vector<uint8_t> out;
  Emit(root, &out);
  return out;
}

bool BlockOf(LPCWSTR fileName, std::vector<uint8_t>* block) {
  if (!fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::u16string sys = SystemFileName(fileName);
  if (!sys.empty()) {
    *block = SystemFileBlock(sys);
    return true;
  }
  struct stat st;
  SetLastError(::stat(kw::WorldMapPath(fileName).c_str(), &st) == 0 ? ERROR_RESOURCE_TYPE_NOT_FOUND
                                                                     : ERROR_FILE_NOT_FOUND);
  return false;
}

struct NodeView {
  size_t start, end;   // within the block
  std::u16string key;
  size_t value;        // offset of the value
  size_t valueBytes;
  size_t valueLength;  // as stored (characters for text)
  size_t children;     // offset of the first child
};

WORD WordAt(const uint8_t* b, size_t at) { return WORD(b[at] | (b[at + 1] << 8)); }

bool ReadNode(const uint8_t* b, size_t at, size_t limit, NodeView* n) {
  if (at + 6 > limit) return false;
  size_t len = WordAt(b, at);
  if (len < 6 || at + len > limit) return false;
  n->start = at;
  n->end = at + len;
  n->valueLength = WordAt(b, at + 2);
  bool text = WordAt(b, at + 4) == 1;
  size_t p = at + 6;
  n->key.clear();
  for (; p + 2 <= n->end && WordAt(b, p) != 0; p += 2) n->key.push_back(WordAt(b, p));
  p += 2;
  p = (p + 3) & ~size_t(3);
  n->value = p;
  n->valueBytes = text ? n->valueLength * 2 : n->valueLength;
  if (n->value + n->valueBytes > n->end) n->valueBytes = n->value > n->end ? 0 : n->end - n->value;
  n->children = (n->value + n->valueBytes + 3) & ~size_t(3);
  return true;
}

}  // namespace

KW_API DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR fileName, LPDWORD handle) {
  if (handle) *handle = 0;
  std::vector<uint8_t> block;
  if (!BlockOf(fileName, &block)) return 0;
  return DWORD(block.size());
}

KW_API BOOL WINAPI GetFileVersionInfoW(LPCWSTR fileName, DWORD handle, DWORD size, LPVOID data) {
  (void)handle;
  std::vector<uint8_t> block;
  if (!data || !BlockOf(fileName, &block)) return FALSE;
  if (size < block.size()) {
    // Windows fills what fits; the block's own length stays the full length.
    std::memcpy(data, block.data(), size);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(data, block.data(), block.size());
  return TRUE;
}

KW_API BOOL WINAPI VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* value, PUINT valueLen) {
  if (!block || !subBlock || !value) return FALSE;
  auto b = static_cast<const uint8_t*>(block);
  NodeView node;
  if (!ReadNode(b, 0, WordAt(b, 0), &node)) return FALSE;
  std::u16string_view path(subBlock);
  size_t pos = 0;
  while (pos < path.size()) {
    size_t sep = path.find(u'\\', pos);
    if (sep == std::u16string_view::npos) sep = path.size();
    std::u16string_view part = path.substr(pos, sep - pos);
    pos = sep + 1;
    if (part.empty()) continue;
    bool found = false;
    for (size_t at = node.children; at < node.end;) {
      NodeView child;
      if (!ReadNode(b, at, node.end, &child)) break;
      if (kw::EqualsNoCase(child.key, part)) {
        node = child;
        found = true;
        break;
      }
      at = (child.end + 3) & ~size_t(3);
    }
    if (!found) {
      SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
      return FALSE;
    }
  }
  if (node.valueBytes == 0) return FALSE;
  *value = const_cast<uint8_t*>(b + node.value);
  if (valueLen) *valueLen = UINT(node.valueLength);
  return TRUE;
}
