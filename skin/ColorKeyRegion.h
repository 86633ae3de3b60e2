// Shapes a window like a skin bitmap: every pixel whose colour differs from the bitmap's
// pixel (0, 0) belongs to the window's region. Skin bitmaps come from the resource chain.
#pragma once

#include "framework/CDC.h"
#include "framework/CGdiObject.h"
#include "framework/CWnd.h"

// Loads bitmap resource nBitmapId through the resource chain (this module, then the host
// executable) into bitmap. Nonzero when a bitmap was attached.
BOOL LoadSkinBitmap(CBitmap& bitmap, UINT nBitmapId);

// The colour-key region of bitmap, read in one pass over its bits; null when the bitmap
// cannot be read. pRefDC may be null (a memory DC is used).
HRGN BuildColorKeyRegion(CDC* pRefDC, const CBitmap& bitmap);

// Replaces pWnd's region with the colour-key region of bitmap, without a redraw. A bitmap
// that cannot be read leaves the region unchanged.
void ApplyColorKeyRegion(CWnd* pWnd, CDC* pRefDC, const CBitmap& bitmap);
// The same with bitmap resource nBitmapId, loaded for the call.
void ApplyColorKeyRegionFromResource(CWnd* pWnd, CDC* pRefDC, UINT nBitmapId);
