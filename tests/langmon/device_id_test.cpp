#include <gtest/gtest.h>

#include <string>

#include "langmon/operations.h"

using namespace langmon;

TEST(DeviceId, CommandSetGivesCapabilities) {
  struct Case {
    std::string id;
    DWORD caps;
  };
  const Case cases[] = {
      {"MFG:Halvorn;CMD:PJL,PCLXL,PCL;MDL:X;", 0x1A},
      {"COMMAND SET:PCL;", 0x8},
      {"CMD:POSTSCRIPT,ESCP,VRAL,ZQL,KESTRWINDOWS,KESTR-C,GQL3;", 0x800 | 0x400 | 0x1 | 0x200 | 0x4 | 0x100 | 0x22},
      {"CMD:HP ENHANCED PCL,ENHANCED PCL,KESTRC;", 0x8 | 0x100},
      {"CMD:PJL;COMMAND SET:POSTSCRIPT;", 0x2},               // only the first command set counts
      {"CMD: PJL;", 0x80000000},                               // prefixes are exact
      {"cmd:PJL;", 0},                                         // keys are exact
      {"MANUFACTURER:PJL;MFG:PJL;", 0},
      {"CMD:A,B,C,D,E,F,G,PCL,PJL;", 0x80000000 | 0x8},       // the eighth entry keeps the rest
      {"CMD:A,B,C,D,E,F,G,H,PJL;", 0x80000000},
      {"CMD:A,B,C,D,E,F,PJL,PCL;", 0x80000000 | 0x2 | 0x8},
      {"CMD:PJL", 0x2},                                        // no terminator
      {"no fields at all", 0},
      {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseDeviceId(c.id.data(), c.id.size()), c.caps) << c.id;
}

TEST(DeviceId, ParsedByLengthNotByTerminator) {
  std::string id = "CMD:PCL;";
  id += std::string(1, '\0') + "CMD:PJL;";  // a zero byte is only a byte
  EXPECT_EQ(ParseDeviceId(id.data(), id.size()), 0x8u);
  char noEnd[8] = {'C', 'M', 'D', ':', 'P', 'J', 'L', ','};
  EXPECT_EQ(ParseDeviceId(noEnd, 7), 0x2u);  // the byte after the length is never read
}
