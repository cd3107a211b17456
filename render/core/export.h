// The library is built with hidden visibility; only the Windows names are
// exported, with C linkage.
#pragma once

#define KADU_EXPORT extern "C" __attribute__((visibility("default")))
