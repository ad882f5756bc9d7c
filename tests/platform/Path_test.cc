#include "platform/Path.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/Cp932.h"
#include "platform/Win32Error.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

// "ソフト" in code page 932: its first character's second byte is 0x5C, the backslash.
const std::string kSoftCp932 = "\x83\x5C\x83\x74\x83\x67";

TEST(FullPathTest, FullPathNamesAreMadeWithoutTheDisk) {
    test::CTempPrefix prefix;
    ASSERT_EQ(SetCurrentDirectory("C:\\WINDOWS"), 0);
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\a\\.\\b\\", "C:\\a\\b\\"},
        {"C:\\a\\b\\..", "C:\\a"},
        {"C:\\..", "C:\\"},
        {"x.txt", "C:\\WINDOWS\\x.txt"},
        {"\\x", "C:\\x"},
        {"C:x", "C:\\WINDOWS\\x"},
        {"D:x", "D:\\x"},
        {"\\\\server\\share\\a\\..\\..", "\\\\server\\share\\"},
        {"C:\\" + kSoftCp932 + "\\..", "C:\\"}};
    for (const auto& [in, expected] : cases) {
        std::string full;
        ASSERT_EQ(GetFullPathName(in, full), 0) << in;
        EXPECT_EQ(full, expected) << in;
    }
}

const std::string kHyou = "\x95\x5C";   // "表": its second byte is the backslash
const std::string kFullA = "\x83\x41";  // "ア": its second byte is 'A'

// A lead byte takes the byte after it, which must be a second byte and is never read alone, and
// so takes a blank after it too: trimming that blank made text that read back otherwise.
TEST(Cp932Test, ALeadByteAndTheByteAfterItAreOneCharacter) {
    EXPECT_TRUE(IsWellFormedCp932("abc" + kHyou));
    EXPECT_FALSE(IsWellFormedCp932("\x95\x7F"));  // DEL is never a second byte
    EXPECT_EQ(FindLastChar(kHyou, '\\'), std::string_view::npos);
    EXPECT_EQ(TrimWhite(" \t\r\n\v\fa b \r\n"), "a b");
    EXPECT_EQ(TrimRightWhite(kHyou + " "), kHyou);
    EXPECT_EQ(TrimRightWhite("A\x93  "), "A\x93 ");
    EXPECT_EQ(TrimRightWhite("A\x93\x93  "), "A\x93\x93");
    EXPECT_EQ(TrimWhite(" \x93\t"), "\x93\t");
    // An all-blank piece of a line (", " before its CR LF) trims to nothing, read no further.
    EXPECT_EQ(TrimWhite(std::string_view(" \r\n").substr(0, 1)), "");
}

TEST(Cp932Test, ComparisonFoldsAsciiOnly) {
    const std::tuple<std::string, std::string, int> cases[] = {
        {"Help", "HELP", 0},
        {"help", "helq", -1},
        {"a", "", 1},
        {"_", "z", 1}};  // the underscore sorts after the letters, as with upper-case folding
    for (const auto& [a, b, sign] : cases) {
        int r = CompareNoCase(a, b);
        EXPECT_EQ((r > 0) - (r < 0), sign) << a << " vs " << b;
    }
    EXPECT_TRUE(StartsWithNoCase("hkey_local_machine\\x", "HKEY_LOCAL_MACHINE\\"));
    EXPECT_FALSE(StartsWithNoCase(kHyou, "\x95"));  // would split a character
    EXPECT_TRUE(EndsWithNoCase("MANUAL.CHM", ".chm"));
    EXPECT_FALSE(EndsWithNoCase("\x95.chm", ".chm"));
    EXPECT_EQ(ToLowerCp932("AB" + kFullA + "C"), "ab" + kFullA + "c");  // 0x41 is no 'A' there
}

}  // namespace
}  // namespace tq
