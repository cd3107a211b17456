// The monitor's internal operations, by the file that holds each group.
#pragma once
#include <cstddef>

#include "langmon/port_record.h"

namespace langmon {

// monitor_lock.cpp — the monitor lock and the rule that every wait for
// another monitor thread or for the printer releases it completely.
void LockMonitor(MonitorRecord* m);
void UnlockMonitor(MonitorRecord* m);
// Leaves the lock however deep the caller holds it; returns that depth (0
// when the caller did not hold it).
LONG ReleaseMonitorLock(MonitorRecord* m);
void RetakeMonitorLock(MonitorRecord* m, LONG depth);
void SleepUnlocked(MonitorRecord* m, DWORD ms);
DWORD WaitUnlocked(MonitorRecord* m, HANDLE h, DWORD ms);
inline DWORD Elapsed(DWORD since) { return GetTickCount() - since; }

// monitor_list.cpp — live monitors and the check of handles from the spooler.
void RegisterMonitor(MonitorRecord* m);
// Takes a live monitor out of the list (no new caller finds it); nullptr
// (last error set) for an unknown handle.
MonitorRecord* UnregisterMonitor(HANDLE h);
// The monitor of a handle, returned with its lock held; nullptr (last error
// set) for a null or unknown handle.
MonitorRecord* EnterMonitor(HANDLE h);
// The open port of a handle, returned with its monitor's lock held and
// counted as a caller; nullptr (last error set) for a null, unknown, closing
// or foreign handle. LeavePort undoes both.
PortRecord* EnterPort(HANDLE h);
void LeavePort(PortRecord* p);

// port_list.cpp — port records.
PortRecord* FindPort(MonitorRecord* m, const char* name);
PortRecord* CreatePort(MonitorRecord* m, const char* name);
// Unlinks and frees a record; its threads must have ended. Lock held.
void FreePort(PortRecord* p);
// Closes a port completely (entry ClosePort and Shutdown). Lock held, the
// caller counted in `callers`; the record is gone afterwards.
void ClosePortLocked(PortRecord* p);

// port_class.cpp
void ClassifyPort(PortRecord* p, const char* name);

// lower_port.cpp — calls of the lower port monitor.
BOOL LowerWrite(PortRecord* p, const BYTE* data, DWORD size, DWORD* written);
// Writes all of `data` with as many lower writes as it takes; FALSE when one
// fails or takes nothing.
BOOL LowerWriteAll(PortRecord* p, const BYTE* data, DWORD size);
BOOL LowerRead(PortRecord* p, BYTE* data, DWORD size, DWORD* read);
BOOL LowerControl(PortRecord* p, DWORD control, const void* in, DWORD inSize, void* out, DWORD outSize,
                  DWORD* returned);

// printer_access.cpp — the spooler's printer and job calls.
void ReopenPrinter(PortRecord* p);
void ClosePrinterHandle(PortRecord* p);
// The driver name and port of the printer's PRINTER_INFO_2.
BOOL ReadPrinterInfo(PortRecord* p, char* driverName, size_t driverChars, char* portName, size_t portChars);
BOOL ReadDriverFolder(PortRecord* p, char* folder, size_t chars);
DWORD ReadTransmissionRetryTimeout(PortRecord* p);  // milliseconds, 0 when none
void SetPrinterStatus(PortRecord* p, DWORD status);
BOOL JobIsDeleting(PortRecord* p);
void TellJob(PortRecord* p, DWORD command);

// monitor_settings.cpp — settings through the spooler's registry callbacks.
DWORD ReadPrinterDataDword(PortRecord* p, const char* value, DWORD fallback);
void ReadStatusIntervals(PortRecord* p, const char* driverName);
BOOL WriteRegistryValue(PortRecord* p, HANDLE root, const char* key, const char* value, DWORD type,
                        const void* data, DWORD size);

// capability_file.cpp
void ReadCapabilityEntry(PortRecord* p, const char* driverFolder, const char* driverName);

// os_version.cpp
void QueryOsVersion(DWORD* major, DWORD* minor);
bool AtLeast(DWORD major, DWORD minor, DWORD wantMajor, DWORD wantMinor);

// status_thread.cpp
BOOL StartStatusThread(PortRecord* p);
void WakeStatusThread(PortRecord* p);
void StopStatusThread(PortRecord* p, DWORD step);

// device_id.cpp — the IEEE 1284 device ID: capability bits of its command set.
DWORD ParseDeviceId(const char* id, size_t length);
DWORD ClassifyCommandSetEntry(const char* entry, size_t length);

// bidi_detect.cpp
BOOL DetectBidiPJL(PortRecord* p);

// status_header.cpp
BOOL SendStatusHeader(PortRecord* p);

// reply_read.cpp — replies from the printer into the port's read buffer.
// A reader takes the buffer for a whole exchange, since the lock is left
// while it waits for the printer.
void BeginReading(PortRecord* p);
BOOL TryBeginReading(PortRecord* p);
void EndReading(PortRecord* p);
BOOL ReadReplies(PortRecord* p);
// Reads until something arrives or `timeout` passes (TRUE with readLength 0 then).
BOOL ReadRepliesTimed(PortRecord* p, DWORD timeout);

// reply_parse.cpp
constexpr size_t kMaxRecordCodes = 256;
struct StatusRecord {
  DWORD codes[kMaxRecordCodes];
  DWORD indexes[kMaxRecordCodes];
  DWORD count;
  DWORD online;
  DWORD blockType;
};
typedef void (*RecordSink)(void* context, const StatusRecord& record);
// Turns reply bytes into status records, in buffer order; returns the number
// of "@PJL USTATUS PAGE" lines seen.
DWORD ParseReplies(const BYTE* data, size_t length, RecordSink sink, void* context);

// reply_apply.cpp
struct Codes {
  DWORD primary, secondary, online;
};
// Parses the port's read buffer, publishes the last record in the shared
// block and gives its codes; FALSE when the buffer holds no record.
BOOL TakeReplies(PortRecord* p, Codes* found);
// TakeReplies, then the codes become the port's current codes when they
// differ (reported for a normal job, alarm state set or cleared).
BOOL ApplyReplies(PortRecord* p, Codes* found);
void StoreCodes(PortRecord* p, const Codes& c);
bool SameCodes(const PortRecord* p, const Codes& c);
// Codes of the last record of a buffer; FALSE when there is none.
BOOL LastRecordCodes(const BYTE* data, size_t length, Codes* codes, StatusRecord* last);
void PublishCodes(PortRecord* p, const StatusRecord* record, const Codes& codes);

// status_codes.cpp
enum : DWORD {
  kLevelNormal = 0,
  kLevelWarning = 0x10000,
  kLevelWarningLife = 0x10001,
  kLevelWarningNearLife = 0x10002,
  kLevelWarningCheck = 0x10004,
  kLevelWarningNear = 0x10008,
  kLevelWarningBg = 0x10010,
  kLevelAlarm = 0x100000,
  kLevelFatalError = 0x1000000,
};
struct Classification {
  DWORD status, level;
};
Classification ClassifyCode(DWORD code, DWORD online);
DWORD ShownCode(DWORD primary, DWORD secondary, DWORD online);
bool IsAlarmCode(DWORD code);
bool IsNormalCode(DWORD code);

// status_report.cpp
void ReportStatus(PortRecord* p, DWORD code, DWORD online);
void ReportCodes(PortRecord* p, const Codes& c);

// local_poll.cpp
void PollLocalStatus(PortRecord* p, BOOL first);

// pre_job_status.cpp — the printer's status before a job's first data (for
// the warning check): FALSE when the status query cannot be written.
BOOL PreJobStatus(PortRecord* p);

// memory_query.cpp — installed and available memory (0xFFFFFFFF: unknown).
DWORD QueryInstalledMemory(PortRecord* p);
DWORD QueryAvailableMemory(PortRecord* p);
// The number after `key` below `echo` in a reply; 0xFFFFFFFF when absent or
// unreadable (no digits is 0, a non-digit or an overflow is unknown).
DWORD FindMemoryValue(const BYTE* data, size_t length, const char* echo, const char* key, BOOL* found);

// adjust_dcs.cpp
DWORD QueryAdjustDCS(PortRecord* p, char* out, DWORD outSize);
// Finds the AdjustDCS reply in a buffer; its value's offset and length.
BOOL FindAdjustDcsReply(const BYTE* data, size_t length, size_t* start, size_t* valueAt, size_t* valueLength,
                        size_t* end);
// Takes an AdjustDCS reply out of the port's read buffer and stores it.
void ExtractAdjustDcsReply(PortRecord* p);
void StoreAdjustDcs(PortRecord* p, const char* value, DWORD length);

// shared_block.cpp — the status monitor link's block (opened later).
BOOL OpenSharedBlock(PortRecord* p);
void CloseSharedBlock(PortRecord* p);
BOOL LockBlock(PortRecord* p);  // FALSE without a block
void UnlockBlock(PortRecord* p);

// status_monitor_link.cpp — the status monitor program and warnings.
void ReadWarningAppName(PortRecord* p);
void StartLauncherThread(PortRecord* p);
void StopLauncherThread(PortRecord* p);
void EnsureStatusMonitor(PortRecord* p);
void ReadWarningSettings(PortRecord* p);
BOOL WarningCheck(PortRecord* p);  // TRUE: print, FALSE: stop
void FreeStatusMonitorList(PortRecord* p);

// registry_writer.cpp — the per-port registry thread.
void StartRegistryThread(PortRecord* p);
void StopRegistryThread(PortRecord* p);
BOOL QueueRegistryWrite(PortRecord* p, HANDLE root, const char* key, const char* value, DWORD type,
                        const void* data, DWORD size);

// network_status.cpp — status of network ports by SNMP.
BOOL NetworkProbe(PortRecord* p);
void NetworkStartup(PortRecord* p);
void NetworkCleanup(PortRecord* p);
void LoadSnmpClient(PortRecord* p);
void CloseSnmpSession(PortRecord* p);
BOOL NetworkDeviceId(PortRecord* p);
BOOL NetworkStatus(PortRecord* p, Codes* codes);
void PollNetworkStatus(PortRecord* p, BOOL first);

// parallel_service.cpp
BOOL EnsureParallelDevice(PortRecord* p);

}  // namespace langmon
