#include "render/imaging/predictive_coder.h"

#include <cstring>

namespace {

constexpr DWORD kMaxLiterals = 8;
constexpr DWORD kMatchesInCommand = 31;  // match counts from here on continue in extra bytes

struct Model {
  BYTE* high;
  BYTE* low;
  BOOL copyMode;

  BYTE Predict(BYTE p) const { return static_cast<BYTE>((high[p >> 4] << 4) | low[p & 15]); }
  void Learn(BYTE p, BYTE b) {
    low[p & 15] = b & 15;
    high[p >> 4] = b >> 4;
  }
  // TRUE when `b` is foreseen; otherwise the model learns from it.
  bool Foresee(BYTE p, BYTE b) {
    BYTE predicted = Predict(p);
    if (!copyMode) {
      if (b == predicted) return true;
      Learn(p, b);
      copyMode = b == p;
      return false;
    }
    if (b == p) return true;
    if (b != predicted) {
      Learn(p, b);
    } else {
      copyMode = FALSE;
    }
    return false;
  }
  // A foreseen last byte sent as a literal updates the model by its own rule.
  void TakeLastAsLiteral(BYTE p, BYTE b) {
    if (b == p) copyMode = TRUE;
    if (b != Predict(p)) {
      Learn(p, b);
    } else {
      copyMode = FALSE;
    }
  }
};

struct CommandWriter {
  BYTE* out;
  DWORD count;
  DWORD capacity;
  DWORD matches;    // matches before the open command's literals
  DWORD literals;   // literals of the open command; 0 when none is open
  DWORD commandAt;  // position of the open command's byte

  bool Open() {
    DWORD extra = matches < kMatchesInCommand ? 0 : (matches - kMatchesInCommand) / 255 + 1;
    if (1 + extra > capacity - count) return false;
    commandAt = count++;
    if (extra != 0) {
      std::memset(out + count, 255, extra - 1);
      count += extra - 1;
      out[count++] = static_cast<BYTE>(matches - kMatchesInCommand - (extra - 1) * 255);
    }
    return true;
  }
  void Close() {
    DWORD inCommand = matches < kMatchesInCommand ? matches : kMatchesInCommand;
    out[commandAt] = static_cast<BYTE>((literals - 1) * 32 + inCommand);
    matches = 0;
    literals = 0;
  }
  bool Literal(BYTE b) {
    if (literals == 0 && !Open()) return false;
    if (count == capacity) return false;
    out[count++] = b;
    if (++literals == kMaxLiterals) Close();
    return true;
  }
  void Match() {
    if (literals != 0) Close();
    ++matches;
  }
};

template <bool kWhite>
INT Encode(Model* m, const BYTE* row, const BYTE* previous, DWORD length, BYTE* out, DWORD capacity) {
  CommandWriter w{out, 0, capacity, 0, 0, 0};
  for (DWORD i = 0; i < length; ++i) {
    BYTE b = kWhite ? 0 : row[i];
    BYTE p = previous[i];
    if (m->Foresee(p, b)) {
      w.Match();
    } else if (!w.Literal(b)) {
      return -1;
    }
  }
  if (w.literals != 0) {
    w.Close();
  } else if (w.matches != 0) {
    // Every command carries a literal: the last match becomes one.
    BYTE b = kWhite ? 0 : row[length - 1];
    BYTE p = previous[length - 1];
    --w.matches;
    if (!w.Literal(b)) return -1;
    w.Close();
    m->TakeLastAsLiteral(p, b);
  }
  return static_cast<INT>(w.count);
}

}  // namespace

DWORD PredictiveRowBound(DWORD length) { return length + length / kMaxLiterals + 2; }

void PredictiveCoderReset(PredictiveCoder* c) {
  std::memset(c->high, 0, sizeof c->high);
  std::memset(c->low, 0, sizeof c->low);
  c->copyMode = FALSE;
}

INT PredictiveEncodeRow(PredictiveCoder* c, const BYTE* row, const BYTE* previous, DWORD length,
                        BYTE* out, DWORD capacity) {
  std::memcpy(c->savedHigh, c->high, sizeof c->high);
  std::memcpy(c->savedLow, c->low, sizeof c->low);
  c->savedCopyMode = c->copyMode;
  Model m{c->high, c->low, c->copyMode};
  INT n = row ? Encode<false>(&m, row, previous, length, out, capacity)
              : Encode<true>(&m, row, previous, length, out, capacity);
  if (n < 0) {
    std::memcpy(c->high, c->savedHigh, sizeof c->high);
    std::memcpy(c->low, c->savedLow, sizeof c->low);
    c->copyMode = c->savedCopyMode;
    return -1;
  }
  c->copyMode = m.copyMode;
  c->lastEncodedLength = static_cast<DWORD>(n);
  return n;
}
