#include "dialogs/win32/DialogApi.h"
// The system first (DialogApi.h), then the project.

#include "applications/JobWaitLoop.h"
#include "dialogs/win32/WaitDlg.h"
#include "dialogs/win32/WinText.h"
#include "resources/DialogIds.h"

namespace tq {

namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTickMs = 500;
constexpr INT_PTR kCancelResult = 2;
constexpr size_t kProgressFrom = 50;    // files in a job that shows its progress
constexpr UINT kRunTask = WM_APP + 1;   // lParam: the job's task, run on this thread
constexpr UINT kJobEnded = WM_APP + 2;  // the job's close request

}  // namespace

void CWaitDlg::RunJob(CCheckJob& job, HWND hParent) {
    m_pJob = &job;
    m_owner = std::this_thread::get_id();
    if (Run(hParent, IDD_WAIT) < 0) {
        // No window (no display): the job runs all the same, this thread serving its tasks.
        CJobWaitLoop loop;
        m_pFallback = &loop;
        job.Start();
        loop.Wait();
        job.Join();
        m_pFallback = nullptr;
    }
    job.Join();
}

void CWaitDlg::Send(const std::function<void()>& task) {
    auto run = [&task] { RunSentTask(task); };
    if (std::this_thread::get_id() == m_owner) {
        run();
    } else if (m_pFallback != nullptr) {
        m_pFallback->Send(run);
    } else {
        std::function<void()> sent = run;
        ::SendMessageW(GetHwnd(), kRunTask, 0, reinterpret_cast<LPARAM>(&sent));
    }
}

void CWaitDlg::Done() {
    // The flag before the request: whoever handles the request, or opens the dialog later,
    // finds the job done.
    m_bDone.store(true, std::memory_order_release);
    if (m_pFallback != nullptr) {
        m_pFallback->Done();
    } else {
        ::PostMessageW(GetHwnd(), kJobEnded, 0, 0);
    }
}

void CWaitDlg::Progress(size_t nDone, size_t nTotal) {
    m_nDone.store(nDone, std::memory_order_relaxed);
    m_nTotal.store(nTotal, std::memory_order_relaxed);
}

BOOL CWaitDlg::OnInitDialog() {
    if (IsDone()) {
        End(kCancelResult);
        return TRUE;
    }
    ::SetTimer(GetHwnd(), kTimerId, kTickMs, nullptr);
    ::SetCapture(GetHwnd());
    m_hSavedCursor = ::SetCursor(LoadWaitCursor());
    m_bWaiting = true;
    // Centred over the window that owns it (the template centres it on the screen otherwise).
    if (HWND hOwner = ::GetWindow(GetHwnd(), GW_OWNER); hOwner != nullptr) {
        RECT rcOwner{};
        RECT rc{};
        ::GetWindowRect(hOwner, &rcOwner);
        ::GetWindowRect(GetHwnd(), &rc);
        ::SetWindowPos(GetHwnd(), nullptr,
                       (rcOwner.left + rcOwner.right - (rc.right - rc.left)) / 2,
                       (rcOwner.top + rcOwner.bottom - (rc.bottom - rc.top)) / 2, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (m_pJob != nullptr) {
        m_pJob->Start();  // its tasks reach this window from now on
    }
    return TRUE;
}

void CWaitDlg::OnCommand(int32_t nId, int32_t, HWND) {
    // Enter does nothing; Esc, the close box and any other cancel only once the job is done.
    if (nId == IDC_CANCEL && IsDone()) {
        End(kCancelResult);
    }
}

bool CWaitDlg::OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (nMsg) {
        case kRunTask:
            (*reinterpret_cast<std::function<void()>*>(lParam))();
            return true;
        case kJobEnded:
            End(kCancelResult);
            return true;
        case WM_TIMER:
            if (wParam == kTimerId) {
                Tick();
            }
            return true;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN: {
            RECT rc{};
            ::GetClientRect(GetHwnd(), &rc);
            const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (::GetCapture() == GetHwnd() && !::PtInRect(&rc, pt) && m_beep) {
                m_beep();
            }
            return false;
        }
        case WM_SETCURSOR:
            if (m_bWaiting) {
                ::SetCursor(LoadWaitCursor());
                result = TRUE;
                return true;
            }
            return false;
        default:
            return false;
    }
}

void CWaitDlg::Tick() {
    ::SetWindowTextW(Item(IDC_WAIT_TEXT), WideFromCp932(MakeWaitText(m_nDots)).c_str());
    m_nDots = NextWaitDots(m_nDots);
    const size_t nTotal = m_nTotal.load(std::memory_order_relaxed);
    if (nTotal >= kProgressFrom) {
        HWND hBar = Item(IDC_WAIT_PROGRESS);
        ::SendMessageW(hBar, PBM_SETRANGE32, 0, static_cast<LPARAM>(nTotal));
        ::SendMessageW(hBar, PBM_SETPOS, m_nDone.load(std::memory_order_relaxed), 0);
        ::ShowWindow(hBar, SW_SHOWNA);
    }
}

void CWaitDlg::OnDestroy() {
    EndWait();
}

void CWaitDlg::EndWait() {
    if (!m_bWaiting) {
        return;
    }
    m_bWaiting = false;
    ::KillTimer(GetHwnd(), kTimerId);
    ::ReleaseCapture();
    ::SetCursor(m_hSavedCursor);
}

}  // namespace tq
