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
#include "platform/Environment.h"

namespace tq {
namespace {

// A display that does not answer is no display: the toolkit would end the process on it.
TEST(DialogGroundworkTest, ADisplayIsOneThatAnswers) {
    const struct {
        const char* pszName;
        const char* pszPlatform;
        const char* pszDisplay;
        bool bExpected;
    } kRows[] = {
        {"platform chosen by the host", "offscreen", "", true},
        {"nothing", "", "", false},
        {"an X display nobody serves", "", ":987", false},
        {"X chosen, display gone", "xcb", ":987", false},
    };
    std::string strPlatform, strDisplay;
    GetEnvironmentVariable("QT_QPA_PLATFORM", strPlatform);
    GetEnvironmentVariable("DISPLAY", strDisplay);
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.pszName);
        SetEnvironmentVariable("QT_QPA_PLATFORM", row.pszPlatform);
        SetEnvironmentVariable("DISPLAY", row.pszDisplay);
        EXPECT_EQ(HasDisplay(), row.bExpected);
    }
    SetEnvironmentVariable("QT_QPA_PLATFORM", strPlatform);
    SetEnvironmentVariable("DISPLAY", strDisplay);
}

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
