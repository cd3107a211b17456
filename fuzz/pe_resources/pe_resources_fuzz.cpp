// Feeds arbitrary bytes to the PE resource reader, directly and as a
// resource-only module through the resource calls. Every resource found must
// lie inside the file, and nothing may read outside it.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "kw/pe_resources.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "windows.h"

namespace {

// The input lives in an anonymous in-memory file, reached by its /proc path
// (drive Z: is the host's root); the world folder sits in the current folder.
std::u16string InputPath(const uint8_t* data, size_t size) {
  static int fd = [] {
    kw::WorldSetRoot((std::filesystem::current_path() / "pe-fuzz-world").string());
    return memfd_create("kadu-pe-fuzz", MFD_CLOEXEC);
  }();
  if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) return {};
  return u"Z:\\proc\\self\\fd\\" + kw::Widen(std::to_string(fd));
}

// Each lookup scans the module's table, so the walk looks at a bounded
// number of resources to keep runs fast on inputs with thousands of them.
int g_budget = 0;

BOOL CALLBACK OnLanguage(HMODULE m, LPCWSTR type, LPCWSTR name, WORD lang, LONG_PTR) {
  if (--g_budget < 0) return FALSE;
  HRSRC r = FindResourceExW(m, type, name, lang);
  if (!r) std::abort();  // enumerated, so it must be found
  volatile uint8_t sum = 0;
  auto* p = static_cast<const uint8_t*>(LockResource(LoadResource(m, r)));
  for (DWORD i = 0, n = SizeofResource(m, r); i < n; ++i) sum = uint8_t(sum + p[i]);
  return TRUE;
}

BOOL CALLBACK OnName(HMODULE m, LPCWSTR type, LPWSTR name, LONG_PTR) {
  EnumResourceLanguagesW(m, type, name, OnLanguage, 0);
  return g_budget > 0;
}

BOOL CALLBACK OnType(HMODULE m, LPWSTR type, LONG_PTR) {
  EnumResourceNamesW(m, type, OnName, 0);
  return g_budget > 0;
}

void ThroughTheModuleCalls(const uint8_t* data, size_t size) {
  std::u16string path = InputPath(data, size);
  if (path.empty()) return;
  HMODULE m = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!m) return;
  g_budget = 64;
  EnumResourceTypesW(m, OnType, 0);
  WCHAR buf[64];
  for (UINT id = 0; id < 48; ++id) {
    LoadStringW(m, id, buf, 64);
    const WCHAR* direct = nullptr;
    LoadStringW(m, id, reinterpret_cast<LPWSTR>(&direct), 0);
  }
  FreeLibrary(m);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kw::PeResourceTable table;
  DWORD error = 0;
  if (kw::PeReadResources(data, size, &table, &error)) {
    for (const kw::PeResource& r : table.items) {
      if (uint64_t(r.fileOffset) + r.size > size) std::abort();
    }
  } else if (error != ERROR_BAD_EXE_FORMAT) {
    std::abort();
  }
  ThroughTheModuleCalls(data, size);
  return 0;
}
