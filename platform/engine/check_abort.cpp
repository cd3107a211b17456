// EngCheckAbort: the engine's answer whether the job of a surface was cancelled.
#include <atomic>

#include "kw/hooks_engine.h"
#include "win/winddi.h"

namespace {

std::atomic<bool> g_cancelled{false};
std::atomic<uint64_t> g_calls{0};
std::atomic<kw::hooks::EngineFault> g_fault{kw::hooks::EngineFault::None};

// The faults are real: a load from an unmapped page and an integer division
// by zero, made opaque to the optimiser and to the sanitizers' own checks.
__attribute__((noinline, no_sanitize("address", "undefined"))) void RaiseFault(kw::hooks::EngineFault fault) {
  if (fault == kw::hooks::EngineFault::AccessViolation) {
    volatile uintptr_t unmapped = 0x10;  // the first page is never mapped
    (void)*reinterpret_cast<volatile int*>(unmapped);
  } else if (fault == kw::hooks::EngineFault::IntegerDivideByZero) {
    volatile int zero = 0;
    volatile int one = 1;
    one = one / zero;
  }
}

}  // namespace

KW_API BOOL APIENTRY EngCheckAbort(SURFOBJ*) {
  ++g_calls;
  kw::hooks::EngineFault fault = g_fault.exchange(kw::hooks::EngineFault::None);
  if (fault != kw::hooks::EngineFault::None) RaiseFault(fault);
  return g_cancelled.load() ? TRUE : FALSE;
}

namespace kw::hooks {

void EngineSetAbort(bool cancelled) { g_cancelled = cancelled; }
uint64_t EngineCheckAbortCalls() { return g_calls.load(); }
void EngineFaultInCheckAbort(EngineFault fault) { g_fault = fault; }

}  // namespace kw::hooks
