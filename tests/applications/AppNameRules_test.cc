// The name rules of the add wizard's name page and the edit dialog's OK, and what the two
// dialogs leave in the model when they end with success.

#include "applications/AppNameRules.h"

#include <gtest/gtest.h>

#include "applications/AppliCommit.h"
#include "applications/EditFileSets.h"
#include "applications/LoadedProduct.h"
#include "resources/ErrorCodes.h"
#include "resources/StringTable.h"

namespace tq {
namespace {

const std::string kFullSpace = "\x81\x40";  // "　"
const std::string kHyou = "\x95\x5c";       // "表", whose second byte is a backslash
const std::string kSo = "\x83\x5c";         // "ソ", likewise

TEST(AppNameRulesTest, ControlCharacters) {
    struct {
        std::string text;
        size_t pos;
    } cases[] = {
        {"MyApp", std::string::npos},
        {"a\tb", 1},
        {"ab\t", 2},
        {std::string("a\0b", 3), 1},
        {"a\x7f", 1},
        {kHyou + "\x7f", 2},
        {"\x81\x1f"
         "x\x01",
         3},  // a trail byte below 0x20 belongs to its character
        {"\x81", std::string::npos},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindNameControlChar(c.text), c.pos) << c.text;
    }
}

TEST(AppNameRulesTest, Trimming) {
    struct {
        std::string text;
        std::string trimmed;
    } cases[] = {
        {"  My App  ", "My App"},
        {kFullSpace + "App" + kFullSpace + " ", "App"},
        {" " + kFullSpace + " ", ""},
        {"", ""},
        {kHyou + " ", kHyou},
        {kSo + kFullSpace, kSo},
        {"a" + kFullSpace + "b", "a" + kFullSpace + "b"},
        {"\x81", "\x81"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TrimAppName(c.text), c.trimmed) << c.text;
    }
}

class AppNameRulesModelTest : public test::LoadedProductTest {
protected:
    int32_t MyAppIndex() { return m_file.GetDBIndex(DBTYPE_FREE, 0); }
    std::string MyAppDocs() {
        std::string out;
        for (const auto& doc : Db(static_cast<size_t>(MyAppIndex())).m_docs) {
            out += doc + ";";
        }
        return out;
    }
};

TEST_F(AppNameRulesModelTest, NewNameChecksInOrder) {
    struct {
        std::string text;
        uint32_t id;
    } cases[] = {
        {" \t ", IDS_APP_NAME_CONTROL},
        {"New\t", IDS_APP_NAME_CONTROL},
        {kFullSpace + "  ", IDS_ENTER_APP_NAME},
        {" " + test::kAppGroup + " ", IDS_APP_NAME_UNUSABLE},
        {"myapp", IDS_APP_EXISTS},
        {"FIXED ONE", IDS_APP_EXISTS},
        {" New App ", 0},
    };
    for (const auto& c : cases) {
        std::string name;
        EXPECT_EQ(CheckNewAppName(m_file, c.text, name), c.id) << c.text;
    }
    EXPECT_EQ(m_file.CountDBs(DBTYPE_FREE), 1);
}

TEST_F(AppNameRulesModelTest, AddAndCommitANewApplication) {
    int32_t position = -1;
    // A name the operation refuses (here a group's) is unusable, and nothing is added.
    EXPECT_EQ(AddNewAppli(m_file, "Manuals", position), IDS_APP_NAME_UNUSABLE);
    EXPECT_EQ(m_file.CountDBs(DBTYPE_FREE), 1);

    ASSERT_EQ(AddNewAppli(m_file, "Notes", position), 0u);
    EXPECT_EQ(position, 1);
    EXPECT_EQ(CommitNewAppli(m_file, position, "Notes", {"C:\\n\\a.txt", "C:\\n\\b.pdf"}), 2);
    const CCtrlDatabase& db = Db(static_cast<size_t>(m_file.GetDBIndex(DBTYPE_FREE, 1)));
    EXPECT_EQ(db.m_docs, (CtrlStringList{"C:\\n\\a.txt > Notes", "C:\\n\\b.pdf > Notes"}));
    ASSERT_EQ(db.m_groups.size(), 2u);
    const CCtrlGroup* pApps = TopGroup(test::kAppGroup);
    ASSERT_NE(pApps, nullptr);
    EXPECT_NE(m_file.m_groupSet.FindChildByName(pApps, "Notes", false), nullptr);
}

TEST_F(AppNameRulesModelTest, EditNameChecksAndRollBacks) {
    const int32_t index = MyAppIndex();
    struct {
        std::string text;
        bool bEmpty;
        uint32_t id;
        const char* nameAfter;
    } cases[] = {
        {"x\ty", false, IDS_APP_NAME_CONTROL, "MyApp"},
        {"  ", true, IDS_ENTER_APP_NAME, "MyApp"},
        {"Selection one", false, IDS_APP_EXISTS, "MyApp"},
        {"Manuals", false, IDS_APP_NAME_UNUSABLE, "MyApp"},
        {"Renamed", true, IDS_SPECIFY_TARGETS, "MyApp"},
        {" MYAPP ", false, 0, "MYAPP"},
    };
    for (const auto& c : cases) {
        std::string strNew = "untouched";
        EXPECT_EQ(
            ApplyEditAppName(m_file, index, m_file.GetPublicName(index), c.text, c.bEmpty, strNew),
            c.id)
            << c.text;
        EXPECT_EQ(m_file.GetPublicName(index), c.nameAfter) << c.text;
        EXPECT_EQ(strNew, c.id == 0 ? c.nameAfter : "untouched") << c.text;
    }
    // The application's own group follows the name.
    const CCtrlGroup* pApps = TopGroup(test::kAppGroup);
    ASSERT_NE(pApps, nullptr);
    EXPECT_NE(m_file.m_groupSet.FindChildByName(pApps, "MYAPP", false), nullptr);
    EXPECT_EQ(m_file.m_groupSet.FindChildByName(pApps, "MyApp", false), nullptr);
}

TEST_F(AppNameRulesModelTest, EditWithoutOwnGroupIsRefusedAndRestored) {
    const int32_t index = MyAppIndex();
    const std::string strParent = test::kAppGroup;
    ASSERT_EQ(m_file.RenameGroup(&strParent, "MyApp", "Other"), 0);
    std::string strNew;
    EXPECT_EQ(ApplyEditAppName(m_file, index, "MyApp", "MyApp", false, strNew),
              IDS_APP_NAME_UNUSABLE);
    EXPECT_EQ(ApplyEditAppName(m_file, index, "MyApp", "Fresh", false, strNew),
              IDS_APP_NAME_UNUSABLE);
    EXPECT_EQ(m_file.GetPublicName(index), "MyApp");
    EXPECT_EQ(Db(static_cast<size_t>(index)).m_strName, "MyApp");
}

TEST(EditFileSetsTest, AddAndRemoveCancelEachOther) {
    CEditFileSets sets;
    sets.NoteRemoved("C:\\old.chm");
    sets.NoteAdded("C:\\old.chm");  // taken away and put back
    sets.NoteAdded("C:\\new.pdf");
    sets.NoteRemoved("C:\\new.pdf");  // added and taken away
    EXPECT_TRUE(sets.GetAdded().empty());
    EXPECT_TRUE(sets.GetRemoved().empty());
    sets.NoteRemoved("C:\\old.chm");
    sets.NoteAdded("C:\\New.pdf");
    sets.NoteAdded("C:\\new.pdf");  // byte for byte: another path
    EXPECT_EQ(sets.GetRemoved(), std::set<std::string>{"C:\\old.chm"});
    EXPECT_EQ(sets.GetAdded(), (std::set<std::string>{"C:\\New.pdf", "C:\\new.pdf"}));
}

TEST_F(AppNameRulesModelTest, ApplyEditedFilesRemovesFirstAndTellsWhetherAnythingChanged) {
    const int32_t index = MyAppIndex();
    CEditFileSets none;
    EXPECT_EQ(ApplyEditedFiles(m_file, index, false, none), TQE_CANCELLED);
    EXPECT_EQ(ApplyEditedFiles(m_file, index, true, none), TQ_OK);

    CEditFileSets sets;
    sets.NoteRemoved("C:\\Docs\\my.chm");
    sets.NoteAdded("C:\\Docs\\b.txt");
    sets.NoteAdded("C:\\Docs\\a.txt");
    EXPECT_EQ(ApplyEditedFiles(m_file, index, false, sets), TQ_OK);
    EXPECT_EQ(MyAppDocs(), "C:\\Docs\\a.txt > MyApp;C:\\Docs\\b.txt > MyApp;");

    CEditFileSets removeOnly;
    removeOnly.NoteRemoved("C:\\Docs\\a.txt");
    EXPECT_EQ(ApplyEditedFiles(m_file, index, false, removeOnly), TQ_OK);
    EXPECT_EQ(MyAppDocs(), "C:\\Docs\\b.txt > MyApp;");
}

}  // namespace
}  // namespace tq
