#include "tests/wine/GdiObjectCounter.h"

#include <windows.h>

#include <cstring>
#include <set>

namespace {

std::set<void*>* g_live = nullptr;  // null while no counter exists
bool g_installed = false;

// The system's own function, not this executable's (redirected) import of it.
template <typename F>
F RealFunction(const char* module, const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(module), name)));
}
#define REAL(module, fn) RealFunction<decltype(&fn)>(#module ".dll", #fn)

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

// Rewrites the import slots of this executable whose names are hooked; true when at
// least one slot was rewritten for every hook.
bool InstallHooks()
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
    std::set<const char*> patched;
    for (; desc->Name; ++desc) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            for (const Hook& hook : kHooks) {
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), hook.name) != 0)
                    continue;
                DWORD old = 0;
                VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE, &old);
                slots->u1.Function = reinterpret_cast<DWORD_PTR>(hook.replacement);
                VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), old, &old);
                patched.insert(hook.name);
            }
        }
    }
    return patched.size() == sizeof(kHooks) / sizeof(kHooks[0]);
}

}  // namespace

GdiObjectCounter::GdiObjectCounter()
{
    static const bool installed = InstallHooks();
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
