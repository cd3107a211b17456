// Folders, deleting, moving, copying and attributes of named files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <utility>
#include <vector>

#include "file_internal.h"
#include "kw/hooks_file.h"
#include "kw/wide.h"

using namespace kw::file;

namespace {

// Names given as ANSI are handled by the wide forms.
template <typename Fn>
BOOL WithWide(LPCSTR a, Fn fn) {
  std::u16string w;
  if (!AnsiToWide(a, &w)) return FALSE;
  return fn(w.c_str());
}

bool StatName(LPCWSTR name, std::string* host, struct stat* st) {
  if (!CheckName(name)) return false;
  *host = HostPath(name);
  if (::stat(host->c_str(), st) != 0) {
    FailErrno(*host);
    return false;
  }
  return true;
}

}  // namespace

KW_API BOOL WINAPI CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES sa) {
  (void)sa;
  if (!CheckName(path)) return FALSE;
  std::string host = HostPath(path);
  if (::mkdir(host.c_str(), 0777) != 0) {
    return Fail(errno == EEXIST ? ERROR_ALREADY_EXISTS : errno == ENOENT ? ERROR_PATH_NOT_FOUND
                                                                          : ErrorFromErrno(errno, host));
  }
  return TRUE;
}

KW_API BOOL WINAPI CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES sa) {
  return WithWide(path, [&](LPCWSTR w) { return CreateDirectoryW(w, sa); });
}

KW_API BOOL WINAPI RemoveDirectoryW(LPCWSTR path) {
  std::string host;
  struct stat st;
  if (!StatName(path, &host, &st)) return FALSE;
  if (!S_ISDIR(st.st_mode)) return Fail(ERROR_DIRECTORY);
  if (::rmdir(host.c_str()) != 0) return Fail(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : ErrorFromErrno(errno, host));
  return TRUE;
}

KW_API BOOL WINAPI RemoveDirectoryA(LPCSTR path) { return WithWide(path, RemoveDirectoryW); }

KW_API BOOL WINAPI DeleteFileW(LPCWSTR name) {
  std::string host;
  struct stat st;
  if (!StatName(name, &host, &st)) return FALSE;
  if (S_ISDIR(st.st_mode) || IsReadOnly(st)) return Fail(ERROR_ACCESS_DENIED);
  if (::unlink(host.c_str()) != 0) return FailErrno(host);
  return TRUE;
}

KW_API BOOL WINAPI DeleteFileA(LPCSTR name) { return WithWide(name, DeleteFileW); }

namespace {

// Copies file contents and the attributes Windows carries over (read-only,
// last-write time); a copy that fails part way is removed.
BOOL CopyHostFile(const std::string& from, const struct stat& st, const std::string& to) {
  int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return FailErrno(from);
  int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) {
    ::close(in);
    return FailErrno(to);
  }
  static constexpr size_t kChunk = 64 * 1024;
  std::vector<char> buf(kChunk);
  DWORD error = 0;
  for (;;) {
    ssize_t n = ::read(in, buf.data(), kChunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = ErrorFromErrno(errno, from);
    if (n <= 0) break;
    size_t allowed = DiskAllow(size_t(n));
    ssize_t w = allowed ? ::write(out, buf.data(), allowed) : 0;
    if (w < 0) error = ErrorFromErrno(errno, to);
    else if (size_t(w) < size_t(n)) error = ERROR_DISK_FULL;
    if (error) break;
  }
  struct timespec times[2] = {st.st_atim, st.st_mtim};
  if (!error) ::futimens(out, times);
  ::close(in);
  ::close(out);
  if (error) {
    ::unlink(to.c_str());
    return Fail(error);
  }
  if (IsReadOnly(st)) ::chmod(to.c_str(), st.st_mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH));
  return TRUE;
}

// Destination checks shared by moving and copying onto an existing name.
DWORD ReplaceError(const struct stat& dst, bool mayReplace, DWORD existsError) {
  if (!mayReplace) return existsError;
  if (S_ISDIR(dst.st_mode) || IsReadOnly(dst)) return ERROR_ACCESS_DENIED;
  return 0;
}

struct PendingMoves {
  std::mutex mu;
  std::vector<std::pair<std::u16string, std::u16string>> moves;
};

PendingMoves& Pending() {
  static PendingMoves* p = new PendingMoves;
  return *p;
}

}  // namespace

KW_API BOOL WINAPI MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) {
  if (!CheckName(from) || (to && !CheckName(to))) return FALSE;
  if (flags & MOVEFILE_DELAY_UNTIL_REBOOT) {
    std::lock_guard<std::mutex> lock(Pending().mu);
    Pending().moves.emplace_back(FullPath(from), to ? FullPath(to) : std::u16string());
    return TRUE;
  }
  if (!to) return Fail(ERROR_INVALID_PARAMETER);
  std::string src = HostPath(from), dst = HostPath(to);
  struct stat ss, ds;
  if (::lstat(src.c_str(), &ss) != 0) return FailErrno(src);
  if (src == dst) {
    // Same file under another case: keep the spelling asked for, as Windows does.
    std::u16string full = FullPath(to);
    dst = dst.substr(0, dst.find_last_of('/') + 1) + kw::Narrow(full.substr(full.find_last_of(u'\\') + 1));
  } else if (::stat(dst.c_str(), &ds) == 0) {
    if (S_ISDIR(ss.st_mode)) return Fail(ERROR_ACCESS_DENIED);
    if (DWORD e = ReplaceError(ds, flags & MOVEFILE_REPLACE_EXISTING, ERROR_ALREADY_EXISTS)) return Fail(e);
  }
  // rename() replaces the destination in one step, so readers never see a half-written file.
  if (::rename(src.c_str(), dst.c_str()) == 0) return TRUE;
  if (errno != EXDEV) return FailErrno(errno == ENOENT ? dst : src);
  if (!(flags & MOVEFILE_COPY_ALLOWED) || S_ISDIR(ss.st_mode)) return Fail(ERROR_NOT_SAME_DEVICE);
  if (!CopyHostFile(src, ss, dst)) return FALSE;
  ::unlink(src.c_str());
  return TRUE;
}

KW_API BOOL WINAPI MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags) {
  std::u16string wf, wt;
  if (!AnsiToWide(from, &wf) || (to && !AnsiToWide(to, &wt))) return FALSE;
  return MoveFileExW(wf.c_str(), to ? wt.c_str() : nullptr, flags);
}

KW_API BOOL WINAPI MoveFileW(LPCWSTR from, LPCWSTR to) { return MoveFileExW(from, to, MOVEFILE_COPY_ALLOWED); }

KW_API BOOL WINAPI CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists) {
  if (!CheckName(from) || !CheckName(to)) return FALSE;
  std::string src = HostPath(from), dst = HostPath(to);
  struct stat ss, ds;
  if (::stat(src.c_str(), &ss) != 0) return FailErrno(src);
  if (S_ISDIR(ss.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  if (::stat(dst.c_str(), &ds) == 0) {
    if (ss.st_dev == ds.st_dev && ss.st_ino == ds.st_ino) return Fail(ERROR_SHARING_VIOLATION);
    if (DWORD e = ReplaceError(ds, !failIfExists, ERROR_FILE_EXISTS)) return Fail(e);
  }
  return CopyHostFile(src, ss, dst);
}

KW_API BOOL WINAPI CopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists) {
  std::u16string wf, wt;
  if (!AnsiToWide(from, &wf) || !AnsiToWide(to, &wt)) return FALSE;
  return CopyFileW(wf.c_str(), wt.c_str(), failIfExists);
}

KW_API DWORD WINAPI GetFileAttributesW(LPCWSTR name) {
  std::string host;
  struct stat st;
  if (!StatName(name, &host, &st)) return INVALID_FILE_ATTRIBUTES;
  return AttributesFromStat(st);
}

KW_API DWORD WINAPI GetFileAttributesA(LPCSTR name) {
  std::u16string w;
  if (!AnsiToWide(name, &w)) return INVALID_FILE_ATTRIBUTES;
  return GetFileAttributesW(w.c_str());
}

KW_API BOOL WINAPI GetFileAttributesExW(LPCWSTR name, GET_FILEEX_INFO_LEVELS level, LPVOID info) {
  if (level != GetFileExInfoStandard || !info) return Fail(ERROR_INVALID_PARAMETER);
  std::string host;
  struct stat st;
  if (!StatName(name, &host, &st)) return FALSE;
  auto* d = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(info);
  d->dwFileAttributes = AttributesFromStat(st);
  d->ftCreationTime = CreationTime(host, st);
  d->ftLastAccessTime = FileTimeFromTimespec(st.st_atim);
  d->ftLastWriteTime = FileTimeFromTimespec(st.st_mtim);
  uint64_t size = S_ISDIR(st.st_mode) ? 0 : uint64_t(st.st_size);
  d->nFileSizeHigh = DWORD(size >> 32);
  d->nFileSizeLow = DWORD(size);
  return TRUE;
}

KW_API BOOL WINAPI SetFileAttributesW(LPCWSTR name, DWORD attributes) {
  std::string host;
  struct stat st;
  if (!StatName(name, &host, &st)) return FALSE;
  if (S_ISDIR(st.st_mode)) return TRUE;  // read-only has no meaning for a folder's contents
  mode_t mode = st.st_mode & 07777;
  mode = (attributes & FILE_ATTRIBUTE_READONLY) ? mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH) : mode | S_IWUSR;
  if (::chmod(host.c_str(), mode) != 0) return FailErrno(host);
  return TRUE;
}

KW_API BOOL WINAPI SetFileAttributesA(LPCSTR name, DWORD attributes) {
  return WithWide(name, [&](LPCWSTR w) { return SetFileAttributesW(w, attributes); });
}

namespace kw::hooks {

std::vector<std::pair<std::u16string, std::u16string>> FilePendingMoves() {
  std::lock_guard<std::mutex> lock(Pending().mu);
  return Pending().moves;
}

void FileRunPendingMoves() {
  std::vector<std::pair<std::u16string, std::u16string>> moves;
  {
    std::lock_guard<std::mutex> lock(Pending().mu);
    moves.swap(Pending().moves);
  }
  for (auto& [from, to] : moves) {
    if (to.empty()) {
      ::unlink(HostPath(from).c_str());
    } else {
      MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
    }
  }
}

}  // namespace kw::hooks
