// kadu-pack: builds a driver package from an extractor program and a folder.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "pack.h"

namespace {

const char kUsage[] =
    "Usage: kadu-pack --stub EXTRACTOR --out PACKAGE [--level N] FOLDER\n"
    "Builds a self-extracting driver package: the EXTRACTOR program with every file\n"
    "under FOLDER appended as a package archive (one zlib stream per file).\n"
    "  --stub EXTRACTOR  the bare extractor program to start the package with\n"
    "  --out PACKAGE     the package to write (replaced when it exists)\n"
    "  --level N         zlib compression level 0 (stored) to 9 (default 9)\n"
    "  --quiet           print nothing but errors\n"
    "  --help            show this text\n"
    "Members are stored in this order: a folder's files sorted by name (ASCII case\n"
    "ignored), then its sub-folders in the same order, each the same way. Names must\n"
    "be representable in the ANSI code page; empty folders are not stored.\n";

}  // namespace

int main(int argc, char** argv) {
  std::string stub, out, folder;
  kadu::pack::PackOptions options;
  bool quiet = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    bool hasValue = i + 1 < argc;
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (a == "--stub" && hasValue) {
      stub = argv[++i];
    } else if (a == "--out" && hasValue) {
      out = argv[++i];
    } else if (a == "--level" && hasValue) {
      char* end = nullptr;
      long level = std::strtol(argv[++i], &end, 10);
      if (*end || level < 0 || level > 9) {
        std::fprintf(stderr, "kadu-pack: --level takes 0 to 9\n");
        return 2;
      }
      options.level = int(level);
    } else if (a == "--quiet") {
      quiet = true;
    } else if (!a.empty() && a[0] != '-' && folder.empty()) {
      folder = a;
    } else {
      std::fprintf(stderr, "kadu-pack: unexpected argument \"%s\"\n%s", a.c_str(), kUsage);
      return 2;
    }
  }
  if (stub.empty() || out.empty() || folder.empty()) {
    std::fprintf(stderr, "kadu-pack: --stub, --out and a FOLDER are needed\n%s", kUsage);
    return 2;
  }
  std::vector<kadu::pack::PackMember> members;
  std::vector<std::string> notes;
  std::string error;
  bool ok = kadu::pack::CollectMembers(folder, &members, &notes, &error) &&
            kadu::pack::WritePackage(stub, &members, out, options, &error);
  for (const std::string& n : notes) std::fprintf(stderr, "kadu-pack: note: %s\n", n.c_str());
  if (!ok) {
    std::fprintf(stderr, "kadu-pack: %s\n", error.c_str());
    return 1;
  }
  if (!quiet) {
    uint64_t in = 0, packed = 0;
    for (const auto& m : members) {
      std::printf("  %s%s  %u -> %u\n", m.directory.c_str(), m.fileName.c_str(), m.uncompressedSize, m.compressedSize);
      in += m.uncompressedSize;
      packed += m.compressedSize;
    }
    std::printf("%zu members, %llu bytes packed into %llu, written to %s\n", members.size(),
                static_cast<unsigned long long>(in), static_cast<unsigned long long>(packed), out.c_str());
  }
  return 0;
}
