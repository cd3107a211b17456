#include "printer.h"

#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace sim {

Printer& P() {
  static Printer* p = new Printer;
  return *p;
}

int64_t NowMs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

namespace {

void SendRaw(int fd, const char* data, size_t n) {
  while (n > 0) {
    ssize_t k = ::send(fd, data, n, MSG_NOSIGNAL);
    if (k <= 0) return;  // the host went away; the reader notices
    data += k;
    n -= size_t(k);
  }
}

}  // namespace

void Send(Connection& c, const std::string& bytes) {
  size_t split;
  int gap;
  {
    std::lock_guard<std::mutex> lock(P().mu);
    if (P().silent || bytes.empty()) return;
    if (P().hold) {
      std::lock_guard<std::mutex> slock(c.sendMu);
      c.held += bytes;
      return;
    }
    split = P().split;
    gap = P().gapMs;
  }
  std::lock_guard<std::mutex> lock(c.sendMu);
  if (!c.open) return;
  if (split == 0) {
    SendRaw(c.fd, bytes.data(), bytes.size());
    return;
  }
  for (size_t at = 0; at < bytes.size(); at += split) {
    if (at > 0 && gap > 0) std::this_thread::sleep_for(std::chrono::milliseconds(gap));
    SendRaw(c.fd, bytes.data() + at, std::min(split, bytes.size() - at));
  }
}

void ReleaseHeld() {
  std::vector<std::shared_ptr<Connection>> conns;
  {
    std::lock_guard<std::mutex> lock(P().mu);
    conns = P().connections;
  }
  for (auto& c : conns) {
    std::string held;
    {
      std::lock_guard<std::mutex> lock(c->sendMu);
      held.swap(c->held);
    }
    Send(*c, held);
  }
}

std::string StandardStatusBlock(const std::string& header, const Status& s) {
  return header + "\r\nCODE=" + std::to_string(s.primary) + "\r\nDISPLAY=\"" + s.display + "\"\r\nONLINE=" +
         (s.online ? "TRUE" : "FALSE") + "\r\n\f";
}

std::string MakerStatusBlock(const std::string& header, const Status& s) {
  std::string b = header + "\r\nCODE1=" + std::to_string(s.primary) + "\r\nDISPLAY1=\"" + s.display + "\"\r\n";
  if (s.secondary) b += "CODE2=" + std::to_string(s.secondary) + "\r\nDISPLAY2=\"\"\r\n";
  b += std::string("ONLINE=") + (s.online ? "TRUE" : "FALSE") + "\r\n";
  for (int w : s.warnings) b += std::to_string(w) + "\r\n";
  return b + "\f";
}

void AnnounceStatus() {
  std::vector<std::shared_ptr<Connection>> conns;
  Status s;
  {
    std::lock_guard<std::mutex> lock(P().mu);
    conns = P().connections;
    s = P().status;
  }
  for (auto& c : conns) {
    if (c->device) Send(*c, StandardStatusBlock("@PJL USTATUS DEVICE", s));
    if (c->makerDevice) Send(*c, MakerStatusBlock("@PJL USTATUS QELDEVICE", s));
  }
}

void SendTimedStatus() {
  std::vector<std::shared_ptr<Connection>> conns;
  Status s;
  {
    std::lock_guard<std::mutex> lock(P().mu);
    conns = P().connections;
    s = P().status;
  }
  int64_t now = NowMs();
  for (auto& c : conns) {
    if (c->timedSeconds <= 0 || now - c->lastTimedMs < int64_t(c->timedSeconds) * 1000) continue;
    c->lastTimedMs = now;
    Send(*c, StandardStatusBlock("@PJL USTATUS TIMED", s));
  }
}

}  // namespace sim

namespace sim {
namespace {

std::string Upper(std::string s) {
  for (char& ch : s) ch = char(std::toupper(static_cast<unsigned char>(ch)));
  return s;
}

// "@PJL USTATUS DEVICE = ON" -> "USTATUS DEVICE=ON"
std::string Normalised(const std::string& line) {
  std::string u = Upper(line.substr(4));
  std::string out;
  for (size_t i = 0; i < u.size(); ++i) {
    char ch = u[i];
    if (ch == '\t') ch = ' ';
    if (ch == ' ' && (out.empty() || out.back() == ' ' || out.back() == '=')) continue;
    if (ch == '=' && !out.empty() && out.back() == ' ') out.pop_back();
    out += ch;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

void SetUnsolicited(Connection& c, const std::string& var, const std::string& value) {
  bool on = value == "ON" || value == "VERBOSE";
  if (var == "DEVICE") c.device = on;
  if (var == "QELDEVICE") c.makerDevice = on;
  if (var == "PAGE") c.page = on;
  if (var == "TIMED") {
    int s = std::atoi(value.c_str());
    c.timedSeconds = s;
    c.lastTimedMs = NowMs();
  }
}

std::string ConfigReply() {
  std::lock_guard<std::mutex> lock(P().mu);
  return "@PJL INFO CONFIG\r\nIN TRAYS [1 ENUMERATED]\r\n\tINTRAY1 MP\r\nPAPERS [2 ENUMERATED]\r\n\tLETTER\r\n\tA4\r\n"
         "LANGUAGES [2 ENUMERATED]\r\n\tPCL\r\n\tHPGL2\r\nMEMORY=" +
         std::to_string(P().memory) + "\r\nDISPLAY LINES=2\r\nDISPLAY CHARACTER SIZE=16\r\n\f";
}

std::string MemoryReply() {
  std::lock_guard<std::mutex> lock(P().mu);
  return "@PJL INFO MEMORY\r\nTOTAL=" + std::to_string(P().memoryTotal) +
         "\r\nLARGEST=" + std::to_string(P().memoryTotal) + "\r\n\f";
}

}  // namespace

// A command is logged once its reply is on its way, so that a script that
// waits for it acts after the reply.
void HandleCommand(Connection& c, const std::string& line) {
  struct Logged {
    const std::string& line;
    ~Logged() {
      {
        std::lock_guard<std::mutex> lock(P().mu);
        P().commands.push_back(line);
      }
      P().changed.notify_all();
    }
  } logged{line};
  std::string cmd = Normalised(line);
  Status s;
  {
    std::lock_guard<std::mutex> lock(P().mu);
    s = P().status;
  }
  if (cmd == "USTATUSOFF") {
    c.device = c.makerDevice = c.page = false;
    c.timedSeconds = 0;
  } else if (cmd.rfind("USTATUS ", 0) == 0) {
    std::string rest = cmd.substr(8);
    size_t eq = rest.find('=');
    if (eq != std::string::npos) SetUnsolicited(c, rest.substr(0, eq), rest.substr(eq + 1));
  } else if (cmd == "INFO STATUS") {
    Send(c, StandardStatusBlock("@PJL INFO STATUS", s));
  } else if (cmd == "INFO QELSTATUS") {
    Send(c, MakerStatusBlock("@PJL INFO QELSTATUS", s));
  } else if (cmd == "INFO CONFIG") {
    Send(c, ConfigReply());
  } else if (cmd == "INFO MEMORY") {
    Send(c, MemoryReply());
  } else if (cmd == "INFO ID") {
    std::string id;
    {
      std::lock_guard<std::mutex> lock(P().mu);
      id = P().echoId;
    }
    Send(c, "@PJL INFO ID\r\n\"" + id + "\"\r\n\f");
  } else if (cmd == "DINQUIRE QELXFERADJUSTDCS") {
    std::string value;
    {
      std::lock_guard<std::mutex> lock(P().mu);
      value = P().adjustDcs;
    }
    Send(c, "@PJL DINQUIRE QELXFERADJUSTDCS\r\n" + value + "\r\n\f");
  } else if (cmd.rfind("DINQUIRE ", 0) == 0 || cmd.rfind("INQUIRE ", 0) == 0) {
    Send(c, "@PJL " + cmd + "\r\n?\r\n\f");
  } else if (cmd.rfind("ECHO", 0) == 0) {
    Send(c, line + "\r\n\f");
  }
}

}  // namespace sim
