// kadu-print: prints a document through the KADU rendering library into a
// job file, as Windows would for a printer of a shipped example model.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "kw/wide.h"
#include "tools/kadu-print/install.h"
#include "tools/kadu-print/job.h"
#include "tools/kadu-print/options.h"
#include "tools/kadu-print/settings.h"
#include "windows.h"

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "kadu-print: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kadu_print;
  Options opt;
  std::string error;
  if (!ParseOptions(argc, argv, &opt, &error)) {
    if (error.find("--help") == std::string::npos) error += " (see --help)";
    std::fprintf(stderr, "kadu-print: %s\n", error.c_str());
    return 2;
  }
  if (opt.help) {
    std::fputs(UsageText(), stdout);
    return 0;
  }
  if (opt.listModels) {
    for (const std::u16string& m : ShippedModels()) std::printf("%s\n", kw::Narrow(m).c_str());
    return 0;
  }
  if (!UseWorld(opt.world, &error)) return Fail(error);
  JobRequest job;
  if (!ResolveModel(opt.model, &job.printer, &error)) return Fail(error);
  for (const std::string& path : opt.pageImages) {
    job.images.emplace_back();
    if (!ReadPbm(path, &job.images.back(), &error)) return Fail(error);
  }
  if (!EnsurePrinter(job.printer, &error)) return Fail(error);
  HANDLE printer = nullptr;
  std::u16string name = job.printer;
  if (!OpenPrinterW(name.data(), &printer, nullptr)) return Fail("cannot open the printer " + kw::Narrow(name));
  auto settings = opt.settings;
  // Page images are printed in raster graphics mode.
  if (!job.images.empty()) settings.insert(settings.begin(), {"wPrintMode", "1"});
  bool built = BuildJobDevmode(printer, job.printer, settings, &job.devmode, &error);
  ClosePrinter(printer);
  if (!built) return Fail(error);
  if (opt.listSettings) {
    ListSettings(job.devmode, stdout);
    ReleaseModelData();
    return 0;
  }
  job.blankPages = opt.pages;
  job.output = opt.output;
  job.enginePath = opt.enginePath;
  bool ok = RunJob(job, &error);
  ReleaseModelData();
  if (!ok) return Fail(error);
  std::error_code ec;
  auto bytes = std::filesystem::file_size(opt.output, ec);
  int pages = job.images.empty() ? opt.pages : int(job.images.size());
  std::fprintf(stderr, "kadu-print: %d page%s for %s written to %s (%llu bytes)\n", pages, pages == 1 ? "" : "s",
               kw::Narrow(job.printer).c_str(), opt.output.c_str(), (unsigned long long)bytes);
  return 0;
}
