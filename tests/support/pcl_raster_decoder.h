// Decodes PCL raster graphics back into rows, written from the printer
// language's published transfer formats (unencoded, run-length, TIFF PackBits,
// delta row, adaptive compression) and from the description of the driver's
// predictive method 131, without reference to the driver's encoders. Tests
// compare what a printer would print with what was meant.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kadu_test {

using RasterRow = std::vector<uint8_t>;

// Printers differ on whether the seed row survives from one adaptive block to
// the next (the published language keeps it; some models zero it at every
// transfer command). Data that decodes the same both ways prints the same
// everywhere.
struct PclDecodeOptions {
  bool seedResetPerBlock = false;
  // Row width in bytes when the stream sets no source raster width.
  size_t defaultWidthBytes = 0;
};

// Problems found while decoding; a well-formed stream leaves `problems` empty.
struct RasterDiagnostics {
  std::vector<std::string> problems;
  // Nonzero bytes that fell beyond the raster width and were clipped.
  size_t clippedNonzero = 0;
};

// Row decoders. Each decodes one row into `row`, which the caller has sized to
// the raster width; bytes beyond it are clipped.

// Unencoded (method 0): the bytes, zero-filled to the width.
void DecodeUnencodedRow(const uint8_t* data, size_t size, RasterRow* row, RasterDiagnostics* diag);
// Run-length (method 1): pairs of (repeat count − 1, byte).
void DecodeRunLengthRow(const uint8_t* data, size_t size, RasterRow* row, RasterDiagnostics* diag);
// TIFF PackBits (method 2): control n 0..127 copies n + 1 bytes, −1..−127
// repeats the next byte 1 − n times, −128 does nothing. Zero-filled.
void DecodePackBitsRow(const uint8_t* data, size_t size, RasterRow* row, RasterDiagnostics* diag);
// Delta row (method 3): replaces bytes of `seed` in place. Each command byte
// holds (count − 1) in its top three bits and an offset in its low five; an
// offset of 31 continues in the following bytes while they are 255.
void DecodeDeltaRow(const uint8_t* data, size_t size, RasterRow* seed, RasterDiagnostics* diag);

// One adaptive compression (method 5) block: records of a command byte, a
// 16-bit big-endian count and, for commands 0-3, that many data bytes.
// `seed` is the seed row before the block and after it.
void DecodeAdaptiveBlock(const uint8_t* data, size_t size, RasterRow* seed,
                         std::vector<RasterRow>* rows, RasterDiagnostics* diag);

// One method-131 block: every row starts from cleared nibble tables, a zero
// previous row and prediction mode at the start of the block.
void DecodePredictiveBlock(const uint8_t* data, size_t size, size_t widthBytes,
                           std::vector<RasterRow>* rows, RasterDiagnostics* diag);

// One raster graphic: from a start raster command (or the first transfer) to
// the end raster command.
struct PclRasterImage {
  size_t page = 0;           // form feeds and "\e*r32768C" page ends before it
  long startValue = -1;      // value of "\e*r#A"; −1 for an implicit start
  size_t widthBytes = 0;
  std::vector<int> methods;  // compression methods used, in order of first use
  size_t transfers = 0;      // "\e*b#W" commands
  std::vector<RasterRow> rows;
};

struct PclRasterDecode {
  std::vector<PclRasterImage> images;
  size_t pages = 0;  // page ends seen
  RasterDiagnostics diag;
};

// Parses a PCL byte stream (PJL and HP-GL/2 passages are stepped over) and
// decodes every raster graphic in it.
PclRasterDecode DecodePclRaster(const uint8_t* data, size_t size, const PclDecodeOptions& options);

}  // namespace kadu_test
