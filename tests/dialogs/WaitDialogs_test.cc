// The wait dialog around a running check job and the report after it: the ticking text, the
// wait cursor, Esc and close only once the job is done, a job that ended before the dialog
// opened, beeps for clicks outside, the job's list operations on the dialog's thread; the
// report's lines.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <thread>

#include "applications/TargetList.h"
#include "dialogs/DialogTestApp.h"
#include "dialogs/NotAddedDlg.h"
#include "dialogs/WaitDlg.h"

namespace tq {
namespace {

QString WaitText(const CWaitDlg& dialog) {
    return dialog.findChild<QLabel*>(QStringLiteral("14006"))->text();
}

// One tick of the dialog's timer, without waiting for it.
void Tick(CWaitDlg& dialog) {
    auto* pTimer = dialog.findChild<QTimer*>();
    QTimerEvent tick(pTimer->timerId());
    QCoreApplication::sendEvent(pTimer, &tick);
}

TEST(WaitDialogTest, TicksCursorAndEscOnlyOnceDone) {
    CWaitDlg dialog;
    dialog.show();
    auto* pTimer = dialog.findChild<QTimer*>();
    ASSERT_NE(pTimer, nullptr);
    EXPECT_TRUE(pTimer->isActive());
    EXPECT_EQ(pTimer->interval(), 500);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

    const QString kBase = QString::fromUtf8("しばらくお待ちください");
    EXPECT_EQ(WaitText(dialog), kBase + QStringLiteral("..."));  // until the first tick
    for (const char* dots : {" .", " ..", " ...", " ."}) {
        Tick(dialog);
        EXPECT_EQ(WaitText(dialog), kBase + QString::fromLatin1(dots));
    }

    QTest::keyClick(&dialog, Qt::Key_Escape);
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_FALSE(dialog.close());
    EXPECT_TRUE(dialog.isVisible());

    // The job's end, from its own thread; Esc then closes (the queued request comes after).
    std::thread([&] { dialog.Done(); }).join();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 2);
    EXPECT_FALSE(pTimer->isActive());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    QCoreApplication::processEvents();  // the late close request finds the dialog closed
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(WaitDialogTest, ClicksOutsideBeep) {
    CWaitDlg dialog;
    int nBeeps = 0;
    dialog.SetBeepHook([&] { ++nBeeps; });
    dialog.show();
    const struct {
        const char* name;
        Qt::MouseButton button;
        QPoint at;
        int beeps;
    } clicks[] = {
        {"left outside", Qt::LeftButton, QPoint(-5, -5), 1},
        {"left inside", Qt::LeftButton, QPoint(5, 5), 1},
        {"right outside", Qt::RightButton, QPoint(dialog.width() + 3, 2), 2},
        {"middle outside", Qt::MiddleButton, QPoint(-5, 2), 2},
    };
    for (const auto& c : clicks) {
        QTest::mousePress(&dialog, c.button, {}, c.at);
        QTest::mouseRelease(&dialog, c.button, {}, c.at);
        EXPECT_EQ(nBeeps, c.beeps) << c.name;
    }
    EXPECT_TRUE(dialog.isVisible());
    dialog.Done();
}

// A target list that notes any use off the dialog's thread.
class CThreadCheckedList : public ITargetList {
public:
    CThreadCheckedList(CSortedTargetList& list, QThread* pThread, bool& bOff)
        : m_list(list), m_pThread(pThread), m_bOff(bOff) {}
    int32_t FindStringExact(const std::string& s) const override {
        m_bOff |= QThread::currentThread() != m_pThread;
        return m_list.FindStringExact(s);
    }
    int32_t AddString(const std::string& s) override {
        m_bOff |= QThread::currentThread() != m_pThread;
        return m_list.AddString(s);
    }

private:
    CSortedTargetList& m_list;
    QThread* m_pThread;
    bool& m_bOff;
};

TEST(WaitDialogTest, RunsTheJobAndClosesWhenItEnds) {
    const struct {
        const char* name;
        bool endBeforeOpen;
    } cases[] = {{"job ends while shown", false}, {"job ended before the dialog opened", true}};
    for (const auto& c : cases) {
        CSortedTargetList targets;
        targets.AddString("C:\\docs\\have.chm");
        std::vector<CCheckItem> items = {{"C:\\docs\\b.chm", "b.chm"},
                                         {"C:\\docs\\bad.pdf", "bad.pdf"},
                                         {"C:\\docs\\have.chm", "have.chm"},
                                         {"C:\\docs\\a.chm", "a.chm"}};
        QThread* pUiThread = QThread::currentThread();
        bool bListOffThread = false;
        CWaitDlg dialog;
        CThreadCheckedList list(targets, pUiThread, bListOffThread);
        CCheckJob job(
            items, [](const std::string& p) { return p.ends_with(".chm") ? 1 : 0; }, list, dialog,
            nullptr);
        if (c.endBeforeOpen) {
            // The worker runs to its end while the dialog's thread serves it, before any window.
            job.Start();
            ASSERT_TRUE(test::WaitUntil([&] { return dialog.IsDone(); })) << c.name;
            QTimer::singleShot(5000, &dialog, [&] { dialog.hide(); });  // a hang fails, not hangs
            dialog.exec();
            job.Join();
        } else {
            dialog.RunJob(job);
        }
        EXPECT_FALSE(dialog.isVisible()) << c.name;
        EXPECT_EQ(dialog.result(), 2) << c.name;
        EXPECT_FALSE(bListOffThread) << c.name;
        EXPECT_EQ(
            targets.GetEntries(),
            (std::vector<std::string>{"C:\\docs\\a.chm", "C:\\docs\\b.chm", "C:\\docs\\have.chm"}))
            << c.name;
        EXPECT_EQ(job.GetRefusedNames(), "bad.pdf") << c.name;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << c.name;
    }
}

TEST(NotAddedDialogTest, ShowsItsOwnCopyOfTheNames) {
    const struct {
        const char* name;
        std::string names;
        int lines;
    } cases[] = {
        {"one name", "a.chm", 1},
        {"names by CR LF", "a.chm\r\n\x83\x74\x83\x40\x83\x43\x83\x8b.pdf\r\nc.txt", 3},
        {"many names scroll", std::string(), 40},
    };
    for (const auto& c : cases) {
        CNotAddedDlg dialog("Trellisquest");
        {
            std::string names = c.names.empty() ? "0.chm" : c.names;
            for (int n = 1; c.names.empty() && n < c.lines; ++n) {
                names += "\r\n" + std::to_string(n) + ".chm";
            }
            dialog.SetText(names);
        }  // the names the job made are gone
        dialog.show();
        auto* pEdit = dialog.findChild<QPlainTextEdit*>(QStringLiteral("1017"));
        ASSERT_NE(pEdit, nullptr);
        EXPECT_TRUE(pEdit->isReadOnly());
        EXPECT_EQ(pEdit->document()->blockCount(), c.lines) << c.name;
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Trellisquest"));
        EXPECT_NE(dialog.findChild<QLabel*>(QStringLiteral("14008")), nullptr);
        if (c.lines > 10) {
            EXPECT_GT(pEdit->verticalScrollBar()->maximum(), 0) << c.name;
        }
        QTest::keyClick(&dialog, Qt::Key_Return);
        EXPECT_FALSE(dialog.isVisible()) << c.name;
    }
}

}  // namespace
}  // namespace tq
