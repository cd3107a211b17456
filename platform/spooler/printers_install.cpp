// Installing printer drivers and printers (AddPrinterDriverW, AddPrinterW,
// DeletePrinter) and the driver directory the installer copies files into.
// Both are kept in the registry, so a later process on the same world finds
// them; see printers_registry.cpp.
#include <cstring>
#include <filesystem>
#include <system_error>

#include "kw/wide.h"
#include "kw/world.h"
#include "printers_store.h"
#include "win/printers.h"

namespace kw::printers {
namespace {

// A null or empty server name is this machine; no other machine is reachable.
bool Local(LPWSTR server) { return !server || !*server; }

bool KnownEnvironment(LPWSTR environment) {
  return !environment || !*environment || Key(Narrow(environment)) == Key(kEnvironment);
}

bool FileThere(const std::string& winPath) {
  std::error_code ec;
  return std::filesystem::is_regular_file(WorldMapPath(Widen(winPath)), ec);
}

void MakeFolder(const std::string& winPath) {
  std::error_code ec;
  std::filesystem::create_directories(WorldMapPath(Widen(winPath)), ec);
}

std::string Text(LPWSTR s) { return s ? Narrow(s) : std::string(); }

// The names of a zero-separated list ended by an empty name.
std::vector<std::string> MultiText(LPWSTR s) {
  std::vector<std::string> out;
  if (!s) return out;
  while (*s) {
    std::u16string one(s);
    out.push_back(Narrow(one));
    s += one.size() + 1;
  }
  return out;
}

// Names the spooler refuses for a local printer.
bool ValidPrinterName(const std::string& name) {
  return !name.empty() && name.size() <= 220 && name.find_first_of("\\,") == std::string::npos;
}

// The DEVMODEW a caller gave, public and private parts (dmSize at 68,
// dmDriverExtra at 70).
std::vector<BYTE> DevmodeBytes(const void* devmode) {
  if (!devmode) return {};
  WORD size = 0, extra = 0;
  std::memcpy(&size, static_cast<const BYTE*>(devmode) + 68, sizeof size);
  std::memcpy(&extra, static_cast<const BYTE*>(devmode) + 70, sizeof extra);
  if (size < 72) return {};
  const BYTE* b = static_cast<const BYTE*>(devmode);
  return std::vector<BYTE>(b, b + size + extra);
}

HANDLE NoPrinter(hooks::PrinterCall call, DWORD error) {
  Failed(call, error);
  return nullptr;
}

}  // namespace
}  // namespace kw::printers

using namespace kw::printers;
using kw::hooks::PrinterCall;

KW_API BOOL WINAPI AddPrinterDriverW(LPWSTR pName, DWORD Level, LPBYTE pDriverInfo) {
  std::lock_guard<std::mutex> lock(S().mu);
  PrinterCall call{"AddPrinterDriverW", "", Level};
  if (!Local(pName)) return Failed(call, ERROR_INVALID_NAME);
  if (Level != 2 && Level != 3) return Failed(call, ERROR_INVALID_LEVEL);
  if (!pDriverInfo) return Failed(call, ERROR_INVALID_PARAMETER);
  // Level 2 is the leading part of level 3.
  DRIVER_INFO_3W in{};
  std::memcpy(&in, pDriverInfo, Level == 3 ? sizeof(DRIVER_INFO_3W) : sizeof(DRIVER_INFO_2W));
  DriverRecord d;
  d.name = Text(in.pName);
  d.driverPath = DriverFilePath(Text(in.pDriverPath));
  if (d.name.empty() || d.driverPath.empty()) return Failed(call, ERROR_INVALID_PARAMETER);
  if (!KnownEnvironment(in.pEnvironment)) return Failed(call, ERROR_INVALID_ENVIRONMENT);
  d.version = in.cVersion;
  d.dataFile = DriverFilePath(Text(in.pDataFile));
  d.configFile = DriverFilePath(Text(in.pConfigFile));
  d.helpFile = DriverFilePath(Text(in.pHelpFile));
  for (const std::string& f : MultiText(in.pDependentFiles)) d.dependentFiles.push_back(DriverFilePath(f));
  d.monitor = Text(in.pMonitorName);
  d.datatype = Text(in.pDefaultDataType);
  // Every file the driver names must have been copied before it is added.
  std::vector<std::string> files{d.driverPath, d.dataFile, d.configFile, d.helpFile};
  files.insert(files.end(), d.dependentFiles.begin(), d.dependentFiles.end());
  for (const std::string& f : files)
    if (!f.empty() && !FileThere(f)) return Failed(call, ERROR_FILE_NOT_FOUND);
  if (!SaveDriver(d)) return Failed(call, ERROR_CANTWRITE);
  // Adding a driver again replaces it; printers already loaded follow it.
  for (auto& [key, p] : S().printers)
    if (p.registered && Key(p.setup.driverName) == Key(d.name)) p.setup.driverPath = d.driverPath;
  return Done(call, TRUE);
}

KW_API BOOL WINAPI GetPrinterDriverDirectoryW(LPWSTR pName, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverDirectory,
                                              DWORD cbBuf, LPDWORD pcbNeeded) {
  if (!Local(pName)) {
    SetLastError(ERROR_INVALID_NAME);
    return FALSE;
  }
  if (Level != 1) {
    SetLastError(ERROR_INVALID_LEVEL);
    return FALSE;
  }
  if (!KnownEnvironment(pEnvironment)) {
    SetLastError(ERROR_INVALID_ENVIRONMENT);
    return FALSE;
  }
  MakeFolder(std::string(kDriverDirectory) + "\\3");
  std::u16string dir = kw::Widen(kDriverDirectory);
  DWORD needed = DWORD((dir.size() + 1) * sizeof(char16_t));
  if (pcbNeeded) *pcbNeeded = needed;
  if (!pDriverDirectory || cbBuf < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(pDriverDirectory, dir.c_str(), needed);
  return TRUE;
}

KW_API HANDLE WINAPI AddPrinterW(LPWSTR pName, DWORD Level, LPBYTE pPrinter) {
  std::u16string name;
  {
    std::lock_guard<std::mutex> lock(S().mu);
    PrinterCall call{"AddPrinterW", "", Level};
    if (!Local(pName)) return NoPrinter(call, ERROR_INVALID_NAME);
    if (Level != 2) return NoPrinter(call, ERROR_INVALID_LEVEL);
    if (!pPrinter) return NoPrinter(call, ERROR_INVALID_PARAMETER);
    const auto* in = reinterpret_cast<const PRINTER_INFO_2W*>(pPrinter);
    Printer p;
    p.setup.name = Text(in->pPrinterName);
    call.printer = p.setup.name;
    if (!ValidPrinterName(p.setup.name)) return NoPrinter(call, ERROR_INVALID_PRINTER_NAME);
    if (Find(p.setup.name)) return NoPrinter(call, ERROR_PRINTER_ALREADY_EXISTS);
    p.setup.driverName = Text(in->pDriverName);
    DriverRecord d;
    if (p.setup.driverName.empty() || !LoadDriver(p.setup.driverName, &d))
      return NoPrinter(call, ERROR_UNKNOWN_PRINTER_DRIVER);
    p.setup.driverName = d.name;
    p.setup.driverPath = d.driverPath;
    p.setup.portName = Text(in->pPortName);
    if (p.setup.portName.empty()) return NoPrinter(call, ERROR_UNKNOWN_PORT);
    p.comment = Text(in->pComment);
    p.location = Text(in->pLocation);
    p.attributes = in->Attributes | PRINTER_ATTRIBUTE_LOCAL;
    p.registered = true;
    if (!SavePrinter(p, DevmodeBytes(in->pDevMode))) {
      DeletePrinterKey(p.setup.name);
      return NoPrinter(call, ERROR_CANTWRITE);
    }
    name = kw::Widen(p.setup.name);
    S().printers[Key(p.setup.name)] = std::move(p);
    Done(call, TRUE);
  }
  HANDLE h = nullptr;
  PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
  return OpenPrinterW(name.data(), &h, &all) ? h : nullptr;
}

KW_API BOOL WINAPI DeletePrinter(HANDLE hPrinter) {
  std::lock_guard<std::mutex> lock(S().mu);
  PrinterCall call{"DeletePrinter", ""};
  HandleObject* o = Object(hPrinter);
  if (!o) return Failed(call, ERROR_INVALID_HANDLE);
  call.printer = o->printer;
  if (!Find(o->printer)) return Failed(call, ERROR_INVALID_PRINTER_NAME);
  // The printer goes at once; its open handles fail from now on.
  S().printers.erase(Key(o->printer));
  DeletePrinterKey(o->printer);
  return Done(call, TRUE);
}
