#include "dialogs/WaitDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QThread>

#include "dialogs/DialogUnits.h"
#include "dialogs/toolkit/QtText.h"
#include "resources/DialogIds.h"

namespace tq {

namespace {

constexpr int kTickMs = 500;
constexpr int kCancelResult = 2;
constexpr size_t kProgressFrom = 50;  // files in a job that shows its progress

}  // namespace

CWaitDlg::CWaitDlg(QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::FramelessWindowHint),
      m_pText(new QLabel(QString::fromUtf8("しばらくお待ちください..."), this)),
      m_pProgress(new QProgressBar(this)),
      m_pTimer(new QTimer(this)),
      m_beep([] { QApplication::beep(); }) {
    CDialogUnits units = SetUpDialog(this, 92, 24);
    // The modal frame the window manager does not draw for a window without a caption.
    auto* pFrame = new QFrame(this);
    pFrame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pFrame->setGeometry(rect());
    pFrame->lower();
    PlaceControl(m_pText, IDC_WAIT_TEXT, units, 8, 8, 76, 8);
    PlaceControl(m_pProgress, -1, units, 8, 17, 76, 4);
    m_pProgress->setTextVisible(false);
    m_pProgress->hide();
    m_pTimer->setInterval(kTickMs);
    connect(m_pTimer, &QTimer::timeout, this, &CWaitDlg::Tick);
}

CWaitDlg::~CWaitDlg() {
    EndWait();
}

void CWaitDlg::RunJob(CCheckJob& job) {
    job.Start();
    exec();
    job.Join();
}

void CWaitDlg::Send(const std::function<void()>& task) {
    auto run = [&task] { RunSentTask(task); };
    if (QThread::currentThread() == thread()) {
        run();
        return;
    }
    QMetaObject::invokeMethod(this, run, Qt::BlockingQueuedConnection);
}

void CWaitDlg::Done() {
    // The flag before the request: whoever handles the request, or opens the dialog later,
    // finds the job done.
    m_bDone.store(true, std::memory_order_release);
    QMetaObject::invokeMethod(this, &CWaitDlg::OnJobEnded, Qt::QueuedConnection);
}

void CWaitDlg::Progress(size_t nDone, size_t nTotal) {
    m_nDone.store(nDone, std::memory_order_relaxed);
    m_nTotal.store(nTotal, std::memory_order_relaxed);
}

void CWaitDlg::OnJobEnded() {
    if (isVisible()) {
        done(kCancelResult);
    }
}

void CWaitDlg::reject() {
    if (IsDone()) {
        done(kCancelResult);
    }
}

void CWaitDlg::done(int nResult) {
    EndWait();
    QDialog::done(nResult);
}

void CWaitDlg::showEvent(QShowEvent* pEvent) {
    QDialog::showEvent(pEvent);
    if (IsDone()) {
        // The job ended before the window existed: a finished job never leaves it on screen.
        QMetaObject::invokeMethod(this, &CWaitDlg::OnJobEnded, Qt::QueuedConnection);
        return;
    }
    if (!m_bWaiting) {
        m_bWaiting = true;
        m_pTimer->start();
        grabMouse();
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    QWidget* pOwner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    QRect rcOver = pOwner != nullptr
                       ? pOwner->frameGeometry()
                       : (screen() != nullptr ? screen()->availableGeometry() : QRect());
    if (rcOver.isValid()) {
        move(rcOver.center() - rect().center());
    }
}

void CWaitDlg::closeEvent(QCloseEvent* pEvent) {
    if (!IsDone()) {
        pEvent->ignore();
        return;
    }
    EndWait();
    QDialog::closeEvent(pEvent);
}

void CWaitDlg::mousePressEvent(QMouseEvent* pEvent) {
    bool bButton = pEvent->button() == Qt::LeftButton || pEvent->button() == Qt::RightButton;
    if (bButton && !rect().contains(pEvent->position().toPoint()) && m_beep) {
        m_beep();
    }
    QDialog::mousePressEvent(pEvent);
}

void CWaitDlg::Tick() {
    m_pText->setText(QStringFromCp932(MakeWaitText(m_nDots)));
    m_nDots = NextWaitDots(m_nDots);
    const size_t nTotal = m_nTotal.load(std::memory_order_relaxed);
    if (nTotal >= kProgressFrom) {
        m_pProgress->setRange(0, static_cast<int>(nTotal));
        m_pProgress->setValue(static_cast<int>(m_nDone.load(std::memory_order_relaxed)));
        m_pProgress->show();
    }
}

void CWaitDlg::EndWait() {
    if (!m_bWaiting) {
        return;
    }
    m_bWaiting = false;
    m_pTimer->stop();
    releaseMouse();
    QApplication::restoreOverrideCursor();
}

}  // namespace tq
