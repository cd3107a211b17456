// Parsed profile files, kept while the file on disk is unchanged (like the
// system's INI cache), and the writing of files.
#include <sys/stat.h>
#include <unistd.h>

#include <time.h>

#include <cstdio>
#include <fstream>
#include <list>
#include <sstream>

#include "kw/hooks_profile.h"
#include "kw/world.h"
#include "profile_internal.h"
#include "system_folders.h"

namespace kw::ini {
namespace {

struct Cached {
  std::string host;
  struct timespec mtime {};
  off_t size = 0;
  ino_t inode = 0;
  struct timespec readAt {};  // when the bytes were read
  std::string bytes;          // the file as read, to recognise it while its time is not trusted
  std::shared_ptr<const Document> doc;
};

struct State {
  std::mutex mu;       // cache, log and fault state
  std::mutex editMu;   // read-modify-write of files
  std::list<Cached> cache;  // most recently used first
  uint64_t parses = 0;
  bool recording = false;
  std::vector<hooks::ProfileRead> reads;
  uint64_t failCountdown = 0;
  bool failSticky = false, failing = false;
};

constexpr size_t kCachedFiles = 32;

State& S() {
  static State* s = new State;
  return *s;
}

// A name without a folder is a file of the Windows folder.
std::string HostPath(std::u16string_view fileName) {
  bool bare = fileName.find_first_of(u"\\/:") == std::u16string_view::npos;
  if (bare) return kw::WorldMapPath(std::u16string(kw::folders::kWindows) + u"\\" + std::u16string(fileName));
  return kw::WorldMapPath(fileName);
}

int64_t Nanos(const struct timespec& t) { return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec; }

struct timespec WallClock() {
  struct timespec t;
  clock_gettime(CLOCK_REALTIME, &t);
  return t;
}

// File times advance in coarse steps, so a file changed shortly before it was
// read may change again without a new time: such a copy is never trusted.
constexpr int64_t kRacyNanos = 50 * 1000000;

bool SameStat(const Cached& c, const struct stat& st) {
  return Nanos(c.mtime) == Nanos(st.st_mtim) && c.size == st.st_size && c.inode == st.st_ino;
}

bool Trusted(const Cached& c) { return Nanos(c.mtime) + kRacyNanos < Nanos(c.readAt); }

void Remember(State& s, const std::string& host, const struct stat& st, const struct timespec& readAt,
              std::string bytes, std::shared_ptr<const Document> doc) {
  for (auto it = s.cache.begin(); it != s.cache.end(); ++it)
    if (it->host == host) {
      s.cache.erase(it);
      break;
    }
  s.cache.push_front(Cached{host, st.st_mtim, st.st_size, st.st_ino, readAt, std::move(bytes), std::move(doc)});
  if (s.cache.size() > kCachedFiles) s.cache.pop_back();
}

bool WriteFails(State& s) {
  if (s.failing) return true;
  if (s.failCountdown == 0) return false;
  if (--s.failCountdown == 0) {
    s.failing = s.failSticky;
    return true;
  }
  return false;
}

}  // namespace

std::shared_ptr<const Document> Load(std::u16string_view fileName) {
  State& s = S();
  std::string host = HostPath(fileName);
  struct stat st;
  if (::stat(host.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::make_shared<Document>();
  std::shared_ptr<const Document> known;
  std::string knownBytes;
  {
    std::lock_guard<std::mutex> lock(s.mu);
    for (auto it = s.cache.begin(); it != s.cache.end(); ++it) {
      if (it->host != host) continue;
      if (SameStat(*it, st) && Trusted(*it)) {
        s.cache.splice(s.cache.begin(), s.cache, it);
        return it->doc;
      }
      known = it->doc;
      knownBytes = it->bytes;
      break;
    }
  }
  struct timespec readAt = WallClock();
  std::ifstream in(host, std::ios::binary);
  if (!in) return std::make_shared<Document>();
  std::stringstream ss;
  ss << in.rdbuf();
  std::string bytes = ss.str();
  // A file changed too recently to trust its time is read again each time,
  // but parsed again only when its bytes differ.
  std::shared_ptr<const Document> doc =
      known && bytes == knownBytes ? known : std::make_shared<const Document>(Parse(bytes));
  std::lock_guard<std::mutex> lock(s.mu);
  if (doc != known) ++s.parses;
  Remember(s, host, st, readAt, std::move(bytes), doc);
  return doc;
}

bool Store(std::u16string_view fileName, const Document& doc) {
  State& s = S();
  std::string host = HostPath(fileName);
  {
    std::lock_guard<std::mutex> lock(s.mu);
    if (WriteFails(s)) {
      SetLastError(ERROR_DISK_FULL);
      return false;
    }
  }
  std::string tmp = host + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) {
      SetLastError(ERROR_PATH_NOT_FOUND);
      return false;
    }
    out << Serialise(doc);
    out.flush();
    if (!out) {
      std::remove(tmp.c_str());
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
  }
  if (std::rename(tmp.c_str(), host.c_str()) != 0) {
    std::remove(tmp.c_str());
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  struct stat st;
  if (::stat(host.c_str(), &st) == 0) {
    auto copy = std::make_shared<Document>(doc);
    copy->exists = true;
    std::lock_guard<std::mutex> lock(s.mu);
    Remember(s, host, st, WallClock(), Serialise(doc), std::move(copy));
  }
  return true;
}

void Flush(std::u16string_view fileName) {
  State& s = S();
  std::string host = HostPath(fileName);
  std::lock_guard<std::mutex> lock(s.mu);
  s.cache.remove_if([&](const Cached& c) { return c.host == host; });
}

std::unique_lock<std::mutex> EditLock() { return std::unique_lock<std::mutex>(S().editMu); }

void RecordRead(std::u16string_view file, const char16_t* section, const char16_t* key) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mu);
  if (!s.recording) return;
  hooks::ProfileRead r;
  r.file = std::u16string(file);
  r.allSections = section == nullptr;
  r.allKeys = section != nullptr && key == nullptr;
  if (section) r.section = section;
  if (key) r.key = key;
  s.reads.push_back(std::move(r));
}

}  // namespace kw::ini

namespace kw::hooks {

void ProfileRecordReads(bool on) {
  auto& s = kw::ini::S();
  std::lock_guard<std::mutex> lock(s.mu);
  s.recording = on;
  if (on) s.reads.clear();
}

std::vector<ProfileRead> ProfileReads() {
  auto& s = kw::ini::S();
  std::lock_guard<std::mutex> lock(s.mu);
  return s.reads;
}

uint64_t ProfileParseCount() {
  auto& s = kw::ini::S();
  std::lock_guard<std::mutex> lock(s.mu);
  return s.parses;
}

void ProfileFailWritesAt(uint64_t n, bool sticky) {
  auto& s = kw::ini::S();
  std::lock_guard<std::mutex> lock(s.mu);
  s.failCountdown = n;
  s.failSticky = sticky;
  s.failing = false;
}

}  // namespace kw::hooks
