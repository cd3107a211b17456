// Feeds arbitrary program files to the archive reader and extracts what it
// accepts. The first byte picks the shape: odd values append the rest to a
// fixed image holding three good member streams (so fuzzed directories and
// trailers can point at real data), even values use the rest as the whole file.
// Aborts when anything is written outside the extraction folder.
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "extractor/archive_reader.h"
#include "kw/world.h"

namespace fs = std::filesystem;
using namespace kadu::extractor;

namespace {

std::string Stream(const std::string& data, int level) {
  uLongf n = compressBound(uLong(data.size()));
  std::string out(n, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(data.data()),
            uLong(data.size()), level);
  out.resize(n);
  return out;
}

// "MZ" image of 16 bytes, then three streams at offsets 16, 16+a, 16+a+b.
const std::string& Image() {
  static const std::string image = std::string("MZ fuzz image..\0", 16) + Stream("setup", 6) +
                                   Stream(std::string(5000, 'k'), 9) + Stream("", 0);
  return image;
}

const std::string& Root() {
  static const std::string root = [] {
    std::string tmpl = (fs::temp_directory_path() / "kadu-fuzz-archive-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) std::abort();
    static std::string made = tmpl;
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(made, ec);
    });
    kw::WorldSetRoot(tmpl + "/world");
    return tmpl + "/world";
  }();
  return root;
}

void CheckNothingEscaped(const std::string& root) {
  for (auto& e : fs::recursive_directory_iterator(root)) {
    std::string rel = e.path().string().substr(root.size());
    bool allowed = rel == "/C" || rel == "/C/pkg.exe" || rel == "/C/box" || rel == "/C/box/out" ||
                   rel.rfind("/C/box/out/", 0) == 0;
    if (!allowed) {
      std::fprintf(stderr, "written outside the extraction folder: %s\n", rel.c_str());
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& root = Root();
  if (size == 0) return 0;
  std::string file = (data[0] & 1) ? Image() : std::string();
  file.append(reinterpret_cast<const char*>(data + 1), size - 1);
  {
    std::ofstream out(root + "/C/pkg.exe", std::ios::binary | std::ios::trunc);
    out.write(file.data(), std::streamsize(file.size()));
  }
  auto x = std::make_unique<Extractor>();
  int read = ReadDirectory(x.get(), "C:\\pkg.exe");
  if (read == kResultSuccess && (x->entryCount == 0 || x->entryCount > kMaxEntries)) std::abort();
  int result = ExtractAll(x.get(), "C:\\box\\out", nullptr, nullptr);
  if (result != read && read != kResultSuccess) std::abort();
  CheckNothingEscaped(root);
  std::error_code ec;
  fs::remove_all(root + "/C/box", ec);
  for (auto& e : fs::directory_iterator(root, ec))
    if (e.path().filename() != "C") fs::remove_all(e.path(), ec);
  return 0;
}
