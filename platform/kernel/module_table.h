// Layer-internal: the resources of a loaded module, for the resource calls.
#pragma once
#include "kw/pe_resources.h"
#include "win/base.h"

namespace kw {

struct ModuleResources {
  const uint8_t* file = nullptr;  // the PE image (file layout)
  size_t size = 0;
  PeResourceTable table;
};

// Resources of a data module, or of a code module (or the program, for a
// null handle) that carries an embedded resource image. Null, with *error
// set, when the module is unknown or has no resources. Valid until the
// module's last FreeLibrary.
const ModuleResources* ModuleResourcesOf(HMODULE module, DWORD* error);

}  // namespace kw
