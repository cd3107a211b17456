// Test hooks for the graphics engine services.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "win/winddi.h"

namespace kw::hooks {

// What EngCheckAbort answers from now on (false at start).
void EngineSetAbort(bool cancelled);
// EngCheckAbort calls made so far.
uint64_t EngineCheckAbortCalls();

// While on, EngComputeGlyphSet fails as it does when the engine is out of memory.
void EngineFailGlyphSets(bool on);

// A real hardware fault inside an engine service, for testing the driver's
// exception guards: the next EngCheckAbort call raises it, once.
enum class EngineFault { None, AccessViolation, IntegerDivideByZero };
void EngineFaultInCheckAbort(EngineFault fault);

// Surfaces. Makes EngCreateBitmap and EngCreateDeviceSurface fail as when the
// engine is out of memory: the `n`-th creation from now (1 = the next one)
// and, when `sticky`, every one after it. n = 0 turns failure off.
void EngineFailSurfaceAt(uint64_t n, bool sticky = false);
// Bitmaps whose own bits would exceed `bytes` fail to be created (0: no limit).
void EngineLimitBitmapBytes(uint64_t bytes);
// Surfaces whose handle is live, for leak checks.
size_t EngineLiveSurfaces();

// What the engine keeps about a surface beyond its SURFOBJ.
struct EngineSurfaceInfo {
  FLONG hooks = 0;        // EngAssociateSurface's flHooks
  HDEV hdev = nullptr;    // the device it is associated with
  bool banding = false;   // EngMarkBandingSurface was called
  ULONG locks = 0;        // EngLockSurface calls not yet unlocked
  bool ownsBits = false;  // the engine allocated the bits
};
// false when the handle is not live.
bool EngineSurfaceQuery(HSURF hsurf, EngineSurfaceInfo* info);

// Palettes. The `n`-th EngCreatePalette from now fails (0: none).
void EngineFailPaletteAt(uint64_t n);
size_t EngineLivePalettes();
struct EnginePaletteInfo {
  ULONG mode = 0;
  std::vector<ULONG> colors;   // PAL_INDEXED entries
  FLONG masks[3] = {0, 0, 0};  // PAL_BITFIELDS red, green, blue
};
bool EnginePaletteQuery(HPALETTE hpal, EnginePaletteInfo* info);

// Devices (HDEV) alive, for leak checks.
size_t EngineLiveDevices();

}  // namespace kw::hooks
