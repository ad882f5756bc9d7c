#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/Win32Error.h"

namespace tq {
namespace {

using namespace std::string_literals;

// "表" is 0x95 0x5C in code page 932: its second byte is the backslash.
const std::string kHyou = "\x95\x5C";
// "ア" full-width katakana (0x83 0x41); "ｱ" half-width katakana (0xB1).
const std::string kFullA = "\x83\x41";
const std::string kHalfA = "\xB1";

TEST(Cp932Test, SearchesNeverStopOnASecondByte) {
    std::string s = "C:" + kHyou + "x\\y";
    EXPECT_EQ(FindChar(s, '\\'), 5u);
    EXPECT_EQ(FindLastChar(s, '\\'), 5u);
    EXPECT_EQ(FindLastChar(kHyou, '\\'), std::string_view::npos);
    EXPECT_EQ(FindChar("a=b", '='), 1u);
    // "=" (0x3D) is not a possible second byte, but "@" (0x40) is: 0x81 0x40 is the
    // ideographic space.
    EXPECT_EQ(FindChar("\x81\x40@", '@'), 2u);
    EXPECT_EQ(FindText("\x81"s + "abc", "ab"), std::string_view::npos);
    EXPECT_EQ(FindText("xabc", "bc"), 2u);
}

TEST(Cp932Test, CharLengthAndWellFormedness) {
    EXPECT_EQ(CharLength(kHyou, 0), 2u);
    EXPECT_EQ(CharLength("\x95", 0), 1u);  // a lead byte at the end stands alone
    EXPECT_EQ(CharLength(kHalfA, 0), 1u);
    EXPECT_TRUE(IsWellFormedCp932("abc" + kHyou + kHalfA));
    EXPECT_FALSE(IsWellFormedCp932("abc\x95"));
    EXPECT_FALSE(IsWellFormedCp932("\x95\x1F"));
    EXPECT_FALSE(IsWellFormedCp932("\x95\x7F"));
}

TEST(Cp932Test, TrimmingWalksWholeCharacters) {
    EXPECT_EQ(TrimWhite(" \t\r\n\v\fa b \r\n"), "a b");
    EXPECT_EQ(TrimWhite("   "), "");
    EXPECT_EQ(TrimRightWhite(kHyou + " "), kHyou);
    // In broken text a lead byte takes the blank after it as its second byte.
    EXPECT_EQ(TrimRightWhite("A\x93  "), "A\x93 ");
    EXPECT_EQ(TrimRightWhite("A\x93\x93  "), "A\x93\x93");
    EXPECT_EQ(TrimWhite(" \x93\t"), "\x93\t");
    EXPECT_EQ(TrimLeftWhite(" x "), "x ");
}

TEST(Cp932Test, ComparisonFoldsAsciiOnly) {
    const std::tuple<std::string, std::string, int> cases[] = {
        {"Help", "HELP", 0},
        {"help", "helq", -1},
        {"", "", 0},
        {"a", "", 1},
        {"\x82\x60", "\x82\x81", -1},  // full-width letters are double-byte and never fold
        {kHyou, kHyou, 0},
        {"_", "z", 1},  // the underscore sorts after the letters, as with upper-case folding
        {kHalfA, kHalfA, 0}};
    for (const auto& [a, b, sign] : cases) {
        int r = CompareNoCase(a, b);
        EXPECT_EQ((r > 0) - (r < 0), sign) << a << " vs " << b;
    }
    EXPECT_TRUE(EqualsNoCase("RESOURCE", "Resource"));
    EXPECT_TRUE(StartsWithNoCase("hkey_local_machine\\x", "HKEY_LOCAL_MACHINE\\"));
    EXPECT_FALSE(StartsWithNoCase(kHyou, "\x95"));  // would split a character
    EXPECT_TRUE(EndsWithNoCase("MANUAL.CHM", ".chm"));
    EXPECT_FALSE(EndsWithNoCase("\x95\x2E"s + "chm", ".chm"));
    EXPECT_EQ(ToLowerCp932("AB" + kFullA + "C"), "ab" + kFullA + "c");
    // 0x83 0x41: the second byte is 'A' and must not be lowered.
    EXPECT_EQ(ToLowerCp932(kFullA), kFullA);
    EXPECT_EQ(ToUpperCp932("\x83\x61"), "\x83\x61");
}

TEST(Cp932Test, ConversionsRoundTripAndRefuseInvalidInput) {
    std::string utf8, back, out = "keep";
    ASSERT_EQ(Cp932ToUtf8("\x95\x5C\x5C" + kHalfA, utf8), ERROR_SUCCESS);
    EXPECT_EQ(utf8, "\xE8\xA1\xA8\\\xEF\xBD\xB1");
    ASSERT_EQ(Utf8ToCp932(utf8, back), ERROR_SUCCESS);
    EXPECT_EQ(back, "\x95\x5C\x5C" + kHalfA);
    std::u16string u16;
    ASSERT_EQ(Cp932ToUtf16(kHyou + "a", u16), ERROR_SUCCESS);
    EXPECT_EQ(u16, u"\u8868a");
    ASSERT_EQ(Utf16ToCp932(u16, back), ERROR_SUCCESS);
    EXPECT_EQ(back, kHyou + "a");

    EXPECT_EQ(Cp932ToUtf8("abc\x95", out), ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_EQ(Cp932ToUtf8("\x80", out), ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_EQ(Utf8ToCp932("\xF0\x9F\x98\x80", out), ERROR_NO_UNICODE_TRANSLATION);  // emoji
    EXPECT_EQ(Utf8ToCp932("\xC3", out), ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_EQ(out, "keep");
    EXPECT_EQ(Cp932ToUtf8Lossy("a\x80"s + "b"), "a\xEF\xBF\xBD"s + "b");
    std::string big(1 << 20, '\x82');
    big.back() = 'x';
    EXPECT_FALSE(Cp932ToUtf8Lossy(big).empty());
}

}  // namespace
}  // namespace tq
