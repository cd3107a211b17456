// The Windows layer's declarations, all areas. Each area has its own header
// under win/; test hooks are under kw/ and never included from here.
#pragma once

#include "win/base.h"
#include "win/handle.h"
#include "win/memory.h"
#include "win/sync.h"
#include "win/wstr.h"

// Areas added as the layer grows; each is included when present.
#if __has_include("win/file.h")
#include "win/file.h"
#endif
#if __has_include("win/profile.h")
#include "win/profile.h"
#endif
#if __has_include("win/registry.h")
#include "win/registry.h"
#endif
#if __has_include("win/module.h")
#include "win/module.h"
#endif
#if __has_include("win/resource.h")
#include "win/resource.h"
#endif
#if __has_include("win/eventlog.h")
#include "win/eventlog.h"
#endif
#if __has_include("win/seh.h")
#include "win/seh.h"
#endif
#if __has_include("win/thread.h")
#include "win/thread.h"
#endif
#if __has_include("win/version.h")
#include "win/version.h"
#endif
#if __has_include("win/shell.h")
#include "win/shell.h"
#endif
#if __has_include("win/gdi.h")
#include "win/gdi.h"
#endif
#if __has_include("win/spooler.h")
#include "win/spooler.h"
#endif
#if __has_include("win/winddi.h")
#include "win/winddi.h"
#endif
#if __has_include("win/net.h")
#include "win/net.h"
#endif
#if __has_include("win/printers.h")
#include "win/printers.h"
#endif
#if __has_include("win/monitor.h")
#include "win/monitor.h"
#endif
#if __has_include("win/user.h")
#include "win/user.h"
#endif
