// Feeds arbitrary bytes to the model data readers as data files (parsed by the
// interface library) and as caches (taken by the rendering library), then asks
// every accessor and checks that each answer lies inside its table.
//
// Input: the first byte chooses the route.
//   0: the rest is split at "\x00\x01" into DefaultFile, CustomFile and paper table;
//   1: the rest is a model cache file, as it is;
//   2: the rest is laid over a valid model cache (size word, filled flag and name kept);
//   3: the rest is laid over a valid common cache, then a model is parsed against it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

#include "common/builtin_tables.h"
#include "common/dither_table.h"
#include "common/halftone_choice.h"
#include "common/model_accessors.h"
#include "common/model_cache.h"
#include "common/model_files.h"
#include "common/model_store.h"
#include "kw/world.h"

using namespace kadu;

namespace {

const char16_t* kName = u"Halvorn Fuzz Model";
std::string g_folder;
std::string g_root;

void RemoveWorld() {
  std::error_code ec;
  std::filesystem::remove_all(g_root, ec);
}

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void Init() {
  if (!g_folder.empty()) return;
  std::string root = (std::filesystem::temp_directory_path() / ("kadu-fuzz-model-" + std::to_string(getpid()))).string();
  kw::WorldSetRoot(root);
  g_root = root;
  std::atexit(RemoveWorld);
  g_folder = root + "/C/Drivers";
  std::filesystem::create_directories(g_folder);
  SetDriverFolder(u"C:\\Drivers");
  std::ofstream(g_folder + "/KADU.DAT") << "[Common]\r\nInitDataFile1=D.DLL\r\nInitDataFile2=P.INI\r\nInitDataFile3=W.INI\r\n"
                                           "[Halvorn Fuzz Model]\r\nDefaultFile=M.INI\r\nCustomFile=C.INI\r\n";
}

void Write(const std::string& name, const void* data, size_t size) {
  std::ofstream(g_folder + "/" + name, std::ios::binary | std::ios::trunc)
      .write(static_cast<const char*>(data), std::streamsize(size));
}

std::string HostOf(const std::u16string& win) { return kw::WorldMapPath(win); }

bool IsSourceCode(int code) {
  for (const auto& s : kSourceTable)
    if (s.code == code) return true;
  return code >= kPaperTypeCodeBase && code < kPaperTypeCodeBase + int(kPaperTypeTableSize);
}

bool IsPaperCode(int code) {
  for (int i = 0; i < PaperTableCount(); ++i)
    if (PaperTableRows()[i].code == code) return true;
  return false;
}

void CheckModel(const WCHAR* name) {
  ModelRecord* rec = FindModelRecord(name);
  if (!rec) return;
  const ModelInfo& info = rec->info;
  const PaperRecord* rows = PaperTableRows();
  Check(info.paper.count >= 1 && info.paper.count <= 64);
  for (int i = 0; i < info.paper.count; ++i)
    Check(PaperTableCount() == 0 || info.paper.items[i] < uint32_t(PaperTableCount()));
  Check(DefaultPaperIndex(info) >= 0 && DefaultPaperIndex(info) < info.paper.count);
  for (int i = -3; i < 70; ++i) {
    int code = PaperCodeAt(info, i);
    Check(code == 0 || IsPaperCode(code));
    const PaperRecord* r = PaperRecordAt(info, i);
    Check(!r || (r >= rows && r < rows + PaperTableCount()));
    const uint16_t* area = PrintableAreaAt(info, i, i & 1 ? 1 : 2);
    Check(!area || (reinterpret_cast<const void*>(area) >= rows &&
                    reinterpret_cast<const void*>(area) < rows + PaperTableCount()));
    int w, l;
    PaperSizeAt(info, i, &w, &l);
    PaperFlagsAt(info, i);
    Check(IsSourceCode(SourceCodeAt(info, i)));
    int media = MediaCodeAt(info, i);
    Check(media >= 0 && media <= 19);
    MediaMaskAt(info, i);
    MediaStringAt(info, i);
    int duplex = DuplexPaperOfCode(info, i * 7, i & 1);
    Check(duplex == i * 7 || duplex == 0 || IsPaperCode(duplex));
    PaperIndexOfCode(info, i * 7);
    SourceIndexOfCode(info, i * 7);
    MediaIndexOfCode(info, i);
  }
  Check(IsSourceCode(DefaultSourceCode(info)));
  for (int level = -6; level <= 1; ++level) {
    int q = QualityCodeOfLevel(info, level);
    bool known = q == -1;
    for (const auto& row : kQualityTable) known = known || row.code == q;
    Check(known);
  }
  int16_t limits[8];
  CustomSizeLimits(info, limits);
  for (int res : {75, 300, 600, 1200})
    for (uint16_t diz : {0x0001, 0x0003, 0xFD03, 0xFF01, 0x1203})
      for (int sub : {0, 2}) Check(DitherTableIsValid(ChooseHalftoneTable(name, res, sub, diz)));
  DefaultQuality(rec);
  DefaultUiQuality(rec);
}

void SplitFiles(const uint8_t* data, size_t size) {
  const char* names[] = {"M.INI", "C.INI", "P.INI"};
  size_t start = 0, part = 0;
  for (size_t i = 0; i + 1 < size && part < 2; ++i) {
    if (data[i] == 0 && data[i + 1] == 1) {
      Write(names[part++], data + start, i - start);
      start = i + 2;
      ++i;
    }
  }
  Write(names[part++], data + start, size - start);
  for (; part < 3; ++part) std::filesystem::remove(g_folder + "/" + names[part]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Init();
  if (size == 0) return 0;
  uint8_t route = data[0] % 4;
  ++data;
  --size;
  ModelStoreFree();
  std::filesystem::remove_all(HostOf(SharedDataFolder()));
  std::filesystem::remove(g_folder + "/M.INI");
  std::filesystem::remove(g_folder + "/C.INI");
  std::filesystem::remove(g_folder + "/P.INI");
  ModelFiles files = FindModelFiles(kName);
  if (route == 0) {
    SplitFiles(data, size);
    ModelStoreInit(StoreRole::Interface);
    LoadModelRecord(kName, nullptr, FALSE, nullptr);
  } else if (route == 1 || route == 2) {
    std::filesystem::create_directories(HostOf(SharedDataFolder()));
    std::unique_ptr<ModelCache> c(new ModelCache);
    if (route == 1) {
      std::ofstream(HostOf(ModelCachePath(files)), std::ios::binary | std::ios::trunc)
          .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    } else {
      std::memset(c.get(), 0, sizeof *c);
      std::memcpy(c.get(), data, std::min(size, sizeof *c));
      c->size = kModelCacheSize;
      c->record.filled = 1;
      std::memcpy(c->record.defaults.driverName, kName, (std::char_traits<char16_t>::length(kName) + 1) * 2);
      WriteModelCache(ModelCachePath(files), *c);
    }
    ModelStoreInit(StoreRole::Renderer);
    LoadModelRecord(kName, nullptr, FALSE, nullptr);
  } else {
    std::filesystem::create_directories(HostOf(SharedDataFolder()));
    std::unique_ptr<CommonCache> c(new CommonCache);
    std::memset(c.get(), 0, sizeof *c);
    std::memcpy(c.get(), data, std::min(size, sizeof *c));
    c->size = kCommonCacheSize;
    c->paperStamp = c->watermarkStamp = 0;  // the stamps of missing files
    WriteCommonCache(CommonCachePath(files), *c);
    ModelStoreInit(StoreRole::Interface);
    LoadModelRecord(kName, nullptr, FALSE, nullptr);
  }
  CheckModel(kName);
  ModelStoreFree();
  return 0;
}
