// Access to a port's shared status block. The block and its named mutex are
// made by the status monitor link; until then a port has no block and the
// monitor runs without status publication.
#include "langmon/operations.h"

namespace langmon {

BOOL OpenSharedBlock(PortRecord* p) {
  p->block = nullptr;  // made by the status monitor link
  return FALSE;
}

void CloseSharedBlock(PortRecord* p) {
  p->block = nullptr;
  p->blockMapping = nullptr;
  p->blockMutex = nullptr;
  p->blockSecurity = nullptr;
}

// The block's mutex is always taken inside the monitor lock, never before it.
BOOL LockBlock(PortRecord* p) {
  if (!p->block) return FALSE;
  if (p->blockMutex) WaitForSingleObject(p->blockMutex, INFINITE);
  return TRUE;
}

void UnlockBlock(PortRecord* p) {
  if (p->blockMutex) ReleaseMutex(p->blockMutex);
}

}  // namespace langmon
