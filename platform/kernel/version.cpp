// The OS version the world's system reports.
#include <cstring>
#include <mutex>

#include "kw/wide.h"
#include "system_settings.h"
#include "win/wstr.h"

namespace kw::sys {
namespace {

struct Settings {
  std::mutex mu;
  kw::hooks::SystemVersion version;
  kw::hooks::LocaleSettings locales;
};

Settings& S() {
  static Settings* s = new Settings;
  return *s;
}

}  // namespace

kw::hooks::SystemVersion Version() {
  std::lock_guard<std::mutex> lock(S().mu);
  return S().version;
}

kw::hooks::LocaleSettings Locales() {
  std::lock_guard<std::mutex> lock(S().mu);
  return S().locales;
}

}  // namespace kw::sys

namespace kw::hooks {

void SetSystemVersion(const SystemVersion& v) {
  std::lock_guard<std::mutex> lock(kw::sys::S().mu);
  kw::sys::S().version = v;
}

void SetLocaleSettings(const LocaleSettings& l) {
  std::lock_guard<std::mutex> lock(kw::sys::S().mu);
  kw::sys::S().locales = l;
}

void ResetVersionAndLocale() {
  std::lock_guard<std::mutex> lock(kw::sys::S().mu);
  kw::sys::S().version = SystemVersion{};
  kw::sys::S().locales = LocaleSettings{};
}

}  // namespace kw::hooks

namespace {

// The common head of all four records; the EX tail is filled by the caller.
template <typename Info, typename Char>
void FillCommon(Info* info, const kw::hooks::SystemVersion& v, void (*copy)(Char*, const std::u16string&)) {
  info->dwMajorVersion = v.major;
  info->dwMinorVersion = v.minor;
  info->dwBuildNumber = v.build;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  copy(info->szCSDVersion, v.servicePack);
}

void CopyWide(WCHAR* out, const std::u16string& s) {
  size_t n = std::min<size_t>(s.size(), 127);
  std::memcpy(out, s.data(), n * 2);
}

void CopyAnsi(CHAR* out, const std::u16string& s) {
  WideCharToMultiByte(CP_ACP, 0, s.data(), int(std::min<size_t>(s.size(), 127)), out, 127, nullptr, nullptr);
}

}  // namespace

KW_API BOOL WINAPI GetVersionExW(LPOSVERSIONINFOW info) {
  if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW) &&
                info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW))) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  auto v = kw::sys::Version();
  FillCommon<OSVERSIONINFOW, WCHAR>(info, v, &CopyWide);
  if (info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXW)) {
    auto* ex = reinterpret_cast<OSVERSIONINFOEXW*>(info);
    ex->wServicePackMajor = v.servicePackMajor;
    ex->wServicePackMinor = v.servicePackMinor;
    ex->wSuiteMask = 0x0100;  // VER_SUITE_SINGLEUSERTS
    ex->wProductType = v.productType;
    ex->wReserved = 0;
  }
  return TRUE;
}

KW_API BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
  if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) &&
                info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXA))) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  auto v = kw::sys::Version();
  FillCommon<OSVERSIONINFOA, CHAR>(info, v, &CopyAnsi);
  if (info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXA)) {
    auto* ex = reinterpret_cast<OSVERSIONINFOEXA*>(info);
    ex->wServicePackMajor = v.servicePackMajor;
    ex->wServicePackMinor = v.servicePackMinor;
    ex->wSuiteMask = 0x0100;
    ex->wProductType = v.productType;
    ex->wReserved = 0;
  }
  return TRUE;
}

KW_API DWORD WINAPI GetVersion(void) {
  auto v = kw::sys::Version();
  return (v.major & 0xFF) | ((v.minor & 0xFF) << 8) | ((v.build & 0x7FFF) << 16);
}
