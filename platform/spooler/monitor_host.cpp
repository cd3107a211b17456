// Hosting of a language monitor as the spooler does it (kw/monitor_host.h).
#include <cstring>
#include <vector>

#include "kw/hooks_printers.h"
#include "kw/monitor_host.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "win/module.h"
#include "win/printers.h"
#include "win/registry.h"
#include "win/thread.h"

namespace kw {

const MONITORREG* MonitorRegistryCallbacks();  // monitor_reg.cpp

struct MonitorHost {
  MONITORINIT init{};
  HKEY root = nullptr;
  std::u16string serverName;
  MONITOR2* table = nullptr;
  HANDLE handle = nullptr;
  HMODULE library = nullptr;
};

namespace {

int g_spoolerToken;  // its address is the hSpooler handed to monitors

}  // namespace

MonitorHost* MonitorHostStart(PFN_INITIALIZEPRINTMONITOR2 init) {
  if (!init) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* host = new MonitorHost;
  host->init.cbSize = sizeof(MONITORINIT);
  host->init.hSpooler = &g_spoolerToken;
  // The monitor's own key, as the spooler keeps one per installed monitor.
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"System\\CurrentControlSet\\Control\\Print\\Monitors\\KADU Language Monitor",
                  0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &host->root, nullptr);
  host->init.hckRegistryRoot = host->root;
  host->init.pMonitorReg = const_cast<PMONITORREG>(MonitorRegistryCallbacks());
  host->init.bLocal = TRUE;
  host->init.pszServerName = nullptr;
  host->table = init(&host->init, &host->handle);
  if (!host->table) {
    DWORD error = GetLastError();
    if (host->root) RegCloseKey(host->root);
    delete host;
    SetLastError(error ? error : ERROR_DLL_INIT_FAILED);
    return nullptr;
  }
  return host;
}

MonitorHost* MonitorHostLoad(const std::string& module, std::string* error) {
  std::u16string name = !module.empty() && module[0] == '/' ? WorldHostToWindows(module) : Widen(module);
  HMODULE lib = LoadLibraryW(name.c_str());  // runs the monitor's DllMain
  if (!lib) {
    if (error) *error = "cannot load " + module + " (error " + std::to_string(GetLastError()) + ")";
    return nullptr;
  }
  auto init = reinterpret_cast<PFN_INITIALIZEPRINTMONITOR2>(GetProcAddress(lib, "InitializePrintMonitor2"));
  if (!init) {
    if (error) *error = "no InitializePrintMonitor2 in " + module;
    FreeLibrary(lib);
    return nullptr;
  }
  MonitorHost* host = MonitorHostStart(init);
  if (!host) {
    if (error) *error = "InitializePrintMonitor2 failed with error " + std::to_string(GetLastError());
    FreeLibrary(lib);
    return nullptr;
  }
  host->library = lib;
  return host;
}

void MonitorHostStop(MonitorHost* host) {
  if (!host) return;
  if (host->table && host->table->pfnShutdown) host->table->pfnShutdown(host->handle);
  if (host->library) FreeLibrary(host->library);
  if (host->root) RegCloseKey(host->root);
  delete host;
}

const MONITOR2* MonitorHostTable(const MonitorHost* host) { return host ? host->table : nullptr; }
HANDLE MonitorHostHandle(const MonitorHost* host) { return host ? host->handle : nullptr; }
const MONITORINIT* MonitorHostInit(const MonitorHost* host) { return host ? &host->init : nullptr; }

HANDLE MonitorHostOpenPort(MonitorHost* host, MONITOR2* lower, HANDLE lowerMonitor, const std::string& port,
                           const std::string& printer) {
  if (!host || !host->table->pfnOpenPortEx) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::u16string wport = Widen(port), wprinter = Widen(printer);
  HANDLE h = nullptr;
  if (!host->table->pfnOpenPortEx(host->handle, lowerMonitor, wport.data(), wprinter.data(), &h, lower))
    return nullptr;
  return h;
}

BOOL MonitorHostClosePort(MonitorHost* host, HANDLE port) {
  if (!host || !host->table->pfnClosePort) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return host->table->pfnClosePort(port);
}

namespace {

// Offers one buffer to WritePort until it is taken, as the spooler does.
// False when the job must be given up.
bool WriteAll(const MONITOR2* t, HANDLE port, const JobRequest& job, const BYTE* data, size_t size, JobResult* r) {
  size_t done = 0;
  DWORD failures = 0, idle = 0;
  while (done < size) {
    DWORD offer = DWORD(std::min<size_t>(size - done, 0x7fffffff));
    DWORD taken = 0;
    ++r->writeCalls;
    BOOL ok = t->pfnWritePort(port, const_cast<BYTE*>(data + done), offer, &taken);
    if (taken > offer) taken = offer;
    done += taken;
    r->written += taken;
    if (!ok) {
      ++r->failedWrites;
      if (!r->error) r->error = GetLastError();
      if (++failures >= job.maxFailures) return false;
      Sleep(job.retryPause);
      continue;
    }
    idle = taken == 0 ? idle + 1 : 0;
    if (idle >= job.maxIdleCalls) {
      if (!r->error) r->error = ERROR_TIMEOUT;
      return false;
    }
  }
  return true;
}

}  // namespace

JobResult MonitorHostPrint(MonitorHost* host, HANDLE port, const JobRequest& job, JobSource source, void* context) {
  JobResult r;
  if (!host || !source) {
    r.error = ERROR_INVALID_PARAMETER;
    return r;
  }
  const MONITOR2* t = host->table;
  hooks::PrinterJobSet(job.printer, job.jobId, JOB_STATUS_PRINTING);
  std::u16string printer = Widen(job.printer), document = Widen(job.document), datatype = u"RAW";
  DOC_INFO_1W info1{document.data(), nullptr, datatype.data()};
  DOC_INFO_2W info2{document.data(), nullptr, datatype.data(), job.mode, 0};
  LPBYTE info = job.level == 2 ? reinterpret_cast<LPBYTE>(&info2) : reinterpret_cast<LPBYTE>(&info1);
  r.started = t->pfnStartDocPort(port, printer.data(), job.jobId, job.level, info);
  if (!r.started) {
    r.error = GetLastError();
    return r;
  }
  std::vector<BYTE> buf(job.chunk ? job.chunk : 4096);
  bool ok = true;
  for (;;) {
    size_t n = source(context, buf.data(), buf.size());
    if (n == 0) break;
    if (!WriteAll(t, port, job, buf.data(), n, &r)) {
      ok = false;
      break;
    }
  }
  r.completed = ok;
  r.ended = t->pfnEndDocPort(port);
  if (!r.ended && !r.error) r.error = GetLastError();
  return r;
}

namespace {
struct BytesCursor {
  const std::string* bytes;
  size_t at;
};
size_t FromBytes(void* context, BYTE* buf, size_t capacity) {
  auto* c = static_cast<BytesCursor*>(context);
  size_t n = std::min(capacity, c->bytes->size() - c->at);
  std::memcpy(buf, c->bytes->data() + c->at, n);
  c->at += n;
  return n;
}
}  // namespace

JobResult MonitorHostPrintBytes(MonitorHost* host, HANDLE port, const JobRequest& job, const std::string& bytes) {
  BytesCursor cursor{&bytes, 0};
  return MonitorHostPrint(host, port, job, FromBytes, &cursor);
}

}  // namespace kw
