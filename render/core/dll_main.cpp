#include "common/model_files.h"
#include "common/model_store.h"
#include "render/core/ddi_hooks.h"
#include "render/core/driver_instance.h"

namespace {

HINSTANCE g_instance = nullptr;
CRITICAL_SECTION g_modelCacheLock;

}  // namespace

HINSTANCE DriverInstance() { return g_instance; }
CRITICAL_SECTION* ModelCacheLock() { return &g_modelCacheLock; }

KADU_EXPORT BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      g_instance = instance;
      InitializeCriticalSection(&g_modelCacheLock);
      // The model data files sit beside this library; the renderer reads
      // the caches the interface library wrote.
      kadu::SetDriverModule(instance);
      kadu::ModelStoreInit(kadu::StoreRole::Renderer);
      break;
    case DLL_PROCESS_DETACH:
      kadu::ModelStoreFree();
      DeleteCriticalSection(&g_modelCacheLock);
      break;
    default:
      break;
  }
  return TRUE;
}
