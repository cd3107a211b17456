// The monitor record and the port record: the monitor's whole state. Every
// field of a port record is guarded by the monitor lock.
#pragma once
#include "langmon/shared_block.h"
#include "windows.h"

namespace langmon {

constexpr WORD kPortSignature = 0x4B4D;
constexpr DWORD kReadBufferSize = 65536;
constexpr DWORD kNameChars = 260;

// Port flags.
enum : DWORD {
  kJobActive = 0x1,
  kPortOpen = 0x10,
  kBidiPjl = 0x20,
  kLastWriteFailed = 0x80,
  kQueryWritten = 0x100,
  kHeaderSent = 0x400,
  kStatusSet = 0x800,
  kFirstWritePending = 0x1000,
  kPollRequested = 0x2000,
  kAlarm = 0x4000,
  kCancelledAfterWarning = 0x8000,
  kStatusThreadRuns = 0x10000,
  kStatusThreadKeep = 0x20000,
  kStatusThreadWaits = 0x80000,
  kLauncherRuns = 0x100000,
  kLauncherKeep = 0x200000,
  kLauncherStart = 0x400000,
  kLauncherRequest2 = 0x1000000,
  kLauncherRequest3 = 0x2000000,
  kAdjustDcsHandled = 0x4000000,
  kDayMarkPending = 0x8000000,
};

// Flags a new job starts without.
constexpr DWORD kJobStartClears = 0x2 | 0x40 | kLastWriteFailed | kQueryWritten | 0x200 | kHeaderSent | kStatusSet |
                                  kPollRequested | kAlarm | kCancelledAfterWarning | kStatusThreadWaits |
                                  kAdjustDcsHandled | kDayMarkPending;

// Port types and subtypes.
enum : DWORD {
  kTypeParallel = 1,
  kTypeUsb = 0x20000000,
  kTypeShare = 0x40000000,
  kTypeNetwork = 0x80000000,
  kSubtypeUsb = 0x20020000,
  kSubtypeVendorUsb = 0x20010000,
  kSubtypeIp = 0x80010000,
};

// Special status codes (in no table).
enum : DWORD {
  kCodeHeaderUnusable = 65537,
  kCodeNoAnswer = 65538,
  kCodeNoBidi = 131072,
};

struct CapabilityEntry {
  BOOL present;
  char statusMonitorPath[kNameChars];
  char printerCode[kNameChars];
  char statusMonitorSupportCode[kNameChars];
  char getIpDll[kNameChars];
  DWORD manualDuplex;
  DWORD adjustDcs;
  DWORD usbBufferClear;
  DWORD statusRequest;
};

struct StatusMonitorProcess;  // the status monitor link's list entry

struct MonitorRecord;

struct PortRecord {
  WORD signature;
  DWORD size;
  PortRecord* next;
  MonitorRecord* monitor;
  char* portName;  // stored right after the record
  DWORD flags;
  char printerName[kNameChars + 1];
  DWORD jobMode, jobId, jobLevel;
  WCHAR printerNameW[kNameChars + 1];
  WCHAR portNameW[kNameChars + 1];
  BOOL noStatus;
  DWORD portType, portSubtype;
  HANDLE lowerHandle;
  HANDLE printer;
  DWORD printerAccess;  // 2: administer, 1: use only
  HANDLE wakeEvent, runEvent, statusThread;
  DWORD reportedStatus;
  DWORD primary, secondary, online;
  DWORD capabilities;
  // Status header of the current job.
  BYTE header[256];
  DWORD headerLength, headerWritten;
  BOOL headerBuilt, headerDone, headerFailed;
  BOOL network;
  MONITOR2 lower;
  // Shared status block (status monitor link).
  SharedStatusBlock* block;
  HANDLE blockMapping, blockMutex;
  PVOID blockSecurity;
  // Intervals and time-outs, milliseconds.
  DWORD localInterval, networkInterval, continuousJobInterval, warningConfirmTime, busyTimeout;
  CapabilityEntry cap;
  DWORD bidiMode;
  DWORD readChunk;
  DWORD osMajor, osMinor;
  StatusMonitorProcess* processes;
  DWORD jobEndTime;
  BOOL jobEnded;
  // Write path.
  DWORD writeStart;
  // Parallel port modes.
  PARCLASS_NEGOTIATION_MASK modes;
  DWORD deviceCaps;
  // Callers inside an entry point; closing; the read buffer taken by a reader.
  LONG callers;
  BOOL closing;
  BOOL readerBusy;
  // Replies from the printer: one buffer per port.
  BYTE* readBuffer;
  DWORD readLength;
  // Status monitor link.
  HANDLE launcherThread, launcherEvent;
  HANDLE registryThread, registryRequestEvent, registryStopEvent;
  char warningApp[kNameChars];
  BOOL dayMarkWritten;
  // Network status.
  char driverFolder[kNameChars];
  char ipAddress[kNameChars];
  HMODULE snmpModule;
  void* snmpOpen;
  void* snmpPost;
  void* snmpClose;
  LONG snmpSession;
  PVOID snmpReply;
  DWORD snmpReplyError;
  BOOL snmpPending, snmpArrived;
  BOOL winsockStarted;
};

struct MonitorRecord {
  MONITOR2 table;  // first: the record's address is both the table and the monitor handle
  PMONITORINIT init;
  PortRecord* ports;
  CRITICAL_SECTION lock;
  DWORD lockOwner;  // thread holding the lock (atomic access), 0 when free
  LONG lockDepth;   // the holder's depth
  MonitorRecord* nextMonitor;
  DWORD osMajor, osMinor;
};

inline bool IsLocalType(DWORD type) { return type == kTypeParallel || type == kTypeUsb; }

}  // namespace langmon
