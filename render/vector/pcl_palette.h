// PCL palettes and the foreground colour. The cache of each palette entry is
// shared with the HP-GL/2 pen colours. While the new-sheet flag is set the
// palette caches are not trusted and every command is sent.
#pragma once
#include "windows.h"

struct PDEV;

// "\e*v" index "S": the entry's colour in the current palette is compared
// with the foreground cache; nothing is sent when they are equal. An entry
// whose colour is unknown is always sent.
void PclSetForeground(PDEV* pdev, LONG index);
// "\e*v" R "a" G "b" B "c" index "I". With `maySkip`, nothing is sent when the
// entry already holds `rgb`.
void PclSetPaletteEntry(PDEV* pdev, COLORREF rgb, LONG index, BOOL maySkip);
// "\e&p" id "S", then entry 0 white and entry 1 black. Nothing when `id` is
// already the current palette. Palette IDs outside 0-7 are sent but their
// entries are never cached.
void PclSelectPalette(PDEV* pdev, LONG id);
// HP-GL/2 pen 0 white and pen 1 `rgb`; with `select`, entry 1 becomes the
// PCL foreground.
void SetPenPair(PDEV* pdev, COLORREF rgb, BOOL select);
// "\e&b1M": monochrome print mode.
void PclMonochromeMode(PDEV* pdev);
