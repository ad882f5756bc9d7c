// The add wizard and the edit dialog driven by key and mouse on the demo product with its real
// help files and the topic-filter library built here, through whole flows that end with a save
// whose control files are read back.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "applications/EditSession.h"
#include "applications/TopicLibrary.h"
#include "browse/BrowseSettings.h"
#include "dialogs/AddAppWizard.h"
#include "dialogs/DialogTestApp.h"
#include "dialogs/EditAppDlg.h"
#include "dialogs/FileListCtrl.h"
#include "dialogs/FileSelectionPane.h"
#include "dialogs/FolderComboBox.h"
#include "dialogs/TargetListBox.h"
#include "dialogs/WaitDlg.h"
#include "manager/ProductRegKey.h"
#include "platform/Environment.h"
#include "platform/MessageBox.h"
#include "resources/ErrorCodes.h"
#include "resources/StringTable.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

const std::string kDocs = "C:\\Program Files\\Trellisquest\\Docs\\";
// The folder as the location box gives it back.
const std::string kDocsShown = "C:\\program files\\trellisquest\\docs\\";

using CStep = std::function<void(QDialog&)>;

// Runs each step on the next dialog that comes up modal (the wait dialog aside). A step may open
// a dialog (the report) that the next step handles, and go on once it has closed.
class CDialogScript {
public:
    explicit CDialogScript(std::vector<CStep> steps) : m_steps(std::move(steps)) {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start();
    }

private:
    void Poll() {
        auto* pDialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (pDialog == nullptr || pDialog == m_pLast ||
            qobject_cast<CWaitDlg*>(pDialog) != nullptr) {
            return;
        }
        if (m_nNext >= m_steps.size()) {
            ADD_FAILURE() << "a dialog came up after the last step";
            pDialog->reject();
            return;
        }
        m_pLast = pDialog;
        // Queued, so that this timer keeps ticking while the step waits in a nested dialog.
        QPointer<QDialog> pTarget = pDialog;
        CStep& step = m_steps[m_nNext++];
        QMetaObject::invokeMethod(
            &m_timer,
            [pTarget, &step] {
                if (pTarget != nullptr) {
                    step(*pTarget);
                }
            },
            Qt::QueuedConnection);
    }

    std::vector<CStep> m_steps;
    size_t m_nNext = 0;
    QPointer<QDialog> m_pLast;
    QTimer m_timer;
};

template <typename T>
T* Find(QDialog& dialog, int nId) {
    T* pControl = dialog.findChild<T*>(QString::number(nId));
    EXPECT_NE(pControl, nullptr) << nId;
    return pControl;
}

void Click(QDialog& dialog, int nId) {
    QTest::mouseClick(Find<QPushButton>(dialog, nId), Qt::LeftButton);
}

// Ctrl+clicks the file-list rows of these names (the first one alone).
void SelectFiles(QDialog& dialog, const std::vector<std::string>& names) {
    QAbstractItemView* pView = Find<CFileListCtrl>(dialog, 1016)->GetCurrentView();
    bool bFirst = true;
    for (const std::string& strName : names) {
        QModelIndexList found =
            pView->model()->match(pView->model()->index(0, 0), Qt::DisplayRole,
                                  QString::fromStdString(strName), 1, Qt::MatchFixedString);
        ASSERT_EQ(found.size(), 1) << strName;
        QTest::mouseClick(pView->viewport(), Qt::LeftButton,
                          bFirst ? Qt::KeyboardModifiers() : Qt::ControlModifier,
                          pView->visualRect(found[0]).center());
        bFirst = false;
    }
}

void TypeName(QDialog& dialog, const QString& strText) {
    auto* pName = Find<QLineEdit>(dialog, 1017);
    pName->selectAll();
    QTest::keyClick(pName, Qt::Key_Delete);
    if (std::any_of(strText.begin(), strText.end(), [](QChar c) { return c.unicode() < 0x20; })) {
        pName->insert(strText);  // control characters come only by pasting
        return;
    }
    for (QChar c : strText) {
        // Typed as the input method would deliver it, also beyond ASCII.
        QTest::sendKeyEvent(QTest::Click, pName, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

std::vector<std::string> Targets(QDialog& dialog) {
    return Find<CTargetListBox>(dialog, 1007)->GetEntries();
}

// The id of the control that has the focus (its nearest ancestor that carries an id).
int FocusId() {
    QWidget* pDialog = QApplication::activeModalWidget();
    QWidget* pFocus = pDialog != nullptr ? pDialog->focusWidget() : nullptr;
    for (QObject* p = pFocus; p != nullptr; p = p->parent()) {
        bool bNumber = false;
        int nId = p->objectName().toInt(&bNumber);
        if (bNumber) {
            return nId;
        }
    }
    return 0;
}

// Records each message with the control that had the focus when it came.
class CRecordingBox : public CScriptedMessageBox {
public:
    struct CMessage {
        std::string m_strText;
        int m_nFocus;
        bool operator==(const CMessage&) const = default;
    };
    void ShowWarning(const std::string& strText, const std::string& strCaption) override {
        CScriptedMessageBox::ShowWarning(strText, strCaption);
        m_messages.push_back({strText, FocusId()});
    }
    std::vector<CMessage> m_messages;
};

class AppDialogsTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(test::InstallDemoProduct(m_prefix), 0);
        SetEnvironmentVariable(kTopicLibraryDirVariable, TQFLTR2_DIR);
        test::WriteLinuxFile(m_prefix.Path("drives/c/Program Files/Trellisquest/Docs/blank.txt"),
                             "");
        ASSERT_EQ(m_session.Open(std::string(kProductKeyBase) + "Demo"), 0);
        m_context.m_pCtrlFile = &m_session.GetCtrlFile();
        m_context.m_strSettingsKey = m_session.GetCtrlFile().GetProductKeyPath();
        if (!m_context.m_strSettingsKey.empty() && m_context.m_strSettingsKey.back() == '\\') {
            m_context.m_strSettingsKey.pop_back();
        }
        m_context.m_strProductName = "Demo";
        SetCurrentFolder(m_context.m_strSettingsKey, kDocs);
    }

    int32_t RunWizard(std::vector<CStep> steps) {
        CDialogScript script(std::move(steps));
        int32_t lResult = RunAddAppWizard(m_context, nullptr);
        return lResult;
    }

    std::string Base() const {
        return test::ReadLinuxFile(
            m_prefix.Path("drives/c/Program Files/Trellisquest/Control/BaseControl.ini"));
    }
    std::string ControlText() const {
        return test::ReadLinuxFile(
            m_prefix.Path("drives/c/Program Files/Trellisquest/Control/Control.ini"));
    }

    test::CTempPrefix m_prefix;
    CRecordingBox m_box;
    CMessageBoxScope m_scope{m_box};
    CEditSession m_session;
    CDialogContext m_context;
};

TEST_F(AppDialogsTest, WizardHappyPathSaves) {
    std::string strBefore = Base();
    int32_t lResult = RunWizard({
        [&](QDialog& page) {
            SelectFiles(page, {"tqhelp.chm", "relnotes.txt", "manual.pdf"});
            Click(page, 51);
            Click(page, 1);
        },
        [&](QDialog& page) {
            TypeName(page, QStringLiteral("  My Docs \u3000"));
            QTest::keyClick(Find<QLineEdit>(page, 1017), Qt::Key_Return);
        },
    });
    EXPECT_EQ(lResult, 2);  // the demo has one user application
    EXPECT_TRUE(m_box.m_messages.empty());
    m_box.PushAnswer(IDYES);
    ASSERT_EQ(m_session.Save(SAVEMODE_EDITED), 0);
    std::string strBase = Base();
    EXPECT_NE(strBase.find("PublicName = \"My Docs\"\r\n"), std::string::npos) << strBase;
    for (const char* pszFile : {"tqhelp.chm", "relnotes.txt", "manual.pdf"}) {
        EXPECT_NE(strBase.find("Doc = \"" + kDocsShown + pszFile + " > My Docs\""),
                  std::string::npos)
            << pszFile;
        EXPECT_NE(ControlText().find(kDocsShown + pszFile + " > My Docs"), std::string::npos)
            << pszFile;
    }
    EXPECT_NE(strBase.find("@My Docs"), std::string::npos);
    EXPECT_EQ(GetCurrentFolder(m_context.m_strSettingsKey), kDocsShown);
}

// Refusals on the files page and on the name page, Back keeping the raw name, the view and
// the targets, and Cancel leaving the model as it was.
TEST_F(AppDialogsTest, WizardRefusalsBackAndCancel) {
    const size_t nDatabases = m_session.GetCtrlFile().GetDBCount();
    using CMessage = CRecordingBox::CMessage;
    const QString kTyped = QStringLiteral(" typed\u3000");
    QString strReport;
    int32_t lResult = RunWizard({
        [&](QDialog& page) {
            Click(page, 1);  // Next with no targets
            SelectFiles(page, {"blank.txt"});
            Click(page, 51);  // one refused file
            SelectFiles(page, {"blank.txt", "relnotes.txt"});
            Click(page, 51);  // two selected, one refused: the report
        },
        [&](QDialog& report) {
            strReport = Find<QPlainTextEdit>(report, 1017)->toPlainText();
            report.accept();
        },
        [&](QDialog& page) {
            SelectFiles(page, {"RELNOTES.TXT"});
            Click(page, 51);  // already a target: nothing
            EXPECT_EQ(Targets(page).size(), 1u);
            QTest::keyClick(Find<CFileListCtrl>(page, 1016)->GetCurrentView(), Qt::Key_D,
                            Qt::ControlModifier);
            Click(page, 1);
        },
        [&](QDialog& page) {
            const struct {
                const char* m_pszCase;
                QString m_strText;
                uint32_t m_id;
                int m_nCaret;
            } names[] = {
                {"control character", QStringLiteral("ab\tc"), IDS_APP_NAME_CONTROL, 2},
                {"tab at the end", QStringLiteral("abc\t"), IDS_APP_NAME_CONTROL, 3},
                {"blanks only", QStringLiteral(" \u3000 "), IDS_ENTER_APP_NAME, -1},
                {"reserved", QString::fromUtf8(" アプリケーション "), IDS_APP_NAME_UNUSABLE, -1},
                {"no code page form", QStringLiteral("caf\u00e9\u20ac\U0001F600"),
                 IDS_APP_NAME_UNUSABLE, -1},
                {"over the limit", QString(129, QChar(0x3042)), IDS_APP_NAME_UNUSABLE, -1},
                {"public name in other case", QString::fromUtf8("trellisquest ヘルプ"),
                 IDS_APP_EXISTS, -1},
            };
            auto* pName = Find<QLineEdit>(page, 1017);
            for (const auto& name : names) {
                SCOPED_TRACE(name.m_pszCase);
                TypeName(page, name.m_strText);
                m_box.m_messages.clear();
                Click(page, 1);
                EXPECT_EQ(m_box.m_messages, (std::vector<CMessage>{{LoadString(name.m_id), 1017}}));
                if (name.m_nCaret >= 0) {
                    EXPECT_EQ(pName->cursorPosition(), name.m_nCaret);
                }
            }
            EXPECT_EQ(pName->text(), QString::fromUtf8("trellisquest ヘルプ"));
            TypeName(page, kTyped);
            Click(page, 54);  // Back
        },
        [&](QDialog& page) {
            EXPECT_EQ(Find<CFileListCtrl>(page, 1016)->GetView(), 1);  // details, as left
            EXPECT_EQ(Targets(page), (std::vector<std::string>{kDocsShown + "relnotes.txt"}));
            Click(page, 1);
        },
        [&](QDialog& page) {
            EXPECT_EQ(Find<QLineEdit>(page, 1017)->text(), kTyped);
            Click(page, 2);
        },
    });
    EXPECT_EQ(lResult, TQE_CANCELLED);
    EXPECT_TRUE(strReport.contains(QStringLiteral("blank.txt")));
    EXPECT_FALSE(strReport.contains(QStringLiteral("relnotes")));
    EXPECT_EQ(m_session.GetCtrlFile().GetDBCount(), nDatabases);
    EXPECT_EQ(m_session.GetCtrlFile().m_dwModified, 0u);
}

class EditDialogTest : public AppDialogsTest {
protected:
    int32_t RunEdit(int32_t lIndex, std::vector<CStep> steps) {
        CDialogScript script(std::move(steps));
        int32_t lResult = RunEditAppDialog(m_context, lIndex, nullptr);
        return lResult;
    }
    int32_t Memo() const { return m_session.GetCtrlFile().GetDBIndex(DBTYPE_FREE, 0); }
    std::string MemoName() const { return m_session.GetCtrlFile().GetPublicName(Memo()); }
    const std::string kNotes = "C:\\program files\\mynotes\\";
};

// The edit dialog's flows, each from the demo as installed; every flow ends with a save.
TEST_F(EditDialogTest, Flows) {
    using CMessage = CRecordingBox::CMessage;
    const std::string strMemo = MemoName();

    // Opening in the folder of the last document, the name focused; OK without a change.
    EXPECT_EQ(RunEdit(Memo(), {[&](QDialog& dialog) {
                          EXPECT_EQ(Find<CFolderComboBox>(dialog, 1002)->GetFolder(), kNotes);
                          EXPECT_EQ(FocusId(), 1017);
                          Click(dialog, 1);
                      }}),
              TQE_CANCELLED);
    EXPECT_EQ(m_session.GetCtrlFile().m_dwModified, 0u);

    // Removing the document and adding it back is no change.
    EXPECT_EQ(RunEdit(Memo(), {[&](QDialog& dialog) {
                          auto* pTargets = Find<CTargetListBox>(dialog, 1007);
                          pTargets->setCurrentRow(0);
                          QTest::keyClick(pTargets, Qt::Key_Delete);
                          EXPECT_TRUE(pTargets->IsEmpty());
                          SelectFiles(dialog, {"NOTES.HTML"});
                          Click(dialog, 51);
                          Click(dialog, 1);
                      }}),
              TQE_CANCELLED);
    EXPECT_EQ(m_session.GetCtrlFile().m_dwModified, 0u);

    // The empty list: 102 with the focus in the file list, then Cancel keeps the old name.
    EXPECT_EQ(RunEdit(Memo(), {[&](QDialog& dialog) {
                          TypeName(dialog, QStringLiteral("Gone"));
                          auto* pTargets = Find<CTargetListBox>(dialog, 1007);
                          pTargets->setCurrentRow(0);
                          Click(dialog, 52);
                          Click(dialog, 1);
                          EXPECT_EQ(
                              m_box.m_messages,
                              (std::vector<CMessage>{{LoadString(IDS_SPECIFY_TARGETS), 1016}}));
                          Click(dialog, 2);
                      }}),
              TQE_CANCELLED);
    EXPECT_EQ(MemoName(), strMemo);
    EXPECT_EQ(m_session.GetCtrlFile().m_dwModified, 0u);

    // Rename, remove the old document and add another.
    EXPECT_EQ(RunEdit(Memo(), {[&](QDialog& dialog) {
                          TypeName(dialog, QStringLiteral(" Memo Two "));
                          auto* pTargets = Find<CTargetListBox>(dialog, 1007);
                          pTargets->setCurrentRow(0);
                          Click(dialog, 52);
                          dialog.findChild<CFileSelectionPane*>()->OpenFolder(kDocs);
                          SelectFiles(dialog, {"tqhelp.chm"});
                          Click(dialog, 51);
                          Click(dialog, 1);
                      }}),
              0);
    m_box.PushAnswer(IDYES);
    ASSERT_EQ(m_session.Save(SAVEMODE_EDITED), 0);
    std::string strBase = Base();
    EXPECT_NE(strBase.find("PublicName = \"Memo Two\""), std::string::npos);
    EXPECT_NE(strBase.find("\\tqhelp.chm > Memo Two\""), std::string::npos) << strBase;
    EXPECT_EQ(strBase.find("notes.html"), std::string::npos);
    EXPECT_NE(ControlText().find("tqhelp.chm > Memo Two"), std::string::npos);

    // Without documents the dialog starts where the user last browsed.
    std::string strDoc;
    ASSERT_EQ(m_session.GetCtrlFile().GetDocDisplayPath(Memo(), 0, strDoc), 0);
    ASSERT_GE(m_session.GetCtrlFile().RemoveDoc(Memo(), strDoc), 0);
    SetCurrentFolder(m_context.m_strSettingsKey, kNotes);
    EXPECT_EQ(RunEdit(Memo(), {[&](QDialog& dialog) {
                          EXPECT_EQ(Find<CFolderComboBox>(dialog, 1002)->GetFolder(), kNotes);
                          Click(dialog, 2);
                      }}),
              TQE_CANCELLED);
}

// Files dropped from a file manager go through the check as the files of Add: folders are left
// out, a refused file among several gets the report, accepted files become targets.
TEST_F(AppDialogsTest, DroppedFilesAreCheckedLikeAdd) {
    auto drop = [&](QDialog& page, const std::vector<std::string>& relative) {
        QList<QUrl> urls;
        for (const std::string& strRelative : relative) {
            urls.push_back(QUrl::fromLocalFile(QString::fromStdString(
                m_prefix.Path("drives/c/Program Files/Trellisquest/" + strRelative))));
        }
        QMimeData data;
        data.setUrls(urls);
        QWidget* pViewport = Find<CTargetListBox>(page, 1007)->viewport();
        // As a file manager's drag arrives: it enters, then drops.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pViewport, &enter);
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pViewport, &event);
        EXPECT_TRUE(event.isAccepted());
    };
    QString strReport;
    int32_t lResult = RunWizard({
        [&](QDialog& page) {
            drop(page, {"Docs/relnotes.txt", "Docs/blank.txt", "Data"});
            EXPECT_TRUE(test::WaitUntil([&] { return Targets(page).size() == 1; }));
            drop(page, {"Docs/manual.pdf"});
            EXPECT_TRUE(test::WaitUntil([&] { return Targets(page).size() == 2; }));
            EXPECT_EQ(Targets(page),
                      (std::vector<std::string>{kDocs + "manual.pdf", kDocs + "relnotes.txt"}));
            Click(page, 2);
        },
        [&](QDialog& report) {
            strReport = Find<QPlainTextEdit>(report, 1017)->toPlainText();
            report.accept();
        },
    });
    EXPECT_EQ(lResult, TQE_CANCELLED);
    EXPECT_EQ(strReport, QStringLiteral("blank.txt"));
    EXPECT_TRUE(m_box.m_messages.empty());
}

}  // namespace
}  // namespace tq
