#include "framework/CDialog.h"

#include "framework/CDataExchange.h"
#include "framework/CWinApp.h"
#include "framework/TemporaryObjects.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() = default;

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    auto* pDlg = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(hWnd));
    if (!pDlg)
        return TRUE;
    try {
        return pDlg->OnInitDialog();
    } catch (...) {
        // Nothing may unwind into user32. A dialog left half made (without the button
        // that closes it, say) is not shown: it ends as one that could not be created.
        pDlg->EndDialog(-1);
        return TRUE;
    }
}

BOOL CDialog::CreateFromTemplate(HWND hWndOwner)
{
    LPCSTR name = MAKEINTRESOURCEA(m_nIDTemplate);
    HINSTANCE hInst = AfxFindResourceHandle(name, RT_DIALOG);
    HRSRC hResource = FindResourceA(hInst, name, RT_DIALOG);
    HGLOBAL hTemplate = hResource ? LoadResource(hInst, hResource) : nullptr;
    auto* pTemplate = hTemplate ? static_cast<LPCDLGTEMPLATEA>(LockResource(hTemplate)) : nullptr;
    if (!pTemplate)
        return FALSE;
    AfxHookWindowCreate(this);
    HWND hWnd = CreateDialogIndirectParamA(hInst, pTemplate, hWndOwner, &AfxDlgProc, 0);
    AfxUnhookWindowCreate();
    if (hWnd && !m_hWnd)
        ::DestroyWindow(hWnd);  // created but never bound: not ours to run
    return m_hWnd != nullptr;
}

INT_PTR CDialog::DoModal()
{
    m_hWndOwner = m_pParentWnd ? ::GetAncestor(m_pParentWnd->m_hWnd, GA_ROOT) : nullptr;
    const bool disableOwner = m_hWndOwner && ::IsWindowEnabled(m_hWndOwner);
    if (disableOwner)
        ::EnableWindow(m_hWndOwner, FALSE);

    m_nModalResult = -1;
    m_bContinueModal = true;
    if (CreateFromTemplate(m_hWndOwner))
        RunModalLoop();
    m_bContinueModal = false;

    if (disableOwner)
        ::EnableWindow(m_hWndOwner, TRUE);  // before the dialog goes, so the owner gets the activation
    if (m_hWnd) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        DestroyWindow();
    }
    return m_nModalResult;
}

void CDialog::RunModalLoop()
{
    bool shown = (GetStyle() & WS_VISIBLE) != 0;
    MSG msg;
    while (m_bContinueModal && ::IsWindow(m_hWnd)) {
        if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            AfxPurgeTemporaries();  // the handlers this loop dispatched have all returned
            if (!shown) {
                ShowWindow(SW_SHOWNORMAL);  // on the first idle moment, like every modal dialog
                UpdateWindow();
                shown = true;
                continue;
            }
        }
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop must see it too
            return;
        }
        if (got == -1)
            return;
        if (!WalkPreTranslateTree(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

// Offers the message to the framework objects of its window and the window's parents,
// innermost first, and to this dialog in any case.
BOOL CDialog::WalkPreTranslateTree(MSG* pMsg)
{
    for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd)) {
        CWnd* pWnd = FromHandlePermanent(hWnd);
        if (pWnd && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (hWnd == m_hWnd)
            return FALSE;
        if (!(::GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD))
            break;
    }
    return PreTranslateMessage(pMsg);
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    if (m_bContinueModal) {
        m_bContinueModal = false;
        PostMessage(WM_NULL);  // wakes the modal loop
    }
    if (m_hWnd)
        ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    const UINT message = pMsg->message;
    const bool input = (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
                       (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
    if (!input || !m_hWnd)
        return FALSE;
    if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd))
        return FALSE;
    return ::IsDialogMessageA(m_hWnd, pMsg);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }
