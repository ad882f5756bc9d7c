#include "manager/CtrlFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "ProductFixture.h"
#include "applications/EditSession.h"
#include "manager/ProductRegKey.h"
#include "platform/Faults.h"
#include "platform/File.h"
#include "platform/MessageBox.h"
#include "platform/Win32Error.h"
#include "resources/ErrorCodes.h"
#include "resources/StringTable.h"

namespace tq {
namespace {

using test::kProductPath;

const std::string kRequestsNone = "<REG>=1;";

class CtrlFileTest : public testing::Test, public test::CProductFixture {
protected:
    void SetUp() override { SetMessageBox(&m_box); }
    void TearDown() override {
        SetMessageBox(nullptr);
        SetFaultHook(nullptr);
    }
    static void LoadInto(CCtrlFile& file) {
        ASSERT_EQ(file.OpenProductKey(kProductPath), 0);
        ASSERT_EQ(file.Load(), 0);
    }
    // Saves once so a control file exists, then loads; bLoseNextId: died before the next id.
    void SaveOnceAndLoad(bool bLoseNextId = false) {
        {
            CCtrlFile first;
            LoadInto(first);
            ASSERT_EQ(first.Save(), 0);
        }
        if (bLoseNextId) {
            DeleteValue("GroupSet", "NextUniqueID");
        }
        LoadInto(m_file);
    }
    std::string Requests() const { return Values("Builder\\Request"); }
    CScriptedMessageBox m_box;
    // The session asks the questions; the model and the operations are its own.
    CEditSession m_session;
    CCtrlFile& m_file = m_session.GetCtrlFile();
    CAppliOperations& m_apps = m_session.GetAppli();
    const std::string m_question = LoadString(IDS_CONFIRM_EDITED);
};

// The log and the doc list are found beside the control files; the shared current directory stays.
TEST_F(CtrlFileTest, RelativePathsAreTakenFromTheControlFolderNotTheCurrentDirectory) {
    test::WriteLinuxFile(C("Ctrl/list.txt"), "x");
    test::WriteLinuxFile(C("Ctrl/base.ctl"), "OutputLog = idx.log\r\n" + test::kBaseText +
                                                 "DocListFile = list.txt\r\n");
    const std::string saved = GetCurrentDirectory();
    ASSERT_EQ(SetCurrentDirectory("C:\\Data"), 0);
    const auto now = [] {
        const std::time_t t = std::time(nullptr);
        char s[16];
        std::strftime(s, sizeof s, "%Y%m%d%H%M%S", std::localtime(&t));
        return std::stoull(s);
    };
    const uint64_t before = now();
    LoadInto(m_file);
    // No control file yet: the builder's reset is stamped with the local date and time.
    unsigned long long date = 0, time = 0;
    ASSERT_EQ(std::sscanf(Values("Builder\\GroupSet").c_str(), "ResetDate=%llu;ResetTime=%llu;",
                          &date, &time),
              2);
    EXPECT_LE(before, date * 1000000 + time);
    EXPECT_LE(date * 1000000 + time, now());
    EXPECT_EQ(GetCurrentDirectory(), "C:\\Data\\");
    EXPECT_TRUE(test::LinuxFileExists(C("Ctrl/idx.log")));
    SetCurrentDirectory(saved);
}

TEST_F(CtrlFileTest, SelectionChangeAsksAndASaveWhileTheBuilderReadsTheControlFileWritesNothing) {
    SaveOnceAndLoad();
    std::string base = Base();
    ASSERT_EQ(m_apps.SetDBSelected(1, 0), 0);
    EXPECT_FALSE(m_file.IsModified());
    SetString("Builder\\Request", "<REG>", "");  // no longer 1
    // No: nothing is written, the marks stay for the next try.
    EXPECT_EQ(m_session.Save(SAVEMODE_EDITED), TQE_CANCELLED);
    EXPECT_EQ(Base(), base);
    m_box.PushAnswer(IDYES);
    EXPECT_EQ(m_session.Save(SAVEMODE_EDITED), 0);
    ASSERT_EQ(m_box.GetShown().size(), 2u);
    EXPECT_EQ(m_box.GetShown()[1].m_strText, m_question);
    EXPECT_EQ(m_box.GetShown()[1].m_strCaption, "Demo Search");
    EXPECT_NE(Base().find("[Sel1]~"), std::string::npos);
    EXPECT_EQ(Control().find("Sel1"), std::string::npos);
    EXPECT_EQ(Requests(), kRequestsNone);  // deselected: no request of its own
    EXPECT_FALSE(m_file.IsModified());
    EXPECT_FALSE(m_file.IsStructureChanged());
    EXPECT_EQ(m_file.GetDatabase(1)->m_dwState, DBSTATE_WAS_DESELECTED | DBSTATE_DESELECTED);
    // Selected again while the builder reads the control file: a save that could not replace
    // it would lose Sel1's request, so it refuses before writing and keeps the builder out.
    ASSERT_EQ(m_apps.SetDBSelected(1, 1), 0);
    base = Base();
    const std::string control = Control();
    SetString("Builder\\Request", "<REG>", "");
    {
        CFile builder;
        ASSERT_EQ(builder.Open("C:\\Ctrl\\ctrl.ctl", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING),
                  0);
        EXPECT_EQ(m_file.Save(), TQE_BASE_UPDATE);
        EXPECT_EQ(Base(), base);
        EXPECT_EQ(Control(), control);
        EXPECT_EQ(Requests(), "<REG>='\\0';");
    }
    int32_t builderOpen = 0;
    // (Up to its rename: Windows replaces no open file, so the save lets go for that step.)
    SetFaultHook([&](const char* op, const std::string& path) {
        if (std::string(op) == "close" && path == "C:\\Ctrl\\ctrl.ctl.NEW") {
            CFile builder;
            builderOpen =
                builder.Open("C:\\Ctrl\\ctrl.ctl", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
        }
        return 0;
    });
    EXPECT_EQ(m_file.Save(), 0);
    EXPECT_EQ(builderOpen, ERROR_SHARING_VIOLATION);  // the builder waits while the save holds it
    EXPECT_EQ(Base().find("[Sel1]~"), std::string::npos);
    EXPECT_NE(Control().find("[Sel1]"), std::string::npos);
    EXPECT_EQ(Requests(), kRequestsNone + "Sel1='\\0';");  // Sel1 is rebuilt
    EXPECT_EQ(m_file.GetDatabase(1)->m_dwState, 0u);
}

TEST_F(CtrlFileTest, BuilderPathsAreCarriedOverToDatabasesNotRebuilt) {
    SaveOnceAndLoad();
    std::string control = Control();
    // What the builder resolved for the databases it indexed.
    for (const std::string name : {"[Sel1]\r\n", "[MyApp]\r\n"}) {
        control.insert(control.find(name) + name.size(),
                       "RootPath = \"C:\\Resolved\"\r\nExePath2 = \"C:\\Bin\"\r\n");
    }
    test::WriteLinuxFile(C("Ctrl/ctrl.ctl"), control);
    ASSERT_EQ(m_apps.AddDoc(2, "C:\\Docs\\more.chm"), 0);  // MyApp is rebuilt
    ASSERT_EQ(m_file.Save(), 0);
    const CCtrlDatabase& sel = *m_file.GetDatabase(1);
    EXPECT_EQ(sel.m_rootPath, CtrlStringList{"C:\\Resolved"});
    EXPECT_EQ(sel.m_exePath, (CtrlStringList{"C:\\Exe", "", "C:\\Bin"}));
    EXPECT_TRUE(m_file.GetDatabase(2)->m_rootPath.empty());
    EXPECT_EQ(Requests(), kRequestsNone + "MyApp='\\0';");
    EXPECT_NE(Control().find("RootPath = \"C:\\Resolved\""), std::string::npos);
    // Unchanged, yet the control file differs: only a user who may write the data rewrites it.
    test::WriteLinuxFile(C("Ctrl/ctrl.ctl"), control);
    SetString("Path", "DataPath", "C:\\NoSuchFolder");
    EXPECT_EQ(m_file.Save(), TQE_NO_WRITE_PERMISSION);
}

TEST_F(CtrlFileTest, RenamedApplicationIsRequestedAndTheSampleQueryFileFollows) {
    const std::string sample = "%%%MyApp%%%\r\n%%%Fixed1%%%";
    test::WriteLinuxFile(C("Ctrl/sample.txt"), sample);
    SaveOnceAndLoad();
    EXPECT_EQ(test::ReadLinuxFile(C("Ctrl/sample.txt")), sample);  // no rename yet: untouched
    ASSERT_EQ(m_apps.RenameAppli(2, "New App"), 0);
    ASSERT_EQ(m_file.Save(), 0);
    EXPECT_EQ(test::ReadLinuxFile(C("Ctrl/sample.txt")), "%%%New App%%%\r\n%%%Fixed1%%%\r\n");
    EXPECT_EQ(m_file.GetDatabase(2)->m_docs[0], "C:\\Docs\\my.chm > New App");
    EXPECT_EQ(Requests(), kRequestsNone + "New App='\\0';");
    EXPECT_EQ(m_file.GetDatabase(2)->m_strPrevName, "");
}

TEST_F(CtrlFileTest, RemovedGroupKeepsTheUniqueIdsOfTheOthersAndIncompleteIsRefused) {
    SaveOnceAndLoad(true);  // new unique ids still start above those the groups hold
    const std::string base = Base();
    ASSERT_EQ(m_apps.AddAppli(3, "Empty"), 0);
    m_box.PushAnswer(IDYES);
    EXPECT_EQ(m_session.Save(SAVEMODE_EDITED),
              TQE_DB_INCOMPLETE);  // refused before anything is written
    EXPECT_TRUE(m_box.GetShown().empty());
    EXPECT_EQ(Base(), base);
    ASSERT_EQ(m_apps.RemoveAppli(2), 0);
    ASSERT_EQ(m_apps.AddDBToGroup(2, "Empty"), 0);
    ASSERT_EQ(m_apps.AddDoc(2, "C:\\o.chm"), 0);
    ASSERT_EQ(m_file.Save(), 0);
    // Manuals keeps 1; MyApp's groups went; Empty is new (id 2 in the file, unique id 4).
    EXPECT_EQ(Values("GroupSet"), "1=1;2=4;NextUniqueID=5;");
    EXPECT_EQ(Requests(), kRequestsNone + "Empty='\\0';");
    // A new group takes the registry's next unique id, not one stored under its number.
    CProductRegKey key;
    ASSERT_EQ(key.Open(kProductPath), 0);
    ASSERT_EQ(key.SetDWORD("GroupSet", "NextUniqueID", 9) + key.SetDWORD("GroupSet", "3", 7), 0);
    LoadInto(m_file);  // a second load of the same object reads them again
    ASSERT_EQ(m_apps.AddDBToGroup(2, "Newer"), 0);
    ASSERT_EQ(m_file.Save(), 0);
    EXPECT_EQ(Values("GroupSet"), "1=1;2=4;3=9;NextUniqueID=10;");
    m_file.CloseFiles();  // (no other writer gets past the loaded file, also not this test)
    test::WriteLinuxFile(C("Ctrl/base.ctl"), "");  // no databases, no groups
    LoadInto(m_file);
    ASSERT_EQ(m_file.Save(), 0);
    EXPECT_EQ(Values("GroupSet"), "NextUniqueID=10;");
}

// "load" loads the product, "write" opens the base file for writing; then holds until killed.
TQ_CHILD_MAIN(Hold) {
    CCtrlFile file;
    CFile base;
    if (args[0] == "load" ? file.OpenProductKey(kProductPath) != 0 || file.Load() != 0
                          : base.Open("C:\\Ctrl\\base.ctl", GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING) != 0) {
        return 1;
    }
    CFile ready;
    ready.Open(args[1], GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    ready.Close();
    test::HoldUntilKilled();
}

// Loads the product and answers with GetBuilderLock's result (+10).
TQ_CHILD_MAIN(Edit) {
    CCtrlFile file;
    return file.OpenProductKey(kProductPath) != 0 || file.Load() != 0 ? 1
                                                                      : 10 + file.GetBuilderLock();
}

pid_t StartHolder(const test::CProductFixture& product, const char* pszHow) {
    const pid_t holder = test::StartChild("Hold", {pszHow, "C:\\Ctrl\\ready"});
    EXPECT_TRUE(test::WaitForFile(product.C("Ctrl/ready")));
    return holder;
}

TEST_F(CtrlFileTest, LockFileIsHeldFromTheFirstLoadAndDeletedAtTheEnd) {
    {
        CCtrlFile file;
        LoadInto(file);
        EXPECT_EQ(file.GetBuilderLock(), 1);  // held by this very object
    }
    EXPECT_FALSE(test::LinuxFileExists(C("Ctrl/base.ctl.lock")));
    const pid_t holder = StartHolder(*this, "load");
    ASSERT_EQ(m_file.OpenProductKey(kProductPath), 0);
    EXPECT_EQ(m_file.GetBuilderLock(), 1);
    // A second editor loads without the lock, and leaving does not take the holder's.
    EXPECT_EQ(test::RunChild("Edit", {}), 11);
    EXPECT_EQ(m_file.GetBuilderLock(), 1);
    test::KillChild(holder);
    EXPECT_TRUE(test::LinuxFileExists(C("Ctrl/base.ctl.lock")));
    EXPECT_EQ(m_file.GetBuilderLock(), 0);  // the dead holder's file is taken away
    EXPECT_FALSE(test::LinuxFileExists(C("Ctrl/base.ctl.lock")));
}

TEST_F(CtrlFileTest, BaseControlFileHeldForWritingByAnotherProcessCannotBeLoaded) {
    const pid_t holder = StartHolder(*this, "write");
    ASSERT_EQ(m_file.OpenProductKey(kProductPath), 0);
    EXPECT_EQ(m_file.Load(), TQE_BASE_OPEN);
    EXPECT_FALSE(m_file.IsLoaded());
    EXPECT_EQ(m_file.Save(), TQE_NOT_LOADED);
    test::KillChild(holder);
    EXPECT_EQ(m_file.Load(), 0);
}

TEST(ProductRegKeyTest, OpenKeepsThePathWithOneTrailingBackslash) {
    test::CProductFixture product;
    CProductRegKey key;
    ASSERT_EQ(key.Open(kProductPath), 0);
    EXPECT_FALSE(key.IsCustomizeEnabled());  // no value
    EXPECT_EQ(key.SetDWORD("USER\\AddTarget", "Customize", 2), 0);
    EXPECT_TRUE(key.IsCustomizeEnabled());
    EXPECT_EQ(key.Open(kProductPath + "\\"), 0);
    EXPECT_EQ(key.GetPath(), kProductPath + "\\");
    // "表" ends in the byte 0x5C; it is a character of the name, not a separator.
    product.SetString("\x95\x5C", "x", "");
    EXPECT_EQ(key.Open(kProductPath + "\\\x95\x5C"), 0);
    EXPECT_EQ(key.GetPath(), kProductPath + "\\\x95\x5C\\");
    // A failed open forgets the key it had, and then every operation answers "not found".
    EXPECT_EQ(key.Open(kProductPath + "X"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.GetPath(), "");
    uint32_t value = 7;
    EXPECT_EQ(key.GetDWORD("", "x", value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.SetString("Path", "x", "y"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(value, 7u);
    CRegKey root;  // nothing was created at the root either
    EXPECT_EQ(root.Open(HKEY_LOCAL_MACHINE, "Path", KEY_READ), ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace tq
