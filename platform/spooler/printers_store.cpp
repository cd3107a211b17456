// The spooler's printers, jobs and the record of calls made on them.
#include "printers_store.h"

#include <cctype>

#include "kw/handle_table.h"
#include "kw/world.h"

namespace kw::printers {

Store& S() {
  static Store* s = [] {
    auto* store = new Store;
    WorldOnRootChange(hooks::PrintersClear);
    return store;
  }();
  return *s;
}

std::string Key(const std::string& name) {
  std::string k = name;
  for (char& c : k) c = char(std::tolower(static_cast<unsigned char>(c)));
  return k;
}

Printer* Find(const std::string& name) {
  auto it = S().printers.find(Key(name));
  if (it != S().printers.end()) return &it->second;
  Printer loaded;
  if (name.empty() || !LoadPrinter(name, &loaded)) return nullptr;
  return &(S().printers[Key(name)] = std::move(loaded));
}

HandleObject* Object(HANDLE h) {
  auto* o = static_cast<HandleObject*>(HandleGet(h, HandleKind::Printer));
  if (!o || !S().live.count(o)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return o;
}

void Record(const hooks::PrinterCall& call) { S().calls.push_back(call); }

BOOL Done(hooks::PrinterCall call, BOOL result) {
  call.result = result;
  call.error = result ? 0 : GetLastError();
  Record(call);
  if (!result) SetLastError(call.error);
  return result;
}

BOOL Failed(hooks::PrinterCall call, DWORD error) {
  SetLastError(error);
  return Done(call, FALSE);
}

}  // namespace kw::printers

namespace kw::hooks {

using printers::S;

void PrintersClear() {
  std::lock_guard<std::mutex> lock(S().mu);
  S().printers.clear();
  S().calls.clear();
  S().nextJobId = 1;
}

void PrinterInstall(const PrinterSetup& setup) {
  std::lock_guard<std::mutex> lock(S().mu);
  printers::Printer& p = S().printers[printers::Key(setup.name)];
  p.setup = setup;
}

void PrinterJobSet(const std::string& printer, DWORD jobId, DWORD status) {
  std::lock_guard<std::mutex> lock(S().mu);
  if (printers::Printer* p = printers::Find(printer)) p->jobs[jobId].status = status;
}

std::vector<PrinterCall> PrinterCalls() {
  std::lock_guard<std::mutex> lock(S().mu);
  return S().calls;
}

void PrinterCallsClear() {
  std::lock_guard<std::mutex> lock(S().mu);
  S().calls.clear();
  for (auto& [key, p] : S().printers) p.statusHistory.clear();
}

std::vector<DWORD> PrinterStatusHistory(const std::string& printer) {
  std::lock_guard<std::mutex> lock(S().mu);
  printers::Printer* p = printers::Find(printer);
  return p ? p->statusHistory : std::vector<DWORD>();
}

DWORD PrinterStatusNow(const std::string& printer) {
  std::lock_guard<std::mutex> lock(S().mu);
  printers::Printer* p = printers::Find(printer);
  return p ? p->status : 0;
}

DWORD PrinterJobLastControl(const std::string& printer, DWORD jobId) {
  std::lock_guard<std::mutex> lock(S().mu);
  printers::Printer* p = printers::Find(printer);
  if (!p) return 0;
  auto it = p->jobs.find(jobId);
  return it == p->jobs.end() ? 0 : it->second.lastControl;
}

size_t PrinterOpenHandles() {
  std::lock_guard<std::mutex> lock(S().mu);
  return S().openHandles;
}

}  // namespace kw::hooks
