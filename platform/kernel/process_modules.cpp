#include "process_modules.h"

#include <elf.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace kw {
namespace {

std::string ProgramPath() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, size_t(n)) : std::string();
}

uintptr_t PageDown(uintptr_t a, uintptr_t page) { return a & ~(page - 1); }
uintptr_t PageUp(uintptr_t a, uintptr_t page) { return (a + page - 1) & ~(page - 1); }

int Collect(dl_phdr_info* info, size_t, void* out) {
  auto* list = static_cast<std::vector<ProcessModule>*>(out);
  uintptr_t page = uintptr_t(::sysconf(_SC_PAGESIZE));
  uintptr_t lo = UINTPTR_MAX, hi = 0;
  uintptr_t header = 0;  // where file offset 0 (the ELF header) is mapped
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& ph = info->dlpi_phdr[i];
    if (ph.p_type != PT_LOAD) continue;
    uintptr_t start = info->dlpi_addr + ph.p_vaddr;
    if (ph.p_offset == 0) header = start;
    lo = std::min(lo, PageDown(start, page));
    hi = std::max(hi, PageUp(start + ph.p_memsz, page));
  }
  if (lo >= hi) return 0;
  ProcessModule m{lo, hi, info->dlpi_addr, 0, list->empty() ? ProgramPath() : std::string(info->dlpi_name)};
  if (header) {
    const auto* eh = reinterpret_cast<const ElfW(Ehdr)*>(header);
    if (std::memcmp(eh->e_ident, ELFMAG, SELFMAG) == 0 && eh->e_entry) m.elfEntry = info->dlpi_addr + eh->e_entry;
  }
  list->push_back(std::move(m));
  return 0;
}

}  // namespace

std::vector<ProcessModule> ProcessModules() {
  std::vector<ProcessModule> list;
  dl_iterate_phdr(Collect, &list);
  return list;
}

bool ProcessModuleAt(uintptr_t base, ProcessModule* out) {
  for (auto& m : ProcessModules()) {
    if (m.base == base) {
      *out = std::move(m);
      return true;
    }
  }
  return false;
}

bool ProcessModuleHolding(uintptr_t addr, ProcessModule* out) {
  for (auto& m : ProcessModules()) {
    if (addr >= m.base && addr < m.end) {
      *out = std::move(m);
      return true;
    }
  }
  return false;
}

}  // namespace kw
