// Printer data: values of each type kept in the registry under the printer,
// the size protocol of GetPrinterDataW, and injected failures.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kw/hooks_printers.h"
#include "kw/hooks_spooler.h"
#include "tests/support/world_fixture.h"
#include "windows.h"

namespace {

LPWSTR W(const char16_t* s) { return const_cast<LPWSTR>(s); }

std::vector<BYTE> Bytes(const void* p, size_t n) {
  return std::vector<BYTE>(static_cast<const BYTE*>(p), static_cast<const BYTE*>(p) + n);
}

class PrinterData : public kadu_test::WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    Install();
    ASSERT_TRUE(OpenPrinterW(W(u"Office"), &h_, nullptr));
  }
  void TearDown() override {
    if (h_) ClosePrinter(h_);
    WorldFixture::TearDown();
  }
  static void Install() {
    kw::hooks::PrinterSetup s;
    s.name = "Office";
    s.driverName = "KADU Mono";
    kw::hooks::PrinterInstall(s);
  }
  HANDLE h_ = nullptr;
};

struct Value {
  const char* what;
  const char16_t* name;
  DWORD type;
  std::vector<BYTE> data;
};

std::vector<Value> Values() {
  DWORD banding = 4;
  const char16_t font[] = u"Courier";
  const BYTE blob[] = {0x00, 0xFF, 0x00, 0x1B, 0x45};
  const char16_t multi[] = u"KADUS.CAP\0KADUR.DLL\0";
  return {
      {"dword", u"Banding", REG_DWORD, Bytes(&banding, sizeof banding)},
      {"string", u"DefaultFont", REG_SZ, Bytes(font, sizeof font)},
      {"binary", u"Overlay", REG_BINARY, Bytes(blob, sizeof blob)},
      {"list", u"Files", REG_MULTI_SZ, Bytes(multi, sizeof multi)},
  };
}

TEST_F(PrinterData, EachTypeRoundTripsWithTheSizeProtocol) {
  for (const Value& v : Values()) {
    SCOPED_TRACE(v.what);
    ASSERT_EQ(SetPrinterDataW(h_, W(v.name), v.type, const_cast<BYTE*>(v.data.data()), DWORD(v.data.size())),
              DWORD(ERROR_SUCCESS));
    const DWORD size = DWORD(v.data.size());
    struct Ask {
      DWORD nSize;
      DWORD result;
    };
    for (Ask ask : {Ask{0, ERROR_MORE_DATA}, Ask{size - 1, ERROR_MORE_DATA}, Ask{size, ERROR_SUCCESS},
                    Ask{size + 8, ERROR_SUCCESS}}) {
      SCOPED_TRACE(ask.nSize);
      std::vector<BYTE> buf(size + 8, 0xCC);
      DWORD type = 0xFFFF, needed = 0;
      EXPECT_EQ(GetPrinterDataW(h_, W(v.name), &type, buf.data(), ask.nSize, &needed), ask.result);
      EXPECT_EQ(needed, size);
      EXPECT_EQ(type, v.type);
      if (ask.result == ERROR_SUCCESS) {
        EXPECT_EQ(std::vector<BYTE>(buf.begin(), buf.begin() + size), v.data);
      } else {
        EXPECT_EQ(buf, std::vector<BYTE>(size + 8, 0xCC));  // nothing written
      }
    }
  }
}

TEST_F(PrinterData, ValuesLiveInTheRegistryAndOutliveTheProcess) {
  DWORD division = 0x40000;
  ASSERT_EQ(SetPrinterDataW(h_, W(u"Division"), REG_DWORD, reinterpret_cast<BYTE*>(&division), 4),
            DWORD(ERROR_SUCCESS));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                          u"System\\CurrentControlSet\\Control\\Print\\Printers\\Office\\PrinterDriverData", 0,
                          KEY_READ, &key),
            ERROR_SUCCESS);
  DWORD got = 0, type = 0, size = 4;
  EXPECT_EQ(RegQueryValueExW(key, u"Division", nullptr, &type, reinterpret_cast<BYTE*>(&got), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_DWORD));
  EXPECT_EQ(got, division);
  RegCloseKey(key);

  ClosePrinter(h_);
  kw::hooks::PrintersClear();  // a new process: the install hook's printer comes back by name
  Install();
  ASSERT_TRUE(OpenPrinterW(W(u"office"), &h_, nullptr));
  got = 0;
  EXPECT_EQ(GetPrinterDataW(h_, W(u"division"), &type, reinterpret_cast<BYTE*>(&got), 4, &size),
            DWORD(ERROR_SUCCESS));
  EXPECT_EQ(got, division);
}

TEST_F(PrinterData, MissingValuesAndBadHandles) {
  DWORD type = 0, needed = 0, v = 0;
  EXPECT_EQ(GetPrinterDataW(h_, W(u"Speed"), &type, reinterpret_cast<BYTE*>(&v), 4, &needed),
            DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(GetPrinterDataW(nullptr, W(u"Speed"), &type, reinterpret_cast<BYTE*>(&v), 4, &needed),
            DWORD(ERROR_INVALID_HANDLE));
  EXPECT_EQ(SetPrinterDataW(nullptr, W(u"Speed"), REG_DWORD, reinterpret_cast<BYTE*>(&v), 4),
            DWORD(ERROR_INVALID_HANDLE));
  EXPECT_EQ(SetPrinterDataW(h_, nullptr, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), DWORD(ERROR_INVALID_PARAMETER));
  // A printer handle bound straight to a job sink has no data.
  HANDLE sink = kw::hooks::SpoolerOpenMemoryPrinter();
  EXPECT_EQ(GetPrinterDataW(sink, W(u"Speed"), &type, reinterpret_cast<BYTE*>(&v), 4, &needed),
            DWORD(ERROR_FILE_NOT_FOUND));
  CloseHandle(sink);
  HANDLE closed = h_;
  ClosePrinter(h_);
  h_ = nullptr;
  EXPECT_EQ(GetPrinterDataW(closed, W(u"Speed"), &type, reinterpret_cast<BYTE*>(&v), 4, &needed),
            DWORD(ERROR_INVALID_HANDLE));
}

TEST_F(PrinterData, InjectedFailuresHitOneValueOrAll) {
  DWORD one = 1;
  for (const char16_t* name : {u"Banding", u"Speed"})
    ASSERT_EQ(SetPrinterDataW(h_, W(name), REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), DWORD(ERROR_SUCCESS));
  auto get = [&](const char16_t* name) {
    DWORD type = 0, needed = 0, v = 0;
    return GetPrinterDataW(h_, W(name), &type, reinterpret_cast<BYTE*>(&v), 4, &needed);
  };
  kw::hooks::PrinterFailGetData("Office", ERROR_ACCESS_DENIED, "banding");
  EXPECT_EQ(get(u"Banding"), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_EQ(get(u"Speed"), DWORD(ERROR_SUCCESS));
  kw::hooks::PrinterFailGetData("Office", ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(get(u"Speed"), DWORD(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_EQ(get(u"Banding"), DWORD(ERROR_ACCESS_DENIED));
  kw::hooks::PrinterFailGetData("Office", 0);
  kw::hooks::PrinterFailGetData("Office", 0, "Banding");
  EXPECT_EQ(get(u"Banding"), DWORD(ERROR_SUCCESS));
  // Every call is on the record, with the value's name and the code returned.
  auto calls = kw::hooks::PrinterCalls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().call, "GetPrinterDataW");
  EXPECT_EQ(calls.back().valueName, "Banding");
  EXPECT_TRUE(calls.back().result);
}

}  // namespace
