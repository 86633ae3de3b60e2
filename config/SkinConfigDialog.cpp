#include "config/SkinConfigDialog.h"

#include "framework/CDC.h"
#include "res/resource.h"
#include "skin/ColorKeyRegion.h"
#include "skin/SkinButton.h"
#include "skin/ToolTipWindow.h"
#include "skin/WindowClickPoint.h"

namespace {

struct ButtonRow {
    UINT nId;
    int x, y, nWidth, nHeight;
    BYTE nKind;
    COLORREF crTransparent;
    UINT nNormal, nHover, nDown, nDisabled;
};

const ButtonRow kButtons[] = {
#define SKIN_BUTTON(name, ...) {SkinConfigDialog::IDC_SKIN_##name, __VA_ARGS__},
#include "config/SkinButtons.inc"
#undef SKIN_BUTTON
};

struct TipRow {
    int x, y, nWidth, nHeight;
    UINT nImageId;
};

const TipRow kTips[] = {
#define SKIN_TIP(...) {__VA_ARGS__},
#include "config/SkinTips.inc"
#undef SKIN_TIP
};

// The radio range's last ID, inclusive. No button has it: mode 4 selects it and so
// unchecks all four radios, as mode -1 (the ID just below the range) does.
constexpr UINT kRadioLastId = SkinConfigDialog::IDC_SKIN_AUTO + 4;
constexpr BYTE kToolTipAlpha = 220;
constexpr UINT kToolTipDelayMs = 500;

ClickRect RectOf(const ButtonRow& b) { return {b.x, b.y, b.x + b.nWidth, b.y + b.nHeight}; }

}  // namespace

ClickPlacement SkinConfigDialog::PlacementFor(int nWidth, int nHeight, int cxScreen, int cyScreen)
{
    return {(cxScreen - nWidth) / 2, (cyScreen - nHeight) / 2 - 80, nWidth, nHeight, cxScreen, cyScreen};
}

// Every button and every tip's hot rectangle: what the forward click must not touch.
std::vector<ClickRect> SkinConfigDialog::ControlRects()
{
    std::vector<ClickRect> rects;
    for (const ButtonRow& b : kButtons)
        rects.push_back(RectOf(b));
    for (const TipRow& t : kTips)
        rects.push_back({t.x, t.y, t.x + t.nWidth, t.y + t.nHeight});
    return rects;
}

ClickRect SkinConfigDialog::OkButtonRect() { return RectOf(kButtons[0]); }  // the table's first row

BOOL SkinConfigDialog::s_bRegionBuilt = FALSE;

BEGIN_MESSAGE_MAP(SkinConfigDialog, CDialog)
    ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgnd)
    ON_MESSAGE(WM_DESTROY, OnDestroy)
    ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
    ON_MESSAGE(WM_CANCELMODE, OnCancelMode)
    ON_MESSAGE(IDC_SKIN_OK, OnOkButton)
    ON_MESSAGE(IDC_SKIN_FULLSCREEN, OnFullScreenBox)
    ON_MESSAGE(IDC_SKIN_DONTSHOW, OnDontShowBox)
    ON_MESSAGE(IDC_SKIN_AUTO, OnRadioChecked<IDC_SKIN_AUTO>)
    ON_MESSAGE(IDC_SKIN_DIRECT3D, OnRadioChecked<IDC_SKIN_DIRECT3D>)
    ON_MESSAGE(IDC_SKIN_OPENGL, OnRadioChecked<IDC_SKIN_OPENGL>)
    ON_MESSAGE(IDC_SKIN_SOFTWARE, OnRadioChecked<IDC_SKIN_SOFTWARE>)
END_MESSAGE_MAP()

SkinConfigDialog::SkinConfigDialog(CWnd* pParent) : CDialog(IDD_SKIN_CONFIG, pParent) {}

SkinConfigDialog::~SkinConfigDialog() = default;

void SkinConfigDialog::OnOK()
{
    // Without a background, or with one that leaves the OK button outside it, cut away
    // or off the screen, the player could never end the window: Enter confirms then.
    if (!m_bOkReachable)
        EndDialog(IDOK);
}

void SkinConfigDialog::OnCancel() {}

// The buttons' notifications: each posts the message numbered by its ID. They still get
// the default processing, as every message does: to the dialog manager the first two
// numbers are also DM_SETDEFID and DM_REPOSITION.
LRESULT SkinConfigDialog::OnOkButton(WPARAM, LPARAM)
{
    EndDialog(IDOK);
    return Default();
}

LRESULT SkinConfigDialog::OnFullScreenBox(WPARAM bChecked, LPARAM)
{
    m_bFullScreen = bChecked ? 1 : 0;
    return Default();
}

LRESULT SkinConfigDialog::OnDontShowBox(WPARAM bChecked, LPARAM)
{
    m_bDontShowAgain = bChecked ? 1 : 0;
    return Default();
}

template <UINT nId>
LRESULT SkinConfigDialog::OnRadioChecked(WPARAM, LPARAM)
{
    SelectRadio(IDC_SKIN_AUTO, kRadioLastId, nId);  // the other radios go unchecked
    return Default();
}

BOOL SkinConfigDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    CBitmap background;
    BITMAP info = {};
    const bool bHasBackground = LoadSkinBitmap(background, m_nBkBitmapId) && background.GetBitmap(&info);
    if (bHasBackground) {
        const ClickPlacement place = PlacementFor(info.bmWidth, info.bmHeight, GetSystemMetrics(SM_CXSCREEN),
                                                  GetSystemMetrics(SM_CYSCREEN));
        SetWindowPos(&wndTopMost, place.windowLeft, place.windowTop, place.width, place.height, 0);
    } else {
        SetWindowPos(&wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);  // the template's size and place
    }
    const POINT click = ExamineShape(bHasBackground ? &background : nullptr);
    ClickToForeground(click.x, click.y);
    CreateSkinButtons();
    CreateToolTips();
    m_pFullScreenButton->SetChecked(m_bFullScreen);
    if (m_bAllowDontShow)
        m_pDontShowButton->SetChecked(m_bDontShowAgain);
    else
        m_pDontShowButton->SetEnabled(FALSE);
    ShowRenderMode(m_nRenderMode);
    Invalidate();  // the face was shown before the buttons existed
    return TRUE;
}

// A screen point on the window, inside the background's shape and on no button or tip,
// whatever the screen's size; the window's middle when no pixel qualifies.
POINT SkinConfigDialog::ExamineShape(const CBitmap* pBackground)
{
    RECT rect;
    GetWindowRect(&rect);
    const ClickPlacement placement = {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                                      GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    CDC memDC;
    memDC.CreateCompatibleDC(nullptr);
    CSelectObject select(memDC, pBackground ? pBackground->GetSafeHandle() : nullptr);
    const COLORREF key = pBackground ? memDC.GetPixel(0, 0) & 0xFFFFFF : 0;
    // Made once for both searches: it allocates.
    const std::function<bool(int, int)> isShaped = [&](int x, int y) {
        return !pBackground || (memDC.GetPixel(x, y) & 0xFFFFFF) != key;
    };
    m_bOkReachable = pBackground && IsRectReachable(placement, OkButtonRect(), isShaped);
    int x = placement.width / 2;
    int y = placement.height / 2;
    FindClickPoint(placement, ControlRects(), isShaped, &x, &y);
    return {rect.left + x, rect.top + y};
}

void SkinConfigDialog::ClickToForeground(int x, int y)
{
    // A hidden window lets the click through to whatever lies below: show it first.
    ShowWindow(SW_SHOWNORMAL);
    SetForegroundWindow();
    SetCursorPos(x, y);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

void SkinConfigDialog::CreateSkinButtons()
{
    for (const ButtonRow& row : kButtons) {
        auto button = std::make_unique<SkinButton>();
        button->Init(this, row.x, row.y, row.nWidth, row.nHeight, row.nKind, row.nId);
        button->SetTransparentColor(row.crTransparent);
        button->SetBitmaps(row.nNormal, row.nHover, row.nDown, row.nDisabled);
        if (row.nId == IDC_SKIN_FULLSCREEN)
            m_pFullScreenButton = button.get();
        else if (row.nId == IDC_SKIN_DONTSHOW)
            m_pDontShowButton = button.get();
        m_buttons.push_back(std::move(button));
    }
}

void SkinConfigDialog::CreateToolTips()
{
    for (const TipRow& row : kTips) {
        auto tip = std::make_unique<ToolTipWindow>();
        tip->Create(this, row.x, row.y, row.nWidth, row.nHeight, row.nImageId);
        tip->SetAlpha(kToolTipAlpha);
        tip->SetShowDelay(kToolTipDelayMs);
        m_toolTips.push_back(std::move(tip));
    }
}

void SkinConfigDialog::RelayToButtons(UINT message, WPARAM wParam, LPARAM lParam)
{
    for (const auto& button : m_buttons)
        button->HandleMessage(message, wParam, lParam);
}

void SkinConfigDialog::RelayToToolTips(UINT message, WPARAM wParam, LPARAM lParam)
{
    m_bRelayingToTips = true;
    for (const auto& tip : m_toolTips)
        tip->HandleOwnerMessage(message, wParam, lParam);
    m_bRelayingToTips = false;
    // A showing tip holds this window's capture and releases it when it hides: a press
    // still tracked needs it back for its release.
    for (const auto& button : m_buttons)
        if (button->IsTracking() && ::GetCapture() != m_hWnd)
            SetCapture();
}

// Modes 0 to 3 check their radio; -1 and 4 name the IDs just outside the four radios
// and uncheck them all; any other mode leaves the radios as they are.
void SkinConfigDialog::ShowRenderMode(int nMode)
{
    if (nMode < -1 || nMode > 4)
        return;
    SelectRadio(IDC_SKIN_AUTO, kRadioLastId, static_cast<UINT>(static_cast<int>(IDC_SKIN_AUTO) + nMode));
}

void SkinConfigDialog::SelectRadio(UINT nFirstId, UINT nLastId, UINT nSelectedId)
{
    if (nSelectedId < nFirstId - 1 || nSelectedId > nLastId)
        return;
    for (const auto& button : m_buttons) {
        const UINT nId = button->GetId();
        if (nId >= nFirstId && nId <= nLastId)
            button->SetChecked(nId == nSelectedId);
    }
}

SkinButton* SkinConfigDialog::FindCheckedRadio(UINT nFirstId, UINT nLastId, int* pIndex) const
{
    for (const auto& button : m_buttons) {
        const UINT nId = button->GetId();
        if (nId >= nFirstId && nId <= nLastId && button->IsChecked()) {
            *pIndex = static_cast<int>(nId - nFirstId);
            return button.get();
        }
    }
    *pIndex = -1;
    return nullptr;
}

int SkinConfigDialog::GetRenderMode() const
{
    int index = -1;
    FindCheckedRadio(IDC_SKIN_AUTO, kRadioLastId, &index);
    return index;
}

BOOL SkinConfigDialog::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->hwnd == m_hWnd) {
        if (pMsg->message != WM_ERASEBKGND)
            RelayToButtons(pMsg->message, pMsg->wParam, pMsg->lParam);
        RelayToToolTips(pMsg->message, pMsg->wParam, pMsg->lParam);
    }
    return CDialog::PreTranslateMessage(pMsg);
}

LRESULT SkinConfigDialog::OnEraseBkgnd(WPARAM wParam, LPARAM)
{
    CDC* pDC = CDC::FromHandle(reinterpret_cast<HDC>(wParam));
    if (!s_bRegionBuilt) {
        ApplyColorKeyRegionFromResource(this, pDC, m_nBkBitmapId);
        s_bRegionBuilt = TRUE;
    }
    RECT rect;
    GetWindowRect(&rect);
    CBitmap background;
    if (LoadSkinBitmap(background, m_nBkBitmapId)) {
        CDC memDC;
        memDC.CreateCompatibleDC(pDC);
        CSelectObject select(memDC, background.GetSafeHandle());
        pDC->BitBlt(0, 0, rect.right - rect.left, rect.bottom - rect.top, &memDC, 0, 0, SRCCOPY);
    } else {
        RECT client;
        GetClientRect(&client);
        FillRect(pDC->GetSafeHdc(), &client, GetSysColorBrush(COLOR_3DFACE));  // no face to draw
    }
    RelayToButtons(WM_ERASEBKGND, 0, 0);
    return TRUE;
}

// Sent, not posted: the message map relays them. A capture lost to a tip of this window
// is no loss: the relay takes it back.
LRESULT SkinConfigDialog::OnCaptureChanged(WPARAM wParam, LPARAM lParam)
{
    if (!m_bRelayingToTips)
        RelayToButtons(WM_CAPTURECHANGED, wParam, lParam);
    return Default();
}

LRESULT SkinConfigDialog::OnCancelMode(WPARAM wParam, LPARAM lParam)
{
    RelayToButtons(WM_CANCELMODE, wParam, lParam);
    return Default();
}

LRESULT SkinConfigDialog::OnDestroy(WPARAM, LPARAM)
{
    const LRESULT result = Default();
    RelayToToolTips(WM_DESTROY, 0, 0);
    // The tips hold this window as their owner: they go with it. The buttons stay until
    // the object goes, since GetRenderMode reads them after DoModal.
    m_toolTips.clear();
    return result;
}
