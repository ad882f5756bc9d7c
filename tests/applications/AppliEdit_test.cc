// The application operations of the control-file object: adding, renaming and removing user
// applications (and what the add and edit dialogs make of them), their groups and documents,
// addressing and selection, and database names.
#include <gtest/gtest.h>

#include "applications/AppNameRules.h"
#include "applications/AppliCommit.h"
#include "applications/EditFileSets.h"
#include "controlfile/CtrlGroupSet.h"
#include "manager/CtrlFile.h"
#include "manager/PathRules.h"
#include "manager/ProductFixture.h"
#include "platform/MessageBox.h"
#include "resources/ErrorCodes.h"
#include "resources/StringTable.h"

namespace tq {
namespace {

using test::kAppGroup;

const std::string kFullSpace = "\x81\x40";  // "　"

// A product with its base control file loaded: Fixed1 (fixed), Sel1 (selection type) and MyApp
// (a saved user application in the groups "アプリケーション" and "アプリケーション\MyApp").
class AppliEditTest : public testing::Test, public test::CProductFixture {
protected:
    static constexpr int32_t kMyApp = 2;
    void SetUp() override {
        ASSERT_EQ(m_file.OpenProductKey(test::kProductPath), 0);
        ASSERT_EQ(m_file.Load(), 0);
    }
    CCtrlDatabase& Db(size_t i) { return *m_file.GetDatabase(i); }
    const CCtrlGroup* TopGroup(const std::string& name) {
        return m_file.m_groupSet.FindChildByName(&m_file.m_groupSet, name, false);
    }
    // Public names in list order.
    std::string Names() {
        std::string out;
        for (size_t i = 0; i < m_file.GetDBCount(); ++i) {
            out += Db(i).m_strPublicName + "=" + Db(i).m_strName + ";";
        }
        return out;
    }
    CtrlStringList& Docs() { return Db(kMyApp).m_docs; }
    // "name<previous name<previous public name" and whether the public name counts as changed.
    std::string Renamed(size_t i) {
        const CCtrlDatabase& db = Db(i);
        const uint32_t state = db.m_dwState;
        return std::string(db.m_strName) + "<" + std::string(db.m_strPrevName) + "<" +
               std::string(db.m_strPrevPublicName) +
               (state == DBSTATE_NAME_CHANGED ? " changed"
                : state == 0                  ? ""
                                              : " ?");
    }
    // Adds databases with these names (public names "P<name>") at the end.
    void AddNamed(std::initializer_list<std::string> names) {
        for (const auto& name : names) {
            CCtrlDatabase* db = m_file.AppendDatabase();
            db->m_strName = name;
            db->m_strPublicName = "P" + name;
            ++m_file.m_nFreeCount;
        }
    }
    std::string Make(const std::string& publicName, int32_t exclude = -1, int32_t expect = 1) {
        std::string name;
        EXPECT_EQ(m_file.MakeDBName(publicName, exclude, name), expect) << publicName;
        return name;
    }

    CCtrlFile m_file;
};

TEST_F(AppliEditTest, AddAppendsToItsTypeWithADerivedName) {
    EXPECT_EQ(m_file.AddAppli(3, "a:b"), 0);
    EXPECT_EQ(m_file.AddAppli(0, "Sel1"), 0);
    EXPECT_EQ(m_file.AddAppli(2, "S2"), 0);
    EXPECT_EQ(m_file.AddAppli(1, "F2"), 0);
    EXPECT_EQ(Names(),
              "Fixed One=Fixed1;F2=F2;Selection One=Sel1;S2=S2;MyApp=MyApp;"
              "a:b=a\x81\x46"
              "b;Sel1=Sel1#2;");
    EXPECT_EQ(m_file.m_nFixedCount, 2u);
    EXPECT_EQ(m_file.m_nSelectionCount, 2u);
    EXPECT_EQ(m_file.m_nFreeCount, 3u);
    EXPECT_EQ(Db(5).m_dwState, DBSTATE_NEW | DBSTATE_REBUILD);
    EXPECT_EQ(m_file.m_dwModified, 1u);
    EXPECT_EQ(m_file.m_dwStructureChanged, 0u);
    EXPECT_EQ(m_file.FindDBByPublicName(3, "SEL1"), 2);  // found at its new position
}

TEST_F(AppliEditTest, AddRefusesBadNamesAndChangesNothing) {
    const struct {
        std::string m_name;
        int32_t m_type;
        int32_t m_lResult;
    } cases[] = {
        {"", 3, TQE_DBNAME_RESERVED},
        {std::string(257, 'x'), 3, TQE_DBNAME_RESERVED},
        {"a\tb", 3, TQE_CONTROL_CHAR},
        {"selection ONE", 3, TQE_DBNAME_TWICE},
        {"manuals", 3, TQE_GROUP_NAME_USED},
        {"myApp", 3, TQE_DBNAME_TWICE},
        {"New", 4, TQE_DB_TYPE},
        {"New", -1, TQE_DB_TYPE},
    };
    const std::string before = Names();
    for (const auto& c : cases) {
        EXPECT_EQ(m_file.AddAppli(c.m_type, c.m_name), c.m_lResult) << c.m_name;
    }
    EXPECT_EQ(Names(), before);
    EXPECT_EQ(m_file.m_dwModified, 0u);
    EXPECT_EQ(m_file.AddAppli(3, std::string(256, 'x')), 0);
}

TEST_F(AppliEditTest, RenamingToAndFroRestoresTheLoadedName) {
    EXPECT_EQ(m_file.RenameAppli(2, "B"), 0);
    EXPECT_EQ(Renamed(2), "B<MyApp<MyApp changed");
    EXPECT_EQ(m_file.m_dwStructureChanged, 1u);
    EXPECT_EQ(m_file.RenameAppli(2, "MyApp"), 0);
    EXPECT_EQ(Renamed(2), "MyApp<<");
    // Back in another case: the name comes back, the change of public name stays.
    EXPECT_EQ(m_file.RenameAppli(2, "B"), 0);
    EXPECT_EQ(m_file.RenameAppli(2, "myapp"), 0);
    EXPECT_EQ(Renamed(2), "MyApp<<MyApp changed");
    EXPECT_EQ(m_file.FindDBByPublicName(0, "MYAPP"), 2);
    EXPECT_EQ(m_file.FindDBByPublicName(0, "B"), TQE_DBNAME_NOT_FOUND);
}

TEST_F(AppliEditTest, RenameChecks) {
    EXPECT_EQ(m_file.RenameAppli(1, "X"), TQE_DB_LOCKED);
    EXPECT_EQ(m_file.RenameAppli(3, "X"), TQE_DB_NUMBER);
    EXPECT_EQ(m_file.RenameAppli(2, ""), TQE_DBNAME_RESERVED);
    EXPECT_EQ(m_file.RenameAppli(2, "a\nb"), TQE_CONTROL_CHAR);
    EXPECT_EQ(m_file.RenameAppli(2, "fixed one"), TQE_DBNAME_TWICE);
    EXPECT_EQ(m_file.RenameAppli(2, "Manuals"), TQE_GROUP_NAME_USED);
    EXPECT_EQ(m_file.RenameAppli(2, "MyApp"), 0);  // identical: nothing happens
    EXPECT_EQ(m_file.m_dwModified, 0u);
    // A change of case only passes its own subgroup.
    EXPECT_EQ(m_file.RenameAppli(2, "MYAPP"), 0);
    EXPECT_EQ(Db(2).m_strName, "MYAPP");
    // A new application leaves no previous names.
    ASSERT_EQ(m_file.AddAppli(3, "Fresh"), 0);
    EXPECT_EQ(m_file.RenameAppli(3, "Fresher"), 0);
    EXPECT_EQ(Renamed(3), "Fresher<< ?");  // state: new
}

TEST_F(AppliEditTest, RemoveDropsGroupsNothingElseUsesAndRemembersSavedNames) {
    CScriptedMessageBox box;
    CMessageBoxScope scope(box);
    ASSERT_EQ(m_file.AddAppli(3, "Two"), 0);
    ASSERT_EQ(m_file.AddDBToGroup(3, kAppGroup), 0);
    EXPECT_EQ(m_file.RemoveAppli(2, true), TQE_CANCELLED);
    EXPECT_EQ(m_file.GetDBCount(), 4u);
    box.PushAnswer(IDYES);
    EXPECT_EQ(m_file.RemoveAppli(2, true), 0);
    ASSERT_EQ(box.GetShown().size(), 2u);
    EXPECT_EQ(box.GetShown()[1].m_strText, LoadString(IDS_CONFIRM_REMOVE_APP));
    EXPECT_EQ(box.GetShown()[1].m_strCaption, "Demo Search");
    EXPECT_EQ(m_file.m_removedNames, std::vector<std::string>{"MyApp"});
    const CCtrlGroup* app = TopGroup(kAppGroup);
    ASSERT_NE(app, nullptr);  // still used by Two
    EXPECT_TRUE(app->GetChildren().empty());
    EXPECT_EQ(m_file.m_groupSet.GetGroupCount(), 2);
    EXPECT_EQ(m_file.m_nFreeCount, 1u);
    EXPECT_EQ(m_file.m_dwStructureChanged, 1u);
    // A new application leaves no removed name; its last group goes with it.
    EXPECT_EQ(m_file.RemoveAppli(2, false), 0);
    EXPECT_EQ(m_file.m_removedNames.size(), 1u);
    EXPECT_EQ(TopGroup(kAppGroup), nullptr);
    EXPECT_EQ(m_file.RemoveAppli(1, false), TQE_DB_LOCKED);
    EXPECT_EQ(m_file.RemoveAppli(2, false), TQE_DB_NUMBER);
}

TEST_F(AppliEditTest, RemovingARenamedApplicationRemembersTheNameTheBuilderKnows) {
    ASSERT_EQ(m_file.RenameAppli(2, "B"), 0);
    EXPECT_EQ(m_file.RemoveAppli(2, false), 0);
    EXPECT_EQ(m_file.m_removedNames, std::vector<std::string>{"MyApp"});
}

// ---- the add and edit dialogs' name rules and commits ----

TEST_F(AppliEditTest, NewNameChecksInOrder) {
    struct {
        std::string text;
        uint32_t id;
    } cases[] = {
        {" \t ", IDS_APP_NAME_CONTROL},
        {"New\t", IDS_APP_NAME_CONTROL},
        {kFullSpace + "  ", IDS_ENTER_APP_NAME},
        {" " + kAppGroup + " ", IDS_APP_NAME_UNUSABLE},
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

TEST_F(AppliEditTest, AddAndCommitANewApplication) {
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
    const CCtrlGroup* pApps = TopGroup(kAppGroup);
    ASSERT_NE(pApps, nullptr);
    EXPECT_NE(m_file.m_groupSet.FindChildByName(pApps, "Notes", false), nullptr);
}

// Every rule is checked before anything changes, in the order 109, 101, 103, 108, 102: a
// refused OK, and an OK that keeps the name, leave the model and its flags as they were.
TEST_F(AppliEditTest, EditNameChecksFirstAndChangesOnlyWhenAllPass) {
    struct {
        std::string text;
        bool bEmpty;
        uint32_t id;
        const char* nameAfter;
    } cases[] = {
        {"x\ty", true, IDS_APP_NAME_CONTROL, "MyApp"},
        {"  ", true, IDS_ENTER_APP_NAME, "MyApp"},
        {"Selection one", true, IDS_APP_EXISTS, "MyApp"},
        {"Manuals", true, IDS_APP_NAME_UNUSABLE, "MyApp"},
        {"Renamed", true, IDS_SPECIFY_TARGETS, "MyApp"},
        {" MyApp ", false, 0, "MyApp"},
        {" MYAPP ", false, 0, "MYAPP"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const bool bRenames = c.id == 0 && m_file.GetPublicName(kMyApp) != c.nameAfter;
        m_file.m_dwModified = 0;
        m_file.m_dwStructureChanged = 0;
        std::string strNew = "untouched";
        EXPECT_EQ(ApplyEditAppName(m_file, kMyApp, m_file.GetPublicName(kMyApp), c.text, c.bEmpty,
                                   strNew),
                  c.id);
        EXPECT_EQ(m_file.GetPublicName(kMyApp), c.nameAfter);
        EXPECT_EQ(strNew, c.id == 0 ? c.nameAfter : "untouched");
        EXPECT_EQ(m_file.m_dwModified != 0, bRenames);
        EXPECT_EQ(m_file.m_dwStructureChanged != 0, bRenames);
    }
    // The application's own group follows the name.
    const CCtrlGroup* pApps = TopGroup(kAppGroup);
    ASSERT_NE(pApps, nullptr);
    EXPECT_NE(m_file.m_groupSet.FindChildByName(pApps, "MYAPP", false), nullptr);
    EXPECT_EQ(m_file.m_groupSet.FindChildByName(pApps, "MyApp", false), nullptr);
}

TEST_F(AppliEditTest, EditWithoutOwnGroupIsRefusedAndRestored) {
    ASSERT_EQ(m_file.RenameGroup(&kAppGroup, "MyApp", "Other"), 0);
    std::string strNew;
    EXPECT_EQ(ApplyEditAppName(m_file, kMyApp, "MyApp", "MyApp", false, strNew),
              IDS_APP_NAME_UNUSABLE);
    EXPECT_EQ(ApplyEditAppName(m_file, kMyApp, "MyApp", "Fresh", false, strNew),
              IDS_APP_NAME_UNUSABLE);
    EXPECT_EQ(m_file.GetPublicName(kMyApp), "MyApp");
    EXPECT_EQ(Db(kMyApp).m_strName, "MyApp");
}

TEST_F(AppliEditTest, ApplyEditedFilesRemovesFirstAndTellsWhetherAnythingChanged) {
    CEditFileSets none;
    EXPECT_EQ(ApplyEditedFiles(m_file, kMyApp, false, none), TQE_CANCELLED);
    EXPECT_EQ(ApplyEditedFiles(m_file, kMyApp, true, none), TQ_OK);

    CEditFileSets sets;
    sets.NoteRemoved("C:\\Docs\\my.chm");
    sets.NoteAdded("C:\\Docs\\b.txt");
    sets.NoteAdded("C:\\Docs\\a.txt");
    EXPECT_EQ(ApplyEditedFiles(m_file, kMyApp, false, sets), TQ_OK);
    EXPECT_EQ(Docs(), (CtrlStringList{"C:\\Docs\\a.txt > MyApp", "C:\\Docs\\b.txt > MyApp"}));

    CEditFileSets removeOnly;
    removeOnly.NoteRemoved("C:\\Docs\\a.txt");
    EXPECT_EQ(ApplyEditedFiles(m_file, kMyApp, false, removeOnly), TQ_OK);
    EXPECT_EQ(Docs(), CtrlStringList{"C:\\Docs\\b.txt > MyApp"});
}

// ---- groups ----

TEST_F(AppliEditTest, TheWizardsFilingAndTheEditDialogsRename) {
    ASSERT_EQ(m_file.AddAppli(3, "New"), 0);
    EXPECT_EQ(m_file.AddDBToGroup(3, kAppGroup), 0);
    EXPECT_EQ(m_file.AddDBToGroup(3, "New", &kAppGroup), 0);
    const CCtrlGroup* app = TopGroup(kAppGroup);
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(app->GetRefCount(), 2);
    ASSERT_EQ(app->GetChildren().size(), 2u);
    const CCtrlGroup* own = app->GetChildren()[1].get();
    EXPECT_EQ(own->GetName(), "New");
    EXPECT_EQ(own->GetRefCount(), 1);
    EXPECT_EQ(Db(3).m_groups, (std::pmr::vector<CCtrlGroup*>{const_cast<CCtrlGroup*>(app),
                                                             const_cast<CCtrlGroup*>(own)}));
    EXPECT_EQ(m_file.m_dwStructureChanged, 0u);
    // Renaming the application renames its subgroup.
    ASSERT_EQ(m_file.RenameAppli(3, "Newer"), 0);
    EXPECT_EQ(m_file.RenameGroup(&kAppGroup, "New", "Newer"), 0);
    EXPECT_EQ(own->GetName(), "Newer");
    EXPECT_EQ(m_file.AddAppli(3, "newer"), TQE_DBNAME_TWICE);
    EXPECT_EQ(m_file.AddAppli(3, "NEW"), 0);  // the old group name is free again
}

TEST_F(AppliEditTest, MissingParentIsCreatedAtTopLevelAndBadNamesAreRefused) {
    const std::string parent = "Tools";
    EXPECT_EQ(m_file.AddDBToGroup(1, "Sub", &parent), 0);
    const CCtrlGroup* tools = TopGroup("Tools");
    ASSERT_NE(tools, nullptr);
    EXPECT_EQ(tools->GetChildren()[0]->GetName(), "Sub");
    EXPECT_EQ(m_file.AddDBToGroup(1, "Sub", &parent), 0);  // listed twice
    EXPECT_EQ(tools->GetChildren()[0]->GetRefCount(), 2);
    const std::string badParent = "T\x01";
    const struct {
        std::string m_name;
        const std::string* m_pParent;
        int32_t m_lResult;
    } cases[] = {
        {"", nullptr, TQE_GROUP_NAME},
        {std::string(257, 'g'), nullptr, TQE_GROUP_NAME},
        {"a\tb", nullptr, TQE_CONTROL_CHAR},
        {"ok", &badParent, TQE_CONTROL_CHAR},
    };
    const int32_t count = m_file.m_groupSet.GetGroupCount();
    for (const auto& c : cases) {
        EXPECT_EQ(m_file.AddDBToGroup(1, c.m_name, c.m_pParent), c.m_lResult) << c.m_name;
    }
    EXPECT_EQ(m_file.AddDBToGroup(7, "ok"), TQE_DB_NUMBER);
    EXPECT_EQ(m_file.m_groupSet.GetGroupCount(), count);
}

TEST_F(AppliEditTest, RenameGroupChecks) {
    const std::string missing = "Missing";
    EXPECT_EQ(m_file.RenameGroup(&missing, "MyApp", "X"), TQE_GROUP_NAME);
    EXPECT_EQ(m_file.RenameGroup(&kAppGroup, "Other", "X"), TQE_GROUP_NAME);
    EXPECT_EQ(m_file.RenameGroup(nullptr, "MyApp", "X"), TQE_GROUP_NAME);  // not at top level
    EXPECT_EQ(m_file.RenameGroup(&kAppGroup, "MyApp", ""), TQE_GROUP_NAME);
    EXPECT_EQ(m_file.RenameGroup(&kAppGroup, "MyApp", "X\r"), TQE_CONTROL_CHAR);
    EXPECT_EQ(m_file.RenameGroup(nullptr, "Manuals", kAppGroup), TQE_GROUP_NAME_TWICE);
    EXPECT_EQ(m_file.m_dwModified, 0u);
    EXPECT_EQ(m_file.RenameGroup(nullptr, "Manuals", "Guides"), 0);
    EXPECT_NE(TopGroup("Guides"), nullptr);
    EXPECT_EQ(m_file.m_dwStructureChanged, 1u);
    EXPECT_EQ(m_file.m_dwModified, 1u);
}

TEST_F(AppliEditTest, AddressingAndSelection) {
    const int32_t kType = TQE_DB_TYPE, kNumber = TQE_DB_NUMBER;
    // Counts by type: all, fixed, selection, user applications.
    const int32_t counts[][2] = {{0, 3}, {1, 1}, {2, 1}, {3, 1}, {4, kType}, {-1, kType}};
    for (const auto& c : counts) {
        EXPECT_EQ(m_file.CountDBs(c[0]), c[1]) << c[0];
    }
    const int32_t indexes[][3] = {{0, 2, 2}, {0, 3, kNumber}, {1, 0, 0},        {2, 0, 1},
                                  {3, 0, 2}, {3, 1, kNumber}, {2, -1, kNumber}, {5, 0, kType}};
    for (const auto& c : indexes) {
        EXPECT_EQ(m_file.GetDBIndex(c[0], c[1]), c[2]) << c[0] << c[1];
    }
    EXPECT_EQ(m_file.FindDBByPublicName(0, "selection ONE"), 1);
    EXPECT_EQ(m_file.FindDBByPublicName(2, "Selection One"), 0);
    EXPECT_EQ(m_file.FindDBByPublicName(3, "Selection One"), TQE_DBNAME_NOT_FOUND);
    EXPECT_EQ(m_file.FindDBByPublicName(4, "Selection One"), TQE_DB_TYPE);
    EXPECT_EQ(m_file.GetPublicName(0), "Fixed One");
    EXPECT_EQ(m_file.GetPublicName(3), "");
    EXPECT_EQ(m_file.SetDBSelected(0, 0), TQE_DB_LOCKED);
    EXPECT_EQ(m_file.SetDBSelected(3, 0), TQE_DB_NUMBER);
    EXPECT_EQ(m_file.SetDBSelected(1, 0), 0);
    EXPECT_EQ(m_file.SetDBSelected(2, 0), 0);
    EXPECT_EQ(m_file.SetDBSelected(2, 7), 0);
    EXPECT_EQ(Db(1).m_dwState, DBSTATE_DESELECTED);
    EXPECT_EQ(Db(2).m_dwState, 0u);
    EXPECT_EQ(m_file.m_dwModified, 0u);
}

// ---- documents ----

TEST_F(AppliEditTest, AddNamesTheDatabaseUnlessThePathDoesAndRefusesTwins) {
    EXPECT_EQ(m_file.AddDoc(2, "C:\\a.chm"), 0);
    EXPECT_EQ(m_file.AddDoc(2, "C:\\b.chm > Elsewhere"), 0);
    EXPECT_EQ(m_file.AddDoc(2, "<WINDOWS>\\help\\c.hlp"), 0);
    EXPECT_EQ(m_file.AddDoc(2, "C:\\d.pdf|2 "), 0);
    EXPECT_EQ(Docs(), (CtrlStringList{"C:\\Docs\\my.chm > MyApp", "C:\\a.chm > MyApp",
                                      "C:\\b.chm > Elsewhere", "<WINDOWS>\\help\\c.hlp > MyApp",
                                      "C:\\d.pdf|2  > MyApp"}));
    EXPECT_NE(Db(2).m_dwState & DBSTATE_REBUILD, 0u);
    EXPECT_EQ(m_file.m_dwModified, 1u);
    for (const char* twin : {"c:\\A.CHM", "C:\\b.chm", "C:\\WINDOWS\\HELP\\C.HLP",
                             "C:\\docs\\my.chm > Other", "C:\\d.pdf|7"}) {
        EXPECT_EQ(m_file.AddDoc(2, twin), TQE_ALREADY_REGISTERED) << twin;
    }
    EXPECT_EQ(Docs().size(), 5u);
    EXPECT_EQ(m_file.AddDoc(9, "C:\\x.chm"), TQE_DB_NUMBER);
}

TEST_F(AppliEditTest, PathsWithControlCharactersAreRefused) {
    // Written out, such a path would end its line and begin a section of its own.
    for (const char* bad : {"C:\\a.chm\r\n[Evil]\r\nGroup = 1", "C:\\a\nb.chm", "C:\\a\x1F.chm"}) {
        EXPECT_EQ(m_file.AddDoc(2, bad), TQE_CONTROL_CHAR);
        EXPECT_EQ(m_file.RemoveDoc(2, bad), TQE_CONTROL_CHAR);
    }
    EXPECT_EQ(Docs().size(), 1u);
    EXPECT_EQ(m_file.m_dwModified, 0u);
    EXPECT_EQ(Db(2).m_dwState, 0u);
}

TEST_F(AppliEditTest, RemoveTakesTheFirstEntryWithThatPath) {
    Docs() = {"<WINDOWS>\\h.hlp > MyApp", "C:\\a.chm > MyApp", "C:\\A.chm > Other"};
    EXPECT_EQ(m_file.RemoveDoc(2, "C:\\x.chm"), TQE_DOC_NOT_REGISTERED);
    EXPECT_EQ(m_file.m_dwModified, 0u);
    EXPECT_EQ(m_file.RemoveDoc(2, "c:\\a.chm"), 1);
    EXPECT_EQ(Docs(), (CtrlStringList{"<WINDOWS>\\h.hlp > MyApp", "C:\\A.chm > Other"}));
    EXPECT_EQ(m_file.RemoveDoc(2, "C:\\WINDOWS\\H.HLP > Whatever"), 0);
    EXPECT_EQ(Docs(), CtrlStringList{"C:\\A.chm > Other"});
    EXPECT_NE(Db(2).m_dwState & DBSTATE_REBUILD, 0u);
}

TEST_F(AppliEditTest, DisplayPaths) {
    Docs() = {"C:\\a.chm > MyApp", "<WINDOWS>\\b.hlp > MyApp", "C:\\c.pdf|topic > MyApp",
              "<WINDOWS>\\d.chm|t > MyApp", "C:\\e.txt"};
    const char* expected[] = {"C:\\a.chm", "C:\\WINDOWS\\b.hlp", "C:\\c.pdf", "<WINDOWS>\\d.chm",
                              "C:\\e.txt"};
    for (int32_t i = 0; i < 5; ++i) {
        std::string path;
        EXPECT_EQ(m_file.GetDocDisplayPath(2, i, path), 0);
        EXPECT_EQ(path, expected[i]);
    }
    std::string path = "untouched";
    EXPECT_EQ(m_file.GetDocDisplayPath(2, 5, path), TQE_NUMBER);
    EXPECT_EQ(m_file.GetDocDisplayPath(2, -1, path), TQE_NUMBER);
    EXPECT_EQ(path, "untouched");
    EXPECT_EQ(m_file.GetDocCount(2), 5);
}

// ---- database names ----

TEST_F(AppliEditTest, FreeNamesAndNumbering) {
    EXPECT_EQ(Make("Manual"), "Manual");
    AddNamed({"Manual", "Manual#3"});
    EXPECT_EQ(Make("manual"), "manual#2");
    AddNamed({"Manual#2"});
    EXPECT_EQ(Make("Manual"), "Manual#4");
    AddNamed({"Manual#7"});
    EXPECT_EQ(Make("Manual#7"), "Manual#8");
    EXPECT_EQ(Make("Manual#x7"), "Manual#x7");
    EXPECT_EQ(Make("RESOURCE"), "RESOURCE#2");
    EXPECT_EQ(Make("Resource"), "Resource#2");
    EXPECT_EQ(Make("a:b"),
              "a\x81\x46"
              "b");
    EXPECT_EQ(Make("\t"), "2");
    EXPECT_EQ(Make("#"), "#");
    AddNamed({"#"});
    EXPECT_EQ(Make("#"), "#2");
    EXPECT_EQ(Make("Sel1"), "Sel1#2");  // the name of another database
    // A plain file in the data folder takes the name; a folder is the database's own.
    test::WriteLinuxFile(C("Data/abc"), "");
    EXPECT_EQ(Make("abc"), "abc#2");
    mkdir(C("Data/def").c_str(), 0755);
    EXPECT_EQ(Make("def"), "def");
}

TEST_F(AppliEditTest, LongNamesAreCutOnWholeCharacters) {
    EXPECT_EQ(Make(std::string(70, 'a')), std::string(64, 'a'));
    // The 64th byte would start "あ" (0x82 0xA0): 63 bytes stay.
    EXPECT_EQ(Make(std::string(63, 'a') + "\x82\xA0" + "bbb"), std::string(63, 'a'));
    EXPECT_EQ(Make(std::string(62, 'a') + " ." + "bbbbbb"), std::string(62, 'a') + " _");
    EXPECT_EQ(Make(std::string(62, 'a') + "  bbbbbb"), std::string(62, 'a'));
    AddNamed({std::string(64, 'a')});
    EXPECT_EQ(Make(std::string(70, 'a')), std::string(58, 'a') + "#2");
}

TEST_F(AppliEditTest, ExcludedDatabaseMayKeepItsNameOrTakeBackItsPreviousOne) {
    Db(2).m_strPrevName = "Old";
    EXPECT_EQ(Make("myapp", 2, DBNAME_OWN), "myapp");
    EXPECT_EQ(Make("OLD", 2, DBNAME_PREVIOUS), "OLD");
    EXPECT_EQ(Make("old"), "old#2");  // for anyone else the previous name is taken
    AddNamed({"Manual", "Manual#2"});
    EXPECT_EQ(Make("Manual", 4, DBNAME_OWN), "Manual#2");
}

TEST_F(AppliEditTest, WhenEveryNumberIsTakenAFileNameOfTheDataFolderIsUsed) {
    for (int n = 2; n <= 1000; ++n) {
        AddNamed({"X#" + std::to_string(n)});
    }
    AddNamed({"X", "X#0", "X#1"});
    // Starts at 2, at 1000 and at 1: each stops after one round.
    for (const char* publicName : {"X", "X#999", "X#0"}) {
        const std::string name = Make(publicName);
        EXPECT_TRUE(name.starts_with("TQ") && name.ends_with(".tmp")) << name;
        EXPECT_EQ(CheckDatabaseName(name), DBNAME_OK) << name;
        EXPECT_EQ(GetPathType("C:\\Data\\" + name), PATH_NONE);  // the probe file is gone
    }
    m_file.SetDataPath("C:\\NoSuchFolder\\");
    std::string name = "untouched";
    EXPECT_EQ(m_file.MakeDBName("X", -1, name), TQE_DB_FOLDER_CREATE);
    EXPECT_EQ(name, "untouched");
}

}  // namespace
}  // namespace tq
