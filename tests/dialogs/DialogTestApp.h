// Offscreen platform, no display needed; one widget application serves the whole program.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>
#include <vector>

namespace tq::test {

class CApplicationEnvironment : public testing::Environment {
public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int s_nArgc = 1;
        static char s_szName[] = "tq_dialogs_tests";
        static char* s_argv[] = {s_szName, nullptr};
        m_pApplication = std::make_unique<QApplication>(s_nArgc, s_argv);
    }
    void TearDown() override { m_pApplication.reset(); }
    std::unique_ptr<QApplication> m_pApplication;
};
inline const bool g_bApplicationRegistered =
    (testing::AddGlobalTestEnvironment(new CApplicationEnvironment), true);

// Runs fn once the event loop has started (for code that is waiting in a modal loop).
inline void RunSoon(std::function<void()> fn, int nDelayMs = 0) {
    QTimer::singleShot(nDelayMs, QCoreApplication::instance(), std::move(fn));
}

inline bool WaitUntil(const std::function<bool()>& condition, int nTimeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() <= nTimeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return condition();
}

inline bool DropUrls(QWidget* pTarget, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(pTarget, &enter);
    QApplication::sendEvent(pTarget, &drop);
    return drop.isAccepted();
}

using CStep = std::function<void(QDialog&)>;

// Steps for the next modal dialogs (wait dialog aside), queued so a nested one is still served.
class CModalScript {
public:
    explicit CModalScript(std::vector<CStep> steps) : m_steps(std::move(steps)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* pDialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (pDialog == nullptr || pDialog == m_pLast || !pDialog->isVisible() ||
                QByteArray(pDialog->metaObject()->className()).contains("WaitDlg")) {
                return;
            }
            m_pLast = pDialog;
            if (m_nNext >= m_steps.size()) {
                ADD_FAILURE() << "a dialog came up after the last step: "
                              << pDialog->windowTitle().toStdString();
                return pDialog->reject();
            }
            auto run = [pTarget = m_pLast, &step = m_steps[m_nNext++]] {
                pTarget ? step(*pTarget) : void();
            };
            QMetaObject::invokeMethod(&m_timer, run, Qt::QueuedConnection);
        });
        m_timer.start(10);
    }
    ~CModalScript() { EXPECT_EQ(m_nNext, m_steps.size()) << "steps left"; }
    bool IsDone() const {
        return m_nNext == m_steps.size() && QApplication::activeModalWidget() == nullptr;
    }

private:
    std::vector<CStep> m_steps;
    size_t m_nNext = 0;
    QPointer<QDialog> m_pLast;
    QTimer m_timer;
};

// A control of a dialog by its numeric id (its object name); a missing one fails the test.
template <typename T>
T* Find(QDialog& dialog, int nId) {
    T* pControl = dialog.findChild<T*>(QString::number(nId));
    EXPECT_NE(pControl, nullptr) << nId;
    return pControl;
}

inline void Click(QDialog& dialog, int nId) {
    QTest::mouseClick(Find<QPushButton>(dialog, nId), Qt::LeftButton);
}

}  // namespace tq::test
