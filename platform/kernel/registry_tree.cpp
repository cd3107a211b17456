// The registry's process-wide state: the key tree loaded from the world, the
// open key handles and the injected faults.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "kw/wide.h"
#include "kw/world.h"
#include "registry_internal.h"

namespace kw::reg {
namespace {

struct OpenKey {
  std::shared_ptr<Key> key;
  REGSAM access;
};

struct Fault {
  uint64_t countdown = 0;
  LONG error = ERROR_SUCCESS;
  bool sticky = false;
  bool firing = false;
};

struct State {
  std::mutex mu;
  bool loaded = false;
  std::string file;  // host path the tree was loaded from
  Tree tree;
  std::map<uintptr_t, OpenKey> handles;
  uintptr_t nextHandle = 0x1000;
  std::map<hooks::RegistryCall, Fault> faults;
};

State& S() {
  static State* s = new State;
  return *s;
}

void MarkDeleted(Key& key) {
  key.deleted = true;
  key.parent = nullptr;
  for (auto& c : key.children) MarkDeleted(*c);
}

std::shared_ptr<Key> NewRoot(const char16_t* name) {
  auto k = std::make_shared<Key>();
  k->name = name;
  k->lastWrite = Now();
  return k;
}

// Forgets the tree; open handles now name deleted keys.
void UnloadLocked(State& s) {
  if (s.tree.machine) MarkDeleted(*s.tree.machine);
  if (s.tree.users) MarkDeleted(*s.tree.users);
  s.tree = Tree{};
  s.loaded = false;
}

void LoadLocked(State& s) {
  s.file = kw::WorldRoot() + "/registry.txt";
  s.tree.machine = NewRoot(u"HKEY_LOCAL_MACHINE");
  s.tree.users = NewRoot(u"HKEY_USERS");
  std::ifstream in(s.file, std::ios::binary);
  if (in) {
    std::stringstream ss;
    ss << in.rdbuf();
    Parse(ss.str(), &s.tree);
  }
  s.loaded = true;
}

void OnWorldRootChange() {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mu);
  UnloadLocked(s);
}

// Registers for root changes when the layer is loaded.
struct RootWatch {
  RootWatch() { kw::WorldOnRootChange(&OnWorldRootChange); }
} g_rootWatch;

std::shared_ptr<Key> PathOf(const std::shared_ptr<Key>& root, std::initializer_list<std::u16string_view> path) {
  std::shared_ptr<Key> k = root;
  for (auto part : path) {
    auto c = FindChild(*k, part);
    k = c ? c : AddChild(*k, part, false);
  }
  return k;
}

// The key a predefined handle stands for; the views are created on demand.
std::shared_ptr<Key> PredefinedKey(State& s, HKEY h) {
  switch (static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h))) {
    case 0x80000002u: return s.tree.machine;
    case 0x80000003u: return s.tree.users;
    case 0x80000001u: return PathOf(s.tree.users, {kCurrentUserSid});
    case 0x80000000u: return PathOf(s.tree.machine, {u"SOFTWARE", u"Classes"});
    default: return nullptr;
  }
}

bool IsPredefined(HKEY h) {
  // The roots are sign-extended 32-bit values.
  uint64_t v = reinterpret_cast<uintptr_t>(h);
  return (v & 0xFFFFFFF0u) == 0x80000000u && ((v >> 32) == 0 || (v >> 32) == 0xFFFFFFFFu);
}

REGSAM MapGeneric(REGSAM sam) {
  REGSAM out = sam & 0x00FFFFFFu;
  if (sam & (GENERIC_ALL | MAXIMUM_ALLOWED)) out |= KEY_ALL_ACCESS;
  if (sam & GENERIC_READ) out |= KEY_READ;
  if (sam & GENERIC_WRITE) out |= KEY_WRITE;
  if (sam & GENERIC_EXECUTE) out |= KEY_EXECUTE;
  return out;
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    char16_t x = kw::FoldAscii(a[i]), y = kw::FoldAscii(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

std::unique_lock<std::mutex> Lock() {
  State& s = S();
  std::unique_lock<std::mutex> lock(s.mu);
  if (!s.loaded) LoadLocked(s);
  return lock;
}

Tree& TreeLocked() { return S().tree; }

FILETIME Now() {
  using namespace std::chrono;
  // 100-ns intervals between 1601-01-01 and 1970-01-01.
  constexpr uint64_t kEpochDelta = 116444736000000000ull;
  uint64_t t = kEpochDelta + uint64_t(duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count() / 100);
  return FILETIME{DWORD(t), DWORD(t >> 32)};
}

std::shared_ptr<Key> KeyOfHandle(HKEY h, REGSAM access, LONG* error) {
  State& s = S();
  if (IsPredefined(h)) {
    auto k = PredefinedKey(s, h);
    if (!k) *error = ERROR_INVALID_HANDLE;
    return k;
  }
  auto it = s.handles.find(reinterpret_cast<uintptr_t>(h));
  if (it == s.handles.end()) {
    *error = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if (it->second.key->deleted) {
    *error = ERROR_KEY_DELETED;
    return nullptr;
  }
  if ((MapGeneric(it->second.access) & access) != access) {
    *error = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  return it->second.key;
}

HKEY NewHandle(const std::shared_ptr<Key>& key, REGSAM access) {
  State& s = S();
  uintptr_t v = s.nextHandle;
  s.nextHandle += 4;
  s.handles[v] = OpenKey{key, access};
  return reinterpret_cast<HKEY>(v);
}

bool CloseHandleOf(HKEY h) {
  if (IsPredefined(h)) return true;
  return S().handles.erase(reinterpret_cast<uintptr_t>(h)) == 1;
}

std::vector<std::u16string> SplitPath(const char16_t* path) {
  std::vector<std::u16string> parts;
  if (!path) return parts;
  std::u16string cur;
  for (const char16_t* p = path;; ++p) {
    if (*p == 0 || *p == u'\\') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
      if (*p == 0) break;
    } else {
      cur.push_back(*p);
    }
  }
  return parts;
}

std::shared_ptr<Key> FindChild(const Key& key, std::u16string_view name) {
  auto it = std::lower_bound(key.children.begin(), key.children.end(), name,
                             [](const std::shared_ptr<Key>& c, std::u16string_view n) {
                               return CompareNoCase(c->name, n) < 0;
                             });
  if (it != key.children.end() && CompareNoCase((*it)->name, name) == 0) return *it;
  return nullptr;
}

std::shared_ptr<Key> AddChild(Key& key, std::u16string_view name, bool isVolatile) {
  auto child = std::make_shared<Key>();
  child->name = std::u16string(name);
  child->parent = &key;
  child->isVolatile = isVolatile || key.isVolatile;
  child->lastWrite = Now();
  auto it = std::lower_bound(key.children.begin(), key.children.end(), name,
                             [](const std::shared_ptr<Key>& c, std::u16string_view n) {
                               return CompareNoCase(c->name, n) < 0;
                             });
  key.children.insert(it, child);
  key.lastWrite = child->lastWrite;
  return child;
}

Value* FindValue(Key& key, std::u16string_view name) {
  for (auto& v : key.values)
    if (CompareNoCase(v.name, name) == 0) return &v;
  return nullptr;
}

LONG Save() {
  State& s = S();
  if (LONG e = InjectedFault(hooks::RegistryCall::Save); e != ERROR_SUCCESS) return e;
  std::string text = Serialise(s.tree, false);
  std::string tmp = s.file + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return ERROR_CANTWRITE;
    out << text;
    out.flush();
    if (!out) {
      std::remove(tmp.c_str());
      return ERROR_CANTWRITE;
    }
  }
  if (std::rename(tmp.c_str(), s.file.c_str()) != 0) {
    std::remove(tmp.c_str());
    return ERROR_CANTWRITE;
  }
  return ERROR_SUCCESS;
}

LONG InjectedFault(hooks::RegistryCall call) {
  State& s = S();
  LONG result = ERROR_SUCCESS;
  auto check = [&](hooks::RegistryCall c) {
    auto it = s.faults.find(c);
    if (it == s.faults.end()) return;
    Fault& f = it->second;
    if (f.firing) {
      if (result == ERROR_SUCCESS) result = f.error;
      return;
    }
    if (f.countdown == 0) return;
    if (--f.countdown == 0) {
      if (result == ERROR_SUCCESS) result = f.error;
      f.firing = f.sticky;
    }
  };
  check(call);
  if (call != hooks::RegistryCall::Save) check(hooks::RegistryCall::Any);
  return result;
}

}  // namespace kw::reg

namespace kw::hooks {

void RegistryFailAt(RegistryCall call, uint64_t n, LONG error, bool sticky) {
  auto& s = kw::reg::S();
  std::lock_guard<std::mutex> lock(s.mu);
  s.faults[call] = {n, error, sticky, false};
}

void RegistryFailClear() {
  auto& s = kw::reg::S();
  std::lock_guard<std::mutex> lock(s.mu);
  s.faults.clear();
}

std::string RegistryDump() {
  auto lock = kw::reg::Lock();
  return kw::reg::Serialise(kw::reg::TreeLocked(), true);
}

std::string RegistryFilePath() {
  auto lock = kw::reg::Lock();
  return kw::reg::S().file;
}

size_t RegistryOpenKeyCount() {
  auto& s = kw::reg::S();
  std::lock_guard<std::mutex> lock(s.mu);
  return s.handles.size();
}

void RegistryReload() {
  auto& s = kw::reg::S();
  std::lock_guard<std::mutex> lock(s.mu);
  kw::reg::UnloadLocked(s);
}

}  // namespace kw::hooks
