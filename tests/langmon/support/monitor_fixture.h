// A language monitor hosted as the spooler hosts it, in a fresh world with
// one printer of the driver, its capability file, and the lock rule checked
// at the end of every test: no thread may wait for time, an event or a
// thread while it holds the monitor lock.
#pragma once
#include <string>
#include <vector>

#include "kw/hooks_port_double.h"
#include "kw/hooks_printers.h"
#include "kw/hooks_waits.h"
#include "kw/monitor_host.h"
#include "langmon/operations.h"
#include "tests/support/world_fixture.h"
#include "windows.h"

namespace langmon_test {

inline constexpr char kPrinter[] = "KADU Printer";
inline constexpr char kDriver[] = "KADU Desktop";
inline constexpr char kDriverFolder[] = "C:\\Windows\\System32\\spool\\drivers\\x64\\3";
inline constexpr char kDeviceId[] = "MFG:Halvorn;CMD:PJL,PCLXL,PCL;MDL:KADU Desktop;CLS:PRINTER;";
inline constexpr char kUel[] = "\x1b%-12345X";
inline constexpr char kHeader1[] = "\x1b%-12345X@PJL USTATUS DEVICE=ON\n@PJL INFO STATUS\r\n\x1b%-12345X";

struct Capability {
  int statusRequest = 1;
  int adjustDcs = 0;
  int usbBufferClear = 0;
  std::string supportCode;
  bool present = true;  // false: the driver has no entry in the file
};

// A status block as the printer sends it.
std::string StatusBlock(const std::string& header, int code, bool online, int secondary = 0);
std::string InfoStatus(int code, bool online);
std::string UStatus(int code, bool online);

// Waits that broke the lock rule (mutex waits for the shared block are allowed).
std::vector<kw::hooks::LockedWait> LockRuleBreaks();

class MonitorTest : public kadu_test::WorldFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  void InstallPrinter(const std::string& printer, const std::string& port, const std::string& driver = kDriver);
  void WriteCapabilityFile(const std::string& driver, const Capability& cap);
  void SetPrinterData(const std::string& printer, const char* value, DWORD data);
  // Defines a port of the double with a PJL device ID and an INFO STATUS answer, and opens it.
  HANDLE OpenDoublePort(const std::string& port, const std::string& printer = kPrinter);
  HANDLE OpenPort(MONITOR2* lower, HANDLE lowerMonitor, const std::string& port, const std::string& printer = kPrinter);
  kw::JobResult Print(HANDLE port, const std::string& bytes, const std::string& printer = kPrinter, size_t chunk = 4096,
                      DWORD jobId = 1);

  const MONITOR2* M() const { return kw::MonitorHostTable(host_); }
  langmon::MonitorRecord* Monitor() const { return static_cast<langmon::MonitorRecord*>(kw::MonitorHostHandle(host_)); }
  static langmon::PortRecord* Port(HANDLE h) { return static_cast<langmon::PortRecord*>(h); }
  // Reads or changes monitor state as the monitor's own threads do: under its lock.
  template <typename F>
  auto Locked(F f) const {
    langmon::LockMonitor(Monitor());
    auto r = f();
    langmon::UnlockMonitor(Monitor());
    return r;
  }

  kw::MonitorHost* host_ = nullptr;
  DWORD scale_ = 50;
};

}  // namespace langmon_test
