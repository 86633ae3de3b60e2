// Pixels and regions for the drawing tests: region rectangles, bitmaps from pixel
// lists, the screen's pixels, and screenshots of windows saved as artefacts.
#pragma once

#include "framework/CGdiObject.h"

#include <windows.h>

#include <string>
#include <vector>

// The rectangles of a region, as GetRegionData reports them.
std::vector<RECT> RegionRects(HRGN hRgn);
// The window's region rectangles; empty with hasRegion false when it has none.
std::vector<RECT> WindowRegionRects(HWND hWnd, bool* hasRegion = nullptr);
bool SameRegion(HRGN a, HRGN b);
// A bitmap compatible with the screen, row by row from the top, colours as COLORREF.
CBitmap MakeBitmap(int width, int height, const std::vector<COLORREF>& pixels);
// The last screen capture's pixel at screen point (x, y).
COLORREF ScreenPixel(int x, int y);
// Saves what the screen shows of the window, and of hWndAlso when given, as a 24-bit
// BMP named name under build/artifacts. Without a window manager a caption is not drawn.
bool SaveWindowShot(HWND hWnd, const std::string& name, HWND hWndAlso = nullptr);
