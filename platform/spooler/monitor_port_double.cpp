// The scriptable lower port monitor of kw/hooks_port_double.h.
#include <cctype>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "kw/hooks_port_double.h"
#include "kw/wide.h"
#include "win/sync.h"

namespace kw::hooks {
namespace {

struct Trigger {
  std::string text;
  std::string reply;
};

struct Port {
  std::string name;
  bool open = false;
  bool inJob = false;
  bool recordBytes = true;
  std::map<DWORD, std::string> answers;  // control code -> the bytes returned
  std::map<DWORD, DWORD> answerErrors;
  std::deque<std::string> reads;
  std::vector<Trigger> triggers;
  DWORD readError = 0;
  DWORD writeLimit = 0;
  uint64_t writeCalls = 0;
  uint64_t failFrom = 0, failTo = 0;
  DWORD failError = 0;
  DWORD openError = 0, startError = 0;
  std::string written;
  std::string tail;  // end of the written stream, for triggers that span writes
  std::vector<PortDoubleCall> calls;
  COMMTIMEOUTS timeouts{};
};

struct Double {
  std::mutex mu;
  std::map<std::string, std::unique_ptr<Port>> ports;
  std::vector<Port*> retired;  // closed-over ports stay valid for stale handles
};

Double& D() {
  static Double* d = new Double;
  return *d;
}

std::string Fold(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

Port* Named(const std::string& name) {
  auto it = D().ports.find(Fold(name));
  return it == D().ports.end() ? nullptr : it->second.get();
}

Port* Handle(HANDLE h) {
  for (auto& [key, p] : D().ports)
    if (p.get() == h && p->open) return p.get();
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

PortDoubleCall C(const char* name, DWORD controlId = 0) {
  PortDoubleCall c;
  c.call = name;
  c.controlId = controlId;
  return c;
}

BOOL Log(Port* p, PortDoubleCall call, BOOL result) {
  call.result = result;
  call.thread = GetCurrentThreadId();
  p->calls.push_back(std::move(call));
  return result;
}

BOOL FailWith(Port* p, PortDoubleCall call, DWORD error) {
  Log(p, std::move(call), FALSE);
  SetLastError(error);
  return FALSE;
}

void Written(Port* p, const BYTE* data, DWORD n) {
  std::string chunk(reinterpret_cast<const char*>(data), n);
  if (p->recordBytes) p->written += chunk;
  std::string window = p->tail + chunk;
  for (const Trigger& t : p->triggers) {
    size_t from = 0, at;
    // Only occurrences that end inside the new bytes count.
    while ((at = window.find(t.text, from)) != std::string::npos) {
      if (at + t.text.size() > p->tail.size()) p->reads.push_back(t.reply);
      from = at + 1;
    }
  }
  size_t keep = 0;
  for (const Trigger& t : p->triggers) keep = std::max(keep, t.text.size());
  p->tail = window.size() > keep ? window.substr(window.size() - keep) : window;
}

size_t Waiting(const Port* p) {
  size_t n = 0;
  for (const std::string& s : p->reads) n += s.size();
  return n;
}

BOOL WINAPI OpenPort(HANDLE, LPWSTR pName, PHANDLE pHandle) {
  std::lock_guard<std::mutex> lock(D().mu);
  Port* p = pName ? Named(Narrow(pName)) : nullptr;
  if (!p || !pHandle) {
    SetLastError(ERROR_UNKNOWN_PORT);
    return FALSE;
  }
  if (p->openError) return FailWith(p, C("OpenPort"), p->openError);
  p->open = true;
  *pHandle = p;
  return Log(p, C("OpenPort"), TRUE);
}

BOOL WINAPI StartDocPort(HANDLE hPort, LPWSTR, DWORD, DWORD, LPBYTE) {
  std::lock_guard<std::mutex> lock(D().mu);
  Port* p = Handle(hPort);
  if (!p) return FALSE;
  if (p->startError) return FailWith(p, C("StartDocPort"), p->startError);
  p->inJob = true;
  return Log(p, C("StartDocPort"), TRUE);
}

BOOL WINAPI WritePort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbWritten) {
  std::lock_guard<std::mutex> lock(D().mu);
  Port* p = Handle(hPort);
  if (!p) return FALSE;
  PortDoubleCall call = C("WritePort");
  call.size = cbBuf;
  if (pcbWritten) *pcbWritten = 0;
  uint64_t n = ++p->writeCalls;
  if (p->failError && n >= p->failFrom && n < p->failTo) return FailWith(p, call, p->failError);
  DWORD take = p->writeLimit && cbBuf > p->writeLimit ? p->writeLimit : cbBuf;
  Written(p, pBuffer, take);
  if (pcbWritten) *pcbWritten = take;
  call.done = take;
  return Log(p, call, TRUE);
}

BOOL WINAPI ReadPort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuffer, LPDWORD pcbRead) {
  std::lock_guard<std::mutex> lock(D().mu);
  Port* p = Handle(hPort);
  if (!p) return FALSE;
  PortDoubleCall call = C("ReadPort");
  call.size = cbBuffer;
  if (pcbRead) *pcbRead = 0;
  if (p->readError) return FailWith(p, call, p->readError);
  if (!p->reads.empty() && pBuffer && pcbRead) {
    std::string& front = p->reads.front();
    DWORD n = DWORD(std::min<size_t>(front.size(), cbBuffer));
    std::memcpy(pBuffer, front.data(), n);
    front.erase(0, n);
    if (front.empty()) p->reads.pop_front();
    *pcbRead = n;
    call.done = n;
  }
  return Log(p, call, TRUE);
}

BOOL WINAPI EndDocPort(HANDLE hPort) {
  std::lock_guard<std::mutex> lock(D().mu);
  Port* p = Handle(hPort);
  if (!p) return FALSE;
  p->inJob = false;
  return Log(p, C("EndDocPort"), TRUE);
}

BOOL WINAPI ClosePort(HANDLE hPort) {
  std::lock_guard<std::mutex> lock(D().mu);
  Port* p = Handle(hPort);
  if (!p) return FALSE;
  p->open = false;
  return Log(p, C("ClosePort"), TRUE);
}

BOOL WINAPI GetPrinterDataFromPort(HANDLE hPort, DWORD ControlID, LPWSTR, LPWSTR lpInBuffer, DWORD cbInBuffer,
                                   LPWSTR lpOutBuffer, DWORD cbOutBuffer, LPDWORD lpcbReturned) {
  std::lock_guard<std::mutex> lock(D().mu);
  Port* p = Handle(hPort);
  if (!p) return FALSE;
  PortDoubleCall call = C("GetPrinterDataFromPort", ControlID);
  if (lpInBuffer && cbInBuffer) call.in.assign(reinterpret_cast<const char*>(lpInBuffer), cbInBuffer);
  if (lpcbReturned) *lpcbReturned = 0;
  auto err = p->answerErrors.find(ControlID);
  if (err != p->answerErrors.end()) return FailWith(p, call, err->second);
  std::string answer;
  auto it = p->answers.find(ControlID);
  if (it != p->answers.end()) {
    answer = it->second;
  } else if (ControlID == IOCTL_USBPRINT_VENDOR_GET_COMMAND) {
    DWORD n = DWORD(Waiting(p));
    answer.assign(reinterpret_cast<const char*>(&n), sizeof n);
  } else if (ControlID == IOCTL_USBPRINT_SOFT_RESET || ControlID == IOCTL_USBPRINT_VENDOR_SET_COMMAND ||
             ControlID == IOCTL_IEEE1284_NEGOTIATE || ControlID == IOCTL_SERIAL_SET_TIMEOUTS) {
    answer.clear();  // commands without an answer
  } else {
    return FailWith(p, call, ERROR_INVALID_PARAMETER);
  }
  if (answer.size() > cbOutBuffer || (!lpOutBuffer && !answer.empty()))
    return FailWith(p, call, ERROR_INSUFFICIENT_BUFFER);
  if (!answer.empty()) std::memcpy(lpOutBuffer, answer.data(), answer.size());
  if (lpcbReturned) *lpcbReturned = DWORD(answer.size());
  call.done = DWORD(answer.size());
  return Log(p, call, TRUE);
}

BOOL WINAPI SetPortTimeOuts(HANDLE hPort, LPCOMMTIMEOUTS lpCTO, DWORD) {
  std::lock_guard<std::mutex> lock(D().mu);
  Port* p = Handle(hPort);
  if (!p) return FALSE;
  if (!lpCTO) return FailWith(p, C("SetPortTimeOuts"), ERROR_INVALID_PARAMETER);
  p->timeouts = *lpCTO;
  return Log(p, C("SetPortTimeOuts"), TRUE);
}

VOID WINAPI Shutdown(HANDLE) {}

template <typename F>
void With(const std::string& port, F f) {
  std::lock_guard<std::mutex> lock(D().mu);
  if (Port* p = Named(port)) f(p);
}

}  // namespace

MONITOR2* PortDoubleMonitor(HANDLE* hMonitor) {
  static MONITOR2 table = [] {
    MONITOR2 t{};
    t.cbSize = sizeof(MONITOR2);
    t.pfnOpenPort = OpenPort;
    t.pfnStartDocPort = StartDocPort;
    t.pfnWritePort = WritePort;
    t.pfnReadPort = ReadPort;
    t.pfnEndDocPort = EndDocPort;
    t.pfnClosePort = ClosePort;
    t.pfnGetPrinterDataFromPort = GetPrinterDataFromPort;
    t.pfnSetPortTimeOuts = SetPortTimeOuts;
    t.pfnShutdown = Shutdown;
    return t;
  }();
  if (hMonitor) *hMonitor = &table;
  return &table;
}

void PortDoubleReset() {
  std::lock_guard<std::mutex> lock(D().mu);
  for (auto& [key, p] : D().ports) D().retired.push_back(p.release());
  D().ports.clear();
}

void PortDoubleDefine(const std::string& port) {
  std::lock_guard<std::mutex> lock(D().mu);
  auto& slot = D().ports[Fold(port)];
  if (slot) D().retired.push_back(slot.release());
  slot = std::make_unique<Port>();
  slot->name = port;
}

void PortDoubleAnswer(const std::string& port, DWORD controlId, const std::string& bytes) {
  With(port, [&](Port* p) {
    p->answers[controlId] = bytes;
    p->answerErrors.erase(controlId);
  });
}

void PortDoubleAnswerFail(const std::string& port, DWORD controlId, DWORD error) {
  With(port, [&](Port* p) { p->answerErrors[controlId] = error; });
}

void PortDoubleQueueRead(const std::string& port, const std::string& bytes) {
  With(port, [&](Port* p) { p->reads.push_back(bytes); });
}

void PortDoubleReplyTo(const std::string& port, const std::string& trigger, const std::string& reply) {
  With(port, [&](Port* p) { p->triggers.push_back({trigger, reply}); });
}

void PortDoubleFailReads(const std::string& port, DWORD error) {
  With(port, [&](Port* p) { p->readError = error; });
}

void PortDoubleWriteLimit(const std::string& port, DWORD bytes) {
  With(port, [&](Port* p) { p->writeLimit = bytes; });
}

void PortDoubleFailWrites(const std::string& port, DWORD from, DWORD count, DWORD error) {
  With(port, [&](Port* p) {
    p->failFrom = p->writeCalls + from;
    p->failTo = p->failFrom + count;
    p->failError = error;
  });
}

void PortDoubleFailOpen(const std::string& port, DWORD error) {
  With(port, [&](Port* p) { p->openError = error; });
}

void PortDoubleFailStartDoc(const std::string& port, DWORD error) {
  With(port, [&](Port* p) { p->startError = error; });
}

void PortDoubleRecordBytes(const std::string& port, bool on) {
  With(port, [&](Port* p) { p->recordBytes = on; });
}

std::vector<PortDoubleCall> PortDoubleCalls(const std::string& port) {
  std::vector<PortDoubleCall> out;
  With(port, [&](Port* p) { out = p->calls; });
  return out;
}

std::string PortDoubleWritten(const std::string& port) {
  std::string out;
  With(port, [&](Port* p) { out = p->written; });
  return out;
}

COMMTIMEOUTS PortDoubleTimeouts(const std::string& port) {
  COMMTIMEOUTS out{};
  With(port, [&](Port* p) { out = p->timeouts; });
  return out;
}

bool PortDoubleIsOpen(const std::string& port) {
  bool open = false;
  With(port, [&](Port* p) { open = p->open; });
  return open;
}

}  // namespace kw::hooks
