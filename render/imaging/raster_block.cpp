#include "render/imaging/raster_block.h"

#include <cstring>

void RasterBlockAppend(RasterBlock* b, const void* bytes, DWORD n) {
  std::memcpy(b->data + b->count, bytes, n);
  b->count += n;
}

BOOL RasterBlockSend(RasterBlock* b, const RasterSink* sink, RasterBlockKind kind) {
  if (b->count == 0) return TRUE;
  DWORD count = b->count;
  b->count = 0;
  return sink->sendBlock(sink->context, kind, b->data, count);
}
