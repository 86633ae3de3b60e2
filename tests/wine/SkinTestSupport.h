// Helpers for the skin toolkit's tests: message pumping with a deadline, region
// rectangles, bitmaps from pixel lists, and an owner window that relays its messages to
// skin buttons and tooltips the way the configuration window does.
#pragma once

#include "framework/CGdiObject.h"
#include "framework/CWnd.h"

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

class SkinButton;
class ToolTipWindow;

// Dispatches this thread's messages for about ms milliseconds.
void PumpMessages(DWORD ms);
// Dispatches messages until done() holds or timeoutMs passes; the last done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000);

// The rectangles of a region, as GetRegionData reports them.
std::vector<RECT> RegionRects(HRGN hRgn);
// The window's region rectangles; empty with hasRegion false when it has none.
std::vector<RECT> WindowRegionRects(HWND hWnd, bool* hasRegion = nullptr);
bool SameRegion(HRGN a, HRGN b);

// A bitmap compatible with the screen, row by row from the top, colours as COLORREF.
CBitmap MakeBitmap(int width, int height, const std::vector<COLORREF>& pixels);

// The last screen capture's pixel at screen point (x, y).
COLORREF ScreenPixel(int x, int y);

// A popup window that fills its background with kBackground and relays every message
// to its buttons first and its tooltips after, recording the buttons' notifications.
class RelayWnd : public CWnd {
public:
    static constexpr COLORREF kBackground = RGB(10, 90, 30);

    BOOL Create(int x, int y, int width, int height, UINT classStyle = 0);
    const CBitmap* background = nullptr;  // drawn instead of kBackground when set
    std::vector<SkinButton*> buttons;
    std::vector<ToolTipWindow*> tips;
    std::vector<std::pair<UINT, WPARAM>> notifications;  // message number, wParam

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void EraseBackground(HDC hDC);
};

// Posts a mouse message with client coordinates to the window and lets it be handled.
void SendMouse(CWnd& wnd, UINT message, int x, int y);
