#include <gtest/gtest.h>

#include "langmon/operations.h"

using namespace langmon;

TEST(StatusCodes, EachTableClassifies) {
  struct Case {
    DWORD code, online, status, level;
  };
  const Case cases[] = {
      {10001, 1, 0, kLevelNormal},
      {10002, 1, PRINTER_STATUS_OFFLINE, kLevelNormal},
      {40988, 1, PRINTER_STATUS_PROCESSING, kLevelNormal},
      {10974, 0, PRINTER_STATUS_PRINTING, kLevelNormal},
      {10003, 1, PRINTER_STATUS_WARMING_UP, kLevelNormal},
      {10094, 1, PRINTER_STATUS_POWER_SAVE, kLevelNormal},
      {10006, 1, PRINTER_STATUS_TONER_LOW, kLevelNormal},
      {10084, 1, PRINTER_STATUS_TONER_LOW, kLevelWarningNearLife},
      {10072, 1, PRINTER_STATUS_USER_INTERVENTION, kLevelWarningLife},
      {10966, 1, PRINTER_STATUS_NO_TONER, kLevelWarningLife},
      {10929, 0, PRINTER_STATUS_USER_INTERVENTION, kLevelWarningCheck},
      {11599, 1, 0, kLevelWarningBg},
      {32056, 1, 0, kLevelWarning},
      {40090, 1, PRINTER_STATUS_NOT_AVAILABLE, kLevelWarning},
      {10085, 1, 0, kLevelWarningLife},
      {16017, 1, 0, kLevelWarningCheck},
      {30991, 1, PRINTER_STATUS_OUT_OF_MEMORY, kLevelWarningCheck},
      {40076, 0, PRINTER_STATUS_DOOR_OPEN, kLevelWarningCheck},
      {16007, 1, 0, kLevelWarningNear},
      {41150, 1, PRINTER_STATUS_MANUAL_FEED, kLevelWarning},
      {41150, 0, PRINTER_STATUS_MANUAL_FEED, kLevelAlarm},
      {48050, 0, PRINTER_STATUS_PAPER_OUT, kLevelAlarm},
      {46027, 0, PRINTER_STATUS_USER_INTERVENTION, kLevelAlarm},
      {30997, 0, PRINTER_STATUS_ERROR, kLevelAlarm},
      {40957, 0, PRINTER_STATUS_NO_TONER, kLevelAlarm},
      {30098, 0, PRINTER_STATUS_OUT_OF_MEMORY, kLevelAlarm},
      {40885, 0, PRINTER_STATUS_PAPER_JAM, kLevelAlarm},
      {40984, 0, PRINTER_STATUS_DOOR_OPEN, kLevelAlarm},
      {40021, 0, PRINTER_STATUS_DOOR_OPEN, kLevelAlarm},
      {40057, 0, PRINTER_STATUS_NOT_AVAILABLE, kLevelFatalError},
      {30089, 0, PRINTER_STATUS_PAPER_PROBLEM, kLevelAlarm},
      {40995, 0, PRINTER_STATUS_OUTPUT_BIN_FULL, kLevelAlarm},
      {40818, 0, PRINTER_STATUS_NO_TONER, kLevelAlarm},
      // First match wins: 30993 is in the normal table before the alarm codes.
      {30993, 0, PRINTER_STATUS_PROCESSING, kLevelNormal},
      {12345, 1, 0, kLevelWarning},
      {12345, 0, PRINTER_STATUS_NOT_AVAILABLE, kLevelAlarm},
      {65538, 0, PRINTER_STATUS_NOT_AVAILABLE, kLevelAlarm},
  };
  for (const Case& c : cases) {
    Classification k = ClassifyCode(c.code, c.online);
    EXPECT_EQ(k.status, c.status) << c.code << " online " << c.online;
    EXPECT_EQ(k.level, c.level) << c.code << " online " << c.online;
  }
}

TEST(StatusCodes, ShownCode) {
  EXPECT_EQ(ShownCode(40021, 0, 0), 40021u);    // no secondary
  EXPECT_EQ(ShownCode(10001, 10081, 1), 10081u);  // online: the secondary
  EXPECT_EQ(ShownCode(48000, 10081, 0), 48000u);  // offline with an alarm primary
  EXPECT_EQ(ShownCode(10002, 40021, 0), 40021u);  // offline, primary not an alarm
}
