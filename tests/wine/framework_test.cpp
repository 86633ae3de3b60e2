// The framework pieces the plug-in and the stand-ins share.
#include "framework/CDC.h"
#include "framework/CStdioFile.h"
#include "framework/CString.h"
#include "framework/KernelHandle.h"
#include "framework/TemporaryObjects.h"
#include "tests/wine/StringBlock.h"
#include "tests/wine/TestSupport.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <cstring>
#include <string>
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
    // A text longer than any first guess, ended right after its last character.
    std::string along(1000, 'a');
    text.Format("%s|%u|%s", along.c_str(), 4000000000u, "\xCB\xB5");
    EXPECT_EQ(along + "|4000000000|\xCB\xB5", std::string(text));
    EXPECT_EQ(1014, text.GetLength());
    text.Format("%s", "");
    EXPECT_TRUE(text.IsEmpty());
    char* buffer = text.GetBuffer(300);
    memset(buffer, 'z', 300);
    buffer[300] = '\0';
    text.ReleaseBuffer();
    EXPECT_EQ(300, text.GetLength());
}

// What another module sees of a string: the header before the characters, blocks from
// the C runtime's malloc, copies that share, and one static empty block.
TEST(CString, BlocksHaveTheSharedBinaryForm)
{
    CString text("moved between modules");
    const StringBlock& block = BlockOf(text);
    EXPECT_EQ(1, block.nRefs);
    EXPECT_EQ(21, block.nDataLength);
    EXPECT_LE(21, block.nAllocLength);
    EXPECT_LE(sizeof(StringBlock) + block.nAllocLength + 1, _msize(const_cast<StringBlock*>(&block)))
        << "the block is not one of the C runtime's";
    {
        CString copy(text);
        CString assigned;
        assigned = copy;
        EXPECT_EQ(text.GetString(), copy.GetString()) << "a copy shares the block";
        EXPECT_EQ(text.GetString(), assigned.GetString());
        EXPECT_EQ(3, block.nRefs);
        assigned += "!";
        EXPECT_NE(text.GetString(), assigned.GetString()) << "a change to a shared block went through";
        EXPECT_STREQ("moved between modules", text);
        EXPECT_EQ(2, block.nRefs);
    }
    EXPECT_EQ(1, block.nRefs) << "released copies leave the count as it was";

    CString empty;
    CString emptied("x");
    emptied.Empty();
    CString copyOfEmpty(empty);
    EXPECT_EQ(empty.GetString(), emptied.GetString()) << "one static empty block";
    EXPECT_EQ(empty.GetString(), copyOfEmpty.GetString());
    EXPECT_EQ(-1, BlockOf(empty).nRefs);
    EXPECT_EQ(0, BlockOf(empty).nDataLength);
    EXPECT_EQ('\0', empty.GetAt(0));
}

namespace {

// A static block of another module, as a peer may leave one in a string object.
struct ForeignBlock {
    StringBlock header;
    char text[8];
};

// Points a string object at a block, the way another module's code does.
void PointAt(CString& string, const char* pchText) { memcpy(static_cast<void*>(&string), &pchText, sizeof pchText); }

}  // namespace

TEST(CString, BlocksWithANegativeCountAreNeverTouched)
{
    for (long nRefs : {-1L, -7L}) {
        ForeignBlock foreign = {{nRefs, 3, 3}, "abc"};
        const ForeignBlock pristine = foreign;
        {
            CString source;
            PointAt(source, foreign.text);
            CString copy(source);
            CString assigned;
            assigned = source;
            EXPECT_NE(foreign.text, copy.GetString()) << "a static block is copied, not shared";
            EXPECT_NE(foreign.text, assigned.GetString()) << "a static block is copied, not shared";
            EXPECT_STREQ("abc", copy);
            EXPECT_STREQ("abc", assigned);
            CString appended;
            PointAt(appended, foreign.text);
            appended += "d";
            EXPECT_STREQ("abcd", appended);
            CString reassigned;
            PointAt(reassigned, foreign.text);
            reassigned = "longer than its room";
            CString emptied;
            PointAt(emptied, foreign.text);
            emptied.Empty();
        }  // source still points at the block when it goes
        EXPECT_EQ(0, memcmp(&pristine, &foreign, sizeof foreign)) << "count " << nRefs;
    }
}

// Before another module assigns it: a block held alone is emptied in place; a shared one
// loses only this reference; a static one is left; the latter two are replaced by a
// fresh empty heap block that survives the other module's release.
TEST(CString, PrepareForPeer)
{
    ForeignBlock foreign = {{-1, 3, 3}, "abc"};
    const ForeignBlock pristine = foreign;
    CString other("shared with another string");
    enum Start { kAlone, kShared, kOwnEmpty, kForeignStatic };
    for (Start start : {kAlone, kShared, kOwnEmpty, kForeignStatic}) {
        CString text;
        if (start == kAlone)
            text = "held by this string alone";
        else if (start == kShared)
            text = other;
        else if (start == kForeignStatic)
            PointAt(text, foreign.text);
        const char* pBefore = text.GetString();
        const int nAllocBefore = BlockOf(pBefore).nAllocLength;

        text.PrepareForPeer();
        const StringBlock& block = BlockOf(text);
        EXPECT_EQ(1, block.nRefs) << "start " << start;
        EXPECT_EQ(0, block.nDataLength) << "start " << start;
        EXPECT_EQ('\0', text.GetAt(0)) << "start " << start;
        if (start == kAlone) {
            EXPECT_EQ(pBefore, text.GetString()) << "emptied in place";
            EXPECT_EQ(nAllocBefore, block.nAllocLength);
        } else {
            EXPECT_NE(pBefore, text.GetString()) << "start " << start;
            EXPECT_EQ(0, block.nAllocLength) << "start " << start;
            EXPECT_LE(sizeof(StringBlock) + 1, _msize(const_cast<StringBlock*>(&block))) << "start " << start;
        }
    }
    EXPECT_EQ(1, BlockOf(other).nRefs) << "the shared block kept the reference of the plug-in's string";
    EXPECT_STREQ("shared with another string", other);
    EXPECT_EQ(-1, BlockOf(CString()).nRefs);
    EXPECT_EQ(0, memcmp(&pristine, &foreign, sizeof foreign));
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

TEST(CStdioFile, ReleasesItsFileOnCloseAndDestruction)
{
    TempDir dir;
    const std::string path = dir / "held.txt";
    WriteFileBytes(path, "x");
    CStdioFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CStdioFile::modeRead));
    EXPECT_FALSE(DeleteFileA(path.c_str())) << "an open file is not shared for deletion";
    file.Close();
    EXPECT_TRUE(DeleteFileA(path.c_str())) << "released by Close";
    WriteFileBytes(path, "x");
    {
        CStdioFile scoped;
        ASSERT_TRUE(scoped.Open(path.c_str(), CStdioFile::modeRead));
    }
    EXPECT_TRUE(DeleteFileA(path.c_str())) << "released by the destructor";
}

TEST(CKernelHandle, ClosesWhatItOwnsOnce)
{
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, event);
    DWORD flags = 0;
    {
        CKernelHandle owner(event);
        owner.Attach(event);
        EXPECT_TRUE(GetHandleInformation(event, &flags)) << "attaching the handle it holds keeps it open";
        CKernelHandle moved(std::move(owner));
        EXPECT_FALSE(owner) << "the moved-from owner holds nothing";
        EXPECT_EQ(event, moved.Get());
    }
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(GetHandleInformation(event, &flags)) << "closed with its last owner";
    EXPECT_FALSE(CKernelHandle(INVALID_HANDLE_VALUE)) << "a failed CreateFile holds nothing";
    HANDLE kept = CKernelHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr)).Detach();
    EXPECT_TRUE(GetHandleInformation(kept, &flags)) << "a detached handle stays open";
    CKernelHandle reowned(kept);
}

TEST(CDC, DeletesTheDcItMadeAndNoOther)
{
    HDC made = nullptr;
    {
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        made = dc.GetSafeHdc();
        EXPECT_FALSE(dc.CreateCompatibleDC(nullptr)) << "a second create on a held DC";
        EXPECT_EQ(made, dc.GetSafeHdc());
    }
    EXPECT_EQ(0u, GetObjectType(made)) << "deleted with its object";
    HDC foreign = CreateCompatibleDC(nullptr);
    EXPECT_EQ(foreign, CDC::FromHandle(foreign)->GetSafeHdc());
    AfxDeleteTempDCs();
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(foreign)) << "a temporary leaves its DC alone";
    CDC owner;
    owner.m_hDC = foreign;
    EXPECT_EQ(foreign, owner.Detach());
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(foreign)) << "detached, not deleted";
    DeleteDC(foreign);
}
