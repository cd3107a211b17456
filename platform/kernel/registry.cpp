// The registry functions (wide forms). Every function returns a Win32 error
// code and leaves the thread's last error alone, as Windows does.
#include <algorithm>
#include <cstring>

#include "registry_internal.h"

using kw::hooks::RegistryCall;
using namespace kw::reg;

namespace {

std::u16string NameOf(LPCWSTR s) { return s ? std::u16string(s) : std::u16string(); }

// Walks `parts` below `key`; creates missing keys when `create`.
std::shared_ptr<Key> Walk(std::shared_ptr<Key> key, const std::vector<std::u16string>& parts, bool create,
                          bool isVolatile, bool* created) {
  for (const auto& part : parts) {
    auto child = FindChild(*key, part);
    if (!child) {
      if (!create) return nullptr;
      child = AddChild(*key, part, isVolatile);
      *created = true;
    }
    key = child;
  }
  return key;
}

void Touch(Key& key) { key.lastWrite = Now(); }

// Persists a change made below `key` (volatile keys stay in memory).
void Persist(const Key& key) {
  if (!key.isVolatile) Save();
}

// Copies `data` out with the two-call protocol: a null buffer asks for the
// size, a short buffer gets ERROR_MORE_DATA and the size.
LONG CopyOut(const std::vector<uint8_t>& data, LPBYTE out, LPDWORD outSize) {
  if (!outSize) return out ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
  DWORD have = *outSize;
  *outSize = DWORD(data.size());
  if (!out) return ERROR_SUCCESS;
  if (have < data.size()) return ERROR_MORE_DATA;
  if (!data.empty()) std::memcpy(out, data.data(), data.size());
  return ERROR_SUCCESS;
}

// Copies a name into a buffer of *chars characters (terminator included);
// on success *chars is the length without the terminator.
LONG CopyName(const std::u16string& name, LPWSTR out, LPDWORD chars) {
  if (!out || !chars) return ERROR_INVALID_PARAMETER;
  if (*chars < name.size() + 1) {
    *chars = DWORD(name.size() + 1);
    return ERROR_MORE_DATA;
  }
  std::memcpy(out, name.data(), name.size() * 2);
  out[name.size()] = 0;
  *chars = DWORD(name.size());
  return ERROR_SUCCESS;
}

}  // namespace

KW_API LSTATUS WINAPI RegOpenKeyExW(HKEY hkey, LPCWSTR subKey, DWORD options, REGSAM sam, PHKEY result) {
  (void)options;
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  auto lock = Lock();
  if (LONG e = InjectedFault(RegistryCall::Open)) return e;
  LONG err = ERROR_SUCCESS;
  auto key = KeyOfHandle(hkey, 0, &err);
  if (!key) return err;
  bool created = false;
  auto target = Walk(key, SplitPath(subKey), false, false, &created);
  if (!target) return ERROR_FILE_NOT_FOUND;
  *result = NewHandle(target, sam);
  return ERROR_SUCCESS;
}

KW_API LSTATUS WINAPI RegCreateKeyExW(HKEY hkey, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                                      REGSAM sam, LPSECURITY_ATTRIBUTES security, PHKEY result,
                                      LPDWORD disposition) {
  (void)reserved, (void)keyClass, (void)security;
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  auto lock = Lock();
  if (LONG e = InjectedFault(RegistryCall::Create)) return e;
  LONG err = ERROR_SUCCESS;
  auto key = KeyOfHandle(hkey, 0, &err);
  if (!key) return err;
  auto parts = SplitPath(subKey);
  bool created = false;
  auto existing = Walk(key, parts, false, false, &created);
  if (!existing) {
    // Creating needs the right on the handle that was passed in.
    if (!KeyOfHandle(hkey, KEY_CREATE_SUB_KEY, &err)) return err;
    existing = Walk(key, parts, true, (options & REG_OPTION_VOLATILE) != 0, &created);
    Persist(*existing);
  }
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = NewHandle(existing, sam);
  return ERROR_SUCCESS;
}

KW_API LSTATUS WINAPI RegCloseKey(HKEY hkey) {
  auto lock = Lock();
  return CloseHandleOf(hkey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

KW_API LSTATUS WINAPI RegFlushKey(HKEY hkey) {
  auto lock = Lock();
  LONG err = ERROR_SUCCESS;
  if (!KeyOfHandle(hkey, 0, &err)) return err;
  return Save();
}

KW_API LSTATUS WINAPI RegQueryValueExW(HKEY hkey, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                       LPDWORD dataSize) {
  if (reserved) return ERROR_INVALID_PARAMETER;
  auto lock = Lock();
  if (LONG e = InjectedFault(RegistryCall::Query)) return e;
  LONG err = ERROR_SUCCESS;
  auto key = KeyOfHandle(hkey, KEY_QUERY_VALUE, &err);
  if (!key) return err;
  Value* v = FindValue(*key, NameOf(valueName));
  if (!v) return ERROR_FILE_NOT_FOUND;
  if (type) *type = v->type;
  return CopyOut(v->data, data, dataSize);
}

KW_API LSTATUS WINAPI RegSetValueExW(HKEY hkey, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                                     DWORD dataSize) {
  (void)reserved;
  if (!data && dataSize) return ERROR_NOACCESS;
  auto lock = Lock();
  if (LONG e = InjectedFault(RegistryCall::Set)) return e;
  LONG err = ERROR_SUCCESS;
  auto key = KeyOfHandle(hkey, KEY_SET_VALUE, &err);
  if (!key) return err;
  std::u16string name = NameOf(valueName);
  Value* v = FindValue(*key, name);
  if (!v) {
    key->values.push_back(Value{name, REG_NONE, {}});
    v = &key->values.back();
  }
  v->type = type;
  v->data.assign(data, data + dataSize);
  Touch(*key);
  Persist(*key);
  return ERROR_SUCCESS;
}

KW_API LSTATUS WINAPI RegDeleteValueW(HKEY hkey, LPCWSTR valueName) {
  auto lock = Lock();
  if (LONG e = InjectedFault(RegistryCall::DeleteValue)) return e;
  LONG err = ERROR_SUCCESS;
  auto key = KeyOfHandle(hkey, KEY_SET_VALUE, &err);
  if (!key) return err;
  Value* v = FindValue(*key, NameOf(valueName));
  if (!v) return ERROR_FILE_NOT_FOUND;
  key->values.erase(key->values.begin() + (v - key->values.data()));
  Touch(*key);
  Persist(*key);
  return ERROR_SUCCESS;
}

KW_API LSTATUS WINAPI RegDeleteKeyW(HKEY hkey, LPCWSTR subKey) {
  auto lock = Lock();
  if (LONG e = InjectedFault(RegistryCall::DeleteKey)) return e;
  LONG err = ERROR_SUCCESS;
  auto key = KeyOfHandle(hkey, 0, &err);
  if (!key) return err;
  auto parts = SplitPath(subKey);
  if (parts.empty()) return ERROR_INVALID_PARAMETER;
  bool created = false;
  auto target = Walk(key, parts, false, false, &created);
  if (!target) return ERROR_FILE_NOT_FOUND;
  if (!target->parent) return ERROR_ACCESS_DENIED;   // a root
  if (!target->children.empty()) return ERROR_ACCESS_DENIED;  // only keys without subkeys go
  Key* parent = target->parent;
  auto& siblings = parent->children;
  siblings.erase(std::find(siblings.begin(), siblings.end(), target));
  target->deleted = true;
  target->parent = nullptr;
  Touch(*parent);
  Persist(*parent);
  return ERROR_SUCCESS;
}

KW_API LSTATUS WINAPI RegEnumKeyExW(HKEY hkey, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD reserved,
                                    LPWSTR keyClass, LPDWORD classChars, PFILETIME lastWrite) {
  if (reserved) return ERROR_INVALID_PARAMETER;
  auto lock = Lock();
  if (LONG e = InjectedFault(RegistryCall::Enum)) return e;
  LONG err = ERROR_SUCCESS;
  auto key = KeyOfHandle(hkey, KEY_ENUMERATE_SUB_KEYS, &err);
  if (!key) return err;
  if (index >= key->children.size()) return ERROR_NO_MORE_ITEMS;
  const Key& child = *key->children[index];
  if (LONG e = CopyName(child.name, name, nameChars)) return e;
  if (keyClass && classChars) {
    if (*classChars < 1) return ERROR_MORE_DATA;
    keyClass[0] = 0;
    *classChars = 0;
  }
  if (lastWrite) *lastWrite = child.lastWrite;
  return ERROR_SUCCESS;
}

KW_API LSTATUS WINAPI RegEnumValueW(HKEY hkey, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD reserved,
                                    LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  if (reserved) return ERROR_INVALID_PARAMETER;
  auto lock = Lock();
  if (LONG e = InjectedFault(RegistryCall::Enum)) return e;
  LONG err = ERROR_SUCCESS;
  auto key = KeyOfHandle(hkey, KEY_QUERY_VALUE, &err);
  if (!key) return err;
  if (index >= key->values.size()) return ERROR_NO_MORE_ITEMS;
  const Value& v = key->values[index];
  if (LONG e = CopyName(v.name, name, nameChars)) return e;
  if (type) *type = v.type;
  return CopyOut(v.data, data, dataSize);
}

KW_API LSTATUS WINAPI RegQueryInfoKeyW(HKEY hkey, LPWSTR keyClass, LPDWORD classChars, LPDWORD reserved,
                                       LPDWORD subKeys, LPDWORD maxSubKeyChars, LPDWORD maxClassChars,
                                       LPDWORD values, LPDWORD maxValueNameChars, LPDWORD maxValueBytes,
                                       LPDWORD securityDescriptorBytes, PFILETIME lastWrite) {
  if (reserved) return ERROR_INVALID_PARAMETER;
  auto lock = Lock();
  if (LONG e = InjectedFault(RegistryCall::Info)) return e;
  LONG err = ERROR_SUCCESS;
  auto key = KeyOfHandle(hkey, KEY_QUERY_VALUE, &err);
  if (!key) return err;
  if (keyClass && classChars) {
    if (*classChars < 1) return ERROR_MORE_DATA;
    keyClass[0] = 0;
  }
  if (classChars) *classChars = 0;
  size_t maxSub = 0, maxName = 0, maxData = 0;
  for (const auto& c : key->children) maxSub = std::max(maxSub, c->name.size());
  for (const auto& v : key->values) {
    maxName = std::max(maxName, v.name.size());
    maxData = std::max(maxData, v.data.size());
  }
  if (subKeys) *subKeys = DWORD(key->children.size());
  if (maxSubKeyChars) *maxSubKeyChars = DWORD(maxSub);
  if (maxClassChars) *maxClassChars = 0;
  if (values) *values = DWORD(key->values.size());
  if (maxValueNameChars) *maxValueNameChars = DWORD(maxName);
  if (maxValueBytes) *maxValueBytes = DWORD(maxData);
  if (securityDescriptorBytes) *securityDescriptorBytes = 0;
  if (lastWrite) *lastWrite = key->lastWrite;
  return ERROR_SUCCESS;
}
