// Two spoolers' threads printing on two ports at once, again and again: no
// wait with the monitor lock held, and nothing left running (or touching a
// port record) once a port is closed. Also run under the thread sanitizer
// (scripts/tsan.sh).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "kw/handle_table.h"
#include "kw/hooks_time.h"
#include "langmon/entry_points.h"
#include "tests/langmon/support/job_steps.h"
#include "tests/langmon/support/monitor_fixture.h"

using namespace langmon_test;

namespace {

class ConcurrencyTest : public MonitorTest {
 protected:
  void SetUp() override {
    scale_ = 200;
    MonitorTest::SetUp();
  }
};

struct PortRun {
  std::string port, printer;
  int status;
};

}  // namespace

TEST_F(ConcurrencyTest, LockRuleCheckSeesAWaitMadeWithTheLockHeld) {
  langmon::LockMonitor(Monitor());
  Sleep(10);
  langmon::UnlockMonitor(Monitor());
  langmon::LockMonitor(Monitor());
  langmon::LockMonitor(Monitor());
  langmon::SleepUnlocked(Monitor(), 10);  // leaves both levels, takes both back
  EXPECT_EQ(Monitor()->lockDepth, 2);
  langmon::UnlockMonitor(Monitor());
  langmon::UnlockMonitor(Monitor());
  auto breaks = LockRuleBreaks();
  ASSERT_EQ(breaks.size(), 1u);
  EXPECT_EQ(breaks[0].depth, 1);
  kw::hooks::WaitsClearRecord();
}

TEST_F(ConcurrencyTest, TwoPortsOpenPrintEndAndCloseTogether) {
  const PortRun runs[] = {{"USB001", kPrinter, 10006}, {"USB002", "Second Printer", 40021}};
  InstallPrinter("Second Printer", "USB002");
  HANDLE lowerMonitor;
  MONITOR2* lower = kw::hooks::PortDoubleMonitor(&lowerMonitor);
  for (const PortRun& r : runs) {
    kw::hooks::PortDoubleDefine(r.port);
    kw::hooks::PortDoubleRecordBytes(r.port, false);
    kw::hooks::PortDoubleAnswer(r.port, IOCTL_PAR_QUERY_DEVICE_ID, kDeviceId);
    kw::hooks::PortDoubleReplyTo(r.port, "@PJL INFO STATUS\r\n", InfoStatus(r.status, r.status == 10006));
  }
  size_t handlesBefore = kw::HandleCount();
  const int rounds = 40;
  std::atomic<int> failures{0};
  auto spooler = [&](const PortRun& r) {
    for (int i = 0; i < rounds; ++i) {
      HANDLE h = OpenPort(lower, lowerMonitor, r.port, r.printer);
      if (!h) {
        ++failures;
        continue;
      }
      if (!StartDoc(M(), h, r.printer, DWORD(i + 1))) ++failures;
      for (int k = 0; k < 8; ++k) {
        DWORD n = 0;
        std::string data(512 + 64 * k, char('a' + k));
        while (!data.empty()) {
          if (!Write(M(), h, data, &n)) {
            ++failures;
            break;
          }
          data.erase(0, n);
        }
        if (k % 3 == 0) {  // let the status thread poll now and then
          std::this_thread::sleep_for(std::chrono::microseconds(500));
          DWORD got = 0;
          M()->pfnGetPrinterDataFromPort(h, IOCTL_PAR_QUERY_DEVICE_ID, nullptr, nullptr, 0, nullptr, 0, &got);
        }
      }
      if (!M()->pfnEndDocPort(h)) ++failures;
      if (!M()->pfnClosePort(h)) ++failures;
    }
  };
  std::thread a(spooler, runs[0]), b(spooler, runs[1]);
  a.join();
  b.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(Monitor()->ports, nullptr);
  EXPECT_EQ(kw::HandleCount(), handlesBefore);  // every thread, event and printer handle is closed
  EXPECT_EQ(kw::hooks::PrinterOpenHandles(), 0u);
  EXPECT_FALSE(kw::hooks::PortDoubleIsOpen("USB001"));
  EXPECT_FALSE(kw::hooks::PortDoubleIsOpen("USB002"));
  // Both printers heard their own status, never the other's.
  for (DWORD s : kw::hooks::PrinterStatusHistory(kPrinter)) EXPECT_NE(s, DWORD(PRINTER_STATUS_DOOR_OPEN));
  for (DWORD s : kw::hooks::PrinterStatusHistory("Second Printer")) EXPECT_NE(s, DWORD(PRINTER_STATUS_TONER_LOW));
}
