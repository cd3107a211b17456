// Walking the source tree in package order.
#include <algorithm>
#include <system_error>

#include "extractor/archive_format.h"
#include "extractor/member_name.h"
#include "kw/wide.h"
#include "pack.h"
#include "windows.h"

namespace fs = std::filesystem;

namespace kadu::pack {
namespace {

// The archive keeps names in the ANSI code page; a name it cannot hold
// exactly is refused rather than stored mangled.
bool ToAnsi(const std::string& utf8, std::string* out) {
  std::u16string w = kw::Widen(utf8);
  if (w.empty()) return false;
  BOOL lossy = FALSE;
  int n = WideCharToMultiByte(CP_ACP, 0, w.data(), int(w.size()), nullptr, 0, nullptr, &lossy);
  if (n <= 0 || lossy) return false;
  out->assign(size_t(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w.data(), int(w.size()), out->data(), n, nullptr, nullptr);
  return kw::Narrow(kw::Widen(utf8)) == utf8;
}

std::string Folded(const std::string& s) {
  std::string f = s;
  for (char& c : f)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return f;
}

bool NameOrder(const fs::directory_entry& a, const fs::directory_entry& b) {
  std::string x = a.path().filename().string(), y = b.path().filename().string();
  std::string fx = Folded(x), fy = Folded(y);
  return fx != fy ? fx < fy : x < y;
}

struct Walk {
  std::vector<PackMember>* members;
  std::vector<std::string>* notes;
  std::string* error;
};

bool Fail(Walk& w, const std::string& what) {
  *w.error = what;
  return false;
}

bool AddFolder(Walk& w, const fs::path& dir, const std::string& ansiDir) {
  std::error_code ec;
  std::vector<fs::directory_entry> files, folders;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    fs::file_status link = it->symlink_status(ec);
    if (fs::is_directory(link)) folders.push_back(*it);
    else if (fs::is_regular_file(it->status(ec))) files.push_back(*it);
    else if (fs::is_symlink(link)) w.notes->push_back("skipped " + it->path().string() + ": a link to a folder or to nothing is skipped");
    else return Fail(w, it->path().string() + ": not a regular file or folder");
  }
  if (ec) return Fail(w, dir.string() + ": " + ec.message());
  if (files.empty() && folders.empty() && !ansiDir.empty())
    w.notes->push_back("empty folder " + dir.string() + " is not stored: the archive holds files only");
  std::sort(files.begin(), files.end(), NameOrder);
  std::sort(folders.begin(), folders.end(), NameOrder);
  for (const fs::directory_entry& f : files) {
    PackMember m;
    m.source = f.path();
    m.directory = ansiDir;
    if (!ToAnsi(f.path().filename().string(), &m.fileName))
      return Fail(w, f.path().string() + ": name not representable in the ANSI code page");
    const char* why = nullptr;
    if (m.fileName.size() > extractor::kMaxStringBytes || m.directory.size() > extractor::kMaxStringBytes)
      return Fail(w, f.path().string() + ": name or folder longer than 999 bytes");
    if (!extractor::IsSafeMemberPath(m.directory, m.fileName, &why))
      return Fail(w, f.path().string() + ": the extractor would refuse it (" + why + ")");
    w.members->push_back(m);
  }
  for (const fs::directory_entry& d : folders) {
    std::string name;
    if (!ToAnsi(d.path().filename().string(), &name))
      return Fail(w, d.path().string() + ": name not representable in the ANSI code page");
    if (!AddFolder(w, d.path(), ansiDir + name + "\\")) return false;
  }
  return true;
}

}  // namespace

bool CollectMembers(const fs::path& root, std::vector<PackMember>* members, std::vector<std::string>* notes,
                    std::string* error) {
  members->clear();
  if (!fs::is_directory(root)) {
    *error = root.string() + ": not a folder";
    return false;
  }
  Walk w{members, notes, error};
  if (!AddFolder(w, root, "")) return false;
  if (members->empty()) return Fail(w, root.string() + ": no files to pack");
  if (members->size() > extractor::kMaxEntries)
    return Fail(w, "more than 1000 files: the archive holds at most 1000 members");
  return true;
}

}  // namespace kadu::pack
