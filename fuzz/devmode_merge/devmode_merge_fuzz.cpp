// Merges arbitrary bytes of arbitrary size into the default record of each
// shipped model, as they come and with a valid header of the driver's own
// record laid over them. Nothing may be read beyond the bytes given, and
// every field of the result must lie inside its accepted range.
//
// Input: byte 0 chooses the model (value % 3), bit 0x4 lays the own header
// over the record, bit 0x8 merges the result a second time; the rest is the
// incoming record.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/devmode.h"
#include "common/devmode_model.h"
#include "common/model_files.h"
#include "common/model_store.h"
#include "kw/hooks_printers.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "windows.h"

namespace {

const char16_t* const kPrinters[] = {u"Desk", u"Office", u"Japan"};
const char* const kDrivers[] = {"Halvorn KADU 2630dn", "Halvorn KADU 4550fx", "Halvorn KADU J3100"};

struct Model {
  HANDLE printer = nullptr;
  kadu::DriverDevmode base;
};

// The world (in the current folder) with the shipped data and one printer per model.
Model* Models() {
  static Model* models = [] {
    namespace fs = std::filesystem;
    fs::path root = fs::current_path() / "devmode-fuzz-world";
    fs::remove_all(root);
    kw::WorldSetRoot(root.string());
    fs::path folder = root / "C/Windows/System32/spool/drivers/w32x86/3";
    fs::create_directories(folder);
    for (const char* f : {"KADU.DAT", "KADUPAPR.INI", "KADUWMRK.INI", "QELKADU.CAP", "K2630.INI", "K4550.INI",
                          "K4550C.INI", "KJ3100.INI"})
      fs::copy_file(fs::path(KADU_FUZZ_DATA_DIR) / f, folder / f, fs::copy_options::overwrite_existing);
    kadu::SetDriverFolder(u"C:\\Windows\\System32\\spool\\drivers\\w32x86\\3");
    kadu::ModelStoreInit(kadu::StoreRole::Interface);
    auto* m = new Model[3];
    for (int i = 0; i < 3; ++i) {
      kw::hooks::PrinterSetup s;
      s.name = kw::Narrow(kPrinters[i]);
      s.driverName = kDrivers[i];
      s.driverPath = "C:\\Windows\\System32\\spool\\drivers\\w32x86\\3\\KADU_UM.DLL";
      kw::hooks::PrinterInstall(s);
      std::u16string driver = kw::Widen(kDrivers[i]);
      if (!kadu::LoadModelRecord(driver.c_str(), nullptr, FALSE, nullptr)) std::abort();
      if (!OpenPrinterW(const_cast<LPWSTR>(kPrinters[i]), &m[i].printer, nullptr)) std::abort();
      if (!kadu::BuildDefaultDevmode(&m[i].base, kPrinters[i], m[i].printer)) std::abort();
    }
    return m;
  }();
  return models;
}

void LayOwnHeader(const Model& m, std::vector<uint8_t>* b) {
  if (b->size() < 72) b->resize(72);
  auto* dm = reinterpret_cast<DEVMODEW*>(b->data());
  dm->dmSpecVersion = kadu::kDevmodeSpecVersion;
  dm->dmDriverVersion = kadu::kDevmodeDriverVersion;
  dm->dmSize = kadu::kDevmodePublicSize;
  // Keep the input's own private size when it names one the driver accepts.
  if (dm->dmDriverExtra < kadu::kDevmodeMinOwnPrivate || dm->dmDriverExtra > kadu::kDevmodePrivateSize)
    dm->dmDriverExtra = kadu::kDevmodePrivateSize;
  const size_t name = offsetof(kadu::DriverDevmode, priv.szDriverName);
  if (b->size() >= name + sizeof(m.base.priv.szDriverName))
    std::memcpy(b->data() + name, m.base.priv.szDriverName, sizeof(m.base.priv.szDriverName));
}

void Check(const kadu::DriverDevmode& dm) {
  if (const kadu::FieldRange* f = kadu::FirstFieldOutOfRange(dm)) {
    std::fprintf(stderr, "%s out of range: %lld\n", f->name, static_cast<long long>(kadu::DevmodeReadField(dm, *f)));
    std::abort();
  }
  if (dm.dm.dmDeviceName[31] || dm.dm.dmFormName[31] || dm.priv.szWatermarkId[19] || dm.priv.szWatermarkText[63] ||
      dm.priv.szDriverName[31] || dm.priv.szJobName[19] || dm.priv.szFavoriteName[31])
    std::abort();
  if (dm.dm.dmSize != 220 || dm.dm.dmDriverExtra != 1596) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  Model& m = Models()[data[0] % 3];
  const bool own = data[0] & 0x4, twice = data[0] & 0x8;
  std::vector<uint8_t> record(data + 1, data + size);
  if (own) LayOwnHeader(m, &record);
  // Exactly the bytes given, on the heap, so that a read past them shows.
  std::unique_ptr<uint8_t[]> exact(new uint8_t[record.size() + 1]);
  if (!record.empty()) std::memcpy(exact.get(), record.data(), record.size());

  kadu::DriverDevmode dm = m.base;
  kadu::MergeDevmodeBytes(&dm, exact.get(), record.size(), m.printer);
  Check(dm);
  if (twice) {
    kadu::DriverDevmode again = m.base;
    kadu::MergeDevmode(&again, &dm.dm, m.printer);
    Check(again);
  }
  // The pointer form and the conversion trust the record's sizes: only for
  // records that hold what they declare.
  if (record.size() >= 72) {
    auto* in = reinterpret_cast<DEVMODEW*>(exact.get());
    if (size_t(in->dmSize) + in->dmDriverExtra <= record.size()) {
      kadu::DriverDevmode merged = m.base;
      kadu::MergeDevmode(&merged, in, m.printer);
      Check(merged);
      kadu::DriverDevmode out = m.base;
      LONG cb = LONG(sizeof(out));
      DrvConvertDevMode(const_cast<LPWSTR>(kPrinters[data[0] % 3]), in, &out.dm, &cb, CDM_CONVERT);
    }
  }
  return 0;
}
