// The plain configuration dialog: full screen, don't show again, and the display mode
// in an advanced part that the dialog opens cut off. The caller sets the members, runs
// DoModal and reads them back on IDOK.
#pragma once

#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CToolTipCtrl.h"

class ConfigDialog : public CDialog {
public:
    explicit ConfigDialog(CWnd* pParent = nullptr);
    ~ConfigDialog() override;

    CButton m_btnDontShow;
    BOOL m_bFullScreen = 0;
    BOOL m_bDontShowAgain = 0;
    int m_nOpenCount;  // set by the caller before DoModal: below 2 the box is disabled
    int m_nRenderMode = -1;
    BOOL m_bAdvanced = 0;
    CToolTipCtrl m_toolTip;

    // Grows (TRUE) or shrinks the dialog by the advanced part, from its current height.
    void ShowAdvanced(BOOL bShow);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;  // there is no cancel: the dialog ends only with OK
    void OnAdvanced();

    DECLARE_MESSAGE_MAP()
};
