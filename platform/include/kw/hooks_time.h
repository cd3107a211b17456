// Test hooks for the layer's clock. Every timed operation of the layer
// (GetTickCount, Sleep, wait timeouts, socket timeouts) runs on one virtual
// millisecond clock; a test can make it run faster than real time so that
// waits of minutes pass in a fraction of a second.
#pragma once
#include "win/base.h"

namespace kw::hooks {

// Virtual milliseconds per real millisecond (1 = real time, the default).
// Changing the scale keeps the tick count continuous.
void TimeSetScale(DWORD factor);
DWORD TimeScale();

}  // namespace kw::hooks
