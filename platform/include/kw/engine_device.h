// The engine's devices: one per PDEV the engine enables for a driver. An
// HDEV is what the engine hands to DrvEnablePDEV and DrvCompletePDEV, and what
// drivers associate their surfaces with; it knows the driver's function table
// and, once enabled, the driver's PDEV (which associated surfaces receive as
// their dhpdev).
#pragma once
#include "win/winddi.h"

namespace kw {

// A device for a driver whose DrvEnableDriver filled `driver` (copied).
HDEV EngineDeviceCreate(const DRVENABLEDATA* driver);
// The PDEV the driver returned for the device.
void EngineDeviceSetPdev(HDEV hdev, DHPDEV dhpdev);
DHPDEV EngineDevicePdev(HDEV hdev);
// The driver's function of that DDI index, or nullptr when it has none.
PFN EngineDeviceFunction(HDEV hdev, ULONG index);
// Surfaces keep their association; a deleted device makes new ones fail.
void EngineDeviceDelete(HDEV hdev);

// The engine bitmap that holds the pixels drawn on `hsurf`: the surface itself
// when it is an engine bitmap; for a device surface, the engine bitmap that
// was associated last with the same device, one of the surface's own size
// first. nullptr when there is none (a device surface the driver draws alone).
HSURF EngineDrawingBitmap(HSURF hsurf);

}  // namespace kw
