// The surface table: lock, unlock, delete and association of surfaces, and
// the tests' view of them.
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <unordered_map>

#include "engine_objects.h"
#include "kw/hooks_engine.h"

namespace kw::engine {
namespace {

std::mutex g_mu;
// Leaked on purpose: surfaces may be released by static destructors of
// modules unloaded after this library's own.
std::unordered_map<uintptr_t, Surface*>* g_surfaces = new std::unordered_map<uintptr_t, Surface*>;
uint64_t g_nextId = 1;
uint64_t g_nextAssociation = 1;

std::atomic<uint64_t> g_creations{0};
std::atomic<uint64_t> g_failAt{0};
std::atomic<bool> g_failSticky{false};
std::atomic<uint64_t> g_bitsLimit{0};

constexpr uintptr_t kHandleBase = 0x5E0000000ull;

// The live surface of a handle; callers hold g_mu.
Surface* Find(HSURF h) {
  auto it = g_surfaces->find(reinterpret_cast<uintptr_t>(h));
  if (it == g_surfaces->end() || it->second->deleted) return nullptr;
  return it->second;
}

void Free(Surface* s) {
  g_surfaces->erase(reinterpret_cast<uintptr_t>(s->so.hsurf));
  if (s->ownsBits) std::free(s->so.pvBits);
  delete s;
}

}  // namespace

HSURF SurfaceAdd(Surface* s) {
  std::lock_guard<std::mutex> lock(g_mu);
  auto h = reinterpret_cast<HSURF>(kHandleBase + g_nextId++ * 8);
  s->so.hsurf = h;
  s->so.iUniq = 1;
  (*g_surfaces)[reinterpret_cast<uintptr_t>(h)] = s;
  return h;
}

bool SurfaceCreationFails() {
  uint64_t n = ++g_creations;
  uint64_t at = g_failAt.load();
  if (at == 0) return false;
  return g_failSticky ? n >= at : n == at;
}

bool SurfaceBitsAllowed(uint64_t bytes) {
  uint64_t limit = g_bitsLimit.load();
  return limit == 0 || bytes <= limit;
}

void SurfaceTouched(SURFOBJ* so) {
  // Zero is left out: drivers read it as "no cached state".
  if (++so->iUniq == 0) so->iUniq = 1;
}

}  // namespace kw::engine

using kw::engine::Find;
using kw::engine::Surface;

KW_API BOOL APIENTRY EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks) {
  if (!kw::engine::DeviceExists(hdev)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DHPDEV dhpdev = kw::engine::DevicePdev(hdev);
  std::lock_guard<std::mutex> lock(kw::engine::g_mu);
  Surface* s = Find(hsurf);
  if (!s) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  s->so.hdev = hdev;
  s->so.dhpdev = dhpdev;
  s->hooks = flHooks;
  s->associated = kw::engine::g_nextAssociation++;
  return TRUE;
}

KW_API BOOL APIENTRY EngMarkBandingSurface(HSURF hsurf) {
  std::lock_guard<std::mutex> lock(kw::engine::g_mu);
  Surface* s = Find(hsurf);
  if (!s) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  s->banding = true;
  return TRUE;
}

KW_API SURFOBJ* APIENTRY EngLockSurface(HSURF hsurf) {
  std::lock_guard<std::mutex> lock(kw::engine::g_mu);
  Surface* s = Find(hsurf);
  if (!s) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  ++s->locks;
  return &s->so;
}

KW_API VOID APIENTRY EngUnlockSurface(SURFOBJ* pso) {
  if (!pso) return;
  std::lock_guard<std::mutex> lock(kw::engine::g_mu);
  auto it = kw::engine::g_surfaces->find(reinterpret_cast<uintptr_t>(pso->hsurf));
  if (it == kw::engine::g_surfaces->end() || &it->second->so != pso || it->second->locks == 0) return;
  Surface* s = it->second;
  if (--s->locks == 0 && s->deleted) kw::engine::Free(s);
}

KW_API BOOL APIENTRY EngDeleteSurface(HSURF hsurf) {
  std::lock_guard<std::mutex> lock(kw::engine::g_mu);
  Surface* s = Find(hsurf);
  if (!s) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  s->deleted = true;
  if (s->locks == 0) kw::engine::Free(s);
  return TRUE;
}

namespace kw::engine {

// The engine bitmap whose pixels stand for what is drawn on `hsurf`: the
// surface itself when it is an engine bitmap; for a device surface the
// engine bitmap associated last with the same device, preferring one of the
// surface's own size.
HSURF SurfaceDrawingBitmap(HSURF hsurf) {
  std::lock_guard<std::mutex> lock(g_mu);
  Surface* s = Find(hsurf);
  if (!s) return nullptr;
  if (s->so.iType == STYPE_BITMAP) return hsurf;
  if (!s->so.hdev) return nullptr;
  Surface* best = nullptr;
  bool bestSized = false;
  for (auto& [h, c] : *g_surfaces) {
    if (c->deleted || c->so.iType != STYPE_BITMAP || c->so.hdev != s->so.hdev || c->associated == 0) continue;
    bool sized = c->so.sizlBitmap.cx == s->so.sizlBitmap.cx && c->so.sizlBitmap.cy == s->so.sizlBitmap.cy;
    if (!best || (sized && !bestSized) || (sized == bestSized && c->associated > best->associated)) {
      best = c;
      bestSized = sized;
    }
  }
  return best ? best->so.hsurf : nullptr;
}

bool SurfaceQuery(HSURF hsurf, FLONG* hooks, bool* banding) {
  std::lock_guard<std::mutex> lock(g_mu);
  Surface* s = Find(hsurf);
  if (!s) return false;
  if (hooks) *hooks = s->hooks;
  if (banding) *banding = s->banding;
  return true;
}

}  // namespace kw::engine

namespace kw::hooks {

void EngineFailSurfaceAt(uint64_t n, bool sticky) {
  kw::engine::g_creations = 0;
  kw::engine::g_failSticky = sticky;
  kw::engine::g_failAt = n;
}

void EngineLimitBitmapBytes(uint64_t bytes) { kw::engine::g_bitsLimit = bytes; }

size_t EngineLiveSurfaces() {
  std::lock_guard<std::mutex> lock(kw::engine::g_mu);
  size_t n = 0;
  for (auto& [h, s] : *kw::engine::g_surfaces)
    if (!s->deleted) ++n;
  return n;
}

bool EngineSurfaceQuery(HSURF hsurf, EngineSurfaceInfo* info) {
  std::lock_guard<std::mutex> lock(kw::engine::g_mu);
  Surface* s = kw::engine::Find(hsurf);
  if (!s) return false;
  if (info) {
    info->hooks = s->hooks;
    info->hdev = s->so.hdev;
    info->banding = s->banding;
    info->locks = s->locks;
    info->ownsBits = s->ownsBits;
  }
  return true;
}

}  // namespace kw::hooks
