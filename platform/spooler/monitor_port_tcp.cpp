// The raw TCP port monitor (kw/port_monitors.h) over the layer's Winsock.
//
// ReadPort never waits for the printer: it returns what has arrived (possibly
// nothing), so a caller that holds a lock across the call is not held up; the
// caller paces its own polling. Writes block up to the port's write time-out.
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "kw/port_monitors.h"
#include "kw/wide.h"
#include "win/net.h"
#include "win/thread.h"

namespace kw {
namespace {

struct TcpPort {
  std::mutex mu;
  std::string name;
  TcpPortConfig config;
  SOCKET s = INVALID_SOCKET;
  COMMTIMEOUTS timeouts{};
  bool inJob = false;
  bool lost = false;  // the job's connection broke: the rest of the job has nowhere to go
};

struct TcpMonitor {
  std::mutex mu;
  std::map<std::string, TcpPortConfig> configs;  // key folded to lower case
  bool started = false;
};

TcpMonitor& M() {
  static TcpMonitor* m = new TcpMonitor;
  return *m;
}

std::string Fold(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

TcpPort* PortOf(HANDLE h) {
  if (!h) SetLastError(ERROR_INVALID_HANDLE);
  return static_cast<TcpPort*>(h);
}

void ApplyWriteTimeout(TcpPort* p) {
  if (p->s == INVALID_SOCKET) return;
  DWORD ms = p->timeouts.WriteTotalTimeoutConstant;
  setsockopt(p->s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
}

void Disconnect(TcpPort* p) {
  if (p->s == INVALID_SOCKET) return;
  closesocket(p->s);
  p->s = INVALID_SOCKET;
  if (p->inJob) p->lost = true;
}

// Connects when not connected; false with the Winsock error as last error. A
// job whose connection broke is not continued on a new one (the printer would
// take the rest for a job of its own).
bool Connect(TcpPort* p) {
  if (p->s != INVALID_SOCKET) return true;
  if (p->lost) {
    SetLastError(ERROR_DEVICE_NOT_CONNECTED);
    return false;
  }
  ADDRINFOA hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  PADDRINFOA res = nullptr;
  std::string service = std::to_string(p->config.port);
  int rc = getaddrinfo(p->config.host.c_str(), service.c_str(), &hints, &res);
  if (rc != 0) {
    SetLastError(DWORD(rc));
    return false;
  }
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) {
    freeaddrinfo(res);
    return false;
  }
  rc = connect(s, res->ai_addr, int(res->ai_addrlen));
  freeaddrinfo(res);
  if (rc != 0) {
    DWORD error = DWORD(WSAGetLastError());
    closesocket(s);
    SetLastError(error);
    return false;
  }
  DWORD on = 1;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  p->s = s;
  ApplyWriteTimeout(p);
  return true;
}

// Ends the job's connection gracefully: no more data from us, then whatever
// the printer still sends is read and dropped until it closes its side.
void Finish(TcpPort* p) {
  if (p->s == INVALID_SOCKET) return;
  shutdown(p->s, SD_SEND);
  char drain[4096];
  DWORD start = GetTickCount();
  while (GetTickCount() - start < 2000) {
    WSAPOLLFD pf{p->s, POLLRDNORM, 0};
    if (WSAPoll(&pf, 1, 100) <= 0) continue;
    if (recv(p->s, drain, sizeof drain, 0) <= 0) break;
  }
  Disconnect(p);
}

BOOL WINAPI OpenPort(HANDLE, LPWSTR pName, PHANDLE pHandle) {
  if (!pName || !pHandle) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string name = Narrow(pName);
  std::lock_guard<std::mutex> lock(M().mu);
  auto it = M().configs.find(Fold(name));
  if (it == M().configs.end()) {
    SetLastError(ERROR_UNKNOWN_PORT);
    return FALSE;
  }
  auto* p = new TcpPort;
  p->name = name;
  p->config = it->second;
  *pHandle = p;
  return TRUE;
}

BOOL WINAPI StartDocPort(HANDLE hPort, LPWSTR, DWORD, DWORD, LPBYTE) {
  TcpPort* p = PortOf(hPort);
  if (!p) return FALSE;
  std::lock_guard<std::mutex> lock(p->mu);
  p->lost = false;
  if (!Connect(p)) return FALSE;
  p->inJob = true;
  return TRUE;
}

BOOL WINAPI WritePort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuf, LPDWORD pcbWritten) {
  TcpPort* p = PortOf(hPort);
  if (!p || !pcbWritten || (!pBuffer && cbBuf)) {
    if (p) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *pcbWritten = 0;
  std::lock_guard<std::mutex> lock(p->mu);
  if (!Connect(p)) return FALSE;
  DWORD done = 0;
  while (done < cbBuf) {
    int chunk = int(std::min<DWORD>(cbBuf - done, 1u << 30));
    int n = send(p->s, reinterpret_cast<const char*>(pBuffer) + done, chunk, 0);
    if (n == SOCKET_ERROR) {
      DWORD error = DWORD(WSAGetLastError());
      if (error != DWORD(WSAETIMEDOUT)) Disconnect(p);
      *pcbWritten = done;
      SetLastError(error);
      return done > 0 ? TRUE : FALSE;  // a partial write succeeds; the caller sends the rest again
    }
    done += DWORD(n);
  }
  *pcbWritten = done;
  return TRUE;
}

BOOL WINAPI ReadPort(HANDLE hPort, LPBYTE pBuffer, DWORD cbBuffer, LPDWORD pcbRead) {
  TcpPort* p = PortOf(hPort);
  if (!p || !pcbRead || (!pBuffer && cbBuffer)) {
    if (p) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *pcbRead = 0;
  std::lock_guard<std::mutex> lock(p->mu);
  if (p->s == INVALID_SOCKET || cbBuffer == 0) return TRUE;
  WSAPOLLFD pf{p->s, POLLRDNORM, 0};
  if (WSAPoll(&pf, 1, 0) <= 0) return TRUE;
  int n = recv(p->s, reinterpret_cast<char*>(pBuffer), int(std::min<DWORD>(cbBuffer, 1u << 30)), 0);
  if (n > 0) {
    *pcbRead = DWORD(n);
    return TRUE;
  }
  Disconnect(p);  // the printer closed the connection or it broke
  SetLastError(ERROR_DEVICE_NOT_CONNECTED);
  return FALSE;
}

BOOL WINAPI EndDocPort(HANDLE hPort) {
  TcpPort* p = PortOf(hPort);
  if (!p) return FALSE;
  std::lock_guard<std::mutex> lock(p->mu);
  p->inJob = false;
  Finish(p);
  p->lost = false;
  return TRUE;
}

BOOL WINAPI ClosePort(HANDLE hPort) {
  TcpPort* p = PortOf(hPort);
  if (!p) return FALSE;
  {
    std::lock_guard<std::mutex> lock(p->mu);
    Disconnect(p);
  }
  delete p;
  return TRUE;
}

// Answers a device I/O control the way a local port's driver would, from
// the connection's state.
BOOL Control(TcpPort* p, DWORD id, std::string* answer) {
  switch (id) {
    case IOCTL_PAR_QUERY_DEVICE_ID:
      if (p->config.deviceId.empty()) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
      }
      *answer = p->config.deviceId;
      return TRUE;
    case IOCTL_USBPRINT_VENDOR_GET_COMMAND: {
      ULONG n = 0;
      if (p->s != INVALID_SOCKET) {
        WSAPOLLFD pf{p->s, POLLRDNORM, 0};
        if (WSAPoll(&pf, 1, 0) > 0 && ioctlsocket(p->s, FIONREAD, &n) == 0 && n == 0) {
          Disconnect(p);  // readable with nothing to read: the printer went away
          SetLastError(ERROR_CRC);
          return FALSE;
        }
      }
      DWORD waiting = DWORD(n);
      answer->assign(reinterpret_cast<const char*>(&waiting), sizeof waiting);
      return TRUE;
    }
    case IOCTL_PAR_QUERY_INFORMATION:
      answer->assign(1, char(p->s == INVALID_SOCKET ? PARALLEL_NOT_CONNECTED : PARALLEL_SELECTED));
      return TRUE;
    case IOCTL_IEEE1284_GET_MODE: {
      PARCLASS_NEGOTIATION_MASK m{NIBBLE, CENTRONICS};
      answer->assign(reinterpret_cast<const char*>(&m), sizeof m);
      return TRUE;
    }
    case IOCTL_SERIAL_GET_TIMEOUTS:
      answer->assign(reinterpret_cast<const char*>(&p->timeouts), sizeof p->timeouts);
      return TRUE;
    case IOCTL_PAR_GET_DEVICE_CAPS:
    case IOCTL_IEEE1284_NEGOTIATE:
    case IOCTL_USBPRINT_VENDOR_SET_COMMAND:
    case IOCTL_USBPRINT_SOFT_RESET:
      answer->clear();
      return TRUE;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
}

BOOL WINAPI GetPrinterDataFromPort(HANDLE hPort, DWORD ControlID, LPWSTR, LPWSTR lpInBuffer, DWORD cbInBuffer,
                                   LPWSTR lpOutBuffer, DWORD cbOutBuffer, LPDWORD lpcbReturned) {
  TcpPort* p = PortOf(hPort);
  if (!p) return FALSE;
  if (lpcbReturned) *lpcbReturned = 0;
  if (ControlID == 0) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(p->mu);
  if (ControlID == IOCTL_SERIAL_SET_TIMEOUTS && lpInBuffer && cbInBuffer >= sizeof(COMMTIMEOUTS)) {
    std::memcpy(&p->timeouts, lpInBuffer, sizeof(COMMTIMEOUTS));
    ApplyWriteTimeout(p);
    return TRUE;
  }
  std::string answer;
  if (!Control(p, ControlID, &answer)) return FALSE;
  if (answer.size() > cbOutBuffer || (!lpOutBuffer && !answer.empty())) {
    if (lpcbReturned) *lpcbReturned = DWORD(answer.size());
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  if (!answer.empty()) std::memcpy(lpOutBuffer, answer.data(), answer.size());
  if (lpcbReturned) *lpcbReturned = DWORD(answer.size());
  return TRUE;
}

BOOL WINAPI SetPortTimeOuts(HANDLE hPort, LPCOMMTIMEOUTS lpCTO, DWORD) {
  TcpPort* p = PortOf(hPort);
  if (!p) return FALSE;
  if (!lpCTO) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(p->mu);
  p->timeouts = *lpCTO;
  ApplyWriteTimeout(p);
  return TRUE;
}

VOID WINAPI Shutdown(HANDLE) {}

}  // namespace

void TcpPortDefine(const std::string& portName, const TcpPortConfig& config) {
  std::lock_guard<std::mutex> lock(M().mu);
  M().configs[Fold(portName)] = config;
}

void TcpPortsClear() {
  std::lock_guard<std::mutex> lock(M().mu);
  M().configs.clear();
}

MONITOR2* TcpPortMonitor(HANDLE* hMonitor) {
  static MONITOR2 table = [] {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);  // held for the life of the process, as the spooler's port monitor does
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

}  // namespace kw
