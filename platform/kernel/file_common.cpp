// Host errors, names, text conversion, times and attributes for the file area.
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "file_internal.h"
#include "kw/handle_table.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "win/wstr.h"

namespace kw::file {

FileObject* GetFile(HANDLE h) {
  return static_cast<FileObject*>(HandleGet(h, HandleKind::File));
}

namespace {

bool ParentExists(const std::string& host) {
  size_t slash = host.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return true;
  struct stat st;
  return ::stat(host.substr(0, slash).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

DWORD ErrorFromErrno(int err, const std::string& host) {
  switch (err) {
    case ENOENT: return ParentExists(host) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EEXIST: return ERROR_FILE_EXISTS;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EROFS: return ERROR_WRITE_PROTECT;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EBUSY: return ERROR_BUSY;
    default: return ERROR_GEN_FAILURE;
  }
}

BOOL FailErrno(const std::string& host) {
  SetLastError(ErrorFromErrno(errno, host));
  return FALSE;
}

bool CheckName(LPCWSTR name, bool allowWildcards) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::u16string_view s(name);
  if (s.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  if (s.substr(0, 4) == u"\\\\?\\" || s.substr(0, 4) == u"//?/") s.remove_prefix(4);
  size_t lastSep = s.find_last_of(u"\\/");
  size_t lastStart = lastSep == std::u16string_view::npos ? 0 : lastSep + 1;
  for (size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    bool wildcard = c == u'*' || c == u'?';
    bool bad = c < 32 || c == u'<' || c == u'>' || c == u'"' || c == u'|' || (c == u':' && i != 1) ||
               (wildcard && !(allowWildcards && i >= lastStart));
    if (bad) {
      SetLastError(ERROR_INVALID_NAME);
      return false;
    }
  }
  if (s.size() >= MAX_PATH * 128) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  return true;
}

bool AnsiToWide(LPCSTR s, std::u16string* out) {
  if (!s) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
  if (n <= 0) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  out->assign(size_t(n), u'\0');
  MultiByteToWideChar(CP_ACP, 0, s, -1, out->data(), n);
  out->resize(size_t(n - 1));
  return true;
}

std::string WideToAnsi(std::u16string_view s) {
  if (s.empty()) return std::string();
  int n = WideCharToMultiByte(CP_ACP, 0, s.data(), int(s.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, s.data(), int(s.size()), out.data(), n, nullptr, nullptr);
  return out;
}

DWORD CopyOut(std::u16string_view s, DWORD size, LPWSTR buffer) {
  if (!buffer || size <= s.size()) return DWORD(s.size() + 1);
  s.copy(buffer, s.size());
  buffer[s.size()] = u'\0';
  return DWORD(s.size());
}

DWORD CopyOutA(std::string_view s, DWORD size, LPSTR buffer) {
  if (!buffer || size <= s.size()) return DWORD(s.size() + 1);
  s.copy(buffer, s.size());
  buffer[s.size()] = '\0';
  return DWORD(s.size());
}

std::string HostPath(std::u16string_view name) { return WorldMapPath(FullPath(name)); }

// FILETIME counts 100 ns intervals from 1601-01-01; the host counts from 1970.
constexpr int64_t kEpochDelta = 11644473600LL;

FILETIME FileTimeFromTimespec(const struct timespec& ts) {
  uint64_t v = uint64_t((int64_t(ts.tv_sec) + kEpochDelta) * 10000000LL + ts.tv_nsec / 100);
  return FILETIME{DWORD(v), DWORD(v >> 32)};
}

struct timespec TimespecFromFileTime(const FILETIME& ft) {
  uint64_t v = (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  struct timespec ts;
  ts.tv_sec = time_t(int64_t(v / 10000000ULL) - kEpochDelta);
  ts.tv_nsec = long((v % 10000000ULL) * 100);
  return ts;
}

bool IsReadOnly(const struct stat& st) { return !S_ISDIR(st.st_mode) && (st.st_mode & S_IWUSR) == 0; }

DWORD AttributesFromStat(const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
  return FILE_ATTRIBUTE_ARCHIVE | (IsReadOnly(st) ? FILE_ATTRIBUTE_READONLY : 0);
}

FILETIME CreationTime(const std::string& host, const struct stat& st) {
  struct statx sx;
  if (::statx(AT_FDCWD, host.c_str(), 0, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME)) {
    struct timespec ts;
    ts.tv_sec = sx.stx_btime.tv_sec;
    ts.tv_nsec = sx.stx_btime.tv_nsec;
    return FileTimeFromTimespec(ts);
  }
  return FileTimeFromTimespec(st.st_mtim);
}

}  // namespace kw::file
