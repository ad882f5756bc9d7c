// The name rules of the add wizard's name page and the edit dialog's OK (their checks against
// the model are with the application operations' tests), and the edit dialog's file sets.
#include "applications/AppNameRules.h"

#include <gtest/gtest.h>

#include "applications/EditFileSets.h"

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
        {"  My App  ", "My App"},
        {kFullSpace + "App" + kFullSpace + " ", "App"},
        {" " + kFullSpace + " ", ""},
        {"", ""},
        {kHyou + " ", kHyou},
        {kSo + kFullSpace, kSo},
        {"a" + kFullSpace + "b", "a" + kFullSpace + "b"},
        {"\x81", "\x81"}};
    for (const auto& [text, trimmed] : cases) {
        EXPECT_EQ(TrimAppName(text), trimmed) << text;
    }
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

}  // namespace
}  // namespace tq
