// Threads over pthreads. A thread handle is a waitable object that becomes
// signalled when the thread function returns; the thread holds its own
// reference so the object outlives a handle closed early.
#include <pthread.h>

#include "waitable.h"
#include "win/sync.h"
#include "win/handle.h"
#include "win/thread.h"

namespace {

struct StartBlock {
  kw::Waitable* w;
  LPTHREAD_START_ROUTINE start;
  LPVOID param;
};

void* Trampoline(void* p) {
  auto* block = static_cast<StartBlock*>(p);
  kw::Waitable* w = block->w;
  {
    std::lock_guard<std::mutex> lock(kw::DispatcherMutex());
    w->threadId = GetCurrentThreadId();
    kw::DispatcherNotify();
  }
  DWORD code = block->start(block->param);
  delete block;
  std::lock_guard<std::mutex> lock(kw::DispatcherMutex());
  w->exitCode = code;
  w->signaled = true;
  --w->refs;  // the thread's own hold
  kw::DispatcherNotify();
  kw::WaitableUnref(w);
  return nullptr;
}

// The requested size is a minimum: sanitizer builds need far more than the
// small stacks some callers ask for.
size_t StackSize(SIZE_T requested) {
  const size_t floor = size_t(1) << 20;
  return requested > floor ? requested : floor;
}

}  // namespace

KW_API HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                                  LPVOID param, DWORD flags, LPDWORD threadId) {
  if (!start || (flags & CREATE_SUSPENDED)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::unique_lock<std::mutex> lock(kw::DispatcherMutex());
  kw::Waitable* w = kw::WaitableNew(kw::HandleKind::Thread);
  w->refs = 1;  // the thread's own hold
  HANDLE h = kw::WaitableHandle(w);
  auto* block = new StartBlock{w, start, param};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
  pthread_attr_setstacksize(&attr, StackSize(stackSize));
  pthread_t tid;
  int rc = pthread_create(&tid, &attr, Trampoline, block);
  pthread_attr_destroy(&attr);
  if (rc != 0) {
    delete block;
    w->refs = 1;  // only the handle remains; closing it frees the object
    lock.unlock();
    CloseHandle(h);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  while (w->threadId == 0) kw::DispatcherWait(lock, nullptr);
  if (threadId) *threadId = w->threadId;
  return h;
}

KW_API BOOL WINAPI GetExitCodeThread(HANDLE thread, LPDWORD exitCode) {
  if (!exitCode) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(kw::DispatcherMutex());
  auto* w = static_cast<kw::Waitable*>(kw::HandleGet(thread, kw::HandleKind::Thread));
  if (!w) return FALSE;
  *exitCode = w->exitCode;
  return TRUE;
}
