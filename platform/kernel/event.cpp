// Events: auto-reset (one waiter released per SetEvent) and manual-reset, with
// optional names shared across the process.
#include "waitable.h"
#include "kw/wide.h"
#include "win/thread.h"
#include "win/wstr.h"

namespace kw {

// A kernel object name in UTF-8; ANSI names come through the ANSI code page.
std::string ObjectNameA(LPCSTR name) {
  if (!name || !*name) return std::string();
  int n = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
  std::u16string w(size_t(n > 0 ? n : 1), u'\0');
  MultiByteToWideChar(CP_ACP, 0, name, -1, w.data(), n);
  w.resize(w.size() - 1);
  return Narrow(w);
}

std::string ObjectNameW(LPCWSTR name) { return name && *name ? Narrow(name) : std::string(); }

// Creates a named or unnamed object, or opens the existing one of that name
// (last error ERROR_ALREADY_EXISTS). Called with the dispatcher lock held.
HANDLE CreateNamed(HandleKind kind, const std::string& name, Waitable** made) {
  *made = nullptr;
  if (!name.empty()) {
    if (Waitable* old = WaitableFind(name)) {
      if (old->kind != kind) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
      }
      HANDLE h = WaitableHandle(old);
      SetLastError(ERROR_ALREADY_EXISTS);
      return h;
    }
  }
  Waitable* w = WaitableNew(kind);
  if (!name.empty()) WaitableNameAdd(w, name);
  *made = w;
  HANDLE h = WaitableHandle(w);
  SetLastError(ERROR_SUCCESS);
  return h;
}

HANDLE OpenNamed(HandleKind kind, const std::string& name) {
  std::lock_guard<std::mutex> lock(DispatcherMutex());
  Waitable* w = name.empty() ? nullptr : WaitableFind(name);
  if (!w || w->kind != kind) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  return WaitableHandle(w);
}

namespace {

HANDLE CreateEventNamed(BOOL manualReset, BOOL initialState, const std::string& name) {
  std::lock_guard<std::mutex> lock(DispatcherMutex());
  Waitable* w;
  HANDLE h = CreateNamed(HandleKind::Event, name, &w);
  if (w) {
    w->manualReset = manualReset != FALSE;
    w->signaled = initialState != FALSE;
  }
  return h;
}

BOOL SetEventState(HANDLE event, bool state) {
  std::lock_guard<std::mutex> lock(DispatcherMutex());
  auto* w = static_cast<Waitable*>(HandleGet(event, HandleKind::Event));
  if (!w) return FALSE;
  w->signaled = state;
  if (state) DispatcherNotify();
  return TRUE;
}

}  // namespace
}  // namespace kw

KW_API HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name) {
  return kw::CreateEventNamed(manualReset, initialState, kw::ObjectNameA(name));
}

KW_API HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR name) {
  return kw::CreateEventNamed(manualReset, initialState, kw::ObjectNameW(name));
}

KW_API HANDLE WINAPI OpenEventA(DWORD, BOOL, LPCSTR name) {
  return kw::OpenNamed(kw::HandleKind::Event, kw::ObjectNameA(name));
}

KW_API BOOL WINAPI SetEvent(HANDLE event) { return kw::SetEventState(event, true); }
KW_API BOOL WINAPI ResetEvent(HANDLE event) { return kw::SetEventState(event, false); }
