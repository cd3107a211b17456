// Status of printers on network ports, read by SNMP through the driver's
// network modules. Not wired yet: the network probe recognises no port, so
// network ports pass data without status.
#include "langmon/operations.h"

namespace langmon {

BOOL NetworkProbe(PortRecord*) { return FALSE; }
void NetworkStartup(PortRecord*) {}
void NetworkCleanup(PortRecord* p) {
  if (p->winsockStarted) WSACleanup();
  p->winsockStarted = FALSE;
}
void LoadSnmpClient(PortRecord*) {}
void CloseSnmpSession(PortRecord*) {}
BOOL NetworkDeviceId(PortRecord* p) {
  p->flags &= ~kBidiPjl;
  return FALSE;
}
BOOL NetworkStatus(PortRecord*, Codes*) { return FALSE; }
void PollNetworkStatus(PortRecord*, BOOL) {}

}  // namespace langmon
