// Files and folders with Windows paths. Paths map onto the world folder
// (kw/world.h): "\" and "/" both separate, names resolve ignoring case, drive
// Z: is the host file system. Handles are kernel handles closed by CloseHandle.
#pragma once
#include <cstddef>

#include "win/base.h"

#define FILE_READ_DATA 0x0001u
#define FILE_WRITE_DATA 0x0002u
#define FILE_APPEND_DATA 0x0004u
#define FILE_READ_ATTRIBUTES 0x0080u
#define FILE_WRITE_ATTRIBUTES 0x0100u

#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u

#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_SYSTEM 0x00000004u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100u
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu

#define FILE_FLAG_WRITE_THROUGH 0x80000000u
#define FILE_FLAG_OVERLAPPED 0x40000000u
#define FILE_FLAG_NO_BUFFERING 0x20000000u
#define FILE_FLAG_RANDOM_ACCESS 0x10000000u
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000u
#define FILE_FLAG_DELETE_ON_CLOSE 0x04000000u
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000u

#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu
#define INVALID_FILE_SIZE 0xFFFFFFFFu

#define MOVEFILE_REPLACE_EXISTING 0x00000001u
#define MOVEFILE_COPY_ALLOWED 0x00000002u
#define MOVEFILE_DELAY_UNTIL_REBOOT 0x00000004u
#define MOVEFILE_WRITE_THROUGH 0x00000008u

// File error codes not in win/base.h.
#define ERROR_WRITE_PROTECT 19L
#define ERROR_NOT_SAME_DEVICE 17L
#define ERROR_NEGATIVE_SEEK 131L
#define ERROR_FILENAME_EXCED_RANGE 206L

typedef struct _OVERLAPPED {
  ULONG_PTR Internal;
  ULONG_PTR InternalHigh;
  DWORD Offset;  // with a synchronous handle: the file position to use
  DWORD OffsetHigh;
  HANDLE hEvent;
} OVERLAPPED, *LPOVERLAPPED;

typedef struct _WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  WCHAR cFileName[MAX_PATH];
  WCHAR cAlternateFileName[14];
} WIN32_FIND_DATAW, *PWIN32_FIND_DATAW, *LPWIN32_FIND_DATAW;

typedef struct _WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
} WIN32_FIND_DATAA, *PWIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;

typedef struct _WIN32_FILE_ATTRIBUTE_DATA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
} WIN32_FILE_ATTRIBUTE_DATA, *LPWIN32_FILE_ATTRIBUTE_DATA;

typedef enum _GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard = 0 } GET_FILEEX_INFO_LEVELS;

// Opening, reading and writing.
KW_API HANDLE WINAPI CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                                 DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile);
KW_API HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                                 DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile);
KW_API BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED ov);
KW_API BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED ov);
KW_API DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method);
KW_API BOOL WINAPI SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD method);
KW_API DWORD WINAPI GetFileSize(HANDLE file, LPDWORD sizeHigh);
KW_API BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER size);
KW_API BOOL WINAPI SetEndOfFile(HANDLE file);
KW_API BOOL WINAPI FlushFileBuffers(HANDLE file);
KW_API BOOL WINAPI GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite);
KW_API BOOL WINAPI SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                               const FILETIME* lastWrite);
KW_API LONG WINAPI CompareFileTime(const FILETIME* a, const FILETIME* b);

// Folders and names.
KW_API BOOL WINAPI CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES sa);
KW_API BOOL WINAPI CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES sa);
KW_API BOOL WINAPI RemoveDirectoryW(LPCWSTR path);
KW_API BOOL WINAPI RemoveDirectoryA(LPCSTR path);
KW_API BOOL WINAPI DeleteFileW(LPCWSTR name);
KW_API BOOL WINAPI DeleteFileA(LPCSTR name);
KW_API BOOL WINAPI MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags);
KW_API BOOL WINAPI MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags);
KW_API BOOL WINAPI MoveFileW(LPCWSTR from, LPCWSTR to);
KW_API BOOL WINAPI CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists);
KW_API BOOL WINAPI CopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists);
KW_API DWORD WINAPI GetFileAttributesW(LPCWSTR name);
KW_API DWORD WINAPI GetFileAttributesA(LPCSTR name);
KW_API BOOL WINAPI GetFileAttributesExW(LPCWSTR name, GET_FILEEX_INFO_LEVELS level, LPVOID info);
KW_API BOOL WINAPI SetFileAttributesW(LPCWSTR name, DWORD attributes);
KW_API BOOL WINAPI SetFileAttributesA(LPCSTR name, DWORD attributes);

// Listing a folder; a find handle is closed by FindClose.
KW_API HANDLE WINAPI FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data);
KW_API HANDLE WINAPI FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data);
KW_API BOOL WINAPI FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data);
KW_API BOOL WINAPI FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data);
KW_API BOOL WINAPI FindClose(HANDLE find);

// Current, temporary and full path names. Results are counted in characters:
// the length copied without the terminator, or the size needed with it.
KW_API DWORD WINAPI GetCurrentDirectoryW(DWORD size, LPWSTR buffer);
KW_API DWORD WINAPI GetCurrentDirectoryA(DWORD size, LPSTR buffer);
KW_API BOOL WINAPI SetCurrentDirectoryW(LPCWSTR path);
KW_API BOOL WINAPI SetCurrentDirectoryA(LPCSTR path);
KW_API DWORD WINAPI GetTempPathW(DWORD size, LPWSTR buffer);
KW_API DWORD WINAPI GetTempPathA(DWORD size, LPSTR buffer);
KW_API UINT WINAPI GetTempFileNameW(LPCWSTR path, LPCWSTR prefix, UINT unique, LPWSTR tempFileName);
KW_API DWORD WINAPI GetFullPathNameW(LPCWSTR name, DWORD size, LPWSTR buffer, LPWSTR* filePart);
KW_API DWORD WINAPI GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* filePart);

static_assert(sizeof(WIN32_FIND_DATAW) == 592 && offsetof(WIN32_FIND_DATAW, cFileName) == 44 &&
                  offsetof(WIN32_FIND_DATAW, cAlternateFileName) == 564,
              "WIN32_FIND_DATAW layout");
static_assert(sizeof(WIN32_FIND_DATAA) == 320 && offsetof(WIN32_FIND_DATAA, cAlternateFileName) == 304,
              "WIN32_FIND_DATAA layout");
static_assert(sizeof(WIN32_FILE_ATTRIBUTE_DATA) == 36, "WIN32_FILE_ATTRIBUTE_DATA layout");
