// Builds package archives for tests, written from the archive format and
// independent of kadu-pack, with knobs to damage every part of them.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kadu_test {

// One zlib stream of `data` made with the given deflate parameters and, when
// `dictionary` is not empty, a preset dictionary.
std::string Deflate(const std::string& data, int level = 6, int windowBits = 15, int memLevel = 8,
                    int strategy = Z_DEFAULT_STRATEGY, const std::string& dictionary = "");

struct KoraMember {
  std::string directory;  // ending with "\", or empty
  std::string fileName;
  std::string data;
  std::optional<std::string> stream = std::nullopt;  // stored as given instead of Deflate(data)
  std::optional<uint32_t> offset = std::nullopt;     // directory fields as given instead of the true ones
  std::optional<uint32_t> uncompressedSize = std::nullopt;
  std::optional<uint32_t> compressedSize = std::nullopt;
  std::optional<uint32_t> fileNameLength = std::nullopt;
  std::optional<uint32_t> directoryLength = std::nullopt;
};

// A few bytes standing for the extractor's executable image.
inline std::string StandInImage() {
  static const char image[] = "MZ\x90\0 stand-in executable image";
  return std::string(image, sizeof image - 1);
}

struct KoraArchive {
  std::string stub = StandInImage();
  std::vector<KoraMember> members;
  std::optional<uint32_t> count = std::nullopt;  // entry count as given instead of the member count
  std::string version = "1.10";
  std::string tail;               // after the magic (a signature block, padding)
};

std::string BuildKora(const KoraArchive& archive);

}  // namespace kadu_test
