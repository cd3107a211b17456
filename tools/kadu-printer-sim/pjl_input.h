// What the printer makes of the bytes it receives: print data (the page
// description language) until a Universal Exit Language command, then PJL
// command lines until a line that is not PJL or an ENTER LANGUAGE command.
#pragma once
#include <cstddef>
#include <functional>
#include <string>

namespace sim {

class PjlInput {
 public:
  // `command` gets each PJL line (without its line end); `formFeed` each form
  // feed of print data (a page out).
  PjlInput(std::function<void(const std::string&)> command, std::function<void()> formFeed)
      : command_(std::move(command)), formFeed_(std::move(formFeed)) {}
  void Feed(const char* data, size_t n);
  void CountPages(bool on) { countPages_ = on; }

 private:
  void PrintData(const char* data, size_t n);
  void PjlByte(char c);
  void EndLine();

  std::function<void(const std::string&)> command_;
  std::function<void()> formFeed_;
  bool pjl_ = false;   // start as a printer does: print data until UEL
  size_t uel_ = 0;     // bytes of a UEL matched so far
  std::string line_;
  bool countPages_ = false;
};

}  // namespace sim
