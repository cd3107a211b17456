// Layer settings and helpers for modules (see win/module.h for the search rule).
#pragma once
#include <string>

#include "win/base.h"

namespace kw {

// Adds a host folder to the module search, after those added before.
void ModuleAddSearchFolder(const std::string& hostDir);
// Host path of a module's file (code or data); empty for an unknown handle.
std::string ModuleHostPath(HMODULE module);

}  // namespace kw
