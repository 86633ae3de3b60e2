#include "tests/wine/GdiObjectCounter.h"

#include "tests/wine/ImportRedirect.h"

#include <set>

namespace {

std::set<void*>* g_live = nullptr;  // null while no counter exists
bool g_installed = false;

#define REAL(module, fn) SystemFunction<decltype(&fn)>(#module ".dll", #fn)

void Created(void* handle)
{
    if (g_live && handle)
        g_live->insert(handle);
}

void Released(void* handle)
{
    if (g_live)
        g_live->erase(handle);
}

HDC WINAPI HookCreateCompatibleDC(HDC hdc)
{
    HDC result = REAL(gdi32, CreateCompatibleDC)(hdc);
    Created(result);
    return result;
}

BOOL WINAPI HookDeleteDC(HDC hdc)
{
    Released(hdc);
    return REAL(gdi32, DeleteDC)(hdc);
}

HBITMAP WINAPI HookCreateBitmap(int w, int h, UINT planes, UINT bpp, const void* bits)
{
    HBITMAP result = REAL(gdi32, CreateBitmap)(w, h, planes, bpp, bits);
    Created(result);
    return result;
}

HRGN WINAPI HookCreateRectRgn(int x1, int y1, int x2, int y2)
{
    HRGN result = REAL(gdi32, CreateRectRgn)(x1, y1, x2, y2);
    Created(result);
    return result;
}

HRGN WINAPI HookExtCreateRegion(const XFORM* xform, DWORD count, const RGNDATA* data)
{
    HRGN result = REAL(gdi32, ExtCreateRegion)(xform, count, data);
    Created(result);
    return result;
}

BOOL WINAPI HookDeleteObject(HGDIOBJ object)
{
    Released(object);
    return REAL(gdi32, DeleteObject)(object);
}

HBITMAP WINAPI HookLoadBitmapA(HINSTANCE instance, LPCSTR name)
{
    HBITMAP result = REAL(user32, LoadBitmapA)(instance, name);
    Created(result);
    return result;
}

HDC WINAPI HookGetWindowDC(HWND hwnd)
{
    HDC result = REAL(user32, GetWindowDC)(hwnd);
    Created(result);
    return result;
}

HDC WINAPI HookGetDC(HWND hwnd)
{
    HDC result = REAL(user32, GetDC)(hwnd);
    Created(result);
    return result;
}

int WINAPI HookReleaseDC(HWND hwnd, HDC hdc)
{
    Released(hdc);
    return REAL(user32, ReleaseDC)(hwnd, hdc);
}

int WINAPI HookSetWindowRgn(HWND hwnd, HRGN region, BOOL redraw)
{
    int result = REAL(user32, SetWindowRgn)(hwnd, region, redraw);
    if (result)
        Released(region);
    return result;
}

struct Hook {
    const char* name;
    void* replacement;
};

const Hook kHooks[] = {
    {"CreateCompatibleDC", reinterpret_cast<void*>(&HookCreateCompatibleDC)},
    {"DeleteDC", reinterpret_cast<void*>(&HookDeleteDC)},
    {"CreateBitmap", reinterpret_cast<void*>(&HookCreateBitmap)},
    {"CreateRectRgn", reinterpret_cast<void*>(&HookCreateRectRgn)},
    {"ExtCreateRegion", reinterpret_cast<void*>(&HookExtCreateRegion)},
    {"DeleteObject", reinterpret_cast<void*>(&HookDeleteObject)},
    {"LoadBitmapA", reinterpret_cast<void*>(&HookLoadBitmapA)},
    {"GetWindowDC", reinterpret_cast<void*>(&HookGetWindowDC)},
    {"GetDC", reinterpret_cast<void*>(&HookGetDC)},
    {"ReleaseDC", reinterpret_cast<void*>(&HookReleaseDC)},
    {"SetWindowRgn", reinterpret_cast<void*>(&HookSetWindowRgn)},
};

// True when module imports every hooked function.
bool InstallHooks(HMODULE module)
{
    bool all = true;
    for (const Hook& hook : kHooks)
        all = RedirectImport(module, hook.name, hook.replacement) > 0 && all;
    return all;
}

}  // namespace

GdiObjectCounter::GdiObjectCounter(HMODULE module)
{
    static const bool installed = InstallHooks(module ? module : GetModuleHandleA(nullptr));
    g_installed = installed;
    delete g_live;
    g_live = new std::set<void*>;
}

GdiObjectCounter::~GdiObjectCounter()
{
    delete g_live;
    g_live = nullptr;
}

size_t GdiObjectCounter::Live() const { return g_live ? g_live->size() : 0; }

bool GdiObjectCounter::Installed() { return g_installed; }
