// Dialog data exchange: moves values between a dialog's members and its controls, in
// the direction UpdateData asks for.
#pragma once

#include "framework/CWnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
    {
    }

    BOOL m_bSaveAndValidate;  // TRUE: controls to members
    CWnd* m_pDlgWnd;
};

// Binds rControl to the dialog's control nIDC the first time; nothing afterwards.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// A check box's state (0 unchecked, 1 checked, 2 indeterminate).
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// The index of the checked radio button in the group that starts at nIDC, -1 for none.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
