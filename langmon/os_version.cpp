// The Windows version the monitor adapts to (MONITOR2 size, read chunk,
// registry hive of the AdjustDCS value, the status monitor's sessions).
#include "langmon/operations.h"

namespace langmon {

void QueryOsVersion(DWORD* major, DWORD* minor) {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (GetVersionExA(&info)) {
    *major = info.dwMajorVersion;
    *minor = info.dwMinorVersion;
    return;
  }
  *major = 6;  // cannot happen on a working system; behave as on Windows 7
  *minor = 1;
}

bool AtLeast(DWORD major, DWORD minor, DWORD wantMajor, DWORD wantMinor) {
  return major > wantMajor || (major == wantMajor && minor >= wantMinor);
}

}  // namespace langmon
