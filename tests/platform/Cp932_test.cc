#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tq {
namespace {

using namespace std::string_literals;

const std::string kHyou = "\x95\x5C";   // "表": its second byte is the backslash
const std::string kFullA = "\x83\x41";  // "ア": its second byte is 'A'

// In broken text a lead byte takes the blank after it as its second byte; trimming that blank
// away made text that did not read back the same.
TEST(Cp932Test, TrimmingWalksWholeCharacters) {
    EXPECT_EQ(TrimWhite(" \t\r\n\v\fa b \r\n"), "a b");
    EXPECT_EQ(TrimRightWhite(kHyou + " "), kHyou);
    EXPECT_EQ(TrimRightWhite("A\x93  "), "A\x93 ");
    EXPECT_EQ(TrimRightWhite("A\x93\x93  "), "A\x93\x93");
    EXPECT_EQ(TrimWhite(" \x93\t"), "\x93\t");
}

// A lead byte takes the byte after it, which must be a second byte and is never read alone.
TEST(Cp932Test, ALeadByteAndItsSecondByteAreOneCharacter) {
    EXPECT_TRUE(IsWellFormedCp932("abc" + kHyou));
    EXPECT_FALSE(IsWellFormedCp932("\x95\x7F"));  // DEL is never a second byte
    EXPECT_EQ(FindLastChar(kHyou, '\\'), std::string_view::npos);
}

TEST(Cp932Test, ComparisonFoldsAsciiOnly) {
    const std::tuple<std::string, std::string, int> cases[] = {
        {"Help", "HELP", 0},
        {"help", "helq", -1},
        {"a", "", 1},
        {"\x82\x60", "\x82\x81", -1},  // full-width letters are double-byte and never fold
        {kHyou, kHyou, 0},
        {"_", "z", 1}};  // the underscore sorts after the letters, as with upper-case folding
    for (const auto& [a, b, sign] : cases) {
        int r = CompareNoCase(a, b);
        EXPECT_EQ((r > 0) - (r < 0), sign) << a << " vs " << b;
    }
    EXPECT_TRUE(StartsWithNoCase("hkey_local_machine\\x", "HKEY_LOCAL_MACHINE\\"));
    EXPECT_FALSE(StartsWithNoCase(kHyou, "\x95"));  // would split a character
    EXPECT_TRUE(EndsWithNoCase("MANUAL.CHM", ".chm"));
    EXPECT_FALSE(EndsWithNoCase("\x95\x2E"s + "chm", ".chm"));
    EXPECT_EQ(ToLowerCp932("AB" + kFullA + "C"), "ab" + kFullA + "c");
    // 0x83 0x41: the second byte is 'A' and must not be lowered.
    EXPECT_EQ(ToLowerCp932(kFullA), kFullA);
    EXPECT_EQ(ToUpperCp932("\x83\x61"), "\x83\x61");
}

}  // namespace
}  // namespace tq
