#include "skin/WindowClickPoint.h"

namespace {

// The i-th offset from the middle of [0, size): middle, middle + 1, middle - 1, ...
int FromMiddle(int size, int i) { return size / 2 + ((i % 2) ? (i + 1) / 2 : -(i / 2)); }

bool InAny(const std::vector<ClickRect>& rects, int x, int y)
{
    for (const ClickRect& r : rects)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
            return true;
    return false;
}

bool OnScreen(const ClickPlacement& p, int x, int y)
{
    const long long sx = static_cast<long long>(p.windowLeft) + x;
    const long long sy = static_cast<long long>(p.windowTop) + y;
    return sx >= 0 && sx < p.screenWidth && sy >= 0 && sy < p.screenHeight;
}

}  // namespace

bool FindClickPoint(const ClickPlacement& placement, const std::vector<ClickRect>& avoid,
                    const std::function<bool(int, int)>& isShaped, int* x, int* y)
{
    // Offsets alternate around the middle, so 2 * size steps cover every index once.
    for (int i = 0; i < 2 * placement.height; ++i) {
        const int row = FromMiddle(placement.height, i);
        const long long screenRow = static_cast<long long>(placement.windowTop) + row;
        if (row < 0 || row >= placement.height || screenRow < 0 || screenRow >= placement.screenHeight)
            continue;
        for (int j = 0; j < 2 * placement.width; ++j) {
            const int column = FromMiddle(placement.width, j);
            if (column < 0 || column >= placement.width || !OnScreen(placement, column, row) ||
                InAny(avoid, column, row) || !isShaped(column, row))
                continue;
            *x = column;
            *y = row;
            return true;
        }
    }
    return false;
}

bool IsRectReachable(const ClickPlacement& placement, const ClickRect& rect,
                     const std::function<bool(int, int)>& isShaped)
{
    if (rect.left >= rect.right || rect.top >= rect.bottom || rect.left < 0 || rect.top < 0 ||
        rect.right > placement.width || rect.bottom > placement.height ||
        !OnScreen(placement, rect.left, rect.top) || !OnScreen(placement, rect.right - 1, rect.bottom - 1))
        return false;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if (isShaped(x, y))
                return true;
    return false;
}
