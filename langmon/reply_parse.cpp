// Status replies of the printer: blocks that start with a known header line
// and hold CODE, DISPLAY and ONLINE lines (and, after ONLINE, bare codes),
// ended by a form feed or the end of the data. A block with a malformed line
// is dropped whole. Works on any bytes, within `length`.
#include <cstring>

#include "langmon/operations.h"
#include "langmon/pjl_strings.h"

namespace langmon {
namespace {

constexpr size_t kNone = size_t(-1);

struct Header {
  const char* line;
  DWORD type;
};

const Header kHeaders[] = {
    {"@PJL INFO QELSTATUS\r\n", 4},  {"@PJL USTATUS QELDEVICE\r\n", 5}, {"@PJL INFO STATUS\r\n", 1},
    {"@PJL USTATUS DEVICE\r\n", 2},  {"@PJL USTATUS TIMED\r\n", 3},
};

size_t Find(const BYTE* d, size_t length, size_t from, BYTE b) {
  if (from >= length) return kNone;
  const void* at = std::memchr(d + from, b, length - from);
  return at ? size_t(static_cast<const BYTE*>(at) - d) : kNone;
}

bool Equals(const BYTE* line, size_t n, const char* text) {
  return n == std::strlen(text) && std::memcmp(line, text, n) == 0;
}

bool StartsWith(const BYTE* line, size_t n, const char* text) {
  size_t k = std::strlen(text);
  return n >= k && std::memcmp(line, text, k) == 0;
}

bool Digit(BYTE c) { return c >= '0' && c <= '9'; }

enum class Kind { Other, Bad, Code, Display, Online, Bare };

struct Line {
  Kind kind = Kind::Other;
  DWORD index = 0;
  DWORD value = 0;
};

// Up to nine digits at `*i`; 1 when there are none. False on more.
bool Index(const BYTE* s, size_t n, size_t* i, DWORD* index) {
  size_t start = *i;
  DWORD v = 0;
  while (*i < n && Digit(s[*i])) {
    if (*i - start == 9) return false;
    v = v * 10 + DWORD(s[(*i)++] - '0');
  }
  *index = *i == start ? 1 : v;
  return true;
}

// Exactly five digits at `*i`.
bool FiveDigits(const BYTE* s, size_t n, size_t* i, DWORD* value) {
  DWORD v = 0;
  for (int k = 0; k < 5; ++k, ++*i) {
    if (*i >= n || !Digit(s[*i])) return false;
    v = v * 10 + DWORD(s[*i] - '0');
  }
  if (*i < n && Digit(s[*i])) return false;
  *value = v;
  return true;
}

// `s` is a line without its "\n".
Line Classify(const BYTE* s, size_t n, bool afterOnline) {
  Line l;
  size_t i;
  if (StartsWith(s, n, "CODE")) {
    i = 4;
    l.kind = Kind::Bad;
    if (!Index(s, n, &i, &l.index) || i >= n || s[i++] != '=') return l;
    while (i < n && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (!FiveDigits(s, n, &i, &l.value) || i + 1 != n || s[i] != '\r') return l;
    l.kind = Kind::Code;
    return l;
  }
  if (StartsWith(s, n, "DISPLAY")) {
    i = 7;
    l.kind = Kind::Bad;
    if (!Index(s, n, &i, &l.index) || i >= n || s[i] != '=') return l;
    l.kind = Kind::Display;  // the text itself is the panel's, of no use here
    return l;
  }
  if (StartsWith(s, n, "ONLINE=")) {
    i = 7;
    while (i < n && (s[i] == ' ' || s[i] == '\t')) ++i;
    size_t end = n > i && s[n - 1] == '\r' ? n - 1 : n;
    l.kind = Kind::Bad;
    if (Equals(s + i, end - i, "TRUE")) l = Line{Kind::Online, 0, 1};
    if (Equals(s + i, end - i, "FALSE")) l = Line{Kind::Online, 0, 0};
    return l;
  }
  if (afterOnline && n > 0 && Digit(s[0])) {
    i = 0;
    l.kind = Kind::Bad;
    size_t end = s[n - 1] == '\r' ? n - 1 : n;
    if (FiveDigits(s, end, &i, &l.value) && i == end) l.kind = Kind::Bare;
    return l;
  }
  return l;
}

void Append(StatusRecord* r, DWORD code, DWORD index) {
  if (r->count >= kMaxRecordCodes) return;
  r->codes[r->count] = code;
  r->indexes[r->count] = index;
  ++r->count;
}

// Parses the lines of one block from `pos`; returns where the scan goes on.
size_t ParseBlock(const BYTE* d, size_t length, size_t pos, DWORD type, RecordSink sink, void* context) {
  StatusRecord rec;
  rec.count = 0;
  rec.online = 0;
  rec.blockType = type;
  bool started = false, afterOnline = false;
  DWORD lastIndex = 0, bare = 0;
  size_t ff = Find(d, length, pos, '\f');  // the first form feed at or after pos
  for (;;) {
    size_t nl = Find(d, length, pos, '\n');
    if (nl == kNone || (ff != kNone && ff < nl)) {
      if (started) sink(context, rec);
      return ff != kNone ? ff : length;
    }
    Line l = Classify(d + pos, nl - pos, afterOnline);
    bool drop = l.kind == Kind::Bad;
    switch (l.kind) {
      case Kind::Code:
        if (l.index == 1) {
          drop = started;  // a second first code ends the block without a record
          started = true;
        } else {
          drop = !started;
        }
        if (!drop) Append(&rec, l.value, l.index);
        lastIndex = l.index;
        break;
      case Kind::Display:
        drop = !started || l.index != lastIndex;
        break;
      case Kind::Online:
        rec.online = l.value;
        afterOnline = true;
        break;
      case Kind::Bare:
        drop = !started;
        if (!drop) Append(&rec, l.value, ++bare);
        break;
      default:
        break;
    }
    if (drop) return nl + 1;
    pos = nl + 1;
  }
}

}  // namespace

DWORD ParseReplies(const BYTE* data, size_t length, RecordSink sink, void* context) {
  DWORD pages = 0;
  size_t pos = 0;
  // The first newline and form feed at or after pos, looked for again only
  // once pos has passed them, so long lines cost one pass.
  size_t nl = 0, ff = 0;
  bool known = false;
  while (pos < length) {
    if (data[pos] != '@') {
      ++pos;
      continue;
    }
    if (!known || (nl != kNone && nl < pos)) nl = Find(data, length, pos, '\n');
    if (!known || (ff != kNone && ff < pos)) ff = Find(data, length, pos, '\f');
    known = true;
    if (nl == kNone || (ff != kNone && ff < nl)) break;
    const BYTE* line = data + pos;
    size_t n = nl + 1 - pos;
    DWORD type = 0;
    for (const Header& h : kHeaders)
      if (Equals(line, n, h.line)) type = h.type;
    if (type) {
      pos = ParseBlock(data, length, nl + 1, type, sink, context);
    } else if (Equals(line, n, kPageLine)) {
      ++pages;
      pos = nl + 1;
    } else {
      ++pos;
    }
  }
  return pages;
}

}  // namespace langmon
