// The spooler's hosting of a language monitor, for tests and tools: it
// initialises the monitor with a MONITORINIT whose registry callbacks work on
// the layer's registry, opens its ports over a lower port monitor, and runs
// jobs through it the way the spooler does (start doc, writes — again with the
// rest after a short write, again after a failed one —, end doc).
#pragma once
#include <cstdint>
#include <string>

#include "win/monitor.h"

namespace kw {

struct MonitorHost;

// Initialises a monitor whose InitializePrintMonitor2 is at hand (linked in).
// nullptr, last error set, when the monitor refuses.
MonitorHost* MonitorHostStart(PFN_INITIALIZEPRINTMONITOR2 init);
// Loads a monitor module through LoadLibraryW (a module name, a Windows path,
// or a host path starting with "/"), which runs its DllMain, and initialises
// it; nullptr with `*error` set when that fails.
MonitorHost* MonitorHostLoad(const std::string& module, std::string* error);
// Calls the monitor's Shutdown and frees a loaded module.
void MonitorHostStop(MonitorHost* host);

const MONITOR2* MonitorHostTable(const MonitorHost* host);
HANDLE MonitorHostHandle(const MonitorHost* host);
const MONITORINIT* MonitorHostInit(const MonitorHost* host);

// OpenPortEx over `lower`; nullptr, last error set, when it fails.
HANDLE MonitorHostOpenPort(MonitorHost* host, MONITOR2* lower, HANDLE lowerMonitor, const std::string& port,
                           const std::string& printer);
BOOL MonitorHostClosePort(MonitorHost* host, HANDLE port);

struct JobRequest {
  std::string printer;
  DWORD jobId = 1;
  std::string document = "Document";
  DWORD level = 1;              // DOC_INFO level given to StartDocPort
  DWORD mode = 0;               // level 2: dwMode (with JobId 0 in the DOC_INFO)
  size_t chunk = 4096;          // bytes offered per WritePort call
  DWORD maxFailures = 3;        // failed WritePort calls before the job is given up
  DWORD retryPause = 1000;      // ms the spooler waits after a failed write
  DWORD maxIdleCalls = 100000;  // successive writes that take nothing before the job is given up
};

struct JobResult {
  BOOL started = FALSE;    // StartDocPort succeeded
  BOOL completed = FALSE;  // every byte was taken
  BOOL ended = FALSE;      // EndDocPort succeeded
  DWORD error = 0;         // first error seen
  uint64_t written = 0;
  uint64_t writeCalls = 0;
  uint64_t failedWrites = 0;
};

// Produces the next bytes of a job into `buf`; 0 ends the job.
typedef size_t (*JobSource)(void* context, BYTE* buf, size_t capacity);
JobResult MonitorHostPrint(MonitorHost* host, HANDLE port, const JobRequest& job, JobSource source, void* context);
JobResult MonitorHostPrintBytes(MonitorHost* host, HANDLE port, const JobRequest& job, const std::string& bytes);

}  // namespace kw
