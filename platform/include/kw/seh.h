// The structured-exception guard: the layer's stand-in for __try/__except
// around a call. It is the only place that catches everything.
//
//   EXCEPTION_RECORD rec;
//   bool ok = kw::SehGuard(body, ctx, &rec);     // plain function and context
//   bool ok = kw::SehTry([&] { r = Hook(a, b); }, &rec);   // any callable
//
// body runs on the calling thread. The guard returns true when it returns
// normally. It returns false, with *caught filled (when not null), when inside
// it (at any call depth) there is
//   - a hardware fault: segmentation fault (EXCEPTION_ACCESS_VIOLATION, or
//     EXCEPTION_STACK_OVERFLOW when the fault is at the stack pointer), bus
//     error (EXCEPTION_DATATYPE_MISALIGNMENT / EXCEPTION_IN_PAGE_ERROR),
//     arithmetic fault (EXCEPTION_INT_DIVIDE_BY_ZERO, EXCEPTION_FLT_*),
//     illegal or privileged instruction; ExceptionAddress is the faulting
//     instruction, and for segmentation faults ExceptionInformation[0] is the
//     access (0 read, 1 write, 8 execute) and [1] the data address;
//   - a C++ exception (EXCEPTION_CPP_EXCEPTION), or RaiseException.
// After a hardware fault the stack is abandoned as __except abandons it:
// destructors of objects between the guard and the fault do not run, and
// state the body left half-changed stays so (locks it held stay held).
//
// Guards nest; the innermost one catches. Each thread has its own recovery
// points and its own alternate signal stack (made at its first guard), so a
// fault on one thread never disturbs another, and a stack overflow is
// caught too. The signal handlers are installed once, at the first guard; a
// fault outside every guard goes to the handler that was there before (the
// default action, which ends the process, or a sanitizer's report).
// Signals sent with kill()/raise() are never taken as faults.
//
// For tests: a fault point must reach the hardware.
//   - Divide with operands the compiler cannot see and mark the function
//     __attribute__((noinline, no_sanitize("undefined"))): the undefined-
//     behaviour sanitizer otherwise reports the division before it happens.
//   - Mark bad-pointer functions no_sanitize("address") so that the faulting
//     instruction is the access itself.
//   - Under the address sanitizer the guard works with its default options:
//     the layer installs its handlers after the sanitizer's and passes faults
//     outside every guard on to it.
#pragma once
#include <type_traits>
#include <utility>

#include "win/seh.h"

namespace kw {

// Runs body(ctx) under a guard; see above.
bool SehGuard(void (*body)(void* ctx), void* ctx, EXCEPTION_RECORD* caught);

// Runs any callable under a guard.
template <class F>
bool SehTry(F&& f, EXCEPTION_RECORD* caught) {
  using Fn = std::remove_reference_t<F>;
  return SehGuard([](void* c) { (*static_cast<Fn*>(c))(); }, const_cast<void*>(static_cast<const void*>(&f)), caught);
}

// Number of guards active on the calling thread.
int SehDepth();

}  // namespace kw
