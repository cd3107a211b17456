// The process-wide store of model records and the common tables (paper table,
// dither tables). Each driver library has its own store: the interface
// library parses the data files and writes the caches; the rendering library
// reads only the caches (and the file names and data stamps).
#pragma once
#include <cstdint>

#include "common/dither_table.h"
#include "common/model_record.h"
#include "common/paper_table.h"
#include "windows.h"

namespace kadu {

enum class StoreRole { Interface, Renderer };

// At process attach and detach of the driver library. Records stay at their
// addresses until ModelStoreFree.
void ModelStoreInit(StoreRole role);
void ModelStoreFree();
StoreRole ModelStoreRole();
// The store's critical section (the interface library also guards its user
// paper cache with it).
CRITICAL_SECTION* ModelStoreLock();

// Makes sure the common tables and the record of `driverName` are present and
// current. `stamps` (optional, six words): in, the caller's data stamps; out,
// the record's four stamps and two zeros; *stampsDiffer tells whether they
// differed. `force` reloads even when the stamps agree. False when the name
// is empty or the store cannot grow.
BOOL LoadModelRecord(const WCHAR* driverName, WORD* stamps, BOOL force, BOOL* stampsDiffer);

// Lookups (without the lock); null when the model was not loaded or its
// record is empty.
ModelRecord* FindModelRecord(const WCHAR* driverName);
UserDefaults* FindUserDefaults(const WCHAR* driverName);
// The interface library also re-applies the paper list choice; both clear
// bit 0 of the information type.
ModelInfo* FindModelInfo(const WCHAR* driverName);
// Whether `p` lies inside a record of the store (and which).
const ModelRecord* StoreRecordContaining(const void* p);

// The common tables.
const PaperRecord* PaperTableRows();
int PaperTableCount();
// The dither table of a slot (0..41); the built-in table when the slot's table
// is missing or malformed.
const DitherTable& DitherTableOfSlot(int slot);

// Unless the model has the Japan feature: the active paper list becomes the
// inch list in a letter country, the millimetre list elsewhere.
void ChoosePaperList(ModelInfo* info);
// Keeps every index, count and order of a record inside its table (records
// come from files and caches).
void SanitizeModelRecord(ModelRecord* record, int paperCount);

}  // namespace kadu
