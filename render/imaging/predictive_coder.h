// The driver's predictive delta coding of raster rows, announced to the
// printer as compression method 131. Each byte is foreseen from the byte above
// it: through two learnt 16-entry nibble tables (prediction mode) or as the
// byte above itself (copy mode). Foreseen bytes are counted, the others sent.
#pragma once
#include "windows.h"

struct PredictiveCoder {
  BYTE high[16];  // high nibble foreseen for each high nibble of the byte above
  BYTE low[16];   // low nibble foreseen for each low nibble of the byte above
  BOOL copyMode;
  // The model before the row being coded, so that a row that does not fit can
  // be taken back.
  BYTE savedHigh[16];
  BYTE savedLow[16];
  BOOL savedCopyMode;
  DWORD lastEncodedLength;
};

// The most bytes one row of `length` bytes codes to. Rows can code longer than
// they are: one command byte per eight unforeseen bytes, and two more at most.
DWORD PredictiveRowBound(DWORD length);

// Clears the tables and copy mode, as at the start of every block.
void PredictiveCoderReset(PredictiveCoder* c);

// Codes `length` bytes of `row` (null: a white row) against `previous`, the row
// above as the printer holds it. Commands are a byte (literals - 1) * 32 +
// matches, extension bytes when matches reach 31 (255s and the rest), then 1 to
// 8 literal bytes. Returns the number of bytes written; -1 when more than
// `capacity` would be needed, with the model as it was. `previous` is not
// changed: on success the caller makes `row` the new previous row.
INT PredictiveEncodeRow(PredictiveCoder* c, const BYTE* row, const BYTE* previous, DWORD length,
                        BYTE* out, DWORD capacity);
