// Placeholder until the model data reader exists: it owns the process-wide
// cache buffer and replaces this file with the function that frees it.
#include "render/core/driver_entry.h"

void FreeModelCacheBuffer() {}
