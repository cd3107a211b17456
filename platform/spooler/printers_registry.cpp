// Installed drivers and printers as the spooler keeps them in the registry,
// so that a new process on the same world finds them again.
#include <cstring>
#include <filesystem>

#include "kw/wide.h"
#include "kw/world.h"
#include "printers_store.h"

namespace kw::printers {

const char16_t kDriversKey[] = u"System\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\Version-3";
const char16_t kPrintersKey[] = u"System\\CurrentControlSet\\Control\\Print\\Printers";
const char kEnvironment[] = "Windows NT x86";
const char kDriverDirectory[] = "C:\\Windows\\System32\\spool\\drivers\\w32x86";

namespace {

std::u16string Under(const char16_t* base, const std::string& name) {
  return std::u16string(base) + u"\\" + Widen(name);
}

HKEY Open(const std::u16string& path, bool create) {
  HKEY h = nullptr;
  LSTATUS e = create ? RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                                       nullptr)
                     : RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &h);
  return e == ERROR_SUCCESS ? h : nullptr;
}

// The raw bytes of a value and its type; false when it is missing.
bool ReadRaw(HKEY h, const char16_t* name, DWORD* type, std::vector<BYTE>* bytes) {
  DWORD size = 0;
  if (RegQueryValueExW(h, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS) return false;
  bytes->assign(size, 0);
  return RegQueryValueExW(h, name, nullptr, type, bytes->data(), &size) == ERROR_SUCCESS;
}

// The UTF-16 units of a string value, without its terminating zeros.
std::u16string Units(const std::vector<BYTE>& bytes) {
  std::u16string s(bytes.size() / sizeof(char16_t), u'\0');
  if (!s.empty()) std::memcpy(s.data(), bytes.data(), s.size() * sizeof(char16_t));
  return s;
}

std::string ReadString(HKEY h, const char16_t* name) {
  DWORD type = 0;
  std::vector<BYTE> bytes;
  if (!ReadRaw(h, name, &type, &bytes) || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::string();
  std::u16string s = Units(bytes);
  size_t end = s.find(u'\0');
  return Narrow(end == std::u16string::npos ? s : s.substr(0, end));
}

DWORD ReadDword(HKEY h, const char16_t* name, DWORD otherwise) {
  DWORD type = 0, v = 0, size = sizeof v;
  if (RegQueryValueExW(h, name, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof v)
    return otherwise;
  return v;
}

std::vector<std::string> ReadMulti(HKEY h, const char16_t* name) {
  DWORD type = 0;
  std::vector<BYTE> bytes;
  std::vector<std::string> out;
  if (!ReadRaw(h, name, &type, &bytes) || type != REG_MULTI_SZ) return out;
  std::u16string all = Units(bytes);
  size_t at = 0;
  while (at < all.size()) {
    size_t end = all.find(u'\0', at);
    if (end == std::u16string::npos) end = all.size();
    if (end == at) break;  // the empty string ends the list
    out.push_back(Narrow(all.substr(at, end - at)));
    at = end + 1;
  }
  return out;
}

bool WriteString(HKEY h, const char16_t* name, const std::string& value) {
  std::u16string w = Widen(value);
  return RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(w.c_str()),
                        DWORD((w.size() + 1) * sizeof(char16_t))) == ERROR_SUCCESS;
}

bool WriteDword(HKEY h, const char16_t* name, DWORD value) {
  return RegSetValueExW(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
}

bool WriteMulti(HKEY h, const char16_t* name, const std::vector<std::string>& values) {
  std::u16string multi;
  for (const std::string& v : values) multi += Widen(v) + u'\0';
  multi += u'\0';
  return RegSetValueExW(h, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi.data()),
                        DWORD(multi.size() * sizeof(char16_t))) == ERROR_SUCCESS;
}

// RegDeleteKeyW takes only keys without subkeys.
bool DeleteTree(HKEY parent, const std::u16string& sub) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(parent, sub.c_str(), 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return false;
  for (;;) {
    char16_t name[256];
    DWORD chars = 256;
    if (RegEnumKeyExW(h, 0, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (!DeleteTree(h, std::u16string(name, chars))) break;  // one that will not go: stop rather than loop
  }
  RegCloseKey(h);
  return RegDeleteKeyW(parent, sub.c_str()) == ERROR_SUCCESS;
}

}  // namespace

std::string DriverFilePath(const std::string& file) {
  if (file.empty() || file.find_first_of("\\/:") != std::string::npos) return file;
  return std::string(kDriverDirectory) + "\\3\\" + file;
}

bool LoadDriver(const std::string& driver, DriverRecord* out) {
  HKEY h = Open(Under(kDriversKey, driver), false);
  if (!h) return false;
  DriverRecord d;
  d.name = driver;
  d.driverPath = ReadString(h, u"Driver");
  d.dataFile = ReadString(h, u"Data File");
  d.configFile = ReadString(h, u"Configuration File");
  d.helpFile = ReadString(h, u"Help File");
  d.dependentFiles = ReadMulti(h, u"Dependent Files");
  d.monitor = ReadString(h, u"Monitor");
  d.datatype = ReadString(h, u"Datatype");
  d.version = ReadDword(h, u"Version", 3);
  RegCloseKey(h);
  // The hook that sets driver details writes "Dependent Files" alone; a driver
  // counts as added only with its driver file recorded.
  if (d.driverPath.empty()) return false;
  *out = std::move(d);
  return true;
}

bool SaveDriver(const DriverRecord& d) {
  HKEY h = Open(Under(kDriversKey, d.name), true);
  if (!h) return false;
  bool ok = WriteString(h, u"Driver", d.driverPath) && WriteString(h, u"Data File", d.dataFile) &&
            WriteString(h, u"Configuration File", d.configFile) && WriteString(h, u"Help File", d.helpFile) &&
            WriteMulti(h, u"Dependent Files", d.dependentFiles) && WriteString(h, u"Monitor", d.monitor) &&
            WriteString(h, u"Datatype", d.datatype) && WriteDword(h, u"Version", d.version);
  RegCloseKey(h);
  return ok;
}

bool LoadPrinter(const std::string& name, Printer* out) {
  HKEY h = Open(Under(kPrintersKey, name), false);
  if (!h) return false;
  Printer p;
  p.setup.name = ReadString(h, u"Name");
  p.setup.driverName = ReadString(h, u"Printer Driver");
  p.setup.portName = ReadString(h, u"Port");
  p.comment = ReadString(h, u"Description");
  p.location = ReadString(h, u"Location");
  p.attributes = ReadDword(h, u"Attributes", 0);
  RegCloseKey(h);
  // A key holding only printer data (of a printer of the install hook) is no printer.
  if (p.setup.driverName.empty()) return false;
  if (p.setup.name.empty()) p.setup.name = name;
  DriverRecord d;
  if (LoadDriver(p.setup.driverName, &d)) p.setup.driverPath = d.driverPath;
  p.registered = true;
  *out = std::move(p);
  return true;
}

bool SavePrinter(const Printer& p, const std::vector<BYTE>& devmode) {
  HKEY h = Open(Under(kPrintersKey, p.setup.name), true);
  if (!h) return false;
  bool ok = WriteString(h, u"Name", p.setup.name) && WriteString(h, u"Printer Driver", p.setup.driverName) &&
            WriteString(h, u"Port", p.setup.portName) && WriteString(h, u"Description", p.comment) &&
            WriteString(h, u"Location", p.location) && WriteString(h, u"Print Processor", "winprint") &&
            WriteString(h, u"Datatype", "RAW") && WriteDword(h, u"Attributes", p.attributes);
  if (ok && !devmode.empty())
    ok = RegSetValueExW(h, u"Default DevMode", 0, REG_BINARY, devmode.data(), DWORD(devmode.size())) == ERROR_SUCCESS;
  RegCloseKey(h);
  return ok;
}

void DeletePrinterKey(const std::string& name) {
  HKEY printers = Open(kPrintersKey, false);
  if (!printers) return;
  DeleteTree(printers, Widen(name));
  RegCloseKey(printers);
}

HKEY OpenPrinterDataKey(const std::string& printer, bool create) {
  return Open(Under(kPrintersKey, printer) + u"\\PrinterDriverData", create);
}

}  // namespace kw::printers
