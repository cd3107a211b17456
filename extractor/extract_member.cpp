// Inflating one member into its file. A member counts as extracted only when
// its stream reaches its proper end; anything less fails the member, and what
// was written so far stays on disk.
#include <cstring>

#include "extractor/archive_reader.h"
#include "extractor/member_name.h"

namespace kadu::extractor {
namespace {

int Fail(ArchiveEntry* e, MemberFailure why, DWORD error = 0) {
  e->failure = why;
  e->lastError = error;
  return kResultMemberFailed;
}

// Creates every folder along `folder` (which ends with "\"); errors such as
// an existing folder are ignored: opening the file tells what matters.
void CreateFolders(const std::string& folder) {
  for (size_t i = 1; i < folder.size(); ++i)
    if (folder[i] == '\\') CreateDirectoryA(folder.substr(0, i).c_str(), nullptr);
  CreateDirectoryA(folder.c_str(), nullptr);
}

MemberFailure FailureOfInflate(int z) {
  switch (z) {
    case Z_NEED_DICT: return MemberFailure::NeedsDictionary;
    case Z_MEM_ERROR: return MemberFailure::OutOfMemory;
    default: return MemberFailure::StreamDamaged;
  }
}

void Report(Extractor* x, int event, int value) {
  if (x->callback) x->callback(event, value, x->user);
}

// The inflate loop: input is read from the program file but never past the
// member data, so a stream cannot run on into the directory.
MemberFailure Inflate(Extractor* x, HANDLE in, ArchiveEntry* e, HANDLE out) {
  LARGE_INTEGER at;
  at.QuadPart = e->offset;
  if (!SetFilePointerEx(in, at, nullptr, FILE_BEGIN)) return MemberFailure::StreamTruncated;
  z_stream& s = x->stream;
  std::memset(&s, 0, sizeof s);
  // The reader asks for the zlib interface of version 1.1.4; later versions keep it.
  if (inflateInit_(&s, "1.1.4", int(sizeof(z_stream))) != Z_OK) return MemberFailure::OutOfMemory;
  x->currentCompressedSize = e->compressedSize;
  uint64_t left = x->dataEnd - e->offset;
  MemberFailure failure = MemberFailure::None;
  for (;;) {
    if (s.avail_in == 0) {
      DWORD want = left < kBufferSize ? DWORD(left) : kBufferSize, got = 0;
      if (want == 0 || !ReadFile(in, x->input, want, &got, nullptr) || got == 0) {
        failure = MemberFailure::StreamTruncated;
        break;
      }
      left -= got;
      s.next_in = x->input;
      s.avail_in = got;
    }
    s.next_out = x->output;
    s.avail_out = kBufferSize;
    int z = inflate(&s, Z_NO_FLUSH);
    DWORD produced = kBufferSize - s.avail_out, written = 0;
    if (produced && (!WriteFile(out, x->output, produced, &written, nullptr) || written != produced)) {
      e->lastError = GetLastError();
      failure = MemberFailure::WriteFailed;
      break;
    }
    if (z == Z_STREAM_END) break;
    if (z != Z_OK) {
      failure = FailureOfInflate(z);
      break;
    }
    Report(x, kEventPercent, MemberPercent(s.total_in, e->compressedSize));
  }
  inflateEnd(&s);
  return failure;
}

}  // namespace

int MemberPercent(uint64_t consumed, uint32_t size) {
  if (size == 0) return 100;
  uint64_t p = size <= 10000000u ? consumed * 100 / size : consumed / (size / 100);
  return p > 100 ? 100 : int(p);  // a directory that understates the size must not run past 100
}

int ExtractMember(Extractor* x, HANDLE programFile, uint32_t index, const std::string& destinationFolder) {
  if (index >= x->entries.size()) return kResultMemberFailed;
  ArchiveEntry* e = &x->entries[index];
  e->failure = MemberFailure::None;
  e->lastError = 0;
  if (!IsSafeMemberPath(e->directory, e->fileName)) return Fail(e, MemberFailure::UnsafeName);
  if (e->offset >= x->dataEnd || e->compressedSize > x->dataEnd - e->offset)
    return Fail(e, MemberFailure::BadPlacement);
  std::string folder = destinationFolder + e->directory;
  CreateFolders(folder);
  HANDLE out = CreateFileA((folder + e->fileName).c_str(), GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return Fail(e, MemberFailure::CannotCreate, GetLastError());
  MemberFailure failure = Inflate(x, programFile, e, out);
  CloseHandle(out);
  if (failure != MemberFailure::None) return Fail(e, failure, e->lastError);
  return kResultSuccess;
}

int ExtractAll(Extractor* x, const char* destinationFolder, ProgressCallback callback, void* user) {
  std::string folder = destinationFolder ? destinationFolder : "";
  if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) folder += '\\';
  x->callback = callback;
  x->user = user;
  std::string program = x->programPath;
  int result = ReadDirectory(x, program.c_str());
  if (result != kResultSuccess) return result;
  HANDLE f = CreateFileA(program.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return kResultCannotOpenForExtract;
  bool failed = false;
  for (uint32_t i = x->entryCount; i-- > 0;) {
    Report(x, kEventMemberStart, int(i));
    if (ExtractMember(x, f, i, folder) == kResultSuccess) Report(x, kEventMemberDone, int(i));
    else failed = true;
  }
  CloseHandle(f);
  return failed ? kResultMemberFailed : kResultSuccess;
}

}  // namespace kadu::extractor
