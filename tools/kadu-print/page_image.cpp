#include "tools/kadu-print/page_image.h"

#include <cctype>
#include <fstream>
#include <iterator>

namespace kadu_print {
namespace {

// PBM header numbers, with '#' comments, as netpbm reads them.
bool ReadNumber(const std::string& data, size_t* pos, long* out) {
  size_t& i = *pos;
  for (;;) {
    while (i < data.size() && std::isspace(static_cast<unsigned char>(data[i]))) ++i;
    if (i < data.size() && data[i] == '#') {
      while (i < data.size() && data[i] != '\n') ++i;
      continue;
    }
    break;
  }
  if (i >= data.size() || !std::isdigit(static_cast<unsigned char>(data[i]))) return false;
  long v = 0;
  while (i < data.size() && std::isdigit(static_cast<unsigned char>(data[i]))) {
    v = v * 10 + (data[i++] - '0');
    if (v > 1000000) return false;
  }
  *out = v;
  return true;
}

}  // namespace

bool ReadPbm(const std::string& path, PageImage* out, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read the page image " + path;
    return false;
  }
  std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto bad = [&](const char* why) {
    *error = "the page image " + path + " is not a usable PBM file: " + why;
    return false;
  };
  if (data.size() < 2 || data[0] != 'P' || (data[1] != '1' && data[1] != '4')) return bad("no P1 or P4 signature");
  size_t pos = 2;
  long w = 0, h = 0;
  if (!ReadNumber(data, &pos, &w) || !ReadNumber(data, &pos, &h) || w <= 0 || h <= 0)
    return bad("bad width or height");
  if (w > 60000 || h > 60000) return bad("larger than 60000 pixels");
  long stride = (w + 7) / 8;
  out->bits.assign(size_t(stride) * size_t(h), 0);
  if (data[1] == '4') {
    ++pos;  // the single white space after the height
    if (data.size() < pos + out->bits.size()) return bad("the picture data is cut short");
    std::copy(data.begin() + long(pos), data.begin() + long(pos + out->bits.size()), out->bits.begin());
    // Pad bits past the width are not part of the picture.
    if (w % 8)
      for (long y = 0; y < h; ++y) out->bits[size_t(y * stride + stride - 1)] &= BYTE(0xFF << (8 - w % 8));
  } else {
    for (long y = 0; y < h; ++y) {
      for (long x = 0; x < w; ++x) {
        while (pos < data.size() && (std::isspace(static_cast<unsigned char>(data[pos])) || data[pos] == '#')) {
          if (data[pos] == '#')
            while (pos < data.size() && data[pos] != '\n') ++pos;
          else
            ++pos;
        }
        if (pos >= data.size() || (data[pos] != '0' && data[pos] != '1')) return bad("the picture data is cut short");
        if (data[pos++] == '1') out->bits[size_t(y * stride + x / 8)] |= BYTE(0x80 >> (x % 8));
      }
    }
  }
  out->image.width = w;
  out->image.height = h;
  out->image.stride = stride;
  out->image.bits = out->bits.data();
  return true;
}

}  // namespace kadu_print
