// OpenPrinterA and the printer and job calls of the language monitor, over the
// printers of printers_store.cpp. Information levels use the two-call buffer
// protocol: the structure first, its strings packed at the end of the buffer.
#include <cstring>

#include "kw/handle_table.h"
#include "printers_store.h"
#include "win/handle.h"
#include "win/printers.h"

#ifndef ERROR_INVALID_LEVEL
#define ERROR_INVALID_LEVEL 124L
#endif

namespace kw::printers {
namespace {

// A document still open when its handle closes ends as aborted.
void CloseObject(void* object) {
  auto* o = static_cast<HandleObject*>(object);
  std::lock_guard<std::mutex> lock(S().mu);
  if (o->jobId) EndJob(o, JobEnd::Aborted);
  S().live.erase(o);
  --S().openHandles;
  delete o;
}

// Lays out a structure and its strings in the caller's buffer.
class Packer {
 public:
  Packer(size_t fixed, std::initializer_list<const std::string*> strings) {
    needed_ = fixed;
    for (const std::string* s : strings) needed_ += s->size() + 1;
  }
  DWORD Needed() const { return DWORD(needed_); }
  bool Fits(DWORD cb) const { return cb >= needed_; }
  void Begin(LPBYTE buf) {
    buf_ = buf;
    end_ = needed_;
    std::memset(buf, 0, needed_);
  }
  LPSTR Put(const std::string& s) {
    end_ -= s.size() + 1;
    std::memcpy(buf_ + end_, s.c_str(), s.size() + 1);
    return reinterpret_cast<LPSTR>(buf_ + end_);
  }

 private:
  size_t needed_;
  LPBYTE buf_ = nullptr;
  size_t end_ = 0;
};

// Checks the buffer of a Get call; FALSE with the right error when it cannot take `p`.
bool Room(const Packer& p, LPBYTE buf, DWORD cb, LPDWORD needed) {
  if (needed) *needed = p.Needed();
  if (!p.Fits(cb) || !buf) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return false;
  }
  return true;
}

std::string Folder(const std::string& path) {
  size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

}  // namespace
}  // namespace kw::printers

using namespace kw::printers;
using kw::hooks::PrinterCall;

KW_API BOOL WINAPI OpenPrinterA(LPSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSA pDefault) {
  std::lock_guard<std::mutex> lock(S().mu);
  DWORD access = pDefault ? pDefault->DesiredAccess : PRINTER_ACCESS_USE;
  PrinterCall call{"OpenPrinterA", pPrinterName ? pPrinterName : "", 0, 0, access};
  if (!pPrinterName || !phPrinter) return Failed(call, ERROR_INVALID_PARAMETER);
  *phPrinter = nullptr;
  Printer* p = Find(pPrinterName);
  if (!p) return Failed(call, ERROR_INVALID_PRINTER_NAME);
  if ((access & PRINTER_ACCESS_ADMINISTER) && p->setup.administerDenied) return Failed(call, ERROR_ACCESS_DENIED);
  auto* o = new HandleObject;
  o->printer = p->setup.name;
  o->access = access;
  S().live.insert(o);
  ++S().openHandles;
  *phPrinter = kw::HandleCreate(kw::HandleKind::Printer, o, CloseObject);
  return Done(call, TRUE);
}

KW_API BOOL WINAPI ClosePrinter(HANDLE hPrinter) {
  {
    std::lock_guard<std::mutex> lock(S().mu);
    PrinterCall call{"ClosePrinter", ""};
    HandleObject* o = Object(hPrinter);
    if (!o) return Failed(call, ERROR_INVALID_HANDLE);
    call.printer = o->printer;
    Done(call, TRUE);
  }
  return CloseHandle(hPrinter);
}

KW_API BOOL WINAPI GetPrinterA(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded) {
  std::lock_guard<std::mutex> lock(S().mu);
  PrinterCall call{"GetPrinterA", "", Level};
  HandleObject* o = Object(hPrinter);
  if (!o) return Failed(call, ERROR_INVALID_HANDLE);
  call.printer = o->printer;
  Printer* p = Find(o->printer);
  if (!p) return Failed(call, ERROR_INVALID_PRINTER_NAME);
  const kw::hooks::PrinterSetup& s = p->setup;
  static const std::string empty, processor = "winprint", datatype = "RAW";
  if (Level == 2) {
    Packer pk(sizeof(PRINTER_INFO_2A), {&s.name, &s.portName, &s.driverName, &processor, &datatype});
    if (!Room(pk, pPrinter, cbBuf, pcbNeeded)) return Done(call, FALSE);
    pk.Begin(pPrinter);
    auto* info = reinterpret_cast<PRINTER_INFO_2A*>(pPrinter);
    info->pPrinterName = pk.Put(s.name);
    info->pPortName = pk.Put(s.portName);
    info->pDriverName = pk.Put(s.driverName);
    info->pPrintProcessor = pk.Put(processor);
    info->pDatatype = pk.Put(datatype);
    info->Status = p->status;
    info->cJobs = DWORD(p->jobs.size());
    return Done(call, TRUE);
  }
  if (Level == 5) {
    Packer pk(sizeof(PRINTER_INFO_5A), {&s.name, &s.portName});
    if (!Room(pk, pPrinter, cbBuf, pcbNeeded)) return Done(call, FALSE);
    pk.Begin(pPrinter);
    auto* info = reinterpret_cast<PRINTER_INFO_5A*>(pPrinter);
    info->pPrinterName = pk.Put(s.name);
    info->pPortName = pk.Put(s.portName);
    info->DeviceNotSelectedTimeout = 15000;
    info->TransmissionRetryTimeout = s.transmissionRetryTimeout;
    return Done(call, TRUE);
  }
  return Failed(call, ERROR_INVALID_LEVEL);
}

KW_API BOOL WINAPI SetPrinterA(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD Command) {
  std::lock_guard<std::mutex> lock(S().mu);
  PrinterCall call{"SetPrinterA", "", Level, Command};
  HandleObject* o = Object(hPrinter);
  if (!o) return Failed(call, ERROR_INVALID_HANDLE);
  call.printer = o->printer;
  if (Level != 0 || Command < PRINTER_CONTROL_PAUSE || Command > PRINTER_CONTROL_SET_STATUS)
    return Failed(call, Level != 0 ? ERROR_INVALID_LEVEL : ERROR_INVALID_PARAMETER);
  if (!(o->access & PRINTER_ACCESS_ADMINISTER)) return Failed(call, ERROR_ACCESS_DENIED);
  Printer* p = Find(o->printer);
  if (!p) return Failed(call, ERROR_INVALID_PRINTER_NAME);
  if (Command == PRINTER_CONTROL_SET_STATUS) {
    if (!pPrinter) return Failed(call, ERROR_INVALID_PARAMETER);
    std::memcpy(&call.value, pPrinter, sizeof(DWORD));
    p->status = call.value;
    p->statusHistory.push_back(call.value);
  }
  return Done(call, TRUE);
}

KW_API BOOL WINAPI GetPrinterDriverA(HANDLE hPrinter, LPSTR, DWORD Level, LPBYTE pDriverInfo, DWORD cbBuf,
                                     LPDWORD pcbNeeded) {
  std::lock_guard<std::mutex> lock(S().mu);
  PrinterCall call{"GetPrinterDriverA", "", Level};
  HandleObject* o = Object(hPrinter);
  if (!o) return Failed(call, ERROR_INVALID_HANDLE);
  call.printer = o->printer;
  Printer* p = Find(o->printer);
  if (!p) return Failed(call, ERROR_INVALID_PRINTER_NAME);
  if (Level != 2) return Failed(call, ERROR_INVALID_LEVEL);
  const kw::hooks::PrinterSetup& s = p->setup;
  if (s.driverName.empty()) return Failed(call, ERROR_UNKNOWN_PRINTER_DRIVER);
  static const std::string environment = "Windows NT x86";
  std::string dataFile = s.driverPath.empty() ? std::string() : Folder(s.driverPath) + "\\" + s.driverName + ".DAT";
  std::string configFile = s.driverPath;
  // A driver added with AddPrinterDriverW reports the files it was added with.
  DriverRecord recorded;
  if (LoadDriver(s.driverName, &recorded)) {
    dataFile = recorded.dataFile;
    configFile = recorded.configFile;
  }
  Packer pk(sizeof(DRIVER_INFO_2A), {&s.driverName, &environment, &s.driverPath, &dataFile, &configFile});
  if (!Room(pk, pDriverInfo, cbBuf, pcbNeeded)) return Done(call, FALSE);
  pk.Begin(pDriverInfo);
  auto* info = reinterpret_cast<DRIVER_INFO_2A*>(pDriverInfo);
  info->cVersion = 3;
  info->pName = pk.Put(s.driverName);
  info->pEnvironment = pk.Put(environment);
  info->pDriverPath = pk.Put(s.driverPath);
  info->pDataFile = pk.Put(dataFile);
  info->pConfigFile = pk.Put(configFile);
  return Done(call, TRUE);
}

KW_API BOOL WINAPI GetJobA(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE pJob, DWORD cbBuf, LPDWORD pcbNeeded) {
  std::lock_guard<std::mutex> lock(S().mu);
  PrinterCall call{"GetJobA", "", Level, 0, 0, JobId};
  HandleObject* o = Object(hPrinter);
  if (!o) return Failed(call, ERROR_INVALID_HANDLE);
  call.printer = o->printer;
  Printer* p = Find(o->printer);
  if (!p) return Failed(call, ERROR_INVALID_PRINTER_NAME);
  auto job = p->jobs.find(JobId);
  if (job == p->jobs.end()) return Failed(call, ERROR_INVALID_PARAMETER);
  if (Level != 1) return Failed(call, ERROR_INVALID_LEVEL);
  static const std::string datatype = "RAW";
  const std::string& document = job->second.document;
  Packer pk(sizeof(JOB_INFO_1A), {&p->setup.name, &datatype, &document});
  if (!Room(pk, pJob, cbBuf, pcbNeeded)) return Done(call, FALSE);
  pk.Begin(pJob);
  auto* info = reinterpret_cast<JOB_INFO_1A*>(pJob);
  info->JobId = JobId;
  info->pPrinterName = pk.Put(p->setup.name);
  info->pDatatype = pk.Put(datatype);
  info->pDocument = pk.Put(document);
  info->Status = job->second.status;
  info->TotalPages = job->second.pages;
  call.value = job->second.status;
  return Done(call, TRUE);
}

KW_API BOOL WINAPI SetJobA(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE, DWORD Command) {
  std::lock_guard<std::mutex> lock(S().mu);
  PrinterCall call{"SetJobA", "", Level, Command, 0, JobId};
  HandleObject* o = Object(hPrinter);
  if (!o) return Failed(call, ERROR_INVALID_HANDLE);
  call.printer = o->printer;
  Printer* p = Find(o->printer);
  if (!p) return Failed(call, ERROR_INVALID_PRINTER_NAME);
  auto job = p->jobs.find(JobId);
  if (job == p->jobs.end()) return Failed(call, ERROR_INVALID_PARAMETER);
  if (Level != 0) return Failed(call, ERROR_INVALID_LEVEL);
  if (Command < JOB_CONTROL_PAUSE || Command > JOB_CONTROL_LAST_PAGE_EJECTED)
    return Failed(call, ERROR_INVALID_PARAMETER);
  job->second.lastControl = Command;
  if (Command == JOB_CONTROL_CANCEL || Command == JOB_CONTROL_DELETE) job->second.status |= JOB_STATUS_DELETING;
  if (Command == JOB_CONTROL_LAST_PAGE_EJECTED) job->second.status |= JOB_STATUS_PRINTED;
  return Done(call, TRUE);
}
