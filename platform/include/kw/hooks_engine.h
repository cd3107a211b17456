// Test hooks for the graphics engine services.
#pragma once
#include <cstdint>

namespace kw::hooks {

// What EngCheckAbort answers from now on (false at start).
void EngineSetAbort(bool cancelled);
// EngCheckAbort calls made so far.
uint64_t EngineCheckAbortCalls();

// While on, EngComputeGlyphSet fails as it does when the engine is out of memory.
void EngineFailGlyphSets(bool on);

// A real hardware fault inside an engine service, for testing the driver's
// exception guards: the next EngCheckAbort call raises it, once.
enum class EngineFault { None, AccessViolation, IntegerDivideByZero };
void EngineFaultInCheckAbort(EngineFault fault);

}  // namespace kw::hooks
