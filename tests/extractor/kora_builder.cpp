#include "tests/extractor/kora_builder.h"

#include <stdexcept>

namespace kadu_test {
namespace {

void PutU32(std::string* s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s->push_back(char((v >> (8 * i)) & 0xFF));
}

}  // namespace

std::string Deflate(const std::string& data, int level, int windowBits, int memLevel, int strategy,
                    const std::string& dictionary) {
  z_stream s{};
  if (deflateInit2(&s, level, Z_DEFLATED, windowBits, memLevel, strategy) != Z_OK)
    throw std::runtime_error("deflateInit2");
  if (!dictionary.empty())
    deflateSetDictionary(&s, reinterpret_cast<const Bytef*>(dictionary.data()), uInt(dictionary.size()));
  std::string out(deflateBound(&s, uLong(data.size())) + 64, '\0');
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  s.avail_in = uInt(data.size());
  s.next_out = reinterpret_cast<Bytef*>(out.data());
  s.avail_out = uInt(out.size());
  if (deflate(&s, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
  out.resize(s.total_out);
  deflateEnd(&s);
  return out;
}

std::string BuildKora(const KoraArchive& a) {
  std::string file = a.stub;
  std::string directory;
  for (const KoraMember& m : a.members) {
    uint32_t offset = uint32_t(file.size());
    std::string stream = m.stream ? *m.stream : Deflate(m.data);
    file += stream;
    PutU32(&directory, m.offset.value_or(offset));
    PutU32(&directory, m.uncompressedSize.value_or(uint32_t(m.data.size())));
    PutU32(&directory, m.compressedSize.value_or(uint32_t(stream.size())));
    directory += m.fileName;
    PutU32(&directory, m.fileNameLength.value_or(uint32_t(m.fileName.size())));
    directory += m.directory;
    PutU32(&directory, m.directoryLength.value_or(uint32_t(m.directory.size())));
  }
  file += directory;
  PutU32(&file, a.count.value_or(uint32_t(a.members.size())));
  file += a.version;
  file += "!KORA_SFX!";
  file += a.tail;
  return file;
}

}  // namespace kadu_test
