// The structured-exception guard over POSIX signals. Each guard pushes a
// recovery point on a per-thread list; the fault handlers, installed once,
// fill the innermost point's record and jump back to it. Faults with no
// recovery point go to whatever handler was installed before ours.
#include "kw/seh.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <pthread.h>
#include <setjmp.h>
#include <signal.h>
#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iterator>
#include <mutex>

namespace {

struct RecoveryPoint {
  sigjmp_buf jump;
  EXCEPTION_RECORD record;
  RecoveryPoint* outer;
};

// Plain pointers only: the handler reads them, so they must need no
// construction on first use.
thread_local RecoveryPoint* t_innermost = nullptr;
thread_local int t_depth = 0;

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
struct sigaction g_previous[NSIG];

// A software exception on its way to the guard (RaiseException).
struct RaisedException {
  EXCEPTION_RECORD record;
};

// ---- reading the interrupted context ----------------------------------------

uintptr_t InstructionPointer(const ucontext_t* uc) {
#if defined(__x86_64__)
  return uintptr_t(uc->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
  return uintptr_t(uc->uc_mcontext.pc);
#else
  (void)uc;
  return 0;
#endif
}

uintptr_t StackPointer(const ucontext_t* uc) {
#if defined(__x86_64__)
  return uintptr_t(uc->uc_mcontext.gregs[REG_RSP]);
#elif defined(__aarch64__)
  return uintptr_t(uc->uc_mcontext.sp);
#else
  (void)uc;
  return 0;
#endif
}

// 0 read, 1 write, 8 instruction fetch, from the page-fault error code.
ULONG_PTR AccessKind(const ucontext_t* uc) {
#if defined(__x86_64__)
  greg_t err = uc->uc_mcontext.gregs[REG_ERR];
  if (err & 0x10) return 8;
  return (err & 0x2) ? 1 : 0;
#else
  (void)uc;
  return 0;
#endif
}

// A fault this close to the stack pointer is the stack running into its guard.
bool AtStackPointer(uintptr_t addr, uintptr_t sp) {
  return sp != 0 && addr + 65536 >= sp && addr <= sp + 4096;
}

// ---- signal to exception record ----------------------------------------------

void FillSegv(EXCEPTION_RECORD* r, const siginfo_t* info, const ucontext_t* uc) {
  uintptr_t addr = uintptr_t(info->si_addr);
  // A general protection fault (non-canonical address) carries no address.
  if (info->si_code == SI_KERNEL) addr = ~uintptr_t(0);
  bool overflow = info->si_code != SI_KERNEL && AtStackPointer(addr, StackPointer(uc));
  r->ExceptionCode = overflow ? EXCEPTION_STACK_OVERFLOW : EXCEPTION_ACCESS_VIOLATION;
  r->NumberParameters = 2;
  r->ExceptionInformation[0] = AccessKind(uc);
  r->ExceptionInformation[1] = addr;
}

void FillBus(EXCEPTION_RECORD* r, const siginfo_t* info, const ucontext_t* uc) {
  if (info->si_code == BUS_ADRALN) {
    r->ExceptionCode = EXCEPTION_DATATYPE_MISALIGNMENT;
    return;
  }
  // A mapped file that no longer backs the page: the in-page error of a
  // failed read, with the I/O status (end of file, or a device error).
  r->ExceptionCode = EXCEPTION_IN_PAGE_ERROR;
  r->NumberParameters = 3;
  r->ExceptionInformation[0] = AccessKind(uc);
  r->ExceptionInformation[1] = uintptr_t(info->si_addr);
  r->ExceptionInformation[2] = info->si_code == BUS_ADRERR ? 0xC0000011u : 0xC000009Cu;
}

struct CodeMap {
  int siCode;
  DWORD code;
};

constexpr CodeMap kFpeCodes[] = {
    {FPE_INTDIV, EXCEPTION_INT_DIVIDE_BY_ZERO}, {FPE_INTOVF, EXCEPTION_INT_OVERFLOW},
    {FPE_FLTDIV, EXCEPTION_FLT_DIVIDE_BY_ZERO}, {FPE_FLTOVF, EXCEPTION_FLT_OVERFLOW},
    {FPE_FLTUND, EXCEPTION_FLT_UNDERFLOW},      {FPE_FLTRES, EXCEPTION_FLT_INEXACT_RESULT},
    {FPE_FLTINV, EXCEPTION_FLT_INVALID_OPERATION}, {FPE_FLTSUB, EXCEPTION_ARRAY_BOUNDS_EXCEEDED},
};

constexpr CodeMap kIllCodes[] = {
    {ILL_PRVOPC, EXCEPTION_PRIV_INSTRUCTION},
    {ILL_PRVREG, EXCEPTION_PRIV_INSTRUCTION},
};

DWORD MapCode(const CodeMap* table, size_t n, int siCode, DWORD fallback) {
  for (size_t i = 0; i < n; ++i) {
    if (table[i].siCode == siCode) return table[i].code;
  }
  return fallback;
}

void FillRecord(EXCEPTION_RECORD* r, int sig, const siginfo_t* info, const ucontext_t* uc) {
  std::memset(r, 0, sizeof *r);
  r->ExceptionAddress = reinterpret_cast<PVOID>(InstructionPointer(uc));
  switch (sig) {
    case SIGSEGV:
      FillSegv(r, info, uc);
      break;
    case SIGBUS:
      FillBus(r, info, uc);
      break;
    case SIGFPE:
      r->ExceptionCode = MapCode(kFpeCodes, std::size(kFpeCodes), info->si_code, EXCEPTION_FLT_INVALID_OPERATION);
      break;
    default:
      r->ExceptionCode = MapCode(kIllCodes, std::size(kIllCodes), info->si_code, EXCEPTION_ILLEGAL_INSTRUCTION);
      break;
  }
}

// ---- handlers ----------------------------------------------------------------

// The fault is not ours: hand it to the handler that was there before, or
// let the default action end the process.
void PassOn(int sig, siginfo_t* info, void* uc) {
  const struct sigaction& prev = g_previous[sig];
  if ((prev.sa_flags & SA_SIGINFO) && prev.sa_sigaction) {
    prev.sa_sigaction(sig, info, uc);
    return;
  }
  if (prev.sa_handler != SIG_DFL && prev.sa_handler != SIG_IGN) {
    prev.sa_handler(sig);
    return;
  }
  if (prev.sa_handler == SIG_IGN && info->si_code <= 0) return;  // a sent signal that was ignored
  struct sigaction dfl;
  std::memset(&dfl, 0, sizeof dfl);
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  sigaction(sig, &dfl, nullptr);
  // A fault repeats when the instruction restarts; a sent signal is sent again.
  if (info->si_code <= 0) raise(sig);
}

void OnFault(int sig, siginfo_t* info, void* ucv) {
  auto* uc = static_cast<ucontext_t*>(ucv);
  RecoveryPoint* point = t_innermost;
  if (!point || info->si_code <= 0) {
    int saved = errno;
    PassOn(sig, info, ucv);
    errno = saved;
    return;
  }
  FillRecord(&point->record, sig, info, uc);
  t_innermost = point->outer;
  // The jump does not return through the kernel, so put back the mask the
  // thread had when it faulted (the handler runs with the signal blocked).
  pthread_sigmask(SIG_SETMASK, &uc->uc_sigmask, nullptr);
  siglongjmp(point->jump, 1);
}

void InstallHandlers() {
  struct sigaction sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sa_sigaction = OnFault;
  sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&sa.sa_mask);
  for (int sig : kFaultSignals) sigaction(sig, &sa, &g_previous[sig]);
}

// ---- per-thread alternate stack ------------------------------------------------

// Owns the alternate signal stack the layer made for this thread, if any.
struct AltStack {
  void* base = nullptr;
  size_t size = 0;
  ~AltStack() {
    if (!base) return;
    stack_t off;
    std::memset(&off, 0, sizeof off);
    off.ss_flags = SS_DISABLE;
    sigaltstack(&off, nullptr);
    munmap(base, size);
  }
};

thread_local bool t_altStackChecked = false;

void EnsureAltStack() {
  if (t_altStackChecked) return;
  t_altStackChecked = true;
  stack_t cur;
  if (sigaltstack(nullptr, &cur) != 0 || !(cur.ss_flags & SS_DISABLE)) return;  // one is already there
  static thread_local AltStack owned;
  size_t size = 64 * 1024 + size_t(SIGSTKSZ);
  void* mem = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
  if (mem == MAP_FAILED) return;
  stack_t ss;
  std::memset(&ss, 0, sizeof ss);
  ss.ss_sp = mem;
  ss.ss_size = size;
  if (sigaltstack(&ss, nullptr) != 0) {
    munmap(mem, size);
    return;
  }
  owned.base = mem;
  owned.size = size;
}

// ---- C++ exceptions -------------------------------------------------------------

void* ThrowRoutine() {
  static void* where = dlsym(RTLD_DEFAULT, "__cxa_throw");
  return where;
}

void FillCpp(EXCEPTION_RECORD* r) {
  std::memset(r, 0, sizeof *r);
  r->ExceptionCode = EXCEPTION_CPP_EXCEPTION;
  r->ExceptionFlags = EXCEPTION_NONCONTINUABLE;
  r->ExceptionAddress = ThrowRoutine();
  if (const std::type_info* type = abi::__cxa_current_exception_type()) {
    r->NumberParameters = 1;
    r->ExceptionInformation[0] = reinterpret_cast<ULONG_PTR>(type->name());
  }
}

std::once_flag g_installOnce;

void Leave(RecoveryPoint* point) {
  t_innermost = point->outer;
  --t_depth;
}

}  // namespace

namespace kw {

bool SehGuard(void (*body)(void*), void* ctx, EXCEPTION_RECORD* caught) {
  std::call_once(g_installOnce, InstallHandlers);
  EnsureAltStack();
  RecoveryPoint point;
  point.outer = t_innermost;
  // No mask saved here: the handler restores the interrupted mask itself,
  // which keeps a guard free of system calls.
  if (sigsetjmp(point.jump, 0) != 0) {
    // The handler already unlinked the point.
    --t_depth;
    if (caught) *caught = point.record;
    return false;
  }
  t_innermost = &point;
  ++t_depth;
  try {
    body(ctx);
  } catch (abi::__forced_unwind&) {
    Leave(&point);
    throw;  // thread cancellation must go on unwinding
  } catch (const RaisedException& raised) {
    Leave(&point);
    if (caught) *caught = raised.record;
    return false;
  } catch (...) {
    Leave(&point);
    if (caught) FillCpp(caught);
    return false;
  }
  Leave(&point);
  return true;
}

int SehDepth() { return t_depth; }

}  // namespace kw

KW_API void WINAPI RaiseException(DWORD code, DWORD flags, DWORD nArgs, const ULONG_PTR* args) {
  RaisedException raised;
  std::memset(&raised.record, 0, sizeof raised.record);
  raised.record.ExceptionCode = code;
  raised.record.ExceptionFlags = flags | EXCEPTION_NONCONTINUABLE;
  raised.record.ExceptionAddress = reinterpret_cast<PVOID>(&RaiseException);
  if (args) {
    if (nArgs > EXCEPTION_MAXIMUM_PARAMETERS) nArgs = EXCEPTION_MAXIMUM_PARAMETERS;
    raised.record.NumberParameters = nArgs;
    for (DWORD i = 0; i < nArgs; ++i) raised.record.ExceptionInformation[i] = args[i];
  }
  if (t_depth == 0) {
    // No guard to take it: an unhandled exception ends the process.
    std::fprintf(stderr, "unhandled exception 0x%08X\n", unsigned(code));
    std::abort();
  }
  throw raised;
}
