#include "tools/kadu-print/options.h"

#include <cstdlib>
#include <cstring>

namespace kadu_print {

const char* UsageText() {
  return R"(Usage: kadu-print [--world DIR] [--model NAME] [--set FIELD=VALUE]... [--pages N]
                  [--page-image FILE.pbm]... [--engine-path auto|page|band] -o FILE
       kadu-print [--world DIR] [--model NAME] --list-settings
       kadu-print --list-models

Prints a document through the KADU rendering library into a job file: the
bytes the spooler would send to the printer (PJL, PCL, HP-GL/2).

  --world DIR        the world folder (a Windows machine on disk); default:
                     $KADU_WORLD, else <data dir>/kadu/world. Created and
                     filled on first use; the model's printer is installed
                     in it when missing.
  --model NAME       the printer model: a driver name ("Halvorn KADU 2630dn")
                     or its last word ("2630dn"); default: the desktop model.
  --set FIELD=VALUE  a job setting by its DEVMODE field name (dmPaperSize=9,
                     wPrintMode=1, dmDuplex=2, ...); applied through the
                     driver's DEVMODE merge. Repeatable.
  --pages N          blank pages to print (default 1; ignored with
                     --page-image).
  --page-image FILE  a one-page picture (PBM, P1 or P4) printed in raster
                     graphics mode, one image pixel to one device pixel.
                     Repeatable, one page each.
  --engine-path P    how the graphics engine hands pages over: "auto" (as
                     the engine decides), "page" (whole pages) or "band"
                     (the banding loop).
  --list-settings    print every setting's name, value and accepted values.
  --list-models      print the models that can be installed.
  -o FILE            the job file; written only when the whole job succeeded.
  --help             this text.
)";
}

namespace {

bool ParsePages(const char* text, int* out) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (!*text || *end || v < 1 || v > 9999) return false;
  *out = int(v);
  return true;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options* out, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](const char* name) -> const char* {
      if (i + 1 >= argc) {
        *error = std::string(name) + " needs a value";
        return nullptr;
      }
      return argv[++i];
    };
    if (a == "--help" || a == "-h") {
      out->help = true;
    } else if (a == "--world") {
      const char* v = value("--world");
      if (!v) return false;
      out->world = v;
    } else if (a == "--model") {
      const char* v = value("--model");
      if (!v) return false;
      out->model = v;
    } else if (a == "--set") {
      const char* v = value("--set");
      if (!v) return false;
      const char* eq = std::strchr(v, '=');
      if (!eq || eq == v) {
        *error = std::string("--set wants FIELD=VALUE, not \"") + v + "\"";
        return false;
      }
      out->settings.emplace_back(std::string(v, eq), std::string(eq + 1));
    } else if (a == "--pages") {
      const char* v = value("--pages");
      if (!v) return false;
      if (!ParsePages(v, &out->pages)) {
        *error = std::string("--pages wants a number from 1 to 9999, not \"") + v + "\"";
        return false;
      }
    } else if (a == "--page-image") {
      const char* v = value("--page-image");
      if (!v) return false;
      out->pageImages.push_back(v);
    } else if (a == "-o" || a == "--output") {
      const char* v = value("-o");
      if (!v) return false;
      out->output = v;
    } else if (a == "--engine-path") {
      const char* v = value("--engine-path");
      if (!v) return false;
      out->enginePath = v;
      if (out->enginePath != "auto" && out->enginePath != "page" && out->enginePath != "band") {
        *error = std::string("--engine-path wants auto, page or band, not \"") + v + "\"";
        return false;
      }
    } else if (a == "--list-settings") {
      out->listSettings = true;
    } else if (a == "--list-models") {
      out->listModels = true;
    } else {
      *error = "unknown argument \"" + a + "\" (see --help)";
      return false;
    }
  }
  if (!out->help && !out->listSettings && !out->listModels && out->output.empty()) {
    *error = "no output file given (-o FILE)";
    return false;
  }
  return true;
}

}  // namespace kadu_print
