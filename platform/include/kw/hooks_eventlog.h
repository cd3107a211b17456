// Test hooks for the event log.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "win/base.h"

namespace kw::hooks {

struct EventLogEntry {
  DWORD record;                        // record number in the log file, from 1
  std::u16string log;                  // "Application"
  std::u16string source;               // as registered
  WORD type;                           // EVENTLOG_*_TYPE
  WORD category;
  DWORD eventId;
  std::vector<std::u16string> strings; // insertion strings
  std::vector<uint8_t> data;           // raw data
};

// Entries reported since the world folder was set or the list was cleared,
// oldest first.
std::vector<EventLogEntry> EventLogEntries();
// Forgets the kept entries (the log file stays as it is).
void EventLogClear();
// While on, RegisterEventSourceW/A fail with `error`.
void EventLogFailRegister(bool on, DWORD error = ERROR_ACCESS_DENIED);
// While on, ReportEventW/A fail with `error` and record nothing.
void EventLogFailReport(bool on, DWORD error = ERROR_DISK_FULL);
// Sources registered and not yet deregistered.
size_t EventLogOpenSources();
// Host path of the Application log file of the current world.
std::string EventLogFilePath();

}  // namespace kw::hooks
