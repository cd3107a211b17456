// Full, current and temporary path names.
#include <sys/stat.h>

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <vector>

#include "file_internal.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "win/handle.h"

namespace kw::file {
namespace {

bool IsSep(char16_t c) { return c == u'\\' || c == u'/'; }

// Splits the root off an absolute path: "C:\", or "\\server\share\" for UNC.
size_t RootLength(std::u16string_view p) {
  if (p.size() >= 2 && IsSep(p[0]) && IsSep(p[1])) {
    size_t n = 2;
    for (int part = 0; part < 2 && n <= p.size(); ++part) {
      while (n < p.size() && !IsSep(p[n])) ++n;
      if (n < p.size()) ++n;
    }
    return n;
  }
  return p.size() >= 3 ? 3 : p.size();
}

std::u16string Absolute(std::u16string p, const std::u16string& cwd) {
  auto join = [](const std::u16string& base, std::u16string_view rest) {
    return base + (base.back() == u'\\' ? u"" : u"\\") + std::u16string(rest);
  };
  if (p.size() >= 2 && IsSep(p[0]) && IsSep(p[1])) return p;
  if (p.size() >= 2 && p[1] == u':') {
    char16_t drive = FoldAscii(p[0]);
    if (p.size() > 2 && IsSep(p[2])) return std::u16string(1, drive) + p.substr(1);
    if (FoldAscii(cwd[0]) == drive) return join(cwd, p.substr(2));
    return std::u16string(1, drive) + u":\\" + p.substr(2);
  }
  if (!p.empty() && IsSep(p[0])) return cwd.substr(0, 2) + p;
  return join(cwd, p);
}

}  // namespace

std::u16string FullPath(std::u16string_view name) {
  std::u16string p(name);
  if (p.rfind(u"\\\\?\\", 0) == 0) p = p.substr(4);
  for (char16_t& c : p) if (c == u'/') c = u'\\';
  bool trailing = !p.empty() && p.back() == u'\\';
  p = Absolute(p, WorldCurrentDirectory());
  size_t rootLen = RootLength(p);
  std::u16string root = p.substr(0, rootLen);
  if (root.size() < 3 || root.back() != u'\\') root += u'\\';
  std::vector<std::u16string> parts;
  std::u16string cur;
  for (size_t i = rootLen; i <= p.size(); ++i) {
    if (i == p.size() || p[i] == u'\\') {
      if (cur == u"..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!cur.empty() && cur != u".") {
        parts.push_back(cur);
      }
      cur.clear();
    } else {
      cur.push_back(p[i]);
    }
  }
  std::u16string out = root;
  for (size_t i = 0; i < parts.size(); ++i) out += (i ? u"\\" : u"") + parts[i];
  if (trailing && !parts.empty()) out += u'\\';
  return out;
}

}  // namespace kw::file

using namespace kw::file;

KW_API DWORD WINAPI GetFullPathNameW(LPCWSTR name, DWORD size, LPWSTR buffer, LPWSTR* filePart) {
  if (!name || !*name) {
    SetLastError(name ? ERROR_INVALID_NAME : ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string full = FullPath(name);
  DWORD n = CopyOut(full, size, buffer);
  if (filePart && n == full.size()) {
    size_t sep = full.find_last_of(u'\\');
    *filePart = (sep + 1 < full.size()) ? buffer + sep + 1 : nullptr;
  }
  return n;
}

KW_API DWORD WINAPI GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* filePart) {
  std::u16string w;
  if (!AnsiToWide(name, &w)) return 0;
  if (w.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return 0;
  }
  std::string full = WideToAnsi(FullPath(w));
  DWORD n = CopyOutA(full, size, buffer);
  if (filePart && n == full.size()) {
    size_t sep = full.find_last_of('\\');
    *filePart = (sep + 1 < full.size()) ? buffer + sep + 1 : nullptr;
  }
  return n;
}

KW_API DWORD WINAPI GetCurrentDirectoryW(DWORD size, LPWSTR buffer) {
  return CopyOut(kw::WorldCurrentDirectory(), size, buffer);
}

KW_API DWORD WINAPI GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  return CopyOutA(WideToAnsi(kw::WorldCurrentDirectory()), size, buffer);
}

KW_API BOOL WINAPI SetCurrentDirectoryW(LPCWSTR path) {
  if (!CheckName(path)) return FALSE;
  std::string host = HostPath(path);
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) return FailErrno(host);
  if (!S_ISDIR(st.st_mode)) return Fail(ERROR_DIRECTORY);
  if (!kw::WorldSetCurrentDirectory(FullPath(path))) return Fail(ERROR_PATH_NOT_FOUND);
  return TRUE;
}

KW_API BOOL WINAPI SetCurrentDirectoryA(LPCSTR path) {
  std::u16string w;
  return AnsiToWide(path, &w) && SetCurrentDirectoryW(w.c_str());
}

// The machine's temporary folder; it always exists on a real machine, so the
// world gets it on first use.
static const char16_t kTempPath[] = u"C:\\Windows\\Temp\\";

KW_API DWORD WINAPI GetTempPathW(DWORD size, LPWSTR buffer) {
  std::error_code ec;
  std::filesystem::create_directories(HostPath(kTempPath), ec);
  return CopyOut(kTempPath, size, buffer);
}

KW_API DWORD WINAPI GetTempPathA(DWORD size, LPSTR buffer) {
  WCHAR w[MAX_PATH];
  GetTempPathW(MAX_PATH, w);
  return CopyOutA(WideToAnsi(w), size, buffer);
}

KW_API UINT WINAPI GetTempFileNameW(LPCWSTR path, LPCWSTR prefix, UINT unique, LPWSTR tempFileName) {
  if (!path || !tempFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string base(path);
  if (!base.empty() && base.back() != u'\\' && base.back() != u'/') base += u'\\';
  std::u16string pre = prefix ? std::u16string(prefix).substr(0, 3) : std::u16string();
  auto nameFor = [&](UINT n) {
    static const char16_t hex[] = u"0123456789ABCDEF";
    std::u16string s = base + pre;
    for (int shift = 12; shift >= 0; shift -= 4) s += hex[(n >> shift) & 0xF];
    return s + u".TMP";
  };
  auto finish = [&](UINT n) -> UINT {
    std::u16string s = nameFor(n);
    if (s.size() >= MAX_PATH) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return 0;
    }
    s.copy(tempFileName, s.size());
    tempFileName[s.size()] = u'\0';
    return n;
  };
  if (unique != 0) return finish(unique & 0xFFFF);
  static std::atomic<UINT> counter{UINT(::getpid())};
  for (int tries = 0; tries < 0x10000; ++tries) {
    UINT n = (counter++ & 0xFFFF);
    if (n == 0) continue;
    HANDLE h = CreateFileW(nameFor(n).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      CloseHandle(h);
      return finish(n);
    }
    if (GetLastError() != ERROR_FILE_EXISTS) {
      if (GetLastError() == ERROR_PATH_NOT_FOUND) SetLastError(ERROR_DIRECTORY);
      return 0;
    }
  }
  SetLastError(ERROR_FILE_EXISTS);
  return 0;
}
