#include "script.h"

#include <sys/socket.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "printer.h"

namespace sim {
namespace {

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = char(std::tolower(static_cast<unsigned char>(c)));
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool Number(const std::string& s, long long* v) {
  if (s.empty()) return false;
  char* end = nullptr;
  *v = std::strtoll(s.c_str(), &end, 10);
  return *end == '\0';
}

std::string Upper(std::string s) {
  for (char& ch : s) ch = char(std::toupper(static_cast<unsigned char>(ch)));
  return s;
}

std::shared_ptr<Connection> Newest() {
  std::lock_guard<std::mutex> lock(P().mu);
  return P().connections.empty() ? nullptr : P().connections.back();
}

template <typename Pred>
void WaitUntil(Pred pred) {
  std::unique_lock<std::mutex> lock(P().mu);
  while (!P().quit && !pred()) P().changed.wait_for(lock, std::chrono::milliseconds(20));
}

size_t g_commandCursor = 0;  // wait-command looks at commands after the last one it matched

struct Verb {
  const char* name;
  size_t minArgs, maxArgs;
};

const Verb kVerbs[] = {
    {"status", 2, 4}, {"warnings", 0, 250}, {"memory", 1, 1},      {"memory-total", 1, 1},
    {"adjust-dcs", 1, 1}, {"wait-job", 1, 1}, {"wait-bytes", 1, 1}, {"wait-command", 1, 20},
    {"sleep", 1, 1},  {"split", 1, 1},       {"gap", 1, 1},         {"silent", 1, 1},
    {"hold", 1, 1},   {"send", 1, 1},        {"disconnect", 0, 0},  {"exit", 0, 0},
};

// "status CODE [CODE2] online|offline [DISPLAY]"
bool ParseStatus(const std::vector<std::string>& w, Status* s, std::string* error) {
  long long v;
  size_t i = 1;
  if (!Number(w[i++], &v)) return *error = "status: a five-digit code expected", false;
  s->primary = int(v);
  s->secondary = 0;
  if (i < w.size() && Number(w[i], &v)) {
    s->secondary = int(v);
    ++i;
  }
  if (i >= w.size() || (w[i] != "online" && w[i] != "offline"))
    return *error = "status: online or offline expected", false;
  s->online = w[i++] == "online";
  if (i < w.size()) s->display = w[i++];
  if (i != w.size()) return *error = "status: too many words", false;
  return true;
}

bool Check(const std::vector<std::string>& w, std::string* error) {
  for (const Verb& v : kVerbs) {
    if (w[0] != v.name) continue;
    if (w.size() - 1 < v.minArgs || w.size() - 1 > v.maxArgs) return *error = w[0] + ": wrong number of words", false;
    long long n;
    if (w[0] == "status") {
      Status s;
      return ParseStatus(w, &s, error);
    }
    bool numeric = w[0] == "memory" || w[0] == "memory-total" || w[0] == "wait-job" || w[0] == "wait-bytes" ||
                   w[0] == "sleep" || w[0] == "split" || w[0] == "gap" || w[0] == "warnings";
    for (size_t i = 1; numeric && i < w.size(); ++i)
      if (!Number(w[i], &n) || n < 0) return *error = w[0] + ": a number expected, not " + w[i], false;
    if ((w[0] == "silent" || w[0] == "hold") && w[1] != "on" && w[1] != "off")
      return *error = w[0] + ": on or off expected", false;
    return true;
  }
  return *error = "unknown command " + w[0], false;
}

void Run(const std::vector<std::string>& w) {
  const std::string& v = w[0];
  long long n = w.size() > 1 ? std::atoll(w[1].c_str()) : 0;
  if (v == "status") {
    Status s;
    std::string ignored;
    {
      std::lock_guard<std::mutex> lock(P().mu);
      s = P().status;
    }
    ParseStatus(w, &s, &ignored);
    {
      std::lock_guard<std::mutex> lock(P().mu);
      P().status = s;
    }
    AnnounceStatus();
  } else if (v == "warnings") {
    std::lock_guard<std::mutex> lock(P().mu);
    P().status.warnings.clear();
    for (size_t i = 1; i < w.size(); ++i) P().status.warnings.push_back(std::atoi(w[i].c_str()));
  } else if (v == "memory") {
    std::lock_guard<std::mutex> lock(P().mu);
    P().memory = uint64_t(n);
  } else if (v == "memory-total") {
    std::lock_guard<std::mutex> lock(P().mu);
    P().memoryTotal = uint64_t(n);
  } else if (v == "adjust-dcs") {
    std::lock_guard<std::mutex> lock(P().mu);
    P().adjustDcs = w[1];
  } else if (v == "wait-job") {
    WaitUntil([&] { return P().jobsStarted >= n; });
  } else if (v == "wait-bytes") {
    WaitUntil([&] { return !P().connections.empty() && P().connections.back()->received >= uint64_t(n); });
  } else if (v == "wait-command") {
    std::string want;
    for (size_t i = 1; i < w.size(); ++i) want += (i > 1 ? " " : "") + Upper(w[i]);
    WaitUntil([&] {
      for (size_t i = g_commandCursor; i < P().commands.size(); ++i) {
        if (Upper(P().commands[i]).find(want) != std::string::npos) {
          g_commandCursor = i + 1;
          return true;
        }
      }
      return false;
    });
  } else if (v == "sleep") {
    std::this_thread::sleep_for(std::chrono::milliseconds(n));
  } else if (v == "split" || v == "gap" || v == "silent" || v == "hold") {
    bool releasing = false;
    {
      std::lock_guard<std::mutex> lock(P().mu);
      if (v == "split") P().split = size_t(n);
      if (v == "gap") P().gapMs = int(n);
      if (v == "silent") P().silent = w[1] == "on";
      if (v == "hold") {
        releasing = P().hold && w[1] == "off";
        P().hold = w[1] == "on";
      }
    }
    if (releasing) ReleaseHeld();
  } else if (v == "send") {
    if (auto c = Newest()) Send(*c, w[1]);
  } else if (v == "disconnect") {
    if (auto c = Newest()) {
      std::lock_guard<std::mutex> lock(c->sendMu);
      if (c->open) ::shutdown(c->fd, SHUT_RDWR);
    }
  } else if (v == "exit") {
    std::lock_guard<std::mutex> lock(P().mu);
    P().quit = true;
  }
}

}  // namespace

bool SplitWords(const std::string& line, std::vector<std::string>* words, std::string* error) {
  words->clear();
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    if (i >= line.size() || line[i] == '#') break;
    std::string word;
    if (line[i] != '"') {
      while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) word += line[i++];
      words->push_back(word);
      continue;
    }
    ++i;
    bool closed = false;
    while (i < line.size()) {
      char c = line[i++];
      if (c == '"') {
        closed = true;
        break;
      }
      if (c != '\\' || i >= line.size()) {
        word += c;
        continue;
      }
      char e = line[i++];
      switch (e) {
        case 'r': word += '\r'; break;
        case 'n': word += '\n'; break;
        case 'f': word += '\f'; break;
        case 'e': word += '\x1b'; break;
        case 't': word += '\t'; break;
        case 'x':
          if (i + 1 < line.size() && Hex(line[i]) >= 0 && Hex(line[i + 1]) >= 0) {
            word += char(Hex(line[i]) * 16 + Hex(line[i + 1]));
            i += 2;
          } else {
            return *error = "\\x needs two hexadecimal digits", false;
          }
          break;
        default: word += e;
      }
    }
    if (!closed) return *error = "unterminated quote", false;
    words->push_back(word);
  }
  return true;
}

bool CheckScriptLine(const std::string& line, std::string* error) {
  std::vector<std::string> w;
  if (!SplitWords(line, &w, error)) return false;
  return w.empty() || Check(w, error);
}

void RunScript(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    {
      std::lock_guard<std::mutex> lock(P().mu);
      if (P().quit) return;
    }
    std::vector<std::string> w;
    std::string error;
    if (!SplitWords(line, &w, &error) || w.empty()) continue;
    Run(w);
  }
}

}  // namespace sim
