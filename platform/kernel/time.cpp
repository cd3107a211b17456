// The virtual millisecond clock behind GetTickCount, Sleep and every timeout.
// It runs `scale` times faster than the monotonic clock so that tests can let
// long waits pass quickly; at scale 1 it is real time.
#include <time.h>

#include <mutex>
#include <thread>

#include "waitable.h"
#include "kw/hooks_time.h"
#include "win/thread.h"

namespace kw {
namespace {

struct Clock {
  std::mutex mu;
  int64_t baseReal = 0;     // real ns at the last scale change
  int64_t baseVirtual = 0;  // virtual ns at the same moment
  DWORD scale = 1;
};

int64_t RealNowNs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

Clock& C() {
  static Clock* c = [] {
    auto* k = new Clock;
    k->baseReal = RealNowNs();
    k->baseVirtual = k->baseReal;  // ticks start near the machine's uptime
    return k;
  }();
  return *c;
}

}  // namespace

int64_t VirtualNowNs() {
  Clock& c = C();
  std::lock_guard<std::mutex> lock(c.mu);
  return c.baseVirtual + (RealNowNs() - c.baseReal) * int64_t(c.scale);
}

std::chrono::nanoseconds RealDuration(DWORD ms) {
  DWORD scale = hooks::TimeScale();
  int64_t ns = int64_t(ms) * 1000000 / int64_t(scale);
  if (ms > 0 && ns < 1000) ns = 1000;
  return std::chrono::nanoseconds(ns);
}

std::chrono::steady_clock::time_point RealDeadline(DWORD ms) {
  return std::chrono::steady_clock::now() + RealDuration(ms);
}

namespace hooks {

void TimeSetScale(DWORD factor) {
  if (factor == 0) factor = 1;
  Clock& c = C();
  std::lock_guard<std::mutex> lock(c.mu);
  int64_t real = RealNowNs();
  c.baseVirtual += (real - c.baseReal) * int64_t(c.scale);
  c.baseReal = real;
  c.scale = factor;
}

DWORD TimeScale() {
  Clock& c = C();
  std::lock_guard<std::mutex> lock(c.mu);
  return c.scale;
}

}  // namespace hooks
}  // namespace kw

KW_API DWORD WINAPI GetTickCount(void) { return DWORD(kw::VirtualNowNs() / 1000000); }
KW_API ULONGLONG WINAPI GetTickCount64(void) { return ULONGLONG(kw::VirtualNowNs() / 1000000); }

KW_API void WINAPI Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    std::this_thread::yield();
    return;
  }
  kw::RecordWait("Sleep", "time", milliseconds);
  if (milliseconds == INFINITE) {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(24));
  }
  std::this_thread::sleep_for(kw::RealDuration(milliseconds));
}
