// Process-wide state of the rendering library, set at DLL attach.
#pragma once
#include "windows.h"

// This library's module instance (null until DLL attach).
HINSTANCE DriverInstance();
// Serialises the process-wide model-data cache.
CRITICAL_SECTION* ModelCacheLock();
