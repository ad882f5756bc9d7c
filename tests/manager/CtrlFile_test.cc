#include "manager/CtrlFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "ProductFixture.h"
#include "controlfile/CtrlWriter.h"
#include "platform/File.h"
#include "platform/MessageBox.h"
#include "platform/Win32Error.h"
#include "resources/ErrorCodes.h"

namespace tq {
namespace {

using test::kProductPath;

class CtrlFileTest : public testing::Test, public test::CProductFixture {
protected:
    void SetUp() override { SetMessageBox(&m_box); }
    void TearDown() override {
        SetMessageBox(nullptr);
        SetFileFaultHook(nullptr);
    }
    // A loaded object; its model has the databases Fixed1, Sel1, MyApp.
    void LoadInto(CCtrlFile& file) {
        ASSERT_EQ(file.OpenProductKey(kProductPath), 0);
        ASSERT_EQ(file.Load(), 0);
    }
    // Saves the base text once, so that a control file exists, then reloads `file`.
    void SaveOnceAndReload(CCtrlFile& file) {
        {
            CCtrlFile first;
            LoadInto(first);
            ASSERT_EQ(first.Save(), 0);
        }
        LoadInto(file);
    }

    CScriptedMessageBox m_box;
    const std::string m_question = "Save?";
};

TEST_F(CtrlFileTest, EveryMissingRegistryValueGivesRegReadAndLeavesTheObjectUnloaded) {
    const std::pair<const char*, const char*> values[] = {{"Path", "DataPath"},
                                                          {"Path", "Control"},
                                                          {"Builder", "BaseControlFile"},
                                                          {"Builder", "ControlFile"}};
    for (const auto& [sub, name] : values) {
        std::string saved;
        CProductRegKey key;
        ASSERT_EQ(key.Open(kProductPath), 0);
        ASSERT_EQ(key.GetString(sub, name, saved), 0);
        DeleteValue(sub, name);
        CCtrlFile file;
        ASSERT_EQ(file.OpenProductKey(kProductPath), 0);
        EXPECT_EQ(file.Load(), TQE_REG_READ) << name;
        EXPECT_FALSE(file.IsLoaded());
        EXPECT_EQ(file.Save(), TQE_NOT_LOADED);
        SetString(sub, name, saved);
    }
    CCtrlFile file;
    EXPECT_EQ(file.OpenProductKey(kProductPath + "\\Missing"), TQE_REG_READ);
    EXPECT_EQ(file.GetProductKeyPath(), "");
}

// The log and the doc list are found beside the control files, yet the current directory, which
// every thread of the process shares, stays where it was.
TEST_F(CtrlFileTest, RelativePathsAreTakenFromTheControlFolderNotTheCurrentDirectory) {
    test::WriteLinuxFile(C("Ctrl/list.txt"), "x");
    test::WriteLinuxFile(C("Ctrl/base.ctl"), "OutputLog = idx.log\r\n" + test::kBaseText +
                                                 "DocListFile = list.txt\r\n");
    ASSERT_EQ(SetCurrentDirectory("C:\\Data"), 0);
    CCtrlFile file;
    LoadInto(file);
    EXPECT_EQ(GetCurrentDirectory(), "C:\\Data\\");
    EXPECT_TRUE(test::LinuxFileExists(C("Ctrl/idx.log")));
}

TEST_F(CtrlFileTest, WithoutControlFileLoadResetsRequestsAndSaveWritesItWithoutReading) {
    SetString("GroupSet", "1", "x");
    SetString("Builder\\Request", "Old", "");
    CCtrlFile file;
    LoadInto(file);
    EXPECT_EQ(Values("GroupSet"), "-");
    EXPECT_EQ(Values("Builder\\Request"), "<REG>=1;");
    EXPECT_NE(Values("Builder\\GroupSet").find("ResetDate="), std::string::npos);
    EXPECT_EQ(file.Save(&m_question), 0);
    EXPECT_TRUE(m_box.GetShown().empty());  // nothing was modified, nothing asked
    EXPECT_EQ(Base(), test::kBaseText);     // not rewritten
    EXPECT_EQ(Control(), CCtrlWriter(file).Render(false));
    EXPECT_EQ(Values("GroupSet"), "1=1;2=2;3=3;NextUniqueID=4;");
    EXPECT_EQ(Values("Builder\\Request"), "<REG>=1;");  // no per-database requests
}

TEST_F(CtrlFileTest, UnchangedModelEqualToTheControlFileWritesNothingEvenWithoutWriteAccess) {
    CCtrlFile file;
    SaveOnceAndReload(file);
    const std::string base = Base();
    const std::string control = Control();
    const std::string groupSet = Values("GroupSet");
    SetString("Builder\\Request", "Pending", "");
    const std::string requests = Values("Builder\\Request");
    SetString("Path", "DataPath", "C:\\NoSuchFolder");  // this user may not write the data
    EXPECT_FALSE(file.CanWriteData());
    EXPECT_EQ(file.Save(&m_question), 0);
    EXPECT_TRUE(m_box.GetShown().empty());
    EXPECT_EQ(Base(), base);
    EXPECT_EQ(Control(), control);
    EXPECT_EQ(Values("GroupSet"), groupSet);
    EXPECT_EQ(Values("Builder\\Request"), requests);
}

TEST_F(CtrlFileTest, UnchangedModelThatDiffersNeedsWriteAccessAndAsksNothing) {
    CCtrlFile file;
    SaveOnceAndReload(file);
    std::string control = Control();
    control.replace(control.find("Selection One"), 13, "Selection Two");
    test::WriteLinuxFile(C("Ctrl/ctrl.ctl"), control);
    SetString("Path", "DataPath", "C:\\NoSuchFolder");
    EXPECT_EQ(file.Save(&m_question), TQE_NO_WRITE_PERMISSION);
    EXPECT_EQ(Control(), control);
    SetString("Path", "DataPath", "C:\\Data");
    EXPECT_EQ(file.Save(&m_question), 0);
    EXPECT_TRUE(m_box.GetShown().empty());
    EXPECT_EQ(Control(), CCtrlWriter(file).Render(false));
}

TEST_F(CtrlFileTest, SelectionChangeAsksThenRewritesBothFilesAndSetsReg) {
    CCtrlFile file;
    SaveOnceAndReload(file);
    const std::string base = Base();
    ASSERT_EQ(file.SetDBSelected(1, 0), 0);
    EXPECT_EQ(file.m_dwModified, 0u);
    SetString("Builder\\Request", "<REG>", "");  // no longer 1
    // No: nothing is written, the marks stay for the next try.
    EXPECT_EQ(file.Save(&m_question), TQE_CANCELLED);
    EXPECT_EQ(Base(), base);
    m_box.PushAnswer(IDYES);
    EXPECT_EQ(file.Save(&m_question), 0);
    ASSERT_EQ(m_box.GetShown().size(), 2u);
    EXPECT_EQ(m_box.GetShown()[1].m_strText, m_question);
    EXPECT_EQ(m_box.GetShown()[1].m_strCaption, "Demo Search");
    EXPECT_NE(Base().find("[Sel1]~"), std::string::npos);
    EXPECT_EQ(Control().find("Sel1"), std::string::npos);
    EXPECT_EQ(Values("Builder\\Request"), "<REG>=1;");  // deselected: no request of its own
    EXPECT_EQ(file.m_dwModified, 0u);
    EXPECT_EQ(file.m_dwStructureChanged, 0u);
    EXPECT_EQ(file.GetDatabase(1)->m_dwState, DBSTATE_WAS_DESELECTED | DBSTATE_DESELECTED);
    // Selected again and saved: Sel1 is rebuilt.
    ASSERT_EQ(file.SetDBSelected(1, 1), 0);
    EXPECT_EQ(file.Save(), 0);
    EXPECT_EQ(Values("Builder\\Request"), "<REG>=1;Sel1='\\0';");
    EXPECT_EQ(file.GetDatabase(1)->m_dwState, 0u);
}

// The builder reads the control file with deletion denied. A save that rewrote the base
// control file and then could not replace the control file would lose Sel1's request with the
// object; it must refuse before writing anything, and keep the builder out once it has begun.
TEST_F(CtrlFileTest, SaveWhileTheBuilderReadsTheControlFileWritesNothing) {
    CCtrlFile file;
    SaveOnceAndReload(file);
    ASSERT_EQ(file.SetDBSelected(1, 0), 0);
    ASSERT_EQ(file.Save(), 0);
    ASSERT_EQ(file.SetDBSelected(1, 1), 0);
    const std::string base = Base();
    const std::string control = Control();
    SetString("Builder\\Request", "<REG>", "");
    {
        CFile builder;
        ASSERT_EQ(builder.Open("C:\\Ctrl\\ctrl.ctl", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING),
                  0);
        EXPECT_EQ(file.Save(), TQE_BASE_UPDATE);
        EXPECT_EQ(Base(), base);
        EXPECT_EQ(Control(), control);
        EXPECT_EQ(Values("Builder\\Request"), "<REG>='\\0';");
    }
    std::string strBuilderOpen;
    SetFileFaultHook([&](const char* op, const std::string& path) {
        if (std::string(op) == "rename" && path == "C:\\Ctrl\\ctrl.ctl.NEW") {
            CFile builder;
            strBuilderOpen = std::to_string(
                builder.Open("C:\\Ctrl\\ctrl.ctl", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
        }
        return 0;
    });
    EXPECT_EQ(file.Save(), 0);
    EXPECT_EQ(strBuilderOpen, "32");  // the builder waits while the save holds the file
    EXPECT_EQ(Base().find("[Sel1]~"), std::string::npos);
    EXPECT_NE(Control().find("[Sel1]"), std::string::npos);
    EXPECT_EQ(Values("Builder\\Request"), "<REG>=1;Sel1='\\0';");
}

TEST_F(CtrlFileTest, BuilderPathsAreCarriedOverToDatabasesNotRebuilt) {
    CCtrlFile file;
    SaveOnceAndReload(file);
    std::string control = Control();
    // What the builder resolved for the databases it indexed.
    for (const char* name : {"[Sel1]\r\n", "[MyApp]\r\n"}) {
        const size_t at = control.find(name) + std::string(name).size();
        control.insert(at, "RootPath = \"C:\\Resolved\"\r\nExePath2 = \"C:\\Bin\"\r\n");
    }
    test::WriteLinuxFile(C("Ctrl/ctrl.ctl"), control);
    ASSERT_EQ(file.AddDoc(2, "C:\\Docs\\more.chm"), 0);  // MyApp is rebuilt
    ASSERT_EQ(file.Save(), 0);
    const CCtrlDatabase& sel = *file.GetDatabase(1);
    EXPECT_EQ(sel.m_rootPath, CtrlStringList{"C:\\Resolved"});
    EXPECT_EQ(sel.m_exePath, (CtrlStringList{"C:\\Exe", "", "C:\\Bin"}));
    EXPECT_TRUE(file.GetDatabase(2)->m_rootPath.empty());
    EXPECT_EQ(Values("Builder\\Request"), "<REG>=1;MyApp='\\0';");
    EXPECT_NE(Control().find("RootPath = \"C:\\Resolved\""), std::string::npos);
}

TEST_F(CtrlFileTest, RenamedApplicationIsRequestedAndTheSampleQueryFileFollows) {
    const std::string sample =
        "%%%MyApp%%%\r\n  %%%  myapp  %%%\nfree text\r\n%%%%%%\r\n%%%Fixed1%%%";
    test::WriteLinuxFile(C("Ctrl/sample.txt"), sample);
    CCtrlFile file;
    SaveOnceAndReload(file);
    EXPECT_EQ(test::ReadLinuxFile(C("Ctrl/sample.txt")), sample);  // no rename yet: untouched
    ASSERT_EQ(file.RenameAppli(2, "New App"), 0);
    ASSERT_EQ(file.Save(), 0);
    EXPECT_EQ(test::ReadLinuxFile(C("Ctrl/sample.txt")),
              "%%%New App%%%\r\n%%%New App%%%\r\nfree text\r\n%%%%%%\r\n%%%Fixed1%%%\r\n");
    EXPECT_FALSE(test::LinuxFileExists(C("Ctrl/sample.txt.NEW")));
    EXPECT_EQ(file.GetDatabase(2)->m_docs[0], "C:\\Docs\\my.chm > New App");
    EXPECT_EQ(Values("Builder\\Request"), "<REG>=1;New App='\\0';");
    EXPECT_EQ(file.GetDatabase(2)->m_strPrevName, "");
}

TEST_F(CtrlFileTest, RemovedGroupKeepsTheUniqueIdsOfTheOthers) {
    CCtrlFile file;
    SaveOnceAndReload(file);
    ASSERT_EQ(file.RemoveAppli(2, false), 0);
    ASSERT_EQ(file.AddAppli(3, "Other"), 0);
    ASSERT_EQ(file.AddDBToGroup(2, "Other"), 0);
    ASSERT_EQ(file.AddDoc(2, "C:\\o.chm"), 0);
    ASSERT_EQ(file.Save(), 0);
    // Manuals keeps 1; MyApp's groups went; Other is new (id 2 in the file, unique id 4).
    EXPECT_EQ(Values("GroupSet"), "1=1;2=4;NextUniqueID=5;");
    EXPECT_EQ(Values("Builder\\Request"), "<REG>=1;Other='\\0';");
}

TEST_F(CtrlFileTest, IncompleteDatabaseIsRefusedBeforeAnythingIsWritten) {
    CCtrlFile file;
    SaveOnceAndReload(file);
    const std::string base = Base();
    ASSERT_EQ(file.AddAppli(3, "Empty"), 0);
    m_box.PushAnswer(IDYES);
    EXPECT_EQ(file.Save(&m_question), TQE_DB_INCOMPLETE);
    EXPECT_TRUE(m_box.GetShown().empty());
    EXPECT_EQ(Base(), base);
}

TEST_F(CtrlFileTest, FailedWritesKeepTheFilesLoadableAndTheFlagsForTheNextTry) {
    CCtrlFile file;
    SaveOnceAndReload(file);
    const std::string base = Base();
    const std::string control = Control();
    ASSERT_EQ(file.RenameAppli(2, "Renamed"), 0);
    // A disk that fills up in the middle of the base control file, then of the control file.
    for (const char* target : {"base.ctl.NEW", "ctrl.ctl.NEW"}) {
        SetFileFaultHook([target](const char* op, const std::string& path) {
            return std::string(op) == "write" && path.ends_with(target) ? ERROR_DISK_FULL : 0;
        });
        EXPECT_EQ(file.Save(), TQE_BASE_UPDATE) << target;
        SetFileFaultHook(nullptr);
        EXPECT_EQ(file.m_dwModified, 1u);
        EXPECT_EQ(file.m_dwStructureChanged, 1u);
        EXPECT_EQ(file.GetDatabase(2)->m_strPrevName, "MyApp");
        EXPECT_NE(file.GetDatabase(2)->m_dwState & DBSTATE_REBUILD, 0u);
        EXPECT_EQ(Control(), control);
        CCtrlFile reader;
        LoadInto(reader);  // the base control file on disk loads
    }
    EXPECT_NE(Base(), base);  // the second round got as far as the base control file
    EXPECT_EQ(file.Save(), 0);
    EXPECT_NE(Control().find("[Renamed]"), std::string::npos);
    EXPECT_EQ(file.m_dwModified, 0u);
    EXPECT_EQ(Values("Builder\\Request"), "<REG>=1;Renamed='\\0';");
}

TEST_F(CtrlFileTest, RegistryFailuresGiveRegWriteAndKeepTheFlags) {
    CCtrlFile file;
    SaveOnceAndReload(file);
    ASSERT_EQ(file.AddDoc(2, "C:\\x.chm"), 0);
    // The writes of a save: the access probe, the request for MyApp, then the group ids.
    for (int failing : {2, 4}) {
        int count = 0;
        SetRegistryFaultHook([&count, failing](const char* op) {
            return std::string(op) == "set" && ++count == failing ? ERROR_ACCESS_DENIED : 0;
        });
        EXPECT_EQ(file.Save(), TQE_REG_WRITE) << failing;
        SetRegistryFaultHook(nullptr);
        EXPECT_EQ(file.m_dwModified, 1u);
        EXPECT_EQ(Values("GroupSet"), "1=1;2=2;3=3;NextUniqueID=4;");  // rolled back whole
    }
    EXPECT_EQ(file.Save(), 0);
    EXPECT_EQ(Values("Builder\\Request"), "<REG>=1;MyApp='\\0';");
}

TEST_F(CtrlFileTest, LockFileIsHeldFromTheFirstLoadAndDeletedAtTheEnd) {
    {
        CCtrlFile file;
        LoadInto(file);
        EXPECT_EQ(file.GetBuilderLock(), 1);  // held by this very object
        test::WriteLinuxFile(C("Ctrl/base.ctl.lock"), "kept");
        ASSERT_EQ(file.Load(), 0);
        EXPECT_EQ(test::ReadLinuxFile(C("Ctrl/base.ctl.lock")), "kept");  // not recreated
    }
    EXPECT_FALSE(test::LinuxFileExists(C("Ctrl/base.ctl.lock")));
    test::WriteLinuxFile(C("Ctrl/base.ctl.lock"), "");  // left by a holder that died
    CCtrlFile file;
    ASSERT_EQ(file.OpenProductKey(kProductPath), 0);
    EXPECT_EQ(file.GetBuilderLock(), 0);
    EXPECT_FALSE(test::LinuxFileExists(C("Ctrl/base.ctl.lock")));
    EXPECT_EQ(file.GetBuilderLock(), 0);
}

// ---- other processes ----

// Loads the product and holds it until killed; "ready" is written once loaded.
TQ_CHILD_MAIN(HoldLoaded) {
    CCtrlFile file;
    if (file.OpenProductKey(kProductPath) != 0 || file.Load() != 0) {
        return 1;
    }
    CFile ready;
    ready.Open(args[0], GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    ready.Close();
    pause();
    return 0;
}

// Loads the product, answers with the load's result and GetBuilderLock's.
TQ_CHILD_MAIN(LoadAndLock) {
    CCtrlFile file;
    if (file.OpenProductKey(kProductPath) != 0 || file.Load() != 0) {
        return 1;
    }
    return 10 + file.GetBuilderLock();
}

// Holds the base control file open for writing until killed.
TQ_CHILD_MAIN(HoldForWriting) {
    CFile file;
    if (file.Open(args[0], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  OPEN_EXISTING) != 0) {
        return 1;
    }
    CFile ready;
    ready.Open(args[1], GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    ready.Close();
    pause();
    return 0;
}

void WaitForFile(const std::string& linuxPath) {
    for (int i = 0; i < 1000 && !test::LinuxFileExists(linuxPath); ++i) {
        usleep(10000);
    }
    ASSERT_TRUE(test::LinuxFileExists(linuxPath));
}

TEST_F(CtrlFileTest, LockFileAcrossProcesses) {
    const pid_t holder = test::StartChild("HoldLoaded", {"C:\\Ctrl\\ready"});
    WaitForFile(C("Ctrl/ready"));
    CCtrlFile file;
    ASSERT_EQ(file.OpenProductKey(kProductPath), 0);
    EXPECT_EQ(file.GetBuilderLock(), 1);
    EXPECT_TRUE(test::LinuxFileExists(C("Ctrl/base.ctl.lock")));
    // A second editor loads without the lock, and leaving does not take the holder's lock.
    EXPECT_EQ(test::RunChild("LoadAndLock", {}), 11);
    EXPECT_EQ(file.GetBuilderLock(), 1);
    kill(holder, SIGKILL);
    test::WaitChild(holder);
    // The holder died: its lock file is stale.
    EXPECT_TRUE(test::LinuxFileExists(C("Ctrl/base.ctl.lock")));
    EXPECT_EQ(file.GetBuilderLock(), 0);
    EXPECT_FALSE(test::LinuxFileExists(C("Ctrl/base.ctl.lock")));
}

TEST_F(CtrlFileTest, BaseControlFileHeldForWritingByAnotherProcessCannotBeLoaded) {
    const pid_t holder =
        test::StartChild("HoldForWriting", {"C:\\Ctrl\\base.ctl", "C:\\Ctrl\\ready"});
    WaitForFile(C("Ctrl/ready"));
    CCtrlFile file;
    ASSERT_EQ(file.OpenProductKey(kProductPath), 0);
    EXPECT_EQ(file.Load(), TQE_BASE_OPEN);
    EXPECT_FALSE(file.IsLoaded());
    EXPECT_EQ(file.Save(), TQE_NOT_LOADED);
    kill(holder, SIGKILL);
    test::WaitChild(holder);
    EXPECT_EQ(file.Load(), 0);
}

// Loads, applies a change ("rename" or "none") and saves; the exit code is 100 + -(result).
TQ_CHILD_MAIN(SaveAs) {
    CCtrlFile file;
    int32_t lResult = file.OpenProductKey(kProductPath);
    if (lResult == 0) {
        lResult = file.Load();
    }
    if (lResult == 0 && args[0] == "rename") {
        lResult = file.RenameAppli(2, "Renamed");
    }
    if (lResult == 0) {
        lResult = file.Save();
    }
    return lResult == 0 ? 0 : 100 + (-lResult % 100);
}

TEST_F(CtrlFileTest, UserWhoMayNotWriteTheFoldersGetsAClearErrorAndLosesNothing) {
    if (!test::CanDropPrivileges()) {
        GTEST_SKIP() << "needs root to run the denied side as an unprivileged user";
    }
    {
        CCtrlFile file;
        SaveOnceAndReload(file);
    }
    OpenRegistryToAll();
    const std::string base = Base();
    test::CChildOptions nobody;
    nobody.m_bDropPrivileges = true;
    // The folders belong to root: an unchanged model saves (there is nothing to write) ...
    EXPECT_EQ(test::RunChild("SaveAs", {"none"}, nobody), 0);
    // ... a change needs the data folder (-1058) ...
    EXPECT_EQ(test::RunChild("SaveAs", {"rename"}, nobody), 100 + 58);
    // ... and with the data folder open to all, the control folder refuses the new file.
    chmod(C("Data").c_str(), 0777);
    EXPECT_EQ(test::RunChild("SaveAs", {"rename"}, nobody), 100 + 64);
    EXPECT_EQ(Base(), base);
    EXPECT_FALSE(test::LinuxFileExists(C("Ctrl/base.ctl.lock")));
    chmod(C("Ctrl").c_str(), 0777);
    // Replacing a file this user may not write is refused as on Windows (read-only target).
    EXPECT_EQ(test::RunChild("SaveAs", {"rename"}, nobody), 100 + 64);
    chmod(C("Ctrl/base.ctl").c_str(), 0666);
    chmod(C("Ctrl/ctrl.ctl").c_str(), 0666);
    EXPECT_EQ(test::RunChild("SaveAs", {"rename"}, nobody), 0);
    EXPECT_NE(Base().find("[Renamed]"), std::string::npos);
}

}  // namespace
}  // namespace tq
