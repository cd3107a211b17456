// kadu-printer-sim as a child process on a free loopback port.
#pragma once
#include <sys/types.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace langmon_test {

class SimProcess {
 public:
  SimProcess() = default;
  SimProcess(const SimProcess&) = delete;
  ~SimProcess() { Stop(); }
  // Starts the simulator with `args` (and --port 0); false with a message when it does not come up.
  bool Start(const std::vector<std::string>& args, std::string* error);
  void Stop();
  int port() const { return port_; }
  // Waits for the simulator's "job N: BYTES bytes" line; false on timeout.
  bool WaitJob(int job, uint64_t* bytes, int timeoutMs);

 private:
  void ReadLines();
  pid_t pid_ = -1;
  int out_ = -1;
  int port_ = 0;
  std::thread reader_;
  std::mutex mu_;
  std::condition_variable cv_;
  std::vector<std::string> lines_;
  bool ended_ = false;
};

}  // namespace langmon_test
