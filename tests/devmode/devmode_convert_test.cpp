// DrvConvertDevMode as a table of mode x buffer -> result, last error and
// needed size. Every record lives in a buffer of exactly its own size, so
// that a read past it shows in the sanitizer build.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "tests/devmode/devmode_fixture.h"

namespace {

using namespace kadu_test;
using Bytes = std::vector<uint8_t>;

constexpr DWORD kUntouched = 0xDEAD;  // last error before the call
constexpr DWORD kAnyError = 0xFFFFFFFF;  // success after spooler calls: the error is theirs

DEVMODEW* Dm(Bytes& b) { return b.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(b.data()); }

Bytes Shape(WORD size, WORD extra, WORD version, uint8_t fill) {
  Bytes b(size_t(size) + extra, fill);
  auto* dm = reinterpret_cast<DEVMODEW*>(b.data());
  dm->dmSize = size;
  dm->dmDriverExtra = extra;
  dm->dmSpecVersion = version;
  dm->dmDriverVersion = 0x0500;
  return b;
}

class Convert : public DevmodeWorld {
 protected:
  Bytes OwnDefault() {
    kadu::DriverDevmode dm = Default(kDesk);
    return Bytes(reinterpret_cast<uint8_t*>(&dm), reinterpret_cast<uint8_t*>(&dm) + sizeof(dm));
  }
};

struct Call {
  BOOL result;
  DWORD error;
  LONG needed;
};

Call Do(const char16_t* printer, Bytes* in, Bytes* out, std::optional<LONG> cb, DWORD mode) {
  SetLastError(kUntouched);
  LONG needed = cb.value_or(0);
  BOOL r = DrvConvertDevMode(const_cast<LPWSTR>(printer), in ? Dm(*in) : nullptr, out ? Dm(*out) : nullptr,
                             cb ? &needed : nullptr, mode);
  return {r, GetLastError(), needed};
}

TEST_F(Convert, ModesAndBufferSizes) {
  struct Case {
    const char* what;
    DWORD mode;
    int inShape;   // 0 none, 1 own default, 2 public only (220), 3 3.51 shape
    int outShape;  // 0 none, 1 1816 bytes, 2 220 bytes, 3 1784 bytes, 4 1000 bytes, 5 own default
    std::optional<LONG> cb;
    BOOL result;
    DWORD error;
    LONG needed;
  } cases[] = {
      {"default into 1816", CDM_DRIVER_DEFAULT, 0, 1, 1816, TRUE, kAnyError, 1816},
      {"default into 1000", CDM_DRIVER_DEFAULT, 0, 4, 1000, FALSE, ERROR_INSUFFICIENT_BUFFER, 1816},
      {"default without a buffer", CDM_DRIVER_DEFAULT, 0, 0, 5000, FALSE, ERROR_INSUFFICIENT_BUFFER, 1816},
      {"default without a size", CDM_DRIVER_DEFAULT, 0, 1, std::nullopt, FALSE, ERROR_INVALID_PARAMETER, 0},
      {"3.51 into 1784", CDM_CONVERT351, 1, 3, 1784, TRUE, kUntouched, 1784},
      {"3.51 into 1783", CDM_CONVERT351, 1, 3, 1783, FALSE, ERROR_INSUFFICIENT_BUFFER, 1784},
      {"3.51 without a buffer", CDM_CONVERT351, 1, 0, 0, FALSE, ERROR_INSUFFICIENT_BUFFER, 1784},
      {"3.51 without an input", CDM_CONVERT351, 0, 3, 1784, FALSE, ERROR_INVALID_PARAMETER, 1784},
      {"convert, same shape", CDM_CONVERT, 1, 5, 1816, TRUE, kUntouched, 1816},
      {"convert into a short size", CDM_CONVERT, 1, 5, 1000, FALSE, ERROR_INVALID_PARAMETER, 1000},
      {"convert without an output", CDM_CONVERT, 1, 0, 1816, FALSE, ERROR_INVALID_PARAMETER, 1816},
      {"convert without a size", CDM_CONVERT, 0, 5, std::nullopt, FALSE, ERROR_INVALID_PARAMETER, 0},
      {"convert, other shapes: device name only", CDM_CONVERT, 1, 2, std::nullopt, TRUE, kUntouched, 0},
      // Records without room for the stamps are compared by size alone.
      {"convert public-only records", CDM_CONVERT, 2, 2, 220, TRUE, kUntouched, 220},
      {"unknown mode", 8, 1, 1, 1816, FALSE, kUntouched, 1816},
  };
  for (const Case& c : cases) {
    Bytes in = c.inShape == 1 ? OwnDefault() : c.inShape == 2 ? Shape(220, 0, 0x0401, 0x41) : Bytes();
    Bytes out = c.outShape == 1   ? Shape(220, 1596, 0x0401, 0x77)
                : c.outShape == 2 ? Shape(220, 0, 0x0401, 0x77)
                : c.outShape == 3 ? Shape(188, 1596, 0x0320, 0x77)
                : c.outShape == 4 ? Bytes(1000, 0x77)
                : c.outShape == 5 ? OwnDefault()
                                  : Bytes();
    Call r = Do(kDesk, c.inShape ? &in : nullptr, c.outShape ? &out : nullptr, c.cb, c.mode);
    EXPECT_EQ(r.result, c.result) << c.what;
    if (c.error != kAnyError) {
      EXPECT_EQ(r.error, c.error) << c.what;
    }
    if (c.cb) {
      EXPECT_EQ(r.needed, c.needed) << c.what;
    }
  }
}

TEST_F(Convert, DriverDefaultCarriesTheStamps) {
  Bytes out(1816, 0x77);
  Call r = Do(kOffice, nullptr, &out, 1816, CDM_DRIVER_DEFAULT);
  ASSERT_TRUE(r.result);
  WORD stamps[6] = {};
  ASSERT_TRUE(kadu::LoadModelRecord(kOfficeDriver, stamps, FALSE, nullptr));
  DecodedDevmode d = DecodeDevmode(out);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(d["stamp" + std::to_string(i)], stamps[i]) << i;
  EXPECT_NE(d["stamp2"], 0);
  EXPECT_EQ(d["zero1080"], 0);
  EXPECT_EQ(d["zero1082"], 0);
  EXPECT_EQ(d.Text("dmDeviceName"), std::u16string(kOffice));
  EXPECT_EQ(d.Text("szDriverName"), std::u16string(kOfficeDriver));
  // The same as the default record with the stamps added.
  kadu::DriverDevmode dm = Default(kOffice);
  EXPECT_EQ(0, std::memcmp(&dm, out.data(), 1072));
  EXPECT_EQ(0, std::memcmp(reinterpret_cast<uint8_t*>(&dm) + 1084, out.data() + 1084, 1816 - 1084));
}

TEST_F(Convert, DriverDefaultForAPrinterThatCannotBeRead) {
  Bytes out(1816, 0x77);
  Call r = Do(u"No Such Printer", nullptr, &out, 1816, CDM_DRIVER_DEFAULT);
  EXPECT_FALSE(r.result);
  EXPECT_EQ(r.error, DWORD(ERROR_INVALID_PRINTER_NAME));  // the spooler's error, not the driver's
  kw::hooks::PrinterDriverDetails det;
  det.getDriverFailure = ERROR_ACCESS_DENIED;
  kw::hooks::PrinterSetDriverDetails("Desk Printer", det);
  EXPECT_FALSE(Do(kDesk, nullptr, &out, 1816, CDM_DRIVER_DEFAULT).result);
  EXPECT_EQ(kw::hooks::PrinterOpenHandles(), 0u);
  EXPECT_FALSE(Do(nullptr, nullptr, &out, 1816, CDM_DRIVER_DEFAULT).result);
}

TEST_F(Convert, StaleStampsCopyOnlyTheDeviceName) {
  Bytes in = OwnDefault(), out = OwnDefault();
  PutDevmodeText(&in, 0, u"From the application");
  PutDevmodeField(&in, "stamp1", 77);
  PutDevmodeField(&in, "wTonerSave", 1);
  Bytes before = out;
  Call r = Do(kDesk, &in, &out, std::nullopt, CDM_CONVERT);
  EXPECT_TRUE(r.result);
  EXPECT_EQ(0, std::memcmp(out.data(), in.data(), 64));
  EXPECT_EQ(0, std::memcmp(out.data() + 64, before.data() + 64, out.size() - 64));

  // Equal stamps: the whole record is converted.
  PutDevmodeField(&in, "stamp1", DecodeDevmode(out)["stamp1"]);
  LONG cb = 1816;
  SetLastError(0);
  EXPECT_TRUE(DrvConvertDevMode(const_cast<LPWSTR>(kDesk), Dm(in), Dm(out), &cb, CDM_CONVERT));
  EXPECT_EQ(DecodeDevmode(out)["wTonerSave"], 1);
}

TEST_F(Convert, To351KeepsItsShape) {
  Bytes in = OwnDefault();
  PutDevmodeField(&in, "wTonerSave", 1);
  Bytes out(1784, 0);
  Call r = Do(kDesk, &in, &out, 1784, CDM_CONVERT351);
  ASSERT_TRUE(r.result);
  auto* dm = reinterpret_cast<DEVMODEW*>(out.data());
  EXPECT_EQ(dm->dmSpecVersion, 0x0320);
  EXPECT_EQ(dm->dmSize, 188);
  EXPECT_EQ(dm->dmDriverVersion, 0x0350);
  EXPECT_EQ(dm->dmDriverExtra, 1596);
  EXPECT_EQ(0, std::memcmp(out.data() + 72, in.data() + 72, 188 - 72));
  EXPECT_EQ(0, std::memcmp(out.data() + 188, in.data() + 220, 1596));
}

}  // namespace
