// The monitor's entry points over the scriptable lower port.
#include <gtest/gtest.h>

#include <cstring>

#include "kw/hooks_time.h"
#include "kw/hooks_version.h"
#include "langmon/entry_points.h"
#include "langmon/pjl_strings.h"
#include "tests/langmon/support/job_steps.h"
#include "tests/langmon/support/monitor_fixture.h"

using namespace langmon_test;
using kw::hooks::PortDoubleCalls;
using kw::hooks::PortDoubleWritten;

namespace {

std::string Data(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = char("PCL job data\f"[i % 13]);
  return s;
}

MONITOR2* Double() { return kw::hooks::PortDoubleMonitor(nullptr); }
HANDLE DoubleMonitor() {
  HANDLE h;
  kw::hooks::PortDoubleMonitor(&h);
  return h;
}

size_t Count(const std::vector<kw::hooks::PortDoubleCall>& calls, const std::string& call, DWORD control = 0) {
  size_t n = 0;
  for (const auto& c : calls) n += c.call == call && (control == 0 || c.controlId == control);
  return n;
}

}  // namespace

TEST_F(MonitorTest, TableHoldsTheMonitorsFunctionsOnly) {
  const MONITOR2* t = M();
  EXPECT_EQ(static_cast<const void*>(t), kw::MonitorHostHandle(host_));
  EXPECT_EQ(t->cbSize, sizeof(MONITOR2));
  EXPECT_TRUE(t->pfnOpenPortEx && t->pfnStartDocPort && t->pfnWritePort && t->pfnReadPort && t->pfnEndDocPort &&
              t->pfnClosePort && t->pfnGetPrinterDataFromPort && t->pfnShutdown);
  EXPECT_FALSE(t->pfnEnumPorts || t->pfnOpenPort || t->pfnAddPort || t->pfnAddPortEx || t->pfnConfigurePort ||
               t->pfnDeletePort || t->pfnSetPortTimeOuts || t->pfnXcvOpenPort || t->pfnXcvDataPort ||
               t->pfnXcvClosePort || t->pfnSendRecvBidiDataFromPort);
}

TEST_F(MonitorTest, OpenRefusesIncompleteLowerAndBusyPorts) {
  kw::hooks::PortDoubleDefine("USB001");
  MONITOR2 incomplete = *Double();
  incomplete.pfnReadPort = nullptr;
  EXPECT_EQ(OpenPort(&incomplete, DoubleMonitor(), "USB001"), nullptr);
  EXPECT_EQ(GetLastError(), 3007u);
  HANDLE h = OpenDoublePort("USB001");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(OpenPort(Double(), DoubleMonitor(), "usb001"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_BUSY));
  EXPECT_TRUE(M()->pfnClosePort(h));
}

TEST_F(MonitorTest, APortThatFailedToOpenIsNotLeftBusy) {
  kw::hooks::PortDoubleDefine("USB001");
  kw::hooks::PortDoubleFailOpen("USB001", ERROR_ACCESS_DENIED);
  EXPECT_EQ(OpenPort(Double(), DoubleMonitor(), "USB001"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_EQ(Monitor()->ports, nullptr);
  kw::hooks::PortDoubleFailOpen("USB001", 0);
  HANDLE h = OpenPort(Double(), DoubleMonitor(), "USB001");
  ASSERT_NE(h, nullptr);
  EXPECT_TRUE(M()->pfnClosePort(h));
}

TEST_F(MonitorTest, ForeignAndStaleHandlesAreRefused) {
  HANDLE h = OpenDoublePort("USB001");
  ASSERT_NE(h, nullptr);
  langmon::PortRecord fake{};
  fake.signature = langmon::kPortSignature;
  DWORD n = 5;
  BYTE b = 0;
  EXPECT_FALSE(M()->pfnWritePort(&fake, &b, 1, &n));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_EQ(n, 0u);
  EXPECT_FALSE(M()->pfnEndDocPort(nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(M()->pfnClosePort(h));
  EXPECT_FALSE(M()->pfnWritePort(h, &b, 1, &n));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(M()->pfnClosePort(h));
  EXPECT_FALSE(M()->pfnOpenPortEx(&fake, nullptr, const_cast<LPWSTR>(u"USB002"), nullptr, &h, Double()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST_F(MonitorTest, UsbJobGetsTheStatusHeaderInFront) {
  HANDLE h = OpenDoublePort("USB001");
  std::string data = Data(100000);
  kw::JobResult r = Print(h, data);
  EXPECT_TRUE(r.started && r.completed && r.ended);
  EXPECT_EQ(r.written, data.size());
  EXPECT_EQ(PortDoubleWritten("USB001"), std::string(kHeader1) + data);
  EXPECT_EQ(kw::hooks::PrinterJobLastControl(kPrinter, 1), DWORD(JOB_CONTROL_LAST_PAGE_EJECTED));
  EXPECT_EQ(kw::hooks::PrinterOpenHandles(), 0u);
  M()->pfnClosePort(h);
  EXPECT_FALSE(kw::hooks::PortDoubleIsOpen("USB001"));
}

TEST_F(MonitorTest, MakersStatusRequestAndAdjustDcsQueryInTheHeader) {
  Capability cap;
  cap.statusRequest = 2;
  cap.adjustDcs = 1;
  WriteCapabilityFile(kDriver, cap);
  HANDLE h = OpenDoublePort("USB001");
  Print(h, "DATA");
  EXPECT_EQ(PortDoubleWritten("USB001"), std::string(kUel) + "@PJL USTATUS QELDEVICE=ON\n@PJL INFO QELSTATUS\r\n" +
                                             "@PJL DINQUIRE QELXFERADJUSTDCS\r\n" + kUel + "DATA");
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, JobModeOneNeedsNoHeaderAndNeverFails) {
  HANDLE h = OpenDoublePort("USB001");
  ASSERT_TRUE(StartDoc(M(), h, kPrinter, 1, 2, 1));
  for (int i = 0; i < 4; ++i) {
    DWORD n = 0;
    EXPECT_TRUE(Write(M(), h, "page", &n)) << i;
    EXPECT_EQ(n, 4u) << i;
  }
  EXPECT_TRUE(M()->pfnEndDocPort(h));
  EXPECT_EQ(PortDoubleWritten("USB001"), "pagepagepagepage");
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, FailedHeaderFailsOnceThenSucceedsEmptyThenRetries) {
  HANDLE h = OpenDoublePort("USB001");
  ASSERT_TRUE(StartDoc(M(), h, kPrinter));
  kw::hooks::PortDoubleFailWrites("USB001", 1, 1, ERROR_WRITE_FAULT);
  DWORD n = 9;
  EXPECT_FALSE(Write(M(), h, "DATA", &n));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_WRITE_FAULT));
  EXPECT_EQ(n, 0u);
  EXPECT_TRUE(Write(M(), h, "DATA", &n));
  EXPECT_EQ(n, 0u);
  EXPECT_TRUE(Write(M(), h, "DATA", &n));
  EXPECT_EQ(n, 4u);
  EXPECT_TRUE(M()->pfnEndDocPort(h));
  EXPECT_EQ(PortDoubleWritten("USB001"), std::string(kHeader1) + "DATA");
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, PartialWritesLoseNothing) {
  HANDLE h = OpenDoublePort("USB001");
  kw::hooks::PortDoubleWriteLimit("USB001", 7);
  std::string data = Data(5000);
  kw::JobResult r = Print(h, data, kPrinter, 1000);
  EXPECT_TRUE(r.completed);
  EXPECT_EQ(PortDoubleWritten("USB001"), std::string(kHeader1) + data);
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, AdjustDcsTokenIsAnsweredNotPrinted) {
  Capability cap;
  cap.adjustDcs = 1;
  WriteCapabilityFile(kDriver, cap);
  HANDLE h = OpenDoublePort("USB001");
  kw::hooks::PortDoubleReplyTo("USB001", "@PJL DINQUIRE QELXFERADJUSTDCS\r\n",
                               "@PJL DINQUIRE QELXFERADJUSTDCS\r\n12,3.5, 7\r\n\f");
  ASSERT_TRUE(StartDoc(M(), h, kPrinter));
  DWORD n = 0;
  EXPECT_TRUE(Write(M(), h, "QelXferAdjustDCS", &n));
  EXPECT_EQ(n, 16u);
  EXPECT_TRUE(M()->pfnEndDocPort(h));
  std::string written = PortDoubleWritten("USB001");
  EXPECT_EQ(written, std::string(kUel) + "@PJL DINQUIRE QELXFERADJUSTDCS\r\n" + kUel);
  EXPECT_EQ(written.find("QelXferAdjustDCS"), std::string::npos);
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Halvorn\\USB001", 0, KEY_READ, &key), ERROR_SUCCESS);
  char value[32] = {};
  DWORD type = 0, size = sizeof value;
  EXPECT_EQ(RegQueryValueExA(key, "QelXferAdjustDCS", nullptr, &type, reinterpret_cast<BYTE*>(value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_BINARY));
  EXPECT_EQ(std::string(value, size), "12,3.5, 7");
  DWORD date = 0;
  size = sizeof date;
  EXPECT_EQ(RegQueryValueExA(key, "Date", nullptr, &type, reinterpret_cast<BYTE*>(&date), &size), ERROR_SUCCESS);
  EXPECT_GT(date, 1600000000u);
  RegCloseKey(key);
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, DottedAddressPortPassesDataAndIsNeverQueried) {
  HANDLE h = OpenDoublePort("192.168.1.20");
  ASSERT_NE(h, nullptr);
  kw::JobResult r = Print(h, "RAW JOB");
  EXPECT_TRUE(r.completed);
  EXPECT_EQ(PortDoubleWritten("192.168.1.20"), "RAW JOB");
  EXPECT_EQ(Count(PortDoubleCalls("192.168.1.20"), "GetPrinterDataFromPort"), 0u);
  EXPECT_EQ(Count(PortDoubleCalls("192.168.1.20"), "ReadPort"), 0u);
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, WsdPortWithoutDataWritesOnceEmptyBeforeEndDoc) {
  HANDLE h = OpenDoublePort("WSD-4d2a");
  ASSERT_TRUE(StartDoc(M(), h, kPrinter));
  ASSERT_TRUE(M()->pfnEndDocPort(h));
  auto calls = PortDoubleCalls("WSD-4d2a");
  size_t end = 0;
  while (end < calls.size() && calls[end].call != "EndDocPort") ++end;
  ASSERT_LT(end, calls.size());
  ASSERT_GT(end, 0u);
  EXPECT_EQ(calls[end - 1].call, "WritePort");
  EXPECT_EQ(calls[end - 1].size, 0u);
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, ControlSevenOnUsbIsASoftReset) {
  HANDLE usb = OpenDoublePort("USB001");
  DWORD got = 0;
  EXPECT_TRUE(M()->pfnGetPrinterDataFromPort(usb, 7, nullptr, nullptr, 0, nullptr, 0, &got));
  EXPECT_EQ(Count(PortDoubleCalls("USB001"), "GetPrinterDataFromPort", IOCTL_USBPRINT_SOFT_RESET), 1u);
  HANDLE lpt = OpenDoublePort("LPT1:");
  EXPECT_FALSE(M()->pfnGetPrinterDataFromPort(lpt, 7, nullptr, nullptr, 0, nullptr, 0, &got));
  EXPECT_EQ(Count(PortDoubleCalls("LPT1:"), "GetPrinterDataFromPort", 7), 1u);
  M()->pfnClosePort(usb);
  M()->pfnClosePort(lpt);
}

TEST_F(MonitorTest, SecondStartDocLeavesTheRunningJobAlone) {
  InstallPrinter("Other Printer", "USB001");
  HANDLE h = OpenDoublePort("USB001");
  ASSERT_TRUE(StartDoc(M(), h, kPrinter, 1));
  kw::hooks::PrinterCallsClear();
  EXPECT_FALSE(StartDoc(M(), h, "Other Printer", 2));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_BUSY));
  EXPECT_STREQ(Port(h)->printerName, kPrinter);
  for (const auto& c : kw::hooks::PrinterCalls()) EXPECT_NE(c.call, "OpenPrinterA");
  EXPECT_TRUE(Write(M(), h, "DATA"));
  EXPECT_TRUE(M()->pfnEndDocPort(h));
  EXPECT_EQ(kw::hooks::PrinterJobLastControl(kPrinter, 1), DWORD(JOB_CONTROL_LAST_PAGE_EJECTED));
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, FailedWritesAreForgivenUntilTheBusyTimeout) {
  Capability cap;
  cap.statusRequest = 0;  // no status thread
  WriteCapabilityFile(kDriver, cap);
  SetPrinterData(kPrinter, "BusyTimeOut", 30000);
  HANDLE h = OpenDoublePort("USB001");
  ASSERT_TRUE(StartDoc(M(), h, kPrinter));
  EXPECT_EQ(Port(h)->busyTimeout, 30000u);
  ASSERT_TRUE(Write(M(), h, "A"));
  kw::hooks::PortDoubleFailWrites("USB001", 1, 1000, ERROR_GEN_FAILURE);
  DWORD n = 9;
  EXPECT_TRUE(Write(M(), h, "B", &n));
  EXPECT_EQ(n, 0u);
  Sleep(31000);
  EXPECT_FALSE(Write(M(), h, "B", &n));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_GEN_FAILURE));
  kw::hooks::PortDoubleFailWrites("USB001", 1, 0, 0);
  EXPECT_TRUE(Write(M(), h, "B", &n));
  EXPECT_EQ(n, 1u);
  EXPECT_TRUE(M()->pfnEndDocPort(h));
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, VersionDependentSizes) {
  struct Case {
    DWORD major, minor;
    DWORD cbSize, readChunk;
  };
  const Case cases[] = {
      {5, 0, DWORD(offsetof(MONITOR2, pfnSendRecvBidiDataFromPort)), 4096},
      {5, 1, DWORD(sizeof(MONITOR2)), 65536},
      {6, 0, DWORD(sizeof(MONITOR2)), 65536},
  };
  for (const Case& c : cases) {
    kw::hooks::SystemVersion v;
    v.major = c.major;
    v.minor = c.minor;
    kw::hooks::SetSystemVersion(v);
    kw::MonitorHost* host = kw::MonitorHostStart(InitializePrintMonitor2);
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(kw::MonitorHostTable(host)->cbSize, c.cbSize) << c.major << "." << c.minor;
    kw::hooks::PortDoubleDefine("USB009");
    HANDLE h = kw::MonitorHostOpenPort(host, Double(), DoubleMonitor(), "USB009", kPrinter);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(Port(h)->readChunk, c.readChunk);
    kw::MonitorHostStop(host);
  }
  kw::hooks::SetSystemVersion(kw::hooks::SystemVersion{});
}
