// The loaded objects of this process as the system loader sees them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kw {

struct ProcessModule {
  uintptr_t base;       // lowest loaded segment, page aligned
  uintptr_t end;        // end of the highest loaded segment, page aligned
  uintptr_t bias;       // load bias (link map l_addr)
  uintptr_t elfEntry;   // entry in the ELF header, 0 when none
  std::string path;     // host path; the program's real path for the program
};

// The program first, then every loaded object in load order.
std::vector<ProcessModule> ProcessModules();
// The module whose base address is `base`, or false.
bool ProcessModuleAt(uintptr_t base, ProcessModule* out);
// The module whose range holds `addr`, or false.
bool ProcessModuleHolding(uintptr_t addr, ProcessModule* out);

}  // namespace kw
