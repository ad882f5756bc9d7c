// The name rules of the wizard and the edit dialog, its file sets, folder-safe database names.
#include "applications/AppNameRules.h"

#include <gtest/gtest.h>

#include "applications/EditFileSets.h"
#include "applications/LeftOutFiles.h"
#include "applications/SanitizeDBName.h"
#include "resources/StringTable.h"

namespace tq {
namespace {

const std::string kFullSpace = "\x81\x40";  // "　"
const std::string kHyou = "\x95\x5c";       // "表", whose second byte is a backslash
const std::string kSo = "\x83\x5c";         // "ソ", likewise

TEST(AppNameRulesTest, ControlCharacters) {
    const size_t kNone = std::string::npos;
    // A trail byte below 0x20 belongs to its character.
    const std::pair<std::string, size_t> cases[] = {
        {"MyApp", kNone}, {"a\tb", 1},         {"ab\t", 2},          {std::string("a\0b", 3), 1},
        {"a\x7f", 1},     {kHyou + "\x7f", 2}, {"\x81\x1fx\x01", 3}, {"\x81", kNone}};
    for (const auto& [text, pos] : cases) {
        EXPECT_EQ(FindNameControlChar(text), pos) << text;
    }
}

TEST(AppNameRulesTest, Trimming) {
    const std::pair<std::string, std::string> cases[] = {
        {kFullSpace + "App" + kFullSpace + " ", "App"},
        {" " + kFullSpace + " ", ""},
        {"", ""},
        {kHyou + " ", kHyou},
        {kSo + kFullSpace, kSo},
        {"a" + kFullSpace + "b", "a" + kFullSpace + "b"},
        {"\x80\x81@", "\x80\x81@"},  // 0x80 takes the 0x81: "\x81@" is no full-width space
        {"\x81", "\x81"}};
    for (const auto& [text, trimmed] : cases) {
        EXPECT_EQ(TrimAppName(text), trimmed) << text;
    }
}

TEST(LeftOutFilesTest, LongNamesAreCutOnWholeCharacters) {
    const std::vector<CLeftOutFile> files = {{std::string(59, 'a') + kHyou, IDS_LEFT_OUT_MISSING}};
    EXPECT_NE(FormatLeftOutNote(files).find(std::string(59, 'a') + "\x81\x63"), std::string::npos);
}

TEST(EditFileSetsTest, AddAndRemoveCancelEachOther) {
    CEditFileSets sets;
    sets.NoteRemoved("C:\\old.chm");
    sets.NoteAdded("C:\\old.chm");  // taken away and put back
    sets.NoteAdded("C:\\new.pdf");
    sets.NoteRemoved("C:\\new.pdf");  // added and taken away
    EXPECT_TRUE(sets.GetAdded().empty());
    EXPECT_TRUE(sets.GetRemoved().empty());
    sets.NoteRemoved("C:\\Docs\\Old.chm");
    sets.NoteAdded("C:\\DOCS\\old.CHM");  // the same file in another case: put back
    sets.NoteAdded("C:\\New.pdf");
    sets.NoteAdded("c:\\new.PDF");         // one path, kept as first spelled
    sets.NoteRemoved("C:\\\x83\x5c.chm");  // a double-byte name removed: kept whole
    EXPECT_EQ(sets.GetAdded(), (CPathSet{"C:\\New.pdf"}));
    EXPECT_EQ(sets.GetRemoved(), (CPathSet{"C:\\\x83\x5c.chm"}));
}

TEST(SanitizeDBNameTest, FolderSafeForms) {
    const std::pair<std::string, std::string> cases[] = {
        {"a:b", "a\x81\106b"},           // ：, its second byte 0x46 written in octal
        {".", "\x81\x44"},               // ．
        {"..a.", "\x81\x44.a\x81\x44"},  // ．.a．
        {"a. \t", "a\x81\x44"},          // the stop ends the name once the blanks go
        {"\x01.a", "\x81\104a"},
        {"\tx\ny ", "x y"},
        {"\\/:,;*?\"<>|",
         "\x81\x8F\x81\x5E\x81\x46\x81\x43\x81\x47\x81\x96\x81\x48\x81\x68\x81\x83\x81\x84\x81"
         "\x62"},
        {"A-z_0 ~", "A-z_0 ~"},
        // Half-width katakana: ｱ ｶﾞ ﾊﾟ ﾊﾞ ﾎﾟ, then ｳﾞ and ｱﾟ (marks that do not join), ｰ ｡ ﾞ.
        {"\xB1\xB6\xDE\xCA\xDF\xCA\xDE\xCE\xDF", "\x83\x41\x83\x4B\x83\x70\x83\x6F\x83\x7C"},
        {"\xB3\xDE\xB1\xDF\xB0\xA1\xDE",
         "\x83\x45\x81\x4A\x83\x41\x81\x4B\x81\x5B\x81\x42\x81\x4A"},
        {"\x7F\x80\xA0\xFD\xFE\xFF", "______"},
        // Kept: 表 (second byte 0x5C), ０ (0x824F), 亜 (0x889F). Refused as one "_" each:
        // 0x81AD, 0x824E, 0x889E, 0xEAA4, 0xF040, and a second byte below 0x40.
        {"\x95\x5C\x82\x4F\x88\x9F", "\x95\x5C\x82\x4F\x88\x9F"},
        {"\x81\xAD\x82\x4E\x88\x9E\xEA\xA4\xF0\x40\x81\x20x", "______x"},
        {"\x83\x40\xBF\xDC\xD7", "\x83\x40\x83\x5C\x83\x8F\x83\x89"},  // ァ kept; ｿ ﾜ ﾗ as ソ ワ ラ
        {"ab\x81", "ab_"},  // a lead byte without its second byte ends the text
        {"  ", ""}};
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(SanitizeDBName(in), out) << in;
    }
}

}  // namespace
}  // namespace tq
