// 200 MB through the hosted language monitor (USB-style port over the raw
// TCP port, status header, status thread running) to a simulated printer
// that discards the job, against the same bytes sent straight over a socket
// to the same printer. The ratio of the two throughputs, monitor / socket,
// is what the monitor costs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "kw/hooks_printers.h"
#include "kw/monitor_host.h"
#include "kw/port_monitors.h"
#include "kw/world.h"
#include "langmon/entry_points.h"
#include "tests/langmon/support/sim_process.h"
#include "windows.h"

namespace {

constexpr uint64_t kJobBytes = 200ull << 20;
constexpr size_t kChunk = 65536;

struct Setup {
  langmon_test::SimProcess sim;
  kw::MonitorHost* host = nullptr;
  std::string world;
  std::vector<BYTE> chunk = std::vector<BYTE>(kChunk);
};

Setup* g_setup = nullptr;

void MakeFolders(const std::string& path) {
  for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
    CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
  CreateDirectoryA(path.c_str(), nullptr);
}

Setup* Prepare() {
  if (g_setup) return g_setup;
  auto* s = new Setup;
  std::string tmpl = (std::filesystem::temp_directory_path() / "kadu-bench-XXXXXX").string();
  s->world = ::mkdtemp(tmpl.data());
  kw::WorldSetRoot(s->world);
  const char* folder = "C:\\Windows\\System32\\spool\\drivers\\x64\\3";
  MakeFolders(folder);
  std::string cap = std::string(folder) + "\\qelkadu.cap";
  WritePrivateProfileStringA("Capability", "KADU Desktop", "DESKTOP", cap.c_str());
  WritePrivateProfileStringA("DESKTOP", "StatusRequest", "1", cap.c_str());
  kw::hooks::PrinterSetup p;
  p.name = "KADU Printer";
  p.driverName = "KADU Desktop";
  p.driverPath = std::string(folder) + "\\KADU_UM.DLL";
  p.portName = "USB001";
  kw::hooks::PrinterInstall(p);
  std::string error;
  if (!s->sim.Start({"--quiet"}, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    std::exit(1);
  }
  kw::TcpPortConfig config;
  config.port = uint16_t(s->sim.port());
  config.deviceId = "MFG:Halvorn;CMD:PJL,PCLXL,PCL;MDL:KADU Desktop;";
  kw::TcpPortDefine("USB001", config);
  s->host = kw::MonitorHostStart(InitializePrintMonitor2);
  for (size_t i = 0; i < kChunk; ++i) s->chunk[i] = BYTE(i * 131 + (i >> 9));
  g_setup = s;
  return s;
}

struct Cursor {
  const std::vector<BYTE>* chunk;
  uint64_t left;
};

size_t Source(void* context, BYTE* buf, size_t capacity) {
  auto* c = static_cast<Cursor*>(context);
  size_t n = size_t(std::min<uint64_t>({c->left, uint64_t(capacity), uint64_t(c->chunk->size())}));
  std::memcpy(buf, c->chunk->data(), n);
  c->left -= n;
  return n;
}

// One job through the monitor; false when it did not complete.
bool MonitorJob(Setup* s, HANDLE port, DWORD jobId) {
  kw::JobRequest job;
  job.printer = "KADU Printer";
  job.jobId = jobId;
  job.chunk = kChunk;
  Cursor c{&s->chunk, kJobBytes};
  return kw::MonitorHostPrint(s->host, port, job, Source, &c).completed;
}

// The same bytes straight over a socket, the job ended as the port ends it:
// no more data, then wait for the printer to close.
bool SocketJob(Setup* s) {
  SOCKET sock = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(USHORT(s->sim.port()));
  to.sin_addr.s_addr = inet_addr("127.0.0.1");
  if (connect(sock, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    closesocket(sock);
    return false;
  }
  DWORD on = 1;
  setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  bool ok = true;
  for (uint64_t left = kJobBytes; left > 0 && ok;) {
    int n = int(std::min<uint64_t>(left, kChunk));
    int sent = send(sock, reinterpret_cast<const char*>(s->chunk.data()), n, 0);
    ok = sent > 0;
    if (ok) left -= uint64_t(sent);
  }
  shutdown(sock, SD_SEND);
  char drain[4096];
  while (recv(sock, drain, sizeof drain, 0) > 0) {
  }
  closesocket(sock);
  return ok;
}

HANDLE OpenMonitorPort(Setup* s) {
  HANDLE lowerMonitor;
  MONITOR2* lower = kw::TcpPortMonitor(&lowerMonitor);
  return kw::MonitorHostOpenPort(s->host, lower, lowerMonitor, "USB001", "KADU Printer");
}

void BM_MonitorToPrinter(benchmark::State& state) {
  Setup* s = Prepare();
  HANDLE port = OpenMonitorPort(s);
  DWORD job = 1;
  for (auto _ : state)
    if (!port || !MonitorJob(s, port, job++)) state.SkipWithError("the job did not complete");
  if (port) kw::MonitorHostClosePort(s->host, port);
  state.SetBytesProcessed(int64_t(state.iterations() * kJobBytes));
}

void BM_SocketToPrinter(benchmark::State& state) {
  Setup* s = Prepare();
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  for (auto _ : state)
    if (!SocketJob(s)) state.SkipWithError("the job did not complete");
  WSACleanup();
  state.SetBytesProcessed(int64_t(state.iterations() * kJobBytes));
}

// Both ways in turn, so that both see the same load of a shared machine; the
// counters are the best throughput of each and their ratio (monitor / socket).
void BM_MonitorOverSocketRatio(benchmark::State& state) {
  Setup* s = Prepare();
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  HANDLE port = OpenMonitorPort(s);
  double bestMonitor = 1e30, bestSocket = 1e30;
  DWORD job = 1000;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    bool a = SocketJob(s);
    auto t1 = std::chrono::steady_clock::now();
    bool b = port && MonitorJob(s, port, job++);
    auto t2 = std::chrono::steady_clock::now();
    if (!a || !b) state.SkipWithError("a job did not complete");
    bestSocket = std::min(bestSocket, std::chrono::duration<double>(t1 - t0).count());
    bestMonitor = std::min(bestMonitor, std::chrono::duration<double>(t2 - t1).count());
  }
  if (port) kw::MonitorHostClosePort(s->host, port);
  WSACleanup();
  double mb = double(kJobBytes) / (1 << 20);
  state.counters["socket_MBps"] = mb / bestSocket;
  state.counters["monitor_MBps"] = mb / bestMonitor;
  state.counters["ratio"] = bestSocket / bestMonitor;
}

// The machine is shared: each case is repeated and its best run is the figure to compare.
double Fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

BENCHMARK(BM_MonitorOverSocketRatio)->Unit(benchmark::kMillisecond)->Iterations(15)->UseRealTime();
BENCHMARK(BM_SocketToPrinter)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(7)
    ->ComputeStatistics("min", Fastest)
    ->UseRealTime();
BENCHMARK(BM_MonitorToPrinter)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(7)
    ->ComputeStatistics("min", Fastest)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_setup) {  // the simulated printer must not outlive the run
    kw::MonitorHostStop(g_setup->host);
    g_setup->sim.Stop();
    std::error_code ec;
    std::filesystem::remove_all(g_setup->world, ec);
  }
  return 0;
}
