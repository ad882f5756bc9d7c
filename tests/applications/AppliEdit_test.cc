#include <gtest/gtest.h>

#include <tuple>

#include "applications/AppNameRules.h"
#include "applications/AppliCommit.h"
#include "applications/AppliOperations.h"
#include "applications/EditFileSets.h"
#include "applications/EditSession.h"
#include "manager/CtrlFile.h"
#include "manager/ProductFixture.h"
#include "platform/Path.h"
#include "platform/Win32Error.h"
#include "resources/ErrorCodes.h"
#include "resources/StringTable.h"

namespace tq {
namespace {

using test::kAppGroup;

// Fixed1 (fixed), Sel1 (selection) and MyApp (a user application with a group of its own).
class AppliEditTest : public testing::Test, public test::CProductFixture {
protected:
    static constexpr int32_t kMyApp = 2;
    void SetUp() override {
        ASSERT_EQ(m_file.OpenProductKey(test::kProductPath), 0);
        ASSERT_EQ(m_file.Load(), 0);
    }
    CCtrlDatabase& Db(size_t i) { return *m_file.GetDatabase(i); }
    const CCtrlGroup* TopGroup(const std::string& name) {
        return m_file.GetGroupSet().FindChildByName(&m_file.GetGroupSet(), name, false);
    }
    // "public name=name;" in list order.
    std::string Names() {
        std::string out;
        for (size_t i = 0; i < m_file.GetDBCount(); ++i) {
            out += Db(i).m_strPublicName + "=" + Db(i).m_strName + ";";
        }
        return out;
    }
    void AddNamed(std::initializer_list<std::string> names) {
        for (const auto& name : names) {
            CCtrlDatabase* db = m_file.AppendDatabase(DBTYPE_FREE);
            db->m_strName = name;
            db->m_strPublicName = "P" + name;
        }
    }
    std::string Make(const std::string& publicName, int32_t exclude = -1, int32_t expect = 1) {
        std::string name;
        EXPECT_EQ(m_apps.MakeDBName(publicName, exclude, name), expect) << publicName;
        return name;
    }
    CCtrlFile m_file;
    CAppliOperations m_apps{m_file};
};

TEST_F(AppliEditTest, RefusedAddsAndRenamesChangeNothing) {
    // A rename (of the index) or an add (to the type), the name, the result.
    const std::tuple<bool, int32_t, std::string, int32_t> cases[] = {
        {false, 3, "", TQE_DBNAME_RESERVED},
        {false, 3, std::string(257, 'x'), TQE_DBNAME_RESERVED},
        {false, 3, "a\tb", TQE_CONTROL_CHAR},
        {false, 3, "manuals", TQE_GROUP_NAME_USED},
        {false, 3, "myApp", TQE_DBNAME_TWICE},
        {false, 4, "New", TQE_DB_TYPE},
        {false, -1, "New", TQE_DB_TYPE},
        {true, 1, "X", TQE_DB_LOCKED},
        {true, 3, "X", TQE_DB_NUMBER},
        {true, 2, "", TQE_DBNAME_RESERVED},
        {true, 2, "fixed one", TQE_DBNAME_TWICE},
        {true, 2, "MyApp", TQ_OK},  // identical: nothing happens
    };
    const std::string before = Names();
    for (const auto& [bRename, n, name, lResult] : cases) {
        EXPECT_EQ(bRename ? m_apps.RenameAppli(n, name) : m_apps.AddAppli(n, name), lResult)
            << name;
    }
    EXPECT_EQ(Names(), before);
    EXPECT_FALSE(m_file.IsModified());
}

TEST_F(AppliEditTest, AddAppendsToItsTypeWithADerivedName) {
    for (const auto& [type, name] : {std::pair{3, "a:b"}, {0, "Sel1"}, {2, "S2"}, {1, "F2"}}) {
        EXPECT_EQ(m_apps.AddAppli(type, name), 0) << name;
    }
    EXPECT_EQ(Names(),
              "Fixed One=Fixed1;F2=F2;Selection One=Sel1;S2=S2;MyApp=MyApp;"
              "a:b=a\x81\106b;Sel1=Sel1#2;");  // \106 is 'F', the second byte of "："
    EXPECT_EQ(Db(5).m_dwState, DBSTATE_NEW | DBSTATE_REBUILD);
    EXPECT_FALSE(m_file.IsStructureChanged());
    EXPECT_EQ(m_file.FindDBByPublicName(3, "SEL1"), 2);  // found at its new position
    EXPECT_EQ(m_apps.AddAppli(3, std::string(256, 'x')), 0);
}

// Away, back in another case, away again: the builder is still told the name it knows.
TEST_F(AppliEditTest, RenamesKeepTheNameTheBuilderKnows) {
    const std::string strKnown(Db(kMyApp).m_strName);
    for (const char* pszName : {"B", "myapp", "C"}) {
        ASSERT_EQ(m_apps.RenameAppli(kMyApp, pszName), 0) << pszName;
    }
    EXPECT_EQ(std::string(Db(kMyApp).m_strPrevName), strKnown);
    EXPECT_EQ(std::string(Db(kMyApp).m_strPrevPublicName), "MyApp");
    ASSERT_EQ(m_apps.RemoveAppli(kMyApp), 0);
    EXPECT_EQ(m_file.GetRemovedNames(), std::vector<std::string>{strKnown});
}

// Rules in the order 109, 101, 103, 108, 102; a refused or unchanged OK leaves the model.
TEST_F(AppliEditTest, EditNameChecksFirstAndChangesOnlyWhenAllPass) {
    // The text, whether the targets are empty, the message, the public name after.
    const std::tuple<std::string, bool, uint32_t, const char*> cases[] = {
        {"x\ty", true, IDS_APP_NAME_CONTROL, "MyApp"},
        {"  ", true, IDS_ENTER_APP_NAME, "MyApp"},
        {"Selection one", true, IDS_APP_EXISTS, "MyApp"},
        {"Manuals", true, IDS_APP_NAME_UNUSABLE, "MyApp"},
        {"Renamed", true, IDS_SPECIFY_TARGETS, "MyApp"},
        {" MyApp ", false, 0, "MyApp"},
        {" MYAPP ", false, 0, "MYAPP"}};
    for (const auto& [text, bEmpty, id, nameAfter] : cases) {
        SCOPED_TRACE(text);
        const bool bRenames = id == 0 && m_file.GetPublicName(kMyApp) != nameAfter;
        m_file.ClearChanges();
        std::string strNew = "untouched";
        EXPECT_EQ(
            ApplyEditAppName(m_file, kMyApp, m_file.GetPublicName(kMyApp), text, bEmpty, strNew),
            id);
        EXPECT_EQ(m_file.GetPublicName(kMyApp), nameAfter);
        EXPECT_EQ(strNew, id == 0 ? nameAfter : "untouched");
        EXPECT_EQ(m_file.IsModified(), bRenames);
        EXPECT_EQ(m_file.IsStructureChanged(), bRenames);
    }
    // The application's own group follows the name.
    const CCtrlGroup* pApps = TopGroup(kAppGroup);
    ASSERT_NE(pApps, nullptr);
    EXPECT_NE(m_file.GetGroupSet().FindChildByName(pApps, "MYAPP", false), nullptr);
    EXPECT_EQ(m_file.GetGroupSet().FindChildByName(pApps, "MyApp", false), nullptr);
    // Without its own group the application cannot be edited.
    std::string strNew;
    ASSERT_EQ(m_apps.RenameGroup(&kAppGroup, "MYAPP", "Other"), 0);
    EXPECT_EQ(ApplyEditAppName(m_file, kMyApp, "MYAPP", "Fresh", false, strNew),
              IDS_APP_NAME_UNUSABLE);
    EXPECT_EQ(m_file.GetPublicName(kMyApp), "MYAPP");
}

TEST_F(AppliEditTest, GroupNamesAreCheckedAndAMissingParentIsCreated) {
    const std::string missing = "Missing", tools = "Tools", badParent = "T\x01";
    // Rename old to new under the parent, or add Fixed1 to new under the parent; the result.
    const std::tuple<bool, const std::string*, const char*, std::string, int32_t> cases[] = {
        {true, &missing, "MyApp", "X", TQE_GROUP_NAME},
        {true, &kAppGroup, "Other", "X", TQE_GROUP_NAME},
        {true, nullptr, "MyApp", "X", TQE_GROUP_NAME},  // not at top level
        {true, &kAppGroup, "MyApp", "", TQE_GROUP_NAME},
        {true, &kAppGroup, "MyApp", "X\r", TQE_CONTROL_CHAR},
        {true, nullptr, "Manuals", kAppGroup, TQE_GROUP_NAME_TWICE},
        {false, nullptr, "", "", TQE_GROUP_NAME},
        {false, nullptr, "", std::string(257, 'g'), TQE_GROUP_NAME},
        {false, nullptr, "", "a\tb", TQE_CONTROL_CHAR},
        {false, &badParent, "", "ok", TQE_CONTROL_CHAR}};
    const int32_t count = m_file.GetGroupSet().GetGroupCount();
    for (const auto& [bRename, pParent, pszOld, strNew, lResult] : cases) {
        EXPECT_EQ(bRename ? m_apps.RenameGroup(pParent, pszOld, strNew)
                          : m_apps.AddDBToGroup(1, strNew, pParent),
                  lResult)
            << pszOld << ">" << strNew;
    }
    EXPECT_EQ(m_apps.AddDBToGroup(7, "ok"), TQE_DB_NUMBER);
    EXPECT_EQ(m_file.GetGroupSet().GetGroupCount(), count);
    EXPECT_FALSE(m_file.IsModified());
    EXPECT_EQ(m_apps.RenameGroup(nullptr, "Manuals", "Guides"), 0);
    EXPECT_NE(TopGroup("Guides"), nullptr);
    EXPECT_TRUE(m_file.IsStructureChanged());
    EXPECT_EQ(m_apps.AddDBToGroup(1, "Sub", &tools), 0);
    EXPECT_EQ(m_apps.AddDBToGroup(1, "Sub", &tools), 0);  // listed twice
    ASSERT_NE(TopGroup("Tools"), nullptr);
    EXPECT_EQ(TopGroup("Tools")->GetChildren()[0]->GetName(), "Sub");
    EXPECT_EQ(TopGroup("Tools")->GetChildren()[0]->GetRefCount(), 2);
}

TEST_F(AppliEditTest, DocumentsAreNamedAndMatchedIgnoringCaseAndSuffixes) {
    // Written out, such a path would end its line and begin a section of its own; a '>' in a
    // name would cut the entry there when it is read back.
    const std::pair<const char*, int32_t> bad[] = {
        {"C:\\a.chm\r\n[Evil]\r\nGroup = 1", TQE_CONTROL_CHAR},
        {"C:\\a\x1F.chm", TQE_CONTROL_CHAR},
        {"C:\\notes>v2.txt", TQE_PATH}};
    for (const auto& [pszBad, lCode] : bad) {
        EXPECT_EQ(m_apps.AddDoc(2, pszBad), lCode) << pszBad;
        EXPECT_EQ(m_apps.RemoveDoc(2, pszBad), lCode == TQE_PATH ? TQE_DOC_NOT_REGISTERED : lCode);
    }
    EXPECT_FALSE(m_file.IsModified());
    for (const char* doc : {"<WINDOWS>\\b.hlp", "<WINDOWS>\\c.pdf|2 ", "C:\\e.chm > Elsewhere"}) {
        EXPECT_EQ(m_apps.AddDoc(2, doc), 0) << doc;
    }
    EXPECT_TRUE(m_file.IsModified());
    EXPECT_EQ(Db(kMyApp).m_docs,
              (CtrlStringList{"C:\\Docs\\my.chm > MyApp", "<WINDOWS>\\b.hlp > MyApp",
                              "<WINDOWS>\\c.pdf|2  > MyApp", "C:\\e.chm > Elsewhere"}));
    for (const char* twin :
         {"C:\\WINDOWS\\B.HLP", "C:\\docs\\my.chm > Other", "C:\\Windows\\c.pdf|7"}) {
        EXPECT_EQ(m_apps.AddDoc(2, twin), TQE_ALREADY_REGISTERED) << twin;
    }
    std::string path;
    EXPECT_EQ(m_apps.GetDocDisplayPath(2, 1, path), 0);
    EXPECT_EQ(path, GetWindowsDirectory() + "\\b.hlp");
    EXPECT_EQ(m_apps.GetDocDisplayPath(2, 2, path), 0);  // the macro's '>' is not the name's
    EXPECT_EQ(path, "<WINDOWS>\\c.pdf");
    EXPECT_EQ(m_apps.GetDocDisplayPath(2, 4, path), TQE_NUMBER);
    EXPECT_EQ(m_apps.RemoveDoc(2, "C:\\x.chm"), TQE_DOC_NOT_REGISTERED);
    EXPECT_EQ(m_apps.RemoveDoc(2, "C:\\E.CHM"), 3);
    EXPECT_EQ(m_file.GetDocCount(2), 3);
    CEditFileSets sets;  // what the edit dialog took away
    sets.NoteRemoved("C:\\WINDOWS\\b.hlp");
    EXPECT_EQ(ApplyEditedFiles(m_file, 2, false, sets), TQ_OK);
    EXPECT_EQ(m_file.GetDocCount(2), 2);
}

TEST_F(AppliEditTest, FreeNamesAndNumbering) {
    Db(2).m_strPrevName = "Old";
    EXPECT_EQ(Make("OLD", 2, DBNAME_PREVIOUS), "OLD");
    EXPECT_EQ(Make("old"), "old#2");  // for anyone else the previous name is taken
    EXPECT_EQ(Make("Manual"), "Manual");
    AddNamed({"Manual", "Manual#3"});
    EXPECT_EQ(Make("manual"), "manual#2");
    AddNamed({"Manual#2"});
    EXPECT_EQ(Make("Manual"), "Manual#4");
    EXPECT_EQ(Make("Manual", 4, DBNAME_OWN), "Manual#3");  // an excluded database keeps its own
    AddNamed({"Manual#107"});
    EXPECT_EQ(Make("Manual#107"), "Manual#108");
    EXPECT_EQ(Make("RESOURCE"), "RESOURCE#2");
    EXPECT_EQ(Make("\t"), "2");
    AddNamed({"#"});
    EXPECT_EQ(Make("#"), "#2");
    // A plain file in the data folder takes the name; a folder is the database's own.
    test::WriteLinuxFile(C("Data/abc"), "");
    EXPECT_EQ(Make("abc"), "abc#2");
    test::MakeLinuxDir(C("Data/def"));
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

// Mutex, product key, switch, load: stops at the first failure; an ended session frees all.
TEST(EditSessionTest, OpenStopsAtTheFirstFailingStepAndEndsHoldingNothing) {
    test::CProductFixture product;
    // The case, whether another editor holds the mutex, the product, its switch, the result.
    const std::tuple<const char*, bool, const char*, uint32_t, int32_t> cases[] = {
        {"another editor, even of a missing product", true, "Missing", 1, TQE_EDITING},
        {"missing product", false, "Missing", 1, TQE_REG_READ},
        {"customize off", false, "Demo", 0, TQE_CUSTOMIZE_OFF},
        {"ready", false, "Demo", 1, 0}};
    for (const auto& [pszCase, bOtherEditor, pszProduct, dwCustomize, lResult] : cases) {
        SCOPED_TRACE(pszCase);
        test::CProductFixture::SetCustomize(dwCustomize);
        {
            CNamedMutex other;
            if (bOtherEditor) {
                ASSERT_EQ(other.Create(kEditMutexName, true), 0);
            }
            CEditSession session;
            EXPECT_EQ(session.Open(std::string(kProductKeyBase) + pszProduct), lResult);
            EXPECT_EQ(session.GetCtrlFile().IsLoaded(), lResult == 0);
            EXPECT_EQ(session.HoldsMutex(), lResult != TQE_EDITING);
        }
        CNamedMutex probe;
        EXPECT_EQ(probe.Open(kEditMutexName), ERROR_FILE_NOT_FOUND);
    }
}

}  // namespace
}  // namespace tq
