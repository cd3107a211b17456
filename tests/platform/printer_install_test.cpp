// Installing a driver and a printer, and finding them again in a new process
// (the in-memory store cleared) on the same world.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kw/hooks_printers.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "tests/support/world_fixture.h"
#include "windows.h"

namespace {

const char16_t kDir[] = u"C:\\Windows\\System32\\spool\\drivers\\w32x86";
const char kDirA[] = "C:\\Windows\\System32\\spool\\drivers\\w32x86";

LPWSTR W(const char16_t* s) { return const_cast<LPWSTR>(s); }

// The two-call protocol of a Get call; the buffer it leaves.
template <typename Call>
std::vector<BYTE> Get(Call call) {
  DWORD needed = 0;
  EXPECT_FALSE(call(nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  std::vector<BYTE> buf(needed);
  EXPECT_FALSE(call(buf.data(), needed - 1, &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_TRUE(call(buf.data(), needed, &needed));
  return buf;
}

std::vector<std::u16string> MultiList(const char16_t* s) {
  std::vector<std::u16string> out;
  for (; *s; s += out.back().size() + 1) out.emplace_back(s);
  return out;
}

class PrinterInstall : public kadu_test::WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    for (const char* f : {"KADU_UM.DLL", "KADU.DAT", "KADU_UI.DLL", "KADU.CHM", "KADUS.CAP", "KADUR.DLL"}) Copy(f);
    driver_ = Info();
  }
  // A file the installer copied into the driver directory's "3" folder.
  void Copy(const std::string& name) {
    std::string folder = kw::WorldMapPathA(std::string(kDirA) + "\\3");
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/" + name) << name;
  }
  DRIVER_INFO_3W Info() {
    DRIVER_INFO_3W d{};
    d.cVersion = 3;
    d.pName = W(u"KADU Mono");
    d.pEnvironment = W(u"Windows NT x86");
    d.pDriverPath = W(u"KADU_UM.DLL");
    d.pDataFile = W(u"KADU.DAT");
    d.pConfigFile = W(u"KADU_UI.DLL");
    d.pHelpFile = W(u"KADU.CHM");
    d.pDependentFiles = W(u"KADUS.CAP\0KADUR.DLL\0");
    d.pMonitorName = W(u"KADU Langmon");
    d.pDefaultDataType = W(u"RAW");
    return d;
  }
  static PRINTER_INFO_2W Printer(const char16_t* name, const char16_t* driver) {
    PRINTER_INFO_2W p{};
    p.pPrinterName = W(name);
    p.pPortName = W(u"USB001");
    p.pDriverName = W(driver);
    p.pComment = W(u"Second floor");
    p.pLocation = W(u"Room 12");
    p.Attributes = PRINTER_ATTRIBUTE_QUEUED;
    return p;
  }
  static std::u16string RegString(const char16_t* key, const char16_t* value) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return u"<no key>";
    char16_t buf[512] = {};
    DWORD type = 0, size = sizeof buf - sizeof(char16_t);
    LSTATUS e = RegQueryValueExW(h, value, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(h);
    return e == ERROR_SUCCESS ? std::u16string(buf, size / sizeof(char16_t)) : u"<no value>";
  }
  DRIVER_INFO_3W driver_;
};

const char16_t kDriverKey[] =
    u"System\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\Version-3\\KADU Mono";

TEST_F(PrinterInstall, DriverDirectoryUsesTheTwoCallProtocolAndExists) {
  auto buf = Get([](BYTE* b, DWORD cb, DWORD* n) { return GetPrinterDriverDirectoryW(nullptr, nullptr, 1, b, cb, n); });
  EXPECT_EQ(buf.size(), sizeof kDir);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buf.data())), kDir);
  EXPECT_TRUE(std::filesystem::is_directory(kw::WorldMapPath(kDir)));
  DWORD n = 0;
  EXPECT_FALSE(GetPrinterDriverDirectoryW(nullptr, W(u"Windows IA64"), 1, buf.data(), DWORD(buf.size()), &n));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_ENVIRONMENT));
  EXPECT_FALSE(GetPrinterDriverDirectoryW(nullptr, nullptr, 2, buf.data(), DWORD(buf.size()), &n));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_LEVEL));
}

TEST_F(PrinterInstall, DriverAndPrinterAreFoundAgainByANewProcess) {
  ASSERT_TRUE(AddPrinterDriverW(nullptr, 3, reinterpret_cast<LPBYTE>(&driver_)));
  // The driver's record names its files with full paths.
  EXPECT_EQ(RegString(kDriverKey, u"Driver"), std::u16string(kDir) + u"\\3\\KADU_UM.DLL" + u'\0');
  EXPECT_EQ(RegString(kDriverKey, u"Monitor"), std::u16string(u"KADU Langmon") + u'\0');
  EXPECT_EQ(RegString(kDriverKey, u"Dependent Files"),
            std::u16string(kDir) + u"\\3\\KADUS.CAP" + u'\0' + kDir + u"\\3\\KADUR.DLL" + u'\0' + u'\0');

  PRINTER_INFO_2W in = Printer(u"Office", u"KADU Mono");
  HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&in));
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(RegString(u"System\\CurrentControlSet\\Control\\Print\\Printers\\Office", u"Printer Driver"),
            std::u16string(u"KADU Mono") + u'\0');
  EXPECT_TRUE(ClosePrinter(added));

  kw::hooks::PrintersClear();  // a new process on the same world...
  kw::WorldSetRoot(world_);     // ...that reads the registry from the world folder
  HANDLE h = nullptr;
  ASSERT_TRUE(OpenPrinterW(W(u"OFFICE"), &h, nullptr));
  auto two = Get([&](BYTE* b, DWORD cb, DWORD* n) { return GetPrinterW(h, 2, b, cb, n); });
  const auto* p = reinterpret_cast<const PRINTER_INFO_2W*>(two.data());
  EXPECT_EQ(std::u16string(p->pPrinterName), u"Office");
  EXPECT_EQ(std::u16string(p->pPortName), u"USB001");
  EXPECT_EQ(std::u16string(p->pDriverName), u"KADU Mono");
  EXPECT_EQ(std::u16string(p->pComment), u"Second floor");
  EXPECT_EQ(std::u16string(p->pLocation), u"Room 12");
  EXPECT_EQ(p->Attributes, DWORD(PRINTER_ATTRIBUTE_QUEUED | PRINTER_ATTRIBUTE_LOCAL));

  auto d2 = Get([&](BYTE* b, DWORD cb, DWORD* n) { return GetPrinterDriverW(h, nullptr, 2, b, cb, n); });
  const auto* i2 = reinterpret_cast<const DRIVER_INFO_2W*>(d2.data());
  EXPECT_EQ(i2->cVersion, 3u);
  EXPECT_EQ(std::u16string(i2->pDriverPath), std::u16string(kDir) + u"\\3\\KADU_UM.DLL");
  EXPECT_EQ(std::u16string(i2->pDataFile), std::u16string(kDir) + u"\\3\\KADU.DAT");
  EXPECT_EQ(std::u16string(i2->pConfigFile), std::u16string(kDir) + u"\\3\\KADU_UI.DLL");

  // The monitor's ANSI call reports the same files.
  auto da = Get([&](BYTE* b, DWORD cb, DWORD* n) { return GetPrinterDriverA(h, nullptr, 2, b, cb, n); });
  EXPECT_STREQ(reinterpret_cast<const DRIVER_INFO_2A*>(da.data())->pDataFile,
               (std::string(kDirA) + "\\3\\KADU.DAT").c_str());
  EXPECT_STREQ(reinterpret_cast<const DRIVER_INFO_2A*>(da.data())->pConfigFile,
               (std::string(kDirA) + "\\3\\KADU_UI.DLL").c_str());

  auto d3 = Get([&](BYTE* b, DWORD cb, DWORD* n) { return GetPrinterDriverW(h, nullptr, 3, b, cb, n); });
  const auto* i3 = reinterpret_cast<const DRIVER_INFO_3W*>(d3.data());
  EXPECT_EQ(std::u16string(i3->pName), u"KADU Mono");
  EXPECT_EQ(std::u16string(i3->pEnvironment), u"Windows NT x86");
  EXPECT_EQ(std::u16string(i3->pHelpFile), std::u16string(kDir) + u"\\3\\KADU.CHM");
  EXPECT_EQ(MultiList(i3->pDependentFiles), (std::vector<std::u16string>{std::u16string(kDir) + u"\\3\\KADUS.CAP",
                                                                          std::u16string(kDir) + u"\\3\\KADUR.DLL"}));
  EXPECT_EQ(std::u16string(i3->pMonitorName), u"KADU Langmon");
  EXPECT_EQ(std::u16string(i3->pDefaultDataType), u"RAW");
  // Every string lies inside the buffer, the list's two closing zeros too.
  const BYTE* end = d3.data() + d3.size();
  const auto* listEnd = i3->pDependentFiles;
  while (*listEnd) listEnd += std::u16string(listEnd).size() + 1;
  EXPECT_LE(reinterpret_cast<const BYTE*>(listEnd + 1), end);

  ASSERT_TRUE(DeletePrinter(h));
  EXPECT_TRUE(ClosePrinter(h));
  kw::hooks::PrintersClear();
  EXPECT_FALSE(OpenPrinterW(W(u"Office"), &h, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PRINTER_NAME));
  EXPECT_EQ(RegString(u"System\\CurrentControlSet\\Control\\Print\\Printers\\Office", u"Name"), u"<no key>");
}

TEST_F(PrinterInstall, BadDriversAreRefused) {
  struct Case {
    const char* what;
    DWORD level;
    void (*change)(DRIVER_INFO_3W*);
    DWORD error;
  };
  const Case cases[] = {
      {"level 4", 4, [](DRIVER_INFO_3W*) {}, ERROR_INVALID_LEVEL},
      {"no name", 3, [](DRIVER_INFO_3W* d) { d->pName = nullptr; }, ERROR_INVALID_PARAMETER},
      {"no driver path", 3, [](DRIVER_INFO_3W* d) { d->pDriverPath = W(u""); }, ERROR_INVALID_PARAMETER},
      {"driver file missing", 3, [](DRIVER_INFO_3W* d) { d->pDriverPath = W(u"NONE.DLL"); }, ERROR_FILE_NOT_FOUND},
      {"full path missing", 3, [](DRIVER_INFO_3W* d) { d->pDriverPath = W(u"C:\\Drivers\\KADU_UM.DLL"); },
       ERROR_FILE_NOT_FOUND},
      {"dependent file missing", 3, [](DRIVER_INFO_3W* d) { d->pDependentFiles = W(u"KADUS.CAP\0GONE.INI\0"); },
       ERROR_FILE_NOT_FOUND},
      {"other environment", 3, [](DRIVER_INFO_3W* d) { d->pEnvironment = W(u"Windows x64"); },
       ERROR_INVALID_ENVIRONMENT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DRIVER_INFO_3W d = Info();
    c.change(&d);
    SetLastError(0);
    EXPECT_FALSE(AddPrinterDriverW(nullptr, c.level, reinterpret_cast<LPBYTE>(&d)));
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(RegString(kDriverKey, u"Driver"), u"<no key>");
  EXPECT_FALSE(AddPrinterDriverW(nullptr, 3, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(PrinterInstall, BadPrintersAreRefused) {
  ASSERT_TRUE(AddPrinterDriverW(nullptr, 3, reinterpret_cast<LPBYTE>(&driver_)));
  PRINTER_INFO_2W first = Printer(u"Office", u"KADU Mono");
  HANDLE h = AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&first));
  ASSERT_NE(h, nullptr);
  ClosePrinter(h);
  kw::hooks::PrinterSetup hooked;
  hooked.name = "Hooked";
  hooked.driverName = "KADU Mono";
  kw::hooks::PrinterInstall(hooked);

  struct Case {
    const char16_t* name;
    const char16_t* driver;
    DWORD level;
    DWORD error;
  };
  const Case cases[] = {
      {u"office", u"KADU Mono", 2, ERROR_PRINTER_ALREADY_EXISTS},
      {u"Hooked", u"KADU Mono", 2, ERROR_PRINTER_ALREADY_EXISTS},
      {u"Lobby", u"No Such Driver", 2, ERROR_UNKNOWN_PRINTER_DRIVER},
      {u"Lobby", u"", 2, ERROR_UNKNOWN_PRINTER_DRIVER},
      {u"", u"KADU Mono", 2, ERROR_INVALID_PRINTER_NAME},
      {u"Back\\slash", u"KADU Mono", 2, ERROR_INVALID_PRINTER_NAME},
      {u"Lobby", u"KADU Mono", 1, ERROR_INVALID_LEVEL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(kw::Narrow(c.name));
    PRINTER_INFO_2W p = Printer(c.name, c.driver);
    SetLastError(0);
    EXPECT_EQ(AddPrinterW(nullptr, c.level, reinterpret_cast<LPBYTE>(&p)), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(kw::hooks::PrinterOpenHandles(), 0u);
}

TEST_F(PrinterInstall, HookPrintersReportTheirDetailsAtLevelThree) {
  kw::hooks::PrinterSetup s;
  s.name = "Desk";
  s.driverName = "KADU Desk";
  s.driverPath = "C:\\Drivers\\KADU_UM.DLL";
  kw::hooks::PrinterInstall(s);
  kw::hooks::PrinterDriverDetails details;
  details.dependentFiles = {"C:\\Drivers\\KADUS.CAP"};
  kw::hooks::PrinterSetDriverDetails("Desk", details);
  HANDLE h = nullptr;
  ASSERT_TRUE(OpenPrinterW(W(u"Desk"), &h, nullptr));
  auto d3 = Get([&](BYTE* b, DWORD cb, DWORD* n) { return GetPrinterDriverW(h, nullptr, 3, b, cb, n); });
  const auto* i3 = reinterpret_cast<const DRIVER_INFO_3W*>(d3.data());
  EXPECT_EQ(std::u16string(i3->pDriverPath), u"C:\\Drivers\\KADU_UM.DLL");
  EXPECT_EQ(std::u16string(i3->pDataFile), u"C:\\Drivers\\KADU Desk.DAT");
  EXPECT_EQ(std::u16string(i3->pHelpFile), u"");
  EXPECT_EQ(MultiList(i3->pDependentFiles), std::vector<std::u16string>{u"C:\\Drivers\\KADUS.CAP"});
  DWORD n = 0;
  EXPECT_FALSE(GetPrinterDriverW(h, nullptr, 4, nullptr, 0, &n));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_LEVEL));
  ClosePrinter(h);
}

}  // namespace
