// Settings the monitor reads and writes through the spooler's registry
// callbacks (MONITORREG), with predefined root keys as parents.
#include <cstdio>

#include "langmon/operations.h"

namespace langmon {
namespace {

const MONITORREG* Reg(PortRecord* p) {
  PMONITORINIT init = p->monitor->init;
  if (!init || !init->pMonitorReg) return nullptr;
  const MONITORREG* r = init->pMonitorReg;
  if (!r->fpOpenKey || !r->fpCloseKey || !r->fpQueryValue) return nullptr;
  return r;
}

HANDLE Spooler(PortRecord* p) { return p->monitor->init ? p->monitor->init->hSpooler : nullptr; }

bool Wide(const char* text, WCHAR* out, int chars) {
  return MultiByteToWideChar(CP_ACP, 0, text, -1, out, chars) > 0;
}

// A REG_DWORD value of a key below HKEY_LOCAL_MACHINE; FALSE when absent.
BOOL QueryDword(PortRecord* p, const char* key, const char* value, DWORD* out) {
  const MONITORREG* r = Reg(p);
  WCHAR wkey[2 * kNameChars], wvalue[kNameChars];
  if (!r || !Wide(key, wkey, 2 * kNameChars) || !Wide(value, wvalue, kNameChars)) return FALSE;
  HANDLE h = nullptr;
  if (r->fpOpenKey(reinterpret_cast<HANDLE>(HKEY_LOCAL_MACHINE), wkey, KEY_READ, &h, Spooler(p)) != ERROR_SUCCESS)
    return FALSE;
  DWORD type = 0, data = 0, size = sizeof data;
  LONG rc = r->fpQueryValue(h, wvalue, &type, reinterpret_cast<PBYTE>(&data), &size, Spooler(p));
  r->fpCloseKey(h, Spooler(p));
  if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data) return FALSE;
  *out = data;
  return TRUE;
}

}  // namespace

DWORD ReadPrinterDataDword(PortRecord* p, const char* value, DWORD fallback) {
  char key[2 * kNameChars];
  std::snprintf(key, sizeof key, "System\\CurrentControlSet\\Control\\Print\\Printers\\%s\\PrinterDriverData",
                p->printerName);
  DWORD v;
  return QueryDword(p, key, value, &v) ? v : fallback;
}

void ReadStatusIntervals(PortRecord* p, const char* driverName) {
  char key[2 * kNameChars];
  std::snprintf(key, sizeof key, "Software\\Halvorn\\%s", driverName && *driverName ? driverName : "Common");
  DWORD v = 0;
  p->localInterval = QueryDword(p, key, "Local Status Read Interval Time", &v) && v >= 300 ? v : 500;
  p->networkInterval = QueryDword(p, key, "Network Status Read Interval Time", &v) && v >= 1000 ? v : 5000;
}

BOOL WriteRegistryValue(PortRecord* p, HANDLE root, const char* key, const char* value, DWORD type,
                        const void* data, DWORD size) {
  PMONITORINIT init = p->monitor->init;
  const MONITORREG* r = init ? init->pMonitorReg : nullptr;
  if (!r || !r->fpCreateKey || !r->fpSetValue || !r->fpCloseKey) {
    SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
  }
  WCHAR wkey[2 * kNameChars], wvalue[kNameChars];
  if (!Wide(key, wkey, 2 * kNameChars) || !Wide(value, wvalue, kNameChars)) return FALSE;
  HANDLE h = nullptr;
  DWORD disposition = 0;
  LONG rc = r->fpCreateKey(root, wkey, 0, KEY_ALL_ACCESS, nullptr, &h, &disposition, Spooler(p));
  if (rc == ERROR_SUCCESS) {
    rc = r->fpSetValue(h, wvalue, type, static_cast<const BYTE*>(data), size, Spooler(p));
    r->fpCloseKey(h, Spooler(p));
  }
  SetLastError(DWORD(rc));
  return rc == ERROR_SUCCESS;
}

}  // namespace langmon
