// Building a driver package: an extractor program with the package archive of
// a folder tree appended (see docs/package-archive.md).
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kadu::pack {

struct PackMember {
  std::filesystem::path source;  // host file
  std::string directory;         // ANSI folder relative to the extraction folder, ending with "\", or empty
  std::string fileName;          // ANSI file name
  uint32_t uncompressedSize = 0; // filled by WritePackage
  uint32_t compressedSize = 0;
  uint32_t offset = 0;
};

struct PackOptions {
  int level = 9;  // zlib compression level 0-9
};

// Lists the files under `root` in package order: a folder's files by name
// (ASCII case ignored, then bytes), then its sub-folders in the same order,
// each the same way. Names are converted to the ANSI code page and checked
// against what the extractor accepts. Empty folders are reported in `notes`.
bool CollectMembers(const std::filesystem::path& root, std::vector<PackMember>* members,
                    std::vector<std::string>* notes, std::string* error);

// Writes `stub` followed by the members' zlib streams, the directory and the
// trailer to `out` (through a temporary file renamed at the end).
bool WritePackage(const std::filesystem::path& stub, std::vector<PackMember>* members,
                  const std::filesystem::path& out, const PackOptions& options, std::string* error);

}  // namespace kadu::pack
