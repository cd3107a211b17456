// Printer replies as the monitor reads them: any bytes, parsed into status
// records, applied to a port with a shared block, and searched for memory
// and AdjustDCS answers.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "langmon/operations.h"

using namespace langmon;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckRecord(void*, const StatusRecord& r) {
  Check(r.count >= 1 && r.count <= kMaxRecordCodes);
  Check(r.online <= 1);
  Check(r.blockType >= 1 && r.blockType <= 5);
  for (DWORD i = 0; i < r.count; ++i) {
    Check(r.codes[i] <= 99999);
    Classification k = ClassifyCode(r.codes[i], r.online);
    (void)k;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ParseReplies(data, size, CheckRecord, nullptr);

  // Through a port: the read buffer holds at most 64 KB.
  static std::vector<BYTE> buffer(kReadBufferSize);
  static SharedStatusBlock block;
  PortRecord port{};
  port.readBuffer = buffer.data();
  port.readLength = DWORD(size < kReadBufferSize ? size : kReadBufferSize);
  std::memcpy(buffer.data(), data, port.readLength);
  port.block = &block;
  port.jobMode = 2;
  port.flags = kBidiPjl;
  Codes c;
  if (ApplyReplies(&port, &c)) {
    Check(block.statusListCount >= 3 && block.statusListCount <= kStatusListEntries + 2);
    Check(block.statusList[block.statusListCount - 2] == 0 && block.statusList[block.statusListCount - 1] == 0);
    ShownCode(c.primary, c.secondary, c.online);
  }
  BOOL found;
  DWORD v = FindMemoryValue(data, size, "@PJL INFO CONFIG\r\n", "MEMORY=", &found);
  Check(found || v == 0xFFFFFFFF);
  size_t start, at, length, end;
  if (FindAdjustDcsReply(data, size, &start, &at, &length, &end)) Check(at + length < end && end <= size);
  return 0;
}
