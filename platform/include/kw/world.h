// The world folder: one host folder that holds a Windows machine's drives,
// registry, spooler state and event log. Windows paths map onto it:
//   C:\Windows\System32  ->  <root>/C/Windows/System32   (names resolved ignoring case)
//   Z:\tmp\x             ->  /tmp/x                      (the host file system, as a drive)
//   \\server\share\x     ->  <root>/UNC/server/share/x
// Relative paths are taken from the world's current directory (C:\ at start).
#pragma once
#include <string>
#include <string_view>

#include "win/base.h"

namespace kw {

// Sets the world root (created when missing) and reloads world-backed state.
// Without a call, the root is $KADU_WORLD, else <user data dir>/kadu/world.
void WorldSetRoot(const std::string& hostDir);
std::string WorldRoot();

// Called after every root change; areas with state in the world (registry,
// event log, spooler) register to reload themselves.
void WorldOnRootChange(void (*callback)());

// Host path of a Windows path. "\" and "/" are both separators; existing
// components are found ignoring ASCII case; ".." never climbs above a drive root.
std::string WorldMapPath(std::u16string_view winPath);
std::string WorldMapPathA(std::string_view winPathAnsi);
// Windows path of a host path (under the world root, or on drive Z:).
std::u16string WorldHostToWindows(const std::string& hostPath);

// The world's current directory, a full Windows path ending without a separator
// except for a drive root ("C:\").
std::u16string WorldCurrentDirectory();
bool WorldSetCurrentDirectory(std::u16string_view winPath);

}  // namespace kw
