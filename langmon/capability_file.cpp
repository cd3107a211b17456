// The monitor's capability files: "qel*.cap" beside the printer driver. The
// first file that names a section for the driver gives the port its entry.
#include <cstdio>
#include <cstring>

#include "langmon/operations.h"

namespace langmon {
namespace {

// A string key; "NONE" (the default) means absent and leaves it empty.
void ReadText(const char* section, const char* key, const char* file, char* out) {
  GetPrivateProfileStringA(section, key, "NONE", out, kNameChars, file);
  if (std::strcmp(out, "NONE") == 0) out[0] = '\0';
}

bool ReadEntry(const char* file, const char* driverName, CapabilityEntry* e) {
  char section[kNameChars];
  GetPrivateProfileStringA("Capability", driverName, "NONE", section, kNameChars, file);
  if (std::strcmp(section, "NONE") == 0) return false;
  ReadText(section, "StatusMonitorPath", file, e->statusMonitorPath);
  ReadText(section, "PrinterCode", file, e->printerCode);
  ReadText(section, "StatusMonitorSupportCode", file, e->statusMonitorSupportCode);
  ReadText(section, "GetIPDll", file, e->getIpDll);
  e->manualDuplex = GetPrivateProfileIntA(section, "ManualDuplex", 0, file);
  e->adjustDcs = GetPrivateProfileIntA(section, "AdjustDCS", 0, file);
  e->usbBufferClear = GetPrivateProfileIntA(section, "USBBufferClear", 0, file);
  e->statusRequest = GetPrivateProfileIntA(section, "StatusRequest", 0, file);
  e->present = TRUE;
  return true;
}

}  // namespace

void ReadCapabilityEntry(PortRecord* p, const char* driverFolder, const char* driverName) {
  std::memset(&p->cap, 0, sizeof p->cap);
  char pattern[2 * kNameChars];
  std::snprintf(pattern, sizeof pattern, "%s\\qel*.cap", driverFolder);
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(pattern, &found);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    char file[2 * kNameChars];
    std::snprintf(file, sizeof file, "%s\\%s", driverFolder, found.cFileName);
    if (ReadEntry(file, driverName, &p->cap)) break;
  } while (FindNextFileA(h, &found));
  FindClose(h);
}

}  // namespace langmon
