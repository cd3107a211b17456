// EngComputeGlyphSet: the Unicode runs of a single-byte code range.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

#include "kw/hooks_engine.h"
#include "win/winddi.h"
#include "win/wstr.h"

namespace {

// Glyph sets stay with the engine for the life of the process.
std::mutex g_mu;
std::vector<void*>* g_sets = new std::vector<void*>;
std::atomic<bool> g_fail{false};

// A byte the code page does not define alone (an unassigned code, a lead
// byte) keeps its own value as its character, as the ANSI tables do for the
// unassigned codes of 1252.
WCHAR CharOfByte(UINT codePage, BYTE b) {
  char in = char(b);
  WCHAR out = 0;
  if (MultiByteToWideChar(codePage, 0, &in, 1, &out, 1) != 1 || out == 0xFFFD) return WCHAR(b);
  return out;
}

struct Mapping {
  WCHAR wc;
  BYTE code;
};

// Sorted by character, one entry per character (the lowest code wins).
std::vector<Mapping> MapRange(UINT codePage, int first, int count) {
  std::vector<Mapping> m;
  for (int i = 0; i < count; ++i) m.push_back({CharOfByte(codePage, BYTE(first + i)), BYTE(first + i)});
  std::sort(m.begin(), m.end(), [](const Mapping& a, const Mapping& b) {
    return a.wc != b.wc ? a.wc < b.wc : a.code < b.code;
  });
  m.erase(std::unique(m.begin(), m.end(), [](const Mapping& a, const Mapping& b) { return a.wc == b.wc; }), m.end());
  return m;
}

size_t CountRuns(const std::vector<Mapping>& m) {
  size_t runs = 0;
  for (size_t i = 0; i < m.size(); ++i)
    if (i == 0 || m[i].wc != m[i - 1].wc + 1) ++runs;
  return runs;
}

FD_GLYPHSET* Build(const std::vector<Mapping>& m) {
  size_t runs = CountRuns(m);
  size_t bytes = offsetof(FD_GLYPHSET, awcrun) + runs * sizeof(WCRUN) + m.size() * sizeof(HGLYPH);
  auto* gs = static_cast<FD_GLYPHSET*>(std::calloc(1, bytes));
  if (!gs) return nullptr;
  gs->cjThis = ULONG(bytes);
  gs->flAccel = GS_8BIT_HANDLES;
  gs->cGlyphsSupported = ULONG(m.size());
  gs->cRuns = ULONG(runs);
  auto* handles = reinterpret_cast<HGLYPH*>(reinterpret_cast<BYTE*>(gs->awcrun) + runs * sizeof(WCRUN));
  WCRUN* run = nullptr;
  for (size_t i = 0; i < m.size(); ++i) {
    if (i == 0 || m[i].wc != m[i - 1].wc + 1) {
      run = run ? run + 1 : gs->awcrun;
      run->wcLow = m[i].wc;
      run->phg = handles + i;
    }
    ++run->cGlyphs;
    handles[i] = m[i].code;
  }
  return gs;
}

}  // namespace

KW_API FD_GLYPHSET* APIENTRY EngComputeGlyphSet(INT nCodePage, INT nFirstChar, INT cChars) {
  if (nCodePage < 0 || nFirstChar < 0 || cChars <= 0 || nFirstChar + cChars > 256) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  UINT cp = nCodePage == 0 ? GetACP() : UINT(nCodePage);
  FD_GLYPHSET* gs = g_fail ? nullptr : Build(MapRange(cp, nFirstChar, cChars));
  if (!gs) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(g_mu);
  g_sets->push_back(gs);
  return gs;
}

namespace kw::hooks {

void EngineFailGlyphSets(bool on) { g_fail = on; }

}  // namespace kw::hooks
