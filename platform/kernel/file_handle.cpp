// CreateFile and the calls on an open file handle.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file_internal.h"
#include "kw/handle_table.h"
#include "kw/wide.h"
#include "win/handle.h"

using namespace kw::file;

namespace {

constexpr DWORD kReadRights = GENERIC_READ | GENERIC_ALL | FILE_READ_DATA;
constexpr DWORD kWriteRights = GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA;

void CloseFileObject(void* p) {
  auto* f = static_cast<FileObject*>(p);
  ::close(f->fd);
  if (f->deleteOnClose) ::unlink(f->host.c_str());
  NoteHandleClosed();
  delete f;
}

HANDLE FailOpen(DWORD code) {
  SetLastError(code);
  return INVALID_HANDLE_VALUE;
}

HANDLE Register(int fd, DWORD access, DWORD flags, bool isDir, const std::string& host, DWORD lastError) {
  auto* f = new FileObject{fd,
                           (access & kReadRights) != 0,
                           (access & (kWriteRights | FILE_APPEND_DATA)) != 0,
                           (access & FILE_APPEND_DATA) && !(access & kWriteRights),
                           isDir,
                           (flags & FILE_FLAG_DELETE_ON_CLOSE) != 0,
                           host};
  NoteHandleOpened();
  HANDLE h = kw::HandleCreate(kw::HandleKind::File, f, CloseFileObject);
  SetLastError(lastError);
  return h;
}

// What a creation disposition does with an existing and with a missing file.
struct Disposition {
  DWORD code;
  DWORD ifExists;      // 0: open it, else this error
  bool truncate;       // when it exists
  bool reportExisted;  // ERROR_ALREADY_EXISTS on success when it existed
  bool create;         // when missing
};

const Disposition kDispositions[] = {
    {CREATE_NEW, ERROR_FILE_EXISTS, false, false, true},
    {CREATE_ALWAYS, 0, true, true, true},
    {OPEN_EXISTING, 0, false, false, false},
    {OPEN_ALWAYS, 0, false, true, true},
    {TRUNCATE_EXISTING, 0, true, false, false},
};

const Disposition* FindDisposition(DWORD code) {
  for (const Disposition& d : kDispositions)
    if (d.code == code) return &d;
  return nullptr;
}

HANDLE OpenDirectory(const std::string& host, DWORD access, DWORD flags) {
  int fd = ::open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return FailOpen(ErrorFromErrno(errno, host));
  return Register(fd, access & ~(kWriteRights | kReadRights | FILE_APPEND_DATA), flags & ~FILE_FLAG_DELETE_ON_CLOSE,
                  true, host, ERROR_SUCCESS);
}

}  // namespace

KW_API HANDLE WINAPI CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                                 DWORD flagsAndAttributes, HANDLE templateFile) {
  (void)share, (void)sa, (void)templateFile;  // sharing is not enforced on this platform
  if (!CheckName(name)) return INVALID_HANDLE_VALUE;
  const Disposition* d = FindDisposition(disposition);
  if (!d) return FailOpen(ERROR_INVALID_PARAMETER);
  DWORD injected;
  if (OpenShouldFail(FullPath(name), &injected)) return FailOpen(injected);
  std::string host = HostPath(name);
  bool wantsWrite = (access & (kWriteRights | FILE_APPEND_DATA)) != 0;
  if (disposition == TRUNCATE_EXISTING && !(access & kWriteRights)) return FailOpen(ERROR_INVALID_PARAMETER);

  struct stat st;
  bool exists = ::stat(host.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    if (disposition == CREATE_NEW) return FailOpen(ERROR_FILE_EXISTS);
    if (!(flagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS) || wantsWrite) return FailOpen(ERROR_ACCESS_DENIED);
    return OpenDirectory(host, access, flagsAndAttributes);
  }
  if (exists && d->ifExists) return FailOpen(d->ifExists);
  if (!exists && !d->create) return FailOpen(ErrorFromErrno(ENOENT, host));
  // The host may let a privileged process write anything; Windows refuses
  // writes to a read-only file whoever asks.
  if (exists && IsReadOnly(st) && (wantsWrite || d->truncate)) return FailOpen(ERROR_ACCESS_DENIED);

  int mode = (access & kReadRights) && wantsWrite ? O_RDWR : wantsWrite ? O_WRONLY : O_RDONLY;
  int oflags = mode | O_CLOEXEC;
  if (!exists) oflags |= O_CREAT | O_EXCL;
  if (exists && d->truncate) oflags |= O_TRUNC;
  mode_t perms = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  int fd = ::open(host.c_str(), oflags, perms);
  if (fd < 0) return FailOpen(ErrorFromErrno(errno, host));
  return Register(fd, access, flagsAndAttributes, false, host,
                  exists && d->reportExisted ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
}

KW_API HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                                 DWORD flagsAndAttributes, HANDLE templateFile) {
  std::u16string w;
  if (!AnsiToWide(name, &w)) return INVALID_HANDLE_VALUE;
  return CreateFileW(w.c_str(), access, share, sa, disposition, flagsAndAttributes, templateFile);
}

namespace {

off_t OverlappedOffset(const OVERLAPPED* ov) { return off_t((uint64_t(ov->OffsetHigh) << 32) | ov->Offset); }

// Reads until `n` bytes or the end of the file, from `at` or (at < 0) the position.
ssize_t ReadAll(int fd, char* p, size_t n, off_t at) {
  size_t done = 0;
  while (done < n) {
    ssize_t r = at < 0 ? ::read(fd, p + done, n - done) : ::pread(fd, p + done, n - done, at + off_t(done));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return -1;
    if (r == 0) break;
    done += size_t(r);
  }
  return ssize_t(done);
}

ssize_t WriteAll(int fd, const char* p, size_t n, off_t at) {
  size_t done = 0;
  while (done < n) {
    ssize_t r = at < 0 ? ::write(fd, p + done, n - done) : ::pwrite(fd, p + done, n - done, at + off_t(done));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return done ? ssize_t(done) : -1;
    done += size_t(r);
  }
  return ssize_t(done);
}

}  // namespace

KW_API BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED ov) {
  if (read) *read = 0;
  FileObject* f = GetFile(file);
  if (!f) return FALSE;
  if (!f->canRead) return Fail(ERROR_ACCESS_DENIED);
  if (!buffer && toRead) return Fail(ERROR_NOACCESS);
  off_t at = -1;
  if (ov) {
    at = OverlappedOffset(ov);
    struct stat st;
    if (::fstat(f->fd, &st) == 0 && at >= st.st_size && toRead) return Fail(ERROR_HANDLE_EOF);
  }
  ssize_t n = ReadAll(f->fd, static_cast<char*>(buffer), toRead, at);
  if (n < 0) return FailErrno(f->host);
  if (read) *read = DWORD(n);
  if (ov) ov->InternalHigh = ULONG_PTR(n);
  return TRUE;
}

KW_API BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED ov) {
  if (written) *written = 0;
  FileObject* f = GetFile(file);
  if (!f) return FALSE;
  if (!f->canWrite) return Fail(ERROR_ACCESS_DENIED);
  if (!buffer && toWrite) return Fail(ERROR_NOACCESS);
  off_t at = -1;
  bool toEnd = f->appendOnly || (ov && ov->Offset == 0xFFFFFFFFu && ov->OffsetHigh == 0xFFFFFFFFu);
  if (toEnd) at = ::lseek(f->fd, 0, SEEK_END);
  else if (ov) at = OverlappedOffset(ov);
  size_t allowed = DiskAllow(toWrite);
  ssize_t n = WriteAll(f->fd, static_cast<const char*>(buffer), allowed, at);
  if (n < 0) return FailErrno(f->host);
  if (toEnd && !ov) ::lseek(f->fd, at + n, SEEK_SET);
  if (written) *written = DWORD(n);
  if (ov) ov->InternalHigh = ULONG_PTR(n);
  if (size_t(n) < toWrite) return Fail(ERROR_DISK_FULL);
  return TRUE;
}

namespace {

bool Seek(FileObject* f, int64_t distance, DWORD method, int64_t* result) {
  int64_t base;
  struct stat st;
  switch (method) {
    case FILE_BEGIN: base = 0; break;
    case FILE_CURRENT: base = ::lseek(f->fd, 0, SEEK_CUR); break;
    case FILE_END: base = ::fstat(f->fd, &st) == 0 ? int64_t(st.st_size) : -1; break;
    default: return Fail(ERROR_INVALID_PARAMETER);
  }
  if (base < 0) return FailErrno(f->host);
  int64_t pos = base + distance;
  if (pos < 0) return Fail(ERROR_NEGATIVE_SEEK);
  if (::lseek(f->fd, off_t(pos), SEEK_SET) < 0) return FailErrno(f->host);
  *result = pos;
  return true;
}

}  // namespace

KW_API DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method) {
  FileObject* f = GetFile(file);
  if (!f) return INVALID_SET_FILE_POINTER;
  int64_t move = distanceHigh ? int64_t((uint64_t(uint32_t(*distanceHigh)) << 32) | uint32_t(distance)) : distance;
  int64_t before = ::lseek(f->fd, 0, SEEK_CUR);
  int64_t pos;
  if (!Seek(f, move, method, &pos)) return INVALID_SET_FILE_POINTER;
  if (!distanceHigh && pos > int64_t(0xFFFFFFFEu)) {
    ::lseek(f->fd, off_t(before), SEEK_SET);
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceHigh) *distanceHigh = LONG(uint64_t(pos) >> 32);
  SetLastError(NO_ERROR);
  return DWORD(pos);
}

KW_API BOOL WINAPI SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD method) {
  FileObject* f = GetFile(file);
  if (!f) return FALSE;
  int64_t pos;
  if (!Seek(f, distance.QuadPart, method, &pos)) return FALSE;
  if (newPosition) newPosition->QuadPart = pos;
  return TRUE;
}

KW_API BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER size) {
  FileObject* f = GetFile(file);
  if (!f) return FALSE;
  if (!size) return Fail(ERROR_INVALID_PARAMETER);
  struct stat st;
  if (::fstat(f->fd, &st) != 0) return FailErrno(f->host);
  size->QuadPart = f->isDirectory ? 0 : st.st_size;
  return TRUE;
}

KW_API DWORD WINAPI GetFileSize(HANDLE file, LPDWORD sizeHigh) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size)) return INVALID_FILE_SIZE;
  if (sizeHigh) *sizeHigh = DWORD(uint64_t(size.QuadPart) >> 32);
  SetLastError(NO_ERROR);
  return DWORD(size.QuadPart);
}

KW_API BOOL WINAPI SetEndOfFile(HANDLE file) {
  FileObject* f = GetFile(file);
  if (!f) return FALSE;
  if (!f->canWrite) return Fail(ERROR_ACCESS_DENIED);
  off_t pos = ::lseek(f->fd, 0, SEEK_CUR);
  if (pos < 0 || ::ftruncate(f->fd, pos) != 0) return FailErrno(f->host);
  return TRUE;
}

KW_API BOOL WINAPI FlushFileBuffers(HANDLE file) {
  FileObject* f = GetFile(file);
  if (!f) return FALSE;
  if (!f->canWrite) return Fail(ERROR_ACCESS_DENIED);
  if (::fdatasync(f->fd) != 0 && errno != EINVAL) return FailErrno(f->host);
  return TRUE;
}

KW_API BOOL WINAPI GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite) {
  FileObject* f = GetFile(file);
  if (!f) return FALSE;
  struct stat st;
  if (::fstat(f->fd, &st) != 0) return FailErrno(f->host);
  if (creation) *creation = CreationTime(f->host, st);
  if (lastAccess) *lastAccess = FileTimeFromTimespec(st.st_atim);
  if (lastWrite) *lastWrite = FileTimeFromTimespec(st.st_mtim);
  return TRUE;
}

KW_API BOOL WINAPI SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                               const FILETIME* lastWrite) {
  (void)creation;  // the host keeps no settable creation time
  FileObject* f = GetFile(file);
  if (!f) return FALSE;
  struct timespec ts[2];
  ts[0].tv_nsec = ts[1].tv_nsec = UTIME_OMIT;
  if (lastAccess) ts[0] = TimespecFromFileTime(*lastAccess);
  if (lastWrite) ts[1] = TimespecFromFileTime(*lastWrite);
  if (::futimens(f->fd, ts) != 0) return FailErrno(f->host);
  return TRUE;
}

KW_API LONG WINAPI CompareFileTime(const FILETIME* a, const FILETIME* b) {
  uint64_t x = (uint64_t(a->dwHighDateTime) << 32) | a->dwLowDateTime;
  uint64_t y = (uint64_t(b->dwHighDateTime) << 32) | b->dwLowDateTime;
  return x < y ? -1 : x > y ? 1 : 0;
}
