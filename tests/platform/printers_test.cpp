#include <gtest/gtest.h>

#include <vector>

#include "kw/hooks_printers.h"
#include "kw/monitor_host.h"
#include "tests/support/world_fixture.h"
#include "windows.h"

namespace {

class Printers : public kadu_test::WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    kw::hooks::PrinterSetup s;
    s.name = "Office";
    s.driverName = "KADU Office";
    s.driverPath = "C:\\Windows\\System32\\spool\\drivers\\x64\\3\\KADU_UM.DLL";
    s.portName = "USB002";
    s.transmissionRetryTimeout = 45;
    kw::hooks::PrinterInstall(s);
    kw::hooks::PrinterJobSet("Office", 7, JOB_STATUS_PRINTING);
  }
};

// The two-call protocol of a Get call.
template <typename Call>
std::vector<BYTE> Get(Call call) {
  DWORD needed = 0;
  EXPECT_FALSE(call(nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  std::vector<BYTE> buf(needed);
  EXPECT_FALSE(call(buf.data(), needed - 1, &needed));
  EXPECT_TRUE(call(buf.data(), needed, &needed));
  return buf;
}

}  // namespace

TEST_F(Printers, InformationLevelsUseTheTwoCallProtocol) {
  HANDLE h = nullptr;
  ASSERT_TRUE(OpenPrinterA(const_cast<LPSTR>("office"), &h, nullptr));
  auto two = Get([&](BYTE* b, DWORD cb, DWORD* n) { return GetPrinterA(h, 2, b, cb, n); });
  auto* info2 = reinterpret_cast<PRINTER_INFO_2A*>(two.data());
  EXPECT_STREQ(info2->pPrinterName, "Office");
  EXPECT_STREQ(info2->pPortName, "USB002");
  EXPECT_STREQ(info2->pDriverName, "KADU Office");
  auto five = Get([&](BYTE* b, DWORD cb, DWORD* n) { return GetPrinterA(h, 5, b, cb, n); });
  EXPECT_EQ(reinterpret_cast<PRINTER_INFO_5A*>(five.data())->TransmissionRetryTimeout, 45u);
  auto driver = Get([&](BYTE* b, DWORD cb, DWORD* n) { return GetPrinterDriverA(h, nullptr, 2, b, cb, n); });
  EXPECT_STREQ(reinterpret_cast<DRIVER_INFO_2A*>(driver.data())->pDriverPath,
               "C:\\Windows\\System32\\spool\\drivers\\x64\\3\\KADU_UM.DLL");
  auto job = Get([&](BYTE* b, DWORD cb, DWORD* n) { return GetJobA(h, 7, 1, b, cb, n); });
  EXPECT_EQ(reinterpret_cast<JOB_INFO_1A*>(job.data())->Status, DWORD(JOB_STATUS_PRINTING));
  DWORD n;
  EXPECT_FALSE(GetJobA(h, 8, 1, nullptr, 0, &n));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(ClosePrinter(h));
  EXPECT_FALSE(ClosePrinter(h));
  EXPECT_EQ(kw::hooks::PrinterOpenHandles(), 0u);
}

TEST_F(Printers, StatusNeedsAdministerAccessAndIsRecorded) {
  HANDLE use = nullptr, admin = nullptr;
  ASSERT_TRUE(OpenPrinterA(const_cast<LPSTR>("Office"), &use, nullptr));
  PRINTER_DEFAULTSA all{nullptr, nullptr, PRINTER_ALL_ACCESS};
  ASSERT_TRUE(OpenPrinterA(const_cast<LPSTR>("Office"), &admin, &all));
  DWORD status = PRINTER_STATUS_PAPER_OUT;
  EXPECT_FALSE(SetPrinterA(use, 0, reinterpret_cast<LPBYTE>(&status), PRINTER_CONTROL_SET_STATUS));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(SetPrinterA(admin, 0, reinterpret_cast<LPBYTE>(&status), PRINTER_CONTROL_SET_STATUS));
  status = 0;
  EXPECT_TRUE(SetPrinterA(admin, 0, reinterpret_cast<LPBYTE>(&status), PRINTER_CONTROL_SET_STATUS));
  EXPECT_EQ(kw::hooks::PrinterStatusHistory("Office"), (std::vector<DWORD>{PRINTER_STATUS_PAPER_OUT, 0}));
  EXPECT_TRUE(SetJobA(admin, 7, 0, nullptr, JOB_CONTROL_CANCEL));
  EXPECT_EQ(kw::hooks::PrinterJobLastControl("Office", 7), DWORD(JOB_CONTROL_CANCEL));
  auto calls = kw::hooks::PrinterCalls();
  ASSERT_GE(calls.size(), 5u);
  EXPECT_EQ(calls[2].call, "SetPrinterA");
  EXPECT_FALSE(calls[2].result);
  EXPECT_EQ(calls[2].error, DWORD(ERROR_ACCESS_DENIED));
  ClosePrinter(use);
  ClosePrinter(admin);

  kw::hooks::PrinterSetup locked;
  locked.name = "Locked";
  locked.administerDenied = true;
  kw::hooks::PrinterInstall(locked);
  HANDLE h = nullptr;
  EXPECT_FALSE(OpenPrinterA(const_cast<LPSTR>("Locked"), &h, &all));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(OpenPrinterA(const_cast<LPSTR>("Nobody"), &h, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_NAME));
}

namespace {

const MONITORREG* g_reg;
HANDLE g_spooler;

LPMONITOR2 WINAPI KeepInit(PMONITORINIT init, PHANDLE monitor) {
  static MONITOR2 table{};
  g_reg = init->pMonitorReg;
  g_spooler = init->hSpooler;
  *monitor = &table;
  return &table;
}

}  // namespace

TEST_F(Printers, MonitorRegistryCallbacksShareTheRegistry) {
  kw::MonitorHost* host = kw::MonitorHostStart(KeepInit);
  ASSERT_NE(host, nullptr);
  ASSERT_NE(g_reg, nullptr);
  HANDLE key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(g_reg->fpCreateKey(reinterpret_cast<HANDLE>(HKEY_LOCAL_MACHINE), u"Software\\Halvorn\\Port", 0,
                               KEY_ALL_ACCESS, nullptr, &key, &disposition, g_spooler),
            ERROR_SUCCESS);
  DWORD v = 1234;
  EXPECT_EQ(g_reg->fpSetValue(key, u"Value", REG_DWORD, reinterpret_cast<BYTE*>(&v), 4, g_spooler), ERROR_SUCCESS);
  EXPECT_EQ(g_reg->fpCloseKey(key, g_spooler), ERROR_SUCCESS);
  HKEY plain;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\halvorn\\port", 0, KEY_READ, &plain), ERROR_SUCCESS);
  DWORD got = 0, type = 0, size = 4;
  EXPECT_EQ(RegQueryValueExA(plain, "Value", nullptr, &type, reinterpret_cast<BYTE*>(&got), &size), ERROR_SUCCESS);
  EXPECT_EQ(got, 1234u);
  RegCloseKey(plain);
  EXPECT_EQ(g_reg->fpOpenKey(reinterpret_cast<HANDLE>(HKEY_LOCAL_MACHINE), u"Software\\Nothing", KEY_READ, &key,
                             g_spooler),
            ERROR_FILE_NOT_FOUND);
  kw::MonitorHostStop(host);
}
