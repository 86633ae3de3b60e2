#include "tests/wine/Pixels.h"

#include "framework/CDC.h"
#include "tests/wine/TestSupport.h"

namespace {

std::string ArtifactsDir()
{
    std::string dir = BinDir() + "\\..\\..\\artifacts";
    MakeDirs(dir);
    return dir;
}

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

std::vector<RECT> RegionRects(HRGN hRgn)
{
    const DWORD size = GetRegionData(hRgn, 0, nullptr);
    std::vector<BYTE> buffer(size);
    if (!size || !GetRegionData(hRgn, size, reinterpret_cast<RGNDATA*>(buffer.data())))
        return {};
    const auto* data = reinterpret_cast<const RGNDATA*>(buffer.data());
    const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
    return std::vector<RECT>(rects, rects + data->rdh.nCount);
}

std::vector<RECT> WindowRegionRects(HWND hWnd, bool* hasRegion)
{
    CRgn region;
    region.CreateRectRgn(0, 0, 0, 0);
    const int type = GetWindowRgn(hWnd, region);
    if (hasRegion)
        *hasRegion = type != ERROR;
    return type == ERROR ? std::vector<RECT>() : RegionRects(region);
}

bool SameRegion(HRGN a, HRGN b)
{
    const std::vector<RECT> ra = RegionRects(a);
    const std::vector<RECT> rb = RegionRects(b);
    if (!EqualRgn(a, b) || ra.size() != rb.size())
        return false;
    for (size_t i = 0; i < ra.size(); ++i)
        if (!EqualRect(&ra[i], &rb[i]))
            return false;
    return true;
}

CBitmap MakeBitmap(int width, int height, const std::vector<COLORREF>& pixels)
{
    std::vector<DWORD> bits(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i)
        bits[i] = RGB(GetBValue(pixels[i]), GetGValue(pixels[i]), GetRValue(pixels[i]));  // 0x00RRGGBB
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    CClientDC screen(nullptr);
    CBitmap bitmap;
    bitmap.Attach(CreateDIBitmap(screen, &info.bmiHeader, CBM_INIT, bits.data(), &info, DIB_RGB_COLORS));
    return bitmap;
}

COLORREF ScreenPixel(int x, int y)
{
    return CClientDC(nullptr).GetPixel(x, y);
}

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

    CClientDC screen(nullptr);
    CDC memory;
    memory.CreateCompatibleDC(&screen);
    void* bits = nullptr;
    CBitmap dib;
    dib.Attach(CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0));
    {
        CSelectObject select(memory, dib.GetSafeHandle());
        memory.BitBlt(0, 0, width, height, &screen, rect.left, rect.top, SRCCOPY);
    }
    GdiFlush();
    WriteBmp(ArtifactsDir() + "\\" + name + ".bmp", header, bits);
    return true;
}
