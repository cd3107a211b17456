// Extracting a 200 MB package through the extractor (4 KB buffers, the
// layer's file calls, Windows paths) against inflating the same streams with
// zlib directly in one loop into the same files, with 64 KB buffers
// (BM_ZlibDirectToFiles) and with the extractor's 4 KB (BM_ZlibDirect4K); the
// in-memory loop shows what inflate alone costs. The ratio of throughputs,
// extractor / direct loop, is the extractor's overhead.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "extractor/archive_reader.h"
#include "kw/wide.h"
#include "kw/world.h"

namespace fs = std::filesystem;
using namespace kadu::extractor;

namespace {

constexpr int kMembers = 20;
constexpr size_t kMemberBytes = 10u << 20;

struct Member {
  uint64_t offset, packed, size;
  std::string name;
};

struct Package {
  std::string dir;  // host folder holding the package and the outputs
  std::string path;
  std::vector<Member> members;
  uint64_t total = 0;
};

// Bytes that pack about as well as driver binaries do (a bit under half):
// runs of code-like bytes with small values, repeated phrases and noise.
std::string BinaryLike(uint32_t seed, size_t n) {
  std::mt19937 rng(seed);
  std::string s;
  s.reserve(n);
  const std::string phrases[] = {"KADU_UM", "GetPrinterDataW", "\x8B\x45\x08\x89\x45\xFC", "PCL", "\0\0\0\0"};
  while (s.size() < n) {
    uint32_t r = rng();
    switch (r % 4) {
      case 0: for (int i = 0; i < 24; ++i) s.push_back(char(rng())); break;
      case 1: for (int i = 0; i < 32; ++i) s.push_back(char(rng() & 0x1F)); break;
      default: s += phrases[(r >> 8) % 5]; break;
    }
  }
  s.resize(n);
  return s;
}

void PutU32(std::string* s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s->push_back(char(v >> (8 * i)));
}

std::string Deflate(const std::string& data) {
  uLongf n = compressBound(uLong(data.size()));
  std::string out(n, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(data.data()),
            uLong(data.size()), 6);
  out.resize(n);
  return out;
}

const Package& ThePackage() {
  static Package* p = [] {
    auto* pkg = new Package;
    std::string tmpl = (fs::temp_directory_path() / "kadu-bench-extract-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) std::abort();
    pkg->dir = tmpl;
    pkg->path = tmpl + "/pkg.exe";
    static std::string cleanup = tmpl;
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(cleanup, ec);
    });
    kw::WorldSetRoot(tmpl + "/world");
    int fd = ::open(pkg->path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0755);
    std::string head = "MZ bench image";
    std::string directory;
    if (::write(fd, head.data(), head.size()) < 0) std::abort();
    uint64_t at = head.size();
    for (int i = 0; i < kMembers; ++i) {
      std::string data = BinaryLike(uint32_t(i), kMemberBytes), z = Deflate(data);
      if (::write(fd, z.data(), z.size()) != ssize_t(z.size())) std::abort();
      Member m{at, z.size(), data.size(), "member" + std::to_string(i) + ".dll"};
      PutU32(&directory, uint32_t(at));
      PutU32(&directory, uint32_t(data.size()));
      PutU32(&directory, uint32_t(z.size()));
      directory += m.name;
      PutU32(&directory, uint32_t(m.name.size()));
      PutU32(&directory, 0);
      at += z.size();
      pkg->total += data.size();
      pkg->members.push_back(m);
    }
    PutU32(&directory, kMembers);
    directory += "1.10!KORA_SFX!";
    if (::write(fd, directory.data(), directory.size()) < 0) std::abort();
    ::close(fd);
    fs::create_directories(pkg->dir + "/out");
    return pkg;
  }();
  return *p;
}

void BM_ExtractPackage(benchmark::State& state) {
  const Package& pkg = ThePackage();
  std::string program = kw::Narrow(kw::WorldHostToWindows(pkg.path));
  std::string dest = kw::Narrow(kw::WorldHostToWindows(pkg.dir + "/out"));
  auto x = std::make_unique<Extractor>();
  for (auto _ : state) {
    x->programPath = program;
    int r = ExtractAll(x.get(), dest.c_str(), nullptr, nullptr);
    if (r != kResultSuccess) state.SkipWithError("extraction failed");
  }
  state.SetBytesProcessed(int64_t(state.iterations() * pkg.total));
}

// The same streams inflated by zlib in one plain loop, 64 KB at a time.
void InflateDirect(const Package& pkg, bool writeFiles, size_t chunk = 64 * 1024) {
  int in = ::open(pkg.path.c_str(), O_RDONLY);
  std::vector<uint8_t> input(chunk), output(chunk);
  for (const Member& m : pkg.members) {
    int out = writeFiles ? ::open((pkg.dir + "/out/" + m.name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644) : -1;
    z_stream s{};
    inflateInit(&s);
    uint64_t pos = m.offset;
    int z = Z_OK;
    while (z == Z_OK) {
      if (s.avail_in == 0) {
        ssize_t n = ::pread(in, input.data(), input.size(), off_t(pos));
        if (n <= 0) break;
        pos += uint64_t(n);
        s.next_in = input.data();
        s.avail_in = uInt(n);
      }
      s.next_out = output.data();
      s.avail_out = uInt(output.size());
      z = inflate(&s, Z_NO_FLUSH);
      size_t produced = output.size() - s.avail_out;
      if (out >= 0 && ::write(out, output.data(), produced) != ssize_t(produced)) std::abort();
      benchmark::DoNotOptimize(output.data());
    }
    inflateEnd(&s);
    if (out >= 0) ::close(out);
  }
  ::close(in);
}

void BM_ZlibDirectToFiles(benchmark::State& state) {
  const Package& pkg = ThePackage();
  for (auto _ : state) InflateDirect(pkg, true);
  state.SetBytesProcessed(int64_t(state.iterations() * pkg.total));
}

void BM_ZlibDirect4K(benchmark::State& state) {
  const Package& pkg = ThePackage();
  for (auto _ : state) InflateDirect(pkg, true, kBufferSize);
  state.SetBytesProcessed(int64_t(state.iterations() * pkg.total));
}

void BM_ZlibDirectInMemory(benchmark::State& state) {
  const Package& pkg = ThePackage();
  for (auto _ : state) InflateDirect(pkg, false);
  state.SetBytesProcessed(int64_t(state.iterations() * pkg.total));
}

BENCHMARK(BM_ExtractPackage)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ZlibDirectToFiles)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ZlibDirect4K)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ZlibDirectInMemory)->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace

BENCHMARK_MAIN();
