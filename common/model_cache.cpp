#include "common/model_cache.h"

#include <cstring>

#include "windows.h"

namespace kadu {
namespace {

bool ReadExact(const std::u16string& path, void* out, uint32_t size) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD high = 0;
  DWORD low = GetFileSize(f, &high);
  DWORD got = 0;
  bool ok = high == 0 && low == size && ReadFile(f, out, size, &got, nullptr) && got == size;
  CloseHandle(f);
  uint32_t first = 0;
  if (ok) std::memcpy(&first, out, 4);
  return ok && first == size;
}

void MakeFolder(const std::u16string& path) {
  size_t slash = path.find_last_of(u'\\');
  if (slash == std::u16string::npos) return;
  std::u16string folder = path.substr(0, slash);
  if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) CreateDirectoryW(folder.c_str(), nullptr);
}

// Writes a temporary file beside the cache and moves it over the cache.
bool WriteReplacing(const std::u16string& path, const void* data, uint32_t size) {
  MakeFolder(path);
  std::u16string tmp = path + u".tmp";
  for (DWORD pid = GetCurrentProcessId(); pid; pid /= 10) tmp.push_back(char16_t(u'0' + pid % 10));
  HANDLE f = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(f, data, size, &written, nullptr) && written == size;
  CloseHandle(f);
  if (ok) ok = MoveFileExW(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
  if (!ok) DeleteFileW(tmp.c_str());
  return ok;
}

}  // namespace

bool ReadCommonCache(const std::u16string& path, CommonCache* out) { return ReadExact(path, out, kCommonCacheSize); }
bool ReadModelCache(const std::u16string& path, ModelCache* out) { return ReadExact(path, out, kModelCacheSize); }

bool WriteCommonCache(const std::u16string& path, const CommonCache& cache) {
  return WriteReplacing(path, &cache, kCommonCacheSize);
}

bool WriteModelCache(const std::u16string& path, const ModelCache& cache) {
  return WriteReplacing(path, &cache, kModelCacheSize);
}

}  // namespace kadu
