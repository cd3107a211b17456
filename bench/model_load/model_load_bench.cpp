// Loading a model from its cache (what the rendering library does for every
// device context) against parsing its data files (what the interface library
// does once per data version). Each iteration starts a fresh store, as a new
// process would.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "common/model_files.h"
#include "common/model_parse.h"
#include "common/model_store.h"
#include "kw/world.h"

namespace {

const char16_t* kModel = u"Halvorn KADU 4550fx";

struct World {
  std::string root;
  World() {
    root = (std::filesystem::temp_directory_path() / ("kadu-bench-model-" + std::to_string(getpid()))).string();
    kw::WorldSetRoot(root);
    std::string folder = root + "/C/Drivers";
    std::filesystem::create_directories(folder);
    for (const char* f : {"KADU.DAT", "KADUPAPR.INI", "KADUWMRK.INI", "QELKADU.CAP", "K2630.INI", "K4550.INI",
                          "K4550C.INI", "KJ3100.INI"})
      std::filesystem::copy_file(std::string(KADU_SOURCE_DIR) + "/data/" + f, folder + "/" + f);
    kadu::SetDriverFolder(u"C:\\Drivers");
    // Write the caches once, and let the data files age so that the system's
    // file cache keeps them parsed (as it would for files installed long ago).
    kadu::ModelStoreInit(kadu::StoreRole::Interface);
    kadu::LoadModelRecord(kModel, nullptr, FALSE, nullptr);
    kadu::ModelStoreFree();
    auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24);
    for (auto& e : std::filesystem::directory_iterator(folder)) std::filesystem::last_write_time(e.path(), old);
  }
  ~World() {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
};

World& TheWorld() {
  static World w;
  return w;
}

void BM_LoadFromCache(benchmark::State& state) {
  TheWorld();
  for (auto _ : state) {
    kadu::ModelStoreInit(kadu::StoreRole::Renderer);
    bool ok = kadu::LoadModelRecord(kModel, nullptr, FALSE, nullptr) && kadu::FindModelRecord(kModel);
    kadu::ModelStoreFree();
    if (!ok) state.SkipWithError("no record from the cache");
  }
}
BENCHMARK(BM_LoadFromCache)->Unit(benchmark::kMicrosecond);

// Parses the model's files; the common tables come from their cache, as they
// do whenever only a model's files changed.
void BM_ParseDataFiles(benchmark::State& state) {
  TheWorld();
  std::string cache = kw::WorldMapPath(kadu::ModelCachePath(kadu::FindModelFiles(kModel)));
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(cache);
    state.ResumeTiming();
    kadu::ModelStoreInit(kadu::StoreRole::Interface);
    bool ok = kadu::LoadModelRecord(kModel, nullptr, FALSE, nullptr) && kadu::FindModelRecord(kModel);
    kadu::ModelStoreFree();
    if (!ok) state.SkipWithError("no record from the files");
  }
}
BENCHMARK(BM_ParseDataFiles)->Unit(benchmark::kMicrosecond);

// The parsing alone, without writing the cache.
void BM_ParseOnly(benchmark::State& state) {
  TheWorld();
  kadu::ModelStoreInit(kadu::StoreRole::Renderer);
  kadu::LoadModelRecord(kModel, nullptr, FALSE, nullptr);  // the paper table, from its cache
  kadu::ModelFiles files = kadu::FindModelFiles(kModel);
  auto* rec = new kadu::ModelRecord;
  for (auto _ : state) {
    kadu::ParseModel(files, kModel, rec);
    benchmark::DoNotOptimize(rec->info.features);
  }
  delete rec;
  kadu::ModelStoreFree();
}
BENCHMARK(BM_ParseOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
