// The file list and the location box as the user drives them: columns and views, header
// clicks, the selection after a fill, where Enter goes; the location box's entries, Down
// opening it, letters swallowed and the dialog's shortcuts passed on.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <filesystem>

#include "browse/FileListColumns.h"
#include "dialogs/DialogTestApp.h"
#include "dialogs/FileListCtrl.h"
#include "dialogs/FolderComboBox.h"
#include "dialogs/QtText.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

class BrowseWidgetsTest : public ::testing::Test {
protected:
    void Make(const std::string& relative, uint64_t size = 0) {
        std::string path = m_prefix.Path("drives/c/" + relative);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        if (relative.back() != '/') {
            test::WriteLinuxFile(path, std::string(size, 'x'));
        }
    }
    // The name column's texts, top to bottom, joined by "|".
    static std::string Names(const QAbstractItemView* pView) {
        std::string text;
        for (int nRow = 0; nRow < pView->model()->rowCount(); ++nRow) {
            text += pView->model()->index(nRow, 0).data().toString().toStdString() + "|";
        }
        return text;
    }
    static std::vector<int> SelectedRows(const QAbstractItemView* pView) {
        std::vector<int> rows;
        for (const QModelIndex& index : pView->selectionModel()->selectedRows()) {
            rows.push_back(index.row());
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    test::CTempPrefix m_prefix;
};

TEST_F(BrowseWidgetsTest, FileListColumnsViewsAndHeaderClicks) {
    Make("docs/Sub/");
    Make("docs/b.chm", 2000);
    Make("docs/a.pdf", 0);
    Make("docs/readme.doc", 10);
    CFileListCtrl list;
    list.resize(480, 200);
    list.Initialize();
    list.SetFilter("chm|pdf");
    list.ShowFolder("C:\\docs\\", true);
    list.show();

    // The compact list first: names only, no detail texts made yet.
    QAbstractItemView* pView = list.GetCurrentView();
    EXPECT_EQ(Names(pView), "Sub|a.pdf|b.chm|");
    EXPECT_EQ(pView->model()->index(2, kColumnSize).data().toString(), QString());
    EXPECT_EQ(SelectedRows(pView), std::vector<int>{0});
    EXPECT_EQ(pView->currentIndex().row(), 0);

    list.SetView(kViewDetails);
    auto* pDetails = qobject_cast<QTreeView*>(list.GetCurrentView());
    ASSERT_NE(pDetails, nullptr);
    ASSERT_TRUE(pDetails->isVisible());
    EXPECT_EQ(pDetails->model()->index(2, kColumnSize).data().toString(), QStringLiteral("2KB"));
    EXPECT_EQ(pDetails->model()->index(1, kColumnSize).data().toString(), QStringLiteral("0KB"));
    EXPECT_EQ(SelectedRows(pDetails), std::vector<int>{0});  // the selection survives the switch
    QHeaderView* pHeader = pDetails->header();
    ASSERT_EQ(pHeader->count(), kListColumnCount);
    for (int n = 0; n < kListColumnCount; ++n) {
        const CListColumn* pColumn = GetListColumn(n);
        EXPECT_EQ(pDetails->model()->headerData(n, Qt::Horizontal).toString(),
                  QStringFromCp932(pColumn->m_pszHeading));
        EXPECT_EQ(pHeader->sectionSize(n), pColumn->m_nWidth) << n;
        auto align =
            pDetails->model()->index(2, n).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
        EXPECT_EQ((align & Qt::AlignRight) != 0, pColumn->m_align == EColumnAlign::kRight) << n;
    }

    // Header clicks, each followed by a fresh selection of the row that was selected.
    const struct {
        const char* name;
        int column;
        const char* expected;
    } clicks[] = {
        {"name once: descending, folders last", kColumnName, "b.chm|a.pdf|Sub|"},
        {"name again: ascending, folders first", kColumnName, "Sub|a.pdf|b.chm|"},
        {"size: smaller first", kColumnSize, "Sub|a.pdf|b.chm|"},
        {"size again", kColumnSize, "b.chm|a.pdf|Sub|"},
    };
    for (const auto& c : clicks) {
        int x = pHeader->sectionViewportPosition(c.column) + 5;
        QTest::mouseClick(pHeader->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
        EXPECT_EQ(Names(pDetails), c.expected) << c.name;
        ASSERT_EQ(SelectedRows(pDetails).size(), 1u) << c.name;
        EXPECT_EQ(pDetails->model()->index(SelectedRows(pDetails)[0], 0).data().toString(),
                  QStringLiteral("Sub"))
            << c.name;
    }

    list.ClearSelection();
    EXPECT_TRUE(SelectedRows(pDetails).empty());
    EXPECT_EQ(pDetails->currentIndex().row(), 0);
    list.ShowFolder("C:\\nowhere\\", true);  // a folder that is not there: an empty list
    EXPECT_EQ(pDetails->model()->rowCount(), 0);
    list.ClearSelection();
}

TEST_F(BrowseWidgetsTest, EnterGoesToTheListUnlessAFileIsSelected) {
    Make("docs/Sub/");
    Make("docs/b.chm", 1);
    QDialog dialog;
    auto* pList = new CFileListCtrl(&dialog);
    auto* pDefault = new QPushButton(QStringLiteral("OK"), &dialog);
    pDefault->setDefault(true);
    pDefault->move(0, 210);
    pList->resize(400, 200);
    pList->Initialize();
    pList->ShowFolder("C:\\docs\\", true);
    QSignalSpy enter(pList, &CFileListCtrl::EnterPressed);
    QSignalSpy pressed(pDefault, &QPushButton::clicked);
    dialog.show();
    QAbstractItemView* pView = pList->GetCurrentView();
    pView->setFocus();

    QTest::keyClick(pView, Qt::Key_Return);  // the folder Sub is selected
    EXPECT_EQ(enter.count(), 1);
    EXPECT_EQ(pressed.count(), 0);
    QRect rcFile = pView->visualRect(pView->model()->index(1, 0));
    QTest::mouseClick(pView->viewport(), Qt::LeftButton, {}, rcFile.center());
    EXPECT_TRUE(pList->HasSelectedFile());
    EXPECT_EQ(pList->GetModel().GetSelection().GetSelectionMark(), 1);
    QTest::keyClick(pView, Qt::Key_Return);
    EXPECT_EQ(enter.count(), 1);
    EXPECT_EQ(pressed.count(), 1);
}

TEST_F(BrowseWidgetsTest, LocationBoxEntriesAndKeys) {
    Make("Program Files/Help/");
    QWidget dialog;
    auto* pBox = new CFolderComboBox(&dialog);
    pBox->setGeometry(10, 10, 250, 24);
    pBox->Initialize(12);
    EXPECT_EQ(pBox->count(), 2);  // the prefix's fixed drives C: and Z:
    EXPECT_EQ(pBox->GetFolder(), "C:\\");
    pBox->SetFolder("C:\\Program Files\\Help\\");
    ASSERT_EQ(pBox->count(), 4);
    EXPECT_EQ(pBox->currentIndex(), 2);
    const auto& entries = pBox->GetEntries().GetEntries();
    EXPECT_EQ(entries[1].m_strPath, "C:\\program files\\");
    EXPECT_EQ(entries[1].m_strDisplayName, "Program Files");  // as on disk, not lower-cased
    EXPECT_EQ(entries[2].m_nLevel, 2);
    EXPECT_TRUE(entries[2].m_bCurrent);
    EXPECT_EQ(pBox->GetSelectedFolder(), "C:\\program files\\help\\");

    dialog.show();
    pBox->setFocus();
    EXPECT_FALSE(pBox->testAttribute(Qt::WA_InputMethodEnabled));

    // Letters and digits are swallowed (Z would otherwise jump to the Z: drive), and so are the
    // keys that would move the selection; Ctrl+D is left to the dialog.
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool accepted;
    } keys[] = {{Qt::Key_Z, {}, true},        {Qt::Key_1, {}, true},
                {Qt::Key_Home, {}, true},     {Qt::Key_Up, {}, true},
                {Qt::Key_PageDown, {}, true}, {Qt::Key_D, Qt::ControlModifier, false}};
    for (const auto& k : keys) {
        QKeyEvent press(QEvent::KeyPress, k.key, k.modifiers);
        QCoreApplication::sendEvent(pBox, &press);
        EXPECT_EQ(press.isAccepted(), k.accepted) << k.key;
        EXPECT_EQ(pBox->currentIndex(), 2) << k.key;
        EXPECT_FALSE(pBox->view()->isVisible()) << k.key;
    }

    QSignalSpy closeUp(pBox, &CFolderComboBox::CloseUp);
    QTest::keyClick(pBox, Qt::Key_Down);
    ASSERT_TRUE(test::WaitUntil([&] { return pBox->view()->isVisible(); }));
    // In the open list the arrows move, and Enter chooses and closes.
    QTest::keyClick(pBox->view(), Qt::Key_Up);
    QTest::keyClick(pBox->view(), Qt::Key_Return);
    ASSERT_TRUE(test::WaitUntil([&] { return closeUp.count() > 0; }));
    EXPECT_EQ(pBox->GetSelectedFolder(), "C:\\program files\\");
}

}  // namespace
}  // namespace tq
