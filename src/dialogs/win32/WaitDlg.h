// The wait dialog of an add action on Windows: shown while the check job asks the topic filter
// about each chosen file on its worker thread. Every target-list operation of the job is sent to
// the dialog's window and runs on the dialog's thread; the job's end arrives as a posted close
// request. The user cannot close it before the job is done; clicks outside it beep, the text
// ticks every 500 ms, the wait cursor shows and the mouse is captured until it closes. A job of
// many files also shows how far it has come.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "applications/CheckJob.h"
#include "dialogs/win32/WinDialog.h"

namespace tq {

class CWaitDlg : public CWinDialog, public IJobWait {
public:
    // hParent: the window RunJob(job) shows the dialog over.
    explicit CWaitDlg(HWND hParent = nullptr) : m_hParent(hParent) {}

    // Shows the dialog over hParent, starts the job once the window is up, and waits for the
    // job's thread after the dialog has closed. Without a window (no display) the job runs
    // with this thread serving it.
    void RunJob(CCheckJob& job, HWND hParent);
    void RunJob(CCheckJob& job) override { RunJob(job, m_hParent); }

    // IJobOwner, called from the job's thread.
    void Send(const std::function<void()>& task) override;
    void Done() override;
    void Progress(size_t nDone, size_t nTotal) override;

    bool IsDone() const { return m_bDone.load(std::memory_order_acquire); }
    // What a click outside does (the system's beep unless a test counts them).
    void SetBeepHook(std::function<void()> beep) { m_beep = std::move(beep); }

protected:
    BOOL OnInitDialog() override;
    void OnCommand(int32_t nId, int32_t nCode, HWND hControl) override;
    bool OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnDestroy() override;

private:
    void Tick();
    void EndWait();

    HWND m_hParent;
    class CJobWaitLoop* m_pFallback = nullptr;  // serves the job when there is no window
    std::thread::id m_owner;
    CCheckJob* m_pJob = nullptr;
    int32_t m_nDots = 1;
    std::atomic<bool> m_bDone{false};
    std::atomic<size_t> m_nDone{0};
    std::atomic<size_t> m_nTotal{0};
    bool m_bWaiting = false;  // timer, capture and cursor are on
    HCURSOR m_hSavedCursor = nullptr;
    std::function<void()> m_beep = [] { ::MessageBeep(0); };
};

}  // namespace tq
