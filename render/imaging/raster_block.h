// A block of encoded rows waiting for one raster transfer command, in memory
// the caller owns.
#pragma once
#include "render/imaging/raster_sink.h"
#include "windows.h"

struct RasterBlock {
  BYTE* data;
  DWORD size;   // bytes available at `data`
  DWORD count;  // bytes held
};

inline DWORD RasterBlockRoom(const RasterBlock* b) { return b->size - b->count; }

// Copies `n` bytes to the end of the block; the caller has checked the room.
void RasterBlockAppend(RasterBlock* b, const void* bytes, DWORD n);

// Hands a non-empty block to the sink and empties it. An empty block sends
// nothing: a transfer without rows would still move the printer down a row.
BOOL RasterBlockSend(RasterBlock* b, const RasterSink* sink, RasterBlockKind kind);
