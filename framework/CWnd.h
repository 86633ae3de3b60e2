// The framework's window object: a C++ object bound to a window handle through a
// process-wide handle map, with one window procedure that dispatches to it. Its fields
// have the layout framework-built modules read: the handle at seven pointers (0x1C).
#pragma once

#include "framework/CCmdTarget.h"

#include <windows.h>

class CWnd;

// A message handler: receives wParam and lParam, returns the message's result.
using AFX_PMSG = LRESULT (CWnd::*)(WPARAM, LPARAM);
// A command handler: one WM_COMMAND notification code from one control ID.
using AFX_PCMD = void (CWnd::*)();

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    AFX_PMSG pfn;
    UINT nCode = 0;  // command rows only
    UINT nID = 0;
    AFX_PCMD pfnCmd = nullptr;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* pBaseMap;
    const AFX_MSGMAP_ENTRY* lpEntries;  // ends with an entry whose pfn is null
};

// A class with handlers declares DECLARE_MESSAGE_MAP() and lists them in its source,
// one row per message; a handler has the shape LRESULT OnX(WPARAM, LPARAM). Command
// rows take a handler void OnX() for one notification code of one control ID:
//   BEGIN_MESSAGE_MAP(ToolTipWindow, CWnd)
//       ON_MESSAGE(WM_TIMER, OnTimer)
//       ON_BN_CLICKED(IDC_MORE, OnMore)
//   END_MESSAGE_MAP()
#define DECLARE_MESSAGE_MAP()                        \
protected:                                           \
    static const AFX_MSGMAP* GetThisMessageMap();    \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                \
    {                                                                              \
        using ThisClass = theClass;                                                \
        using TheBaseClass = baseClass;                                            \
        static const AFX_MSGMAP_ENTRY entries[] = {
#define ON_MESSAGE(message, memberFn) {message, static_cast<AFX_PMSG>(&ThisClass::memberFn)},
#define ON_CONTROL(code, id, memberFn) \
    {WM_COMMAND, nullptr, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<AFX_PCMD>(&ThisClass::memberFn)},
#define ON_COMMAND(id, memberFn) ON_CONTROL(0, id, memberFn)
#define ON_BN_CLICKED(id, memberFn) ON_CONTROL(BN_CLICKED, id, memberFn)
#define END_MESSAGE_MAP()                                                          \
        {0, nullptr}};                                                             \
        static const AFX_MSGMAP messageMap = {TheBaseClass::GetThisMessageMap(), entries}; \
        return &messageMap;                                                        \
    }

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Binding to handles.
    BOOL Attach(HWND hWndNew);
    HWND Detach();
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    static CWnd* FromHandlePermanent(HWND hWnd);
    // The attached object, or a temporary one kept for the thread.
    static CWnd* FromHandle(HWND hWnd);
    // Binds the object to an existing window and routes its messages through AfxWndProc;
    // the window's own procedure stays the default processing.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);

    // Creation and destruction. The object is bound before the first message arrives.
    virtual BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                          int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                          LPVOID lpParam = nullptr);
    virtual BOOL DestroyWindow();

    // Message handling.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // The default processing of the message being handled.
    LRESULT Default();

    // Window operations.
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    void SetWindowText(LPCSTR lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    CWnd* GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr)
    {
        return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
    }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
    CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }

    // Insert-after values for SetWindowPos.
    static const CWnd wndTop;
    static const CWnd wndTopMost;
    static const CWnd wndNoTopMost;

    // In this order right after the command target's fields.
    HWND m_hWnd = nullptr;
    HWND m_hWndOwner = nullptr;    // the window a modal dialog disables while it runs
    UINT m_nFlags = 0;             // no state flags are kept yet
    WNDPROC m_pfnSuper = nullptr;  // the class's own procedure when the window was subclassed
    int m_nModalResult = -1;       // what a modal dialog ends with

protected:
    // Looks the message up in the class's message map chain.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window is gone (WM_NCDESTROY); objects that delete themselves do it here.
    virtual void PostNcDestroy() {}

private:
    explicit CWnd(HWND hWndSpecial) : m_hWnd(hWndSpecial) {}
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK AfxCbtFilterHook(int, WPARAM, LPARAM);
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(CWnd, m_hWnd) == 7 * sizeof(void*), "window object layout");
static_assert(offsetof(CWnd, m_hWndOwner) == 8 * sizeof(void*), "window object layout");
static_assert(offsetof(CWnd, m_nFlags) == 9 * sizeof(void*), "window object layout");
static_assert(offsetof(CWnd, m_pfnSuper) == 10 * sizeof(void*), "window object layout");
static_assert(offsetof(CWnd, m_nModalResult) == 11 * sizeof(void*), "window object layout");
static_assert(sizeof(void*) != 4 || offsetof(CWnd, m_hWnd) == 0x1C, "32-bit window object layout");
#pragma GCC diagnostic pop

// The window procedure of every window the framework creates or subclasses.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// Binds pWnd to the next window this thread creates, before its first message; used
// around CreateWindowEx and the dialog creation calls.
void AfxHookWindowCreate(CWnd* pWnd);
// Ends the binding; false when no window was created in between.
BOOL AfxUnhookWindowCreate();

// Registers (once) a window class that uses AfxWndProc and returns its name.
LPCSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                           HICON hIcon = nullptr);
