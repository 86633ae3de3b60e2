#include "config/ConfigDialog.h"

#include "framework/CDataExchange.h"
#include "res/resource.h"

#include <commctrl.h>

namespace {

constexpr int kAdvancedHeight = 100;  // pixels that the display-driver group takes

struct ModeTip {
    int nID;
    const char* text;
};

const ModeTip kModeTips[] = {
    {IDC_RENDER_AUTO, "由系统自动在以下显示模式中选择适合您机器的显示模式，但是如果您在游戏中发现兼容性错误，"
                      "FPS过低，鼠标迟滞，操作困难等现象，请自行尝试其他显示模式。"},
    {IDC_RENDER_DIRECT3D, "显示速度快，图像速度与您的显卡性能相关，需要DirectX6.0以上支持，DirectX8.0以上效果"
                          "较好。少数机器使用该图像模式会出现红屏蓝屏，鼠标迟滞，操作困难的问题，请玩家注意。"},
    {IDC_RENDER_OPENGL, "显示速度较快，图像速度与您的显卡性能相关，但少数机器可能会存在兼容性的问题。同时使用该"
                        "模式请注意关闭前置窗口，以免出现画面闪动。"},
    {IDC_RENDER_SOFTWARE, "适用于大多数电脑，兼容性好，图像速度与您计算机的CPU性能相关。如果您的CPU性能较好，推荐"
                          "您使用该显示模式。"},
};

}  // namespace

BEGIN_MESSAGE_MAP(ConfigDialog, CDialog)
    ON_BN_CLICKED(IDC_ADVANCED, OnAdvanced)
END_MESSAGE_MAP()

// m_nOpenCount has no value of its own: the caller sets it.
ConfigDialog::ConfigDialog(CWnd* pParent) : CDialog(IDD_CONFIG, pParent), m_nOpenCount(0) {}

ConfigDialog::~ConfigDialog() = default;

void ConfigDialog::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_DONTSHOW, m_btnDontShow);
    DDX_Check(pDX, IDC_FULLSCREEN, m_bFullScreen);
    DDX_Check(pDX, IDC_DONTSHOW, m_bDontShowAgain);
    DDX_Radio(pDX, IDC_RENDER_AUTO, m_nRenderMode);
}

BOOL ConfigDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_nOpenCount < 2)
        m_btnDontShow.EnableWindow(FALSE);
    m_bAdvanced = 0;
    ShowAdvanced(FALSE);

    m_toolTip.Create(this, 0);
    m_toolTip.SendMessage(TTM_SETDELAYTIME, TTDT_INITIAL, 200);
    m_toolTip.SendMessage(TTM_SETDELAYTIME, TTDT_AUTOPOP, 10000);
    m_toolTip.AddTool(GetDlgItem(kModeTips[0].nID), kModeTips[0].text);
    m_toolTip.SendMessage(TTM_SETMAXTIPWIDTH, 0, 400);  // long texts wrap
    for (size_t i = 1; i < sizeof kModeTips / sizeof kModeTips[0]; ++i)
        m_toolTip.AddTool(GetDlgItem(kModeTips[i].nID), kModeTips[i].text);
    return TRUE;
}

void ConfigDialog::OnCancel() {}

void ConfigDialog::OnAdvanced()
{
    m_bAdvanced = !m_bAdvanced;
    ShowAdvanced(m_bAdvanced);
}

void ConfigDialog::ShowAdvanced(BOOL bShow)
{
    RECT rect;
    GetWindowRect(&rect);
    rect.bottom += bShow ? kAdvancedHeight : -kAdvancedHeight;
    MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    ::SetDlgItemTextA(m_hWnd, IDC_ADVANCED, bShow ? "高级 <<" : "高级 >>");
}

BOOL ConfigDialog::PreTranslateMessage(MSG* pMsg)
{
    if (m_toolTip.m_hWnd)
        m_toolTip.RelayEvent(pMsg);
    return CDialog::PreTranslateMessage(pMsg);
}
