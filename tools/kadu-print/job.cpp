#include "tools/kadu-print/job.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <system_error>

#include "kw/wide.h"
#include "kw/world.h"
#include "windows.h"

namespace fs = std::filesystem;

namespace kadu_print {
namespace {

constexpr const char16_t* kDriverFile = u"C:\\Windows\\System32\\spool\\drivers\\w32x86\\3\\KADU_UM.DLL";

// Escape numbers of the job data the interface library hands over at the
// first page of a document.
constexpr ULONG kEscOsVersion = 10200;
constexpr ULONG kEscJobName = 11000;
constexpr ULONG kEscJobNumber = 11023;

// What the interface library's first StartPage event sends.
void HandOverJobData(kw::EngineHost* host, const kadu::DriverDevmode& dm) {
  OSVERSIONINFOA os{};
  os.dwOSVersionInfoSize = sizeof(os);
  if (GetVersionExA(&os)) kw::EngineHostEscape(host, kEscOsVersion, sizeof(os), &os, 0, nullptr);
  DWORD number = 0;
  kw::EngineHostEscape(host, kEscJobNumber, 0, nullptr, sizeof(number), &number);
  if (dm.priv.wJobType == 1 || dm.priv.wJobType == 2) {
    std::u16string name;
    for (WCHAR c : dm.priv.szJobName) {
      if (!c) break;
      name += c;
    }
    std::string ansi = kw::Narrow(name);
    if (!ansi.empty()) kw::EngineHostEscape(host, kEscJobName, ULONG(ansi.size()), ansi.data(), 0, nullptr);
  }
}

std::string LastErrorText() { return "error " + std::to_string(GetLastError()); }

struct OpenJob {
  HANDLE printer = nullptr;
  DWORD jobId = 0;
};

bool StartSpoolJob(const JobRequest& job, const std::string& temp, OpenJob* out, std::string* error) {
  std::u16string name = job.printer;
  if (!OpenPrinterW(name.data(), &out->printer, nullptr)) {
    *error = "cannot open the printer " + kw::Narrow(job.printer) + " (" + LastErrorText() + ")";
    return false;
  }
  std::u16string doc = u"kadu-print", file = kw::WorldHostToWindows(temp), type = u"RAW";
  DOC_INFO_1W info{doc.data(), file.data(), type.data()};
  out->jobId = StartDocPrinterW(out->printer, 1, reinterpret_cast<LPBYTE>(&info));
  if (!out->jobId) {
    *error = "cannot write " + job.output + " (" + LastErrorText() + ")";
    ClosePrinter(out->printer);
    return false;
  }
  return true;
}

bool DriveEngine(const JobRequest& job, const OpenJob& spool, std::string* error) {
  HMODULE module = LoadLibraryW(kDriverFile);
  if (!module) {
    *error = "the installed rendering library cannot be loaded (" + LastErrorText() + ")";
    return false;
  }
  kw::EngineHostOptions options;
  if (job.enginePath == "page") options.path = kw::EnginePagePath::SendPage;
  if (job.enginePath == "band") options.path = kw::EnginePagePath::Banding;
  kw::EngineHost* host = kw::EngineHostOpen(module, options);
  if (!host) {
    *error = "the rendering library refused to start (" + LastErrorText() + ")";
    FreeLibrary(module);
    return false;
  }
  kw::EngineJob engineJob;
  engineJob.pdev.devmode = &job.devmode.dm;
  engineJob.pdev.deviceName = job.printer;
  engineJob.pdev.printer = spool.printer;
  engineJob.document = u"kadu-print";
  engineJob.jobId = spool.jobId;
  const kadu::DriverDevmode& dm = job.devmode;
  engineJob.beforeFirstPage = [&dm](kw::EngineHost* h) { HandOverJobData(h, dm); };
  if (job.images.empty()) {
    engineJob.pages.resize(size_t(job.blankPages));
  } else {
    for (const PageImage& img : job.images) {
      kw::EnginePage page;
      page.image = &img.image;
      engineJob.pages.push_back(page);
    }
  }
  BOOL ok = kw::EngineHostRunJob(host, engineJob);
  if (!ok) *error = "the job failed in the driver (" + kw::EngineHostTrace(host) + "; " + LastErrorText() + ")";
  kw::EngineHostClose(host);
  FreeLibrary(module);
  return ok;
}

}  // namespace

bool RunJob(const JobRequest& job, std::string* error) {
  std::error_code ec;
  fs::path target = fs::absolute(job.output, ec);
  if (ec || !fs::is_directory(target.parent_path())) {
    *error = "cannot write " + job.output + ": its folder does not exist";
    return false;
  }
  std::string temp = target.string() + ".partial-" + std::to_string(::getpid());
  OpenJob spool;
  if (!StartSpoolJob(job, temp, &spool, error)) return false;
  bool ok = DriveEngine(job, spool, error);
  if (ok && !EndDocPrinter(spool.printer)) {
    *error = "cannot complete " + job.output + " (" + LastErrorText() + ")";
    ok = false;
  }
  if (!ok) AbortPrinter(spool.printer);
  ClosePrinter(spool.printer);
  if (ok) {
    fs::rename(temp, target, ec);
    if (ec) {
      *error = "cannot write " + job.output + ": " + ec.message();
      ok = false;
    }
  }
  if (!ok) fs::remove(temp, ec);
  return ok;
}

}  // namespace kadu_print
