// One-bit page pictures read from PBM files (P1 and P4).
#pragma once
#include <string>
#include <vector>

#include "kw/engine_host.h"

namespace kadu_print {

struct PageImage {
  std::vector<BYTE> bits;
  kw::EnginePageImage image;  // points into `bits`
};

bool ReadPbm(const std::string& path, PageImage* out, std::string* error);

}  // namespace kadu_print
