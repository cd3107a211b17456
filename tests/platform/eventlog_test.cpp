#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "kw/handle_table.h"
#include "kw/hooks_eventlog.h"
#include "kw/world.h"
#include "tests/support/world_fixture.h"
#include "windows.h"

using kadu_test::WorldFixture;

namespace {

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The log line after its time stamp.
std::string Tail(const std::string& line) {
  static const std::regex stamp(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d UTC \| )");
  std::smatch m;
  if (!std::regex_search(line, m, stamp)) return "no time stamp: " + line;
  return m.suffix();
}

}  // namespace

class EventLog : public WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    kw::hooks::EventLogClear();
  }
  void TearDown() override {
    kw::hooks::EventLogFailRegister(false);
    kw::hooks::EventLogFailReport(false);
    WorldFixture::TearDown();
  }
};

TEST_F(EventLog, EntriesAreKeptAndWrittenOneLineEach) {
  HANDLE h = RegisterEventSourceW(nullptr, u"KADU_UM");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(kw::hooks::EventLogOpenSources(), 1u);
  LPCWSTR strings[] = {u"CODE 0xC0000005 / DLL C:\\x.dll / ID 110"};
  EXPECT_TRUE(ReportEventW(h, EVENTLOG_ERROR_TYPE, 19, 0xC0000005, nullptr, 1, 0, strings, nullptr));
  BYTE data[] = {0x01, 0xAB};
  LPCWSTR two[] = {u"a", u"b"};
  EXPECT_TRUE(ReportEventW(h, EVENTLOG_INFORMATION_TYPE, 0, 7, nullptr, 2, 2, two, data));
  EXPECT_TRUE(ReportEventW(h, 0x0020, 1, 8, nullptr, 0, 0, nullptr, nullptr));
  EXPECT_TRUE(DeregisterEventSource(h));
  EXPECT_EQ(kw::hooks::EventLogOpenSources(), 0u);

  auto entries = kw::hooks::EventLogEntries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].record, 1u);
  EXPECT_EQ(entries[0].log, u"Application");
  EXPECT_EQ(entries[0].source, u"KADU_UM");
  EXPECT_EQ(entries[0].type, EVENTLOG_ERROR_TYPE);
  EXPECT_EQ(entries[0].category, 19);
  EXPECT_EQ(entries[0].eventId, 0xC0000005u);
  EXPECT_EQ(entries[0].strings, std::vector<std::u16string>{strings[0]});
  EXPECT_TRUE(entries[0].data.empty());
  EXPECT_EQ(entries[1].data, (std::vector<uint8_t>{0x01, 0xAB}));
  EXPECT_EQ(entries[2].record, 3u);

  std::string path = kw::hooks::EventLogFilePath();
  EXPECT_EQ(path, world_ + "/eventlog/Application.log");
  auto lines = ReadLines(path);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(Tail(lines[0]),
            "#1 | Error | KADU_UM | category 19 | event 0xC0000005 | "
            "\"CODE 0xC0000005 / DLL C:\\\\x.dll / ID 110\" | data");
  EXPECT_EQ(Tail(lines[1]), "#2 | Information | KADU_UM | category 0 | event 0x00000007 | \"a\" \"b\" | data 01 AB");
  EXPECT_EQ(Tail(lines[2]), "#3 | Type 0x0020 | KADU_UM | category 1 | event 0x00000008 | | data");
}

TEST_F(EventLog, TextsStayOnOneLine) {
  HANDLE h = RegisterEventSourceW(u"", u"src");
  ASSERT_NE(h, nullptr);
  LPCWSTR strings[] = {u"two\nlines \"q\" tab\t\x01 \u00e9"};
  EXPECT_TRUE(ReportEventW(h, EVENTLOG_WARNING_TYPE, 2, 3, nullptr, 1, 0, strings, nullptr));
  DeregisterEventSource(h);
  auto lines = ReadLines(kw::hooks::EventLogFilePath());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(Tail(lines[0]),
            "#1 | Warning | src | category 2 | event 0x00000003 | \"two\\nlines \\\"q\\\" tab\\t\\x01 \xC3\xA9\" | data");
  EXPECT_EQ(kw::hooks::EventLogEntries()[0].strings[0], strings[0]);
}

TEST_F(EventLog, RecordNumbersContinueTheFile) {
  std::filesystem::create_directories(world_ + "/eventlog");
  std::ofstream(world_ + "/eventlog/Application.log") << "old 1\nold 2\n";
  kw::WorldSetRoot(world_);  // as a new process would find the world
  HANDLE h = RegisterEventSourceA(nullptr, "KADU_UI");
  ASSERT_NE(h, nullptr);
  LPCSTR strings[] = {"ansi"};
  EXPECT_TRUE(ReportEventA(h, EVENTLOG_ERROR_TYPE, 1, 2, nullptr, 1, 0, strings, nullptr));
  DeregisterEventSource(h);
  auto entries = kw::hooks::EventLogEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].record, 3u);
  EXPECT_EQ(entries[0].source, u"KADU_UI");
  EXPECT_EQ(entries[0].strings[0], u"ansi");
  EXPECT_EQ(ReadLines(kw::hooks::EventLogFilePath()).size(), 3u);
}

TEST_F(EventLog, BadCallsFailWithWindowsErrors) {
  SetLastError(0);
  EXPECT_EQ(RegisterEventSourceW(u"\\\\other", u"KADU_UM"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(RPC_S_SERVER_UNAVAILABLE));
  EXPECT_EQ(RegisterEventSourceW(nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(RegisterEventSourceW(nullptr, u""), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));

  HANDLE h = RegisterEventSourceW(nullptr, u"KADU_UM");
  ASSERT_NE(h, nullptr);
  std::u16string huge(31840, u'x');
  LPCWSTR tooLong[] = {huge.c_str()};
  LPCWSTR withNull[] = {u"a", nullptr};
  struct Case {
    WORD n;
    DWORD dataSize;
    LPCWSTR* strings;
    LPVOID data;
  } cases[] = {{1, 0, nullptr, nullptr}, {2, 0, withNull, nullptr}, {1, 0, tooLong, nullptr}, {0, 4, nullptr, nullptr}};
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_FALSE(ReportEventW(h, EVENTLOG_ERROR_TYPE, 0, 1, nullptr, c.n, c.dataSize, c.strings, c.data));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  }
  EXPECT_TRUE(DeregisterEventSource(h));
  EXPECT_FALSE(ReportEventW(h, EVENTLOG_ERROR_TYPE, 0, 1, nullptr, 0, 0, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(DeregisterEventSource(h));
  EXPECT_TRUE(kw::hooks::EventLogEntries().empty());
}

TEST_F(EventLog, InjectedFailures) {
  kw::hooks::EventLogFailRegister(true);
  EXPECT_EQ(RegisterEventSourceW(nullptr, u"KADU_UM"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  kw::hooks::EventLogFailRegister(false);

  HANDLE h = RegisterEventSourceW(nullptr, u"KADU_UM");
  ASSERT_NE(h, nullptr);
  kw::hooks::EventLogFailReport(true, ERROR_DISK_FULL);
  EXPECT_FALSE(ReportEventW(h, EVENTLOG_ERROR_TYPE, 0, 1, nullptr, 0, 0, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));
  kw::hooks::EventLogFailReport(false);
  EXPECT_TRUE(ReportEventW(h, EVENTLOG_ERROR_TYPE, 0, 1, nullptr, 0, 0, nullptr, nullptr));
  DeregisterEventSource(h);
  auto entries = kw::hooks::EventLogEntries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].record, 1u);
}

TEST_F(EventLog, ConcurrentReportsKeepWholeLinesAndDistinctNumbers) {
  constexpr int kThreads = 4, kEach = 50;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      HANDLE h = RegisterEventSourceW(nullptr, u"KADU_UM");
      std::u16string text = u"thread " + std::u16string(1, char16_t(u'0' + t));
      LPCWSTR strings[] = {text.c_str()};
      for (int i = 0; i < kEach; ++i) ReportEventW(h, EVENTLOG_ERROR_TYPE, WORD(t), DWORD(i), nullptr, 1, 0, strings, nullptr);
      DeregisterEventSource(h);
    });
  }
  for (auto& th : threads) th.join();
  auto lines = ReadLines(kw::hooks::EventLogFilePath());
  ASSERT_EQ(lines.size(), size_t(kThreads * kEach));
  std::set<std::string> numbers;
  static const std::regex whole(R"(^#(\d+) \| Error \| KADU_UM \| category \d \| event 0x000000\w\w \| "thread \d" \| data$)");
  for (const auto& line : lines) {
    std::smatch m;
    std::string tail = Tail(line);
    ASSERT_TRUE(std::regex_match(tail, m, whole)) << line;
    numbers.insert(m[1]);
  }
  EXPECT_EQ(numbers.size(), lines.size());
  EXPECT_EQ(kw::hooks::EventLogOpenSources(), 0u);
}
