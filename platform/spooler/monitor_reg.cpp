// The spooler's registry callbacks for monitors (MONITORREG).
#include "win/monitor.h"

namespace kw {
namespace {

LONG WINAPI NotYet() { return ERROR_CALL_NOT_IMPLEMENTED; }

LONG WINAPI CreateKey(HANDLE, LPCWSTR, DWORD, REGSAM, PSECURITY_ATTRIBUTES, PHANDLE, PDWORD, HANDLE) {
  return NotYet();
}
LONG WINAPI OpenKey(HANDLE, LPCWSTR, REGSAM, PHANDLE, HANDLE) { return NotYet(); }
LONG WINAPI CloseKey(HANDLE, HANDLE) { return NotYet(); }
LONG WINAPI SetValue(HANDLE, LPCWSTR, DWORD, const BYTE*, DWORD, HANDLE) { return NotYet(); }
LONG WINAPI QueryValue(HANDLE, LPCWSTR, PDWORD, PBYTE, PDWORD, HANDLE) { return NotYet(); }

}  // namespace

const MONITORREG* MonitorRegistryCallbacks() {
  static MONITORREG reg = [] {
    MONITORREG r{};
    r.cbSize = sizeof(MONITORREG);
    r.fpCreateKey = CreateKey;
    r.fpOpenKey = OpenKey;
    r.fpCloseKey = CloseKey;
    r.fpSetValue = SetValue;
    r.fpQueryValue = QueryValue;
    return r;
  }();
  return &reg;
}

}  // namespace kw
