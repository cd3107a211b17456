// The model a DriverDevmode is built or merged for, as the DEVMODE
// operations see it: the model record and a private copy of its description
// whose finisher bit follows the record being worked on, so that the
// operations never write the shared store.
#pragma once
#include <cstdint>

#include "common/devmode_ranges.h"
#include "common/devmode_record.h"
#include "common/model_accessors.h"
#include "common/model_record.h"

namespace kadu {

struct DevmodeModel {
  const ModelRecord* record;  // the store's record, or the built-in model when it is not loaded
  const UserDefaults* ud;     // the record's document defaults
  ModelInfo info;             // copy of the record's description; the finisher bit is the record's own
};

// The model of a driver name, with the finisher installed or not.
void TakeDevmodeModel(const WCHAR* driverName, bool finisherInstalled, DevmodeModel* m);

inline bool HasFeature(const DevmodeModel& m, uint32_t feature) { return (m.info.features & feature) != 0; }

// The default paper and its size in 0.1 mm.
int DefaultPaperCode(const DevmodeModel& m);
void DefaultPaperSize(const DevmodeModel& m, int* width, int* length);
// Whether the model's active paper list holds a code.
bool PaperListHas(const DevmodeModel& m, int code);
// Papers whose size the record gives itself: the custom sizes 256, 263, 264.
bool IsCustomPaper(int code);
// The custom size limits in effect (SizeLimit order).
void DevmodeSizeLimits(const DevmodeModel& m, int16_t limits[8]);
// A width or length brought inside the limits (never 0).
int ClampWidth(const int16_t limits[8], int width);
int ClampLength(const int16_t limits[8], int length);
bool WithinLimits(const int16_t limits[8], int width, int length);

// The capability bit of a paper source, tested against paper and media masks.
uint32_t SourceCapabilityBit(int source);

// What the range table needs to know of the model and the record.
RangeContext DevmodeRangeContext(const DevmodeModel& m, int resolution);

// The first field of a complete record that lies outside its accepted
// range (for the record's own model and quality), or null.
const FieldRange* FirstFieldOutOfRange(const DriverDevmode& dm);

// Forces the terminating zero of every name and text the record holds.
void TerminateDevmodeStrings(DriverDevmode* dm);

}  // namespace kadu
