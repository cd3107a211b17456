// The shared status block of a port: the record the monitor and the outside
// status monitor program exchange status through. Its layout is fixed; the
// block is created, mapped and guarded by the status monitor link.
#pragma once
#include <cstddef>

#include "windows.h"

namespace langmon {

constexpr DWORD kSharedBlockSize = 4596;
constexpr DWORD kStatusListEntries = 253;
constexpr DWORD kWarningListEntries = 255;
constexpr DWORD kDeviceIdBytes = 1024;

struct SharedStatusBlock {
  DWORD size;                          // 4596
  char warningMode[16];                // "NoDisplay", "FirstDoc", "PerDoc", "PerDay"
  DWORD portWord;                      // bit 0: the port is open in the monitor
  DWORD jobWord;                       // bit 0: this port is using the printer
  BYTE reserved28[132];
  DWORD busy;                          // not 0: another user of the printer is busy
  DWORD primaryCode;
  DWORD secondaryCode;
  DWORD online;
  DWORD statusList[255];               // up to 253 codes, two closing zeros
  DWORD statusListCount;               // entries used + 2
  BYTE reserved1200[1024];
  char text[256];
  char deviceId[kDeviceIdBytes];       // the last IEEE 1284 device ID read
  DWORD statusMonitorReady;
  BYTE reserved3508[24];
  DWORD jobField1;
  BYTE reserved3536[12];
  DWORD jobField2;
  DWORD jobField3;
  DWORD warningRequest;
  DWORD warningSeen;
  DWORD warningAnswer;
  DWORD warningList[kWarningListEntries];
  DWORD warningCount;
  DWORD jobData;                       // 1 once the job has written data
};

static_assert(sizeof(SharedStatusBlock) == kSharedBlockSize, "shared block size");
static_assert(offsetof(SharedStatusBlock, warningMode) == 4);
static_assert(offsetof(SharedStatusBlock, portWord) == 20);
static_assert(offsetof(SharedStatusBlock, jobWord) == 24);
static_assert(offsetof(SharedStatusBlock, busy) == 160);
static_assert(offsetof(SharedStatusBlock, primaryCode) == 164);
static_assert(offsetof(SharedStatusBlock, secondaryCode) == 168);
static_assert(offsetof(SharedStatusBlock, online) == 172);
static_assert(offsetof(SharedStatusBlock, statusList) == 176);
static_assert(offsetof(SharedStatusBlock, statusListCount) == 1196);
static_assert(offsetof(SharedStatusBlock, text) == 2224);
static_assert(offsetof(SharedStatusBlock, deviceId) == 2480);
static_assert(offsetof(SharedStatusBlock, statusMonitorReady) == 3504);
static_assert(offsetof(SharedStatusBlock, jobField1) == 3532);
static_assert(offsetof(SharedStatusBlock, jobField2) == 3548);
static_assert(offsetof(SharedStatusBlock, jobField3) == 3552);
static_assert(offsetof(SharedStatusBlock, warningRequest) == 3556);
static_assert(offsetof(SharedStatusBlock, warningSeen) == 3560);
static_assert(offsetof(SharedStatusBlock, warningAnswer) == 3564);
static_assert(offsetof(SharedStatusBlock, warningList) == 3568);
static_assert(offsetof(SharedStatusBlock, warningCount) == 4588);
static_assert(offsetof(SharedStatusBlock, jobData) == 4592);

}  // namespace langmon
