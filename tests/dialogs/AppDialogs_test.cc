// The add wizard and the edit dialog driven by key and mouse through whole flows on the demo.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <atomic>
#include <filesystem>
#include <thread>
#include <tuple>

#include "applications/EditSession.h"
#include "applications/HaveTopic.h"
#include "applications/TopicLibrary.h"
#include "applications/WatchedTargetList.h"
#include "browse/BrowseSettings.h"
#include "dialogs/AddAppFileDlg.h"
#include "dialogs/AddAppNameDlg.h"
#include "dialogs/AddAppWizard.h"
#include "dialogs/DialogProvider.h"
#include "dialogs/DialogTestApp.h"
#include "dialogs/EditAppDlg.h"
#include "dialogs/FileListCtrl.h"
#include "dialogs/FileSelectionPane.h"
#include "dialogs/FolderComboBox.h"
#include "dialogs/TargetListBox.h"
#include "dialogs/WaitDlg.h"
#include "frame/CtrlFileMgrIds.h"
#include "manager/ProductRegKey.h"
#include "platform/Environment.h"
#include "platform/MessageBox.h"
#include "resources/DialogIds.h"
#include "resources/ErrorCodes.h"
#include "resources/StringTable.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

const std::string kDocs = "C:\\Program Files\\Trellisquest\\Docs\\";
const std::string kDocsShown = "C:\\program files\\trellisquest\\docs\\";  // as the box gives it
const std::string kDocsLinux = "drives/c/Program Files/Trellisquest/Docs/";
const std::string kControlLinux = "drives/c/Program Files/Trellisquest/Control/";

using test::Click;
using test::CModalScript;
using test::CStep;
using test::Find;

QAbstractItemView* FileView(QDialog& dialog) {
    return Find<CFileListCtrl>(dialog, IDC_FILES)->GetCurrentView();
}

// Ctrl+clicks the file-list rows of these names (the first one alone).
void SelectFiles(QDialog& dialog, const std::vector<std::string>& names) {
    QAbstractItemView* pView = FileView(dialog);
    for (const std::string& strName : names) {
        QModelIndexList found =
            pView->model()->match(pView->model()->index(0, 0), Qt::DisplayRole,
                                  QString::fromStdString(strName), 1, Qt::MatchFixedString);
        ASSERT_EQ(found.size(), 1) << strName;
        QTest::mouseClick(pView->viewport(), Qt::LeftButton,
                          strName == names[0] ? Qt::NoModifier : Qt::ControlModifier,
                          pView->visualRect(found[0]).center());
    }
}

void TypeName(QDialog& dialog, const QString& strText) {
    auto* pName = Find<QLineEdit>(dialog, IDC_APP_NAME);
    pName->selectAll();
    QTest::keyClick(pName, Qt::Key_Delete);
    for (QChar c : strText) {
        // As the input method delivers it; control characters come only by pasting.
        c.unicode() < 0x20
            ? pName->insert(c)
            : QTest::sendKeyEvent(QTest::Click, pName, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

std::vector<std::string> Targets(QDialog& dialog) {
    return Find<CTargetListBox>(dialog, IDC_TARGETS)->GetEntries();
}

int FocusId() {
    QWidget* pDialog = QApplication::activeModalWidget();
    QObject* p = pDialog ? pDialog->focusWidget() : nullptr;
    while (p != nullptr && p->objectName().toInt() == 0) {
        p = p->parent();
    }
    return p ? p->objectName().toInt() : 0;
}

// Records each message after the id of the control that had the focus when it came.
class CRecordingBox : public CScriptedMessageBox {
public:
    void ShowWarning(const std::string& strText, const std::string& strCaption) override {
        CScriptedMessageBox::ShowWarning(strText, strCaption);
        m_messages.push_back(std::to_string(FocusId()) + ": " + strText);
    }
    std::vector<std::string> m_messages;
};
using CMessages = std::vector<std::string>;

std::string Message(uint32_t id, int nFocus) {
    return std::to_string(nFocus) + ": " + LoadString(id);
}

class AppDialogsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(test::InstallDemoProduct(m_prefix), 0);
        SetEnvironmentVariable(kTopicLibraryDirVariable, TQFLTR2_DIR);
        test::WriteLinuxFile(m_prefix.Path(kDocsLinux + "blank.txt"), "");
        ASSERT_EQ(m_session.Open(std::string(kProductKeyBase) + "Demo"), 0);
        m_context.m_pCtrlFile = &m_session.GetCtrlFile();
        m_context.m_strSettingsKey = m_session.GetCtrlFile().GetProductKeyPath();
        m_context.m_strSettingsKey.pop_back();  // the trailing "\"
        m_context.m_strProductName = "Demo";
        SetCurrentFolder(m_context.m_strSettingsKey, kDocs);
        m_nDatabases = m_session.GetCtrlFile().GetDBCount();
    }
    int32_t RunWizard(std::vector<CStep> steps) {
        CModalScript script(std::move(steps));
        return RunAddAppWizard(m_context, nullptr);
    }
    void Edit(int32_t lExpected, CStep step) {
        CModalScript script({std::move(step)});
        EXPECT_EQ(RunEditAppDialog(m_context, Memo(), nullptr), lExpected);
    }
    int32_t Memo() const { return m_session.GetCtrlFile().GetDBIndex(DBTYPE_FREE, 0); }
    void Save() {
        m_box.PushAnswer(IDYES);
        ASSERT_EQ(m_session.Save(SAVEMODE_EDITED), 0);
    }
    bool Holds(const char* pszFile, const std::string& strText) const {
        return test::ReadLinuxFile(m_prefix.Path(kControlLinux + pszFile)).find(strText) !=
               std::string::npos;
    }
    test::CTempPrefix m_prefix;
    CRecordingBox m_box;
    CMessageBoxScope m_scope{m_box};
    CEditSession m_session;
    CDialogContext m_context;
    size_t m_nDatabases = 0;
    const std::string kNotes = "C:\\program files\\mynotes\\";
};

// Refusals on both pages, Back keeping name, view and targets; the save in the control files.
TEST_F(AppDialogsTest, WizardRefusalsBackAndSave) {
    const QString kTyped = QStringLiteral("  My Docs \u3000");
    const char* const kFiles[] = {"tqhelp.chm", "relnotes.txt", "manual.pdf"};
    int32_t lResult = RunWizard({
        [&](QDialog& page) {
            Click(page, IDC_OK);  // Next with no targets
            EXPECT_EQ(m_box.m_messages, (CMessages{Message(IDS_SPECIFY_TARGETS, IDC_FILES)}));
            SelectFiles(page, {kFiles[0], kFiles[1], kFiles[2]});
            Click(page, IDC_ADD);
            QTest::keyClick(FileView(page), Qt::Key_D, Qt::ControlModifier);
            Click(page, IDC_OK);
        },
        [&](QDialog& page) {
            const std::tuple<const char*, QString, uint32_t, int> names[] = {
                {"control character", QStringLiteral("ab\tc"), IDS_APP_NAME_CONTROL, 2},
                {"no code page form", QStringLiteral("caf\u00e9\u20ac"), IDS_APP_NAME_UNUSABLE, -1},
                {"public name in other case", QString::fromUtf8("trellisquest ヘルプ"),
                 IDS_APP_EXISTS, -1}};
            auto* pName = Find<QLineEdit>(page, IDC_APP_NAME);
            for (const auto& [pszCase, strText, id, nCaret] : names) {
                SCOPED_TRACE(pszCase);
                TypeName(page, strText);
                m_box.m_messages.clear();
                Click(page, IDC_OK);
                EXPECT_EQ(m_box.m_messages, (CMessages{Message(id, IDC_APP_NAME)}));
                EXPECT_TRUE(nCaret < 0 || pName->cursorPosition() == nCaret);
            }
            m_box.m_messages.clear();
            TypeName(page, kTyped);
            Click(page, IDC_BACK);  // Back
        },
        [&](QDialog& page) {
            EXPECT_EQ(Find<CFileListCtrl>(page, IDC_FILES)->GetView(), 1);  // details, as left
            EXPECT_EQ(Targets(page).size(), 3u);
            Click(page, IDC_OK);
        },
        [&](QDialog& page) {
            EXPECT_EQ(Find<QLineEdit>(page, IDC_APP_NAME)->text(), kTyped);
            QTest::keyClick(Find<QLineEdit>(page, IDC_APP_NAME), Qt::Key_Return);
        },
    });
    EXPECT_EQ(lResult, 2);  // after the demo's own memo
    EXPECT_TRUE(m_box.m_messages.empty());
    Save();
    EXPECT_TRUE(Holds("BaseControl.ini", "PublicName = \"My Docs\"\r\n"));
    for (const char* pszFile : kFiles) {
        const std::string strDoc = kDocsShown + pszFile + " > My Docs";
        EXPECT_TRUE(Holds("BaseControl.ini", "Doc = \"" + strDoc + "\"")) << pszFile;
        EXPECT_TRUE(Holds("Control.ini", strDoc)) << pszFile;
    }
    EXPECT_TRUE(Holds("BaseControl.ini", "Group6 = \"4@My Docs\"\r\n"));
    EXPECT_EQ(GetCurrentFolder(m_context.m_strSettingsKey), kDocsShown);
}

// The keys of the file list and the location box, each row from where the one before left.
TEST_F(AppDialogsTest, FilesPageKeys) {
    enum { kList, kBox };
    const std::string kUp = "C:\\program files\\trellisquest\\";
    const std::tuple<const char*, int, Qt::Key, Qt::KeyboardModifiers, std::string, int> keys[] = {
        {"Ctrl+D in the list", kList, Qt::Key_D, Qt::ControlModifier, kDocsShown, 1},
        {"Ctrl+L in the box", kBox, Qt::Key_L, Qt::ControlModifier, kDocsShown, 3},
        {"Backspace in the list", kList, Qt::Key_Backspace, {}, kUp, 3},
        {"Backspace in the box", kBox, Qt::Key_Backspace, {}, "C:\\program files\\", 3},
        {"Enter on a folder", kList, Qt::Key_Return, {}, "C:\\program files\\MyNotes\\", 3}};
    RunWizard({[&](QDialog& page) {
        auto* pBox = Find<CFolderComboBox>(page, IDC_LOCATION);
        auto* pList = Find<CFileListCtrl>(page, IDC_FILES);
        for (const auto& [pszCase, nTo, key, modifiers, strFolder, nView] : keys) {
            SCOPED_TRACE(pszCase);
            QWidget* pTo = nTo == kList ? static_cast<QWidget*>(pList->GetCurrentView()) : pBox;
            pTo->setFocus();
            QTest::keyClick(pTo, key, modifiers);
            EXPECT_EQ(pBox->GetFolder(), strFolder);
            EXPECT_EQ(pList->GetFolder(), strFolder);
            EXPECT_EQ(pList->GetView(), nView);
        }
        page.findChild<CFileSelectionPane*>()->OpenFolder(kDocs);
        // F5 in either control reads the folder again.
        for (QWidget* pTo : QList<QWidget*>{pList->GetCurrentView(), pBox}) {
            const size_t nRows = pList->GetModel().GetRowCount();
            test::WriteLinuxFile(m_prefix.Path(kDocsLinux + std::to_string(nRows) + ".txt"), "");
            QTest::keyClick(pTo, Qt::Key_F5);
            EXPECT_EQ(pList->GetModel().GetRowCount(), nRows + 1);
        }
        // F4 in the list opens the location box's list, where Backspace goes nowhere.
        QTest::keyClick(pList->GetCurrentView(), Qt::Key_F4);
        EXPECT_TRUE(test::WaitUntil([&] { return pBox->view()->isVisible(); }));
        EXPECT_EQ(FocusId(), IDC_LOCATION);
        QTest::keyClick(pBox, Qt::Key_Backspace);
        EXPECT_EQ(pBox->GetFolder(), kDocs);
        // Enter on the entry above the open folder opens that folder.
        QTest::keyClick(pBox->view(), Qt::Key_Up);
        QTest::keyClick(pBox->view(), Qt::Key_Return);
        EXPECT_TRUE(test::WaitUntil([&] { return pList->GetFolder() == kUp; }));
        EXPECT_EQ(pBox->GetFolder(), kUp);
        // Leaving the file list gives the default back to Next, also through a push button.
        page.activateWindow();  // offscreen, no window manager gives it back from the closed list
        EXPECT_TRUE(test::WaitUntil([&] { return QApplication::activeWindow() == &page; }));
        FileView(page)->setFocus();
        Find<QPushButton>(page, IDC_OK)->setFocus();
        pBox->setFocus();
        EXPECT_TRUE(Find<QPushButton>(page, IDC_OK)->isDefault());
        EXPECT_FALSE(Find<QPushButton>(page, IDC_ADD)->isDefault());
        Click(page, IDC_CANCEL);
    }});
}

// Enter and Space on a focused push button press that button; Enter elsewhere is the default
// button's: Add's while the file list has the focus, the dialog's own button's anywhere else.
TEST_F(AppDialogsTest, EnterAndSpacePressTheFocusedButton) {
    enum { kFiles, kName, kEdit };
    const std::tuple<int, int, const char*> rows[] = {
        // dialog, control with the focus, what Enter did
        {kFiles, IDC_ADD, "open 2"},      {kFiles, IDC_REMOVE, "open 0"},
        {kFiles, IDC_OK, "ended 1"},      {kFiles, IDC_CANCEL, "ended 0"},
        {kFiles, IDC_FILES, "open 2"},    {kFiles, IDC_TARGETS, "ended 1"},
        {kName, IDC_BACK, "ended 3"},     {kName, IDC_CANCEL, "ended 0"},
        {kName, IDC_APP_NAME, "ended 1"}, {kEdit, IDC_APP_NAME, "ended 1"}};
    CAddAppFiles files;
    std::string strName;
    const std::function<QDialog*()> make[] = {
        [&] {
            return new CAddAppFileDlg(m_context, files = {3, {kDocsShown + "manual.pdf"}}, nullptr);
        },
        [&] { return new CAddAppNameDlg(m_context, strName += "x", nullptr); },
        [&] { return new CEditAppDlg(m_context, Memo(), nullptr); }};
    for (const auto& [nDialog, nFocus, pszOutcome] : rows) {
        // Space too on a button (a control that is none gets Enter twice).
        for (Qt::Key key : {Qt::Key_Return, nFocus <= IDC_BACK ? Qt::Key_Space : Qt::Key_Return}) {
            SCOPED_TRACE(testing::Message() << nDialog << " " << nFocus << " " << key);
            std::string strOutcome;
            CModalScript script({[&](QDialog& dialog) {
                if (auto* pPane = dialog.findChild<CFileSelectionPane*>()) {
                    pPane->OpenFolder(kDocs);
                    SelectFiles(dialog, {"relnotes.txt"});
                    Find<CTargetListBox>(dialog, IDC_TARGETS)->setCurrentRow(0);
                }
                Find<QWidget>(dialog, nFocus)->setFocus();
                QTest::keyClick(QApplication::focusWidget(), key);
                if (dialog.isVisible()) {
                    strOutcome = "open " + std::to_string(Targets(dialog).size());
                    dialog.reject();
                }
            }});
            const int nResult = std::unique_ptr<QDialog>(make[nDialog]())->exec();
            EXPECT_EQ(strOutcome.empty() ? "ended " + std::to_string(nResult) : strOutcome,
                      pszOutcome);
        }
    }
}

// A file gone is refused; Esc does not end a long check's wait; several refused are reported.
TEST_F(AppDialogsTest, ChecksThatFailOrRunLong) {
    std::atomic<bool> bHeld = false;
    const test::CAnswerFilter held([&](const std::string& strPath) {
        while (bHeld) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return HaveTopic(strPath, 0, CTopicLibrary::Get());
    });
    m_context.m_pTopicFilter = &held;
    std::function<void()> watch = [&] {
        auto* pWait = qobject_cast<CWaitDlg*>(QApplication::activeModalWidget());
        if (pWait == nullptr) {
            return test::RunSoon(watch, 10);
        }
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        // The dialog ticks while the check runs.
        auto* pText = pWait->findChild<QLabel*>(QString::number(IDC_WAIT_TEXT));
        const QString strFirst = pText->text();
        EXPECT_TRUE(strFirst.startsWith(QString::fromUtf8("しばらくお待ちください")));
        EXPECT_TRUE(test::WaitUntil([&] { return pText->text() != strFirst; }));
        QTest::keyClick(pWait, Qt::Key_Escape);
        EXPECT_TRUE(pWait->isVisible());
        bHeld = false;
        EXPECT_TRUE(test::WaitUntil([&] { return !pWait->isVisible(); }));
    };
    QString strReport;
    test::WriteLinuxFile(m_prefix.Path(kDocsLinux + "empty.txt"), "");
    int32_t lResult = RunWizard(
        {[&](QDialog& page) {
             SelectFiles(page, {"relnotes.txt"});
             std::filesystem::remove(m_prefix.Path(kDocsLinux + "relnotes.txt"));
             Click(page, IDC_ADD);
             EXPECT_TRUE(Targets(page).empty());
             bHeld = true;
             test::RunSoon(watch);
             SelectFiles(page, {"manual.pdf"});
             Click(page, IDC_ADD);
             EXPECT_EQ(Targets(page), (std::vector<std::string>{kDocsShown + "manual.pdf"}));
             SelectFiles(page, {"blank.txt", "manual.pdf", "empty.txt", "tqhelp.chm"});
             Click(page, IDC_ADD);
             EXPECT_EQ(Targets(page), (std::vector<std::string>{kDocsShown + "manual.pdf",
                                                                kDocsShown + "tqhelp.chm"}));
             Click(page, IDC_CANCEL);
         },
         [&](QDialog& report) {  // under the product's name
             EXPECT_EQ(report.windowTitle(), QStringLiteral("Demo"));
             strReport = Find<QPlainTextEdit>(report, IDC_NOT_ADDED_NAMES)->toPlainText();
             report.accept();
         }});
    EXPECT_EQ(lResult, TQE_CANCELLED);
    EXPECT_EQ(strReport, QStringLiteral("blank.txt\nempty.txt"));  // one a line
    EXPECT_EQ(m_box.m_messages, (CMessages{Message(IDS_FILE_NO_TOPICS, IDC_ADD)}));
    EXPECT_EQ(m_session.GetCtrlFile().GetDBCount(), m_nDatabases);
    EXPECT_FALSE(m_session.GetCtrlFile().IsModified());
}

// The dialogs belong to the window the host named, else to none; a nested call is cancelled.
TEST_F(AppDialogsTest, ProviderParentAndNestedCalls) {
    QWidget main;
    auto pGone = std::make_unique<QWidget>();
    const std::tuple<const char*, QWidget*, QWidget*> rows[] = {
        {"named", &main, &main}, {"none", nullptr, nullptr}, {"gone", pGone.get(), nullptr}};
    for (const auto& [pszCase, pNamed, pExpected] : rows) {
        SCOPED_TRACE(pszCase);
        SetDialogParent(pNamed);
        if (pNamed == pGone.get()) {
            pGone.reset();
        }
        CModalScript script({[&](QDialog& page) {
            EXPECT_EQ(page.parentWidget(), pExpected);
            EXPECT_EQ(page.windowModality(), Qt::ApplicationModal);
            EXPECT_EQ(GetDialogProvider().RunAddAppDialog(m_context), TQE_CANCELLED);
            EXPECT_EQ(GetDialogProvider().RunEditAppDialog(m_context, Memo()), TQE_CANCELLED);
            Click(page, IDC_CANCEL);
        }});
        EXPECT_EQ(GetDialogProvider().RunAddAppDialog(m_context), TQE_CANCELLED);
    }
    SetDialogParent(nullptr);
}

// The edit dialog's flows on the demo as installed; the one that changes the model saves.
TEST_F(AppDialogsTest, EditFlows) {
    auto removeFirst = [](QDialog& dialog, bool bByKey) {
        auto* pTargets = Find<CTargetListBox>(dialog, IDC_TARGETS);
        pTargets->setCurrentRow(0);
        bByKey ? QTest::keyClick(pTargets, Qt::Key_Delete) : Click(dialog, IDC_REMOVE);
        EXPECT_TRUE(pTargets->IsEmpty());
    };
    // Opening where the last document is; removing it and adding it back is no change.
    Edit(TQE_CANCELLED, [&](QDialog& dialog) {
        EXPECT_EQ(Find<CFolderComboBox>(dialog, IDC_LOCATION)->GetFolder(), kNotes);
        EXPECT_EQ(FocusId(), IDC_APP_NAME);
        removeFirst(dialog, true);
        SelectFiles(dialog, {"NOTES.HTML"});
        Click(dialog, IDC_ADD);
        Click(dialog, IDC_OK);
    });
    // Rename; the emptied list is refused with the focus in the file list; another document.
    Edit(0, [&](QDialog& dialog) {
        TypeName(dialog, QStringLiteral(" Memo Two "));
        removeFirst(dialog, false);
        Click(dialog, IDC_OK);
        EXPECT_EQ(m_box.m_messages, (CMessages{Message(IDS_SPECIFY_TARGETS, IDC_FILES)}));
        dialog.findChild<CFileSelectionPane*>()->OpenFolder(kDocs);
        SelectFiles(dialog, {"tqhelp.chm"});
        Click(dialog, IDC_ADD);
        Click(dialog, IDC_OK);
    });
    Save();
    EXPECT_TRUE(Holds("BaseControl.ini", "PublicName = \"Memo Two\""));
    EXPECT_TRUE(Holds("BaseControl.ini", "\\tqhelp.chm > Memo Two\""));
    EXPECT_FALSE(Holds("BaseControl.ini", "notes.html"));
    EXPECT_TRUE(Holds("Control.ini", "tqhelp.chm > Memo Two"));
    // Without documents the dialog starts where the user last browsed; Cancel keeps the old name.
    std::string strDoc;
    ASSERT_EQ(m_session.GetAppli().GetDocDisplayPath(Memo(), 0, strDoc), 0);
    ASSERT_GE(m_session.GetAppli().RemoveDoc(Memo(), strDoc), 0);
    m_session.GetCtrlFile().ClearChanges();
    SetCurrentFolder(m_context.m_strSettingsKey, kNotes);
    Edit(TQE_CANCELLED, [&](QDialog& dialog) {
        EXPECT_EQ(Find<CFolderComboBox>(dialog, IDC_LOCATION)->GetFolder(), kNotes);
        TypeName(dialog, QStringLiteral("Gone"));
        Click(dialog, IDC_CANCEL);
    });
    EXPECT_EQ(m_session.GetCtrlFile().GetPublicName(Memo()), "Memo Two");
    EXPECT_FALSE(m_session.GetCtrlFile().IsModified());
}

}  // namespace
}  // namespace tq
