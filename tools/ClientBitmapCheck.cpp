#include "tools/DoctorChecks.h"

#include "config/SkinConfigDialog.h"
#include "framework/LoadedLibrary.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int kBackground = 2010;
// The smallest screen the client supports: its default display mode.
constexpr int kSmallestScreenWidth = 800;
constexpr int kSmallestScreenHeight = 600;
// The bitmaps the configuration window draws: its buttons' looks and its tips' images.
const int kWindowBitmaps[] = {2010, 2011, 2012, 2013, 2015, 2016, 2017, 2018, 2020, 2021, 2023, 2026, 2027};

bool HasBitmap(HMODULE hModule, int id)
{
    return FindResourceA(hModule, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2)) != nullptr;  // RT_BITMAP
}

// The background's pixels as 0x00RRGGBB, row 0 at the top, as the window would draw it.
class BackgroundPixels {
public:
    BackgroundPixels(HMODULE hImage, int id) : m_hBitmap(LoadBitmapA(hImage, MAKEINTRESOURCEA(id)))
    {
        BITMAP info = {};
        if (!m_hBitmap || !GetObjectA(m_hBitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
            return;
        BITMAPINFO format = {};
        format.bmiHeader = {sizeof(BITMAPINFOHEADER), info.bmWidth, -info.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        std::vector<uint32_t> pixels(static_cast<size_t>(info.bmWidth) * static_cast<size_t>(info.bmHeight));
        HDC hScreen = GetDC(nullptr);
        if (GetDIBits(hScreen, m_hBitmap, 0, info.bmHeight, pixels.data(), &format, DIB_RGB_COLORS) ==
            info.bmHeight) {
            m_width = info.bmWidth;
            m_height = info.bmHeight;
            m_pixels.swap(pixels);
        }
        ReleaseDC(nullptr, hScreen);
    }
    ~BackgroundPixels()
    {
        if (m_hBitmap)
            DeleteObject(m_hBitmap);
    }
    BackgroundPixels(const BackgroundPixels&) = delete;
    BackgroundPixels& operator=(const BackgroundPixels&) = delete;

    bool Read() const { return !m_pixels.empty(); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Whether the pixel differs from the key colour, the top-left pixel's: the shape.
    bool IsShaped(int x, int y) const { return Pixel(x, y) != Pixel(0, 0); }
    bool HasShape() const
    {
        for (uint32_t pixel : m_pixels)
            if ((pixel & 0xFFFFFF) != Pixel(0, 0))
                return true;
        return false;
    }

private:
    uint32_t Pixel(int x, int y) const { return m_pixels[static_cast<size_t>(y) * m_width + x] & 0xFFFFFF; }

    HBITMAP m_hBitmap;
    int m_width = 0, m_height = 0;
    std::vector<uint32_t> m_pixels;
};

// Whether the bitmap resource is stored with its top row first (a negative height).
bool IsTopDown(HMODULE hImage, int id)
{
    HRSRC hResource = FindResourceA(hImage, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));
    HGLOBAL hData = hResource ? LoadResource(hImage, hResource) : nullptr;
    const void* pData = hData ? LockResource(hData) : nullptr;
    if (!pData || SizeofResource(hImage, hResource) < sizeof(BITMAPINFOHEADER))
        return false;
    BITMAPINFOHEADER header;
    memcpy(&header, pData, sizeof header);
    return header.biSize >= sizeof header && header.biHeight < 0;
}

int ControlsOutside(int width, int height)
{
    int outside = 0;
    for (const ClickRect& r : SkinConfigDialog::ControlRects())
        outside += r.left < 0 || r.top < 0 || r.right > width || r.bottom > height;
    return outside;
}

// What the configuration window will be with the client's background: every button
// and tip on it, a shape to show, and an OK button the player can click on the
// smallest screen the client supports.
void CheckBackground(HMODULE hImage, const std::string& executable, Verdict verdict, DoctorReport& report)
{
    const std::string what = Printf("%s: background 2010", executable.c_str());
    if (IsTopDown(hImage, kBackground))
        report.Add(verdict, "client", what + " is stored top-down (negative height): some systems (Wine) load it all "
                                             "black, and the window has no shape; store it bottom-up");
    BackgroundPixels background(hImage, kBackground);
    if (!background.Read()) {
        report.Add(verdict, "client", what + " cannot be loaded as a bitmap: only Enter confirms the window");
        return;
    }
    const int width = background.Width(), height = background.Height();
    const int outside = ControlsOutside(width, height);
    const bool shaped = background.HasShape();
    const bool fits = width <= kSmallestScreenWidth && height <= kSmallestScreenHeight;
    auto isShaped = [&](int x, int y) { return background.IsShaped(x, y); };
    const bool okReachable = IsRectReachable(
        SkinConfigDialog::PlacementFor(width, height, kSmallestScreenWidth, kSmallestScreenHeight),
        SkinConfigDialog::OkButtonRect(), isShaped);
    const std::string size = Printf(" (%d x %d)", width, height);
    if (outside)
        report.Add(verdict, "client", what + size + Printf(" leaves %d of the 11 button and tip rectangles outside it",
                                                           outside));
    if (!shaped)
        report.Add(verdict, "client", what + size + " is all its key colour (the top-left pixel's): the window's shape "
                                                    "is empty and nothing of it shows");
    if (!fits)
        report.Add(verdict, "client", what + size + Printf(" is larger than %d x %d, the smallest screen the client "
                                                           "supports: part of the window lies off that screen",
                                                           kSmallestScreenWidth, kSmallestScreenHeight));
    if (!okReachable)
        report.Add(verdict, "client", what + ": the OK button cannot be clicked there: only Enter confirms the window");
    else if (!outside && shaped && fits)
        report.Add(Verdict::Ok, "client", what + size + Printf(" holds every button and tip, has a shape and fits a "
                                                               "%d x %d screen", kSmallestScreenWidth,
                                                               kSmallestScreenHeight));
}

// The executable's resources, without running anything of it.
HMODULE LoadAsData(const std::string& executable)
{
    std::wstring wide(MAX_PATH, L'\0');
    int length = MultiByteToWideChar(CP_ACP, 0, executable.c_str(), -1, &wide[0], MAX_PATH);
    return length ? LoadLibraryExW(wide.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE) : nullptr;
}

}  // namespace

bool HasSkinBackground(const std::string& executable)
{
    CLoadedLibrary image(LoadAsData(executable));
    return image && HasBitmap(image.Get(), kBackground);
}

void CheckClientBitmaps(const std::string& executable, bool windowShows, DoctorReport& report)
{
    CLoadedLibrary image(LoadAsData(executable));
    if (!image) {
        report.Add(Verdict::Warn, "client", Printf("%s cannot be read (error %lu): its skin bitmaps are not checked",
                                                   executable.c_str(), GetLastError()));
        return;
    }
    std::string missing;
    for (int id : kWindowBitmaps)
        if (!HasBitmap(image.Get(), id))
            missing += Printf("%s%d", missing.empty() ? "" : ", ", id);
    if (HasBitmap(image.Get(), kBackground))
        CheckBackground(image.Get(), executable, windowShows ? Verdict::Warn : Verdict::Ok, report);
    if (missing.empty())
        report.Add(Verdict::Ok, "client", Printf("%s has the skin bitmaps 2010 to 2027 the configuration window draws",
                                                 executable.c_str()));
    else if (!windowShows)
        report.Add(Verdict::Ok, "client", Printf("%s lacks skin bitmaps %s: unused while the configuration window "
                                                 "does not show", executable.c_str(), missing.c_str()));
    else if (!HasBitmap(image.Get(), kBackground))
        report.Add(Verdict::Warn, "client",
                   Printf("%s lacks skin bitmaps %s: the configuration window start-up shows is blank, of its "
                          "template's size at the screen's corner, its OK button outside it: only Enter confirms it",
                          executable.c_str(), missing.c_str()));
    else
        report.Add(Verdict::Warn, "client", Printf("%s lacks skin bitmaps %s: the configuration window shows nothing "
                                                   "where they belong", executable.c_str(), missing.c_str()));
}
