// kadu-printer-sim: a PJL printer on 127.0.0.1 (see Usage below).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <thread>

#include "pjl_input.h"
#include "printer.h"
#include "script.h"

namespace {

const char kUsage[] =
    "Usage: kadu-printer-sim [options]\n"
    "\n"
    "A simulated PJL printer for the language monitor's tests: it listens on\n"
    "127.0.0.1, takes each connection as one print job, and answers PJL status\n"
    "requests the way a page printer does.\n"
    "\n"
    "Options:\n"
    "  --port N         TCP port to listen on (default 9100; 0 picks a free one)\n"
    "  --jobs DIR       store each job's bytes as DIR/job-NNNN.prn (default: count and discard)\n"
    "  --script FILE    run the script in FILE (one command per line, # comments)\n"
    "  -c COMMAND       run one script command (may be repeated; after --script)\n"
    "  --quiet          print only the listening line\n"
    "  --help           show this text\n"
    "\n"
    "On start it prints \"listening on 127.0.0.1:PORT\"; after each job\n"
    "\"job N: BYTES bytes\" (and the file it was stored in).\n"
    "\n"
    "Answers: @PJL INFO STATUS, INFO QELSTATUS (the maker's status, with a\n"
    "secondary code and warning codes), INFO CONFIG (with MEMORY=), INFO MEMORY\n"
    "(TOTAL=, LARGEST=), INFO ID, DINQUIRE QELXFERADJUSTDCS, ECHO; unsolicited\n"
    "status after USTATUS DEVICE=ON, QELDEVICE=ON, PAGE=ON (a page per form feed\n"
    "of print data) and TIMED=n; USTATUSOFF.\n"
    "\n"
    "Script commands, run in order from the start:\n"
    "  status CODE [CODE2] online|offline [\"DISPLAY\"]  change the printer's status\n"
    "                   (unsolicited status goes to jobs that asked for it)\n"
    "  warnings [CODE...]       codes listed after ONLINE in the maker's status\n"
    "  memory N | memory-total N | adjust-dcs TEXT   values of the replies\n"
    "  wait-job N               wait until N jobs have started\n"
    "  wait-bytes N             wait until the newest job has sent N bytes\n"
    "  wait-command TEXT        wait for a PJL command containing TEXT\n"
    "  sleep MS                 pause\n"
    "  split N | gap MS         send replies in pieces of N bytes, MS apart (0: whole)\n"
    "  silent on|off            stop or resume answering\n"
    "  hold on|off              keep replies back, then send them together\n"
    "  send \"TEXT\"              send raw bytes to the newest job (\\r \\n \\f \\e \\xHH)\n"
    "  disconnect               drop the newest job's connection\n"
    "  exit                     stop once no job is left\n";

struct Options {
  int port = 9100;
  std::string jobsDir;
  std::vector<std::string> script;
  bool quiet = false;
};

bool ReadScript(const std::string& path, std::vector<std::string>* lines) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) lines->push_back(line);
  return true;
}

int ParseOptions(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](const char* what) -> const char* {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "kadu-printer-sim: %s needs a value\n", what);
        return nullptr;
      }
      return argv[++i];
    };
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (a == "--quiet") {
      o->quiet = true;
    } else if (a == "--port") {
      const char* v = value("--port");
      if (!v) return 2;
      char* end = nullptr;
      long p = std::strtol(v, &end, 10);
      if (*end || p < 0 || p > 65535) {
        std::fprintf(stderr, "kadu-printer-sim: bad port %s\n", v);
        return 2;
      }
      o->port = int(p);
    } else if (a == "--jobs") {
      const char* v = value("--jobs");
      if (!v) return 2;
      o->jobsDir = v;
    } else if (a == "--script") {
      const char* v = value("--script");
      if (!v) return 2;
      if (!ReadScript(v, &o->script)) {
        std::fprintf(stderr, "kadu-printer-sim: cannot read script %s\n", v);
        return 2;
      }
    } else if (a == "-c") {
      const char* v = value("-c");
      if (!v) return 2;
      o->script.push_back(v);
    } else {
      std::fprintf(stderr, "kadu-printer-sim: unknown option %s (see --help)\n", a.c_str());
      return 2;
    }
  }
  for (size_t i = 0; i < o->script.size(); ++i) {
    std::string error;
    if (!sim::CheckScriptLine(o->script[i], &error)) {
      std::fprintf(stderr, "kadu-printer-sim: script line %zu: %s\n", i + 1, error.c_str());
      return 2;
    }
  }
  return -1;
}

void ServeJob(std::shared_ptr<sim::Connection> c, std::string jobsDir) {
  using sim::P;
  std::string path;
  FILE* out = nullptr;
  if (!jobsDir.empty()) {
    char name[32];
    std::snprintf(name, sizeof name, "/job-%04d.prn", c->number);
    path = jobsDir + name;
    out = std::fopen(path.c_str(), "wb");
    if (!out) std::fprintf(stderr, "kadu-printer-sim: cannot write %s\n", path.c_str());
  }
  sim::PjlInput input([&](const std::string& line) { sim::HandleCommand(*c, line); },
                      [&] {
                        ++c->pages;
                        sim::Send(*c, "@PJL USTATUS PAGE\r\n" + std::to_string(c->pages) + "\r\n\f");
                      });
  std::vector<char> buf(256 * 1024);
  for (;;) {
    ssize_t n = ::recv(c->fd, buf.data(), buf.size(), 0);
    if (n <= 0) break;
    if (out) std::fwrite(buf.data(), 1, size_t(n), out);
    c->received += uint64_t(n);
    P().changed.notify_all();
    input.CountPages(c->page);
    input.Feed(buf.data(), size_t(n));
  }
  if (out) std::fclose(out);
  {
    std::lock_guard<std::mutex> lock(c->sendMu);
    c->open = false;
    ::close(c->fd);
  }
  bool quiet;
  {
    std::lock_guard<std::mutex> lock(P().mu);
    auto& v = P().connections;
    for (auto it = v.begin(); it != v.end(); ++it)
      if (it->get() == c.get()) {
        v.erase(it);
        break;
      }
    quiet = P().quiet;
  }
  P().changed.notify_all();
  if (!quiet) {
    std::printf("job %d: %llu bytes%s%s\n", c->number, static_cast<unsigned long long>(c->received.load()),
                path.empty() ? "" : " -> ", path.c_str());
    std::fflush(stdout);
  }
}

int Listen(int port, int* bound) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(uint16_t(port));
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) < 0 || ::listen(fd, 16) < 0) {
    std::fprintf(stderr, "kadu-printer-sim: cannot listen on 127.0.0.1:%d: %s\n", port, std::strerror(errno));
    ::close(fd);
    return -1;
  }
  socklen_t len = sizeof at;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&at), &len);
  *bound = ntohs(at.sin_port);
  return fd;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  int rc = ParseOptions(argc, argv, &o);
  if (rc >= 0) return rc;
  signal(SIGPIPE, SIG_IGN);
  sim::P().quiet = o.quiet;
  int port = 0;
  int listener = Listen(o.port, &port);
  if (listener < 0) return 1;
  std::printf("listening on 127.0.0.1:%d\n", port);
  std::fflush(stdout);

  std::thread(sim::RunScript, o.script).detach();
  std::thread([] {
    for (;;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      sim::SendTimedStatus();
    }
  }).detach();

  for (;;) {
    {
      std::lock_guard<std::mutex> lock(sim::P().mu);
      if (sim::P().quit && sim::P().connections.empty()) break;
    }
    pollfd p{listener, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    auto c = std::make_shared<sim::Connection>();
    c->fd = fd;
    {
      std::lock_guard<std::mutex> lock(sim::P().mu);
      c->number = ++sim::P().jobsStarted;
      sim::P().connections.push_back(c);
    }
    sim::P().changed.notify_all();
    std::thread(ServeJob, c, o.jobsDir).detach();
  }
  ::close(listener);
  return 0;
}
