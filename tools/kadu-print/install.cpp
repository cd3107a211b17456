#include "tools/kadu-print/install.h"

#include <filesystem>
#include <system_error>

#include "common/model_files.h"
#include "common/model_store.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "windows.h"

namespace fs = std::filesystem;

namespace kadu_print {
namespace {

constexpr const char16_t* kEnvironment = u"Windows NT x86";
// Data files every model's driver carries (see docs/model-data.md).
const char* const kDataFiles[] = {"KADU.DAT",  "KADUPAPR.INI", "KADUWMRK.INI", "QELKADU.CAP",
                                  "K2630.INI", "K4550.INI",    "K4550C.INI",   "KJ3100.INI"};

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::u16string DriverDirectory() {
  WCHAR buf[MAX_PATH] = {};
  DWORD needed = 0;
  if (!GetPrinterDriverDirectoryW(nullptr, const_cast<LPWSTR>(kEnvironment), 1, reinterpret_cast<LPBYTE>(buf),
                                  sizeof(buf), &needed))
    return u"C:\\Windows\\System32\\spool\\drivers\\w32x86\\3";
  return std::u16string(buf) + u"\\3";
}

bool CopyInto(const std::string& from, const std::string& folder, std::string* error) {
  std::error_code ec;
  fs::path to = fs::path(folder) / fs::path(from).filename();
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  if (ec) {
    *error = "cannot copy " + from + " into the world folder: " + ec.message();
    return false;
  }
  return true;
}

// The rendering library as built, found the way the engine would load it.
std::string BuiltRenderer(std::string* error) {
  HMODULE m = LoadLibraryW(u"KADU_UM.DLL");
  if (!m) {
    *error = "the rendering library KADU_UM cannot be found";
    return {};
  }
  WCHAR path[MAX_PATH] = {};
  GetModuleFileNameW(m, path, MAX_PATH);
  FreeLibrary(m);
  return kw::WorldMapPath(path);
}

bool CopyDriverFiles(const std::u16string& dir, std::string* error) {
  std::string folder = kw::WorldMapPath(dir);
  std::error_code ec;
  fs::create_directories(folder, ec);
  std::string renderer = BuiltRenderer(error);
  if (renderer.empty()) return false;
  if (!CopyInto(renderer, folder, error)) return false;
  std::error_code ignore;
  // The engine asks for "KADU_UM.DLL"; the layer finds the built file under either name.
  if (fs::path(renderer).filename() != "KADU_UM.DLL") fs::rename(folder + "/" + fs::path(renderer).filename().string(), folder + "/KADU_UM.DLL", ignore);
  for (const char* f : kDataFiles)
    if (!CopyInto(std::string(KADU_SOURCE_DATA_DIR) + "/" + f, folder, error)) return false;
  std::string dither = std::string(KADU_BUILD_DATA_DIR) + "/KADUDITH.DLL";
  if (fs::exists(dither) && !CopyInto(dither, folder, error)) return false;
  return true;
}

// The driver's dependent files: the data files and the dither table module.
std::u16string DependentFiles() {
  std::u16string out;
  for (const char* n : kDataFiles) out += kw::Widen(n) + u'\0';
  return out + u"KADUDITH.DLL" + u'\0' + u'\0';
}

bool AddDriver(const std::u16string& driver, std::string* error) {
  std::u16string name = driver, env = kEnvironment, path = u"KADU_UM.DLL", data = u"KADU.DAT",
                 config = u"KADU_UM.DLL", help = u"", monitor = u"", type = u"RAW";
  std::u16string deps = DependentFiles();
  DRIVER_INFO_3W info{};
  info.cVersion = 3;
  info.pName = name.data();
  info.pEnvironment = env.data();
  info.pDriverPath = path.data();
  info.pDataFile = data.data();
  info.pConfigFile = config.data();
  info.pHelpFile = help.data();
  info.pDependentFiles = deps.data();
  info.pMonitorName = monitor.data();
  info.pDefaultDataType = type.data();
  if (AddPrinterDriverW(nullptr, 3, reinterpret_cast<LPBYTE>(&info))) return true;
  *error = "the spooler refused the driver " + kw::Narrow(driver) + " (error " + std::to_string(GetLastError()) + ")";
  return false;
}

bool AddPrinterOf(const std::u16string& driver, std::string* error) {
  std::u16string printer = driver, port = u"FILE:", drv = driver, processor = u"winprint", type = u"RAW";
  PRINTER_INFO_2W info{};
  info.pPrinterName = printer.data();
  info.pPortName = port.data();
  info.pDriverName = drv.data();
  info.pPrintProcessor = processor.data();
  info.pDatatype = type.data();
  info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
  HANDLE h = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
  if (h) {
    ClosePrinter(h);
    return true;
  }
  if (GetLastError() == ERROR_PRINTER_ALREADY_EXISTS) return true;
  *error = "the spooler refused the printer " + kw::Narrow(driver) + " (error " + std::to_string(GetLastError()) + ")";
  return false;
}

bool PrinterExists(const std::u16string& name) {
  HANDLE h = nullptr;
  std::u16string n = name;
  if (!OpenPrinterW(n.data(), &h, nullptr)) return false;
  ClosePrinter(h);
  return true;
}

}  // namespace

bool UseWorld(const std::string& dir, std::string* error) {
  if (dir.empty()) return true;
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir)) {
    *error = "cannot use the world folder " + dir + (ec ? ": " + ec.message() : "");
    return false;
  }
  kw::WorldSetRoot(fs::absolute(dir).string());
  return true;
}

std::vector<std::u16string> ShippedModels() {
  std::u16string file = kw::WorldHostToWindows(std::string(KADU_SOURCE_DATA_DIR) + "/KADU.DAT");
  std::vector<WCHAR> buf(8192);
  DWORD n = GetPrivateProfileSectionNamesW(buf.data(), DWORD(buf.size()), file.c_str());
  std::vector<std::u16string> out;
  for (DWORD i = 0; i < n && buf[i];) {
    std::u16string s(buf.data() + i);
    i += DWORD(s.size()) + 1;
    if (s != u"Common" && s != u"General") out.push_back(s);
  }
  return out;
}

bool ResolveModel(const std::string& name, std::u16string* driver, std::string* error) {
  std::vector<std::u16string> models = ShippedModels();
  if (models.empty()) {
    *error = "no model data found in " KADU_SOURCE_DATA_DIR;
    return false;
  }
  if (name.empty()) {
    *driver = models.front();
    return true;
  }
  std::string want = Lower(name);
  for (const std::u16string& m : models) {
    std::string full = Lower(kw::Narrow(m));
    size_t space = full.rfind(' ');
    std::string last = space == std::string::npos ? full : full.substr(space + 1);
    if (full == want || last == want) {
      *driver = m;
      return true;
    }
  }
  *error = "unknown model \"" + name + "\"; known models:";
  for (const std::u16string& m : models) *error += " \"" + kw::Narrow(m) + "\"";
  return false;
}

bool EnsurePrinter(const std::u16string& driver, std::string* error) {
  std::u16string dir = DriverDirectory();
  if (!CopyDriverFiles(dir, error)) return false;
  if (!PrinterExists(driver) && (!AddDriver(driver, error) || !AddPrinterOf(driver, error))) return false;
  // The printer event of the interface library at install: it loads the
  // model data, which writes the caches the renderer reads.
  kadu::SetDriverFolder(dir);
  kadu::ModelStoreFree();
  kadu::ModelStoreInit(kadu::StoreRole::Interface);
  if (!kadu::LoadModelRecord(driver.c_str(), nullptr, FALSE, nullptr)) {
    *error = "the model data of " + kw::Narrow(driver) + " cannot be loaded";
    return false;
  }
  return true;
}

void ReleaseModelData() { kadu::ModelStoreFree(); }

}  // namespace kadu_print
