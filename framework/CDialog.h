// The framework's dialog: a window built from a dialog template of the plug-in's
// resources, run modally in a loop of its own that offers every message to
// PreTranslateMessage before the dialog manager and dispatch see it.
#pragma once

#include "framework/CWnd.h"

class CDataExchange;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Creates the window, runs the modal loop until EndDialog, destroys the window.
    // The result given to EndDialog, or -1 when the window could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);
    // Moves data from the members to the controls (FALSE) or back (TRUE).
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    // Runs on WM_INITDIALOG: fills the controls; TRUE lets the system set the focus.
    virtual BOOL OnInitDialog();

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // IDOK, Enter: takes the controls' data and ends with IDOK.
    virtual void OnOK();
    // IDCANCEL, Escape, close requests: ends with IDCANCEL.
    virtual void OnCancel();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()

private:
    BOOL CreateFromTemplate(HWND hWndOwner);
    void RunModalLoop();
    BOOL WalkPreTranslateTree(MSG* pMsg);

    bool m_bContinueModal = false;

    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
};

// The dialog procedure of framework dialogs: WM_INITDIALOG reaches OnInitDialog; all
// other messages go through the dialog's message map before the dialog manager.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
