#include "common/builtin_tables.h"

namespace kadu {

const SourceRecord kSourceTable[kSourceTableSize] = {
    {7, 211, {}},    // DMBIN_AUTO
    {1, 200, {}},    // DMBIN_UPPER
    {259, 201, {}},  // tray 2
    {260, 204, {}},  // tray 3
    {261, 209, {}},  // tray 4
    {262, 210, {}},  // tray 5
    {258, 202, {}},  // optional feeder
    {4, 203, {}},    // DMBIN_MANUAL
    {4, 205, {}},    // DMBIN_MANUAL, second label
};

SourceRecord PaperTypeRecord(size_t n) {
  return SourceRecord{uint16_t(kPaperTypeCodeBase + n), uint16_t(9800 + n), {}};
}

const MediaRow kBuiltinMedia[kBuiltinMediaCount] = {
    {0, 1314},  {1, 1300},  {2, 1301},  {3, 1302},  {4, 1303},  {5, 1304},  {7, 1309},  {6, 1306},  {8, 1310},
    {9, 1311},  {10, 1312}, {11, 1315}, {12, 1316}, {13, 1317}, {14, 1318}, {15, 1319}, {19, 1321}, {16, 1308},
};

const QualityRow kQualityTable[kQualityTableSize] = {
    {300, 16}, {600, 0}, {600, 1},  {600, 2}, {600, 32}, {1200, 0}, {600, 64}, {1200, 2},  {1200, 128},
    {300, 16}, {600, 0}, {600, 1},  {600, 2}, {600, 32}, {600, 1},  {600, 64}, {1200, 2},
};

}  // namespace kadu
