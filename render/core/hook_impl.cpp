#include "render/core/hook_impl.h"

const GuardedHookBodies kShippedHookBodies = {
    ImplEnablePDEV, ImplDisablePDEV, ImplResetPDEV, ImplEnableSurface, ImplDisableSurface,
    ImplStartDoc,   ImplEndDoc,      ImplStartPage, ImplSendPage,      ImplBitBlt,
    ImplCopyBits,   ImplStretchBlt,  ImplStretchBltROP, ImplTextOut,   ImplStrokePath,
    ImplFillPath,   ImplStrokeAndFillPath, ImplPaint, ImplEscape,     ImplRealizeBrush,
};

GuardedHookBodies g_hookBodies = kShippedHookBodies;
