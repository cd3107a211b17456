// Test hooks for the layer's sockets: injected failures and a count of open
// sockets. Error values are Winsock codes (WSAECONNREFUSED, …).
#pragma once
#include <cstddef>
#include <cstdint>

namespace kw::hooks {

// Every connect fails with `error` while it is set; 0 lets connects work again.
void NetFailConnect(int error);
// Every send transmits at most `bytes` bytes (a partial send); 0: no limit.
void NetSendLimit(size_t bytes);
// Sends fail with `error` once `bytes` more bytes have been sent; error 0: off.
void NetFailSendAfter(uint64_t bytes, int error);
// Every recv fails with `error` while it is set; 0: off.
void NetFailRecv(int error);
// Clears every injected failure.
void NetResetFaults();
// Sockets created and not yet closed.
size_t NetOpenSockets();

}  // namespace kw::hooks
