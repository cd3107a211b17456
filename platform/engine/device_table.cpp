// The engine's devices (HDEV).
#include <mutex>
#include <unordered_map>

#include "engine_objects.h"
#include "kw/engine_device.h"
#include "kw/hooks_engine.h"

namespace kw::engine {
namespace {

std::mutex g_mu;
std::unordered_map<uintptr_t, DeviceInfo>* g_devices = new std::unordered_map<uintptr_t, DeviceInfo>;
uint64_t g_nextId = 1;
constexpr uintptr_t kHandleBase = 0xDE0000000ull;

DeviceInfo* Find(HDEV hdev) {
  auto it = g_devices->find(reinterpret_cast<uintptr_t>(hdev));
  return it == g_devices->end() ? nullptr : &it->second;
}

}  // namespace

bool DeviceExists(HDEV hdev) {
  std::lock_guard<std::mutex> lock(g_mu);
  return Find(hdev) != nullptr;
}

DHPDEV DevicePdev(HDEV hdev) {
  std::lock_guard<std::mutex> lock(g_mu);
  DeviceInfo* d = Find(hdev);
  return d ? d->dhpdev : nullptr;
}

}  // namespace kw::engine

namespace kw {

HDEV EngineDeviceCreate(const DRVENABLEDATA* driver) {
  std::lock_guard<std::mutex> lock(engine::g_mu);
  auto h = reinterpret_cast<HDEV>(engine::kHandleBase + engine::g_nextId++ * 8);
  engine::DeviceInfo& d = (*engine::g_devices)[reinterpret_cast<uintptr_t>(h)];
  if (driver && driver->pdrvfn) d.functions.assign(driver->pdrvfn, driver->pdrvfn + driver->c);
  return h;
}

void EngineDeviceSetPdev(HDEV hdev, DHPDEV dhpdev) {
  std::lock_guard<std::mutex> lock(engine::g_mu);
  if (engine::DeviceInfo* d = engine::Find(hdev)) d->dhpdev = dhpdev;
}

DHPDEV EngineDevicePdev(HDEV hdev) { return engine::DevicePdev(hdev); }

PFN EngineDeviceFunction(HDEV hdev, ULONG index) {
  std::lock_guard<std::mutex> lock(engine::g_mu);
  engine::DeviceInfo* d = engine::Find(hdev);
  if (!d) return nullptr;
  for (const DRVFN& fn : d->functions)
    if (fn.iFunc == index) return fn.pfn;
  return nullptr;
}

void EngineDeviceDelete(HDEV hdev) {
  std::lock_guard<std::mutex> lock(engine::g_mu);
  engine::g_devices->erase(reinterpret_cast<uintptr_t>(hdev));
}

HSURF EngineDrawingBitmap(HSURF hsurf) { return engine::SurfaceDrawingBitmap(hsurf); }

}  // namespace kw

namespace kw::hooks {

size_t EngineLiveDevices() {
  std::lock_guard<std::mutex> lock(engine::g_mu);
  return engine::g_devices->size();
}

}  // namespace kw::hooks
