#include "net_posix.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace kw::net {
namespace {

// errno to the Winsock code of the same meaning.
int WsaError(int e) {
  switch (e) {
    case EINTR: return 10004;
    case EBADF: return 10009;
    case EACCES: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: case ENFILE: return 10024;
    case EAGAIN: return 10060;  // a send or receive timeout
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EMSGSIZE: return 10040;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    case ECONNRESET: case EPIPE: return 10054;
    case ENOBUFS: case ENOMEM: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN: return 10058;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case EHOSTUNREACH: return 10065;
    default: return 10022;
  }
}

int Fail(int* err) {
  *err = WsaError(errno);
  return -1;
}

sockaddr_in ToPosix(Endpoint e) {
  sockaddr_in sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sin_family = AF_INET;
  sa.sin_port = e.port;
  sa.sin_addr.s_addr = e.addr;
  return sa;
}

}  // namespace

int PosixSocket(int* err) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  return fd < 0 ? Fail(err) : fd;
}

int PosixClose(int fd) { return ::close(fd); }

int PosixConnect(int fd, Endpoint to, int* err) {
  sockaddr_in sa = ToPosix(to);
  int rc;
  do rc = ::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
  while (rc < 0 && errno == EINTR);
  return rc < 0 ? Fail(err) : 0;
}

int PosixBind(int fd, Endpoint at, int* err) {
  sockaddr_in sa = ToPosix(at);
  return ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) < 0 ? Fail(err) : 0;
}

int PosixListen(int fd, int backlog, int* err) {
  if (backlog > SOMAXCONN) backlog = SOMAXCONN;
  return ::listen(fd, backlog) < 0 ? Fail(err) : 0;
}

int PosixAccept(int fd, Endpoint* from, int* err) {
  sockaddr_in sa;
  socklen_t len = sizeof sa;
  int c;
  do c = ::accept4(fd, reinterpret_cast<sockaddr*>(&sa), &len, SOCK_CLOEXEC);
  while (c < 0 && errno == EINTR);
  if (c < 0) return Fail(err);
  if (from) *from = Endpoint{sa.sin_addr.s_addr, sa.sin_port};
  return c;
}

int PosixLocalName(int fd, Endpoint* at, int* err) {
  sockaddr_in sa;
  socklen_t len = sizeof sa;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len) < 0) return Fail(err);
  *at = Endpoint{sa.sin_addr.s_addr, sa.sin_port};
  return 0;
}

long PosixSend(int fd, const void* buf, size_t len, int* err) {
  ssize_t n;
  do n = ::send(fd, buf, len, MSG_NOSIGNAL);
  while (n < 0 && errno == EINTR);
  return n < 0 ? Fail(err) : long(n);
}

long PosixRecv(int fd, void* buf, size_t len, bool peek, int* err) {
  ssize_t n;
  do n = ::recv(fd, buf, len, peek ? MSG_PEEK : 0);
  while (n < 0 && errno == EINTR);
  return n < 0 ? Fail(err) : long(n);
}

int PosixShutdown(int fd, int how, int* err) {
  int h = how == 0 ? SHUT_RD : how == 1 ? SHUT_WR : SHUT_RDWR;
  return ::shutdown(fd, h) < 0 ? Fail(err) : 0;
}

int PosixSetTimeout(int fd, bool sending, int64_t ns, int* err) {
  timeval tv;
  tv.tv_sec = time_t(ns / 1000000000);
  tv.tv_usec = suseconds_t((ns % 1000000000) / 1000);
  if (ns > 0 && tv.tv_sec == 0 && tv.tv_usec == 0) tv.tv_usec = 1;
  int opt = sending ? SO_SNDTIMEO : SO_RCVTIMEO;
  return ::setsockopt(fd, SOL_SOCKET, opt, &tv, sizeof tv) < 0 ? Fail(err) : 0;
}

int PosixSetFlag(int fd, int option, bool on, int* err) {
  int v = on ? 1 : 0;
  int rc = -1;
  if (option == 1) rc = ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &v, sizeof v);
  if (option == 2) rc = ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &v, sizeof v);
  if (option == 3) rc = ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &v, sizeof v);
  return rc < 0 ? Fail(err) : 0;
}

int PosixAvailable(int fd, uint32_t* count, int* err) {
  int n = 0;
  if (::ioctl(fd, FIONREAD, &n) < 0) return Fail(err);
  *count = uint32_t(n < 0 ? 0 : n);
  return 0;
}

int PosixSetNonBlocking(int fd, bool on, int* err) {
  int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0) return Fail(err);
  flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
  return ::fcntl(fd, F_SETFL, flags) < 0 ? Fail(err) : 0;
}

int PosixPoll(const int* fds, const short* events, short* revents, size_t count, int timeoutMs, int* err) {
  std::vector<pollfd> p(count);
  for (size_t i = 0; i < count; ++i) {
    p[i].fd = fds[i];
    p[i].events = short(((events[i] & 0x0300) ? POLLIN : 0) | ((events[i] & 0x0010) ? POLLOUT : 0));
    p[i].revents = 0;
  }
  int rc;
  do rc = ::poll(p.data(), p.size(), timeoutMs);
  while (rc < 0 && errno == EINTR);
  if (rc < 0) return Fail(err);
  for (size_t i = 0; i < count; ++i) {
    short r = 0;
    if (p[i].revents & POLLIN) r |= 0x0100;
    if (p[i].revents & POLLOUT) r |= 0x0010;
    if (p[i].revents & POLLERR) r |= 0x0001;
    if (p[i].revents & POLLHUP) r |= 0x0002 | (events[i] & 0x0100);  // readable: recv gives the end
    if (p[i].revents & POLLNVAL) r |= 0x0004;
    revents[i] = r;
  }
  return rc;
}

int PosixResolve(const char* host, const char* service, bool numericHost, std::vector<Endpoint>* out, int* err) {
  addrinfo hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  if (numericHost) hints.ai_flags |= AI_NUMERICHOST;
  if (!host) hints.ai_flags |= AI_PASSIVE;
  addrinfo* res = nullptr;
  int rc = ::getaddrinfo(host, service, &hints, &res);
  if (rc != 0) {
    *err = rc == EAI_NONAME ? 11001 : rc == EAI_AGAIN ? 11002 : rc == EAI_SERVICE ? 10109 : 11003;
    return -1;
  }
  for (addrinfo* a = res; a; a = a->ai_next) {
    if (a->ai_family != AF_INET) continue;
    auto* sa = reinterpret_cast<sockaddr_in*>(a->ai_addr);
    out->push_back(Endpoint{sa->sin_addr.s_addr, sa->sin_port});
  }
  ::freeaddrinfo(res);
  return 0;
}

bool PosixParseDotted(const char* text, uint32_t* addr) {
  in_addr a;
  if (::inet_aton(text, &a) == 0) return false;
  *addr = a.s_addr;
  return true;
}

}  // namespace kw::net
