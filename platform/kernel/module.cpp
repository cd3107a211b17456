// Modules: code modules over the system loader, resource-only PE modules read
// into memory, one table of the modules loaded through LoadLibrary under one
// (recursive) loader lock, held while DllMain runs as on Windows.
#include "win/module.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "kw/hooks_module.h"
#include "kw/module.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "module_table.h"
#include "process_modules.h"
#include "win/wstr.h"

#ifndef KADU_BUILD_MODULE_DIRS
#define KADU_BUILD_MODULE_DIRS ""
#endif

namespace {

using DllMainFn = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

struct FreeDeleter {
  void operator()(uint8_t* p) const { std::free(p); }
};

struct Module {
  bool code = true;
  uintptr_t handle = 0;  // the HMODULE value
  uintptr_t end = 0;     // code: end of the loaded range
  std::string hostPath;
  int uses = 1;
  uint64_t order = 0;    // load sequence, for the search rule
  void* dl = nullptr;    // code: the system loader's handle
  bool attached = false; // DllMain(DLL_PROCESS_ATTACH) succeeded
  DllMainFn dllMain = nullptr;
  std::unique_ptr<uint8_t, FreeDeleter> bytes;  // data: the file
  kw::ModuleResources resources;                // data: its resources
};

struct Loader {
  std::recursive_mutex mu;
  std::map<uintptr_t, std::unique_ptr<Module>> modules;
  // Resources embedded in code modules, by base (empty entries remembered too).
  std::map<uintptr_t, std::unique_ptr<kw::ModuleResources>> codeResources;
  std::vector<std::string> folders;  // added by ModuleAddSearchFolder
  uint64_t nextOrder = 1;
  std::u16string failName;
  DWORD failError = 0;
  std::string loaderError;
};

Loader& L() {
  static Loader* l = new Loader;  // never destroyed: modules may be freed during exit
  return *l;
}

// ---- names and the search rule -------------------------------------------------

bool EndsWithNoCase(const std::string& s, const char* suffix) {
  size_t n = std::strlen(suffix);
  return s.size() >= n && strcasecmp(s.c_str() + s.size() - n, suffix) == 0;
}

std::vector<std::string> CandidateNames(std::string file) {
  bool keepAsIs = !file.empty() && file.back() == '.';  // "X." means: no extension, add none
  if (keepAsIs) file.pop_back();
  std::vector<std::string> names{file};
  bool hasExt = file.find('.') != std::string::npos;
  if (!hasExt && !keepAsIs) names.push_back(file + ".dll");
  std::string stem = EndsWithNoCase(file, ".dll") ? file.substr(0, file.size() - 4) : (hasExt ? "" : file);
  if (!stem.empty()) {
    names.push_back(stem + ".so");
    names.push_back("lib" + stem + ".so");
  }
  return names;
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// First of `names` present in `dir`, an exact name before one differing in case.
std::string FindInFolder(const std::string& dir, const std::vector<std::string>& names) {
  if (dir.empty()) return {};
  std::vector<std::string> entries;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d)) entries.emplace_back(e->d_name);
    ::closedir(d);
  }
  for (const auto& name : names) {
    if (IsRegularFile(dir + "/" + name)) return dir + "/" + name;
    for (const auto& e : entries) {
      if (strcasecmp(e.c_str(), name.c_str()) == 0 && IsRegularFile(dir + "/" + e)) return dir + "/" + e;
    }
  }
  return {};
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash ? slash : 1);
}

std::string FileOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void AddFolders(std::vector<std::string>* out, const std::string& list) {
  size_t start = 0;
  while (start <= list.size()) {
    size_t colon = list.find(':', start);
    if (colon == std::string::npos) colon = list.size();
    if (colon > start) out->push_back(list.substr(start, colon - start));
    start = colon + 1;
  }
}

std::vector<std::string> SearchFolders(Loader& l) {
  std::vector<std::string> out;
  std::vector<const Module*> loaded;
  for (auto& [h, m] : l.modules) loaded.push_back(m.get());
  std::sort(loaded.begin(), loaded.end(), [](const Module* a, const Module* b) { return a->order > b->order; });
  for (const Module* m : loaded) out.push_back(FolderOf(m->hostPath));
  auto all = kw::ProcessModules();
  if (!all.empty()) out.push_back(FolderOf(all[0].path));
  out.insert(out.end(), l.folders.begin(), l.folders.end());
  if (const char* env = std::getenv("KADU_MODULE_PATH")) AddFolders(&out, env);
  AddFolders(&out, KADU_BUILD_MODULE_DIRS);
  out.push_back(kw::WorldMapPath(u"C:\\Windows\\System32"));
  return out;
}

bool HasFolder(std::u16string_view name) { return name.find_first_of(u"\\/") != std::u16string_view::npos; }

std::string FilePart(std::u16string_view name) {
  size_t slash = name.find_last_of(u"\\/");
  return kw::Narrow(slash == std::u16string_view::npos ? name : name.substr(slash + 1));
}

// Host path of the file a module name stands for, or empty.
std::string Resolve(Loader& l, std::u16string_view name) {
  auto names = CandidateNames(FilePart(name));
  if (HasFolder(name)) return FindInFolder(FolderOf(kw::WorldMapPath(name)), names);
  for (const auto& dir : SearchFolders(l)) {
    std::string found = FindInFolder(dir, names);
    if (!found.empty()) return found;
  }
  return {};
}

std::string RealPath(const std::string& path) {
  char* r = ::realpath(path.c_str(), nullptr);
  if (!r) return path;
  std::string out = r;
  std::free(r);
  return out;
}

// A code module of the process that a bare name or a path names, or 0.
uintptr_t FindLoaded(Loader& l, std::u16string_view name) {
  auto all = kw::ProcessModules();
  if (HasFolder(name)) {
    std::string path = Resolve(l, name);
    if (path.empty()) return 0;
    path = RealPath(path);
    for (const auto& m : all) {
      if (!m.path.empty() && RealPath(m.path) == path) return m.base;
    }
    return 0;
  }
  auto names = CandidateNames(FilePart(name));
  for (const auto& m : all) {
    std::string file = FileOf(m.path);
    for (const auto& n : names) {
      if (strcasecmp(file.c_str(), n.c_str()) == 0) return m.base;
    }
  }
  return 0;
}

// ---- code modules -------------------------------------------------------------

// An export of the module itself, not of a module it depends on.
void* OwnExport(void* dl, uintptr_t base, uintptr_t end, const char* name) {
  void* sym = dl ? ::dlsym(dl, name) : nullptr;
  auto a = reinterpret_cast<uintptr_t>(sym);
  return (a >= base && a < end) ? sym : nullptr;
}

bool BaseOfHandle(void* dl, kw::ProcessModule* out) {
  link_map* lm = nullptr;
  if (::dlinfo(dl, RTLD_DI_LINKMAP, &lm) != 0 || !lm) return false;
  for (auto& m : kw::ProcessModules()) {
    if (m.bias == lm->l_addr && (!lm->l_name[0] || m.path == lm->l_name)) {
      *out = std::move(m);
      return true;
    }
  }
  return false;
}

void DropModule(Loader& l, uintptr_t handle) {
  l.codeResources.erase(handle);
  l.modules.erase(handle);
}

// Calls DllMain(DLL_PROCESS_ATTACH); on refusal detaches and unloads.
bool Attach(Loader& l, Module* m) {
  m->dllMain = reinterpret_cast<DllMainFn>(OwnExport(m->dl, m->handle, m->end, "DllMain"));
  m->attached = true;
  if (!m->dllMain) return true;
  HINSTANCE self = reinterpret_cast<HINSTANCE>(m->handle);
  if (m->dllMain(self, DLL_PROCESS_ATTACH, nullptr)) return true;
  m->dllMain(self, DLL_PROCESS_DETACH, nullptr);
  void* dl = m->dl;
  DropModule(l, m->handle);
  if (dl) ::dlclose(dl);
  SetLastError(ERROR_DLL_INIT_FAILED);
  return false;
}

HMODULE UseAgain(Loader& l, Module* m, DWORD flags) {
  ++m->uses;
  if (!m->attached && !(flags & DONT_RESOLVE_DLL_REFERENCES) && !Attach(l, m)) return nullptr;
  return reinterpret_cast<HMODULE>(m->handle);
}

Module* AddCode(Loader& l, void* dl, const kw::ProcessModule& pm, const std::string& path) {
  auto m = std::make_unique<Module>();
  m->handle = pm.base;
  m->end = pm.end;
  m->hostPath = path;
  m->order = l.nextOrder++;
  m->dl = dl;
  Module* raw = m.get();
  l.modules[pm.base] = std::move(m);
  return raw;
}

HMODULE LoadCode(Loader& l, const std::string& path, DWORD flags) {
  ::dlerror();
  void* dl = ::dlopen(path.c_str(), (flags & DONT_RESOLVE_DLL_REFERENCES) ? RTLD_LAZY : RTLD_NOW);
  kw::ProcessModule pm;
  if (!dl || !BaseOfHandle(dl, &pm)) {
    const char* why = ::dlerror();
    l.loaderError = why ? why : "module not in the process list";
    if (dl) ::dlclose(dl);
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  auto it = l.modules.find(pm.base);
  if (it != l.modules.end()) {
    ::dlclose(dl);  // the record holds its own reference
    return UseAgain(l, it->second.get(), flags);
  }
  Module* m = AddCode(l, dl, pm, path);
  if (!(flags & DONT_RESOLVE_DLL_REFERENCES) && !Attach(l, m)) return nullptr;
  return reinterpret_cast<HMODULE>(pm.base);
}

// A module the process had already: the program needs no record; another
// object gets one holding its own loader reference.
HMODULE LoadLoaded(Loader& l, uintptr_t base, DWORD flags) {
  auto it = l.modules.find(base);
  if (it != l.modules.end()) return UseAgain(l, it->second.get(), flags);
  auto all = kw::ProcessModules();
  if (all.empty() || all[0].base == base) return reinterpret_cast<HMODULE>(base);
  for (const auto& pm : all) {
    if (pm.base != base) continue;
    void* dl = ::dlopen(pm.path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!dl) return reinterpret_cast<HMODULE>(base);  // not reachable by name (vdso): nothing to hold
    Module* m = AddCode(l, dl, pm, pm.path);
    if (!(flags & DONT_RESOLVE_DLL_REFERENCES) && !Attach(l, m)) return nullptr;
    return reinterpret_cast<HMODULE>(base);
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

// ---- data modules ---------------------------------------------------------------

enum class FileKind { Missing, Elf, Pe, Other };

FileKind KindOf(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return FileKind::Missing;
  unsigned char head[4] = {};
  ssize_t n = ::read(fd, head, sizeof head);
  ::close(fd);
  if (n >= 4 && std::memcmp(head, "\x7f" "ELF", 4) == 0) return FileKind::Elf;
  if (n >= 2 && head[0] == 'M' && head[1] == 'Z') return FileKind::Pe;
  return FileKind::Other;
}

bool ReadWhole(const std::string& path, std::unique_ptr<uint8_t, FreeDeleter>* out, size_t* size) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 && st.st_size > 0 && size_t(st.st_size) <= kw::kPeMaxFileSize;
  size_t want = ok ? size_t(st.st_size) : 0;
  // Aligned so that the handle's low bits are free for the data-file tag.
  uint8_t* buf = ok ? static_cast<uint8_t*>(std::aligned_alloc(64, (want + 63) & ~size_t(63))) : nullptr;
  size_t got = 0;
  while (buf && got < want) {
    ssize_t n = ::read(fd, buf + got, want - got);
    if (n <= 0) break;
    got += size_t(n);
  }
  ::close(fd);
  if (!buf || got != want) {
    std::free(buf);
    return false;
  }
  out->reset(buf);
  *size = want;
  return true;
}

HMODULE LoadData(Loader& l, const std::string& path, DWORD flags) {
  auto m = std::make_unique<Module>();
  size_t size = 0;
  if (!ReadWhole(path, &m->bytes, &size)) {
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return nullptr;
  }
  DWORD error = 0;
  if (!kw::PeReadResources(m->bytes.get(), size, &m->resources.table, &error)) {
    SetLastError(error);
    return nullptr;
  }
  m->code = false;
  m->resources.file = m->bytes.get();
  m->resources.size = size;
  m->handle = reinterpret_cast<uintptr_t>(m->bytes.get()) | ((flags & LOAD_LIBRARY_AS_IMAGE_RESOURCE) ? 2 : 1);
  m->hostPath = path;
  m->order = l.nextOrder++;
  uintptr_t h = m->handle;
  l.modules[h] = std::move(m);
  return reinterpret_cast<HMODULE>(h);
}

// ---- loading ---------------------------------------------------------------------

constexpr DWORD kDataFlags =
    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE | LOAD_LIBRARY_AS_IMAGE_RESOURCE;

bool FailInjected(Loader& l, std::u16string_view name) {
  if (l.failName.empty() || !kw::EqualsNoCase(kw::Widen(FilePart(name)), l.failName)) return false;
  SetLastError(l.failError);
  return true;
}

HMODULE Load(std::u16string_view name, HANDLE file, DWORD flags) {
  if (name.empty() || file) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Loader& l = L();
  std::lock_guard<std::recursive_mutex> lock(l.mu);
  if (FailInjected(l, name)) return nullptr;
  bool data = (flags & kDataFlags) != 0;
  if (!data) {
    if (uintptr_t base = FindLoaded(l, name)) return LoadLoaded(l, base, flags);
  }
  std::string path = Resolve(l, name);
  switch (path.empty() ? FileKind::Missing : KindOf(path)) {
    case FileKind::Missing:
      SetLastError(ERROR_MOD_NOT_FOUND);
      return nullptr;
    case FileKind::Elf:
      if (!data) return LoadCode(l, path, flags);
      break;
    case FileKind::Pe:
      if (data) return LoadData(l, path, flags);
      break;
    case FileKind::Other:
      break;
  }
  SetLastError(ERROR_BAD_EXE_FORMAT);
  return nullptr;
}

std::u16string FromAnsi(LPCSTR s) {
  std::u16string w;
  if (!s) return w;
  int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
  if (n <= 1) return w;
  w.resize(size_t(n));
  MultiByteToWideChar(CP_ACP, 0, s, -1, w.data(), n);
  w.pop_back();
  return w;
}

// ---- paths -------------------------------------------------------------------------

// Host path of any module: data or code record, process module, the program.
std::string HostPathOf(Loader& l, HMODULE h) {
  auto it = l.modules.find(reinterpret_cast<uintptr_t>(h));
  if (it != l.modules.end()) return it->second->hostPath;
  auto all = kw::ProcessModules();
  for (const auto& m : all) {
    if (h ? m.base == reinterpret_cast<uintptr_t>(h) : &m == &all[0]) return m.path;
  }
  return {};
}

std::u16string WindowsPathOf(const std::string& host) {
  return (!host.empty() && host[0] == '/') ? kw::WorldHostToWindows(host) : kw::Widen(host);
}

template <class Char>
DWORD CopyOut(const std::basic_string<Char>& path, Char* out, DWORD size) {
  if (size == 0 || !out) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (path.size() >= size) {
    std::memcpy(out, path.data(), (size - 1) * sizeof(Char));
    out[size - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(out, path.data(), path.size() * sizeof(Char));
  out[path.size()] = 0;
  return DWORD(path.size());
}

bool IsThisProcess(HANDLE process) {
  if (process == GetCurrentProcess()) return true;
  SetLastError(ERROR_INVALID_HANDLE);
  return false;
}

// ---- embedded resources of code modules -------------------------------------------

const kw::ModuleResources* EmbeddedResources(Loader& l, uintptr_t base, DWORD* error) {
  auto it = l.codeResources.find(base);
  if (it == l.codeResources.end()) {
    auto res = std::make_unique<kw::ModuleResources>();
    kw::ProcessModule pm;
    auto all = kw::ProcessModules();
    bool isProgram = !all.empty() && all[0].base == base;
    if (kw::ProcessModuleAt(base, &pm)) {
      void* dl = isProgram ? ::dlopen(nullptr, RTLD_NOW) : ::dlopen(pm.path.c_str(), RTLD_NOW | RTLD_NOLOAD);
      auto* begin = static_cast<const uint8_t*>(OwnExport(dl, pm.base, pm.end, "KwResourceImage"));
      auto* end = static_cast<const uint8_t*>(OwnExport(dl, pm.base, pm.end, "KwResourceImageEnd"));
      DWORD ignored = 0;
      if (begin && end > begin && kw::PeReadResources(begin, size_t(end - begin), &res->table, &ignored)) {
        res->file = begin;
        res->size = size_t(end - begin);
      }
      if (dl) ::dlclose(dl);
    }
    it = l.codeResources.emplace(base, std::move(res)).first;
  }
  if (!it->second->file) {
    *error = ERROR_RESOURCE_DATA_NOT_FOUND;
    return nullptr;
  }
  return it->second.get();
}

}  // namespace

// ---- the Windows calls ------------------------------------------------------------------

KW_API HMODULE WINAPI LoadLibraryExW(LPCWSTR name, HANDLE file, DWORD flags) {
  return Load(name ? std::u16string_view(name) : std::u16string_view(), file, flags);
}

KW_API HMODULE WINAPI LoadLibraryW(LPCWSTR name) { return LoadLibraryExW(name, nullptr, 0); }

KW_API HMODULE WINAPI LoadLibraryExA(LPCSTR name, HANDLE file, DWORD flags) {
  std::u16string w = FromAnsi(name);
  return Load(w, file, flags);
}

KW_API HMODULE WINAPI LoadLibraryA(LPCSTR name) { return LoadLibraryExA(name, nullptr, 0); }

KW_API BOOL WINAPI FreeLibrary(HMODULE module) {
  Loader& l = L();
  std::lock_guard<std::recursive_mutex> lock(l.mu);
  auto h = reinterpret_cast<uintptr_t>(module);
  auto it = l.modules.find(h);
  if (it == l.modules.end()) {
    kw::ProcessModule pm;
    if (module && kw::ProcessModuleAt(h, &pm)) return TRUE;  // loaded with the process: stays
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  Module* m = it->second.get();
  if (--m->uses > 0) return TRUE;
  if (m->attached && m->dllMain) m->dllMain(module, DLL_PROCESS_DETACH, nullptr);
  void* dl = m->dl;
  DropModule(l, h);
  if (dl) ::dlclose(dl);
  return TRUE;
}

KW_API FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
  if (!name || IS_INTRESOURCE(name)) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  Loader& l = L();
  std::lock_guard<std::recursive_mutex> lock(l.mu);
  auto all = kw::ProcessModules();
  uintptr_t base = module ? reinterpret_cast<uintptr_t>(module) : (all.empty() ? 0 : all[0].base);
  const kw::ProcessModule* pm = nullptr;
  for (const auto& m : all) {
    if (m.base == base) pm = &m;
  }
  if (!pm) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  auto it = l.modules.find(base);
  bool own = it != l.modules.end() && it->second->dl;
  void* dl = own ? it->second->dl
                 : (pm == &all[0] ? ::dlopen(nullptr, RTLD_NOW) : ::dlopen(pm->path.c_str(), RTLD_NOW | RTLD_NOLOAD));
  void* sym = OwnExport(dl, pm->base, pm->end, name);
  if (dl && !own) ::dlclose(dl);
  if (!sym) SetLastError(ERROR_PROC_NOT_FOUND);
  return reinterpret_cast<FARPROC>(sym);
}

KW_API HMODULE WINAPI GetModuleHandleW(LPCWSTR name) {
  Loader& l = L();
  std::lock_guard<std::recursive_mutex> lock(l.mu);
  if (!name) {
    auto all = kw::ProcessModules();
    return all.empty() ? nullptr : reinterpret_cast<HMODULE>(all[0].base);
  }
  uintptr_t base = *name ? FindLoaded(l, name) : 0;
  if (!base) SetLastError(ERROR_MOD_NOT_FOUND);
  return reinterpret_cast<HMODULE>(base);
}

KW_API HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
  if (!name) return GetModuleHandleW(nullptr);
  std::u16string w = FromAnsi(name);
  return GetModuleHandleW(w.c_str());
}

KW_API DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD nSize) {
  Loader& l = L();
  std::lock_guard<std::recursive_mutex> lock(l.mu);
  std::string host = HostPathOf(l, module);
  if (host.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  return CopyOut(WindowsPathOf(host), fileName, nSize);
}

KW_API DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD nSize) {
  Loader& l = L();
  std::lock_guard<std::recursive_mutex> lock(l.mu);
  std::string host = HostPathOf(l, module);
  if (host.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  std::u16string wide = WindowsPathOf(host);
  int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), int(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string ansi(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide.c_str(), int(wide.size()), ansi.data(), n, nullptr, nullptr);
  return CopyOut(ansi, fileName, nSize);
}

KW_API HANDLE WINAPI GetCurrentProcess(void) { return reinterpret_cast<HANDLE>(LONG_PTR(-1)); }

KW_API BOOL WINAPI EnumProcessModules(HANDLE process, HMODULE* modules, DWORD cb, LPDWORD cbNeeded) {
  if (!IsThisProcess(process)) return FALSE;
  if (!cbNeeded || (cb && !modules)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto all = kw::ProcessModules();
  size_t room = cb / sizeof(HMODULE);
  for (size_t i = 0; i < all.size() && i < room; ++i) modules[i] = reinterpret_cast<HMODULE>(all[i].base);
  *cbNeeded = DWORD(all.size() * sizeof(HMODULE));
  return TRUE;
}

KW_API BOOL WINAPI GetModuleInformation(HANDLE process, HMODULE module, LPMODULEINFO info, DWORD cb) {
  if (!IsThisProcess(process)) return FALSE;
  if (!info || cb < sizeof(MODULEINFO)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  auto all = kw::ProcessModules();
  uintptr_t base = module ? reinterpret_cast<uintptr_t>(module) : (all.empty() ? 0 : all[0].base);
  for (const auto& m : all) {
    if (m.base != base) continue;
    void* dl = &m == &all[0] ? ::dlopen(nullptr, RTLD_NOW) : ::dlopen(m.path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    void* entry = OwnExport(dl, m.base, m.end, "DllMain");
    if (dl) ::dlclose(dl);
    info->lpBaseOfDll = reinterpret_cast<LPVOID>(m.base);
    info->SizeOfImage = DWORD(m.end - m.base);
    info->EntryPoint = entry ? entry : reinterpret_cast<LPVOID>(m.elfEntry);
    return TRUE;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

// ---- layer helpers and hooks ----------------------------------------------------------------

namespace kw {

void ModuleAddSearchFolder(const std::string& hostDir) {
  Loader& l = L();
  std::lock_guard<std::recursive_mutex> lock(l.mu);
  l.folders.push_back(hostDir);
}

std::string ModuleHostPath(HMODULE module) {
  Loader& l = L();
  std::lock_guard<std::recursive_mutex> lock(l.mu);
  return HostPathOf(l, module);
}

const ModuleResources* ModuleResourcesOf(HMODULE module, DWORD* error) {
  Loader& l = L();
  std::lock_guard<std::recursive_mutex> lock(l.mu);
  auto h = reinterpret_cast<uintptr_t>(module);
  auto it = l.modules.find(h);
  if (it != l.modules.end() && !it->second->code) return &it->second->resources;
  if (!module) {
    auto all = ProcessModules();
    h = all.empty() ? 0 : all[0].base;
  }
  return EmbeddedResources(l, h, error);
}

}  // namespace kw

namespace kw::hooks {

void ModuleFailLoad(const std::u16string& name, DWORD error) {
  Loader& l = L();
  std::lock_guard<std::recursive_mutex> lock(l.mu);
  l.failName = name;
  l.failError = error;
}

int ModuleUseCount(HMODULE module) {
  Loader& l = L();
  std::lock_guard<std::recursive_mutex> lock(l.mu);
  auto it = l.modules.find(reinterpret_cast<uintptr_t>(module));
  return it == l.modules.end() ? 0 : it->second->uses;
}

std::string ModuleLastLoaderError() {
  Loader& l = L();
  std::lock_guard<std::recursive_mutex> lock(l.mu);
  return l.loaderError;
}

}  // namespace kw::hooks
