// Locating the trailer from the end of the program file and reading the
// directory backwards from it. Every count, length and offset comes from the
// file and is checked against the file and the format's limits before use.
#include <cstring>

#include "extractor/archive_reader.h"

namespace kadu::extractor {
namespace {

bool ReadAt(HANDLE f, uint64_t pos, void* buf, DWORD n) {
  LARGE_INTEGER at;
  at.QuadPart = LONGLONG(pos);
  DWORD got = 0;
  return SetFilePointerEx(f, at, nullptr, FILE_BEGIN) && ReadFile(f, buf, n, &got, nullptr) && got == n;
}

// Finds the last copy of the magic that starts less than kTrailerSearchBytes
// before the end, scanning backwards in overlapping chunks that never reach
// before the start of the file.
bool FindMagic(HANDLE f, uint64_t fileSize, uint64_t* magicPos) {
  uint8_t magic[kMagicSize];
  ArchiveMagic(magic);
  const uint64_t lowest = fileSize >= kTrailerSearchBytes ? fileSize - (kTrailerSearchBytes - 1) : 0;
  uint8_t chunk[kBufferSize];
  uint64_t end = fileSize;
  while (end >= lowest + kMagicSize) {
    uint64_t start = end - lowest > sizeof chunk ? end - sizeof chunk : lowest;
    DWORD n = DWORD(end - start);
    if (!ReadAt(f, start, chunk, n)) return false;
    for (DWORD i = n - kMagicSize + 1; i-- > 0;) {
      if (std::memcmp(chunk + i, magic, kMagicSize) == 0) {
        *magicPos = start + i;
        return true;
      }
    }
    if (start == lowest) break;
    end = start + kMagicSize - 1;  // a magic crossing the chunk boundary is seen next time
  }
  return false;
}

// Reads backwards: the u32 that ends at *pos, then moves *pos before it.
bool ReadBackU32(HANDLE f, uint64_t* pos, uint32_t* v) {
  uint8_t b[4];
  if (*pos < 4 || !ReadAt(f, *pos - 4, b, 4)) return false;
  *pos -= 4;
  *v = ReadLE32(b);
  return true;
}

// Reads backwards a string of `len` bytes that ends at *pos.
bool ReadBackString(HANDLE f, uint64_t* pos, uint32_t len, std::string* s) {
  if (len > kMaxStringBytes || *pos < len) return false;
  s->assign(len, '\0');
  if (len && !ReadAt(f, *pos - len, s->data(), len)) return false;
  *pos -= len;
  return true;
}

bool ReadEntry(HANDLE f, uint64_t* pos, ArchiveEntry* e) {
  uint32_t dirLen, nameLen;
  EntryHead head;
  if (!ReadBackU32(f, pos, &dirLen) || !ReadBackString(f, pos, dirLen, &e->directory)) return false;
  if (!ReadBackU32(f, pos, &nameLen) || !ReadBackString(f, pos, nameLen, &e->fileName)) return false;
  if (*pos < sizeof head || !ReadAt(f, *pos - sizeof head, &head, sizeof head)) return false;
  *pos -= sizeof head;
  e->offset = ReadLE32(head.offset);
  e->uncompressedSize = ReadLE32(head.uncompressedSize);
  e->compressedSize = ReadLE32(head.compressedSize);
  e->failure = MemberFailure::None;
  e->lastError = 0;
  return true;
}

int ReadTrailer(Extractor* x, HANDLE f) {
  LARGE_INTEGER size;
  uint64_t magicPos;
  if (!GetFileSizeEx(f, &size) || !FindMagic(f, uint64_t(size.QuadPart), &magicPos)) return kResultBadArchive;
  ArchiveTail tail;
  if (magicPos < 8 || !ReadAt(f, magicPos - 8, &tail, 8)) return kResultBadArchive;
  if (std::memcmp(tail.version, kArchiveVersion, sizeof tail.version) != 0) return kResultBadArchive;
  uint32_t count = ReadLE32(tail.count);
  if (count == 0) return kResultNoEntries;
  if (count > kMaxEntries) return kResultBadArchive;
  std::vector<ArchiveEntry> entries(count);
  uint64_t pos = magicPos - 8;
  for (uint32_t i = count; i-- > 0;)
    if (!ReadEntry(f, &pos, &entries[i])) return kResultBadArchive;
  x->entries.swap(entries);
  x->entryCount = count;
  x->dataEnd = pos;
  x->trailerSize = uint64_t(size.QuadPart) - pos;
  return kResultSuccess;
}

}  // namespace

int ReadDirectory(Extractor* x, const char* programPath) {
  x->programPath = programPath ? programPath : "";
  x->entries.clear();
  x->entryCount = 0;
  x->trailerSize = 0;
  x->dataEnd = 0;
  HANDLE f = CreateFileA(x->programPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return kResultCannotOpen;
  int result = ReadTrailer(x, f);
  CloseHandle(f);
  return result;
}

const char* MemberFailureText(MemberFailure f) {
  static const char* const kTexts[] = {
      "extracted",
      "refused: its name would leave the extraction folder",
      "refused: its data lies outside the member data",
      "cannot create the file",
      "cannot write the file",
      "damaged data or checksum",
      "data ends before the stream does",
      "stream needs a preset dictionary",
      "out of memory",
  };
  size_t i = size_t(f);
  return i < sizeof kTexts / sizeof kTexts[0] ? kTexts[i] : "unknown failure";
}

}  // namespace kadu::extractor
