// The link to the outside status monitor program: starting it in the user's
// session, and the warning check that holds a job's first write while the
// user decides. Not wired yet: no program is started and jobs always print.
#include "langmon/operations.h"

namespace langmon {

void ReadWarningAppName(PortRecord* p) { p->warningApp[0] = '\0'; }
void StartLauncherThread(PortRecord*) {}
void StopLauncherThread(PortRecord*) {}
void EnsureStatusMonitor(PortRecord*) {}
void ReadWarningSettings(PortRecord*) {}
BOOL WarningCheck(PortRecord*) { return TRUE; }
void FreeStatusMonitorList(PortRecord* p) { p->processes = nullptr; }

}  // namespace langmon
