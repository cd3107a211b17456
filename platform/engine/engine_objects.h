// The engine's object tables: surfaces (engine bitmaps and device surfaces),
// devices (one per PDEV the engine enabled) and palettes. Handles are never
// reused, so a stale handle is recognised instead of reaching a new object.
#pragma once
#include <cstdint>
#include <vector>

#include "win/winddi.h"

namespace kw::engine {

struct Surface {
  SURFOBJ so;            // handed out by EngLockSurface
  FLONG hooks = 0;       // drawing calls routed to the driver
  bool banding = false;  // EngMarkBandingSurface
  bool ownsBits = false;
  bool deleted = false;  // handle gone; freed at the last unlock
  ULONG locks = 0;
  uint64_t associated = 0;  // order of the last EngAssociateSurface, 0 when none
};

// Surface table. SurfaceAdd takes ownership and gives the surface its handle.
HSURF SurfaceAdd(Surface* s);
// Creation faults armed by the tests: true when this creation must fail.
bool SurfaceCreationFails();
// The engine's own bits may not exceed the test limit (0: none).
bool SurfaceBitsAllowed(uint64_t bytes);

// The engine bitmap that holds what is drawn on a surface (see the .cpp).
HSURF SurfaceDrawingBitmap(HSURF hsurf);
// Hook mask and banding mark of a live surface.
bool SurfaceQuery(HSURF hsurf, FLONG* hooks, bool* banding);

// Bumps the surface's change counter after the engine wrote its pixels.
void SurfaceTouched(SURFOBJ* so);

// Device table.
struct DeviceInfo {
  DHPDEV dhpdev = nullptr;
  std::vector<DRVFN> functions;
};
bool DeviceExists(HDEV hdev);
DHPDEV DevicePdev(HDEV hdev);

// Bits per pixel of an uncompressed format, 0 for any other.
ULONG FormatBits(ULONG iFormat);
// Bytes that one row of `cx` pixels occupies, at least.
uint64_t RowBytes(ULONG iFormat, LONG cx);

}  // namespace kw::engine
