// The framework's tooltip control over the common controls' tooltip window: tools are
// controls of the parent, and the parent relays their mouse messages to it.
#pragma once

#include "framework/CWnd.h"

class CToolTipCtrl : public CWnd {
public:
    // A popup tooltip window owned by pParentWnd; dwStyle adds TTS_ styles.
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
    // Adds a tool: with nIDTool 0 the tool is the window pWnd itself, identified by its
    // handle under its parent; otherwise the rectangle lpRectTool of pWnd.
    BOOL AddTool(CWnd* pWnd, LPCSTR lpszText, LPCRECT lpRectTool = nullptr, UINT_PTR nIDTool = 0);
    void RelayEvent(LPMSG lpMsg);
};
