// Command line of kadu-print.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace kadu_print {

struct Options {
  std::string world;                                 // empty: the default world folder
  std::string model;                                 // empty: the desktop example model
  std::vector<std::pair<std::string, std::string>> settings;  // --set NAME=VALUE, in order
  int pages = 1;
  std::vector<std::string> pageImages;               // --page-image FILE.pbm, one page each
  std::string output;
  std::string enginePath = "auto";                    // auto, page or band
  bool listSettings = false;
  bool listModels = false;
  bool help = false;
};

// Parses argv; false with a one-line message in *error.
bool ParseOptions(int argc, char** argv, Options* out, std::string* error);
const char* UsageText();

}  // namespace kadu_print
