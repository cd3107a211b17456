// The package archive appended to the extractor program:
//   executable image | member zlib streams | directory | count | "1.10" | magic | (anything)
// Each directory entry is: offset, uncompressed size, compressed size (u32 LE),
// file name bytes, file name length (u32), directory bytes, directory length (u32).
// Strings are followed, not preceded, by their lengths, so the directory is read
// from its end. docs/package-archive.md describes the format in full.
#pragma once
#include <cstddef>
#include <cstdint>

namespace kadu::extractor {

inline constexpr char kArchiveVersion[4] = {'1', '.', '1', '0'};
inline constexpr size_t kMagicSize = 10;
// The magic "!KORA_SFX!" is stored masked so that the program's own image never
// holds it: a bare extractor must not find a false trailer inside itself.
inline constexpr uint8_t kMagicMask = 0x5A;
inline constexpr uint8_t kMagicMasked[kMagicSize] = {
    '!' ^ kMagicMask, 'K' ^ kMagicMask, 'O' ^ kMagicMask, 'R' ^ kMagicMask, 'A' ^ kMagicMask,
    '_' ^ kMagicMask, 'S' ^ kMagicMask, 'F' ^ kMagicMask, 'X' ^ kMagicMask, '!' ^ kMagicMask};
// Fills `out` with the ten magic bytes.
inline void ArchiveMagic(uint8_t out[kMagicSize]) {
  for (size_t i = 0; i < kMagicSize; ++i) out[i] = uint8_t(kMagicMasked[i] ^ kMagicMask);
}

// The fixed bytes that end the archive: entry count, version, magic.
struct ArchiveTail {
  uint8_t count[4];  // u32 little-endian
  char version[4];
  uint8_t magic[kMagicSize];
};
static_assert(sizeof(ArchiveTail) == 18);
static_assert(offsetof(ArchiveTail, count) == 0 && offsetof(ArchiveTail, version) == 4 &&
              offsetof(ArchiveTail, magic) == 8);

// The fixed part of a directory entry, in front of its file name.
struct EntryHead {
  uint8_t offset[4];
  uint8_t uncompressedSize[4];
  uint8_t compressedSize[4];
};
static_assert(sizeof(EntryHead) == 12);
static_assert(offsetof(EntryHead, offset) == 0 && offsetof(EntryHead, uncompressedSize) == 4 &&
              offsetof(EntryHead, compressedSize) == 8);

inline constexpr uint32_t kMaxEntries = 1000;
inline constexpr uint32_t kMaxStringBytes = 999;  // a file name or a directory
// The magic must start less than this many bytes before the end of the file.
inline constexpr uint64_t kTrailerSearchBytes = 10000000;
// Input and output of inflate go through buffers of this size.
inline constexpr uint32_t kBufferSize = 4096;

inline uint32_t ReadLE32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void WriteLE32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

}  // namespace kadu::extractor
