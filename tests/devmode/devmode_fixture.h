// A world with the shipped data files in the driver folder, a fresh model
// store and one printer per shipped model, for the DEVMODE tests.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/devmode.h"
#include "common/model_files.h"
#include "common/model_store.h"
#include "common/user_paper.h"
#include "kw/hooks_printers.h"
#include "kw/hooks_version.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "tests/support/devmode_decoder.h"
#include "tests/support/world_fixture.h"
#include "windows.h"

namespace kadu_test {

inline constexpr const char16_t* kDeskDriver = u"Halvorn KADU 2630dn";
inline constexpr const char16_t* kOfficeDriver = u"Halvorn KADU 4550fx";
inline constexpr const char16_t* kJapanDriver = u"Halvorn KADU J3100";
// The printers of the world, one per model.
inline constexpr const char16_t* kDesk = u"Desk Printer";
inline constexpr const char16_t* kOffice = u"Office Printer";
inline constexpr const char16_t* kJapan = u"Japan Printer";

class DevmodeWorld : public WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    folder_ = world_ + "/C/Windows/System32/spool/drivers/w32x86/3";
    std::filesystem::create_directories(folder_);
    for (const char* f : {"KADU.DAT", "KADUPAPR.INI", "KADUWMRK.INI", "QELKADU.CAP", "K2630.INI", "K4550.INI",
                          "K4550C.INI", "KJ3100.INI"})
      std::filesystem::copy_file(SourcePath(std::string("data/") + f), folder_ + "/" + f,
                                 std::filesystem::copy_options::overwrite_existing);
    kadu::SetDriverFolder(u"C:\\Windows\\System32\\spool\\drivers\\w32x86\\3");
    kadu::ModelStoreFree();
    kadu::ModelStoreInit(kadu::StoreRole::Interface);
    kw::hooks::PrintersClear();
    Install(kDesk, kDeskDriver);
    Install(kOffice, kOfficeDriver);
    Install(kJapan, kJapanDriver);
    for (const char16_t* d : {kDeskDriver, kOfficeDriver, kJapanDriver})
      ASSERT_TRUE(kadu::LoadModelRecord(d, nullptr, FALSE, nullptr));
  }
  void TearDown() override {
    kadu::FreeUserPaperCache();
    kadu::ModelStoreFree();
    kadu::SetDriverFolder(u"");
    kw::hooks::ResetVersionAndLocale();
    kw::hooks::PrintersClear();
    WorldFixture::TearDown();
  }

  void Install(const char16_t* printer, const char16_t* driver) {
    kw::hooks::PrinterSetup s;
    s.name = kw::Narrow(printer);
    s.driverName = kw::Narrow(driver);
    s.driverPath = "C:\\Windows\\System32\\spool\\drivers\\w32x86\\3\\KADU_UM.DLL";
    s.portName = "LPT1:";
    kw::hooks::PrinterInstall(s);
    kw::hooks::PrinterDriverDetails d;
    d.dataFile = "C:\\Windows\\System32\\spool\\drivers\\w32x86\\3\\KADU.DAT";
    d.dependentFiles = {"KADU.DAT", "QELKADU.CAP"};
    kw::hooks::PrinterSetDriverDetails(s.name, d);
  }

  HANDLE Open(const char16_t* printer) {
    HANDLE h = nullptr;
    EXPECT_TRUE(OpenPrinterW(const_cast<LPWSTR>(printer), &h, nullptr));
    return h;
  }

  // The default record of a printer.
  kadu::DriverDevmode Default(const char16_t* printer) {
    kadu::DriverDevmode dm;
    std::memset(&dm, 0xEE, sizeof(dm));
    HANDLE h = Open(printer);
    EXPECT_TRUE(kadu::BuildDefaultDevmode(&dm, printer, h));
    ClosePrinter(h);
    return dm;
  }

  static DecodedDevmode Decode(const kadu::DriverDevmode& dm) { return DecodeDevmode(&dm, sizeof(dm)); }

  // The default of a printer merged with an incoming record given as bytes.
  kadu::DriverDevmode Merged(const char16_t* printer, const std::vector<uint8_t>& incoming) {
    kadu::DriverDevmode dm = Default(printer);
    HANDLE h = Open(printer);
    EXPECT_TRUE(kadu::MergeDevmodeBytes(&dm, incoming.data(), incoming.size(), h));
    ClosePrinter(h);
    return dm;
  }

  // The user-defined papers of the user's KADU.INI (section text).
  void WriteUserPapers(const std::string& section) {
    std::filesystem::create_directories(kw::WorldMapPath(kadu::UserSettingsFolder()));
    std::u16string ini = kadu::UserSettingsFolder() + u"\\KADU.INI";
    std::ofstream(kw::WorldMapPath(ini), std::ios::binary | std::ios::trunc) << section;
    ASSERT_TRUE(kadu::RefreshUserPaperCache(ini));
  }

  // Sets a key of a model file in the driver folder (replacing its first
  // occurrence in the section) and reloads the model with a raised stamp.
  void SetModelKey(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value, const char16_t* driver) {
    std::string path = folder_ + "/" + file;
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    size_t head = text.find("[" + section + "]");
    if (head == std::string::npos) {
      text += "\r\n[" + section + "]\r\n" + key + "=" + value + "\r\n";
    } else {
      size_t end = text.find("\n[", head + 1);
      size_t line = text.find("\n" + key + "=", head);
      if (line != std::string::npos && (end == std::string::npos || line < end)) {
        size_t stop = text.find_first_of("\r\n", line + 1);
        text.replace(line + 1, stop - line - 1, key + "=" + value);
      } else {
        size_t after = text.find('\n', head);
        text.insert(after + 1, key + "=" + value + "\r\n");
      }
    }
    size_t ver = text.find("Ver=");
    if (ver != std::string::npos) text.insert(ver + 4, "9");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    ASSERT_TRUE(kadu::LoadModelRecord(driver, nullptr, TRUE, nullptr));
  }

  std::string folder_;
};

}  // namespace kadu_test
