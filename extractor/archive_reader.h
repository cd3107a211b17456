// Reading the package archive appended to the program file and extracting its
// members into a folder. Strings are ANSI, paths are Windows paths.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "extractor/archive_format.h"
#include "windows.h"

namespace kadu::extractor {

// Result codes.
enum : int {
  kResultCannotOpen = 1000,          // the program file cannot be opened
  kResultBadArchive = 1001,          // no magic, wrong version, or a directory that cannot be read
  kResultSuccess = 1002,
  kResultNoEntries = 1004,           // the entry count is 0
  kResultMemberFailed = 1005,        // at least one member could not be written
  kResultCannotOpenForExtract = 1006 // the program file cannot be opened for extraction
};

// Progress events; the callback's `value` is the entry index for the member
// events and the percentage (0-100) of the current member for kEventPercent.
enum : int { kEventMemberStart = 1000, kEventMemberDone = 1001, kEventPercent = 1002 };
typedef void (*ProgressCallback)(int event, int value, void* user);

// Why a member was not extracted.
enum class MemberFailure : uint8_t {
  None,
  UnsafeName,       // would land outside the extraction folder
  BadPlacement,     // offset or compressed size outside the member data
  CannotCreate,     // the output file could not be opened (lastError says why)
  WriteFailed,      // writing the output failed, for example a full disk (lastError)
  StreamDamaged,    // inflate found bad data or a bad checksum
  StreamTruncated,  // the member data ended before the stream did
  NeedsDictionary,  // a stream made with a preset dictionary
  OutOfMemory,
};
const char* MemberFailureText(MemberFailure f);

struct ArchiveEntry {
  std::string directory;  // relative folder ending with "\", or empty
  std::string fileName;
  uint32_t uncompressedSize;
  uint32_t compressedSize;
  uint32_t offset;
  MemberFailure failure;  // of the last extraction attempt
  DWORD lastError;        // Windows error of a create or write failure
};

// One extraction: the directory read from the program file and the inflate
// state with its fixed buffers.
struct Extractor {
  std::string programPath;
  std::vector<ArchiveEntry> entries;  // at most kMaxEntries, index order
  uint32_t entryCount;
  uint64_t trailerSize;  // from the start of the directory to the end of the file
  uint64_t dataEnd;      // where the directory starts: member data lies before it
  z_stream stream;
  uint8_t input[kBufferSize];
  uint8_t output[kBufferSize];
  ProgressCallback callback;
  void* user;
  uint32_t currentCompressedSize;
};

// Reads the directory of `programPath`: kResultSuccess, kResultCannotOpen,
// kResultBadArchive or kResultNoEntries.
int ReadDirectory(Extractor* x, const char* programPath);
// Reads the directory and extracts every member, last entry first, into
// `destinationFolder` (created when missing): kResultSuccess,
// kResultMemberFailed, kResultCannotOpenForExtract or a ReadDirectory result.
int ExtractAll(Extractor* x, const char* destinationFolder, ProgressCallback callback, void* user);
// Extracts entry `index` from the open program file into `destinationFolder`
// (ending with "\"): kResultSuccess or kResultMemberFailed.
int ExtractMember(Extractor* x, HANDLE programFile, uint32_t index, const std::string& destinationFolder);

// Percentage of a member of compressed size `size` after `consumed` bytes.
int MemberPercent(uint64_t consumed, uint32_t size);

}  // namespace kadu::extractor
