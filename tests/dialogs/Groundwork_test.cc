// What every dialog stands on: dialog units and the dialog font, controls named by their ids,
// and the component's message boxes shown by the toolkit over the active dialog.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "dialogs/DialogApplication.h"
#include "dialogs/DialogTestApp.h"
#include "dialogs/DialogUnits.h"
#include "dialogs/QtMessageBox.h"
#include "dialogs/QtText.h"

namespace tq {
namespace {

TEST(DialogGroundworkTest, UnitsFontAndIds) {
    EXPECT_TRUE(EnsureDialogApplication());
    QFont font = GetDialogFont();
    EXPECT_EQ(font.pointSize(), 9);
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("IPAPGothic"));  // the fallback here

    CDialogUnits units(font);
    // The far edges are mapped: neighbours in the template meet in pixels too.
    QRect a = units.ToPixels(8, 8, 76, 8);
    QRect b = units.ToPixels(84, 16, 10, 8);
    EXPECT_EQ(a.x() + a.width(), b.x());
    EXPECT_EQ(a.y() + a.height(), b.y());
    EXPECT_EQ(units.ToPixelsX(4), units.GetBaseWidth());

    QDialog dialog;
    auto* pLabel = new QLabel(&dialog);
    PlaceControl(pLabel, 14006, units, 8, 8, 76, 8);
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("14006")), pLabel);
    EXPECT_EQ(pLabel->geometry(), a);
}

TEST(DialogGroundworkTest, MessageBoxesOverTheActiveDialog) {
    QDialog dialog;
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(test::WaitUntil([&] { return QApplication::activeWindow() == &dialog; }));
    CQtMessageBoxScope scope;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString strCaption, strText;
    QWidget* pParent = nullptr;
    int nButtons = 0;
    // Reads the box that is up, then answers it.
    auto readAndAnswer = [&] {
        auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(pBox, nullptr);
        icon = pBox->icon();
        strCaption = pBox->windowTitle();
        strText = pBox->text();
        pParent = pBox->parentWidget();
        nButtons = static_cast<int>(pBox->buttons().size());
        pBox->buttons().front()->click();
    };
    test::RunSoon(readAndAnswer, 20);
    GetMessageBox().ShowWarning("\x83\x74\x83\x40\x83\x43\x83\x8b", "Trellisquest");
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(strCaption, QStringLiteral("Trellisquest"));
    EXPECT_EQ(strText, QString::fromUtf8("ファイル"));
    EXPECT_EQ(pParent, &dialog);
    EXPECT_EQ(nButtons, 1);
}

}  // namespace
}  // namespace tq
