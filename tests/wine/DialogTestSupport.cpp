#include "tests/wine/DialogTestSupport.h"

#include "tests/wine/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

DialogScript* g_pScript = nullptr;

BOOL CALLBACK CountWindow(HWND, LPARAM lParam)
{
    ++*reinterpret_cast<int*>(lParam);
    return TRUE;
}

std::string ArtifactsDir()
{
    std::string dir = BinDir() + "\\..\\..\\artifacts";
    MakeDirs(dir);
    return dir;
}

}  // namespace

DialogScript::DialogScript(const HWND* phWndDialog, std::vector<Step> steps, UINT intervalMs)
    : m_phWndDialog(phWndDialog), m_steps(std::move(steps))
{
    g_pScript = this;
    m_stepStart = GetTickCount();
    m_timer = SetTimer(nullptr, 0, intervalMs, &DialogScript::Tick);
}

DialogScript::~DialogScript()
{
    KillTimer(nullptr, m_timer);
    g_pScript = nullptr;
}

void CALLBACK DialogScript::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_pScript)
        g_pScript->RunStep();
}

void DialogScript::RunStep()
{
    HWND hWnd = *m_phWndDialog;
    if (!hWnd || !IsWindow(hWnd))
        return;
    if (Finished()) {
        if (--m_graceTicks <= 0) {
            ADD_FAILURE() << "the dialog was still open after the script";
            DestroyWindow(hWnd);
        }
        return;
    }
    if (m_steps[m_next]())
        ++m_next;
}

DialogScript::Step Do(std::function<void()> action)
{
    return [action] {
        action();
        return true;
    };
}

DialogScript::Step WaitFor(std::function<bool()> done, const char* what, DWORD timeoutMs)
{
    auto start = std::make_shared<DWORD>(0);
    return [done, what, timeoutMs, start] {
        if (!*start)
            *start = GetTickCount();
        if (done())
            return true;
        if (GetTickCount() - *start < timeoutMs)
            return false;
        ADD_FAILURE() << "timed out waiting for " << what;
        return true;
    };
}

INT_PTR RunScripted(CDialog& dialog, Steps steps)
{
    DialogScript script(&dialog.m_hWnd, std::move(steps));
    const INT_PTR result = dialog.DoModal();
    EXPECT_TRUE(script.Finished()) << "the dialog ended before the script did";
    return result;
}

DialogScript::Step WaitVisible(const CDialog& dialog)
{
    return WaitFor([&dialog] { return dialog.m_hWnd && IsWindowVisible(dialog.m_hWnd); }, "the dialog to show");
}

DialogScript::Step Settle()
{
    auto ticks = std::make_shared<int>(4);
    return [ticks] { return --*ticks <= 0; };
}

void PostClick(HWND hWnd, int x, int y)
{
    PostMessageA(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(hWnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void PostClickItem(HWND hWndDialog, int nID)
{
    RECT rect;
    GetWindowRect(GetDlgItem(hWndDialog, nID), &rect);
    POINT pt = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    // The window the mouse would reach there: disabled controls and group boxes pass it on.
    HWND target = WindowFromPoint(pt);
    if (target != hWndDialog && !IsChild(hWndDialog, target))
        return;  // the control is not on the dialog's visible face: nothing is hit
    ScreenToClient(target, &pt);
    PostClick(target, pt.x, pt.y);
}

void PostKey(HWND hWndDialog, UINT vk, bool alt)
{
    HWND focus = GetFocus();
    HWND target = focus && (focus == hWndDialog || IsChild(hWndDialog, focus)) ? focus : hWndDialog;
    const UINT down = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    const UINT up = alt ? WM_SYSKEYUP : WM_KEYUP;
    const LPARAM altBit = alt ? (1 << 29) : 0;
    PostMessageA(target, down, vk, 1 | altBit);
    PostMessageA(target, up, vk, 1 | altBit | (1u << 30) | (1u << 31));
}

int CountThreadWindows()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

namespace {

void WriteBmp(const std::string& path, const BITMAPINFOHEADER& header, const void* bits)
{
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
    bytes.append(static_cast<const char*>(bits), header.biSizeImage);
    WriteFileBytes(path, bytes);
}

}  // namespace

bool SaveWindowShot(HWND hWnd, const std::string& name, HWND hWndAlso)
{
    RECT rect, also;
    if (!GetWindowRect(hWnd, &rect))
        return false;
    if (hWndAlso && GetWindowRect(hWndAlso, &also))
        UnionRect(&rect, &rect, &also);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;

    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(((width * 3 + 3) & ~3) * height);

    HDC hScreen = GetDC(nullptr);
    HDC hMem = CreateCompatibleDC(hScreen);
    void* bits = nullptr;
    HBITMAP hBitmap = CreateDIBSection(hScreen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits,
                                       nullptr, 0);
    HGDIOBJ old = SelectObject(hMem, hBitmap);
    BitBlt(hMem, 0, 0, width, height, hScreen, rect.left, rect.top, SRCCOPY);
    SelectObject(hMem, old);
    GdiFlush();
    WriteBmp(ArtifactsDir() + "\\" + name + ".bmp", header, bits);
    DeleteObject(hBitmap);
    DeleteDC(hMem);
    ReleaseDC(nullptr, hScreen);
    return true;
}
