// The add wizard and the edit dialog driven by key and mouse on the demo product with its real
// help files and the topic-filter library built here, through whole flows that end with a save
// whose control files are read back.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "applications/AppNameRules.h"
#include "applications/EditSession.h"
#include "applications/TopicLibrary.h"
#include "browse/BrowseSettings.h"
#include "dialogs/AddAppWizard.h"
#include "dialogs/DialogTestApp.h"
#include "dialogs/EditAppDlg.h"
#include "dialogs/FileListCtrl.h"
#include "dialogs/QtText.h"
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

// Runs each step on the next dialog that comes up modal (the wait dialog aside), one at a time.
class CDialogScript {
public:
    explicit CDialogScript(std::vector<CStep> steps) : m_steps(std::move(steps)) {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start();
    }
    size_t GetStepsRun() const { return m_nNext; }

private:
    void Poll() {
        auto* pDialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (m_bBusy || pDialog == nullptr || pDialog == m_pLast ||
            qobject_cast<CWaitDlg*>(pDialog) != nullptr || m_nNext >= m_steps.size()) {
            return;
        }
        m_pLast = pDialog;
        m_bBusy = true;
        m_steps[m_nNext++](*pDialog);
        m_bBusy = false;
    }

    std::vector<CStep> m_steps;
    size_t m_nNext = 0;
    QPointer<QDialog> m_pLast;
    bool m_bBusy = false;
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
    for (QChar c : strText) {
        // Typed as the input method would deliver it, also beyond ASCII.
        QTest::sendKeyEvent(QTest::Click, pName, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

std::vector<std::string> Targets(QDialog& dialog) {
    return Find<CTargetListBox>(dialog, 1007)->GetEntries();
}

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

    // The texts of the messages shown so far, as string ids.
    std::vector<uint32_t> Shown() const {
        std::vector<uint32_t> ids;
        for (const auto& shown : m_box.GetShown()) {
            for (uint32_t id : {IDS_ENTER_APP_NAME, IDS_SPECIFY_TARGETS, IDS_APP_EXISTS,
                                IDS_FILE_NO_TOPICS, IDS_APP_NAME_UNUSABLE, IDS_APP_NAME_CONTROL}) {
                if (shown.m_strText == LoadString(id)) {
                    ids.push_back(id);
                }
            }
        }
        return ids;
    }

    int32_t RunWizard(std::vector<CStep> steps) {
        CDialogScript script(std::move(steps));
        int32_t lResult = RunAddAppWizard(m_context, nullptr);
        EXPECT_EQ(script.GetStepsRun(), script.GetStepsRun());
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
    CScriptedMessageBox m_box;
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
            EXPECT_EQ(Targets(page).size(), 3u);
            Click(page, 1);
        },
        [&](QDialog& page) {
            TypeName(page, QStringLiteral("  My Docs \u3000"));
            QTest::keyClick(Find<QLineEdit>(page, 1017), Qt::Key_Return);
        },
    });
    EXPECT_EQ(lResult, 2);  // the demo has one user application
    EXPECT_TRUE(Shown().empty());
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

}  // namespace
}  // namespace tq
