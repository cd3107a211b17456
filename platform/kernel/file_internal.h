// Shared pieces of the file area: host errors as Windows codes, path text,
// times and attributes, Windows wildcards and the fault-injection state.
#pragma once
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "win/file.h"

namespace kw::file {

// One open file (or folder, with FILE_FLAG_BACKUP_SEMANTICS) behind a HANDLE.
// Each CreateFile opens its own descriptor, so every handle has its own position.
struct FileObject {
  int fd;
  bool canRead;
  bool canWrite;
  bool appendOnly;  // FILE_APPEND_DATA without FILE_WRITE_DATA
  bool isDirectory;
  bool deleteOnClose;
  std::string host;
};

FileObject* GetFile(HANDLE h);  // nullptr with ERROR_INVALID_HANDLE

// Windows code for a failed host call on `host`; ENOENT becomes
// ERROR_PATH_NOT_FOUND when the parent folder is missing too.
DWORD ErrorFromErrno(int err, const std::string& host);
// Sets the last error from errno and returns FALSE.
BOOL FailErrno(const std::string& host);
inline BOOL Fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

// Checks a Windows name for characters Windows refuses in names (ERROR_INVALID_NAME);
// `allowWildcards` lets * and ? through in the last component (FindFirstFile).
bool CheckName(LPCWSTR name, bool allowWildcards = false);
// ANSI (CP_ACP) to UTF-16 and back, for the A forms.
bool AnsiToWide(LPCSTR s, std::u16string* out);
std::string WideToAnsi(std::u16string_view s);
// Copies `s` with a terminator when it fits in `size` characters: returns its
// length; otherwise returns the size needed, terminator included.
DWORD CopyOut(std::u16string_view s, DWORD size, LPWSTR buffer);
DWORD CopyOutA(std::string_view s, DWORD size, LPSTR buffer);

// Full normalised Windows path ("\" separators, "." and ".." resolved,
// relative forms taken from the world's current directory).
std::u16string FullPath(std::u16string_view name);
// Host path of a Windows name.
std::string HostPath(std::u16string_view name);

FILETIME FileTimeFromTimespec(const struct timespec& ts);
struct timespec TimespecFromFileTime(const FILETIME& ft);
// Windows attributes of a host entry; read-only is the absence of write permission.
DWORD AttributesFromStat(const struct stat& st);
bool IsReadOnly(const struct stat& st);
FILETIME CreationTime(const std::string& host, const struct stat& st);

// Windows wildcard match ignoring case: * any run, ? one character (or none
// before a dot or at the end), "*.*" everything, a trailing "." names without one.
bool WildcardMatch(std::u16string_view pattern, std::u16string_view name);

// Fault injection: true when this open must fail (error in *code).
bool OpenShouldFail(std::u16string_view fullPath, DWORD* code);
// Bytes of `want` that still fit on the disk; consumes them.
size_t DiskAllow(size_t want);

void NoteHandleOpened();
void NoteHandleClosed();

}  // namespace kw::file
