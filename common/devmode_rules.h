// The rules that tie the fields of a DriverDevmode together, shared by the
// default record and the merge. Each works on the record in place.
#pragma once
#include "common/devmode_model.h"
#include "common/devmode_record.h"
#include "windows.h"

namespace kadu {

// Resolution pairing (devmode_rules_resolution.cpp).
// The resolution in dpi of a print quality; a DMRES code the model does not
// offer is lowered in place to the next offered level.
int QualityResolution(const ModelInfo& info, int* quality);
// Sets dmPrintQuality and wUiQuality from a requested quality.
void PairResolution(const DevmodeModel& m, int requested, DriverDevmode* dm);

// Papers and sources (devmode_rules_paper.cpp).
// Takes a requested paper (with its size for custom papers).
void ApplyPaperRule(const DevmodeModel& m, int paper, int width, int length, DriverDevmode* dm);
// After the paper rule: the booklet rule in booklet mode, else the
// duplex-paper rule.
void ApplyBookletOrDuplexPaperRule(const DevmodeModel& m, DriverDevmode* dm);
void ApplyDefaultSourceRule(const DevmodeModel& m, int source, DriverDevmode* dm);
// wEffectiveSource from dmDefaultSource.
void ApplyMultiPurposeTrayRule(const DevmodeModel& m, DriverDevmode* dm);

// Collation (devmode_rules_collate.cpp); `requested` null means none.
void ApplyCollateRule(HANDLE printer, const int* requested, DriverDevmode* dm);

// Layout (devmode_rules_layout.cpp).
void DeriveNup(DriverDevmode* dm);
void DerivePosterSheets(DriverDevmode* dm);
void ApplyPosterDirection(const DevmodeModel& m, DriverDevmode* dm);

// Black finish (devmode_rules_finish.cpp).
void NormaliseBlackFinish(DriverDevmode* dm);

// The capability rules that end the merge (devmode_rules_capability.cpp).
void ApplyCapabilityRules(const DevmodeModel& m, DriverDevmode* dm);

}  // namespace kadu
