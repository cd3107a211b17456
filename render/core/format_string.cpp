// The formatter. Output is bounded by the destination; the text that fits is
// the same as it would be in an unbounded buffer.
#include "render/core/format_string.h"

namespace {

struct Out {
  char* dest;
  size_t room;  // characters that still fit before the terminating zero
  int written;

  void Put(char c) {
    if (room == 0) return;
    dest[written++] = c;
    --room;
  }
  void Put(const char* s) {
    while (*s) Put(*s++);
  }
};

// Decimal digits of a magnitude, most significant first, into `digits`.
int DecimalDigits(uint32_t v, char* digits) {
  char rev[10];
  int n = 0;
  do {
    rev[n++] = char('0' + v % 10);
    v /= 10;
  } while (v);
  for (int i = 0; i < n; ++i) digits[i] = rev[n - 1 - i];
  return n;
}

// Magnitude of a signed value; INT_MIN has no positive counterpart in 32 bits.
uint32_t Magnitude(int32_t v) { return v < 0 ? uint32_t(0) - uint32_t(v) : uint32_t(v); }

void PutUnsigned(Out& o, uint32_t v, int zeroFillTo = 0) {
  char digits[10];
  int n = DecimalDigits(v, digits);
  for (int i = n; i < zeroFillTo; ++i) o.Put('0');
  for (int i = 0; i < n; ++i) o.Put(digits[i]);
}

// The sign comes before the zero fill, and counts towards the width.
void PutSigned(Out& o, int32_t v, int width) {
  if (v < 0) {
    o.Put('-');
    --width;
  }
  PutUnsigned(o, Magnitude(v), width);
}

void PutHex(Out& o, uint32_t v) {
  static const char kDigits[] = "0123456789ABCDEF";
  char rev[8];
  int n = 0;
  do {
    rev[n++] = kDigits[v & 0xF];
    v >>= 4;
  } while (v);
  if (n < 2) rev[n++] = '0';
  while (n) o.Put(rev[--n]);
}

// 24.8 fixed point: integer part, then up to three rounded decimals with the
// trailing zeros left off (0x80 is ".5", 1 is ".004", 0xFF is ".996").
void PutFixed(Out& o, int32_t v) {
  if (v < 0) o.Put('-');
  uint32_t m = Magnitude(v);
  PutUnsigned(o, m >> 8);
  uint32_t fraction = m & 0xFF;
  if (fraction == 0) return;
  uint32_t t = ((fraction * 100000) / 256 + 50) / 100;
  o.Put('.');
  for (uint32_t unit = 100; unit > 0; unit /= 10) {
    o.Put(char('0' + t / unit));
    t %= unit;
    if (t == 0) break;
  }
}

}  // namespace

int FormatStringV(char* dest, size_t destSize, const char* format, va_list args) {
  if (!dest || destSize == 0) return 0;
  Out o{dest, destSize - 1, 0};
  int width = 0;  // kept across the conversions of one call
  const char* p = format ? format : "";
  while (*p) {
    if (*p != '%') {
      o.Put(*p++);
      continue;
    }
    ++p;
    while (*p >= '0' && *p <= '9') width = *p++ - '0';
    if (!*p) break;
    switch (char c = *p++) {
      case 'd': PutSigned(o, va_arg(args, int32_t), width); break;
      case 'l': PutSigned(o, va_arg(args, int32_t), 0); break;
      case 'u': PutUnsigned(o, va_arg(args, uint32_t)); break;
      case 'X':
      case 'x': PutHex(o, va_arg(args, uint32_t)); break;
      case 'f': PutFixed(o, va_arg(args, int32_t)); break;
      case 'b': o.Put(va_arg(args, int32_t) ? "true" : "false"); break;
      case 'c': o.Put(char(va_arg(args, int32_t) & 0xFF)); break;
      case 's': {
        const char* s = va_arg(args, const char*);
        if (s) o.Put(s);
        break;
      }
      default: o.Put(c); break;
    }
  }
  dest[o.written] = '\0';
  return o.written;
}

int FormatString(char* dest, size_t destSize, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = FormatStringV(dest, destSize, format, args);
  va_end(args);
  return n;
}
