// The printer's five-digit status codes: spooler status and level of each,
// searched table by table in a fixed order (the first match wins).
#include <initializer_list>

#include "langmon/operations.h"

namespace langmon {
namespace {

struct Range {
  DWORD low, high;
};

struct CodeGroup {
  DWORD status, level;
  std::initializer_list<DWORD> codes;
};

struct RangeGroup {
  DWORD status, level;
  std::initializer_list<Range> ranges;
};

const CodeGroup kNormal[] = {
    {0, kLevelNormal, {10001, 10004, 10005, 10086, 10087, 10088, 30994}},
    {PRINTER_STATUS_OFFLINE, kLevelNormal, {10002}},
    {PRINTER_STATUS_PROCESSING, kLevelNormal,
     {10993, 10061, 10023, 10096, 10097, 10007, 10897, 10963, 10058, 10994, 10988, 40988, 10055, 10987, 10989,
      30993}},
    {PRINTER_STATUS_PRINTING, kLevelNormal, {10098, 10099, 10017, 10015, 10014, 10056, 10057, 10089, 10942, 10974}},
    {PRINTER_STATUS_WARMING_UP, kLevelNormal, {10003}},
    {PRINTER_STATUS_POWER_SAVE, kLevelNormal, {10094}},
    {PRINTER_STATUS_TONER_LOW, kLevelNormal, {10006}},
};

const RangeGroup kWarningRanges[] = {
    {PRINTER_STATUS_TONER_LOW, kLevelWarningNearLife, {{10081, 10084}}},
    {PRINTER_STATUS_USER_INTERVENTION, kLevelWarningLife,
     {{10959, 10961}, {10950, 10957}, {10071, 10074}, {10076, 10079}, {10969, 10972}, {10938, 10941}}},
    {PRINTER_STATUS_NO_TONER, kLevelWarningLife, {{10924, 10927}, {10965, 10968}}},
    {PRINTER_STATUS_USER_INTERVENTION, kLevelWarningCheck, {{10050, 10054}, {10943, 10947}, {10928, 10933}}},
    {0, kLevelWarningBg, {{11000, 11599}}},
    {0, kLevelWarning, {{32000, 32027}, {32051, 32056}}},
};

const CodeGroup kWarningCodes[] = {
    {PRINTER_STATUS_NOT_AVAILABLE, kLevelWarning, {40090}},
    {PRINTER_STATUS_OUT_OF_MEMORY, kLevelWarning, {30995, 40994}},
    {0, kLevelWarningLife, {10979, 10978, 10085, 10949}},
    {PRINTER_STATUS_USER_INTERVENTION, kLevelWarningLife, {10091, 10080, 10060, 10969, 10070, 10948}},
    {PRINTER_STATUS_USER_INTERVENTION, kLevelWarningCheck, {10976, 10975, 10093, 10977, 10985, 10986, 40963, 40969}},
    {0, kLevelWarningCheck, {16010, 16012, 16013, 16014, 16015, 16016, 16017, 10983, 10984}},
    {PRINTER_STATUS_USER_INTERVENTION, kLevelWarning, {30992, 10982, 10059, 10964, 10992, 10995, 10997, 10998}},
    {PRINTER_STATUS_OUT_OF_MEMORY, kLevelWarningCheck, {30991}},
    {PRINTER_STATUS_PROCESSING, kLevelWarning, {10898, 30961, 10899, 30962, 40978, 30963, 30010}},
    {0, kLevelWarning, {30114, 10990, 10991, 35031}},
    {PRINTER_STATUS_DOOR_OPEN, kLevelWarningCheck, {40076}},
    {PRINTER_STATUS_NO_TONER, kLevelWarningLife, {10065, 10092}},
    {0, kLevelWarningNear, {10075, 16002, 16003, 16005, 16006, 16007}},
};

const RangeGroup kAlarmRanges[] = {
    {PRINTER_STATUS_MANUAL_FEED, kLevelAlarm, {{41100, 41199}}},
    {PRINTER_STATUS_PAPER_OUT, kLevelAlarm,
     {{48000, 48099}, {48200, 48799}, {47200, 47799}, {46012, 46013}, {46015, 46017}, {47000, 47099}}},
    {PRINTER_STATUS_USER_INTERVENTION, kLevelAlarm,
     {{40830, 40837}, {40033, 40037}, {40996, 40999}, {40902, 40917}, {40925, 40929}, {40959, 40962}, {40970, 40976},
      {46022, 46023}, {46025, 46027}}},
    {PRINTER_STATUS_ERROR, kLevelAlarm, {{30996, 30999}}},
    {PRINTER_STATUS_NO_TONER, kLevelAlarm,
     {{40028, 40031}, {40936, 40939}, {40941, 40950}, {40952, 40954}, {40956, 40958}}},
    {PRINTER_STATUS_OUT_OF_MEMORY, kLevelAlarm, {{30097, 30099}}},
    {PRINTER_STATUS_PAPER_JAM, kLevelAlarm,
     {{40077, 40079}, {40051, 40056}, {40878, 40881}, {40883, 40888}, {40890, 40896}}},
    {PRINTER_STATUS_DOOR_OPEN, kLevelAlarm, {{40930, 40935}, {40983, 40987}}},
};

const CodeGroup kAlarmCodes[] = {
    {PRINTER_STATUS_DOOR_OPEN, kLevelAlarm, {46033, 40021, 40980, 40991, 46002, 46003, 46005, 46006}},
    {PRINTER_STATUS_PROCESSING, kLevelAlarm, {40825, 40826, 40827, 40828, 30993, 40967}},
    {PRINTER_STATUS_ERROR, kLevelAlarm, {30027, 30017, 40000, 40018, 40020, 40968}},
    {PRINTER_STATUS_NOT_AVAILABLE, kLevelFatalError, {40057}},
    {PRINTER_STATUS_PAPER_PROBLEM, kLevelAlarm, {30034, 30089}},
    {PRINTER_STATUS_OUT_OF_MEMORY, kLevelAlarm, {30090}},
    {PRINTER_STATUS_USER_INTERVENTION, kLevelAlarm, {40019, 40965, 40966, 40992}},
    {PRINTER_STATUS_OUTPUT_BIN_FULL, kLevelAlarm, {40075, 40923, 40995}},
    {PRINTER_STATUS_PAPER_JAM, kLevelAlarm, {40918, 40940, 40977, 40981, 40982}},
    {PRINTER_STATUS_NO_TONER, kLevelAlarm, {40964, 40993, 40818}},
};

template <size_t N>
const CodeGroup* FindCode(const CodeGroup (&table)[N], DWORD code) {
  for (const CodeGroup& g : table)
    for (DWORD c : g.codes)
      if (c == code) return &g;
  return nullptr;
}

template <size_t N>
const RangeGroup* FindRange(const RangeGroup (&table)[N], DWORD code) {
  for (const RangeGroup& g : table)
    for (const Range& r : g.ranges)
      if (code >= r.low && code <= r.high) return &g;
  return nullptr;
}

}  // namespace

Classification ClassifyCode(DWORD code, DWORD online) {
  if (const CodeGroup* g = FindCode(kNormal, code)) return {g->status, g->level};
  if (const RangeGroup* g = FindRange(kWarningRanges, code)) return {g->status, g->level};
  if (const CodeGroup* g = FindCode(kWarningCodes, code)) return {g->status, g->level};
  if (code >= 41100 && code <= 41199)
    return {PRINTER_STATUS_MANUAL_FEED, online == 1 ? kLevelWarning : kLevelAlarm};
  if (const RangeGroup* g = FindRange(kAlarmRanges, code)) return {g->status, g->level};
  if (const CodeGroup* g = FindCode(kAlarmCodes, code)) return {g->status, g->level};
  if (online == 1) return {0, kLevelWarning};
  return {PRINTER_STATUS_NOT_AVAILABLE, kLevelAlarm};
}

bool IsAlarmCode(DWORD code) { return FindRange(kAlarmRanges, code) || FindCode(kAlarmCodes, code); }

bool IsNormalCode(DWORD code) { return FindCode(kNormal, code) != nullptr; }

DWORD ShownCode(DWORD primary, DWORD secondary, DWORD online) {
  if (secondary == 0) return primary;
  if (online == 1) return secondary;
  return IsAlarmCode(primary) ? primary : secondary;
}

}  // namespace langmon
