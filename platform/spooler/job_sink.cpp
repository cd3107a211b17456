// Job sinks and the printer handles bound to them.
#include "kw/job_sink.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>

#include "kw/handle_table.h"
#include "kw/hooks_spooler.h"

namespace kw {

enum class SinkKind { Memory, File, Discard };

struct JobSink {
  SinkKind kind;
  std::mutex mu;
  std::atomic<uint64_t> count{0};
  std::string bytes;        // memory sinks
  std::FILE* file = nullptr;  // file sinks
  DWORD failure = 0;          // the first failure, 0 while complete
};

namespace {

JobSink* NewSink(SinkKind kind) {
  auto* s = new JobSink;
  s->kind = kind;
  return s;
}

void ClosePrinterObject(void* object) {
  auto* binding = static_cast<PrinterSinkBinding*>(object);
  JobSinkClose(binding->sink);
  delete binding;
}

}  // namespace

JobSink* JobSinkMemory() { return NewSink(SinkKind::Memory); }
JobSink* JobSinkDiscard() { return NewSink(SinkKind::Discard); }

JobSink* JobSinkFile(const std::string& hostPath) {
  std::FILE* f = std::fopen(hostPath.c_str(), "wb");
  if (!f) {
    int e = errno;
    SetLastError(e == ENOENT || e == ENOTDIR                           ? ERROR_PATH_NOT_FOUND
                 : e == EACCES || e == EPERM || e == EISDIR || e == EROFS ? ERROR_ACCESS_DENIED
                                                                          : ERROR_CANTOPEN);
    return nullptr;
  }
  JobSink* s = NewSink(SinkKind::File);
  s->file = f;
  return s;
}

bool JobSinkWrite(JobSink* sink, const void* bytes, size_t count) {
  if (sink->kind == SinkKind::Discard) {
    sink->count += count;
    return true;
  }
  std::lock_guard<std::mutex> lock(sink->mu);
  switch (sink->kind) {
    case SinkKind::Memory:
      sink->bytes.append(static_cast<const char*>(bytes), count);
      break;
    case SinkKind::File:
      // Flushed at once so that a reader sees the job as it grows.
      if (std::fwrite(bytes, 1, count, sink->file) != count || std::fflush(sink->file) != 0) {
        if (!sink->failure) sink->failure = ERROR_WRITE_FAULT;
        SetLastError(ERROR_WRITE_FAULT);
        return false;
      }
      break;
    case SinkKind::Discard:
      break;
  }
  sink->count += count;
  return true;
}

uint64_t JobSinkByteCount(const JobSink* sink) {
  std::lock_guard<std::mutex> lock(const_cast<JobSink*>(sink)->mu);
  return sink->count;
}

std::string JobSinkBytes(const JobSink* sink) {
  std::lock_guard<std::mutex> lock(const_cast<JobSink*>(sink)->mu);
  return sink->bytes;
}

void JobSinkMarkFailed(JobSink* sink, DWORD error) {
  std::lock_guard<std::mutex> lock(sink->mu);
  if (!sink->failure) sink->failure = error ? error : DWORD(ERROR_WRITE_FAULT);
}

bool JobSinkClose(JobSink* sink) {
  if (!sink) return true;
  DWORD failure = sink->failure;
  if (sink->file && std::fclose(sink->file) != 0 && !failure) failure = ERROR_WRITE_FAULT;
  delete sink;
  if (failure) SetLastError(failure);
  return failure == 0;
}

HANDLE PrinterHandleForSink(JobSink* sink) {
  if (!sink) return nullptr;
  auto* binding = new PrinterSinkBinding{sink};
  return HandleCreate(HandleKind::Printer, binding, ClosePrinterObject);
}

JobSink* PrinterSink(HANDLE printer) {
  auto* binding = static_cast<PrinterSinkBinding*>(HandleGet(printer, HandleKind::Printer));
  return binding ? binding->sink : nullptr;
}

}  // namespace kw

namespace kw::hooks {

HANDLE SpoolerOpenMemoryPrinter() { return PrinterHandleForSink(JobSinkMemory()); }
HANDLE SpoolerOpenDiscardPrinter() { return PrinterHandleForSink(JobSinkDiscard()); }
HANDLE SpoolerOpenFilePrinter(const std::string& hostPath) { return PrinterHandleForSink(JobSinkFile(hostPath)); }

std::string SpoolerPrinterBytes(HANDLE printer) {
  JobSink* sink = PrinterSink(printer);
  return sink ? JobSinkBytes(sink) : std::string();
}

}  // namespace kw::hooks
