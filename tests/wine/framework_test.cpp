// The framework pieces the plug-in and the stand-ins share.
#include "framework/CStdioFile.h"
#include "framework/CString.h"
#include "tests/wine/TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Platform, ChineseCodePage)
{
    EXPECT_EQ(936u, GetACP()) << "the tests run on a Chinese system";
}

TEST(CString, BasicOperations)
{
    CString text("Hello");
    text += ", ";
    text += CString("World");
    EXPECT_STREQ("Hello, World", text);
    EXPECT_EQ(12, text.GetLength());
    EXPECT_EQ(7, text.Find("World"));
    EXPECT_EQ(-1, text.Find("world"));
    EXPECT_EQ(4, text.Find('o'));
    EXPECT_EQ(8, text.Find('o', 5));
    EXPECT_STREQ("Hel", text.Left(3));
    EXPECT_STREQ("World", text.Mid(7));
    EXPECT_STREQ("", text.Mid(40));
    EXPECT_TRUE(text == "Hello, World");
    EXPECT_EQ(0, text.CompareNoCase("hello, world"));

    CString empty;
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_STREQ("", empty);
    text = text;  // self-assignment keeps the text
    EXPECT_STREQ("Hello, World", text);
    text = text.Mid(7);  // assigning a piece of itself
    EXPECT_STREQ("World", text);
}

TEST(CString, MakeLowerKeepsDoubleByteCharacters)
{
    // 宽A in GBK: the lead byte B1 with trail byte 41 ('A') must stay.
    CString text("\xBF\x41WIDTH\xB1\x41");
    text.MakeLower();
    EXPECT_STREQ("\xBF\x41width\xB1\x41", text);
}

TEST(CString, FormatAndBuffer)
{
    CString text;
    text.Format("/laba[%d]说: ", -3);
    EXPECT_STREQ("/laba[-3]\xCB\xB5: ", text);
    char* buffer = text.GetBuffer(300);
    memset(buffer, 'z', 300);
    buffer[300] = '\0';
    text.ReleaseBuffer();
    EXPECT_EQ(300, text.GetLength());
}

TEST(CString, MemoryComesFromTheProcessHeap)
{
    CString text("moved between modules");
    char* data = text.GetBuffer(0);
    // The block that holds the text was allocated from the process heap.
    EXPECT_NE(static_cast<SIZE_T>(-1),
              HeapSize(GetProcessHeap(), 0, data - 2 * sizeof(int)));
}

TEST(CStdioFile, ReadsLinesWithoutEndings)
{
    TempDir dir;
    WriteFileBytes(dir / "lines.txt", "one\r\ntwo\n\nthree");
    CStdioFile file;
    ASSERT_TRUE(file.Open((dir / "lines.txt").c_str(), CStdioFile::modeRead | CStdioFile::typeText));
    std::vector<std::string> lines;
    CString line;
    while (file.ReadString(line))
        lines.push_back(line.GetString());
    EXPECT_EQ((std::vector<std::string>{"one", "two", "", "three"}), lines);
}

TEST(CStdioFile, MissingFileDoesNotOpen)
{
    TempDir dir;
    CStdioFile file;
    EXPECT_FALSE(file.Open((dir / "absent.txt").c_str(), CStdioFile::modeRead));
    CString line;
    EXPECT_FALSE(file.ReadString(line));
}
