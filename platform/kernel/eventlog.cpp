// The event log. Every source writes to the Application log: the entries are
// kept in memory for inspection and appended, one line each, to
// <world>/eventlog/Application.log (format in docs/event-log.md).
#include "win/eventlog.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>

#include "kw/handle_table.h"
#include "kw/hooks_eventlog.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "win/handle.h"
#include "win/wstr.h"

namespace {

using kw::hooks::EventLogEntry;

constexpr char16_t kLogName[] = u"Application";
constexpr size_t kMaxStringChars = 31839;
constexpr size_t kMaxEntryBytes = 0x10000;

struct Source {
  std::u16string name;
};

struct LogState {
  std::mutex mu;
  std::vector<EventLogEntry> entries;
  DWORD lastRecord = 0;
  bool recordKnown = false;  // lastRecord read from the current world's file
  bool failRegister = false;
  DWORD registerError = 0;
  bool failReport = false;
  DWORD reportError = 0;
  std::atomic<size_t> openSources{0};
};

void OnWorldChange();

LogState& L() {
  static LogState* s = [] {
    auto* st = new LogState;  // never destroyed: reports may come during exit
    kw::WorldOnRootChange(OnWorldChange);
    return st;
  }();
  return *s;
}

void OnWorldChange() {
  LogState& s = L();
  std::lock_guard<std::mutex> lock(s.mu);
  s.entries.clear();
  s.recordKnown = false;
}

std::string LogPath() { return kw::WorldRoot() + "/eventlog/Application.log"; }

// Record numbers continue the log file: one line per entry.
DWORD CountLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  DWORD n = 0;
  for (std::string line; std::getline(in, line);) ++n;
  return n;
}

// ---- the log line ----------------------------------------------------------------

const char* TypeName(WORD type) {
  switch (type) {
    case EVENTLOG_SUCCESS: return "Success";
    case EVENTLOG_ERROR_TYPE: return "Error";
    case EVENTLOG_WARNING_TYPE: return "Warning";
    case EVENTLOG_INFORMATION_TYPE: return "Information";
    case EVENTLOG_AUDIT_SUCCESS: return "Audit Success";
    case EVENTLOG_AUDIT_FAILURE: return "Audit Failure";
    default: return nullptr;
  }
}

// Keeps a text on one line: backslash, quote and control characters escaped.
std::string Escape(const std::u16string& text) {
  std::string out;
  for (unsigned char c : kw::Narrow(text)) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", c);
          out += hex;
        } else {
          out += char(c);
        }
    }
  }
  return out;
}

std::string FormatLine(const EventLogEntry& e) {
  char head[160];
  std::time_t now = std::time(nullptr);
  std::tm utc;
  gmtime_r(&now, &utc);
  char when[32];
  std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S UTC", &utc);
  char typeBuf[16];
  const char* type = TypeName(e.type);
  if (!type) {
    std::snprintf(typeBuf, sizeof typeBuf, "Type 0x%04X", unsigned(e.type));
    type = typeBuf;
  }
  std::snprintf(head, sizeof head, "%s | #%u | %s | ", when, unsigned(e.record), type);
  std::string line = head;
  line += Escape(e.source);
  std::snprintf(head, sizeof head, " | category %u | event 0x%08X |", unsigned(e.category), unsigned(e.eventId));
  line += head;
  for (const auto& s : e.strings) line += " \"" + Escape(s) + "\"";
  line += " | data";
  for (uint8_t b : e.data) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", b);
    line += hex;
  }
  line += "\n";
  return line;
}

bool AppendLine(const std::string& path, const std::string& line) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  ssize_t n = ::write(fd, line.data(), line.size());  // one write: lines never interleave
  bool ok = ::close(fd) == 0 && n == ssize_t(line.size());
  return ok;
}

// ---- reporting -----------------------------------------------------------------------

bool Validate(WORD numStrings, const std::vector<std::u16string>& strings, DWORD dataSize) {
  size_t bytes = dataSize;
  for (const auto& s : strings) {
    if (s.size() > kMaxStringChars) return false;
    bytes += (s.size() + 1) * 2;
  }
  return strings.size() == numStrings && bytes <= kMaxEntryBytes;
}

BOOL Report(HANDLE h, WORD type, WORD category, DWORD eventId, std::vector<std::u16string> strings, DWORD dataSize,
            const void* data) {
  auto* src = static_cast<Source*>(kw::HandleGet(h, kw::HandleKind::EventSource));
  if (!src) return FALSE;  // last error set by the handle table
  if ((dataSize && !data) || !Validate(WORD(strings.size()), strings, dataSize)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  LogState& s = L();
  std::lock_guard<std::mutex> lock(s.mu);
  if (s.failReport) {
    SetLastError(s.reportError);
    return FALSE;
  }
  std::string path = LogPath();
  if (!s.recordKnown) {
    s.lastRecord = CountLines(path);
    s.recordKnown = true;
  }
  EventLogEntry e{s.lastRecord + 1, kLogName, src->name, type, category, eventId, std::move(strings), {}};
  if (dataSize) e.data.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + dataSize);
  if (!AppendLine(path, FormatLine(e))) {
    SetLastError(ERROR_WRITE_FAULT);
    return FALSE;
  }
  s.lastRecord = e.record;
  s.entries.push_back(std::move(e));
  return TRUE;
}

void CloseSource(void* object) {
  delete static_cast<Source*>(object);
  --L().openSources;
}

HANDLE Register(bool localServer, std::u16string name) {
  LogState& s = L();
  {
    std::lock_guard<std::mutex> lock(s.mu);
    if (s.failRegister) {
      SetLastError(s.registerError);
      return nullptr;
    }
  }
  if (!localServer) {
    SetLastError(RPC_S_SERVER_UNAVAILABLE);
    return nullptr;
  }
  if (name.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  ++s.openSources;
  return kw::HandleCreate(kw::HandleKind::EventSource, new Source{std::move(name)}, CloseSource);
}

std::u16string FromAnsi(LPCSTR s) {
  if (!s) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
  if (n <= 0) return {};
  std::u16string w(size_t(n), u'\0');
  MultiByteToWideChar(CP_ACP, 0, s, -1, w.data(), n);
  w.pop_back();
  return w;
}

}  // namespace

KW_API HANDLE WINAPI RegisterEventSourceW(LPCWSTR server, LPCWSTR source) {
  return Register(!server || !*server, source ? std::u16string(source) : std::u16string());
}

KW_API HANDLE WINAPI RegisterEventSourceA(LPCSTR server, LPCSTR source) {
  return Register(!server || !*server, FromAnsi(source));
}

KW_API BOOL WINAPI DeregisterEventSource(HANDLE eventLog) {
  if (!kw::HandleGet(eventLog, kw::HandleKind::EventSource)) return FALSE;
  return CloseHandle(eventLog);
}

KW_API BOOL WINAPI ReportEventW(HANDLE eventLog, WORD type, WORD category, DWORD eventId, PSID, WORD numStrings,
                                DWORD dataSize, LPCWSTR* strings, LPVOID rawData) {
  std::vector<std::u16string> list;
  if (numStrings && !strings) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  for (WORD i = 0; i < numStrings; ++i) {
    if (!strings[i]) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    size_t len = 0;
    while (strings[i][len] && len <= kMaxStringChars) ++len;  // never read past the limit
    list.emplace_back(strings[i], len);
  }
  return Report(eventLog, type, category, eventId, std::move(list), dataSize, rawData);
}

KW_API BOOL WINAPI ReportEventA(HANDLE eventLog, WORD type, WORD category, DWORD eventId, PSID, WORD numStrings,
                                DWORD dataSize, LPCSTR* strings, LPVOID rawData) {
  std::vector<std::u16string> list;
  if (numStrings && !strings) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  for (WORD i = 0; i < numStrings; ++i) {
    if (!strings[i]) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    list.push_back(FromAnsi(strings[i]));
  }
  return Report(eventLog, type, category, eventId, std::move(list), dataSize, rawData);
}

namespace kw::hooks {

std::vector<EventLogEntry> EventLogEntries() {
  LogState& s = L();
  std::lock_guard<std::mutex> lock(s.mu);
  return s.entries;
}

void EventLogClear() {
  LogState& s = L();
  std::lock_guard<std::mutex> lock(s.mu);
  s.entries.clear();
}

void EventLogFailRegister(bool on, DWORD error) {
  LogState& s = L();
  std::lock_guard<std::mutex> lock(s.mu);
  s.failRegister = on;
  s.registerError = error;
}

void EventLogFailReport(bool on, DWORD error) {
  LogState& s = L();
  std::lock_guard<std::mutex> lock(s.mu);
  s.failReport = on;
  s.reportError = error;
}

size_t EventLogOpenSources() { return L().openSources.load(); }

std::string EventLogFilePath() { return LogPath(); }

}  // namespace kw::hooks
