// The wide printer calls the driver libraries make: the two-call buffer
// protocol, strings packed after the structure, the printer's attributes and
// driver files as a test sets them, and injected failures.
#include <gtest/gtest.h>

#include <vector>

#include "kw/hooks_printers.h"
#include "kw/wide.h"
#include "tests/support/world_fixture.h"
#include "windows.h"

namespace {

class PrintersW : public kadu_test::WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    kw::hooks::PrintersClear();
    kw::hooks::PrinterSetup s;
    s.name = "Office Printer";
    s.driverName = "Halvorn KADU 2630dn";
    s.driverPath = "C:\\Windows\\System32\\spool\\drivers\\w32x86\\3\\KADU_UM.DLL";
    s.portName = "LPT1:";
    s.transmissionRetryTimeout = 45;
    kw::hooks::PrinterInstall(s);
  }
  HANDLE Open(const char16_t* name = u"office printer") {
    HANDLE h = nullptr;
    EXPECT_TRUE(OpenPrinterW(const_cast<LPWSTR>(name), &h, nullptr));
    return h;
  }
};

// Whether a string lies inside the caller's buffer, after the structure.
bool PackedInside(const void* s, const std::vector<BYTE>& buf, size_t fixed) {
  auto* p = static_cast<const BYTE*>(s);
  return p >= buf.data() + fixed && p < buf.data() + buf.size();
}

TEST_F(PrintersW, OpenUnknownPrinterFails) {
  HANDLE h = reinterpret_cast<HANDLE>(1);
  SetLastError(0);
  EXPECT_FALSE(OpenPrinterW(const_cast<LPWSTR>(u"Nobody"), &h, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_NAME));
  EXPECT_EQ(h, nullptr);
}

TEST_F(PrintersW, DriverInfoTwoCallProtocol) {
  HANDLE h = Open();
  DWORD needed = 0;
  SetLastError(0);
  EXPECT_FALSE(GetPrinterDriverW(h, nullptr, 2, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  ASSERT_GT(needed, sizeof(DRIVER_INFO_2W));

  std::vector<BYTE> buf(needed);
  DWORD again = 0;
  EXPECT_FALSE(GetPrinterDriverW(h, nullptr, 2, buf.data(), needed - 1, &again));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(again, needed);

  ASSERT_TRUE(GetPrinterDriverW(h, nullptr, 2, buf.data(), needed, &again));
  auto* di = reinterpret_cast<DRIVER_INFO_2W*>(buf.data());
  EXPECT_EQ(di->cVersion, 3u);
  EXPECT_EQ(std::u16string(di->pName), u"Halvorn KADU 2630dn");
  EXPECT_EQ(std::u16string(di->pEnvironment), u"Windows NT x86");
  EXPECT_EQ(std::u16string(di->pDriverPath), u"C:\\Windows\\System32\\spool\\drivers\\w32x86\\3\\KADU_UM.DLL");
  EXPECT_EQ(std::u16string(di->pDataFile),
            u"C:\\Windows\\System32\\spool\\drivers\\w32x86\\3\\Halvorn KADU 2630dn.DAT");
  EXPECT_EQ(std::u16string(di->pConfigFile), std::u16string(di->pDriverPath));
  for (const void* s : {static_cast<const void*>(di->pName), static_cast<const void*>(di->pEnvironment),
                        static_cast<const void*>(di->pDriverPath), static_cast<const void*>(di->pDataFile),
                        static_cast<const void*>(di->pConfigFile)})
    EXPECT_TRUE(PackedInside(s, buf, sizeof(DRIVER_INFO_2W)));
  EXPECT_TRUE(ClosePrinter(h));
  EXPECT_EQ(kw::hooks::PrinterOpenHandles(), 0u);
}

TEST_F(PrintersW, PrinterInfoLevelsReportAttributes) {
  kw::hooks::PrinterDriverDetails d;
  d.attributes = PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_RAW_ONLY;
  kw::hooks::PrinterSetDriverDetails("Office Printer", d);
  HANDLE h = Open();
  for (DWORD level : {2u, 5u}) {
    DWORD needed = 0;
    EXPECT_FALSE(GetPrinterW(h, level, nullptr, 0, &needed));
    std::vector<BYTE> buf(needed);
    ASSERT_TRUE(GetPrinterW(h, level, buf.data(), needed, &needed)) << level;
    if (level == 2) {
      auto* pi = reinterpret_cast<PRINTER_INFO_2W*>(buf.data());
      EXPECT_EQ(std::u16string(pi->pPrinterName), u"Office Printer");
      EXPECT_EQ(std::u16string(pi->pDriverName), u"Halvorn KADU 2630dn");
      EXPECT_EQ(std::u16string(pi->pPortName), u"LPT1:");
      EXPECT_EQ(pi->Attributes, d.attributes);
      EXPECT_EQ(pi->pDevMode, nullptr);
      EXPECT_TRUE(PackedInside(pi->pDriverName, buf, sizeof(PRINTER_INFO_2W)));
    } else {
      auto* pi = reinterpret_cast<PRINTER_INFO_5W*>(buf.data());
      EXPECT_EQ(std::u16string(pi->pPrinterName), u"Office Printer");
      EXPECT_EQ(pi->Attributes, d.attributes);
      EXPECT_EQ(pi->TransmissionRetryTimeout, 45u);
      EXPECT_TRUE(PackedInside(pi->pPortName, buf, sizeof(PRINTER_INFO_5W)));
    }
  }
  DWORD needed = 0;
  BYTE small[8];
  EXPECT_FALSE(GetPrinterW(h, 4, small, sizeof(small), &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_LEVEL));
  ClosePrinter(h);
}

TEST_F(PrintersW, InjectedFailuresAndDriverFiles) {
  kw::hooks::PrinterDriverDetails d;
  d.dataFile = "C:\\drivers\\KADU.DAT";
  d.configFile = "C:\\drivers\\KADU_UI.DLL";
  d.dependentFiles = {"KADU.DAT", "QELKADU.CAP"};
  d.getPrinterFailure = ERROR_ACCESS_DENIED;
  kw::hooks::PrinterSetDriverDetails("Office Printer", d);
  HANDLE h = Open();
  DWORD needed = 0;
  std::vector<BYTE> buf(4096);
  EXPECT_FALSE(GetPrinterW(h, 5, buf.data(), DWORD(buf.size()), &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  ASSERT_TRUE(GetPrinterDriverW(h, nullptr, 2, buf.data(), DWORD(buf.size()), &needed));
  auto* di = reinterpret_cast<DRIVER_INFO_2W*>(buf.data());
  EXPECT_EQ(std::u16string(di->pDataFile), u"C:\\drivers\\KADU.DAT");
  EXPECT_EQ(std::u16string(di->pConfigFile), u"C:\\drivers\\KADU_UI.DLL");

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                          u"System\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\"
                          u"Version-3\\Halvorn KADU 2630dn",
                          0, KEY_READ, &key),
            ERROR_SUCCESS);
  WCHAR files[64] = {};
  DWORD type = 0, size = sizeof(files);
  ASSERT_EQ(RegQueryValueExW(key, u"Dependent Files", nullptr, &type, reinterpret_cast<BYTE*>(files), &size),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, DWORD(REG_MULTI_SZ));
  EXPECT_EQ(std::u16string(files, size / 2), std::u16string(u"KADU.DAT\0QELKADU.CAP\0\0", 22));

  d.getPrinterFailure = 0;
  d.getDriverFailure = ERROR_UNKNOWN_PRINTER_DRIVER;
  kw::hooks::PrinterSetDriverDetails("Office Printer", d);
  EXPECT_FALSE(GetPrinterDriverW(h, nullptr, 2, buf.data(), DWORD(buf.size()), &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_UNKNOWN_PRINTER_DRIVER));
  ClosePrinter(h);
}

TEST_F(PrintersW, CallsAreRecordedUnderTheirWideNames) {
  kw::hooks::PrinterCallsClear();
  HANDLE h = Open();
  DWORD needed = 0;
  GetPrinterDriverW(h, nullptr, 2, nullptr, 0, &needed);
  ClosePrinter(h);
  std::vector<std::string> names;
  for (const auto& c : kw::hooks::PrinterCalls()) names.push_back(c.call);
  EXPECT_EQ(names, (std::vector<std::string>{"OpenPrinterW", "GetPrinterDriverW", "ClosePrinter"}));
  DWORD stale = 0;
  SetLastError(0);
  EXPECT_FALSE(GetPrinterW(h, 2, nullptr, 0, &stale));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

}  // namespace
