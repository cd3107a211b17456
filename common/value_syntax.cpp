#include "common/value_syntax.h"

#include <algorithm>

namespace kadu {
namespace {

char16_t Fold(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 0x20) : c; }

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  c = Fold(c);
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// End of a mask or finisher value: ";", a double quote or the list separator.
size_t MaskEnd(std::u16string_view t) {
  size_t end = t.find_first_of(u";\",");
  return end == std::u16string_view::npos ? t.size() : end;
}

bool StartsWithNoCase(std::u16string_view t, size_t at, std::u16string_view word) {
  if (at + word.size() > t.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (Fold(t[at + i]) != word[i]) return false;
  return true;
}

struct Position {
  char16_t letter;  // expected letter (upper case)
  uint32_t bit;
};

// Reads the positions of a token starting at *at (positions past `end` count
// as wrong characters). Returns the bits of the positions holding their
// letter; *valid is false when any position holds another character than its
// letter or "_". `lastNeedsValid`: the last position counts only when all
// before it were valid.
uint32_t ReadPositions(std::u16string_view t, size_t* at, size_t end, const Position* pos, size_t n,
                       bool lastNeedsValid, bool* valid) {
  uint32_t bits = 0;
  *valid = true;
  for (size_t k = 0; k < n; ++k) {
    size_t i = *at + k;
    char16_t c = i < end ? t[i] : 0;
    bool allowed = !(lastNeedsValid && k == n - 1) || *valid;
    if (Fold(c) == pos[k].letter) {
      if (allowed) bits |= pos[k].bit;
    } else if (c != u'_') {
      *valid = false;
    }
  }
  *at = std::min(*at + n, end);
  return bits;
}

const Position kTray[] = {{u'1', 0x1},  {u'2', 0x2},  {u'3', 0x10},  {u'4', 0x20},  {u'5', 0x40}, {u'A', 0x80},
                          {u'M', 0x4},  {u'P', 0x8},  {u'D', 0x100}, {u'R', 0x400}, {u'F', 0x200}};
const Position kStacker[] = {{u'U', 0x10000}, {u'D', 0x20000}};
const Position kFinisherBin[] = {{u'U', 0x40000}, {u'D', 0x80000}};
const Position kEjs[] = {{u'2', 0x1000000}, {u'3', 0x4000000},  {u'L', 0},         {u'2', 0x2000000},
                         {u'3', 0x8000000}, {u'P', 0x10000000}, {u'S', 0x40000000}};
const Position kPunch[] = {{u'2', 0x1}, {u'3', 0x2}, {u'4', 0x4}};
const Position kFinisherTray[] = {{u'1', 0x100}, {u'2', 0x200}, {u'3', 0x400}, {u'4', 0x800}, {u'5', 0x1000}};

}  // namespace

std::u16string DecimalText(long value) {
  std::u16string out;
  unsigned long v = value < 0 ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
  do {
    out.insert(out.begin(), char16_t(u'0' + v % 10));
    v /= 10;
  } while (v);
  if (value < 0) out.insert(out.begin(), u'-');
  return out;
}

bool ListCursor::AtEnd() const { return pos >= text.size() || text[pos] == u';'; }

int32_t ListCursor::Number(bool isSigned) {
  uint32_t value = 0;
  bool hex = false, digits = false, negative = false;
  while (pos < text.size() && text[pos] != u',' && text[pos] != u';') {
    char16_t c = text[pos];
    if (!digits && !hex && c == u'0' && pos + 1 < text.size() && Fold(text[pos + 1]) == u'X') {
      hex = true;
      pos += 2;
      continue;
    }
    if (isSigned && c == u'-') negative = true;
    int d = hex ? HexDigit(c) : (c >= u'0' && c <= u'9' ? c - u'0' : -1);
    if (d >= 0) {
      value = value * (hex ? 16u : 10u) + uint32_t(d);
      digits = true;
    }
    ++pos;
  }
  if (pos < text.size() && text[pos] == u',') ++pos;
  return negative ? int32_t(0u - value) : int32_t(value);
}

std::u16string ListCursor::String(size_t maxChars) {
  std::u16string out;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  if (pos < text.size() && text[pos] == u'"') {
    ++pos;
    while (pos < text.size() && text[pos] != u'"') {
      char16_t c = text[pos];
      if (c == u'\\' && pos + 3 < text.size() && Fold(text[pos + 1]) == u'X' && HexDigit(text[pos + 2]) >= 0 &&
          HexDigit(text[pos + 3]) >= 0) {
        c = char16_t(HexDigit(text[pos + 2]) * 16 + HexDigit(text[pos + 3]));
        pos += 4;
      } else {
        ++pos;
      }
      if (out.size() < maxChars) out.push_back(c);
    }
    if (pos < text.size()) ++pos;
  } else {
    while (pos < text.size() && text[pos] != u'"' && text[pos] != u',' && text[pos] != u';') {
      if (out.size() < maxChars) out.push_back(text[pos]);
      ++pos;
    }
    while (!out.empty() && IsBlank(out.back())) out.pop_back();
    if (pos < text.size() && text[pos] == u'"') ++pos;
  }
  while (pos < text.size() && text[pos] != u',' && text[pos] != u';') ++pos;
  if (pos < text.size() && text[pos] == u',') ++pos;
  return out;
}

size_t ParseNumberList(std::u16string_view text, bool isSigned, int32_t* out, size_t max) {
  if (max == 0) return 0;
  ListCursor cur(text);
  size_t n = 0;
  do {
    out[n++] = cur.Number(isSigned);
  } while (n < max && !cur.AtEnd());
  return n;
}

int32_t ParseFirstNumber(std::u16string_view text, bool isSigned) {
  ListCursor cur(text);
  return cur.Number(isSigned);
}

YesNo ParseYesNo(std::u16string_view t) {
  size_t i = t.find_first_of(u"YyNn;");
  if (i == std::u16string_view::npos || t[i] == u';') return YesNo::NotGiven;
  if (Fold(t[i]) == u'Y') return StartsWithNoCase(t, i, u"YES") ? YesNo::Yes : YesNo::NotGiven;
  return StartsWithNoCase(t, i, u"NO") ? YesNo::No : YesNo::NotGiven;
}

uint32_t ParseCapabilityMask(std::u16string_view t) {
  size_t end = MaskEnd(t);
  uint32_t mask = 0;
  bool ejsInvalid = false;
  size_t i = 0;
  while (i < end) {
    bool valid = true;
    if (StartsWithNoCase(t, i, u"TRAY.")) {
      i += 5;
      uint32_t bits = ReadPositions(t, &i, end, kTray, 11, false, &valid);
      mask |= valid ? bits : bits | 0xFF;
    } else if (StartsWithNoCase(t, i, u"STK.")) {
      i += 4;
      uint32_t bits = ReadPositions(t, &i, end, kStacker, 2, false, &valid);
      mask |= valid ? bits : 0x30000;
    } else if (StartsWithNoCase(t, i, u"FIN.")) {
      i += 4;
      uint32_t bits = ReadPositions(t, &i, end, kFinisherBin, 2, false, &valid);
      mask |= valid ? bits : 0xC0000;
    } else if (StartsWithNoCase(t, i, u"EJS")) {
      i += 3;
      uint32_t bits = ReadPositions(t, &i, end, kEjs, 7, true, &valid);
      mask |= bits;
      ejsInvalid = ejsInvalid || !valid;
    } else {
      ++i;
    }
  }
  return ejsInvalid ? 0x5F000000u : mask;
}

uint16_t ParseFinisherType(std::u16string_view t) {
  size_t end = MaskEnd(t);
  uint32_t value = 0;
  bool punchInvalid = false;
  size_t i = 0;
  while (i < end) {
    bool valid = true;
    if (StartsWithNoCase(t, i, u"PUNCH.")) {
      i += 6;
      value |= ReadPositions(t, &i, end, kPunch, 3, false, &valid);
      punchInvalid = punchInvalid || !valid;
    } else if (StartsWithNoCase(t, i, u"TRAY.")) {
      i += 5;
      value |= ReadPositions(t, &i, end, kFinisherTray, 5, false, &valid);
      if (!valid) value |= 0x1A00;
    } else {
      ++i;
    }
  }
  return punchInvalid ? 1 : uint16_t(value);
}

}  // namespace kadu
