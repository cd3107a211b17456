#include "extractor/member_name.h"

namespace kadu::extractor {
namespace {

bool IsSep(char c) { return c == '\\' || c == '/'; }

bool Refuse(const char** why, const char* reason) {
  if (why) *why = reason;
  return false;
}

// Checks every component of `path` (either separator) for "..".
bool HasParentComponent(std::string_view path) {
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || IsSep(path[i])) {
      if (path.substr(start, i - start) == "..") return true;
      start = i + 1;
    }
  }
  return false;
}

}  // namespace

bool IsSafeMemberPath(std::string_view directory, std::string_view fileName, const char** why) {
  if (fileName.empty() || fileName == "." || fileName == "..") return Refuse(why, "no file name");
  for (char c : fileName)
    if (IsSep(c)) return Refuse(why, "file name holds a folder separator");
  if (!directory.empty() && IsSep(directory[0])) return Refuse(why, "folder starts at a root");
  // ':' is a drive prefix ("C:") or a stream name ("a:b"), both ways out.
  if (directory.find(':') != std::string_view::npos || fileName.find(':') != std::string_view::npos)
    return Refuse(why, "drive or stream prefix");
  if (HasParentComponent(directory)) return Refuse(why, "folder climbs out with \"..\"");
  return true;
}

}  // namespace kadu::extractor
