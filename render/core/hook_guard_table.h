// What the exception guard of each guarded hook reports: the hook's DDI index
// (its event category is the index plus one) and its guard ID.
#pragma once
#include "windows.h"

struct HookGuard {
  ULONG index;  // INDEX_Drv*
  SHORT id;     // 101..120
};

// One per guarded hook, in the order of their guard IDs.
constexpr HookGuard kGuardEnablePDEV{INDEX_DrvEnablePDEV, 101};
constexpr HookGuard kGuardDisablePDEV{INDEX_DrvDisablePDEV, 102};
constexpr HookGuard kGuardResetPDEV{INDEX_DrvResetPDEV, 103};
constexpr HookGuard kGuardEnableSurface{INDEX_DrvEnableSurface, 104};
constexpr HookGuard kGuardDisableSurface{INDEX_DrvDisableSurface, 105};
constexpr HookGuard kGuardStartDoc{INDEX_DrvStartDoc, 106};
constexpr HookGuard kGuardEndDoc{INDEX_DrvEndDoc, 107};
constexpr HookGuard kGuardStartPage{INDEX_DrvStartPage, 108};
constexpr HookGuard kGuardSendPage{INDEX_DrvSendPage, 109};
constexpr HookGuard kGuardBitBlt{INDEX_DrvBitBlt, 110};
constexpr HookGuard kGuardCopyBits{INDEX_DrvCopyBits, 111};
constexpr HookGuard kGuardStretchBlt{INDEX_DrvStretchBlt, 112};
constexpr HookGuard kGuardStretchBltROP{INDEX_DrvStretchBltROP, 113};
constexpr HookGuard kGuardTextOut{INDEX_DrvTextOut, 114};
constexpr HookGuard kGuardStrokePath{INDEX_DrvStrokePath, 115};
constexpr HookGuard kGuardFillPath{INDEX_DrvFillPath, 116};
constexpr HookGuard kGuardStrokeAndFillPath{INDEX_DrvStrokeAndFillPath, 117};
constexpr HookGuard kGuardPaint{INDEX_DrvPaint, 118};
constexpr HookGuard kGuardEscape{INDEX_DrvEscape, 119};
constexpr HookGuard kGuardRealizeBrush{INDEX_DrvRealizeBrush, 120};

constexpr WORD GuardCategory(const HookGuard& g) { return WORD(g.index + 1); }
