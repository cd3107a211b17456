// The printer's data: named values of a printer that the driver libraries
// and the monitor share, kept in the registry under the printer's key
// ("PrinterDriverData"), so every process on the world sees them.
#include <map>

#include "kw/handle_table.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "printers_store.h"
#include "win/printers.h"

namespace kw::printers {
namespace {

// Injected GetPrinterDataW failures: printer key -> value key ("" for every
// value) -> error. Guarded by the store lock.
std::map<std::string, std::map<std::string, DWORD>>& Failures() {
  static auto* failures = [] {
    auto* f = new std::map<std::string, std::map<std::string, DWORD>>;
    WorldOnRootChange([] {
      std::lock_guard<std::mutex> lock(S().mu);
      Failures().clear();
    });
    return f;
  }();
  return *failures;
}

DWORD InjectedFailure(const std::string& printer, const std::string& value) {
  auto p = Failures().find(Key(printer));
  if (p == Failures().end()) return 0;
  auto v = p->second.find(Key(value));
  if (v == p->second.end()) v = p->second.find(std::string());
  return v == p->second.end() ? 0 : v->second;
}

DWORD Finish(hooks::PrinterCall call, DWORD code) {
  call.result = code == ERROR_SUCCESS;
  call.error = code;
  Record(call);
  return code;
}

// The printer of a handle, or the error the data calls return. Handles bound
// straight to a job sink have no printer behind them: `sinkError` for those.
DWORD PrinterOfHandle(HANDLE h, DWORD sinkError, Printer** out, hooks::PrinterCall* call) {
  HandleObject* o = Object(h);
  if (!o) return HandleGet(h, HandleKind::Printer) ? sinkError : DWORD(ERROR_INVALID_HANDLE);
  call->printer = o->printer;
  *out = Find(o->printer);
  return *out ? DWORD(ERROR_SUCCESS) : DWORD(ERROR_INVALID_PRINTER_NAME);
}

}  // namespace
}  // namespace kw::printers

namespace kw::hooks {

void PrinterFailGetData(const std::string& printer, DWORD error, const std::string& valueName) {
  std::lock_guard<std::mutex> lock(printers::S().mu);
  auto& values = printers::Failures()[printers::Key(printer)];
  if (error)
    values[printers::Key(valueName)] = error;
  else
    values.erase(printers::Key(valueName));
}

}  // namespace kw::hooks

using namespace kw::printers;
using kw::hooks::PrinterCall;

KW_API DWORD WINAPI GetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
                                    LPDWORD pcbNeeded) {
  std::lock_guard<std::mutex> lock(S().mu);
  PrinterCall call{"GetPrinterDataW", ""};
  call.valueName = pValueName ? kw::Narrow(pValueName) : std::string();
  Printer* p = nullptr;
  // A printer handle bound straight to a job sink has no data: every value is missing.
  if (DWORD e = PrinterOfHandle(hPrinter, ERROR_FILE_NOT_FOUND, &p, &call)) return Finish(call, e);
  if (!pValueName) return Finish(call, ERROR_INVALID_PARAMETER);
  if (DWORD e = InjectedFailure(p->setup.name, call.valueName)) return Finish(call, e);
  HKEY key = OpenPrinterDataKey(p->setup.name, false);
  if (!key) return Finish(call, ERROR_FILE_NOT_FOUND);
  DWORD type = 0, size = 0;
  LSTATUS e = RegQueryValueExW(key, pValueName, nullptr, &type, nullptr, &size);
  if (e == ERROR_SUCCESS) {
    if (pType) *pType = type;
    if (pcbNeeded) *pcbNeeded = size;
    // Too small a buffer takes nothing: the caller asks again with the size.
    if (!pData || nSize < size) {
      e = ERROR_MORE_DATA;
    } else {
      DWORD cb = nSize;
      e = RegQueryValueExW(key, pValueName, nullptr, &type, pData, &cb);
      if (pcbNeeded) *pcbNeeded = cb;
    }
  }
  RegCloseKey(key);
  return Finish(call, DWORD(e));
}

KW_API DWORD WINAPI SetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, DWORD Type, LPBYTE pData, DWORD cbData) {
  std::lock_guard<std::mutex> lock(S().mu);
  PrinterCall call{"SetPrinterDataW", ""};
  call.value = Type;
  call.valueName = pValueName ? kw::Narrow(pValueName) : std::string();
  Printer* p = nullptr;
  if (DWORD e = PrinterOfHandle(hPrinter, ERROR_NOT_SUPPORTED, &p, &call)) return Finish(call, e);
  if (!pValueName || (!pData && cbData)) return Finish(call, ERROR_INVALID_PARAMETER);
  HKEY key = OpenPrinterDataKey(p->setup.name, true);
  if (!key) return Finish(call, ERROR_CANTWRITE);
  LSTATUS e = RegSetValueExW(key, pValueName, 0, Type, pData, cbData);
  RegCloseKey(key);
  return Finish(call, DWORD(e));
}
