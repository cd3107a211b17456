#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "langmon/operations.h"

using namespace langmon;

namespace {

struct Parsed {
  std::vector<std::vector<DWORD>> codes, indexes;
  std::vector<DWORD> online, types;
  DWORD pages = 0;
};

void Collect(void* context, const StatusRecord& r) {
  auto* p = static_cast<Parsed*>(context);
  p->codes.emplace_back(r.codes, r.codes + r.count);
  p->indexes.emplace_back(r.indexes, r.indexes + r.count);
  p->online.push_back(r.online);
  p->types.push_back(r.blockType);
}

Parsed Parse(const std::string& s) {
  Parsed p;
  p.pages = ParseReplies(reinterpret_cast<const BYTE*>(s.data()), s.size(), Collect, &p);
  return p;
}

}  // namespace

TEST(ReplyParse, InfoStatusReadyGivesOneRecord) {
  Parsed p = Parse("@PJL INFO STATUS\r\nCODE=10001\r\nDISPLAY=\"READY\"\r\nONLINE=TRUE\r\n\f");
  ASSERT_EQ(p.codes.size(), 1u);
  EXPECT_EQ(p.codes[0], std::vector<DWORD>{10001});
  EXPECT_EQ(p.online[0], 1u);
  EXPECT_EQ(p.types[0], 1u);
  Codes c;
  std::string s = "@PJL INFO STATUS\r\nCODE=10001\r\nDISPLAY=\"READY\"\r\nONLINE=TRUE\r\n\f";
  ASSERT_TRUE(LastRecordCodes(reinterpret_cast<const BYTE*>(s.data()), s.size(), &c, nullptr));
  EXPECT_EQ(c.primary, 10001u);
  EXPECT_EQ(c.secondary, 0u);
  EXPECT_EQ(c.online, 1u);
  EXPECT_EQ(ClassifyCode(ShownCode(c.primary, c.secondary, c.online), c.online).status, 0u);
}

TEST(ReplyParse, BlocksAndTheirTypesInBufferOrder) {
  Parsed p = Parse(
      "junk\r\n@PJL USTATUS DEVICE\r\nCODE=40021\r\nONLINE=FALSE\r\n\f"
      "@PJL USTATUS PAGE\r\n3\r\n\f"
      "@PJL INFO QELSTATUS\r\nCODE1=10001\r\nDISPLAY1=\"A\"\r\nCODE2=10081\r\nDISPLAY2=\"B\"\r\nONLINE=TRUE\r\n"
      "10082\r\n10083\r\n\f"
      "@PJL USTATUS TIMED\r\nCODE= \t10003\r\nONLINE= FALSE\r\n\f"
      "@PJL USTATUS QELDEVICE\r\nCODE=10002\r\nONLINE=TRUE\r\n");
  ASSERT_EQ(p.codes.size(), 4u);
  EXPECT_EQ(p.types, (std::vector<DWORD>{2, 4, 3, 5}));
  EXPECT_EQ(p.codes[1], (std::vector<DWORD>{10001, 10081, 10082, 10083}));
  EXPECT_EQ(p.indexes[1], (std::vector<DWORD>{1, 2, 1, 2}));
  EXPECT_EQ(p.online, (std::vector<DWORD>{0, 1, 0, 1}));
  EXPECT_EQ(p.codes[2], std::vector<DWORD>{10003});
  EXPECT_EQ(p.pages, 1u);
}

TEST(ReplyParse, MalformedBlocksAreDroppedWhole) {
  struct Case {
    const char* name;
    std::string text;
  };
  const Case cases[] = {
      {"four digits", "@PJL INFO STATUS\r\nCODE=1001\r\nONLINE=TRUE\r\n\f"},
      {"six digits", "@PJL INFO STATUS\r\nCODE=100011\r\nONLINE=TRUE\r\n\f"},
      {"no carriage return", "@PJL INFO STATUS\r\nCODE=10001\nONLINE=TRUE\r\n\f"},
      {"second first code", "@PJL INFO STATUS\r\nCODE=10001\r\nCODE1=10002\r\n\f"},
      {"index before first", "@PJL INFO QELSTATUS\r\nCODE2=10001\r\nCODE1=10002\r\n\f"},
      {"display of another index", "@PJL INFO QELSTATUS\r\nCODE1=10001\r\nDISPLAY2=\"x\"\r\n\f"},
      {"online neither", "@PJL INFO STATUS\r\nCODE=10001\r\nONLINE=MAYBE\r\n\f"},
      {"bad bare code", "@PJL INFO QELSTATUS\r\nCODE1=10001\r\nONLINE=TRUE\r\n1008\r\n\f"},
      {"no code at all", "@PJL INFO STATUS\r\nONLINE=TRUE\r\n\f"},
      {"unknown header", "@PJL INFO STATUSES\r\nCODE=10001\r\n\f"},
      {"huge index", "@PJL INFO QELSTATUS\r\nCODE1=10001\r\nCODE12345678901=10002\r\n\f"},
  };
  for (const Case& c : cases) EXPECT_TRUE(Parse(c.text).codes.empty()) << c.name;
}

TEST(ReplyParse, AFormFeedBeforeTheNewlineEndsTheScan) {
  Parsed p = Parse("@\f@PJL INFO STATUS\r\nCODE=10001\r\nONLINE=TRUE\r\n\f");
  EXPECT_TRUE(p.codes.empty());
  // A cut reply ends with the data: the record is complete as far as it goes.
  Parsed cut = Parse("@PJL INFO STATUS\r\nCODE=40021\r\nDISPLAY=\"COVER\"\r\nONLINE=FALSE");
  ASSERT_EQ(cut.codes.size(), 1u);
  EXPECT_EQ(cut.codes[0], std::vector<DWORD>{40021});
}

TEST(ReplyParse, SecondaryCodeAndShownCode) {
  std::string s = "@PJL INFO QELSTATUS\r\nCODE1=10001\r\nCODE2=40021\r\nONLINE=FALSE\r\n\f";
  Codes c;
  ASSERT_TRUE(LastRecordCodes(reinterpret_cast<const BYTE*>(s.data()), s.size(), &c, nullptr));
  EXPECT_EQ(c.primary, 10001u);
  EXPECT_EQ(c.secondary, 40021u);
  EXPECT_EQ(c.online, 0u);
  DWORD shown = ShownCode(c.primary, c.secondary, c.online);
  EXPECT_EQ(shown, 40021u);
  Classification k = ClassifyCode(shown, c.online);
  EXPECT_EQ(k.status, DWORD(PRINTER_STATUS_DOOR_OPEN));
  EXPECT_EQ(k.level, DWORD(kLevelAlarm));
}

TEST(ReplyParse, BareCodesOnlyCountAfterOnline) {
  Parsed p = Parse("@PJL INFO QELSTATUS\r\nCODE1=10001\r\n10081\r\nONLINE=TRUE\r\n10082\r\n\f");
  ASSERT_EQ(p.codes.size(), 1u);
  EXPECT_EQ(p.codes[0], (std::vector<DWORD>{10001, 10082}));
  EXPECT_EQ(p.indexes[0], (std::vector<DWORD>{1, 1}));
}
