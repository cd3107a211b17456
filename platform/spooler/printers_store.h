// Layer-internal: the spooler's printers as the monitor calls see them.
#pragma once
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "kw/hooks_printers.h"

namespace kw::printers {

struct Job {
  DWORD status = 0;
  DWORD lastControl = 0;
};

struct Printer {
  hooks::PrinterSetup setup;
  DWORD status = 0;
  std::vector<DWORD> statusHistory;
  std::map<DWORD, Job> jobs;
};

// The object behind a printer handle. The first member stays a (null) job
// sink pointer so that WritePrinter recognises these handles as printers
// without a job sink.
struct HandleObject {
  void* sink = nullptr;
  std::string printer;
  DWORD access = 0;
};

struct Store {
  std::mutex mu;
  std::map<std::string, Printer> printers;  // key: name folded to lower case
  std::vector<hooks::PrinterCall> calls;
  size_t openHandles = 0;
};

Store& S();
std::string Key(const std::string& name);
// The printer of a key, or nullptr. With the store lock held.
Printer* Find(const std::string& name);
void Record(const hooks::PrinterCall& call);  // with the store lock held
// Records a finished call with its result and the last error; returns the result.
BOOL Done(hooks::PrinterCall call, BOOL result);
// Sets `error` as the last error and records the call as failed.
BOOL Failed(hooks::PrinterCall call, DWORD error);

}  // namespace kw::printers
