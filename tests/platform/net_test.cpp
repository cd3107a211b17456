#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kw/hooks_net.h"
#include "windows.h"

namespace {

class Net : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 0), &wsa_), 0);
    kw::hooks::NetResetFaults();
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ASSERT_NE(listener_, INVALID_SOCKET);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = inet_addr("127.0.0.1");
    ASSERT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
    ASSERT_EQ(listen(listener_, 4), 0);
    int len = sizeof at;
    ASSERT_EQ(getsockname(listener_, reinterpret_cast<sockaddr*>(&at), &len), 0);
    port_ = ntohs(at.sin_port);
  }
  void TearDown() override {
    kw::hooks::NetResetFaults();
    closesocket(listener_);
    WSACleanup();
  }
  // A connected pair: the client end and the accepted end.
  void Connect(SOCKET* client, SOCKET* server) {
    *client = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port_);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(connect(*client, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    *server = accept(listener_, nullptr, nullptr);
    ASSERT_NE(*server, INVALID_SOCKET);
  }
  WSADATA wsa_;
  SOCKET listener_ = INVALID_SOCKET;
  USHORT port_ = 0;
};

}  // namespace

TEST_F(Net, StartupReportsVersion) {
  EXPECT_EQ(wsa_.wVersion, MAKEWORD(2, 0));
  EXPECT_EQ(wsa_.wHighVersion, MAKEWORD(2, 2));
}

TEST_F(Net, BytesTravelAndAvailabilityIsReported) {
  SOCKET c, s;
  Connect(&c, &s);
  EXPECT_EQ(send(c, "@PJL INFO STATUS\r\n", 18, 0), 18);
  WSAPOLLFD p{s, POLLRDNORM, 0};
  EXPECT_EQ(WSAPoll(&p, 1, 2000), 1);
  EXPECT_TRUE(p.revents & POLLRDNORM);
  ULONG avail = 0;
  EXPECT_EQ(ioctlsocket(s, FIONREAD, &avail), 0);
  EXPECT_EQ(avail, 18u);
  char buf[32] = {};
  EXPECT_EQ(recv(s, buf, sizeof buf, 0), 18);
  EXPECT_EQ(std::string(buf, 18), "@PJL INFO STATUS\r\n");
  p.revents = 0;
  EXPECT_EQ(WSAPoll(&p, 1, 0), 0);  // nothing more
  EXPECT_EQ(shutdown(c, SD_SEND), 0);
  EXPECT_EQ(recv(s, buf, sizeof buf, 0), 0);  // orderly end
  closesocket(c);
  closesocket(s);
}

TEST_F(Net, InjectedPartialAndFailingSends) {
  SOCKET c, s;
  Connect(&c, &s);
  kw::hooks::NetSendLimit(3);
  EXPECT_EQ(send(c, "abcdef", 6, 0), 3);
  kw::hooks::NetSendLimit(0);
  kw::hooks::NetFailSendAfter(2, WSAECONNRESET);
  EXPECT_EQ(send(c, "def", 3, 0), 2);
  EXPECT_EQ(send(c, "f", 1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
  kw::hooks::NetResetFaults();
  char buf[8];
  int got = 0;
  while (got < 5) got += recv(s, buf + got, sizeof buf - got, 0);
  EXPECT_EQ(std::string(buf, 5), "abcde");
  closesocket(c);
  closesocket(s);
}

TEST_F(Net, RefusedAndInjectedConnectErrors) {
  closesocket(listener_);
  listener_ = INVALID_SOCKET;
  SOCKET c = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port_);
  to.sin_addr.s_addr = inet_addr("127.0.0.1");
  EXPECT_EQ(connect(c, reinterpret_cast<sockaddr*>(&to), sizeof to), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAECONNREFUSED);
  kw::hooks::NetFailConnect(WSAETIMEDOUT);
  EXPECT_EQ(connect(c, reinterpret_cast<sockaddr*>(&to), sizeof to), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAETIMEDOUT);
  closesocket(c);
  EXPECT_EQ(closesocket(c), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
}

TEST_F(Net, ResolvesNamesAndDottedAddresses) {
  EXPECT_EQ(inet_addr("127.0.0.1"), htonl(INADDR_LOOPBACK));
  EXPECT_EQ(inet_addr("not an address"), INADDR_NONE);
  ADDRINFOA hints{};
  hints.ai_family = AF_INET;
  PADDRINFOA res = nullptr;
  ASSERT_EQ(getaddrinfo("localhost", "9100", &hints, &res), 0);
  ASSERT_NE(res, nullptr);
  auto* in = reinterpret_cast<sockaddr_in*>(res->ai_addr);
  EXPECT_EQ(ntohs(in->sin_port), 9100);
  EXPECT_EQ(in->sin_addr.S_un.S_un_b.s_b1, 127);
  freeaddrinfo(res);
}

TEST_F(Net, ReceiveTimeoutFollowsTheClock) {
  SOCKET c, s;
  Connect(&c, &s);
  DWORD ms = 50;
  EXPECT_EQ(setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms), 0);
  char b;
  EXPECT_EQ(recv(s, &b, 1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAETIMEDOUT);
  size_t open = kw::hooks::NetOpenSockets();
  closesocket(c);
  closesocket(s);
  EXPECT_EQ(kw::hooks::NetOpenSockets(), open - 2);
}
