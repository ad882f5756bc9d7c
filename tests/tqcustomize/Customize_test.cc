// The desktop window on the demo product: every flow ends in the files, bad input leaves them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTreeView>
#include <QUrl>
#include <QWindow>
#include <filesystem>
#include <functional>

#include "MainWindow.h"
#include "WindowPlacement.h"
#include "dialogs/DialogTestApp.h"
#include "platform/ComHost.h"
#include "platform/Faults.h"
#include "platform/File.h"
#include "platform/Registry.h"
#include "platform/Win32Error.h"
#include "resources/DialogIds.h"
#include "support/TestSupport.h"

namespace tq::customize {
namespace {

const std::string kControl = "drives/c/Program Files/Trellisquest/Control/";
const std::string kDocs = "drives/c/Program Files/Trellisquest/Docs/";
using test::CModalScript;
using test::CStep;

CStep Answer(std::string strExpected, QMessageBox::StandardButton button) {
    return [strExpected, button](QDialog& dialog) {
        auto* pBox = qobject_cast<QMessageBox*>(&dialog);
        ASSERT_NE(pBox, nullptr) << dialog.windowTitle().toStdString();
        const std::string text = (pBox->text() + pBox->informativeText()).toStdString();
        EXPECT_NE(text.find(strExpected), std::string::npos) << text;
        QTest::mouseClick(pBox->button(button), Qt::LeftButton);
    };
}

// A step on one of the component's dialogs: optionally a new name typed, then a button by id.
CStep Press(int nButton, QString strName = {}) {
    return [nButton, strName](QDialog& dialog) {
        if (!strName.isEmpty()) {
            auto* pName = test::Find<QLineEdit>(dialog, IDC_APP_NAME);
            pName->selectAll();
            QTest::keyClicks(pName, strName);
        }
        test::Click(dialog, nButton);
    };
}

class CustomizeTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(test::InstallDemoProduct(m_prefix), 0);
        ASSERT_EQ(RegisterServerModule(TQ_MODULE_PATH), S_OK);
        m_strBase = File("BaseControl.ini");
    }
    std::string File(const std::string& strName) const {
        return test::ReadLinuxFile(m_prefix.Path(kControl + strName));
    }
    CMainWindow& Open(const std::string& strProduct = "Demo") {
        m_pWindow = std::make_unique<CMainWindow>(strProduct);
        m_pWindow->SetPollInterval(50);
        // The flag lives on this stack: a later load (a blocked product freed) must not reach it.
        bool bEnded = false;
        auto ended = QObject::connect(m_pWindow.get(), &CMainWindow::LoadEnded,
                                      [&bEnded] { bEnded = true; });
        m_pWindow->show();
        EXPECT_TRUE(test::WaitUntil([&] { return bEnded; }));
        QObject::disconnect(ended);
        return *m_pWindow;
    }
    QModelIndex Item(const char* pszName) const {
        const QAbstractItemModel* pModel = m_pWindow->GetList()->model();
        auto found = pModel->match(pModel->index(0, 0), Qt::DisplayRole, QString::fromUtf8(pszName),
                                   -1, Qt::MatchExactly | Qt::MatchRecursive);
        return found.size() == 1 ? found[0] : QModelIndex();
    }
    static std::string Text(const QModelIndex& item, int nColumn) {
        return item.siblingAtColumn(nColumn).data().toString().toStdString();
    }
    void Key(int nKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
             const char* pszAt = nullptr) {
        if (pszAt != nullptr) {
            m_pWindow->GetList()->setCurrentIndex(Item(pszAt));
        }
        m_pWindow->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_pWindow.get()));
        m_pWindow->GetList()->setFocus();
        QTest::keyClick(m_pWindow->GetList(), static_cast<Qt::Key>(nKey), modifiers);
    }
    bool Modified() const { return m_pWindow->windowHandle()->title().startsWith('*'); }
    // Which of Add, Edit, Remove, Save, Revert are enabled, as "10010".
    std::string Enabled() const {
        std::string strEnabled;
        for (CAction action :
             {CAction::Add, CAction::Edit, CAction::Remove, CAction::Save, CAction::Revert}) {
            strEnabled += m_pWindow->GetButton(action)->isEnabled() ? '1' : '0';
        }
        return strEnabled;
    }

    test::CTempPrefix m_prefix;
    std::unique_ptr<CMainWindow> m_pWindow;
    std::string m_strBase;
};

// Space toggles, Ctrl+S asks (No or a full disk saves nothing); a saved database waits.
TEST_F(CustomizeTest, SelectionsToggleAndSaveIntoBothFiles) {
    Open();
    const std::tuple<const char*, Qt::CheckState, bool, const char*> rows[] = {
        {"Trellisquest ヘルプ", Qt::Checked, false, "インストール済み"},
        {"ユーザーズマニュアル", Qt::Checked, true, "インストール済み"},
        {"用語辞書", Qt::Unchecked, true, "未インストール"}};
    for (const auto& [pszName, check, bEnabled, pszInstalled] : rows) {
        const QModelIndex item = Item(pszName);
        ASSERT_TRUE(item.isValid()) << pszName;
        EXPECT_EQ(item.data(Qt::CheckStateRole).toInt(), check) << pszName;
        EXPECT_EQ(item.flags().testFlag(Qt::ItemIsEnabled), bEnabled) << pszName;
        EXPECT_EQ(Text(item, 1), pszInstalled) << pszName;
    }
    EXPECT_EQ(Enabled(), "10000");
    Key(Qt::Key_Space, Qt::NoModifier, "リリースノート");
    EXPECT_TRUE(Modified());
    Key(Qt::Key_Space);
    EXPECT_FALSE(Modified());  // back as the files have it
    Key(Qt::Key_Space);
    EXPECT_EQ(Enabled(), "10011");
    {
        CModalScript script({Answer("読み込み直します", QMessageBox::Yes)});  // Revert asks first
        m_pWindow->GetButton(CAction::Revert)->setFocus();  // Enter on the focused button
        QTest::keyClick(m_pWindow->GetButton(CAction::Revert), Qt::Key_Return);
    }
    EXPECT_TRUE(test::WaitUntil([&] { return Enabled() == "10000"; }));
    Key(Qt::Key_Space, Qt::NoModifier, "リリースノート");
    const std::string strControl = File("Control.ini");
    {
        CModalScript script({Answer("選択した内容", QMessageBox::No)});
        Key(Qt::Key_S, Qt::ControlModifier);
    }
    // Then Yes on a disk that fills during the save: the code's message.
    SetFaultHook([](const char* pszOp, const std::string&) {
        return std::string(pszOp) == "write" ? ERROR_DISK_FULL : 0;
    });
    {
        CModalScript script({Answer("選択した内容", QMessageBox::Yes),
                             Answer("(エラーコード -15", QMessageBox::Ok)});
        Key(Qt::Key_S, Qt::ControlModifier);
    }
    SetFaultHook(nullptr);
    EXPECT_EQ(File("BaseControl.ini"), m_strBase);
    EXPECT_EQ(File("Control.ini"), strControl);
    EXPECT_TRUE(Modified());
    for (const char* pszAt : {"", "用語辞書"}) {
        CModalScript script({Answer("選択した内容", QMessageBox::Yes)});
        if (*pszAt != '\0') {
            Key(Qt::Key_Space, Qt::NoModifier, pszAt);
        }
        Key(Qt::Key_S, Qt::ControlModifier);
    }
    EXPECT_FALSE(Modified());
    EXPECT_NE(File("BaseControl.ini").find("[RelNotes]~"), std::string::npos);
    EXPECT_NE(File("Control.ini").find("[Dictionary]"), std::string::npos);
    // The first save wrote the control file; the second asks the builder for the database.
    EXPECT_EQ(Text(Item("用語辞書"), 2), "更新待ち");
    EXPECT_EQ(Text(Item("リリースノート"), 2), "");
    // A product without user applications: selections only.
    m_pWindow.reset();
    CRegKey key;
    ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE,
                       "SOFTWARE\\Orbanworks\\Trellisquest\\Demo\\USER\\AddTarget", KEY_ALL_ACCESS),
              0);
    ASSERT_EQ(key.SetDword("Customize", 0), 0);
    Open().GetList()->setCurrentIndex(Item("私のメモ"));
    EXPECT_EQ(Enabled(), "00000");
    EXPECT_NE(
        m_pWindow->GetButton(CAction::Remove)->toolTip().toStdString().find("追加・編集できません"),
        std::string::npos);
}

// Files dropped on the window, handed over by the host or dropped on the wizard's list: those
// without a Windows form are named in the note with why. Finish, F2 and Delete end in the files
// (the dropped file whole); Enter or Space on a focused button presses it; closing asks.
TEST_F(CustomizeTest, AddEditRemoveEndInTheFilesAndClosingAsks) {
    const std::string kDeep = std::string(150, 'x') + "/" + std::string(150, 'y');
    const std::tuple<std::string, const char*, const char*> rows[] = {
        // in C:\Drop, why it is left out (null: it is not), as the wizard names it
        {"v2 final.txt", nullptr, ""},
        {"say \"hi\".txt", "Windows で使えない文字を含む名前", "say \"hi\".txt"},
        {"a|b.txt", "Windows で使えない文字を含む名前", "a|b.txt"},
        {"café.txt", "シフト JIS で表せない名前", "caf?.txt"},  // no host can hand it over
        {kDeep + "/deep.txt", "長すぎるパス", "deep.txt"},
        {"Sub", "フォルダ", "Sub"},
        {"gone.txt", "見つからないファイル", "gone.txt"}};
    QList<QUrl> urls = {QUrl("https://example.com/manual.pdf")};
    std::vector<std::string> handed;
    for (const auto& [strName, pszWhy, pszShown] : rows) {
        const std::filesystem::path path = m_prefix.Path("drives/c/Drop/" + strName);
        std::filesystem::create_directories(strName == "Sub" ? path : path.parent_path());
        if (strName != "Sub" && strName != "gone.txt") {
            std::filesystem::copy_file(m_prefix.Path(kDocs + "relnotes.txt"), path);
        }
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
        const QString strHanded = QString::fromStdString("C:\\Drop\\" + strName).replace('/', '\\');
        strName.find("é") == std::string::npos ? handed.push_back(strHanded.toStdString()) : void();
    }
    const auto expectNamed = [&](const std::string& strNote, bool bWizard, bool bHanded) {
        for (const auto& [strName, pszWhy, pszShown] : rows) {
            const auto strShown = bWizard ? pszShown : std::filesystem::path(strName).filename();
            EXPECT_TRUE(pszWhy == nullptr || (bHanded && strName.find("é") != std::string::npos) ||
                        strNote.find(strShown.string() + "（" + pszWhy + "）") != std::string::npos)
                << strShown << " in " << strNote;
        }
    };
    std::vector<std::string> notes;  // on the host's files, then on those dropped on the list
    const CStep wizard = [&](QDialog& dialog) {  // the notes in turn, and the page once
        if (auto* pBox = qobject_cast<QMessageBox*>(&dialog)) {
            notes.push_back(pBox->text().toStdString());
            return pBox->accept();
        }
        auto* pTargets = test::Find<QListWidget>(dialog, IDC_TARGETS);
        EXPECT_TRUE(test::WaitUntil([&] { return notes.size() == 1; }));
        test::DropUrls(pTargets->viewport(), urls);
        EXPECT_TRUE(test::WaitUntil([&] { return notes.size() == 2; }));
        EXPECT_EQ(pTargets->count(), 1);
        dialog.reject();
    };
    test::WriteLinuxFile(m_prefix.Path(kControl + "Control.ini"), m_strBase);
    Open();
    {
        CModalScript script({[this](QDialog& page) {
                                 EXPECT_EQ(page.parentWidget(), m_pWindow.get());
                                 auto* pTargets = test::Find<QListWidget>(page, IDC_TARGETS);
                                 EXPECT_TRUE(
                                     test::WaitUntil([&] { return pTargets->count() == 1; }));
                                 Press(IDC_OK)(page);
                             },
                             Press(IDC_OK, "Notes Plus")});
        EXPECT_TRUE(test::DropUrls(m_pWindow->GetList()->viewport(), urls));
        const std::string strStatus = m_pWindow->statusBar()->currentMessage().toStdString();
        expectNamed(strStatus, false, false);
        EXPECT_NE(strStatus.find("、ファイルでない項目 1 個"), std::string::npos);
        EXPECT_TRUE(test::WaitUntil([&] { return Item("Notes Plus").isValid(); }));
    }
    {
        CModalScript script({wizard, wizard, wizard});
        m_pWindow->Add(handed);  // the host's files, then a drop on the wizard's list
    }
    ASSERT_EQ(notes.size(), 2u);
    expectNamed(notes[0], true, true);
    expectNamed(notes[1], true, false);
    {
        CModalScript script({Answer("編集した内容", QMessageBox::Yes), Press(IDC_OK, "Notes Max"),
                             Answer("編集した内容", QMessageBox::Yes)});
        Key(Qt::Key_S, Qt::ControlModifier);  // saved, it waits for the builder, edited or not
        Key(Qt::Key_F2, Qt::NoModifier, "Notes Plus");
        EXPECT_EQ(Text(Item("Notes Max"), 2), "更新待ち");
        m_pWindow->GetButton(CAction::Save)->setFocus();
        QTest::keyClick(m_pWindow->GetButton(CAction::Save), Qt::Key_Space);
    }
    const std::string strBase = File("BaseControl.ini");
    EXPECT_NE(strBase.find("\"C:\\Drop\\v2 final.txt > Notes Max\""), std::string::npos);
    EXPECT_EQ(strBase.find("C:\\Drop\\"), strBase.rfind("C:\\Drop\\"));  // no other file
    EXPECT_NE(File("Control.ini").find("Notes Max"), std::string::npos);
    {
        CModalScript script(
            {Answer("削除します", QMessageBox::Yes), Answer("編集した内容", QMessageBox::Yes)});
        Key(Qt::Key_Delete, Qt::NoModifier, "Notes Max");
        EXPECT_FALSE(Item("Notes Max").isValid());
        Key(Qt::Key_S, Qt::ControlModifier);
    }
    EXPECT_EQ(File("BaseControl.ini").find("Notes Max"), std::string::npos);
    const std::string strSaved = File("BaseControl.ini");
    {
        CModalScript script({Answer("保存しますか", QMessageBox::Discard)});
        Key(Qt::Key_Space, Qt::NoModifier, "ユーザーズマニュアル");
        EXPECT_TRUE(m_pWindow->close());
    }
    EXPECT_EQ(File("BaseControl.ini"), strSaved);
}

// Another editor (tqctl script) or the builder's lock file: the window says who and waits for it.
TEST_F(CustomizeTest, AnEditorOrTheBuilderHoldingTheProductBlocksUntilItEnds) {
    const std::string strOut = m_prefix.Path("editor-out");
    const std::string strEditor = test::ShellQuote(test::ToolPath("tqctl")) + " --prefix " +
                                  test::ShellQuote(m_prefix.GetDir()) + " script - >" +
                                  test::ShellQuote(strOut) + " 2>&1";
    FILE* pEditor = popen(strEditor.c_str(), "w");
    ASSERT_NE(pEditor, nullptr);
    std::fputs("SetProductKey \"Demo\"\nLoad\n", pEditor);
    std::fflush(pEditor);
    ASSERT_TRUE(test::WaitUntil([&] { return test::ReadLinuxFile(strOut) == "TRUE\t0\n0\t0\n"; }));
    CFile lock;
    auto holdLock = [&] {
        ASSERT_EQ(lock.Open("C:\\Program Files\\Trellisquest\\Control\\BaseControl.ini.lock",
                            GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS),
                  0);
    };
    const std::tuple<const char*, std::function<void()>, std::function<void()>> holders[] = {
        {"ほかのプログラムで編集中です", [] {}, [&] { EXPECT_EQ(pclose(pEditor), 0); }},
        {"インデックス作成プログラムが使用中です", holdLock, [&] { lock.Close(); }}};
    for (const auto& [pszStatus, hold, release] : holders) {
        SCOPED_TRACE(pszStatus);
        hold();
        Open();
        EXPECT_EQ(m_pWindow->GetState().m_list, CWindowState::CList::Blocked);
        EXPECT_EQ(Enabled(), "00000");
        EXPECT_EQ(m_pWindow->statusBar()->findChild<QLabel*>()->text().toStdString(),
                  pszStatus + std::string("。終わると読み込みます"));
        release();
        EXPECT_TRUE(test::WaitUntil(
            [&] { return m_pWindow->GetState().m_list == CWindowState::CList::Loaded; }));
        EXPECT_EQ(Enabled(), "10000");
        m_pWindow.reset();
    }
}

// The code's message (or the reader's log), every editing button off.
TEST_F(CustomizeTest, AProductThatCannotLoadShowsWhyAndWritesNothing) {
    const std::tuple<const char*, std::function<void()>, const char*, const char*> cases[] = {
        {"product key missing", [] {}, "Nope", "(エラーコード -1008)"},
        {"damaged base control file",
         [this] {
             test::WriteLinuxFile(m_prefix.Path(kControl + "BaseControl.ini"),
                                  m_strBase + "[Manual]\r\nPublicName=dup\r\n");
         },
         "Demo", "[Manual]"},
        {"module not registered",
         [] { ASSERT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, "OW.VXCtrlFileManager.1"), 0); }, "Demo",
         "OW.VXCtrlFileManager.1"}};
    for (const auto& [pszCase, arrange, pszProduct, pszShown] : cases) {
        SCOPED_TRACE(pszCase);
        arrange();
        const std::string strBefore = File("BaseControl.ini");
        {
            CModalScript script({Answer(pszShown, QMessageBox::Ok)});
            Open(pszProduct);
        }
        EXPECT_EQ(m_pWindow->GetState().m_list, CWindowState::CList::Failed);
        EXPECT_EQ(Enabled(), "00001");
        EXPECT_TRUE(m_pWindow->close());
        m_pWindow.reset();
        EXPECT_EQ(File("BaseControl.ini"), strBefore);
    }
}

// The window's place as the registry keeps it.
TEST(CustomizeFiles, Placement) {
    const std::pair<const char*, bool> placements[] = {
        {"10,-20,640,480", true}, {"1,2,0,4", false}, {"1,2,3", false}, {"1,2,3,4,", false}};
    for (const auto& [pszText, bValid] : placements) {
        CWindowPlacement placement;
        EXPECT_EQ(placement.Parse(pszText), bValid) << pszText;
        EXPECT_EQ(placement.Format(), bValid ? pszText : "0,0,0,0") << pszText;
    }
}

}  // namespace
}  // namespace tq::customize
