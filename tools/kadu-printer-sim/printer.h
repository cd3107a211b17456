// The simulated printer: its status, its replies, and the connections (jobs)
// it is serving.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

struct Status {
  int primary = 10001;
  int secondary = 0;          // 0: none (maker's status only)
  bool online = true;
  std::string display = "READY";
  std::vector<int> warnings;  // listed after ONLINE in the maker's status
};

// One connection: one job.
struct Connection {
  int fd = -1;
  int number = 0;             // job number, from 1
  std::mutex sendMu;
  std::string held;           // replies kept back while "hold" is on
  bool open = true;           // guarded by sendMu
  // Unsolicited status switched on by this job.
  std::atomic<bool> device{false};
  std::atomic<bool> makerDevice{false};
  std::atomic<bool> page{false};
  std::atomic<int> timedSeconds{0};
  int64_t lastTimedMs = 0;    // the ticker's own
  int pages = 0;              // the reader's own
  std::atomic<uint64_t> received{0};
};

struct Printer {
  std::mutex mu;
  std::condition_variable changed;
  Status status;
  uint64_t memory = 67108864;       // INFO CONFIG MEMORY=
  uint64_t memoryTotal = 50331648;  // INFO MEMORY TOTAL=
  std::string adjustDcs = "0,0,0";
  std::string echoId = "KADU SIMULATED PRINTER";
  size_t split = 0;                 // replies sent in pieces of this many bytes (0: whole)
  int gapMs = 0;                    // pause between pieces
  bool silent = false;              // no replies at all
  bool hold = false;                // replies wait until hold ends
  std::vector<std::shared_ptr<Connection>> connections;
  std::vector<std::string> commands;  // every PJL command line received, in order
  int jobsStarted = 0;
  bool quit = false;
  bool quiet = false;
};

Printer& P();
int64_t NowMs();

// Sends bytes to a connection, honouring split, gap, silent and hold.
void Send(Connection& c, const std::string& bytes);
// Sends what was held back on every connection.
void ReleaseHeld();
// Status blocks: the standard one and the maker's one, under a header line.
std::string StandardStatusBlock(const std::string& header, const Status& s);
std::string MakerStatusBlock(const std::string& header, const Status& s);
// Sends unsolicited device status to every connection that asked for it.
void AnnounceStatus();
// Sends due timed status (called periodically).
void SendTimedStatus();

}  // namespace sim

namespace sim {
// Acts on one PJL command line received on a connection.
void HandleCommand(Connection& c, const std::string& line);
}  // namespace sim
