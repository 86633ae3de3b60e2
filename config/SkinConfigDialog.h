// The skinned configuration window that start-up shows: the host's background bitmap
// cut to shape, seven skin buttons and four bitmap tips, topmost over the screen's
// centre. It ends through its own OK button, or with Enter when that button cannot be
// reached: outside the background, cut away by its shape, or off the screen.
#pragma once

#include "framework/CDialog.h"
#include "skin/WindowClickPoint.h"

#include <memory>
#include <vector>

class CBitmap;
class SkinButton;
class ToolTipWindow;

class SkinConfigDialog : public CDialog {
public:
    // The buttons' IDs, which are also the numbers of the messages they post.
    enum : UINT {
        IDC_SKIN_OK = WM_USER + 1,
        IDC_SKIN_FULLSCREEN,
        IDC_SKIN_DONTSHOW,
        IDC_SKIN_AUTO,  // the radio buttons: ID - IDC_SKIN_AUTO is the render mode
        IDC_SKIN_DIRECT3D,
        IDC_SKIN_OPENGL,
        IDC_SKIN_SOFTWARE,
    };
    static constexpr UINT kBackgroundBitmapId = 2010;

    // The window a background of the given size makes on a screen of the given size:
    // its place and size, every button's and tip's rectangle, and the OK button's.
    static ClickPlacement PlacementFor(int nWidth, int nHeight, int cxScreen, int cyScreen);
    static std::vector<ClickRect> ControlRects();
    static ClickRect OkButtonRect();

    explicit SkinConfigDialog(CWnd* pParent = nullptr);
    ~SkinConfigDialog() override;

    void SetRenderMode(int nRenderMode) { m_nRenderMode = nRenderMode; }
    void SetFullScreen(BOOL bFullScreen) { m_bFullScreen = bFullScreen; }
    void SetDontShowAgain(BOOL bDontShowAgain) { m_bDontShowAgain = bDontShowAgain; }
    void SetAllowDontShow(BOOL bAllowDontShow) { m_bAllowDontShow = bAllowDontShow; }
    // The checked radio button's mode, -1 for none; read after DoModal, before destruction.
    int GetRenderMode() const;
    BOOL GetFullScreen() const { return m_bFullScreen; }
    BOOL GetDontShowAgain() const { return m_bDontShowAgain; }

protected:
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
    LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnCancelMode(WPARAM wParam, LPARAM lParam);
    LRESULT OnOkButton(WPARAM wParam, LPARAM lParam);
    LRESULT OnFullScreenBox(WPARAM bChecked, LPARAM lParam);
    LRESULT OnDontShowBox(WPARAM bChecked, LPARAM lParam);
    template <UINT nId>
    LRESULT OnRadioChecked(WPARAM wParam, LPARAM lParam);

    std::vector<std::unique_ptr<SkinButton>> m_buttons;
    std::vector<std::unique_ptr<ToolTipWindow>> m_toolTips;
    BOOL m_bFullScreen = 0;
    BOOL m_bDontShowAgain = 0;
    BOOL m_bAllowDontShow = 0;  // the creator sets it before DoModal
    int m_nRenderMode = -1;
    UINT m_nBkBitmapId = kBackgroundBitmapId;
    SkinButton* m_pFullScreenButton = nullptr;
    SkinButton* m_pDontShowButton = nullptr;

    // Set by the first erase of the first window: the region is built once per process.
    static BOOL s_bRegionBuilt;

    DECLARE_MESSAGE_MAP()

private:
    void CreateSkinButtons();
    void CreateToolTips();
    // Brings the window forward with a click at a screen point of its own.
    void ClickToForeground(int x, int y);
    // The forward click's screen point; also decides whether the OK button can be reached.
    POINT ExamineShape(const CBitmap* pBackground);
    void RelayToButtons(UINT message, WPARAM wParam, LPARAM lParam);
    void RelayToToolTips(UINT message, WPARAM wParam, LPARAM lParam);
    void ShowRenderMode(int nMode);
    void SelectRadio(UINT nFirstId, UINT nLastId, UINT nSelectedId);
    SkinButton* FindCheckedRadio(UINT nFirstId, UINT nLastId, int* pIndex) const;

    bool m_bOkReachable = false;  // the OK button lies on the window's shape and on the screen
    bool m_bRelayingToTips = false;  // a tip hiding releases the capture it shares with the buttons
};
