// Test hooks for modules.
#pragma once
#include <string>

#include "win/base.h"

namespace kw::hooks {

// Makes LoadLibrary* of a module with this file name (no folder, ignoring
// case, as passed by the caller) fail with `error`; an empty name stops it.
void ModuleFailLoad(const std::u16string& name, DWORD error = ERROR_MOD_NOT_FOUND);
// Use count of a module loaded through LoadLibrary*, 0 when not loaded.
int ModuleUseCount(HMODULE module);
// The system loader's message for the last code module that failed to load.
std::string ModuleLastLoaderError();

}  // namespace kw::hooks
