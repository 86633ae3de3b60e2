// The colour-key region read one GetPixel at a time and joined one CombineRgn per run:
// the slow, obvious form, kept as the reference the fast build is checked against.
#pragma once

#include "framework/CDC.h"
#include "framework/CGdiObject.h"

// Null when the bitmap cannot be read.
HRGN BuildColorKeyRegionByPixel(CDC* pRefDC, const CBitmap& bitmap);
