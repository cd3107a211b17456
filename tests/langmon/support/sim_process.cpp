#include "tests/langmon/support/sim_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

extern char** environ;

namespace langmon_test {

bool SimProcess::Start(const std::vector<std::string>& args, std::string* error) {
  Stop();
  lines_.clear();
  ended_ = false;
  port_ = 0;
  int fds[2];
  if (pipe(fds) != 0) return *error = "pipe failed", false;
  std::vector<std::string> all = {KADU_PRINTER_SIM, "--port", "0"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    pid_ = -1;
    return *error = std::string("cannot start ") + KADU_PRINTER_SIM, false;
  }
  out_ = fds[0];
  reader_ = std::thread(&SimProcess::ReadLines, this);
  std::unique_lock<std::mutex> lock(mu_);
  cv_.wait_for(lock, std::chrono::seconds(10), [&] { return !lines_.empty() || ended_; });
  if (lines_.empty() || std::sscanf(lines_[0].c_str(), "listening on 127.0.0.1:%d", &port_) != 1)
    return *error = "the simulator did not start", false;
  return true;
}

void SimProcess::ReadLines() {
  std::string line;
  char buf[4096];
  for (;;) {
    ssize_t n = read(out_, buf, sizeof buf);
    if (n <= 0) break;
    for (ssize_t i = 0; i < n; ++i) {
      if (buf[i] != '\n') {
        line += buf[i];
        continue;
      }
      std::lock_guard<std::mutex> lock(mu_);
      lines_.push_back(line);
      line.clear();
      cv_.notify_all();
    }
  }
  std::lock_guard<std::mutex> lock(mu_);
  ended_ = true;
  cv_.notify_all();
}

bool SimProcess::WaitJob(int job, uint64_t* bytes, int timeoutMs) {
  std::string prefix = "job " + std::to_string(job) + ": ";
  std::unique_lock<std::mutex> lock(mu_);
  bool found = cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    for (const std::string& l : lines_)
      if (l.rfind(prefix, 0) == 0) return true;
    return ended_;
  });
  for (const std::string& l : lines_) {
    if (l.rfind(prefix, 0) != 0) continue;
    unsigned long long n = 0;
    std::sscanf(l.c_str() + prefix.size(), "%llu", &n);
    if (bytes) *bytes = n;
    return true;
  }
  (void)found;
  return false;
}

void SimProcess::Stop() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status;
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }
  if (reader_.joinable()) reader_.join();
  if (out_ >= 0) close(out_);
  out_ = -1;
}

}  // namespace langmon_test
