// DrvEnableSurface and DrvDisableSurface for both rendering modes.
#include "render/core/band_bitmap.h"
#include "render/core/hook_impl.h"
#include "render/core/pdev.h"

namespace {

constexpr FLONG kDeviceHooks = 0x24FB;
constexpr FLONG kRasterHooks = 0x243B;

SIZEL DeviceSurfaceSize(const PDEV* pdev) {
  SIZEL size = pdev->pageSize;
  if (pdev->scaleFactor != 1000 && pdev->scaleFactor) {
    size.cx = LONG(int64_t(size.cx) * 1000 / pdev->scaleFactor + 1);
    size.cy = LONG(int64_t(size.cy) * 1000 / pdev->scaleFactor + 1);
  }
  return size;
}

HSURF EnableDeviceSurface(PDEV* pdev) {
  HSURF surf = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(pdev), DeviceSurfaceSize(pdev), BMF_24BPP);
  if (!surf) return nullptr;
  if (!EngAssociateSurface(surf, pdev->hdev, kDeviceHooks)) {
    EngDeleteSurface(surf);
    return nullptr;
  }
  pdev->surface = surf;
  return surf;
}

void DisableRasterSurface(PDEV* pdev) {
  BandBitmap& band = pdev->band;
  if (band.locked) EngUnlockSurface(band.locked);
  if (band.bitmap) EngDeleteSurface(band.bitmap);
  if (pdev->rasterDevice) EngDeleteSurface(pdev->rasterDevice);
  band.locked = nullptr;
  band.bitmap = nullptr;
  pdev->rasterDevice = nullptr;
  pdev->surface = nullptr;
  // Memory handed to the next PDEV by a reset is no longer this one's.
  if (!(pdev->flags & PDEV_BAND_MEMORY_HANDED_OVER)) FreeBandMemory(&band);
  band.bits = nullptr;
  band.bytes = 0;
}

HSURF EnableRasterSurface(PDEV* pdev) {
  BandBitmap& band = pdev->band;
  SIZEL page = pdev->pageSize;
  bool doubled = pdev->devmode.dm.dmYResolution == 1200 && (pdev->subMode & SUBMODE_600X2400);
  if (!band.bits &&
      !AllocateBandBitmap(&band, page, doubled, pdev->devmode.priv.wWatermarkFlags != 0, pdev->layout.rotated != FALSE))
    return nullptr;
  band.bitmap = reinterpret_cast<HSURF>(EngCreateBitmap(band.size, band.size.cx / 8, BMF_1BPP, BMF_TOPDOWN, band.bits));
  if (band.bitmap && EngAssociateSurface(band.bitmap, pdev->hdev, kRasterHooks)) band.locked = EngLockSurface(band.bitmap);
  if (band.locked) {
    band.locked->dhpdev = reinterpret_cast<DHPDEV>(pdev);
    pdev->rasterDevice = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(pdev), band.size, BMF_24BPP);
  }
  if (!pdev->rasterDevice || !EngAssociateSurface(pdev->rasterDevice, pdev->hdev, kRasterHooks)) {
    DisableRasterSurface(pdev);
    return nullptr;
  }
  pdev->surface = pdev->rasterDevice;
  return pdev->surface;
}

}  // namespace

HSURF ImplEnableSurface(DHPDEV dhpdev) {
  auto* pdev = reinterpret_cast<PDEV*>(dhpdev);
  if (!PdevIsValid(pdev)) return nullptr;
  return pdev->rasterMode ? EnableRasterSurface(pdev) : EnableDeviceSurface(pdev);
}

VOID ImplDisableSurface(DHPDEV dhpdev) {
  auto* pdev = reinterpret_cast<PDEV*>(dhpdev);
  if (!PdevIsValid(pdev)) return;
  if (pdev->rasterMode) {
    DisableRasterSurface(pdev);
  } else if (pdev->surface) {
    EngDeleteSurface(pdev->surface);
    pdev->surface = nullptr;
  }
}
