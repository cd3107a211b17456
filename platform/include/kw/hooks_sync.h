// Test hooks for critical sections.
#pragma once
#include "win/sync.h"

namespace kw::hooks {

// Thread ID of the owner (0 when free) and the owner's recursion depth.
DWORD CriticalSectionOwner(const CRITICAL_SECTION* cs);
LONG CriticalSectionDepth(const CRITICAL_SECTION* cs);
// Critical sections currently held by the calling thread (any depth counts once).
int CriticalSectionsHeldByThisThread();

}  // namespace kw::hooks
