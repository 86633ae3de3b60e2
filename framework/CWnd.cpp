#include "framework/CWnd.h"

#include "framework/CCriticalSection.h"
#include "framework/CWinApp.h"
#include "framework/TemporaryObjects.h"

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace {

CCriticalSection& HandleMapLock()
{
    static CProcessLock lock;
    return lock.Get();
}

// Never destroyed, like its lock: a window object destroyed during static destruction
// (a thread's temporary objects) still looks itself up.
std::map<HWND, CWnd*>& HandleMap()
{
    static CNeverDestroyed<std::map<HWND, CWnd*>> map;
    return map.Get();
}

// Per-thread state: the message being handled, the creation hook, temporary objects.
struct ThreadState {
    MSG currentMessage = {};
    CWnd* pWndInit = nullptr;
    HHOOK hHookOldCbtFilter = nullptr;
    std::map<HWND, std::unique_ptr<CWnd>> temporaries;
};

// Kept in a process-wide map rather than thread_local storage: a thread-exit destructor
// must not run in a library that was unloaded before the thread ended.
ThreadState& State()
{
    static CProcessLock lock;
    static std::map<DWORD, ThreadState> states;
    std::lock_guard<CCriticalSection> guard(lock.Get());
    return states[GetCurrentThreadId()];
}

}  // namespace

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

CWnd::~CWnd()
{
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
        HWND hWnd = m_hWnd;
        Detach();
        if (::IsWindow(hWnd))
            ::DestroyWindow(hWnd);
    }
}

BOOL CWnd::Attach(HWND hWndNew)
{
    if (!hWndNew || m_hWnd)
        return FALSE;
    std::lock_guard<CCriticalSection> guard(HandleMapLock());
    HandleMap()[hWndNew] = this;
    m_hWnd = hWndNew;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd) {
        std::lock_guard<CCriticalSection> guard(HandleMapLock());
        auto it = HandleMap().find(hWnd);
        if (it != HandleMap().end() && it->second == this)
            HandleMap().erase(it);
    }
    m_hWnd = nullptr;
    return hWnd;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    std::lock_guard<CCriticalSection> guard(HandleMapLock());
    auto it = HandleMap().find(hWnd);
    return it == HandleMap().end() ? nullptr : it->second;
}

void AfxDeleteTempWindows() { State().temporaries.clear(); }

size_t AfxTempWindowCount() { return State().temporaries.size(); }

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    if (CWnd* permanent = FromHandlePermanent(hWnd))
        return permanent;
    std::unique_ptr<CWnd>& temporary = State().temporaries[hWnd];
    if (!temporary)
        temporary.reset(new CWnd(hWnd));
    return temporary.get();
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    auto oldProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (!oldProc) {  // every window has a procedure: the system refused the change
        Detach();
        return FALSE;
    }
    if (oldProc != &AfxWndProc)
        m_pfnSuper = oldProc;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    HWND hWndControl = pParent ? ::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)) : nullptr;
    return hWndControl ? SubclassWindow(hWndControl) : FALSE;
}

// Called by user32: nothing may unwind into it. A window whose binding failed is created
// unbound, and CreateEx's caller finds its object without a handle.
LRESULT CALLBACK AfxCbtFilterHook(int code, WPARAM wParam, LPARAM lParam)
{
    HHOOK hHook = nullptr;
    try {
        ThreadState& state = State();
        hHook = state.hHookOldCbtFilter;
        if (code == HCBT_CREATEWND && state.pWndInit) {
            HWND hWnd = reinterpret_cast<HWND>(wParam);
            CWnd* pWnd = state.pWndInit;
            state.pWndInit = nullptr;
            pWnd->SubclassWindow(hWnd);
        }
    } catch (...) {
    }
    return CallNextHookEx(hHook, code, wParam, lParam);
}

void AfxHookWindowCreate(CWnd* pWnd)
{
    ThreadState& state = State();
    if (!state.hHookOldCbtFilter)
        state.hHookOldCbtFilter = SetWindowsHookExA(WH_CBT, &AfxCbtFilterHook, nullptr, GetCurrentThreadId());
    state.pWndInit = pWnd;
}

BOOL AfxUnhookWindowCreate()
{
    ThreadState& state = State();
    if (state.hHookOldCbtFilter) {
        UnhookWindowsHookEx(state.hHookOldCbtFilter);
        state.hHookOldCbtFilter = nullptr;
    }
    if (state.pWndInit) {
        state.pWndInit = nullptr;
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, int x,
                    int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam)
{
    if (m_hWnd)
        return FALSE;
    AfxHookWindowCreate(this);
    HWND hWnd = CreateWindowExA(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, nWidth, nHeight,
                                hWndParent, nIDorHMenu, AfxGetInstanceHandle(), lpParam);
    AfxUnhookWindowCreate();
    if (hWnd && !m_hWnd)
        ::DestroyWindow(hWnd);  // created but never bound: nothing would ever destroy it
    return m_hWnd != nullptr;
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

const AFX_MSGMAP* CWnd::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, nullptr}};
    static const AFX_MSGMAP messageMap = {nullptr, entries};
    return &messageMap;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pBaseMap) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->pfn || entry->pfnCmd; ++entry) {
            if (entry->nMessage != message)
                continue;
            if (entry->pfn) {
                *pResult = (this->*entry->pfn)(wParam, lParam);
                return TRUE;
            }
            if (LOWORD(wParam) == entry->nID && HIWORD(wParam) == entry->nCode) {
                (this->*entry->pfnCmd)();
                *pResult = 0;
                return TRUE;
            }
        }
    }
    return FALSE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const MSG& msg = State().currentMessage;
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    HWND insertAfter = pWndInsertAfter ? pWndInsertAfter->m_hWnd : nullptr;
    return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, nFlags);
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint)
{
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (!pWnd)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);

    MSG* pCurrent = nullptr;
    MSG previous = {};
    LRESULT result = 0;
    try {
        pCurrent = &State().currentMessage;
        previous = *pCurrent;
        *pCurrent = {hWnd, message, wParam, lParam, 0, {0, 0}};
        result = pWnd->WindowProc(message, wParam, lParam);
    } catch (...) {
        // nothing may unwind into user32
    }
    if (pCurrent)
        *pCurrent = previous;

    if (message == WM_NCDESTROY) {
        pWnd->Detach();
        pWnd->m_pfnSuper = nullptr;
        pWnd->PostNcDestroy();
    }
    return result;
}

namespace {

// Classes a library registers outlive it unless it unregisters them: a later load at
// another address would otherwise find its class pointing at unloaded code.
struct RegisteredClasses {
    ~RegisteredClasses()
    {
        for (const std::string& name : names)
            UnregisterClassA(name.c_str(), AfxGetInstanceHandle());
    }
    std::set<std::string> names;
};

}  // namespace

LPCSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    static CProcessLock lock;
    static RegisteredClasses classes;
    std::set<std::string>& registered = classes.names;
    HINSTANCE hInstance = AfxGetInstanceHandle();
    char name[128];
    wsprintfA(name, "Afx:%p:%x:%p:%p:%p", hInstance, nClassStyle, hCursor, hbrBackground, hIcon);

    std::lock_guard<CCriticalSection> guard(lock.Get());
    auto it = registered.find(name);
    if (it != registered.end())
        return it->c_str();
    WNDCLASSA wc = {};
    wc.style = nClassStyle;
    wc.lpfnWndProc = &AfxWndProc;
    wc.hInstance = hInstance;
    wc.hCursor = hCursor;
    wc.hbrBackground = hbrBackground;
    wc.hIcon = hIcon;
    wc.lpszClassName = name;
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    return registered.insert(name).first->c_str();
}
