// The point of the skinned window's forward click: a pixel of the window that is on the
// screen, inside the window's shape and on none of its controls; and whether a control
// can be reached at all. No Win32 here.
#pragma once

#include <functional>
#include <vector>

// A rectangle in window coordinates; right and bottom are outside it.
struct ClickRect {
    int left, top, right, bottom;
};

struct ClickPlacement {
    int windowLeft, windowTop;  // screen position of the window's top-left corner
    int width, height;          // the window's size
    int screenWidth, screenHeight;
};

// Searches the window's pixels from its middle outward (rows nearest the middle first,
// in each row the columns nearest the middle first) for the first one that lies on the
// screen, outside every rectangle of avoid and for which isShaped(x, y) holds. Sets *x
// and *y in window coordinates; false, leaving them alone, when no pixel qualifies.
bool FindClickPoint(const ClickPlacement& placement, const std::vector<ClickRect>& avoid,
                    const std::function<bool(int, int)>& isShaped, int* x, int* y);

// Whether the player can click rect: it lies wholly inside the window and wholly on the
// screen, and at least one of its pixels belongs to the window's shape.
bool IsRectReachable(const ClickPlacement& placement, const ClickRect& rect,
                     const std::function<bool(int, int)>& isShaped);
