// The portable halves of the utilities: fields, letters, version numbers, addresses.
#include "util/AddressChoice.h"
#include "util/FieldSplit.h"
#include "util/LetterCodec.h"
#include "util/VersionNumber.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

TEST(GetField, Cases)
{
    struct Row {
        const char* text;
        const char* separator;
        int index;
        const char* expected;
    } rows[] = {
        {"a,,b", ",", 3, "b"},     {"a,,b", ",", 2, ",b"},  {"a,b", ",", 5, ""},
        {"a,", ",", 3, ""},        {",b,c", ",", 1, ",b,c"}, {"a,b,c", ",", 1, "a"},
        {"a,b,c", ",", 2, "b"},    {"a,b,c", ",", 3, "c"},   {"", ",", 1, ""},
        {"a::b::c", "::", 3, "c"}, {"abc", "", 9, "abc"},    {"a,b", ",", INT_MIN, "a"},
        {"a,b", ",", INT_MAX, ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.expected, GetFieldOf(row.text, row.separator, row.index))
            << row.text << " / " << row.separator << " / " << row.index;
}

TEST(LetterCodec, RoundTripAndBounds)
{
    const unsigned char bytes[] = {0x00, 0xFF};
    char letters[5] = {'#', '#', '#', '#', '#'};
    int length = -1;
    EXPECT_EQ(0, BytesToLetters(bytes, 2, letters, 4, &length));
    EXPECT_EQ(0, length);
    EXPECT_EQ('#', letters[0]);
    EXPECT_EQ(1, BytesToLetters(bytes, 2, letters, 5, &length));
    EXPECT_EQ(4, length);
    EXPECT_STREQ("aapp", letters);

    unsigned char decoded[2] = {0x11, 0x11};
    EXPECT_EQ(1, LettersToBytes("aapp", decoded, 2, &length));
    EXPECT_EQ(2, length);
    EXPECT_EQ(0x00, decoded[0]);
    EXPECT_EQ(0xFF, decoded[1]);
    EXPECT_EQ(1, LettersToBytes("aap", decoded, 1, &length));
    EXPECT_EQ(1, length);
    EXPECT_EQ(0, LettersToBytes("aapp", decoded, 1, &length));
    EXPECT_EQ(0, length);
    EXPECT_EQ(1, LettersToBytes("", nullptr, 0, &length));
    EXPECT_EQ(0, length);
}

TEST(LetterCodec, HugeLengthsFailInsteadOfOverflowing)
{
    const unsigned char byte = 1;
    char letters[4];
    int length = -1;
    EXPECT_EQ(0, BytesToLetters(&byte, INT_MAX, letters, INT_MAX, &length));
    EXPECT_EQ(0, BytesToLetters(&byte, INT_MAX / 2 + 1, letters, INT_MAX, &length));
    EXPECT_EQ(0, BytesToLetters(&byte, 0, letters, 4, &length));
    EXPECT_EQ(0, BytesToLetters(&byte, -1, letters, 4, &length));
    EXPECT_EQ(0, BytesToLetters(nullptr, 1, letters, 4, &length));
    EXPECT_EQ(0, length);
}

TEST(VersionNumber, PackingAndText)
{
    EXPECT_EQ(1000101u, PackVersionNumber(0, 10, 1, 1));
    EXPECT_EQ("0.10 Alpha1 Build1", VersionTextOf(PackVersionNumber(0, 10, 1, 1)));
    EXPECT_EQ("1.02 正式版3 Build7", VersionTextOf(PackVersionNumber(1, 2, 203, 7)));
    EXPECT_EQ("2.05 Beta12 Build30", VersionTextOf(PackVersionNumber(2, 5, 112, 30)));
    EXPECT_EQ("", VersionTextOf(PackVersionNumber(3, 4, 305, 1)));
    EXPECT_EQ("", VersionTextOf(kNoVersionNumber));
    EXPECT_EQ((72 << 8) | 95, BuildWordOf(kNoVersionNumber));
    EXPECT_EQ(0x0101, BuildWordOf(1000101));
    // Parts beyond their digits run into the next group, in 32-bit arithmetic.
    EXPECT_EQ(65535u * 10000000u + 65535u * 100000u + 655u * 10000u + 35u * 100u + 65535u,
              PackVersionNumber(65535, 65535, 65535, 65535));
}

TEST(AddressChoice, Cases)
{
    AddressChoice choice = ChooseLocalAddress({{"169.254.3.4", 1}, {"192.168.1.9", 2}});
    EXPECT_EQ("192.168.1.9", choice.text);
    EXPECT_TRUE(choice.storeValue);
    EXPECT_EQ(2u, choice.value);

    choice = ChooseLocalAddress({{"169.254.3.4", 1}});
    EXPECT_EQ("169.254.3.4", choice.text);
    EXPECT_TRUE(choice.storeValue);

    choice = ChooseLocalAddress({{"0.0.0.0", 0}, {"169.254.3.4", 1}});
    EXPECT_EQ("169.254.3.4", choice.text) << "all skipped: the last one, nothing stored";
    EXPECT_FALSE(choice.storeValue);

    choice = ChooseLocalAddress({{"0.0.0.0", 0}, {"10.0.0.2", 5}, {"10.0.0.3", 6}});
    EXPECT_EQ("10.0.0.2", choice.text);

    EXPECT_FALSE(ChooseLocalAddress({}).found);
}
