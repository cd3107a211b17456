// Winsock names and meanings over the BSD sockets of net_posix.cpp. A SOCKET
// is a handle of the kernel handle table, so leaks show in the handle count;
// errors go to the thread's last error, which is what WSAGetLastError reads.
#include <atomic>
#include <cstring>
#include <mutex>

#include "../kernel/waitable.h"
#include "kw/handle_table.h"
#include "kw/hooks_net.h"
#include "net_posix.h"
#include "win/handle.h"
#include "win/net.h"

namespace kw::net {
namespace {

struct Faults {
  std::atomic<int> connectError{0};
  std::atomic<size_t> sendLimit{0};
  std::mutex mu;
  uint64_t sendBudget = 0;
  int sendError = 0;
  std::atomic<int> recvError{0};
};

Faults& F() {
  static Faults* f = new Faults;
  return *f;
}

std::atomic<int> g_startups{0};
std::atomic<size_t> g_open{0};

struct Sock {
  int fd;
};

void CloseSock(void* object) {
  auto* s = static_cast<Sock*>(object);
  PosixClose(s->fd);
  delete s;
  --g_open;
}

// The descriptor behind a SOCKET, or -1 with WSAENOTSOCK.
int Fd(SOCKET s) {
  auto* sock = static_cast<Sock*>(HandleGet(reinterpret_cast<HANDLE>(s), HandleKind::Socket));
  if (!sock) {
    WSASetLastError(WSAENOTSOCK);
    return -1;
  }
  return sock->fd;
}

int Error(int err) {
  WSASetLastError(err);
  return SOCKET_ERROR;
}

SOCKET Wrap(int fd) {
  ++g_open;
  return reinterpret_cast<SOCKET>(HandleCreate(HandleKind::Socket, new Sock{fd}, CloseSock));
}

bool Endpoint4(const sockaddr* name, int namelen, Endpoint* e) {
  if (!name || namelen < int(sizeof(sockaddr_in)) || name->sa_family != AF_INET) return false;
  auto* in = reinterpret_cast<const sockaddr_in*>(name);
  *e = Endpoint{in->sin_addr.s_addr, in->sin_port};
  return true;
}

void FillName(Endpoint e, sockaddr* name, int* namelen) {
  if (!name || !namelen || *namelen < int(sizeof(sockaddr_in))) return;
  sockaddr_in in;
  std::memset(&in, 0, sizeof in);
  in.sin_family = AF_INET;
  in.sin_port = e.port;
  in.sin_addr.s_addr = e.addr;
  std::memcpy(name, &in, sizeof in);
  *namelen = sizeof in;
}

// How many bytes a send may pass under the injected faults; -1 when it must fail.
long SendAllowance(long wanted, int* err) {
  Faults& f = F();
  size_t limit = f.sendLimit.load();
  if (limit && size_t(wanted) > limit) wanted = long(limit);
  std::lock_guard<std::mutex> lock(f.mu);
  if (f.sendError == 0) return wanted;
  if (f.sendBudget == 0) {
    *err = f.sendError;
    return -1;
  }
  if (uint64_t(wanted) > f.sendBudget) wanted = long(f.sendBudget);
  return wanted;
}

void SendDone(long sent) {
  Faults& f = F();
  std::lock_guard<std::mutex> lock(f.mu);
  if (f.sendError != 0) f.sendBudget -= uint64_t(sent) > f.sendBudget ? f.sendBudget : uint64_t(sent);
}

}  // namespace
}  // namespace kw::net

using namespace kw::net;

KW_API int WINAPI WSAStartup(WORD versionRequested, LPWSADATA data) {
  if (!data) return WSAEFAULT;
  if (LOBYTE(versionRequested) < 1) return WSAVERNOTSUPPORTED;
  std::memset(data, 0, sizeof *data);
  WORD highest = MAKEWORD(2, 2);
  data->wVersion = LOBYTE(versionRequested) > 2 || (LOBYTE(versionRequested) == 2 && HIBYTE(versionRequested) > 2)
                       ? highest
                       : versionRequested;
  data->wHighVersion = highest;
  std::strcpy(data->szDescription, "WinSock 2.0");
  std::strcpy(data->szSystemStatus, "Running");
  ++g_startups;
  return 0;
}

KW_API int WINAPI WSACleanup(void) {
  int n = g_startups.load();
  while (n > 0 && !g_startups.compare_exchange_weak(n, n - 1)) {
  }
  if (n <= 0) return Error(WSANOTINITIALISED);
  return 0;
}

KW_API int WINAPI WSAGetLastError(void) { return int(GetLastError()); }
KW_API void WINAPI WSASetLastError(int error) { SetLastError(DWORD(error)); }

KW_API int WINAPI closesocket(SOCKET s) {
  if (Fd(s) < 0) return SOCKET_ERROR;
  CloseHandle(reinterpret_cast<HANDLE>(s));
  return 0;
}

KW_API int WINAPI ioctlsocket(SOCKET s, LONG cmd, ULONG* argp) {
  int fd = Fd(s);
  if (fd < 0) return SOCKET_ERROR;
  if (!argp) return Error(WSAEFAULT);
  int err = 0;
  if (cmd == FIONREAD) {
    uint32_t n = 0;
    if (PosixAvailable(fd, &n, &err) < 0) return Error(err);
    *argp = n;
    return 0;
  }
  if (cmd == FIONBIO) return PosixSetNonBlocking(fd, *argp != 0, &err) < 0 ? Error(err) : 0;
  return Error(WSAEINVAL);
}

KW_API int WINAPI WSAPoll(LPWSAPOLLFD fds, ULONG count, INT timeout) {
  if (!fds || count == 0 || count > 1024) return Error(WSAEINVAL);
  int pfd[1024];
  short ev[1024], rev[1024];
  for (ULONG i = 0; i < count; ++i) {
    pfd[i] = Fd(fds[i].fd);
    if (pfd[i] < 0) return SOCKET_ERROR;
    ev[i] = fds[i].events;
  }
  int realMs = -1;
  if (timeout >= 0) {
    kw::RecordWait("WSAPoll", "socket", DWORD(timeout));
    auto ns = kw::RealDuration(DWORD(timeout)).count();
    realMs = timeout == 0 ? 0 : int((ns + 999999) / 1000000);
  }
  int err = 0;
  int rc = PosixPoll(pfd, ev, rev, count, realMs, &err);
  if (rc < 0) return Error(err);
  for (ULONG i = 0; i < count; ++i) fds[i].revents = rev[i];
  return rc;
}

KW_NET_API SOCKET WINAPI socket(int af, int type, int protocol) {
  if (g_startups.load() <= 0) {
    WSASetLastError(WSANOTINITIALISED);
    return INVALID_SOCKET;
  }
  if (af != AF_INET || type != SOCK_STREAM || (protocol != 0 && protocol != IPPROTO_TCP)) {
    WSASetLastError(af != AF_INET ? WSAEAFNOSUPPORT : WSAEPROTONOSUPPORT);
    return INVALID_SOCKET;
  }
  int err = 0;
  int fd = PosixSocket(&err);
  if (fd < 0) {
    WSASetLastError(err);
    return INVALID_SOCKET;
  }
  return Wrap(fd);
}

KW_NET_API int WINAPI connect(SOCKET s, const sockaddr* name, int namelen) {
  int fd = Fd(s);
  if (fd < 0) return SOCKET_ERROR;
  Endpoint e;
  if (!Endpoint4(name, namelen, &e)) return Error(WSAEFAULT);
  if (int injected = F().connectError.load()) return Error(injected);
  int err = 0;
  return PosixConnect(fd, e, &err) < 0 ? Error(err) : 0;
}

KW_NET_API int WINAPI bind(SOCKET s, const sockaddr* name, int namelen) {
  int fd = Fd(s);
  if (fd < 0) return SOCKET_ERROR;
  Endpoint e;
  if (!Endpoint4(name, namelen, &e)) return Error(WSAEFAULT);
  int err = 0;
  return PosixBind(fd, e, &err) < 0 ? Error(err) : 0;
}

KW_NET_API int WINAPI listen(SOCKET s, int backlog) {
  int fd = Fd(s);
  if (fd < 0) return SOCKET_ERROR;
  int err = 0;
  return PosixListen(fd, backlog, &err) < 0 ? Error(err) : 0;
}

KW_NET_API SOCKET WINAPI accept(SOCKET s, sockaddr* addr, int* addrlen) {
  int fd = Fd(s);
  if (fd < 0) return INVALID_SOCKET;
  int err = 0;
  Endpoint from;
  int c = PosixAccept(fd, &from, &err);
  if (c < 0) {
    WSASetLastError(err);
    return INVALID_SOCKET;
  }
  FillName(from, addr, addrlen);
  return Wrap(c);
}

KW_NET_API int WINAPI getsockname(SOCKET s, sockaddr* name, int* namelen) {
  int fd = Fd(s);
  if (fd < 0) return SOCKET_ERROR;
  if (!name || !namelen || *namelen < int(sizeof(sockaddr_in))) return Error(WSAEFAULT);
  int err = 0;
  Endpoint at;
  if (PosixLocalName(fd, &at, &err) < 0) return Error(err);
  FillName(at, name, namelen);
  return 0;
}

KW_NET_API int WINAPI send(SOCKET s, const char* buf, int len, int) {
  int fd = Fd(s);
  if (fd < 0) return SOCKET_ERROR;
  if (len < 0 || (!buf && len > 0)) return Error(WSAEFAULT);
  int err = 0;
  long allowed = SendAllowance(len, &err);
  if (allowed < 0) return Error(err);
  long n = PosixSend(fd, buf, size_t(allowed), &err);
  if (n < 0) return Error(err);
  SendDone(n);
  return int(n);
}

KW_NET_API int WINAPI recv(SOCKET s, char* buf, int len, int flags) {
  int fd = Fd(s);
  if (fd < 0) return SOCKET_ERROR;
  if (len < 0 || (!buf && len > 0)) return Error(WSAEFAULT);
  if (int injected = F().recvError.load()) return Error(injected);
  int err = 0;
  long n = PosixRecv(fd, buf, size_t(len), (flags & 2) != 0, &err);  // MSG_PEEK is 2
  return n < 0 ? Error(err) : int(n);
}

KW_NET_API int WINAPI shutdown(SOCKET s, int how) {
  int fd = Fd(s);
  if (fd < 0) return SOCKET_ERROR;
  int err = 0;
  return PosixShutdown(fd, how, &err) < 0 ? Error(err) : 0;
}

KW_NET_API int WINAPI setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen) {
  int fd = Fd(s);
  if (fd < 0) return SOCKET_ERROR;
  if (!optval || optlen < int(sizeof(DWORD))) return Error(WSAEFAULT);
  DWORD v;
  std::memcpy(&v, optval, sizeof v);
  int err = 0;
  int rc;
  if (level == SOL_SOCKET && (optname == SO_SNDTIMEO || optname == SO_RCVTIMEO))
    rc = PosixSetTimeout(fd, optname == SO_SNDTIMEO, v ? kw::RealDuration(v).count() : 0, &err);
  else if (level == IPPROTO_TCP && optname == TCP_NODELAY)
    rc = PosixSetFlag(fd, 1, v != 0, &err);
  else if (level == SOL_SOCKET && optname == SO_KEEPALIVE)
    rc = PosixSetFlag(fd, 2, v != 0, &err);
  else if (level == SOL_SOCKET && optname == SO_REUSEADDR)
    rc = PosixSetFlag(fd, 3, v != 0, &err);
  else
    return Error(WSAENOPROTOOPT);
  return rc < 0 ? Error(err) : 0;
}

KW_NET_API int WINAPI getaddrinfo(PCSTR node, PCSTR service, const ADDRINFOA* hints, PADDRINFOA* result) {
  if (!result || (!node && !service)) return WSAEINVAL;
  *result = nullptr;
  if (hints && hints->ai_family != AF_UNSPEC && hints->ai_family != AF_INET) return WSAEAFNOSUPPORT;
  std::vector<Endpoint> found;
  int err = 0;
  bool numeric = hints && (hints->ai_flags & AI_NUMERICHOST);
  if (PosixResolve(node, service, numeric, &found, &err) < 0) {
    WSASetLastError(err);
    return err;
  }
  if (found.empty()) {
    WSASetLastError(WSANO_DATA);
    return WSANO_DATA;
  }
  ADDRINFOA** tail = result;
  for (const Endpoint& e : found) {
    auto* ai = new ADDRINFOA{};
    auto* in = new sockaddr_in{};
    in->sin_family = AF_INET;
    in->sin_port = e.port;
    in->sin_addr.s_addr = e.addr;
    ai->ai_family = AF_INET;
    ai->ai_socktype = SOCK_STREAM;
    ai->ai_protocol = IPPROTO_TCP;
    ai->ai_addrlen = sizeof(sockaddr_in);
    ai->ai_addr = reinterpret_cast<sockaddr*>(in);
    *tail = ai;
    tail = &ai->ai_next;
  }
  return 0;
}

KW_NET_API void WINAPI freeaddrinfo(PADDRINFOA info) {
  while (info) {
    PADDRINFOA next = info->ai_next;
    delete reinterpret_cast<sockaddr_in*>(info->ai_addr);
    delete info;
    info = next;
  }
}

KW_NET_API ULONG WINAPI inet_addr(const char* cp) {
  uint32_t a;
  if (!cp || !PosixParseDotted(cp, &a)) return INADDR_NONE;
  return a;
}

KW_NET_API USHORT WINAPI htons(USHORT v) { return USHORT((v >> 8) | (v << 8)); }
KW_NET_API USHORT WINAPI ntohs(USHORT v) { return htons(v); }
KW_NET_API ULONG WINAPI htonl(ULONG v) { return __builtin_bswap32(v); }
KW_NET_API ULONG WINAPI ntohl(ULONG v) { return htonl(v); }

namespace kw::hooks {

void NetFailConnect(int error) { net::F().connectError = error; }
void NetSendLimit(size_t bytes) { net::F().sendLimit = bytes; }
void NetFailSendAfter(uint64_t bytes, int error) {
  net::Faults& f = net::F();
  std::lock_guard<std::mutex> lock(f.mu);
  f.sendBudget = bytes;
  f.sendError = error;
}
void NetFailRecv(int error) { net::F().recvError = error; }
void NetResetFaults() {
  NetFailConnect(0);
  NetSendLimit(0);
  NetFailSendAfter(0, 0);
  NetFailRecv(0);
}
size_t NetOpenSockets() { return net::g_open.load(); }

}  // namespace kw::hooks
