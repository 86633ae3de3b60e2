// A popup window that plays the skinned window's part for the toolkit's tests: it
// relays its messages to skin buttons and tooltips the way the configuration window does.
#pragma once

#include "framework/CGdiObject.h"
#include "framework/CWnd.h"

#include <windows.h>

#include <utility>
#include <vector>

class SkinButton;
class ToolTipWindow;

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
