// Layer-internal pieces of the registry: the key tree, the open key handles,
// the persisted text form and the injected faults. One mutex guards them all.
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "kw/hooks_registry.h"
#include "win/registry.h"

namespace kw::reg {

struct Value {
  std::u16string name;  // "" is the key's default value
  DWORD type = REG_NONE;
  std::vector<uint8_t> data;
};

struct Key {
  std::u16string name;
  Key* parent = nullptr;                      // owner; nullptr for a root or a deleted key
  std::vector<std::shared_ptr<Key>> children;  // sorted by name ignoring case, as Windows enumerates
  std::vector<Value> values;                   // in creation order
  bool deleted = false;
  bool isVolatile = false;
  FILETIME lastWrite{};
};

// The two stored hives; HKEY_CURRENT_USER and HKEY_CLASSES_ROOT are views into them.
struct Tree {
  std::shared_ptr<Key> machine;  // HKEY_LOCAL_MACHINE
  std::shared_ptr<Key> users;    // HKEY_USERS
};

// SID under HKEY_USERS that HKEY_CURRENT_USER stands for.
inline constexpr const char16_t* kCurrentUserSid = u"S-1-5-21-1001-1002-1003-1000";

// Holds the registry lock; loads the registry from the world on first use.
std::unique_lock<std::mutex> Lock();
Tree& TreeLocked();

// Key behind a handle (predefined roots included), checking that the handle
// was opened with `access`. On failure returns nullptr and sets *error.
std::shared_ptr<Key> KeyOfHandle(HKEY h, REGSAM access, LONG* error);
HKEY NewHandle(const std::shared_ptr<Key>& key, REGSAM access);
bool CloseHandleOf(HKEY h);

// Components of a key path; "\" separates, empty components are skipped.
std::vector<std::u16string> SplitPath(const char16_t* path);
std::shared_ptr<Key> FindChild(const Key& key, std::u16string_view name);
std::shared_ptr<Key> AddChild(Key& key, std::u16string_view name, bool isVolatile);
Value* FindValue(Key& key, std::u16string_view name);
FILETIME Now();

// Writes the registry file when anything persistent changed (atomic replace).
LONG Save();

// Text form of the file: serialise and parse (parsing never fails; lines it
// cannot read are skipped).
std::string Serialise(const Tree& tree, bool includeVolatile);
void Parse(const std::string& text, Tree* tree);

// Returns the injected error for one call of `call`, or ERROR_SUCCESS.
LONG InjectedFault(kw::hooks::RegistryCall call);

}  // namespace kw::reg
