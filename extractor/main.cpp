// The extractor without its dialogs: unpacks the package archive appended to
// this program into a folder and prints each member and the result.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "extractor/archive_reader.h"
#include "kw/world.h"

using namespace kadu::extractor;

namespace {

const char kUsage[] =
    "Usage: extractor [--to DIR] [--list]\n"
    "Unpacks the driver package appended to this program.\n"
    "  --to DIR  extract into the folder DIR (created when missing); without it, the\n"
    "            folder beside the program named after it without its extension\n"
    "            (pkg.exe -> pkg; a name without an extension gets \"_files\")\n"
    "  --list    list the members instead of extracting them\n"
    "  --help    show this text\n"
    "Members are written last first, into their folders under DIR. Exit status: 0 when\n"
    "every member was extracted, 1 otherwise, 2 for a bad command line.\n";

struct ResultText {
  int code;
  const char* text;
};
const ResultText kResultTexts[] = {
    {kResultCannotOpen, "the program file cannot be opened"},
    {kResultBadArchive, "no package archive found, or its directory is damaged"},
    {kResultSuccess, "success"},
    {kResultNoEntries, "the package holds no members"},
    {kResultMemberFailed, "at least one member could not be written"},
    {kResultCannotOpenForExtract, "the program file cannot be opened for extraction"},
};

const char* TextOf(int code) {
  for (const ResultText& r : kResultTexts)
    if (r.code == code) return r.text;
  return "unknown result";
}

// A host path as an ANSI Windows path (drive Z: reaches the host).
bool WindowsPathOf(const std::string& host, std::string* out) {
  std::u16string w = kw::WorldHostToWindows(host);
  BOOL lossy = FALSE;
  int n = WideCharToMultiByte(CP_ACP, 0, w.data(), int(w.size()), nullptr, 0, nullptr, &lossy);
  if (n <= 0 || lossy) return false;
  out->assign(size_t(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w.data(), int(w.size()), out->data(), n, nullptr, nullptr);
  return true;
}

std::string ProgramHostPath() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, size_t(n)) : std::string();
}

// Where the package goes by default: beside the program, named after it.
std::string DefaultFolder(const std::string& program) {
  size_t sep = program.find_last_of('\\');
  size_t dot = program.find_last_of('.');
  if (dot != std::string::npos && (sep == std::string::npos || dot > sep + 1)) return program.substr(0, dot);
  return program + "_files";
}

struct Printer {
  Extractor* x;
  int pending = -1;  // the member being extracted, until it is reported done
  void Finish(const char* outcome) {
    if (pending < 0) return;
    const ArchiveEntry& e = x->entries[size_t(pending)];
    std::printf("  %s%s (%u bytes): %s", e.directory.c_str(), e.fileName.c_str(), e.uncompressedSize, outcome);
    if (e.lastError) std::printf(" (Windows error %u)", unsigned(e.lastError));
    std::printf("\n");
    pending = -1;
  }
  void FinishFailed() {
    if (pending >= 0) Finish(MemberFailureText(x->entries[size_t(pending)].failure));
  }
};

void OnProgress(int event, int value, void* user) {
  auto* p = static_cast<Printer*>(user);
  if (event == kEventMemberStart) {
    p->FinishFailed();
    p->pending = value;
  } else if (event == kEventMemberDone) {
    p->Finish("extracted");
  }
}

void List(const Extractor& x) {
  std::printf("%u members, directory and trailer %llu bytes\n", x.entryCount,
              static_cast<unsigned long long>(x.trailerSize));
  for (uint32_t i = 0; i < x.entryCount; ++i) {
    const ArchiveEntry& e = x.entries[i];
    std::printf("  %4u  %s%s  %u bytes, %u packed at %u\n", i, e.directory.c_str(), e.fileName.c_str(),
                e.uncompressedSize, e.compressedSize, e.offset);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string to;
  bool list = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (!std::strcmp(argv[i], "--list")) {
      list = true;
    } else if (!std::strcmp(argv[i], "--to") && i + 1 < argc) {
      to = argv[++i];
    } else {
      std::fprintf(stderr, "extractor: unexpected argument \"%s\"\n%s", argv[i], kUsage);
      return 2;
    }
  }
  std::string program, folder;
  if (!WindowsPathOf(ProgramHostPath(), &program)) {
    std::fprintf(stderr, "extractor: cannot name this program's own file\n");
    return 1;
  }
  if (!to.empty() && !WindowsPathOf(to, &folder)) {
    std::fprintf(stderr, "extractor: the folder \"%s\" has characters the package cannot use\n", to.c_str());
    return 2;
  }
  if (to.empty()) folder = DefaultFolder(program);

  auto x = std::make_unique<Extractor>();
  int result;
  if (list) {
    result = ReadDirectory(x.get(), program.c_str());
    if (result == kResultSuccess) List(*x);
  } else {
    x->programPath = program;
    std::printf("extracting into %s\n", folder.c_str());
    Printer printer{x.get()};
    result = ExtractAll(x.get(), folder.c_str(), OnProgress, &printer);
    printer.FinishFailed();
  }
  std::printf("result %d: %s\n", result, TextOf(result));
  return result == kResultSuccess ? 0 : 1;
}
