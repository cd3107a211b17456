// The binary caches of the model data: the common cache (paper table and
// dither tables) and one model cache per model (its ModelRecord). A cache is
// valid only when the file has exactly its size and its first word is that
// size. Caches are written to a temporary file and renamed, so a reader never
// sees half a file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/dither_table.h"
#include "common/model_record.h"
#include "common/paper_table.h"

namespace kadu {

inline constexpr uint32_t kCommonCacheSize = 127184;
inline constexpr uint32_t kModelCacheSize = 17652;

struct CommonCache {
  uint32_t size;            // kCommonCacheSize
  uint16_t paperStamp;      // InitDataFile2
  uint16_t watermarkStamp;  // InitDataFile3
  PaperRecord papers[kPaperTableCapacity];
  DitherTable dither[kDitherTableCount];  // resource identifiers 1-24, then 31-48
  uint8_t zero[kCommonCacheSize - 8 - sizeof(PaperRecord) * kPaperTableCapacity -
               sizeof(DitherTable) * kDitherTableCount];
};
static_assert(sizeof(CommonCache) == kCommonCacheSize);
static_assert(offsetof(CommonCache, papers) == 8);
static_assert(offsetof(CommonCache, dither) == 8 + 11776);

struct ModelCache {
  uint32_t size;  // kModelCacheSize
  ModelRecord record;
};
static_assert(sizeof(ModelCache) == kModelCacheSize);
static_assert(offsetof(ModelCache, record) == 4);

// Reads a cache file into `out`; false when it cannot be read or is not valid.
bool ReadCommonCache(const std::u16string& path, CommonCache* out);
bool ReadModelCache(const std::u16string& path, ModelCache* out);
// Writes (creates or replaces) a cache file; the folder is made when missing.
bool WriteCommonCache(const std::u16string& path, const CommonCache& cache);
bool WriteModelCache(const std::u16string& path, const ModelCache& cache);

}  // namespace kadu
