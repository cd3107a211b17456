// The spooler's registry callbacks for monitors (MONITORREG), over the
// layer's registry: a key handle is a registry key (or a predefined root),
// so monitors and the spooler's own printer data share one store.
#include "win/monitor.h"
#include "win/registry.h"

namespace kw {
namespace {

HKEY Key(HANDLE h) { return reinterpret_cast<HKEY>(h); }

LONG WINAPI CreateKey(HANDLE hcKey, LPCWSTR pszSubKey, DWORD dwOptions, REGSAM samDesired,
                      PSECURITY_ATTRIBUTES pSecurityAttributes, PHANDLE phckResult, PDWORD pdwDisposition, HANDLE) {
  if (!phckResult) return ERROR_INVALID_PARAMETER;
  return RegCreateKeyExW(Key(hcKey), pszSubKey, 0, nullptr, dwOptions, samDesired, pSecurityAttributes,
                         reinterpret_cast<PHKEY>(phckResult), pdwDisposition);
}

LONG WINAPI OpenKey(HANDLE hcKey, LPCWSTR pszSubKey, REGSAM samDesired, PHANDLE phkResult, HANDLE) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  return RegOpenKeyExW(Key(hcKey), pszSubKey, 0, samDesired, reinterpret_cast<PHKEY>(phkResult));
}

LONG WINAPI CloseKey(HANDLE hcKey, HANDLE) { return RegCloseKey(Key(hcKey)); }

LONG WINAPI DeleteKey(HANDLE hcKey, LPCWSTR pszSubKey, HANDLE) { return RegDeleteKeyW(Key(hcKey), pszSubKey); }

LONG WINAPI EnumKey(HANDLE hcKey, DWORD dwIndex, LPWSTR pszName, PDWORD pcchName, PFILETIME pftLastWriteTime,
                    HANDLE) {
  return RegEnumKeyExW(Key(hcKey), dwIndex, pszName, pcchName, nullptr, nullptr, nullptr, pftLastWriteTime);
}

LONG WINAPI QueryInfoKey(HANDLE hcKey, PDWORD pcSubKeys, PDWORD pcbKey, PDWORD pcValues, PDWORD pcbValue,
                         PDWORD pcbData, PDWORD pcbSecurityDescriptor, PFILETIME pftLastWriteTime, HANDLE) {
  return RegQueryInfoKeyW(Key(hcKey), nullptr, nullptr, nullptr, pcSubKeys, pcbKey, nullptr, pcValues, pcbValue,
                          pcbData, pcbSecurityDescriptor, pftLastWriteTime);
}

LONG WINAPI SetValue(HANDLE hcKey, LPCWSTR pszValue, DWORD dwType, const BYTE* pData, DWORD cbData, HANDLE) {
  return RegSetValueExW(Key(hcKey), pszValue, 0, dwType, pData, cbData);
}

LONG WINAPI DeleteValue(HANDLE hcKey, LPCWSTR pszValue, HANDLE) { return RegDeleteValueW(Key(hcKey), pszValue); }

LONG WINAPI EnumValue(HANDLE hcKey, DWORD dwIndex, LPWSTR pszValue, PDWORD pcbValue, PDWORD pType, PBYTE pData,
                      PDWORD pcbData, HANDLE) {
  return RegEnumValueW(Key(hcKey), dwIndex, pszValue, pcbValue, nullptr, pType, pData, pcbData);
}

LONG WINAPI QueryValue(HANDLE hcKey, LPCWSTR pszValue, PDWORD pType, PBYTE pData, PDWORD pcbData, HANDLE) {
  return RegQueryValueExW(Key(hcKey), pszValue, nullptr, pType, pData, pcbData);
}

}  // namespace

const MONITORREG* MonitorRegistryCallbacks() {
  static MONITORREG reg = [] {
    MONITORREG r{};
    r.cbSize = sizeof(MONITORREG);
    r.fpCreateKey = CreateKey;
    r.fpOpenKey = OpenKey;
    r.fpCloseKey = CloseKey;
    r.fpDeleteKey = DeleteKey;
    r.fpEnumKey = EnumKey;
    r.fpQueryInfoKey = QueryInfoKey;
    r.fpSetValue = SetValue;
    r.fpDeleteValue = DeleteValue;
    r.fpEnumValue = EnumValue;
    r.fpQueryValue = QueryValue;
    return r;
  }();
  return &reg;
}

}  // namespace kw
