// The Windows version the monitor adapts to (MONITOR2 size, read chunk,
// object name prefixes, the status monitor's session handling).
#include "langmon/operations.h"

namespace langmon {

void QueryOsVersion(DWORD* major, DWORD* minor) {
#if __has_include("win/version.h")
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (GetVersionExA(&info)) {
    *major = info.dwMajorVersion;
    *minor = info.dwMinorVersion;
    return;
  }
#endif
  // Without the version service, the monitor behaves as on Windows 7.
  *major = 6;
  *minor = 1;
}

bool AtLeast(DWORD major, DWORD minor, DWORD wantMajor, DWORD wantMinor) {
  return major > wantMajor || (major == wantMajor && minor >= wantMinor);
}

}  // namespace langmon
