#include "pjl_input.h"

#include <cctype>
#include <cstring>
#include <strings.h>

namespace sim {
namespace {
const char kUel[] = "\x1b%-12345X";
const size_t kUelSize = 9;
const size_t kMaxLine = 4096;
}  // namespace

void PjlInput::Feed(const char* data, size_t n) {
  size_t i = 0;
  while (i < n) {
    if (pjl_) {
      PjlByte(data[i++]);
      continue;
    }
    if (uel_ > 0) {
      if (data[i] == kUel[uel_]) {
        ++i;
        if (++uel_ == kUelSize) {
          uel_ = 0;
          pjl_ = true;
          line_.clear();
        }
      } else {
        uel_ = 0;  // not a UEL after all: those bytes were print data
      }
      continue;
    }
    const char* esc = static_cast<const char*>(std::memchr(data + i, 0x1b, n - i));
    size_t end = esc ? size_t(esc - data) : n;
    PrintData(data + i, end - i);
    i = end;
    if (esc) {
      uel_ = 1;
      ++i;
    }
  }
}

void PjlInput::PrintData(const char* data, size_t n) {
  if (!countPages_) return;
  for (const char* p = data; (p = static_cast<const char*>(std::memchr(p, '\f', size_t(data + n - p))));) {
    formFeed_();
    ++p;
  }
}

void PjlInput::PjlByte(char c) {
  if (line_.empty() && c != '@') {
    if (c == '\r' || c == '\n' || c == ' ' || c == '\t') return;
    pjl_ = false;  // not a command: print data starts here
    Feed(&c, 1);
    return;
  }
  if (c == '\n') {
    EndLine();
    return;
  }
  line_ += c;
  if (line_.size() > kMaxLine) {  // no PJL line is this long: treat it as data
    std::string data;
    data.swap(line_);
    pjl_ = false;
    Feed(data.data(), data.size());
  }
}

void PjlInput::EndLine() {
  std::string line;
  line.swap(line_);
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  if (line.size() < 4 || strncasecmp(line.c_str(), "@PJL", 4) != 0) {
    pjl_ = false;
    line += '\n';
    Feed(line.data(), line.size());
    return;
  }
  command_(line);
  std::string upper = line;
  for (char& ch : upper) ch = char(std::toupper(static_cast<unsigned char>(ch)));
  if (upper.find("ENTER LANGUAGE") != std::string::npos) pjl_ = false;
}

}  // namespace sim
