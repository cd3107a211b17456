#include "kw/world.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <vector>

#include "kw/wide.h"

namespace kw {
namespace {

struct WorldState {
  std::mutex mu;
  std::string root;
  std::u16string cwd = u"C:\\";
  std::vector<void (*)()> callbacks;
};

WorldState& W() {
  static WorldState* w = new WorldState;
  return *w;
}

std::string DefaultRoot() {
  if (const char* e = std::getenv("KADU_WORLD"); e && *e) return e;
  std::string base;
  if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x) base = x;
  else if (const char* h = std::getenv("HOME"); h && *h) base = std::string(h) + "/.local/share";
  else base = "/tmp";
  return base + "/kadu/world";
}

std::string RootLocked(WorldState& w) {
  if (w.root.empty()) {
    w.root = DefaultRoot();
    std::error_code ec;
    std::filesystem::create_directories(w.root + "/C", ec);
  }
  return w.root;
}

bool IsSep(char16_t c) { return c == u'\\' || c == u'/'; }

// Finds the entry of `dir` whose name equals `name` ignoring ASCII case.
std::string ResolveComponent(const std::string& dir, const std::string& name) {
  struct stat st;
  std::string exact = dir + "/" + name;
  if (::lstat(exact.c_str(), &st) == 0) return name;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return name;
  std::u16string want = Widen(name);
  std::string found = name;
  while (dirent* e = ::readdir(d)) {
    if (EqualsNoCase(Widen(e->d_name), want)) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

// Splits an absolute Windows path into its host base and its components.
void SplitAbsolute(const std::u16string& path, const std::string& root, std::string* base,
                   std::vector<std::u16string>* parts) {
  size_t pos;
  if (path.size() >= 2 && IsSep(path[0]) && IsSep(path[1])) {
    *base = root + "/UNC";
    pos = 2;
  } else {
    char16_t drive = FoldAscii(path[0]);
    *base = (drive == u'Z') ? std::string() : root + "/" + char(drive);
    pos = 2;
  }
  std::u16string cur;
  for (; pos <= path.size(); ++pos) {
    if (pos == path.size() || IsSep(path[pos])) {
      if (cur == u"..") {
        if (!parts->empty()) parts->pop_back();
      } else if (!cur.empty() && cur != u".") {
        parts->push_back(cur);
      }
      cur.clear();
    } else {
      cur.push_back(path[pos]);
    }
  }
}

std::u16string MakeAbsolute(std::u16string_view in, const std::u16string& cwd) {
  std::u16string p(in);
  if (p.rfind(u"\\\\?\\", 0) == 0) p = p.substr(4);
  if (p.size() >= 2 && IsSep(p[0]) && IsSep(p[1])) return p;
  if (p.size() >= 2 && p[1] == u':') {
    if (p.size() == 2 || !IsSep(p[2])) {
      // "C:name" is relative to that drive's current directory; the world keeps one.
      std::u16string rest = p.substr(2);
      if (FoldAscii(cwd[0]) == FoldAscii(p[0])) return cwd + (cwd.back() == u'\\' ? u"" : u"\\") + rest;
      return p.substr(0, 2) + u"\\" + rest;
    }
    return p;
  }
  if (!p.empty() && IsSep(p[0])) return cwd.substr(0, 2) + p;
  return cwd + (cwd.back() == u'\\' ? u"" : u"\\") + p;
}

}  // namespace

void WorldSetRoot(const std::string& hostDir) {
  std::vector<void (*)()> cbs;
  {
    WorldState& w = W();
    std::lock_guard<std::mutex> lock(w.mu);
    w.root = hostDir;
    while (w.root.size() > 1 && w.root.back() == '/') w.root.pop_back();
    std::error_code ec;
    std::filesystem::create_directories(w.root + "/C", ec);
    w.cwd = u"C:\\";
    cbs = w.callbacks;
  }
  for (auto cb : cbs) cb();
}

std::string WorldRoot() {
  WorldState& w = W();
  std::lock_guard<std::mutex> lock(w.mu);
  return RootLocked(w);
}

void WorldOnRootChange(void (*callback)()) {
  WorldState& w = W();
  std::lock_guard<std::mutex> lock(w.mu);
  w.callbacks.push_back(callback);
}

std::string WorldMapPath(std::u16string_view winPath) {
  std::string root;
  std::u16string cwd;
  {
    WorldState& w = W();
    std::lock_guard<std::mutex> lock(w.mu);
    root = RootLocked(w);
    cwd = w.cwd;
  }
  std::u16string abs = MakeAbsolute(winPath, cwd);
  std::string base;
  std::vector<std::u16string> parts;
  SplitAbsolute(abs, root, &base, &parts);
  std::string out = base;
  for (auto& part : parts) {
    out = out + "/" + ResolveComponent(out.empty() ? "/" : out, Narrow(part));
  }
  if (out.empty()) out = "/";
  return out;
}

std::string WorldMapPathA(std::string_view winPathAnsi) {
  std::u16string w;
  for (unsigned char c : winPathAnsi) w.push_back(c);  // ASCII paths; other bytes kept as Latin-1
  return WorldMapPath(w);
}

std::u16string WorldHostToWindows(const std::string& hostPath) {
  std::string root = WorldRoot();
  std::string p = std::filesystem::absolute(hostPath).lexically_normal().string();
  std::u16string out;
  if (p.rfind(root + "/", 0) == 0 && p.size() > root.size() + 2 && p[root.size() + 2] == '/' ) {
    out.push_back(char16_t(p[root.size() + 1]));
    out += u":";
    p = p.substr(root.size() + 2);
  } else if (p == root + "/C") {
    return u"C:\\";
  } else {
    out = u"Z:";
  }
  for (char16_t c : Widen(p)) out.push_back(c == u'/' ? u'\\' : c);
  if (out.size() == 2) out += u"\\";
  return out;
}

std::u16string WorldCurrentDirectory() {
  WorldState& w = W();
  std::lock_guard<std::mutex> lock(w.mu);
  return w.cwd;
}

bool WorldSetCurrentDirectory(std::u16string_view winPath) {
  std::u16string cwd = WorldCurrentDirectory();
  std::u16string abs = MakeAbsolute(winPath, cwd);
  struct stat st;
  if (::stat(WorldMapPath(abs).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  // Normalise: drive letter upper case, no trailing separator except at the root.
  std::string dummy;
  std::vector<std::u16string> parts;
  SplitAbsolute(abs, "", &dummy, &parts);
  std::u16string norm = abs.substr(0, 2);
  if (norm[1] == u':') norm[0] = FoldAscii(norm[0]);
  for (auto& part : parts) norm += u"\\" + part;
  if (norm.size() == 2) norm += u"\\";
  WorldState& w = W();
  std::lock_guard<std::mutex> lock(w.mu);
  w.cwd = norm;
  return true;
}

}  // namespace kw
