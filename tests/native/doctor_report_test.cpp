// The doctor's portable parts natively: the PE reader on a small image built here, cut
// at every length, the settings file's encoding, and the report's text, JSON (whole and
// streamed) and exit code.
#include "tools/ChildChannel.h"
#include "tools/DoctorReport.h"
#include "tools/PeImage.h"
#include "tools/TextEncoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Put16(std::vector<uint8_t>& image, size_t at, uint16_t value) { std::memcpy(&image[at], &value, 2); }
void Put32(std::vector<uint8_t>& image, size_t at, uint32_t value) { std::memcpy(&image[at], &value, 4); }
void PutText(std::vector<uint8_t>& image, size_t at, const char* text) { std::memcpy(&image[at], text, std::strlen(text) + 1); }

// A 32-bit x86 library: headers at 0x80, one section at file offset 0x200 mapped at
// 0x1000 holding an export directory (two names) and an import table (two libraries).
std::vector<uint8_t> SmallLibrary(uint16_t machine = 0x14C)
{
    std::vector<uint8_t> image(0x400, 0);
    image[0] = 'M';
    image[1] = 'Z';
    Put32(image, 0x3C, 0x80);
    std::memcpy(&image[0x80], "PE\0\0", 4);
    Put16(image, 0x84, machine);
    Put16(image, 0x86, 1);        // one section
    Put16(image, 0x94, 0xE0);     // optional header size
    Put16(image, 0x96, 0x2102);   // executable, 32-bit, library
    const size_t optional = 0x98;
    Put16(image, optional, 0x10B);
    Put32(image, optional + 92, 16);
    Put32(image, optional + 96, 0x1000);      // export directory
    Put32(image, optional + 104, 0x1100);     // import directory
    const size_t section = optional + 0xE0;
    Put32(image, section + 8, 0x200);         // virtual size
    Put32(image, section + 12, 0x1000);       // virtual address
    Put32(image, section + 16, 0x200);        // raw size
    Put32(image, section + 20, 0x200);        // raw offset
    Put32(image, 0x200 + 0x18, 2);            // two names
    Put32(image, 0x200 + 0x20, 0x1040);       // their addresses
    Put32(image, 0x240, 0x1060);
    Put32(image, 0x244, 0x1070);
    PutText(image, 0x260, "LoadConfig");
    PutText(image, 0x270, "OnRButton");
    Put32(image, 0x300 + 12, 0x1180);         // first import's name
    Put32(image, 0x314 + 12, 0x1190);
    PutText(image, 0x380, "KERNEL32.dll");
    PutText(image, 0x390, "libgcc_s_dw2-1.dll");
    return image;
}

}  // namespace

TEST(PeImage, ReadsExportsAndImportsOfALibrary)
{
    std::vector<uint8_t> bytes = SmallLibrary();
    PeImage image = ReadPeImage(bytes.data(), bytes.size());
    ASSERT_TRUE(image.valid) << image.problem;
    EXPECT_EQ(kPeMachineI386, image.machine);
    EXPECT_TRUE(image.isLibrary);
    EXPECT_EQ((std::vector<std::string>{"LoadConfig", "OnRButton"}), image.exports);
    EXPECT_EQ((std::vector<std::string>{"KERNEL32.dll", "libgcc_s_dw2-1.dll"}), image.imports);

    // PE32+: 16 more bytes of fixed fields move the directories to optional + 112.
    std::vector<uint8_t> plus = SmallLibrary(kPeMachineAmd64);
    Put16(plus, 0x98, 0x20B);
    Put32(plus, 0x98 + 108, 16);
    Put32(plus, 0x98 + 112, 0x1000);
    Put32(plus, 0x98 + 120, 0x1100);
    image = ReadPeImage(plus.data(), plus.size());
    ASSERT_TRUE(image.valid) << image.problem;
    EXPECT_EQ(kPeMachineAmd64, image.machine);
    EXPECT_EQ((std::vector<std::string>{"LoadConfig", "OnRButton"}), image.exports);
    EXPECT_EQ(2u, image.imports.size());
    EXPECT_EQ("x86 (32-bit)", PeMachineName(kPeMachineI386));
    EXPECT_EQ("x86-64 (64-bit)", PeMachineName(kPeMachineAmd64));
    EXPECT_EQ("machine 0xaa64", PeMachineName(0xAA64));
}

TEST(TextEncoding, ByteOrderMarksAndNulsBetweenLetters)
{
    const struct {
        std::string bytes;
        TextEncoding expected;
    } rows[] = {
        {"", TextEncoding::Narrow},
        {"width=1024\r\n", TextEncoding::Narrow},
        {"\xCF\xD4\xCA\xBE=1\n", TextEncoding::Narrow},  // GBK text
        {std::string("a\0", 2), TextEncoding::Narrow},  // a NUL after one letter proves nothing
        {std::string("1\0" "2\0", 4), TextEncoding::Narrow},
        {"\xEF\xBB\xBFwidth=1", TextEncoding::Utf8Bom},
        {"\xFF\xFE", TextEncoding::Utf16LeBom},
        {std::string("\xFF\xFEw\0", 4), TextEncoding::Utf16LeBom},
        {std::string("\xFE\xFF\0w", 4), TextEncoding::Utf16BeBom},
        {std::string("w\0i\0", 4), TextEncoding::Utf16NoBom},
        {std::string("\0w\0i", 4), TextEncoding::Utf16NoBom},
        {std::string("=\0" "1\0\r\0\n\0X\0Y", 11), TextEncoding::Utf16NoBom},
        {std::string("=1\r\nX\0Y", 7), TextEncoding::Narrow},  // one NUL between two letters of narrow text
        {std::string("opencount=1\r\nshow\0next=1\r\n", 26), TextEncoding::Narrow},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.expected, DetectTextEncoding(reinterpret_cast<const uint8_t*>(row.bytes.data()), row.bytes.size()))
            << "row of " << row.bytes.size() << " bytes";
}

TEST(PeImage, ACutOrCorruptFileIsRefusedWithoutReadingPastIt)
{
    std::vector<uint8_t> whole = SmallLibrary();
    for (size_t size = 0; size < whole.size(); ++size) {
        std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        PeImage image = ReadPeImage(cut.data(), cut.size());
        if (size < 0x3A0)
            EXPECT_FALSE(image.valid) << "cut at " << size;
    }
    struct Corruption {
        size_t at;
        uint32_t value;
        const char* problem;
    } corruptions[] = {
        {0x3C, 0xFFFFFFF0, "no PE header"},
        {0x200 + 0x18, 0x40000000, "export directory outside the file"},
        {0x240, 0xFFFFFF00, "export directory outside the file"},
        {0x300 + 12, 0x7FFFFFFF, "import directory outside the file"},
    };
    for (const Corruption& c : corruptions) {
        std::vector<uint8_t> bytes = SmallLibrary();
        Put32(bytes, c.at, c.value);
        PeImage image = ReadPeImage(bytes.data(), bytes.size());
        EXPECT_FALSE(image.valid) << c.at;
        EXPECT_EQ(c.problem, image.problem) << c.at;
    }
}

TEST(DoctorReport, TextJsonAndExitCode)
{
    DoctorReport report;
    report.Add(Verdict::Ok, "config", "width = 1024 from line 2 \"width=1024\"");
    report.Add(Verdict::Warn, "queue", "tab\there");
    EXPECT_EQ(0, report.ExitCode()) << "a warning loses nothing";
    EXPECT_EQ("OK    config     width = 1024 from line 2 \"width=1024\"\n"
              "WARN  queue      tab\there\n"
              "zrkdoctor: 1 OK, 1 WARN, 0 FAIL: start-up would succeed with every component bound\n",
              report.Text());
    report.Add(Verdict::Fail, "menu", "back\\slash");
    EXPECT_EQ(1, report.ExitCode());
    auto identity = [](const std::string& text) { return text; };
    EXPECT_EQ("{\"findings\": [\n"
              "  {\"verdict\": \"OK\", \"area\": \"config\", \"text\": \"width = 1024 from line 2 \\\"width=1024\\\"\"},\n"
              "  {\"verdict\": \"WARN\", \"area\": \"queue\", \"text\": \"tab\\u0009here\"},\n"
              "  {\"verdict\": \"FAIL\", \"area\": \"menu\", \"text\": \"back\\\\slash\"}],\n"
              " \"ok\": 1, \"warn\": 1, \"fail\": 1, \"exitCode\": 1,\n"
              " \"summary\": \"zrkdoctor: 1 OK, 1 WARN, 1 FAIL: start-up would fail or lose a component\"}\n",
              report.Json(identity));
}

TEST(DoctorReport, AListenerSeesEachFindingAsItIsAddedAndTheStreamIsTheWhole)
{
    DoctorReport report;
    auto identity = [](const std::string& text) { return text; };
    std::string text = DoctorReport::Head(false), json = DoctorReport::Head(true);
    std::vector<size_t> told;
    report.SetListener([&](const DoctorReport& r, size_t index) {
        told.push_back(index);
        text += r.Entry(index, false, identity);
        json += r.Entry(index, true, identity);
    });
    report.Add(Verdict::Ok, "path", "one");
    EXPECT_EQ((std::vector<size_t>{0}), told) << "told before the next finding is made";
    report.Add(Verdict::Fail, "component", "two");
    EXPECT_EQ((std::vector<size_t>{0, 1}), told);
    EXPECT_EQ(report.Text(), text + report.Tail(false));
    EXPECT_EQ(report.Json(identity), json + report.Tail(true));
}

TEST(ChildChannel, FindingsArriveWholeInAnyPiecesUntilTheClosingLine)
{
    DoctorReport sent;
    sent.Add(Verdict::Fail, "component", "Vantri.dll\tfaults");
    sent.Add(Verdict::Ok, "menu", "");
    std::string stream = ChannelLine(sent.Findings()[0]) + "X\tnot a verdict\n" + "O\tno area end\n" + "\n" +
                         ChannelLine(sent.Findings()[1]) + ChannelClosingLine() + "F\tqueue\tafter the end\n";
    const size_t closed = stream.find(ChannelClosingLine()) + std::strlen(ChannelClosingLine());
    for (size_t piece : {size_t(1), size_t(7), stream.size()}) {
        DoctorReport got;
        ChannelReader reader(got);
        for (size_t at = 0; at < stream.size(); at += piece) {
            EXPECT_EQ(at >= closed, reader.Closed()) << "after " << at << " bytes in pieces of " << piece;
            reader.Feed(stream.data() + at, std::min(piece, stream.size() - at));
        }
        EXPECT_TRUE(reader.Closed()) << piece;
        ASSERT_EQ(2u, got.Findings().size()) << piece;
        EXPECT_EQ("Vantri.dll\tfaults", got.Findings()[0].text) << "tabs after the area stay in the text";
        EXPECT_EQ(Verdict::Ok, got.Findings()[1].verdict);
        EXPECT_EQ("menu", got.Findings()[1].area);
    }
    DoctorReport cut;
    ChannelReader reader(cut);
    reader.Feed("F\tcomponent\tend", 15);
    EXPECT_TRUE(cut.Findings().empty() && !reader.Closed()) << "a line without its end is no finding";
}
