// Winsock 2, the part the monitor and its port monitors use, over BSD sockets.
//
// Several Winsock functions have the same names as the C library's socket
// calls (socket, connect, send, recv, …). They are declared here with C++
// linkage, so that they are symbols of their own and never take the place of
// the C library's; a source file that includes this header therefore must not
// include the C library's socket headers as well.
#pragma once
#include "win/base.h"

#ifdef KADU_PLATFORM_BUILD
#define KW_NET_API __attribute__((visibility("default")))
#else
#define KW_NET_API
#endif

typedef UINT_PTR SOCKET;
#define INVALID_SOCKET ((SOCKET)(~(SOCKET)0))
#define SOCKET_ERROR (-1)

#define WSADESCRIPTION_LEN 256
#define WSASYS_STATUS_LEN 128
typedef struct WSAData {
  WORD wVersion;
  WORD wHighVersion;
  char szDescription[WSADESCRIPTION_LEN + 1];
  char szSystemStatus[WSASYS_STATUS_LEN + 1];
  unsigned short iMaxSockets;
  unsigned short iMaxUdpDg;
  char* lpVendorInfo;
} WSADATA, *LPWSADATA;

#define AF_UNSPEC 0
#define AF_INET 2
#define SOCK_STREAM 1
#define IPPROTO_TCP 6
#define SOL_SOCKET 0xffff
#define SO_REUSEADDR 0x0004
#define SO_KEEPALIVE 0x0008
#define SO_SNDTIMEO 0x1005
#define SO_RCVTIMEO 0x1006
#define TCP_NODELAY 0x0001
#define SD_RECEIVE 0
#define SD_SEND 1
#define SD_BOTH 2
#define FIONREAD 0x4004667FL
#define FIONBIO ((LONG)0x8004667Eu)
#define INADDR_ANY 0x00000000u
#define INADDR_LOOPBACK 0x7f000001u
#define INADDR_NONE 0xffffffffu
#define AI_PASSIVE 0x00000001
#define AI_CANONNAME 0x00000002
#define AI_NUMERICHOST 0x00000004
#define SOMAXCONN 0x7fffffff

#define POLLERR 0x0001
#define POLLHUP 0x0002
#define POLLNVAL 0x0004
#define POLLWRNORM 0x0010
#define POLLOUT POLLWRNORM
#define POLLRDNORM 0x0100
#define POLLRDBAND 0x0200
#define POLLIN (POLLRDNORM | POLLRDBAND)

typedef struct pollfd_ws {
  SOCKET fd;
  SHORT events;
  SHORT revents;
} WSAPOLLFD, *PWSAPOLLFD, *LPWSAPOLLFD;

typedef struct in_addr {
  union {
    struct { UCHAR s_b1, s_b2, s_b3, s_b4; } S_un_b;
    struct { USHORT s_w1, s_w2; } S_un_w;
    ULONG S_addr;
  } S_un;
} IN_ADDR, *PIN_ADDR;
#define s_addr S_un.S_addr

struct sockaddr {
  USHORT sa_family;
  CHAR sa_data[14];
};
typedef struct sockaddr SOCKADDR;

struct sockaddr_in {
  SHORT sin_family;
  USHORT sin_port;
  IN_ADDR sin_addr;
  CHAR sin_zero[8];
};
typedef struct sockaddr_in SOCKADDR_IN;

typedef struct addrinfo {
  int ai_flags;
  int ai_family;
  int ai_socktype;
  int ai_protocol;
  size_t ai_addrlen;
  char* ai_canonname;
  struct sockaddr* ai_addr;
  struct addrinfo* ai_next;
} ADDRINFOA, *PADDRINFOA;

// Winsock error codes.
#define WSABASEERR 10000
#define WSAEINTR 10004L
#define WSAEBADF 10009L
#define WSAEACCES 10013L
#define WSAEFAULT 10014L
#define WSAEINVAL 10022L
#define WSAEMFILE 10024L
#define WSAEWOULDBLOCK 10035L
#define WSAEINPROGRESS 10036L
#define WSAEALREADY 10037L
#define WSAENOTSOCK 10038L
#define WSAEMSGSIZE 10040L
#define WSAENOPROTOOPT 10042L
#define WSAEPROTONOSUPPORT 10043L
#define WSAEAFNOSUPPORT 10047L
#define WSAEADDRINUSE 10048L
#define WSAEADDRNOTAVAIL 10049L
#define WSAENETDOWN 10050L
#define WSAENETUNREACH 10051L
#define WSAENETRESET 10052L
#define WSAECONNABORTED 10053L
#define WSAECONNRESET 10054L
#define WSAENOBUFS 10055L
#define WSAEISCONN 10056L
#define WSAENOTCONN 10057L
#define WSAESHUTDOWN 10058L
#define WSAETIMEDOUT 10060L
#define WSAECONNREFUSED 10061L
#define WSAEHOSTUNREACH 10065L
#define WSAVERNOTSUPPORTED 10092L
#define WSANOTINITIALISED 10093L
#define WSAHOST_NOT_FOUND 11001L
#define WSATRY_AGAIN 11002L
#define WSANO_RECOVERY 11003L
#define WSANO_DATA 11004L

KW_API int WINAPI WSAStartup(WORD versionRequested, LPWSADATA data);
KW_API int WINAPI WSACleanup(void);
KW_API int WINAPI WSAGetLastError(void);
KW_API void WINAPI WSASetLastError(int error);
KW_API int WINAPI closesocket(SOCKET s);
KW_API int WINAPI ioctlsocket(SOCKET s, LONG cmd, ULONG* argp);
KW_API int WINAPI WSAPoll(LPWSAPOLLFD fds, ULONG count, INT timeout);

KW_NET_API SOCKET WINAPI socket(int af, int type, int protocol);
KW_NET_API int WINAPI connect(SOCKET s, const struct sockaddr* name, int namelen);
KW_NET_API int WINAPI bind(SOCKET s, const struct sockaddr* name, int namelen);
KW_NET_API int WINAPI listen(SOCKET s, int backlog);
KW_NET_API SOCKET WINAPI accept(SOCKET s, struct sockaddr* addr, int* addrlen);
KW_NET_API int WINAPI getsockname(SOCKET s, struct sockaddr* name, int* namelen);
KW_NET_API int WINAPI send(SOCKET s, const char* buf, int len, int flags);
KW_NET_API int WINAPI recv(SOCKET s, char* buf, int len, int flags);
KW_NET_API int WINAPI shutdown(SOCKET s, int how);
KW_NET_API int WINAPI setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen);
KW_NET_API int WINAPI getaddrinfo(PCSTR node, PCSTR service, const ADDRINFOA* hints, PADDRINFOA* result);
KW_NET_API void WINAPI freeaddrinfo(PADDRINFOA info);
KW_NET_API ULONG WINAPI inet_addr(const char* cp);
KW_NET_API USHORT WINAPI htons(USHORT v);
KW_NET_API USHORT WINAPI ntohs(USHORT v);
KW_NET_API ULONG WINAPI htonl(ULONG v);
KW_NET_API ULONG WINAPI ntohl(ULONG v);
