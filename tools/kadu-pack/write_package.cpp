// Writing the package: stub, member streams, directory, trailer.
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <system_error>

#include "extractor/archive_format.h"
#include "pack.h"

namespace fs = std::filesystem;
using namespace kadu::extractor;

namespace kadu::pack {
namespace {

constexpr size_t kChunk = 256 * 1024;

struct Output {
  std::FILE* f = nullptr;
  uint64_t pos = 0;
  bool ok = true;
  void Put(const void* p, size_t n) {
    if (ok && n && std::fwrite(p, 1, n, f) != n) ok = false;
    pos += n;
  }
  void PutU32(uint32_t v) {
    uint8_t b[4];
    WriteLE32(b, v);
    Put(b, 4);
  }
};

bool Fail(std::string* error, const std::string& what) {
  *error = what;
  return false;
}

// A stub that already ends in a package would hide one archive inside another.
bool HoldsArchive(const std::string& stub) {
  uint8_t magic[kMagicSize];
  ArchiveMagic(magic);
  std::string tail(kArchiveVersion, sizeof kArchiveVersion);
  tail.append(reinterpret_cast<const char*>(magic), kMagicSize);
  return stub.find(tail) != std::string::npos;
}

// Deflates one file into the output as one zlib stream.
bool PackMemberData(Output& out, PackMember* m, const PackOptions& options, std::string* error) {
  std::FILE* in = std::fopen(m->source.c_str(), "rb");
  if (!in) return Fail(error, m->source.string() + ": cannot be read");
  z_stream s{};
  if (deflateInit(&s, options.level) != Z_OK) {
    std::fclose(in);
    return Fail(error, "zlib refused the compression level");
  }
  std::unique_ptr<uint8_t[]> inBuf(new uint8_t[kChunk]), outBuf(new uint8_t[kChunk]);
  uint64_t start = out.pos, total = 0;
  int z = Z_OK;
  bool readError = false;
  while (z != Z_STREAM_END) {
    size_t n = std::fread(inBuf.get(), 1, kChunk, in);
    readError = std::ferror(in);
    total += n;
    int flush = (n < kChunk || readError) ? Z_FINISH : Z_NO_FLUSH;
    s.next_in = inBuf.get();
    s.avail_in = uInt(n);
    do {
      s.next_out = outBuf.get();
      s.avail_out = uInt(kChunk);
      z = deflate(&s, flush);
      out.Put(outBuf.get(), kChunk - s.avail_out);
    } while (s.avail_out == 0);
    if (flush == Z_FINISH && z != Z_STREAM_END) z = Z_STREAM_ERROR;
    if (z == Z_STREAM_ERROR || readError) break;
  }
  deflateEnd(&s);
  std::fclose(in);
  if (readError || z != Z_STREAM_END) return Fail(error, m->source.string() + ": reading or compressing failed");
  if (total > UINT32_MAX || out.pos - start > UINT32_MAX)
    return Fail(error, m->source.string() + ": members are limited to 4 GB");
  m->offset = uint32_t(start);
  m->uncompressedSize = uint32_t(total);
  m->compressedSize = uint32_t(out.pos - start);
  return true;
}

void PutDirectoryAndTrailer(Output& out, const std::vector<PackMember>& members) {
  for (const PackMember& m : members) {
    out.PutU32(m.offset);
    out.PutU32(m.uncompressedSize);
    out.PutU32(m.compressedSize);
    out.Put(m.fileName.data(), m.fileName.size());
    out.PutU32(uint32_t(m.fileName.size()));
    out.Put(m.directory.data(), m.directory.size());
    out.PutU32(uint32_t(m.directory.size()));
  }
  out.PutU32(uint32_t(members.size()));
  out.Put(kArchiveVersion, sizeof kArchiveVersion);
  uint8_t magic[kMagicSize];
  ArchiveMagic(magic);
  out.Put(magic, kMagicSize);
}

bool WriteAll(const std::string& stub, std::vector<PackMember>* members, Output& out, const PackOptions& options,
              std::string* error) {
  out.Put(stub.data(), stub.size());
  for (PackMember& m : *members) {
    if (out.pos > UINT32_MAX) return Fail(error, "the package would pass 4 GB, beyond what offsets can hold");
    if (!PackMemberData(out, &m, options, error)) return false;
  }
  PutDirectoryAndTrailer(out, *members);
  return out.ok || Fail(error, "writing the package failed");
}

}  // namespace

bool WritePackage(const fs::path& stub, std::vector<PackMember>* members, const fs::path& out,
                  const PackOptions& options, std::string* error) {
  if (members->empty() || members->size() > kMaxEntries) return Fail(error, "a package holds 1 to 1000 members");
  std::ifstream stubIn(stub, std::ios::binary);
  if (!stubIn) return Fail(error, stub.string() + ": cannot be read");
  std::string stubBytes((std::istreambuf_iterator<char>(stubIn)), std::istreambuf_iterator<char>());
  if (HoldsArchive(stubBytes)) return Fail(error, stub.string() + ": already carries a package; give the bare extractor");
  fs::path tmp = out;
  tmp += ".tmp";
  Output o;
  o.f = std::fopen(tmp.c_str(), "wb");
  if (!o.f) return Fail(error, tmp.string() + ": cannot be created");
  bool ok = WriteAll(stubBytes, members, o, options, error);
  if (std::fclose(o.f) != 0 && ok) ok = Fail(error, "writing the package failed");
  std::error_code ec;
  if (ok) {
    fs::permissions(tmp, fs::status(stub, ec).permissions(), ec);
    fs::rename(tmp, out, ec);
    if (ec) ok = Fail(error, out.string() + ": " + ec.message());
  }
  if (!ok) fs::remove(tmp, ec);
  return ok;
}

}  // namespace kadu::pack
