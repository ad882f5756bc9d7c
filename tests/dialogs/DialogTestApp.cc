#include "dialogs/DialogTestApp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <memory>

namespace tq::test {
namespace {

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

const bool g_bRegistered = (testing::AddGlobalTestEnvironment(new CApplicationEnvironment), true);

}  // namespace

void RunSoon(std::function<void()> fn, int nDelayMs) {
    QTimer::singleShot(nDelayMs, QCoreApplication::instance(), std::move(fn));
}

bool WaitUntil(const std::function<bool()>& condition, int nTimeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() <= nTimeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return condition();
}

}  // namespace tq::test
