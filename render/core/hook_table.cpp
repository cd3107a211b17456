// In the engine's order. Guarded hooks point at their guard (the exported
// Drv* function of hook_guards.cpp); the others point straight at their body.
#include "render/core/hook_table.h"

#include "render/core/ddi_hooks.h"

namespace {

// Any function pointer as the table's generic type.
template <typename F>
PFN Fn(F* f) {
  return reinterpret_cast<PFN>(reinterpret_cast<void (*)()>(f));
}

}  // namespace

const DRVFN kHookTable[kHookCount] = {
    {INDEX_DrvEnablePDEV, Fn(DrvEnablePDEV)},
    {INDEX_DrvResetPDEV, Fn(DrvResetPDEV)},
    {INDEX_DrvCompletePDEV, Fn(DrvCompletePDEV)},
    {INDEX_DrvDisablePDEV, Fn(DrvDisablePDEV)},
    {INDEX_DrvEnableSurface, Fn(DrvEnableSurface)},
    {INDEX_DrvDisableSurface, Fn(DrvDisableSurface)},
    {INDEX_DrvDitherColor, Fn(DrvDitherColor)},
    {INDEX_DrvStartPage, Fn(DrvStartPage)},
    {INDEX_DrvStartDoc, Fn(DrvStartDoc)},
    {INDEX_DrvSendPage, Fn(DrvSendPage)},
    {INDEX_DrvEndDoc, Fn(DrvEndDoc)},
    {INDEX_DrvStartBanding, Fn(DrvStartBanding)},
    {INDEX_DrvNextBand, Fn(DrvNextBand)},
    {INDEX_DrvBitBlt, Fn(DrvBitBlt)},
    {INDEX_DrvStretchBlt, Fn(DrvStretchBlt)},
    {INDEX_DrvStretchBltROP, Fn(DrvStretchBltROP)},
    {INDEX_DrvRealizeBrush, Fn(DrvRealizeBrush)},
    {INDEX_DrvCopyBits, Fn(DrvCopyBits)},
    {INDEX_DrvStrokePath, Fn(DrvStrokePath)},
    {INDEX_DrvFillPath, Fn(DrvFillPath)},
    {INDEX_DrvStrokeAndFillPath, Fn(DrvStrokeAndFillPath)},
    {INDEX_DrvTextOut, Fn(DrvTextOut)},
    {INDEX_DrvQueryFont, Fn(DrvQueryFont)},
    {INDEX_DrvQueryFontTree, Fn(DrvQueryFontTree)},
    {INDEX_DrvQueryFontData, Fn(DrvQueryFontData)},
    {INDEX_DrvEscape, Fn(DrvEscape)},
    {INDEX_DrvDrawEscape, Fn(DrvDrawEscape)},
    {INDEX_DrvPaint, Fn(DrvPaint)},
    {INDEX_DrvGetGlyphMode, Fn(DrvGetGlyphMode)},
    {INDEX_DrvQueryAdvanceWidths, Fn(DrvQueryAdvanceWidths)},
};
