// The dialog templates of ZRKTempDll.dll as the dialog manager reads them: language,
// styles, sizes, fonts, and every control of the plain dialog.
#include "res/resource.h"
#include "tests/wine/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Reads a template field by field; strings and ordinals as the format stores them.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* p) : m_p(p) {}
    WORD Word() { return Read<WORD>(); }
    DWORD Dword() { return Read<DWORD>(); }
    short Short() { return Read<short>(); }
    // A string, or "#n" for an ordinal.
    std::wstring SzOrOrd()
    {
        if (*reinterpret_cast<const WORD*>(m_p) == 0xFFFF) {
            m_p += 2;
            return L"#" + std::to_wstring(Word());
        }
        return Sz();
    }
    std::wstring Sz()
    {
        std::wstring text;
        while (WORD ch = Word())
            text += static_cast<wchar_t>(ch);
        return text;
    }
    void AlignDword(const BYTE* base) { m_p += (4 - (m_p - base) % 4) % 4; }
    void Skip(size_t n) { m_p += n; }

private:
    template <typename T>
    T Read()
    {
        T value;
        memcpy(&value, m_p, sizeof value);
        m_p += sizeof value;
        return value;
    }
    const BYTE* m_p;
};

struct PluginResources {
    PluginResources() { module = LoadLibraryExA((BinDir() + "\\ZRKTempDll.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE); }
    ~PluginResources() { FreeLibrary(module); }
    const BYTE* Dialog(int id) const
    {
        HRSRC res = FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(id),
                                    MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
        return res ? static_cast<const BYTE*>(LockResource(LoadResource(module, res))) : nullptr;
    }
    HMODULE module;
};

struct ControlRow {
    int id;
    const wchar_t* text;
    short x, y, cx, cy;
    DWORD style;
};

const ControlRow kConfigControls[] = {
    {IDC_FULLSCREEN, L"使用全屏模式", 10, 9, 94, 10, 0x50010003},
    {IDC_DONTSHOW, L"不再显示该窗口", 10, 30, 94, 10, 0x50010003},
    {IDOK, L"确定", 116, 7, 53, 14, 0x50010001},
    {IDC_ADVANCED, L"高级 >>", 116, 28, 53, 14, 0x50010000},
    {-1, L"游戏显示驱动", 9, 56, 161, 49, 0x50000007},
    {IDC_RENDER_AUTO, L"自动选择(推荐)", 23, 72, 72, 10, 0x50020009},
    {IDC_RENDER_DIRECT3D, L"Direct3D", 107, 72, 55, 10, 0x50000009},
    {IDC_RENDER_OPENGL, L"OpenGL", 23, 88, 40, 10, 0x50000009},
    {IDC_RENDER_SOFTWARE, L"软件渲染", 107, 88, 48, 10, 0x50000009},
};

bool IsButtonClass(const std::wstring& name) { return name == L"#128" || _wcsicmp(name.c_str(), L"Button") == 0; }

}  // namespace

TEST(DialogTemplates, PlainDialogIsTheClassicTemplateWithNineButtons)
{
    PluginResources resources;
    ASSERT_NE(nullptr, resources.module);
    const BYTE* base = resources.Dialog(IDD_CONFIG);
    ASSERT_NE(nullptr, base) << "template 2001 in language 2052";
    TemplateReader r(base);
    EXPECT_EQ(0x80C008C0u, r.Dword()) << "style";
    EXPECT_EQ(0u, r.Dword()) << "extended style";
    const WORD count = r.Word();
    ASSERT_EQ(9, count);
    EXPECT_EQ(0, r.Short());
    EXPECT_EQ(0, r.Short());
    EXPECT_EQ(179, r.Short());
    EXPECT_EQ(117, r.Short());
    EXPECT_EQ(L"", r.SzOrOrd()) << "menu";
    EXPECT_EQ(L"", r.SzOrOrd()) << "class";
    EXPECT_EQ(L"Bolan配置", r.Sz());
    EXPECT_EQ(9, r.Word()) << "font size";
    EXPECT_EQ(L"宋体", r.Sz());

    for (const ControlRow& row : kConfigControls) {
        r.AlignDword(base);
        EXPECT_EQ(row.style, r.Dword()) << "control " << row.id;
        EXPECT_EQ(0u, r.Dword()) << "control " << row.id;
        const short x = r.Short(), y = r.Short(), cx = r.Short(), cy = r.Short();
        EXPECT_TRUE(x == row.x && y == row.y && cx == row.cx && cy == row.cy)
            << "control " << row.id << " at " << x << "," << y << " " << cx << "x" << cy;
        EXPECT_EQ(static_cast<WORD>(row.id), r.Word());
        EXPECT_TRUE(IsButtonClass(r.SzOrOrd())) << "control " << row.id;
        EXPECT_EQ(row.text, r.SzOrOrd()) << "control " << row.id;
        r.Skip(r.Word());
    }
}

TEST(DialogTemplates, SkinnedWindowIsAnExtendedTemplateWithoutControls)
{
    PluginResources resources;
    const BYTE* base = resources.Dialog(IDD_SKIN_CONFIG);
    ASSERT_NE(nullptr, base) << "template 2002 in language 2052";
    TemplateReader r(base);
    EXPECT_EQ(1, r.Word()) << "version";
    EXPECT_EQ(0xFFFF, r.Word()) << "extended signature";
    r.Dword();  // help ID
    EXPECT_EQ(0x80u, r.Dword()) << "extended style: tool window";
    EXPECT_EQ(0x80000040u, r.Dword()) << "style: popup, set font";
    EXPECT_EQ(0, r.Word()) << "controls";
    EXPECT_EQ(0, r.Short());
    EXPECT_EQ(0, r.Short());
    EXPECT_EQ(189, r.Short());
    EXPECT_EQ(103, r.Short());
    EXPECT_EQ(L"", r.SzOrOrd()) << "menu";
    EXPECT_EQ(L"", r.SzOrOrd()) << "class";
    EXPECT_EQ(L"", r.Sz()) << "no caption";
    EXPECT_EQ(10, r.Word()) << "font size";
    r.Word();  // weight
    r.Skip(2);  // italic, charset
    EXPECT_EQ(L"System", r.Sz());
}
