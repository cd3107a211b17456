// Mutexes: recursive, owned by a thread, abandoned when the owner ends
// holding them; optionally named so that separate modules find the same one.
#include "waitable.h"
#include "win/sync.h"
#include "win/thread.h"

namespace kw {
std::string ObjectNameA(LPCSTR name);
std::string ObjectNameW(LPCWSTR name);
HANDLE CreateNamed(HandleKind kind, const std::string& name, Waitable** made);
HANDLE OpenNamed(HandleKind kind, const std::string& name);

namespace {

HANDLE CreateMutexNamed(BOOL initialOwner, const std::string& name) {
  HANDLE h;
  {
    std::lock_guard<std::mutex> lock(DispatcherMutex());
    Waitable* w;
    h = CreateNamed(HandleKind::Mutex, name, &w);
    if (!h || !w || !initialOwner) return h;
  }
  DWORD error = GetLastError();
  WaitForSingleObject(h, 0);  // a new mutex is free: this takes it
  SetLastError(error);
  return h;
}

}  // namespace
}  // namespace kw

KW_API HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCSTR name) {
  return kw::CreateMutexNamed(initialOwner, kw::ObjectNameA(name));
}

KW_API HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCWSTR name) {
  return kw::CreateMutexNamed(initialOwner, kw::ObjectNameW(name));
}

KW_API HANDLE WINAPI OpenMutexA(DWORD, BOOL, LPCSTR name) {
  return kw::OpenNamed(kw::HandleKind::Mutex, kw::ObjectNameA(name));
}

KW_API BOOL WINAPI ReleaseMutex(HANDLE mutex) {
  std::lock_guard<std::mutex> lock(kw::DispatcherMutex());
  auto* w = static_cast<kw::Waitable*>(kw::HandleGet(mutex, kw::HandleKind::Mutex));
  if (!w) return FALSE;
  if (w->owner != GetCurrentThreadId()) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  if (--w->recursion == 0) {
    w->owner = 0;
    kw::ReleaseOwnedMutex(w);
    --w->refs;
    kw::DispatcherNotify();
    kw::WaitableUnref(w);
  }
  return TRUE;
}
