#include <gtest/gtest.h>

#include <string>

#include "langmon/operations.h"

using namespace langmon;

TEST(MemoryValue, ReadFromTheReplyBlock) {
  struct Case {
    std::string reply;
    BOOL found;
    DWORD value;
  };
  const std::string config = "@PJL INFO CONFIG\r\nIN TRAYS [1 ENUMERATED]\r\n\tINTRAY1\r\n";
  const Case cases[] = {
      {config + "MEMORY=8388608\r\nDISPLAY LINES=2\r\n\f", TRUE, 8388608},
      {config + "MEMORY=\r\n\f", TRUE, 0},
      {config + "MEMORY=32 MB\r\n\f", TRUE, 0xFFFFFFFF},
      {config + "MEMORY=4294967294\r\n\f", TRUE, 4294967294u},
      // Too big for 32 bits: unknown, never a wrapped small number.
      {config + "MEMORY=4294967296\r\n\f", TRUE, 0xFFFFFFFF},
      {config + "MEMORY=99999999999999999999999\r\n\f", TRUE, 0xFFFFFFFF},
      {config + "\f@PJL INFO STATUS\r\nMEMORY=1\r\n\f", FALSE, 0xFFFFFFFF},  // not in the config block
      {"@PJL INFO STATUS\r\nMEMORY=1\r\n\f", FALSE, 0xFFFFFFFF},
      {config + "MEMORY=123", FALSE, 0xFFFFFFFF},  // cut off
  };
  for (const Case& c : cases) {
    BOOL found = 7;
    DWORD v = FindMemoryValue(reinterpret_cast<const BYTE*>(c.reply.data()), c.reply.size(), "@PJL INFO CONFIG\r\n",
                              "MEMORY=", &found);
    EXPECT_EQ(found, c.found) << c.reply;
    EXPECT_EQ(v, c.value) << c.reply;
  }
}
