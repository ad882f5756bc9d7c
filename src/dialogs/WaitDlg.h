// The wait dialog of an add action: shown while the check job asks the topic filter about each
// chosen file on its worker thread. It owns the job's way to the dialog's thread: every
// target-list operation of the job runs here, on the dialog's thread, and the job's end arrives
// as a queued close request. The user cannot close it before the job is done; clicks outside it
// beep, the text ticks, and the wait cursor shows until it closes. A job of many files (a drop
// of thousands) also shows, under the text, how far it has come.
#pragma once

#include <QDialog>
#include <QTimer>
#include <atomic>
#include <functional>

#include "applications/CheckJob.h"

class QLabel;
class QProgressBar;

namespace tq {

class CWaitDlg : public QDialog, public IJobWait {
    Q_OBJECT

public:
    explicit CWaitDlg(QWidget* pParent = nullptr);
    ~CWaitDlg() override;

    // Starts the job, shows the dialog until the job is done, and waits for the job's thread.
    void RunJob(CCheckJob& job) override;

    // IJobOwner, called from the job's thread.
    void Send(const std::function<void()>& task) override;
    void Done() override;
    void Progress(size_t nDone, size_t nTotal) override;

    bool IsDone() const { return m_bDone.load(std::memory_order_acquire); }
    // What a click outside does (the desktop's beep unless a test counts them).
    void SetBeepHook(std::function<void()> beep) { m_beep = std::move(beep); }

    void reject() override;
    void accept() override {}  // Enter does nothing
    void done(int nResult) override;

protected:
    void showEvent(QShowEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;

private:
    void Tick();
    // The job's close request, on the dialog's thread.
    void OnJobEnded();
    void EndWait();

    QLabel* m_pText;
    QProgressBar* m_pProgress;  // shown for a job of many files
    std::atomic<size_t> m_nDone{0};
    std::atomic<size_t> m_nTotal{0};
    QTimer* m_pTimer;
    int32_t m_nDots = 1;
    std::atomic<bool> m_bDone{false};
    bool m_bWaiting = false;  // timer, capture and cursor are on
    std::function<void()> m_beep;
};

}  // namespace tq
