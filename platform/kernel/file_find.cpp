// FindFirstFile / FindNextFile: a folder listing taken when the search starts,
// sorted by name ignoring case, with "." and ".." first below a root.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "file_internal.h"
#include "kw/handle_table.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "win/handle.h"

using namespace kw::file;

namespace {

struct FindState {
  std::vector<WIN32_FIND_DATAW> entries;
  size_t next = 0;
};

void CloseFind(void* p) { delete static_cast<FindState*>(p); }

bool FillEntry(const std::string& host, std::u16string_view name, WIN32_FIND_DATAW* d) {
  struct stat st;
  if (name.size() >= MAX_PATH || ::stat(host.c_str(), &st) != 0) return false;
  *d = WIN32_FIND_DATAW{};
  d->dwFileAttributes = AttributesFromStat(st);
  d->ftCreationTime = CreationTime(host, st);
  d->ftLastAccessTime = FileTimeFromTimespec(st.st_atim);
  d->ftLastWriteTime = FileTimeFromTimespec(st.st_mtim);
  uint64_t size = S_ISDIR(st.st_mode) ? 0 : uint64_t(st.st_size);
  d->nFileSizeHigh = DWORD(size >> 32);
  d->nFileSizeLow = DWORD(size);
  name.copy(d->cFileName, name.size());
  return true;
}

bool NameLess(const WIN32_FIND_DATAW& a, const WIN32_FIND_DATAW& b) {
  std::u16string x(a.cFileName), y(b.cFileName);
  for (auto& c : x) c = kw::FoldAscii(c);
  for (auto& c : y) c = kw::FoldAscii(c);
  return x < y;
}

// Lists `dirHost`, keeping the entries whose names match `pattern`.
bool List(const std::string& dirHost, bool isRoot, std::u16string_view pattern, FindState* s) {
  DIR* dir = ::opendir(dirHost.c_str());
  if (!dir) return false;
  std::vector<WIN32_FIND_DATAW> found;
  while (dirent* e = ::readdir(dir)) {
    std::u16string name = kw::Widen(e->d_name);
    if (name == u"." || name == u"..") continue;
    WIN32_FIND_DATAW d;
    if (WildcardMatch(pattern, name) && FillEntry(dirHost + "/" + e->d_name, name, &d)) found.push_back(d);
  }
  ::closedir(dir);
  std::sort(found.begin(), found.end(), NameLess);
  if (!isRoot) {
    for (std::u16string_view dots : {u".", u".."}) {
      WIN32_FIND_DATAW d;
      if (WildcardMatch(pattern, dots) && FillEntry(dirHost, dots, &d)) s->entries.push_back(d);
    }
  }
  s->entries.insert(s->entries.end(), found.begin(), found.end());
  return true;
}

void ToAnsi(const WIN32_FIND_DATAW& w, WIN32_FIND_DATAA* a) {
  *a = WIN32_FIND_DATAA{};
  a->dwFileAttributes = w.dwFileAttributes;
  a->ftCreationTime = w.ftCreationTime;
  a->ftLastAccessTime = w.ftLastAccessTime;
  a->ftLastWriteTime = w.ftLastWriteTime;
  a->nFileSizeHigh = w.nFileSizeHigh;
  a->nFileSizeLow = w.nFileSizeLow;
  std::string name = WideToAnsi(w.cFileName);
  name.copy(a->cFileName, std::min(name.size(), size_t(MAX_PATH - 1)));
}

}  // namespace

KW_API HANDLE WINAPI FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
  if (!CheckName(pattern, true)) return INVALID_HANDLE_VALUE;
  if (!data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::u16string full = FullPath(pattern);
  size_t sep = full.find_last_of(u'\\');
  std::u16string folder = full.substr(0, sep + 1), name = full.substr(sep + 1);
  if (name.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  std::string dirHost = kw::WorldMapPath(folder);
  struct stat st;
  if (::stat(dirHost.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  bool isRoot = (folder.size() == 3 && folder[1] == u':') ||
                (folder.rfind(u"\\\\", 0) == 0 && std::count(folder.begin() + 2, folder.end(), u'\\') == 2);
  auto* s = new FindState;
  if (!List(dirHost, isRoot, name, s) || s->entries.empty()) {
    DWORD e = s->entries.empty() ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    delete s;
    SetLastError(e);
    return INVALID_HANDLE_VALUE;
  }
  *data = s->entries[s->next++];
  SetLastError(NO_ERROR);
  return kw::HandleCreate(kw::HandleKind::Find, s, CloseFind);
}

KW_API BOOL WINAPI FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data) {
  auto* s = static_cast<FindState*>(kw::HandleGet(find, kw::HandleKind::Find));
  if (!s) return FALSE;
  if (!data) return Fail(ERROR_INVALID_PARAMETER);
  if (s->next >= s->entries.size()) return Fail(ERROR_NO_MORE_FILES);
  *data = s->entries[s->next++];
  return TRUE;
}

KW_API HANDLE WINAPI FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
  std::u16string w;
  if (!AnsiToWide(pattern, &w)) return INVALID_HANDLE_VALUE;
  if (!data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  WIN32_FIND_DATAW wd;
  HANDLE h = FindFirstFileW(w.c_str(), &wd);
  if (h != INVALID_HANDLE_VALUE) ToAnsi(wd, data);
  return h;
}

KW_API BOOL WINAPI FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data) {
  if (!data) return Fail(ERROR_INVALID_PARAMETER);
  WIN32_FIND_DATAW wd;
  if (!FindNextFileW(find, &wd)) return FALSE;
  ToAnsi(wd, data);
  return TRUE;
}

KW_API BOOL WINAPI FindClose(HANDLE find) {
  if (!kw::HandleGet(find, kw::HandleKind::Find)) return FALSE;
  return CloseHandle(find);
}
