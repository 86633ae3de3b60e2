// The window half of the framework: binding, message maps, default processing,
// subclassing and the end of a window's life.
#include "framework/CWnd.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

constexpr UINT WM_PROBE = WM_APP + 1;
constexpr UINT WM_THROW = WM_APP + 2;

class ProbeWnd : public CWnd {
public:
    std::vector<UINT> seen;
    bool postNcDestroyed = false;
    bool boundAtNcCreate = false;

protected:
    LRESULT OnNcCreate(WPARAM, LPARAM)
    {
        boundAtNcCreate = FromHandlePermanent(m_hWnd) == this;
        return Default();
    }
    LRESULT OnProbe(WPARAM wParam, LPARAM lParam)
    {
        seen.push_back(WM_PROBE);
        return static_cast<LRESULT>(wParam + lParam);
    }
    LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("must not reach user32"); }
    void PostNcDestroy() override { postNcDestroyed = true; }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ProbeWnd, CWnd)
    ON_MESSAGE(WM_NCCREATE, OnNcCreate)
    ON_MESSAGE(WM_PROBE, OnProbe)
    ON_MESSAGE(WM_THROW, OnThrow)
END_MESSAGE_MAP()

}  // namespace

TEST(CWnd, MessageMapDefaultAndDestruction)
{
    ProbeWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, AfxRegisterWndClass(0), "probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    EXPECT_TRUE(wnd.boundAtNcCreate) << "the object is bound before the first message";
    EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(wnd.m_hWnd));
    EXPECT_EQ(7, wnd.SendMessage(WM_PROBE, 3, 4));
    EXPECT_EQ(0, wnd.SendMessage(WM_THROW)) << "an exception stops at the window procedure";
    wnd.SetWindowText("text through DefWindowProc");
    char text[64] = {};
    GetWindowTextA(wnd.m_hWnd, text, sizeof text);
    EXPECT_STREQ("text through DefWindowProc", text);

    HWND hWnd = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(nullptr, wnd.m_hWnd) << "WM_NCDESTROY unbinds the object";
    EXPECT_TRUE(wnd.postNcDestroyed);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
}

TEST(CWnd, SubclassedControlKeepsItsOwnBehaviour)
{
    ProbeWnd button;
    ASSERT_TRUE(button.CreateEx(0, "BUTTON", "check", WS_POPUP | BS_AUTOCHECKBOX, 0, 0, 80, 20, nullptr,
                                nullptr));
    button.SendMessage(BM_SETCHECK, BST_CHECKED);
    EXPECT_EQ(BST_CHECKED, button.SendMessage(BM_GETCHECK)) << "the button's own procedure still runs";
    EXPECT_EQ(9, button.SendMessage(WM_PROBE, 4, 5));
}

TEST(CWnd, DestructorDestroysTheWindowItOwns)
{
    HWND hWnd = nullptr;
    {
        ProbeWnd wnd;
        ASSERT_TRUE(wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
        hWnd = wnd.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(hWnd));
}

TEST(CWnd, AttachDetachAndTemporaries)
{
    HWND hWnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hWnd);
    CWnd* temporary = CWnd::FromHandle(hWnd);
    ASSERT_NE(nullptr, temporary);
    EXPECT_EQ(temporary, CWnd::FromHandle(hWnd));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
    {
        CWnd attached;
        EXPECT_TRUE(attached.Attach(hWnd));
        EXPECT_FALSE(attached.Attach(hWnd)) << "an attached object takes no second handle";
        EXPECT_EQ(&attached, CWnd::FromHandle(hWnd));
        EXPECT_EQ(hWnd, attached.Detach());
    }
    EXPECT_TRUE(IsWindow(hWnd)) << "a detached object leaves the window alone";
    DestroyWindow(hWnd);
}
