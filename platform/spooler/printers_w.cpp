// The wide printer calls of the driver libraries (OpenPrinterW, GetPrinterW
// levels 2 and 5, GetPrinterDriverW levels 2 and 3) over the printers of
// printers_store.cpp, and the driver details a test sets for them.
// Information levels use the two-call buffer protocol: the structure first,
// its strings packed at the end of the caller's buffer.
#include <cstring>
#include <map>

#include "kw/handle_table.h"
#include "kw/hooks_printers.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "printers_store.h"
#include "win/printers.h"
#include "win/registry.h"

namespace kw::printers {
namespace {

// Details by printer key; guarded by the store lock.
std::map<std::string, hooks::PrinterDriverDetails>& Details() {
  static auto* details = [] {
    auto* d = new std::map<std::string, hooks::PrinterDriverDetails>;
    WorldOnRootChange([] {
      std::lock_guard<std::mutex> lock(S().mu);
      Details().clear();
    });
    return d;
  }();
  return *details;
}

hooks::PrinterDriverDetails DetailsOf(const std::string& name) {
  auto it = Details().find(Key(name));
  return it == Details().end() ? hooks::PrinterDriverDetails() : it->second;
}

// The printer behind a handle opened by OpenPrinterA/W, or nullptr with the
// last error set. With the store lock held.
Printer* PrinterOf(HANDLE h, std::string* name) {
  HandleObject* o = Object(h);
  if (!o) return nullptr;
  *name = o->printer;
  Printer* p = Find(o->printer);
  if (!p) SetLastError(ERROR_INVALID_PRINTER_NAME);
  return p;
}

// Lays out a structure and its wide strings in the caller's buffer.
class WidePacker {
 public:
  // A string may hold zeros of its own (a list of names); Put adds one more.
  WidePacker(size_t fixed, std::initializer_list<const std::u16string*> strings) {
    needed_ = fixed;
    for (const std::u16string* s : strings) needed_ += (s->size() + 1) * sizeof(char16_t);
  }
  DWORD Needed() const { return DWORD(needed_); }
  // FALSE with ERROR_INSUFFICIENT_BUFFER when the buffer cannot take it.
  bool Room(LPBYTE buf, DWORD cb, LPDWORD needed) {
    if (needed) *needed = Needed();
    if (!buf || cb < needed_) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return false;
    }
    buf_ = buf;
    end_ = needed_;
    std::memset(buf, 0, needed_);
    return true;
  }
  LPWSTR Put(const std::u16string& s) {
    end_ -= (s.size() + 1) * sizeof(char16_t);
    std::memcpy(buf_ + end_, s.c_str(), (s.size() + 1) * sizeof(char16_t));
    return reinterpret_cast<LPWSTR>(buf_ + end_);
  }

 private:
  size_t needed_;
  LPBYTE buf_ = nullptr;
  size_t end_ = 0;
};

std::string Folder(const std::string& path) {
  size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// The registry value the spooler keeps for an installed driver.
void WriteDependentFiles(const std::string& driver, const std::vector<std::string>& files) {
  std::u16string key = u"System\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\Version-3\\";
  key += Widen(driver);
  std::u16string multi;
  for (const std::string& f : files) multi += Widen(f) + u'\0';
  multi += u'\0';
  HKEY h = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExW(h, u"Dependent Files", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi.data()),
                 DWORD(multi.size() * sizeof(char16_t)));
  RegCloseKey(h);
}

// The driver a printer reports: the one recorded by AddPrinterDriverW when
// there is one, else the install hook's path; details set by a test win.
DriverRecord DriverOf(const Printer& p, const hooks::PrinterDriverDetails& d) {
  DriverRecord r;
  bool recorded = LoadDriver(p.setup.driverName, &r);
  if (!recorded) {
    r.name = p.setup.driverName;
    r.driverPath = p.setup.driverPath;
    if (!r.driverPath.empty()) r.dataFile = Folder(r.driverPath) + "\\" + r.name + ".DAT";
    r.configFile = r.driverPath;
    r.version = d.driverVersion;
  }
  bool detailed = Details().count(Key(p.setup.name)) != 0;
  if (!d.dataFile.empty()) r.dataFile = d.dataFile;
  if (!d.configFile.empty()) r.configFile = d.configFile;
  if (!d.dependentFiles.empty()) r.dependentFiles = d.dependentFiles;
  if (detailed) r.version = d.driverVersion;
  return r;
}

}  // namespace
}  // namespace kw::printers

namespace kw::hooks {

void PrinterSetDriverDetails(const std::string& printer, const PrinterDriverDetails& details) {
  std::string driver;
  {
    std::lock_guard<std::mutex> lock(printers::S().mu);
    printers::Details()[printers::Key(printer)] = details;
    if (printers::Printer* p = printers::Find(printer)) driver = p->setup.driverName;
  }
  if (!driver.empty() && !details.dependentFiles.empty()) printers::WriteDependentFiles(driver, details.dependentFiles);
}

}  // namespace kw::hooks

using namespace kw::printers;
using kw::hooks::PrinterCall;

KW_API BOOL WINAPI OpenPrinterW(LPWSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSW pDefault) {
  // The handle is the same kind of object the ANSI call makes, so ClosePrinter
  // and every other call take it; the call is recorded under its own name.
  std::string name = pPrinterName ? kw::Narrow(pPrinterName) : std::string();
  PRINTER_DEFAULTSA a{nullptr, nullptr, pDefault ? pDefault->DesiredAccess : PRINTER_ACCESS_USE};
  BOOL ok = OpenPrinterA(pPrinterName ? name.data() : nullptr, phPrinter, &a);
  DWORD error = GetLastError();
  {
    std::lock_guard<std::mutex> lock(S().mu);
    for (auto it = S().calls.rbegin(); it != S().calls.rend(); ++it) {
      if (it->call == "OpenPrinterA" && it->printer == name) {
        it->call = "OpenPrinterW";
        break;
      }
    }
  }
  if (!ok) SetLastError(error);
  return ok;
}

KW_API BOOL WINAPI GetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded) {
  std::lock_guard<std::mutex> lock(S().mu);
  PrinterCall call{"GetPrinterW", "", Level};
  std::string name;
  Printer* p = PrinterOf(hPrinter, &name);
  call.printer = name;
  if (!p) return Done(call, FALSE);
  kw::hooks::PrinterDriverDetails d = DetailsOf(name);
  if (d.getPrinterFailure) return Failed(call, d.getPrinterFailure);
  // Added printers report what was given when they were added, unless a test
  // set details for them.
  if (p->registered && !Details().count(Key(name))) d.attributes = p->attributes;
  const kw::hooks::PrinterSetup& s = p->setup;
  std::u16string printer = kw::Widen(s.name), port = kw::Widen(s.portName), driver = kw::Widen(s.driverName),
                 comment = kw::Widen(p->comment), location = kw::Widen(p->location);
  static const std::u16string processor = u"winprint", datatype = u"RAW";
  if (Level == 2) {
    WidePacker pk(sizeof(PRINTER_INFO_2W), {&printer, &port, &driver, &comment, &location, &processor, &datatype});
    if (!pk.Room(pPrinter, cbBuf, pcbNeeded)) return Done(call, FALSE);
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(pPrinter);
    info->pPrinterName = pk.Put(printer);
    info->pPortName = pk.Put(port);
    info->pDriverName = pk.Put(driver);
    info->pComment = pk.Put(comment);
    info->pLocation = pk.Put(location);
    info->pPrintProcessor = pk.Put(processor);
    info->pDatatype = pk.Put(datatype);
    info->Attributes = d.attributes;
    info->Status = p->status;
    info->cJobs = DWORD(p->jobs.size());
    return Done(call, TRUE);
  }
  if (Level == 5) {
    WidePacker pk(sizeof(PRINTER_INFO_5W), {&printer, &port});
    if (!pk.Room(pPrinter, cbBuf, pcbNeeded)) return Done(call, FALSE);
    auto* info = reinterpret_cast<PRINTER_INFO_5W*>(pPrinter);
    info->pPrinterName = pk.Put(printer);
    info->pPortName = pk.Put(port);
    info->Attributes = d.attributes;
    info->DeviceNotSelectedTimeout = 15000;
    info->TransmissionRetryTimeout = s.transmissionRetryTimeout;
    return Done(call, TRUE);
  }
  return Failed(call, ERROR_INVALID_LEVEL);
}

KW_API BOOL WINAPI GetPrinterDriverW(HANDLE hPrinter, LPWSTR, DWORD Level, LPBYTE pDriverInfo, DWORD cbBuf,
                                     LPDWORD pcbNeeded) {
  std::lock_guard<std::mutex> lock(S().mu);
  PrinterCall call{"GetPrinterDriverW", "", Level};
  std::string name;
  Printer* p = PrinterOf(hPrinter, &name);
  call.printer = name;
  if (!p) return Done(call, FALSE);
  if (Level != 2 && Level != 3) return Failed(call, ERROR_INVALID_LEVEL);
  kw::hooks::PrinterDriverDetails d = DetailsOf(name);
  if (d.getDriverFailure) return Failed(call, d.getDriverFailure);
  const kw::hooks::PrinterSetup& s = p->setup;
  if (s.driverName.empty()) return Failed(call, ERROR_UNKNOWN_PRINTER_DRIVER);
  DriverRecord r = DriverOf(*p, d);
  if (r.driverPath.empty() && p->registered) return Failed(call, ERROR_UNKNOWN_PRINTER_DRIVER);
  std::u16string driver = kw::Widen(r.name), environment = kw::Widen(kEnvironment), path = kw::Widen(r.driverPath),
                 data = kw::Widen(r.dataFile), config = kw::Widen(r.configFile), help = kw::Widen(r.helpFile),
                 monitor = kw::Widen(r.monitor), datatype = kw::Widen(r.datatype), dependent;
  for (const std::string& f : r.dependentFiles) dependent += kw::Widen(f) + u'\0';
  if (dependent.empty()) dependent += u'\0';  // an empty list is still ended by two zeros
  if (Level == 2) {
    WidePacker pk(sizeof(DRIVER_INFO_2W), {&driver, &environment, &path, &data, &config});
    if (!pk.Room(pDriverInfo, cbBuf, pcbNeeded)) return Done(call, FALSE);
    auto* info = reinterpret_cast<DRIVER_INFO_2W*>(pDriverInfo);
    info->cVersion = r.version;
    info->pName = pk.Put(driver);
    info->pEnvironment = pk.Put(environment);
    info->pDriverPath = pk.Put(path);
    info->pDataFile = pk.Put(data);
    info->pConfigFile = pk.Put(config);
    return Done(call, TRUE);
  }
  WidePacker pk(sizeof(DRIVER_INFO_3W),
                {&driver, &environment, &path, &data, &config, &help, &dependent, &monitor, &datatype});
  if (!pk.Room(pDriverInfo, cbBuf, pcbNeeded)) return Done(call, FALSE);
  auto* info = reinterpret_cast<DRIVER_INFO_3W*>(pDriverInfo);
  info->cVersion = r.version;
  info->pName = pk.Put(driver);
  info->pEnvironment = pk.Put(environment);
  info->pDriverPath = pk.Put(path);
  info->pDataFile = pk.Put(data);
  info->pConfigFile = pk.Put(config);
  info->pHelpFile = pk.Put(help);
  info->pDependentFiles = pk.Put(dependent);
  info->pMonitorName = pk.Put(monitor);
  info->pDefaultDataType = pk.Put(datatype);
  return Done(call, TRUE);
}
