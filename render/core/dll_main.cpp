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
      break;
    case DLL_PROCESS_DETACH:
      DeleteCriticalSection(&g_modelCacheLock);
      break;
    default:
      break;
  }
  return TRUE;
}
