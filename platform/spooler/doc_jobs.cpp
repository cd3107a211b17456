// Documents on an open printer: StartDocPrinterW makes a job whose bytes
// (WritePrinter) go to the output file the caller names or to a spool file
// "C:\Windows\System32\spool\PRINTERS\<job id>.SPL"; the page calls count its
// pages; EndDocPrinter completes the file, AbortPrinter deletes it.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "kw/job_sink.h"
#include "kw/wide.h"
#include "kw/world.h"
#include "printers_store.h"
#include "win/printers.h"
#include "win/spooler.h"

namespace kw::printers {
namespace {

const char kSpoolFolder[] = "C:\\Windows\\System32\\spool\\PRINTERS";

std::string SpoolFile(DWORD jobId) {
  char name[32];
  std::snprintf(name, sizeof name, "\\%05u.SPL", unsigned(jobId));
  return std::string(kSpoolFolder) + name;
}

bool Exists(const std::string& winPath) {
  std::error_code ec;
  return std::filesystem::exists(WorldMapPath(Widen(winPath)), ec);
}

// Job ids grow over all printers, as the spooler's do, past the printer's own
// jobs and past spool files an earlier process left, so no job takes the file
// of another.
DWORD NextJobId(const Printer& p) {
  DWORD id = S().nextJobId;
  if (!p.jobs.empty() && p.jobs.rbegin()->first >= id) id = p.jobs.rbegin()->first + 1;
  while (Exists(SpoolFile(id))) ++id;
  S().nextJobId = id + 1;
  return id;
}

bool RawDatatype(LPWSTR datatype) { return !datatype || !*datatype || Key(Narrow(datatype)) == "raw"; }

// The handle's object with a document started, or nullptr with the last error set.
HandleObject* DocumentOf(HANDLE h, hooks::PrinterCall* call) {
  HandleObject* o = Object(h);
  if (!o) return nullptr;
  call->printer = o->printer;
  call->jobId = o->jobId;
  if (!o->jobId) {
    SetLastError(ERROR_SPL_NO_STARTDOC);
    return nullptr;
  }
  return o;
}

Job* JobOf(const HandleObject* o) {
  Printer* p = Find(o->printer);
  if (!p) return nullptr;
  auto it = p->jobs.find(o->jobId);
  return it == p->jobs.end() ? nullptr : &it->second;
}

}  // namespace

bool EndJob(HandleObject* o, JobEnd how) {
  bool complete = JobSinkClose(static_cast<JobSink*>(o->sink));
  DWORD error = complete ? 0 : GetLastError();
  if (how == JobEnd::Aborted) std::remove(o->jobHostPath.c_str());
  if (Job* job = JobOf(o)) {
    job->status &= ~DWORD(JOB_STATUS_SPOOLING);
    job->status |= how == JobEnd::Aborted ? JOB_STATUS_DELETED : complete ? JOB_STATUS_PRINTED : JOB_STATUS_ERROR;
  }
  o->sink = nullptr;
  o->jobId = 0;
  o->jobHostPath.clear();
  o->pageOpen = false;
  if (error) SetLastError(error);
  return complete;
}

}  // namespace kw::printers

namespace kw::hooks {

bool PrinterJob(const std::string& printer, DWORD jobId, PrinterJobInfo* out) {
  std::lock_guard<std::mutex> lock(printers::S().mu);
  printers::Printer* p = printers::Find(printer);
  if (!p) return false;
  auto it = p->jobs.find(jobId);
  if (it == p->jobs.end()) return false;
  out->document = it->second.document;
  out->outputFile = it->second.outputFile;
  out->status = it->second.status;
  out->pages = it->second.pages;
  return true;
}

}  // namespace kw::hooks

using namespace kw::printers;
using kw::hooks::PrinterCall;

KW_API DWORD WINAPI StartDocPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pDocInfo) {
  std::lock_guard<std::mutex> lock(S().mu);
  PrinterCall call{"StartDocPrinterW", "", Level};
  HandleObject* o = Object(hPrinter);
  if (!o) return Failed(call, ERROR_INVALID_HANDLE);
  call.printer = o->printer;
  Printer* p = Find(o->printer);
  if (!p) return Failed(call, ERROR_INVALID_PRINTER_NAME);
  if (o->jobId) return Failed(call, ERROR_INVALID_PRINTER_STATE);  // one document at a time
  if (Level != 1) return Failed(call, ERROR_INVALID_LEVEL);
  if (!pDocInfo) return Failed(call, ERROR_INVALID_PARAMETER);
  const auto* doc = reinterpret_cast<const DOC_INFO_1W*>(pDocInfo);
  // The printers here take their jobs as they come: raw bytes only.
  if (!RawDatatype(doc->pDatatype)) return Failed(call, ERROR_INVALID_DATATYPE);
  Job job;
  job.document = doc->pDocName ? kw::Narrow(doc->pDocName) : std::string();
  job.outputFile = doc->pOutputFile ? kw::Narrow(doc->pOutputFile) : std::string();
  DWORD id = NextJobId(*p);
  if (job.outputFile.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(kw::WorldMapPathA(kSpoolFolder), ec);
    job.outputFile = SpoolFile(id);
  }
  std::string host = kw::WorldMapPath(kw::Widen(job.outputFile));
  kw::JobSink* sink = kw::JobSinkFile(host);
  if (!sink) return Failed(call, GetLastError());
  job.status = JOB_STATUS_SPOOLING;
  p->jobs[id] = job;
  o->sink = sink;
  o->jobId = id;
  o->jobHostPath = host;
  o->pageOpen = false;
  call.jobId = id;
  Done(call, TRUE);
  return id;
}

KW_API BOOL WINAPI StartPagePrinter(HANDLE hPrinter) {
  std::lock_guard<std::mutex> lock(S().mu);
  PrinterCall call{"StartPagePrinter", ""};
  HandleObject* o = DocumentOf(hPrinter, &call);
  if (!o) return Done(call, FALSE);
  o->pageOpen = true;
  return Done(call, TRUE);
}

KW_API BOOL WINAPI EndPagePrinter(HANDLE hPrinter) {
  std::lock_guard<std::mutex> lock(S().mu);
  PrinterCall call{"EndPagePrinter", ""};
  HandleObject* o = DocumentOf(hPrinter, &call);
  if (!o) return Done(call, FALSE);
  if (!o->pageOpen) return Failed(call, ERROR_INVALID_PRINTER_STATE);
  o->pageOpen = false;
  if (Job* job = JobOf(o)) ++job->pages;
  return Done(call, TRUE);
}

KW_API BOOL WINAPI EndDocPrinter(HANDLE hPrinter) {
  std::lock_guard<std::mutex> lock(S().mu);
  PrinterCall call{"EndDocPrinter", ""};
  HandleObject* o = DocumentOf(hPrinter, &call);
  if (!o) return Done(call, FALSE);
  if (o->pageOpen) {
    if (Job* job = JobOf(o)) ++job->pages;  // a page still open ends with the document
  }
  return Done(call, EndJob(o, JobEnd::Completed));
}

KW_API BOOL WINAPI AbortPrinter(HANDLE hPrinter) {
  std::lock_guard<std::mutex> lock(S().mu);
  PrinterCall call{"AbortPrinter", ""};
  HandleObject* o = DocumentOf(hPrinter, &call);
  if (!o) return Done(call, FALSE);
  EndJob(o, JobEnd::Aborted);
  return Done(call, TRUE);
}
