// Status polling, reporting and the queries, over the port double.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "kw/handle_table.h"
#include "kw/hooks_time.h"
#include "langmon/entry_points.h"
#include "tests/langmon/support/job_steps.h"
#include "tests/langmon/support/monitor_fixture.h"

using namespace langmon_test;
using kw::hooks::PrinterStatusHistory;

namespace {

bool HistoryEndsWith(const std::string& printer, DWORD status) {
  auto h = PrinterStatusHistory(printer);
  return !h.empty() && h.back() == status;
}

size_t ControlCalls(const std::string& port, DWORD control) {
  size_t n = 0;
  for (const auto& c : kw::hooks::PortDoubleCalls(port)) n += c.call == "GetPrinterDataFromPort" && c.controlId == control;
  return n;
}

}  // namespace

TEST_F(MonitorTest, StatusChangesReachTheSpoolerAndAreClearedAtTheEnd) {
  HANDLE h = OpenDoublePort("USB001");
  ASSERT_TRUE(StartDoc(M(), h, kPrinter));
  ASSERT_TRUE(Write(M(), h, "DATA"));
  ASSERT_TRUE(WaitFor([] { return HistoryEndsWith(kPrinter, 0); }));
  kw::hooks::PortDoubleQueueRead("USB001", UStatus(48000, false));
  ASSERT_TRUE(WaitFor([] { return HistoryEndsWith(kPrinter, PRINTER_STATUS_PAPER_OUT); }));
  EXPECT_TRUE(WaitFor([&] { return Locked([&] { return (Port(h)->flags & langmon::kAlarm) != 0; }); }));
  kw::hooks::PortDoubleQueueRead("USB001", UStatus(10001, true));
  ASSERT_TRUE(WaitFor([] { return HistoryEndsWith(kPrinter, 0); }));
  EXPECT_TRUE(WaitFor([&] { return Locked([&] { return (Port(h)->flags & langmon::kAlarm) == 0; }); }));
  EXPECT_TRUE(M()->pfnEndDocPort(h));
  EXPECT_EQ(PrinterStatusHistory(kPrinter), (std::vector<DWORD>{0, PRINTER_STATUS_PAPER_OUT, 0, 0}));
  EXPECT_EQ(Port(h)->statusThread, nullptr);
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, ChangeInsideAMultiRecordReplyIsReported) {
  HANDLE h = OpenDoublePort("USB001");
  ASSERT_TRUE(StartDoc(M(), h, kPrinter));
  ASSERT_TRUE(Write(M(), h, "DATA"));
  ASSERT_TRUE(WaitFor([] { return HistoryEndsWith(kPrinter, 0); }));
  kw::hooks::PortDoubleQueueRead("USB001", InfoStatus(10001, true) + UStatus(40021, false));
  ASSERT_TRUE(WaitFor([] { return HistoryEndsWith(kPrinter, PRINTER_STATUS_DOOR_OPEN); }));
  EXPECT_EQ(Locked([&] { return Port(h)->primary; }), 40021u);
  EXPECT_TRUE(M()->pfnEndDocPort(h));
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, ReplySplitAcrossReadsIsCompleted) {
  HANDLE h = OpenDoublePort("USB001");
  ASSERT_TRUE(StartDoc(M(), h, kPrinter));
  ASSERT_TRUE(Write(M(), h, "DATA"));
  ASSERT_TRUE(WaitFor([] { return HistoryEndsWith(kPrinter, 0); }));
  std::string reply = UStatus(10006, true);
  kw::hooks::PortDoubleQueueRead("USB001", reply.substr(0, 25));
  kw::hooks::PortDoubleQueueRead("USB001", reply.substr(25));
  ASSERT_TRUE(WaitFor([] { return HistoryEndsWith(kPrinter, PRINTER_STATUS_TONER_LOW); }));
  EXPECT_TRUE(M()->pfnEndDocPort(h));
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, SilentPrinterBecomesNotAvailable) {
  kw::hooks::PortDoubleDefine("USB001");
  kw::hooks::PortDoubleAnswer("USB001", IOCTL_PAR_QUERY_DEVICE_ID, kDeviceId);
  HANDLE lowerMonitor;
  MONITOR2* lower = kw::hooks::PortDoubleMonitor(&lowerMonitor);
  HANDLE h = OpenPort(lower, lowerMonitor, "USB001");
  ASSERT_TRUE(StartDoc(M(), h, kPrinter));
  ASSERT_TRUE(Write(M(), h, "DATA"));
  ASSERT_TRUE(WaitFor([] { return HistoryEndsWith(kPrinter, PRINTER_STATUS_NOT_AVAILABLE); }));
  EXPECT_EQ(Locked([&] { return Port(h)->primary; }), langmon::kCodeNoAnswer);
  EXPECT_TRUE(Locked([&] { return Port(h)->flags & langmon::kAlarm; }));
  // In alarm a failed write is not forgiven.
  kw::hooks::PortDoubleFailWrites("USB001", 1, 1, ERROR_GEN_FAILURE);
  EXPECT_FALSE(Write(M(), h, "MORE"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_GEN_FAILURE));
  EXPECT_TRUE(M()->pfnEndDocPort(h));
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, FailedWriteAsksForAPollAndContinuesWhenNotInAlarm) {
  HANDLE h = OpenDoublePort("USB001");
  ASSERT_TRUE(StartDoc(M(), h, kPrinter));
  ASSERT_TRUE(Write(M(), h, "DATA"));
  ASSERT_TRUE(WaitFor([] { return HistoryEndsWith(kPrinter, 0); }));
  size_t reads = 0;
  for (const auto& c : kw::hooks::PortDoubleCalls("USB001")) reads += c.call == "GetPrinterDataFromPort";
  kw::hooks::PortDoubleFailWrites("USB001", 1, 1, ERROR_GEN_FAILURE);
  DWORD n = 7;
  EXPECT_TRUE(Write(M(), h, "MORE", &n));
  EXPECT_EQ(n, 0u);
  size_t after = 0;
  for (const auto& c : kw::hooks::PortDoubleCalls("USB001")) after += c.call == "GetPrinterDataFromPort";
  EXPECT_GT(after, reads);  // the status thread polled for it
  EXPECT_TRUE(Write(M(), h, "MORE", &n));
  EXPECT_EQ(n, 4u);
  EXPECT_TRUE(M()->pfnEndDocPort(h));
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, NoAdministerAccessMeansNoStatusSet) {
  kw::hooks::PrinterSetup s;
  s.name = kPrinter;
  s.driverName = kDriver;
  s.driverPath = std::string(kDriverFolder) + "\\KADU_UM.DLL";
  s.portName = "USB001";
  s.administerDenied = true;
  kw::hooks::PrinterInstall(s);
  HANDLE h = OpenDoublePort("USB001");
  ASSERT_TRUE(StartDoc(M(), h, kPrinter));
  EXPECT_EQ(Port(h)->printerAccess, 1u);
  ASSERT_TRUE(Write(M(), h, "DATA"));
  ASSERT_TRUE(WaitFor([&] { return Locked([&] { return Port(h)->primary == 10001; }); }));
  EXPECT_TRUE(M()->pfnEndDocPort(h));
  EXPECT_TRUE(PrinterStatusHistory(kPrinter).empty());
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, PrinterWithoutCapabilityEntryGetsNoStatusWork) {
  Capability cap;
  cap.present = false;
  WriteCapabilityFile(kDriver, cap);
  HANDLE h = OpenDoublePort("USB001");
  kw::JobResult r = Print(h, "DATA");
  EXPECT_TRUE(r.completed);
  EXPECT_EQ(kw::hooks::PortDoubleWritten("USB001"), "DATA");
  EXPECT_TRUE(Port(h)->noStatus);
  EXPECT_EQ(ControlCalls("USB001", IOCTL_PAR_QUERY_DEVICE_ID), 0u);
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, IntervalsFromTheRegistryWithTheirFloors) {
  struct Case {
    DWORD local, network, wantLocal, wantNetwork;
  };
  const Case cases[] = {{100, 999, 500, 5000}, {300, 1000, 300, 1000}, {2000, 9000, 2000, 9000}};
  HANDLE h = OpenDoublePort("USB001");
  for (const Case& c : cases) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Halvorn\\KADU Desktop", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Local Status Read Interval Time", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&c.local), 4);
    RegSetValueExA(key, "Network Status Read Interval Time", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&c.network),
                   4);
    RegCloseKey(key);
    ASSERT_TRUE(StartDoc(M(), h, kPrinter));
    EXPECT_EQ(Port(h)->localInterval, c.wantLocal);
    EXPECT_EQ(Port(h)->networkInterval, c.wantNetwork);
    EXPECT_TRUE(M()->pfnEndDocPort(h));
  }
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, InstalledAndAvailableMemoryAreAskedAndKept) {
  HANDLE h = OpenDoublePort("USB001");
  kw::hooks::PortDoubleReplyTo("USB001", "@PJL INFO CONFIG\r\n",
                               "@PJL INFO CONFIG\r\nIN TRAYS [1 ENUMERATED]\r\n\tINTRAY1\r\nMEMORY=16777216\r\n\f");
  kw::hooks::PortDoubleReplyTo("USB001", "@PJL INFO MEMORY\r\n",
                               "@PJL INFO MEMORY\r\nTOTAL=9437184\r\nLARGEST=9000000\r\n\f");
  DWORD value = 0, got = 0;
  // Before a job has found bidirectional PJL the values are not asked.
  EXPECT_FALSE(M()->pfnGetPrinterDataFromPort(h, 0, const_cast<LPWSTR>(u"Installed Memory"), nullptr, 0,
                                              reinterpret_cast<LPWSTR>(&value), 4, &got));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  Print(h, "DATA");
  ASSERT_TRUE(M()->pfnGetPrinterDataFromPort(h, 0, const_cast<LPWSTR>(u"installed memory"), nullptr, 0,
                                             reinterpret_cast<LPWSTR>(&value), 4, &got));
  EXPECT_EQ(got, 4u);
  EXPECT_EQ(value, 16777216u);
  ASSERT_TRUE(M()->pfnGetPrinterDataFromPort(h, 0, const_cast<LPWSTR>(u"Available Memory"), nullptr, 0,
                                             reinterpret_cast<LPWSTR>(&value), 4, &got));
  EXPECT_EQ(value, 9437184u);
  EXPECT_FALSE(M()->pfnGetPrinterDataFromPort(h, 0, const_cast<LPWSTR>(u"Available Memory"), nullptr, 0,
                                              reinterpret_cast<LPWSTR>(&value), 2, &got));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_FALSE(M()->pfnGetPrinterDataFromPort(h, 0, const_cast<LPWSTR>(u"Serial Number"), nullptr, 0,
                                              reinterpret_cast<LPWSTR>(&value), 4, &got));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                          "System\\CurrentControlSet\\Control\\Print\\Printers\\KADU Printer\\PrinterDriverData", 0,
                          KEY_READ, &key),
            ERROR_SUCCESS);
  DWORD stored = 0, type = 0, size = 4;
  EXPECT_EQ(RegQueryValueExA(key, "Installed Memory", nullptr, &type, reinterpret_cast<BYTE*>(&stored), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_DWORD));
  EXPECT_EQ(stored, 16777216u);
  RegCloseKey(key);
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, MemoryQueryWithoutAnswerGivesUp) {
  kw::hooks::TimeSetScale(1000);
  HANDLE h = OpenDoublePort("USB001");
  Print(h, "DATA");
  DWORD value = 0, got = 0;
  DWORD start = GetTickCount();
  EXPECT_FALSE(M()->pfnGetPrinterDataFromPort(h, 0, const_cast<LPWSTR>(u"Installed Memory"), nullptr, 0,
                                              reinterpret_cast<LPWSTR>(&value), 4, &got));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_GE(GetTickCount() - start, 20000u);
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, LongDeviceIdIsKeptTerminatedInTheBlock) {
  HANDLE h = OpenDoublePort("USB001");
  langmon::SharedStatusBlock block{};
  block.size = langmon::kSharedBlockSize;
  std::memset(block.deviceId, 'Z', sizeof block.deviceId);
  Port(h)->block = &block;
  std::string id = "CMD:PJL,PCL;" + std::string(1024 - 12, 'X');
  kw::hooks::PortDoubleAnswer("USB001", IOCTL_PAR_QUERY_DEVICE_ID, id);
  ASSERT_TRUE(StartDoc(M(), h, kPrinter));
  EXPECT_EQ(Port(h)->capabilities, 0xAu);
  EXPECT_EQ(std::strlen(block.deviceId), 1023u);
  EXPECT_EQ(std::string(block.deviceId, 12), "CMD:PJL,PCL;");
  EXPECT_TRUE(block.jobWord & 1);
  ASSERT_TRUE(Write(M(), h, "DATA"));
  ASSERT_TRUE(WaitFor([&] { return Locked([&] { return block.primaryCode == 10001; }); }));
  EXPECT_TRUE(M()->pfnEndDocPort(h));
  EXPECT_EQ(block.online, 1u);
  EXPECT_EQ(block.statusListCount, 4u);
  EXPECT_EQ(block.jobData, 1u);
  EXPECT_FALSE(block.jobWord & 1);
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, StatusListOfTheMakersReply) {
  Capability cap;
  cap.statusRequest = 2;
  WriteCapabilityFile(kDriver, cap);
  HANDLE h = OpenDoublePort("USB001");
  langmon::SharedStatusBlock block{};
  Port(h)->block = &block;
  kw::hooks::PortDoubleReplyTo(
      "USB001", "@PJL INFO QELSTATUS\r\n",
      "@PJL INFO QELSTATUS\r\nCODE1=10001\r\nCODE2=10081\r\nONLINE=TRUE\r\n10082\r\n10083\r\n\f");
  ASSERT_TRUE(StartDoc(M(), h, kPrinter));
  ASSERT_TRUE(Write(M(), h, "DATA"));
  ASSERT_TRUE(WaitFor([&] { return Locked([&] { return block.secondaryCode == 10081; }); }));
  EXPECT_TRUE(WaitFor([] { return HistoryEndsWith(kPrinter, PRINTER_STATUS_TONER_LOW); }));
  EXPECT_TRUE(M()->pfnEndDocPort(h));
  EXPECT_EQ(std::vector<DWORD>(block.statusList, block.statusList + 7),
            (std::vector<DWORD>{10001, 10081, 0, 10082, 10083, 0, 0}));
  EXPECT_EQ(block.statusListCount, 7u);
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, StartDocWaitsWhileTheBlockSaysBusy) {
  kw::hooks::TimeSetScale(1000);
  HANDLE h = OpenDoublePort("USB001");
  langmon::SharedStatusBlock block{};
  block.busy = 1;
  Port(h)->block = &block;
  DWORD start = GetTickCount();
  EXPECT_FALSE(StartDoc(M(), h, kPrinter));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_BUSY));
  EXPECT_GE(GetTickCount() - start, 120000u);
  std::thread other([&] {
    Sleep(30000);
    Locked([&] { return block.busy = 0; });
  });
  start = GetTickCount();
  EXPECT_TRUE(StartDoc(M(), h, kPrinter));
  EXPECT_LT(GetTickCount() - start, 120000u);
  other.join();
  EXPECT_TRUE(M()->pfnEndDocPort(h));
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, EachPortReadsItsOwnReplies) {
  InstallPrinter("Second Printer", "USB002");
  HANDLE lowerMonitor;
  MONITOR2* lower = kw::hooks::PortDoubleMonitor(&lowerMonitor);
  const std::pair<const char*, int> ports[] = {{"USB001", 10006}, {"USB002", 40021}};
  for (auto [port, code] : ports) {
    kw::hooks::PortDoubleDefine(port);
    kw::hooks::PortDoubleAnswer(port, IOCTL_PAR_QUERY_DEVICE_ID, kDeviceId);
    kw::hooks::PortDoubleReplyTo(port, "INFO STATUS", InfoStatus(code, code == 10006));
  }
  HANDLE a = OpenPort(lower, lowerMonitor, "USB001", kPrinter);
  HANDLE b = OpenPort(lower, lowerMonitor, "USB002", "Second Printer");
  EXPECT_NE(Port(a)->readBuffer, Port(b)->readBuffer);
  ASSERT_TRUE(StartDoc(M(), a, kPrinter));
  ASSERT_TRUE(StartDoc(M(), b, "Second Printer"));
  ASSERT_TRUE(Write(M(), a, "A"));
  ASSERT_TRUE(Write(M(), b, "B"));
  EXPECT_TRUE(WaitFor([] { return HistoryEndsWith(kPrinter, PRINTER_STATUS_TONER_LOW); }));
  EXPECT_TRUE(WaitFor([] { return HistoryEndsWith("Second Printer", PRINTER_STATUS_DOOR_OPEN); }));
  EXPECT_EQ(PrinterStatusHistory(kPrinter), std::vector<DWORD>{PRINTER_STATUS_TONER_LOW});
  EXPECT_EQ(PrinterStatusHistory("Second Printer"), std::vector<DWORD>{PRINTER_STATUS_DOOR_OPEN});
  EXPECT_TRUE(M()->pfnEndDocPort(a));
  EXPECT_TRUE(M()->pfnEndDocPort(b));
  M()->pfnClosePort(a);
  M()->pfnClosePort(b);
}

TEST_F(MonitorTest, DeletedUsbJobClearsThePrintersBuffer) {
  Capability cap;
  cap.usbBufferClear = 1;
  WriteCapabilityFile(kDriver, cap);
  HANDLE h = OpenDoublePort("USB001");
  ASSERT_TRUE(StartDoc(M(), h, kPrinter, 5));
  ASSERT_TRUE(Write(M(), h, "DATA"));
  kw::hooks::PrinterJobSet(kPrinter, 5, JOB_STATUS_DELETING);
  ASSERT_TRUE(M()->pfnEndDocPort(h));
  bool cleared = false;
  for (const auto& c : kw::hooks::PortDoubleCalls("USB001"))
    cleared |= c.controlId == IOCTL_USBPRINT_VENDOR_SET_COMMAND && c.in == std::string("\x01\x00\x00\x00", 4);
  EXPECT_TRUE(cleared);
  M()->pfnClosePort(h);
}

TEST_F(MonitorTest, ShutdownClosesOpenPortsAndTheirThreadsFirst) {
  HANDLE h = OpenDoublePort("USB001");
  ASSERT_TRUE(StartDoc(M(), h, kPrinter));
  ASSERT_TRUE(Write(M(), h, "DATA"));
  ASSERT_TRUE(WaitFor([] { return HistoryEndsWith(kPrinter, 0); }));
  EXPECT_TRUE(Locked([&] { return Port(h)->flags & langmon::kStatusThreadRuns; }));
  size_t handles = kw::HandleCount();
  kw::MonitorHostStop(host_);
  host_ = nullptr;
  EXPECT_FALSE(kw::hooks::PortDoubleIsOpen("USB001"));
  EXPECT_LT(kw::HandleCount(), handles);  // the thread, its events and the printer handle are gone
  EXPECT_EQ(kw::hooks::PrinterOpenHandles(), 0u);
}

TEST_F(MonitorTest, PreJobStatusAsksAPrinterWithoutKnownCodes) {
  HANDLE h = OpenDoublePort("USB001");
  ASSERT_TRUE(StartDoc(M(), h, kPrinter, 1, 2, 1));  // mode 1: no header, so nothing is known yet
  EXPECT_TRUE(Locked([&] { return langmon::PreJobStatus(Port(h)); }));
  EXPECT_EQ(kw::hooks::PortDoubleWritten("USB001"), std::string(kUel) + "@PJL INFO STATUS\r\n" + kUel);
  EXPECT_EQ(Locked([&] { return Port(h)->primary; }), 10001u);
  // Known codes: nothing more is asked.
  EXPECT_TRUE(Locked([&] { return langmon::PreJobStatus(Port(h)); }));
  EXPECT_EQ(kw::hooks::PortDoubleWritten("USB001").size(), 9 + 18 + 9u);
  kw::hooks::PortDoubleFailWrites("USB001", 1, 1, ERROR_GEN_FAILURE);
  Locked([&] { return Port(h)->primary = 0; });
  EXPECT_FALSE(Locked([&] { return langmon::PreJobStatus(Port(h)); }));
  EXPECT_TRUE(M()->pfnEndDocPort(h));
  M()->pfnClosePort(h);
}
