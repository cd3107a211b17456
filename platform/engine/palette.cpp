// Engine palettes: how the pixel values of a surface or device stand for
// colours.
#include <atomic>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "kw/hooks_engine.h"
#include "win/winddi.h"

namespace {

struct Palette {
  ULONG mode;
  std::vector<ULONG> colors;  // PAL_INDEXED
  FLONG masks[3];             // PAL_BITFIELDS: red, green, blue
};

std::mutex g_mu;
std::unordered_map<uintptr_t, Palette>* g_palettes = new std::unordered_map<uintptr_t, Palette>;
uint64_t g_nextId = 1;
std::atomic<uint64_t> g_creations{0};
std::atomic<uint64_t> g_failAt{0};
constexpr uintptr_t kHandleBase = 0x9A0000000ull;

// An indexed palette larger than any pixel format can address is a caller's
// mistake, not a request for gigabytes.
constexpr ULONG kMaxIndexed = 1u << 16;

bool Valid(ULONG iMode, ULONG cColors, FLONG r, FLONG g, FLONG b) {
  switch (iMode) {
    case PAL_INDEXED:
      return cColors > 0 && cColors <= kMaxIndexed;
    case PAL_BITFIELDS:
      return r != 0 && g != 0 && b != 0 && (r & g) == 0 && (r & b) == 0 && (g & b) == 0;
    case PAL_RGB:
    case PAL_BGR:
      return true;
    default:
      return false;
  }
}

}  // namespace

KW_API HPALETTE APIENTRY EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed, FLONG flGreen,
                                          FLONG flBlue) {
  if (!Valid(iMode, cColors, flRed, flGreen, flBlue)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  uint64_t n = ++g_creations;
  if (g_failAt != 0 && n == g_failAt) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  Palette p{iMode, {}, {0, 0, 0}};
  if (iMode == PAL_INDEXED) {
    // Entries the caller leaves out are black.
    p.colors.assign(cColors, 0);
    if (pulColors)
      for (ULONG i = 0; i < cColors; ++i) p.colors[i] = pulColors[i];
  } else if (iMode == PAL_BITFIELDS) {
    p.masks[0] = flRed;
    p.masks[1] = flGreen;
    p.masks[2] = flBlue;
  }
  std::lock_guard<std::mutex> lock(g_mu);
  auto h = reinterpret_cast<HPALETTE>(kHandleBase + g_nextId++ * 8);
  (*g_palettes)[reinterpret_cast<uintptr_t>(h)] = std::move(p);
  return h;
}

KW_API BOOL APIENTRY EngDeletePalette(HPALETTE hpal) {
  std::lock_guard<std::mutex> lock(g_mu);
  if (g_palettes->erase(reinterpret_cast<uintptr_t>(hpal)) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

namespace kw::hooks {

void EngineFailPaletteAt(uint64_t n) {
  g_creations = 0;
  g_failAt = n;
}

size_t EngineLivePalettes() {
  std::lock_guard<std::mutex> lock(g_mu);
  return g_palettes->size();
}

bool EnginePaletteQuery(HPALETTE hpal, EnginePaletteInfo* info) {
  std::lock_guard<std::mutex> lock(g_mu);
  auto it = g_palettes->find(reinterpret_cast<uintptr_t>(hpal));
  if (it == g_palettes->end()) return false;
  if (info) {
    info->mode = it->second.mode;
    info->colors = it->second.colors;
    for (int i = 0; i < 3; ++i) info->masks[i] = it->second.masks[i];
  }
  return true;
}

}  // namespace kw::hooks
