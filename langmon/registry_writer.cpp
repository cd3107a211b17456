// The port's registry writes. They are meant to run on a registry thread of
// the port; until it exists the write is made at once on the caller's thread,
// through the same spooler callbacks.
#include "langmon/operations.h"

namespace langmon {

void StartRegistryThread(PortRecord*) {}
void StopRegistryThread(PortRecord*) {}

BOOL QueueRegistryWrite(PortRecord* p, HANDLE root, const char* key, const char* value, DWORD type,
                        const void* data, DWORD size) {
  return WriteRegistryValue(p, root, key, value, type, data, size);
}

}  // namespace langmon
