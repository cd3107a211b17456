// The registry file: a UTF-8 text with one section per key and one line per
// value (format described in docs/registry.md). Every value round-trips
// exactly: data that has no readable form is written as hex bytes.
#include <cstdio>
#include <cstring>

#include "kw/wide.h"
#include "registry_internal.h"

namespace kw::reg {
namespace {

const char kHeader[] =
    "KADU registry 1\n"
    "; One section per key: [full path]. Its values follow, one a line: name=type:data,\n"
    "; name \"@\" being the default value. Types: sz, expand_sz, multi_sz, dword, qword,\n"
    "; hex (REG_BINARY) and hex(t) for any type t given in hexadecimal.\n";

// UTF-8 of a UTF-16 text. Controls and lone surrogates are escaped: in a
// quoted text as \xHHHH (with \\ and \" for themselves), in a key path as
// %HHHH (with % escaped too).
std::string Encode(std::u16string_view s, bool quoted) {
  std::string out;
  char buf[8];
  for (size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    bool high = c >= 0xD800 && c < 0xDC00;
    if (high && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
      out += kw::Narrow(s.substr(i, 2));
      ++i;
      continue;
    }
    bool escape = c < 0x20 || c == 0x7F || (c >= 0xD800 && c < 0xE000);
    if (quoted && (c == u'\\' || c == u'"')) {
      out += '\\';
      out += char(c);
    } else if (escape || (!quoted && c == u'%')) {
      std::snprintf(buf, sizeof buf, quoted ? "\\x%04X" : "%%%04X", unsigned(c));
      out += buf;
    } else {
      out += kw::Narrow(s.substr(i, 1));
    }
  }
  return out;
}

std::string Quote(std::u16string_view s) { return "\"" + Encode(s, true) + "\""; }

bool ParseHex(std::string_view s, uint64_t* v, size_t maxDigits) {
  if (s.empty() || s.size() > maxDigits) return false;
  uint64_t r = 0;
  for (char c : s) {
    int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
    if (d < 0) return false;
    r = r * 16 + uint64_t(d);
  }
  *v = r;
  return true;
}

// Reads an encoded text up to (not including) a character of `stop` at the
// top level; escapes are <lead>HHHH, and for lead '\\' also \\ and \".
bool Decode(std::string_view in, size_t* pos, char lead, const char* stop, std::u16string* out) {
  std::string raw;
  auto flush = [&] {
    *out += kw::Widen(raw);
    raw.clear();
  };
  while (*pos < in.size() && !std::strchr(stop, in[*pos])) {
    char c = in[*pos];
    if (c == lead) {
      if (lead == '\\' && *pos + 1 < in.size() && (in[*pos + 1] == '\\' || in[*pos + 1] == '"')) {
        raw += in[*pos + 1];
        *pos += 2;
        continue;
      }
      size_t start = *pos + 1 + (lead == '\\' ? 1 : 0);
      uint64_t v;
      if (lead == '\\' && (*pos + 1 >= in.size() || in[*pos + 1] != 'x')) return false;
      if (start + 4 > in.size() || !ParseHex(in.substr(start, 4), &v, 4)) return false;
      flush();
      out->push_back(char16_t(v));
      *pos = start + 4;
      continue;
    }
    raw += c;
    ++*pos;
  }
  flush();
  return true;
}

bool ReadQuoted(std::string_view in, size_t* pos, std::u16string* out) {
  if (*pos >= in.size() || in[*pos] != '"') return false;
  ++*pos;
  if (!Decode(in, pos, '\\', "\"", out)) return false;
  if (*pos >= in.size()) return false;
  ++*pos;
  return true;
}

// The strings of a text value: one for sz, several for multi_sz; false when
// the data has no exact readable form.
bool SplitStrings(const std::vector<uint8_t>& data, bool multi, std::vector<std::u16string>* out) {
  if (data.size() < 2 || data.size() % 2) return false;
  std::u16string all(data.size() / 2, u'\0');
  std::memcpy(all.data(), data.data(), data.size());
  if (!multi) {
    if (all.back() != 0 || all.find(u'\0') != all.size() - 1) return false;
    out->push_back(all.substr(0, all.size() - 1));
    return true;
  }
  // "a\0b\0\0": non-empty strings, each ended, then one more zero.
  if (all.size() < 3 || all[all.size() - 1] != 0 || all[all.size() - 2] != 0) return false;
  size_t start = 0;
  for (size_t i = 0; i + 1 < all.size(); ++i) {
    if (all[i] == 0) {
      if (i == start) return false;
      out->push_back(all.substr(start, i - start));
      start = i + 1;
    }
  }
  return true;
}

std::string HexBytes(const std::vector<uint8_t>& data) {
  std::string out;
  char buf[4];
  for (size_t i = 0; i < data.size(); ++i) {
    std::snprintf(buf, sizeof buf, i ? ",%02x" : "%02x", data[i]);
    out += buf;
  }
  return out;
}

std::string ValueData(const Value& v) {
  char buf[40];
  std::vector<std::u16string> strs;
  switch (v.type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
      if (SplitStrings(v.data, false, &strs)) return (v.type == REG_SZ ? "sz:" : "expand_sz:") + Quote(strs[0]);
      break;
    case REG_MULTI_SZ:
      if (SplitStrings(v.data, true, &strs)) {
        std::string out = "multi_sz:";
        for (size_t i = 0; i < strs.size(); ++i) out += (i ? "," : "") + Quote(strs[i]);
        return out;
      }
      break;
    case REG_DWORD:
      if (v.data.size() == 4) {
        uint32_t d;
        std::memcpy(&d, v.data.data(), 4);
        std::snprintf(buf, sizeof buf, "dword:%08x", d);
        return buf;
      }
      break;
    case REG_QWORD:
      if (v.data.size() == 8) {
        uint64_t q;
        std::memcpy(&q, v.data.data(), 8);
        std::snprintf(buf, sizeof buf, "qword:%016llx", static_cast<unsigned long long>(q));
        return buf;
      }
      break;
    case REG_BINARY:
      return "hex:" + HexBytes(v.data);
    default:
      break;
  }
  std::snprintf(buf, sizeof buf, "hex(%x):", unsigned(v.type));
  return buf + HexBytes(v.data);
}

void SerialiseKey(const Key& key, const std::string& path, bool includeVolatile, std::string* out) {
  if (key.isVolatile && !includeVolatile) return;
  *out += "\n[" + path + "]" + (key.isVolatile ? " volatile" : "") + "\n";
  for (const Value& v : key.values)
    *out += (v.name.empty() ? std::string("@") : Quote(v.name)) + "=" + ValueData(v) + "\n";
  for (const auto& c : key.children) SerialiseKey(*c, path + "\\" + Encode(c->name, false), includeVolatile, out);
}

std::vector<uint8_t> StringBytes(const std::vector<std::u16string>& strs, bool multi) {
  std::u16string all;
  for (const auto& s : strs) {
    all += s;
    all.push_back(0);
  }
  if (multi) all.push_back(0);
  std::vector<uint8_t> out(all.size() * 2);
  std::memcpy(out.data(), all.data(), out.size());
  return out;
}

bool ParseHexBytes(std::string_view s, std::vector<uint8_t>* out) {
  size_t pos = 0;
  while (pos < s.size()) {
    size_t comma = s.find(',', pos);
    if (comma == std::string_view::npos) comma = s.size();
    uint64_t b;
    if (!ParseHex(s.substr(pos, comma - pos), &b, 2)) return false;
    out->push_back(uint8_t(b));
    pos = comma + 1;
  }
  return true;
}

bool ParseStrings(std::string_view s, bool multi, std::vector<std::u16string>* out) {
  size_t pos = 0;
  for (;;) {
    std::u16string str;
    if (!ReadQuoted(s, &pos, &str)) return false;
    out->push_back(str);
    if (pos == s.size()) return true;
    if (!multi || s[pos] != ',') return false;
    ++pos;
  }
}

bool ParseValueData(std::string_view s, Value* v) {
  size_t colon = s.find(':');
  if (colon == std::string_view::npos) return false;
  std::string_view type = s.substr(0, colon), data = s.substr(colon + 1);
  std::vector<std::u16string> strs;
  uint64_t n;
  if (type == "sz" || type == "expand_sz" || type == "multi_sz") {
    bool multi = type == "multi_sz";
    if (!ParseStrings(data, multi, &strs)) return false;
    v->type = multi ? REG_MULTI_SZ : (type == "sz" ? REG_SZ : REG_EXPAND_SZ);
    v->data = StringBytes(strs, multi);
  } else if (type == "dword" || type == "qword") {
    bool dw = type == "dword";
    if (!ParseHex(data, &n, dw ? 8 : 16)) return false;
    v->type = dw ? REG_DWORD : REG_QWORD;
    v->data.resize(dw ? 4 : 8);
    std::memcpy(v->data.data(), &n, v->data.size());  // little-endian host
  } else if (type == "hex") {
    v->type = REG_BINARY;
    return ParseHexBytes(data, &v->data);
  } else if (type.size() > 5 && type.substr(0, 4) == "hex(" && type.back() == ')') {
    if (!ParseHex(type.substr(4, type.size() - 5), &n, 8)) return false;
    v->type = DWORD(n);
    return ParseHexBytes(data, &v->data);
  } else {
    return false;
  }
  return true;
}

std::shared_ptr<Key> ParseSection(std::string_view line, Tree* tree) {
  size_t close = line.rfind(']');
  if (close == std::string_view::npos || close < 1) return nullptr;
  std::string_view path = line.substr(1, close - 1);
  std::string_view rest = line.substr(close + 1);
  bool isVolatile = rest.find("volatile") != std::string_view::npos;
  std::shared_ptr<Key> key;
  size_t pos = 0;
  bool first = true;
  while (pos <= path.size()) {
    size_t sep = path.find('\\', pos);
    if (sep == std::string_view::npos) sep = path.size();
    std::string_view comp = path.substr(pos, sep - pos);
    pos = sep + 1;
    if (comp.empty()) continue;
    size_t p = 0;
    std::u16string name;
    if (!Decode(comp, &p, '%', "", &name)) return nullptr;
    if (first) {
      if (kw::EqualsNoCase(name, tree->machine->name)) key = tree->machine;
      else if (kw::EqualsNoCase(name, tree->users->name)) key = tree->users;
      else return nullptr;
      first = false;
      continue;
    }
    auto child = FindChild(*key, name);
    key = child ? child : AddChild(*key, name, isVolatile && sep == path.size());
  }
  return key;
}

void ParseValueLine(std::string_view line, Key* key) {
  Value v;
  size_t pos = 0;
  if (line[0] == '@') {
    pos = 1;
  } else if (!ReadQuoted(line, &pos, &v.name)) {
    return;
  }
  if (pos >= line.size() || line[pos] != '=') return;
  if (!ParseValueData(line.substr(pos + 1), &v)) return;
  if (Value* old = FindValue(*key, v.name)) *old = std::move(v);
  else key->values.push_back(std::move(v));
}

}  // namespace

std::string Serialise(const Tree& tree, bool includeVolatile) {
  std::string out = kHeader;
  SerialiseKey(*tree.machine, "HKEY_LOCAL_MACHINE", includeVolatile, &out);
  SerialiseKey(*tree.users, "HKEY_USERS", includeVolatile, &out);
  return out;
}

void Parse(const std::string& text, Tree* tree) {
  std::shared_ptr<Key> key;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') key = ParseSection(line, tree);
    else if (key) ParseValueLine(line, key.get());
  }
}

}  // namespace kw::reg
