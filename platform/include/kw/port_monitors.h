// The layer's own lower port monitor: the raw TCP port (the standard network
// printing port). A port name is bound to a host and TCP port; a job is one
// connection (made at StartDocPort or the first write, ended at EndDocPort),
// and the printer's replies are read on the same connection.
#pragma once
#include <cstdint>
#include <string>

#include "win/monitor.h"

namespace kw {

struct TcpPortConfig {
  std::string host = "127.0.0.1";
  uint16_t port = 9100;
  // What the port answers to IOCTL_PAR_QUERY_DEVICE_ID: the IEEE 1284 device
  // ID of the printer behind it (empty: the query fails).
  std::string deviceId;
};

// Binds a port name (compared ignoring case) to a printer's address.
void TcpPortDefine(const std::string& portName, const TcpPortConfig& config);
void TcpPortsClear();

// The raw TCP port monitor's function table and monitor handle, as the
// spooler holds them after initialising it.
MONITOR2* TcpPortMonitor(HANDLE* hMonitor);

}  // namespace kw
