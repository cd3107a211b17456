// Layer-internal: the BSD socket calls behind the Winsock functions. Kept in
// a file of its own because the C library's socket headers and the Winsock
// declarations cannot meet in one source file. Errors come back as Winsock
// codes through `*err`.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kw::net {

struct Endpoint {
  uint32_t addr;  // network byte order
  uint16_t port;  // network byte order
};

int PosixSocket(int* err);
int PosixClose(int fd);
int PosixConnect(int fd, Endpoint to, int* err);
int PosixBind(int fd, Endpoint at, int* err);
int PosixListen(int fd, int backlog, int* err);
int PosixAccept(int fd, Endpoint* from, int* err);
int PosixLocalName(int fd, Endpoint* at, int* err);
long PosixSend(int fd, const void* buf, size_t len, int* err);
long PosixRecv(int fd, void* buf, size_t len, bool peek, int* err);
int PosixShutdown(int fd, int how, int* err);
// Timeouts in real nanoseconds; 0 waits for ever.
int PosixSetTimeout(int fd, bool sending, int64_t ns, int* err);
int PosixSetFlag(int fd, int option, bool on, int* err);  // option: 1 nodelay, 2 keepalive, 3 reuseaddr
int PosixAvailable(int fd, uint32_t* count, int* err);
int PosixSetNonBlocking(int fd, bool on, int* err);
// revents use the Winsock poll bits; timeout in real milliseconds, -1 for ever.
int PosixPoll(const int* fds, const short* events, short* revents, size_t count, int timeoutMs, int* err);
// Resolves a host (name or dotted address) and service to IPv4 endpoints.
int PosixResolve(const char* host, const char* service, bool numericHost, std::vector<Endpoint>* out, int* err);
bool PosixParseDotted(const char* text, uint32_t* addr);

}  // namespace kw::net
