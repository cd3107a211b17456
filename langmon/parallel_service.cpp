// The bidirectional parallel port device ("Bi" + port name) and the driver
// service behind it. Not wired yet: the device is taken as absent and
// nothing is installed.
#include "langmon/operations.h"

namespace langmon {

BOOL EnsureParallelDevice(PortRecord* p) { return p->portType == kTypeParallel ? FALSE : TRUE; }

}  // namespace langmon
