// The dispatcher shared by all waitable objects, the waits themselves and the
// record of waits made while a watched lock is held.
#include <algorithm>
#include <condition_variable>
#include <unordered_map>
#include <vector>

#include "kw/hooks_sync.h"
#include "kw/hooks_waits.h"
#include "waitable.h"
#include "win/sync.h"
#include "win/thread.h"

namespace kw {
namespace {

struct Dispatcher {
  std::mutex mu;
  std::condition_variable cv;
  std::unordered_map<std::string, Waitable*> names;
};

Dispatcher& D() {
  static Dispatcher* d = new Dispatcher;  // never destroyed: threads may outlive statics
  return *d;
}

struct WatchedLock {
  const void* cs;
  std::string name;
};

struct WaitRecord {
  std::mutex mu;
  std::vector<WatchedLock> watched;
  std::vector<hooks::LockedWait> waits;
};

WaitRecord& R() {
  static WaitRecord* r = new WaitRecord;
  return *r;
}

// Mutexes owned by this thread, abandoned when it ends while holding them.
struct OwnedMutexes {
  std::vector<Waitable*> list;
  ~OwnedMutexes() {
    if (list.empty()) return;
    std::lock_guard<std::mutex> lock(DispatcherMutex());
    for (Waitable* w : list) {
      w->owner = 0;
      w->recursion = 0;
      w->abandoned = true;
      --w->refs;
      WaitableUnref(w);
    }
    DispatcherNotify();
  }
};
thread_local OwnedMutexes t_owned;

bool Ready(const Waitable* w, DWORD self) {
  switch (w->kind) {
    case HandleKind::Mutex: return w->owner == 0 || w->owner == self;
    default: return w->signaled;
  }
}

// Takes a ready object; true when it was an abandoned mutex.
bool Acquire(Waitable* w, DWORD self) {
  switch (w->kind) {
    case HandleKind::Event:
      if (!w->manualReset) w->signaled = false;
      return false;
    case HandleKind::Mutex: {
      if (w->owner == 0) {
        w->owner = self;
        w->recursion = 0;
        ++w->refs;  // an owned mutex stays alive until released
        t_owned.list.push_back(w);
      }
      ++w->recursion;
      bool abandoned = w->abandoned;
      w->abandoned = false;
      return abandoned;
    }
    default: return false;
  }
}

const char* ObjectName(HandleKind kind) {
  switch (kind) {
    case HandleKind::Event: return "event";
    case HandleKind::Mutex: return "mutex";
    case HandleKind::Thread: return "thread";
    default: return "other";
  }
}

DWORD WaitObjects(const char* call, DWORD count, const HANDLE* handles, bool waitAll, DWORD ms) {
  if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  if (ms != 0) {
    HandleKind kind = HandleKind::Other;
    HandleKindOf(handles[0], &kind);
    RecordWait(call, ObjectName(kind), ms);
  }
  std::unique_lock<std::mutex> lock(DispatcherMutex());
  Waitable* ws[MAXIMUM_WAIT_OBJECTS];
  for (DWORD i = 0; i < count; ++i) {
    ws[i] = WaitableFromHandle(handles[i]);
    if (!ws[i]) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
  }
  for (DWORD i = 0; i < count; ++i) ++ws[i]->waiters;
  DWORD self = GetCurrentThreadId();
  std::chrono::steady_clock::time_point deadline = RealDeadline(ms == INFINITE ? 0 : ms);
  DWORD result = WAIT_TIMEOUT;
  for (;;) {
    if (waitAll) {
      bool all = std::all_of(ws, ws + count, [&](Waitable* w) { return Ready(w, self); });
      if (all) {
        bool abandoned = false;
        for (DWORD i = 0; i < count; ++i) abandoned |= Acquire(ws[i], self);
        result = abandoned ? WAIT_ABANDONED_0 : WAIT_OBJECT_0;
        break;
      }
    } else {
      DWORD i = 0;
      while (i < count && !Ready(ws[i], self)) ++i;
      if (i < count) {
        result = (Acquire(ws[i], self) ? WAIT_ABANDONED_0 : WAIT_OBJECT_0) + i;
        break;
      }
    }
    if (ms == 0) break;
    if (ms != INFINITE && std::chrono::steady_clock::now() >= deadline) break;
    DispatcherWait(lock, ms == INFINITE ? nullptr : &deadline);
  }
  for (DWORD i = 0; i < count; ++i) {
    --ws[i]->waiters;
    WaitableUnref(ws[i]);
  }
  return result;
}

}  // namespace

std::mutex& DispatcherMutex() { return D().mu; }
void DispatcherNotify() { D().cv.notify_all(); }

bool DispatcherWait(std::unique_lock<std::mutex>& lock, const std::chrono::steady_clock::time_point* deadline) {
  if (!deadline) {
    D().cv.wait(lock);
    return true;
  }
  return D().cv.wait_until(lock, *deadline) == std::cv_status::no_timeout;
}

Waitable* WaitableNew(HandleKind kind) {
  auto* w = new Waitable;
  w->kind = kind;
  return w;
}

namespace {
void CloseWaitable(void* object) {
  std::lock_guard<std::mutex> lock(DispatcherMutex());
  auto* w = static_cast<Waitable*>(object);
  --w->refs;
  WaitableUnref(w);
}
}  // namespace

HANDLE WaitableHandle(Waitable* w) {
  ++w->refs;
  return HandleCreate(w->kind, w, CloseWaitable);
}

void WaitableUnref(Waitable* w) {
  if (w->refs > 0 || w->waiters > 0) return;
  if (!w->name.empty()) D().names.erase(w->name);
  delete w;
}

Waitable* WaitableFind(const std::string& name) {
  auto it = D().names.find(name);
  return it == D().names.end() ? nullptr : it->second;
}

void WaitableNameAdd(Waitable* w, const std::string& name) {
  w->name = name;
  D().names[name] = w;
}

Waitable* WaitableFromHandle(HANDLE h) {
  HandleKind kind;
  if (!HandleKindOf(h, &kind)) return nullptr;
  if (kind != HandleKind::Event && kind != HandleKind::Mutex && kind != HandleKind::Thread &&
      kind != HandleKind::Semaphore && kind != HandleKind::Process)
    return nullptr;
  return static_cast<Waitable*>(HandleGet(h, kind));
}

void ReleaseOwnedMutex(Waitable* w) {
  auto& list = t_owned.list;
  list.erase(std::find(list.begin(), list.end(), w));
}

void RecordWait(const char* call, const char* object, DWORD ms) {
  WaitRecord& r = R();
  std::lock_guard<std::mutex> lock(r.mu);
  if (r.watched.empty()) return;
  DWORD self = GetCurrentThreadId();
  for (const WatchedLock& l : r.watched) {
    auto* cs = static_cast<const CRITICAL_SECTION*>(l.cs);
    if (hooks::CriticalSectionOwner(cs) != self) continue;
    r.waits.push_back({self, call, object, ms, l.name, hooks::CriticalSectionDepth(cs)});
  }
}

void WaitsForgetLock(const void* cs) {
  WaitRecord& r = R();
  std::lock_guard<std::mutex> lock(r.mu);
  auto& v = r.watched;
  v.erase(std::remove_if(v.begin(), v.end(), [&](const WatchedLock& l) { return l.cs == cs; }), v.end());
}

namespace hooks {

void WaitsWatchLock(const CRITICAL_SECTION* cs, const char* name) {
  WaitsForgetLock(cs);
  WaitRecord& r = R();
  std::lock_guard<std::mutex> lock(r.mu);
  r.watched.push_back({cs, name ? name : ""});
}

void WaitsUnwatchLock(const CRITICAL_SECTION* cs) { WaitsForgetLock(cs); }

std::vector<LockedWait> WaitsWhileLocked() {
  WaitRecord& r = R();
  std::lock_guard<std::mutex> lock(r.mu);
  return r.waits;
}

void WaitsClearRecord() {
  WaitRecord& r = R();
  std::lock_guard<std::mutex> lock(r.mu);
  r.waits.clear();
}

}  // namespace hooks
}  // namespace kw

KW_API DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  return kw::WaitObjects("WaitForSingleObject", 1, &handle, false, milliseconds);
}

KW_API DWORD WINAPI WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
  return kw::WaitObjects("WaitForMultipleObjects", count, handles, waitAll != FALSE, milliseconds);
}
