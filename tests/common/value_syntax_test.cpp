#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/value_syntax.h"
#include "kw/wide.h"

namespace {

using kadu::ParseCapabilityMask;
using kadu::ParseFinisherType;
using kadu::ParseNumberList;
using kadu::ParseYesNo;
using kadu::YesNo;

struct ListCase {
  const char16_t* text;
  bool isSigned;
  std::vector<int32_t> expected;
};

TEST(ValueSyntax, NumberLists) {
  const ListCase cases[] = {
      {u"23, 0, 1, 2,24", false, {23, 0, 1, 2, 24}},
      {u" 1, 2, 3", false, {1, 2, 3}},
      {u"", false, {0}},                       // an empty list has one element, 0
      {u"; only a comment", false, {0}},
      {u"1,,3", false, {1, 0, 3}},             // an empty element gives 0
      {u"1,2,", false, {1, 2}},                // a trailing separator ends the list
      {u"0x10, 0XfF,10", false, {16, 255, 10}},
      {u"1 2,3a4", false, {12, 34}},           // characters that are not digits are skipped
      {u"5;6,7", false, {5}},                  // ";" ends the list
      {u"-1,-1,3 -", true, {-1, -1, -3}},      // a "-" anywhere makes the element negative
      {u"-1,2", false, {1, 2}},                // not in unsigned lists
      {u"3696 ; KB", false, {3696}},
      {u"4294967297", false, {1}},             // wraps at 32 bits
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(kw::Narrow(c.text));
    int32_t out[8];
    size_t n = ParseNumberList(c.text, c.isSigned, out, 8);
    EXPECT_EQ(std::vector<int32_t>(out, out + n), c.expected);
  }
  int32_t two[2];
  EXPECT_EQ(ParseNumberList(u"1,2,3,4", false, two, 2), 2u);  // stops at the maximum
}

TEST(ValueSyntax, StringElementsAndMixedLists) {
  kadu::ListCursor cur(u"9,\"A4 \\x41\\x7a\",1, 2480 ,3508");
  EXPECT_EQ(cur.Number(false), 9);
  EXPECT_EQ(cur.String(63), u"A4 Az");
  EXPECT_EQ(cur.Number(false), 1);
  EXPECT_EQ(cur.Number(false), 2480);
  EXPECT_EQ(cur.Number(false), 3508);
  EXPECT_TRUE(cur.AtEnd());

  kadu::ListCursor semi(u"\"a;b, c\",\"x\"");  // inside quotes ";" and "," belong to the text
  EXPECT_EQ(semi.String(63), u"a;b, c");
  EXPECT_EQ(semi.String(63), u"x");

  // The profile functions strip one enclosing pair of quotes: "A","B" arrives as A","B.
  kadu::ListCursor stripped(u"Arial\",\"Helvetica");
  EXPECT_EQ(stripped.String(63), u"Arial");
  EXPECT_EQ(stripped.String(63), u"Helvetica");

  kadu::ListCursor cut(u"\"abcdef\",7");
  EXPECT_EQ(cut.String(3), u"abc");
  EXPECT_EQ(cut.Number(false), 7);
  EXPECT_EQ(kadu::ParseFirstNumber(u"0xC0C0C0,1", false), 0xC0C0C0);
  EXPECT_EQ(kadu::ParseFirstNumber(u"-257", true), -257);
  EXPECT_EQ(kadu::DecimalText(-305), u"-305");
  EXPECT_EQ(kadu::DecimalText(0), u"0");
}

TEST(ValueSyntax, YesNo) {
  struct Case {
    const char16_t* text;
    YesNo expected;
  } cases[] = {
      {u"Yes", YesNo::Yes},     {u"yes", YesNo::Yes},      {u"YES", YesNo::Yes}, {u"  yEs ; on", YesNo::Yes},
      {u"No", YesNo::No},       {u"no", YesNo::No},        {u"True", YesNo::NotGiven},
      {u"1", YesNo::NotGiven},  {u"", YesNo::NotGiven},    {u"; Yes", YesNo::NotGiven},
      {u"Ya", YesNo::NotGiven}, {u"n", YesNo::NotGiven},   {u"Nope", YesNo::No},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(kw::Narrow(c.text));
    EXPECT_EQ(ParseYesNo(c.text), c.expected);
  }
}

struct MaskCase {
  const char16_t* text;
  uint32_t expected;
};

TEST(ValueSyntax, CapabilityMasks) {
  const MaskCase cases[] = {
      // Every position given: all source, duplex and bin bits.
      {u"TRAY.12345AMPDRF", 0x7FF},
      {u"tray.12345ampdrf", 0x7FF},
      {u"TRAY.1__________", 0x1},
      {u"TRAY.12___AM_D__ + STK.U_ + FIN.__ + EJS__L____", 0x10187},
      // One position short (the built-in text): invalid, its bits plus 0xFF.
      {u"TRAY.12345AMD__", 0xFF},
      {u"TRAY.12345AMD__ + STK.UD + FIN.UD + EJS23L23PS", 0x5F0F00FF},
      {u"TRAY.12345AMXDRF", 0x7FF},            // the positions after the wrong one still count
      {u"STK.UX", 0x30000},                    // invalid STK gives 0x30000
      {u"FIN.D", 0xC0000},                     // short: invalid
      {u"STK.UD FIN.U_", 0x70000},
      {u"EJS23L23PS", 0x5F000000},
      {u"EJS2_L_3P_", 0x19000000},
      {u"EJS23X23PS", 0x5F000000},             // an invalid EJS makes the whole mask 0x5F000000
      {u"TRAY.1__________ EJS2_L_3PX", 0x5F000000},
      {u"EJS2XL23PS", 0x5F000000},
      {u"TRAY.1__________ ; TRAY.2", 0x1},     // ends at ";"
      {u"TRAY.1__________\" TRAY.2", 0x1},     // and at a double quote
      {u"0", 0},
      {u"", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(kw::Narrow(c.text));
    EXPECT_EQ(ParseCapabilityMask(c.text), c.expected);
  }
}

TEST(ValueSyntax, FinisherType) {
  const MaskCase cases[] = {
      {u"PUNCH.2__ + TRAY._2_45", 0x1A01},  // the built-in value
      {u"PUNCH.234 + TRAY.12345", 0x1F07},
      {u"PUNCH.___ + TRAY._____", 0},
      {u"PUNCH.2X_ + TRAY.12345", 1},       // invalid PUNCH: the whole value is 1
      {u"PUNCH.2__ + TRAY.1", 0x1B01},      // invalid TRAY adds 0x1A00
      {u"TRAY.1____", 0x100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(kw::Narrow(c.text));
    EXPECT_EQ(ParseFinisherType(c.text), c.expected);
  }
}

}  // namespace
