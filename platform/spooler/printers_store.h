// Layer-internal: the spooler's printers as the monitor calls see them.
#pragma once
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "kw/hooks_printers.h"
#include "win/registry.h"

namespace kw::printers {

struct Job {
  DWORD status = 0;
  DWORD lastControl = 0;
  // Document jobs started through StartDocPrinterW.
  std::string document;
  std::string outputFile;  // Windows path the bytes go to
  DWORD pages = 0;
};

// A driver as AddPrinterDriverW recorded it; paths are full Windows paths.
struct DriverRecord {
  std::string name;
  DWORD version = 3;
  std::string driverPath, dataFile, configFile, helpFile, monitor, datatype;
  std::vector<std::string> dependentFiles;
};

struct Printer {
  hooks::PrinterSetup setup;
  DWORD status = 0;
  std::vector<DWORD> statusHistory;
  std::map<DWORD, Job> jobs;
  // Printers added with AddPrinterW (kept in the registry) report these;
  // printers of the install hook report the hook's details.
  bool registered = false;
  std::string comment, location;
  DWORD attributes = 0;
};

// The object behind a printer handle. The first member stays a (null) job
// sink pointer so that WritePrinter recognises these handles as printers
// without a job sink.
struct HandleObject {
  void* sink = nullptr;  // the JobSink of the document started on this handle
  std::string printer;
  DWORD access = 0;
  DWORD jobId = 0;           // the document started on this handle, 0 when none
  std::string jobHostPath;   // the host file the document's bytes go to
  bool pageOpen = false;
};

struct Store {
  std::mutex mu;
  std::map<std::string, Printer> printers;  // key: name folded to lower case
  std::vector<hooks::PrinterCall> calls;
  std::set<HandleObject*> live;             // objects of open OpenPrinterA/W handles
  size_t openHandles = 0;
  DWORD nextJobId = 1;
};

Store& S();
std::string Key(const std::string& name);
// The printer of a name, or nullptr. A printer kept in the registry but not
// yet in memory (a new process on the same world) is loaded on the way.
// With the store lock held.
Printer* Find(const std::string& name);
// The object of an OpenPrinterA/W handle, or nullptr (ERROR_INVALID_HANDLE).
// With the store lock held.
HandleObject* Object(HANDLE h);

// How a document ends: completed, or aborted (its file deleted).
enum class JobEnd { Completed, Aborted };
// Ends the document of a handle; false when its file could not be completed.
// With the store lock held.
bool EndJob(HandleObject* o, JobEnd how);

// The registry side (printers_registry.cpp). Registry calls are made with
// the store lock held; the registry never calls back into the spooler.
extern const char16_t kDriversKey[];   // under HKEY_LOCAL_MACHINE
extern const char16_t kPrintersKey[];  // under HKEY_LOCAL_MACHINE
extern const char kEnvironment[];      // "Windows NT x86"
bool LoadDriver(const std::string& driver, DriverRecord* out);
bool SaveDriver(const DriverRecord& d);
bool LoadPrinter(const std::string& name, Printer* out);
bool SavePrinter(const Printer& p, const std::vector<BYTE>& devmode);
void DeletePrinterKey(const std::string& name);
// The registry key of a printer's data, opened or created; nullptr when it
// cannot be.
HKEY OpenPrinterDataKey(const std::string& printer, bool create);
// The full Windows path of a driver file: a bare name lies in <driver directory>\3.
std::string DriverFilePath(const std::string& file);
// The driver directory, "C:\Windows\System32\spool\drivers\w32x86".
extern const char kDriverDirectory[];
void Record(const hooks::PrinterCall& call);  // with the store lock held
// Records a finished call with its result and the last error; returns the result.
BOOL Done(hooks::PrinterCall call, BOOL result);
// Sets `error` as the last error and records the call as failed.
BOOL Failed(hooks::PrinterCall call, DWORD error);

}  // namespace kw::printers
