// The world system's version and locale settings, read by the version,
// locale and shell-folder stand-ins.
#pragma once
#include "kw/hooks_version.h"

namespace kw::sys {

kw::hooks::SystemVersion Version();
kw::hooks::LocaleSettings Locales();

}  // namespace kw::sys
