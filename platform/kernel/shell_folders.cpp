// The Windows, system and special folders of the world's one machine and user.
#include <filesystem>
#include <string>

#include "kw/world.h"
#include "system_folders.h"
#include "system_settings.h"
#include "win/shell.h"
#include "win/wstr.h"

namespace {

struct FolderRow {
  int csidl;
  const char16_t* nt6;  // version 6 and later
  const char16_t* nt5;  // earlier versions
};

// "~" stands for the user's profile folder of the version, "*" for the
// profile folder shared by all users.
const FolderRow kFolders[] = {
    {CSIDL_PERSONAL, u"~\\Documents", u"~\\My Documents"},
    {CSIDL_DESKTOPDIRECTORY, u"~\\Desktop", u"~\\Desktop"},
    {CSIDL_FONTS, u"C:\\Windows\\Fonts", u"C:\\Windows\\Fonts"},
    {CSIDL_APPDATA, u"~\\AppData\\Roaming", u"~\\Application Data"},
    {CSIDL_LOCAL_APPDATA, u"~\\AppData\\Local", u"~\\Local Settings\\Application Data"},
    {CSIDL_COMMON_APPDATA, u"C:\\ProgramData", u"*\\Application Data"},
    {CSIDL_WINDOWS, u"C:\\Windows", u"C:\\Windows"},
    {CSIDL_SYSTEM, u"C:\\Windows\\System32", u"C:\\Windows\\System32"},
    {CSIDL_PROGRAM_FILES, u"C:\\Program Files", u"C:\\Program Files"},
    {CSIDL_PROFILE, u"~", u"~"},
    {CSIDL_COMMON_DOCUMENTS, u"C:\\Users\\Public\\Documents", u"*\\Documents"},
};

std::u16string FolderOf(int csidl) {
  bool nt6 = kw::sys::Version().major >= 6;
  for (const auto& r : kFolders) {
    if (r.csidl != (csidl & ~CSIDL_FLAG_MASK)) continue;
    std::u16string p = nt6 ? r.nt6 : r.nt5;
    std::u16string profiles = nt6 ? u"C:\\Users" : u"C:\\Documents and Settings";
    if (p[0] == u'~') p = profiles + u"\\" + kw::folders::kUserName + p.substr(1);
    else if (p[0] == u'*') p = profiles + u"\\All Users" + p.substr(1);
    return p;
  }
  return {};
}

void Make(const std::u16string& winPath) {
  std::error_code ec;
  std::filesystem::create_directories(kw::WorldMapPath(winPath), ec);
}

UINT CopyOut(const std::u16string& s, LPWSTR out, UINT outChars) {
  if (!out || outChars < s.size() + 1) return UINT(s.size() + 1);
  std::char_traits<char16_t>::copy(out, s.c_str(), s.size() + 1);
  return UINT(s.size());
}

UINT CopyOutA(const std::u16string& s, LPSTR out, UINT outChars) {
  int need = WideCharToMultiByte(CP_ACP, 0, s.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (!out || outChars < UINT(need)) return UINT(need);
  WideCharToMultiByte(CP_ACP, 0, s.c_str(), -1, out, int(outChars), nullptr, nullptr);
  return UINT(need - 1);
}

std::u16string SystemFolder() {
  Make(kw::folders::kSystem);
  return kw::folders::kSystem;
}

std::u16string WindowsFolder() {
  Make(kw::folders::kWindows);
  return kw::folders::kWindows;
}

}  // namespace

KW_API UINT WINAPI GetSystemDirectoryW(LPWSTR out, UINT outChars) { return CopyOut(SystemFolder(), out, outChars); }
KW_API UINT WINAPI GetSystemDirectoryA(LPSTR out, UINT outChars) { return CopyOutA(SystemFolder(), out, outChars); }
KW_API UINT WINAPI GetWindowsDirectoryW(LPWSTR out, UINT outChars) { return CopyOut(WindowsFolder(), out, outChars); }
KW_API UINT WINAPI GetWindowsDirectoryA(LPSTR out, UINT outChars) { return CopyOutA(WindowsFolder(), out, outChars); }
KW_API UINT WINAPI GetSystemWindowsDirectoryW(LPWSTR out, UINT outChars) {
  return CopyOut(WindowsFolder(), out, outChars);
}

KW_API BOOL WINAPI SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int csidl, BOOL create) {
  (void)owner, (void)create;
  std::u16string p = FolderOf(csidl);
  if (!path || p.empty() || p.size() >= MAX_PATH) return FALSE;
  Make(p);
  CopyOut(p, path, MAX_PATH);
  return TRUE;
}

KW_API BOOL WINAPI SHGetSpecialFolderPathA(HWND owner, LPSTR path, int csidl, BOOL create) {
  (void)owner, (void)create;
  std::u16string p = FolderOf(csidl);
  if (!path || p.empty()) return FALSE;
  Make(p);
  return CopyOutA(p, path, MAX_PATH) < MAX_PATH;
}

KW_API HRESULT WINAPI SHGetFolderPathW(HWND owner, int csidl, HANDLE token, DWORD flags, LPWSTR path) {
  (void)owner, (void)token, (void)flags;
  std::u16string p = FolderOf(csidl);
  if (!path) return E_INVALIDARG;
  if (p.empty()) return E_INVALIDARG;
  Make(p);
  CopyOut(p, path, MAX_PATH);
  return S_OK;
}
