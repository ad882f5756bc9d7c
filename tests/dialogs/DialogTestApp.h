// The dialogs' tests run on the offscreen platform, so that no display is needed; one widget
// application serves the whole program.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <memory>

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

// Waits until the condition holds, processing events; false after nTimeoutMs.
inline bool WaitUntil(const std::function<bool()>& condition, int nTimeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() <= nTimeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return condition();
}

}  // namespace tq::test
