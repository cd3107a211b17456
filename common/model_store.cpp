#include "common/model_store.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

#include "common/builtin_tables.h"
#include "common/model_accessors.h"
#include "common/model_cache.h"
#include "common/model_files.h"
#include "common/model_parse.h"

namespace kadu {
namespace {

constexpr size_t kNodeNameChars = 127;

// One record of the store. Nodes are allocated once and never move or go
// away before ModelStoreFree, so lookups made without the lock stay valid
// while the store grows.
struct StoreNode {
  ModelRecord record;
  WCHAR name[kNodeNameChars + 1];  // the key (cut as the document defaults cut it), also while the record is empty
  std::atomic<StoreNode*> next{nullptr};
};

struct Store {
  CRITICAL_SECTION cs;
  bool ready = false;
  StoreRole role = StoreRole::Interface;
  // Header: common data loaded, the two common stamps, the record count.
  bool commonLoaded = false;
  uint16_t paperStamp = 0;
  uint16_t watermarkStamp = 0;
  uint16_t count = 0;
  std::atomic<StoreNode*> head{nullptr};
  StoreNode* tail = nullptr;
  PaperRecord papers[kPaperTableCapacity];
  std::atomic<int> paperCount{0};
  DitherTable dither[kDitherTableCount];
};

Store& S() {
  // A plain static, not a heap block: the driver libraries are unloaded
  // by their hosts, and the record must go with them.
  static Store s;
  return s;
}

void EnsureReady() {
  if (!S().ready) ModelStoreInit(StoreRole::Interface);
}

StoreNode* FindNode(const WCHAR* fullName) {
  WCHAR name[kNodeNameChars + 1];
  CopyName(name, kNodeNameChars, fullName);
  for (StoreNode* n = S().head.load(std::memory_order_acquire); n; n = n->next.load(std::memory_order_acquire))
    if (SameDriverName(n->name, name)) return n;
  return nullptr;
}

StoreNode* AppendNode(const WCHAR* name) {
  Store& s = S();
  UINT flags = GMEM_FIXED | GMEM_ZEROINIT | (s.role == StoreRole::Interface ? GMEM_DDESHARE : 0);
  void* mem = GlobalAlloc(flags, sizeof(StoreNode));
  if (!mem) return nullptr;
  auto* node = new (mem) StoreNode();
  CopyName(node->name, kNodeNameChars, name);
  if (s.tail) s.tail->next.store(node, std::memory_order_release);
  else s.head.store(node, std::memory_order_release);
  s.tail = node;
  ++s.count;
  return node;
}

// Scratch blocks for cache images, from the process heap.
template <typename T>
T* Scratch() {
  return static_cast<T*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(T)));
}
void FreeScratch(void* p) {
  if (p) HeapFree(GetProcessHeap(), 0, p);
}

void TakeCommon(const CommonCache& c) {
  Store& s = S();
  std::memcpy(s.papers, c.papers, sizeof s.papers);
  for (auto& p : s.papers) p.name[63] = 0;
  std::memcpy(s.dither, c.dither, sizeof s.dither);
  s.paperCount.store(CountPaperRecords(s.papers));
  s.commonLoaded = true;
}

void LoadCommon(const ModelFiles& files, const uint16_t cur[4], bool force) {
  Store& s = S();
  if (s.commonLoaded && s.paperStamp == cur[0] && s.watermarkStamp == cur[1] && !force) return;
  CommonCache* c = Scratch<CommonCache>();
  std::u16string path = CommonCachePath(files);
  bool cached = c && ReadCommonCache(path, c);
  if (s.role == StoreRole::Renderer) {
    // Taken as it is; its own stamps tell when to look again.
    if (cached) {
      TakeCommon(*c);
      s.paperStamp = c->paperStamp;
      s.watermarkStamp = c->watermarkStamp;
    }
  } else if (cached && c->paperStamp == cur[0] && c->watermarkStamp == cur[1]) {
    TakeCommon(*c);
    s.paperStamp = cur[0];
    s.watermarkStamp = cur[1];
  } else {
    s.paperStamp = cur[0];
    s.watermarkStamp = cur[1];
    LoadDitherTables(files.ditherModule, s.dither);
    s.paperCount.store(ReadPaperTable(files.paperFile, s.papers));
    s.commonLoaded = true;
    if (c) {
      std::memset(c, 0, sizeof *c);
      c->size = kCommonCacheSize;
      c->paperStamp = cur[0];
      c->watermarkStamp = cur[1];
      std::memcpy(c->papers, s.papers, sizeof c->papers);
      std::memcpy(c->dither, s.dither, sizeof c->dither);
      WriteCommonCache(path, *c);
    }
  }
  FreeScratch(c);
}

bool StampsEqual(const uint16_t* a, const uint16_t* b) { return std::memcmp(a, b, 4 * sizeof(uint16_t)) == 0; }

// A cached record is usable when it was filled for this driver name (models
// without a DefaultFile, or with the same base name, share a cache file).
bool CachedRecordFits(ModelCache* c, const WCHAR* name) {
  ModelRecord& r = c->record;
  r.defaults.driverName[kNodeNameChars] = 0;
  return r.filled == 1 && SameDriverName(r.defaults.driverName, name);
}

void LoadModel(StoreNode* node, const ModelFiles& files, const uint16_t cur[4], bool force) {
  Store& s = S();
  ModelRecord& rec = node->record;
  if (rec.filled && StampsEqual(rec.stamps, cur) && !force) return;
  ModelCache* c = Scratch<ModelCache>();
  if (!c) return;
  std::u16string path = ModelCachePath(files);
  bool cached = ReadModelCache(path, c) && CachedRecordFits(c, node->name);
  if (cached && (s.role == StoreRole::Renderer || StampsEqual(c->record.stamps, cur))) {
    SanitizeModelRecord(&c->record, s.paperCount.load());
    std::memcpy(&rec, &c->record, sizeof rec);
  } else if (s.role == StoreRole::Interface) {
    ModelRecord* fresh = &c->record;
    ParseModel(files, node->name, fresh);
    std::memcpy(fresh->stamps, cur, sizeof fresh->stamps);
    fresh->filled = 1;
    std::memcpy(&rec, fresh, sizeof rec);
    c->size = kModelCacheSize;
    WriteModelCache(path, *c);
  }
  FreeScratch(c);
}

void SanitizePaperList(PaperList* l, int paperCount, int builtinOrder) {
  int n = std::max<int>(0, std::min<int>(l->count, kPaperListCapacity));
  int kept = 0;
  for (int i = 0; i < n; ++i)
    if (paperCount == 0 || l->items[i] < uint32_t(paperCount)) l->items[kept++] = l->items[i];
  if (kept == 0) l->items[kept++] = 0;
  for (int i = kept; i < int(kPaperListCapacity); ++i) l->items[i] = 0;
  l->count = int16_t(kept);
  if (l->order < 0 || l->order >= kept) l->order = builtinOrder < kept ? builtinOrder : 0;
}

// Items below `limit`, or in [extraFrom, extraTo), are kept.
void SanitizeShortList(ShortList* l, uint32_t limit, uint32_t extraFrom, uint32_t extraTo, bool allowMinusOne) {
  int n = std::max<int>(0, std::min<int>(l->count, kShortListCapacity));
  int kept = 0;
  for (int i = 0; i < n; ++i) {
    uint32_t e = l->items[i];
    if (e < limit || (e >= extraFrom && e < extraTo)) l->items[kept++] = e;
  }
  for (int i = kept; i < int(kShortListCapacity); ++i) l->items[i] = 0;
  l->count = int16_t(kept);
  bool ok = (l->order >= 0 && l->order < kept) || (allowMinusOne && l->order == -1);
  if (!ok) l->order = 0;
}

void Terminate(WCHAR* s, size_t chars) { s[chars - 1] = 0; }

}  // namespace

void ModelStoreInit(StoreRole role) {
  Store& s = S();
  if (!s.ready) {
    InitializeCriticalSection(&s.cs);
    s.ready = true;
  }
  s.role = role;
}

void ModelStoreFree() {
  Store& s = S();
  if (!s.ready) return;
  StoreNode* n = s.head.exchange(nullptr);
  while (n) {
    StoreNode* next = n->next.load();
    n->~StoreNode();
    GlobalFree(n);
    n = next;
  }
  s.tail = nullptr;
  s.count = 0;
  s.commonLoaded = false;
  s.paperStamp = s.watermarkStamp = 0;
  std::memset(s.papers, 0, sizeof s.papers);
  s.paperCount.store(0);
  std::memset(s.dither, 0, sizeof s.dither);
  DeleteCriticalSection(&s.cs);
  s.ready = false;
}

StoreRole ModelStoreRole() { return S().role; }

CRITICAL_SECTION* ModelStoreLock() {
  EnsureReady();
  return &S().cs;
}

BOOL LoadModelRecord(const WCHAR* driverName, WORD* stamps, BOOL force, BOOL* stampsDiffer) {
  if (stampsDiffer) *stampsDiffer = FALSE;
  if (!driverName || !*driverName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  EnsureReady();
  Store& s = S();
  EnterCriticalSection(&s.cs);
  StoreNode* node = FindNode(driverName);
  if (!node) node = AppendNode(driverName);
  if (!node) {
    LeaveCriticalSection(&s.cs);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  ModelFiles files = FindModelFiles(node->name);
  uint16_t cur[4];
  ReadDataStamps(files, cur);
  LoadCommon(files, cur, force != FALSE);
  LoadModel(node, files, cur, force != FALSE);
  if (stamps) {
    if (stampsDiffer) *stampsDiffer = !StampsEqual(stamps, node->record.stamps);
    std::memcpy(stamps, node->record.stamps, 4 * sizeof(WORD));
    stamps[4] = stamps[5] = 0;
  }
  LeaveCriticalSection(&s.cs);
  return TRUE;
}

ModelRecord* FindModelRecord(const WCHAR* driverName) {
  if (!driverName) return nullptr;
  StoreNode* n = FindNode(driverName);
  return n && n->record.filled ? &n->record : nullptr;
}

UserDefaults* FindUserDefaults(const WCHAR* driverName) {
  ModelRecord* r = FindModelRecord(driverName);
  return r ? &r->defaults : nullptr;
}

ModelInfo* FindModelInfo(const WCHAR* driverName) {
  ModelRecord* r = FindModelRecord(driverName);
  if (!r) return nullptr;
  if (S().role == StoreRole::Interface) ChoosePaperList(&r->info);
  r->info.infoType = int16_t(r->info.infoType & ~1);
  return &r->info;
}

const ModelRecord* StoreRecordContaining(const void* p) {
  auto* b = static_cast<const uint8_t*>(p);
  for (StoreNode* n = S().head.load(std::memory_order_acquire); n; n = n->next.load(std::memory_order_acquire)) {
    auto* r = reinterpret_cast<const uint8_t*>(&n->record);
    if (b >= r && b < r + sizeof(ModelRecord)) return &n->record;
  }
  return nullptr;
}

const PaperRecord* PaperTableRows() { return S().papers; }
int PaperTableCount() { return S().paperCount.load(); }

const DitherTable& DitherTableOfSlot(int slot) {
  if (slot < 0 || slot >= int(kDitherTableCount)) return BuiltinDitherTable();
  const DitherTable& t = S().dither[slot];
  return DitherTableIsValid(t) ? t : BuiltinDitherTable();
}

void ChoosePaperList(ModelInfo* info) {
  if (info->features & kJapan) return;
  info->paper = IsLetterCountry() ? info->paperInch : info->paperMm;
}

void SanitizeModelRecord(ModelRecord* r, int paperCount) {
  ModelInfo& info = r->info;
  Terminate(info.driverName, kModelNameChars + 1);
  SanitizePaperList(&info.paper, paperCount, 1);
  SanitizePaperList(&info.paperInch, paperCount, 0);
  SanitizePaperList(&info.paperMm, paperCount, 0);
  SanitizeShortList(&info.source, kSourceTableSize, kPaperTypeSourceBase, kPaperTypeSourceBase + kShortListCapacity,
                    true);
  SanitizeShortList(&info.paperType, kPaperTypeTableSize, 0, 0, false);
  r->mediaCount = int16_t(std::max<int>(0, std::min<int>(r->mediaCount, kMediaTableCapacity)));
  SanitizeShortList(&info.media, uint32_t(r->mediaCount), 0, 0, false);
  static const int16_t kQuality[4] = {3, 2, 1, 0};
  for (int i = 0; i < 4; ++i)
    if (info.qualityType[i] < -1 || info.qualityType[i] >= int(kQualityTableSize)) info.qualityType[i] = kQuality[i];
  for (size_t i = 0; i < kDitherListCapacity; ++i) {
    info.meshTables[i] = uint32_t(DitherSlotOfId(ResolveMeshId(info.meshIds[i])));
    info.lineTables[i] = uint32_t(DitherSlotOfId(ResolveLineId(info.lineIds[i])));
  }
  for (auto& e : r->subst) {
    Terminate(e.trueTypeFace, 64);
    Terminate(e.deviceFace, 64);
  }
  r->substCapacity = int16_t(kSubstCapacity);
  UserDefaults& ud = r->defaults;
  Terminate(ud.driverName, 128);
  Terminate(ud.text440, 20);
  Terminate(ud.wmFont, 32);
  Terminate(ud.valCodePass, 16);
}

const ModelRecord& BuiltinModelRecord() {
  static ModelRecord* r = [] {
    auto* rec = new ModelRecord;
    ModelFiles none;  // every file is a bare folder: nothing can be read
    ParseModel(none, u"", rec);
    rec->filled = 1;
    return rec;
  }();
  return *r;
}

}  // namespace kadu
