// Questions about a model, answered from its ModelInfo (and the rest of its
// record). Every index and count is checked: an answer always lies inside the
// table it comes from.
#pragma once
#include <cstdint>

#include "common/model_record.h"
#include "common/paper_table.h"

namespace kadu {

// The record a ModelInfo belongs to: the store's record when `info` lies in
// one, else the store's record of its driver name, else the built-in model.
const ModelRecord& RecordOfInfo(const ModelInfo& info);
// The model with no data files (its paper lists index the current paper table).
const ModelRecord& BuiltinModelRecord();

// Papers, by index into the active paper list.
int DefaultPaperIndex(const ModelInfo& info);
// Position of a code in the active list; -2 for a user-defined paper of the
// user paper cache within the custom size limits; else -1.
int PaperIndexOfCode(const ModelInfo& info, int code);
int PaperCodeAt(const ModelInfo& info, int index);  // 0 beyond the count
// The paper table record at a list index; the default paper beyond the
// count; null only when the paper table is empty.
const PaperRecord* PaperRecordAt(const ModelInfo& info, int index);
// Size in 0.1 mm (0, 0 without a record).
void PaperSizeAt(const ModelInfo& info, int index, int* width, int* length);
// "PaperSourceType" mask; an index beyond the count means the default paper.
uint32_t PaperFlagsAt(const ModelInfo& info, int index);
// The six printable-area words for orientation 1 (portrait) or 2; null only
// when the paper table is empty.
const uint16_t* PrintableAreaAt(const ModelInfo& info, int index, int orientation);
// The code itself when its paper (or the default paper, for a code not in the
// list) allows duplex (flag 0x100; manual duplex 0x400), else the default
// paper's code. Codes above 276 count as 256.
int DuplexPaperOfCode(const ModelInfo& info, int code, bool manual);

// Sources: the source list holds source table indexes, and 256 + n for entry
// n of the paper-type list.
int SourceIndexOfCode(const ModelInfo& info, int code);
int PaperTypeIndexOfCode(const ModelInfo& info, int code);
// Source code of list entry `index`; an index outside the list means
// "SourceOrder".
int SourceCodeAt(const ModelInfo& info, int index);
// "SourceOrder"'s source; when it is -1, the default paper type.
int DefaultSourceCode(const ModelInfo& info);
// The source code of a list index (below 256: source list, else paper-type
// list at index - 256); false when the index names no entry.
bool SourceCodeOfListIndex(const ModelInfo& info, int index, int* code);

// Media, by index into the media list (outside it: "MediatypeOrder").
int MediaIndexOfCode(const ModelInfo& info, int code);
int MediaCodeAt(const ModelInfo& info, int index);
uint32_t MediaMaskAt(const ModelInfo& info, int index);
int MediaStringAt(const ModelInfo& info, int index);

// The custom size limits (SizeLimit order): "UDFreeSize_Portrait", or
// "UDFinisherSize_Portrait" on A3Printer models with the finisher installed.
void CustomSizeLimits(const ModelInfo& info, int16_t limits[8]);
bool WithinCustomLimits(const ModelInfo& info, int width, int length);

// Qualities (DMRES levels -4..-1 and dpi values).
int DefaultQuality(const ModelRecord* record);
int DefaultUiQuality(const ModelRecord* record);
int QualityCodeOfLevel(const ModelInfo& info, int level);

// Memory in KB.
uint32_t MemoryEstimate(const ModelInfo& info, int option, int resolution);
int MemoryOptionOfSize(int32_t kb);

}  // namespace kadu
