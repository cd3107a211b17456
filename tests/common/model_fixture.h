// A world with the driver's data files installed in its driver folder and a
// fresh model store, for the model data tests.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/model_files.h"
#include "common/model_store.h"
#include "kw/hooks_version.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "tests/support/world_fixture.h"
#include "windows.h"

namespace kadu_test {

inline constexpr const char16_t* kDriverFolder = u"C:\\Windows\\System32\\spool\\drivers\\w32x86\\3";
inline constexpr const char16_t* kDesktop = u"Halvorn KADU 2630dn";
inline constexpr const char16_t* kOffice = u"Halvorn KADU 4550fx";
inline constexpr const char16_t* kJapanModel = u"Halvorn KADU J3100";

class ModelWorld : public WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    folder_ = world_ + "/C/Windows/System32/spool/drivers/w32x86/3";
    std::filesystem::create_directories(folder_);
    kadu::SetDriverFolder(kDriverFolder);
    kadu::ModelStoreFree();
    kadu::ModelStoreInit(kadu::StoreRole::Interface);
  }
  void TearDown() override {
    kadu::ModelStoreFree();
    kadu::SetDriverFolder(u"");
    kw::hooks::ResetVersionAndLocale();
    kw::SetAnsiCodePage(1252);
    WorldFixture::TearDown();
  }
  // Copies the shipped data files into the driver folder.
  void InstallShippedData() {
    for (const char* f : {"KADU.DAT", "KADUPAPR.INI", "KADUWMRK.INI", "QELKADU.CAP", "K2630.INI", "K4550.INI",
                          "K4550C.INI", "KJ3100.INI"})
      std::filesystem::copy_file(SourcePath(std::string("data/") + f), folder_ + "/" + f,
                                 std::filesystem::copy_options::overwrite_existing);
  }
  void WriteDataFile(const std::string& name, const std::string& text) {
    std::ofstream(folder_ + "/" + name, std::ios::binary | std::ios::trunc) << text;
  }
  // Host path of a file of the shared data folder (the caches).
  std::string CacheHostPath(const std::string& name) {
    return kw::WorldMapPath(kadu::SharedDataFolder() + u"\\" + kw::Widen(name));
  }
  // Starts a new process's store in the given role.
  void Restart(kadu::StoreRole role) {
    kadu::ModelStoreFree();
    kadu::ModelStoreInit(role);
  }
  const kadu::ModelRecord* Load(const char16_t* name) {
    if (!kadu::LoadModelRecord(name, nullptr, FALSE, nullptr)) return nullptr;
    return kadu::FindModelRecord(name);
  }
  void SetUserCountry(LCID lcid) {
    kw::hooks::LocaleSettings l;
    l.userLocale = lcid;
    kw::hooks::SetLocaleSettings(l);
  }
  std::string folder_;
};

}  // namespace kadu_test
