// Test hooks for the registry: inspection and fault injection.
#pragma once
#include <cstdint>
#include <string>

#include "win/base.h"

namespace kw::hooks {

// The registry functions a fault can be injected into.
enum class RegistryCall : uint32_t { Any, Open, Create, Query, Set, DeleteValue, DeleteKey, Enum, Info, Save };

// Makes the `n`-th call of `call` from now (1 = the next one) fail with
// `error`, and every later one too when `sticky`. `Save` makes writing the
// registry file fail (the in-memory change stays). n = 0 turns failure off.
void RegistryFailAt(RegistryCall call, uint64_t n, LONG error, bool sticky = false);
void RegistryFailClear();

// The whole registry in the text form of its file (volatile keys included,
// marked as such), for assertions and debugging.
std::string RegistryDump();
// Host path of the file the registry is persisted in.
std::string RegistryFilePath();
// Key handles currently open (predefined roots not counted), for leak checks.
size_t RegistryOpenKeyCount();
// Drops the in-memory registry and reads it again from its file, as a new
// process would.
void RegistryReload();

}  // namespace kw::hooks
