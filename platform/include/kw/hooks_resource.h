// Test hooks for resources.
#pragma once
#include "win/base.h"

namespace kw::hooks {

// The preferred UI language of the resource language choice (0x0409 at start).
void ResourceSetUiLanguage(LANGID language);

}  // namespace kw::hooks
