// IEEE 1284 device IDs as a port answers them: any bytes, parsed by length,
// and copied by the bidirectional detection into the shared block.
#include <cstdlib>
#include <cstring>

#include "langmon/operations.h"

using namespace langmon;

namespace {

const uint8_t* g_data;
size_t g_size;

BOOL WINAPI Answer(HANDLE, DWORD, LPWSTR, LPWSTR, DWORD, LPWSTR out, DWORD outSize, LPDWORD returned) {
  DWORD n = DWORD(g_size < outSize ? g_size : outSize);
  std::memcpy(out, g_data, n);
  *returned = n;
  return TRUE;
}

constexpr DWORD kKnownBits = 0x2 | 0x100 | 0x200 | 0x800 | 0x10 | 0x8 | 0x1 | 0x4 | 0x20 | 0x400 | 0x80000000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DWORD caps = ParseDeviceId(reinterpret_cast<const char*>(data), size);
  if (caps & ~kKnownBits) std::abort();
  g_data = data;
  g_size = size;
  static SharedStatusBlock block;
  std::memset(block.deviceId, 'Z', sizeof block.deviceId);
  PortRecord port{};
  port.block = &block;
  port.lower.pfnGetPrinterDataFromPort = Answer;
  BOOL bidi = DetectBidiPJL(&port);
  if (size > 0 && std::memchr(block.deviceId, 0, sizeof block.deviceId) == nullptr) std::abort();
  if (bool(bidi) != bool(port.capabilities & 0x2)) std::abort();
  return 0;
}
