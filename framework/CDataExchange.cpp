#include "framework/CDataExchange.h"

namespace {

HWND DlgItem(CDataExchange* pDX, int nIDC) { return ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC); }

bool IsRadioButton(HWND hWnd)
{
    return (::SendMessageA(hWnd, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
}

}  // namespace

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (!rControl.m_hWnd)
        rControl.SubclassDlgItem(static_cast<UINT>(nIDC), pDX->m_pDlgWnd);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hWnd = DlgItem(pDX, nIDC);
    if (!hWnd)
        return;
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<int>(::SendMessageA(hWnd, BM_GETCHECK, 0, 0));
        return;
    }
    if (value < 0 || value > 2)
        value = 0;  // not a check state: shown, and kept, as unchecked
    ::SendMessageA(hWnd, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hWnd = DlgItem(pDX, nIDC);
    if (pDX->m_bSaveAndValidate)
        value = -1;
    int index = 0;
    for (HWND hWndFirst = hWnd; hWnd; hWnd = ::GetWindow(hWnd, GW_HWNDNEXT)) {
        if (hWnd != hWndFirst && (::GetWindowLongA(hWnd, GWL_STYLE) & WS_GROUP))
            break;  // the next group starts
        if (!IsRadioButton(hWnd))
            continue;
        if (!pDX->m_bSaveAndValidate)
            ::SendMessageA(hWnd, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        else if (::SendMessageA(hWnd, BM_GETCHECK, 0, 0) == BST_CHECKED)
            value = index;
        ++index;
    }
}
