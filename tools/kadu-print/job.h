// One print job through the rendering library, into a job file.
#pragma once
#include <string>
#include <vector>

#include "common/devmode_record.h"
#include "tools/kadu-print/page_image.h"

namespace kadu_print {

struct JobRequest {
  std::u16string printer;
  kadu::DriverDevmode devmode;
  int blankPages = 1;
  std::vector<PageImage> images;  // when not empty, one page each
  std::string output;             // host path
  std::string enginePath = "auto";  // auto, page or band
};

// Writes the job stream to a temporary file beside the output and renames it
// when the whole job succeeded; nothing is left under the output name on
// failure.
bool RunJob(const JobRequest& job, std::string* error);

}  // namespace kadu_print
