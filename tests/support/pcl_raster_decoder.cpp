#include "tests/support/pcl_raster_decoder.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace kadu_test {
namespace {

void Problem(RasterDiagnostics* diag, const std::string& text) { diag->problems.push_back(text); }

// Stores one decoded byte, clipping at the row's width.
void Put(RasterRow* row, size_t at, uint8_t value, RasterDiagnostics* diag) {
  if (at < row->size()) {
    (*row)[at] = value;
  } else if (value != 0) {
    ++diag->clippedNonzero;
  }
}

}  // namespace

void DecodeUnencodedRow(const uint8_t* data, size_t size, RasterRow* row, RasterDiagnostics* diag) {
  std::fill(row->begin(), row->end(), 0);
  for (size_t i = 0; i < size; ++i) Put(row, i, data[i], diag);
}

void DecodeRunLengthRow(const uint8_t* data, size_t size, RasterRow* row, RasterDiagnostics* diag) {
  std::fill(row->begin(), row->end(), 0);
  if (size % 2 != 0) {
    Problem(diag, "run-length row of odd length");
    return;
  }
  size_t at = 0;
  for (size_t i = 0; i < size; i += 2) {
    for (int k = 0; k <= data[i]; ++k) Put(row, at++, data[i + 1], diag);
  }
}

void DecodePackBitsRow(const uint8_t* data, size_t size, RasterRow* row, RasterDiagnostics* diag) {
  std::fill(row->begin(), row->end(), 0);
  size_t at = 0;
  size_t i = 0;
  while (i < size) {
    int control = static_cast<int8_t>(data[i++]);
    if (control >= 0) {
      size_t count = static_cast<size_t>(control) + 1;
      if (i + count > size) {
        Problem(diag, "PackBits literal runs past its data");
        count = size - i;
      }
      for (size_t k = 0; k < count; ++k) Put(row, at++, data[i + k], diag);
      i += count;
    } else if (control != -128) {
      if (i >= size) {
        Problem(diag, "PackBits run without its byte");
        return;
      }
      uint8_t value = data[i++];
      for (int k = 0; k < 1 - control; ++k) Put(row, at++, value, diag);
    }
  }
}

void DecodeDeltaRow(const uint8_t* data, size_t size, RasterRow* seed, RasterDiagnostics* diag) {
  size_t at = 0;
  size_t i = 0;
  while (i < size) {
    uint8_t command = data[i++];
    size_t count = (command >> 5) + 1;
    size_t offset = command & 31;
    if (offset == 31) {
      uint8_t more;
      do {
        if (i >= size) {
          Problem(diag, "delta row offset runs past its data");
          return;
        }
        more = data[i++];
        offset += more;
      } while (more == 255);
    }
    at += offset;
    if (i + count > size) {
      Problem(diag, "delta row replacement runs past its data");
      count = size - i;
    }
    for (size_t k = 0; k < count; ++k) Put(seed, at++, data[i + k], diag);
    i += count;
  }
}

void DecodeAdaptiveBlock(const uint8_t* data, size_t size, RasterRow* seed,
                         std::vector<RasterRow>* rows, RasterDiagnostics* diag) {
  if (size < 3) {
    // The printer still moves down one row for such a block.
    Problem(diag, "adaptive block shorter than one record");
    std::fill(seed->begin(), seed->end(), 0);
    rows->push_back(*seed);
    return;
  }
  size_t i = 0;
  while (i < size) {
    if (size - i < 3) {
      Problem(diag, "adaptive block ends inside a record header");
      return;
    }
    uint8_t command = data[i];
    size_t count = (static_cast<size_t>(data[i + 1]) << 8) | data[i + 2];
    i += 3;
    if (command <= 3) {
      if (i + count > size) {
        Problem(diag, "adaptive record data runs past the block");
        count = size - i;
      }
      RasterRow row(seed->size());
      switch (command) {
        case 0: DecodeUnencodedRow(data + i, count, &row, diag); break;
        case 1: DecodeRunLengthRow(data + i, count, &row, diag); break;
        case 2: DecodePackBitsRow(data + i, count, &row, diag); break;
        case 3:
          row = *seed;
          DecodeDeltaRow(data + i, count, &row, diag);
          break;
      }
      i += count;
      *seed = row;
      rows->push_back(row);
    } else if (command == 4 || command == 5) {
      // A count of 0 moves nowhere but still clears the seed row.
      if (command == 4 || count == 0) std::fill(seed->begin(), seed->end(), 0);
      for (size_t k = 0; k < count; ++k) rows->push_back(*seed);
    } else {
      Problem(diag, "adaptive record with unknown command " + std::to_string(command));
      std::fill(seed->begin(), seed->end(), 0);
      return;
    }
  }
}

namespace {

// The state that both ends of method 131 keep within one block.
struct PredictiveState {
  uint8_t high[16] = {};
  uint8_t low[16] = {};
  bool copyMode = false;
  RasterRow previous;

  uint8_t Predict(uint8_t p) const { return static_cast<uint8_t>((high[p >> 4] << 4) | low[p & 15]); }
  void Learn(uint8_t p, uint8_t b) {
    low[p & 15] = b & 15;
    high[p >> 4] = b >> 4;
  }
};

// A byte sent as a literal. Mid-row literals are bytes the model failed to
// foresee; the last byte of a row may also be a foreseen byte turned into a
// literal so that the row's last command carries one, and it updates the model
// by its own rule.
void TakeLiteral(PredictiveState* s, uint8_t p, uint8_t b, bool lastOfRow, RasterDiagnostics* diag) {
  uint8_t predicted = s->Predict(p);
  bool foreseen = s->copyMode ? (b == p) : (b == predicted);
  if (foreseen) {
    if (!lastOfRow) Problem(diag, "method 131 literal that the model foresaw, inside a row");
    if (b == p) s->copyMode = true;
    if (b != predicted) {
      s->Learn(p, b);
    } else {
      s->copyMode = false;
    }
  } else if (!s->copyMode) {
    s->Learn(p, b);
    s->copyMode = (b == p);
  } else if (b != predicted) {
    s->Learn(p, b);
  } else {
    s->copyMode = false;
  }
}

// Decodes one row starting at data[*at]; false when the data are malformed.
bool DecodePredictiveRow(const uint8_t* data, size_t size, size_t* at, PredictiveState* s,
                         RasterRow* row, RasterDiagnostics* diag) {
  size_t width = row->size();
  size_t pos = 0;
  size_t i = *at;
  while (pos < width) {
    if (i >= size) {
      Problem(diag, "method 131 row ends early");
      return false;
    }
    uint8_t command = data[i++];
    size_t literals = (command >> 5) + 1;
    size_t matches = command & 31;
    if (matches == 31) {
      uint8_t more;
      do {
        if (i >= size) {
          Problem(diag, "method 131 match count runs past the block");
          return false;
        }
        more = data[i++];
        matches += more;
      } while (more == 255);
    }
    if (pos + matches + literals > width || i + literals > size) {
      Problem(diag, "method 131 command runs past the row or the block");
      return false;
    }
    for (size_t k = 0; k < matches; ++k, ++pos) {
      uint8_t p = s->previous[pos];
      uint8_t b = s->copyMode ? p : s->Predict(p);
      (*row)[pos] = b;
      s->previous[pos] = b;
    }
    for (size_t k = 0; k < literals; ++k, ++pos) {
      uint8_t p = s->previous[pos];
      uint8_t b = data[i++];
      TakeLiteral(s, p, b, pos + 1 == width, diag);
      (*row)[pos] = b;
      s->previous[pos] = b;
    }
  }
  *at = i;
  return true;
}

}  // namespace

void DecodePredictiveBlock(const uint8_t* data, size_t size, size_t widthBytes,
                           std::vector<RasterRow>* rows, RasterDiagnostics* diag) {
  if (widthBytes == 0) {
    Problem(diag, "method 131 block without a raster width");
    return;
  }
  PredictiveState state;
  state.previous.assign(widthBytes, 0);
  size_t at = 0;
  while (at < size) {
    RasterRow row(widthBytes, 0);
    if (!DecodePredictiveRow(data, size, &at, &state, &row, diag)) return;
    rows->push_back(row);
  }
}

// ---- The PCL stream ----

namespace {

struct Escape {
  char group = 0;      // '*', '&', '(', ... ; 0 for two-character escapes
  char param = 0;      // parameter character, lower case
  char terminator = 0; // upper case
  bool hasValue = false;
  long value = 0;
};

struct StreamDecoder {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t at = 0;
  PclDecodeOptions options;
  PclRasterDecode out;

  bool inGraphic = false;
  bool hpgl = false;
  int method = 0;
  long widthPixels = -1;
  long heightRows = -1;
  RasterRow seed;

  size_t WidthBytes() const {
    return widthPixels >= 0 ? static_cast<size_t>((widthPixels + 7) / 8) : options.defaultWidthBytes;
  }
  PclRasterImage& Image() { return out.images.back(); }

  void StartGraphic(long value) {
    out.images.push_back(PclRasterImage{});
    Image().page = out.pages;
    Image().startValue = value;
    Image().widthBytes = WidthBytes();
    seed.assign(Image().widthBytes, 0);
    inGraphic = true;
  }

  void NoteMethod() {
    auto& m = Image().methods;
    if (std::find(m.begin(), m.end(), method) == m.end()) m.push_back(method);
  }

  void Transfer(const uint8_t* bytes, size_t count) {
    if (!inGraphic) StartGraphic(-1);
    if (Image().widthBytes == 0) Problem(&out.diag, "raster data without a raster width");
    ++Image().transfers;
    NoteMethod();
    auto& rows = Image().rows;
    RasterRow row(seed.size());
    switch (method) {
      case 0: DecodeUnencodedRow(bytes, count, &row, &out.diag); break;
      case 1: DecodeRunLengthRow(bytes, count, &row, &out.diag); break;
      case 2: DecodePackBitsRow(bytes, count, &row, &out.diag); break;
      case 3:
        row = seed;
        DecodeDeltaRow(bytes, count, &row, &out.diag);
        break;
      case 5:
        if (options.seedResetPerBlock) std::fill(seed.begin(), seed.end(), 0);
        DecodeAdaptiveBlock(bytes, count, &seed, &rows, &out.diag);
        return;
      case 131: {
        size_t before = rows.size();
        DecodePredictiveBlock(bytes, count, seed.size(), &rows, &out.diag);
        if (heightRows > 0 && rows.size() - before != static_cast<size_t>(heightRows)) {
          Problem(&out.diag, "method 131 block of " + std::to_string(rows.size() - before) +
                                 " rows, expected " + std::to_string(heightRows));
        }
        return;
      }
      default:
        Problem(&out.diag, "transfer in unknown compression method " + std::to_string(method));
        return;
    }
    seed = row;
    rows.push_back(row);
  }

  void EndGraphic(const Escape& e) {
    inGraphic = false;
    if (e.hasValue && e.value == 32768) ++out.pages;
  }

  // Acts on one parameterised group; `payload` follows a data-carrying group.
  void Act(const Escape& e, const uint8_t* payload, size_t payloadSize) {
    if (e.group == '*' && e.param == 'r') {
      if (e.terminator == 'S') widthPixels = e.value;
      if (e.terminator == 'T') heightRows = e.value;
      if (e.terminator == 'A') StartGraphic(e.hasValue ? e.value : 0);
      if (e.terminator == 'B' || e.terminator == 'C') EndGraphic(e);
    } else if (e.group == '*' && e.param == 'b') {
      if (e.terminator == 'M') {
        method = static_cast<int>(e.value);
        if (method != 0 && method != 1 && method != 2 && method != 3 && method != 5 && method != 131) {
          Problem(&out.diag, "unknown compression method " + std::to_string(method));
        }
      }
      if (e.terminator == 'W') Transfer(payload, payloadSize);
      if (e.terminator == 'Y') {
        if (!inGraphic) StartGraphic(-1);
        std::fill(seed.begin(), seed.end(), 0);
        for (long k = 0; k < e.value; ++k) Image().rows.push_back(seed);
      }
    } else if (e.group == '%') {
      if (e.terminator == 'B') hpgl = true;
      if (e.terminator == 'A' || e.terminator == 'X') hpgl = false;
    }
  }

  static bool Carries(const Escape& e) {
    return e.terminator == 'W' || (e.group == '&' && e.param == 'p' && e.terminator == 'X');
  }

  void ParseValue(Escape* e) {
    bool negative = false;
    if (at < size && (data[at] == '+' || data[at] == '-')) negative = data[at++] == '-';
    long v = 0;
    bool digits = false;
    while (at < size && std::isdigit(data[at])) {
      v = v * 10 + (data[at++] - '0');
      digits = true;
    }
    if (at < size && data[at] == '.') {
      ++at;
      while (at < size && std::isdigit(data[at])) ++at;
    }
    e->hasValue = digits;
    e->value = negative ? -v : v;
  }

  // At the byte after ESC.
  void ParseEscape() {
    if (at >= size) return;
    uint8_t c = data[at++];
    if (c < 0x21 || c > 0x2F) {
      if (c == 'E') {
        inGraphic = false;
        hpgl = false;
      }
      return;
    }
    Escape e;
    e.group = static_cast<char>(c);
    if (c != '%') {
      if (at >= size) return;
      e.param = static_cast<char>(std::tolower(data[at++]));
    }
    for (;;) {
      ParseValue(&e);
      if (at >= size) {
        Problem(&out.diag, "escape sequence cut short");
        return;
      }
      uint8_t t = data[at++];
      bool last = t >= 0x40 && t <= 0x5E;
      if (!last && !(t >= 0x60 && t <= 0x7E)) {
        Problem(&out.diag, "bad escape terminator");
        return;
      }
      e.terminator = static_cast<char>(std::toupper(t));
      const uint8_t* payload = nullptr;
      size_t payloadSize = 0;
      if (Carries(e)) {
        payloadSize = e.value > 0 ? static_cast<size_t>(e.value) : 0;
        if (payloadSize > size - at) {
          Problem(&out.diag, "data of an escape run past the stream");
          payloadSize = size - at;
        }
        payload = data + at;
        at += payloadSize;
      }
      Act(e, payload, payloadSize);
      if (last) return;
    }
  }

  void Run() {
    while (at < size) {
      uint8_t b = data[at++];
      if (b == 0x1B) {
        ParseEscape();
      } else if (b == 0x0C && !hpgl) {
        inGraphic = false;
        ++out.pages;
      }
    }
  }
};

}  // namespace

PclRasterDecode DecodePclRaster(const uint8_t* data, size_t size, const PclDecodeOptions& options) {
  StreamDecoder d;
  d.data = data;
  d.size = size;
  d.options = options;
  d.Run();
  return d.out;
}

}  // namespace kadu_test
