#include "tests/langmon/support/monitor_fixture.h"

#include "kw/hooks_time.h"
#include "kw/hooks_waits.h"
#include "kw/port_monitors.h"
#include "langmon/entry_points.h"

namespace langmon_test {

std::string StatusBlock(const std::string& header, int code, bool online, int secondary) {
  std::string b = header + "\r\nCODE=" + std::to_string(code) + "\r\nDISPLAY=\"PANEL\"\r\n";
  if (secondary) b += "CODE2=" + std::to_string(secondary) + "\r\nDISPLAY2=\"\"\r\n";
  return b + "ONLINE=" + (online ? "TRUE" : "FALSE") + "\r\n\f";
}

std::string InfoStatus(int code, bool online) { return StatusBlock("@PJL INFO STATUS", code, online); }
std::string UStatus(int code, bool online) { return StatusBlock("@PJL USTATUS DEVICE", code, online); }

std::vector<kw::hooks::LockedWait> LockRuleBreaks() {
  std::vector<kw::hooks::LockedWait> out;
  for (const auto& w : kw::hooks::WaitsWhileLocked())
    if (w.object != "mutex" && w.object != "socket") out.push_back(w);
  return out;
}

void MonitorTest::SetUp() {
  WorldFixture::SetUp();
  kw::hooks::TimeSetScale(scale_);
  kw::hooks::PrintersClear();
  kw::hooks::PortDoubleReset();
  kw::TcpPortsClear();
  InstallPrinter(kPrinter, "USB001");
  WriteCapabilityFile(kDriver, Capability{});
  host_ = kw::MonitorHostStart(InitializePrintMonitor2);
  ASSERT_NE(host_, nullptr);
  kw::hooks::WaitsClearRecord();
  kw::hooks::WaitsWatchLock(&Monitor()->lock, "monitor");
}

void MonitorTest::TearDown() {
  std::vector<kw::hooks::LockedWait> breaks = LockRuleBreaks();
  for (const auto& w : breaks)
    ADD_FAILURE() << w.call << " on " << w.object << " (" << w.milliseconds << " ms) with the monitor lock held at depth "
                  << w.depth;
  kw::MonitorHostStop(host_);  // closes what a test left open
  host_ = nullptr;
  kw::hooks::WaitsClearRecord();
  kw::hooks::TimeSetScale(1);
  WorldFixture::TearDown();
}

namespace {

void MakeFolders(const std::string& path) {
  for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
    CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
  CreateDirectoryA(path.c_str(), nullptr);
}

}  // namespace

void MonitorTest::InstallPrinter(const std::string& printer, const std::string& port, const std::string& driver) {
  kw::hooks::PrinterSetup s;
  s.name = printer;
  s.driverName = driver;
  s.driverPath = std::string(kDriverFolder) + "\\KADU_UM.DLL";
  s.portName = port;
  kw::hooks::PrinterInstall(s);
}

void MonitorTest::WriteCapabilityFile(const std::string& driver, const Capability& cap) {
  MakeFolders(kDriverFolder);
  std::string file = std::string(kDriverFolder) + "\\qelkadu.cap";
  std::string section = "CAP_" + driver;
  for (char& c : section)
    if (c == ' ') c = '_';
  WritePrivateProfileStringA("Capability", driver.c_str(), cap.present ? section.c_str() : nullptr, file.c_str());
  auto put = [&](const char* key, const std::string& v) {
    WritePrivateProfileStringA(section.c_str(), key, v.c_str(), file.c_str());
  };
  put("StatusRequest", std::to_string(cap.statusRequest));
  put("AdjustDCS", std::to_string(cap.adjustDcs));
  put("USBBufferClear", std::to_string(cap.usbBufferClear));
  put("StatusMonitorSupportCode", cap.supportCode.empty() ? "NONE" : cap.supportCode);
}

void MonitorTest::SetPrinterData(const std::string& printer, const char* value, DWORD data) {
  std::string key = "System\\CurrentControlSet\\Control\\Print\\Printers\\" + printer + "\\PrinterDriverData";
  HKEY h = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(h, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
  RegCloseKey(h);
}

HANDLE MonitorTest::OpenPort(MONITOR2* lower, HANDLE lowerMonitor, const std::string& port,
                             const std::string& printer) {
  return kw::MonitorHostOpenPort(host_, lower, lowerMonitor, port, printer);
}

HANDLE MonitorTest::OpenDoublePort(const std::string& port, const std::string& printer) {
  kw::hooks::PortDoubleDefine(port);
  kw::hooks::PortDoubleAnswer(port, IOCTL_PAR_QUERY_DEVICE_ID, kDeviceId);
  kw::hooks::PortDoubleReplyTo(port, "@PJL INFO STATUS\r\n", InfoStatus(10001, true));
  HANDLE lowerMonitor;
  MONITOR2* lower = kw::hooks::PortDoubleMonitor(&lowerMonitor);
  return OpenPort(lower, lowerMonitor, port, printer);
}

kw::JobResult MonitorTest::Print(HANDLE port, const std::string& bytes, const std::string& printer, size_t chunk,
                                 DWORD jobId) {
  kw::JobRequest job;
  job.printer = printer;
  job.jobId = jobId;
  job.chunk = chunk;
  job.retryPause = 100;
  return kw::MonitorHostPrintBytes(host_, port, job, bytes);
}

}  // namespace langmon_test
