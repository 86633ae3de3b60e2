// The dialog templates of ZRKTempDll.dll as the dialog manager makes windows of them: the
// Chinese templates are found in the DLL; the plain dialog's caption and controls behave
// as its choices need; the skinned window is a bare popup the bitmap alone shapes.
#include "res/resource.h"
#include "tests/wine/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A hidden dialog made from one of ZRKTempDll.dll's templates in Chinese (language 2052).
class PluginDialog {
public:
    explicit PluginDialog(int id)
        : m_module(LoadLibraryExA((BinDir() + "\\ZRKTempDll.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE))
    {
        HRSRC res = m_module ? FindResourceExA(m_module, RT_DIALOG, MAKEINTRESOURCEA(id),
                                               MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED))
                             : nullptr;
        auto* pTemplate = res ? static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(m_module, res))) : nullptr;
        if (pTemplate)
            m_hWnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), pTemplate, nullptr, &Proc, 0);
    }
    ~PluginDialog()
    {
        if (m_hWnd)
            DestroyWindow(m_hWnd);
        if (m_module)
            FreeLibrary(m_module);
    }
    PluginDialog(const PluginDialog&) = delete;
    PluginDialog& operator=(const PluginDialog&) = delete;

    HWND m_hWnd = nullptr;

private:
    static INT_PTR CALLBACK Proc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

    HMODULE m_module;
};

std::wstring Text(HWND hWnd)
{
    wchar_t text[128] = {};
    GetWindowTextW(hWnd, text, 128);
    return text;
}

BOOL CALLBACK CountChild(HWND, LPARAM counter)
{
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

int CountChildren(HWND hWnd)
{
    int count = 0;
    EnumChildWindows(hWnd, &CountChild, reinterpret_cast<LPARAM>(&count));
    return count;
}

bool Checked(HWND hDlg, int id) { return IsDlgButtonChecked(hDlg, id) == BST_CHECKED; }

enum class Kind { Check, Push, DefaultPush, Group, Radio };

struct ControlRow {
    int id;
    const wchar_t* text;
    Kind kind;
};

const ControlRow kConfigControls[] = {
    {IDC_FULLSCREEN, L"使用全屏模式", Kind::Check},
    {IDC_DONTSHOW, L"不再显示该窗口", Kind::Check},
    {IDOK, L"确定", Kind::DefaultPush},
    {IDC_ADVANCED, L"高级 >>", Kind::Push},
    {-1, L"游戏显示驱动", Kind::Group},
    {IDC_RENDER_AUTO, L"自动选择(推荐)", Kind::Radio},
    {IDC_RENDER_DIRECT3D, L"Direct3D", Kind::Radio},
    {IDC_RENDER_OPENGL, L"OpenGL", Kind::Radio},
    {IDC_RENDER_SOFTWARE, L"软件渲染", Kind::Radio},
};

// What the dialog manager asks a control of each kind: how Tab, Enter and the arrow keys
// treat it.
LRESULT DialogCode(Kind kind)
{
    switch (kind) {
    case Kind::Check:
        return DLGC_BUTTON;
    case Kind::Push:
        return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case Kind::DefaultPush:
        return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
    case Kind::Group:
        return DLGC_STATIC;
    case Kind::Radio:
        return DLGC_BUTTON | DLGC_RADIOBUTTON;
    }
    return 0;
}

HWND GroupBox(HWND hDlg)
{
    for (HWND hChild = GetWindow(hDlg, GW_CHILD); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT))
        if (GetDlgCtrlID(hChild) == 0xFFFF || GetDlgCtrlID(hChild) == -1)
            return hChild;
    return nullptr;
}

}  // namespace

TEST(DialogTemplates, PlainDialogHasItsChineseCaptionAndControlsOfEachKind)
{
    PluginDialog dialog(IDD_CONFIG);
    ASSERT_NE(nullptr, dialog.m_hWnd) << "template 2001 in language 2052";
    EXPECT_EQ(L"Bolan配置", Text(dialog.m_hWnd));
    EXPECT_EQ(9, CountChildren(dialog.m_hWnd));
    for (const ControlRow& row : kConfigControls) {
        HWND hControl = row.kind == Kind::Group ? GroupBox(dialog.m_hWnd) : GetDlgItem(dialog.m_hWnd, row.id);
        ASSERT_NE(nullptr, hControl) << "control " << row.id;
        EXPECT_EQ(row.text, Text(hControl)) << "control " << row.id;
        EXPECT_EQ(DialogCode(row.kind), SendMessageW(hControl, WM_GETDLGCODE, 0, 0) & ~DLGC_WANTARROWS &
                                            ~DLGC_WANTCHARS)
            << "control " << row.id;
        if (row.kind == Kind::Check) {
            SendMessageW(hControl, BM_CLICK, 0, 0);
            EXPECT_TRUE(Checked(dialog.m_hWnd, row.id)) << "control " << row.id << " ticks itself";
            SendMessageW(hControl, BM_CLICK, 0, 0);
            EXPECT_FALSE(Checked(dialog.m_hWnd, row.id)) << "control " << row.id << " clears itself";
        }
    }
}

TEST(DialogTemplates, PlainDialogsRadioButtonsAreOneGroupThatChecksItself)
{
    PluginDialog dialog(IDD_CONFIG);
    ASSERT_NE(nullptr, dialog.m_hWnd);
    for (int clicked = IDC_RENDER_AUTO; clicked <= IDC_RENDER_SOFTWARE; ++clicked) {
        SendDlgItemMessageW(dialog.m_hWnd, clicked, BM_CLICK, 0, 0);
        for (int id = IDC_RENDER_AUTO; id <= IDC_RENDER_SOFTWARE; ++id)
            EXPECT_EQ(id == clicked, Checked(dialog.m_hWnd, id)) << "radio " << id << " after a click on " << clicked;
    }
}

TEST(DialogTemplates, SkinnedWindowIsABarePopupWithoutControls)
{
    PluginDialog dialog(IDD_SKIN_CONFIG);
    ASSERT_NE(nullptr, dialog.m_hWnd) << "template 2002 in language 2052";
    const LONG style = GetWindowLongW(dialog.m_hWnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP) << std::hex << style;
    EXPECT_EQ(0, style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU)) << "no frame around the bitmap: " << std::hex << style;
    EXPECT_TRUE(GetWindowLongW(dialog.m_hWnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) << "no taskbar button";
    EXPECT_EQ(L"", Text(dialog.m_hWnd)) << "no caption";
    EXPECT_EQ(0, CountChildren(dialog.m_hWnd)) << "the buttons are drawn by the window itself";
}
