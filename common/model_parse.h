// Parsing one model from its data files: CustomFile over DefaultFile over the
// built-in values, key by key.
#pragma once
#include "common/model_files.h"
#include "common/model_record.h"

namespace kadu {

// Fills `record` (zeroed first) for `driverName` from the files; the paper
// table must be loaded (its count bounds the paper lists). The stamps and the
// filled flag are left to the caller.
void ParseModel(const ModelFiles& files, const WCHAR* driverName, ModelRecord* record);

// Whether the system is a Japanese one: the translation of the system's
// USER.EXE is language 1041 with code page 932.
bool IsJapaneseSystem();

}  // namespace kadu
