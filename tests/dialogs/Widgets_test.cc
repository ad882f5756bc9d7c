// The dialogs' groundwork, the wait dialog, and the file list and location box on their models.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <algorithm>
#include <array>
#include <filesystem>
#include <tuple>

#include "applications/WatchedTargetList.h"
#include "browse/FileListColumns.h"
#include "dialogs/DialogTestApp.h"
#include "dialogs/DialogUnits.h"
#include "dialogs/FileListCtrl.h"
#include "dialogs/FolderComboBox.h"
#include "dialogs/WaitDlg.h"
#include "dialogs/toolkit/Display.h"
#include "dialogs/toolkit/QtMessageBox.h"
#include "dialogs/toolkit/Translations.h"
#include "platform/Environment.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

// A display that does not answer is no display: the toolkit would end the process on it. Nor
// is a Wayland display alone: the toolkit goes to X without its own Wayland support.
TEST(DialogGroundworkTest, ADisplayIsOneThatAnswers) {
    const char* const kNames[] = {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"};
    const std::tuple<const char*, std::array<const char*, 3>, bool> kRows[] = {
        {"platform chosen by the host", {"offscreen", "", ""}, true},
        {"nothing", {"", "", ""}, false},
        {"X chosen, display gone", {"xcb", ":987", ""}, false},
        {"a Wayland display alone", {"", "", "wayland-0"}, false}};
    std::string saved[3];
    for (int i = 0; i < 3; ++i) {
        GetEnvironmentVariable(kNames[i], saved[i]);
    }
    for (const auto& [pszName, values, bExpected] : kRows) {
        for (int i = 0; i < 3; ++i) {
            SetEnvironmentVariable(kNames[i], values[i]);
        }
        EXPECT_EQ(HasDisplay(), bExpected) << pszName;
    }
    for (int i = 0; i < 3; ++i) {
        SetEnvironmentVariable(kNames[i], saved[i]);
    }
}

// The component's questions over the active dialog, in the user's language with the toolkit's
// texts too; Enter on a focused No answers No.
TEST(DialogGroundworkTest, QuestionsOverTheActiveDialogInTheUsersLanguage) {
    LoadToolkitTranslations(QLocale(QLocale::Japanese, QLocale::Japan));
    QDialog dialog;
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(test::WaitUntil([&] { return QApplication::activeWindow() == &dialog; }));
    CQtMessageBoxScope scope(GetDialogFont());
    QString strSeen;
    test::RunSoon(
        [&] {
            auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(pBox, nullptr);
            EXPECT_EQ(pBox->parentWidget(), &dialog);
            strSeen = pBox->windowTitle() + "|" + pBox->text() + "|" +
                      pBox->button(QMessageBox::Yes)->text() +
                      pBox->button(QMessageBox::No)->text();
            pBox->button(QMessageBox::No)->setFocus();
            QTest::keyClick(pBox->button(QMessageBox::No), Qt::Key_Return);
        },
        20);
    EXPECT_EQ(GetMessageBox().AskYesNo("\x83\x74\x83\x40\x83\x43\x83\x8b", "Trellisquest"), IDNO);
    EXPECT_EQ(strSeen.toStdString(), "Trellisquest|ファイル|はい(&Y)いいえ(&N)");
}

// The dialog does not close until the job has ended, then Esc closes it.
TEST(WaitDialogTest, ClicksOutsideBeepAndEscOnlyOnceDone) {
    CWaitDlg dialog;
    int nBeeps = 0;
    dialog.SetBeepHook([&] { ++nBeeps; });
    dialog.show();
    for (const QPoint& at : {QPoint(-5, -5), QPoint(5, 5)}) {
        QTest::mouseClick(&dialog, Qt::LeftButton, {}, at);
    }
    EXPECT_EQ(nBeeps, 1);
    dialog.Progress(60, 100);  // a job of many files shows how far it has come
    EXPECT_TRUE(test::WaitUntil([&] { return dialog.findChild<QProgressBar*>()->value() == 60; }));
    EXPECT_FALSE(dialog.close());  // Esc while the job runs is the long-check flow's test
    dialog.Done();
    QTest::keyClick(&dialog, Qt::Key_Escape);  // before the queued request
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 2);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A job that ended before the dialog opened does not leave it on screen.
TEST(WaitDialogTest, AJobEndedBeforeTheDialogOpenedClosesIt) {
    test::CWatchedList list;
    CWaitDlg dialog;
    test::CAnswerFilter filter([](const std::string& p) { return p.ends_with(".chm") ? 1 : 0; });
    CCheckJob job({{"C:\\docs\\b.chm", "b.chm"}, {"C:\\docs\\bad.pdf", "bad.pdf"}}, filter.Check(),
                  list, dialog, nullptr);
    job.Start();
    ASSERT_TRUE(test::WaitUntil([&] { return dialog.IsDone(); }));
    QTimer::singleShot(5000, &dialog, [&] { dialog.hide(); });  // a hang fails, not hangs
    dialog.exec();
    job.Join();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 2);
    EXPECT_EQ(list.m_threads, std::set<std::thread::id>{std::this_thread::get_id()});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The name column's texts, top to bottom, each followed by "|", with '*' on selected rows.
std::string Rows(const QAbstractItemView* pView) {
    std::string text;
    for (int nRow = 0; nRow < pView->model()->rowCount(); ++nRow) {
        text += pView->model()->index(nRow, 0).data().toString().toStdString() +
                (pView->selectionModel()->isRowSelected(nRow) ? "*|" : "|");
    }
    return text;
}

// The list shows what its model answers (the model's rules are tested with it): one check each.
TEST(BrowseWidgetsTest, FileListAppliesItsModel) {
    test::CTempPrefix prefix;
    std::filesystem::create_directories(prefix.Path("drives/c/docs/Sub"));
    test::WriteLinuxFile(prefix.Path("drives/c/docs/b.chm"), std::string(2000, 'x'));
    test::WriteLinuxFile(prefix.Path("drives/c/docs/a.pdf"), "");
    test::WriteLinuxFile(prefix.Path("drives/c/docs/readme.doc"), "");
    CFileListCtrl list;
    list.resize(480, 200);
    list.Initialize();
    list.SetFilter("chm|pdf");
    list.ShowFolder("C:\\docs\\", true);
    list.SetView(kViewDetails);
    list.show();
    auto* pView = qobject_cast<QTreeView*>(list.GetCurrentView());
    ASSERT_NE(pView, nullptr);
    EXPECT_EQ(Rows(pView), "Sub*|a.pdf|b.chm|");
    QTest::mouseClick(pView->viewport(), Qt::LeftButton, {},
                      pView->visualRect(pView->model()->index(1, 0)).center());
    EXPECT_EQ(list.GetModel().GetSelection().GetSelectionMark(), 1);
    QAbstractItemModel* pModel = pView->model();
    EXPECT_EQ(pModel->index(2, kColumnSize).data().toString(), QStringLiteral("2KB"));
    EXPECT_EQ(pModel->headerData(kColumnSize, Qt::Horizontal).toString(),
              QString::fromUtf8("サイズ"));
    EXPECT_EQ(pView->header()->sectionSize(kColumnName), GetListColumn(kColumnName)->m_nWidth);
    // A header click sorts and selects the selected row afresh.
    QHeaderView* pHeader = pView->header();
    QTest::mouseClick(pHeader->viewport(), Qt::LeftButton, {},
                      QPoint(pHeader->sectionViewportPosition(kColumnName) + 5, 5));
    EXPECT_EQ(Rows(pView), "b.chm|a.pdf*|Sub|");
    list.SetView(kViewList);
    EXPECT_EQ(Rows(list.GetCurrentView()), "b.chm|a.pdf*|Sub|");  // one selection for both views
    list.ClearSelection();
    EXPECT_EQ(Rows(list.GetCurrentView()), "b.chm|a.pdf|Sub|");
    EXPECT_EQ(list.GetCurrentView()->currentIndex().row(), 0);
    // The input method stays off, also after a refill: a typed letter jumps to a name.
    list.Refresh();
    QTest::keyClick(list.GetCurrentView(), Qt::Key_A);
    EXPECT_EQ(list.GetCurrentView()->currentIndex().row(), 1);
    EXPECT_FALSE(list.GetCurrentView()->testAttribute(Qt::WA_InputMethodEnabled));
    // Read in pieces: the busy cursor until the end; a row clicked meanwhile stays the selection.
    list.SetFillPiece(1, {});
    list.Refresh();
    QWidget* pViewport = list.GetCurrentView()->viewport();
    while (list.IsFilling() && list.GetModel().GetRowCount() == 0) {
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(list.IsFilling());
    EXPECT_EQ(pViewport->cursor().shape(), Qt::BusyCursor);
    auto* pListView = list.GetCurrentView();
    const QString picked = pListView->model()->index(0, 0).data().toString();
    QTest::mouseClick(pViewport, Qt::LeftButton, {},
                      pListView->visualRect(pListView->model()->index(0, 0)).center());
    ASSERT_TRUE(test::WaitUntil([&] { return !list.IsFilling(); }));
    const std::string rows = Rows(pListView);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '*'), 1) << rows;
    EXPECT_NE(rows.find(picked.toStdString() + "*|"), std::string::npos) << rows;
    EXPECT_FALSE(pViewport->testAttribute(Qt::WA_SetCursor));
}

// Letters (Z would jump to drive Z:), digits and moving keys are swallowed; Down opens the list.
TEST(BrowseWidgetsTest, LocationBoxEntriesAndKeys) {
    test::CTempPrefix prefix;
    std::filesystem::create_directories(prefix.Path("drives/c/Program Files/Help"));
    QWidget dialog;
    auto* pBox = new CFolderComboBox(&dialog);
    pBox->setGeometry(10, 10, 250, 24);
    pBox->Initialize(12);
    pBox->SetFolder("C:\\Program Files\\Help\\");
    ASSERT_EQ(pBox->count(), 4);  // C:, its two levels, Z:
    EXPECT_EQ(pBox->currentIndex(), 2);
    EXPECT_EQ(pBox->GetEntries().GetEntries()[1].m_strDisplayName, "Program Files");  // as on disk
    dialog.show();
    pBox->setFocus();
    EXPECT_FALSE(pBox->testAttribute(Qt::WA_InputMethodEnabled));
    for (Qt::Key key : {Qt::Key_Z, Qt::Key_1, Qt::Key_Up, Qt::Key_PageDown}) {
        QKeyEvent press(QEvent::KeyPress, key, {});
        QCoreApplication::sendEvent(pBox, &press);
        EXPECT_TRUE(press.isAccepted()) << key;
        EXPECT_EQ(pBox->currentIndex(), 2) << key;
        EXPECT_FALSE(pBox->view()->isVisible()) << key;
    }
    QTest::keyClick(pBox, Qt::Key_Down);
    EXPECT_TRUE(test::WaitUntil([&] { return pBox->view()->isVisible(); }));
}

}  // namespace
}  // namespace tq
